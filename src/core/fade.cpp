#include "core/fade.h"

#include "core/app.h"

static constexpr float SCENE_FADE_SPEED_PER_S = 0.5f;

void startFade(FadeMode mode)
{
    screenFade.level = mode == FadeMode::FromBlack ? 1.0f : 0.0f;
    screenFade.mode = mode;
    screenFade.speed = SCENE_FADE_SPEED_PER_S;
}

void advanceFade(float dt)
{
    switch (screenFade.mode) {
    case FadeMode::ToBlack:
        screenFade.level += dt * screenFade.speed;
        if (screenFade.level >= 1.0f) {
            screenFade.level = 1.0f;
            screenFade.mode = FadeMode::Idle;
        }
        break;
    case FadeMode::FromBlack:
        screenFade.level -= dt * screenFade.speed;
        if (screenFade.level <= 0.0f) {
            screenFade.level = 0.0f;
            screenFade.mode = FadeMode::Idle;
        }
        break;
    default:
        break;
    }
}

sf::Uint8 overlayAlpha(float level)
{
    const float alpha = level * 255.0f;
    return static_cast<sf::Uint8>(static_cast<int>(alpha) & 0xFF);
}

void drawFadeOverlay(sf::RenderTarget& target)
{
    if (!fadeSprite) return;
    // The sprite is shared with the scenes, which find it with its own alpha.
    const sf::Uint8 ownAlpha = fadeSprite->getColor().a;
    fadeSprite->setColor(sf::Color(255, 255, 255, overlayAlpha(screenFade.level)));
    target.draw(*fadeSprite, sf::RenderStates::Default);
    fadeSprite->setColor(sf::Color(255, 255, 255, ownAlpha));
}
