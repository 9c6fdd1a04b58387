#pragma once
// The show as the demo runs it, but off screen and on a fixed clock: the
// same start-up and the same frame function, every frame exactly 1/60 s.

#include "capture_progress.h"
#include "frame_clock.h"

#include <SFML/Graphics.hpp>

#include <cstdint>
#include <functional>
#include <vector>

// The demo's start-up around an off-screen target of the window's size,
// the audio muted: the soundtrack is mixed offline. False after an error line.
bool startShow(sf::RenderTexture& target);

enum class ShowRunEnd {
    ShowOver,   // the show ended by itself
    EndFrame,   // the wanted end frame came first
    KeepFailed, // keeping a frame failed
};

struct ShowRun {
    std::int64_t framesRun = 0;
    ShowRunEnd end = ShowRunEnd::ShowOver;
};

// A frame as OpenGL reads it back: RGBA, its rows from the bottom up.
using BottomUpPixels = std::vector<sf::Uint8>;

// Which frames are wanted in full, and what happens to each of them.
struct FrameChoice {
    std::function<bool(std::int64_t frame)> wanted;
    std::function<bool(std::int64_t frame, const BottomUpPixels& pixels)> keep;  // false stops the run
    std::int64_t endFrame = SHOW_END_FRAME;  // no frame from here on runs
};

// Runs the show from its first frame. Frames that are not wanted still run
// (the scenes and the soundtrack log see them) but draw only a pixel.
ShowRun runShow(sf::RenderTexture& target, const FrameChoice& choice, CaptureProgress& progress);
