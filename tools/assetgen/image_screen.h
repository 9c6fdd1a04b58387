#pragma once
// The flat pictures of the loading screen and the intro: the black canvas,
// the loading bar pair and the rainbow that fills the intro cards.

#include <string>

// Each writes one PNG to path; false, with an error line, on failure.
bool paintBlack(const std::string& path);
bool paintRainbow(const std::string& path);
bool paintLoadingBarEmpty(const std::string& path);
bool paintLoadingBarFull(const std::string& path);

constexpr int RAINBOW_SIZE_PIXELS = 512;
constexpr int LOADING_BAR_WIDTH_PIXELS = 1000;
constexpr int LOADING_BAR_HEIGHT_PIXELS = 40;
