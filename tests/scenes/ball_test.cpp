// The ball model: set-up, the step's walls, floor and bounce speeds, its
// switches, and the positions it publishes, read back from the balls shader.
#include "assets/sound_manager.h"
#include "core/loading.h"
#include "scenes/ball.h"
#include "test_support.h"

#include <SFML/Window/Context.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

const char* const POSITIONS_FRAGMENT_SHADER = R"(// Uniforms: ballPos1, ballPos2, ballPos3, creditPos (vec3).
uniform vec3 ballPos1;
uniform vec3 ballPos2;
uniform vec3 ballPos3;
uniform vec3 creditPos;
void main()
{
    gl_FragColor = vec4(ballPos1 + ballPos2 + ballPos3 + creditPos, 1.0) * gl_Color;
}
)";

constexpr float FRAME_S = 1.0f / 60.0f;
constexpr float RAISED_FLOOR_Y = -2.752f;

using Position = std::array<float, 3>;

struct BallTest : ::testing::Test {
    TempRunFolder folder;
    sf::Context context;
    std::vector<std::string> played;

    void SetUp() override
    {
        folder.write("balls.vert", PLAIN_VERTEX_SHADER);
        folder.write("balls.frag", POSITIONS_FRAGMENT_SHADER);
        ASSERT_TRUE(ballsShader.loadFromFile("balls.vert", "balls.frag"));
        writeToneFile("bounce.wav", 30.0);
        ASSERT_TRUE(soundManager.add("bounce", "bounce.wav", 1));
        soundManager.onPlay = [this](const std::string& key) { played.push_back(key); };
    }

    Position published(const char* name)
    {
        context.setActive(true);
        const std::vector<float> values = uniformValues(ballsShader, name, 3);
        return {values[0], values[1], values[2]};
    }

    std::size_t bouncesHeard()
    {
        const std::size_t count = played.size();
        played.clear();
        return count;
    }
};

Position positionOf(const Ball& ball)
{
    return {ball.x, ball.y, ball.z};
}

}  // namespace

