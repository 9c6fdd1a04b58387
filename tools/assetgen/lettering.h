#pragma once
// The lettered pictures: the intro's title cards, which the intro shader
// fills with the rainbow, and the credits pages on the ball room's panel.

#include <string>

// A heavy white title on a transparent card, with a grey outline and a soft
// white glow; the intro shader multiplies the rainbow into all of them.
bool paintTitleCard(const std::string& path, const std::string& title);

// The opening credits page.
bool paintCreditsTitlePage(const std::string& path);
// A page with a role above a name.
bool paintCreditsPage(const std::string& path, const std::string& role, const std::string& name);
// The same page over, in a texture twice as tall, the show's closing face,
// which the ball room turns the panel over to as the camera flies out.
bool paintLastCreditsPage(const std::string& path, const std::string& role, const std::string& name);

// Every card has this size, so the intro shader knows their proportions.
constexpr int TITLE_CARD_WIDTH_PIXELS = 1800;
constexpr int TITLE_CARD_HEIGHT_PIXELS = 600;
// About one texel per screen pixel where the panel is seen.
constexpr int CREDITS_PAGE_WIDTH_PIXELS = 512;
constexpr int CREDITS_PAGE_HEIGHT_PIXELS = 256;
