// The music track "qrv" as the show plays it: an Ogg Vorbis stream mastered
// to the loudness and peak that ffmpeg's EBU R128 meter reads, and a loop
// that goes on from the end of the file at "loopTo" without a click and
// without a stumble.
#include "assets/music_manager.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr double SAMPLE_RATE_HZ = 44100.0;
constexpr int CHANNELS = 2;
constexpr double TARGET_LOUDNESS_LUFS = -14.0;
constexpr double LOUDNESS_TOLERANCE_LU = 1.0;
constexpr double MAX_TRUE_PEAK_DBTP = -1.0;
// What counts as the track's ordinary change from one sample to the next.
constexpr double ORDINARY_PERCENTILE = 0.95;
// The second before the end and the second before "loopTo" carry the same
// music; what differs is the codec's noise.
constexpr double LEAD_IN_SECONDS = 1.0;
constexpr double MAX_LEAD_IN_DIFFERENCE = 0.1;  // of the lead-in's RMS

struct Song {
    std::string file;
    double loopToMilliseconds;
};

Song songQrv()
{
    nlohmann::json document;
    std::ifstream("assets/music.json") >> document;
    const nlohmann::json& entry = document.at("music").at("qrv");
    return {entry.at("file").get<std::string>(), entry.at("loopTo").get<double>()};
}

// Everything the command writes on its standard output.
std::string commandOutput(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char chunk[65536];
    std::size_t read;
    while ((read = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, read);
    pclose(pipe);
    return output;
}

// The value that follows label on the first line after "Summary:" that has it.
double summaryValue(const std::string& report, const std::string& label)
{
    const std::size_t summary = report.rfind("Summary:");
    if (summary == std::string::npos) return NAN;
    const std::size_t at = report.find(label, summary);
    if (at == std::string::npos) return NAN;
    return std::stod(report.substr(at + label.size()));
}

// One channel of the track, decoded by ffmpeg, in full-scale units.
struct Channels {
    std::vector<std::vector<double>> samples;
    std::size_t frames() const { return samples.empty() ? 0 : samples[0].size(); }
};

Channels decodeWithFfmpeg(const std::string& file)
{
    const std::string pcm = commandOutput("ffmpeg -v error -i '" + file + "' -f s16le -acodec pcm_s16le - 2>/dev/null");
    Channels channels;
    channels.samples.assign(CHANNELS, {});
    const std::size_t frames = pcm.size() / (sizeof(std::int16_t) * CHANNELS);
    for (std::size_t frame = 0; frame < frames; ++frame) {
        for (int channel = 0; channel < CHANNELS; ++channel) {
            std::int16_t sample;
            std::memcpy(&sample, pcm.data() + (frame * CHANNELS + channel) * sizeof sample, sizeof sample);
            channels.samples[channel].push_back(sample / 32768.0);
        }
    }
    return channels;
}

double percentile(std::vector<double> values, double fraction)
{
    const std::size_t at = static_cast<std::size_t>(fraction * (values.size() - 1));
    std::nth_element(values.begin(), values.begin() + at, values.end());
    return values[at];
}

// Sample-to-sample changes (order 1) or changes of the change (order 2).
std::vector<double> differences(const std::vector<double>& x, int order)
{
    std::vector<double> result;
    for (std::size_t i = order; i < x.size(); ++i)
        result.push_back(std::fabs(order == 1 ? x[i] - x[i - 1] : x[i] - 2.0 * x[i - 1] + x[i - 2]));
    return result;
}

double rms(const std::vector<double>& x, std::size_t first, std::size_t count)
{
    double sum = 0.0;
    for (std::size_t i = first; i < first + count; ++i) sum += x[i] * x[i];
    return std::sqrt(sum / count);
}

class MusicLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        song = songQrv();
        channels = decodeWithFfmpeg(song.file);
        ASSERT_GT(channels.frames(), 0u) << "ffmpeg could not decode " << song.file;
        const double loopFrame = song.loopToMilliseconds * SAMPLE_RATE_HZ / 1000.0;
        // A bar boundary falls on a whole frame, where SFML starts the loop.
        ASSERT_EQ(loopFrame, std::floor(loopFrame)) << "loopTo falls between two frames";
        loopStart = static_cast<std::size_t>(loopFrame);
        ASSERT_GT(loopStart, static_cast<std::size_t>(LEAD_IN_SECONDS * SAMPLE_RATE_HZ));
        ASSERT_LT(loopStart, channels.frames());
    }

    Song song;
    Channels channels;
    std::size_t loopStart = 0;
};

}  // namespace

