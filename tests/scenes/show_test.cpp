// The real executable plays the whole show, headless, in a copy of the run
// folder, with no audio device: loading screen, intro and ball scene end
// by themselves.
#include "test_support.h"

#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

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
    // Every asset, key and uniform that the show uses is there, and the
    // libraries say nothing of the missing device.
    EXPECT_EQ(splitLines(run.err), std::vector<std::string>{"No audio device, so the show plays in silence."});
    EXPECT_GE(run.seconds, SHOW_LENGTH_S);
    EXPECT_LE(run.seconds, SHOW_LENGTH_S + ALLOWED_OVERRUN_S);
    std::cout << "The show took " << run.seconds << " s." << std::endl;
}
