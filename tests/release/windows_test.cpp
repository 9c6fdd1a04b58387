// The Windows show (build-windows/bouncefest.exe) under Wine, in a prefix
// that the test run makes once, against the Linux show in the same run
// folders: the same lines, the same exits and the picture in the same place.
#include "wine.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace {

// A run folder with the Windows show's files beside the run files, as in the release.
struct WindowsRunFolder : TempRunFolder {
    WindowsRunFolder() : TempRunFolder(RunFiles::FromRepository)
    {
        for (const char* file : {"bouncefest.exe", "OpenAL32.dll"})
            fs::copy_file(fs::path(BOUNCEFEST_WINDOWS_DIR) / file, path / file);
    }
};

}  // namespace

// A plain start is the release test's, from the archive.
TEST(WindowsShow, StartsAndEndsWithTheLinuxShowsLines)
{
    // Windows ends its lines with CR LF.
    const auto linesOf = [](std::string text) {
        return splitLines(text.erase(std::remove(text.begin(), text.end(), '\r') - text.begin()));
    };
    struct Case {
        std::string environment, file, content;  // file: removed, or written with the content
    };
    for (const Case& start : {Case{"ALSOFT_DRIVERS=none", "", ""}, Case{"", "config.json", ""},
                              Case{"", "assets/sprites.json", "{\"sprites\": ["},
                              Case{"", "assets/shaders/peephole.frag", ""}}) {
        WindowsRunFolder folder;
        if (!start.content.empty()) folder.write(start.file, start.content);
        else if (!start.file.empty()) fs::remove(start.file);
        SCOPED_TRACE(start.environment + " " + start.file);
        const ProgramRun linux = runWithEscapeHeld(folder.path, start.environment);
        const ProgramRun windows =
            runWithEscapeHeld(folder.path, WINE_ENVIRONMENT + start.environment, underWine("bouncefest.exe"));
        EXPECT_EQ(windows.exitCode, 0);
        EXPECT_EQ(linesOf(windows.out), Lines{"hello"});
        EXPECT_EQ(linesOf(windows.err), splitLines(linux.err));
    }
}

// Full screen, the window has no frame: its picture covers the screen, or,
// without the picture's mode, the desktop's size between bars.
TEST(WindowsShow, ShowsThePictureWhereTheLinuxShowDoesAndEndsOnACloseRequest)
{
    for (const auto& [size, shown] : {std::pair{"1920x1080", sf::IntRect{0, 0, 1920, 1080}},
                                      std::pair{"2560x1600", sf::IntRect{0, 80, 2560, 1440}}}) {
        WindowsRunFolder folder;
        folder.write("config.json", "{\"fullscreen\": true}");
        ProgramOptions options{false, 0.0, 180.0, WINE_ENVIRONMENT, underWine("bouncefest.exe")};
        options.shotSeconds = PICTURE_SHOTS_S;
        options.screen = size;
        const ProgramRun run = runBouncefest(folder.path, options);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(run.out, "hello\r\n");
        EXPECT_EQ(run.err, "");
        // The show lasts far longer; only the request ends it this early.
        EXPECT_LT(run.seconds - run.firstFrameSeconds, options.shotSeconds.back() + 15.0) << size;
        expectShowsThePictureIn(run, shown, std::string("The Windows show at ") + size);
    }
}
