// The manifest procedure that all four managers share, seen through the
// texture manager, and validateJson.
#include "assets/manifest.h"
#include "assets/texture_manager.h"
#include "test_support.h"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

struct ManifestTest : ::testing::Test {
    TempRunFolder folder;

    void SetUp() override
    {
        sf::Image image;
        image.create(4, 2, sf::Color::Red);
        image.saveToFile("red.png");
    }

    // Loads a texture manifest with this content and returns its error lines.
    Lines load(const std::string& content, bool expected = true)
    {
        folder.write("textures.json", content);
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(textureManager.loadManifest("textures.json"), expected);
        return splitLines(::testing::internal::GetCapturedStderr());
    }
};

const std::string MISSING_PROPS = "TextureManager: Missing properties in texturesfile.";
const std::string MISSING_PROP_LINE = "validateJson: Missing prop: textures.";

}  // namespace

TEST_F(ManifestTest, MissingFileGivesOneLineAndNothingRegistered)
{
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(textureManager.loadManifest("no/such/textures.json"));
    EXPECT_EQ(splitLines(::testing::internal::GetCapturedStderr()),
              Lines{"TextureManager: Unable to open file no/such/textures.json."});
    EXPECT_TRUE(textureManager.textures.empty());
}

TEST_F(ManifestTest, EmptyFileGivesParseErrorThenMissingProperties)
{
    const Lines lines = load("", false);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "TextureManager: Error while parsing JSON.");
    EXPECT_EQ(lines[1].rfind("[json.exception.parse_error.101]", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], MISSING_PROP_LINE);
    EXPECT_EQ(lines[3], MISSING_PROPS);
}

TEST_F(ManifestTest, TopLevelThatIsNoObjectOrLacksThePropertyRegistersNothing)
{
    for (const char* document : {"[1, 2]", "\"textures\"", "42", "{\"sprites\": {}}"}) {
        EXPECT_EQ(load(document, false), (Lines{MISSING_PROP_LINE, MISSING_PROPS})) << document;
    }
    EXPECT_TRUE(textureManager.textures.empty());
}

TEST_F(ManifestTest, NullOrEmptyPropertyRegistersNothingAndSucceeds)
{
    EXPECT_EQ(load(R"({"textures": null})"), Lines{});
    EXPECT_EQ(load(R"({"textures": {}})"), Lines{});
    EXPECT_TRUE(textureManager.textures.empty());
}

TEST_F(ManifestTest, ArrayEntriesAreKeyedByIndexAndScalarsByTheEmptyKey)
{
    EXPECT_EQ(load(R"({"textures": [{"file": "red.png"}, {"file": "red.png"}]})"), Lines{});
    EXPECT_TRUE(textureManager.exists("0"));
    EXPECT_TRUE(textureManager.exists("1"));
    EXPECT_EQ(load(R"({"textures": 5})"), Lines{"TextureManager: Missing FILE property for []"});
}

TEST_F(ManifestTest, EntriesRunInAscendingKeyOrderAndSkipWhatIsMissing)
{
    const Lines lines = load(R"({"textures": {
        "b": {"file": "b.png"},
        "text": "not an object",
        "a": {"file": "a.png"},
        "C": {"repeated": true},
        "ok": {"file": "red.png"}
    }})");
    EXPECT_EQ(lines, (Lines{"TextureManager: Missing FILE property for [C]",
                            "TextureManager: Unable to load file a.png.",
                            "TextureManager: Unable to load file b.png.",
                            "TextureManager: Missing FILE property for [text]"}));
    EXPECT_EQ(textureManager.textures.size(), 1u);
    EXPECT_TRUE(textureManager.exists("ok"));
}

TEST_F(ManifestTest, KeyWrittenTwiceTakesTheLaterValue)
{
    EXPECT_EQ(load(R"({"textures": {"k": {"file": "gone.png"}, "k": {"file": "red.png"}}})"), Lines{});
    EXPECT_TRUE(textureManager.exists("k"));
}

TEST_F(ManifestTest, TextAfterTheDocumentIsIgnored)
{
    EXPECT_EQ(load(R"({"textures": {"k": {"file": "red.png"}}} trailing [junk)"), Lines{});
    EXPECT_TRUE(textureManager.exists("k"));
}

TEST_F(ManifestTest, DocumentCutOffAfterItsSecondEntryStillRegistersBoth)
{
    const Lines lines = load(R"({"textures": {"a": {"file": "red.png"}, "b": {"file": "red.png"})");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "TextureManager: Error while parsing JSON.");
    EXPECT_NE(lines[1].find("parse_error"), std::string::npos);
    EXPECT_TRUE(textureManager.exists("a"));
    EXPECT_TRUE(textureManager.exists("b"));
}

TEST_F(ManifestTest, FieldOfTheWrongTypeSkipsOnlyItsEntry)
{
    const Lines lines = load(R"({"textures": {
        "a": {"file": 3},
        "b": {"file": "red.png", "repeated": 1},
        "c": {"file": "red.png"}
    }})");
    EXPECT_EQ(lines, (Lines{"TextureManager: Wrong type of file property for [a]",
                            "TextureManager: Wrong type of repeated property for [b]"}));
    EXPECT_FALSE(textureManager.exists("a"));
    EXPECT_FALSE(textureManager.exists("b"));
    EXPECT_TRUE(textureManager.exists("c"));
}

TEST(ValidateJson, ReportsOnlyTheFirstMissingName)
{
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(validateJson(nlohmann::json::object(), {"first", "second"}));
    EXPECT_EQ(splitLines(::testing::internal::GetCapturedStderr()), Lines{"validateJson: Missing prop: first."});

    ::testing::internal::CaptureStderr();
    EXPECT_TRUE(validateJson(nlohmann::json{{"a", 1}, {"b", nullptr}}, {"a", "b"}));
    EXPECT_TRUE(validateJson(nlohmann::json::array(), {}));
    EXPECT_TRUE(validateJson(nullptr, {}));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}
