// The capture tool run as a user runs it, under the test's X server: the
// golden frames and the show's length from one run, the show's soundtrack,
// another of sounds whose every sample tells where it was played, and a
// short MP4.
#include "scenes/timeline.h"
#include "test_support.h"

#include <SFML/Audio.hpp>
#include <SFML/Graphics/Image.hpp>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <tuple>

namespace fs = std::filesystem;

namespace {

constexpr std::int64_t SAMPLES_PER_FRAME = 800;  // 48 kHz at 60 fps

struct CaptureTest : ::testing::Test {
    TempRunFolder folder;  // the outputs; a copy of the run files where needed

    // The soundtrack of the show run in runFolder, 48 kHz stereo.
    std::vector<sf::Int16> soundtrack(const fs::path& runFolder)
    {
        const ProgramRun run = runCapture(runFolder, "--soundtrack '" + (folder.path / "show.wav").string() + "'");
        EXPECT_EQ(run.exitCode, 0) << ::testing::PrintToString(splitLines(run.err));
        sf::SoundBuffer wav;
        EXPECT_TRUE(wav.loadFromFile("show.wav") && wav.getSampleRate() == 48000 && wav.getChannelCount() == 2);
        return std::vector<sf::Int16>(wav.getSamples(), wav.getSamples() + wav.getSampleCount());
    }
};

// The chosen frames, as the means of 8 x 8 blocks kept to 5 bits per
// channel, against the references in tests/tools/golden, which
// BOUNCEFEST_UPDATE_GOLDEN=1 (scripts/update-golden.sh) writes instead.
// Rounding between machines moves a channel by a few levels; a real change
// moves many pixels far or shifts the whole picture.
TEST_F(CaptureTest, ChosenFramesMatchTheGoldenReferences)
{
    const std::pair<std::int64_t, const char*> frames[] = {
        {120, "loading-generating-textures"}, {1200, "loading-finishing-up"}, {1500, "intro-card-1"},
        {1900, "intro-card-2"}, {2320, "intro-card-3"}, {2740, "intro-card-4"}, {3040, "balls-fading-in"},
        {3300, "balls-first-ball"}, {3700, "balls-camera-easing"}, {4450, "balls-credits-start"},
        {4700, "balls-credits-orin"}, {5700, "balls-credits-mave"}, {6100, "balls-camera-falling"},
        {6600, "balls-fading-out"}, {6792, "end"}};
    const std::string end = std::to_string(SHOW_FRAMES);  // one past the last: the tool says where the show ends
    std::ostringstream seconds;
    seconds << SHOW_FRAMES / 60.0;
    std::string list = end;
    for (const auto& [frame, name] : frames) list += "," + std::to_string(frame);
    const ProgramRun run = runCapture(repositoryRoot(), "--frames " + list + " '" + folder.path.string() + "'");
    EXPECT_EQ(run.exitCode, 1);  // and nothing else: every key and file that the show asks for is there
    EXPECT_EQ(splitLines(run.err), Lines{"bouncefest-capture: The show ends after " + end + " frames (" +
                                         seconds.str() + " s); frame " + end +
                                         " is past its end."});

    const bool updating = std::getenv("BOUNCEFEST_UPDATE_GOLDEN") != nullptr;
    for (const auto& [frame, name] : frames) {
        SCOPED_TRACE(name);
        const std::string reference = (repositoryRoot() / "tests/tools/golden" / name).string() + ".png";
        sf::Image full, golden;
        ASSERT_TRUE(full.loadFromFile(capturedFrameName(frame)));
        ASSERT_EQ(full.getSize(), sf::Vector2u(1920, 1080));
        ASSERT_TRUE(updating || (golden.loadFromFile(reference) && golden.getSize() == sf::Vector2u(240, 135)));
        std::vector<sf::Uint8> small(240 * 135 * 4, 255);
        double changedPixels = 0, levels = 0;
        int translucent = 0;  // a frame is what the screen shows, with no transparency
        for (unsigned i = 0; i < 240 * 135; ++i) {
            double sum[3] = {0, 0, 0};
            for (unsigned d = 0; d < 64; ++d) {
                const sf::Color pixel = full.getPixel(i % 240 * 8 + d % 8, i / 240 * 8 + d / 8);
                sum[0] += pixel.r, sum[1] += pixel.g, sum[2] += pixel.b, translucent += pixel.a != 255;
            }
            int largest = 0;
            for (unsigned c = 0; c < 3; ++c) {
                small[i * 4 + c] = static_cast<sf::Uint8>(std::min(std::round(sum[c] / 64 / 8) * 8, 255.0));
                const int difference = updating ? 0 : std::abs(small[i * 4 + c] - golden.getPixelsPtr()[i * 4 + c]);
                levels += difference, largest = std::max(largest, difference);
            }
            changedPixels += largest > 24;
        }
        EXPECT_EQ(translucent, 0);
        EXPECT_LE(changedPixels / (240 * 135), 0.005) << changedPixels << " pixels changed";
        EXPECT_LE(levels / (240 * 135 * 3), 4.0) << "levels on average";
        if (updating) golden.create(240, 135, small.data());
        EXPECT_TRUE(!updating || golden.saveToFile(reference));
    }
}

// ffmpeg's EBU R128 meter (not the one that mastered the media) over a
// stretch of show.wav, from frame to frame: its summary's figure after a
// label ("I:", "Peak:"), and the loudest of its 400 ms readings.
struct LoudnessReport {
    std::string text;

