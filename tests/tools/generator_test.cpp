// The generated media are the same bytes from every run of the generator.
// How they look and sound in the show is what the capture test's golden
// frames and soundtrack see.
#include "assets/sound_manager.h"
#include "core/show.h"
#include "scenes/scenes.h"
#include "test_support.h"

#include <SFML/Audio/SoundBuffer.hpp>

#include <algorithm>
#include <cmath>

namespace fs = std::filesystem;

// The build ran the generator, which lies beside the demo, into the
// repository's assets/; a second run into an empty folder writes every file
// again, byte for byte.
TEST(Generator, TwoRunsWriteIdenticalBytes)
{
    TempRunFolder folder;
    const fs::path generator = fs::path(BOUNCEFEST_EXE).parent_path() / "assetgen";
    ASSERT_EQ(std::system(("'" + generator.string() + "' assets >/dev/null 2>&1").c_str()), 0);
    int compared = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder.path / "assets")) {
        if (entry.is_directory()) continue;
        const fs::path file = fs::relative(entry.path(), folder.path);
        const std::string bytes = readBytes(entry.path());
        EXPECT_TRUE(!bytes.empty() && bytes == readBytes(repositoryRoot() / file)) << file << " is empty or differs from the build's (rebuild?)";
        ++compared;
    }
    EXPECT_EQ(compared, 21) << "18 pictures, 2 effects and the music";
}

// The show restarts a sound's one voice where it plays it again: "lo" a
// card after its last play, a frame late at most; a bounce at the soonest
// that the balls bring the next, at 60 fps. There each must have died away,
// or the cut clicks. "lo" rings on to the next card and, after the last,
// over the ball scene's fade from black; a bounce is heard with some width,
// not as the same signal on both sides.
TEST(Generator, EachSoundHasDiedAwayWhereTheShowPlaysItAgain)
{
    const std::string bounceFile = (repositoryRoot() / "assets/sounds/bounce.wav").string();
    ASSERT_TRUE(soundManager.add("bounce", bounceFile, 1));
    std::vector<int> bounceFrames;  // the frames with a bounce, each once
    int frame = 0;
    soundManager.onPlay = [&](const std::string&) {
        if (bounceFrames.empty() || bounceFrames.back() != frame) bounceFrames.push_back(frame);
    };
    sf::RenderTexture target;
    ASSERT_TRUE(target.create(8, 8));
    createOffscreenTarget();
    errorLinesOf([&] {  // no textures: only the balls' timeline matters here
        while (updateBallScene(target, FRAME_TIME_S) != SceneId::Quit) ++frame;
    });
    ASSERT_GT(bounceFrames.size(), 50u);
    int soonest = frame;
    for (std::size_t i = 1; i < bounceFrames.size(); ++i) soonest = std::min(soonest, bounceFrames[i] - bounceFrames[i - 1]);

    // The loudest sample of a stereo sound between two moments, in dBFS.
    const auto peakDbfs = [](const sf::SoundBuffer& sound, double fromS, double toS) {
        int peak = 1;
        const std::size_t end = std::min<std::size_t>(std::lround(toS * sound.getSampleRate()) * 2, sound.getSampleCount());
        for (std::size_t at = std::lround(fromS * sound.getSampleRate()) * 2; at < end; ++at)
            peak = std::max(peak, std::abs(int(sound.getSamples()[at])));
        return 20.0 * std::log10(peak / 32767.0);
    };
    sf::SoundBuffer bounce, lo;
    ASSERT_TRUE(bounce.loadFromFile(bounceFile) && bounce.getChannelCount() == 2);
    ASSERT_TRUE(lo.loadFromFile((repositoryRoot() / "assets/sounds/lo.wav").string()) && lo.getChannelCount() == 2);
    const double soonestS = soonest * double{FRAME_TIME_S}, cardS = INTRO_STAGES_S[0] + INTRO_STAGES_S[1];
    EXPECT_LT(peakDbfs(bounce, soonestS, 1e9), -60.0) << "a bounce after " << soonest << " frames";
    EXPECT_LT(peakDbfs(lo, cardS, cardS + FRAME_TIME_S), -50.0) << "the next card";
    EXPECT_GT(peakDbfs(lo, cardS + FRAME_TIME_S, cardS + INTRO_STAGES_S[1]), -30.0) << "the lo's tail";
    double leftRight = 0, leftLeft = 0, rightRight = 0;
    for (std::size_t i = 0; i + 1 < bounce.getSampleCount(); i += 2) {
        const double left = bounce.getSamples()[i], right = bounce.getSamples()[i + 1];
        leftRight += left * right, leftLeft += left * left, rightRight += right * right;
    }
    EXPECT_LT(leftRight / std::sqrt(leftLeft * rightRight), 0.9) << "the bounce's left and right alike";
}
