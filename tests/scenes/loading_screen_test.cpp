// The loading screen drawn into an off-screen 1920x1080 target: its stages
// seen through the message it draws, its bar through the pixels of the full
// bar, and the two mended faults (missing assets, an oversized bar).
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "core/app.h"
#include "scenes/scenes.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

const sf::Color EMPTY_BAR_COLOUR(255, 0, 0);
const sf::Color FULL_BAR_COLOUR(0, 255, 0);
const sf::Color BACKGROUND_COLOUR(0, 0, 255);
constexpr unsigned BAR_WIDTH_PX = 1000;
constexpr unsigned BAR_HEIGHT_PX = 40;
constexpr unsigned BAR_ROW_PX = 540;  // the bar's middle row when centred

const std::vector<std::string> MESSAGES = {
    "Generating textures", "Loading  alpha channels", "Creating bounce sound",
    "Compiling shaders",   "Loading REAL ball physics(tm)", "Finishing up",
};

void loadFont()
{
    ASSERT_TRUE(globalFont.loadFromFile((repositoryRoot() / "assets/roboto-thin.ttf").string()));
}

void writeImage(const std::string& file, unsigned width, unsigned height, sf::Color colour)
{
    sf::Image image;
    image.create(width, height, colour);
    ASSERT_TRUE(image.saveToFile(file));
}

// The bar textures and the "black" sprite, here blue so that it shows.
void registerAssets(unsigned barWidth, unsigned barHeight)
{
    writeImage("empty.png", barWidth, barHeight, EMPTY_BAR_COLOUR);
    writeImage("full.png", barWidth, barHeight, FULL_BAR_COLOUR);
    writeImage("background.png", 16, 16, BACKGROUND_COLOUR);
    ASSERT_TRUE(textureManager.add("loading_bar_empty", "empty.png", false));
    ASSERT_TRUE(textureManager.add("loading_bar_full", "full.png", false));
    ASSERT_TRUE(textureManager.add("background", "background.png", false));
    spriteManager.loadFromJson({{"sprites", {{"black", {{"texture", "background"}}}}}});
    ASSERT_NE(spriteManager.get("black"), nullptr);
}

sf::Image shot(sf::RenderTexture& target)
{
    target.display();
    return target.getTexture().copyToImage();
}

unsigned countInRow(const sf::Image& image, unsigned row, sf::Color colour)
{
    unsigned count = 0;
    for (unsigned x = 0; x < image.getSize().x; ++x) count += image.getPixel(x, row) == colour;
    return count;
}

// The pixels of the rows from top to bottom.
std::vector<sf::Uint8> band(const sf::Image& image, unsigned top, unsigned bottom)
{
    const sf::Uint8* pixels = image.getPixelsPtr();
    const std::size_t rowBytes = image.getSize().x * 4;
    return std::vector<sf::Uint8>(pixels + top * rowBytes, pixels + bottom * rowBytes);
}

bool anythingDrawn(const sf::Image& image)
{
    const sf::Uint8* pixels = image.getPixelsPtr();
    const std::size_t bytes = image.getSize().x * image.getSize().y * 4;
    return std::any_of(pixels, pixels + bytes, [](sf::Uint8 byte) { return byte != 0; });
}

// The band where the stage message stands, as each message draws it.
constexpr unsigned MESSAGE_TOP_PX = 200;
constexpr unsigned MESSAGE_BOTTOM_PX = 400;

struct LoadingScreenTest : ::testing::Test {
    TempRunFolder folder;
    sf::RenderTexture target;
    std::map<std::string, std::vector<sf::Uint8>> messageBands;

    void SetUp() override
    {
        ASSERT_TRUE(target.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX));
        loadFont();
    }

    void learnMessages()
    {
        for (const std::string& message : MESSAGES) {
            target.clear(sf::Color::Transparent);
            drawCenteredText(target, message, 110, sf::Color::White, 300.0f);
            messageBands[message] = band(shot(target), MESSAGE_TOP_PX, MESSAGE_BOTTOM_PX);
        }
    }

    // Which message the shot shows, or "" for none of them.
    std::string messageIn(const sf::Image& image)
    {
        const std::vector<sf::Uint8> shown = band(image, MESSAGE_TOP_PX, MESSAGE_BOTTOM_PX);
        for (const auto& [message, pixels] : messageBands) {
            if (pixels == shown) return message;
        }
        return "";
    }

    SceneId call(float dt)
    {
        target.clear(sf::Color::Transparent);
        return updateLoadingScreen(target, dt);
    }
};

}  // namespace

