// The show's shaders on Mesa under Xvfb: both programs build with every
// uniform the show sets, the ball room gives a full, varied, NaN-free frame
// for every camMix the scene produces and blends the box's edge into the
// sky, and the intro's card shader drifts, carries on across a stage
// restart and keeps the card's shape and the vertex alpha.
#include "test_support.h"

#include "assets/texture_manager.h"

#include <SFML/Graphics.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

const char* const VERTEX_SHADER = "assets/shaders/passthrough.vert";
const unsigned SCREEN_WIDTH = 1920;
const unsigned SCREEN_HEIGHT = 1080;

struct Bodies {
    sf::Vector3f ball1;
    sf::Vector3f ball2;
    sf::Vector3f ball3;
    sf::Vector3f credit;
};

// Mid-show: all three balls in play and the panel swinging.
const Bodies IN_PLAY = {{4.0f, 0.5f, 3.0f}, {-5.0f, -5.0f, -2.0f}, {1.5f, 2.6f, 9.0f}, {0.0f, 0.0f, -3.3f}};

double luminance(sf::Color colour)
{
    return (0.2126 * colour.r + 0.7152 * colour.g + 0.0722 * colour.b) / 255.0;
}

// The strongest of the three channels, 0 to 1.
double brightness(sf::Color colour)
{
    return std::max(colour.r, std::max(colour.g, colour.b)) / 255.0;
}

double meanDifference(const sf::Image& a, const sf::Image& b)
{
    double total = 0.0;
    const sf::Vector2u size = a.getSize();
    for (unsigned y = 0; y < size.y; y += 2) {
        for (unsigned x = 0; x < size.x; x += 2) {
            const sf::Color p = a.getPixel(x, y);
            const sf::Color q = b.getPixel(x, y);
            total += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
    }
    return total / (size.x / 2.0 * size.y / 2.0 * 3.0 * 255.0);
}

sf::Texture solidTexture(sf::Color colour, unsigned width, unsigned height)
{
    sf::Image image;
    image.create(width, height, colour);
    sf::Texture texture;
    texture.loadFromImage(image);
    return texture;
}

// The ball scene's pass: the sprite "black"'s texture drawn through
// balls.frag into a screen-sized render texture.
class BallsShader : public ::testing::Test {
protected:
    sf::RenderTexture target;
    sf::Shader shader;
    sf::Sprite canvas;

    void SetUp() override
    {
        ASSERT_TRUE(target.create(SCREEN_WIDTH, SCREEN_HEIGHT));
        ASSERT_TRUE(textureManager.loadManifest("assets/textures.json"));
        ASSERT_TRUE(shader.loadFromFile(VERTEX_SHADER, "assets/shaders/balls.frag"));
        canvas.setTexture(*textureManager.get("black"));
        shader.setUniform("ballTex1", *textureManager.get("vemo"));
        shader.setUniform("ballTex2", *textureManager.get("qrv"));
        shader.setUniform("ballTex3", *textureManager.get("arku"));
        shader.setUniform("wallTex", *textureManager.get("white"));
        shader.setUniform("creditsTex", *textureManager.get("credits_orin"));
        shader.setUniform("iTime", 30.0f);
    }

    sf::Image render(float camMix, const Bodies& bodies)
    {
        shader.setUniform("camMix", camMix);
        shader.setUniform("ballPos1", bodies.ball1);
        shader.setUniform("ballPos2", bodies.ball2);
        shader.setUniform("ballPos3", bodies.ball3);
        shader.setUniform("creditPos", bodies.credit);
        target.clear(sf::Color::Transparent);
        target.draw(canvas, sf::RenderStates(&shader));
        target.display();
        return target.getTexture().copyToImage();
    }
};

// An intro card drawn as the intro draws it: centred through peephole.frag.
class PeepholeShader : public ::testing::Test {
protected:
    sf::RenderTexture target;
    sf::Shader shader;
    sf::Texture rainbow;
    sf::Texture card;

    void SetUp() override
    {
        ASSERT_TRUE(target.create(SCREEN_WIDTH, SCREEN_HEIGHT));
        ASSERT_TRUE(shader.loadFromFile(VERTEX_SHADER, "assets/shaders/peephole.frag"));
        ASSERT_TRUE(textureManager.loadManifest("assets/textures.json"));
        shader.setUniform("currentTexture", sf::Shader::CurrentTexture);
        shader.setUniform("bgTexture", *textureManager.get("rainbow_texture"));
        // A card that is white and opaque but for a transparent band at the top.
        sf::Image image;
        image.create(1800, 600, sf::Color::White);
        for (unsigned y = 0; y < 40; ++y) {
            for (unsigned x = 0; x < 1800; ++x) image.setPixel(x, y, sf::Color::Transparent);
        }
        ASSERT_TRUE(card.loadFromImage(image));
    }

    sf::Image render(float stageSeconds, sf::Uint8 vertexAlpha = 255)
    {
        shader.setUniform("xOffset", stageSeconds);
        shader.setUniform("yOffset", stageSeconds);
        sf::Sprite sprite(card);
        sprite.setOrigin(900.0f, 300.0f);
        sprite.setPosition(960.0f, 540.0f);
        sprite.setColor(sf::Color(255, 255, 255, vertexAlpha));
        target.clear(sf::Color::Transparent);
        target.draw(sprite, sf::RenderStates(&shader));
        target.display();
        return target.getTexture().copyToImage();
    }
};

}  // namespace

