#pragma once
// The show's picture on screens of every size: the mode that the window
// opens in, and the view that fits the whole picture into a window of any
// size. The scenes draw in the picture's own coordinates either way.

#include <SFML/Graphics/View.hpp>
#include <SFML/Window/VideoMode.hpp>

#include <vector>

// Full screen: the picture's own size where the screen has that mode, as
// the show was made for; otherwise the desktop's, which the screen surely
// has, so that the window library never falls back to a mode of its own.
sf::VideoMode fullscreenMode(const sf::VideoMode& desktop, const std::vector<sf::VideoMode>& modes);

// Windowed: the picture's own size, or on a smaller desktop the largest
// size with the picture's aspect that the desktop holds.
sf::VideoMode windowedMode(const sf::VideoMode& desktop);

// The picture's coordinates on a window of this size: scaled to fit with
// its aspect kept and centred; the window's clear leaves black bars on the
// two short sides. At the picture's own size it is the default view.
sf::View fittedView(sf::Vector2u windowSize);
