// The Windows show (build-windows/bouncefest.exe) under Wine, in a prefix
// that the test run makes once, against the Linux show in the same run
// folders: the same lines, the same exits and the same pictures.
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

// The largest difference, in levels, that more than one pixel in a
// thousand shows between two pictures of one size.
int differenceOf(const sf::Image& a, const sf::Image& b)
{
    std::vector<int> counts(256, 0);
    const sf::Uint8* p = a.getPixelsPtr();
    const sf::Uint8* q = b.getPixelsPtr();
    const std::size_t pixels = a.getSize().x * a.getSize().y;
    for (std::size_t i = 0; i < pixels; ++i) {
        int largest = 0;
        for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(p[i * 4 + c] - q[i * 4 + c]));
        ++counts[largest];
    }
    std::size_t above = 0;
    for (int level = 255; level > 0; --level) {
        above += counts[level];
        if (above * 1000 > pixels) return level;
    }
    return 0;
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
    // The loading screen alone lasts about 22 s; only the request ends it this early.
    ASSERT_GE(run.firstFrameSeconds, 0.0);
    EXPECT_LT(run.seconds - run.firstFrameSeconds, 15.0);
}

// Frames at 60 per second, the ball scene's before its first ball moves:
// at the show's real frame rate under Wine a moving ball takes another
// path. In real time each stage end drops what its frame ran past it, so
// in the ball scene the fade from black and the scene's own clock part by
// that much: no one capture frame matches both to a level.
const std::int64_t MOMENTS[] = {600, 1500, 3100};
const int TOLERANCE_LEVELS[] = {8, 8, 16};
// The window shows a frame from 7 to 19 frames before the moment, and real
// time only says when to within a few more; by the ball scene the stage
// ends under Wine's slower frames have dropped more (once over 40 frames).
const std::int64_t EARLIER[] = {40, 40, 80};
const std::int64_t LATER = 4;
const fs::path REFERENCE_FRAMES = BOUNCEFEST_WINDOWS_REFERENCE;

// The Linux capture's frames around each moment, made while the other Windows
// tests run: the frames test needs them.
TEST(WindowsReference, TheLinuxCaptureWritesTheFramesAroundEachMoment)
{
    std::string frames;
    for (std::size_t i = 0; i < std::size(MOMENTS); ++i) {
        frames += (frames.empty() ? "" : ",") + std::to_string(MOMENTS[i] - EARLIER[i]) + "-" +
                  std::to_string(MOMENTS[i] + LATER);
    }
    TempRunFolder folder{RunFiles::FromRepository};
    const ProgramRun run = runCapture(folder.path, "--frames " + frames + " '" + REFERENCE_FRAMES.string() + "'");
    ASSERT_EQ(run.exitCode, 0) << run.err;
}

// The window's picture at three moments (the loading screen, the first
// card, the ball scene fading in), each against the Linux capture's frames
// around the same moment.
TEST(WindowsShow, ShowsWhatTheLinuxCaptureRenders)
{
    TempRunFolder folder{RunFiles::FromRepository};
    copyWindowsShow(folder);
    // Full screen, the window has no frame: its picture covers the screen.
    folder.write("config.json", "{\"fullscreen\": true}");
    ProgramOptions options{false, 0.0, 150.0, WINE_ENVIRONMENT, underWine("bouncefest.exe")};
    for (const std::int64_t moment : MOMENTS) options.shotSeconds.push_back(moment / 60.0);
    const ProgramRun run = runBouncefest(folder.path, options);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(run.shots.size(), std::size(MOMENTS));

    for (std::size_t i = 0; i < std::size(MOMENTS); ++i) {
        int best = 256;
        std::int64_t bestFrame = -1;
        for (std::int64_t frame = MOMENTS[i] - EARLIER[i]; frame <= MOMENTS[i] + LATER; ++frame) {
            const std::string number = std::to_string(frame);
            sf::Image linux;
            ASSERT_TRUE(linux.loadFromFile(
                (REFERENCE_FRAMES / ("frame-" + std::string(6 - number.size(), '0') + number + ".png")).string()));
            ASSERT_EQ(linux.getSize(), run.shots[i].getSize());
            const int difference = differenceOf(linux, run.shots[i]);
            if (difference < best) std::tie(best, bestFrame) = std::make_tuple(difference, frame);
        }
        std::cout << "At frame " << MOMENTS[i] << " the window showed frame " << bestFrame << " within " << best
                  << " levels" << std::endl;
        EXPECT_LE(best, TOLERANCE_LEVELS[i]) << "frame " << MOMENTS[i];
    }
}
