#include "capture_progress.h"

#include <cstdio>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <unistd.h>

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
