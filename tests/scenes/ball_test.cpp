// The ball model: one step from chosen states (walls, floor, gravity and
// the switches); the position it publishes is read back from the balls shader.
#include "assets/sound_manager.h"
#include "core/app.h"
#include "scenes/ball.h"
#include "test_support.h"

#include <SFML/Window/Context.hpp>

#include <tuple>

namespace {

const char* const POSITIONS_FRAGMENT_SHADER = R"(// Uniforms: ballPos1 (vec3).
uniform vec3 ballPos1;
void main()
{
    gl_FragColor = vec4(ballPos1, 1.0) * gl_Color;
}
)";

constexpr float FRAME_S = 1.0f / 60.0f;
using Vec3 = std::vector<float>;

}  // namespace

TEST(Ball, OneStepClampsTurnsFloorsAndMovesAsItsSwitchesSay)
{
    TempRunFolder folder;
    sf::Context context;  // active from here on, for the shader
    ASSERT_TRUE(ballsShader->loadFromMemory(POSITIONS_FRAGMENT_SHADER, sf::Shader::Fragment));
    int bounces = 0;
    addToneSound("bounce", 30.0);
    soundManager.onPlay = [&](const std::string&) { ++bounces; };
    struct Case {
        const char* name;
        Vec3 start, velocity;  // velocity: vx, vy (set-up makes it 0), vz
        bool active, frozen, depthFrozen, sound;
        float dt;
        Vec3 end, endVelocity;
        int bounces;
    };
    const Case cases[] = {
        {"beyond the low walls and the floor", {-8, -9, -20}, {-2.8f, 0, -5.5f}, true, true, false, true, FRAME_S,
         {-7, RAISED_FLOOR_Y, -10}, {2.8f, 17.25f, 5.5f}, 3},
        // Negated, not pointed inwards: a ball beyond a wall heading back
        // is turned outwards; a frozen depth still has its walls.
        {"beyond the high walls, heading back", {9, 0, 13}, {-1, 0, -5.5f}, true, true, true, true, FRAME_S,
         {7, 0, 12}, {1, 0, 5.5f}, 2},
        {"exactly on the walls and the floor", {7, RAISED_FLOOR_Y, -10}, {2.8f, 0, -5.5f}, true, true, false, true,
         FRAME_S, {7, RAISED_FLOOR_Y, -10}, {2.8f, 0, -5.5f}, 0},
        {"bouncing with the sound off", {-8, -9, -20}, {-2.8f, 0, -5.5f}, true, true, false, false, FRAME_S,
         {-7, RAISED_FLOOR_Y, -10}, {2.8f, 17.25f, 5.5f}, 0},
        // Gravity is added once per step, whatever the frame time.
        {"moving with the depth frozen", {0, 0, 3}, {2.8f, 0, 5.5f}, true, false, true, true, 0.5f,
         {1.4f, -0.2f, 3}, {2.8f, -0.4f, 5.5f}, 0},
        {"moving in depth", {0, 0, 3}, {2.8f, 0, 5.5f}, true, false, false, true, 0.5f, {1.4f, -0.2f, 5.75f},
         {2.8f, -0.4f, 5.5f}, 0},
        // Set-up publishes; an inactive ball is not even clamped.
        {"inactive beyond the walls", {-8, -9, -20}, {-2.8f, 0, -5.5f}, false, false, false, true, FRAME_S,
         {-8, -9, -20}, {-2.8f, 0, -5.5f}, 0},
    };
    for (const Case& step : cases) {
        ball1.setup(step.start[0], step.start[1], step.start[2], step.velocity[0], step.velocity[2], "ballPos1",
                    step.active);
        std::tie(ball1.frozen, depthFrozen, bounceSoundEnabled, bounces) =
            std::make_tuple(step.frozen, step.depthFrozen, step.sound, 0);
        ball1.step(step.dt);
        EXPECT_EQ((Vec3{ball1.x, ball1.y, ball1.z}), step.end) << step.name;
        EXPECT_EQ((Vec3{ball1.vx, ball1.vy, ball1.vz}), step.endVelocity) << step.name;
        EXPECT_EQ(bounces, step.bounces) << step.name;
        EXPECT_EQ(uniformValues(*ballsShader, "ballPos1", 3), step.end) << step.name;
        ball1.bounceSpeed = 17.25f;
    }
}
