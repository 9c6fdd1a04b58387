#include "assets/texture_manager.h"
#include "test_support.h"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

struct TextureManagerTest : ::testing::Test {
    TempRunFolder folder;

    void SetUp() override
    {
        sf::Image image;
        image.create(8, 4, sf::Color::Green);
        image.saveToFile("green.png");
        folder.write("textures.json", R"({"textures": {
            "plain": {"file": "green.png"},
            "tiled": {"file": "green.png", "repeated": true},
            "untiled": {"file": "green.png", "repeated": false},
            "missing": {"file": "nowhere.png"}
        }})");
    }
};

}  // namespace

TEST_F(TextureManagerTest, LoadsTheWholeImageWithItsRepeatMode)
{
    EXPECT_EQ(errorLinesOf([] { EXPECT_TRUE(textureManager.loadManifest("textures.json")); }),
              Lines{"TextureManager: Unable to load file nowhere.png."});
    ASSERT_TRUE(textureManager.exists("plain"));
    EXPECT_EQ(textureManager.get("plain")->getSize(), sf::Vector2u(8, 4));
    EXPECT_FALSE(textureManager.get("plain")->isRepeated());
    EXPECT_TRUE(textureManager.get("tiled")->isRepeated());
    EXPECT_FALSE(textureManager.get("untiled")->isRepeated());
    EXPECT_FALSE(textureManager.get("plain")->isSmooth());
}

TEST_F(TextureManagerTest, UnknownKeysReportOnEveryLookup)
{
    textureManager.loadManifest("textures.json");
    const Lines lines = errorLinesOf([] {
        EXPECT_EQ(textureManager.get("missing"), nullptr);
        EXPECT_EQ(textureManager.get("Plain"), nullptr);
        EXPECT_EQ(textureManager.get("missing"), nullptr);
    });
    EXPECT_EQ(lines, (Lines{"TextureManager: Texture with key missing does not exist.",
                            "TextureManager: Texture with key Plain does not exist.",
                            "TextureManager: Texture with key missing does not exist."}));
}

TEST_F(TextureManagerTest, LookupsReturnTheRegisteredObjectAndASecondLoadKeepsIt)
{
    textureManager.loadManifest("textures.json");
    sf::Texture* first = textureManager.get("plain");
    EXPECT_EQ(textureManager.get("plain"), first);

    sf::Image image;
    image.create(2, 2, sf::Color::Blue);
    image.saveToFile("green.png");
    const Lines lines = errorLinesOf([] { textureManager.loadManifest("textures.json"); });
    EXPECT_EQ(lines, (Lines{"TextureManager: Unable to load file nowhere.png.",
                            "TextureManager: Texture with key plain already exists.",
                            "TextureManager: Texture with key tiled already exists.",
                            "TextureManager: Texture with key untiled already exists."}));
    EXPECT_EQ(textureManager.get("plain"), first);
    EXPECT_EQ(first->getSize(), sf::Vector2u(8, 4));
}

TEST_F(TextureManagerTest, PathsAndKeysWithSpacesAndUnicodeWork)
{
    sf::Image image;
    image.create(3, 3, sf::Color::White);
    image.saveToFile("green.png");
    std::filesystem::create_directories(folder.path / "mit Ümlaut");
    std::filesystem::copy_file("green.png", folder.path / "mit Ümlaut" / "bild ä.png");
    EXPECT_TRUE(textureManager.add("schön key", "mit Ümlaut/bild ä.png", false));
    ASSERT_NE(textureManager.get("schön key"), nullptr);
    EXPECT_EQ(textureManager.get("schön key")->getSize(), sf::Vector2u(3, 3));
}
