// The ball scene's whole timeline at a steady 0.25 s frame, run the way the
// main loop runs it, through a test balls shader that paints each texture in
// a strip of its own and keeps every other uniform alive to be read back.
#include "assets/music_manager.h"
#include "assets/sound_manager.h"
#include "assets/sprite_manager.h"
#include "core/fade.h"
#include "core/show.h"
#include "scenes/ball.h"
#include "scenes/scenes.h"
#include "test_support.h"

#include <SFML/Audio/SoundBuffer.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace {

// Strips 10 pixels wide, from the left: ballTex1, ballTex2, ballTex3,
// wallTex, then creditsTex.
const char* const STRIPS_FRAGMENT_SHADER = R"(// Uniforms: camMix, iTime (float); ballPos1, ballPos2, ballPos3,
// creditPos (vec3); ballTex1, ballTex2, ballTex3, wallTex, creditsTex (sampler2D).
uniform float camMix, iTime;
uniform vec3 ballPos1, ballPos2, ballPos3, creditPos;
uniform sampler2D ballTex1, ballTex2, ballTex3, wallTex, creditsTex;
void main()
{
    vec2 middle = vec2(0.5);
    vec4 colour = texture2D(creditsTex, middle);
    if (gl_FragCoord.x < 10.0) colour = texture2D(ballTex1, middle);
    else if (gl_FragCoord.x < 20.0) colour = texture2D(ballTex2, middle);
    else if (gl_FragCoord.x < 30.0) colour = texture2D(ballTex3, middle);
    else if (gl_FragCoord.x < 40.0) colour = texture2D(wallTex, middle);
    float everything = camMix + iTime + dot(ballPos1 + ballPos2 + ballPos3 + creditPos, vec3(1.0));
    gl_FragColor = vec4(colour.rgb, 1.0) * step(-1.0e30, everything);
}
)";

constexpr unsigned CANVAS_PX = 64;
constexpr float FRAME_S = 0.25f;
// The call (from 1) that ends a stage.
constexpr int endCall(BallStage stage) { return int(stageEndFrame(BALL_STAGES_S, stage, 1, FRAME_S)); }
constexpr int LAST_CALL = endCall(BLACK_STAGE);
const char* const BALL_POSITIONS[] = {"ballPos1", "ballPos2", "ballPos3"};

const char* const PAGES[] = {"credits_start", "credits_orin", "credits_tasu",
                             "credits_bexo",  "credits_quil", "credits_mave"};
const std::map<std::string, sf::Color> TEXTURE_COLOURS = {
    {"vemo", {250, 0, 0}},            {"qrv", {0, 250, 0}},             {"arku", {0, 0, 250}},
    {"white", {128, 128, 128}},       {"credits_start", {10, 20, 30}},  {"credits_orin", {40, 50, 60}},
    {"credits_tasu", {70, 80, 90}},   {"credits_bexo", {100, 110, 120}}, {"credits_quil", {130, 140, 150}},
    {"credits_mave", {160, 170, 180}},
};

using Vec3 = std::vector<float>;

struct BallSceneTest : ::testing::Test {
    TempRunFolder folder;
    sf::RenderTexture target;                    // the window's top-left corner
    std::array<sf::Color, 5> strips;             // as the last call drew them
    int callNumber = 0;
    std::map<FadeMode, std::vector<int>> fades;  // the calls that start each fade

    void SetUp() override
    {
        ASSERT_TRUE(target.create(CANVAS_PX, CANVAS_PX));
        createOffscreenTarget();
        ASSERT_TRUE(ballsShader->loadFromMemory(PLAIN_VERTEX_SHADER, STRIPS_FRAGMENT_SHADER));
    }

    // One frame as the main loop makes it: both targets cleared, then the
    // scene. A fade start shows against the state that each call begins
    // from, which no start leaves.
    SceneId call()
    {
        ++callNumber;
        offscreenTarget->clear(sf::Color::Transparent);
        target.clear(sf::Color::Transparent);
        screenFade = ScreenFade{0.5f, 0.0f, FadeMode::Idle};
        const SceneId next = updateBallScene(target, FRAME_S);
        const float startLevel = screenFade.mode == FadeMode::FromBlack ? 1.0f : 0.0f;
        if (screenFade.speed == 0.5f && screenFade.level == startLevel) fades[screenFade.mode].push_back(callNumber);
        const sf::Image image = shotOf(target);
        for (unsigned strip = 0; strip < strips.size(); ++strip) strips[strip] = image.getPixel(strip * 10 + 5, 32);
        return next;
    }

