#include "assets/sound_manager.h"
#include "assets/sprite_manager.h"
#include "core/app.h"
#include "core/fade.h"
#include "scenes/scenes.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

constexpr std::size_t IMAGE_COUNT = 4;

struct IntroState {
    bool firstCall = true;
    std::array<sf::Sprite*, IMAGE_COUNT> introImages{};
    std::array<bool, IMAGE_COUNT> visible{true, false, false, false};
    std::int32_t stage = 0;
    float stageTime = 0.0f;  // s
};

IntroState intro;

const char* const IMAGE_KEYS[IMAGE_COUNT] = {"intro1", "intro2", "intro3", "intro4"};
const char* const ANNOUNCE_SOUND = "lo";

SceneId fadeToBlack()
{
    startFade(FadeMode::ToBlack);
    return SceneId::Intro;
}

// Swapped under the fully black overlay that the fade from black sets.
SceneId showNextImage()
{
    startFade(FadeMode::FromBlack);
    const std::size_t current = static_cast<std::size_t>(intro.stage / 2);
    intro.visible[current] = false;
    intro.visible[current + 1] = true;
    soundManager.play(ANNOUNCE_SOUND);
    return SceneId::Intro;
}

SceneId handOverToBalls()
{
    return SceneId::Balls;
}

// Each image shows for 5 s (fading in) and leaves in 2 s (fading out).
struct IntroStage {
    float lengthS;
    SceneId (*onEnd)();  // the scene to run next; Intro to go on
};

const IntroStage INTRO_STAGES[] = {
    {5.0f, fadeToBlack}, {2.0f, showNextImage},
    {5.0f, fadeToBlack}, {2.0f, showNextImage},
    {5.0f, fadeToBlack}, {2.0f, showNextImage},
    {5.0f, fadeToBlack}, {2.0f, handOverToBalls},
};

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

    scene.stageTime += dt;
    textShader->setUniform("xOffset", scene.stageTime);
    textShader->setUniform("yOffset", scene.stageTime);

    const IntroStage& current = INTRO_STAGES[scene.stage];
    if (scene.stageTime > current.lengthS) {
        const SceneId next = current.onEnd();
        if (next != SceneId::Intro) return next;
        ++scene.stage;
        scene.stageTime = 0.0f;
    }

    const sf::RenderStates throughTextShader(textShader.get());
    for (std::size_t i = 0; i < IMAGE_COUNT; ++i) {
        if (scene.visible[i] && scene.introImages[i] != nullptr) {
            target.draw(*scene.introImages[i], throughTextShader);
        }
    }
    return SceneId::Intro;
}

std::vector<float> introStageLengthsS()
{
    return stageLengthsOf(INTRO_STAGES);
}
