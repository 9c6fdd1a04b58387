// The fade and the frame that draws it over the scene, into an off-screen
// target over a white "black" sprite, so that the overlay's alpha shows in
// the pixels. That the show ends and how its fades look, the timeline and
// the golden frames tell.
#include "core/app.h"
#include "core/fade.h"
#include "core/show.h"
#include "test_support.h"

TEST(Frame, TheFadeMovesByDtTimesSpeedToExactlyItsEndAndItsOverlayKeepsTheSpritesAlpha)
{
    // A long frame ends a fade at exactly its end.
    for (const auto& [from, mode, to] :
         {std::tuple{1.0f, FadeMode::FromBlack, 0.0f}, std::tuple{0.0f, FadeMode::ToBlack, 1.0f}}) {
        screenFade = ScreenFade{from, 0.5f, mode};
        advanceFade(10.0f);
        EXPECT_EQ(std::make_pair(screenFade.level, screenFade.mode), std::make_pair(to, FadeMode::Idle));
    }
    EXPECT_EQ(overlayAlpha(0.999f), 254);  // truncated
    EXPECT_EQ(overlayAlpha(1.0f), 255);

    sf::RenderTexture target;
    ASSERT_TRUE(target.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX));
    sf::Image image;
    image.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, sf::Color::White);
    sf::Texture white;
    white.loadFromImage(image);
    sf::Sprite overlay(white);
    overlay.setColor(sf::Color(255, 255, 255, 77));
    fadeSprite = &overlay;
    const auto pixelAfterFrame = [&](float dt) {
        target.clear(sf::Color::Transparent);
        playFrame(target, dt);
        return shotOf(target).getPixel(100, 100);
    };
    // An unknown id runs no scene, and an idle fade at zero draws nothing.
    screenFade = ScreenFade{0.0f, 0.0f, FadeMode::Idle};
    sceneId = static_cast<SceneId>(5);
    EXPECT_EQ(pixelAfterFrame(0.016f), sf::Color::Transparent);
    // The fade moves before the overlay is drawn, white, so that three
    // quarters of it land on the clear target.
    screenFade = ScreenFade{1.0f, 0.5f, FadeMode::FromBlack};
    EXPECT_EQ(pixelAfterFrame(0.5f), sf::Color(191, 191, 191, 191));
    EXPECT_EQ(std::make_tuple(screenFade.level, sceneId, isRunning),
              std::make_tuple(0.75f, static_cast<SceneId>(5), true));
    EXPECT_EQ(overlay.getColor(), sf::Color(255, 255, 255, 77));
}
