// The whole show's frames without a single asset, drawn off screen: each
// scene looks its assets up when they are due, reports each missing one
// once and runs on; frames longer than any stage end one stage each.
#include "core/app.h"
#include "core/show.h"
#include "scenes/timeline.h"
#include "test_support.h"

#include <algorithm>

TEST(Scenes, WithoutAssetsEachLongFrameEndsOneStageAndEachMissingAssetIsReportedOnce)
{
    TempRunFolder folder;
    createOffscreenTarget();
    sf::RenderTexture target;
    ASSERT_TRUE(target.create(64, 64));
    int calls = 0;
    Lines lines = errorLinesOf([&] {
        while (isRunning && calls < 100) playFrame(target, 12.5f), ++calls;
    });
    // Each stage ends on the call after the one that ended the stage before;
    // the frame after the last stage sees the show end.
    EXPECT_EQ(calls, std::size(LOADING_STAGES_S) + std::size(INTRO_STAGES_S) + std::size(BALL_STAGES_S) + 1);
    // The bounces' lines come in runs, counted once here; each card plays "lo".
    const std::string noBounce = "SoundManager: Sound with key bounce does not exist.",
                      noLo = "SoundManager: Sound with key lo does not exist.";
    lines.erase(std::unique(lines.begin(), lines.end(), [&](auto& a, auto& b) { return a == noBounce && a == b; }),
                lines.end());
    const auto noTexture = [](const char* key) { return "TextureManager: Texture with key " + std::string(key) + " does not exist."; };
    const auto noSprite = [](const char* key) { return "SpriteManager: Sprite with key " + std::string(key) + " does not exist."; };
    EXPECT_EQ(lines, (Lines{noSprite("black"), noTexture("loading_bar_empty"), noTexture("loading_bar_full"),
                            noSprite("intro1"), noSprite("intro2"), noSprite("intro3"), noSprite("intro4"), noLo,
                            noLo, noLo, noLo, noSprite("black"), noTexture("white"), noTexture("vemo"), noTexture("qrv"),
                            noTexture("arku"), noTexture("credits_start"), noBounce,
                            "MusicManager: Song with key qrv does not exist.", noTexture("credits_orin"),
                            noTexture("credits_tasu"), noTexture("credits_bexo"), noTexture("credits_quil"),
                            noTexture("credits_mave")}));
}
