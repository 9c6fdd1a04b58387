// Quitting the real executable: a window close request, and Escape held.
#include "test_support.h"

#include <gtest/gtest.h>

TEST(Quit, ACloseRequestEndsTheShowWithExitCodeZero)
{
    TempRunFolder folder;
    folder.copyRepositoryRunFiles();
    ProgramOptions options;
    options.closeAfterSeconds = 2.0;
    options.timeoutSeconds = 20.0;
    const ProgramRun run = runBouncefest(folder.path, options);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "hello\n");
    // The loading screen alone lasts about 22 s; only the request ends it this early.
    EXPECT_LT(run.seconds, 10.0);
}
