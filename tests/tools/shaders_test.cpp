// The show's shaders on Mesa under Xvfb, where the golden frames cannot
// look: every uniform the show sets is live, the ball room is whole for
// every camMix the scene produces, hides the bodies waiting under its
// floor, blends the box's edge into the sky and dithers the finale's dark
// sky, and the card shader carries on across a stage restart.
#include "test_support.h"

#include "assets/texture_manager.h"

#include <SFML/Graphics.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

constexpr unsigned WIDTH_PX = 1920, HEIGHT_PX = 1080;
const char* const VERTEX_SHADER = "assets/shaders/passthrough.vert";

struct Bodies {
    sf::Vector3f ball1, ball2, ball3, credit;
};

// Mid-show: all three balls in play and the panel swinging.
const Bodies IN_PLAY = {{4.0f, 0.5f, 3.0f}, {-5.0f, -5.0f, -2.0f}, {1.5f, 2.6f, 9.0f}, {0.0f, 0.0f, -3.3f}};

// The strongest of the three channels, 0 to 1.
double brightness(sf::Color c)
{
    return std::max({c.r, c.g, c.b}) / 255.0;
}

// Over every other pixel, 0 to 1.
double meanDifference(const sf::Image& a, const sf::Image& b)
{
    double total = 0.0;
    for (unsigned y = 0; y < HEIGHT_PX; y += 2) {
        for (unsigned x = 0; x < WIDTH_PX; x += 2) {
            const sf::Color p = a.getPixel(x, y), q = b.getPixel(x, y);
            total += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b);
        }
    }
    return total / (WIDTH_PX / 2.0 * HEIGHT_PX / 2.0 * 3.0 * 255.0);
}

// A picture drawn through a shader into a screen-sized render texture.
struct ShaderTest : ::testing::Test {
    sf::RenderTexture target;
    sf::Shader shader;

    void load(const char* fragmentShader)
    {
        ASSERT_TRUE(target.create(WIDTH_PX, HEIGHT_PX));
        ASSERT_TRUE(textureManager.loadManifest("assets/textures.json"));
        ASSERT_TRUE(shader.loadFromFile(VERTEX_SHADER, fragmentShader));
    }

    sf::Image draw(const sf::Sprite& sprite)
    {
        target.clear(sf::Color::Transparent);
        target.draw(sprite, sf::RenderStates(&shader));
        target.display();
        return target.getTexture().copyToImage();
    }
};

// The ball scene's pass: the sprite "black"'s texture through balls.frag.
struct BallsShader : ShaderTest {
    void SetUp() override
    {
        load("assets/shaders/balls.frag");
        const char* const textures[][2] = {{"ballTex1", "vemo"}, {"ballTex2", "qrv"}, {"ballTex3", "arku"},
                                           {"wallTex", "white"}, {"creditsTex", "credits_orin"}};
        for (const auto& [uniform, key] : textures) shader.setUniform(uniform, *textureManager.get(key));
        shader.setUniform("iTime", 30.0f);
    }

    sf::Image render(float camMix, const Bodies& bodies = IN_PLAY)
    {
        shader.setUniform("camMix", camMix);
        shader.setUniform("ballPos1", bodies.ball1);
        shader.setUniform("ballPos2", bodies.ball2);
        shader.setUniform("ballPos3", bodies.ball3);
        shader.setUniform("creditPos", bodies.credit);
        return draw(sf::Sprite(*textureManager.get("black")));
    }
};

}  // namespace

