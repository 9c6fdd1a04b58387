// The ball room: three skinned balls and the credits panel in a tiled box,
// ray traced analytically (ray-sphere, ray-box, ray-rectangle) with soft
// sphere shadows, sphere and corner ambient occlusion, one reflection bounce
// and lighting in linear light. Drawn over a full-screen sprite whose own
// texture is not used; every pixel gets alpha 1.
// Software renderers run every branch for every pixel, so the work is kept
// branch-free and small: no trigonometry but the spiral's and the skins',
// textures only for what the camera sees directly.
// Uniforms:
//   vec3 ballPos1, ballPos2, ballPos3  ball centres (below y -12: not yet in play)
//   vec3 creditPos                     centre of the credits panel (likewise)
//   sampler2D ballTex1, ballTex2, ballTex3  equirectangular ball skins
//   sampler2D wallTex                  the tiles of walls, floor and ceiling (repeated)
//   sampler2D creditsTex               the credits page on the panel
//   float camMix                       1: front view; 0: view from the upper corner;
//                                      below 0: the camera spirals away (down to about -70)
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
const float SURFACE_OFFSET = 0.003;

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

const vec3 FLOOR_TINT = vec3(1.0, 0.96, 0.9);
const vec3 BACK_WALL_TINT = vec3(0.74, 0.84, 1.0);
const vec3 SIDE_WALL_TINT = vec3(0.94, 0.8, 1.0);
const vec3 CEILING_TINT = vec3(0.9, 0.9, 0.95);
// What reflections show of the balls, without texture lookups.
const vec3 BALL1_AVERAGE = vec3(0.95, 0.42, 0.08);
const vec3 BALL2_AVERAGE = vec3(0.55, 0.2, 0.9);
const vec3 BALL3_AVERAGE = vec3(0.25, 0.75, 0.4);

const float STAR_TWINKLE_PER_SECOND = 0.7;

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
    eye.y += spiral * SPIRAL_RISE_PER_UNIT;

    forward = normalize(target - eye);
    right = vec3(normalize(vec2(-forward.z, forward.x)), 0.0).xzy;
    up = cross(right, forward);
}

// Distance along the ray to the sphere's near side, or NO_HIT.
float sphereHit(vec3 origin, vec3 direction, vec3 centre)
{
    vec3 fromCentre = origin - centre;
    float b = dot(fromCentre, direction);
    float h = b * b - dot(fromCentre, fromCentre) + BALL_RADIUS * BALL_RADIUS;
    float t = -b - sqrt(max(h, 0.0));
    return (h > 0.0 && t > 0.0 && centre.y > WAITING_BELOW_Y) ? t : NO_HIT;
}

// The room is seen from inside only: the ray's exit through the box, so that
// walls between an outside camera and the room are cut away.
float roomHit(vec3 origin, vec3 direction, float floorLevel, out vec3 normal)
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

float panelHit(vec3 origin, vec3 direction, vec3 facing, vec3 across, out vec2 pagePosition)
{
    float approach = dot(direction, facing);
    float t = dot(creditPos - origin, facing) / (abs(approach) > 1.0e-5 ? approach : 1.0e-5);
    vec3 local = origin + direction * t - creditPos;
    vec2 planar = vec2(dot(local, across), local.y) / PANEL_HALF_SIZE;
    pagePosition = vec2(0.5 + 0.5 * planar.x, 0.5 - 0.5 * planar.y);
    bool within = abs(planar.x) < 1.0 && abs(planar.y) < 1.0;
    return (within && t > 0.0 && creditPos.y > WAITING_BELOW_Y) ? t : NO_HIT;
}

struct Hit {
    float t;
    float material;
    vec3 normal;
    vec3 centre;
    vec2 pagePosition;
};

