#include "reference_frames.h"

#include "test_support.h"

#include "core/screen.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

std::string referenceFramesArguments()
{
    std::string frames;
    for (const ReferenceMoment& moment : REFERENCE_MOMENTS) {
        frames += (frames.empty() ? "" : ",") + std::to_string(moment.frame - moment.earlierFrames) + "-" +
                  std::to_string(moment.frame + LATER_FRAMES);
    }
    return "--frames " + frames + " '" BOUNCEFEST_REFERENCE_FRAMES "'";
}

std::vector<double> referenceShotSeconds()
{
    std::vector<double> seconds;
    for (const ReferenceMoment& moment : REFERENCE_MOMENTS) {
        for (int shot = 0; shot < SHOTS_PER_MOMENT; ++shot) {
            seconds.push_back(moment.frame / 60.0 + shot * SECONDS_BETWEEN_SHOTS);
        }
    }
    return seconds;
}

namespace {

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
struct Difference {
    int levels;
    double meanLevels;
};

Difference differenceOf(const sf::Image& screen, const sf::Image& frame, const std::vector<Tap>& across,
                        const std::vector<Tap>& down, unsigned step)
{
    const sf::Vector2u size = screen.getSize();
    const sf::Uint8* shown = screen.getPixelsPtr();
    const sf::Uint8* picture = frame.getPixelsPtr();
    const unsigned frameWidth = frame.getSize().x;
    std::vector<std::size_t> counts(256, 0);
    std::size_t samples = 0;
    double sum = 0.0;
    for (unsigned y = 0; y < size.y; y += step) {
        for (unsigned x = 0; x < size.x; x += step) {
            int largest = 0;
            for (int c = 0; c < 3; ++c) {
                float expected = 0.0f;  // the bars are black
                if (across[x].low >= 0 && down[y].low >= 0) {
                    const auto texel = [&](int tx, int ty) { return picture[(ty * frameWidth + tx) * 4 + c]; };
                    const float top = texel(across[x].low, down[y].low) * (1.0f - across[x].highWeight) +
                                      texel(across[x].high, down[y].low) * across[x].highWeight;
                    const float bottom = texel(across[x].low, down[y].high) * (1.0f - across[x].highWeight) +
                                         texel(across[x].high, down[y].high) * across[x].highWeight;
                    expected = top * (1.0f - down[y].highWeight) + bottom * down[y].highWeight;
                }
                const int actual = shown[(y * size.x + x) * 4 + c];
                largest = std::max(largest, static_cast<int>(std::lround(std::abs(actual - expected))));
            }
            ++counts[largest];
            ++samples;
            sum += largest;
        }
    }
    std::size_t above = 0;
    int level = 255;
    for (; level > 0; --level) {
        above += counts[level];
        if (above * 1000 > samples) break;
    }
    return Difference{level, sum / samples};
}

}  // namespace

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
            const double mean = differenceOf(shots[shot], picture, across, down, sketchStep).meanLevels;
            if (mean < bestMean) {
                std::tie(best.frame, best.shot, bestMean) = std::make_tuple(frame, shot, mean);
                bestFrame = picture;
            }
        }
    }
    if (best.frame >= 0) best.levels = differenceOf(shots[best.shot], bestFrame, across, down, step).levels;
    return best;
}

void expectShowsReferenceFrames(const ProgramRun& run, const std::string& what, const sf::IntRect& shown)
{
    const std::vector<ReferenceMoment>& moments = REFERENCE_MOMENTS;
    ASSERT_EQ(run.shots.size(), moments.size() * SHOTS_PER_MOMENT) << what;
    for (std::size_t i = 0; i < moments.size(); ++i) {
        const auto first = run.shots.begin() + i * SHOTS_PER_MOMENT;
        const FrameMatch best = bestMatch(std::vector<sf::Image>(first, first + SHOTS_PER_MOMENT), moments[i], shown);
        std::cout << what << ": around frame " << moments[i].frame << " the screen showed frame " << best.frame
                  << " (shot " << best.shot << ") within " << best.levels << " levels" << std::endl;
        EXPECT_LE(best.levels, moments[i].toleranceLevels) << what << ", frame " << moments[i].frame;
    }
}
