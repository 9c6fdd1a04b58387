#include "reference_frames.h"

#include "test_support.h"

#include "core/screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <cmath>
#include <filesystem>
#include <iostream>
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
// camera's sway shifts the tiles' thin lines by part of a pixel, up to 47
// levels on a busy machine, while a picture out of place misses by over 200.
const ReferenceMoment REFERENCE_MOMENTS[] = {{600, 60, 8}, {3100, 80, 64}};

// Real time falls behind the show's clock (each stage end drops what its
// frame ran past it; by the ball scene a busy machine or Wine has dropped
// seconds), so the screen is read each second for eight seconds from each
// moment, less than the frames around it span, and the best shot counts.
constexpr int SHOTS_PER_MOMENT = 9;
constexpr double SECONDS_BETWEEN_SHOTS = 1.0;

// Where one screen pixel's centre falls between two texels of the frame,
// along one axis: GL's linear filter, clamped to the edge.
struct Tap {
    int low, high;
    float highWeight;
};

// The taps of every screen pixel along an axis; none outside `start` to `start + length`.
std::vector<Tap> tapsAlong(unsigned screenPx, int start, int length, unsigned framePx)
{
    std::vector<Tap> taps(screenPx, Tap{-1, -1, 0.0f});
    for (int at = std::max(start, 0); at < std::min(start + length, static_cast<int>(screenPx)); ++at) {
        const float texel = (at + 0.5f - start) * framePx / length - 0.5f;
        const float clamped = std::clamp(texel, 0.0f, framePx - 1.0f);
        const int low = static_cast<int>(std::floor(clamped));
        taps[at] = Tap{low, std::min(low + 1, static_cast<int>(framePx) - 1), clamped - low};
    }
    return taps;
}

// How the screen differs from the frame scaled into place, over every
// step-th pixel of every step-th row: the largest difference in levels that
// more than one pixel in a thousand shows, and the mean difference, which
// tells apart frames that differ in fewer pixels than that (a loading bar a
// little longer).
std::pair<int, double> differenceOf(const sf::Image& screen, const sf::Image& frame, const std::vector<Tap>& across,
                                    const std::vector<Tap>& down, unsigned step)
{
    const sf::Vector2u size = screen.getSize();
    const sf::Uint8 *shown = screen.getPixelsPtr(), *picture = frame.getPixelsPtr();
    std::vector<std::size_t> counts(256, 0);
    std::size_t samples = 0;
    double sum = 0.0;
    for (unsigned y = 0; y < size.y; y += step) {
        for (unsigned x = 0; x < size.x; x += step, ++samples) {
            const Tap &h = across[x], &v = down[y];
            int largest = 0;
            for (int c = 0; c < 3; ++c) {
                const auto row = [&](int ty) {
                    const sf::Uint8* texels = picture + ty * SCREEN_WIDTH_PX * 4 + c;
                    return texels[h.low * 4] * (1.0f - h.highWeight) + texels[h.high * 4] * h.highWeight;
                };
                const float expected =  // the bars are black
                    h.low < 0 || v.low < 0 ? 0.0f : row(v.low) * (1.0f - v.highWeight) + row(v.high) * v.highWeight;
                const int actual = shown[(y * size.x + x) * 4 + c];
                largest = std::max(largest, static_cast<int>(std::lround(std::abs(actual - expected))));
            }
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

// The reference frame around the moment that one of the shots shows best.
FrameMatch bestMatch(const std::vector<sf::Image>& shots, const ReferenceMoment& moment, const sf::IntRect& shown)
{
    // Some two million pixels tell one in a thousand as well as all of a
    // larger screen's would; a sixteenth of those picks, by their mean
    // difference, the pair of shot and frame that all of them then measure.
    const sf::Vector2u size = shots.at(0).getSize();
    const unsigned step = 1 + size.x * size.y / 2500000, sketchStep = 4 * step;
    const std::vector<Tap> across = tapsAlong(size.x, shown.left, shown.width, SCREEN_WIDTH_PX);
    const std::vector<Tap> down = tapsAlong(size.y, shown.top, shown.height, SCREEN_HEIGHT_PX);
    FrameMatch best;
    double bestMean = 256.0;
    sf::Image bestFrame;
    for (std::int64_t frame = moment.frame - moment.earlierFrames; frame <= moment.frame + LATER_FRAMES; ++frame) {
        const std::string number = std::to_string(frame);
        const fs::path file =
            fs::path(BOUNCEFEST_REFERENCE_FRAMES) / ("frame-" + std::string(6 - number.size(), '0') + number + ".png");
        sf::Image picture;
        EXPECT_TRUE(picture.loadFromFile(file.string())) << file;
        if (picture.getSize() != sf::Vector2u(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX)) return best;
        for (std::size_t shot = 0; shot < shots.size(); ++shot) {
            const double mean = differenceOf(shots[shot], picture, across, down, sketchStep).second;
            if (mean < bestMean) {
                std::tie(best.frame, best.shot, bestMean) = std::make_tuple(frame, shot, mean);
                bestFrame = picture;
            }
        }
    }
    if (best.frame >= 0) best.levels = differenceOf(shots[best.shot], bestFrame, across, down, step).first;
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
