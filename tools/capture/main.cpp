// bouncefest-capture: the show rendered frame by frame at exactly 60 fps,
// off screen, into an MP4 with its soundtrack, PNG frames or a WAV file.
#include "capture_modes.h"
#include "capture_options.h"
#include "capture_progress.h"
#include "child_process.h"
#include "output_files.h"
#include "show_run.h"

#include <cstdlib>
#include <iostream>

// What the chosen mode needs beyond the show: an X display for the GL
// context (the library aborts without one), ffmpeg for a video.
static bool surroundingsReady(const CaptureOptions& options)
{
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') {
        std::cerr << "bouncefest-capture: No X display for OpenGL; run it under scripts/with-xvfb.sh." << std::endl;
        return false;
    }
    if (options.mode == CaptureMode::Video && !isInPath("ffmpeg")) {
        std::cerr << "bouncefest-capture: ffmpeg is missing; install the Debian package ffmpeg." << std::endl;
        return false;
    }
    return true;
}

static bool outputReady(const CaptureOptions& options)
{
    if (options.mode == CaptureMode::Frames) return prepareFramesFolder(options.output);
    return claimOutputFile(options.output);
}

static bool capture(sf::RenderTexture& target, const CaptureOptions& options)
{
    CaptureProgress progress;
    switch (options.mode) {
    case CaptureMode::Frames:
        return captureFrames(target, options, progress);
    case CaptureMode::Soundtrack:
        return captureSoundtrack(target, options, progress);
    case CaptureMode::Video:
        return captureVideo(target, options, progress);
    }
    return false;
}

static int captureMain(int argc, char** argv)
{
    CaptureOptions options;
    if (!parseCaptureOptions(argc, argv, options)) return EXIT_FAILURE;
    if (options.helpOnly) {
        std::cout << captureUsage();
        return EXIT_SUCCESS;
    }
    if (!surroundingsReady(options) || !outputReady(options)) return EXIT_FAILURE;

    sf::RenderTexture target;
    if (!startShow(target) || !capture(target, options)) {
        if (options.mode != CaptureMode::Frames) releaseOutputFile(options.output);
        return EXIT_FAILURE;
    }
    std::cout << "Wrote " << options.output << std::endl;
    return EXIT_SUCCESS;
}

int main(int argc, char** argv)
{
    const int exitCode = captureMain(argc, argv);
    // The show's sound records live until the process ends, so the audio
    // library's own clean-up would find its device open and add a line to a
    // run's output. The tool leaves without the library clean-ups.
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(exitCode);
}
