#include "images.h"

#include "image_canvas.h"
#include "image_lettering.h"
#include "image_room.h"
#include "image_screen.h"

#include <filesystem>
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

bool generateImages(const std::string& assetsDir)
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
        allWritten = paintCreditsPage(in(page.file), page.role, page.name) && allWritten;
    }
    for (const TitleCardEntry& card : TITLE_CARDS) {
        allWritten = paintTitleCard(in(card.file), card.title) && allWritten;
    }
    return allWritten;
}
