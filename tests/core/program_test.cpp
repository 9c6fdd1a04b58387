// The real executable in a temporary copy of the run folder, as a user
// starts it: greeting, error lines and exit code, with broken run files,
// missing devices and shaders, and a close request.
#include "test_support.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

const std::string NO_DISPLAY = "Unable to open the display: DISPLAY is unset or names no running X server.";
const std::string NO_AUDIO = "No audio device, so the show plays in silence.";

}  // namespace

// OpenAL Soft reports at this level a device left open at exit.
TEST(Program, EscapeHeldFromTheStartEndsAfterTheFirstFrameWithNothingOnStandardError)
{
    TempRunFolder folder;
    folder.copyRepositoryRunFiles();
    const ProgramRun run = runWithEscapeHeld(folder.path, "ALSOFT_LOGLEVEL=1");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "hello\n");
    EXPECT_EQ(run.err, "");
    // A level that the user asks for stays: OpenAL Soft then tells what it does.
    EXPECT_NE(runWithEscapeHeld(folder.path, "ALSOFT_LOGLEVEL=3").err.find("AL lib: "), std::string::npos);
}

TEST(Program, AMissingDeviceIsOneLine)
{
    struct Case {
        std::string environment;
        int exitCode;
        std::string out;
        std::string line;
    };
    for (const Case& missing : {
             Case{"-u DISPLAY", 1, "", NO_DISPLAY},
             Case{"DISPLAY=:987", 1, "", NO_DISPLAY},
             Case{"ALSOFT_DRIVERS=none", 0, "hello\n", NO_AUDIO},
             // ALSA without its configuration finds no device and has its own complaints.
             Case{"ALSOFT_DRIVERS=alsa ALSA_CONFIG_PATH=/nonexistent/alsa.conf", 0, "hello\n", NO_AUDIO},
         }) {
        TempRunFolder folder;
        folder.copyRepositoryRunFiles();
        const ProgramRun run = runWithEscapeHeld(folder.path, missing.environment);
        EXPECT_EQ(run.exitCode, missing.exitCode) << missing.environment;
        EXPECT_EQ(run.out, missing.out) << missing.environment;
        EXPECT_EQ(splitLines(run.err), Lines{missing.line}) << missing.environment;
    }
}

// Without Escape: a missing shader ends the show when its scene needs it.
TEST(Program, AMissingShaderEndsTheShowWithItsLine)
{
    for (const std::string shader : {"balls", "text"}) {
        TempRunFolder folder;
        folder.copyRepositoryRunFiles();
        fs::remove(folder.path / (shader == "balls" ? "assets/shaders/balls.frag" : "assets/shaders/peephole.frag"));
        const ProgramRun run = runBouncefest(folder.path, ProgramOptions{false, -1.0, 60.0, "", ""});
        EXPECT_EQ(run.exitCode, 0) << shader;
        EXPECT_EQ(run.out, "hello\n") << shader;
        EXPECT_EQ(splitLines(run.err), Lines{"Unable to load the " + shader + " shader :("}) << shader;
    }
}

TEST(Program, BrokenConfigurationAndManifestsAreReportedInOrderAndTheShowGoesOn)
{
    TempRunFolder folder;
    folder.copyRepositoryRunFiles();
    folder.write("config.json", "{\"fullscreen\": ");
    fs::remove(folder.path / "assets/textures.json");
    folder.write("assets/sounds.json", "[]");
    const ProgramRun run = runWithEscapeHeld(folder.path);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "hello\n");
    const std::string noTexture = "TextureManager: Texture with key ";
    EXPECT_EQ(splitLines(run.err),
              (Lines{"config.json: Error while parsing JSON.",
                     "[json.exception.parse_error.101] parse error at line 1, column 16: syntax error while parsing "
                     "value - unexpected end of input; expected '[', '{', or a literal",
                     "TextureManager: Unable to open file assets/textures.json.",
                     noTexture + "black does not exist.", noTexture + "intro1 does not exist.",
                     noTexture + "intro2 does not exist.", noTexture + "intro3 does not exist.",
                     noTexture + "intro4 does not exist.", "validateJson: Missing prop: sounds.",
                     "SoundManager: Missing properties in soundsfile.",
                     "SpriteManager: Sprite with key black does not exist.",
                     noTexture + "rainbow_texture does not exist.",
                     "SpriteManager: Sprite with key black does not exist.",
                     noTexture + "loading_bar_empty does not exist.", noTexture + "loading_bar_full does not exist."}));
}

TEST(Program, ACloseRequestEndsTheShowWithExitCodeZero)
{
    TempRunFolder folder;
    folder.copyRepositoryRunFiles();
    const ProgramRun run = runBouncefest(folder.path, ProgramOptions{false, 2.0, 20.0, "", ""});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "hello\n");
    // The loading screen alone lasts about 22 s; only the request ends it this early.
    EXPECT_LT(run.seconds, 10.0);
}
