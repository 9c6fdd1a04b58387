// Writes every generated image and sound of the show under the folder
// given as the only argument (the run folder's assets/).
#include "canvas.h"
#include "effects.h"
#include "images.h"
#include "lettering.h"
#include "music_mix.h"

#include <filesystem>
#include <iterator>
#include <iostream>
#include <system_error>

struct CreditsEntry {
    const char* file;
    const char* role;
    const char* name;
};

struct TitleCardEntry {
    const char* file;
    const char* title;
};

static const CreditsEntry CREDITS_PAGES[] = {
    {"credits_orin.png", "CODE", "Orin"},       {"credits_tasu.png", "MUSIC", "Tasu"},
    {"credits_bexo.png", "GRAPHICS", "Bexo"},   {"credits_quil.png", "SHADERS", "Quil"},
    {"credits_mave.png", "SUPPORT", "Mave"},
};

static const TitleCardEntry TITLE_CARDS[] = {
    {"intro1.png", "Grumble Owl"},
    {"intro2.png", "vs"},
    {"intro3.png", "The Quirkz"},
    {"intro4.png", "QRV Bouncefest\n2025"},
};

struct BallSkinEntry {
    const char* file;
    BallSkin skin;
};

static const BallSkinEntry BALL_SKINS[] = {
    {"ball_vemo.png", {"VEMO", SkinPattern::Gores, 0xff7a1a, 0xffd23f, 0xfff6e4, 0xc8300c}},
    {"ball_qrv.png", {"QRV", SkinPattern::Spiral, 0x7a3cff, 0xff4fb8, 0xffffff, 0x4d18c4}},
    {"ball_arku.png", {"ARKU", SkinPattern::Dots, 0x12c29a, 0xdcff4a, 0xf0fff8, 0x0a6f5d}},
};

// Draws every image of the show into assetsDir/textures. False on failure.
static bool generateImages(const std::string& assetsDir)
{
    const std::filesystem::path folder = std::filesystem::path(assetsDir) / "textures";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::cerr << "assetgen: Unable to create " << folder.string() << ": " << error.message() << std::endl;
        return false;
    }
    if (!robotoIsInstalled()) return false;

    auto in = [&folder](const char* file) { return (folder / file).string(); };
    bool allWritten = paintBlack(in("black.png"));
    allWritten = paintRainbow(in("rainbow.png")) && allWritten;
    allWritten = paintLoadingBarEmpty(in("loading_bar_empty.png")) && allWritten;
    allWritten = paintLoadingBarFull(in("loading_bar_full.png")) && allWritten;
    allWritten = paintWallTiles(in("wall_tiles.png")) && allWritten;
    for (const BallSkinEntry& ball : BALL_SKINS) {
        allWritten = paintBallSkin(in(ball.file), ball.skin) && allWritten;
    }
    allWritten = paintCreditsTitlePage(in("credits_start.png")) && allWritten;
    for (const CreditsEntry& page : CREDITS_PAGES) {
        const bool last = &page == &CREDITS_PAGES[std::size(CREDITS_PAGES) - 1];
        allWritten = (last ? paintLastCreditsPage : paintCreditsPage)(in(page.file), page.role, page.name) && allWritten;
    }
    for (const TitleCardEntry& card : TITLE_CARDS) {
        allWritten = paintTitleCard(in(card.file), card.title) && allWritten;
    }
    return allWritten;
}

namespace fs = std::filesystem;

// Synthesises the effects and the music into assetsDir/sounds and
// assetsDir/music. False on failure.
static bool generateSounds(const std::string& assetsDir)
{
    const fs::path soundsDir = fs::path(assetsDir) / "sounds";
    const fs::path musicDir = fs::path(assetsDir) / "music";
    for (const fs::path& folder : {soundsDir, musicDir}) {
        std::error_code error;
        fs::create_directories(folder, error);
        if (error) {
            std::cerr << "assetgen: Unable to create " << folder.string() << "." << std::endl;
            return false;
        }
    }
    const bool bounceDone = writeClip(renderBounce(), (soundsDir / "bounce.wav").string());
    AudioClip lo;
    const bool loDone = renderLo(lo) && writeClip(lo, (soundsDir / "lo.wav").string());
    AudioClip music;
    const bool musicDone = renderMusic(music) && writeClip(music, (musicDir / "qrv.ogg").string());
    return bounceDone && loDone && musicDone;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: assetgen ASSETS_DIR" << std::endl;
        return 2;
    }
    const bool imagesDone = generateImages(argv[1]);
    const bool soundsDone = generateSounds(argv[1]);
    return imagesDone && soundsDone ? 0 : 1;
}
