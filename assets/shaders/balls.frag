// The ball room: three skinned balls and the credits panel in a tiled box,
// ray traced analytically with soft shadows, ambient occlusion and one
// reflection bounce, lit in linear light. Outlines and stars blend by how
// much of each pixel they cover; every pixel gets alpha 1.
// Kept lean on purpose for software renderers, which run every branch for
// every pixel: no branches, few square roots and divisions, and all that
// depends on the uniforms alone is done in passthrough.vert.
// Uniforms:
//   sampler2D ballTex1, ballTex2, ballTex3  equirectangular ball skins (repeated)
//   sampler2D wallTex                  the tiles of walls, floor and ceiling (repeated)
//   sampler2D creditsTex               the credits page on the panel
// The rest comes from passthrough.vert, worked out from its uniforms.
#version 130

uniform sampler2D ballTex1;
uniform sampler2D ballTex2;
uniform sampler2D ballTex3;
uniform sampler2D wallTex;
uniform sampler2D creditsTex;

// What passthrough.vert hands over, as it declares and explains them.
noperspective in vec3 rayDirection;
noperspective in float pixelsPerRadian;
flat in vec3 eyePosition;
flat in vec3 ball1;
flat in vec3 ball2;
flat in vec3 ball3;
flat in vec3 ballRadiiSquared;
flat in vec3 ballInverseRadii;
flat in vec3 ballShadowScales;
flat in vec3 eyePowers;
flat in vec3 skinTurns;
flat in vec3 roomLow;
flat in vec3 roomHigh;
flat in vec3 wallsNearest;
flat in float panelPlane;
flat in vec3 panelFacing;
flat in vec3 panelAcross;
flat in vec3 panelUp;
flat in vec2 panelShift;
flat in vec2 panelHalfSize;
flat in vec2 pageOrigin;
flat in vec2 pageSpan;
flat in float pageLight;

const float PI = 3.14159265;
const float NO_HIT = 1.0e4;
// The wall nearest the eye is cut away closer to the eye than this, with an
// edge as sharp as a film set's wall end: as the eye nears a wall's plane
// the wall opens from its near end over many frames instead of narrowing
// to a sliver in a few.
const float WALL_CUT_DISTANCE = 20.0;
const float WALL_CUT_BLUR = 0.3;

// The tile texture, two by two tiles, covers 2 x 2 units.
const float TILE_WORLD_SIZE = 2.0;

const vec3 LIGHT_POSITION = vec3(0.0, 7.2, 3.0);
const vec3 LIGHT_COLOUR = vec3(1.0, 0.92, 0.8) * 120.0;
const float LIGHT_FALLOFF_OFFSET = 24.0;
const vec3 LIGHT_PANEL_GLOW = vec3(1.0, 0.95, 0.88) * 4.0;
const vec3 AMBIENT_FROM_ABOVE = vec3(0.42, 0.46, 0.62) * 0.55;
const vec3 AMBIENT_FROM_BELOW = vec3(0.5, 0.42, 0.4) * 0.3;
const float SHADOW_SOFTNESS = 5.0;
const float PANEL_SHADOW_SHARPNESS = 1.5;
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

// The sky in display values, below and overhead: the tone curve is all
// but straight over its narrow range, so it is blended after the curve.
const vec3 SKY_LOW_SHOWN = vec3(0.0335, 0.0223, 0.0783);
const vec3 SKY_HIGH_SHOWN = vec3(0.1406, 0.07, 0.273);
// Stars sit in cells on the faces of a cube round the eye, STAR_CELLS from
// a face's centre to its edge (half a cell over a whole number, so that no
// face wavers between two cells); a share of the cells hold a small disc.
const float STAR_CELLS = 140.5;
const float STAR_SHARE = 0.02;
const float STAR_RADIUS = 0.25;
// What the brightest star adds to the sky's display value.
const float STAR_SHOWN = 1.0;
vec3 decodeGamma(vec3 colour)
{
    return colour * colour;
}

