// Hands position, texture coordinate and colour on unchanged, as SFML's
// fixed pipeline would; the intro's text shader needs no more.
// For the ball room it also works out all that depends on the uniforms
// alone (camera, room, balls, panel): once a corner here rather than for
// every pixel, and handed over flat where it is the same at every corner.
// Uniforms (set by the ball scene):
//   sampler2D creditsTex               the credits page; one twice as tall carries
//                                      the show's closing face below its page
//   vec3 ballPos1, ballPos2, ballPos3  ball centres (below y -12: not yet in play)
//   vec3 creditPos                     centre of the credits panel (the program's
//                                      creditBall; waiting likewise); it is
//                                      drawn only on its swing path, x 0 and y 0
//   float camMix                       1: front view; 0: the credits view from the
//                                      corner; it eases from 1 to 0 past a dip to
//                                      -0.1, and later falls to about -64 as the
//                                      camera flies out
//   float iTime                        seconds since the scene began
#version 130

uniform vec3 ballPos1;
uniform vec3 ballPos2;
uniform vec3 ballPos3;
uniform vec3 creditPos;
uniform float camMix;
uniform float iTime;
uniform sampler2D creditsTex;

// For the ball room; all but the ray and the pixel's size are the same at every corner.
noperspective out vec3 rayDirection;  // not of unit length
noperspective out float pixelsPerRadian;  // across the screen, where the ray points
flat out vec3 eyePosition;
flat out vec3 ball1;         // centres, relative to the eye
flat out vec3 ball2;
flat out vec3 ball3;
flat out vec3 ballRadiiSquared;  // as drawn; 0 while a ball waits
flat out vec3 ballInverseRadii;  // which scale a point on a ball to its normal
flat out vec3 ballShadowScales;  // the full size squared over the drawn one: a shadow grows with its ball
flat out vec3 eyePowers;     // for each ball, the eye's distance to the centre squared less the radius squared
flat out vec3 skinTurns;     // how far each skin has turned with its ball's travel
flat out vec3 roomLow;       // the room's corners, relative to the eye
flat out vec3 roomHigh;
flat out vec3 wallsNearest;  // along x and z, the wall nearer the eye, which is cut away
                             // close to it: 1 for the wall at roomLow, -1 at roomHigh; 0 along y
flat out float panelPlane;   // how far the panel's plane lies along its normal from the eye (negative);
                             // 0 off its swing path, so that no ray meets it
flat out vec3 panelFacing;   // the panel's normal, towards the eye
flat out vec3 panelAcross;   // and the page's rightward
flat out vec3 panelUp;       // and upward directions
flat out vec2 panelShift;    // the panel's centre across and up from the foot of the normal through the eye
flat out vec2 panelHalfSize; // as drawn: narrower while the panel turns
flat out vec2 pageOrigin;    // the page's texture position at the panel's centre,
flat out vec2 pageSpan;      // and its change per unit across and up the panel
flat out float pageLight;    // the page darkens as it turns away

const vec2 RESOLUTION = vec2(1920.0, 1080.0);

// Large enough that the credits view shows the balls big while the whole
// floor stays in frame.
const float BALL_RADIUS = 1.4;
// Bodies below this height wait outside the room and are not drawn.
const float WAITING_BELOW_Y = -12.0;
// Where the ball model keeps the centres; walls and floor stand a radius
// beyond, the ceiling well above the highest bounce.
const float SIDE_WALL_LEFT = -7.0;
const float SIDE_WALL_RIGHT = 7.0;
const float DEPTH_WALL_NEAR = -10.0;
const float DEPTH_WALL_FAR = 12.0;
const float RAISED_FLOOR_Y = -2.752;
const float LOWERED_FLOOR_Y = -5.0;
const vec3 ROOM_LOW = vec3(SIDE_WALL_LEFT, LOWERED_FLOOR_Y, DEPTH_WALL_NEAR) - BALL_RADIUS;
const vec3 ROOM_HIGH = vec3(SIDE_WALL_RIGHT + BALL_RADIUS, 7.6, DEPTH_WALL_FAR + BALL_RADIUS);
const float RAISED_ROOM_LOW_Y = RAISED_FLOOR_Y - BALL_RADIUS;
// The panel shows only on its swing path: on the frame it is let go it may
// stand anywhere, half inside a wall.
const float OFF_SWING_PATH = 0.001;

