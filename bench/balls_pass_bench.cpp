// Times the ball room's shader pass: the sprite "black" drawn through
// passthrough.vert and balls.frag, as the scene draws it, into a screen-sized
// render texture, finished with glFinish, 30 times at each key moment of
// the scene; prints the median per moment and saves each moment's frame as
// previews/balls_<moment>.png beside this program. Processor time is summed
// over all threads. On a shared virtual machine both figures swing by a
// third from one minute to the next; run it more than once.
// Then it measures the edges: at three moments it sets the frame against a
// 4 x 4 supersampled render of the same shader (7680x4320, box-filtered
// down) and prints the PSNR and the share of pixels off by more than 32
// levels in any channel.
// Run from the repository root under Xvfb, e.g.
//   LP_NUM_THREADS=2 ./scripts/with-xvfb.sh build/balls_pass_bench [BASELINE.frag [BASELINE.vert]]
// With a baseline (for instance the shaders of an earlier commit, saved by
// git show), the two passes take turns frame by frame and the ratio of
// their times is printed; the vertex shader defaults to the committed one.
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "core/app.h"
#include "scenes/ball.h"

#include <SFML/Graphics.hpp>
#include <SFML/OpenGL.hpp>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <iterator>
#include <cmath>
#include <cstdint>
#include <string>
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
    sf::Vector3f panel;
    const char* creditsPage;
};

// Positions as the physics leaves them at those times; waiting bodies sit
// under the floor.
static const sf::Vector3f WAITING(WAITING_X, WAITING_Y, 0.0f), WAITING_THIRD(WAITING_X, WAITING_Y, 2.0f),
    PANEL_WAITING(PANEL_WAITING_X, WAITING_Y, 0.0f);
