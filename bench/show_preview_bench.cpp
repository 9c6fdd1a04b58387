// Plays the show's opening off screen as the window would show it, at a
// steady 60 frames per second: the loading screen, the four intro cards
// and the first seconds of the ball scene. Saves key moments as
// previews/show_<seconds>.png beside this program and prints the median
// time of one frame for each scene (the intro's is the card pass through
// peephole.frag). Run from the repository root under Xvfb, e.g.
//   LP_NUM_THREADS=2 ./scripts/with-xvfb.sh build/show_preview_bench
#include "core/config.h"
#include "core/library_output.h"
#include "core/platform.h"
#include "core/show.h"
#include "scenes/scenes.h"

#include <SFML/Graphics.hpp>
#include <SFML/OpenGL.hpp>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <map>
#include <sstream>
#include <vector>

static const float FRAME_SECONDS = 1.0f / 60.0f;

// Each intro card takes 7 s (2 s fading in, 3 s standing, 2 s fading out).
static const double INTRO_START_SECONDS = stageEndS(LOADING_STAGES_S);
static const double BALLS_START_SECONDS = INTRO_START_SECONDS + stageEndS(INTRO_STAGES_S);
static const double LAST_SECONDS = BALLS_START_SECONDS + 4.0;
static const double KEY_MOMENTS_SECONDS[] = {
    1.0,  3.0,  7.0,  20.0,                                                    // loading screen
    INTRO_START_SECONDS + 0.8,  INTRO_START_SECONDS + 4.0,                     // "Grumble Owl"
    INTRO_START_SECONDS + 11.0, INTRO_START_SECONDS + 18.0,                    // "vs", "The Quirkz"
    INTRO_START_SECONDS + 21.6, INTRO_START_SECONDS + 25.0,                    // the title
    BALLS_START_SECONDS + 1.0,  BALLS_START_SECONDS + 3.5,                     // the room fades in
};

static const char* sceneName(SceneId id)
{
    switch (id) {
    case SceneId::Loading: return "loading screen";
    case SceneId::Intro: return "intro";
    case SceneId::Balls: return "ball scene";
    default: return "other";
    }
}

// The window keeps no alpha: it shows the colour channels as they are.
static void saveAsShown(const sf::RenderTexture& screen, const std::filesystem::path& file)
{
    sf::Image shown = screen.getTexture().copyToImage();
    for (unsigned y = 0; y < shown.getSize().y; ++y) {
        for (unsigned x = 0; x < shown.getSize().x; ++x) {
            sf::Color colour = shown.getPixel(x, y);
            colour.a = 255;
            shown.setPixel(x, y, colour);
        }
    }
    shown.saveToFile(file.string());
}

int main(int, char** argv)
{
    if (!displayAvailable()) return 1;
    silenceLibraryOutput();
    makeDeviceObjects();
    sf::RenderTexture screen;
    loadConfig();
    if (!screen.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX) || !screen.setActive(true) || !startShow()) return 1;

    const std::filesystem::path previews = std::filesystem::absolute(argv[0]).parent_path() / "previews";
    std::filesystem::create_directories(previews);

    std::map<SceneId, std::vector<double>> frameMilliseconds;
    std::size_t nextMoment = 0;
    const std::size_t momentCount = sizeof KEY_MOMENTS_SECONDS / sizeof KEY_MOMENTS_SECONDS[0];
    for (long frame = 0; frame * FRAME_SECONDS < LAST_SECONDS && isRunning; ++frame) {
        const SceneId scene = sceneId;
        const auto start = std::chrono::steady_clock::now();
        playFrame(screen, FRAME_SECONDS);
        screen.display();
        glFinish();
        frameMilliseconds[scene].push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());

        const double seconds = (frame + 1) * static_cast<double>(FRAME_SECONDS);
        if (nextMoment < momentCount && seconds >= KEY_MOMENTS_SECONDS[nextMoment]) {
            std::ostringstream name;
            name << "show_" << std::setw(5) << std::setfill('0') << std::fixed << std::setprecision(1) << seconds
                 << ".png";
            saveAsShown(screen, previews / name.str());
            ++nextMoment;
        }
    }
    for (auto& [scene, times] : frameMilliseconds) {
        std::sort(times.begin(), times.end());
        std::cout << std::left << std::setw(15) << sceneName(scene) << " median frame " << std::fixed
                  << std::setprecision(1) << times[times.size() / 2] << " ms over " << times.size() << " frames"
                  << std::endl;
    }
    return 0;
}