TEST_F(BallTest, SetupPublishesButAnInactiveBallNeitherMovesNorPublishes)
{
    ball1.bounceSpeed = 9.25f;
    ball1.vy = 3.0f;
    ball1.frozen = true;
    ball1.setup(1.0f, 2.0f, 3.0f, 4.0f, 5.0f, "ballPos1", false);
    EXPECT_EQ(ball1.floorY, RAISED_FLOOR_Y);
    EXPECT_FALSE(ball1.frozen);
    EXPECT_EQ(ball1.bounceSpeed, 9.25f) << "set-up leaves the bounce speed alone";
    ball1.x = -30.0f;  // beyond a wall: an inactive ball is not even clamped
    ball1.step(FRAME_S);
    EXPECT_EQ(positionOf(ball1), (Position{-30.0f, 2.0f, 3.0f}));
    EXPECT_EQ(ball1.vx, 4.0f);
    EXPECT_EQ(ball1.vy, 0.0f);
    EXPECT_EQ(published("ballPos1"), (Position{1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(bouncesHeard(), 0u);
}

TEST_F(BallTest, AFrozenBallIsOnlyClampedFlooredAndPublished)
{
    // The credits body: set up outside the box, frozen, then switched on.
    creditBall.setup(-20.0f, -20.0f, 0.0f, 2.8f, -5.5f, "creditPos", false);
    creditBall.frozen = true;
    creditBall.floorY = -5.0f;
    creditBall.active = true;
    creditBall.step(FRAME_S);
    EXPECT_EQ(positionOf(creditBall), (Position{-7.0f, -5.0f, 0.0f}));
    EXPECT_EQ(published("creditPos"), (Position{-7.0f, -5.0f, 0.0f}));
    EXPECT_EQ(creditBall.vx, -2.8f);
    EXPECT_EQ(creditBall.vy, 17.25f);
    EXPECT_EQ(creditBall.bounceSpeed, 16.25f);
    EXPECT_EQ(bouncesHeard(), 2u);
    EXPECT_EQ(soundManager.sounds["bounce"]->voices[0].getStatus(), sf::Sound::Playing);

    creditBall.x = 0.0f;
    creditBall.y = 0.0f;
    creditBall.z = 4.0f;
    creditBall.step(FRAME_S);
    EXPECT_EQ(positionOf(creditBall), (Position{0.0f, 0.0f, 4.0f}));
    EXPECT_EQ(published("creditPos"), (Position{0.0f, 0.0f, 4.0f}));
    EXPECT_EQ(creditBall.vy, 17.25f) << "gravity does not touch a frozen ball";
}

TEST_F(BallTest, SideAndDepthWallsClampAndTurnTheVelocityRound)
{
    depthFrozen = false;
    ball1.setup(-7.0f, 0.0f, -10.0f, -2.8f, -5.5f, "ballPos1", true);
    ball1.step(FRAME_S);
    EXPECT_EQ(ball1.x, -7.0f);
    EXPECT_EQ(ball1.vx, 2.8f);
    EXPECT_EQ(ball1.z, -10.0f);
    EXPECT_EQ(ball1.vz, 5.5f);
    EXPECT_EQ(bouncesHeard(), 2u);

    ball2.setup(7.0f, 0.0f, 12.0f, 2.8f, 5.5f, "ballPos2", true);
    ball2.step(FRAME_S);
    EXPECT_EQ(ball2.x, 7.0f);
    EXPECT_EQ(ball2.vx, -2.8f);
    EXPECT_EQ(ball2.z, 12.0f);
    EXPECT_EQ(ball2.vz, -5.5f);
    EXPECT_EQ(bouncesHeard(), 2u);

    // The velocity is negated, not pointed inwards: a ball beyond a wall
    // and already heading back is turned outwards again.
    ball3.setup(9.0f, 0.0f, 0.0f, -1.0f, 0.0f, "ballPos3", true);
    ball3.step(FRAME_S);
    EXPECT_EQ(ball3.x, 7.0f);
    EXPECT_EQ(ball3.vx, 1.0f);
    bouncesHeard();

    // Side wall, depth wall and floor in one step: three sounds.
    ball1.setup(-8.0f, -9.0f, 20.0f, 0.0f, 0.0f, "ballPos1", true);
    ball1.step(FRAME_S);
    EXPECT_EQ(positionOf(ball1), (Position{-7.0f, RAISED_FLOOR_Y, 12.0f}));
    EXPECT_EQ(bouncesHeard(), 3u);
}

TEST_F(BallTest, ABallExactlyOnAWallOrTheFloorDoesNotBounce)
{
    ball1.setup(7.0f, RAISED_FLOOR_Y, 0.0f, 0.0f, 0.0f, "ballPos1", true);
    ball1.frozen = true;
    ball1.step(FRAME_S);
    EXPECT_EQ(positionOf(ball1), (Position{7.0f, RAISED_FLOOR_Y, 0.0f}));
    EXPECT_EQ(ball1.vy, 0.0f);
    EXPECT_EQ(ball1.bounceSpeed, 17.25f);
    EXPECT_EQ(bouncesHeard(), 0u);

    ball2.setup(-7.0f, 0.0f, -10.0f, 0.0f, 0.0f, "ballPos2", true);
    ball2.frozen = true;
    ball2.step(FRAME_S);
    EXPECT_EQ(bouncesHeard(), 0u);
}

TEST_F(BallTest, DepthFrozenHoldsZButTheDepthWallsStillClamp)
{
    ASSERT_TRUE(depthFrozen);
    ball1.setup(0.0f, 0.0f, 3.0f, 0.0f, 5.5f, "ballPos1", true);
    for (int step = 0; step < 10; ++step) ball1.step(FRAME_S);
    EXPECT_EQ(ball1.z, 3.0f);

    ball2.setup(0.0f, 0.0f, 13.0f, 0.0f, 5.5f, "ballPos2", true);
    ball2.step(FRAME_S);
    EXPECT_EQ(ball2.z, 12.0f);
    EXPECT_EQ(ball2.vz, -5.5f);

    depthFrozen = false;
    ball1.step(0.5f);
    EXPECT_EQ(ball1.z, 3.0f + 5.5f * 0.5f);
}

TEST_F(BallTest, GravityIsAddedOncePerStepWhateverTheFrameTime)
{
    ball1.setup(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, "ballPos1", true);
    ball2.setup(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, "ballPos2", true);
    ball1.step(0.2f);
    ball2.step(0.1f);
    ball2.step(0.1f);
    EXPECT_FLOAT_EQ(ball1.y, -0.08f);
    EXPECT_FLOAT_EQ(ball2.y, -0.12f);
    EXPECT_EQ(ball1.vy, -0.4f);
    EXPECT_FLOAT_EQ(ball2.vy, -0.8f);
}

TEST_F(BallTest, BounceSpeedFallsByOneToItsLowestThenAlternates)
{
    ball1.setup(0.0f, 0.0f, 0.0f, 0.0f, 0.0f, "ballPos1", true);
    ball1.frozen = true;
    std::vector<float> speeds;
    for (int contact = 0; contact < 19; ++contact) {
        ball1.y = RAISED_FLOOR_Y - 1.0f;
        ball1.step(FRAME_S);
        speeds.push_back(ball1.vy);
    }
    const std::vector<float> expected = {17.25f, 16.25f, 15.25f, 14.25f, 13.25f, 12.25f, 11.25f,
                                         10.25f, 9.25f,  8.25f,  7.25f,  6.25f,  5.25f,  4.25f,
                                         3.25f,  4.5f,   3.5f,   4.5f,   3.5f};
    EXPECT_EQ(speeds, expected);
}

TEST_F(BallTest, WithTheBounceSoundOffBallsBounceInSilence)
{
    bounceSoundEnabled = false;
    ball1.setup(-8.0f, -9.0f, 0.0f, 0.0f, 0.0f, "ballPos1", true);
    ball1.step(FRAME_S);
    EXPECT_EQ(positionOf(ball1), (Position{-7.0f, RAISED_FLOOR_Y, 0.0f}));
    EXPECT_EQ(ball1.vy, 17.25f);
    EXPECT_EQ(bouncesHeard(), 0u);
    EXPECT_EQ(soundManager.sounds["bounce"]->voices[0].getStatus(), sf::Sound::Stopped);
}

TEST_F(BallTest, FirstBallDroppedAtSixtyFramesPerSecondBouncesOnItsSteps)
{
    ball1.setup(-7.0f, -20.0f, 0.0f, -2.8f, -5.5f, "ballPos1", false);
    ball1.x = 7.0f;
    ball1.y = 2.0f;
    ball1.z = 0.0f;
    ball1.active = true;

    std::vector<int> contacts;
    std::vector<float> contactX, leavingSpeed;
    float highest = -100.0f;
    for (int step = 1; step <= 130; ++step) {
        const float speedBefore = ball1.bounceSpeed;
        ball1.step(FRAME_S);
        if (ball1.bounceSpeed != speedBefore) {
            contacts.push_back(step);
            contactX.push_back(ball1.x);
            leavingSpeed.push_back(ball1.vy);
            EXPECT_EQ(ball1.y, RAISED_FLOOR_Y);
        }
        if (contacts.size() == 1) highest = std::max(highest, ball1.y);
        ASSERT_EQ(published("ballPos1"), positionOf(ball1)) << "step " << step;
    }
    ASSERT_EQ(contacts, (std::vector<int>{38, 124}));
    EXPECT_NEAR(contactX[0], 5.227f, 1e-3);
    EXPECT_EQ(leavingSpeed, (std::vector<float>{17.25f, 16.25f}));
    EXPECT_NEAR(highest, 3.30f, 0.01);
    EXPECT_EQ(ball1.z, 0.0f);
}
