#include "show_run.h"

#include "soundtrack.h"
#include "core/show.h"
#include "scenes/scenes.h"

#include <SFML/Audio/Listener.hpp>
#include <SFML/OpenGL.hpp>
#include <unistd.h>

#include <cstdio>
#include <iomanip>
#include <iostream>
#include <sstream>

static constexpr double TERMINAL_LINE_INTERVAL_S = 0.5;
static constexpr double LOG_LINE_INTERVAL_S = 10.0;
static constexpr int SECONDS_PER_MINUTE = 60;

static double secondsBetween(CaptureProgress::Clock::time_point from, CaptureProgress::Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

static std::string minutesAndSeconds(double seconds)
{
    const long whole = static_cast<long>(seconds + 0.5);
    std::ostringstream text;
    text << whole / SECONDS_PER_MINUTE << ":" << std::setw(2) << std::setfill('0') << whole % SECONDS_PER_MINUTE;
    return text.str();
}

void CaptureProgress::begin(std::int64_t expectedEndFrame)
{
    endFrame = expectedEndFrame;
    toTerminal = isatty(STDOUT_FILENO) != 0;
    started = Clock::now();
    frameStart = started;
    lineTime = started;
}

void CaptureProgress::frameDone(std::int64_t frame, SceneId part, bool drawn)
{
    const Clock::time_point now = Clock::now();
    PartSpeed& speed = !drawn ? skipped : part == SceneId::Loading ? loading : part == SceneId::Intro ? intro : balls;
    ++speed.frames;
    speed.seconds += secondsBetween(frameStart, now);
    frameStart = now;

    const double sinceLine = secondsBetween(lineTime, now);
    if (sinceLine < (toTerminal ? TERMINAL_LINE_INTERVAL_S : LOG_LINE_INTERVAL_S)) return;
    // The speed of the last stretch: the parts of the show differ widely.
    const double framesPerSecond = static_cast<double>(frame + 1 - lineFrame) / sinceLine;
    const double secondsLeft = endFrame > frame ? static_cast<double>(endFrame - frame - 1) / framesPerSecond : 0.0;
    lineTime = now;
    lineFrame = frame + 1;
    std::ostringstream line;
    line << "frame " << frame + 1 << " of about " << endFrame << ", " << std::fixed << std::setprecision(1)
         << framesPerSecond << " fps, about " << minutesAndSeconds(secondsLeft) << " left";
    if (toTerminal) {
        std::cout << "\r" << std::left << std::setw(60) << line.str() << std::flush;
    } else {
        std::cout << line.str() << std::endl;
    }
}

static void writePart(const char* name, const PartSpeed& speed)
{
    if (speed.frames == 0) return;
    std::cout << "  " << name << ": " << speed.frames << " frames, " << std::fixed << std::setprecision(1)
              << static_cast<double>(speed.frames) / speed.seconds << " fps" << std::endl;
}

void CaptureProgress::finish()
{
    if (toTerminal) std::cout << std::endl;
    std::cout << "Ran " << loading.frames + intro.frames + balls.frames + skipped.frames << " frames in "
              << minutesAndSeconds(secondsBetween(started, Clock::now())) << ":" << std::endl;
    writePart("loading screen", loading);
    writePart("intro", intro);
    writePart("ball scene", balls);
    writePart("run without drawing", skipped);
}

std::int64_t showLengthFrames()
{
    // A stage ends on the first frame past its length; the frame after the
    // ball scene's last one ends the show.
    std::int64_t frames = 1;
    const std::vector<float> scenes[] = {loadingScreenStageLengthsS(), introStageLengthsS(),
                                         ballSceneStageLengthsS()};
    for (const std::vector<float>& scene : scenes) {
        for (const float length : scene) {
            for (float stageTime = 0.0f; !(stageTime > length); stageTime += FRAME_TIME_S) ++frames;
        }
    }
    return frames;
}

static constexpr float SILENT_VOLUME = 0.0f;

bool startCapturedShow(sf::RenderTexture& target)
{
    bool targetMade = false;
    const bool started = startShow([&target, &targetMade] {
        sf::Listener::setGlobalVolume(SILENT_VOLUME);
        targetMade = target.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, sf::ContextSettings());
        if (!targetMade) std::cerr << "bouncefest-capture: Unable to create the off-screen target." << std::endl;
        return targetMade;
    });
    if (!started) {
        if (targetMade) std::cerr << "bouncefest-capture: The show could not start." << std::endl;
        return false;
    }
    soundtrackLog.listen();
    return true;
}

static constexpr std::size_t BYTES_PER_PIXEL = 4;

// Straight from the target's framebuffer: several times faster than a copy
// through the texture, and the video encoder turns the rows over for free.
static void readPixels(sf::RenderTexture& target, BottomUpPixels& pixels)
{
    pixels.resize(static_cast<std::size_t>(SCREEN_WIDTH_PX) * SCREEN_HEIGHT_PX * BYTES_PER_PIXEL);
    target.setActive(true);
    glReadPixels(0, 0, SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
}

// The size of the target that frames which are not wanted draw on.
static constexpr unsigned SKETCH_SIZE_PX = 1;

// The ball scene's own target, in full or only its corner pixel.
static void drawOffscreenInFull(bool full)
{
    const sf::Vector2f size(static_cast<float>(SCREEN_WIDTH_PX), static_cast<float>(SCREEN_HEIGHT_PX));
    sf::View view(sf::FloatRect(sf::Vector2f(0.0f, 0.0f), size));
    if (!full) view.setViewport(sf::FloatRect(0.0f, 0.0f, 1.0f / size.x, 1.0f / size.y));
    offscreenTarget->setView(view);
}

ShowRun runShow(sf::RenderTexture& target, const FrameChoice& choice, CaptureProgress& progress)
{
    ShowRun run;
    // What a frame that is not wanted draws never shows: a wanted frame
    // clears both targets before it draws. So it draws on a one-pixel target,
    // and the ball scene into one pixel of its own target; that skips nearly
    // all of its cost.
    sf::RenderTexture sketch;
    sketch.create(SKETCH_SIZE_PX, SKETCH_SIZE_PX, sf::ContextSettings());
    bool drawingInFull = true;
    drawOffscreenInFull(drawingInFull);
    BottomUpPixels pixels;
    // The demo's main loop, with the fixed dt for its clock and no events.
    while (isRunning) {
        const std::int64_t frame = run.framesRun;
        if (choice.endFrame != SHOW_END_FRAME && frame >= choice.endFrame) {
            run.end = ShowRunEnd::EndFrame;
            return run;
        }
        const bool wanted = choice.wanted(frame);
        if (wanted != drawingInFull) {
            drawingInFull = wanted;
            drawOffscreenInFull(drawingInFull);
        }
        soundtrackLog.currentFrame = frame;
        const SceneId part = sceneId;
        playFrame(wanted ? target : sketch, FRAME_TIME_S, [] {});
        ++run.framesRun;
        if (wanted) {
            readPixels(target, pixels);
            if (!choice.keep(frame, pixels)) {
                run.end = ShowRunEnd::KeepFailed;
                return run;
            }
        }
        progress.frameDone(frame, part, wanted);
    }
    run.end = ShowRunEnd::ShowOver;
    return run;
}
