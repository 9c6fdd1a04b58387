#pragma once
// The capture tool's command line: what to write, where, and which frames.

#include "frame_clock.h"

#include <cstdint>
#include <set>
#include <string>

enum class CaptureMode {
    Video,       // an MP4 with its soundtrack
    Frames,      // chosen frames as PNG files in a folder
    Soundtrack,  // the soundtrack alone as a WAV file
};

struct CaptureOptions {
    CaptureMode mode = CaptureMode::Video;
    std::string output;
    std::set<std::int64_t> frames;          // --frames, counted from 0
    std::int64_t firstFrame = 0;            // --seconds FROM
    std::int64_t endFrame = SHOW_END_FRAME; // --seconds TO, not included
    bool helpOnly = false;
};

// Reads the arguments; on a mistake, writes one line on std::cerr and
// returns false.
bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options);

// The usage text for --help.
const char* captureUsage();
