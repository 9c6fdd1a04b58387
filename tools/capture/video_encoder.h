#pragma once
// The MP4 through ffmpeg: first the frames, piped in as raw pixels and
// encoded as H.264, then the soundtrack put beside them as AAC.

#include "child_process.h"

#include <SFML/Config.hpp>

#include <string>
#include <vector>

struct VideoEncoder {
    ChildProcess ffmpeg;
    bool framesRefused = false;  // a frame did not reach ffmpeg

    // Starts ffmpeg on videoFile; logFile keeps its messages.
    bool start(const std::string& videoFile, const std::string& logFile);
    // One frame of RGBA pixels, rows from the bottom up; false once ffmpeg
    // has stopped taking frames.
    bool addFrame(const std::vector<sf::Uint8>& bottomUpPixels);
    // Ends the picture stream; false after an error line when ffmpeg failed
    // or refused a frame.
    bool finish();
};

// Writes output from the encoded pictures and a WAV soundtrack; false after
// an error line.
bool joinSoundtrack(const std::string& videoFile, const std::string& wavFile, const std::string& output,
                    const std::string& logFile);