// Each ball grows to its full size in this time from the moment it is let
// go (the ends of the ball scene's first three stages).
const vec3 BALLS_LET_GO_AT = vec3(2.0, 9.0, 16.0);
const float GROWING_SECONDS = 0.4;
// A skin turns once as its ball travels round its full size.
const float SKIN_TURNS_PER_UNIT = 1.0 / (2.0 * 3.14159265 * BALL_RADIUS);

// Half the page's size; the page's lettering is at least 22 pixels tall in
// the credits view.
const vec2 PANEL_HALF_SIZE = vec2(4.0, 2.0);
// The panel turns into view from edge on when it comes into play (two
// frames after 23 s), and turns over at each change of page, edge on
// between the last frame of one page and the first of the next: at 60 fps
// each page's stage ends a frame late, so page k comes at 23 + 4 k s and
// k + 1 frames. It holds edge on for a frame either side, to allow for a
// frame's lateness more or less.
const float PANEL_COMES_AT = 23.03;
const float PANEL_OPENING_SECONDS = 0.5;
const float FIRST_PAGE_TURN_AT = 27.0 + 1.5 / 60.0;
const float PAGE_SECONDS = 4.0 + 1.0 / 60.0;
const float PAGE_TURNS = 5.0;
const float PAGE_TURN_HOLD_SECONDS = 1.0 / 60.0;
const float PAGE_TURN_HALF_SECONDS = 0.2;
const float PAGE_TURNED_LIGHT = 0.5;
// Four seconds into the flight out the last page turns over to the show's
// closing face, which then comes out of the room towards the eye, square to
// it, to hang above the room (about 640 pixels wide) until the fade to
// black, the room and its balls in full view below it.
const float CLOSING_TURN_AT = 51.0;
const float CLOSING_ARRIVAL_SECONDS = 2.5;
const float CLOSING_EYE_DISTANCE = 24.6;
const float CLOSING_RAISED = 4.4;

// The way from the front view (0) to the credits view (1) is 1 - camMix;
// beyond 1 the camera flies out. The floor has dropped this far on the way.
const float FLOOR_DROPPED_AT = 0.5;

// Camera views: eye, target and focal length in half screen heights.
const vec3 FRONT_EYE = vec3(0.0, 1.0, 29.4);
const vec3 FRONT_TARGET = vec3(0.0, 0.35, 0.0);
const float FRONT_FOCAL = 4.4;
const vec3 CREDITS_EYE = vec3(22.5, 11.0, 14.5);
const vec3 CREDITS_TARGET = vec3(0.0, -4.0, 1.5);
const float CREDITS_FOCAL = 3.64;
// The flight out, per unit of its progress. The eye looks ever higher
// over the room, which sinks to the lower half of the screen and leaves
// the upper half to the closing face.
const float SPIRAL_TURN_PER_UNIT = 0.035;
const float SPIRAL_WIDENING_PER_UNIT = 0.045;
const float SPIRAL_RISE_PER_UNIT = 0.75;
const float TARGET_RISE_PER_UNIT = 0.19;
// The flight grows as the square of camMix's fall at first and as the fall
// itself after about this much, so that the camera gathers speed.
const float FLIGHT_GATHERING_UNITS = 3.0;
// Over the first ball's fall the camera closes in on the room from this
// much farther back, at rest at both ends, where the way to the credits
// view begins.
const float FRONT_PUSHED_BACK = 0.15;  // the share of the distance to the room
// From the third ball's launch to the flight out the camera drifts round
// the room and in towards it, and back, at rest at both ends, so that the
// credits view never stands still.
const float FLIGHT_STARTS_AT = 47.0;
const float CREDITS_DRIFT_TURN = 0.3;  // radians, at the drift's height
const float CREDITS_DRIFT_IN = 0.06;   // the share of the distance to the room
const float CAMERA_SWAYS_PER_SECOND = 0.12;
const float CAMERA_SWAY_HEIGHT = 0.35;