// A uniform that the compiler dropped would make SFML print an error line
// each time the scene sets it.
TEST_F(ShaderTest, BothProgramsBuildWithEveryUniformTheShowSets)
{
    load("assets/shaders/balls.frag");
    sf::Shader text;
    ASSERT_TRUE(text.loadFromFile(VERTEX_SHADER, "assets/shaders/peephole.frag"));
    const std::tuple<const sf::Shader*, const char*, std::size_t> uniforms[] = {
        {&shader, "camMix", 1}, {&shader, "iTime", 1}, {&shader, "ballTex1", 1}, {&shader, "ballTex2", 1},
        {&shader, "ballTex3", 1}, {&shader, "wallTex", 1}, {&shader, "creditsTex", 1}, {&shader, "ballPos1", 3},
        {&shader, "ballPos2", 3}, {&shader, "ballPos3", 3}, {&shader, "creditPos", 3}, {&text, "currentTexture", 1},
        {&text, "bgTexture", 1}, {&text, "xOffset", 1}, {&text, "yOffset", 1}};
    for (const auto& [program, name, count] : uniforms) EXPECT_EQ(uniformValues(*program, name, count).size(), count) << name;
}

// Mesa writes a NaN as 0, and nothing in the room or the sky is fully black.
TEST_F(BallsShader, EveryCamMixOfTheSceneGivesAnOpaqueVariedFrameWithoutNaN)
{
    for (float camMix : {1.2f, 1.0f, 0.5f, 0.0f, -0.1f, -10.0f, -64.0f, -70.0f}) {
        const sf::Image frame = render(camMix);
        double sum = 0.0, sumOfSquares = 0.0, samples = 0.0;
        int black = 0, translucent = 0;
        for (unsigned y = 0; y < HEIGHT_PX; y += 3) {
            for (unsigned x = 0; x < WIDTH_PX; x += 3) {
                const sf::Color c = frame.getPixel(x, y);
                const double luminance = (0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b) / 255.0;
                black += c.r == 0 && c.g == 0 && c.b == 0;
                translucent += c.a != 255;
                sum += luminance, sumOfSquares += luminance * luminance, ++samples;
            }
        }
        const double mean = sum / samples;
        EXPECT_EQ(black, 0) << "camMix " << camMix;
        EXPECT_EQ(translucent, 0) << "camMix " << camMix;
        EXPECT_GT(std::sqrt(std::max(sumOfSquares / samples - mean * mean, 0.0)), 0.05) << "camMix " << camMix;
        EXPECT_GT(mean, 0.03) << "camMix " << camMix;
    }
}

// Under the floor, moved about, they change at most a rounding step where
// their faint occlusion reaches a wall. Let go, the panel stands for one
// frame where the body fell: off its swing path, it stays unseen.
TEST_F(BallsShader, BodiesWaitingUnderTheFloorStayUnseen)
{
    const Bodies waiting = {{5.2f, -1.4f, 0.0f}, {-7.0f, -20.0f, 0.0f}, {-7.0f, -20.0f, 2.0f}, {-20.0f, -20.0f, 0.0f}};
    const struct {
        const char* name;
        Bodies bodies;
        bool seen;
    } cases[] = {
        {"moved under the floor", {waiting.ball1, {3.0f, -20.0f, 5.0f}, waiting.ball3, {2.0f, -20.0f, -4.0f}}, false},
        {"panel off its path", {waiting.ball1, waiting.ball2, waiting.ball3, {-7.0f, -5.0f, 0.0f}}, false},
        {"ball 2 in play", {waiting.ball1, {-2.0f, 0.0f, 0.0f}, waiting.ball3, waiting.credit}, true},
    };
    for (float camMix : {1.0f, 0.0f}) {
        const sf::Image reference = render(camMix, waiting);
        for (const auto& c : cases) {
            const double difference = meanDifference(reference, render(camMix, c.bodies));
            EXPECT_EQ(difference > (c.seen ? 1.0e-3 : 1.0e-4), c.seen) << c.name << ", camMix " << camMix << ": " << difference;
        }
    }
}

