// The ball room: three skinned balls and the credits panel in a tiled box,
// ray traced analytically (ray-sphere, ray-box, ray-rectangle) with soft
// sphere shadows, sphere and corner ambient occlusion, one reflection bounce
// and lighting in linear light. Drawn over a full-screen sprite whose own
// texture is not used; every pixel gets alpha 1.
// A software renderer runs every branch for every pixel, so the work is
// branch-free and lean: no library trigonometry, each ball's offset from the
// shaded point shared by its shadow, its occlusion and its reflection, and
// textures only for what the camera sees directly.
// Uniforms:
//   vec3 ballPos1, ballPos2, ballPos3  ball centres (below y -12: not yet in play)
//   vec3 creditPos                     centre of the credits panel (likewise)
//   sampler2D ballTex1, ballTex2, ballTex3  equirectangular ball skins (repeated)
//   sampler2D wallTex                  the tiles of walls, floor and ceiling (repeated)
//   sampler2D creditsTex               the credits page on the panel
//   float camMix                       1: front view; 0: view from the upper corner;
//                                      below 0: the camera swings away (down to about -70)
//   float iTime                        seconds since the scene began
#version 120

uniform vec3 ballPos1;
uniform vec3 ballPos2;
uniform vec3 ballPos3;
uniform vec3 creditPos;
uniform sampler2D ballTex1;
uniform sampler2D ballTex2;
uniform sampler2D ballTex3;
uniform sampler2D wallTex;
uniform sampler2D creditsTex;
uniform float camMix;
uniform float iTime;

const vec2 RESOLUTION = vec2(1920.0, 1080.0);
const float PI = 3.14159265;
const float NO_HIT = 1.0e4;
// Reflections start this far along their ray, clear of their own surface.
const float SELF_HIT_DISTANCE = 1.0e-3;

const float SKY = 0.0;
const float ROOM = 1.0;
const float BALL1 = 2.0;
const float BALL2 = 3.0;
const float BALL3 = 4.0;
const float PANEL = 5.0;

const float BALL_RADIUS = 1.0;
// Ball centres stay within x -7..7 and z -10..12; the walls stand a radius beyond.
const float WALL_X = 8.0;
const float BACK_WALL_Z = -11.0;
const float FRONT_WALL_Z = 13.0;
const float CEILING_Y = 7.6;
// Ball centres rest at y -2.752 before the floor drops and at -5 after.
const float RAISED_FLOOR_Y = -3.752;
const float LOWERED_FLOOR_Y = -6.0;
// The floor falls while camMix leaves 1 for this value.
const float FLOOR_DROP_DONE_AT = 0.85;
// Bodies below this height wait outside the room and are not drawn.
const float WAITING_BELOW_Y = -12.0;

const vec2 PANEL_HALF_SIZE = vec2(3.6, 1.8);
// The tile texture, two by two tiles, covers 2 x 2 units.
const float TILE_WORLD_SIZE = 2.0;

const vec3 LIGHT_POSITION = vec3(0.0, 7.2, 3.0);
const vec3 LIGHT_COLOUR = vec3(1.0, 0.92, 0.8) * 120.0;
const float LIGHT_FALLOFF_OFFSET = 24.0;
const vec2 LIGHT_PANEL_HALF_SIZE = vec2(3.0, 2.0);
const vec3 LIGHT_PANEL_GLOW = vec3(1.0, 0.95, 0.88) * 4.0;
const vec3 AMBIENT_FROM_ABOVE = vec3(0.42, 0.46, 0.62) * 0.55;
const vec3 AMBIENT_FROM_BELOW = vec3(0.5, 0.42, 0.4) * 0.3;
const float SHADOW_SOFTNESS = 5.0;
const float CORNER_OCCLUSION_REACH = 2.2;
const float CORNER_OCCLUSION_STRENGTH = 0.35;
const float BALL_SHINE = 1.6;
const float TILE_SHINE = 0.12;
const float BALL_REFLECTANCE = 0.1;
const float FLOOR_REFLECTANCE = 0.18;
const float WALL_REFLECTANCE = 0.04;

