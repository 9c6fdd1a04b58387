// The loading screen drawn off screen: its stages seen through the bar, which
// restarts empty with each, the places of the bar and the lines of text, and
// a bar larger than the screen.
#include "assets/sprite_manager.h"
#include "scenes/scenes.h"
#include "test_support.h"

#include <algorithm>
#include <array>
#include <map>

namespace {

const sf::Color EMPTY(255, 0, 0), FULL(0, 255, 0), BACKGROUND(0, 0, 255);
using Box = std::array<int, 4>;  // left, top, width, height

struct LoadingScreenTest : ::testing::Test {
    TempRunFolder folder;
    sf::RenderTexture target;
    sf::Image image;  // what the last call drew

    void SetUp() override { ASSERT_TRUE(target.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX)); }
    // The font, the bar's textures and the "black" sprite, blue so that it shows.
    void registerAssets(int barWidth, int barHeight)
    {
        ASSERT_TRUE(globalFont.loadFromFile((repositoryRoot() / "assets/roboto-thin.ttf").string()));
        addSolidTexture("loading_bar_empty", barWidth, barHeight, EMPTY);
        addSolidTexture("loading_bar_full", barWidth, barHeight, FULL);
        addSolidTexture("background", 16, 16, BACKGROUND);
        spriteManager.loadFromJson({{"sprites", {{"black", {{"texture", "background"}}}}}});
    }

    SceneId call(float dt)
    {
        target.clear(sf::Color::Transparent);
        const SceneId next = updateLoadingScreen(target, dt);
        image = shotOf(target);
        return next;
    }

    // The box around the pixels of rows [top, bottom) in one of the colours
    // (none: any drawn); its width is 0 or less when there are none.
    Box boundsOf(std::vector<sf::Color> colours, int top = 0, int bottom = SCREEN_HEIGHT_PX) const
    {
        const sf::IntRect box = boxOf(image, [&](sf::Color pixel) {
            return colours.empty() ? pixel.a != 0 : std::count(colours.begin(), colours.end(), pixel) > 0;
        }, top, bottom);
        return {box.left, box.top, box.width, box.height};
    }
    int inBarRow(sf::Color colour) const { return std::max(0, boundsOf({colour}, 540, 541)[2]); }
    void expectHalfFilledBar(int width, int height, Box bar);
};

}  // namespace

// At 0.25 s a call: the full bar trails its stage by one frame, so each
// stage starts with it empty; call 93 hands over, drawing nothing.
TEST_F(LoadingScreenTest, StagesAndTheBarComeOnTheirCalls)
{
    registerAssets(1000, 40);
    const std::map<int, int> fullWidths = {{2, 62}, {16, 937}, {18, 125}, {25, 1000}};
    std::vector<int> stageStarts;
    for (int n = 1; n <= 92; ++n) {
        ASSERT_EQ(call(0.25f), SceneId::Loading) << "call " << n;
        const int fullPx = inBarRow(FULL);
        if (fullPx == 0) stageStarts.push_back(n);
        if (fullWidths.count(n)) { EXPECT_EQ(fullPx, fullWidths.at(n)) << "call " << n; }
        EXPECT_EQ(inBarRow(EMPTY), 1000 - fullPx) << "call " << n;
    }
    EXPECT_EQ(stageStarts, (std::vector<int>{1, 17, 26, 39, 49, 78}));
    EXPECT_EQ(boundsOf({EMPTY, FULL}), (Box{460, 520, 1000, 40}));  // centred
    EXPECT_EQ(image.getPixel(8, 8), BACKGROUND);
    // The stage's message and the subtitle, each centred on its row.
    for (const int middle : {300, 800}) {
        const Box line = boundsOf({}, middle - 100, middle + 100);
        EXPECT_GT(line[2], 200) << "row " << middle;
        EXPECT_NEAR(line[0] + line[2] * 0.5, SCREEN_WIDTH_PX * 0.5, 2.0) << "row " << middle;
        EXPECT_NEAR(line[1] + line[3] * 0.5, middle, 2.0) << "row " << middle;
    }
    EXPECT_EQ(call(0.25f), SceneId::Intro);
    EXPECT_LE(boundsOf({})[2], 0) << "nothing drawn";
}

// A bar larger than the target starts at its edge in that direction and
// stays centred in the other; half filled, the full bar covers the left part
// of the empty one.
void LoadingScreenTest::expectHalfFilledBar(int width, int height, Box bar)
{
    registerAssets(width, height);
    call(2.0f);
    call(0.25f);
    EXPECT_EQ(boundsOf({FULL}), (Box{bar[0], bar[1], width / 2, bar[3]}));
    EXPECT_EQ(boundsOf({EMPTY}), (Box{bar[0] + width / 2, bar[1], bar[2] - width / 2, bar[3]}));
}
TEST_F(LoadingScreenTest, WideBarStartsAtTheLeftEdge) { expectHalfFilledBar(2400, 40, {0, 520, 1920, 40}); }
TEST_F(LoadingScreenTest, TallBarStartsAtTheTopEdge) { expectHalfFilledBar(1000, 1500, {460, 0, 1000, 1080}); }
