#include "scenes/ball.h"

#include "assets/sound_manager.h"
#include "core/app.h"

#include <SFML/Graphics/Glsl.hpp>

#include <utility>

Ball ball1;
Ball ball2;
Ball ball3;
Ball creditBall;

bool bounceSoundEnabled = true;
bool depthFrozen = true;

namespace {

constexpr float BOUNCE_SPEED_LOSS_PER_CONTACT = 1.0f;
constexpr float LOWEST_BOUNCE_SPEED = 3.0f;
// Below the lowest speed the ball gets this one back, so it never settles.
constexpr float RENEWED_BOUNCE_SPEED = 4.5f;
const char* const BOUNCE_SOUND = "bounce";

void playBounce()
{
    if (bounceSoundEnabled) soundManager.play(BOUNCE_SOUND);
}

// Puts position back on the wall it crossed and turns velocity round.
// Only a position beyond a wall counts: one exactly on it stays.
void clampBetweenWalls(float& position, float& velocity, float low, float high)
{
    if (position < low) {
        position = low;
    } else if (position > high) {
        position = high;
    } else {
        return;
    }
    velocity = -velocity;
    playBounce();
}

}  // namespace

void Ball::setup(float startX, float startY, float startZ, float startVx, float startVz,
                 std::string positionUniform, bool startActive)
{
    active = startActive;
    x = startX;
    y = startY;
    z = startZ;
    floorY = RAISED_FLOOR_Y;
    uniformName = std::move(positionUniform);
    vx = startVx;
    vz = startVz;
    vy = 0.0f;
    frozen = false;
    ballsShader->setUniform(uniformName, sf::Glsl::Vec3(x, y, z));
}

void Ball::step(float dt)
{
    if (!active) return;
    if (!frozen) {
        x = x + vx * dt;
        vy = vy + gravity;
        y = y + vy * dt;
        if (!depthFrozen) z = z + vz * dt;
    }
    clampBetweenWalls(x, vx, SIDE_WALL_LEFT, SIDE_WALL_RIGHT);
    clampBetweenWalls(z, vz, DEPTH_WALL_NEAR, DEPTH_WALL_FAR);
    if (y < floorY) {
        vy = bounceSpeed;
        bounceSpeed = bounceSpeed - BOUNCE_SPEED_LOSS_PER_CONTACT;
        if (bounceSpeed < LOWEST_BOUNCE_SPEED) bounceSpeed = RENEWED_BOUNCE_SPEED;
        y = floorY;
        playBounce();
    }
    ballsShader->setUniform(uniformName, sf::Glsl::Vec3(x, y, z));
}
