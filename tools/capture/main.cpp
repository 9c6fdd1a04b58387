// bouncefest-capture: the outputs checked before the long run, and the three things it can write, each from one
// run of the show.
#include "capture.h"

#include "core/library_output.h"
#include "core/loading.h"
#include "core/platform.h"
#include "core/show.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

bool reportUnwritable(const std::string& path, int error)
{
    std::cerr << "bouncefest-capture: Unable to write " << path << ": " << std::strerror(error) << "." << std::endl;
    return false;
}

// Opens (creating) the output file once, so that an unwritable path fails at the start rather than after minutes
// of capture; `created` tells whether a failed capture is to remove it again.
static bool claimOutputFile(const std::string& path, bool& created)
{
    std::error_code ignored;
    created = !fs::exists(path, ignored);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    if (fd < 0) return reportUnwritable(path, errno);
    close(fd);
    return true;
}

static bool prepareFramesFolder(const std::string& path)
{
    std::error_code error;
    fs::create_directories(path, error);
    if (error) return reportUnwritable(path, error.value());
    if (access(path.c_str(), W_OK) != 0) return reportUnwritable(path, errno);
    return true;
}

// The chosen frames, as frame-NNNNNN.png in the output folder.
static bool captureFrames(sf::RenderTexture& target, const CaptureOptions& options)
{
    FrameChoice choice;
    choice.wanted = [&](std::int64_t frame) { return options.frames.count(frame) != 0; };
    choice.keep = [&](std::int64_t frame, BottomUpPixels& pixels) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%06lld.png", static_cast<long long>(frame));
        const std::string path = options.output + name;
        // A frame is what the window shows, and the window has no alpha.
        for (std::size_t alpha = 3; alpha < pixels.size(); alpha += 4) pixels[alpha] = 255;
        sf::Image picture;
        picture.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, pixels.data());
        picture.flipVertically();
        if (picture.saveToFile(path)) return true;
        std::cerr << "bouncefest-capture: Unable to write " << path << "." << std::endl;
        return false;
    };
    const std::int64_t lastFrame = *options.frames.rbegin();
    choice.endFrame = lastFrame + 1;
    const ShowRun run = runShow(target, choice);
    return !run.keepFailed && (run.framesRun > lastFrame || reportShowTooShort(run.framesRun, lastFrame));
}

// The soundtrack of the chosen part as a WAV file.
static bool captureSoundtrack(sf::RenderTexture& target, const CaptureOptions& options)
{
    FrameChoice choice;
    choice.wanted = [](std::int64_t) { return false; };
    choice.endFrame = options.endFrame;
    const ShowRun run = runShow(target, choice);
    if (run.framesRun <= options.firstFrame) return reportShowTooShort(run.framesRun, options.firstFrame);
    return writeWav(mixSoundtrack(options.firstFrame, run.framesRun), options.output);
}

static bool capture(sf::RenderTexture& target, const CaptureOptions& options)
{
    if (!startCapturedShow(target)) return false;
    if (options.mode == CaptureMode::Frames) return captureFrames(target, options);
    if (options.mode == CaptureMode::Soundtrack) return captureSoundtrack(target, options);
    return captureVideo(target, options);
}

static int captureMain(int argc, char** argv)
{
    CaptureOptions options;
    if (!parseCaptureOptions(argc, argv, options)) return EXIT_FAILURE;
    if (options.helpOnly) return EXIT_SUCCESS;
    if (options.mode == CaptureMode::Video && !ffmpegInstalled()) return EXIT_FAILURE;
    bool outputCreated = false;
    const bool ready = options.mode == CaptureMode::Frames ? prepareFramesFolder(options.output)
                                                           : claimOutputFile(options.output, outputCreated);
    if (!ready) return EXIT_FAILURE;
    sf::RenderTexture target;
    if (capture(target, options)) {
        std::cout << "Wrote " << options.output << std::endl;
        return EXIT_SUCCESS;
    }
    std::error_code ignored;
    if (outputCreated) fs::remove(options.output, ignored);
    return EXIT_FAILURE;
}

int main(int argc, char** argv)
{
    // The soundtrack is mixed here from the decoded media and needs no sound card: OpenAL's null output takes the
    // show's audio objects.
    setenv("ALSOFT_DRIVERS", "null", 1);
    if (!displayAvailable()) return EXIT_FAILURE;
    silenceLibraryOutput();
    makeDeviceObjects();
    const int exitCode = captureMain(argc, argv);
    releaseAudio();
    return exitCode;
}
