// The ball scene's whole timeline at a steady 0.25 s frame, run the way the
// main loop runs it, with a test balls shader that paints each texture
// uniform in a strip of its own and keeps every other uniform alive to be
// read back.
#include "assets/music_manager.h"
#include "assets/sound_manager.h"
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "core/app.h"
#include "core/fade.h"
#include "core/show.h"
#include "scenes/ball.h"
#include "scenes/scenes.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

namespace {

// Strips 10 pixels wide, from the left: ballTex1, ballTex2, ballTex3,
// wallTex, then creditsTex.
const char* const STRIPS_FRAGMENT_SHADER = R"(// Uniforms: camMix, iTime (float); ballPos1, ballPos2, ballPos3, creditPos (vec3);
// ballTex1, ballTex2, ballTex3, wallTex, creditsTex (sampler2D).
uniform float camMix;
uniform float iTime;
uniform vec3 ballPos1;
uniform vec3 ballPos2;
uniform vec3 ballPos3;
uniform vec3 creditPos;
uniform sampler2D ballTex1;
uniform sampler2D ballTex2;
uniform sampler2D ballTex3;
uniform sampler2D wallTex;
uniform sampler2D creditsTex;
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
constexpr int LAST_CALL = 264;  // the call that ends stage 11

const std::map<std::string, sf::Color> TEXTURE_COLOURS = {
    {"vemo", sf::Color(250, 0, 0)},         {"qrv", sf::Color(0, 250, 0)},
    {"arku", sf::Color(0, 0, 250)},         {"white", sf::Color(128, 128, 128)},
    {"credits_start", sf::Color(10, 20, 30)}, {"credits_orin", sf::Color(40, 50, 60)},
    {"credits_tasu", sf::Color(70, 80, 90)},  {"credits_bexo", sf::Color(100, 110, 120)},
    {"credits_quil", sf::Color(130, 140, 150)}, {"credits_mave", sf::Color(160, 170, 180)},
};

using Vec3 = std::array<float, 3>;

// What one call left behind.
struct Observed {
    SceneId result = SceneId::Balls;
    float camMix = NAN;
    float iTime = NAN;
    Vec3 ballPos1{}, ballPos2{}, ballPos3{}, creditPos{};
    std::array<sf::Color, 5> strips{};  // ballTex1, ballTex2, ballTex3, wallTex, creditsTex
    ScreenFade fade;
    bool musicPlaying = false;
    bool bounceSound = true;
    bool depthFrozenAfter = true;
};

struct BallSceneTest : ::testing::Test {
    TempRunFolder folder;
    sf::RenderTexture target;  // the window's top-left corner
    std::vector<Observed> calls;  // calls[0] is call 1

    void SetUp() override
    {
        ASSERT_TRUE(target.create(CANVAS_PX, CANVAS_PX));
        createOffscreenTarget();
        ASSERT_TRUE(ballsShader.loadFromMemory(PLAIN_VERTEX_SHADER, STRIPS_FRAGMENT_SHADER));
    }

    void registerAssets()
    {
        for (const auto& [key, colour] : TEXTURE_COLOURS) addSolidTexture(key, CANVAS_PX, CANVAS_PX, colour);
        addSolidTexture("canvas", CANVAS_PX, CANVAS_PX, sf::Color::Black);
        spriteManager.loadFromJson({{"sprites", {{"black", {{"texture", "canvas"}}}}}});
        writeToneFile("qrv.wav", 120.0);
        musicManager.loadFromJson({{"music", {{"qrv", {{"file", "qrv.wav"}}}}}});
        addToneSound("bounce", 0.2);
    }

    float uniformFloat(const char* name) { return uniformValues(ballsShader, name, 1)[0]; }

    Vec3 uniformVec3(const char* name)
    {
        const std::vector<float> values = uniformValues(ballsShader, name, 3);
        return {values[0], values[1], values[2]};
    }

