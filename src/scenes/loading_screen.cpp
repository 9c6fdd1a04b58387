#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "core/app.h"
#include "core/easing.h"
#include "scenes/scenes.h"

#include <cstdint>
#include <iterator>

namespace {

struct LoadingScreenState {
    bool firstCall = true;
    StageClock clock;
    Tween barTween;          // the bar's fill, 0 to 1 over one stage
    sf::Sprite* background = nullptr;
    const sf::Texture* barEmptyTexture = nullptr;
    const sf::Texture* barFullTexture = nullptr;
};

LoadingScreenState loadingScreen;

// Each stage of LOADING_STAGES_S shows its message while the bar fills once
// over its length.
const char* const MESSAGES[] = {
    "Generating textures",
    "Loading  alpha channels",
    "Creating bounce sound",
    "Compiling shaders",
    "Loading REAL ball physics(tm)",
    "Finishing up",
};
constexpr std::int32_t STAGE_COUNT = static_cast<std::int32_t>(std::size(LOADING_STAGES_S));
static_assert(std::size(MESSAGES) == std::size(LOADING_STAGES_S));

const char* const SUBTITLE = "Loading 7 times?!";
constexpr unsigned SUBTITLE_SIZE_PX = 54;
constexpr float SUBTITLE_Y_PX = 800.0f;
constexpr unsigned MESSAGE_SIZE_PX = 110;
constexpr float MESSAGE_Y_PX = 300.0f;

// The picture's size in the target's coordinates: its view's, which a
// window of another size scales to fit.
sf::Vector2u pictureSizeOf(const sf::RenderTarget& target)
{
    const sf::Vector2f size = target.getView().getSize();
    return sf::Vector2u(static_cast<unsigned>(size.x), static_cast<unsigned>(size.y));
}

void startBar(float durationS)
{
    loadingScreen.barTween.start(0.0f, 1.0f, durationS, Easing::Linear, 0.0f);
}

// Centred on one axis; a bar larger than the target starts at its edge,
// where the unsigned difference would wrap around.
float centredOffset(unsigned targetPx, unsigned texturePx)
{
    if (texturePx > targetPx) return 0.0f;
    return static_cast<float>(targetPx - texturePx) * 0.5f;
}

// The empty bar, with the full one over its left part; the empty texture's
// width is the reference for both the place and the fill.
void drawBar(sf::RenderTarget& target, float fraction)
{
    const sf::Texture* empty = loadingScreen.barEmptyTexture;
    if (empty == nullptr) return;
    const sf::Vector2u targetSize = pictureSizeOf(target);
    const sf::Vector2u emptySize = empty->getSize();
    const sf::Vector2f position(centredOffset(targetSize.x, emptySize.x),
                                centredOffset(targetSize.y, emptySize.y));

    sf::Sprite emptyBar(*empty);
    emptyBar.setPosition(position);
    target.draw(emptyBar, sf::RenderStates::Default);

    if (loadingScreen.barFullTexture == nullptr) return;
    sf::Sprite fullBar(*loadingScreen.barFullTexture);
    fullBar.setPosition(position);
    sf::IntRect filled = fullBar.getTextureRect();
    filled.width = static_cast<int>(static_cast<float>(emptySize.x) * fraction);
    fullBar.setTextureRect(filled);
    target.draw(fullBar, sf::RenderStates::Default);
}

}  // namespace

SceneId updateLoadingScreen(sf::RenderTarget& target, float dt)
{
    LoadingScreenState& scene = loadingScreen;
    if (scene.firstCall) {
        scene.firstCall = false;
        startBar(LOADING_STAGES_S[0]);
        scene.background = spriteManager.get("black");
        scene.barEmptyTexture = textureManager.get("loading_bar_empty");
        scene.barFullTexture = textureManager.get("loading_bar_full");
    }

    if (stageEnds(scene.clock, dt, LOADING_STAGES_S[scene.clock.stage])) {
        if (scene.clock.stage == STAGE_COUNT) return SceneId::Intro;
        startBar(LOADING_STAGES_S[scene.clock.stage]);
    }

    // The value comes before the advance, so the bar shows the time of the
    // frames before this one.
    float fraction = 0.0f;
    if (scene.barTween.running) {
        fraction = scene.barTween.value();
        if (scene.barTween.running) scene.barTween.update(dt);
    }

    if (scene.background != nullptr) target.draw(*scene.background, sf::RenderStates::Default);
    drawBar(target, fraction);
    drawCenteredText(target, SUBTITLE, SUBTITLE_SIZE_PX, sf::Color::White, SUBTITLE_Y_PX);
    drawCenteredText(target, MESSAGES[scene.clock.stage], MESSAGE_SIZE_PX, sf::Color::White,
                     MESSAGE_Y_PX);
    return SceneId::Loading;
}

void drawCenteredText(sf::RenderTarget& target, const std::string& text, unsigned characterSize,
                      sf::Color color, float y)
{
    sf::Text line(sf::String(text), globalFont, characterSize);
    line.setFillColor(color);
    const sf::FloatRect bounds = line.getLocalBounds();
    line.setOrigin(bounds.left + bounds.width * 0.5f, bounds.top + bounds.height * 0.5f);
    line.setPosition(static_cast<float>(pictureSizeOf(target).x) * 0.5f, y);
    target.draw(line, sf::RenderStates::Default);
}