    Vec3 uniform(const char* name, std::size_t count = 3) const { return uniformValues(*ballsShader, name, count); }
};

// The BackOut curve from 1 to 0 over 8 s, worked out in double.
double backOutFromOneToZero(double t)
{
    const double y = t / 8.0 - 1.0;
    return 1.0 - (y * y * (2.70158 * y + 1.70158) + 1.0);
}

}  // namespace

TEST_F(BallSceneTest, TheTimelineMovesTheCameraBallsPanelPagesMusicAndFadeOnTheirCalls)
{
    for (const auto& [key, colour] : TEXTURE_COLOURS) addSolidTexture(key, CANVAS_PX, CANVAS_PX, colour);
    addSolidTexture("canvas", CANVAS_PX, CANVAS_PX, sf::Color::Black);
    spriteManager.loadFromJson({{"sprites", {{"black", {{"texture", "canvas"}}}}}});
    writeToneFile("qrv.wav", 120.0);
    musicManager.loadFromJson({{"music", {{"qrv", {{"file", "qrv.wav"}}}}}});
    addToneSound("bounce", 0.2);
    // Each ball waits below the box until its stage ends, then starts on the
    // next call: ball1 dropped from (7, 2, 0), the others off the side wall
    // onto the lowered floor.
    const int released[] = {endCall(FIRST_BALL_STAGE), endCall(SECOND_BALL_STAGE), endCall(THIRD_BALL_STAGE)};
    const int music = endCall(CREDITS_STAGE), flight = endCall(CREDITS_VIEW_STAGE);
    const float wall = SIDE_WALL_LEFT, floor = LOWERED_FLOOR_Y;
    const Vec3 firstPositions[] = {
        {7.0f - 2.8f * FRAME_S, 2.0f - 0.4f * FRAME_S, 0.0f}, {wall, floor, 1.375f}, {wall, floor, 0.875f}};
    for (int n = 1; n <= LAST_CALL; ++n) {
        EXPECT_EQ(call(), n == LAST_CALL ? SceneId::Quit : SceneId::Balls) << "call " << n;
        // camMix holds 1, eases BackOut to 0 from the call after stage 1
        // ends, holds 0 and then falls by one a call.
        const double camMix = n <= released[1]                  ? 1.0
                              : (n - released[1]) * FRAME_S < 8.0 ? backOutFromOneToZero((n - released[1]) * FRAME_S)
                              : n <= flight                        ? 0.0
                                                                   : flight - n;
        EXPECT_NEAR(uniform("camMix", 1)[0], camMix, 1e-5) << "call " << n;
        EXPECT_EQ(uniform("iTime", 1)[0], n * FRAME_S) << "call " << n;
        EXPECT_EQ(musicManager.music->getStatus() == sf::Music::Playing, n >= music) << "call " << n;
        EXPECT_EQ(bounceSoundEnabled, n < music) << "call " << n;
        EXPECT_EQ(depthFrozen, n < released[1]) << "call " << n;
        if (n == LAST_CALL) {
            EXPECT_EQ(strips[4], sf::Color::Transparent) << "the hand-over draws nothing";
            break;
        }
        for (int ball = 0; ball < 3; ++ball) {
            if (n > released[ball] + 1) continue;
            const Vec3 waiting = {WAITING_X, WAITING_Y, ball == 2 ? 2.0f : 0.0f};
            EXPECT_EQ(uniform(BALL_POSITIONS[ball]), n <= released[ball] ? waiting : firstPositions[ball])
                << "ball " << ball + 1 << ", call " << n;
        }
        // The panel waits, shows for one call at the wall, then swings.
        const float swing = 5.0f * static_cast<float>(std::sin((n - 1) * double{FRAME_S}));
        const Vec3 credit = n <= music       ? Vec3{PANEL_WAITING_X, WAITING_Y, 0.0f}
                            : n == music + 1 ? Vec3{wall, floor, 0.0f}
                                             : Vec3{0.0f, 0.0f, swing};
        EXPECT_EQ(uniform("creditPos"), credit) << "call " << n;
        int page = 0;  // the page stages ended so far
        while (page < LAST_PAGE_STAGE - CREDITS_STAGE && endCall(BallStage(FIRST_PAGE_STAGE + page)) <= n) ++page;
        const std::array<sf::Color, 5> expected = {TEXTURE_COLOURS.at("vemo"), TEXTURE_COLOURS.at("qrv"),
                                                  TEXTURE_COLOURS.at("arku"), TEXTURE_COLOURS.at("white"),
                                                  TEXTURE_COLOURS.at(PAGES[page])};
        EXPECT_EQ(strips, expected) << "call " << n;
    }
    EXPECT_TRUE(musicManager.music->getLoop());
    EXPECT_EQ(fades[FadeMode::FromBlack], std::vector<int>{1});
    EXPECT_EQ(fades[FadeMode::ToBlack], std::vector<int>{endCall(FLIGHT_STAGE)});
}

