// The fade, its overlay and the frame's scene switch, drawn into an
// off-screen target.
#include "core/app.h"
#include "core/fade.h"
#include "core/show.h"
#include "test_support.h"

#include <gtest/gtest.h>

TEST(Fade, FromBlackFallsByDtTimesSpeedAndStopsAtExactlyZero)
{
    screenFade = ScreenFade{1.0f, 0.5f, FadeMode::FromBlack};
    const float expected[] = {0.875f, 0.75f, 0.625f, 0.5f, 0.375f, 0.25f, 0.125f};
    for (float level : expected) {
        advanceFade(0.25f);
        EXPECT_EQ(screenFade.level, level);
        EXPECT_EQ(screenFade.mode, FadeMode::FromBlack);
    }
    advanceFade(0.25f);
    EXPECT_EQ(screenFade.level, 0.0f);
    EXPECT_EQ(screenFade.mode, FadeMode::Idle);
    advanceFade(0.25f);
    EXPECT_EQ(screenFade.level, 0.0f);
}

TEST(Fade, ALongFrameEndsAFadeToBlackAtExactlyOne)
{
    screenFade = ScreenFade{0.0f, 0.5f, FadeMode::ToBlack};
    advanceFade(10.0f);
    EXPECT_EQ(screenFade.level, 1.0f);
    EXPECT_EQ(screenFade.mode, FadeMode::Idle);

    screenFade = ScreenFade{0.3f, 0.5f, static_cast<FadeMode>(7)};
    advanceFade(1.0f);
    EXPECT_EQ(screenFade.level, 0.3f);
}

TEST(Fade, OverlayAlphaTruncates)
{
    EXPECT_EQ(overlayAlpha(0.0f), 0);
    EXPECT_EQ(overlayAlpha(0.5f), 127);
    EXPECT_EQ(overlayAlpha(0.999f), 254);
    EXPECT_EQ(overlayAlpha(1.0f), 255);
}

namespace {

// A 1920x1080 target with a white 1920x1080 texture behind the "black"
// sprite, so that the overlay's alpha shows in the pixels.
struct FrameTest : ::testing::Test {
    sf::RenderTexture target;
    sf::Texture white;
    sf::Sprite overlay;

    void SetUp() override
    {
        ASSERT_TRUE(target.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX));
        sf::Image image;
        image.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, sf::Color::White);
        white.loadFromImage(image);
        overlay.setTexture(white);
        overlay.setColor(sf::Color(255, 255, 255, 77));
        fadeSprite = &overlay;
    }

    sf::Color pixel()
    {
        target.display();
        return target.getTexture().copyToImage().getPixel(100, 100);
    }
};

}  // namespace

TEST_F(FrameTest, OverlayDrawsAtTheFadeAlphaAndGivesTheSpriteItsAlphaBack)
{
    screenFade = ScreenFade{0.5f, 0.0f, FadeMode::Idle};
    runFrame(target, 0.016f);
    EXPECT_EQ(pixel().a, 127);
    EXPECT_EQ(overlay.getColor(), sf::Color(255, 255, 255, 77));

    screenFade.level = 0.0f;
    runFrame(target, 0.016f);
    EXPECT_EQ(pixel(), sf::Color(0, 0, 0, 0));
}

TEST_F(FrameTest, UnknownSceneIdsRunNoSceneAndQuitStopsTheLoop)
{
    sceneId = static_cast<SceneId>(5);
    screenFade = ScreenFade{1.0f, 0.5f, FadeMode::FromBlack};
    runFrame(target, 0.5f);
    EXPECT_EQ(sceneId, static_cast<SceneId>(5));
    EXPECT_TRUE(isRunning);
    EXPECT_EQ(screenFade.level, 0.75f);
    EXPECT_EQ(pixel().a, 191);

    sceneId = SceneId::Quit;
    runFrame(target, 0.5f);
    EXPECT_FALSE(isRunning);
    EXPECT_EQ(sceneId, SceneId::Quit);
}

TEST_F(FrameTest, WithoutTheBlackSpriteThereIsNoOverlay)
{
    fadeSprite = nullptr;
    sceneId = static_cast<SceneId>(5);
    screenFade = ScreenFade{1.0f, 0.0f, FadeMode::Idle};
    runFrame(target, 0.1f);
    EXPECT_EQ(pixel(), sf::Color(0, 0, 0, 0));
}
