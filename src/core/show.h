#pragma once
// The top layer: the show's start-up and its frame, as the demo, the capture
// tool, the benchmarks and the tests all run them. Only the screen differs:
// the window, or an off-screen target of the same size.

#include "core/app.h"

#include <SFML/Graphics.hpp>

#include <functional>

// Makes the objects that open the audio device and the GL context: the music
// stream, offscreenTarget and the two shaders. The display must have been
// found and the libraries' output silenced first.
void makeDeviceObjects();

// Creates offscreenTarget and points offscreenSprite at its texture.
void createOffscreenTarget();

// The start-up after the greeting, in order: the configuration; the screen,
// which openScreen makes once the settings are known; the off-screen target;
// the assets, the font and the shaders. False when openScreen failed or a
// shader did not load: the main loop is not to run.
bool startShow(const std::function<bool()>& openScreen);

// One frame after the fade advance's dt is known: fade advance, clear, the
// scene that sceneId names, the fade overlay. The caller displays the target.
void runFrame(sf::RenderTarget& target, float dt);

// The body of one frame of the main loop, once dt is measured: clear
// offscreenTarget, take the user's input (the window's keys and events; off
// screen there is none), run the frame on the screen and show it.
template <typename Screen, typename TakeInput>
void playFrame(Screen& screen, float dt, TakeInput takeInput)
{
    offscreenTarget->clear(sf::Color(0, 0, 0, 0));
    takeInput();
    runFrame(screen, dt);
    screen.display();
}
