// The real executable plays the whole show, headless, in a copy of the run
// folder, with no audio device: loading screen, intro and ball scene end
// by themselves.
#include "test_support.h"

#include <gtest/gtest.h>

#include <iostream>
#include <string>

namespace {

// 21.9 s of loading screen, 28 s of intro, 63 s of ball scene.
constexpr double SHOW_LENGTH_S = 112.9;
// Start-up, and up to one late frame at each of the 26 stage ends on a
// slow software renderer.
constexpr double ALLOWED_OVERRUN_S = 45.0;

}  // namespace

TEST(Show, PlaysFromStartToEndAndExitsByItself)
{
    TempRunFolder folder;
    folder.copyRepositoryRunFiles();
    ProgramOptions options;
    options.timeoutSeconds = SHOW_LENGTH_S + 2 * ALLOWED_OVERRUN_S;
    options.extraEnv = {"ALSOFT_DRIVERS=none"};  // no audio device: the show plays silently
    const ProgramRun run = runBouncefest(folder.path, options);

    ASSERT_EQ(run.exitCode, 0) << "after " << run.seconds << " s\n" << run.err;
    EXPECT_EQ(run.out, "hello\n");
    // Only the libraries may speak (the driver on vertical sync, OpenAL at
    // exit): every asset, key and uniform that the show uses is there.
    for (const char* problem : {"TextureManager: ", "SpriteManager: ", "SoundManager: ", "MusicManager: ",
                                "validateJson: ", "Config.json", "config.json", "Unable to load",
                                "not found in shader"}) {
        EXPECT_EQ(run.err.find(problem), std::string::npos) << run.err;
    }
    EXPECT_GE(run.seconds, SHOW_LENGTH_S);
    EXPECT_LE(run.seconds, SHOW_LENGTH_S + ALLOWED_OVERRUN_S);
    std::cout << "The show took " << run.seconds << " s." << std::endl;
}
