// The capture tool run as a user runs it, under the test's X server: the
// golden frames and the show's last frame from one run, the soundtrack of
// the show and of sounds whose every sample tells where it was played, a
// short MP4, and the failures that end a run with one line.
#include "test_support.h"

#include <SFML/Audio.hpp>
#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

constexpr std::int64_t SAMPLES_PER_FRAME = 800;  // 48 kHz at 60 fps

struct ToolRun {
    int exitCode = -1;
    std::string out;
    Lines errorLines;
};

// The tool (beside the demo in the build folder) in runFolder, after the
// shell words in environment; its output lands in outputFolder.
ToolRun runCapture(const fs::path& runFolder, const fs::path& outputFolder, const std::string& arguments,
                   const std::string& environment = "")
{
    const fs::path out = outputFolder / "tool.out", err = outputFolder / "tool.err";
    const fs::path tool = fs::path(BOUNCEFEST_EXE).parent_path() / "bouncefest-capture";
    const int status = std::system(("cd '" + runFolder.string() + "' && env " + environment + " /usr/bin/timeout 300 '" +
                                    tool.string() + "' " + arguments + " >'" + out.string() + "' 2>'" + err.string() + "'")
                                       .c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readBytes(out), splitLines(readBytes(err))};
}

std::string outputOf(const std::string& command, const fs::path& folder)
{
    EXPECT_EQ(std::system((command + " >'" + (folder / "command.out").string() + "' 2>&1").c_str()), 0) << command;
    return readBytes(folder / "command.out");
}

// The frame (from 0) on which each stage of a scene's timeline ends when
// the scene's first call is firstFrame: every frame adds 1/60 s to the
// stage time in single precision, a stage ends on the first frame on which
// its time is strictly greater than its length, and the next stage starts
// from 0 on the frame after.
std::vector<std::int64_t> stageEnds(std::int64_t firstFrame, const std::vector<float>& lengths)
{
    std::vector<std::int64_t> ends;
    for (const float length : lengths) {
        float stageTime = 0.0f;
        while ((stageTime += 1.0f / 60.0f) <= length) ++firstFrame;
        ends.push_back(firstFrame++);
    }
    return ends;
}

// The show at exactly 60 fps: the loading screen, the intro and the ball
// scene, each starting on the frame after the one in which the last ended.
struct ShowTimeline {
    std::vector<std::int64_t> loFrames;
    std::int64_t ballSceneStart, musicFrame, blackFrame, frameCount;

    ShowTimeline()
    {
        const std::int64_t introStart = stageEnds(0, {4.0f, 2.0f, 3.0f, 2.4f, 7.0f, 3.5f}).back() + 1;
        const auto intro = stageEnds(introStart, {5, 2, 5, 2, 5, 2, 5, 2});
        // "lo" sounds on the intro's first call and as stages 1, 3 and 5 end.
        loFrames = {introStart, intro[1], intro[3], intro[5]};
        ballSceneStart = intro.back() + 1;
        const auto balls = stageEnds(ballSceneStart, {2, 7, 7, 7, 4, 4, 4, 4, 4, 4, 12, 4});
        musicFrame = balls[3];
        blackFrame = balls[10] + 120;  // the fade to black starts, and 2 s later no pixel is above 1 of 255
        frameCount = balls.back() + 2;  // the ball scene returns the quit id; the frame after ends the show
    }
};

// The 48 kHz stereo soundtrack of the show run from runFolder.
std::vector<sf::Int16> captureSoundtrack(const fs::path& runFolder, const fs::path& wav)
{
    const ToolRun run = runCapture(runFolder, wav.parent_path(), "--soundtrack '" + wav.string() + "'");
    EXPECT_EQ(run.exitCode, 0) << ::testing::PrintToString(run.errorLines);
    sf::InputSoundFile file;
    std::vector<sf::Int16> samples;
    if (!file.openFromFile(wav.string())) return samples;
    EXPECT_EQ(file.getSampleRate() * 10 + file.getChannelCount(), 480002u) << "48 kHz stereo";
    samples.resize(static_cast<std::size_t>(file.getSampleCount()));
    samples.resize(static_cast<std::size_t>(file.read(samples.data(), samples.size())));
    EXPECT_EQ(static_cast<std::int64_t>(samples.size()), ShowTimeline().frameCount * SAMPLES_PER_FRAME * 2);
    return samples;
}

struct CaptureTest : ::testing::Test {
    TempRunFolder folder;  // the outputs; a copy of the run files where needed
    const ShowTimeline show;
};