TEST(ShaderFiles, BothProgramsBuildWithEveryUniformTheShowSets)
{
    sf::RenderTexture context;
    ASSERT_TRUE(context.create(4, 4));
    sf::Shader balls;
    sf::Shader text;
    ASSERT_TRUE(balls.loadFromFile(VERTEX_SHADER, "assets/shaders/balls.frag"));
    ASSERT_TRUE(text.loadFromFile(VERTEX_SHADER, "assets/shaders/peephole.frag"));
    // A uniform that the compiler dropped would make SFML print an error line
    // each time the scene sets it.
    for (const char* name : {"camMix", "iTime", "ballTex1", "ballTex2", "ballTex3", "wallTex", "creditsTex"}) {
        uniformValues(balls, name, 1);
    }
    for (const char* name : {"ballPos1", "ballPos2", "ballPos3", "creditPos"}) uniformValues(balls, name, 3);
    for (const char* name : {"currentTexture", "bgTexture", "xOffset", "yOffset"}) uniformValues(text, name, 1);
}

TEST_F(BallsShader, EveryCamMixOfTheSceneGivesAnOpaqueVariedFrameWithoutNaN)
{
    for (float camMix : {1.2f, 1.0f, 0.5f, 0.0f, -0.1f, -10.0f, -64.0f, -70.0f}) {
        const sf::Image frame = render(camMix, IN_PLAY);
        double sum = 0.0;
        double sumOfSquares = 0.0;
        int samples = 0;
        int blackPixels = 0;
        int translucentPixels = 0;
        for (unsigned y = 0; y < SCREEN_HEIGHT; y += 3) {
            for (unsigned x = 0; x < SCREEN_WIDTH; x += 3) {
                const sf::Color c = frame.getPixel(x, y);
                // Mesa writes a NaN as 0; nothing in the room or the sky is fully black.
                blackPixels += (c.r == 0 && c.g == 0 && c.b == 0) ? 1 : 0;
                translucentPixels += c.a != 255 ? 1 : 0;
                sum += luminance(c);
                sumOfSquares += luminance(c) * luminance(c);
                ++samples;
            }
        }
        const double mean = sum / samples;
        const double spread = std::sqrt(std::max(sumOfSquares / samples - mean * mean, 0.0));
        EXPECT_EQ(blackPixels, 0) << "camMix " << camMix;
        EXPECT_EQ(translucentPixels, 0) << "camMix " << camMix;
        EXPECT_GT(spread, 0.05) << "camMix " << camMix << " gives a uniform frame";
        EXPECT_GT(mean, 0.03) << "camMix " << camMix;
    }
}

