// The loading screen drawn off screen: its stages seen through the bar, which
// restarts empty with each, the places of the bar and the lines of text, and
// the mended faults (missing assets, an oversized bar).
#include "assets/sprite_manager.h"
#include "scenes/scenes.h"
#include "test_support.h"

#include <algorithm>
#include <array>
#include <map>

namespace {

const sf::Color EMPTY_BAR_COLOUR(255, 0, 0);
const sf::Color FULL_BAR_COLOUR(0, 255, 0);
const sf::Color BACKGROUND_COLOUR(0, 0, 255);
constexpr unsigned BAR_WIDTH_PX = 1000;
constexpr unsigned BAR_HEIGHT_PX = 40;
constexpr unsigned BAR_ROW_PX = 540;

using Box = std::array<int, 4>;  // left, top, width, height

const auto isDrawn = [](sf::Color colour) { return colour.a != 0; };
const auto isBar = [](sf::Color colour) { return colour == EMPTY_BAR_COLOUR || colour == FULL_BAR_COLOUR; };
const auto isFullBar = [](sf::Color colour) { return colour == FULL_BAR_COLOUR; };

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

    // The pixels of this colour in the centred bar's middle row.
    unsigned inBarRow(sf::Color colour) const
    {
        unsigned count = 0;
        for (unsigned x = 0; x < SCREEN_WIDTH_PX; ++x) count += image.getPixel(x, BAR_ROW_PX) == colour;
        return count;
    }

    // The smallest box around the pixels in rows [top, bottom) that pass the
    // test; its width is 0 or less when none does.
    template <typename Test>
    Box boundsOf(Test test, int top = 0, int bottom = SCREEN_HEIGHT_PX) const
    {
        int left = SCREEN_WIDTH_PX, right = -1, first = bottom, last = top - 1;
        for (int y = top; y < bottom; ++y) {
            for (int x = 0; x < static_cast<int>(SCREEN_WIDTH_PX); ++x) {
                if (!test(image.getPixel(x, y))) continue;
                left = std::min(left, x), right = std::max(right, x), first = std::min(first, y), last = y;
            }
        }
        return {left, first, right + 1 - left, last + 1 - first};
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
    for (int n = 1; n <= 92; ++n) {
        ASSERT_EQ(call(0.25f), SceneId::Loading) << "call " << n;
        const unsigned fullPx = inBarRow(FULL_BAR_COLOUR);
        if (fullPx == 0) stageStarts.push_back(n);
        if (fullWidths.count(n)) {
            EXPECT_EQ(fullPx, fullWidths.at(n)) << "call " << n;
        }
        EXPECT_EQ(inBarRow(EMPTY_BAR_COLOUR), BAR_WIDTH_PX - fullPx) << "call " << n;
    }
    EXPECT_EQ(stageStarts, (std::vector<int>{1, 17, 26, 39, 49, 78}));
    // Centred: (1920 - 1000) / 2 and (1080 - 40) / 2, on the background.
    EXPECT_EQ(boundsOf(isBar), (Box{460, 520, BAR_WIDTH_PX, BAR_HEIGHT_PX}));
    EXPECT_EQ(image.getPixel(8, 8), BACKGROUND_COLOUR);
    // The stage's message and the subtitle, each centred across the screen
    // on its row.
    for (const int middle : {300, 800}) {
        const Box line = boundsOf(isDrawn, middle - 100, middle + 100);
        EXPECT_GT(line[2], 200) << "the line around row " << middle;
        EXPECT_NEAR(line[0] + line[2] * 0.5, SCREEN_WIDTH_PX * 0.5, 2.0) << "the line around row " << middle;
        EXPECT_NEAR(line[1] + line[3] * 0.5, middle, 2.0) << "the line around row " << middle;
    }

    EXPECT_EQ(call(0.25f), SceneId::Intro);
    EXPECT_LE(boundsOf(isDrawn)[2], 0) << "nothing drawn";
}

// Missing assets (the background, the full bar) are looked up once, reported
// and left out, while the empty bar and the text still show. A first frame
// longer than stage 0 ends it, and each long frame ends one stage (the excess
// is dropped), so the sixth hands over.
TEST_F(LoadingScreenTest, MissingAssetsAreReportedOnceAndLongFramesEndOneStageEach)
{
    addSolidTexture("loading_bar_empty", BAR_WIDTH_PX, BAR_HEIGHT_PX, EMPTY_BAR_COLOUR);
    const Lines lines = errorLinesOf([&] {
        for (int n = 1; n <= 5; ++n) {
            EXPECT_EQ(call(n == 1 ? 4.5f : 7.5f), SceneId::Loading) << "call " << n;
            EXPECT_GT(boundsOf(isDrawn, 0, 500)[2], 0) << "the text, call " << n;
            EXPECT_EQ(image.getPixel(8, 8), sf::Color::Transparent) << "call " << n;
            EXPECT_EQ(inBarRow(EMPTY_BAR_COLOUR), BAR_WIDTH_PX) << "call " << n;
        }
    });
    EXPECT_EQ(lines, (Lines{"SpriteManager: Sprite with key black does not exist.",
                                               "TextureManager: Texture with key loading_bar_full does not exist."}));
    EXPECT_EQ(call(7.5f), SceneId::Intro);
}

// A bar larger than the target starts at its edge in that direction and
// stays centred in the other. Half filled, the full bar covers half of the
// empty one from its left end.
TEST_F(LoadingScreenTest, BarWiderThanTheTargetStartsAtItsLeftEdge)
{
    registerAssets(2400, BAR_HEIGHT_PX);
    call(2.0f);
    call(0.25f);
    EXPECT_EQ(boundsOf(isBar), (Box{0, 520, SCREEN_WIDTH_PX, BAR_HEIGHT_PX}));
    EXPECT_EQ(boundsOf(isFullBar), (Box{0, 520, 1200, BAR_HEIGHT_PX}));
}

TEST_F(LoadingScreenTest, BarTallerThanTheTargetStartsAtItsTopEdge)
{
    registerAssets(BAR_WIDTH_PX, 1500);
    call(2.0f);
    call(0.25f);
    EXPECT_EQ(boundsOf(isBar), (Box{460, 0, BAR_WIDTH_PX, SCREEN_HEIGHT_PX}));
    EXPECT_EQ(boundsOf(isFullBar), (Box{460, 0, 500, SCREEN_HEIGHT_PX}));
}