// ---------------------------------------------------------------------------
// Golden frames: the chosen frames, scaled down by 8 and kept to 5 bits per
// channel, against the references under tests/tools/golden. With
// BOUNCEFEST_UPDATE_GOLDEN=1 (scripts/update-golden.sh) the test writes the
// references instead. Rounding between machines moves a channel by a few
// levels; a real change moves many pixels far or shifts the whole picture.
constexpr unsigned WIDTH_PX = 1920, HEIGHT_PX = 1080, SCALE = 8;
constexpr unsigned SMALL_WIDTH_PX = WIDTH_PX / SCALE, SMALL_HEIGHT_PX = HEIGHT_PX / SCALE;

// Frames of the show at 60 fps: the loading screen ends at 1318, the intro
// at 3002, the ball scene at 6791.
const std::pair<std::int64_t, const char*> GOLDEN_FRAMES[] = {
    {120, "loading-generating-textures"}, {1200, "loading-finishing-up"}, {1500, "intro-card-1"},
    {1900, "intro-card-2"}, {2320, "intro-card-3"}, {2740, "intro-card-4"}, {3040, "balls-fading-in"},
    {3300, "balls-first-ball"}, {3700, "balls-camera-easing"}, {4450, "balls-credits-start"},
    {4700, "balls-credits-orin"}, {5700, "balls-credits-mave"}, {6100, "balls-camera-falling"},
    {6600, "balls-fading-out"}, {6792, "end"},
};

// The mean of each 8 x 8 block, kept to steps of 8 levels.
sf::Image goldenOf(const sf::Image& full)
{
    sf::Image small;
    small.create(SMALL_WIDTH_PX, SMALL_HEIGHT_PX);
    for (unsigned y = 0; y < SMALL_HEIGHT_PX; ++y) {
        for (unsigned x = 0; x < SMALL_WIDTH_PX; ++x) {
            double sum[3] = {0, 0, 0};
            for (unsigned d = 0; d < SCALE * SCALE; ++d) {
                const sf::Color pixel = full.getPixel(x * SCALE + d % SCALE, y * SCALE + d / SCALE);
                sum[0] += pixel.r, sum[1] += pixel.g, sum[2] += pixel.b;
            }
            for (double& channel : sum) channel = std::min(std::round(channel / (SCALE * SCALE) / 8) * 8, 255.0);
            small.setPixel(x, y, sf::Color(sf::Uint8(sum[0]), sf::Uint8(sum[1]), sf::Uint8(sum[2])));
        }
    }
    return small;
}

TEST_F(CaptureTest, ChosenFramesMatchTheGoldenReferences)
{
    // One frame past the show's last asks the tool for the show's length.
    std::string list = std::to_string(show.frameCount);
    for (const auto& [frame, name] : GOLDEN_FRAMES) list += "," + std::to_string(frame);
    const ToolRun run = runCapture(repositoryRoot(), folder.path, "--frames " + list + " '" + folder.path.string() + "'");
    // Nothing else is said: every key and file that the show asks for is there.
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errorLines, Lines{"bouncefest-capture: The show ends after 6793 frames (113.217 s); frame 6793 is "
                                    "past its end."});

    for (const auto& [frame, name] : GOLDEN_FRAMES) {
        SCOPED_TRACE(name);
        char file[32];
        std::snprintf(file, sizeof file, "frame-%06lld.png", static_cast<long long>(frame));
        sf::Image full;
        ASSERT_TRUE(full.loadFromFile((folder.path / file).string()));
        ASSERT_EQ(full.getSize(), sf::Vector2u(WIDTH_PX, HEIGHT_PX));
        std::int64_t translucent = 0;  // a frame is what the screen shows, with no transparency
        for (std::size_t alpha = 3; alpha < WIDTH_PX * HEIGHT_PX * 4; alpha += 4) translucent += full.getPixelsPtr()[alpha] != 255;
        EXPECT_EQ(translucent, 0);
        const sf::Image small = goldenOf(full);
        const fs::path reference = repositoryRoot() / "tests/tools/golden" / (std::string(name) + ".png");
        sf::Image golden;
        if (std::getenv("BOUNCEFEST_UPDATE_GOLDEN") != nullptr) {
            EXPECT_TRUE(small.saveToFile(reference.string()));
            continue;
        }
        ASSERT_TRUE(golden.loadFromFile(reference.string()));
        ASSERT_EQ(golden.getSize(), small.getSize());
        double changedPixels = 0, levels = 0;
        for (unsigned y = 0; y < SMALL_HEIGHT_PX; ++y) {
            for (unsigned x = 0; x < SMALL_WIDTH_PX; ++x) {
                const sf::Color a = small.getPixel(x, y), b = golden.getPixel(x, y);
                const int differences[3] = {std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)};
                levels += differences[0] + differences[1] + differences[2];
                changedPixels += *std::max_element(differences, differences + 3) > 24;
            }
        }
        EXPECT_LE(changedPixels / (SMALL_WIDTH_PX * SMALL_HEIGHT_PX), 0.005) << changedPixels << " pixels changed";
        EXPECT_LE(levels / (SMALL_WIDTH_PX * SMALL_HEIGHT_PX * 3), 4.0) << "levels on average";
    }
}

