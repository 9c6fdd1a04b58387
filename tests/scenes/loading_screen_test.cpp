// The loading screen drawn into an off-screen 1920x1080 target: its stages
// seen through the bar, which restarts empty with each, the places of the
// bar and the lines of text, and the two mended faults (missing assets, an
// oversized bar).
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "core/app.h"
#include "scenes/scenes.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace {

const sf::Color EMPTY_BAR_COLOUR(255, 0, 0);
const sf::Color FULL_BAR_COLOUR(0, 255, 0);
const sf::Color BACKGROUND_COLOUR(0, 0, 255);
constexpr unsigned BAR_WIDTH_PX = 1000;
constexpr unsigned BAR_HEIGHT_PX = 40;
constexpr unsigned BAR_ROW_PX = 540;  // the bar's middle row when centred

unsigned countInRow(const sf::Image& image, unsigned row, sf::Color colour)
{
    unsigned count = 0;
    for (unsigned x = 0; x < image.getSize().x; ++x) count += image.getPixel(x, row) == colour;
    return count;
}

struct LoadingScreenTest : ::testing::Test {
    TempRunFolder folder;
    sf::RenderTexture target;
    sf::Image image;  // what the last call drew

    void SetUp() override
    {
        ASSERT_TRUE(target.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX));
        ASSERT_TRUE(globalFont.loadFromFile((repositoryRoot() / "assets/roboto-thin.ttf").string()));
    }

    // The bar textures and the "black" sprite, 16 px and blue so that it shows.
    void registerAssets(unsigned barWidth, unsigned barHeight)
    {
        addSolidTexture("loading_bar_empty", barWidth, barHeight, EMPTY_BAR_COLOUR);
        addSolidTexture("loading_bar_full", barWidth, barHeight, FULL_BAR_COLOUR);
        addSolidTexture("background", 16, 16, BACKGROUND_COLOUR);
        spriteManager.loadFromJson({{"sprites", {{"black", {{"texture", "background"}}}}}});
    }

    SceneId call(float dt)
    {
        target.clear(sf::Color::Transparent);
        const SceneId next = updateLoadingScreen(target, dt);
        image = shotOf(target);
        return next;
    }

    unsigned fullBarPx() const { return countInRow(image, BAR_ROW_PX, FULL_BAR_COLOUR); }

    bool anythingDrawn() const
    {
        const sf::Uint8* pixels = image.getPixelsPtr();
        return std::any_of(pixels, pixels + SCREEN_WIDTH_PX * SCREEN_HEIGHT_PX * 4, [](sf::Uint8 b) { return b; });
    }
};

}  // namespace

// At 0.25 s a call: the full bar trails its stage by one frame, so each
// stage starts with it empty; call 93 hands over, drawing nothing.
TEST_F(LoadingScreenTest, StagesAndTheBarComeOnTheirCalls)
{
    registerAssets(BAR_WIDTH_PX, BAR_HEIGHT_PX);
    const std::map<int, unsigned> fullWidths = {{2, 62}, {16, 937}, {18, 125}, {25, 1000}};
    std::vector<int> stageStarts;
    for (int callNumber = 1; callNumber <= 92; ++callNumber) {
        ASSERT_EQ(call(0.25f), SceneId::Loading) << "call " << callNumber;
        if (fullBarPx() == 0) stageStarts.push_back(callNumber);
        if (fullWidths.count(callNumber)) {
            EXPECT_EQ(fullBarPx(), fullWidths.at(callNumber)) << "call " << callNumber;
        }
        EXPECT_EQ(countInRow(image, BAR_ROW_PX, EMPTY_BAR_COLOUR), BAR_WIDTH_PX - fullBarPx()) << "call " << callNumber;
    }
    EXPECT_EQ(stageStarts, (std::vector<int>{1, 17, 26, 39, 49, 78}));
    // Centred: (1920 - 1000) / 2 and (1080 - 40) / 2, on the background.
    EXPECT_EQ(image.getPixel(8, 8), BACKGROUND_COLOUR);
    EXPECT_EQ(image.getPixel(459, BAR_ROW_PX), sf::Color::Transparent);
    EXPECT_NE(image.getPixel(460, BAR_ROW_PX), sf::Color::Transparent);
    EXPECT_EQ(image.getPixel(1400, 519), sf::Color::Transparent);
    EXPECT_NE(image.getPixel(1400, 520), sf::Color::Transparent);
    EXPECT_NE(image.getPixel(1400, 520 + BAR_HEIGHT_PX - 1), sf::Color::Transparent);
    EXPECT_EQ(image.getPixel(1400, 520 + BAR_HEIGHT_PX), sf::Color::Transparent);
    // The stage's message and the subtitle, each centred across the screen
    // on its row.
    for (const auto [top, middle, bottom] : {std::array{200u, 300u, 400u}, std::array{700u, 800u, 900u}}) {
        unsigned left = SCREEN_WIDTH_PX, right = 0, first = bottom, last = top;
        for (unsigned y = top; y < bottom; ++y) {
            for (unsigned x = 0; x < SCREEN_WIDTH_PX; ++x) {
                if (image.getPixel(x, y).a == 0) continue;
                left = std::min(left, x), right = std::max(right, x), first = std::min(first, y), last = y;
            }
        }
        EXPECT_GT(right, left + 200) << "the line around row " << middle;
        EXPECT_NEAR((left + right + 1) * 0.5, SCREEN_WIDTH_PX * 0.5, 2.0) << "the line around row " << middle;
        EXPECT_NEAR((first + last + 1) * 0.5, middle, 2.0) << "the line around row " << middle;
    }

    EXPECT_EQ(call(0.25f), SceneId::Intro);
    EXPECT_FALSE(anythingDrawn());
}

