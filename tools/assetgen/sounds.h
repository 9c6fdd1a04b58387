#pragma once

#include <string>

// Synthesises the effects and the music into assetsDir/sounds and
// assetsDir/music. False on failure.
bool generateSounds(const std::string& assetsDir);
