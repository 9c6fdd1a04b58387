#include "core/show.h"

#include "assets/music_manager.h"
#include "core/fade.h"
#include "core/loading.h"
#include "scenes/scenes.h"

void makeDeviceObjects()
{
    musicManager.music = std::make_unique<sf::Music>();
    offscreenTarget = std::make_unique<sf::RenderTexture>();
    ballsShader = std::make_unique<sf::Shader>();
    textShader = std::make_unique<sf::Shader>();
}

void createOffscreenTarget()
{
    // Whether the creation worked is not checked: the show runs on without it.
    offscreenTarget->create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, sf::ContextSettings());
    offscreenSprite.setTexture(offscreenTarget->getTexture());
}

bool startShow()
{
    createOffscreenTarget();
    return loadAssets();
}

static void runScene(sf::RenderTarget& target, float dt)
{
    switch (sceneId) {
    case SceneId::Loading:
        sceneId = updateLoadingScreen(target, dt);
        break;
    case SceneId::Intro:
        sceneId = updateIntro(target, dt);
        break;
    case SceneId::Balls:
        sceneId = updateBallScene(target, dt);
        break;
    case SceneId::Quit:
        isRunning = false;
        break;
    default:
        break;  // an unknown id runs no scene
    }
}

void playFrame(sf::RenderTarget& screen, float dt)
{
    offscreenTarget->clear(sf::Color(0, 0, 0, 0));
    advanceFade(dt);
    screen.clear(sf::Color(0, 0, 0, 0));
    runScene(screen, dt);
    drawFadeOverlay(screen);
}