// ---------------------------------------------------------------------------
// The soundtrack: the show's own, where "lo" begins on its frames after the
// silent loading screen (give or take its own first quiet samples), the
// music is mastered where the picture runs, and nothing sounds once the
// picture is black.
TEST_F(CaptureTest, TheShowsSoundtrackHasLoOnItsFramesTheMusicMasteredAndSilenceOnceBlack)
{
    const std::vector<sf::Int16> track = captureSoundtrack(repositoryRoot(), folder.path / "show.wav");
    ASSERT_EQ(static_cast<std::int64_t>(track.size()), show.frameCount * SAMPLES_PER_FRAME * 2);
    std::vector<std::int64_t> onsets;  // after half a second of silence: each "lo" rings out before the next
    for (std::int64_t at = 0, silent = 24000; at < show.ballSceneStart * SAMPLES_PER_FRAME; ++at) {
        const bool quiet = track[at * 2] == 0 && track[at * 2 + 1] == 0;
        if (!quiet && silent >= 24000) onsets.push_back(at);
        silent = quiet ? silent + 1 : 0;
    }
    ASSERT_EQ(onsets.size(), show.loFrames.size());
    for (std::size_t i = 0; i < onsets.size(); ++i) {
        EXPECT_GE(onsets[i], show.loFrames[i] * SAMPLES_PER_FRAME) << "lo " << i;
        EXPECT_LT(onsets[i], show.loFrames[i] * SAMPLES_PER_FRAME + 200) << "lo " << i;
    }

    // ffmpeg's EBU R128 meter, so that the figures do not rest on the meter that masters the music.
    std::ostringstream meter;
    meter << "ffmpeg -nostats -hide_banner -ss " << show.musicFrame / 60.0 << " -t "
          << (show.blackFrame - show.musicFrame) / 60.0 << " -i '" << (folder.path / "show.wav").string()
          << "' -af ebur128=peak=true -f null -";
    const std::string report = outputOf(meter.str(), folder.path);
    const auto summary = [&](const std::string& label) {
        const std::size_t at = report.find(label, report.rfind("Summary:"));
        return at == std::string::npos ? NAN : std::stod(report.substr(at + label.size()));
    };
    EXPECT_NEAR(summary("I:"), -14.0, 1.0) << report;
    EXPECT_LE(summary("Peak:"), -1.0) << report;

    std::int64_t loud = 0;  // above -50 dBFS
    for (std::size_t i = show.blackFrame * SAMPLES_PER_FRAME * 2; i < track.size(); ++i) loud += std::abs(track[i]) > 104;
    EXPECT_EQ(loud, 0);
}

// Media at the soundtrack's own rate go into it sample for sample. These
// count up by 1 to a period of 6007 samples, which no play's start, cut
// or loop can shift by without a change.
sf::Int16 marked(std::int64_t frame, int channel)
{
    return static_cast<sf::Int16>((frame * 2 + channel) % 6007 - 3003);
}

