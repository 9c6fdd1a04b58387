#pragma once
// Start-up loading of the manifests, the font and the two shaders.

#include <SFML/Graphics.hpp>

extern sf::Font globalFont;
extern sf::Shader ballsShader;
extern sf::Shader textShader;

// Loads everything the scenes use. False when a shader failed to load.
bool loadAssets();

// Stops the music and frees the sounds at the end of the show: the audio
// device closes cleanly when the music stream, the last audio object, goes.
void releaseAudio();
