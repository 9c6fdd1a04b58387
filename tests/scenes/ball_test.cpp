// The ball model: one step from chosen states (walls, floor, gravity and
// the switches), the bounce speeds, and ball1's first bounces at 60 fps;
// the positions it publishes are read back from the balls shader.
#include "assets/sound_manager.h"
#include "core/app.h"
#include "scenes/ball.h"
#include "test_support.h"

#include <SFML/Window/Context.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

namespace {

const char* const POSITIONS_FRAGMENT_SHADER = R"(// Uniforms: ballPos1 (vec3).
uniform vec3 ballPos1;
void main()
{
    gl_FragColor = vec4(ballPos1, 1.0) * gl_Color;
}
)";

constexpr float FRAME_S = 1.0f / 60.0f;
constexpr float RAISED_FLOOR_Y = -2.752f;

using Vec3 = std::array<float, 3>;

struct BallTest : ::testing::Test {
    TempRunFolder folder;
    sf::Context context;
    int bounces = 0;

    void SetUp() override
    {
        ASSERT_TRUE(ballsShader.loadFromMemory(PLAIN_VERTEX_SHADER, POSITIONS_FRAGMENT_SHADER));
        addToneSound("bounce", 30.0);
        soundManager.onPlay = [this](const std::string&) { ++bounces; };
    }

    Vec3 published()
    {
        context.setActive(true);
        const std::vector<float> values = uniformValues(ballsShader, "ballPos1", 3);
        return {values[0], values[1], values[2]};
    }
};

Vec3 positionOf(const Ball& ball)
{
    return {ball.x, ball.y, ball.z};
}

}  // namespace

TEST_F(BallTest, OneStepClampsTurnsFloorsAndMovesAsItsSwitchesSay)
{
    struct Case {
        const char* name;
        Vec3 start, velocity;  // velocity: vx, vy (set-up makes it 0), vz
        bool frozen, depthFrozen, sound;
        float dt;
        Vec3 end, endVelocity;
        int bounces;
    };
    const Case cases[] = {
        {"beyond the low walls and the floor", {-8, -9, -20}, {-2.8f, 0, -5.5f}, true, false, true, FRAME_S,
         {-7, RAISED_FLOOR_Y, -10}, {2.8f, 17.25f, 5.5f}, 3},
        // Negated, not pointed inwards: a ball beyond a wall heading back
        // is turned outwards; a frozen depth still has its walls.
        {"beyond the high walls, heading back", {9, 0, 13}, {-1, 0, -5.5f}, true, true, true, FRAME_S,
         {7, 0, 12}, {1, 0, 5.5f}, 2},
        {"exactly on the walls and the floor", {7, RAISED_FLOOR_Y, -10}, {2.8f, 0, -5.5f}, true, false, true, FRAME_S,
         {7, RAISED_FLOOR_Y, -10}, {2.8f, 0, -5.5f}, 0},
        {"bouncing with the sound off", {-8, -9, -20}, {-2.8f, 0, -5.5f}, true, false, false, FRAME_S,
         {-7, RAISED_FLOOR_Y, -10}, {2.8f, 17.25f, 5.5f}, 0},
        // Gravity is added once per step, whatever the frame time.
        {"moving with the depth frozen", {0, 0, 3}, {2.8f, 0, 5.5f}, false, true, true, 0.5f,
         {1.4f, -0.2f, 3}, {2.8f, -0.4f, 5.5f}, 0},
        {"moving in depth", {0, 0, 3}, {2.8f, 0, 5.5f}, false, false, true, 0.5f,
         {1.4f, -0.2f, 5.75f}, {2.8f, -0.4f, 5.5f}, 0},
    };
    for (const Case& step : cases) {
        ball1.setup(step.start[0], step.start[1], step.start[2], step.velocity[0], step.velocity[2], "ballPos1", true);
        ball1.frozen = step.frozen;
        depthFrozen = step.depthFrozen;
        bounceSoundEnabled = step.sound;
        bounces = 0;
        ball1.step(step.dt);
        EXPECT_EQ(positionOf(ball1), step.end) << step.name;
        EXPECT_EQ((Vec3{ball1.vx, ball1.vy, ball1.vz}), step.endVelocity) << step.name;
        EXPECT_EQ(bounces, step.bounces) << step.name;
        EXPECT_EQ(published(), step.end) << step.name;
        ball1.bounceSpeed = 17.25f;
    }
}

TEST_F(BallTest, SetUpPublishesButAnInactiveBallNeitherMovesNorPublishes)
{
    ball1.bounceSpeed = 9.25f;
    ball1.vy = 3.0f;
    ball1.frozen = true;
    ball1.setup(1.0f, 2.0f, 3.0f, 4.0f, 5.0f, "ballPos1", false);
    EXPECT_EQ(ball1.floorY, RAISED_FLOOR_Y);
    EXPECT_FALSE(ball1.frozen);
    EXPECT_EQ(ball1.vy, 0.0f);
    EXPECT_EQ(ball1.bounceSpeed, 9.25f) << "set-up leaves the bounce speed alone";
    ball1.x = -30.0f;  // beyond a wall: an inactive ball is not even clamped
    ball1.step(FRAME_S);
    EXPECT_EQ(positionOf(ball1), (Vec3{-30.0f, 2.0f, 3.0f}));
    EXPECT_EQ(ball1.vy, 0.0f);
    EXPECT_EQ(published(), (Vec3{1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(bounces, 0);
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
    EXPECT_EQ(speeds, (std::vector<float>{17.25f, 16.25f, 15.25f, 14.25f, 13.25f, 12.25f, 11.25f, 10.25f, 9.25f,
                                          8.25f, 7.25f, 6.25f, 5.25f, 4.25f, 3.25f, 4.5f, 3.5f, 4.5f, 3.5f}));
}

TEST_F(BallTest, FirstBallDroppedAtSixtyFramesPerSecondBouncesOnItsSteps)
{
    ball1.setup(7.0f, 2.0f, 0.0f, -2.8f, -5.5f, "ballPos1", true);
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
    }
    ASSERT_EQ(contacts, (std::vector<int>{38, 124}));
    EXPECT_NEAR(contactX[0], 5.227f, 1e-3);
    EXPECT_EQ(leavingSpeed, (std::vector<float>{17.25f, 16.25f}));
    EXPECT_NEAR(highest, 3.30f, 0.01);
    EXPECT_EQ(ball1.z, 0.0f);
    EXPECT_EQ(bounces, 2);
}
