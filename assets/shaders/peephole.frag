// An intro title card that bounces like the show's balls on a floor of
// light, through a drifting rainbow: it lands once a second, on the "lo"'s
// mallet notes, squashing and lighting up, and each landing sends a rainbow
// ripple out over the floor. Its hops are highest as the card comes full,
// with the top of the "lo"'s swell and its top note, and then settle to
// small ones. The look repeats with the length of the stage that shows a
// card, so it carries on unbroken when the card's leaving stage starts the
// seconds again at 0.
// Uniforms:
//   sampler2D currentTexture  the card: its alpha is the shape, and the rainbow
//                             is multiplied into its greys
//   sampler2D bgTexture       the rainbow, a repeated texture
//   float xOffset             seconds spent in the intro's current stage,
//                             driving the hops
//   float yOffset             the same seconds, driving the rainbow's flow
#version 120

uniform sampler2D currentTexture;
uniform sampler2D bgTexture;
uniform float xOffset;
uniform float yOffset;

const float TWO_PI = 6.2831853;
const float LOOK_PERIOD_SECONDS = 5.0;
const vec2 CARD_PIXELS = vec2(1800.0, 800.0);
const float RAINBOW_PIXELS = 512.0;
// Whole hops and whole rainbow widths a period, so both meet their start again.
const float HOPS_PER_PERIOD = 5.0;
const float RAINBOW_FLOW_PER_PERIOD = 3.0;
// The hops' height, eased from its rest to its peak and back over a period.
const float HOP_REST_PIXELS = 40.0;
const float HOP_PEAK_PIXELS = 80.0;
const float PEAK_AT_SECONDS = 2.0;
// Every card's title stands with its foot on this line, the floor.
const float FOOT_PIXELS = 600.0;
// Landing, the title squashes onto the floor, as much as its hop was high,
// and widens half as much; the squash is over after this much of a hop on
// either side.
const float SQUASH_AT_PEAK = 0.06;
const float SQUASH_HOP_SHARE = 0.1;
const float FLASH_SECONDS = 0.15;
const vec3 FLASH_COLOUR = vec3(1.0, 0.97, 0.9) * 0.5;
// The ripple: two rings on the floor, seen from above it at a slant, that run
// out from under the title over a hop, slowing and fading as they go, the
// second behind the first and fainter.
const float RIPPLE_REACH_PIXELS = 860.0;
const float RIPPLE_SLANT = 0.2;
const float RIPPLE_WIDTH_PIXELS = 32.0;
const float SECOND_RING_REACH = 0.55;
const float SECOND_RING_LEVEL = 0.6;

void main()
{
    vec2 pixel = gl_TexCoord[0].xy * CARD_PIXELS;
    float period = fract(xOffset / LOOK_PERIOD_SECONDS);
    float swell = pow(0.5 + 0.5 * cos(TWO_PI * (period - PEAK_AT_SECONDS / LOOK_PERIOD_SECONDS)), 3.0);
    float strength = mix(HOP_REST_PIXELS, HOP_PEAK_PIXELS, swell) / HOP_PEAK_PIXELS;

    // Where the title is in its hop: 0 as it leaves the ground, 1 as it lands.
    float hop = fract(HOPS_PER_PERIOD * period);
    float lift = strength * HOP_PEAK_PIXELS * 4.0 * hop * (1.0 - hop);
    float nearGround = 1.0 - smoothstep(0.0, SQUASH_HOP_SHARE, min(hop, 1.0 - hop));
    float squash = 1.0 - SQUASH_AT_PEAK * strength * nearGround;
    vec2 source = vec2(CARD_PIXELS.x * 0.5 + (pixel.x - CARD_PIXELS.x * 0.5) * (1.0 + squash) * 0.5,
                       FOOT_PIXELS + (pixel.y + lift - FOOT_PIXELS) / squash);
    vec4 card = texture2D(currentTexture, source / CARD_PIXELS);

    float flow = fract(yOffset / LOOK_PERIOD_SECONDS) * RAINBOW_FLOW_PER_PERIOD;
    vec3 rainbow = texture2D(bgTexture, pixel / RAINBOW_PIXELS + vec2(flow, 0.0)).rgb;
    float flash = exp(-hop * LOOK_PERIOD_SECONDS / HOPS_PER_PERIOD / FLASH_SECONDS) * strength;

    float toGo = 1.0 - hop;
    float rippleRadius = RIPPLE_REACH_PIXELS * (1.0 - toGo * toGo);
    float fromCentre = length((pixel - vec2(CARD_PIXELS.x * 0.5, FOOT_PIXELS)) / vec2(1.0, RIPPLE_SLANT));
    vec2 offRings = (vec2(fromCentre) - vec2(1.0, SECOND_RING_REACH) * rippleRadius) / RIPPLE_WIDTH_PIXELS;
    vec2 rings = exp(-offRings * offRings) * vec2(1.0, SECOND_RING_LEVEL);
    float ripple = strength * (rings.x + rings.y) * toGo;

    // The title over the ripple.
    vec3 colour = (rainbow + FLASH_COLOUR * flash) * card.rgb * card.a + rainbow * ripple * (1.0 - card.a);
    float alpha = card.a + ripple * (1.0 - card.a);
    gl_FragColor = vec4(colour / max(alpha, 1e-4), alpha) * gl_Color;
}
