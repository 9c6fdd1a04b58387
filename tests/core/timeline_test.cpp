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
constexpr double MUSIC_INTO_BALLS_S = 23.0;
// Each stage ends on the first frame past its length, so every stage may
// end up to a frame late; software rendering of the ball scene can take
// this long per frame.
constexpr double SLOWEST_FRAME_S = 0.4;
constexpr double START_UP_S = 1.0;

// Mean absolute amplitude per 10 ms window, channels mixed, full scale 1.
std::vector<double> envelope(const std::vector<double>& mono, unsigned rate)
{
    const std::size_t window = static_cast<std::size_t>(rate * WINDOW_S);
    std::vector<double> result;
    for (std::size_t start = 0; start + window <= mono.size(); start += window) {
        double sum = 0.0;
        for (std::size_t i = start; i < start + window; ++i) sum += std::fabs(mono[i]);
        result.push_back(sum / static_cast<double>(window));
    }
    return result;
}

std::vector<double> toMono(const sf::Int16* samples, std::size_t count, unsigned channels)
{
    std::vector<double> mono(count / channels);
    for (std::size_t frame = 0; frame < mono.size(); ++frame) {
        double sum = 0.0;
        for (unsigned c = 0; c < channels; ++c) sum += samples[frame * channels + c];
        mono[frame] = sum / channels / 32768.0;
    }
    return mono;
}

std::vector<double> envelopeOfFile(const std::string& file, unsigned captureRate)
{
    sf::SoundBuffer buffer;
    EXPECT_TRUE(buffer.loadFromFile(file)) << file;
    EXPECT_EQ(buffer.getSampleRate(), captureRate) << file;
    return envelope(toMono(buffer.getSamples(), buffer.getSampleCount(), buffer.getChannelCount()),
                    buffer.getSampleRate());
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

// Where a reference envelope fits the capture best (normalised correlation).
double bestMatchS(const std::vector<double>& env, const std::vector<double>& reference, double fromS, double toS)
{
    double bestScore = -1.0, bestTime = -1.0;
    const std::size_t length = std::min<std::size_t>(reference.size(), static_cast<std::size_t>(8.0 / WINDOW_S));
    for (std::size_t start = static_cast<std::size_t>(fromS / WINDOW_S);
         start < static_cast<std::size_t>(toS / WINDOW_S) && start + length < env.size(); ++start) {
        double dot = 0.0, energy = 0.0;
        for (std::size_t i = 0; i < length; ++i) {
            dot += env[start + i] * reference[i];
            energy += env[start + i] * env[start + i];
        }
        const double score = energy > 0.0 ? dot / std::sqrt(energy) : 0.0;
        if (score > bestScore) {
            bestScore = score;
            bestTime = static_cast<double>(start) * WINDOW_S;
        }
    }
    return bestTime;
}

double peakOf(const std::vector<double>& env)
{
    return *std::max_element(env.begin(), env.end());
}

}  // namespace

TEST(Timeline, TheShowIsHeardOnTimeFromTheFirstCardToTheMusic)
{
    TempRunFolder folder;
    folder.copyRepositoryRunFiles();
    const std::string capture = (folder.path / "mix.wav").string();
    // A sound starts with the next mixing period: 256 frames keep it within
    // 6 ms of its frame.
    folder.write("alsoft.conf", "[general]\ndrivers = wave\nfrequency = 44100\nchannels = stereo\n"
                                "sample-type = int16\nperiod_size = 256\n[wave]\nfile = " + capture + "\n");
    ProgramOptions options;
    options.timeoutSeconds = SHOW_LENGTH_S + 60.0;
    options.extraEnv = {"ALSOFT_DRIVERS=wave", "ALSOFT_CONF=" + (folder.path / "alsoft.conf").string()};
    const ProgramRun run = runBouncefest(folder.path, options);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "hello\n");
    EXPECT_EQ(run.err, "");
    EXPECT_GE(run.seconds, SHOW_LENGTH_S);
    EXPECT_LE(run.seconds, SHOW_LENGTH_S + START_UP_S + 26 * SLOWEST_FRAME_S);

    // OpenAL Soft completes the WAV's header when the show closes the device.
    const unsigned rate = 44100;
    const std::vector<double> env = envelopeOfFile(capture, rate);
    EXPECT_NEAR(static_cast<double>(env.size()) * WINDOW_S, run.seconds, 1.0) << "the capture runs in real time";

    const std::vector<double> lo = envelopeOfFile("assets/sounds/lo.wav", rate);
    const std::vector<double> music = envelopeOfFile("assets/music/qrv.ogg", rate);

    // Until the ball scene only "lo" sounds: four times, a card apart.
    const double loadingEndS = 21.9;
    const std::vector<double> cards = onsets(env, 0.1 * peakOf(lo), 1.0, 0.0, loadingEndS + INTRO_LENGTH_S);
    ASSERT_EQ(cards.size(), 4u) << "lo onsets";
    EXPECT_GE(cards[0], loadingEndS);
    EXPECT_LE(cards[0], loadingEndS + START_UP_S + 6 * SLOWEST_FRAME_S);
    for (std::size_t i = 1; i < cards.size(); ++i) {
        EXPECT_GE(cards[i] - cards[i - 1], CARD_PERIOD_S - TWO_ONSETS_S) << "card " << i;
        EXPECT_LE(cards[i] - cards[i - 1], CARD_PERIOD_S + 2 * SLOWEST_FRAME_S) << "card " << i;
    }

    // The ball scene starts a card after the last "lo"; the music starts
    // with its fourth stage.
    const double ballsStartS = cards[3] + CARD_PERIOD_S;
    const double musicS = bestMatchS(env, music, ballsStartS, ballsStartS + MUSIC_INTO_BALLS_S + 10.0);
    EXPECT_GE(musicS, cards[0] + INTRO_LENGTH_S + MUSIC_INTO_BALLS_S - TWO_ONSETS_S);
    EXPECT_LE(musicS, cards[0] + INTRO_LENGTH_S + MUSIC_INTO_BALLS_S + 12 * SLOWEST_FRAME_S);

    std::cout << "show " << run.seconds << " s; lo at";
    for (double card : cards) std::cout << " " << card;
    std::cout << " s; music " << musicS - ballsStartS << " s into the ball scene" << std::endl;
}