// A first frame longer than stage 0 starts stage 1 at once with an empty
// bar; each long frame ends one stage (the excess is dropped), so the
// sixth hands over.
TEST_F(LoadingScreenTest, LongFramesEndOneStageEach)
{
    registerAssets(BAR_WIDTH_PX, BAR_HEIGHT_PX);
    EXPECT_EQ(call(4.5f), SceneId::Loading);
    EXPECT_EQ(countInRow(image, BAR_ROW_PX, EMPTY_BAR_COLOUR), BAR_WIDTH_PX);
    for (int callNumber = 2; callNumber <= 5; ++callNumber) {
        ASSERT_EQ(call(7.5f), SceneId::Loading) << "call " << callNumber;
    }
    EXPECT_EQ(call(7.5f), SceneId::Intro);
}

TEST_F(LoadingScreenTest, MissingSpriteAndTexturesAreReportedOnceAndTheTextStillShows)
{
    EXPECT_EQ(errorLinesOf([&] { call(0.25f); }),
              (std::vector<std::string>{"SpriteManager: Sprite with key black does not exist.",
                                        "TextureManager: Texture with key loading_bar_empty does not exist.",
                                        "TextureManager: Texture with key loading_bar_full does not exist."}));
    EXPECT_TRUE(anythingDrawn());
    EXPECT_EQ(image.getPixel(8, 8), sf::Color::Transparent);
    EXPECT_EQ(countInRow(image, BAR_ROW_PX, sf::Color::Transparent), SCREEN_WIDTH_PX);
    EXPECT_EQ(errorLinesOf([&] {
                  for (int callNumber = 2; callNumber <= 92; ++callNumber) ASSERT_EQ(call(0.25f), SceneId::Loading);
              }),
              std::vector<std::string>{});
    EXPECT_EQ(call(0.25f), SceneId::Intro);
}

// A bar larger than the target starts at its edge in that direction and
// stays centred in the other.
TEST_F(LoadingScreenTest, BarWiderThanTheTargetStartsAtItsLeftEdge)
{
    registerAssets(2400, BAR_HEIGHT_PX);
    call(2.0f);
    call(0.25f);
    // Half filled: half of the empty bar's 2400 pixels, from the left edge.
    EXPECT_EQ(image.getPixel(0, BAR_ROW_PX), FULL_BAR_COLOUR);
    EXPECT_EQ(fullBarPx(), 1200u);
    EXPECT_EQ(countInRow(image, BAR_ROW_PX, EMPTY_BAR_COLOUR), SCREEN_WIDTH_PX - 1200u);
    EXPECT_EQ(image.getPixel(SCREEN_WIDTH_PX - 1, 520), EMPTY_BAR_COLOUR);
    EXPECT_EQ(image.getPixel(SCREEN_WIDTH_PX - 1, 519), sf::Color::Transparent);
}

TEST_F(LoadingScreenTest, BarTallerThanTheTargetStartsAtItsTopEdge)
{
    registerAssets(BAR_WIDTH_PX, 1500);
    call(0.25f);
    EXPECT_EQ(image.getPixel(460, 0), EMPTY_BAR_COLOUR);
    EXPECT_EQ(image.getPixel(459, 0), sf::Color::Transparent);
    EXPECT_EQ(image.getPixel(1459, SCREEN_HEIGHT_PX - 1), EMPTY_BAR_COLOUR);
    EXPECT_EQ(image.getPixel(1460, 0), sf::Color::Transparent);
}