// The eye and the ray through a point of the screen (x across, y up, both
// in half screen heights). Both moves start and end at rest: the way to
// the credits view is eased at both ends, so the camera comes to a stop
// where camMix passes 0, and the flight gathers speed from there.
void placeCamera(vec2 screen, float way, out vec3 eye, out vec3 ray, out float pixelsPerRadian, out vec3 forward,
                 out vec3 up)
{
    float towardCredits = smoothstep(0.0, 1.0, way);
    float fall = max(way - 1.0, 0.0);
    float flight = fall * fall / (fall + FLIGHT_GATHERING_UNITS);
    vec3 target = mix(FRONT_TARGET, CREDITS_TARGET, towardCredits);
    eye = mix(FRONT_EYE, CREDITS_EYE, towardCredits);
    target.y += flight * TARGET_RISE_PER_UNIT;

    // In flight the eye swings round the room, drawing away and rising. The
    // turn is the rational form of a rotation by 2 atan(p), which eases
    // towards half a turn; the drift's turn over the credits comes on top.
    float p = flight * SPIRAL_TURN_PER_UNIT;
    vec2 spiral = vec2(1.0 - p * p, 2.0 * p) / (1.0 + p * p);
    float drift = 0.5 - 0.5 * cos(6.2831853 * clamp((iTime - BALLS_LET_GO_AT.z) / (FLIGHT_STARTS_AT - BALLS_LET_GO_AT.z),
                                                     0.0, 1.0));
    vec2 drifted = vec2(cos(CREDITS_DRIFT_TURN * drift), sin(CREDITS_DRIFT_TURN * drift));
    vec2 turn = vec2(spiral.x * drifted.x - spiral.y * drifted.y, spiral.x * drifted.y + spiral.y * drifted.x);
    float pushedBack = FRONT_PUSHED_BACK * (1.0 - smoothstep(0.0, BALLS_LET_GO_AT.y, iTime));
    vec2 around = (eye.xz - target.xz) * (1.0 + flight * SPIRAL_WIDENING_PER_UNIT - CREDITS_DRIFT_IN * drift + pushedBack);
    eye.xz = target.xz + vec2(turn.x * around.x + turn.y * around.y, turn.x * around.y - turn.y * around.x);
    // A slow sway, as if the camera were held by hand.
    float sway = fract(iTime * CAMERA_SWAYS_PER_SECOND);
    sway *= 1.0 - sway;
    eye.y += flight * SPIRAL_RISE_PER_UNIT + CAMERA_SWAY_HEIGHT * 16.0 * sway * sway;

    forward = normalize(target - eye);
    vec3 right = normalize(vec3(-forward.z, 0.0, forward.x));
    up = cross(right, forward);
    ray = screen.x * right + screen.y * up + mix(FRONT_FOCAL, CREDITS_FOCAL, towardCredits) * forward;
    // A pixel moves the ray by right / (half the screen's height); the
    // part of that across the ray turns it.
    float rayLength = length(ray);
    float alongRay = dot(ray, right) / rayLength;
    pixelsPerRadian = RESOLUTION.y * 0.5 * rayLength * inversesqrt(1.0 - alongRay * alongRay);
}

// A ball's drawn radius: growing after it is let go, hidden while it
// waits, and never reaching below the floor.
float drawnRadius(vec3 centre, float growth, float floorY)
{
    float radius = min(BALL_RADIUS * growth, centre.y - floorY);
    return centre.y > WAITING_BELOW_Y ? max(radius, 0.0) : 0.0;
}

// How far the panel has turned towards the eye: 0 edge on, 1 facing it.
// It turns at an even speed through edge on and eases where it faces.
float turnOpen(float fromTurn)
{
    float turned = clamp((abs(fromTurn) - PAGE_TURN_HOLD_SECONDS) / PAGE_TURN_HALF_SECONDS, 0.0, 1.0);
    return sin(1.5707963 * turned);
}

float panelOpening(float time)
{
    float open = smoothstep(PANEL_COMES_AT, PANEL_COMES_AT + PANEL_OPENING_SECONDS, time);
    for (float page = 0.0; page < PAGE_TURNS; page += 1.0)
        open *= turnOpen(time - FIRST_PAGE_TURN_AT - page * PAGE_SECONDS);
    return open * turnOpen(time - CLOSING_TURN_AT);
}

