// The capture tool run as a user runs it, from the run folder under the
// test's X server: golden frames, the soundtrack's timing and loudness, a
// short MP4 and the failures that end it with one line.
#include "loudness_meter.h"
#include "test_support.h"

#include <SFML/Audio/InputSoundFile.hpp>
#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr double TOOL_TIMEOUT_S = 300.0;

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::vector<std::string> errorLines;
};

// The capture tool lies beside the demo in the build folder.
fs::path captureTool()
{
    return fs::path(BOUNCEFEST_EXE).parent_path() / "bouncefest-capture";
}

// Runs the tool in runFolder with arguments; environment holds NAME=value
// words put before it. Its output lands in outputFolder.
ToolRun runCapture(const fs::path& runFolder, const fs::path& outputFolder, const std::string& arguments,
                   const std::string& environment = "")
{
    const fs::path out = outputFolder / "tool.out";
    const fs::path err = outputFolder / "tool.err";
    std::ostringstream command;
    command << "cd '" << runFolder.string() << "' && env " << environment << " /usr/bin/timeout " << TOOL_TIMEOUT_S << " '"
            << captureTool().string() << "' " << arguments << " >'" << out.string() << "' 2>'" << err.string()
            << "'";
    const int status = std::system(command.str().c_str());
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readBytes(out);
    run.errorLines = splitLines(readBytes(err));
    return run;
}

// The frame (from 0) on which each stage of a scene's timeline ends when
// the scene's first call is firstFrame: every frame adds 1/60 s to the
// stage time in single precision, a stage ends on the first frame on which
// its time is strictly greater than its length, and the next stage starts
// from 0 on the frame after.
std::vector<std::int64_t> stageEnds(std::int64_t firstFrame, const std::vector<float>& lengths)
{
    const float dt = 1.0f / 60.0f;
    std::vector<std::int64_t> ends;
    std::int64_t frame = firstFrame;
    for (const float length : lengths) {
        float stageTime = 0.0f;
        while (true) {
            stageTime += dt;
            if (stageTime > length) break;
            ++frame;
        }
        ends.push_back(frame);
        ++frame;
    }
    return ends;
}

// The show at exactly 60 fps: the loading screen, the intro and the ball
// scene, each starting on the frame after the one in which the last ended.
struct ShowTimeline {
    std::vector<std::int64_t> loFrames;
    std::int64_t ballSceneStart = 0;
    std::int64_t musicFrame = 0;
    std::int64_t fadeFrame = 0;   // the fade to black starts
    std::int64_t blackFrame = 0;  // and 2 s later no pixel is above 1 of 255
    std::int64_t frameCount = 0;

    ShowTimeline()
    {
        const std::vector<std::int64_t> loading = stageEnds(0, {4.0f, 2.0f, 3.0f, 2.4f, 7.0f, 3.5f});
        const std::int64_t introStart = loading.back() + 1;
        const std::vector<std::int64_t> intro = stageEnds(introStart, {5, 2, 5, 2, 5, 2, 5, 2});
        // "lo" sounds on the intro's first call and as stages 1, 3 and 5 end.
        loFrames = {introStart, intro[1], intro[3], intro[5]};
        ballSceneStart = intro.back() + 1;
        const std::vector<std::int64_t> balls =
            stageEnds(ballSceneStart, {2, 7, 7, 7, 4, 4, 4, 4, 4, 4, 12, 4});
        musicFrame = balls[3];
        fadeFrame = balls[10];
        blackFrame = fadeFrame + 120;
        // The ball scene returns the quit id; the frame after it ends the show.
        frameCount = balls.back() + 2;
    }
};

constexpr std::int64_t SAMPLES_PER_FRAME = 800;  // 48 kHz at 60 fps

struct Soundtrack {
    unsigned rateHz = 0;
    unsigned channels = 0;
    std::vector<sf::Int16> samples;

    std::int64_t frameCount() const { return static_cast<std::int64_t>(samples.size() / channels); }
    bool silentAt(std::int64_t frame) const
    {
        for (unsigned c = 0; c < channels; ++c) {
            if (samples[static_cast<std::size_t>(frame * channels + c)] != 0) return false;
        }
        return true;
    }
};