// The nearest ball along the ray, if it comes before maxT.
Hit traceBalls(vec3 origin, vec3 direction, float maxT)
{
    Hit hit;
    hit.t = maxT;
    hit.material = SKY;
    hit.centre = vec3(0.0);
    hit.normal = vec3(0.0, 1.0, 0.0);

    float t = sphereHit(origin, direction, ballPos1);
    if (t < hit.t) { hit.t = t; hit.material = BALL1; hit.centre = ballPos1; }
    t = sphereHit(origin, direction, ballPos2);
    if (t < hit.t) { hit.t = t; hit.material = BALL2; hit.centre = ballPos2; }
    t = sphereHit(origin, direction, ballPos3);
    if (t < hit.t) { hit.t = t; hit.material = BALL3; hit.centre = ballPos3; }

    hit.normal = (origin + direction * hit.t - hit.centre) / BALL_RADIUS;
    hit.pagePosition = vec2(0.5);
    return hit;
}

Hit trace(vec3 origin, vec3 direction, float floorLevel, vec3 facing, vec3 across)
{
    vec3 roomNormal;
    float roomT = roomHit(origin, direction, floorLevel, roomNormal);
    Hit hit = traceBalls(origin, direction, roomT);
    bool onRoom = hit.material == SKY && roomT < NO_HIT;
    hit.material = onRoom ? ROOM : hit.material;
    hit.normal = onRoom ? roomNormal : hit.normal;
    float t = panelHit(origin, direction, facing, across, hit.pagePosition);
    if (t < hit.t) { hit.t = t; hit.material = PANEL; hit.normal = facing * -sign(dot(direction, facing)); }
    return hit;
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
    float fromPole = sqrt(1.0 - size) * (1.5707288 + size * (-0.2121144 + size * (0.074261 - 0.0187293 * size))) / PI;
    return y < 0.0 ? 1.0 - fromPole : fromPole;
}

// The skins turn about the upright axis with the ball's travel, so the belt
// with the name stays level and readable.
vec3 ballSkin(Hit hit)
{
    vec3 n = hit.normal;
    float turns = (hit.centre.x - hit.centre.z) / (2.0 * PI * BALL_RADIUS);
    vec2 skinPosition = vec2(turnsAround(n.x, n.z) + 0.75 - turns, latitudeFromTop(n.y));
    // Lookups away from their own ball read one fixed texel, which is cheap.
    vec2 unused = vec2(0.5);
    vec3 skin1 = texture2D(ballTex1, hit.material == BALL1 ? skinPosition : unused).rgb;
    vec3 skin2 = texture2D(ballTex2, hit.material == BALL2 ? skinPosition : unused).rgb;
    vec3 skin3 = texture2D(ballTex3, hit.material == BALL3 ? skinPosition : unused).rgb;
    return decodeGamma(hit.material == BALL1 ? skin1 : hit.material == BALL2 ? skin2 : skin3);
}

vec3 roomTint(vec3 normal)
{
    vec3 across = abs(normal);
    return normal.y > 0.5 ? FLOOR_TINT : normal.y < -0.5 ? CEILING_TINT : across.z > 0.5 ? BACK_WALL_TINT : SIDE_WALL_TINT;
}

vec3 roomAlbedo(vec3 position, vec3 normal)
{
    vec3 across = abs(normal);
    vec2 tilePosition = (across.x * position.zy + across.y * position.xz + across.z * position.xy) / TILE_WORLD_SIZE;
    return decodeGamma(texture2D(wallTex, tilePosition).rgb) * roomTint(normal);
}

vec3 ceilingGlow(vec3 position, vec3 normal)
{
    vec2 fromLight = abs(position.xz - LIGHT_POSITION.xz) / LIGHT_PANEL_HALF_SIZE;
    return LIGHT_PANEL_GLOW * step(max(fromLight.x, fromLight.y), 1.0) * step(normal.y, -0.5);
}