// Distance along a unit ray from the eye to a ball's near side, or NO_HIT;
// the centre is relative to the eye.
float ballEntry(vec3 direction, vec3 centre, float eyePower)
{
    float b = dot(centre, direction);
    float h = b * b - eyePower;
    return (h > 0.0 && b > 0.0) ? b - sqrt(h) : NO_HIT;
}

// The ray's exit through the box (corners relative to the eye), so that walls
// before an outside camera are cut away; inside measures the distance to the
// box's outline, negative where the ray misses.
float roomExit(vec3 direction, vec3 lowCorner, vec3 highCorner, out vec3 normal, out float inside)
{
    // The nudge keeps an axis-parallel ray finite.
    vec3 nudged = direction + vec3(1.0e-9);
    vec3 inverse = 1.0 / nudged;
    vec3 t0 = lowCorner * inverse;
    vec3 t1 = highCorner * inverse;
    vec3 exits = max(t0, t1);
    vec3 entries = min(t0, t1);
    float tNear = max(max(entries.x, entries.y), entries.z);
    float tFar = min(min(exits.x, exits.y), exits.z);
    normal = -sign(direction) * step(exits, vec3(tFar));
    inside = tFar - max(tNear, 0.0);
    return tFar;
}

// The panel faces the eye: the distance to its plane or NO_HIT, the point
// of the page met and how far inside the outline it lies.
float panelHit(vec3 direction, out vec2 pagePosition, out float inside)
{
    float approach = dot(direction, panelFacing);
    float t = panelPlane / (abs(approach) > 1.0e-5 ? approach : 1.0e-5);
    vec2 planar = vec2(dot(direction, panelAcross), dot(direction, panelUp)) * t - panelShift;
    pagePosition = pageOrigin + pageSpan * planar;
    vec2 margins = panelHalfSize - abs(planar);
    inside = min(margins.x, margins.y);
    return t > 0.0 ? t : NO_HIT;
}

// Of three values, one for each ball, ball's (1 to 3; any other takes the third's).
float ofBall(int ball, vec3 values)
{
    return ball == 1 ? values.x : ball == 2 ? values.y : values.z;
}

vec3 ofBall(int ball, vec3 value1, vec3 value2, vec3 value3)
{
    return ball == 1 ? value1 : ball == 2 ? value2 : value3;
}

// atan(y, x) / 2 pi, within a thousandth of a turn: a third of a skin texel.
float turnsAround(float y, float x)
{
    vec2 size = abs(vec2(x, y));
    float larger = max(max(size.x, size.y), 1.0e-6);
    float ratio = min(size.x, size.y) / larger;
    float octant = ratio * (0.125 + 0.0435 * (1.0 - ratio));
    float quadrant = size.y > size.x ? 0.25 - octant : octant;
    float upper = x < 0.0 ? 0.5 - quadrant : quadrant;
    return y < 0.0 ? -upper : upper;
}

// acos(y) / pi: 0 at the top pole, 1 at the bottom one.
float latitudeFromTop(float y)
{
    float size = min(abs(y), 1.0);
    float fromPole = sqrt(1.0 - size) * (1.5707288 + size * (-0.2121144 + size * (0.074261 - 0.0187293 * size)))
                   * (1.0 / PI);
    return y < 0.0 ? 1.0 - fromPole : fromPole;
}

// The skins turn about the upright axis with the ball's travel, so the belt
// with the name stays level and readable. Lookups away from their own ball
// read one fixed texel, which costs little.
vec3 ballSkin(int ball, float turns, vec3 normal)
{
    vec2 skinPosition = vec2(turnsAround(normal.x, normal.z) + 0.75 - turns, latitudeFromTop(normal.y));
    vec2 unused = vec2(0.5);
    vec3 skin1 = texture2D(ballTex1, ball == 1 ? skinPosition : unused).rgb;
    vec3 skin2 = texture2D(ballTex2, ball == 2 ? skinPosition : unused).rgb;
    vec3 skin3 = texture2D(ballTex3, ball == 3 ? skinPosition : unused).rgb;
    return decodeGamma(ofBall(ball, skin1, skin2, skin3));
}

