#pragma once
// The full-screen fade to and from black.

#include <SFML/Graphics.hpp>

#include <cstdint>

enum class FadeMode : std::int32_t {
    Idle = 0,
    ToBlack = 1,
    FromBlack = 2,
};

struct ScreenFade {
    float level = 0.0f;  // 0 invisible, 1 fully black
    float speed = 0.0f;  // change of level per second
    FadeMode mode = FadeMode::Idle;
};

extern ScreenFade screenFade;

// Starts a two-second fade, to black from clear or from black to clear.
void startFade(FadeMode mode);

// Moves the running fade on by dt and stops it exactly at 0 or 1.
void advanceFade(float dt);

// The overlay's alpha for a level: level * 255 truncated, low 8 bits.
sf::Uint8 overlayAlpha(float level);

// Draws fadeSprite over the target at the fade's alpha and gives the
// sprite its own alpha back; without the sprite there is no overlay.
void drawFadeOverlay(sf::RenderTarget& target);