// Darkening near the edges that the cameras see: each of the floor, the
// back wall and the side walls shades what faces it closely.
float cornerOcclusion(vec3 position, vec3 normal, float floorLevel)
{
    vec3 nearLow = max(1.0 - (position - vec3(-WALL_X, floorLevel, BACK_WALL_Z)) / CORNER_OCCLUSION_REACH, 0.0);
    float nearRight = max(1.0 - (WALL_X - position.x) / CORNER_OCCLUSION_REACH, 0.0);
    float occlusion = dot(1.0 - normal, nearLow * nearLow) + (1.0 + normal.x) * nearRight * nearRight;
    return max(1.0 - CORNER_OCCLUSION_STRENGTH * occlusion, 0.0);
}

float sphereOcclusion(vec3 position, vec3 normal, vec3 centre)
{
    vec3 toCentre = centre - position;
    float distanceSquared = dot(toCentre, toCentre);
    return clamp(dot(normal, toCentre) * BALL_RADIUS * BALL_RADIUS / (distanceSquared * sqrt(distanceSquared)), 0.0, 1.0);
}

// Penumbra of a sphere over a ray towards the light, from how closely the
// ray misses the sphere against how far along it passes: 1 lit, 0 shadowed.
float sphereShadow(vec3 origin, vec3 direction, vec3 centre)
{
    vec3 fromCentre = origin - centre;
    float b = dot(fromCentre, direction);
    float miss = b * b - dot(fromCentre, fromCentre) + BALL_RADIUS * BALL_RADIUS;
    return b > 0.0 ? 1.0 : smoothstep(0.0, 1.0, SHADOW_SOFTNESS * miss / b);
}

vec3 pointLight(vec3 position, vec3 normal, out vec3 lightDirection)
{
    vec3 toLight = LIGHT_POSITION - position;
    float distanceSquared = dot(toLight, toLight);
    lightDirection = toLight * inversesqrt(distanceSquared);
    return LIGHT_COLOUR / (distanceSquared + LIGHT_FALLOFF_OFFSET) * max(dot(normal, lightDirection), 0.0);
}

vec3 ambientLight(vec3 normal)
{
    return mix(AMBIENT_FROM_BELOW, AMBIENT_FROM_ABOVE, normal.y * 0.5 + 0.5);
}

float hash(vec3 cell)
{
    cell = fract(cell * 0.1031);
    cell += dot(cell, cell.zyx + 31.32);
    return fract((cell.x + cell.y) * cell.z);
}

vec3 skyColour(vec3 direction)
{
    vec3 colour = mix(vec3(0.004, 0.002, 0.014), vec3(0.03, 0.012, 0.07), direction.y * 0.5 + 0.5);
    float star = hash(floor(direction * 420.0));
    // Each star twinkles on a triangle wave of its own phase.
    float twinkle = 0.55 + 0.45 * abs(fract(iTime * STAR_TWINKLE_PER_SECOND + star * 97.0) * 2.0 - 1.0);
    return colour + vec3(0.8, 0.85, 1.0) * smoothstep(0.9965, 0.9995, star) * twinkle;
}

// What the room shows in a mirror, by direction alone: the back or a side
// wall, darker downwards, and the lamp overhead.
vec3 roomSeenToward(vec3 direction)
{
    vec3 wall = abs(direction.z) > abs(direction.x) ? BACK_WALL_TINT : SIDE_WALL_TINT;
    return mix(wall * (0.45 + 0.35 * direction.y), LIGHT_PANEL_GLOW, smoothstep(0.82, 0.9, direction.y));
}

// What a reflection shows: a ball in its flat colour, lit from above, or
// else the room by direction; the panel is left out.
vec3 reflectedColour(Hit hit, vec3 direction)
{
    vec3 albedo = hit.material == BALL1 ? BALL1_AVERAGE : hit.material == BALL2 ? BALL2_AVERAGE : BALL3_AVERAGE;
    vec3 ball = albedo * (0.25 + 0.45 * (hit.normal.y + 1.0));
    return hit.material == SKY ? roomSeenToward(direction) : ball;
}

