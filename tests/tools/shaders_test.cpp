// The show's shaders on Mesa under Xvfb, where the golden frames cannot
// look: the ball room opaque for every camMix, with the bodies under its floor,
// its edge and its dark sky, its camera moves and the balls' entrances as the
// ball scene sets them, and the card shader across a stage restart.
#include "test_support.h"

#include "assetgen/music.h"
#include "assets/texture_manager.h"
#include "core/screen.h"
#include "core/show.h"
#include "scenes/ball.h"
#include "scenes/scenes.h"

#include <SFML/Graphics.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <numeric>
#include <regex>
#include <sstream>

namespace {

constexpr unsigned W = SCREEN_WIDTH_PX, H = SCREEN_HEIGHT_PX;
using Bodies = std::array<sf::Vector3f, 4>;  // ballPos1, ballPos2, ballPos3, creditPos

double brightness(const sf::Image& image, unsigned x, unsigned y)  // the strongest channel, 0 to 1
{
    const sf::Color c = image.getPixel(x, y);
    return std::max({c.r, c.g, c.b}) / 255.0;
}

const sf::Vector3f WAITING(WAITING_X, WAITING_Y, 0.0f), PANEL_WAITING(PANEL_WAITING_X, WAITING_Y, 0.0f);
const char* const BODY_UNIFORMS[] = {"ballPos1", "ballPos2", "ballPos3", "creditPos"};

// The change at each pixel, over its three channels, in levels.
std::vector<int> changes(const sf::Image& from, const sf::Image& to)
{
    std::vector<int> result(W * H);
    for (std::size_t i = 0; i < result.size() * 4; ++i)
        result[i / 4] += i % 4 == 3 ? 0 : std::abs(from.getPixelsPtr()[i] - to.getPixelsPtr()[i]);
    return result;
}

// The mean change of a channel, in levels.
double meanChange(const sf::Image& from, const sf::Image& to)
{
    const std::vector<int> change = changes(from, to);
    return std::accumulate(change.begin(), change.end(), 0.0) / (change.size() * 3.0);
}

// What the ball scene sets on its shader in one frame.
struct SceneFrame {
    float camMix, iTime;
    Bodies bodies;
};

// Both programs, with the scenes' textures, drawing into a screen-sized
// render texture; the balls program is the show's own.
struct Shaders : ::testing::Test {
    sf::RenderTexture target;
    sf::Shader &balls = *ballsShader, text;

    void SetUp() override
    {
        ASSERT_TRUE(target.create(W, H) && textureManager.loadManifest("assets/textures.json"));
        ASSERT_TRUE(balls.loadFromFile("assets/shaders/passthrough.vert", "assets/shaders/balls.frag"));
        ASSERT_TRUE(text.loadFromFile("assets/shaders/passthrough.vert", "assets/shaders/peephole.frag"));
        for (const auto& [uniform, key] : {std::pair{"ballTex1", "vemo"}, {"ballTex2", "qrv"}, {"ballTex3", "arku"},
                                           {"wallTex", "white"}, {"creditsTex", "credits_orin"}}) {
            balls.setUniform(uniform, *textureManager.get(key));
        }
        balls.setUniform("iTime", 30.0f);
        text.setUniform("currentTexture", sf::Shader::CurrentTexture);
        text.setUniform("bgTexture", *textureManager.get("rainbow_texture"));
    }

    sf::Image draw(const sf::Sprite& sprite, const sf::Shader& shader)
    {
        target.clear(sf::Color::Transparent);
        target.draw(sprite, sf::RenderStates(&shader));
        return shotOf(target);
    }

    // The ball scene's pass: the sprite "black"'s texture through balls.frag,
    // by default mid-show, with all three balls in play and the panel swinging.
    sf::Image room(float camMix, const Bodies& bodies = {{{4, 0.5f, 3}, {-5, -5, -2}, {1.5f, 2.6f, 9}, {0, 0, -3.3f}}})
    {
        balls.setUniform("camMix", camMix);
        for (int i = 0; i < 4; ++i) balls.setUniform(BODY_UNIFORMS[i], bodies[i]);
        const sf::Image frame = draw(sf::Sprite(*textureManager.get("black")), balls);
        // Mesa writes a NaN as 0, and nothing in the room or the sky is fully
        // black: every frame drawn here is opaque and nowhere black.
        int blackOrTranslucent = 0;
        for (unsigned i = 0; i < W / 3 * H / 3; ++i) {  // every third pixel of every third row
            const sf::Color c = frame.getPixel(i % (W / 3) * 3, i / (W / 3) * 3);
            blackOrTranslucent += (c.r == 0 && c.g == 0 && c.b == 0) || c.a != 255;
        }
        EXPECT_EQ(blackOrTranslucent, 0) << "camMix " << camMix;
        return frame;
    }

