#include "video_encoder.h"

#include "frame_clock.h"
#include "core/app.h"

#include <stdio.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

static constexpr int NO_CHILD_EXIT_CODE = -1;
static constexpr int SIGNAL_EXIT_CODE_BASE = 128;

// A word as the shell reads it back unchanged: in single quotes, each of
// its own single quotes closed, escaped and reopened.
static std::string shellWord(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool ChildProcess::start(const std::vector<std::string>& args, const std::string& log)
{
    // A child that stops reading must fail our write, not end this process.
    std::signal(SIGPIPE, SIG_IGN);
    logPath = log;
    std::string command = "exec";
    for (const std::string& arg : args) command += " " + shellWord(arg);
    command += " >" + shellWord(log) + " 2>&1";
    input = popen(command.c_str(), "w");
    return input != nullptr;
}

bool ChildProcess::write(const void* bytes, std::size_t count)
{
    return std::fwrite(bytes, 1, count, input) == count;
}

int ChildProcess::finish()
{
    if (input == nullptr) return NO_CHILD_EXIT_CODE;
    const int status = pclose(input);
    input = nullptr;
    if (status < 0) return NO_CHILD_EXIT_CODE;
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return SIGNAL_EXIT_CODE_BASE + WTERMSIG(status);
}

std::string ChildProcess::lastLogLine() const
{
    std::ifstream log(logPath);
    std::string last;
    for (std::string line; std::getline(log, line);) {
        if (!line.empty()) last = line;
    }
    return last;
}

bool isInPath(const std::string& program)
{
    return std::system(("command -v " + shellWord(program) + " >/dev/null").c_str()) == 0;
}

static const char* const FFMPEG = "ffmpeg";
// Close to lossless for flat colours, text and soft gradients. On the ball
// scene the preset veryfast comes within half a dB of medium, at a similar
// size, for under half of its time.
static const char* const QUALITY_CRF = "17";
static const char* const ENCODER_PRESET = "veryfast";
// The High profile that players and upload sites expect of 1080p60. The
// adaptive quantiser mode 3 leans towards dark, flat blocks: without it the
// star field's sky gets the fewest bits of the frame, and its faint
// gradient and lone stars are what bands and blocks first (on the ball
// scene, 1 dB more in the sky for 14 % more bits).
static const char* const ENCODER_PROFILE = "high";
static const char* const ENCODER_TUNING = "aq-mode=3";
static const char* const AUDIO_BITRATE = "192k";

static void reportEncodeFailure(int exitCode, const std::string& lastLogLine)
{
    std::cerr << "bouncefest-capture: ffmpeg failed to encode the video (exit code " << exitCode << ")";
    if (!lastLogLine.empty()) std::cerr << ": " << lastLogLine;
    std::cerr << std::endl;
}

bool VideoEncoder::start(const std::string& videoFile, const std::string& logFile)
{
    const std::string size = std::to_string(SCREEN_WIDTH_PX) + "x" + std::to_string(SCREEN_HEIGHT_PX);
    const std::string rate = std::to_string(FRAMES_PER_SECOND);
    // The picture is RGB as a window shows it; its alpha is dropped. The rows
    // come bottom up. Players take HD video as BT.709, so the conversion uses
    // it and says so.
    const std::vector<std::string> args = {
        FFMPEG, "-hide_banner", "-loglevel", "error", "-y",
        "-f", "rawvideo", "-pix_fmt", "rgba", "-video_size", size, "-framerate", rate, "-i", "pipe:0",
        "-vf", "vflip,scale=out_color_matrix=bt709:out_range=tv,format=yuv420p",
        "-c:v", "libx264", "-profile:v", ENCODER_PROFILE, "-preset", ENCODER_PRESET, "-crf", QUALITY_CRF,
        "-x264-params", ENCODER_TUNING,
        "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv",
        videoFile};
    if (!ffmpeg.start(args, logFile)) {
        std::cerr << "bouncefest-capture: Unable to start ffmpeg." << std::endl;
        return false;
    }
    return true;
}

bool VideoEncoder::addFrame(const std::vector<sf::Uint8>& bottomUpPixels)
{
    framesRefused = framesRefused || !ffmpeg.write(bottomUpPixels.data(), bottomUpPixels.size());
    return !framesRefused;
}

bool VideoEncoder::finish()
{
    const int exitCode = ffmpeg.finish();
    if (exitCode == 0 && !framesRefused) return true;
    reportEncodeFailure(exitCode, ffmpeg.lastLogLine());
    return false;
}

bool joinSoundtrack(const std::string& videoFile, const std::string& wavFile, const std::string& output,
                    const std::string& logFile)
{
    const std::vector<std::string> args = {
        FFMPEG, "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-i", videoFile, "-i", wavFile,
        "-map", "0:v", "-map", "1:a", "-c:v", "copy",
        "-c:a", "aac", "-b:a", AUDIO_BITRATE, "-ar", std::to_string(SOUNDTRACK_RATE_HZ), "-ac", "2",
        "-movflags", "+faststart", "-f", "mp4", output};
    ChildProcess join;
    if (!join.start(args, logFile)) {
        std::cerr << "bouncefest-capture: Unable to start ffmpeg." << std::endl;
        return false;
    }
    const int exitCode = join.finish();
    if (exitCode == 0) return true;
    reportEncodeFailure(exitCode, join.lastLogLine());
    return false;
}