const vec3 FLOOR_TINT = vec3(1.0, 0.96, 0.9);
const vec3 BACK_WALL_TINT = vec3(0.74, 0.84, 1.0);
const vec3 SIDE_WALL_TINT = vec3(0.94, 0.8, 1.0);
const vec3 CEILING_TINT = vec3(0.9, 0.9, 0.95);
// What reflections show of the balls, without texture lookups.
const vec3 BALL1_AVERAGE = vec3(0.95, 0.42, 0.08);
const vec3 BALL2_AVERAGE = vec3(0.55, 0.2, 0.9);
const vec3 BALL3_AVERAGE = vec3(0.25, 0.75, 0.4);

const vec3 SKY_LOW = vec3(0.004, 0.002, 0.014);
const vec3 SKY_HIGH = vec3(0.03, 0.012, 0.07);
// Star cells per unit of direction, and the share of cells that hold a star.
const float STAR_CELLS = 420.0;
const float STAR_SHARE = 0.0028;
const float CAMERA_SWAYS_PER_SECOND = 0.12;
const float CAMERA_SWAY_HEIGHT = 0.35;

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

vec3 decodeGamma(vec3 colour)
{
    return colour * colour;
}

// The floor drops as soon as camMix starts to leave 1.
float floorY()
{
    return mix(LOWERED_FLOOR_Y, RAISED_FLOOR_Y, smoothstep(FLOOR_DROP_DONE_AT, 1.0, camMix));
}

void placeCamera(out vec3 eye, out vec3 forward, out vec3 right, out vec3 up, out float focal)
{
    float towardFront = max(camMix, 0.0);
    float spiral = max(-camMix, 0.0);
    vec3 target = mix(CORNER_TARGET, FRONT_TARGET, towardFront);
    eye = mix(CORNER_EYE, FRONT_EYE, towardFront);
    focal = mix(CORNER_FOCAL, FRONT_FOCAL, towardFront);

    // Below 0 the eye swings round the room, drawing away and rising. The
    // turn is the rational form of a rotation by 2 atan(p), which needs no
    // trigonometry and eases towards half a turn.
    float p = spiral * SPIRAL_TURN_PER_UNIT;
    vec2 turn = vec2(1.0 - p * p, 2.0 * p) / (1.0 + p * p);
    vec2 around = (eye.xz - target.xz) * (1.0 + spiral * SPIRAL_WIDENING_PER_UNIT);
    eye.xz = target.xz + vec2(turn.x * around.x + turn.y * around.y, turn.x * around.y - turn.y * around.x);
    // A slow sway, as if the camera were held by hand.
    float sway = fract(iTime * CAMERA_SWAYS_PER_SECOND);
    sway *= 1.0 - sway;
    eye.y += spiral * SPIRAL_RISE_PER_UNIT + CAMERA_SWAY_HEIGHT * 16.0 * sway * sway;

    forward = normalize(target - eye);
    right = vec3(-forward.z, 0.0, forward.x) * inversesqrt(dot(forward.xz, forward.xz));
    up = cross(right, forward);
}

// Distance along a unit ray to a sphere's near side, or NO_HIT; away is the
// ray's origin minus the centre.
float sphereEntry(vec3 away, vec3 direction, float centreY, float nearest)
{
    float b = dot(away, direction);
    float h = b * b - dot(away, away) + BALL_RADIUS * BALL_RADIUS;
    float t = -b - sqrt(max(h, 0.0));
    return (h > 0.0 && t > nearest && centreY > WAITING_BELOW_Y) ? t : NO_HIT;
}

// The room is seen from inside only: the ray's exit through the box, so that
// walls between an outside camera and the room are cut away.
float roomExit(vec3 origin, vec3 direction, float floorLevel, out vec3 normal)
{
    // The nudge keeps an axis-parallel ray finite.
    vec3 inverse = 1.0 / (direction + vec3(1.0e-9));
    vec3 t0 = (vec3(-WALL_X, floorLevel, BACK_WALL_Z) - origin) * inverse;
    vec3 t1 = (vec3(WALL_X, CEILING_Y, FRONT_WALL_Z) - origin) * inverse;
    vec3 exits = max(t0, t1);
    vec3 entries = min(t0, t1);
    float tNear = max(max(entries.x, entries.y), entries.z);
    float tFar = min(min(exits.x, exits.y), exits.z);
    normal = -sign(direction) * step(exits, vec3(tFar));
    return tFar > max(tNear, 0.0) ? tFar : NO_HIT;
}