    // One frame as the main loop makes it: both targets cleared, then the scene.
    Observed call(float dt)
    {
        offscreenTarget.clear(sf::Color::Transparent);
        target.clear(sf::Color::Transparent);
        Observed seen;
        seen.result = updateBallScene(target, dt);
        seen.fade = screenFade;
        screenFade = ScreenFade{0.5f, 0.0f, FadeMode::Idle};
        target.setActive(true);
        seen.camMix = uniformFloat("camMix");
        seen.iTime = uniformFloat("iTime");
        seen.ballPos1 = uniformVec3("ballPos1");
        seen.ballPos2 = uniformVec3("ballPos2");
        seen.ballPos3 = uniformVec3("ballPos3");
        seen.creditPos = uniformVec3("creditPos");
        const sf::Image image = shotOf(target);
        for (unsigned strip = 0; strip < seen.strips.size(); ++strip) {
            seen.strips[strip] = image.getPixel(strip * 10 + 5, 32);
        }
        seen.musicPlaying = musicManager.music.getStatus() == sf::Music::Playing;
        seen.bounceSound = bounceSoundEnabled;
        seen.depthFrozenAfter = depthFrozen;
        return seen;
    }

    const Observed& at(int callNumber) const { return calls.at(callNumber - 1); }
};

bool startsFade(const ScreenFade& fade, FadeMode mode, float level)
{
    return fade.mode == mode && fade.level == level && fade.speed == 0.5f;
}

// The BackOut curve from 1 to 0 over 8 s, worked out in double.
double backOutFromOneToZero(double t)
{
    const double y = t / 8.0 - 1.0;
    return 1.0 - (y * y * (2.70158 * y + 1.70158) + 1.0);
}

}  // namespace

// Call numbers at 0.25 s: stage 0 ends on call 9, stage 1 on 38, stage 2
// on 67, stage 3 on 96, stages 4 to 8 on 112, 129, 146, 163 and 180,
// stage 9 on 198, stage 10 on 246 and stage 11 on 264.
TEST_F(BallSceneTest, TheTimelineMovesTheCameraBallsPanelPagesMusicAndFadeOnTheirCalls)
{
    registerAssets();
    for (int callNumber = 1; callNumber <= LAST_CALL; ++callNumber) calls.push_back(call(FRAME_S));
    float lowest = 1.0f;
    for (int n = 1; n <= LAST_CALL; ++n) {
        const Observed& seen = at(n);
        // camMix holds 1, eases BackOut to 0 from the call after stage 1
        // ends, holds 0 and then falls by one a call.
        const double easeTime = (n - 38) * FRAME_S;
        const double camMix = n <= 38 ? 1.0 : n <= 69 ? backOutFromOneToZero(easeTime) : n <= 198 ? 0.0 : 198 - n;
        EXPECT_NEAR(seen.camMix, camMix, 1e-5) << "call " << n;
        if (n <= 69) lowest = std::min(lowest, seen.camMix);
        EXPECT_EQ(seen.iTime, n * FRAME_S) << "call " << n;
        EXPECT_EQ(startsFade(seen.fade, FadeMode::ToBlack, 0.0f), n == 247) << "call " << n;
        EXPECT_EQ(seen.result, n == LAST_CALL ? SceneId::Quit : SceneId::Balls) << "call " << n;
        // The panel waits, shows for one call at the wall, then swings.
        const Vec3 credit = n <= 96 ? Vec3{-20.0f, -20.0f, 0.0f}
                            : n == 97 ? Vec3{-7.0f, -5.0f, 0.0f}
                                      : Vec3{0.0f, 0.0f, 5.0f * static_cast<float>(std::sin((n - 1) * double{FRAME_S}))};
        if (n < LAST_CALL) {
            EXPECT_EQ(seen.creditPos, credit) << "call " << n;
        }
        const char* page = n < 113 ? "credits_start" : n < 130 ? "credits_orin" : n < 147 ? "credits_tasu"
                         : n < 164 ? "credits_bexo" : n < 181 ? "credits_quil" : "credits_mave";
        EXPECT_EQ(seen.strips[4], n < LAST_CALL ? TEXTURE_COLOURS.at(page) : sf::Color::Transparent) << "call " << n;
        EXPECT_EQ(seen.musicPlaying, n >= 96) << "call " << n;
        EXPECT_EQ(seen.bounceSound, n < 96) << "call " << n;
    }
    EXPECT_NEAR(lowest, -0.1f, 2e-3);
    EXPECT_TRUE(musicManager.music.getLoop());
    EXPECT_TRUE(startsFade(at(1).fade, FadeMode::FromBlack, 1.0f));
    const std::array<sf::Color, 5> firstStrips = {TEXTURE_COLOURS.at("vemo"), TEXTURE_COLOURS.at("qrv"),
                                                  TEXTURE_COLOURS.at("arku"), TEXTURE_COLOURS.at("white"),
                                                  TEXTURE_COLOURS.at("credits_start")};
    EXPECT_EQ(at(1).strips, firstStrips);

    // Each ball waits below the box until its stage ends, then starts on
    // its call: ball1 dropped from (7, 2, 0), the others on the lowered floor.
    const Vec3 waiting = {-7.0f, -20.0f, 0.0f};
    EXPECT_EQ(at(1).ballPos2, waiting);
    EXPECT_EQ(at(9).ballPos1, waiting);
    EXPECT_EQ(at(10).ballPos1, (Vec3{7.0f - 2.8f * FRAME_S, 2.0f - 0.4f * FRAME_S, 0.0f}));
    EXPECT_TRUE(at(37).depthFrozenAfter);
    EXPECT_FALSE(at(38).depthFrozenAfter);
    EXPECT_EQ(at(38).ballPos2, waiting);
    EXPECT_NE(at(39).ballPos2, waiting);
    EXPECT_EQ(at(39).ballPos2[1], -5.0f);
    EXPECT_EQ(at(67).ballPos3, (Vec3{-7.0f, -20.0f, 2.0f}));
    EXPECT_NE(at(68).ballPos3, at(67).ballPos3);
    EXPECT_EQ(at(68).ballPos3[1], -5.0f);
}