TEST_F(BallsShader, CamMixOneAndZeroAreTwoDifferentViews)
{
    const sf::Image front = render(1.0f, IN_PLAY);
    const sf::Image corner = render(0.0f, IN_PLAY);
    const sf::Image halfway = render(0.5f, IN_PLAY);
    EXPECT_GT(meanDifference(front, corner), 0.1);
    EXPECT_GT(meanDifference(front, halfway), 0.02);
    EXPECT_GT(meanDifference(halfway, corner), 0.02);
}

TEST_F(BallsShader, BodiesWaitingUnderTheFloorStayUnseen)
{
    const Bodies waiting = {{5.2f, -1.4f, 0.0f}, {-7.0f, -20.0f, 0.0f}, {-7.0f, -20.0f, 2.0f}, {-20.0f, -20.0f, 0.0f}};
    Bodies elsewhere = waiting;
    elsewhere.ball2 = {3.0f, -20.0f, 5.0f};
    elsewhere.credit = {2.0f, -20.0f, -4.0f};
    // Let go, the panel stands for one frame where the body fell: off its
    // swing path, it stays unseen.
    Bodies panelOffItsPath = waiting;
    panelOffItsPath.credit = {-7.0f, -5.0f, 0.0f};
    Bodies ball2InPlay = waiting;
    ball2InPlay.ball2 = {-2.0f, 0.0f, 0.0f};
    for (float camMix : {1.0f, 0.0f}) {
        const sf::Image reference = render(camMix, waiting);
        // At most a rounding step where their faint occlusion reaches a wall.
        EXPECT_LT(meanDifference(reference, render(camMix, elsewhere)), 1.0e-4) << "camMix " << camMix;
        EXPECT_LT(meanDifference(reference, render(camMix, panelOffItsPath)), 1.0e-4) << "camMix " << camMix;
        EXPECT_GT(meanDifference(reference, render(camMix, ball2InPlay)), 1.0e-3) << "camMix " << camMix;
    }
}

// The vertex shader carries every body and the clock on to the pixels.
TEST_F(BallsShader, EachBodyAndTheSceneClockMoveThePicture)
{
    const sf::Image reference = render(0.0f, IN_PLAY);
    const sf::Vector3f aside(2.0f, 0.0f, 1.5f);
    for (sf::Vector3f Bodies::*body : {&Bodies::ball1, &Bodies::ball2, &Bodies::ball3, &Bodies::credit}) {
        Bodies moved = IN_PLAY;
        moved.*body += aside;
        EXPECT_GT(meanDifference(reference, render(0.0f, moved)), 1.0e-3);
    }
    shader.setUniform("iTime", 32.0f);
    EXPECT_GT(meanDifference(reference, render(0.0f, IN_PLAY)), 1.0e-3) << "the camera's sway";
}

// In the corner view the floor's near edge runs steeply down the lower left
// of the screen against the dark sky. Where it crosses a pixel, the pixel
// shows the part of each that it covers, so that most rows hold one pixel
// between the two; a hard staircase jumps from sky to wall.
TEST_F(BallsShader, TheBoxsEdgeAgainstTheSkyBlendsByCoverage)
{
    const sf::Image frame = render(0.0f, IN_PLAY);
    const double skyAtMost = 0.2;
    const double wallAtLeast = 0.6;
    int rows = 0;
    int blended = 0;
    for (unsigned y = 660; y < 1040; y += 4) {
        unsigned x = 1;
        // The wall begins where three bright pixels follow each other, which no star does.
        while (x < SCREEN_WIDTH / 2 && !(brightness(frame.getPixel(x, y)) >= wallAtLeast &&
                                           brightness(frame.getPixel(x + 1, y)) >= wallAtLeast &&
                                           brightness(frame.getPixel(x + 2, y)) >= wallAtLeast)) {
            ++x;
        }
        ASSERT_LT(x, SCREEN_WIDTH / 2) << "no wall in row " << y;
        ASSERT_LT(brightness(frame.getPixel(x - 3, y)), skyAtMost) << "no sky before the wall in row " << y;
        const double edge = brightness(frame.getPixel(x - 1, y));
        blended += (edge > skyAtMost && edge < wallAtLeast) ? 1 : 0;
        ++rows;
    }
    EXPECT_GT(blended, rows / 2) << blended << " of " << rows << " rows blend sky and wall";
}

