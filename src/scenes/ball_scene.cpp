#include "scenes/scenes.h"

SceneId updateBallScene(sf::RenderTarget&, float)
{
    return SceneId::Balls;
}
