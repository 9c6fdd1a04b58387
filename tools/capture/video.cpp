// The MP4 through ffmpeg, a child program fed through a pipe: first the frames, piped in as raw pixels and
// encoded as H.264, then the soundtrack put beside them as AAC.
#include "capture.h"

#include "core/screen.h"

#include <stdlib.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace fs = std::filesystem;

// A word as the shell reads it back unchanged: in single quotes, each of its own single quotes closed, escaped
// and reopened.
static std::string shellWord(const std::string& word)
{
    std::string quoted = "'";
    for (const char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool ffmpegInstalled()
{
    if (std::system("command -v ffmpeg >/dev/null") == 0) return true;
    std::cerr << "bouncefest-capture: ffmpeg is missing; install the Debian package ffmpeg." << std::endl;
    return false;
}

// Starts ffmpeg with args, its standard input ours to write, its own output kept in log; null after an error line.
static std::FILE* startFfmpeg(const std::vector<std::string>& args, const std::string& log)
{
    // A child that stops reading must fail our write, not end this process.
    std::signal(SIGPIPE, SIG_IGN);
    std::string command = "exec ffmpeg -hide_banner -loglevel error";
    for (const std::string& arg : args) command += " " + shellWord(arg);
    std::FILE* input = popen((command + " >" + shellWord(log) + " 2>&1").c_str(), "w");
    if (input == nullptr) std::cerr << "bouncefest-capture: Unable to start ffmpeg." << std::endl;
    return input;
}

// Closes ffmpeg's input and waits for it; false after an error line with its exit code (or 128 + the signal)
// and the last line of its log when it failed or did not take every frame.
static bool ffmpegSucceeded(std::FILE* input, bool tookEveryFrame, const std::string& log)
{
    const int status = pclose(input);
    const int exitCode = status < 0 ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (exitCode == 0 && tookEveryFrame) return true;
    std::ifstream lines(log);
    std::string last;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) last = line;
    }
    std::cerr << "bouncefest-capture: ffmpeg failed to encode the video (exit code " << exitCode << ")";
    if (!last.empty()) std::cerr << ": " << last;
    std::cerr << std::endl;
    return false;
}

// A new folder under the system's temporary folder, removed with the object.
struct TemporaryFolder {
    fs::path path;

    ~TemporaryFolder()
    {
        std::error_code ignored;
        if (!path.empty()) fs::remove_all(path, ignored);
    }
};

bool captureVideo(sf::RenderTexture& target, const CaptureOptions& options)
{
    TemporaryFolder parts;
    std::string pattern = (fs::temp_directory_path() / "bouncefest-capture-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return reportUnwritable(pattern, errno);
    parts.path = pattern;
    const std::string pictures = (parts.path / "pictures.mp4").string();
    const std::string soundtrack = (parts.path / "soundtrack.wav").string();
    const std::string log = (parts.path / "ffmpeg.log").string();
    // The picture is RGB as a window shows it; its alpha is dropped. The rows come bottom up. Players take HD
    // video as BT.709, so the conversion uses it and says so. CRF 17 is close to lossless for flat colours, text
    // and soft gradients; on the ball scene the preset veryfast comes within half a dB of medium, at a similar
    // size, for under half of its time. The High profile is what players and upload sites expect of 1080p60.
    // The adaptive quantiser mode 3 leans towards dark, flat blocks: without it the star field's sky gets the
    // fewest bits of the frame, and its faint gradient and lone stars are what bands and blocks first (on the
    // ball scene, 1 dB more in the sky for 14 % more bits).
    const std::string size = std::to_string(SCREEN_WIDTH_PX) + "x" + std::to_string(SCREEN_HEIGHT_PX);
    std::FILE* encoder = startFfmpeg(
        {"-y", "-f", "rawvideo", "-pix_fmt", "rgba", "-video_size", size, "-framerate",
         std::to_string(FRAMES_PER_SECOND), "-i", "pipe:0",
         "-vf", "vflip,scale=out_color_matrix=bt709:out_range=tv,format=yuv420p",
         "-c:v", "libx264", "-profile:v", "high", "-preset", "veryfast", "-crf", "17", "-x264-params", "aq-mode=3",
         "-colorspace", "bt709", "-color_primaries", "bt709", "-color_trc", "bt709", "-color_range", "tv", pictures},
        log);
    if (encoder == nullptr) return false;

    FrameChoice choice;
    choice.wanted = [&](std::int64_t frame) { return frame >= options.firstFrame; };
    choice.keep = [&](std::int64_t, BottomUpPixels& pixels) {
        return std::fwrite(pixels.data(), 1, pixels.size(), encoder) == pixels.size();
    };
    choice.endFrame = options.endFrame;
    const ShowRun run = runShow(target, choice);
    if (run.framesRun <= options.firstFrame) {
        pclose(encoder);  // with no frame, its failure says nothing new
        return reportShowTooShort(run.framesRun, options.firstFrame);
    }
    if (!ffmpegSucceeded(encoder, !run.keepFailed, log)) return false;
    std::cout << "Mixing the soundtrack and joining it to the video." << std::endl;
    if (!writeWav(mixSoundtrack(options.firstFrame, run.framesRun), soundtrack)) return false;
    std::FILE* join = startFfmpeg(
        {"-nostdin", "-y", "-i", pictures, "-i", soundtrack, "-map", "0:v", "-map", "1:a", "-c:v", "copy",
         "-c:a", "aac", "-b:a", "192k", "-ar", std::to_string(SOUNDTRACK_RATE_HZ), "-ac", "2",
         "-movflags", "+faststart", "-f", "mp4", options.output},
        log);
    return join != nullptr && ffmpegSucceeded(join, true, log);
}
