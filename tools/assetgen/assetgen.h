#pragma once
// What the generator's main program calls, and the generator's error line.

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
bool paintBlack(const std::string& path);
bool paintRainbow(const std::string& path);
bool paintLoadingBarEmpty(const std::string& path);
bool paintLoadingBarFull(const std::string& path);
bool paintWallTiles(const std::string& path);

// A ball's skin: a pattern in two colours and a white-ish belt around the
// equator that carries the ball's name. Colours are 0xRRGGBB.
enum class SkinPattern { Gores, Spiral, Dots };
struct BallSkin {
    std::string name;
    SkinPattern pattern;
    unsigned base, accent, belt, letters;
};
bool paintBallSkin(const std::string& path, const BallSkin& skin);

bool paintTitleCard(const std::string& path, const std::string& title);
// The credits pages: the opening one, then a role above a name on each; the
// last of them has the show's closing face below it, in a texture twice as tall.
bool paintCreditsTitlePage(const std::string& path);
bool paintCreditsPage(const std::string& path, const std::string& role, const std::string& name);
bool paintLastCreditsPage(const std::string& path, const std::string& role, const std::string& name);

// The sounds, all stereo. "lo" and the music are false, after an error line,
// when they would peak over -1 dBTP.
AudioClip renderBounce();
bool renderLo(AudioClip& clip);
bool renderMusic(AudioClip& music);