// Each asset is looked up when it is due, reported and left out; the bounces
// find no sound either and say so (a run of them counted once here), until
// the music starts and silences them.
TEST_F(BallSceneTest, MissingAssetsAreReportedAndTheTimelineRunsOn)
{
    Lines lines = errorLinesOf([&] {
        call();
        EXPECT_EQ(strips[4], sf::Color::Transparent) << "no canvas, nothing painted";
        for (int n = 2; n < LAST_CALL; ++n) call();
        EXPECT_EQ(call(), SceneId::Quit);
    });
    const std::string noBounce = "SoundManager: Sound with key bounce does not exist.";
    const auto bothNoBounce = [&](const std::string& a, const std::string& b) { return a == noBounce && b == a; };
    lines.erase(std::unique(lines.begin(), lines.end(), bothNoBounce), lines.end());
    EXPECT_EQ(lines, (Lines{
                         "SpriteManager: Sprite with key black does not exist.",
                         "TextureManager: Texture with key white does not exist.",
                         "TextureManager: Texture with key vemo does not exist.",
                         "TextureManager: Texture with key qrv does not exist.",
                         "TextureManager: Texture with key arku does not exist.",
                         "TextureManager: Texture with key credits_start does not exist.",
                         noBounce,
                         "MusicManager: Song with key qrv does not exist.",
                         "TextureManager: Texture with key credits_orin does not exist.",
                         "TextureManager: Texture with key credits_tasu does not exist.",
                         "TextureManager: Texture with key credits_bexo does not exist.",
                         "TextureManager: Texture with key credits_quil does not exist.",
                         "TextureManager: Texture with key credits_mave does not exist.",
                     }));
}

// A bounce restarts the one voice of its sound, so the sound must have died
// away (below -60 dBFS) before the soonest bounce that the balls bring
// after another in the show at 60 fps, or the restart cuts it with a click;
// and it is heard with some width, not as the same signal on both sides.
TEST_F(BallSceneTest, EachBounceHasDiedAwayBeforeTheBallsBringTheNextAndIsHeardInStereo)
{
    const std::string file = (repositoryRoot() / "assets/sounds/bounce.wav").string();
    ASSERT_TRUE(soundManager.add("bounce", file, 1));
    std::vector<int> bounceFrames;  // the frames with a bounce, each once
    int frame = 0;
    soundManager.onPlay = [&](const std::string&) {
        if (bounceFrames.empty() || bounceFrames.back() != frame) bounceFrames.push_back(frame);
    };
    errorLinesOf([&] {  // no textures: only the balls' timeline matters here
        while (updateBallScene(target, 1.0f / 60.0f) != SceneId::Quit) ++frame;
    });
    ASSERT_GT(bounceFrames.size(), 50u);
    int soonest = frame;
    for (std::size_t i = 1; i < bounceFrames.size(); ++i) soonest = std::min(soonest, bounceFrames[i] - bounceFrames[i - 1]);

    sf::SoundBuffer bounce;
    ASSERT_TRUE(bounce.loadFromFile(file));
    ASSERT_EQ(bounce.getChannelCount(), 2u) << "the soonest next bounce after " << soonest << " frames";
    const sf::Int16* samples = bounce.getSamples();
    const std::size_t cutAt = 2 * static_cast<std::size_t>(soonest * bounce.getSampleRate() / 60);
    int tail = 0;
    double leftRight = 0, leftLeft = 0, rightRight = 0;
    for (std::size_t i = 0; i + 1 < bounce.getSampleCount(); i += 2) {
        if (i >= cutAt) tail = std::max({tail, std::abs(samples[i]), std::abs(samples[i + 1])});
        const double left = samples[i], right = samples[i + 1];
        leftRight += left * right, leftLeft += left * left, rightRight += right * right;
    }
    EXPECT_LE(tail, 33) << "above -60 dBFS after " << soonest << " frames, the soonest next bounce";
    EXPECT_LT(leftRight / std::sqrt(leftLeft * rightRight), 0.9) << "left and right alike";
}
