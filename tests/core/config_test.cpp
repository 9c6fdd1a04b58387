#include "assets/sound_manager.h"
#include "core/app.h"
#include "core/config.h"
#include "test_support.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

struct ConfigTest : ::testing::Test {
    TempRunFolder folder;

    Lines load(const std::string& content)
    {
        folder.write("config.json", content);
        return errorLinesOf(loadConfig);
    }

    void expectDefaults() const
    {
        EXPECT_FALSE(fullscreenEnabled);
        EXPECT_TRUE(vsyncEnabled);
        EXPECT_FALSE(soundManager.muted);
    }
};

}  // namespace

TEST_F(ConfigTest, MissingFileKeepsTheDefaults)
{
    EXPECT_EQ(errorLinesOf(loadConfig), Lines{"Config.json missing."});
    expectDefaults();
}

TEST_F(ConfigTest, SwitchesAreApplied)
{
    EXPECT_EQ(load(R"({"fullscreen": true, "sound": false, "vsync": false, "show_fps": true})"), Lines{});
    EXPECT_TRUE(fullscreenEnabled);
    EXPECT_FALSE(vsyncEnabled);
    EXPECT_TRUE(soundManager.muted);
}

TEST_F(ConfigTest, DocumentsWithoutUsableSwitchesKeepTheDefaultsSilently)
{
    for (const char* content : {"{}", "[true, false]", "42", R"({"Fullscreen": true, "sound": true})",
                                R"({"vsync": true} // a comment after the object is never read)",
                                R"({"fullscreen": false} {"fullscreen": true} junk)"}) {
        EXPECT_EQ(load(content), Lines{}) << content;
        expectDefaults();
    }
}

TEST_F(ConfigTest, ParseErrorsGiveTwoLinesAndTheDefaults)
{
    for (const char* content : {"", "// comment\n{\"fullscreen\": true}", "{\"fullscreen\": true, /* no */ }",
                                "{\"fullscreen\": true, \"vsync\": false"}) {
        const Lines lines = load(content);
        ASSERT_EQ(lines.size(), 2u) << content;
        EXPECT_EQ(lines[0], "config.json: Error while parsing JSON.");
        EXPECT_NE(lines[1].find("[json.exception.parse_error"), std::string::npos) << lines[1];
        expectDefaults();
    }
}

TEST_F(ConfigTest, ASwitchThatIsNoBooleanIsReportedAndCountsAsAbsent)
{
    const Lines lines = load(R"({"fullscreen": true, "sound": 0, "vsync": "no", "show_fps": null})");
    EXPECT_EQ(lines, (Lines{"config.json: sound must be true or false.",
                            "config.json: vsync must be true or false.",
                            "config.json: show_fps must be true or false."}));
    EXPECT_TRUE(fullscreenEnabled);
    EXPECT_FALSE(soundManager.muted);
    EXPECT_TRUE(vsyncEnabled);
}
