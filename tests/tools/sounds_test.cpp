// The generated sound files, as the manifests name them: each decodes with
// SFML in the shape that the show needs, free of clipping and offset; the
// effects have the level and the envelope that the scenes rely on; and the
// generator writes the same bytes on every run.
#include "assets/sound_manager.h"
#include "test_support.h"

#include <SFML/Audio/InputSoundFile.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr unsigned SAMPLE_RATE_HZ = 44100;
constexpr double FULL_SCALE = 32768.0;
constexpr double MAX_OFFSET = 0.001;             // of full scale
constexpr double EFFECT_PEAK_DBFS = -3.0;
constexpr double EFFECT_PEAK_TOLERANCE_DB = 0.5;
constexpr double SILENCE_DBFS = -60.0;
constexpr double MAX_ONSET_STEP = 0.1;           // of full scale, sample to sample

struct Decoded {
    unsigned channels = 0;
    unsigned sampleRate = 0;
    std::vector<sf::Int16> samples;

    std::size_t frames() const { return channels == 0 ? 0 : samples.size() / channels; }
    double seconds() const { return static_cast<double>(frames()) / sampleRate; }
    double at(std::size_t frame, unsigned channel) const
    {
        return samples[frame * channels + channel] / FULL_SCALE;
    }
    // The largest magnitude over the frames [first, last), all channels.
    double peakBetween(std::size_t first, std::size_t last) const
    {
        double peak = 0.0;
        for (std::size_t frame = first; frame < last; ++frame)
            for (unsigned channel = 0; channel < channels; ++channel)
                peak = std::max(peak, std::fabs(at(frame, channel)));
        return peak;
    }
};

Decoded decode(const std::string& path)
{
    Decoded decoded;
    sf::InputSoundFile file;
    if (!file.openFromFile(path)) {
        ADD_FAILURE() << "SFML cannot open " << path;
        return decoded;
    }
    decoded.channels = file.getChannelCount();
    decoded.sampleRate = file.getSampleRate();
    decoded.samples.resize(static_cast<std::size_t>(file.getSampleCount()));
    decoded.samples.resize(static_cast<std::size_t>(file.read(decoded.samples.data(), decoded.samples.size())));
    return decoded;
}

double dbfs(double magnitude)
{
    return 20.0 * std::log10(magnitude);
}

std::string manifestFile(const std::string& manifest, const std::string& top, const std::string& key)
{
    nlohmann::json document;
    std::ifstream(manifest) >> document;
    return document.at(top).at(key).at("file").get<std::string>();
}

struct NamedSound {
    const char* manifest;
    const char* top;
    const char* key;
    unsigned channels;
    double minSeconds;
    double maxSeconds;
};

const NamedSound NAMED_SOUNDS[] = {
    {"assets/sounds.json", "sounds", "bounce", 1, 0.05, 0.25},
    {"assets/sounds.json", "sounds", "lo", 2, 1.5, 2.5},
    {"assets/music.json", "music", "qrv", 2, 41.0, 64.0},
};

void PrintTo(const NamedSound& sound, std::ostream* out)
{
    *out << sound.key;
}

class NamedSoundTest : public ::testing::TestWithParam<NamedSound> {
protected:
    Decoded load() const
    {
        const NamedSound& sound = GetParam();
        return decode(manifestFile(sound.manifest, sound.top, sound.key));
    }
};

std::string keyOf(const ::testing::TestParamInfo<NamedSound>& info)
{
    return info.param.key;
}

}  // namespace

TEST(Manifests, EveryEntryNamesAFileThatDecodesAndPlaysSensibly)
{
    for (const char* manifest : {"assets/sounds.json", "assets/music.json"}) {
        nlohmann::json document;
        std::ifstream(manifest) >> document;
        ASSERT_TRUE(document.is_object()) << manifest;
        for (const auto& [top, entries] : document.items()) {
            ASSERT_FALSE(entries.empty()) << manifest;
            for (const auto& [key, entry] : entries.items()) {
                const Decoded decoded = decode(entry.at("file").get<std::string>());
                EXPECT_GT(decoded.frames(), 0u) << key;
                EXPECT_GE(entry.value("instances", 1), 1) << key;
                const int volume = entry.value("volume", 100);
                EXPECT_GT(volume, 0) << key;
                EXPECT_LE(volume, 100) << key;
                const double loopToSeconds = entry.value("loopTo", 0.0) / 1000.0;
                EXPECT_GE(loopToSeconds, 0.0) << key;
                EXPECT_LT(loopToSeconds, decoded.seconds()) << key;
            }
        }
    }
}

