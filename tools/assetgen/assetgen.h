#pragma once
// What the generator's main program calls: the painters of the pictures and
// the renderers of the sounds, and the one way it reports a failure.

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

// Each painter writes one PNG to path; false, with an error line, on failure.

// False, with an error line, when Pango would draw Roboto with another family.
bool robotoIsInstalled();

// The flat pictures of the loading screen and the intro: the black canvas,
// the rainbow that fills the intro cards and the loading bar pair.
bool paintBlack(const std::string& path);
bool paintRainbow(const std::string& path);
bool paintLoadingBarEmpty(const std::string& path);
bool paintLoadingBarFull(const std::string& path);

// The surfaces of the ball room, which the balls shader wraps around its
// box and its spheres.
bool paintWallTiles(const std::string& path);

enum class SkinPattern { Gores, Spiral, Dots };

// One ball's skin: a pattern in two colours and a white-ish belt around the
// equator that carries the ball's name twice, so one side always shows it.
struct BallSkin {
    std::string name;
    SkinPattern pattern;
    unsigned base;  // 0xRRGGBB
    unsigned accent;
    unsigned belt;
    unsigned letters;
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

// The two effects of the show: "bounce" for every ball contact, a
// rubber-ball thump of 14 ms; and "lo", which announces each intro card, a
// deep, warm chord on A that swells for 1.8 s, rings in a room and dies
// away in 4.6 s. Both stereo.
AudioClip renderBounce();
// False, after an error line, when it would peak over -1 dBTP.
bool renderLo(AudioClip& clip);

// The music track "qrv", composed, mixed, faded out and mastered, in stereo.
// False, after an error line, when the master fails its peak check.
bool renderMusic(AudioClip& music);
