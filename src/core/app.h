#pragma once
// The core's shared state: the scene id, the run flag, the settings, the
// off-screen target and the one frame's work that the main loop repeats.

#include <SFML/Graphics.hpp>

#include <cstdint>
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

extern sf::RenderTexture offscreenTarget;
extern sf::Sprite offscreenSprite;
extern sf::Sprite* fadeSprite;

constexpr unsigned SCREEN_WIDTH_PX = 1920;
constexpr unsigned SCREEN_HEIGHT_PX = 1080;

// Creates offscreenTarget and points offscreenSprite at its texture.
void createOffscreenTarget();

// One frame after the clock and the events: fade advance, clear, the scene
// that sceneId names, the fade overlay. The caller displays the target.
void runFrame(sf::RenderTarget& target, float dt);
