// The show's long-lived objects. They sit in one file so that they are
// built in this order and destroyed in the reverse order.
#include "assets/music_manager.h"
#include "assets/sound_manager.h"
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "core/app.h"
#include "core/platform.h"
#include "core/fade.h"
#include "core/library_output.h"

SceneId sceneId = SceneId::Loading;
bool isRunning = true;
bool fullscreenEnabled = false;
bool vsyncEnabled = true;
ScreenFade screenFade;
sf::Sprite* fadeSprite = nullptr;

// Checked before the first GL object below is made.
static const bool displayPresent = requireDisplay();
// Before the music stream below opens the audio device.
static const bool librariesSilenced = silenceLibraryOutput();

sf::Font globalFont;
TextureManager textureManager;
SoundManager soundManager;
MusicManager musicManager;
SpriteManager spriteManager;
sf::RenderTexture offscreenTarget;
sf::Sprite offscreenSprite;
sf::Shader ballsShader;
sf::Shader textShader;
const std::string windowTitle = "Grumble Owl vs The Quirkz - QRV Bouncefest 2025";
