#include "scenes/scenes.h"

SceneId updateIntro(sf::RenderTarget&, float)
{
    return SceneId::Intro;
}