    // The ball scene played to its end at 60 fps, without its sprite, song
    // and sound (so it draws nothing), its uniforms read after every frame.
    std::vector<SceneFrame> playScene()
    {
        createOffscreenTarget();
        sf::RenderTexture window;
        EXPECT_TRUE(window.create(8, 8));
        std::vector<SceneFrame> frames;
        errorLinesOf([&] {
            while (updateBallScene(window, FRAME_TIME_S) == SceneId::Balls) {
                frames.push_back({uniformValues(balls, "camMix", 1)[0], uniformValues(balls, "iTime", 1)[0], {}});
                for (int i = 0; i < 4; ++i) {
                    const std::vector<float> at = uniformValues(balls, BODY_UNIFORMS[i], 3);
                    frames.back().bodies[i] = {at[0], at[1], at[2]};
                }
            }
        });
        balls.setUniform("creditsTex", *textureManager.get("credits_orin"));
        return frames;
    }
};

}  // namespace

// Moved about under the floor, they change at most a rounding step where
// their faint occlusion reaches a wall. Let go, the panel stands for one
// frame where the body fell: off its swing path, it stays unseen.
TEST_F(Shaders, BodiesWaitingUnderTheFloorStayUnseen)
{
    const Bodies waiting = {{{5.2f, -1.4f, 0}, WAITING, WAITING + sf::Vector3f(0, 0, 2), PANEL_WAITING}};
    const std::tuple<const char*, int, sf::Vector3f, bool> cases[] = {
        {"ball 2 elsewhere", 1, {3, WAITING_Y, 5}, false}, {"panel elsewhere", 3, {2, WAITING_Y, -4}, false},
        {"panel off its path", 3, {SIDE_WALL_LEFT, LOWERED_FLOOR_Y, 0}, false},
        {"ball 2 in play", 1, {-2, 0, 0}, true}};
    for (float camMix : {1.0f, 0.0f}) {
        const sf::Image reference = room(camMix, waiting);
        for (auto [name, body, position, seen] : cases) {
            Bodies moved = waiting;
            moved[body] = position;
            const double difference = meanChange(reference, room(camMix, moved));
            EXPECT_EQ(difference > (seen ? 0.25 : 0.025), seen) << name << " at " << camMix << ": " << difference;
        }
    }
}

// In the corner view the floor's near edge runs steeply down the lower left
// of the screen against the dark sky; a pixel it crosses shows the share of
// each that it covers, so most rows hold one pixel between the two, where a
// staircase jumps. The finale's dark sky steps one level at a time;
// dithered, neighbouring pixels differ often enough that no band shows.
TEST_F(Shaders, TheBoxsEdgeBlendsIntoTheSkyWhichIsDitheredAtTheFinale)
{
    const sf::Image corner = room(0.0f), finale = room(-20.0f);
    const double sky = 0.2, wall = 0.6;  // at most, at least
    int rows = 0, blended = 0;
    for (unsigned y = 660, x = 1; y < 1040; y += 4, ++rows, x = 1) {
        // The wall begins where three bright pixels follow each other, which no star does.
        while (x < W / 2 && std::min({brightness(corner, x, y), brightness(corner, x + 1, y),
                                      brightness(corner, x + 2, y)}) < wall) {
            ++x;
        }
        ASSERT_LT(x, W / 2) << "no wall in row " << y;
        ASSERT_LT(brightness(corner, x - 3, y), sky) << "no sky before the wall in row " << y;
        blended += brightness(corner, x - 1, y) > sky && brightness(corner, x - 1, y) < wall;
    }
    EXPECT_GT(blended, rows / 2) << blended << " of " << rows << " rows blend sky and wall";

    int pairs = 0, equal = 0;
    for (unsigned y = 0; y < 120; ++y) {
        for (unsigned x = 0; x + 1 < W; ++x) {
            if (std::max(brightness(finale, x, y), brightness(finale, x + 1, y)) > 0.35) continue;  // stars
            ++pairs;
            equal += finale.getPixel(x, y) == finale.getPixel(x + 1, y);
        }
    }
    ASSERT_GT(pairs, 100000) << "the top of the finale's frame is sky";
    EXPECT_LE(static_cast<double>(equal) / pairs, 0.85) << equal << " of " << pairs << " pairs equal";
}

