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


#include <array>
#include <cmath>
#include <map>

namespace {

// Strips 10 pixels wide, from the left: ballTex1, ballTex2, ballTex3,
// wallTex, then creditsTex; every other uniform kept alive to be read back.
const char* const STRIPS_FRAGMENT_SHADER = R"(// Uniforms: camMix, iTime (float); ballPos1, ballPos2, ballPos3,
// creditPos (vec3); ballTex1, ballTex2, ballTex3, wallTex, creditsTex (sampler2D).
uniform float camMix, iTime;
uniform vec3 ballPos1, ballPos2, ballPos3, creditPos;
uniform sampler2D ballTex1, ballTex2, ballTex3, wallTex, creditsTex;
void main()
{
    float strip = floor(gl_FragCoord.x / 10.0);
    vec4 colour = strip == 0.0 ? texture2D(ballTex1, vec2(0.5)) : strip == 1.0 ? texture2D(ballTex2, vec2(0.5))
                : strip == 2.0 ? texture2D(ballTex3, vec2(0.5)) : strip == 3.0 ? texture2D(wallTex, vec2(0.5))
                : texture2D(creditsTex, vec2(0.5));
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
// The strips' textures, then the pages, each painted a colour of its own.
const char* const TEXTURES[] = {"vemo", "qrv", "arku", "white", "credits_start", "credits_orin",
                                "credits_tasu", "credits_bexo", "credits_quil", "credits_mave"};
sf::Color colourOf(int texture) { return sf::Color(25 * texture, 250 - 25 * texture, 100); }

using Vec3 = std::vector<float>;

// The BackOut curve from 1 to 0 over 8 s, worked out in double.
double backOutFromOneToZero(double t)
{
    const double y = t / 8.0 - 1.0;
    return 1.0 - (y * y * (2.70158 * y + 1.70158) + 1.0);
}

}  // namespace

TEST(BallScene, TheTimelineMovesTheCameraBallsPanelPagesMusicAndFadeOnTheirCalls)
{
    TempRunFolder folder;
    sf::RenderTexture target;  // the window's top-left corner
    ASSERT_TRUE(target.create(CANVAS_PX, CANVAS_PX));
    createOffscreenTarget();
    ASSERT_TRUE(ballsShader->loadFromMemory(STRIPS_FRAGMENT_SHADER, sf::Shader::Fragment));
    const auto uniform = [](const char* name, std::size_t count = 3) { return uniformValues(*ballsShader, name, count); };
    for (int i = 0; i < 10; ++i) addSolidTexture(TEXTURES[i], CANVAS_PX, CANVAS_PX, colourOf(i));
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
    FadeStarts fades;
    for (int n = 1; n <= LAST_CALL; ++n) {
        // One frame as the main loop makes it: both targets cleared, then the scene.
        offscreenTarget->clear(sf::Color::Transparent);
        target.clear(sf::Color::Transparent);
        EXPECT_EQ(callNotingFadeStarts(updateBallScene, target, FRAME_S, n, fades),
                  n == LAST_CALL ? SceneId::Quit : SceneId::Balls) << "call " << n;
        const sf::Image image = shotOf(target);
        std::array<sf::Color, 5> strips;
        for (unsigned strip = 0; strip < strips.size(); ++strip) strips[strip] = image.getPixel(strip * 10 + 5, 32);
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
        EXPECT_EQ(strips, (std::array<sf::Color, 5>{colourOf(0), colourOf(1), colourOf(2), colourOf(3),
                                                    colourOf(4 + page)})) << "call " << n;
    }
    EXPECT_TRUE(musicManager.music->getLoop());
    EXPECT_EQ(fades[FadeMode::FromBlack], std::vector<int>{1});
    EXPECT_EQ(fades[FadeMode::ToBlack], std::vector<int>{endCall(FLIGHT_STAGE)});
}
