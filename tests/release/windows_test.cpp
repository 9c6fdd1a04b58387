// The Windows show (build-windows/bouncefest.exe) under Wine, in a prefix
// that the test run makes once, against the Linux show in the same run
// folders: the same lines, the same exits and the same pictures.
#include "reference_frames.h"
#include "wine.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <tuple>

namespace fs = std::filesystem;

namespace {

// The Windows show's files, put beside the run files as in the release.
void copyWindowsShow(const TempRunFolder& folder)
{
    for (const char* file : {"bouncefest.exe", "OpenAL32.dll"}) {
        fs::copy_file(fs::path(BOUNCEFEST_WINDOWS_DIR) / file, folder.path / file);
    }
}

// Windows ends its lines with CR LF.
Lines linesOf(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return splitLines(text);
}

}  // namespace

// A plain start is the release test's, from the archive.
TEST(WindowsShow, StartsAndEndsWithTheLinuxShowsLines)
{
    struct Case {
        const char* what;
        std::string environment;
        void (*prepare)(const TempRunFolder&);
    };
    for (const Case& start : {
             Case{"no audio device", "ALSOFT_DRIVERS=none", [](const TempRunFolder&) {}},
             Case{"no config.json", "", [](const TempRunFolder& f) { fs::remove(f.path / "config.json"); }},
             Case{"broken manifest", "", [](const TempRunFolder& f) { f.write("assets/sprites.json", "{\"sprites\": ["); }},
             Case{"no text shader", "",
                  [](const TempRunFolder& f) { fs::remove(f.path / "assets/shaders/peephole.frag"); }},
         }) {
        TempRunFolder folder{RunFiles::FromRepository};
        copyWindowsShow(folder);
        start.prepare(folder);
        const ProgramRun linux = runWithEscapeHeld(folder.path, start.environment);
        const ProgramRun windows = runWithEscapeHeld(folder.path, WINE_ENVIRONMENT + start.environment, underWine("bouncefest.exe"));
        EXPECT_EQ(windows.exitCode, 0) << start.what;
        EXPECT_EQ(linesOf(windows.out), Lines{"hello"}) << start.what;
        EXPECT_EQ(linesOf(windows.err), splitLines(linux.err)) << start.what;
    }
}

TEST(WindowsShow, ACloseRequestEndsIt)
{
    TempRunFolder folder{RunFiles::FromRepository};
    copyWindowsShow(folder);
    const ProgramRun run = runBouncefest(folder.path, ProgramOptions{false, 3.0, 60.0, WINE_ENVIRONMENT, underWine("bouncefest.exe")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(linesOf(run.out), Lines{"hello"});
    EXPECT_EQ(run.err, "");
    // The loading screen alone lasts far longer; only the request ends it this early.
    ASSERT_GE(run.firstFrameSeconds, 0.0);
    EXPECT_LT(run.seconds - run.firstFrameSeconds, 15.0);
}

// The window's picture at two moments (the loading screen, the ball scene
// fading in), each against the Linux capture's frames around the same
// moment; and on a screen without the picture's mode, at the desktop's
// size, the picture fitted between bars above and below.
TEST(WindowsShow, ShowsWhatTheLinuxCaptureRenders)
{
    struct Screen {
        std::string size;
        sf::IntRect shown;
    };
    for (const Screen& screen : {Screen{"1920x1080", {0, 0, 1920, 1080}}, Screen{"2560x1600", {0, 80, 2560, 1440}}}) {
        TempRunFolder folder{RunFiles::FromRepository};
        copyWindowsShow(folder);
        // Full screen, the window has no frame: its picture covers the screen.
        folder.write("config.json", "{\"fullscreen\": true}");
        ProgramOptions options{false, 0.0, 180.0, WINE_ENVIRONMENT, underWine("bouncefest.exe")};
        options.shotSeconds = referenceShotSeconds();
        options.screen = screen.size;
        const ProgramRun run = runBouncefest(folder.path, options);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        expectShowsReferenceFrames(run, "The Windows show at " + screen.size, screen.shown);
    }
}
