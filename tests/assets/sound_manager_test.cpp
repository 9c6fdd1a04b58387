// Sound pools from a manifest in a temporary folder: their voices, the
// entries refused, and how play, the listener and muting behave.
#include "assets/sound_manager.h"
#include "test_support.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

// Loads a manifest with one good, one four-voice and five bad entries.
void loadSounds(const TempRunFolder& folder)
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
    EXPECT_EQ(errorLinesOf([] { EXPECT_TRUE(soundManager.loadManifest("sounds.json")); }),
              (Lines{"SoundManager: Unable to load file gone.wav.",
                     "SoundManager: Sound with key none needs 1 to 256 instances.",
                     "SoundManager: Wrong type of instances property for [text]",
                     "SoundManager: Sound with key vast needs 1 to 256 instances.",
                     "SoundManager: Out of range value of instances property for [wide]"}));
}

sf::Sound& voice(const std::string& key, int index)
{
    return soundManager.sounds.at(key)->voices[index];
}

}  // namespace

TEST(SoundManager, LoadsPoolsAndRefusesBadEntries)
{
    TempRunFolder folder;
    loadSounds(folder);
    EXPECT_EQ(soundManager.sounds.size(), 2u);
    EXPECT_EQ(soundManager.sounds.at("one")->voiceCount, 1);
    EXPECT_EQ(soundManager.sounds.at("four")->voiceCount, 4);
    EXPECT_EQ(voice("four", 3).getBuffer(), &soundManager.sounds.at("four")->buffer);
    EXPECT_NEAR(soundManager.sounds.at("one")->buffer.getDuration().asSeconds(), 2.0f, 0.01f);
    EXPECT_EQ(errorLinesOf([] { EXPECT_FALSE(soundManager.add("four", "tone.wav", 1)); }),
              Lines{"SoundManager: Sound with key four already exists."});
    EXPECT_EQ(errorLinesOf([] { EXPECT_FALSE(soundManager.loadManifest("none.json")); }),
              Lines{"SoundManager: Unable to open file none.json."});
}

TEST(SoundManager, PlayRestartsTheFirstVoiceAndTellsTheListenerUnlessMuted)
{
    TempRunFolder folder;
    loadSounds(folder);
    std::vector<std::string> started;
    soundManager.onPlay = [&](const std::string& key) { started.push_back(key); };
    soundManager.play("four");
    EXPECT_EQ(voice("four", 0).getStatus(), sf::Sound::Playing);
    voice("four", 0).setPlayingOffset(sf::seconds(1.5f));
    soundManager.play("four");
    EXPECT_LT(voice("four", 0).getPlayingOffset().asSeconds(), 1.0f);
    for (int index = 1; index < 4; ++index) EXPECT_EQ(voice("four", index).getStatus(), sf::Sound::Stopped);

    // Muted, nothing plays and the listener hears of nothing, but unknown
    // keys are still reported, every time.
    soundManager.muted = true;
    EXPECT_EQ(errorLinesOf([] {
                  soundManager.play("one");
                  soundManager.play("gone");
                  soundManager.play("gone");
              }),
              (Lines{"SoundManager: Sound with key gone does not exist.",
                     "SoundManager: Sound with key gone does not exist."}));
    EXPECT_EQ(voice("one", 0).getStatus(), sf::Sound::Stopped);
    EXPECT_EQ(started, (std::vector<std::string>{"four", "four"}));
}
