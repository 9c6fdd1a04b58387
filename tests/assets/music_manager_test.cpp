#include "assets/music_manager.h"
#include "test_support.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

constexpr unsigned SAMPLE_RATE = 8000;

struct MusicManagerTest : ::testing::Test {
    TempRunFolder folder;

    void SetUp() override
    {
        writeToneFile("long.wav", 13.0, SAMPLE_RATE);
        writeToneFile("short.wav", 3.0, SAMPLE_RATE);
        folder.write("music.json", R"({"music": {
            "plain": {"file": "long.wav"},
            "loud": {"file": "short.wav", "volume": 40, "loopTo": 1500.9},
            "late": {"file": "long.wav", "loopTo": 12000},
            "gone": {"file": "gone.ogg"},
            "bad": {"file": "long.wav", "loopTo": true}
        }})");
        const Lines lines = errorLinesOf([] { EXPECT_TRUE(musicManager.loadManifest("music.json")); });
        EXPECT_EQ(lines, Lines{"MusicManager: Wrong type of loopTo property for [bad]"});
    }
};

}  // namespace

TEST_F(MusicManagerTest, PlaysAtTheSongsVolumeLoopingFromItsLoopPointToTheEnd)
{
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
    EXPECT_FALSE(musicManager.songs.count("bad"));
}

TEST_F(MusicManagerTest, UnknownOrUnreadableSongsLeaveOrStopTheStream)
{
    musicManager.play("late", true);
    EXPECT_EQ(errorLinesOf([] { musicManager.play("Late", true); }),
              Lines{"MusicManager: Song with key Late does not exist."});
    EXPECT_EQ(musicManager.music.getStatus(), sf::Music::Playing);
    EXPECT_EQ(musicManager.music.getDuration(), sf::seconds(13.0f));

    EXPECT_EQ(errorLinesOf([] { musicManager.play("gone", true); }),
              Lines{"MusicManager: Unable to load music file gone.ogg."});
    EXPECT_NE(musicManager.music.getStatus(), sf::Music::Playing);
}

TEST_F(MusicManagerTest, BrokenFilesAreReportedOnlyWhenPlayed)
{
    folder.write("text.ogg", "not music\n");
    folder.write("empty.ogg", "");
    std::filesystem::create_directories(folder.path / "folder.ogg");
    folder.write("music.json", R"({"music": {"text": {"file": "text.ogg"}, "empty": {"file": "empty.ogg"},
                                             "folder": {"file": "folder.ogg"}}})");
    EXPECT_EQ(errorLinesOf([] { musicManager.loadManifest("music.json"); }), Lines{});
    EXPECT_EQ(errorLinesOf([] {
                  musicManager.play("text", true);
                  musicManager.play("empty", true);
                  musicManager.play("folder", true);
              }),
              (Lines{"MusicManager: Unable to load music file text.ogg.",
                     "MusicManager: Unable to load music file empty.ogg.",
                     "MusicManager: Unable to load music file folder.ogg."}));
}

TEST_F(MusicManagerTest, NumbersBeyondTheirIntegerAreRefused)
{
    folder.write("music.json", R"({"music": {
        "a": {"file": "short.wav", "volume": 1e10},
        "b": {"file": "short.wav", "volume": 2147483648},
        "c": {"file": "short.wav", "loopTo": 1e300},
        "d": {"file": "short.wav", "volume": -2147483648, "loopTo": -2147483646.5}
    }})");
    EXPECT_EQ(errorLinesOf([] { musicManager.loadManifest("music.json"); }),
              (Lines{"MusicManager: Out of range value of volume property for [a]",
                     "MusicManager: Out of range value of volume property for [b]",
                     "MusicManager: Out of range value of loopTo property for [c]"}));
    EXPECT_EQ(musicManager.songs.at("d")->volume, -2147483648);
}

TEST_F(MusicManagerTest, ALaterManifestReplacesSongsSilently)
{
    folder.write("music.json", R"({"music": {"plain": {"file": "short.wav", "volume": 10}}})");
    EXPECT_EQ(errorLinesOf([] { musicManager.loadManifest("music.json"); }), Lines{});
    musicManager.play("plain", true);
    EXPECT_FLOAT_EQ(musicManager.music.getVolume(), 10.0f);
    EXPECT_EQ(musicManager.music.getDuration(), sf::seconds(3.0f));
}
