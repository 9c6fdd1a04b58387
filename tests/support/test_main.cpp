// The tests' entry routine prepares the process as the show's does, so that
// the show's GL and audio objects exist and the libraries keep quiet.
#include "core/library_output.h"
#include "core/platform.h"
#include "core/show.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (!displayAvailable()) return 1;
    silenceLibraryOutput();
    makeDeviceObjects();
    return RUN_ALL_TESTS();
}