// A white card drawn centred, as the intro draws its cards: the leaving
// stage starts the seconds again at 0 while the card shows, and its look
// carries on across that restart as from one frame to the next.
TEST_F(Shaders, TheCardsLookCarriesOnWhenTheLeavingStageRestartsTheSeconds)
{
    sf::Image image;
    image.create(1800, 600, sf::Color::White);
    sf::Texture card;
    ASSERT_TRUE(card.loadFromImage(image));
    sf::Sprite sprite(card);
    sprite.setPosition(60.0f, 240.0f);
    const auto render = [&](float stageSeconds) {
        text.setUniform("xOffset", stageSeconds);
        text.setUniform("yOffset", stageSeconds);
        return draw(sprite, text);
    };
    const sf::Image lastOfShowing = render(5.0f + 1.0f / 60.0f);
    EXPECT_LT(meanChange(render(1.0f / 60.0f), lastOfShowing), 0.5);
    EXPECT_GT(meanChange(render(5.0f), lastOfShowing), 0.0) << "the look moves from frame to frame";
}

// Around each of the camera's moves (the ease starting, camMix passing 0,
// the flight out starting, the last frames), with the bodies and the clock
// standing still, all the change is the camera's and the floor's, and it
// never steps. Each ball's first frames as the scene lets it go, against the
// ball waiting, grow in and are never cut by the floor.
TEST_F(Shaders, TheCameraMovesWithoutAStepAndEachBallGrowsIntoPlay)
{
    const std::vector<SceneFrame> scene = playScene();
    const auto firstFrom = [&](std::size_t i, auto found) {
        while (i < scene.size() && !found(scene[i - 1].camMix, scene[i].camMix)) ++i;
        return i;
    };
    const std::size_t easing = firstFrom(1, [](float, float mix) { return mix != 1.0f; });
    const std::size_t crossing = firstFrom(easing, [](float, float mix) { return mix < 0.0f; });
    const std::size_t falling = firstFrom(crossing, [](float before, float mix) { return before == 0 && mix < 0; });
    ASSERT_LT(falling, scene.size() - 5);
    const Bodies still = {{{4.0f, -5.0f, 3.0f}, {-5.0f, -3.0f, -2.0f}, {1.5f, -5.0f, 9.0f}, WAITING}};
    balls.setUniform("iTime", 30.0f);
    for (const std::size_t first : {easing - 2, crossing - 2, falling - 2, scene.size() - 5}) {
        std::vector<double> means;  // from each frame to the next
        for (sf::Image previous = room(scene[first].camMix, still), next; means.size() < 4; previous = next)
            means.push_back(meanChange(previous, next = room(scene[first + means.size() + 1].camMix, still)));
        for (std::size_t i = 1; i < means.size(); ++i) {
            EXPECT_LE(means[i], 1.5 * means[i - 1] + 0.4) << "frame " << first + i + 1;
            EXPECT_GE(means[i], means[i - 1] / 1.5 - 0.4) << "frame " << first + i + 1;
        }
    }

    for (int ball = 0; ball < 3; ++ball) {
        std::size_t letGo = 1;
        while (letGo + 6 < scene.size() && scene[letGo].bodies[ball] == scene[0].bodies[ball]) ++letGo;
        std::vector<long> areas;
        for (std::size_t frame = letGo; frame < letGo + 6; ++frame) {
            Bodies bodies = {WAITING, WAITING, WAITING, WAITING};
            balls.setUniform("iTime", scene[frame].iTime);
            const sf::Image without = room(scene[frame].camMix, bodies);
            bodies[ball] = scene[frame].bodies[ball];
            const std::vector<int> change = changes(without, room(scene[frame].camMix, bodies));
            int left = W, right = 0, top = H, bottom = 0;
            areas.push_back(0);
            for (int i = 0; i < int(W * H); ++i) {
                if (change[i] < 120) continue;
                ++areas.back(), left = std::min(left, i % int(W)), right = std::max(right, i % int(W));
                top = std::min(top, i / int(W)), bottom = std::max(bottom, i / int(W));
            }
            // A ball is about as tall as it is wide; one cut by the floor is flat.
            EXPECT_TRUE(right < left + 8 || bottom - top > 0.8 * (right - left)) << "ball " << ball + 1;
        }
        const long firstSeen = *std::find_if(areas.begin(), areas.end(), [](long area) { return area > 0; });
        EXPECT_LE(firstSeen, areas.back() / 2) << "ball " << ball + 1;
    }
}