// At 0.25 s a call: each stage's message from its call on, the full bar
// one frame behind the stage and restarting with each, all centred on the
// background with the subtitle; call 93 hands over, drawing nothing.
TEST_F(LoadingScreenTest, StagesBarAndHandOverComeOnTheirCalls)
{
    registerAssets(BAR_WIDTH_PX, BAR_HEIGHT_PX);
    learnMessages();
    const std::map<int, unsigned> fullWidths = {{1, 0}, {2, 62}, {16, 937}, {17, 0}, {18, 125}, {25, 1000}, {26, 0}};
    std::vector<int> stageStarts;
    std::vector<std::string> shownInTurn;
    for (int callNumber = 1; callNumber <= 92; ++callNumber) {
        ASSERT_EQ(call(0.25f), SceneId::Loading) << "call " << callNumber;
        const sf::Image image = shot(target);
        const std::string message = messageIn(image);
        ASSERT_NE(message, "") << "call " << callNumber;
        if (shownInTurn.empty() || shownInTurn.back() != message) {
            stageStarts.push_back(callNumber);
            shownInTurn.push_back(message);
        }
        if (!fullWidths.count(callNumber)) continue;
        const unsigned full = countInRow(image, BAR_ROW_PX, FULL_BAR_COLOUR);
        EXPECT_EQ(full, fullWidths.at(callNumber)) << "call " << callNumber;
        EXPECT_EQ(countInRow(image, BAR_ROW_PX, EMPTY_BAR_COLOUR), BAR_WIDTH_PX - full) << "call " << callNumber;
        // Centred: (1920 - 1000) / 2 and (1080 - 40) / 2.
        EXPECT_EQ(image.getPixel(459, BAR_ROW_PX), sf::Color::Transparent);
        EXPECT_NE(image.getPixel(460, BAR_ROW_PX), sf::Color::Transparent);
        EXPECT_EQ(image.getPixel(1400, 519), sf::Color::Transparent);
        EXPECT_NE(image.getPixel(1400, 520), sf::Color::Transparent);
        EXPECT_NE(image.getPixel(1400, 520 + BAR_HEIGHT_PX - 1), sf::Color::Transparent);
        EXPECT_EQ(image.getPixel(1400, 520 + BAR_HEIGHT_PX), sf::Color::Transparent);
        if (callNumber == 1) {
            EXPECT_EQ(image.getPixel(8, 8), BACKGROUND_COLOUR);
            sf::RenderTexture reference;
            ASSERT_TRUE(reference.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX));
            reference.clear(sf::Color::Transparent);
            drawCenteredText(reference, "Loading 7 times?!", 54, sf::Color::White, 800.0f);
            EXPECT_EQ(band(image, 700, 900), band(shot(reference), 700, 900)) << "the subtitle";
        }
    }
    EXPECT_EQ(stageStarts, (std::vector<int>{1, 17, 26, 39, 49, 78}));
    EXPECT_EQ(shownInTurn, MESSAGES);
    EXPECT_EQ(call(0.25f), SceneId::Intro);
    EXPECT_FALSE(anythingDrawn(shot(target)));
}

// A first frame longer than stage 0 starts stage 1 at once with an empty
// bar; each long frame ends one stage, and the sixth hands over.
TEST_F(LoadingScreenTest, LongFramesEndOneStageEach)
{
    registerAssets(BAR_WIDTH_PX, BAR_HEIGHT_PX);
    learnMessages();
    EXPECT_EQ(call(4.5f), SceneId::Loading);
    const sf::Image image = shot(target);
    EXPECT_EQ(messageIn(image), MESSAGES[1]);
    EXPECT_EQ(countInRow(image, BAR_ROW_PX, EMPTY_BAR_COLOUR), BAR_WIDTH_PX);
    for (int callNumber = 2; callNumber <= 5; ++callNumber) {
        ASSERT_EQ(call(7.5f), SceneId::Loading) << "call " << callNumber;
        EXPECT_EQ(messageIn(shot(target)), MESSAGES[callNumber]) << "call " << callNumber;
    }
    EXPECT_EQ(call(7.5f), SceneId::Intro);
}

