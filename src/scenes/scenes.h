#pragma once
// The scenes that the main loop runs one at a time. Each draws one frame on
// the target and returns the id of the scene for the next frame.

#include "core/app.h"

#include <SFML/Graphics.hpp>

#include <cstddef>
#include <string>
#include <vector>

SceneId updateLoadingScreen(sf::RenderTarget& target, float dt);
SceneId updateIntro(sf::RenderTarget& target, float dt);
SceneId updateBallScene(sf::RenderTarget& target, float dt);

// Each scene's stage lengths in s, in the order they run: the show's timeline
// for the tools that need its length and for the checks of the shaders'
// copies of its moments.
std::vector<float> loadingScreenStageLengthsS();
std::vector<float> introStageLengthsS();
std::vector<float> ballSceneStageLengthsS();

template <typename Stage, std::size_t count>
std::vector<float> stageLengthsOf(const Stage (&stages)[count])
{
    std::vector<float> lengths;
    for (const Stage& stage : stages) lengths.push_back(stage.lengthS);
    return lengths;
}

// One line of text in globalFont, centred horizontally, its centre at y.
void drawCenteredText(sf::RenderTarget& target, const std::string& text, unsigned characterSize,
                      sf::Color color, float y);
