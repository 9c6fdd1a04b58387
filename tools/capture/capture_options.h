#pragma once
// The capture tool's command line (what to write, where, and which frames)
// and the outputs it names: checked before the long run, and a private
// temporary folder for the parts of the video.

#include "frame_clock.h"

#include <cstdint>
#include <filesystem>
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

// Where the capture writes: the output checked before the long run, and a
// private temporary folder for the parts of the video.

// Opens (creating) the output file once, so that an unwritable path fails at
// the start rather than after minutes of capture. False after an error line.
bool claimOutputFile(const std::string& path);
// Removes an output file that claimOutputFile created, after a failure.
void releaseOutputFile(const std::string& path);

// Creates the folder for PNG frames. False after an error line.
bool prepareFramesFolder(const std::string& path);

// A new folder under the system's temporary folder, removed with the object.
struct TemporaryFolder {
    std::filesystem::path path;

    bool create();  // false after an error line
    ~TemporaryFolder();
};