    LoudnessReport(std::int64_t fromFrame, std::int64_t toFrame)
        : text(outputOf("ffmpeg -nostats -ss " + std::to_string(fromFrame / 60.0) + " -t " +
                        std::to_string((toFrame - fromFrame) / 60.0) + " -i show.wav -af ebur128=peak=true -f null -"))
    {
    }
    double summary(const std::string& label) const
    {
        const std::size_t at = text.find(label, text.rfind("Summary:"));
        return at == std::string::npos ? NAN : std::stod(text.substr(at + label.size()));
    }
    double loudestMomentary() const
    {
        double loudest = -HUGE_VAL;
        for (std::size_t at = text.find(" M:"); at < text.rfind("Summary:"); at = text.find(" M:", at + 1))
            loudest = std::max(loudest, std::stod(text.substr(at + 3)));
        return loudest;
    }
};

// The show's own soundtrack: no sample clipped, the music mastered where
// the picture runs, the intro's "lo" as loud at its loudest as the music at
// its loudest and not over -1 dBTP either, and nothing above -50 dBFS from
// the moment the picture is black.
TEST_F(CaptureTest, TheShowsSoundIsMasteredWhereThePictureRunsAndSilentOnceItIsBlack)
{
    const std::vector<sf::Int16> track = soundtrack(repositoryRoot());
    ASSERT_EQ(track.size(), SHOW_FRAMES * SAMPLES_PER_FRAME * 2);
    const auto [lowest, highest] = std::minmax_element(track.begin(), track.end());
    EXPECT_TRUE(*lowest > -32768 && *highest < 32767) << "clipped";
    // The fade to black takes 2 s, after which no pixel is above 1 of 255.
    const std::int64_t blackFrame = FADE_TO_BLACK_FRAME + 2 * FRAMES_PER_SECOND;
    EXPECT_TRUE(std::all_of(track.begin() + blackFrame * SAMPLES_PER_FRAME * 2, track.end(),
                            [](sf::Int16 sample) { return std::abs(sample) <= 104; }));
    const LoudnessReport music(MUSIC_START_FRAME, blackFrame), intro(CARD_LO_FRAMES[0], BALLS_FIRST_FRAME);
    EXPECT_NEAR(music.summary("I:"), -14.0, 1.0) << music.text;
    EXPECT_LE(music.summary("Peak:"), -1.0) << music.text;
    EXPECT_NEAR(intro.loudestMomentary(), music.loudestMomentary() - 1.0, 2.0) << intro.text;
    EXPECT_LE(intro.summary("Peak:"), -1.0) << intro.text;
}

// Media at the soundtrack's own rate go into it sample for sample. These
// count up to a period of 6007 samples, which no start, cut or loop of a
// play can move by without a change.
sf::Int16 marked(std::int64_t frame, int channel)
{
    return static_cast<sf::Int16>((frame * 2 + channel) % 6007 - 3003);
}

TEST_F(CaptureTest, MarkedSoundsShowWhereEachPlayStartsWhereARestartCutsItAndWhereALoopGoesBack)
{
    constexpr std::int64_t SONG_FRAMES = 48000, LOOP_TO_FRAMES = 48000 * 400 / 1000;
    folder.copyRepositoryRunFiles();
    for (const auto& [file, seconds] : {std::pair{"long-lo.wav", 10}, std::pair{"short-song.wav", 1}}) {
        std::vector<sf::Int16> samples(seconds * 48000 * 2);
        for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = marked(i / 2, i % 2);
        sf::SoundBuffer buffer;
        ASSERT_TRUE(buffer.loadFromSamples(samples.data(), samples.size(), 2, 48000) && buffer.saveToFile(file));
    }
    // The "lo" outlasts the 7 s between plays; the song loops many times.
    folder.write("assets/sounds.json", R"({"sounds": {"bounce": {"file": "assets/sounds/bounce.wav"},
                                                      "lo": {"file": "long-lo.wav"}}})");
    folder.write("assets/music.json", R"({"music": {"qrv": {"file": "short-song.wav", "loopTo": 400}}})");
    const std::vector<sf::Int16> track = soundtrack(folder.path);
    ASSERT_EQ(track.size(), SHOW_FRAMES * SAMPLES_PER_FRAME * 2);

    // Silence, then from each play on the "lo" from its start, up to the
    // ball scene; the song from half a second after its frame (the last
    // bounces may ring before), from its start to its end, then from loopTo
    // to the end again and again.
    const std::int64_t songStart = MUSIC_START_FRAME * SAMPLES_PER_FRAME;
    const auto expected = [&](std::int64_t at, int channel) {
        const std::int64_t played = at - songStart, looped = (played - SONG_FRAMES) % (SONG_FRAMES - LOOP_TO_FRAMES);
        if (played >= 0) return marked(played < SONG_FRAMES ? played : LOOP_TO_FRAMES + looped, channel);
        std::int64_t play = -1;
        for (const std::int64_t frame : CARD_LO_FRAMES) {
            if (frame * SAMPLES_PER_FRAME <= at) play = frame * SAMPLES_PER_FRAME;
        }
        return play < 0 ? sf::Int16(0) : marked(at - play, channel);
    };
    for (const auto& [from, to] : {std::pair{std::int64_t(0), BALLS_FIRST_FRAME * SAMPLES_PER_FRAME},
                                   std::pair{songStart + 24000, SHOW_FRAMES * SAMPLES_PER_FRAME}}) {
        std::int64_t at = from;
        while (at < to && track[at * 2] == expected(at, 0) && track[at * 2 + 1] == expected(at, 1)) ++at;
        EXPECT_EQ(at, to) << "a change at frame " << at / SAMPLES_PER_FRAME;
    }
}