TEST(Music, IsAnOggVorbisStream)
{
    std::ifstream stream(songQrv().file, std::ios::binary);
    std::string head(64, '\0');
    stream.read(head.data(), static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(head.compare(0, 4, "OggS"), 0);
    EXPECT_NE(head.find("\x01vorbis"), std::string::npos);
}

TEST(Music, MasteredToMinusFourteenLufsUnderMinusOneDbtp)
{
    const std::string report = commandOutput("ffmpeg -nostats -hide_banner -i '" + songQrv().file +
                                             "' -af ebur128=peak=true -f null - 2>&1");
    const double loudness = summaryValue(report, "I:");
    const double truePeak = summaryValue(report, "Peak:");
    ASSERT_FALSE(std::isnan(loudness)) << report;
    ASSERT_FALSE(std::isnan(truePeak)) << report;
    EXPECT_NEAR(loudness, TARGET_LOUDNESS_LUFS, LOUDNESS_TOLERANCE_LU);
    EXPECT_LE(truePeak, MAX_TRUE_PEAK_DBTP);
}

TEST(Music, TheMusicManagerLoopsItFromLoopToToTheEnd)
{
    const std::vector<std::string> lines = errorLinesOf([] {
        EXPECT_TRUE(musicManager.loadManifest("assets/music.json"));
        musicManager.play("qrv", true);
    });
    EXPECT_TRUE(lines.empty()) << lines.front();
    sf::Music& music = musicManager.music;
    EXPECT_EQ(music.getStatus(), sf::Music::Playing);
    EXPECT_TRUE(music.getLoop());
    const sf::Music::TimeSpan loop = music.getLoopPoints();
    EXPECT_EQ(loop.offset.asMicroseconds(), static_cast<sf::Int64>(songQrv().loopToMilliseconds * 1000.0));
    EXPECT_EQ((loop.offset + loop.length).asMicroseconds(), music.getDuration().asMicroseconds());
    music.stop();
}

TEST_F(MusicLoopTest, TheEndJoinsLoopToWithoutAStep)
{
    const std::size_t last = channels.frames() - 1;
    for (int channel = 0; channel < CHANNELS; ++channel) {
        const std::vector<double>& x = channels.samples[channel];
        const double ordinaryStep = percentile(differences(x, 1), ORDINARY_PERCENTILE);
        const double ordinaryBend = percentile(differences(x, 2), ORDINARY_PERCENTILE);
        EXPECT_LE(std::fabs(x[loopStart] - x[last]), ordinaryStep) << "channel " << channel;
        const double slopeBefore = x[last] - x[last - 1];
        const double slopeAfter = x[loopStart] - x[last];
        EXPECT_LE(std::fabs(slopeAfter - slopeBefore), ordinaryBend) << "channel " << channel;
        const double slopeOn = x[loopStart + 1] - x[loopStart];
        EXPECT_LE(std::fabs(slopeOn - slopeAfter), ordinaryBend) << "channel " << channel;
    }
}

TEST_F(MusicLoopTest, TheEndLeadsInAsTheMusicBeforeLoopToDoes)
{
    const std::size_t leadIn = static_cast<std::size_t>(LEAD_IN_SECONDS * SAMPLE_RATE_HZ);
    for (int channel = 0; channel < CHANNELS; ++channel) {
        const std::vector<double>& x = channels.samples[channel];
        std::vector<double> difference(leadIn);
        for (std::size_t i = 0; i < leadIn; ++i)
            difference[i] = x[channels.frames() - leadIn + i] - x[loopStart - leadIn + i];
        const double music = rms(x, channels.frames() - leadIn, leadIn);
        ASSERT_GT(music, 0.0);
        EXPECT_LT(rms(difference, 0, leadIn) / music, MAX_LEAD_IN_DIFFERENCE) << "channel " << channel;
    }
}
