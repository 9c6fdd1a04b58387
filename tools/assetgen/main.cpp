// Writes every generated image and sound of the show under the folder
// given as the only argument (the run folder's assets/).
#include "assetgen.h"

#include <filesystem>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

static const struct { const char* file; bool (*paint)(const std::string& path); } FLAT_PICTURES[] = {
    {"black.png", paintBlack},
    {"rainbow.png", paintRainbow},
    {"loading_bar_empty.png", paintLoadingBarEmpty},
    {"loading_bar_full.png", paintLoadingBarFull},
    {"wall_tiles.png", paintWallTiles},
};

static const struct { const char* file; BallSkin skin; } BALL_SKINS[] = {
    {"ball_vemo.png", {"VEMO", SkinPattern::Gores, 0xff7a1a, 0xffd23f, 0xfff6e4, 0xc8300c}},
    {"ball_qrv.png", {"QRV", SkinPattern::Spiral, 0x7a3cff, 0xff4fb8, 0xffffff, 0x4d18c4}},
    {"ball_arku.png", {"ARKU", SkinPattern::Dots, 0x12c29a, 0xdcff4a, 0xf0fff8, 0x0a6f5d}},
};

// The last page also carries the show's closing face.
static const struct { const char* file; const char* role; const char* name; } CREDITS_PAGES[] = {
    {"credits_orin.png", "CODE", "Orin"},     {"credits_tasu.png", "MUSIC", "Tasu"},
    {"credits_bexo.png", "GRAPHICS", "Bexo"}, {"credits_quil.png", "SHADERS", "Quil"},
    {"credits_mave.png", "SUPPORT", "Mave"},
};

static const struct { const char* file; const char* title; } TITLE_CARDS[] = {
    {"intro1.png", "Grumble Owl"}, {"intro2.png", "vs"}, {"intro3.png", "The Quirkz"},
    {"intro4.png", "QRV Bouncefest\n2025"},
};

static bool createFolder(const fs::path& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    return !error || reportError("Unable to create ", folder.string(), ": ", error.message());
}

// Draws every image of the show into assetsDir/textures. False on failure.
static bool generateImages(const fs::path& assetsDir)
{
    const fs::path folder = assetsDir / "textures";
    if (!createFolder(folder) || !robotoIsInstalled()) return false;
    auto in = [&folder](const char* file) { return (folder / file).string(); };
    bool done = true;
    for (const auto& picture : FLAT_PICTURES) done = picture.paint(in(picture.file)) && done;
    for (const auto& ball : BALL_SKINS) done = paintBallSkin(in(ball.file), ball.skin) && done;
    done = paintCreditsTitlePage(in("credits_start.png")) && done;
    for (const auto& page : CREDITS_PAGES) {
        const bool last = &page == &CREDITS_PAGES[std::size(CREDITS_PAGES) - 1];
        done = paintCreditsPage(in(page.file), page.role, page.name, last) && done;
    }
    for (const auto& card : TITLE_CARDS) done = paintTitleCard(in(card.file), card.title) && done;
    return done;
}

static bool writeClip(const AudioClip& clip, const fs::path& path)
{
    return writeClipFile(clip, path.string()) || reportError("Unable to write ", path.string(), ".");
}

// Synthesises the effects into assetsDir/sounds and the music into
// assetsDir/music. False on failure.
static bool generateSounds(const fs::path& assetsDir)
{
    const fs::path sounds = assetsDir / "sounds";
    const fs::path music = assetsDir / "music";
    if (!createFolder(sounds) || !createFolder(music)) return false;
    bool done = writeClip(renderBounce(), sounds / "bounce.wav");
    AudioClip clip;
    done = (renderLo(clip) && writeClip(clip, sounds / "lo.wav")) && done;
    return (renderMusic(clip) && writeClip(clip, music / "qrv.ogg")) && done;
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
