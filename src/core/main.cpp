// The entry routine: greeting, configuration, window, assets, then the
// frame loop until the show ends or the user quits.
#include "core/app.h"
#include "core/config.h"
#include "core/loading.h"

#include <SFML/Graphics.hpp>

#include <iostream>

static constexpr unsigned FRAME_RATE_LIMIT = 60;
static constexpr unsigned BITS_PER_PIXEL = 32;

// The frame loop, until the show ends or the user quits.
static void playShow(sf::RenderWindow& window)
{
    sf::Clock clock;
    clock.restart();
    while (isRunning) {
        const float dt = clock.restart().asSeconds();
        offscreenTarget.clear(sf::Color(0, 0, 0, 0));
        if (sf::Keyboard::isKeyPressed(sf::Keyboard::Escape)) isRunning = false;
        sf::Event event;
        while (window.pollEvent(event)) {
            if (event.type == sf::Event::Closed) isRunning = false;
        }
        runFrame(window, dt);
        window.display();
    }
}

int main()
{
    std::cout << "hello" << std::endl;
    loadConfig();

    const sf::Uint32 style = fullscreenEnabled ? sf::Style::Fullscreen : sf::Style::Default;
    sf::RenderWindow window(sf::VideoMode(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, BITS_PER_PIXEL),
                            sf::String(windowTitle), style, sf::ContextSettings());
    window.setFramerateLimit(FRAME_RATE_LIMIT);
    window.setVerticalSyncEnabled(vsyncEnabled);
    window.setActive(true);
    window.setMouseCursorVisible(false);
    // This black frame stays up while the assets load.
    window.clear(sf::Color(0, 0, 0, 255));
    window.display();

    createOffscreenTarget();
    if (loadAssets()) playShow(window);
    window.close();
    releaseAudio();
    return 0;
}