vec3 roomAlbedo(vec3 position, vec3 normal)
{
    vec3 across = abs(normal);
    vec2 tilePosition = (across.x * position.zy + across.y * position.xz + across.z * position.xy) * (1.0 / TILE_WORLD_SIZE);
    vec3 tint = normal.y > 0.5 ? FLOOR_TINT : normal.y < -0.5 ? CEILING_TINT
              : across.z > 0.5 ? BACK_WALL_TINT : SIDE_WALL_TINT;
    return decodeGamma(texture2D(wallTex, tilePosition).rgb) * tint;
}

// Darkening near the edges that the cameras see: each of the floor, the
// back wall and the side walls shades what faces it closely. The position
// is relative to the eye, as are the room's corners.
float cornerOcclusion(vec3 position, vec3 normal)
{
    vec3 nearLow = max(1.0 - (position - roomLow) * (1.0 / CORNER_OCCLUSION_REACH), 0.0);
    float nearRight = max(1.0 - (roomHigh.x - position.x) * (1.0 / CORNER_OCCLUSION_REACH), 0.0);
    float occlusion = dot(1.0 - normal, nearLow * nearLow) + (1.0 + normal.x) * nearRight * nearRight;
    return max(1.0 - CORNER_OCCLUSION_STRENGTH * occlusion, 0.0);
}

// What one ball leaves of the lamp's light (x) and of the sky (y) at a point
// `away` from its centre; the penumbra grows with the ray's clearance and
// with the ball's size (shadowScale: full size squared over the drawn one).
vec2 ballShade(vec3 away, float distanceSquared, float inverseDistance, float radiusSquared, float shadowScale,
               vec3 normal, vec3 lightDirection)
{
    float along = dot(away, lightDirection);
    float clearance = (distanceSquared - along * along - radiusSquared) * inverseDistance;
    float lit = clamp(SHADOW_SOFTNESS * clearance * shadowScale, 0.0, 1.0);
    float hidden = -dot(normal, away) * radiusSquared * inverseDistance * inverseDistance * inverseDistance;
    return vec2(along > 0.0 ? 1.0 : lit * lit * (3.0 - 2.0 * lit), 1.0 - clamp(hidden, 0.0, 1.0));
}

float hash(vec3 cell)
{
    cell = fract(cell * 0.1031);
    cell += dot(cell, cell.zyx + 31.32);
    return fract((cell.x + cell.y) * cell.z);
}

vec3 skyShown(vec3 direction)
{
    return mix(SKY_LOW_SHOWN, SKY_HIGH_SHOWN, direction.y * 0.5 + 0.5);
}

// The brightness of the star in the direction's cell (0 for none), and in y
// how much of the pixel its disc covers; pixelsPerRadian is the inverse of
// a pixel's width in radians.
vec2 star(vec3 direction, float pixelsPerRadian)
{
    vec3 across = abs(direction);
    float largest = max(max(across.x, across.y), across.z);
    vec3 onFace = direction * (STAR_CELLS / largest);
    vec3 cell = floor(onFace);
    float chance = hash(cell);
    float brightness = max(chance - (1.0 - STAR_SHARE), 0.0) * (1.0 / STAR_SHARE);
    // Off the cell's centre by up to a quarter of the cell, drawn from the same hash.
    vec3 offset = onFace - cell - 0.25 - 0.5 * fract(chance * vec3(397.0, 613.0, 211.0));
    // A cell spans about largest / STAR_CELLS radians. Near the rim the
    // distance inside the disc is (radius squared - offset squared) / 2 radius,
    // which needs no square root.
    float pixelsPerCell = pixelsPerRadian * largest * (1.0 / STAR_CELLS);
    float inside = (STAR_RADIUS * STAR_RADIUS - dot(offset, offset)) * (0.5 / STAR_RADIUS);
    return vec2(brightness, clamp(inside * pixelsPerCell + 0.5, 0.0, 1.0));
}

// How much of the pixel lies inside an outline, from the distance to it in
// pixels; far outside, where the distance leaps, it is held at one unit.
float coverage(float inside)
{
    inside = max(inside, -1.0);
    vec2 change = vec2(dFdx(inside), dFdy(inside));
    return clamp(inside / sqrt(dot(change, change) + 1.0e-20) + 0.5, 0.0, 1.0);
}

