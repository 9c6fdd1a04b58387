// The ball room on Mesa under Xvfb, where the golden frames cannot look:
// opaque for every camMix, its camera moves and the balls' entrances as the
// ball scene sets them; and the copies of the program's facts that the
// shaders and the music manifest keep.
#include "test_support.h"

#include "assetgen/music.h"
#include "assets/texture_manager.h"
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
const char* const BODY_UNIFORMS[] = {"ballPos1", "ballPos2", "ballPos3", "creditPos"};

// The change at each pixel, over its three channels, in levels.
std::vector<int> changes(const sf::Image& from, const sf::Image& to)
{
    std::vector<int> result(W * H);
    for (std::size_t i = 0; i < result.size() * 4; ++i)
        result[i / 4] += i % 4 == 3 ? 0 : std::abs(from.getPixelsPtr()[i] - to.getPixelsPtr()[i]);
    return result;
}

double meanChange(const sf::Image& from, const sf::Image& to)  // of a channel
{
    const std::vector<int> change = changes(from, to);
    return std::accumulate(change.begin(), change.end(), 0.0) / (change.size() * 3.0);
}

// What the ball scene sets on its shader in one frame.
struct SceneFrame {
    float camMix, iTime;
    Bodies bodies;
};

}  // namespace

// The ball scene is played to its end at 60 fps, without its sprite, song
// and sound (so it draws nothing), its uniforms read after every frame; then
// its program draws the room in a screen-sized target. Around each of the
// camera's moves (the ease starting, camMix passing 0, the flight out
// starting, the last frames), with the bodies and the clock standing still,
// all the change is the camera's and the floor's, and it never steps. Each
// ball's first frames as the scene lets it go, against the ball waiting,
// grow in and are never cut by the floor.
TEST(Shaders, TheCameraMovesWithoutAStepAndEachBallGrowsIntoPlay)
{
    sf::Shader& balls = *ballsShader;
    ASSERT_TRUE(textureManager.loadManifest("assets/textures.json"));
    ASSERT_TRUE(balls.loadFromFile("assets/shaders/passthrough.vert", "assets/shaders/balls.frag"));
    createOffscreenTarget();
    sf::RenderTexture window, target;
    ASSERT_TRUE(window.create(8, 8) && target.create(W, H));
    std::vector<SceneFrame> scene;
    errorLinesOf([&] {
        while (updateBallScene(window, FRAME_TIME_S) == SceneId::Balls) {
            scene.push_back({uniformValues(balls, "camMix", 1)[0], uniformValues(balls, "iTime", 1)[0], {}});
            for (int i = 0; i < 4; ++i) {
                const std::vector<float> at = uniformValues(balls, BODY_UNIFORMS[i], 3);
                scene.back().bodies[i] = {at[0], at[1], at[2]};
            }
        }
    });
    for (const auto& [uniform, key] : {std::pair{"ballTex1", "vemo"}, {"ballTex2", "qrv"}, {"ballTex3", "arku"},
                                       {"wallTex", "white"}, {"creditsTex", "credits_orin"}}) {
        balls.setUniform(uniform, *textureManager.get(key));
    }
    const auto room = [&](const SceneFrame& moment, const Bodies& bodies) {
        balls.setUniform("camMix", moment.camMix);
        balls.setUniform("iTime", moment.iTime);
        for (int i = 0; i < 4; ++i) balls.setUniform(BODY_UNIFORMS[i], bodies[i]);
        target.clear(sf::Color::Transparent);
        target.draw(sf::Sprite(*textureManager.get("black")), &balls);
        const sf::Image frame = shotOf(target);
        // Mesa writes a NaN as 0, and nothing in the room or the sky is fully
        // black: every frame drawn here is opaque and nowhere black.
        int blackOrTranslucent = 0;
        for (unsigned i = 0; i < W / 3 * H / 3; ++i) {  // every third pixel of every third row
            const sf::Color c = frame.getPixel(i % (W / 3) * 3, i / (W / 3) * 3);
            blackOrTranslucent += (c.r == 0 && c.g == 0 && c.b == 0) || c.a != 255;
        }
        EXPECT_EQ(blackOrTranslucent, 0) << "camMix " << moment.camMix;
        return frame;
    };

    const auto firstFrom = [&](std::size_t i, auto found) {
        while (i < scene.size() && !found(scene[i - 1].camMix, scene[i].camMix)) ++i;
        return i;
    };
    const std::size_t easing = firstFrom(1, [](float, float mix) { return mix != 1.0f; });
    const std::size_t crossing = firstFrom(easing, [](float, float mix) { return mix < 0.0f; });
    const std::size_t falling = firstFrom(crossing, [](float before, float mix) { return before == 0 && mix < 0; });
    ASSERT_LT(falling, scene.size() - 5);
    const sf::Vector3f WAITING(WAITING_X, WAITING_Y, 0.0f);
    const Bodies still = {{{4.0f, -5.0f, 3.0f}, {-5.0f, -3.0f, -2.0f}, {1.5f, -5.0f, 9.0f}, WAITING}};
    for (const std::size_t first : {easing - 2, crossing - 2, falling - 2, scene.size() - 5}) {
        std::vector<double> means;  // from each frame to the next
        for (sf::Image previous = room(scene[first], still), next; means.size() < 4; previous = next)
            means.push_back(meanChange(previous, next = room(scene[first + means.size() + 1], still)));
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
            const sf::Image without = room(scene[frame], bodies);
            bodies[ball] = scene[frame].bodies[ball];
            const std::vector<int> change = changes(without, room(scene[frame], bodies));
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
                                      {"FLIGHT_STARTS_AT", ballStageEndS(CREDITS_VIEW_STAGE)},
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
