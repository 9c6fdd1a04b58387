// Sprites from a manifest in a temporary folder, over a 101 x 51 texture:
// their rectangle, origin and place, the entries skipped, and sharing.
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "test_support.h"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

namespace {

struct SpriteManagerTest : ::testing::Test {
    TempRunFolder folder;

    void SetUp() override
    {
        sf::Image image;
        image.create(101, 51, sf::Color::Yellow);
        ASSERT_TRUE(image.saveToFile("odd.png"));
        ASSERT_TRUE(textureManager.add("odd", "odd.png", false));
    }

    Lines load(const std::string& sprites)
    {
        folder.write("sprites.json", R"({"sprites": )" + sprites + "}");
        return errorLinesOf([] { EXPECT_TRUE(spriteManager.loadManifest("sprites.json")); });
    }
};

}  // namespace

TEST_F(SpriteManagerTest, EachEntryGivesItsRectangleOriginAndPlace)
{
    struct Case {
        const char* key;
        sf::IntRect rect;
        sf::Vector2f origin, position;
    };
    EXPECT_EQ(load(R"({
        "plain": {"texture": "odd"},
        "minus": {"texture": "odd", "rectW": -1, "rectH": -1},
        "cut": {"texture": "odd", "rectX": 3.9, "rectY": 10, "rectH": 20, "originX": 12.5, "originY": true},
        "centred": {"texture": "odd", "autocenter": true, "originX": 3, "rectX": 7, "rectW": 9},
        "placed": {"texture": "odd", "autocenter": true, "autocenter_place": true},
        "off": {"texture": "odd", "autocenter": false, "originX": 2}
    })"),
              Lines{});
    const Case cases[] = {
        {"plain", {0, 0, 101, 51}, {0, 0}, {0, 0}},
        {"minus", {0, 0, 101, 51}, {0, 0}, {0, 0}},
        {"cut", {3, 10, 101, 20}, {12.5f, 1.0f}, {0, 0}},  // truncated; sizes filled in on their own
        {"centred", {0, 0, 101, 51}, {50, 25}, {0, 0}},    // whole-pixel halves of the texture
        {"placed", {0, 0, 101, 51}, {50, 25}, {960, 540}},
        {"off", {0, 0, 101, 51}, {2, 0}, {0, 0}},
    };
    for (const Case& expected : cases) {
        const sf::Sprite* sprite = spriteManager.get(expected.key);
        ASSERT_NE(sprite, nullptr) << expected.key;
        EXPECT_EQ(sprite->getTexture(), textureManager.get("odd")) << expected.key;
        EXPECT_EQ(sprite->getTextureRect(), expected.rect) << expected.key;
        EXPECT_EQ(sprite->getOrigin(), expected.origin) << expected.key;
        EXPECT_EQ(sprite->getPosition(), expected.position) << expected.key;
        EXPECT_EQ(sprite->getColor(), sf::Color::White) << expected.key;
    }
}

TEST_F(SpriteManagerTest, BadEntriesAreSkippedWithALineAndSpritesAreShared)
{
    EXPECT_EQ(load(R"({
        "a_wrong": {"texture": "odd", "autocenter": 1},
        "b_unknown": {"texture": "nothing"},
        "c_notext": {"originX": 1},
        "d_number": {"texture": 7},
        "e_good": {"texture": "odd"}
    })"),
              (Lines{"SpriteManager: Wrong type of autocenter property for [a_wrong]",
                     "TextureManager: Texture with key nothing does not exist.",
                     "SpriteManager: Missing TEXTURE property for [c_notext]",
                     "SpriteManager: Wrong type of texture property for [d_number]"}));
    EXPECT_EQ(spriteManager.sprites.size(), 1u);
    EXPECT_EQ(errorLinesOf([] { EXPECT_EQ(spriteManager.get("b_unknown"), nullptr); }),
              Lines{"SpriteManager: Sprite with key b_unknown does not exist."});

    sf::Sprite* good = spriteManager.get("e_good");
    good->setColor(sf::Color(255, 255, 255, 40));
    EXPECT_EQ(load(R"({"e_good": {"texture": "odd"}})"), Lines{"SpriteManager: Sprite with key e_good already exists."});
    EXPECT_EQ(spriteManager.get("e_good"), good);
    EXPECT_EQ(errorLinesOf([] { EXPECT_FALSE(spriteManager.loadManifest("none.json")); }),
              Lines{"SpriteManager: Unable to open file none.json."});
    EXPECT_EQ(good->getColor().a, 40);
}
