#include "assets/sound_manager.h"
#include "assets/sprite_manager.h"
#include "core/app.h"
#include "core/fade.h"
#include "scenes/scenes.h"

#include <array>
#include <cstddef>
#include <iterator>

namespace {

constexpr std::size_t IMAGE_COUNT = 4;

struct IntroState {
    bool firstCall = true;
    std::array<sf::Sprite*, IMAGE_COUNT> introImages{};
    std::array<bool, IMAGE_COUNT> visible{true, false, false, false};
    StageClock clock;
};

IntroState intro;

const char* const IMAGE_KEYS[IMAGE_COUNT] = {"intro1", "intro2", "intro3", "intro4"};
const char* const ANNOUNCE_SOUND = "lo";

SceneId fadeToBlack()
{
    startFade(FadeMode::ToBlack);
    return SceneId::Intro;
}

// Swapped under the fully black overlay that the fade from black sets, as
// the next card's first stage begins.
SceneId showNextImage()
{
    startFade(FadeMode::FromBlack);
    const std::size_t next = static_cast<std::size_t>(intro.clock.stage / 2);
    intro.visible[next - 1] = false;
    intro.visible[next] = true;
    soundManager.play(ANNOUNCE_SOUND);
    return SceneId::Intro;
}

SceneId handOverToBalls()
{
    return SceneId::Balls;
}

// What happens as each stage of INTRO_STAGES_S ends: the scene to run next,
// Intro to go on.
SceneId (*const INTRO_STAGE_ENDS[])() = {
    fadeToBlack, showNextImage, fadeToBlack, showNextImage,
    fadeToBlack, showNextImage, fadeToBlack, handOverToBalls,
};
static_assert(std::size(INTRO_STAGE_ENDS) == std::size(INTRO_STAGES_S));

}  // namespace

SceneId updateIntro(sf::RenderTarget& target, float dt)
{
    IntroState& scene = intro;
    if (scene.firstCall) {
        scene.firstCall = false;
        for (std::size_t i = 0; i < IMAGE_COUNT; ++i) {
            scene.introImages[i] = spriteManager.get(IMAGE_KEYS[i]);
            if (scene.introImages[i] != nullptr) scene.introImages[i]->setPosition(SCREEN_CENTRE_PX);
        }
        startFade(FadeMode::FromBlack);
        soundManager.play(ANNOUNCE_SOUND);
    }

    // The look runs on through the call that ends a stage.
    const float lookS = scene.clock.timeS + dt;
    textShader->setUniform("xOffset", lookS);
    textShader->setUniform("yOffset", lookS);

    const std::int32_t stage = scene.clock.stage;
    if (stageEnds(scene.clock, dt, INTRO_STAGES_S[stage])) {
        const SceneId next = INTRO_STAGE_ENDS[stage]();
        if (next != SceneId::Intro) return next;
    }

    const sf::RenderStates throughTextShader(textShader.get());
    for (std::size_t i = 0; i < IMAGE_COUNT; ++i) {
        if (scene.visible[i] && scene.introImages[i] != nullptr) {
            target.draw(*scene.introImages[i], throughTextShader);
        }
    }
    return SceneId::Intro;
}
