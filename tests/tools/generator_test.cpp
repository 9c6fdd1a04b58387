// The generated media are the same bytes from every run of the generator.
// How they look and sound in the show is what the capture test's golden
// frames and soundtrack see.
#include "scenes/scenes.h"
#include "test_support.h"

#include <SFML/Audio/InputSoundFile.hpp>

#include <algorithm>
#include <cmath>

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
        EXPECT_TRUE(!bytes.empty() && bytes == readBytes(repositoryRoot() / file)) << file << " is empty or differs from the build's (rebuild?)";
        ++compared;
    }
    EXPECT_EQ(compared, 21) << "18 pictures, 2 effects and the music";
}

// The intro plays "lo" on its one voice a card after the last play, a frame
// late at most: that play cuts the last one, which must be silent there, or
// the cut clicks. After the last card it rings on, over the ball scene's fade
// from black.
TEST(Generator, TheLoIsSilentWhereTheNextCardCutsItAndRingsOnAfterTheLast)
{
    sf::InputSoundFile lo;
    ASSERT_TRUE(lo.openFromFile((repositoryRoot() / "assets/sounds/lo.wav").string()));
    std::vector<sf::Int16> samples(lo.getSampleCount());
    ASSERT_EQ(lo.read(samples.data(), samples.size()), samples.size());
    const float* stages = INTRO_STAGES_S;
    const double cardS = stages[0] + stages[1], frameS = 1.0 / 60.0;
    const auto peakDbfs = [&](double fromS, double toS) {
        int peak = 1;
        for (std::size_t at = std::lround(fromS * lo.getSampleRate()) * lo.getChannelCount();
             at < std::min<std::size_t>(std::lround(toS * lo.getSampleRate()) * lo.getChannelCount(), samples.size()); ++at)
            peak = std::max(peak, std::abs(int(samples[at])));
        return 20.0 * std::log10(peak / 32767.0);
    };
    EXPECT_LT(peakDbfs(cardS, cardS + frameS), -50.0);
    EXPECT_GT(peakDbfs(cardS + frameS, cardS + stages[1]), -30.0);
}