TEST_F(CaptureTest, MarkedSoundsShowWhereEachPlayStartsWhereARestartCutsItAndWhereALoopGoesBack)
{
    constexpr std::int64_t RATE_HZ = 48000, SONG_FRAMES = RATE_HZ, LOOP_TO_FRAMES = RATE_HZ * 400 / 1000;
    folder.copyRepositoryRunFiles();
    for (const auto& [file, seconds] : {std::pair{"long-lo.wav", 10}, std::pair{"short-song.wav", 1}}) {
        std::vector<sf::Int16> samples(static_cast<std::size_t>(seconds * RATE_HZ * 2));
        for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = marked(i / 2, i % 2);
        sf::SoundBuffer buffer;
        ASSERT_TRUE(buffer.loadFromSamples(samples.data(), samples.size(), 2, RATE_HZ) && buffer.saveToFile(file));
    }
    // The "lo" outlasts the 7 s between plays; the song is looped many times.
    folder.write("assets/sounds.json", R"({"sounds": {"bounce": {"file": "assets/sounds/bounce.wav"},
                                                      "lo": {"file": "long-lo.wav"}}})");
    folder.write("assets/music.json", R"({"music": {"qrv": {"file": "short-song.wav", "loopTo": 400}}})");
    const std::vector<sf::Int16> track = captureSoundtrack(folder.path, folder.path / "show.wav");
    ASSERT_EQ(static_cast<std::int64_t>(track.size()), show.frameCount * SAMPLES_PER_FRAME * 2);

    // Silence, then from each play on the "lo" from its start, to the ball
    // scene; then the song from half a second after its frame (the last
    // bounces may still ring before), from its start to its end, then from
    // loopTo to the end again and again.
    const std::int64_t songStart = show.musicFrame * SAMPLES_PER_FRAME;
    const auto expected = [&](std::int64_t at, int channel) {
        if (at >= songStart) {
            const std::int64_t played = at - songStart;
            return marked(played < SONG_FRAMES ? played : LOOP_TO_FRAMES + (played - SONG_FRAMES) % (SONG_FRAMES - LOOP_TO_FRAMES), channel);
        }
        std::int64_t play = -1;
        for (const std::int64_t frame : show.loFrames) play = frame * SAMPLES_PER_FRAME <= at ? frame * SAMPLES_PER_FRAME : play;
        return play < 0 ? sf::Int16(0) : marked(at - play, channel);
    };
    const std::pair<std::int64_t, std::int64_t> checked[] = {{0, show.ballSceneStart * SAMPLES_PER_FRAME},
                                                             {songStart + 24000, show.frameCount * SAMPLES_PER_FRAME}};
    for (const auto& [from, to] : checked) {
        std::int64_t mismatches = 0, first = -1;
        for (std::int64_t at = from; at < to; ++at) {
            const bool same = track[at * 2] == expected(at, 0) && track[at * 2 + 1] == expected(at, 1);
            first = same || first >= 0 ? first : at;
            mismatches += !same;
        }
        EXPECT_EQ(mismatches, 0) << "the first at sample " << first << " (frame " << first / SAMPLES_PER_FRAME << ")";
    }
}

// ---------------------------------------------------------------------------
// Half a second of the first intro card, while the first "lo" rings, as
// parties and upload sites ask of a 1080p60 capture: H.264 High profile,
// yuv420p, exactly 60 fps, AAC stereo at 48 kHz, the index (moov) before the
// media (mdat). On a machine without an audio device, with OpenAL's error
// lines on: the tool needs no device and leaves none open.
TEST_F(CaptureTest, APartOfTheShowIsAnMp4OfTheRightSizeRateLengthAndStreams)
{
    const fs::path video = folder.path / "part.mp4";
    const ToolRun run = runCapture(repositoryRoot(), folder.path, "--seconds 22-22.5 '" + video.string() + "'",
                                   "ALSOFT_DRIVERS=none ALSOFT_LOGLEVEL=1");
    ASSERT_EQ(run.exitCode, 0) << ::testing::PrintToString(run.errorLines);
    EXPECT_EQ(run.errorLines, Lines{});

    const nlohmann::json info = nlohmann::json::parse(
        outputOf("ffprobe -v error -count_frames -show_entries stream=codec_type,codec_name,profile,width,height,"
                 "pix_fmt,r_frame_rate,avg_frame_rate,nb_read_frames,sample_rate,channels,channel_layout,bit_rate,"
                 "duration:format=duration,format_name -of json '" + video.string() + "'", folder.path));
    std::map<std::string, std::string> seen = {{"format", info["format"]["format_name"]}};
    for (const nlohmann::json& stream : info["streams"]) {
        for (const auto& [key, value] : stream.items()) {
            seen[stream["codec_type"].get<std::string>() + "." + key] = value.is_string() ? value.get<std::string>() : value.dump();
        }
    }
    const std::map<std::string, std::string> expected = {
        {"video.codec_name", "h264"}, {"video.profile", "High"}, {"video.width", "1920"}, {"video.height", "1080"},
        {"video.pix_fmt", "yuv420p"}, {"video.r_frame_rate", "60/1"}, {"video.avg_frame_rate", "60/1"},
        {"video.nb_read_frames", "30"}, {"audio.codec_name", "aac"}, {"audio.sample_rate", "48000"},
        {"audio.channels", "2"}, {"audio.channel_layout", "stereo"}};
    for (const auto& [key, value] : expected) EXPECT_EQ(seen[key], value) << key;
    EXPECT_NE(seen["format"].find("mp4"), std::string::npos);
    EXPECT_EQ(info["streams"].size(), 2u);
    EXPECT_GE(std::stoi(seen["audio.bit_rate"]), 180000);
    EXPECT_NEAR(std::stod(info["format"]["duration"].get<std::string>()), 0.5, 0.03);
    EXPECT_NEAR(std::stod(seen["audio.duration"]), 0.5, 0.03);

    const std::string bytes = readBytes(video);
    std::string boxes;  // the top-level boxes' types in file order, with 32-bit sizes as written here
    for (std::size_t at = 0, size = 8; size >= 8 && at + 8 <= bytes.size(); at += size) {
        size = 0;
        for (int i = 0; i < 4; ++i) size = size << 8 | static_cast<unsigned char>(bytes[at + i]);
        boxes += bytes.substr(at + 4, 4) + " ";
    }
    EXPECT_LT(boxes.find("moov"), boxes.find("mdat")) << boxes;
    EXPECT_NE(boxes.find("mdat"), std::string::npos) << boxes;
}

