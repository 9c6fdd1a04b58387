// The fade, its overlay and the frame's scene switch, drawn into an
// off-screen target.
#include "core/app.h"
#include "core/fade.h"
#include "core/show.h"
#include "test_support.h"

TEST(Fade, MovesByDtTimesSpeedAndStopsAtExactlyItsEnd)
{
    screenFade = ScreenFade{1.0f, 0.5f, FadeMode::FromBlack};
    advanceFade(0.25f);
    EXPECT_EQ(screenFade.level, 0.875f);
    for (int frame = 2; frame <= 9; ++frame) advanceFade(0.25f);
    EXPECT_EQ(std::make_pair(screenFade.level, screenFade.mode), std::make_pair(0.0f, FadeMode::Idle));
    // A long frame ends a fade to black at exactly one.
    screenFade = ScreenFade{0.0f, 0.5f, FadeMode::ToBlack};
    advanceFade(10.0f);
    EXPECT_EQ(std::make_pair(screenFade.level, screenFade.mode), std::make_pair(1.0f, FadeMode::Idle));
    EXPECT_EQ(overlayAlpha(0.999f), 254);  // truncated
    EXPECT_EQ(overlayAlpha(1.0f), 255);
}

// A frame drawn over a white "black" sprite, so that the overlay's alpha
// shows in the pixels.
TEST(Frame, RunsTheSceneThenTheFadeAndQuitStopsTheLoop)
{
    sf::RenderTexture target;
    ASSERT_TRUE(target.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX));
    sf::Image image;
    image.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, sf::Color::White);
    sf::Texture white;
    white.loadFromImage(image);
    sf::Sprite overlay(white);
    overlay.setColor(sf::Color(255, 255, 255, 77));
    const auto pixelAfterFrame = [&](float dt) {
        target.clear(sf::Color::Transparent);
        playFrame(target, dt);
        return shotOf(target).getPixel(100, 100);
    };

    // No scene for an unknown id, and no overlay before any fade.
    fadeSprite = &overlay;
    sceneId = static_cast<SceneId>(5);
    EXPECT_EQ(pixelAfterFrame(0.016f), sf::Color::Transparent);
    // The fade runs on; the overlay keeps the sprite's own alpha and is
    // drawn white, so three quarters of it land on the clear target.
    screenFade = ScreenFade{1.0f, 0.5f, FadeMode::FromBlack};
    EXPECT_EQ(pixelAfterFrame(0.5f), sf::Color(191, 191, 191, 191));
    EXPECT_EQ(screenFade.level, 0.75f);
    EXPECT_EQ(sceneId, static_cast<SceneId>(5));
    EXPECT_TRUE(isRunning);
    EXPECT_EQ(overlay.getColor(), sf::Color(255, 255, 255, 77));
    screenFade = ScreenFade{0.0f, 0.0f, FadeMode::Idle};
    EXPECT_EQ(pixelAfterFrame(0.016f), sf::Color::Transparent);

    sceneId = SceneId::Quit;
    pixelAfterFrame(0.5f);
    EXPECT_FALSE(isRunning);
    EXPECT_EQ(sceneId, SceneId::Quit);
}
