#pragma once
// The scenes that the main loop runs one at a time. Each draws one frame on
// the target and returns the id of the scene for the next frame.

#include "core/app.h"
#include "scenes/timeline.h"

#include <SFML/Graphics.hpp>

#include <string>

SceneId updateLoadingScreen(sf::RenderTarget& target, float dt);
SceneId updateIntro(sf::RenderTarget& target, float dt);
SceneId updateBallScene(sf::RenderTarget& target, float dt);

// One line of text in globalFont, centred horizontally, its centre at y.
void drawCenteredText(sf::RenderTarget& target, const std::string& text, unsigned characterSize,
                      sf::Color color, float y);
