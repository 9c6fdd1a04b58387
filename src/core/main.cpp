// The entry routine: the checks that the libraries need, the greeting, the
// show's start-up around the window, then the frame loop until the show
// ends or the user quits.
#include "core/library_output.h"
#include "core/loading.h"
#include "core/platform.h"
#include "core/show.h"

#include <SFML/Graphics.hpp>

#include <iostream>

static constexpr unsigned FRAME_RATE_LIMIT = 60;
static constexpr unsigned BITS_PER_PIXEL = 32;

// The window as the settings ask for it, showing one black frame that
// stays up while the assets load.
static void openWindow(sf::RenderWindow& window)
{
    const sf::Uint32 style = fullscreenEnabled ? sf::Style::Fullscreen : sf::Style::Default;
    window.create(sf::VideoMode(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, BITS_PER_PIXEL), sf::String(windowTitle), style,
                  sf::ContextSettings());
    window.setFramerateLimit(FRAME_RATE_LIMIT);
    window.setVerticalSyncEnabled(vsyncEnabled);
    window.setActive(true);
    window.setMouseCursorVisible(false);
    window.clear(sf::Color(0, 0, 0, 255));
    window.display();
}

// The Escape key held, or the window closed, ends the show after this frame.
static void takeQuitRequests(sf::RenderWindow& window)
{
    if (sf::Keyboard::isKeyPressed(sf::Keyboard::Escape)) isRunning = false;
    sf::Event event;
    while (window.pollEvent(event)) {
        if (event.type == sf::Event::Closed) isRunning = false;
    }
}

// The frame loop, until the show ends or the user quits.
static void playShow(sf::RenderWindow& window)
{
    sf::Clock clock;
    clock.restart();
    while (isRunning) {
        const float dt = clock.restart().asSeconds();
        playFrame(window, dt, [&window] { takeQuitRequests(window); });
    }
}

int main()
{
    enterShowFolder();
    if (!displayAvailable()) return 1;
    silenceLibraryOutput();
    makeDeviceObjects();
    std::cout << "hello" << std::endl;
    sf::RenderWindow window;
    const bool started = startShow([&window] {
        openWindow(window);
        return true;
    });
    if (started) playShow(window);
    window.close();
    releaseAudio();
    return 0;
}
