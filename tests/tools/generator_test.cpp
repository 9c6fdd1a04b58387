// The generated media are the same bytes from every run of the generator.
// How they look and sound in the show is what the capture test's golden
// frames and soundtrack see.
#include "test_support.h"

namespace fs = std::filesystem;

// The build ran the generator, which lies beside the demo, into the
// repository's assets/; a second run into an empty folder writes every file
// again, byte for byte.
TEST(Generator, TwoRunsWriteIdenticalBytes)
{
    TempRunFolder folder;
    const fs::path generator = fs::path(BOUNCEFEST_EXE).parent_path() / "assetgen";
    ASSERT_EQ(std::system(("'" + generator.string() + "' assets >/dev/null 2>&1").c_str()), 0);
    int compared = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder.path / "assets")) {
        if (entry.is_directory()) continue;
        const fs::path file = fs::relative(entry.path(), folder.path);
        const std::string bytes = readBytes(entry.path());
        EXPECT_FALSE(bytes.empty()) << file;
        EXPECT_TRUE(bytes == readBytes(repositoryRoot() / file)) << file << " differs from the build's (rebuild?)";
        ++compared;
    }
    EXPECT_EQ(compared, 21) << "18 pictures, 2 effects and the music";
}