// What the room shows in a mirror, by direction alone: the back or a side
// wall, darker downwards, and the lamp overhead.
vec3 roomSeenToward(vec3 direction)
{
    vec3 wall = abs(direction.z) > abs(direction.x) ? BACK_WALL_TINT : SIDE_WALL_TINT;
    return mix(wall * (0.45 + 0.35 * direction.y), LIGHT_PANEL_GLOW, smoothstep(0.82, 0.9, direction.y));
}

// A filmic curve, top / bottom, encoded with gamma 2.
vec3 toneMap(vec3 colour)
{
    colour = max(colour, 0.0);
    vec3 top = colour * (2.51 * colour + 0.03);
    vec3 bottom = colour * (2.43 * colour + 0.59) + 0.14;
    // One division serves all three channels: each bottom's inverse is the
    // product of the other two over that of all three.
    vec3 others = bottom.yzx * bottom.zxy;
    return min(sqrt(top * others * (1.0 / (bottom.x * others.x))), 1.0);
}

// Smooth grain of up to GRAIN_LEVELS in the brightness of the dark sky,
// fading out through the mid tones (as film grain shows in the shadows) and
// none on the panel's page: finer or fainter grain the party's video
// encoder flattens back into bands in the dark sky, and grain on the lit
// walls or the page would look like dirt, and would flicker as the camera
// moves. It is fixed to the directions round the eye, as the stars are, so
// that it travels with the sky: on the face of a cube round the eye, in
// cells of about 4 pixels at the credits view's 1,970 pixels per radian.
const float GRAIN_LEVELS = 14.0;
const vec2 GRAIN_DARKNESS = vec2(0.4, 0.9);  // where it begins and where it is full
const float GRAIN_CELLS_PER_RADIAN = 1970.0 / 4.0;

// Gradient noise, about -1 to 1: nought at the cells' corners and sloping
// through them, where value noise would lie flat in patches that hold one
// level for many pixels.
float gradientNoise(vec2 at)
{
    vec2 cell = floor(at);
    vec2 f = at - cell;
    // Each corner's slope across and up, both drawn from its hash.
    vec4 across = vec4(hash(vec3(cell, 0.0)), hash(vec3(cell + vec2(1.0, 0.0), 0.0)),
                       hash(vec3(cell + vec2(0.0, 1.0), 0.0)), hash(vec3(cell + 1.0, 0.0)));
    vec4 up = fract(across * 37.0) * 2.0 - 1.0;
    across = across * 2.0 - 1.0;
    vec4 corners = across * vec4(f.x, f.x - 1.0, f.x, f.x - 1.0) + up * vec4(f.y, f.y, f.y - 1.0, f.y - 1.0);
    vec2 w = f * f * f * (f * (f * 6.0 - 15.0) + 10.0);
    vec2 down = mix(corners.xz, corners.yw, w.x);
    return 1.6 * mix(down.x, down.y, w.y);
}

vec3 grainOffset(vec3 direction, vec3 shown, float panelCover)
{
    float darkness = 1.0 - dot(shown, vec3(0.3, 0.59, 0.11));
    // Worked out everywhere: skipping it where the strength is nought costs
    // the software renderer more, as neighbouring pixels part ways.
    float strength = smoothstep(GRAIN_DARKNESS.x, GRAIN_DARKNESS.y, darkness) * (1.0 - panelCover);
    vec3 across = abs(direction);
    vec2 onFace = across.x > max(across.y, across.z) ? direction.yz
                : across.y > across.z ? direction.zx : direction.xy;
    return vec3(gradientNoise(onFace * GRAIN_CELLS_PER_RADIAN) * (GRAIN_LEVELS / 255.0) * strength);
}

