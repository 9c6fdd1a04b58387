#include "core/loading.h"

#include "assets/music_manager.h"
#include "assets/sound_manager.h"
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "core/app.h"
#include "core/library_output.h"

#include <iostream>

static const char* const VERTEX_SHADER_PATH = "assets/shaders/passthrough.vert";

bool loadAssets()
{
    textureManager.loadManifest("assets/textures.json");
    spriteManager.loadManifest("assets/sprites.json");
    if (!audioDeviceOpen()) std::cerr << "No audio device, so the show plays in silence." << std::endl;
    soundManager.loadManifest("assets/sounds.json");
    musicManager.loadManifest("assets/music.json");

    globalFont.loadFromFile("assets/roboto-thin.ttf");
    fadeSprite = spriteManager.get("black");

    if (!ballsShader->loadFromFile(VERTEX_SHADER_PATH, "assets/shaders/balls.frag")) {
        std::cerr << "Unable to load the balls shader :(" << std::endl;
        return false;
    }
    if (!textShader->loadFromFile(VERTEX_SHADER_PATH, "assets/shaders/peephole.frag")) {
        std::cerr << "Unable to load the text shader :(" << std::endl;
        return false;
    }
    textShader->setUniform("currentTexture", sf::Shader::CurrentTexture);
    if (const sf::Texture* rainbow = textureManager.get("rainbow_texture")) {
        textShader->setUniform("bgTexture", *rainbow);
    }
    return true;
}

void releaseAudio()
{
    musicManager.music->stop();
    soundManager.releaseAll();
}
