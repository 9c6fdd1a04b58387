// The music track "qrv" as the show plays it: an Ogg Vorbis stream mastered
// to the loudness and peak that ffmpeg's EBU R128 meter reads, that fades to
// silence before the picture is black, outlasts the show, and has a loop
// from the end of the file back to "loopTo" without a click.
#include "assets/music_manager.h"
#include "loudness_meter.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
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

// The show at 60 fps, in the music's own time: the music starts on frame
// 4383, the picture starts fading to black on frame 6550 and is black 120
// frames later, and the show's soundtrack ends with frame 6792.
constexpr double SECONDS_PER_FRAME = 1.0 / 60.0;
constexpr double BLACK_POINT_S = (6670 - 4383) * SECONDS_PER_FRAME;
constexpr double SHOW_END_S = (6793 - 4383) * SECONDS_PER_FRAME;
// Long enough that the show never loops it, with a second to spare.
constexpr double MIN_LENGTH_S = 41.0;
constexpr double SILENT_LUFS = -45.0;
constexpr double LAST_SECOND_FALL_LU = 30.0;

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

class MusicLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        song = songQrv();
        channels = decodeWithFfmpeg(song.file);
        ASSERT_GT(channels.frames(), 0u) << "ffmpeg could not decode " << song.file;
        const double loopFrame = song.loopToMilliseconds * SAMPLE_RATE_HZ / 1000.0;
        // On a whole frame, where SFML starts the loop.
        ASSERT_EQ(loopFrame, std::floor(loopFrame)) << "loopTo falls between two frames";
        loopStart = static_cast<std::size_t>(loopFrame);
        ASSERT_LT(loopStart + 1, channels.frames());
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

TEST(Music, MasteredToMinusFourteenLufsUnderMinusOneDbtpWhereThePictureRuns)
{
    const LoudnessSummary played = loudnessOf(songQrv().file, 0.0, SHOW_END_S);
    ASSERT_FALSE(std::isnan(played.integratedLufs)) << played.report;
    ASSERT_FALSE(std::isnan(played.truePeakDbtp)) << played.report;
    EXPECT_NEAR(played.integratedLufs, TARGET_LOUDNESS_LUFS, LOUDNESS_TOLERANCE_LU);
    EXPECT_LE(played.truePeakDbtp, MAX_TRUE_PEAK_DBTP);
}

// Its last second before the black point falls away, and from there to the
// end of the file (past the end of the show) it is silent.
TEST(Music, FadesToSilenceBeforeThePictureIsBlack)
{
    const std::vector<MomentaryLoudness> points = momentaryLoudnessOf(songQrv().file);
    ASSERT_FALSE(points.empty());
    const auto atOrBefore = [&](double seconds) {
        auto point = std::find_if(points.rbegin(), points.rend(),
                                  [&](const MomentaryLoudness& p) { return p.seconds <= seconds; });
        return point == points.rend() ? NAN : point->lufs;
    };
    const double atBlack = atOrBefore(BLACK_POINT_S);
    EXPECT_LE(atBlack, SILENT_LUFS);
    EXPECT_GE(atOrBefore(BLACK_POINT_S - 1.0) - atBlack, LAST_SECOND_FALL_LU);
    for (const MomentaryLoudness& point : points) {
        if (point.seconds < BLACK_POINT_S) continue;
        EXPECT_LE(point.lufs, SILENT_LUFS) << "at " << point.seconds << " s";
    }
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
    // To the end, within the rounding of both to whole microseconds.
    EXPECT_NEAR((loop.offset + loop.length).asMicroseconds(), music.getDuration().asMicroseconds(), 1);
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

TEST_F(MusicLoopTest, TheShowEndsBeforeTheLoopWould)
{
    EXPECT_GE(channels.frames() / SAMPLE_RATE_HZ, MIN_LENGTH_S);
}
