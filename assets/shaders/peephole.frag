// An intro title card filled with a drifting rainbow, shown through a
// peephole that opens from the card's centre at the start of every stage;
// outside the hole the card waits as a dim silhouette.
// Uniforms:
//   sampler2D currentTexture  the card: its alpha is the shape, and the rainbow
//                             is multiplied into its greys
//   sampler2D bgTexture       the rainbow, a repeated texture
//   float xOffset             seconds spent in the intro's current stage
//   float yOffset             the same seconds, driving the vertical drift
#version 120

uniform sampler2D currentTexture;
uniform sampler2D bgTexture;
uniform float xOffset;
uniform float yOffset;

// Cards are 1800 x 600 pixels.
const float CARD_ASPECT = 3.0;
// A 600-pixel card over a 512-pixel rainbow.
const float RAINBOW_REPEATS_PER_CARD_HEIGHT = 1.17;
// Rainbow widths per second.
const vec2 RAINBOW_DRIFT_PER_SECOND = vec2(0.21, 0.07);
const float PEEPHOLE_OPENING_SECONDS = 2.4;
// In card heights: from the centre past the far corners, edge included.
const float PEEPHOLE_FULL_RADIUS = 1.8;
const float PEEPHOLE_EDGE_WIDTH = 0.1;
const float RIM_WIDTH = 0.025;
const vec3 RIM_COLOUR = vec3(1.0, 0.97, 0.9);
const vec3 SILHOUETTE_TINT = vec3(0.34, 0.32, 0.46);
const float SILHOUETTE_OPACITY = 0.6;

void main()
{
    vec2 cardPosition = gl_TexCoord[0].xy;
    vec4 card = texture2D(currentTexture, cardPosition);

    vec2 rainbowPosition = cardPosition * vec2(CARD_ASPECT, 1.0) * RAINBOW_REPEATS_PER_CARD_HEIGHT
                         + vec2(xOffset, yOffset) * RAINBOW_DRIFT_PER_SECOND;
    vec3 rainbow = texture2D(bgTexture, rainbowPosition).rgb;

    float opening = clamp(xOffset / PEEPHOLE_OPENING_SECONDS, 0.0, 1.0);
    float easedOpening = 1.0 - pow(1.0 - opening, 3.0);
    float radius = PEEPHOLE_FULL_RADIUS * easedOpening;
    float distanceFromCentre = length((cardPosition - 0.5) * vec2(CARD_ASPECT, 1.0));
    float inside = 1.0 - smoothstep(radius - PEEPHOLE_EDGE_WIDTH, radius, distanceFromCentre);
    // A bright rim runs along the opening edge and fades as the hole completes.
    float rim = exp(-abs(distanceFromCentre - radius + PEEPHOLE_EDGE_WIDTH * 0.5) / RIM_WIDTH)
              * (1.0 - opening);

    vec3 filled = rainbow * card.rgb + RIM_COLOUR * rim * card.rgb;
    vec3 silhouette = SILHOUETTE_TINT * card.rgb;
    vec3 colour = mix(silhouette, filled, inside);
    float opacity = card.a * mix(SILHOUETTE_OPACITY, 1.0, max(inside, rim));
    gl_FragColor = vec4(colour, opacity) * gl_Color;
}
