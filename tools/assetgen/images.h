#pragma once
// The pictures that are painted rather than lettered: those of the loading
// screen and the intro, then those of the ball room.

#include <string>

// The flat pictures of the loading screen and the intro: the black canvas,
// the loading bar pair and the rainbow that fills the intro cards.

// Each writes one PNG to path; false, with an error line, on failure.
bool paintBlack(const std::string& path);
bool paintRainbow(const std::string& path);
bool paintLoadingBarEmpty(const std::string& path);
bool paintLoadingBarFull(const std::string& path);

constexpr int RAINBOW_SIZE_PIXELS = 512;
constexpr int LOADING_BAR_WIDTH_PIXELS = 1000;
constexpr int LOADING_BAR_HEIGHT_PIXELS = 40;

// The surfaces of the ball room: the wall and floor tiles and the three ball
// skins, which the balls shader wraps around its spheres.

enum class SkinPattern { Gores, Spiral, Dots };

// One ball's skin: a pattern in two colours and a white-ish belt around the
// equator that carries the ball's name twice, so one side always shows it.
struct BallSkin {
    std::string name;
    SkinPattern pattern;
    unsigned base;     // 0xRRGGBB
    unsigned accent;
    unsigned belt;
    unsigned letters;
};

// Each writes one PNG to path; false, with an error line, on failure.
bool paintWallTiles(const std::string& path);
bool paintBallSkin(const std::string& path, const BallSkin& skin);

// Two by two tiles. Small textures keep the software renderer's texel
// cache warm, which decides the speed of the ball scene.
constexpr int TILE_TEXTURE_SIZE_PIXELS = 256;
// Equirectangular: longitude across, latitude down; about one texel per
// screen pixel on a ball in the front view.
constexpr int BALL_SKIN_WIDTH_PIXELS = 512;
constexpr int BALL_SKIN_HEIGHT_PIXELS = 256;