TEST(Manifests, TheSoundManagerLoadsAndPlaysBothEffectsWithoutALine)
{
    const std::vector<std::string> lines = errorLinesOf([] {
        EXPECT_TRUE(soundManager.loadManifest("assets/sounds.json"));
        soundManager.play("bounce");
        soundManager.play("lo");
    });
    EXPECT_TRUE(lines.empty()) << lines.front();
    for (const char* key : {"bounce", "lo"}) {
        ASSERT_TRUE(soundManager.exists(key)) << key;
        EXPECT_EQ(soundManager.sounds[key]->voices[0].getStatus(), sf::Sound::Playing) << key;
    }
}

TEST_P(NamedSoundTest, DecodesAtFullRateWithItsLengthAndChannels)
{
    const NamedSound& sound = GetParam();
    const Decoded decoded = load();
    EXPECT_EQ(decoded.sampleRate, SAMPLE_RATE_HZ);
    EXPECT_EQ(decoded.channels, sound.channels);
    EXPECT_GE(decoded.seconds(), sound.minSeconds);
    EXPECT_LE(decoded.seconds(), sound.maxSeconds);
}

TEST_P(NamedSoundTest, HasNoClippedSampleAndNoOffset)
{
    const Decoded decoded = load();
    ASSERT_GT(decoded.frames(), 0u);
    const auto clipped = std::count_if(decoded.samples.begin(), decoded.samples.end(),
                                       [](sf::Int16 sample) { return sample == 32767 || sample == -32768; });
    EXPECT_EQ(clipped, 0);
    for (unsigned channel = 0; channel < decoded.channels; ++channel) {
        double sum = 0.0;
        for (std::size_t frame = 0; frame < decoded.frames(); ++frame) sum += decoded.at(frame, channel);
        EXPECT_LT(std::fabs(sum / decoded.frames()), MAX_OFFSET) << "channel " << channel;
    }
}

INSTANTIATE_TEST_SUITE_P(Manifests, NamedSoundTest, ::testing::ValuesIn(NAMED_SOUNDS), keyOf);

TEST(Effects, PeakNearMinusThreeDbfsAndStartFromSilence)
{
    for (const char* key : {"bounce", "lo"}) {
        const Decoded decoded = decode(manifestFile("assets/sounds.json", "sounds", key));
        ASSERT_GT(decoded.frames(), 0u) << key;
        EXPECT_NEAR(dbfs(decoded.peakBetween(0, decoded.frames())), EFFECT_PEAK_DBFS, EFFECT_PEAK_TOLERANCE_DB)
            << key;
        // It rises from nothing without a jump: no click at the start.
        EXPECT_LT(dbfs(decoded.peakBetween(0, 1)), SILENCE_DBFS) << key;
        for (std::size_t frame = 1; frame < SAMPLE_RATE_HZ / 1000; ++frame)
            for (unsigned channel = 0; channel < decoded.channels; ++channel)
                ASSERT_LT(std::fabs(decoded.at(frame, channel) - decoded.at(frame - 1, channel)), MAX_ONSET_STEP)
                    << key << " frame " << frame;
    }
}

TEST(Effects, BouncePeaksWithinTenMillisecondsAndEndsSilent)
{
    const Decoded bounce = decode(manifestFile("assets/sounds.json", "sounds", "bounce"));
    ASSERT_GT(bounce.frames(), 0u);
    const std::size_t tenMilliseconds = SAMPLE_RATE_HZ / 100;
    EXPECT_EQ(bounce.peakBetween(0, tenMilliseconds), bounce.peakBetween(0, bounce.frames()));
    // A thump, not a tone: after 100 ms it has died to a tenth.
    const std::size_t hundredMilliseconds = SAMPLE_RATE_HZ / 10;
    EXPECT_LT(bounce.peakBetween(hundredMilliseconds, bounce.frames()), bounce.peakBetween(0, tenMilliseconds) / 10);
    const std::size_t lastMillisecond = bounce.frames() - SAMPLE_RATE_HZ / 1000;
    EXPECT_LT(dbfs(bounce.peakBetween(lastMillisecond, bounce.frames())), SILENCE_DBFS);
}

TEST(Effects, LoIsDeepAndFadesOutCompletely)
{
    const Decoded lo = decode(manifestFile("assets/sounds.json", "sounds", "lo"));
    ASSERT_GT(lo.frames(), 0u);
    // Deep: over its loud first second the wave crosses zero as seldom as a
    // tone of a few hundred hertz would.
    std::size_t crossings = 0;
    for (std::size_t frame = 1; frame < SAMPLE_RATE_HZ; ++frame)
        crossings += (lo.at(frame - 1, 0) < 0.0) != (lo.at(frame, 0) < 0.0);
    EXPECT_LT(crossings, 2u * 300u);
    const std::size_t lastTenMilliseconds = lo.frames() - SAMPLE_RATE_HZ / 100;
    EXPECT_LT(dbfs(lo.peakBetween(lastTenMilliseconds, lo.frames())), SILENCE_DBFS);
}

