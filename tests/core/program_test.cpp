// The real executable in a temporary copy of the run folder, as a user
// starts it: greeting, error lines and exit code, with broken run files,
// missing devices and shaders, and a close request.
#include "test_support.h"

namespace fs = std::filesystem;

// Escape held from the start ends the show after its first frame; without
// it a missing shader ends the show before it plays, or a close request the
// loading screen, which alone lasts about 22 s.
TEST(Program, EachStartGivesItsExitCodeGreetingAndLines)
{
    const std::string NO_AUDIO = "No audio device, so the show plays in silence.";
    struct Case {
        std::string environment, missing;  // missing: a run file removed
        int exitCode;
        Lines lines;
        double closeAfterSeconds = -1.0;
    };
    for (const Case& start : {
             // OpenAL Soft reports at this level a device left open at exit.
             Case{"ALSOFT_LOGLEVEL=1", "", 0, {}},
             Case{"-u DISPLAY", "", 1, {"Unable to open the display: DISPLAY is unset or names no running X server."}},
             Case{"ALSOFT_DRIVERS=none", "", 0, {NO_AUDIO}},
             // ALSA without its configuration finds no device and has its own complaints.
             Case{"ALSOFT_DRIVERS=alsa ALSA_CONFIG_PATH=/nonexistent/alsa.conf", "", 0, {NO_AUDIO}},
             Case{"", "assets/shaders/balls.frag", 0, {"Unable to load the balls shader :("}},
             Case{"", "assets/shaders/peephole.frag", 0, {"Unable to load the text shader :("}},
             Case{"", "", 0, {}, 2.0},
         }) {
        TempRunFolder folder{RunFiles::FromRepository};
        if (!start.missing.empty()) fs::remove(start.missing);
        const bool escape = start.missing.empty() && start.closeAfterSeconds < 0.0;
        const ProgramRun run =
            runBouncefest(folder.path, ProgramOptions{escape, start.closeAfterSeconds, 60.0, start.environment, ""});
        EXPECT_EQ(run.exitCode, start.exitCode) << start.environment;
        EXPECT_EQ(run.out, start.exitCode == 0 ? "hello\n" : "") << start.environment;
        EXPECT_EQ(splitLines(run.err), start.lines) << start.environment;
        EXPECT_TRUE(start.closeAfterSeconds < 0.0 ||
                    (run.firstFrameSeconds >= 0.0 && run.seconds - run.firstFrameSeconds < 12.0))
            << run.seconds << " s, the first frame at " << run.firstFrameSeconds << " s";
    }
    // A level that the user asks for stays: OpenAL Soft then tells what it does.
    TempRunFolder folder{RunFiles::FromRepository};
    EXPECT_NE(runWithEscapeHeld(folder.path, "ALSOFT_LOGLEVEL=3").err.find("AL lib: "), std::string::npos);
}

TEST(Program, BrokenConfigurationAndManifestsAreReportedInOrderAndTheShowGoesOn)
{
    TempRunFolder folder{RunFiles::FromRepository};
    folder.write("config.json", "{\"fullscreen\": ");
    fs::remove(folder.path / "assets/textures.json");
    folder.write("assets/sounds.json", "[]");
    const ProgramRun run = runWithEscapeHeld(folder.path);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "hello\n");
    const auto noTexture = [](const char* key) { return "TextureManager: Texture with key " + std::string(key) + " does not exist."; };
    const Lines lines = {
        "config.json: Error while parsing JSON.",
        "[json.exception.parse_error.101] parse error at line 1, column 16: syntax error while parsing value - "
        "unexpected end of input; expected '[', '{', or a literal",
        "TextureManager: Unable to open file assets/textures.json.", noTexture("black"), noTexture("intro1"),
        noTexture("intro2"), noTexture("intro3"), noTexture("intro4"), "validateJson: Missing prop: sounds.",
        "SoundManager: Missing properties in soundsfile.", "SpriteManager: Sprite with key black does not exist.",
        noTexture("rainbow_texture"), "SpriteManager: Sprite with key black does not exist.",
        noTexture("loading_bar_empty"), noTexture("loading_bar_full")};
    EXPECT_EQ(splitLines(run.err), lines);
    // The capture tool starts the show through the demo's own start-up.
    const ProgramRun tool = runCapture(folder.path, "--frames 0 .");
    EXPECT_EQ(tool.exitCode, 0);
    EXPECT_EQ(splitLines(tool.err), lines);
}
