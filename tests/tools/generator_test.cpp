// The generated media: the same bytes from every run of the generator, and
// sounds that decode in the shape the show needs, peaking where they were
// mastered and never clipping. How they look and sound in the show is what
// the capture test's golden frames and soundtrack see.
#include "test_support.h"

#include <SFML/Audio/InputSoundFile.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace fs = std::filesystem;

// The build ran the generator into the repository's assets/; a second run
// into an empty folder writes every file again, byte for byte.
TEST(Generator, TwoRunsWriteIdenticalBytes)
{
    TempRunFolder folder;
    ASSERT_EQ(runAssetGenerator(folder.path / "assets"), 0);
    int compared = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder.path / "assets")) {
        if (entry.is_directory()) continue;
        const fs::path relative = fs::relative(entry.path(), folder.path);
        const std::string bytes = readBytes(entry.path());
        EXPECT_FALSE(bytes.empty()) << relative;
        EXPECT_TRUE(bytes == readBytes(repositoryRoot() / relative)) << relative << " differs from the build's (rebuild?)";
        ++compared;
    }
    EXPECT_EQ(compared, 21) << "18 pictures, 2 effects and the music";
}

TEST(Generator, SoundsDecodeInTheirShapeAndPeakWhereTheyWereMastered)
{
    const struct {
        const char* file;
        unsigned channels;
        double shortestS, longestS, lowestPeakDbfs, highestPeakDbfs;
    } sounds[] = {
        {"assets/sounds/bounce.wav", 1, 0.05, 0.25, -3.5, -2.5},
        {"assets/sounds/lo.wav", 2, 1.5, 2.5, -3.5, -2.5},
        {"assets/music/qrv.ogg", 2, 41.0, 64.0, -12.0, -1.0},  // long enough that the show never loops it
    };
    for (const auto& sound : sounds) {
        SCOPED_TRACE(sound.file);
        sf::InputSoundFile file;
        ASSERT_TRUE(file.openFromFile(sound.file));
        std::vector<sf::Int16> samples(static_cast<std::size_t>(file.getSampleCount()));
        samples.resize(static_cast<std::size_t>(file.read(samples.data(), samples.size())));
        EXPECT_EQ(file.getSampleRate(), 44100u);
        EXPECT_EQ(file.getChannelCount(), sound.channels);
        EXPECT_GE(file.getDuration().asSeconds(), sound.shortestS);
        EXPECT_LE(file.getDuration().asSeconds(), sound.longestS);
        const auto [lowest, highest] = std::minmax_element(samples.begin(), samples.end());
        const double peakDbfs = 20.0 * std::log10(std::max(-*lowest, +*highest) / 32768.0);
        EXPECT_GE(peakDbfs, sound.lowestPeakDbfs);
        EXPECT_LE(peakDbfs, sound.highestPeakDbfs) << "at or near clipping";
    }
}
