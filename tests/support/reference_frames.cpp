#include "reference_frames.h"

#include "test_support.h"

#include <SFML/Graphics/Texture.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <vector>

namespace fs = std::filesystem;

std::string referenceFramesArguments()
{
    std::string frames;
    for (const ReferenceMoment& moment : {LOADING_SCREEN_MOMENT, FIRST_CARD_MOMENT, BALL_SCENE_MOMENT}) {
        frames += (frames.empty() ? "" : ",") + std::to_string(moment.frame - moment.earlierFrames) + "-" +
                  std::to_string(moment.frame + LATER_FRAMES);
    }
    return "--frames " + frames + " '" BOUNCEFEST_REFERENCE_FRAMES "'";
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

// A screen of over two million pixels is held against every other pixel
// of every other row: a million samples tell one pixel in a thousand as
// well as all of them would.
int differenceOf(const sf::Image& screen, const sf::Image& frame, const std::vector<Tap>& across,
                 const std::vector<Tap>& down)
{
    const sf::Vector2u size = screen.getSize();
    const unsigned step = size.x * size.y > 2500000u ? 2 : 1;
    const sf::Uint8* shown = screen.getPixelsPtr();
    const sf::Uint8* picture = frame.getPixelsPtr();
    const unsigned frameWidth = frame.getSize().x;
    std::vector<std::size_t> counts(256, 0);
    std::size_t samples = 0;
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
        }
    }
    std::size_t above = 0;
    for (int level = 255; level > 0; --level) {
        above += counts[level];
        if (above * 1000 > samples) return level;
    }
    return 0;
}

}  // namespace

FrameMatch bestMatch(const sf::Image& screen, const ReferenceMoment& moment, const sf::IntRect& shown)
{
    FrameMatch best;
    std::vector<Tap> across, down;
    for (std::int64_t frame = moment.frame - moment.earlierFrames; frame <= moment.frame + LATER_FRAMES; ++frame) {
        const std::string number = std::to_string(frame);
        const fs::path file =
            fs::path(BOUNCEFEST_REFERENCE_FRAMES) / ("frame-" + std::string(6 - number.size(), '0') + number + ".png");
        sf::Image picture;
        EXPECT_TRUE(picture.loadFromFile(file.string())) << file;
        if (picture.getSize().x == 0) return best;
        if (across.empty()) {
            across = tapsAlong(screen.getSize().x, shown.left, shown.width, picture.getSize().x);
            down = tapsAlong(screen.getSize().y, shown.top, shown.height, picture.getSize().y);
        }
        const int levels = differenceOf(screen, picture, across, down);
        if (levels < best.levels) best = FrameMatch{frame, levels};
    }
    return best;
}

void expectShowsReferenceFrames(const ProgramRun& run, const std::string& what,
                                const std::vector<ReferenceMoment>& moments, const std::vector<int>& toleranceLevels,
                                const sf::IntRect& shown)
{
    ASSERT_EQ(run.shots.size(), moments.size()) << what;
    for (std::size_t i = 0; i < moments.size(); ++i) {
        const FrameMatch best = bestMatch(run.shots[i], moments[i], shown);
        std::cout << what << ": at frame " << moments[i].frame << " the screen showed frame " << best.frame
                  << " within " << best.levels << " levels" << std::endl;
        EXPECT_LE(best.levels, toleranceLevels[i]) << what << ", frame " << moments[i].frame;
    }
}
