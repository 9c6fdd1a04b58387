#pragma once

#include <string>

// Draws every image of the show into assetsDir/textures. False on failure.
bool generateImages(const std::string& assetsDir);
