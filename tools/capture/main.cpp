// bouncefest-capture: the show rendered frame by frame at exactly 60 fps,
// off screen, into an MP4 with its soundtrack, PNG frames or a WAV file.
#include "capture_modes.h"
#include "capture_options.h"
#include "capture_progress.h"
#include "child_process.h"
#include "output_files.h"
#include "show_run.h"

#include "core/loading.h"

#include <cstdlib>
#include <iostream>

// The soundtrack is mixed here from the decoded media and needs no sound
// card: OpenAL's null output takes the show's audio objects. Set before the
// show's globals make the first of them, which opens the device.
static struct NullAudioOutput {
    NullAudioOutput() { setenv("ALSOFT_DRIVERS", "null", 1); }
} nullAudioOutput __attribute__((init_priority(101)));

// A video needs ffmpeg. The X display that the GL context needs is checked
// by the show's library before main runs.
static bool encoderReady(const CaptureOptions& options)
{
    if (options.mode != CaptureMode::Video || isInPath("ffmpeg")) return true;
    std::cerr << "bouncefest-capture: ffmpeg is missing; install the Debian package ffmpeg." << std::endl;
    return false;
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
    if (!encoderReady(options) || !outputReady(options)) return EXIT_FAILURE;

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
    releaseAudio();
    return exitCode;
}
