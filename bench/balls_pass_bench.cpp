// Times the ball room's shader pass: the sprite "black" drawn through
// passthrough.vert and balls.frag, as the scene draws it, into a 1920x1080
// render texture, finished with glFinish, 30 times at each key moment of
// the scene; prints the median per moment and saves each moment's frame as
// previews/balls_<moment>.png beside this program. Processor time is summed
// over all threads. On a shared virtual machine both figures swing by a
// third from one minute to the next; run it more than once.
// Run from the repository root under Xvfb, e.g.
//   LP_NUM_THREADS=2 ./scripts/with-xvfb.sh build/balls_pass_bench
// An optional argument names another fragment shader to time in its place.
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "core/app.h"

#include <SFML/Graphics.hpp>
#include <SFML/OpenGL.hpp>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <vector>

static const int TIMED_FRAMES = 30;
static const double TARGET_MILLISECONDS = 50.0;

struct Moment {
    const char* name;
    float camMix;
    float sceneSeconds;
    sf::Vector3f ball1;
    sf::Vector3f ball2;
    sf::Vector3f ball3;
    sf::Vector3f creditBody;
    const char* creditsPage;
};

// Positions as the physics leaves them at those times; waiting bodies sit
// under the floor.
static const Moment MOMENTS[] = {
    {"01_first_drop", 1.0f, 3.2f, {5.2f, -1.4f, 0.0f}, {-7.0f, -20.0f, 0.0f}, {-7.0f, -20.0f, 2.0f},
     {-20.0f, -20.0f, 0.0f}, "credits_start"},
    {"02_floor_drops", 0.62f, 9.6f, {-3.5f, -4.1f, 0.0f}, {-6.2f, -1.0f, 1.4f}, {-7.0f, -20.0f, 2.0f},
     {-20.0f, -20.0f, 0.0f}, "credits_start"},
    {"03_three_balls", 0.0f, 18.0f, {2.5f, -5.0f, -6.0f}, {-4.0f, 1.8f, 6.5f}, {-5.5f, -2.0f, 4.0f},
     {-20.0f, -20.0f, 0.0f}, "credits_start"},
    {"04_credits", 0.0f, 29.0f, {4.0f, 0.5f, 3.0f}, {-5.0f, -5.0f, -2.0f}, {1.5f, 2.6f, 9.0f},
     {0.0f, 0.0f, -3.3f}, "credits_orin"},
    {"05_overshoot", -0.1f, 13.6f, {-1.0f, -3.0f, -4.0f}, {3.0f, 2.0f, 1.0f}, {-7.0f, -20.0f, 2.0f},
     {-20.0f, -20.0f, 0.0f}, "credits_start"},
    {"06_spiral", -10.0f, 49.5f, {6.0f, -2.5f, -8.0f}, {-2.0f, 1.0f, 5.0f}, {3.0f, -5.0f, 10.0f},
     {0.0f, 0.0f, -4.0f}, "credits_mave"},
    {"07_far_away", -64.0f, 63.0f, {-6.0f, 0.0f, 2.0f}, {2.0f, -4.0f, -9.0f}, {5.0f, 3.0f, 7.0f},
     {0.0f, 0.0f, 0.8f}, "credits_mave"},
};

static void setMoment(sf::Shader& shader, const Moment& moment)
{
    shader.setUniform("camMix", moment.camMix);
    shader.setUniform("iTime", moment.sceneSeconds);
    shader.setUniform("ballPos1", moment.ball1);
    shader.setUniform("ballPos2", moment.ball2);
    shader.setUniform("ballPos3", moment.ball3);
    shader.setUniform("creditPos", moment.creditBody);
    shader.setUniform("creditsTex", *textureManager.get(moment.creditsPage));
}

struct FrameCost {
    double wallMilliseconds;
    double processorMilliseconds;  // summed over all threads
};

static FrameCost renderFrame(sf::RenderTexture& target, const sf::Sprite& canvas, const sf::Shader& shader)
{
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t processorStart = std::clock();
    target.clear(sf::Color::Transparent);
    target.draw(canvas, sf::RenderStates(&shader));
    target.display();
    glFinish();
    return FrameCost{std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
                     1000.0 * static_cast<double>(std::clock() - processorStart) / CLOCKS_PER_SEC};
}

static double medianOf(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int main(int argc, char** argv)
{
    textureManager.loadManifest("assets/textures.json");
    spriteManager.loadManifest("assets/sprites.json");
    sf::Sprite* canvas = spriteManager.get("black");
    if (!canvas) return 1;

    sf::RenderTexture target;
    target.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX);
    target.setActive(true);
    sf::Shader shader;
    const std::string fragmentPath = argc > 1 ? argv[1] : "assets/shaders/balls.frag";
    if (!shader.loadFromFile("assets/shaders/passthrough.vert", fragmentPath)) return 1;
    shader.setUniform("ballTex1", *textureManager.get("vemo"));
    shader.setUniform("ballTex2", *textureManager.get("qrv"));
    shader.setUniform("ballTex3", *textureManager.get("arku"));
    shader.setUniform("wallTex", *textureManager.get("white"));

    const std::filesystem::path previews = std::filesystem::absolute(argv[0]).parent_path() / "previews";
    std::filesystem::create_directories(previews);

    for (const Moment& moment : MOMENTS) {
        setMoment(shader, moment);
        renderFrame(target, *canvas, shader);
        target.getTexture().copyToImage().saveToFile((previews / ("balls_" + std::string(moment.name) + ".png")).string());
    }

    // The moments take turns frame by frame, so that a spell when the machine
    // runs slow falls on all of them alike rather than on whichever moment
    // was being timed.
    const std::size_t momentCount = std::size(MOMENTS);
    std::vector<std::vector<double>> wall(momentCount);
    std::vector<std::vector<double>> processor(momentCount);
    for (int frame = 0; frame < TIMED_FRAMES; ++frame) {
        for (std::size_t m = 0; m < momentCount; ++m) {
            setMoment(shader, MOMENTS[m]);
            const FrameCost cost = renderFrame(target, *canvas, shader);
            wall[m].push_back(cost.wallMilliseconds);
            processor[m].push_back(cost.processorMilliseconds);
        }
    }

    double slowest = 0.0;
    for (std::size_t m = 0; m < momentCount; ++m) {
        const double median = medianOf(wall[m]);
        slowest = std::max(slowest, median);
        std::cout << std::left << std::setw(16) << MOMENTS[m].name << " camMix " << std::setw(6) << MOMENTS[m].camMix
                  << " median " << std::fixed << std::setprecision(1) << median << " ms, processor time "
                  << medianOf(processor[m]) << " ms" << std::endl;
    }
    std::cout << "ball pass, slowest median: " << slowest << " ms (target " << TARGET_MILLISECONDS << " ms)"
              << std::endl;
    return slowest <= TARGET_MILLISECONDS ? 0 : 1;
}