vec3 toneMap(vec3 colour)
{
    colour = (colour * (2.51 * colour + 0.03)) / (colour * (2.43 * colour + 0.59) + 0.14);
    return sqrt(clamp(colour, 0.0, 1.0));
}

void main()
{
    vec2 screen = vec2((gl_TexCoord[0].x * 2.0 - 1.0) * RESOLUTION.x / RESOLUTION.y, 1.0 - gl_TexCoord[0].y * 2.0);
    vec3 eye;
    vec3 forward;
    vec3 right;
    vec3 up;
    float focal;
    placeCamera(eye, forward, right, up, focal);
    vec3 direction = normalize(screen.x * right + screen.y * up + focal * forward);
    float floorLevel = floorY();

    // The panel stands upright and turns to face the eye, so the page reads
    // from every side.
    vec2 towardEye = normalize(eye.xz - creditPos.xz);
    vec3 facing = vec3(towardEye.x, 0.0, towardEye.y);
    vec3 across = vec3(towardEye.y, 0.0, -towardEye.x);

    Hit hit = trace(eye, direction, floorLevel, facing, across);
    vec3 position = eye + direction * min(hit.t, NO_HIT);
    vec3 n = hit.normal;
    bool onBall = hit.material >= BALL1 && hit.material <= BALL3;

    // Every lookup runs for every pixel, outside any condition, which keeps
    // the renderer on its fast sampling path.
    vec3 skin = ballSkin(hit);
    vec3 tiles = roomAlbedo(position, n);
    vec3 page = decodeGamma(texture2D(creditsTex, hit.material == PANEL ? hit.pagePosition : vec2(0.5)).rgb);
    vec3 albedo = onBall ? skin : hit.material == ROOM ? tiles : vec3(0.0);
    vec3 glow = hit.material == PANEL ? page : ceilingGlow(position, n);

    vec3 lightDirection;
    vec3 light = pointLight(position, n, lightDirection);
    vec3 shadowOrigin = position + n * SURFACE_OFFSET;
    float lit = min(min(sphereShadow(shadowOrigin, lightDirection, ballPos1),
                        sphereShadow(shadowOrigin, lightDirection, ballPos2)),
                    sphereShadow(shadowOrigin, lightDirection, ballPos3));
    float occlusion = (1.0 - sphereOcclusion(position, n, ballPos1)) * (1.0 - sphereOcclusion(position, n, ballPos2))
                    * (1.0 - sphereOcclusion(position, n, ballPos3)) * cornerOcclusion(position, n, floorLevel);

    vec3 mirrored = reflect(direction, n);
    float highlight = max(dot(mirrored, lightDirection), 0.0);
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    float shine = onBall ? 1.6 : hit.material == ROOM ? 0.12 : 0.0;
    vec3 colour = light * lit * (albedo + shine * highlight) + ambientLight(n) * albedo * occlusion + glow;

    // One bounce: balls mirror as clear-coated plastic, the floor as polished tiles.
    Hit bounce = traceBalls(shadowOrigin, mirrored, NO_HIT);
    vec3 bounceColour = reflectedColour(bounce, mirrored);
    float facingRatio = 1.0 - max(dot(n, -direction), 0.0);
    float facingRatio2 = facingRatio * facingRatio;
    float fresnel = facingRatio2 * facingRatio2 * facingRatio;
    float baseReflectance = onBall ? 0.1 : n.y > 0.5 ? 0.18 : 0.04;
    float reflectance = hit.material == PANEL ? 0.0 : (baseReflectance + (1.0 - baseReflectance) * fresnel) * occlusion;
    colour = mix(colour, bounceColour, reflectance);

    colour = hit.material == SKY ? skyColour(direction) : colour;
    vec2 fromCentre = screen * vec2(0.56, 1.0);
    float vignette = 1.0 - 0.2 * dot(fromCentre, fromCentre);
    gl_FragColor = vec4(toneMap(colour) * vignette, 1.0);
}