Soundtrack readSoundtrack(const fs::path& path)
{
    Soundtrack track;
    sf::InputSoundFile file;
    if (!file.openFromFile(path.string())) {
        ADD_FAILURE() << "no soundtrack at " << path;
        return track;
    }
    track.rateHz = file.getSampleRate();
    track.channels = file.getChannelCount();
    track.samples.resize(static_cast<std::size_t>(file.getSampleCount()));
    track.samples.resize(static_cast<std::size_t>(file.read(track.samples.data(), track.samples.size())));
    return track;
}

// Where sound begins after at least gapFrames of exact silence (or after
// silence from the start), before endFrame.
std::vector<std::int64_t> onsetsAfterSilence(const Soundtrack& track, std::int64_t endFrame, std::int64_t gapFrames)
{
    std::vector<std::int64_t> onsets;
    std::int64_t silentRun = gapFrames;
    for (std::int64_t frame = 0; frame < endFrame; ++frame) {
        if (track.silentAt(frame)) {
            ++silentRun;
            continue;
        }
        if (silentRun >= gapFrames) onsets.push_back(frame);
        silentRun = 0;
    }
    return onsets;
}

// A sound that starts in show frame n begins at sample n * 800, give or
// take its own first quiet samples, and never before.
void expectOnsetsOnFrames(const std::vector<std::int64_t>& onsets, const std::vector<std::int64_t>& frames)
{
    constexpr std::int64_t QUIET_START_SAMPLES = 200;
    ASSERT_EQ(onsets.size(), frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_GE(onsets[i], frames[i] * SAMPLES_PER_FRAME) << "onset " << i;
        EXPECT_LT(onsets[i], frames[i] * SAMPLES_PER_FRAME + QUIET_START_SAMPLES) << "onset " << i;
    }
}

struct CaptureTest : ::testing::Test {
    TempRunFolder folder;  // the outputs; a copy of the run files where needed
};

// ---------------------------------------------------------------------------
// Golden frames: the chosen frames, scaled down by 8 and kept to 5 bits per
// channel, against the references under tests/tools/golden. With
// BOUNCEFEST_UPDATE_GOLDEN=1 (scripts/update-golden.sh) the test writes the
// references instead.

constexpr unsigned FULL_WIDTH_PX = 1920;
constexpr unsigned FULL_HEIGHT_PX = 1080;
constexpr unsigned GOLDEN_SCALE = 8;
constexpr unsigned GOLDEN_WIDTH_PX = FULL_WIDTH_PX / GOLDEN_SCALE;
constexpr unsigned GOLDEN_HEIGHT_PX = FULL_HEIGHT_PX / GOLDEN_SCALE;
constexpr unsigned GOLDEN_LEVEL_STEP = 8;  // 5 bits per channel keep the files small
// Rounding between machines moves a channel by a few levels; a real change
// moves many pixels far or shifts the whole picture.
constexpr int CHANGED_CHANNEL_LEVELS = 24;
constexpr double MOST_CHANGED_PIXEL_FRACTION = 0.005;
constexpr double MOST_MEAN_CHANNEL_LEVELS = 4.0;

struct GoldenFrame {
    std::int64_t frame;
    const char* name;
};

// Frames of the show at 60 fps, from ShowTimeline's stages: the loading
// screen ends at 1318, the intro at 3002, the ball scene at 6791.
const GoldenFrame GOLDEN_FRAMES[] = {
    {120, "loading-generating-textures"},
    {1200, "loading-finishing-up"},
    {1500, "intro-card-1"},
    {1900, "intro-card-2"},
    {2320, "intro-card-3"},
    {2740, "intro-card-4"},
    {3040, "balls-fading-in"},
    {3300, "balls-first-ball"},
    {3700, "balls-camera-easing"},
    {4450, "balls-credits-start"},
    {4700, "balls-credits-orin"},
    {5700, "balls-credits-mave"},
    {6100, "balls-camera-falling"},
    {6600, "balls-fading-out"},
    {6792, "end"},
};

fs::path goldenPath(const GoldenFrame& golden)
{
    return repositoryRoot() / "tests/tools/golden" / (std::string(golden.name) + ".png");
}

fs::path framePath(const fs::path& folder, std::int64_t frame)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06lld.png", static_cast<long long>(frame));
    return folder / name;
}

// The mean of each 8 x 8 block, kept to the golden level step.
bool isOpaque(const sf::Image& image)
{
    const sf::Uint8* rgba = image.getPixelsPtr();
    const std::size_t bytes = static_cast<std::size_t>(image.getSize().x) * image.getSize().y * 4;
    for (std::size_t alpha = 3; alpha < bytes; alpha += 4) {
        if (rgba[alpha] != 255) return false;
    }
    return true;
}