// The finale's dark sky steps one level at a time; dithered, neighbouring
// pixels differ often enough that no band shows.
TEST_F(BallsShader, TheDarkSkyIsDitheredAtTheFinale)
{
    const sf::Image frame = render(-20.0f, IN_PLAY);
    const double skyAtMost = 0.35;  // brighter are the stars
    int pairs = 0;
    int equal = 0;
    for (unsigned y = 0; y < 120; ++y) {
        for (unsigned x = 0; x + 1 < SCREEN_WIDTH; ++x) {
            const sf::Color left = frame.getPixel(x, y);
            const sf::Color right = frame.getPixel(x + 1, y);
            if (brightness(left) > skyAtMost || brightness(right) > skyAtMost) continue;
            ++pairs;
            equal += left == right ? 1 : 0;
        }
    }
    ASSERT_GT(pairs, 100000) << "the top of the finale's frame is sky";
    EXPECT_LE(static_cast<double>(equal) / pairs, 0.85) << equal << " of " << pairs << " pairs equal";
}

TEST_F(BallsShader, TheCreditsPanelShowsItsPage)
{
    const sf::Texture red = solidTexture(sf::Color(220, 30, 30), 512, 256);
    const sf::Texture green = solidTexture(sf::Color(30, 220, 30), 512, 256);
    shader.setUniform("creditsTex", red);
    const sf::Image redPage = render(0.0f, IN_PLAY);
    shader.setUniform("creditsTex", green);
    const sf::Image greenPage = render(0.0f, IN_PLAY);
    int redder = 0;
    int greener = 0;
    for (unsigned y = 0; y < SCREEN_HEIGHT; y += 2) {
        for (unsigned x = 0; x < SCREEN_WIDTH; x += 2) {
            const sf::Color r = redPage.getPixel(x, y);
            const sf::Color g = greenPage.getPixel(x, y);
            redder += (r.r > g.r + 60) ? 1 : 0;
            greener += (g.g > r.g + 60) ? 1 : 0;
        }
    }
    // The panel covers a readable share of the screen, and only the page changed.
    EXPECT_GT(redder, 5000);
    EXPECT_NEAR(redder, greener, redder / 10);
}

// A card's leaving stage starts the seconds again at 0 while the card shows:
// its look carries on across that restart as from one frame to the next.
TEST_F(PeepholeShader, TheLookCarriesOnWhenTheLeavingStageRestartsTheSeconds)
{
    const float frame = 1.0f / 60.0f;
    const sf::Image lastOfShowing = render(5.0f + frame);
    const double levels = 255.0;
    EXPECT_LT(meanDifference(render(frame), lastOfShowing) * levels, 0.5);
    EXPECT_GT(meanDifference(render(5.0f), lastOfShowing) * levels, 0.0) << "the look moves from frame to frame";
}

TEST_F(PeepholeShader, TheRainbowDriftsWithTheStageSeconds)
{
    const sf::Color early = render(3.0f).getPixel(960, 540);
    const sf::Color later = render(3.5f).getPixel(960, 540);
    EXPECT_GT(std::abs(early.r - later.r) + std::abs(early.g - later.g) + std::abs(early.b - later.b), 20);
}

TEST_F(PeepholeShader, KeepsTheCardsShapeAndTheVertexAlpha)
{
    const sf::Image full = render(3.0f);
    EXPECT_EQ(full.getPixel(960, 250).a, 0) << "the card's transparent band stays transparent";
    EXPECT_EQ(full.getPixel(30, 540).a, 0) << "nothing is drawn beside the card";
    EXPECT_EQ(render(3.0f, 0).getPixel(960, 540).a, 0);
    EXPECT_NEAR(render(3.0f, 128).getPixel(960, 540).a, 128, 2);
}
