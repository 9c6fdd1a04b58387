#pragma once
// The MP4 through ffmpeg, a child program fed through a pipe: first the
// frames, piped in as raw pixels and encoded as H.264, then the soundtrack
// put beside them as AAC.

#include <SFML/Config.hpp>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// A child program fed through a pipe on its standard input, its own output
// kept in a log file: the way the capture hands its frames to ffmpeg.

struct ChildProcess {
    std::FILE* input = nullptr;
    std::string logPath;

    // Starts program (looked up in PATH) with args; false when it could not.
    bool start(const std::vector<std::string>& args, const std::string& log);
    // Writes every byte; false once the child has stopped reading.
    bool write(const void* bytes, std::size_t count);
    // Closes the input and waits: the exit code, or 128 + the signal.
    int finish();
    // The last non-empty line of the child's log, for an error line.
    std::string lastLogLine() const;
};

// Whether program can be found in PATH.
bool isInPath(const std::string& program);

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
