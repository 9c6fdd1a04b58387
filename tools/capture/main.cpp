// bouncefest-capture: the show rendered frame by frame at exactly 60 fps,
// off screen, into an MP4 with its soundtrack, PNG frames or a WAV file.
#include "capture_options.h"
#include "frame_clock.h"
#include "show_run.h"
#include "soundtrack.h"
#include "video_encoder.h"
#include "core/app.h"
#include "core/library_output.h"
#include "core/platform.h"
#include "core/loading.h"
#include "core/show.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

static constexpr std::size_t FRAME_NAME_SIZE = 32;

static std::int64_t expectedEnd(const CaptureOptions& options)
{
    return options.endFrame == SHOW_END_FRAME ? showLengthFrames() : options.endFrame;
}

static bool reportShowTooShort(std::int64_t showFrames, std::int64_t wantedFrame)
{
    std::cerr << "bouncefest-capture: The show ends after " << showFrames << " frames ("
              << static_cast<double>(showFrames) / FRAMES_PER_SECOND << " s); frame " << wantedFrame
              << " is past its end." << std::endl;
    return false;
}

// The three things the capture can write, each from one run of the show;
// each returns false after its error line. First the chosen frames, as
// frame-NNNNNN.png in the output folder.
static bool captureFrames(sf::RenderTexture& target, const CaptureOptions& options, CaptureProgress& progress)
{
    const std::int64_t lastFrame = *options.frames.rbegin();
    FrameChoice choice;
    choice.wanted = [&](std::int64_t frame) { return options.frames.count(frame) != 0; };
    choice.keep = [&](std::int64_t frame, const BottomUpPixels& pixels) {
        char name[FRAME_NAME_SIZE];
        std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(frame));
        const std::string path = options.output + "/" + name;
        // A frame is what the window shows, and the window has no alpha.
        BottomUpPixels opaque = pixels;
        for (std::size_t alpha = 3; alpha < opaque.size(); alpha += 4) opaque[alpha] = 255;
        sf::Image picture;
        picture.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, opaque.data());
        picture.flipVertically();
        if (picture.saveToFile(path)) return true;
        std::cerr << "bouncefest-capture: Unable to write " << path << "." << std::endl;
        return false;
    };
    choice.endFrame = lastFrame + 1;
    progress.begin(choice.endFrame);
    const ShowRun run = runShow(target, choice, progress);
    progress.finish();
    if (run.end == ShowRunEnd::KeepFailed) return false;
    if (run.framesRun <= lastFrame) return reportShowTooShort(run.framesRun, lastFrame);
    return true;
}

// The part of the soundtrack that the frames [firstFrame, framesRun) cover.
static AudioClip soundtrackOf(const CaptureOptions& options, const ShowRun& run)
{
    return mixSoundtrack(soundtrackLog, options.firstFrame, run.framesRun);
}

// The soundtrack of the chosen part as a WAV file.
static bool captureSoundtrack(sf::RenderTexture& target, const CaptureOptions& options, CaptureProgress& progress)
{
    FrameChoice choice;
    choice.wanted = [](std::int64_t) { return false; };
    choice.endFrame = options.endFrame;
    progress.begin(expectedEnd(options));
    const ShowRun run = runShow(target, choice, progress);
    progress.finish();
    if (run.framesRun <= options.firstFrame) return reportShowTooShort(run.framesRun, options.firstFrame);
    return writeWav(soundtrackOf(options, run), options.output);
}

// The chosen part as an MP4 with its soundtrack.
static bool captureVideo(sf::RenderTexture& target, const CaptureOptions& options, CaptureProgress& progress)
{
    TemporaryFolder parts;
    if (!parts.create()) return false;
    const std::string pictures = (parts.path / "pictures.mp4").string();
    const std::string soundtrack = (parts.path / "soundtrack.wav").string();
    const std::string log = (parts.path / "ffmpeg.log").string();
    VideoEncoder encoder;
    if (!encoder.start(pictures, log)) return false;

    FrameChoice choice;
    choice.wanted = [&](std::int64_t frame) { return frame >= options.firstFrame; };
    choice.keep = [&](std::int64_t, const BottomUpPixels& pixels) { return encoder.addFrame(pixels); };
    choice.endFrame = options.endFrame;
    progress.begin(expectedEnd(options));
    const ShowRun run = runShow(target, choice, progress);
    progress.finish();
    if (run.framesRun <= options.firstFrame) {
        encoder.ffmpeg.finish();  // with no frame, its failure says nothing new
        return reportShowTooShort(run.framesRun, options.firstFrame);
    }
    if (!encoder.finish()) return false;
    std::cout << "Mixing the soundtrack and joining it to the video." << std::endl;
    return writeWav(soundtrackOf(options, run), soundtrack) &&
           joinSoundtrack(pictures, soundtrack, options.output, log);
}

// A video needs ffmpeg.
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
    if (!startCapturedShow(target) || !capture(target, options)) {
        if (options.mode != CaptureMode::Frames) releaseOutputFile(options.output);
        return EXIT_FAILURE;
    }
    std::cout << "Wrote " << options.output << std::endl;
    return EXIT_SUCCESS;
}

int main(int argc, char** argv)
{
    // The soundtrack is mixed here from the decoded media and needs no sound
    // card: OpenAL's null output takes the show's audio objects.
    setenv("ALSOFT_DRIVERS", "null", 1);
    if (!displayAvailable()) return EXIT_FAILURE;
    silenceLibraryOutput();
    makeDeviceObjects();
    const int exitCode = captureMain(argc, argv);
    releaseAudio();
    return exitCode;
}
