#include "reference_frames.h"

#include "test_support.h"

#include "core/screen.h"

#include <SFML/Graphics/Sprite.hpp>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <tuple>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A moment in frames at 60 per second. The screen's frame may lie up to
// earlierFrames before it (a window shows one 7 to 19 frames early, and the
// first lit frame of a large screen on a busy machine is seen up to half a
// second late) or LATER_FRAMES after it.
struct ReferenceMoment {
    std::int64_t frame;
    std::int64_t earlierFrames;
    int toleranceLevels;  // the largest difference allowed (see differenceOf)
};
constexpr std::int64_t LATER_FRAMES = 60;
// The loading screen, sharp lines on black, fits to a level or two. The
// ball scene is held as it fades in, before a ball moves (at the real frame
// rate a ball takes another path; the cards' titles move too fast to
// match): there real time parts the fade from the scene's clock and the
// camera's sway shifts the tiles' thin lines by part of a pixel, up to 70
// levels on a machine loaded twice over, while a picture out of place misses
// by over 200.
const ReferenceMoment REFERENCE_MOMENTS[] = {{600, 60, 8}, {3100, 80, 100}};

// Real time falls behind the show's clock (each stage end drops what its
// frame ran past it; by the ball scene a busy machine or Wine has dropped
// seconds), so the screen is read each second for eight seconds from each
// moment, less than the frames around it span, and the best shot counts.
constexpr int SHOTS_PER_MOMENT = 9;
constexpr double SECONDS_BETWEEN_SHOTS = 1.0;

// How the screen differs from what it should show, over every step-th
// pixel of every step-th row: the largest difference in levels that more
// than one pixel in a thousand shows, and the mean difference, which tells
// apart frames that differ in fewer pixels than that (a loading bar a
// little longer).
std::pair<int, double> differenceOf(const sf::Image& screen, const sf::Image& expected, unsigned step)
{
    const sf::Vector2u size = screen.getSize();
    const sf::Uint8 *shown = screen.getPixelsPtr(), *wanted = expected.getPixelsPtr();
    std::vector<std::size_t> counts(256, 0);
    std::size_t samples = 0;
    double sum = 0.0;
    for (unsigned y = 0; y < size.y; y += step) {
        for (unsigned x = 0; x < size.x; x += step, ++samples) {
            const std::size_t at = (static_cast<std::size_t>(y) * size.x + x) * 4;
            const int largest = std::max({std::abs(shown[at] - wanted[at]), std::abs(shown[at + 1] - wanted[at + 1]),
                                          std::abs(shown[at + 2] - wanted[at + 2])});
            ++counts[largest];
            sum += largest;
        }
    }
    int level = 255;
    for (std::size_t above = counts[level]; level > 0 && above * 1000 <= samples; above += counts[--level]) {
    }
    return {level, sum / samples};
}

struct FrameMatch {
    std::int64_t frame = -1;
    std::size_t shot = 0;
    int levels = 256;
};

// The reference frame around the moment that one of the shots shows best,
// each frame drawn as the show's window draws its picture: filtered, scaled
// into `shown`, between black bars.
FrameMatch bestMatch(const std::vector<sf::Image>& shots, const ReferenceMoment& moment, const sf::IntRect& shown)
{
    // Some two million pixels tell one in a thousand as well as all of a
    // larger screen's would; a sixteenth of those picks, by their mean
    // difference, the pair of shot and frame that all of them then measure.
    const sf::Vector2u size = shots.at(0).getSize();
    const unsigned step = 1 + size.x * size.y / 2500000, sketchStep = 4 * step;
    FrameMatch best;
    sf::RenderTexture screen;
    sf::Texture texture;
    texture.setSmooth(true);
    if (!screen.create(size.x, size.y)) return best;
    double bestMean = 256.0;
    sf::Image bestPicture;
    for (std::int64_t frame = moment.frame - moment.earlierFrames; frame <= moment.frame + LATER_FRAMES; ++frame) {
        const std::string number = std::to_string(frame);
        const fs::path file =
            fs::path(BOUNCEFEST_REFERENCE_FRAMES) / ("frame-" + std::string(6 - number.size(), '0') + number + ".png");
        EXPECT_TRUE(texture.loadFromFile(file.string())) << file;
        if (texture.getSize() != sf::Vector2u(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX)) return best;
        sf::Sprite picture(texture);
        picture.setPosition(static_cast<float>(shown.left), static_cast<float>(shown.top));
        picture.setScale(static_cast<float>(shown.width) / SCREEN_WIDTH_PX,
                         static_cast<float>(shown.height) / SCREEN_HEIGHT_PX);
        screen.clear(sf::Color::Black);
        screen.draw(picture);
        const sf::Image expected = shotOf(screen);
        for (std::size_t shot = 0; shot < shots.size(); ++shot) {
            const double mean = differenceOf(shots[shot], expected, sketchStep).second;
            if (mean < bestMean) {
                std::tie(best.frame, best.shot, bestMean) = std::make_tuple(frame, shot, mean);
                bestPicture = expected;
            }
        }
    }
    if (best.frame >= 0) best.levels = differenceOf(shots[best.shot], bestPicture, step).first;
    return best;
}

}  // namespace

std::string referenceFramesArguments()
{
    std::string frames;
    for (const ReferenceMoment& moment : REFERENCE_MOMENTS)
        frames += (frames.empty() ? "" : ",") + std::to_string(moment.frame - moment.earlierFrames) + "-" +
                  std::to_string(moment.frame + LATER_FRAMES);
    return "--frames " + frames + " '" BOUNCEFEST_REFERENCE_FRAMES "'";
}

std::vector<double> referenceShotSeconds()
{
    std::vector<double> seconds;
    for (const ReferenceMoment& moment : REFERENCE_MOMENTS)
        for (int shot = 0; shot < SHOTS_PER_MOMENT; ++shot)
            seconds.push_back(moment.frame / 60.0 + shot * SECONDS_BETWEEN_SHOTS);
    return seconds;
}

void expectShowsReferenceFrames(const ProgramRun& run, const std::string& what, const sf::IntRect& shown)
{
    const auto& moments = REFERENCE_MOMENTS;
    ASSERT_EQ(run.shots.size(), std::size(moments) * SHOTS_PER_MOMENT) << what;
    for (std::size_t i = 0; i < std::size(moments); ++i) {
        const auto first = run.shots.begin() + i * SHOTS_PER_MOMENT;
        const FrameMatch best = bestMatch(std::vector<sf::Image>(first, first + SHOTS_PER_MOMENT), moments[i], shown);
        std::cout << what << ": around frame " << moments[i].frame << " the screen showed frame " << best.frame
                  << " (shot " << best.shot << ") within " << best.levels << " levels" << std::endl;
        EXPECT_LE(best.levels, moments[i].toleranceLevels) << what << ", frame " << moments[i].frame;
    }
}
