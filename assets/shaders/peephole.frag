// An intro title card filled with a drifting rainbow, with a glint that
// sweeps across it once a stage. The look repeats with the length of the
// stage that shows a card, so it carries on unbroken when the card's
// leaving stage starts the seconds again at 0.
// Uniforms:
//   sampler2D currentTexture  the card: its alpha is the shape, and the rainbow
//                             is multiplied into its greys
//   sampler2D bgTexture       the rainbow, a repeated texture
//   float xOffset             seconds spent in the intro's current stage
//   float yOffset             the same seconds, driving the vertical sway
#version 120

uniform sampler2D currentTexture;
uniform sampler2D bgTexture;
uniform float xOffset;
uniform float yOffset;

const float TWO_PI = 6.2831853;
const float LOOK_PERIOD_SECONDS = 5.0;
// Cards are 1800 x 600 pixels.
const float CARD_ASPECT = 3.0;
// A 600-pixel card over a 512-pixel rainbow.
const float RAINBOW_REPEATS_PER_CARD_HEIGHT = 1.17;
// Whole rainbow widths a period, so the drift meets its start again.
const float RAINBOW_DRIFT_PER_PERIOD = 1.0;
const float RAINBOW_SWAY = 0.12;
// The glint crosses the card, in card widths along the diagonal, within
// this part of the period, and stands off the card the rest of the time.
const float GLINT_START = 0.12;
const float GLINT_END = 0.62;
const float GLINT_WIDTH = 0.06;
const float GLINT_SLANT = 0.35;
const vec3 GLINT_COLOUR = vec3(1.0, 0.97, 0.9) * 0.9;

void main()
{
    vec2 cardPosition = gl_TexCoord[0].xy;
    vec4 card = texture2D(currentTexture, cardPosition);

    vec2 phase = fract(vec2(xOffset, yOffset) / LOOK_PERIOD_SECONDS);
    vec2 drift = vec2(phase.x * RAINBOW_DRIFT_PER_PERIOD, RAINBOW_SWAY * sin(TWO_PI * phase.y));
    vec2 rainbowPosition = cardPosition * vec2(CARD_ASPECT, 1.0) * RAINBOW_REPEATS_PER_CARD_HEIGHT + drift;
    vec3 rainbow = texture2D(bgTexture, rainbowPosition).rgb;

    float across = cardPosition.x + GLINT_SLANT * (1.0 - cardPosition.y) / CARD_ASPECT;
    float sweep = smoothstep(GLINT_START, GLINT_END, phase.x);
    float glintAt = mix(-2.0 * GLINT_WIDTH, 1.0 + GLINT_SLANT / CARD_ASPECT + 2.0 * GLINT_WIDTH, sweep);
    float glint = exp(-abs(across - glintAt) / GLINT_WIDTH) * sweep * (1.0 - sweep) * 4.0;

    vec3 colour = (rainbow + GLINT_COLOUR * glint) * card.rgb;
    gl_FragColor = vec4(colour, card.a) * gl_Color;
}
