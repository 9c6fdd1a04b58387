#include "assets/music_manager.h"
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "core/app.h"
#include "core/easing.h"
#include "core/fade.h"
#include "scenes/ball.h"
#include "scenes/scenes.h"

#include <cmath>
#include <iterator>

namespace {

// Where the camera is: in front of the room; easing round to the credits
// view; holding that view; drawing away while the show ends.
enum class CamPhase { Front, Easing, Credits, Falling };

struct BallSceneState {
    bool firstCall = true;
    StageClock clock;
    float sceneTime = 0.0f;  // s, sent as "iTime"
    CamPhase camPhase = CamPhase::Front;
    float camMix = 1.0f;
    Tween camTween;  // eases camMix from the front to the credits view
    bool creditSwing = false;   // the credits panel swings in depth
    float creditSwingZ = 0.0f;
    sf::Sprite* canvasSprite = nullptr;  // the surface the shader paints
};

BallSceneState ballScene;

constexpr float CAM_MIX_FRONT = 1.0f;
constexpr float CAM_MIX_CREDITS = 0.0f;
constexpr float CAM_EASE_LENGTH_S = 8.0f;
constexpr float CAM_MIX_FALL_PER_S = 4.0f;
constexpr float CREDIT_SWING_AMPLITUDE = 5.0f;

// A texture uniform is left unset when its texture could not be supplied.
void setTextureUniform(const char* name, const sf::Texture* texture)
{
    if (texture != nullptr) ballsShader->setUniform(name, *texture);
}

void showCreditsPage(const char* textureKey)
{
    setTextureUniform("creditsTex", textureManager.get(textureKey));
}

void setUp()
{
    BallSceneState& scene = ballScene;
    startFade(FadeMode::FromBlack);
    scene.firstCall = false;
    ballsShader->setUniform("camMix", CAM_MIX_FRONT);

    scene.canvasSprite = spriteManager.get("black");
    const sf::Texture* wallTexture = textureManager.get("white");
    const sf::Texture* ballTexture1 = textureManager.get("vemo");
    const sf::Texture* ballTexture2 = textureManager.get("qrv");
    const sf::Texture* ballTexture3 = textureManager.get("arku");
    const sf::Texture* creditsStartTexture = textureManager.get("credits_start");
    setTextureUniform("ballTex1", ballTexture1);
    setTextureUniform("ballTex2", ballTexture2);
    setTextureUniform("ballTex3", ballTexture3);
    setTextureUniform("wallTex", wallTexture);
    setTextureUniform("creditsTex", creditsStartTexture);

    ball1.setup(WAITING_X, WAITING_Y, 0.0f, -2.8f, -5.5f, "ballPos1", false);
    ball2.setup(WAITING_X, WAITING_Y, 0.0f, -2.8f, 5.5f, "ballPos2", false);
    ball3.setup(WAITING_X, WAITING_Y, 2.0f, -3.2f, -4.5f, "ballPos3", false);
    creditBall.setup(PANEL_WAITING_X, WAITING_Y, 0.0f, 2.8f, -5.5f, "creditPos", false);
    creditBall.frozen = true;
}

SceneId dropFirstBall()
{
    ball1.x = 7.0f;
    ball1.y = 2.0f;
    ball1.z = 0.0f;
    ball1.active = true;
    return SceneId::Balls;
}

SceneId launchSecondBall()
{
    depthFrozen = false;
    ballScene.camPhase = CamPhase::Easing;
    ballScene.camTween.start(CAM_MIX_FRONT, CAM_MIX_CREDITS, CAM_EASE_LENGTH_S, Easing::BackOut, 0.0f);
    ball1.floorY = LOWERED_FLOOR_Y;
    ball2.floorY = LOWERED_FLOOR_Y;
    ball3.floorY = LOWERED_FLOOR_Y;
    creditBall.floorY = LOWERED_FLOOR_Y;
    ball2.active = true;
    return SceneId::Balls;
}

SceneId launchThirdBall()
{
    ball3.active = true;
    return SceneId::Balls;
}

SceneId startCredits()
{
    creditBall.active = true;
    ballScene.creditSwing = true;
    bounceSoundEnabled = false;
    musicManager.play("qrv", true);
    return SceneId::Balls;
}

SceneId startCamMixFall()
{
    ballScene.camPhase = CamPhase::Falling;
    return SceneId::Balls;
}

SceneId fadeOut()
{
    startFade(FadeMode::ToBlack);
    return SceneId::Balls;
}

SceneId endShow()
{
    return SceneId::Quit;
}

// What happens as each stage of BALL_STAGES_S ends.
struct BallStageEnd {
    SceneId (*action)();      // the scene to run next, Balls to go on; none: go on
    const char* creditsPage;  // the page shown from then on, or none
};

const BallStageEnd BALL_STAGE_ENDS[] = {
    {dropFirstBall, nullptr},   {launchSecondBall, nullptr}, {launchThirdBall, nullptr},
    {startCredits, nullptr},    {nullptr, "credits_orin"},   {nullptr, "credits_tasu"},
    {nullptr, "credits_bexo"},  {nullptr, "credits_quil"},   {nullptr, "credits_mave"},
    {startCamMixFall, nullptr}, {fadeOut, nullptr},          {endShow, nullptr},
};
static_assert(std::size(BALL_STAGE_ENDS) == std::size(BALL_STAGES_S));

float nextCamMix(float dt)
{
    BallSceneState& scene = ballScene;
    switch (scene.camPhase) {
    case CamPhase::Front:
        return CAM_MIX_FRONT;
    case CamPhase::Easing: {
        scene.camTween.update(dt);
        const float mix = scene.camTween.value();  // exactly the end value once the ease is over
        if (!scene.camTween.running) scene.camPhase = CamPhase::Credits;
        return mix;
    }
    case CamPhase::Credits:
        return CAM_MIX_CREDITS;
    case CamPhase::Falling:
        break;
    }
    return scene.camMix - CAM_MIX_FALL_PER_S * dt;  // without a floor
}

void draw(sf::RenderTarget& target)
{
    if (ballScene.canvasSprite != nullptr) {
        offscreenTarget->draw(*ballScene.canvasSprite, sf::RenderStates(ballsShader.get()));
    }
    offscreenTarget->display();
    offscreenSprite.setOrigin(SCREEN_CENTRE_PX);
    offscreenSprite.setPosition(SCREEN_CENTRE_PX);
    target.draw(offscreenSprite, sf::RenderStates::Default);
}

}  // namespace

