#pragma once
// A point moving in the balls shader's box, between its walls and above a
// floor of its own. Its position goes to the shader as a vec3 uniform.

#include <string>

// The room that the balls' centres keep to. The vertex shader draws the
// walls and the floor a ball's radius beyond and holds its own copy of these
// numbers, which a test compares.
constexpr float SIDE_WALL_LEFT = -7.0f;
constexpr float SIDE_WALL_RIGHT = 7.0f;
constexpr float DEPTH_WALL_NEAR = -10.0f;
constexpr float DEPTH_WALL_FAR = 12.0f;
constexpr float RAISED_FLOOR_Y = -2.752f;
constexpr float LOWERED_FLOOR_Y = -5.0f;  // from the second ball's launch on
// Below the room, where the shaders draw nothing, the balls wait by the left
// wall until they are let go, the credits panel further out.
constexpr float WAITING_X = SIDE_WALL_LEFT;
constexpr float WAITING_Y = -20.0f;
constexpr float PANEL_WAITING_X = -20.0f;

struct Ball {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float gravity = -0.4f;       // added to vy once per step, whatever dt is
    float bounceSpeed = 17.25f;  // upward speed of the next floor contact
    bool active = false;         // only an active ball moves and publishes
    std::string uniformName;
    float floorY = 0.0f;
    float vx = 0.0f;  // units per s
    float vy = 0.0f;
    float vz = 0.0f;
    bool frozen = false;  // kept in place, yet clamped, floored and published

    // Places the ball on the raised floor, at rest vertically, and publishes
    // the position. Leaves gravity and bounceSpeed alone.
    void setup(float startX, float startY, float startZ, float startVx, float startVz,
               std::string positionUniform, bool startActive);
    // One frame: move, bounce off the walls and the floor, publish.
    void step(float dt);
};

extern Ball ball1;
extern Ball ball2;
extern Ball ball3;
extern Ball creditBall;  // the credits panel, whose position the shaders get as "creditPos"

// While set, every bounce plays the sound "bounce".
extern bool bounceSoundEnabled;
// While set, velocity leaves z alone; the depth walls still clamp.
extern bool depthFrozen;
