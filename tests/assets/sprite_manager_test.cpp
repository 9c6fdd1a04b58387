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
        image.saveToFile("odd.png");
        ASSERT_TRUE(textureManager.add("odd", "odd.png", false));
    }

    Lines load(const std::string& sprites)
    {
        folder.write("sprites.json", R"({"sprites": )" + sprites + "}");
        return errorLinesOf([] { EXPECT_TRUE(spriteManager.loadManifest("sprites.json")); });
    }
};

}  // namespace

TEST_F(SpriteManagerTest, TextureAloneShowsTheWholeTextureAtTheOrigin)
{
    EXPECT_EQ(load(R"({"plain": {"texture": "odd"}, "minus": {"texture": "odd", "rectW": -1, "rectH": -1}})"),
              Lines{});
    for (const char* key : {"plain", "minus"}) {
        const sf::Sprite* sprite = spriteManager.get(key);
        ASSERT_NE(sprite, nullptr);
        EXPECT_EQ(sprite->getTexture(), textureManager.get("odd"));
        EXPECT_EQ(sprite->getTextureRect(), sf::IntRect(0, 0, 101, 51));
        EXPECT_EQ(sprite->getOrigin(), sf::Vector2f(0, 0));
        EXPECT_EQ(sprite->getPosition(), sf::Vector2f(0, 0));
        EXPECT_EQ(sprite->getColor(), sf::Color::White);
    }
}

TEST_F(SpriteManagerTest, AutocenterUsesWholePixelHalvesAndPlacesAtTheScreenCentre)
{
    load(R"({
        "centred": {"texture": "odd", "autocenter": true, "originX": 3, "rectX": 7, "rectW": 9},
        "placed": {"texture": "odd", "autocenter": true, "autocenter_place": true},
        "off": {"texture": "odd", "autocenter": false, "originX": 2}
    })");
    const sf::Sprite* centred = spriteManager.get("centred");
    EXPECT_EQ(centred->getOrigin(), sf::Vector2f(50, 25));
    EXPECT_EQ(centred->getTextureRect(), sf::IntRect(0, 0, 101, 51));
    EXPECT_EQ(centred->getPosition(), sf::Vector2f(0, 0));

    const sf::Sprite* placed = spriteManager.get("placed");
    EXPECT_EQ(placed->getPosition(), sf::Vector2f(960, 540));
    EXPECT_EQ(placed->getTransform().transformPoint(50, 25), sf::Vector2f(960, 540));

    EXPECT_EQ(spriteManager.get("off")->getOrigin(), sf::Vector2f(2, 0));
}

TEST_F(SpriteManagerTest, RectFieldsAreTruncatedAndSizesFilledInOnTheirOwn)
{
    load(R"({"cut": {"texture": "odd", "rectX": 3.9, "rectY": 10, "rectH": 20, "originX": 12.5, "originY": true}})");
    const sf::Sprite* cut = spriteManager.get("cut");
    EXPECT_EQ(cut->getTextureRect(), sf::IntRect(3, 10, 101, 20));
    EXPECT_EQ(cut->getOrigin(), sf::Vector2f(12.5f, 1.0f));
}

TEST_F(SpriteManagerTest, BadEntriesAreSkippedWithOneLineEach)
{
    const Lines lines = load(R"({
        "a_wrong": {"texture": "odd", "autocenter": 1},
        "b_unknown": {"texture": "nothing"},
        "c_notext": {"originX": 1},
        "d_number": {"texture": 7},
        "e_good": {"texture": "odd"}
    })");
    EXPECT_EQ(lines, (Lines{"SpriteManager: Wrong type of autocenter property for [a_wrong]",
                            "TextureManager: Texture with key nothing does not exist.",
                            "SpriteManager: Missing TEXTURE property for [c_notext]",
                            "SpriteManager: Wrong type of texture property for [d_number]"}));
    EXPECT_EQ(spriteManager.sprites.size(), 1u);
    EXPECT_EQ(errorLinesOf([] { EXPECT_EQ(spriteManager.get("b_unknown"), nullptr); }),
              Lines{"SpriteManager: Sprite with key b_unknown does not exist."});
}

TEST_F(SpriteManagerTest, SpritesAreSharedAndASecondLoadKeepsThem)
{
    const std::string manifest = R"({"s": {"texture": "odd"}})";
    load(manifest);
    spriteManager.get("s")->setColor(sf::Color(255, 255, 255, 40));
    EXPECT_EQ(spriteManager.get("s")->getColor().a, 40);

    sf::Sprite* first = spriteManager.get("s");
    EXPECT_EQ(load(manifest), Lines{"SpriteManager: Sprite with key s already exists."});
    EXPECT_EQ(spriteManager.get("s"), first);
}
