// Textures from a manifest in a temporary folder: the whole image with its
// repeat mode, lookups, and a second load that keeps what is there.
#include "assets/texture_manager.h"
#include "test_support.h"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(TextureManager, LoadsEachImageOnceWithItsRepeatModeAndReportsEveryUnknownLookup)
{
    TempRunFolder folder;
    sf::Image image;
    image.create(8, 4, sf::Color::Green);
    ASSERT_TRUE(image.saveToFile("green.png"));
    folder.write("textures.json", R"({"textures": {
        "plain": {"file": "green.png"},
        "tiled": {"file": "green.png", "repeated": true},
        "untiled": {"file": "green.png", "repeated": false},
        "missing": {"file": "nowhere.png"}
    }})");
    EXPECT_EQ(errorLinesOf([] { EXPECT_TRUE(textureManager.loadManifest("textures.json")); }),
              Lines{"TextureManager: Unable to load file nowhere.png."});
    sf::Texture* plain = textureManager.get("plain");
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->getSize(), sf::Vector2u(8, 4));
    EXPECT_FALSE(plain->isRepeated());
    EXPECT_FALSE(plain->isSmooth());
    EXPECT_TRUE(textureManager.get("tiled")->isRepeated());
    EXPECT_FALSE(textureManager.get("untiled")->isRepeated());

    EXPECT_EQ(errorLinesOf([] {
                  EXPECT_EQ(textureManager.get("missing"), nullptr);
                  EXPECT_EQ(textureManager.get("Plain"), nullptr);
                  EXPECT_EQ(textureManager.get("missing"), nullptr);
              }),
              (Lines{"TextureManager: Texture with key missing does not exist.",
                     "TextureManager: Texture with key Plain does not exist.",
                     "TextureManager: Texture with key missing does not exist."}));

    image.create(2, 2, sf::Color::Blue);
    ASSERT_TRUE(image.saveToFile("green.png"));
    EXPECT_EQ(errorLinesOf([] { textureManager.loadManifest("textures.json"); }),
              (Lines{"TextureManager: Unable to load file nowhere.png.",
                     "TextureManager: Texture with key plain already exists.",
                     "TextureManager: Texture with key tiled already exists.",
                     "TextureManager: Texture with key untiled already exists."}));
    EXPECT_EQ(textureManager.get("plain"), plain);
    EXPECT_EQ(plain->getSize(), sf::Vector2u(8, 4));
}
