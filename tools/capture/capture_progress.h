#pragma once
// The progress line while the show runs (frame, speed, time left) and, at
// the end, the speed of each part of the show over the frames drawn in full.

#include "core/app.h"

#include <chrono>
#include <cstdint>

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