SceneId updateBallScene(sf::RenderTarget& target, float dt)
{
    BallSceneState& scene = ballScene;
    if (scene.firstCall) setUp();

    scene.sceneTime += dt;
    ballsShader->setUniform("iTime", scene.sceneTime);
    ball1.step(dt);
    ball2.step(dt);
    ball3.step(dt);
    creditBall.step(dt);
    scene.creditSwingZ =
        CREDIT_SWING_AMPLITUDE * static_cast<float>(std::sin(static_cast<double>(scene.sceneTime)));
    scene.camMix = nextCamMix(dt);
    ballsShader->setUniform("camMix", scene.camMix);

    // After the step, so the shader sees this place on the next frame.
    if (scene.creditSwing) {
        creditBall.x = 0.0f;
        creditBall.y = 0.0f;
        creditBall.z = scene.creditSwingZ;
    }

    const BallStageEnd& end = BALL_STAGE_ENDS[scene.clock.stage];
    if (stageEnds(scene.clock, dt, BALL_STAGES_S[scene.clock.stage])) {
        if (end.creditsPage) showCreditsPage(end.creditsPage);
        const SceneId next = end.action ? end.action() : SceneId::Balls;
        if (next != SceneId::Balls) return next;
    }

    draw(target);
    return SceneId::Balls;
}
