#pragma once
// What the generator's main program calls: the painters of the pictures, the
// renderers of the sounds, and the one way that the generator reports a failure.

#include "audio_clip.h"

#include <iostream>
#include <string>

// Writes one error line of the generator; false, for the caller to return.
template <typename... Parts>
bool reportError(const Parts&... parts)
{
    ((std::cerr << "assetgen: ") << ... << parts) << std::endl;
    return false;
}

// False, with an error line, when Pango would draw Roboto with another family.
bool robotoIsInstalled();

// Each painter writes one PNG to path; false, with an error line, on failure.
// The loading screen's and the intro's: the black canvas, the rainbow that
// fills the intro cards and the loading bar pair; the ball room's wall tiles.
bool paintBlack(const std::string& path);
bool paintRainbow(const std::string& path);
bool paintLoadingBarEmpty(const std::string& path);
bool paintLoadingBarFull(const std::string& path);
bool paintWallTiles(const std::string& path);

// One ball's skin, which the balls shader wraps around its sphere: a pattern
// in two colours and a white-ish belt around the equator that carries the
// ball's name twice, so one side always shows it. Colours are 0xRRGGBB.
enum class SkinPattern { Gores, Spiral, Dots };
struct BallSkin {
    std::string name;
    SkinPattern pattern;
    unsigned base, accent, belt, letters;
};
bool paintBallSkin(const std::string& path, const BallSkin& skin);

// A heavy white title on a transparent card, with a grey outline and a soft
// white glow; the intro shader multiplies the rainbow into all of them.
bool paintTitleCard(const std::string& path, const std::string& title);

// The credits pages on the ball room's panel: the opening page, then pages
// with a role above a name. The last of them comes in a texture twice as
// tall, with the show's closing face below, which the ball room turns the
// panel over to as the camera flies out.
bool paintCreditsTitlePage(const std::string& path);
bool paintCreditsPage(const std::string& path, const std::string& role, const std::string& name);
bool paintLastCreditsPage(const std::string& path, const std::string& role, const std::string& name);

// The effects, both stereo: "bounce" for every ball contact, a rubber-ball
// thump of 14 ms; "lo", which announces each intro card, a deep, warm chord
// on A that swells for 1.8 s, rings in a room and dies away in 4.6 s (false,
// after an error line, when it would peak over -1 dBTP).
AudioClip renderBounce();
bool renderLo(AudioClip& clip);

// The music track "qrv", composed, mixed, faded out and mastered, in stereo.
// False, after an error line, when the master fails its peak check.
bool renderMusic(AudioClip& music);