sf::Image goldenOf(const sf::Image& full)
{
    sf::Image small;
    small.create(GOLDEN_WIDTH_PX, GOLDEN_HEIGHT_PX);
    for (unsigned y = 0; y < GOLDEN_HEIGHT_PX; ++y) {
        for (unsigned x = 0; x < GOLDEN_WIDTH_PX; ++x) {
            unsigned sum[3] = {0, 0, 0};
            for (unsigned dy = 0; dy < GOLDEN_SCALE; ++dy) {
                for (unsigned dx = 0; dx < GOLDEN_SCALE; ++dx) {
                    const sf::Color pixel = full.getPixel(x * GOLDEN_SCALE + dx, y * GOLDEN_SCALE + dy);
                    sum[0] += pixel.r;
                    sum[1] += pixel.g;
                    sum[2] += pixel.b;
                }
            }
            sf::Uint8 channel[3];
            for (int c = 0; c < 3; ++c) {
                const double mean = static_cast<double>(sum[c]) / (GOLDEN_SCALE * GOLDEN_SCALE);
                const double stepped = std::round(mean / GOLDEN_LEVEL_STEP) * GOLDEN_LEVEL_STEP;
                channel[c] = static_cast<sf::Uint8>(std::min(stepped, 255.0));
            }
            small.setPixel(x, y, sf::Color(channel[0], channel[1], channel[2]));
        }
    }
    return small;
}

void expectLikeReference(const sf::Image& actual, const sf::Image& reference, const std::string& name)
{
    ASSERT_EQ(reference.getSize(), actual.getSize()) << name;
    std::int64_t changedPixels = 0;
    double levelSum = 0.0;
    for (unsigned y = 0; y < GOLDEN_HEIGHT_PX; ++y) {
        for (unsigned x = 0; x < GOLDEN_WIDTH_PX; ++x) {
            const sf::Color a = actual.getPixel(x, y);
            const sf::Color b = reference.getPixel(x, y);
            const int differences[3] = {std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)};
            bool changed = false;
            for (const int difference : differences) {
                levelSum += difference;
                changed = changed || difference > CHANGED_CHANNEL_LEVELS;
            }
            if (changed) ++changedPixels;
        }
    }
    const double pixels = GOLDEN_WIDTH_PX * GOLDEN_HEIGHT_PX;
    EXPECT_LE(changedPixels / pixels, MOST_CHANGED_PIXEL_FRACTION) << name << ": " << changedPixels << " pixels changed";
    EXPECT_LE(levelSum / (pixels * 3), MOST_MEAN_CHANNEL_LEVELS) << name;
}

TEST_F(CaptureTest, ChosenFramesMatchTheGoldenReferences)
{
    std::string list;
    for (const GoldenFrame& golden : GOLDEN_FRAMES) list += (list.empty() ? "" : ",") + std::to_string(golden.frame);
    const ToolRun run = runCapture(repositoryRoot(), folder.path, "--frames " + list + " '" + folder.path.string() + "'");
    ASSERT_EQ(run.exitCode, 0) << ::testing::PrintToString(run.errorLines);

    const bool updating = std::getenv("BOUNCEFEST_UPDATE_GOLDEN") != nullptr;
    for (const GoldenFrame& golden : GOLDEN_FRAMES) {
        sf::Image full;
        ASSERT_TRUE(full.loadFromFile(framePath(folder.path, golden.frame).string())) << golden.name;
        ASSERT_EQ(full.getSize(), sf::Vector2u(FULL_WIDTH_PX, FULL_HEIGHT_PX));
        EXPECT_TRUE(isOpaque(full)) << golden.name << ": a frame is what the screen shows, with no transparency";
        const sf::Image small = goldenOf(full);
        if (updating) {
            fs::create_directories(goldenPath(golden).parent_path());
            EXPECT_TRUE(small.saveToFile(goldenPath(golden).string())) << golden.name;
            continue;
        }
        sf::Image reference;
        ASSERT_TRUE(reference.loadFromFile(goldenPath(golden).string())) << golden.name;
        expectLikeReference(small, reference, golden.name);
    }
}