TEST_F(LoadingScreenTest, MissingSpriteAndTexturesAreLeftOutAndTheTimelineRunsOn)
{
    learnMessages();
    std::vector<std::string> lines = errorLinesOf([&] { call(0.25f); });
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "SpriteManager: Sprite with key black does not exist.",
                         "TextureManager: Texture with key loading_bar_empty does not exist.",
                         "TextureManager: Texture with key loading_bar_full does not exist.",
                     }));
    const sf::Image first = shot(target);
    EXPECT_EQ(messageIn(first), MESSAGES[0]);
    EXPECT_EQ(first.getPixel(8, 8), sf::Color::Transparent);
    EXPECT_EQ(countInRow(first, BAR_ROW_PX, sf::Color::Transparent), SCREEN_WIDTH_PX);

    // The lookups are made once: later frames print nothing.
    lines = errorLinesOf([&] {
        for (int callNumber = 2; callNumber <= 92; ++callNumber) {
            ASSERT_EQ(call(0.25f), SceneId::Loading);
        }
    });
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(call(0.25f), SceneId::Intro);
}

// A bar larger than the target starts at its edge in that direction and
// stays centred in the other.
TEST_F(LoadingScreenTest, BarWiderThanTheTargetStartsAtItsLeftEdgeAndStaysCentredInHeight)
{
    registerAssets(2400, BAR_HEIGHT_PX);
    call(2.0f);
    call(0.25f);
    const sf::Image image = shot(target);
    // Half filled: half of the empty bar's 2400 pixels, from the left edge.
    EXPECT_EQ(image.getPixel(0, BAR_ROW_PX), FULL_BAR_COLOUR);
    EXPECT_EQ(countInRow(image, BAR_ROW_PX, FULL_BAR_COLOUR), 1200u);
    EXPECT_EQ(countInRow(image, BAR_ROW_PX, EMPTY_BAR_COLOUR), SCREEN_WIDTH_PX - 1200u);
    EXPECT_EQ(image.getPixel(SCREEN_WIDTH_PX - 1, 520), EMPTY_BAR_COLOUR);
    EXPECT_EQ(image.getPixel(SCREEN_WIDTH_PX - 1, 519), sf::Color::Transparent);
}

TEST_F(LoadingScreenTest, BarTallerThanTheTargetStartsAtItsTopEdgeAndStaysCentredInWidth)
{
    registerAssets(BAR_WIDTH_PX, 1500);
    call(0.25f);
    const sf::Image image = shot(target);
    EXPECT_EQ(image.getPixel(460, 0), EMPTY_BAR_COLOUR);
    EXPECT_EQ(image.getPixel(459, 0), sf::Color::Transparent);
    EXPECT_EQ(image.getPixel(1459, SCREEN_HEIGHT_PX - 1), EMPTY_BAR_COLOUR);
    EXPECT_EQ(image.getPixel(1460, 0), sf::Color::Transparent);
}

TEST(CenteredText, IsCentredOnTheTargetWidthAtTheGivenHeight)
{
    loadFont();
    for (unsigned width : {1920u, 700u}) {
        sf::RenderTexture target;
        ASSERT_TRUE(target.create(width, 600));
        target.clear(sf::Color::Transparent);
        drawCenteredText(target, "Loading 7 times?!", 54, sf::Color::White, 420.0f);
        const sf::Image image = shot(target);
        unsigned left = width, right = 0, top = 600, bottom = 0;
        for (unsigned y = 0; y < 600; ++y) {
            for (unsigned x = 0; x < width; ++x) {
                const sf::Color pixel = image.getPixel(x, y);
                if (pixel.a == 0) continue;
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
        ASSERT_LT(left, right);
        EXPECT_NEAR((left + right + 1) * 0.5, width * 0.5, 2.0) << width;
        EXPECT_NEAR((top + bottom + 1) * 0.5, 420.0, 2.0) << width;
        EXPECT_GT(right - left, 200u);
    }
}
