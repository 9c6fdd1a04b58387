// The whole show seen to its end and heard: the real executable under Xvfb
// with OpenAL Soft writing its mix to a WAV file, in which ffmpeg finds
// where the cards' sounds start. Every asset, key and uniform the show uses
// is there, so it says nothing on the way, and it ends by itself.
#include "scenes/timeline.h"
#include "test_support.h"

#include <SFML/Audio/SoundBuffer.hpp>

#include <iostream>
#include <regex>

constexpr double LOADING_LENGTH_S = stageEndS(LOADING_STAGES_S), INTRO_LENGTH_S = stageEndS(INTRO_STAGES_S);
constexpr double SHOW_LENGTH_S = LOADING_LENGTH_S + INTRO_LENGTH_S + stageEndS(BALL_STAGES_S);
constexpr double CARD_PERIOD_S = CARD_SHOWN_S + CARD_LEAVING_S;
// A sound starts with the next mixing period of 256 frames at 44.1 kHz.
constexpr double MIXING_PERIOD_S = 256 / 44100.0;
// Each stage ends on the first frame past its length, so every stage may
// end up to a frame late; software rendering of the ball scene can take
// this long per frame.
constexpr double SLOWEST_FRAME_S = 0.4;
// After the last frame the window and the audio device close.
constexpr double CLOSING_S = 1.0;

TEST(Timeline, TheShowRunsInRealTimeWithItsCardsHeardOnTime)
{
    TempRunFolder folder{RunFiles::FromRepository};
    folder.write("alsoft.conf", "[general]\ndrivers = wave\nfrequency = 44100\nchannels = stereo\n"
                                "sample-type = int16\nperiod_size = 256\n[wave]\nfile = mix.wav\n");
    ProgramOptions options{false, -1.0, SHOW_LENGTH_S + 60.0, "ALSOFT_DRIVERS=wave ALSOFT_CONF=alsoft.conf", ""};
    options.timeFirstFrame = true;
    const ProgramRun run = runBouncefest(folder.path, options);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "hello\n");
    EXPECT_EQ(run.err, "");
    // The show's time counts from its first frame, however long the start took.
    ASSERT_GE(run.firstFrameSeconds, 0.0);
    EXPECT_GE(run.seconds - run.firstFrameSeconds, SHOW_LENGTH_S - SLOWEST_FRAME_S);
    EXPECT_LE(run.seconds - run.firstFrameSeconds, SHOW_LENGTH_S + CLOSING_S + 26 * SLOWEST_FRAME_S);

    // OpenAL Soft completes the WAV's header when the show closes the device.
    sf::SoundBuffer mix;
    ASSERT_TRUE(mix.loadFromFile("mix.wav"));
    // The device opens before the first frame and closes after the last.
    EXPECT_GE(mix.getDuration().asSeconds(), run.seconds - run.firstFrameSeconds - CLOSING_S) << "the capture runs in real time";
    EXPECT_LE(mix.getDuration().asSeconds(), run.seconds);

    // Until the ball scene only "lo" sounds, each time after a moment of
    // silence: four times, a card apart. It falls silent before the next
    // card's play, and its last phrase, heard after the last card, comes
    // after a silence too but past the intro.
    ASSERT_EQ(std::system("ffmpeg -nostats -i mix.wav -af silencedetect=n=-50dB:d=0.05 -f null - 2>silences.txt"), 0);
    const std::string silences = readBytes("silences.txt");
    std::vector<double> cards;
    const std::regex end("silence_end: ([0-9.]+)");
    for (std::sregex_iterator at(silences.begin(), silences.end(), end), last; at != last; ++at) {
        if (std::stod((*at)[1]) < LOADING_LENGTH_S + INTRO_LENGTH_S) cards.push_back(std::stod((*at)[1]));
    }
    ASSERT_EQ(cards.size(), 4u) << silences;
    EXPECT_GE(cards[0], LOADING_LENGTH_S);
    // The mix starts before the first frame, the run's clock before the mix.
    EXPECT_LE(cards[0], run.firstFrameSeconds + LOADING_LENGTH_S + 6 * SLOWEST_FRAME_S);
    // The first card's stage also counts the dt of the frame that showed it,
    // time that ran before its sound: that card may be a frame short.
    for (std::size_t i = 1; i < cards.size(); ++i) {
        const double firstFrame = i == 1 ? SLOWEST_FRAME_S : 0.0;
        EXPECT_GE(cards[i] - cards[i - 1], CARD_PERIOD_S - MIXING_PERIOD_S - firstFrame) << "card " << i;
        EXPECT_LE(cards[i] - cards[i - 1], CARD_PERIOD_S + 2 * SLOWEST_FRAME_S) << "card " << i;
    }
    std::cout << "show " << run.seconds << " s; lo at " << ::testing::PrintToString(cards) << " s" << std::endl;
}
