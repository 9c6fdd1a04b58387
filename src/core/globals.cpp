// The show's long-lived objects. They sit in one file so that they are
// built in this order and destroyed in the reverse order. Those that need
// the GL context or the audio device are made by makeDeviceObjects, once the
// entry routine has checked the display and silenced the libraries.
#include "assets/music_manager.h"
#include "assets/sound_manager.h"
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "core/app.h"
#include "core/fade.h"

SceneId sceneId = SceneId::Loading;
bool isRunning = true;
bool fullscreenEnabled = false;
bool vsyncEnabled = true;
ScreenFade screenFade;
sf::Sprite* fadeSprite = nullptr;

sf::Font globalFont;
TextureManager textureManager;
SoundManager soundManager;
MusicManager musicManager;
SpriteManager spriteManager;
std::unique_ptr<sf::RenderTexture> offscreenTarget;
sf::Sprite offscreenSprite;
std::unique_ptr<sf::Shader> ballsShader;
std::unique_ptr<sf::Shader> textShader;
const std::string windowTitle = "Grumble Owl vs The Quirkz - QRV Bouncefest 2025";
