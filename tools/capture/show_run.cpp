#include "show_run.h"

#include "core/app.h"
#include "core/config.h"
#include "core/loading.h"
#include "frame_clock.h"
#include "soundtrack_log.h"

#include <SFML/Audio/Listener.hpp>
#include <SFML/OpenGL.hpp>

#include <iostream>

static constexpr float SILENT_VOLUME = 0.0f;

bool startShow(sf::RenderTexture& target)
{
    loadConfig();
    sf::Listener::setGlobalVolume(SILENT_VOLUME);
    if (!target.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, sf::ContextSettings())) {
        std::cerr << "bouncefest-capture: Unable to create the off-screen target." << std::endl;
        return false;
    }
    createOffscreenTarget();
    if (!loadAssets()) {
        std::cerr << "bouncefest-capture: The show could not start." << std::endl;
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
    offscreenTarget.setView(view);
}

ShowRun runShow(sf::RenderTexture& target, const FrameChoice& choice, CaptureProgress& progress)
{
    ShowRun run;
    // What a frame that is not wanted draws never shows: a wanted frame
    // clears both targets before it draws. So it draws on a one-pixel target,
    // and the ball scene into one pixel of its own target, left uncleared;
    // that skips nearly all of its cost.
    sf::RenderTexture sketch;
    sketch.create(SKETCH_SIZE_PX, SKETCH_SIZE_PX, sf::ContextSettings());
    bool drawingInFull = true;
    drawOffscreenInFull(drawingInFull);
    BottomUpPixels pixels;
    // The demo's main loop, with its clock and events replaced by the fixed dt.
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
        if (wanted) offscreenTarget.clear(sf::Color(0, 0, 0, 0));
        runFrame(wanted ? target : sketch, FRAME_TIME_S);
        ++run.framesRun;
        if (wanted) {
            target.display();
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
