#pragma once
// The top layer: the show's start-up and its frame, as the demo, the capture
// tool, the benchmarks and the tests all run them. Only the screen differs:
// the window, or an off-screen target of the same size.

#include "core/app.h"

#include <SFML/Graphics.hpp>

// Makes the objects that open the audio device and the GL context: the music
// stream, offscreenTarget and the two shaders. The display must have been
// found and the libraries' output silenced first.
void makeDeviceObjects();

// Creates offscreenTarget and points offscreenSprite at its texture.
void createOffscreenTarget();

// The start-up after the greeting goes in order: the configuration
// (loadConfig, core/config.h), then the screen, which the settings shape,
// then this: the off-screen target, the assets, the font and the shaders.
// False when a shader did not load: the main loop is not to run.
bool startShow();

// One frame on the screen once its dt is measured and the user's input (the
// window's keys and events; off screen there is none) taken: offscreenTarget
// and the screen cleared, the fade advanced, the scene that sceneId names
// drawn, the fade's overlay over it. The caller then displays the screen.
void playFrame(sf::RenderTarget& screen, float dt);
