#include "assets/sound_manager.h"
#include "test_support.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

struct SoundManagerTest : ::testing::Test {
    TempRunFolder folder;

    void SetUp() override
    {
        writeToneFile("tone.wav", 2.0);
        folder.write("sounds.json", R"({"sounds": {
            "one": {"file": "tone.wav"},
            "four": {"file": "tone.wav", "instances": 4},
            "gone": {"file": "gone.wav"},
            "none": {"file": "tone.wav", "instances": 0},
            "text": {"file": "tone.wav", "instances": "4"},
            "vast": {"file": "tone.wav", "instances": 2000000000},
            "wide": {"file": "tone.wav", "instances": 1e10}
        }})");
    }
};

sf::Sound::Status statusOf(const std::string& key, int voice)
{
    return soundManager.sounds.at(key)->voices[voice].getStatus();
}

}  // namespace

TEST_F(SoundManagerTest, LoadsPoolsAndRefusesBadEntries)
{
    const Lines lines = errorLinesOf([] { EXPECT_TRUE(soundManager.loadManifest("sounds.json")); });
    EXPECT_EQ(lines, (Lines{"SoundManager: Unable to load file gone.wav.",
                            "SoundManager: Sound with key none needs 1 to 256 instances.",
                            "SoundManager: Wrong type of instances property for [text]",
                            "SoundManager: Sound with key vast needs 1 to 256 instances.",
                            "SoundManager: Out of range value of instances property for [wide]"}));
    ASSERT_TRUE(soundManager.exists("one"));
    EXPECT_EQ(soundManager.sounds["one"]->voiceCount, 1);
    EXPECT_EQ(soundManager.sounds["four"]->voiceCount, 4);
    EXPECT_EQ(soundManager.sounds["four"]->voices[3].getBuffer(), &soundManager.sounds["four"]->buffer);
    EXPECT_NEAR(soundManager.sounds["one"]->buffer.getDuration().asSeconds(), 2.0f, 0.01f);
    EXPECT_FALSE(soundManager.exists("gone"));
    EXPECT_FALSE(soundManager.exists("none"));
    EXPECT_FALSE(soundManager.exists("text"));

    EXPECT_EQ(errorLinesOf([] { EXPECT_FALSE(soundManager.add("four", "tone.wav", 1)); }),
              Lines{"SoundManager: Sound with key four already exists."});
}

TEST_F(SoundManagerTest, PlayRestartsTheFirstVoiceOnly)
{
    soundManager.loadManifest("sounds.json");
    soundManager.play("four");
    EXPECT_EQ(statusOf("four", 0), sf::Sound::Playing);
    for (int voice = 1; voice < 4; ++voice) EXPECT_EQ(statusOf("four", voice), sf::Sound::Stopped);

    sf::Sound& first = soundManager.sounds["four"]->voices[0];
    first.setPlayingOffset(sf::seconds(1.5f));
    soundManager.play("four");
    EXPECT_EQ(statusOf("four", 0), sf::Sound::Playing);
    EXPECT_LT(first.getPlayingOffset().asSeconds(), 1.0f);
    EXPECT_EQ(statusOf("four", 1), sf::Sound::Stopped);
}

TEST_F(SoundManagerTest, TheListenerHearsOfSoundsThatStartOnly)
{
    soundManager.loadManifest("sounds.json");
    std::vector<std::string> started;
    soundManager.onPlay = [&](const std::string& key) { started.push_back(key); };
    soundManager.play("one");
    soundManager.play("gone");
    soundManager.muted = true;
    soundManager.play("four");
    EXPECT_EQ(started, std::vector<std::string>{"one"});
}

TEST_F(SoundManagerTest, MutedPlaysNothingButStillReportsUnknownKeys)
{
    soundManager.loadManifest("sounds.json");
    soundManager.muted = true;
    EXPECT_EQ(errorLinesOf([] { soundManager.play("one"); }), Lines{});
    EXPECT_EQ(statusOf("one", 0), sf::Sound::Stopped);
    EXPECT_EQ(errorLinesOf([] {
                  soundManager.play("gone");
                  soundManager.play("gone");
              }),
              (Lines{"SoundManager: Sound with key gone does not exist.",
                     "SoundManager: Sound with key gone does not exist."}));
}