// The panel stands upright, facing the eye along across x up.
float panelHit(vec3 origin, vec3 direction, vec3 facing, vec3 across, out vec2 pagePosition)
{
    float approach = dot(direction, facing);
    float t = dot(creditPos - origin, facing) / (abs(approach) > 1.0e-5 ? approach : 1.0e-5);
    vec3 local = origin + direction * t - creditPos;
    vec2 planar = vec2(dot(local, across), local.y) * (1.0 / PANEL_HALF_SIZE);
    pagePosition = vec2(0.5 + 0.5 * planar.x, 0.5 - 0.5 * planar.y);
    bool within = abs(planar.x) < 1.0 && abs(planar.y) < 1.0;
    return (within && t > 0.0 && creditPos.y > WAITING_BELOW_Y) ? t : NO_HIT;
}

// atan(y, x) / 2 pi, within a thousandth of a turn: a third of a skin texel.
float turnsAround(float y, float x)
{
    vec2 size = abs(vec2(x, y));
    float ratio = min(size.x, size.y) / max(max(size.x, size.y), 1.0e-6);
    float octant = ratio * (0.125 + 0.0435 * (1.0 - ratio));
    float quadrant = size.y > size.x ? 0.25 - octant : octant;
    float upper = x < 0.0 ? 0.5 - quadrant : quadrant;
    return y < 0.0 ? -upper : upper;
}

// acos(y) / pi: 0 at the top pole, 1 at the bottom one.
float latitudeFromTop(float y)
{
    float size = min(abs(y), 1.0);
    float fromPole = sqrt(1.0 - size) * (1.5707288 + size * (-0.2121144 + size * (0.074261 - 0.0187293 * size))) * (1.0 / PI);
    return y < 0.0 ? 1.0 - fromPole : fromPole;
}

// The skins turn about the upright axis with the ball's travel, so the belt
// with the name stays level and readable. Lookups away from their own ball
// read one fixed texel, which costs little.
vec3 ballSkin(float material, vec3 centre, vec3 normal)
{
    float turns = (centre.x - centre.z) * (1.0 / (2.0 * PI * BALL_RADIUS));
    vec2 skinPosition = vec2(turnsAround(normal.x, normal.z) + 0.75 - turns, latitudeFromTop(normal.y));
    vec2 unused = vec2(0.5);
    vec3 skin1 = texture2D(ballTex1, material == BALL1 ? skinPosition : unused).rgb;
    vec3 skin2 = texture2D(ballTex2, material == BALL2 ? skinPosition : unused).rgb;
    vec3 skin3 = texture2D(ballTex3, material == BALL3 ? skinPosition : unused).rgb;
    return decodeGamma(material == BALL1 ? skin1 : material == BALL2 ? skin2 : skin3);
}

vec3 roomAlbedo(vec3 position, vec3 normal)
{
    vec3 across = abs(normal);
    vec2 tilePosition = (across.x * position.zy + across.y * position.xz + across.z * position.xy) * (1.0 / TILE_WORLD_SIZE);
    vec3 tint = normal.y > 0.5 ? FLOOR_TINT : normal.y < -0.5 ? CEILING_TINT
              : across.z > 0.5 ? BACK_WALL_TINT : SIDE_WALL_TINT;
    return decodeGamma(texture2D(wallTex, tilePosition).rgb) * tint;
}

vec3 ceilingGlow(vec3 position, vec3 normal)
{
    vec2 fromLight = abs(position.xz - LIGHT_POSITION.xz) * (1.0 / LIGHT_PANEL_HALF_SIZE);
    return LIGHT_PANEL_GLOW * step(max(fromLight.x, fromLight.y), 1.0) * step(normal.y, -0.5);
}