// The golden frames rest on this: a frame that is not written still runs,
// and the frame after it is the same as in a capture of every frame.
TEST_F(CaptureTest, FramesThatAreNotWrittenLeaveTheNextFrameAsInAFullCapture)
{
    const ShowTimeline show;
    const std::int64_t first = show.ballSceneStart;
    const std::int64_t last = first + 6;
    const fs::path every = folder.path / "every";
    const fs::path one = folder.path / "one";
    const std::string range = std::to_string(first) + "-" + std::to_string(last);
    ASSERT_EQ(runCapture(repositoryRoot(), folder.path, "--frames " + range + " '" + every.string() + "'").exitCode, 0);
    ASSERT_EQ(runCapture(repositoryRoot(), folder.path, "--frames " + std::to_string(last) + " '" + one.string() + "'").exitCode, 0);

    sf::Image fromEvery;
    sf::Image fromOne;
    ASSERT_TRUE(fromEvery.loadFromFile(framePath(every, last).string()));
    ASSERT_TRUE(fromOne.loadFromFile(framePath(one, last).string()));
    const sf::Uint8* a = fromEvery.getPixelsPtr();
    const sf::Uint8* b = fromOne.getPixelsPtr();
    EXPECT_TRUE(std::equal(a, a + FULL_WIDTH_PX * FULL_HEIGHT_PX * 4, b));
    EXPECT_FALSE(fs::exists(framePath(one, last - 1)));
}

// ---------------------------------------------------------------------------
// The soundtrack, written alone.

TEST_F(CaptureTest, LoStartsOnItsFramesAndTheSoundtrackLastsTheWholeShow)
{
    const ShowTimeline show;
    const fs::path wav = folder.path / "show.wav";
    const ToolRun run = runCapture(repositoryRoot(), folder.path, "--soundtrack '" + wav.string() + "'");
    ASSERT_EQ(run.exitCode, 0) << ::testing::PrintToString(run.errorLines);

    const Soundtrack track = readSoundtrack(wav);
    EXPECT_EQ(track.rateHz, 48000u);
    EXPECT_EQ(track.channels, 2u);
    EXPECT_EQ(show.frameCount, 6793);
    EXPECT_EQ(track.frameCount(), show.frameCount * SAMPLES_PER_FRAME);
    // The loading screen is silent, and each "lo" rings out before the next.
    const std::int64_t halfSecond = 24000;
    expectOnsetsOnFrames(onsetsAfterSilence(track, show.ballSceneStart * SAMPLES_PER_FRAME, halfSecond), show.loFrames);
}

TEST_F(CaptureTest, MutedEffectsLeaveTheMusicFromItsFrameToTheEnd)
{
    const ShowTimeline show;
    folder.copyRepositoryRunFiles();
    folder.write("config.json", "{\"sound\": false}");
    const fs::path wav = folder.path / "show.wav";
    const ToolRun run = runCapture(folder.path, folder.path, "--soundtrack '" + wav.string() + "'");
    ASSERT_EQ(run.exitCode, 0) << ::testing::PrintToString(run.errorLines);

    const Soundtrack track = readSoundtrack(wav);
    ASSERT_EQ(track.frameCount(), show.frameCount * SAMPLES_PER_FRAME);
    const std::vector<std::int64_t> onsets = onsetsAfterSilence(track, track.frameCount(), track.frameCount());
    expectOnsetsOnFrames(onsets, {show.musicFrame});
    // Still at full strength in the second before the fade to black.
    const std::size_t fadeStart = static_cast<std::size_t>(show.fadeFrame * SAMPLES_PER_FRAME * 2);
    double power = 0.0;
    for (std::size_t i = fadeStart - 96000; i < fadeStart; ++i) power += static_cast<double>(track.samples[i]) * track.samples[i];
    EXPECT_GT(std::sqrt(power / 96000.0), 3000.0);
}

