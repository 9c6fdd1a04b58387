// The entry routine: the checks that the libraries need, the greeting, the
// show's start-up around the window, then the frame loop until the show
// ends or the user quits.
#include "core/config.h"
#include "core/fit.h"
#include "core/library_output.h"
#include "core/loading.h"
#include "core/platform.h"
#include "core/show.h"

#include <SFML/Graphics.hpp>

#include <iostream>

static constexpr unsigned FRAME_RATE_LIMIT = 60;
static const sf::Vector2u PICTURE_SIZE(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX);

// The window as the settings and the screen allow, showing one black frame
// that stays up while the assets load. The sizes are the screen's own
// pixels on Windows too: the window library declares the process aware of
// the display's scaling (system DPI) as it makes the window, and the modes
// that it lists are the display's own.
static void openWindow(sf::RenderWindow& window)
{
    const sf::Uint32 style = fullscreenEnabled ? sf::Style::Fullscreen : sf::Style::Default;
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    const sf::VideoMode mode =
        fullscreenEnabled ? fullscreenMode(desktop, sf::VideoMode::getFullscreenModes()) : windowedMode(desktop);
    window.create(mode, sf::String(windowTitle), style, sf::ContextSettings());
    // On X11 the window library centres a window by the screen's width in
    // both directions: one that fits a smaller desktop goes to its middle.
    if (!fullscreenEnabled && window.getSize() != PICTURE_SIZE) {
        window.setPosition(sf::Vector2i((static_cast<int>(desktop.width) - static_cast<int>(mode.width)) / 2,
                                        (static_cast<int>(desktop.height) - static_cast<int>(mode.height)) / 2));
    }
    window.setView(fittedView(window.getSize()));
    window.setFramerateLimit(FRAME_RATE_LIMIT);
    window.setVerticalSyncEnabled(vsyncEnabled);
    window.setActive(true);
    window.setMouseCursorVisible(false);
    window.clear(sf::Color(0, 0, 0, 255));
    window.display();
}

// The Escape key held, or the window closed, ends the show after this
// frame; a window of a new size fits the picture anew.
static void takeWindowEvents(sf::RenderWindow& window)
{
    if (sf::Keyboard::isKeyPressed(sf::Keyboard::Escape)) isRunning = false;
    sf::Event event;
    while (window.pollEvent(event)) {
        if (event.type == sf::Event::Closed) isRunning = false;
        if (event.type == sf::Event::Resized) window.setView(fittedView({event.size.width, event.size.height}));
    }
}

// The frame loop, until the show ends or the user quits. On a window of
// the picture's own size a frame is drawn straight onto it. On any other
// it is drawn off screen at the picture's size and then scaled onto the
// window through the fitted view, filtered, so that every part of the
// picture is scaled alike. Where that target cannot be made, the frames go
// straight onto the window, which its view fits all the same.
static void playShow(sf::RenderWindow& window)
{
    sf::RenderTexture picture;
    bool pictureTried = false;  // when the window first has another size
    bool pictureMade = false;
    sf::Clock clock;
    clock.restart();
    while (isRunning) {
        const float dt = clock.restart().asSeconds();
        const bool ownSize = window.getSize() == PICTURE_SIZE;
        if (!ownSize && !pictureTried) {
            pictureTried = true;
            pictureMade = picture.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, sf::ContextSettings());
            picture.setSmooth(true);
        }
        takeWindowEvents(window);
        if (ownSize || !pictureMade) {
            playFrame(window, dt);
        } else {
            playFrame(picture, dt);
            picture.display();
            window.clear(sf::Color(0, 0, 0, 255));
            window.draw(sf::Sprite(picture.getTexture()), sf::RenderStates::Default);
        }
        window.display();
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
    loadConfig();
    openWindow(window);
    if (startShow()) playShow(window);
    window.close();
    releaseAudio();
    return 0;
}