// Darkening near the edges that the cameras see: each of the floor, the
// back wall and the side walls shades what faces it closely.
float cornerOcclusion(vec3 position, vec3 normal, float floorLevel)
{
    vec3 nearLow = max(1.0 - (position - vec3(-WALL_X, floorLevel, BACK_WALL_Z)) * (1.0 / CORNER_OCCLUSION_REACH), 0.0);
    float nearRight = max(1.0 - (WALL_X - position.x) * (1.0 / CORNER_OCCLUSION_REACH), 0.0);
    float occlusion = dot(1.0 - normal, nearLow * nearLow) + (1.0 + normal.x) * nearRight * nearRight;
    return max(1.0 - CORNER_OCCLUSION_STRENGTH * occlusion, 0.0);
}

// How much of the sky a sphere hides from a point with this normal; away is
// the point minus the centre.
float sphereOcclusion(vec3 away, vec3 normal)
{
    float distanceSquared = dot(away, away);
    return clamp(-dot(normal, away) * BALL_RADIUS * BALL_RADIUS / (distanceSquared * sqrt(distanceSquared)), 0.0, 1.0);
}

// Penumbra of a sphere over the ray towards the light, from how closely the
// ray misses it against how far along it passes: 1 lit, 0 shadowed.
float sphereShadow(vec3 away, vec3 lightDirection)
{
    float b = dot(away, lightDirection);
    float miss = b * b - dot(away, away) + BALL_RADIUS * BALL_RADIUS;
    return b > 0.0 ? 1.0 : smoothstep(0.0, 1.0, SHADOW_SOFTNESS * miss / b);
}

float hash(vec3 cell)
{
    cell = fract(cell * 0.1031);
    cell += dot(cell, cell.zyx + 31.32);
    return fract((cell.x + cell.y) * cell.z);
}

vec3 skyColour(vec3 direction)
{
    float star = max(hash(floor(direction * STAR_CELLS)) - (1.0 - STAR_SHARE), 0.0) * (1.0 / STAR_SHARE);
    return mix(SKY_LOW, SKY_HIGH, direction.y * 0.5 + 0.5) + star;
}

// What the room shows in a mirror, by direction alone: the back or a side
// wall, darker downwards, and the lamp overhead.
vec3 roomSeenToward(vec3 direction)
{
    vec3 wall = abs(direction.z) > abs(direction.x) ? BACK_WALL_TINT : SIDE_WALL_TINT;
    return mix(wall * (0.45 + 0.35 * direction.y), LIGHT_PANEL_GLOW, smoothstep(0.82, 0.9, direction.y));
}

vec3 toneMap(vec3 colour)
{
    colour = (colour * (2.51 * colour + 0.03)) / (colour * (2.43 * colour + 0.59) + 0.14);
    return sqrt(clamp(colour, 0.0, 1.0));
}

