// The whole show seen to its end and heard: the real executable under Xvfb
// with OpenAL Soft writing its mix to a WAV file, which is then analysed
// against the show's own sounds. Every asset, key and uniform the show uses
// is there, so it says nothing on the way, and it ends by itself.
#include "test_support.h"

#include <SFML/Audio/SoundBuffer.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

constexpr double WINDOW_S = 0.01;         // envelope resolution
// Two onsets, each found within a window of its sound and a mixing period
// of its frame, lie this much closer than their frames at most.
constexpr double TWO_ONSETS_S = 2 * WINDOW_S;
constexpr double SHOW_LENGTH_S = 112.9;   // 21.9 s loading, 28 s intro, 63 s balls
constexpr double INTRO_LENGTH_S = 28.0;
constexpr double CARD_PERIOD_S = 7.0;
// Each stage ends on the first frame past its length, so every stage may
// end up to a frame late; software rendering of the ball scene can take
// this long per frame.
constexpr double SLOWEST_FRAME_S = 0.4;
constexpr double START_UP_S = 1.0;

// Mean absolute amplitude per 10 ms window, channels mixed, full scale 1.
std::vector<double> envelopeOfFile(const std::string& file, unsigned captureRate)
{
    sf::SoundBuffer buffer;
    EXPECT_TRUE(buffer.loadFromFile(file)) << file;
    EXPECT_EQ(buffer.getSampleRate(), captureRate) << file;
    const std::size_t window = static_cast<std::size_t>(captureRate * WINDOW_S) * buffer.getChannelCount();
    std::vector<double> result;
    for (std::size_t start = 0; start + window <= buffer.getSampleCount(); start += window) {
        double sum = 0.0;
        for (std::size_t i = start; i < start + window; ++i) sum += std::fabs(buffer.getSamples()[i] / 32768.0);
        result.push_back(sum / static_cast<double>(window));
    }
    return result;
}

// Seconds at which sound starts after at least `quietS` of silence.
std::vector<double> onsets(const std::vector<double>& env, double threshold, double quietS, double fromS, double toS)
{
    const std::size_t quiet = static_cast<std::size_t>(quietS / WINDOW_S);
    std::vector<double> result;
    std::size_t silentRun = 0;
    for (std::size_t i = 0; i < env.size(); ++i) {
        const double time = static_cast<double>(i) * WINDOW_S;
        if (env[i] < threshold) {
            ++silentRun;
            continue;
        }
        if (silentRun >= quiet && time >= fromS && time < toS) result.push_back(time);
        silentRun = 0;
    }
    return result;
}

}  // namespace

TEST(Timeline, TheShowRunsInRealTimeWithItsCardsHeardOnTime)
{
    TempRunFolder folder;
    folder.copyRepositoryRunFiles();
    const std::string capture = (folder.path / "mix.wav").string();
    // A sound starts with the next mixing period: 256 frames keep it within
    // 6 ms of its frame.
    folder.write("alsoft.conf", "[general]\ndrivers = wave\nfrequency = 44100\nchannels = stereo\n"
                                "sample-type = int16\nperiod_size = 256\n[wave]\nfile = " + capture + "\n");
    const ProgramRun run = runBouncefest(folder.path, ProgramOptions{false, -1.0, SHOW_LENGTH_S + 60.0,
                                                                     "ALSOFT_DRIVERS=wave ALSOFT_CONF=alsoft.conf", ""});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "hello\n");
    EXPECT_EQ(run.err, "");
    EXPECT_GE(run.seconds, SHOW_LENGTH_S);
    EXPECT_LE(run.seconds, SHOW_LENGTH_S + START_UP_S + 26 * SLOWEST_FRAME_S);

    // OpenAL Soft completes the WAV's header when the show closes the device.
    const unsigned rate = 44100;
    const std::vector<double> env = envelopeOfFile(capture, rate);
    EXPECT_NEAR(static_cast<double>(env.size()) * WINDOW_S, run.seconds, 1.0) << "the capture runs in real time";

    // Until the ball scene only "lo" sounds: four times, a card apart.
    const std::vector<double> lo = envelopeOfFile("assets/sounds/lo.wav", rate);
    const double loadingEndS = 21.9;
    const std::vector<double> cards =
        onsets(env, 0.1 * *std::max_element(lo.begin(), lo.end()), 1.0, 0.0, loadingEndS + INTRO_LENGTH_S);
    ASSERT_EQ(cards.size(), 4u) << "lo onsets";
    EXPECT_GE(cards[0], loadingEndS);
    EXPECT_LE(cards[0], loadingEndS + START_UP_S + 6 * SLOWEST_FRAME_S);
    for (std::size_t i = 1; i < cards.size(); ++i) {
        EXPECT_GE(cards[i] - cards[i - 1], CARD_PERIOD_S - TWO_ONSETS_S) << "card " << i;
        EXPECT_LE(cards[i] - cards[i - 1], CARD_PERIOD_S + 2 * SLOWEST_FRAME_S) << "card " << i;
    }

    std::cout << "show " << run.seconds << " s; lo at";
    for (double card : cards) std::cout << " " << card;
    std::cout << " s" << std::endl;
}