// The files read at run time keep their own copies of the room, of the
// show's moments, of the screen's size and of the music's loop point: each
// as the program has it; and the fragment shader takes what the vertex
// shader hands over.
// A shader's constant, read as its declaration writes it: numbers, a vecN of
// them, or a sum of numbers and quotients ("27.0 + 1.5 / 60.0").
static std::vector<float> shaderConstant(const std::string& source, const std::string& name)
{
    std::smatch match;
    const std::regex declaration("const \\w+ " + name + " = (\\w+\\()?([-0-9.,+/ ]+)\\)?;");
    EXPECT_TRUE(std::regex_search(source, match, declaration)) << name;
    std::vector<float> values;
    std::istringstream items(match.size() > 2 ? match[2].str() : "");
    for (std::string item; std::getline(items, item, ',');) {
        float sum = 0.0f;
        std::istringstream terms(item);
        for (std::string term; std::getline(terms, term, '+');) {
            const std::size_t slash = term.find('/');
            sum += slash == std::string::npos ? std::stof(term)
                                              : std::stof(term.substr(0, slash)) / std::stof(term.substr(slash + 1));
        }
        values.push_back(sum);
    }
    return values;
}

TEST(RunTimeCopies, TheShadersAndTheMusicManifestHoldTheProgramsRoomMomentsScreenSizeAndLoopPoint)
{
    const std::string source = readBytes(repositoryRoot() / "assets/shaders/passthrough.vert") +
                               readBytes(repositoryRoot() / "assets/shaders/peephole.frag");
    const auto constant = [&source](const std::string& name) { return shaderConstant(source, name); };
    using Floats = std::vector<float>;
    for (const auto& [name, value] : {std::pair{"SIDE_WALL_LEFT", SIDE_WALL_LEFT}, {"SIDE_WALL_RIGHT", SIDE_WALL_RIGHT},
                                      {"DEPTH_WALL_NEAR", DEPTH_WALL_NEAR}, {"DEPTH_WALL_FAR", DEPTH_WALL_FAR},
                                      {"RAISED_FLOOR_Y", RAISED_FLOOR_Y}, {"LOWERED_FLOOR_Y", LOWERED_FLOOR_Y},
                                      {"LOOK_PERIOD_SECONDS", CARD_SHOWN_S}, {"CLOSING_TURN_AT", CLOSING_TURN_S},
                                      {"PAGE_TURNS", float{LAST_PAGE_STAGE - FIRST_PAGE_STAGE + 1}}}) {
        EXPECT_EQ(constant(name), Floats{value}) << name;
    }
    EXPECT_EQ(constant("BALLS_LET_GO_AT"), (Floats{ballStageEndS(FIRST_BALL_STAGE), ballStageEndS(SECOND_BALL_STAGE),
                                                   ballStageEndS(THIRD_BALL_STAGE)}));
    EXPECT_EQ(constant("RESOLUTION"), (Floats{SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX}));
    // The panel's turns follow the stage ends, which at 60 fps come up to two
    // frames late.
    for (const auto& [name, moment] : {std::pair{"PANEL_COMES_AT", ballStageEndS(CREDITS_STAGE)},
                                       {"FIRST_PAGE_TURN_AT", ballStageEndS(FIRST_PAGE_STAGE)},
                                       {"PAGE_SECONDS", CREDITS_PAGE_S}}) {
        const Floats value = constant(name);
        EXPECT_TRUE(value.size() == 1 && value[0] >= moment && value[0] <= moment + 2.0f * FRAME_TIME_S) << name;
    }
    // balls.frag takes what passthrough.vert hands over, declared alike.
    const auto handedOver = [](const char* file, const std::string& direction) {
        const std::string text = readBytes(repositoryRoot() / "assets/shaders" / file);
        const std::regex declaration("(noperspective|flat) " + direction + "( \\w+ \\w+;)");
        std::string declared;
        for (std::sregex_iterator at(text.begin(), text.end(), declaration), end; at != end; ++at)
            declared += at->format("$1$2");
        return declared;
    };
    EXPECT_EQ(handedOver("balls.frag", "in"), handedOver("passthrough.vert", "out"));
    EXPECT_NE(handedOver("balls.frag", "in"), "");
    const nlohmann::json music = nlohmann::json::parse(readBytes(repositoryRoot() / "assets/music.json"));
    EXPECT_EQ(music["music"]["qrv"]["loopTo"], loopToMilliseconds);
}