void main()
{
    vec2 screen = vec2((gl_TexCoord[0].x * 2.0 - 1.0) * (RESOLUTION.x / RESOLUTION.y), 1.0 - gl_TexCoord[0].y * 2.0);
    vec3 eye;
    vec3 forward;
    vec3 right;
    vec3 up;
    float focal;
    placeCamera(eye, forward, right, up, focal);
    vec3 direction = normalize(screen.x * right + screen.y * up + focal * forward);
    float floorLevel = floorY();

    // What the eye sees: the nearest of the room, the balls and the panel,
    // which turns to face the eye so that the page reads from every side.
    vec3 n;
    float t = roomExit(eye, direction, floorLevel, n);
    float material = t < NO_HIT ? ROOM : SKY;
    float t1 = sphereEntry(eye - ballPos1, direction, ballPos1.y, 0.0);
    float t2 = sphereEntry(eye - ballPos2, direction, ballPos2.y, 0.0);
    float t3 = sphereEntry(eye - ballPos3, direction, ballPos3.y, 0.0);
    float tBall = min(t1, min(t2, t3));
    vec2 towardEye = normalize(eye.xz - creditPos.xz);
    vec3 facing = vec3(towardEye.x, 0.0, towardEye.y);
    vec2 pagePosition;
    float tPanel = panelHit(eye, direction, facing, vec3(towardEye.y, 0.0, -towardEye.x), pagePosition);
    bool onBall = tBall < t && tBall < tPanel;
    bool onPanel = tPanel < t && tPanel <= tBall;
    vec3 centre = t1 == tBall ? ballPos1 : t2 == tBall ? ballPos2 : ballPos3;
    material = onBall ? (t1 == tBall ? BALL1 : t2 == tBall ? BALL2 : BALL3) : onPanel ? PANEL : material;
    t = min(t, min(tBall, tPanel));
    vec3 position = eye + direction * t;
    n = onBall ? (position - centre) * (1.0 / BALL_RADIUS) : onPanel ? facing * -sign(dot(direction, facing)) : n;

    // Every lookup runs for every pixel, outside any condition, which keeps
    // the renderer on its fast sampling path.
    vec3 skin = ballSkin(material, centre, n);
    vec3 tiles = roomAlbedo(position, n);
    vec3 page = decodeGamma(texture2D(creditsTex, onPanel ? pagePosition : vec2(0.5)).rgb);
    vec3 albedo = onBall ? skin : material == ROOM ? tiles : vec3(0.0);
    vec3 glow = onPanel ? page : ceilingGlow(position, n);

    // Each ball's offset from the shaded point serves its shadow, its
    // occlusion and its reflection alike.
    vec3 away1 = position - ballPos1;
    vec3 away2 = position - ballPos2;
    vec3 away3 = position - ballPos3;

    vec3 toLight = LIGHT_POSITION - position;
    float lightDistanceSquared = dot(toLight, toLight);
    vec3 lightDirection = toLight * inversesqrt(lightDistanceSquared);
    vec3 light = LIGHT_COLOUR * (max(dot(n, lightDirection), 0.0) / (lightDistanceSquared + LIGHT_FALLOFF_OFFSET));
    float lit = min(min(sphereShadow(away1, lightDirection), sphereShadow(away2, lightDirection)),
                    sphereShadow(away3, lightDirection));
    float occlusion = (1.0 - sphereOcclusion(away1, n)) * (1.0 - sphereOcclusion(away2, n))
                    * (1.0 - sphereOcclusion(away3, n)) * cornerOcclusion(position, n, floorLevel);

    vec3 mirrored = reflect(direction, n);
    float highlight = max(dot(mirrored, lightDirection), 0.0);
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    float shine = onBall ? BALL_SHINE : material == ROOM ? TILE_SHINE : 0.0;
    vec3 ambient = mix(AMBIENT_FROM_BELOW, AMBIENT_FROM_ABOVE, n.y * 0.5 + 0.5);
    vec3 colour = light * lit * (albedo + shine * highlight) + ambient * albedo * occlusion + glow;

    // One bounce: balls mirror as clear-coated plastic, the floor as polished
    // tiles. A mirrored ball shows its average colour, lit from above; else
    // the room shows by direction. The panel stays out of reflections.
    float r1 = sphereEntry(away1, mirrored, ballPos1.y, SELF_HIT_DISTANCE);
    float r2 = sphereEntry(away2, mirrored, ballPos2.y, SELF_HIT_DISTANCE);
    float r3 = sphereEntry(away3, mirrored, ballPos3.y, SELF_HIT_DISTANCE);
    float rBall = min(r1, min(r2, r3));
    vec3 mirroredBall = r1 == rBall ? BALL1_AVERAGE : r2 == rBall ? BALL2_AVERAGE : BALL3_AVERAGE;
    vec3 bounceColour = rBall < NO_HIT ? mirroredBall : roomSeenToward(mirrored);
    float grazing = 1.0 - max(dot(n, -direction), 0.0);
    float grazingSquared = grazing * grazing;
    float fresnel = grazingSquared * grazingSquared * grazing;
    float baseReflectance = onBall ? BALL_REFLECTANCE : n.y > 0.5 ? FLOOR_REFLECTANCE : WALL_REFLECTANCE;
    float reflectance = onPanel ? 0.0 : (baseReflectance + (1.0 - baseReflectance) * fresnel) * occlusion;
    colour = mix(colour, bounceColour, reflectance);

    colour = material == SKY ? skyColour(direction) : colour;
    vec2 fromCentre = screen * vec2(0.56, 1.0);
    float vignette = 1.0 - 0.2 * dot(fromCentre, fromCentre);
    gl_FragColor = vec4(toneMap(colour) * vignette, 1.0);
}
