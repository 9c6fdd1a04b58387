#pragma once
// The show as the demo runs it, but off screen and on a fixed clock: the
// same start-up and the same frame, every frame exactly 1/60 s; and the
// progress line while it runs.

#include "frame_clock.h"
#include "core/app.h"

#include <SFML/Graphics.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

// The progress line while the show runs (frame, speed, time left) and, at
// the end, the speed of each part of the show over the frames drawn in full.

struct PartSpeed {
    std::int64_t frames = 0;
    double seconds = 0.0;
};

struct CaptureProgress {
    using Clock = std::chrono::steady_clock;

    std::int64_t endFrame = 0;  // where the time left runs to
    bool toTerminal = false;    // a terminal gets one line rewritten in place
    PartSpeed loading;
    PartSpeed intro;
    PartSpeed balls;    // the ball scene and the closing frame
    PartSpeed skipped;  // frames that ran without being drawn
    Clock::time_point frameStart;
    Clock::time_point lineTime;
    std::int64_t lineFrame = 0;
    Clock::time_point started;

    void begin(std::int64_t expectedEndFrame);
    // After each frame: part is the scene that ran in it.
    void frameDone(std::int64_t frame, SceneId part, bool drawn);
    // Ends the progress line and writes the speed of each part.
    void finish();
};

// The show's length on the fixed clock, from the scenes' stage tables.
std::int64_t showLengthFrames();

// The demo's start-up with an off-screen target of the window's size in the
// window's place, the audio muted: the soundtrack is mixed offline. False
// after an error line.
bool startCapturedShow(sf::RenderTexture& target);

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