// What the panel leaves of the lamp's light at a point: its shadow, softer
// where the light runs closer to the panel's plane; none while the panel
// waits off its swing or hangs beyond the lamp. Worked without a division:
// every distance along the light is scaled by how squarely it meets the plane.
float panelShade(vec3 fromEye, vec3 lightDirection, float lightDistance)
{
    if (panelPlane == 0.0) return 1.0;
    float approach = dot(lightDirection, panelFacing);
    float toPlane = panelPlane - dot(fromEye, panelFacing);  // the way along the light to the plane, times approach
    vec2 planar = (vec2(dot(fromEye, panelAcross), dot(fromEye, panelUp)) - panelShift) * approach
                + vec2(dot(lightDirection, panelAcross), dot(lightDirection, panelUp)) * toPlane;
    vec2 margins = panelHalfSize * abs(approach) - abs(planar);
    float shadow = clamp(min(margins.x, margins.y) * PANEL_SHADOW_SHARPNESS + 0.5, 0.0, 1.0);
    bool between = toPlane * approach > 0.0 && abs(toPlane) < lightDistance * abs(approach);
    return between ? 1.0 - shadow : 1.0;
}

// What the ray meets: the nearest of the room and the balls, and over it
// the panel.
struct Hit {
    bool onBall;
    int ball;            // the nearest ball, met or not
    vec3 fromEye;        // the point met
    vec3 normal;
    float roomCover;     // how much of the pixel the room or a ball covers; the rest is sky
    vec2 pagePosition;   // the point of the page met
    float panelCover;    // how much of the pixel the panel covers, over all else
};

Hit hit(vec3 direction)
{
    // Beside the room's outline the room is carried on a little way, so
    // that edge pixels can blend the room with the sky.
    vec3 n;
    float boxInside;
    float tRoom = roomExit(direction, roomLow, roomHigh, n, boxInside);
    // The wall the ray leaves the room by: its normal points back in, so
    // towards +x or +z for a wall at roomLow.
    float nearestWall = dot(max(n * wallsNearest, 0.0), vec3(1.0));
    float wallShown = 1.0 - nearestWall * clamp((WALL_CUT_DISTANCE - tRoom) / WALL_CUT_BLUR + 0.5, 0.0, 1.0);
    float roomCover = coverage(boxInside) * wallShown;
    float t1 = ballEntry(direction, ball1, eyePowers.x);
    float t2 = ballEntry(direction, ball2, eyePowers.y);
    float t3 = ballEntry(direction, ball3, eyePowers.z);
    float tBall = min(t1, min(t2, t3));
    Hit h;
    h.ball = t1 == tBall ? 1 : t2 == tBall ? 2 : 3;

    float panelInside;
    float tPanel = panelHit(direction, h.pagePosition, panelInside);
    float panelCover = coverage(panelInside);
    h.panelCover = tPanel <= tBall && tPanel < NO_HIT ? panelCover : 0.0;

    h.onBall = tBall < tRoom;
    float t = clamp(min(tRoom, tBall), 0.0, NO_HIT);
    h.fromEye = direction * t;
    h.normal = h.onBall ? (h.fromEye - ofBall(h.ball, ball1, ball2, ball3)) * ofBall(h.ball, ballInverseRadii) : n;
    h.roomCover = h.onBall ? 1.0 : roomCover;
    return h;
}

// What the three balls leave of the lamp's light (x) and of the sky (y) at
// a point. One division serves the inverse distances to the balls, each the
// product of the other two distances over that of all three.
vec2 ballsShade(vec3 fromEye, vec3 n, vec3 lightDirection)
{
    vec3 away1 = fromEye - ball1;
    vec3 away2 = fromEye - ball2;
    vec3 away3 = fromEye - ball3;
    vec3 distancesSquared = vec3(dot(away1, away1), dot(away2, away2), dot(away3, away3));
    vec3 distances = sqrt(distancesSquared);
    vec3 otherDistances = distances.yzx * distances.zxy;
    vec3 inverseDistances = otherDistances * (1.0 / (distances.x * otherDistances.x));
    return ballShade(away1, distancesSquared.x, inverseDistances.x, ballRadiiSquared.x, ballShadowScales.x, n,
                     lightDirection)
         * ballShade(away2, distancesSquared.y, inverseDistances.y, ballRadiiSquared.y, ballShadowScales.y, n,
                     lightDirection)
         * ballShade(away3, distancesSquared.z, inverseDistances.z, ballRadiiSquared.z, ballShadowScales.z, n,
                     lightDirection);
}

