// Hands position, texture coordinate and colour on unchanged, as SFML's
// fixed pipeline would; the intro's text shader needs no more.
// For the ball room it also works out, at each corner of the screen, what
// depends on the uniforms alone: the camera's eye and its ray through that
// corner (which varies linearly across the screen), the floor's height, and
// the bodies' centres. A software renderer fetches a uniform at a greater
// cost than it interpolates a varying, and would otherwise redo the camera
// for every few pixels.
// Uniforms (set by the ball scene):
//   vec3 ballPos1, ballPos2, ballPos3  ball centres (below y -12: not yet in play)
//   vec3 creditPos                     centre of the credits panel (likewise); it is
//                                      drawn only on its swing path, x 0 and y 0
//   float camMix                       1: front view; 0: view from the upper corner;
//                                      below 0: the camera swings away (down to about -70)
//   float iTime                        seconds since the scene began
#version 120

uniform vec3 ballPos1;
uniform vec3 ballPos2;
uniform vec3 ballPos3;
uniform vec3 creditPos;
uniform float camMix;
uniform float iTime;

// For the ball room; all but the ray are the same at every corner.
varying vec3 rayDirection;  // not of unit length
varying vec3 eyePosition;
varying vec3 ball1;         // centres
varying vec3 ball2;
varying vec3 ball3;
varying vec3 panel;
varying float floorLevel;

const vec2 RESOLUTION = vec2(1920.0, 1080.0);

// Ball centres rest at y -2.752 before the floor drops and at -5 after.
const float RAISED_FLOOR_Y = -3.752;
const float LOWERED_FLOOR_Y = -6.0;
// Where a body waits unseen, below the room.
const vec3 HIDDEN_BODY = vec3(0.0, -20.0, 0.0);
// The panel shows only on its swing path: on the frame it is let go it may
// stand anywhere, half inside a wall.
const float OFF_SWING_PATH = 0.001;

// The floor falls while camMix leaves 1 for this value.
const float FLOOR_DROP_DONE_AT = 0.85;

// Camera views: eye, target and focal length in half screen heights.
const vec3 FRONT_EYE = vec3(0.0, 1.0, 21.0);
const vec3 FRONT_TARGET = vec3(0.0, 0.35, 0.0);
const float FRONT_FOCAL = 4.4;
const vec3 CORNER_EYE = vec3(16.0, 12.0, 23.0);
const vec3 CORNER_TARGET = vec3(0.0, -1.8, 0.5);
const float CORNER_FOCAL = 2.3;
// The finale, per unit that camMix falls below 0.
const float SPIRAL_TURN_PER_UNIT = 0.035;
const float SPIRAL_WIDENING_PER_UNIT = 0.05;
const float SPIRAL_RISE_PER_UNIT = 0.9;
const float CAMERA_SWAYS_PER_SECOND = 0.12;
const float CAMERA_SWAY_HEIGHT = 0.35;

// The floor drops as soon as camMix starts to leave 1.
float floorY()
{
    return mix(LOWERED_FLOOR_Y, RAISED_FLOOR_Y, smoothstep(FLOOR_DROP_DONE_AT, 1.0, camMix));
}

// The eye and the ray through a point of the screen (x across, y up, both
// in half screen heights).
void placeCamera(vec2 screen, out vec3 eye, out vec3 ray)
{
    float towardFront = max(camMix, 0.0);
    float spiral = max(-camMix, 0.0);
    vec3 target = mix(CORNER_TARGET, FRONT_TARGET, towardFront);
    eye = mix(CORNER_EYE, FRONT_EYE, towardFront);

    // Below 0 the eye swings round the room, drawing away and rising. The
    // turn is the rational form of a rotation by 2 atan(p), which eases
    // towards half a turn.
    float p = spiral * SPIRAL_TURN_PER_UNIT;
    vec2 turn = vec2(1.0 - p * p, 2.0 * p) / (1.0 + p * p);
    vec2 around = (eye.xz - target.xz) * (1.0 + spiral * SPIRAL_WIDENING_PER_UNIT);
    eye.xz = target.xz + vec2(turn.x * around.x + turn.y * around.y, turn.x * around.y - turn.y * around.x);
    // A slow sway, as if the camera were held by hand.
    float sway = fract(iTime * CAMERA_SWAYS_PER_SECOND);
    sway *= 1.0 - sway;
    eye.y += spiral * SPIRAL_RISE_PER_UNIT + CAMERA_SWAY_HEIGHT * 16.0 * sway * sway;

    vec3 forward = normalize(target - eye);
    vec3 right = normalize(vec3(-forward.z, 0.0, forward.x));
    vec3 up = cross(right, forward);
    ray = screen.x * right + screen.y * up + mix(CORNER_FOCAL, FRONT_FOCAL, towardFront) * forward;
}

void main()
{
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;
    gl_FrontColor = gl_Color;

    vec2 screen = vec2((gl_TexCoord[0].x * 2.0 - 1.0) * (RESOLUTION.x / RESOLUTION.y), 1.0 - gl_TexCoord[0].y * 2.0);
    placeCamera(screen, eyePosition, rayDirection);
    ball1 = ballPos1;
    ball2 = ballPos2;
    ball3 = ballPos3;
    panel = abs(creditPos.x) + abs(creditPos.y) < OFF_SWING_PATH ? creditPos : HIDDEN_BODY;
    floorLevel = floorY();
}