// The music against the picture, on ffmpeg's EBU R128 meter: it takes over
// from the bounces without a dip, and is silent from the moment the screen
// is black until the show quits.
TEST_F(CaptureTest, TheMusicEntersAtFullStrengthAndIsSilentOnceThePictureIsBlack)
{
    constexpr double SECONDS_PER_FRAME = 1.0 / 60.0;
    constexpr double WINDOW_S = 4.0;
    constexpr double MOST_ENTRANCE_DIP_LU = 3.0;
    constexpr double SILENT_LUFS = -45.0;
    constexpr double LAST_QUARTER_SECOND_PEAK_DBFS = -50.0;
    const ShowTimeline show;
    const fs::path wav = folder.path / "show.wav";
    const ToolRun run = runCapture(repositoryRoot(), folder.path, "--soundtrack '" + wav.string() + "'");
    ASSERT_EQ(run.exitCode, 0) << ::testing::PrintToString(run.errorLines);

    const double musicStart = show.musicFrame * SECONDS_PER_FRAME;
    const LoudnessSummary bounces = loudnessOf(wav.string(), musicStart - WINDOW_S, WINDOW_S);
    const LoudnessSummary entrance = loudnessOf(wav.string(), musicStart, WINDOW_S);
    const LoudnessSummary music = loudnessOf(wav.string(), musicStart);
    ASSERT_FALSE(std::isnan(bounces.integratedLufs)) << bounces.report;
    ASSERT_FALSE(std::isnan(entrance.integratedLufs)) << entrance.report;
    ASSERT_FALSE(std::isnan(music.integratedLufs)) << music.report;
    EXPECT_GE(entrance.integratedLufs, bounces.integratedLufs);
    EXPECT_GE(entrance.integratedLufs, music.integratedLufs - MOST_ENTRANCE_DIP_LU);

    const double black = show.blackFrame * SECONDS_PER_FRAME;
    std::size_t silentPoints = 0;
    for (const MomentaryLoudness& point : momentaryLoudnessOf(wav.string())) {
        if (point.seconds < black) continue;
        ++silentPoints;
        EXPECT_LE(point.lufs, SILENT_LUFS) << "at " << point.seconds << " s";
    }
    EXPECT_GE(silentPoints, 10u);  // 2 s from black to the end, every 100 ms

    const Soundtrack track = readSoundtrack(wav);
    const double peakLimit = 32768.0 * std::pow(10.0, LAST_QUARTER_SECOND_PEAK_DBFS / 20.0);
    ASSERT_EQ(track.frameCount(), show.frameCount * SAMPLES_PER_FRAME);
    const std::size_t lastQuarterSecond = track.samples.size() - 12000 * track.channels;
    for (std::size_t i = lastQuarterSecond; i < track.samples.size(); ++i) {
        ASSERT_LE(std::abs(track.samples[i]), peakLimit) << "sample " << i / track.channels;
    }
}

// Media at the soundtrack's own rate go into it sample for sample, which
// shows where each playback starts, where a restart cuts it and where a
// loop goes back to.
TEST_F(CaptureTest, A48kHzLoRestartsOnEachPlayAndA48kHzSongLoopsFromLoopTo)
{
    const ShowTimeline show;
    folder.copyRepositoryRunFiles();
    writeToneFile((folder.path / "long-lo.wav").string(), 10.0, 48000, 2);  // outlasts the 7 s between plays
    writeToneFile((folder.path / "short-song.wav").string(), 1.0, 48000, 2);
    folder.write("assets/sounds.json", R"({"sounds": {"bounce": {"file": "assets/sounds/bounce.wav"},
                                                      "lo": {"file": "long-lo.wav"}}})");
    folder.write("assets/music.json", R"({"music": {"qrv": {"file": "short-song.wav", "loopTo": 400}}})");
    const fs::path wav = folder.path / "show.wav";
    const ToolRun run = runCapture(folder.path, folder.path, "--soundtrack '" + wav.string() + "'");
    ASSERT_EQ(run.exitCode, 0) << ::testing::PrintToString(run.errorLines);
    const Soundtrack track = readSoundtrack(wav);
    const Soundtrack lo = readSoundtrack(folder.path / "long-lo.wav");
    const Soundtrack song = readSoundtrack(folder.path / "short-song.wav");
    ASSERT_EQ(track.frameCount(), show.frameCount * SAMPLES_PER_FRAME);
    auto sampleOf = [](const Soundtrack& sound, std::int64_t position) {
        return sound.samples[static_cast<std::size_t>(position * 2)];
    };

    // The second play cuts the first on its last sample and starts again.
    const std::int64_t cut = show.loFrames[1] * SAMPLES_PER_FRAME;
    const std::int64_t firstPlayed = (show.loFrames[1] - show.loFrames[0]) * SAMPLES_PER_FRAME;
    EXPECT_EQ(sampleOf(track, cut - 1), sampleOf(lo, firstPlayed - 1));
    for (std::int64_t k = 0; k < 100; ++k) ASSERT_EQ(sampleOf(track, cut + k), sampleOf(lo, k)) << k;

    // The song plays from its start to its end, then from 400 ms (19200
    // samples) to the end, again and again. Its first half second is left
    // out: the last bounces may still ring there.
    const std::int64_t songStart = show.musicFrame * SAMPLES_PER_FRAME;
    const std::int64_t songLength = song.frameCount();
    const std::int64_t loopStart = 19200;
    std::int64_t mismatches = 0;
    for (std::int64_t at = songStart + 24000; at < track.frameCount(); ++at) {
        const std::int64_t played = at - songStart;
        const std::int64_t position =
            played < songLength ? played : loopStart + (played - songLength) % (songLength - loopStart);
        if (sampleOf(track, at) != sampleOf(song, position)) ++mismatches;
    }
    EXPECT_EQ(mismatches, 0);
}