TEST_F(BallSceneTest, MissingAssetsAreLeftOutEveryFrameAndTheTimelineRunsOn)
{
    std::vector<std::string> lines = errorLinesOf([&] { calls.push_back(call(FRAME_S)); });
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "SpriteManager: Sprite with key black does not exist.",
                         "TextureManager: Texture with key white does not exist.",
                         "TextureManager: Texture with key vemo does not exist.",
                         "TextureManager: Texture with key qrv does not exist.",
                         "TextureManager: Texture with key arku does not exist.",
                         "TextureManager: Texture with key credits_start does not exist.",
                     }));
    EXPECT_EQ(at(1).strips[4], sf::Color::Transparent) << "no canvas, nothing painted";
    EXPECT_EQ(at(1).camMix, 1.0f);

    // The credits pages are looked up when each is due.
    lines = errorLinesOf([&] {
        for (int callNumber = 2; callNumber <= LAST_CALL; ++callNumber) calls.push_back(call(FRAME_S));
    });
    // The bounces find no sound either and say so, until the music starts
    // and silences them.
    const std::string noBounce = "SoundManager: Sound with key bounce does not exist.";
    const auto noMusic = std::find(lines.begin(), lines.end(), "MusicManager: Song with key qrv does not exist.");
    EXPECT_EQ(lines.front(), noBounce);
    EXPECT_EQ(std::find(noMusic, lines.end(), noBounce), lines.end());
    lines.erase(std::remove(lines.begin(), lines.end(), noBounce), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "MusicManager: Song with key qrv does not exist.",
                         "TextureManager: Texture with key credits_orin does not exist.",
                         "TextureManager: Texture with key credits_tasu does not exist.",
                         "TextureManager: Texture with key credits_bexo does not exist.",
                         "TextureManager: Texture with key credits_quil does not exist.",
                         "TextureManager: Texture with key credits_mave does not exist.",
                     }));
    EXPECT_EQ(at(LAST_CALL).result, SceneId::Quit);
    EXPECT_EQ(at(LAST_CALL - 1).camMix, -65.0f);
}
