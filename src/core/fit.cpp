#include "core/fit.h"

#include "core/screen.h"

#include <algorithm>

static constexpr unsigned BITS_PER_PIXEL = 32;

static const sf::VideoMode PICTURE_MODE(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX, BITS_PER_PIXEL);

// How much the picture grows (or shrinks) to fit inside the size.
static float fittingScale(float width, float height)
{
    return std::min(width / SCREEN_WIDTH_PX, height / SCREEN_HEIGHT_PX);
}

sf::VideoMode fullscreenMode(const sf::VideoMode& desktop, const std::vector<sf::VideoMode>& modes)
{
    // A mode counts at any depth: the window library lists each size once per depth that the screen offers.
    const bool pictureSizeOffered = std::any_of(modes.begin(), modes.end(), [](const sf::VideoMode& mode) {
        return mode.width == SCREEN_WIDTH_PX && mode.height == SCREEN_HEIGHT_PX;
    });
    return pictureSizeOffered ? PICTURE_MODE : desktop;
}

sf::VideoMode windowedMode(const sf::VideoMode& desktop)
{
    if (desktop.width >= SCREEN_WIDTH_PX && desktop.height >= SCREEN_HEIGHT_PX) return PICTURE_MODE;
    const float scale = fittingScale(desktop.width, desktop.height);
    // Rounded down, so that the window stays within the desktop.
    return sf::VideoMode(static_cast<unsigned>(SCREEN_WIDTH_PX * scale), static_cast<unsigned>(SCREEN_HEIGHT_PX * scale),
                         BITS_PER_PIXEL);
}

sf::View fittedView(sf::Vector2u windowSize)
{
    // A window of no area (minimised somewhere) shows nothing, but keeps the view finite.
    const float width = std::max(static_cast<float>(windowSize.x), 1.0f);
    const float height = std::max(static_cast<float>(windowSize.y), 1.0f);
    const float scale = fittingScale(width, height);
    const float shownWidth = SCREEN_WIDTH_PX * scale / width, shownHeight = SCREEN_HEIGHT_PX * scale / height;
    sf::View view(sf::FloatRect(0.0f, 0.0f, SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX));
    view.setViewport(sf::FloatRect((1.0f - shownWidth) * 0.5f, (1.0f - shownHeight) * 0.5f, shownWidth, shownHeight));
    return view;
}