// ---------------------------------------------------------------------------
// A short video.

nlohmann::json probe(const fs::path& video, const fs::path& folder)
{
    const fs::path json = folder / "probe.json";
    const std::string command = "ffprobe -v error -count_frames -show_entries "
                                "stream=codec_type,codec_name,profile,width,height,pix_fmt,r_frame_rate,avg_frame_rate,"
                                "nb_read_frames,sample_rate,channels,channel_layout,bit_rate,duration"
                                ":format=duration,format_name -of json '" +
                                video.string() + "' >'" + json.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    return nlohmann::json::parse(readBytes(json), nullptr, false);
}

// The types of an MP4's top-level boxes, in file order.
std::vector<std::string> topLevelBoxes(const fs::path& video)
{
    const std::string bytes = readBytes(video);
    std::vector<std::string> types;
    for (std::size_t at = 0; at + 8 <= bytes.size();) {
        std::uint64_t size = 0;
        for (int i = 0; i < 4; ++i) size = size << 8 | static_cast<unsigned char>(bytes[at + i]);
        types.push_back(bytes.substr(at + 4, 4));
        if (size < 8) break;  // a box to the end of the file, or a 64-bit size: neither is written here
        at += size;
    }
    return types;
}

// Also what parties and upload sites ask of a 1080p60 capture: H.264 High
// profile, yuv420p, exactly 60 fps, AAC stereo at 48 kHz, the index first.
TEST_F(CaptureTest, APartOfTheShowIsAnMp4OfTheRightSizeRateLengthAndStreams)
{
    const fs::path video = folder.path / "part.mp4";
    // 1.5 s of the first intro card, while the first "lo" rings, on a
    // machine without an audio device, with OpenAL's error lines on: the
    // tool needs no device and leaves none open.
    const ToolRun run = runCapture(repositoryRoot(), folder.path, "--seconds 22-23.5 '" + video.string() + "'",
                                   "ALSOFT_DRIVERS=none ALSOFT_LOGLEVEL=1");
    ASSERT_EQ(run.exitCode, 0) << ::testing::PrintToString(run.errorLines);
    EXPECT_EQ(run.errorLines, std::vector<std::string>{});

    const nlohmann::json info = probe(video, folder.path);
    ASSERT_FALSE(info.is_discarded());
    EXPECT_NE(info["format"]["format_name"].get<std::string>().find("mp4"), std::string::npos);
    EXPECT_NEAR(std::stod(info["format"]["duration"].get<std::string>()), 1.5, 0.03);
    ASSERT_EQ(info["streams"].size(), 2u);
    for (const nlohmann::json& stream : info["streams"]) {
        if (stream["codec_type"] == "video") {
            EXPECT_EQ(stream["codec_name"], "h264");
            EXPECT_EQ(stream["profile"], "High");
            EXPECT_EQ(stream["width"], 1920);
            EXPECT_EQ(stream["height"], 1080);
            EXPECT_EQ(stream["pix_fmt"], "yuv420p");
            EXPECT_EQ(stream["r_frame_rate"], "60/1");
            EXPECT_EQ(stream["avg_frame_rate"], "60/1");
            EXPECT_EQ(stream["nb_read_frames"], "90");
        } else {
            EXPECT_EQ(stream["codec_name"], "aac");
            EXPECT_EQ(stream["sample_rate"], "48000");
            EXPECT_EQ(stream["channels"], 2);
            EXPECT_EQ(stream["channel_layout"], "stereo");
            EXPECT_GE(std::stoi(stream["bit_rate"].get<std::string>()), 180000);
            EXPECT_NEAR(std::stod(stream["duration"].get<std::string>()), 1.5, 0.03);
        }
    }
    // +faststart: the index (moov) before the media (mdat), so that a player
    // can start before the whole file has arrived.
    const std::vector<std::string> boxes = topLevelBoxes(video);
    const auto moov = std::find(boxes.begin(), boxes.end(), "moov");
    const auto mdat = std::find(boxes.begin(), boxes.end(), "mdat");
    ASSERT_NE(mdat, boxes.end()) << ::testing::PrintToString(boxes);
    EXPECT_LT(moov, mdat) << ::testing::PrintToString(boxes);
}