// A second of the first intro card while the first "lo" rings, as parties
// and upload sites ask of a 1080p60 capture: H.264 High, yuv420p, exactly
// 60 fps, AAC stereo at 48 kHz, written on a machine without an audio
// device, with OpenAL's error lines on: the tool needs no device. From it,
// the party's delivery file: H.264 Main at level 4.1, 1080p at 30 fps, at
// least 6 Mbit/s, AAC stereo at 128 kbit/s or more, its index first.
TEST_F(CaptureTest, AStretchOfTheShowIsAnMp4AndThePartysVideoIsMadeFromIt)
{
    const ProgramRun run = runCapture(repositoryRoot(), "--seconds 22-23 '" + (folder.path / "clip.mp4").string() + "'",
                                      "ALSOFT_DRIVERS=none ALSOFT_LOGLEVEL=1");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(splitLines(run.err), Lines{});
    std::string probe = outputOf(
        "ffprobe -v error -count_frames -show_entries stream=codec_name,profile,width,height,pix_fmt,r_frame_rate,"
        "avg_frame_rate,nb_read_frames,sample_rate,channels,channel_layout,duration,bit_rate:format=format_name,"
        "duration -of csv=p=0 clip.mp4");
    double fileS = 0, audioS = 0;
    int videoFrames = 0;
    EXPECT_EQ(std::sscanf(probe.c_str(), "h264,High,1920,1080,yuv420p,60/1,60/1,%*f,%*d,%d aac,LC,48000,2,stereo,0/0,"
                          "0/0,%lf,%*d,%*d \"mov,mp4,m4a,3gp,3g2,mj2\",%lf",
                          &videoFrames, &audioS, &fileS), 3) << probe;
    EXPECT_EQ(videoFrames, 60);
    EXPECT_NEAR(audioS, 1.0, 0.03);
    EXPECT_NEAR(fileS, 1.0, 0.03);

    outputOf("'" + (repositoryRoot() / "scripts/party-video.sh").string() + "' clip.mp4 party.mp4");
    probe = outputOf("ffprobe -v error -show_entries stream=codec_name,profile,level,width,height,r_frame_rate,"
                     "channels,bit_rate -of csv=p=0 party.mp4");
    int level = 0, channels = 0;
    double videoRate = 0, audioRate = 0;
    EXPECT_EQ(std::sscanf(probe.c_str(), "h264,Main,1920,1080,%d,30/1,%lf aac,LC,%d,0/0,%lf", &level, &videoRate,
                          &channels, &audioRate), 4) << probe;
    EXPECT_EQ(std::make_tuple(level, channels), std::make_tuple(41, 2));
    EXPECT_GE(videoRate, 6e6);
    EXPECT_GE(audioRate, 128e3);
    const std::string file = readBytes("party.mp4");
    EXPECT_LT(file.find("moov"), file.find("mdat"));
}

}  // namespace
