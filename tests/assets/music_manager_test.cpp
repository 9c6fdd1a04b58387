// Songs from a manifest in a temporary folder: volume and loop points as
// played, and the files and numbers refused.
#include "assets/music_manager.h"
#include "test_support.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

struct MusicManagerTest : ::testing::Test {
    TempRunFolder folder;

    void SetUp() override
    {
        writeToneFile("long.wav", 13.0);
        writeToneFile("short.wav", 3.0);
        folder.write("text.ogg", "not music\n");
        folder.write("empty.ogg", "");
        std::filesystem::create_directories(folder.path / "folder.ogg");
    }

    Lines load(const std::string& songs)
    {
        folder.write("music.json", R"({"music": )" + songs + "}");
        return errorLinesOf([] { EXPECT_TRUE(musicManager.loadManifest("music.json")); });
    }
};

}  // namespace

TEST_F(MusicManagerTest, PlaysAtTheSongsVolumeLoopingFromItsLoopPointToTheEnd)
{
    EXPECT_EQ(load(R"({"plain": {"file": "long.wav"}, "loud": {"file": "short.wav", "volume": 40, "loopTo": 1500.9},
                       "late": {"file": "long.wav", "loopTo": 12000}, "bad": {"file": "long.wav", "loopTo": true}})"),
              Lines{"MusicManager: Wrong type of loopTo property for [bad]"});
    EXPECT_FALSE(musicManager.songs.count("bad"));
    sf::Music& music = musicManager.music;
    musicManager.play("plain", true);
    EXPECT_EQ(music.getStatus(), sf::Music::Playing);
    EXPECT_FLOAT_EQ(music.getVolume(), 100.0f);
    EXPECT_TRUE(music.getLoop());
    EXPECT_EQ(music.getLoopPoints().offset, sf::Time::Zero);
    EXPECT_EQ(music.getLoopPoints().length, sf::seconds(13.0f));

    musicManager.play("late", true);
    EXPECT_EQ(music.getLoopPoints().offset, sf::seconds(12.0f));
    EXPECT_EQ(music.getLoopPoints().length, sf::seconds(1.0f));
    EXPECT_LT(music.getPlayingOffset(), sf::seconds(1.0f));

    musicManager.play("loud", false);
    EXPECT_FLOAT_EQ(music.getVolume(), 40.0f);
    EXPECT_FALSE(music.getLoop());
    EXPECT_EQ(music.getLoopPoints().offset, sf::milliseconds(1500));
    EXPECT_EQ(music.getDuration(), sf::seconds(3.0f));

    // An unknown key leaves the stream playing; a later manifest replaces
    // songs silently.
    EXPECT_EQ(errorLinesOf([] { musicManager.play("Loud", true); }),
              Lines{"MusicManager: Song with key Loud does not exist."});
    EXPECT_EQ(music.getStatus(), sf::Music::Playing);
    EXPECT_EQ(load(R"({"loud": {"file": "long.wav", "volume": 10}})"), Lines{});
    musicManager.play("loud", true);
    EXPECT_FLOAT_EQ(music.getVolume(), 10.0f);
    EXPECT_EQ(music.getDuration(), sf::seconds(13.0f));
}

TEST_F(MusicManagerTest, BrokenFilesAreReportedWhenPlayedAndStopTheStream)
{
    EXPECT_EQ(load(R"({"plain": {"file": "long.wav"}, "gone": {"file": "gone.ogg"}, "text": {"file": "text.ogg"},
                       "empty": {"file": "empty.ogg"}, "folder": {"file": "folder.ogg"}})"),
              Lines{});
    for (const std::string key : {"gone", "text", "empty", "folder"}) {
        musicManager.play("plain", true);
        EXPECT_EQ(errorLinesOf([&] { musicManager.play(key, true); }),
                  Lines{"MusicManager: Unable to load music file " + key + ".ogg."});
        EXPECT_NE(musicManager.music.getStatus(), sf::Music::Playing) << key;
    }
}

TEST_F(MusicManagerTest, NumbersBeyondTheirIntegerAreRefused)
{
    EXPECT_EQ(load(R"({"a": {"file": "short.wav", "volume": 1e10}, "b": {"file": "short.wav", "volume": 2147483648},
                       "c": {"file": "short.wav", "loopTo": 1e300},
                       "d": {"file": "short.wav", "volume": -2147483648, "loopTo": -2147483646.5}})"),
              (Lines{"MusicManager: Out of range value of volume property for [a]",
                     "MusicManager: Out of range value of volume property for [b]",
                     "MusicManager: Out of range value of loopTo property for [c]"}));
    EXPECT_EQ(musicManager.songs.at("d")->volume, -2147483648);
    EXPECT_EQ(errorLinesOf([] { EXPECT_FALSE(musicManager.loadManifest("none.json")); }),
              Lines{"MusicManager: Unable to open file none.json."});
}