// The point met, in linear light: lit by the lamp, shaded by the balls and
// the corners, with one bounce.
vec3 shade(Hit h, vec3 direction)
{
    vec3 n = h.normal;
    vec3 position = eyePosition + h.fromEye;
    // Every lookup runs for every pixel, outside any condition, which keeps
    // the renderer on its fast sampling path.
    vec3 skin = ballSkin(h.onBall ? h.ball : 0, ofBall(h.ball, skinTurns), n);
    vec3 tiles = roomAlbedo(position, n);
    vec3 albedo = h.onBall ? skin : tiles;

    // One division serves the lamp's direction and falloff.
    vec3 toLight = LIGHT_POSITION - position;
    float lightDistanceSquared = dot(toLight, toLight);
    float lightDistance = sqrt(lightDistanceSquared);
    float falloffBelow = lightDistanceSquared + LIGHT_FALLOFF_OFFSET;
    float lightShare = 1.0 / (lightDistance * falloffBelow);
    vec3 lightDirection = toLight * (falloffBelow * lightShare);
    vec3 light = LIGHT_COLOUR * (max(dot(n, lightDirection), 0.0) * lightDistance * lightShare);
    vec2 shadows = ballsShade(h.fromEye, n, lightDirection);
    float occlusion = shadows.y * cornerOcclusion(h.fromEye, n);

    vec3 mirrored = reflect(direction, n);
    float highlight = max(dot(mirrored, lightDirection), 0.0);
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    highlight *= highlight;
    float shine = h.onBall ? BALL_SHINE : TILE_SHINE;
    vec3 ambient = mix(AMBIENT_FROM_BELOW, AMBIENT_FROM_ABOVE, n.y * 0.5 + 0.5);
    float lit = shadows.x * panelShade(h.fromEye, lightDirection, lightDistance);
    vec3 colour = light * lit * (albedo + shine * highlight) + ambient * albedo * occlusion;

    // One bounce: balls mirror as clear-coated plastic, the floor as polished
    // tiles, and both show the room by direction; the lamp shows only
    // there, since no camera sees the ceiling around it.
    float grazing = 1.0 - max(dot(n, -direction), 0.0);
    float grazingSquared = grazing * grazing;
    float fresnel = grazingSquared * grazingSquared * grazing;
    float baseReflectance = h.onBall ? BALL_REFLECTANCE : n.y > 0.5 ? FLOOR_REFLECTANCE : WALL_REFLECTANCE;
    float reflectance = (baseReflectance + (1.0 - baseReflectance) * fresnel) * occlusion;
    return mix(colour, roomSeenToward(mirrored), reflectance);
}

// The pixel in display values. Edges blend by how much of the pixel each
// side covers, as a finer raster would average them: the room with the sky
// and its stars, and the panel over both.
vec3 compose(vec3 colour, Hit h, vec3 direction)
{
    // The page glows by itself, shown as it is painted; its clear corners
    // show what lies behind.
    vec4 page = texture2D(creditsTex, h.panelCover > 0.0 ? h.pagePosition : vec2(0.5));
    float pageCover = h.panelCover * page.a;
    vec2 shining = star(direction, pixelsPerRadian);
    // A star adds a curve of its brightness that rises steeply and flattens,
    // much as the tone curve would spread it, without a square root.
    float starShown = STAR_SHOWN * shining.x * (2.0 - shining.x) * shining.y;
    vec3 behindPanel = mix(toneMap(colour), skyShown(direction) + starShown, 1.0 - h.roomCover);
    vec3 shown = mix(behindPanel, page.rgb * pageLight, pageCover);
    return shown + grainOffset(direction, shown, h.panelCover);
}

void main()
{
    vec3 direction = normalize(rayDirection);
    Hit h = hit(direction);
    gl_FragColor = vec4(compose(shade(h, direction), h, direction), 1.0);
}