// In the corner view the left wall's outer edge runs steeply down the left
// of the screen against the dark sky. Where it crosses a pixel, the pixel
// shows the part of each that it covers, so that most rows hold one pixel
// between the two; a hard staircase jumps from sky to wall.
TEST_F(BallsShader, TheBoxsEdgeAgainstTheSkyBlendsByCoverage)
{
    const sf::Image frame = render(0.0f);
    const double sky = 0.2, wall = 0.6;  // at most, at least
    int rows = 0, blended = 0;
    for (unsigned y = 300; y < 700; y += 4, ++rows) {
        // The wall begins where three bright pixels follow each other, which no star does.
        unsigned x = 1;
        while (x < WIDTH_PX / 2 && std::min({brightness(frame.getPixel(x, y)), brightness(frame.getPixel(x + 1, y)),
                                             brightness(frame.getPixel(x + 2, y))}) < wall) {
            ++x;
        }
        ASSERT_LT(x, WIDTH_PX / 2) << "no wall in row " << y;
        ASSERT_LT(brightness(frame.getPixel(x - 3, y)), sky) << "no sky before the wall in row " << y;
        const double edge = brightness(frame.getPixel(x - 1, y));
        blended += edge > sky && edge < wall;
    }
    EXPECT_GT(blended, rows / 2) << blended << " of " << rows << " rows blend sky and wall";
}

// The finale's dark sky steps one level at a time; dithered, neighbouring
// pixels differ often enough that no band shows.
TEST_F(BallsShader, TheDarkSkyIsDitheredAtTheFinale)
{
    const sf::Image frame = render(-20.0f);
    int pairs = 0, equal = 0;
    for (unsigned y = 0; y < 120; ++y) {
        for (unsigned x = 0; x + 1 < WIDTH_PX; ++x) {
            const sf::Color left = frame.getPixel(x, y), right = frame.getPixel(x + 1, y);
            if (std::max(brightness(left), brightness(right)) > 0.35) continue;  // brighter are the stars
            ++pairs;
            equal += left == right;
        }
    }
    ASSERT_GT(pairs, 100000) << "the top of the finale's frame is sky";
    EXPECT_LE(static_cast<double>(equal) / pairs, 0.85) << equal << " of " << pairs << " pairs equal";
}

// An intro card drawn as the intro draws it, centred through peephole.frag:
// a card's leaving stage starts the seconds again at 0 while the card
// shows, and its look carries on across that restart as from one frame to
// the next. The card's transparent parts and the vertex alpha stay.
TEST_F(ShaderTest, TheCardsLookCarriesOnWhenTheLeavingStageRestartsTheSeconds)
{
    load("assets/shaders/peephole.frag");
    shader.setUniform("currentTexture", sf::Shader::CurrentTexture);
    shader.setUniform("bgTexture", *textureManager.get("rainbow_texture"));
    sf::Image image;  // white and opaque but for a transparent band at the top
    image.create(1800, 600, sf::Color::White);
    for (unsigned i = 0; i < 1800 * 40; ++i) image.setPixel(i % 1800, i / 1800, sf::Color::Transparent);
    sf::Texture card;
    ASSERT_TRUE(card.loadFromImage(image));
    const auto render = [&](float stageSeconds, sf::Uint8 vertexAlpha = 255) {
        shader.setUniform("xOffset", stageSeconds);
        shader.setUniform("yOffset", stageSeconds);
        sf::Sprite sprite(card);
        sprite.setOrigin(900.0f, 300.0f);
        sprite.setPosition(960.0f, 540.0f);
        sprite.setColor(sf::Color(255, 255, 255, vertexAlpha));
        return draw(sprite);
    };
    const float frame = 1.0f / 60.0f;
    const sf::Image lastOfShowing = render(5.0f + frame);
    EXPECT_LT(meanDifference(render(frame), lastOfShowing) * 255.0, 0.5);
    EXPECT_GT(meanDifference(render(5.0f), lastOfShowing) * 255.0, 0.0) << "the look moves from frame to frame";
    EXPECT_EQ(lastOfShowing.getPixel(960, 250).a, 0) << "the card's transparent band";
    EXPECT_EQ(lastOfShowing.getPixel(30, 540).a, 0) << "beside the card";
    EXPECT_NEAR(render(3.0f, 128).getPixel(960, 540).a, 128, 2);
}
