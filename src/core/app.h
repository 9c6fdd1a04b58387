#pragma once
// The bottom layer: what the core shares with the asset managers and the
// scenes. It includes nothing of the program's own but the screen size, so
// that the managers and the scenes can build on it and the start-up and the
// frame loop (core/show.h) on all of them.

#include "core/screen.h"

#include <SFML/Graphics.hpp>

#include <cstdint>
#include <memory>
#include <string>

enum class SceneId : std::int32_t {
    Loading = -1,
    Intro = 0,
    Balls = 1,
    Quit = 666,
};

extern SceneId sceneId;
extern bool isRunning;
extern bool fullscreenEnabled;
extern bool vsyncEnabled;
extern const std::string windowTitle;

// The GL objects are made by makeDeviceObjects (core/show.h).
extern std::unique_ptr<sf::RenderTexture> offscreenTarget;
extern sf::Sprite offscreenSprite;
extern sf::Sprite* fadeSprite;

// Filled by the asset step at start-up, used by the scenes.
extern sf::Font globalFont;
extern std::unique_ptr<sf::Shader> ballsShader;
extern std::unique_ptr<sf::Shader> textShader;

const sf::Vector2f SCREEN_CENTRE_PX(SCREEN_WIDTH_PX / 2.0f, SCREEN_HEIGHT_PX / 2.0f);