// ---------------------------------------------------------------------------
// The tool starts the show through the demo's own start-up: the same files
// give the same lines in the same order, and a failed start one line more.

struct SharedStartCase {
    const char* name;
    void (*breakRunFiles)(const TempRunFolder& folder);
    int captureExitCode;
    std::vector<std::string> captureLinesAfterTheDemos;
};

TEST_F(CaptureTest, BrokenRunFilesGiveTheDemosStartUpLines)
{
    const SharedStartCase cases[] = {
        {"broken configuration and manifests",
         [](const TempRunFolder& run) {
             run.write("config.json", "{\"fullscreen\": ");
             fs::remove(run.path / "assets/textures.json");
             run.write("assets/sounds.json", "[]");
         },
         0, {}},
        {"missing balls shader",
         [](const TempRunFolder& run) { fs::remove(run.path / "assets/shaders/balls.frag"); },
         1, {"bouncefest-capture: The show could not start."}},
    };
    for (const SharedStartCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempRunFolder run;
        run.copyRepositoryRunFiles();
        c.breakRunFiles(run);

        ProgramOptions options;
        options.holdEscape = true;  // the demo's first frame, as --frames 0 runs
        options.timeoutSeconds = 60.0;
        options.extraEnv = {"ALSOFT_DRIVERS=null"};  // the tool's audio output
        const ProgramRun demo = runBouncefest(run.path, options);
        const ToolRun tool = runCapture(run.path, run.path, "--frames 0 '" + (run.path / "frames").string() + "'");

        std::vector<std::string> expected = splitLines(demo.err);
        ASSERT_FALSE(expected.empty());
        expected.insert(expected.end(), c.captureLinesAfterTheDemos.begin(), c.captureLinesAfterTheDemos.end());
        EXPECT_EQ(tool.exitCode, c.captureExitCode);
        EXPECT_EQ(tool.errorLines, expected);
    }
}

// ---------------------------------------------------------------------------
// Failures: one line, exit code 1.

TEST_F(CaptureTest, WithoutFfmpegTheToolSaysSoInOneLine)
{
    const fs::path emptyPath = folder.path / "bin";
    fs::create_directories(emptyPath);
    const ToolRun run = runCapture(repositoryRoot(), folder.path, "'" + (folder.path / "x.mp4").string() + "'",
                                   "PATH='" + emptyPath.string() + "'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errorLines,
              std::vector<std::string>{"bouncefest-capture: ffmpeg is missing; install the Debian package ffmpeg."});
    EXPECT_FALSE(fs::exists(folder.path / "x.mp4"));
}

TEST_F(CaptureTest, AnUnwritableOutputIsOneLineBeforeAnyFrame)
{
    folder.write("plain-file", "not a folder");
    const fs::path output = folder.path / "plain-file" / "show.mp4";
    const ToolRun run = runCapture(repositoryRoot(), folder.path, "'" + output.string() + "'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errorLines,
              std::vector<std::string>{"bouncefest-capture: Unable to write " + output.string() + ": Not a directory."});
    EXPECT_EQ(run.out, "");
}

TEST_F(CaptureTest, AFailedEncodeIsOneLineWithFfmpegsReason)
{
    folder.write("bin/ffmpeg", "#!/bin/sh\necho 'Unknown encoder libx264' >&2\nexit 1\n");
    fs::permissions(folder.path / "bin/ffmpeg", fs::perms::owner_all);
    const fs::path output = folder.path / "show.mp4";
    const ToolRun run = runCapture(repositoryRoot(), folder.path, "--seconds 0-1 '" + output.string() + "'",
                                   "PATH='" + (folder.path / "bin").string() + ":/usr/bin:/bin'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errorLines, std::vector<std::string>{"bouncefest-capture: ffmpeg failed to encode the video "
                                                       "(exit code 1): Unknown encoder libx264"});
    EXPECT_FALSE(fs::exists(output));
}

}  // namespace