// The room's corners relative to the eye, and the walls cut away near it;
// the floor's height as it drops on the way to the credits view.
float placeRoom(float way)
{
    vec3 low = ROOM_LOW;
    low.y = mix(RAISED_ROOM_LOW_Y, ROOM_LOW.y, smoothstep(0.0, FLOOR_DROPPED_AT, way));
    roomLow = low - eyePosition;
    roomHigh = ROOM_HIGH - eyePosition;
    // Floor and ceiling are never cut: the eye stays well above the one and
    // never looks up at the other.
    wallsNearest = (2.0 * step(-roomLow, roomHigh) - 1.0) * vec3(1.0, 0.0, 1.0);
    return low.y;
}

void placeBalls(float floorY)
{
    vec3 growth = smoothstep(0.0, GROWING_SECONDS, iTime - BALLS_LET_GO_AT);
    ball1 = ballPos1 - eyePosition;
    ball2 = ballPos2 - eyePosition;
    ball3 = ballPos3 - eyePosition;
    vec3 radii = vec3(drawnRadius(ballPos1, growth.x, floorY), drawnRadius(ballPos2, growth.y, floorY),
                      drawnRadius(ballPos3, growth.z, floorY));
    ballRadiiSquared = radii * radii;
    ballShadowScales = BALL_RADIUS * BALL_RADIUS / max(ballRadiiSquared, 1.0e-12);
    // A waiting ball is never met, but its inverse is kept finite.
    ballInverseRadii = 1.0 / max(radii, 1.0e-6);
    eyePowers = vec3(dot(ball1, ball1), dot(ball2, ball2), dot(ball3, ball3)) - ballRadiiSquared;
    skinTurns = (vec3(ballPos1.x, ballPos2.x, ballPos3.x) - vec3(ballPos1.z, ballPos2.z, ballPos3.z))
              * SKIN_TURNS_PER_UNIT;
}

// The page stands level and faces the eye; the closing face, square to the
// camera, leaves the room for its place above it, at rest at both ends.
void placePanel(vec3 cameraForward, vec3 cameraUp)
{
    bool closing = iTime > CLOSING_TURN_AT;
    float arrived = smoothstep(CLOSING_TURN_AT, CLOSING_TURN_AT + CLOSING_ARRIVAL_SECONDS, iTime);
    vec3 above = cameraForward * CLOSING_EYE_DISTANCE + cameraUp * CLOSING_RAISED;
    vec3 centre = mix(creditPos - eyePosition, above, arrived);
    panelFacing = normalize(mix(-normalize(centre), -cameraForward, arrived));
    panelAcross = normalize(cross(closing ? cameraUp : vec3(0.0, 1.0, 0.0), panelFacing));
    panelUp = cross(panelFacing, panelAcross);
    panelShift = vec2(dot(centre, panelAcross), dot(centre, panelUp));
    panelPlane = abs(creditPos.x) + abs(creditPos.y) < OFF_SWING_PATH ? dot(centre, panelFacing) : 0.0;

    vec2 pageSize = vec2(textureSize(creditsTex, 0));
    float faces = max(floor(pageSize.y / pageSize.x * (PANEL_HALF_SIZE.x / PANEL_HALF_SIZE.y) + 0.5), 1.0);
    float face = closing ? faces - 1.0 : 0.0;
    float open = panelOpening(iTime);
    panelHalfSize = PANEL_HALF_SIZE * vec2(open, 1.0);
    pageOrigin = vec2(0.5, (face + 0.5) / faces);
    pageSpan = vec2(0.5, -0.5 / faces) / max(panelHalfSize, 1.0e-4);
    pageLight = mix(PAGE_TURNED_LIGHT, 1.0, open);
}

void main()
{
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;
    gl_FrontColor = gl_Color;

    float way = 1.0 - camMix;
    vec2 screen = vec2((gl_TexCoord[0].x * 2.0 - 1.0) * (RESOLUTION.x / RESOLUTION.y), 1.0 - gl_TexCoord[0].y * 2.0);
    vec3 cameraForward;
    vec3 cameraUp;
    placeCamera(screen, way, eyePosition, rayDirection, pixelsPerRadian, cameraForward, cameraUp);
    placeBalls(placeRoom(way));
    placePanel(cameraForward, cameraUp);
}