// ---------------------------------------------------------------------------
// Failures, in a copy of the run files: one line and exit code 1. The tool
// starts the show through the demo's own start-up: the same files give the
// same lines in the same order, and a failed start one line more.
TEST_F(CaptureTest, FailuresEndTheRunWithOneLine)
{
    struct Case {
        const char* name;
        std::vector<std::pair<const char*, const char*>> files;  // written, or removed where null
        std::string environment, arguments;
        bool demoLinesFirst, quiet;  // quiet: it stops before the show starts, with nothing on standard output
        int exitCode;
        Lines lines;
        const char* notWritten;
    };
    const Case cases[] = {
        {"no ffmpeg", {}, "PATH=/nonexistent", "x.mp4", false, true, 1,
         {"bouncefest-capture: ffmpeg is missing; install the Debian package ffmpeg."}, "x.mp4"},
        {"unwritable output", {{"plain-file", "not a folder"}}, "", "plain-file/show.mp4", false, true, 1,
         {"bouncefest-capture: Unable to write plain-file/show.mp4: Not a directory."}, nullptr},
        {"failed encode", {{"bin/ffmpeg", "#!/bin/sh\necho 'Unknown encoder libx264' >&2\nexit 1\n"}},
         "PATH=\"$PWD/bin:/usr/bin:/bin\"", "--seconds 0-1 show.mp4", false, false, 1,
         {"bouncefest-capture: ffmpeg failed to encode the video (exit code 1): Unknown encoder libx264"}, "show.mp4"},
        {"broken configuration and manifests",
         {{"config.json", "{\"fullscreen\": "}, {"assets/textures.json", nullptr}, {"assets/sounds.json", "[]"}},
         "", "--frames 0 frames", true, false, 0, {}, nullptr},
        {"missing balls shader", {{"assets/shaders/balls.frag", nullptr}}, "", "--frames 0 frames", true, false, 1,
         {"bouncefest-capture: The show could not start."}, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempRunFolder run;
        run.copyRepositoryRunFiles();
        for (const auto& [file, content] : c.files) {
            if (content == nullptr) fs::remove(run.path / file);
            if (content != nullptr) run.write(file, content);
            if (content != nullptr) fs::permissions(run.path / file, fs::perms::owner_all);
        }
        Lines expected;
        if (c.demoLinesFirst) {
            ProgramOptions options;
            options.holdEscape = true;  // the demo's first frame, as --frames 0 runs
            options.timeoutSeconds = 60.0;
            options.extraEnv = {"ALSOFT_DRIVERS=null"};  // the tool's audio output
            expected = splitLines(runBouncefest(run.path, options).err);
            ASSERT_FALSE(expected.empty());
        }
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        const ToolRun tool = runCapture(run.path, run.path, c.arguments, c.environment);
        EXPECT_EQ(tool.exitCode, c.exitCode);
        EXPECT_EQ(tool.errorLines, expected);
        EXPECT_TRUE(!c.quiet || tool.out.empty()) << tool.out;
        EXPECT_FALSE(c.notWritten != nullptr && fs::exists(run.path / c.notWritten));
    }
}

}  // namespace
