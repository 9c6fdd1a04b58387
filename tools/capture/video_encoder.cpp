#include "video_encoder.h"

#include "frame_clock.h"
#include "core/app.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

static constexpr int NO_CHILD_EXIT_CODE = -1;
static constexpr int SIGNAL_EXIT_CODE_BASE = 128;

bool ChildProcess::start(const std::vector<std::string>& args, const std::string& log)
{
    // A child that stops reading must fail our write, not end this process.
    std::signal(SIGPIPE, SIG_IGN);
    logPath = log;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);

    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const int failure = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (failure != 0) {
        close(fds[1]);
        pid = -1;
        return false;
    }
    input = fds[1];
    return true;
}

bool ChildProcess::write(const void* bytes, std::size_t count)
{
    const char* next = static_cast<const char*>(bytes);
    while (count > 0) {
        const ssize_t written = ::write(input, next, count);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        next += written;
        count -= static_cast<std::size_t>(written);
    }
    return true;
}

int ChildProcess::finish()
{
    if (input >= 0) close(input);
    input = -1;
    if (pid < 0) return NO_CHILD_EXIT_CODE;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return NO_CHILD_EXIT_CODE;
    }
    pid = -1;
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
    const char* path = std::getenv("PATH");
    if (path == nullptr) return false;
    std::istringstream folders(path);
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (folder.empty()) folder = ".";
        const std::string candidate = folder + "/" + program;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(candidate.c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

int runToEnd(const std::vector<std::string>& args, const std::string& log)
{
    ChildProcess child;
    if (!child.start(args, log)) return NO_CHILD_EXIT_CODE;
    return child.finish();
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