static const Moment MOMENTS[] = {
    {"01_first_drop", 1.0f, 3.2f, {5.2f, -1.4f, 0.0f}, WAITING, WAITING_THIRD,
     PANEL_WAITING, "credits_start"},
    {"02_floor_drops", 0.62f, 9.6f, {-3.5f, -4.1f, 0.0f}, {-6.2f, -1.0f, 1.4f}, WAITING_THIRD,
     PANEL_WAITING, "credits_start"},
    {"03_three_balls", 0.0f, 18.0f, {2.5f, -5.0f, -6.0f}, {-4.0f, 1.8f, 6.5f}, {-5.5f, -2.0f, 4.0f},
     PANEL_WAITING, "credits_start"},
    {"04_credits", 0.0f, 29.0f, {4.0f, 0.5f, 3.0f}, {-5.0f, -5.0f, -2.0f}, {1.5f, 2.6f, 9.0f},
     {0.0f, 0.0f, -3.3f}, "credits_orin"},
    {"05_overshoot", -0.1f, 13.6f, {-1.0f, -3.0f, -4.0f}, {3.0f, 2.0f, 1.0f}, WAITING_THIRD,
     PANEL_WAITING, "credits_start"},
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
    shader.setUniform("creditPos", moment.panel);
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

static void setTextures(sf::Shader& shader)
{
    shader.setUniform("ballTex1", *textureManager.get("vemo"));
    shader.setUniform("ballTex2", *textureManager.get("qrv"));
    shader.setUniform("ballTex3", *textureManager.get("arku"));
    shader.setUniform("wallTex", *textureManager.get("white"));
}

// The committed pass against a baseline, alternating frame by frame so
// that a slow spell of the shared machine falls on both alike. Prints the
// ratio of the summed medians in wall time and in processor time; the
// latter counts only this program's threads and so wavers less while
// other programs load the machine.
static void compareTimes(sf::RenderTexture& target, const sf::Sprite& canvas, sf::Shader& committed,
                         sf::Shader& baseline)
{
    const std::size_t momentCount = std::size(MOMENTS);
    std::vector<std::vector<FrameCost>> committedCosts(momentCount);
    std::vector<std::vector<FrameCost>> baselineCosts(momentCount);
    for (int frame = 0; frame < TIMED_FRAMES; ++frame) {
        for (std::size_t m = 0; m < momentCount; ++m) {
            setMoment(committed, MOMENTS[m]);
            setMoment(baseline, MOMENTS[m]);
            // Which goes first changes every frame, so that neither gains from a warm cache.
            const bool committedFirst = frame % 2 == 0;
            const FrameCost first = renderFrame(target, canvas, committedFirst ? committed : baseline);
            const FrameCost second = renderFrame(target, canvas, committedFirst ? baseline : committed);
            committedCosts[m].push_back(committedFirst ? first : second);
            baselineCosts[m].push_back(committedFirst ? second : first);
        }
    }
    FrameCost committedTotal{0.0, 0.0};
    FrameCost baselineTotal{0.0, 0.0};
    for (std::size_t m = 0; m < momentCount; ++m) {
        std::vector<double> values[4];
        for (std::size_t i = 0; i < committedCosts[m].size(); ++i) {
            values[0].push_back(committedCosts[m][i].wallMilliseconds);
            values[1].push_back(baselineCosts[m][i].wallMilliseconds);
            values[2].push_back(committedCosts[m][i].processorMilliseconds);
            values[3].push_back(baselineCosts[m][i].processorMilliseconds);
        }
        const FrameCost ours{medianOf(values[0]), medianOf(values[2])};
        const FrameCost theirs{medianOf(values[1]), medianOf(values[3])};
        committedTotal.wallMilliseconds += ours.wallMilliseconds;
        committedTotal.processorMilliseconds += ours.processorMilliseconds;
        baselineTotal.wallMilliseconds += theirs.wallMilliseconds;
        baselineTotal.processorMilliseconds += theirs.processorMilliseconds;
        std::cout << std::left << std::setw(16) << MOMENTS[m].name << " median " << std::fixed << std::setprecision(1)
                  << ours.wallMilliseconds << " ms against " << theirs.wallMilliseconds << " ms, processor time "
                  << ours.processorMilliseconds << " ms against " << theirs.processorMilliseconds << " ms"
                  << std::endl;
    }
    std::cout << "ball pass against the baseline, sum of medians: " << std::fixed << std::setprecision(1)
              << committedTotal.wallMilliseconds << " ms against " << baselineTotal.wallMilliseconds << " ms, ratio "
              << std::setprecision(3) << committedTotal.wallMilliseconds / baselineTotal.wallMilliseconds
              << "; processor time " << std::setprecision(1) << committedTotal.processorMilliseconds << " ms against "
              << baselineTotal.processorMilliseconds << " ms, ratio " << std::setprecision(3)
              << committedTotal.processorMilliseconds / baselineTotal.processorMilliseconds << std::endl;
}

// Moments for the edges: a ball near a wall in the front view, the corner
// view with the panel and the balls on the lowered floor, and the finale.
static const Moment EDGE_MOMENTS[] = {
    {"front_ball_at_wall", 1.0f, 3.6f, {6.7f, -1.9f, 1.5f}, WAITING, WAITING_THIRD,
     PANEL_WAITING, "credits_start"},
    {"corner_credits", 0.0f, 29.0f, {4.0f, -5.0f, 3.0f}, {-5.0f, -5.0f, -2.0f}, {1.5f, -5.0f, 9.0f},
     {0.0f, 0.0f, -3.3f}, "credits_orin"},
    {"finale", -20.0f, 52.0f, {6.0f, -5.0f, -8.0f}, {-2.0f, -5.0f, 5.0f}, {3.0f, -5.0f, 10.0f},
     {0.0f, 0.0f, -4.0f}, "credits_orin"},
};
static const unsigned SUPERSAMPLING = 4;

struct EdgeFigures {
    double psnr;           // dB
    double farOffPercent;  // pixels with a channel off by more than 32 levels
};

// The frame against the supersampled one, box-filtered to the frame's size.
static EdgeFigures compareWithSupersampled(const sf::Image& frame, const sf::Image& supersampled)
{
    const std::uint8_t* pixels = frame.getPixelsPtr();
    const std::uint8_t* fine = supersampled.getPixelsPtr();
    const unsigned fineWidth = SCREEN_WIDTH_PX * SUPERSAMPLING;
    double squaredErrors = 0.0;
    std::size_t farOff = 0;
    for (unsigned y = 0; y < SCREEN_HEIGHT_PX; ++y) {
        for (unsigned x = 0; x < SCREEN_WIDTH_PX; ++x) {
            double largest = 0.0;
            for (unsigned channel = 0; channel < 3; ++channel) {
                double sum = 0.0;
                for (unsigned fy = 0; fy < SUPERSAMPLING; ++fy)
                    for (unsigned fx = 0; fx < SUPERSAMPLING; ++fx)
                        sum += fine[(((y * SUPERSAMPLING + fy) * fineWidth) + x * SUPERSAMPLING + fx) * 4 + channel];
                const double error = pixels[(y * SCREEN_WIDTH_PX + x) * 4 + channel] - sum / (SUPERSAMPLING * SUPERSAMPLING);
                squaredErrors += error * error;
                largest = std::max(largest, std::abs(error));
            }
            if (largest > 32.0) ++farOff;
        }
    }
    const double meanSquaredError = squaredErrors / (3.0 * SCREEN_WIDTH_PX * SCREEN_HEIGHT_PX);
    return EdgeFigures{10.0 * std::log10(255.0 * 255.0 / std::max(meanSquaredError, 1.0e-12)),
                       100.0 * static_cast<double>(farOff) / (SCREEN_WIDTH_PX * SCREEN_HEIGHT_PX)};
}

// Prints the figures per moment and saves both frames as previews.
static void measureEdges(sf::RenderTexture& target, const sf::Sprite& canvas, sf::Shader& shader,
                         const std::filesystem::path& previews)
{
    sf::RenderTexture fineTarget;
    if (!fineTarget.create(SCREEN_WIDTH_PX * SUPERSAMPLING, SCREEN_HEIGHT_PX * SUPERSAMPLING)) {
        std::cout << "no render target of " << SCREEN_WIDTH_PX * SUPERSAMPLING << "x" << SCREEN_HEIGHT_PX * SUPERSAMPLING
                  << std::endl;
        return;
    }
    // The same canvas and view: only the pixels are finer.
    fineTarget.setView(sf::View(sf::FloatRect(0.0f, 0.0f, SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX)));
    for (const Moment& moment : EDGE_MOMENTS) {
        setMoment(shader, moment);
        target.setActive(true);
        renderFrame(target, canvas, shader);
        const sf::Image frame = target.getTexture().copyToImage();
        fineTarget.setActive(true);
        renderFrame(fineTarget, canvas, shader);
        const sf::Image supersampled = fineTarget.getTexture().copyToImage();
        const EdgeFigures figures = compareWithSupersampled(frame, supersampled);
        std::cout << std::left << std::setw(20) << moment.name << " camMix " << std::setw(6) << moment.camMix
                  << " PSNR " << std::fixed << std::setprecision(1) << figures.psnr << " dB, off by > 32: "
                  << std::setprecision(3) << figures.farOffPercent << " %" << std::endl;
        frame.saveToFile((previews / ("edges_" + std::string(moment.name) + ".png")).string());
        sf::Texture fineTexture;
        fineTexture.loadFromImage(supersampled);
        fineTexture.setSmooth(true);
        sf::Sprite reduced(fineTexture);
        reduced.setScale(1.0f / SUPERSAMPLING, 1.0f / SUPERSAMPLING);
        target.setActive(true);
        target.clear();
        target.draw(reduced);
        target.display();
        target.getTexture().copyToImage().saveToFile(
            (previews / ("edges_" + std::string(moment.name) + "_supersampled.png")).string());
    }
    target.setActive(true);
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
    if (!shader.loadFromFile("assets/shaders/passthrough.vert", "assets/shaders/balls.frag")) return 1;
    setTextures(shader);

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

    if (argc > 1) {
        sf::Shader baseline;
        if (!baseline.loadFromFile(argc > 2 ? argv[2] : "assets/shaders/passthrough.vert", argv[1])) return 1;
        setTextures(baseline);
        compareTimes(target, *canvas, shader, baseline);
    }
    measureEdges(target, *canvas, shader, previews);
    return slowest <= TARGET_MILLISECONDS ? 0 : 1;
}
