// The show as the demo runs it, but off screen and on a fixed clock, and the progress line while it runs.
#include "capture.h"

#include "core/config.h"
#include "core/show.h"

#include <SFML/Audio/Listener.hpp>
#include <SFML/OpenGL.hpp>
#include <unistd.h>

#include <chrono>
#include <iomanip>
#include <iostream>
#include <sstream>

using Clock = std::chrono::steady_clock;

static double secondsBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

static std::string minutesAndSeconds(double seconds)
{
    const long whole = static_cast<long>(seconds + 0.5);
    std::ostringstream text;
    text << whole / 60 << ":" << std::setw(2) << std::setfill('0') << whole % 60;
    return text.str();
}

struct PartSpeed {
    const char* name;
    std::int64_t frames = 0;
    double seconds = 0.0;
};

// The progress line while the show runs (frame, speed, time left) and, at the end, the speed of each part of
// the show over the frames drawn in full.
struct CaptureProgress {
    std::int64_t endFrame = 0;                     // where the time left runs to
    bool toTerminal = isatty(STDOUT_FILENO) != 0;  // a terminal gets one line rewritten in place
    PartSpeed loading{"loading screen"};
    PartSpeed intro{"intro"};
    PartSpeed balls{"ball scene"};  // with the closing frame
    PartSpeed skipped{"run without drawing"};
    Clock::time_point started = Clock::now();
    Clock::time_point frameStart = started;
    Clock::time_point lineTime = started;
    std::int64_t lineFrame = 0;

    void frameDone(std::int64_t frame, SceneId part, bool drawn)
    {
        const Clock::time_point now = Clock::now();
        PartSpeed& speed =
            !drawn ? skipped : part == SceneId::Loading ? loading : part == SceneId::Intro ? intro : balls;
        ++speed.frames;
        speed.seconds += secondsBetween(frameStart, now);
        frameStart = now;

        const double sinceLine = secondsBetween(lineTime, now);
        if (sinceLine < (toTerminal ? 0.5 : 10.0)) return;
        // The speed of the last stretch: the parts of the show differ widely.
        const double fps = static_cast<double>(frame + 1 - lineFrame) / sinceLine;
        const double secondsLeft = endFrame > frame ? static_cast<double>(endFrame - frame - 1) / fps : 0.0;
        lineTime = now;
        lineFrame = frame + 1;
        std::ostringstream line;
        line << "frame " << frame + 1 << " of about " << endFrame << ", " << std::fixed << std::setprecision(1)
             << fps << " fps, about " << minutesAndSeconds(secondsLeft) << " left";
        if (toTerminal) {
            std::cout << "\r" << std::left << std::setw(60) << line.str() << std::flush;
        } else {
            std::cout << line.str() << std::endl;
        }
    }

    void finish()
    {
        if (toTerminal) std::cout << std::endl;
        std::cout << "Ran " << loading.frames + intro.frames + balls.frames + skipped.frames << " frames in " 
                  << minutesAndSeconds(secondsBetween(started, Clock::now())) << ":" << std::endl;
        for (const PartSpeed* part : {&loading, &intro, &balls, &skipped}) {
            if (part->frames == 0) continue;
            std::cout << "  " << part->name << ": " << part->frames << " frames, " << std::fixed << std::setprecision(1)
                      << static_cast<double>(part->frames) / part->seconds << " fps" << std::endl;
        }
    }
};

bool reportShowTooShort(std::int64_t showFrames, std::int64_t wantedFrame)
{
    std::cerr << "bouncefest-capture: The show ends after " << showFrames << " frames ("
              << static_cast<double>(showFrames) / FRAMES_PER_SECOND << " s); frame " << wantedFrame
              << " is past its end." << std::endl;
    return false;
}

bool startCapturedShow(sf::RenderTexture& target)
{
    loadConfig();
    sf::Listener::setGlobalVolume(0.0f);  // the soundtrack is mixed offline
    if (!target.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, sf::ContextSettings())) {
        std::cerr << "bouncefest-capture: Unable to create the off-screen target." << std::endl;
        return false;
    }
    if (!startShow()) {
        std::cerr << "bouncefest-capture: The show could not start." << std::endl;
        return false;
    }
    soundtrackLog.listen();
    return true;
}

// The ball scene's own target, in full or only its corner pixel.
static void drawOffscreenInFull(bool full)
{
    const sf::Vector2f size(static_cast<float>(SCREEN_WIDTH_PX), static_cast<float>(SCREEN_HEIGHT_PX));
    sf::View view(sf::FloatRect(sf::Vector2f(0.0f, 0.0f), size));
    if (!full) view.setViewport(sf::FloatRect(0.0f, 0.0f, 1.0f / size.x, 1.0f / size.y));
    offscreenTarget->setView(view);
}

ShowRun runShow(sf::RenderTexture& target, const FrameChoice& choice)
{
    CaptureProgress progress;
    progress.endFrame = choice.endFrame == SHOW_END_FRAME ? SHOW_FRAMES : choice.endFrame;
    ShowRun run;
    // What a frame that is not wanted draws never shows: a wanted frame clears both targets before it draws. So
    // it draws on a one-pixel target, and the ball scene into one pixel of its own target; that skips nearly all
    // of its cost.
    sf::RenderTexture sketch;
    sketch.create(1, 1, sf::ContextSettings());
    bool drawingInFull = true;
    drawOffscreenInFull(drawingInFull);
    BottomUpPixels pixels(static_cast<std::size_t>(SCREEN_WIDTH_PX) * SCREEN_HEIGHT_PX * 4);
    // The demo's main loop, with the fixed dt for its clock and no events.
    while (isRunning && (choice.endFrame == SHOW_END_FRAME || run.framesRun < choice.endFrame)) {
        const std::int64_t frame = run.framesRun;
        const bool wanted = choice.wanted(frame);
        if (wanted != drawingInFull) {
            drawingInFull = wanted;
            drawOffscreenInFull(wanted);
        }
        soundtrackLog.currentFrame = frame;
        const SceneId part = sceneId;
        sf::RenderTexture& screen = wanted ? target : sketch;
        playFrame(screen, FRAME_TIME_S);
        screen.display();
        ++run.framesRun;
        if (wanted) {
            // Straight from the target's framebuffer: several times faster than a copy through the texture, and
            // the video encoder turns the rows over for free.
            target.setActive(true);
            glReadPixels(0, 0, SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
            if (!choice.keep(frame, pixels)) {
                run.keepFailed = true;
                break;
            }
        }
        progress.frameDone(frame, part, wanted);
    }
    progress.finish();
    return run;
}
