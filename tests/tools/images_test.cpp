// The generated pictures and the two manifests that name them: every key
// the show asks for, every file at its size, the pictures' character, and
// byte-identical output from two runs of the generator.
#include "test_support.h"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

struct ExpectedTexture {
    unsigned width;
    unsigned height;
    bool repeated;
};

// Every texture key the program asks for, plus the intro cards' own.
const std::map<std::string, ExpectedTexture> EXPECTED_TEXTURES = {
    {"black", {1920, 1080, false}},
    {"rainbow_texture", {512, 512, true}},
    {"loading_bar_empty", {1000, 40, false}},
    {"loading_bar_full", {1000, 40, false}},
    {"white", {256, 256, true}},
    {"vemo", {512, 256, true}},
    {"qrv", {512, 256, true}},
    {"arku", {512, 256, true}},
    {"credits_start", {512, 256, false}},
    {"credits_orin", {512, 256, false}},
    {"credits_tasu", {512, 256, false}},
    {"credits_bexo", {512, 256, false}},
    {"credits_quil", {512, 256, false}},
    {"credits_mave", {512, 256, false}},
    {"intro1", {1800, 600, false}},
    {"intro2", {1800, 600, false}},
    {"intro3", {1800, 600, false}},
    {"intro4", {1800, 600, false}},
};

nlohmann::json readJson(const fs::path& file)
{
    nlohmann::json document;
    std::ifstream(file) >> document;
    return document;
}

// The file of a texture key, relative to the run folder.
std::string textureFile(const std::string& key)
{
    return readJson("assets/textures.json").at("textures").at(key).at("file").get<std::string>();
}

sf::Image loadTexture(const std::string& key)
{
    sf::Image image;
    EXPECT_TRUE(image.loadFromFile(textureFile(key))) << key;
    return image;
}

double luminance(sf::Color colour)
{
    return (0.2126 * colour.r + 0.7152 * colour.g + 0.0722 * colour.b) / 255.0;
}

struct PixelSummary {
    double meanLuminance = 0.0;
    double meanAlpha = 0.0;
    double meanRed = 0.0;
    double meanGreen = 0.0;
    double meanBlue = 0.0;
};

PixelSummary summarise(const sf::Image& image, sf::IntRect area)
{
    PixelSummary summary;
    const double count = static_cast<double>(area.width) * area.height;
    for (int y = area.top; y < area.top + area.height; ++y) {
        for (int x = area.left; x < area.left + area.width; ++x) {
            const sf::Color colour = image.getPixel(x, y);
            summary.meanLuminance += luminance(colour) / count;
            summary.meanAlpha += colour.a / 255.0 / count;
            summary.meanRed += colour.r / 255.0 / count;
            summary.meanGreen += colour.g / 255.0 / count;
            summary.meanBlue += colour.b / 255.0 / count;
        }
    }
    return summary;
}

sf::IntRect whole(const sf::Image& image)
{
    return sf::IntRect(0, 0, static_cast<int>(image.getSize().x), static_cast<int>(image.getSize().y));
}

int colourDistance(sf::Color a, sf::Color b)
{
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

}  // namespace

TEST(TextureManifest, NamesEveryKeyOnceWithAnExistingFileOfItsSizeAndRepeatMode)
{
    const nlohmann::json textures = readJson("assets/textures.json").at("textures");
    EXPECT_EQ(textures.size(), EXPECTED_TEXTURES.size());
    for (const auto& [key, expected] : EXPECTED_TEXTURES) {
        ASSERT_TRUE(textures.contains(key)) << key;
        const std::string file = textures.at(key).at("file").get<std::string>();
        EXPECT_EQ(file.rfind("assets/textures/", 0), 0u) << key << " lies outside the generated folder";
        sf::Image image;
        ASSERT_TRUE(image.loadFromFile(file)) << file;
        EXPECT_EQ(image.getSize(), sf::Vector2u(expected.width, expected.height)) << key;
        EXPECT_EQ(textures.at(key).value("repeated", false), expected.repeated) << key;
    }
}

TEST(SpriteManifest, BlackCoversTheScreenAndTheCardsCentreThemselves)
{
    const nlohmann::json sprites = readJson("assets/sprites.json").at("sprites");
    const nlohmann::json textures = readJson("assets/textures.json").at("textures");
    ASSERT_TRUE(sprites.contains("black"));
    EXPECT_EQ(sprites.at("black").size(), 1u) << "black shows all of its texture from (0, 0)";
    EXPECT_EQ(sprites.at("black").at("texture"), "black");
    for (const char* card : {"intro1", "intro2", "intro3", "intro4"}) {
        ASSERT_TRUE(sprites.contains(card)) << card;
        const nlohmann::json& entry = sprites.at(card);
        EXPECT_TRUE(textures.contains(entry.at("texture").get<std::string>())) << card;
        EXPECT_TRUE(entry.at("autocenter").get<bool>()) << card;
        EXPECT_TRUE(entry.at("autocenter_place").get<bool>()) << card;
    }
}

TEST(GeneratedImages, BlackIsOpaqueBlackEverywhere)
{
    const sf::Image black = loadTexture("black");
    for (unsigned y = 0; y < black.getSize().y; y += 7) {
        for (unsigned x = 0; x < black.getSize().x; x += 7) {
            ASSERT_EQ(black.getPixel(x, y), sf::Color::Black) << x << ", " << y;
        }
    }
}

TEST(GeneratedImages, RainbowIsOpaqueBrightAndWrapsSeamlessly)
{
    const sf::Image rainbow = loadTexture("rainbow_texture");
    const unsigned size = rainbow.getSize().x;
    const PixelSummary summary = summarise(rainbow, whole(rainbow));
    EXPECT_DOUBLE_EQ(summary.meanAlpha, 1.0);
    EXPECT_GT(summary.meanLuminance, 0.5);
    // Across each edge the step is no larger than between any two neighbours inside.
    int largestInnerStep = 0;
    int largestWrapStep = 0;
    for (unsigned i = 0; i < size; ++i) {
        for (unsigned j = 1; j < size; ++j) {
            largestInnerStep = std::max(largestInnerStep, colourDistance(rainbow.getPixel(j - 1, i), rainbow.getPixel(j, i)));
        }
        largestWrapStep = std::max(largestWrapStep, colourDistance(rainbow.getPixel(size - 1, i), rainbow.getPixel(0, i)));
        largestWrapStep = std::max(largestWrapStep, colourDistance(rainbow.getPixel(i, size - 1), rainbow.getPixel(i, 0)));
    }
    EXPECT_LE(largestWrapStep, largestInnerStep);
    // Every hue shows up: some pixel is mostly red, some mostly green, some mostly blue.
    bool seen[3] = {false, false, false};
    for (unsigned y = 0; y < size; y += 4) {
        for (unsigned x = 0; x < size; x += 4) {
            const sf::Color c = rainbow.getPixel(x, y);
            seen[0] = seen[0] || (c.r > 200 && c.g < 140 && c.b < 140);
            seen[1] = seen[1] || (c.g > 200 && c.r < 140 && c.b < 140);
            seen[2] = seen[2] || (c.b > 200 && c.r < 140 && c.g < 140);
        }
    }
    EXPECT_TRUE(seen[0] && seen[1] && seen[2]);
}

TEST(GeneratedImages, LoadingBarFillIsBrightAndBothHaveRoundEnds)
{
    const sf::Image empty = loadTexture("loading_bar_empty");
    const sf::Image full = loadTexture("loading_bar_full");
    const sf::IntRect middle(100, 12, 800, 16);
    EXPECT_GT(summarise(full, middle).meanLuminance, 0.4);
    EXPECT_GT(summarise(full, middle).meanAlpha, 0.95);
    EXPECT_LT(summarise(empty, middle).meanAlpha, 0.3) << "the track lets the background through";
    for (const sf::Image* bar : {&empty, &full}) {
        EXPECT_EQ(bar->getPixel(0, 0).a, 0);
        EXPECT_EQ(bar->getPixel(999, 39).a, 0);
    }
    EXPECT_GT(empty.getPixel(500, 1).a, 0) << "the track's outline runs along the top";
    EXPECT_EQ(full.getPixel(500, 1).a, 0) << "the fill sits inside the outline";
}

TEST(GeneratedImages, WallTilesAreLightOpaqueWithDarkerGrout)
{
    const sf::Image tiles = loadTexture("white");
    const PixelSummary summary = summarise(tiles, whole(tiles));
    EXPECT_DOUBLE_EQ(summary.meanAlpha, 1.0);
    EXPECT_GT(summary.meanLuminance, 0.85);
    // Grout runs along the texture's edges and its middle; tile faces are lighter.
    EXPECT_LT(luminance(tiles.getPixel(0, 64)), luminance(tiles.getPixel(64, 64)) - 0.1);
    EXPECT_LT(luminance(tiles.getPixel(128, 64)), luminance(tiles.getPixel(64, 64)) - 0.1);
}

TEST(GeneratedImages, BallSkinsAreBrightDistinctAndCarryTheirNameOnTheBelt)
{
    PixelSummary skins[3];
    int index = 0;
    for (const char* key : {"vemo", "qrv", "arku"}) {
        const sf::Image skin = loadTexture(key);
        skins[index] = summarise(skin, whole(skin));
        EXPECT_DOUBLE_EQ(skins[index].meanAlpha, 1.0) << key;
        EXPECT_GT(skins[index].meanLuminance, 0.35) << key;
        // The belt is light, and the lettering on it is dark, around both name centres.
        const PixelSummary gap = summarise(skin, sf::IntRect(248, 110, 16, 36));
        for (int centreX : {128, 384}) {
            const PixelSummary name = summarise(skin, sf::IntRect(centreX - 60, 110, 120, 36));
            EXPECT_LT(name.meanLuminance, gap.meanLuminance - 0.15) << key << " shows no lettering at " << centreX;
        }
        ++index;
    }
    for (int a = 0; a < 3; ++a) {
        for (int b = a + 1; b < 3; ++b) {
            const double difference = std::abs(skins[a].meanRed - skins[b].meanRed) +
                                      std::abs(skins[a].meanGreen - skins[b].meanGreen) +
                                      std::abs(skins[a].meanBlue - skins[b].meanBlue);
            EXPECT_GT(difference, 0.1) << "skins " << a << " and " << b << " look alike";
        }
    }
}

TEST(GeneratedImages, CreditsPagesAreOpaqueWithLightLetteringInTheMiddle)
{
    for (const char* key : {"credits_start", "credits_orin", "credits_tasu", "credits_bexo", "credits_quil",
                            "credits_mave"}) {
        const sf::Image page = loadTexture(key);
        const PixelSummary summary = summarise(page, whole(page));
        EXPECT_DOUBLE_EQ(summary.meanAlpha, 1.0) << key;
        EXPECT_LT(summary.meanLuminance, 0.35) << key << ": a dark page for light letters";
        // Big light letters fill a good share of the page's middle.
        int lightPixels = 0;
        for (unsigned y = 40; y < 216; ++y) {
            for (unsigned x = 64; x < 448; ++x) lightPixels += luminance(page.getPixel(x, y)) > 0.8 ? 1 : 0;
        }
        EXPECT_GT(lightPixels, 176 * 384 / 50) << key;
    }
}

TEST(GeneratedImages, TitleCardsAreHeavyWhiteLettersOnTransparency)
{
    for (const char* key : {"intro1", "intro2", "intro3", "intro4"}) {
        const sf::Image card = loadTexture(key);
        EXPECT_EQ(card.getPixel(0, 0).a, 0) << key;
        EXPECT_EQ(card.getPixel(1799, 599).a, 0) << key;
        int letterPixels = 0;
        int pixels = 0;
        for (unsigned y = 0; y < 600; y += 3) {
            for (unsigned x = 0; x < 1800; x += 3) {
                const sf::Color c = card.getPixel(x, y);
                letterPixels += (c.a == 255 && luminance(c) > 0.7) ? 1 : 0;
                ++pixels;
            }
        }
        // Heavy lettering: a good share of the card takes the rainbow.
        EXPECT_GT(static_cast<double>(letterPixels) / pixels, 0.03) << key;
    }
}

// Images and sounds alike, from one pair of runs.
TEST(Generator, TwoRunsWriteIdenticalBytes)
{
    TempRunFolder folder;
    const fs::path first = folder.path / "first";
    const fs::path second = folder.path / "second";
    ASSERT_EQ(runAssetGenerator(first), 0);
    ASSERT_EQ(runAssetGenerator(second), 0);
    int compared = 0;
    for (const auto& entry : fs::directory_iterator(first / "textures")) {
        const std::string bytes = readBytes(entry.path());
        EXPECT_FALSE(bytes.empty()) << entry.path();
        EXPECT_TRUE(bytes == readBytes(second / "textures" / entry.path().filename()))
            << entry.path().filename() << " differs between two runs";
        ++compared;
    }
    EXPECT_EQ(compared, static_cast<int>(EXPECTED_TEXTURES.size()));
    for (const char* file : {"sounds/bounce.wav", "sounds/lo.wav", "music/qrv.ogg"}) {
        const std::string bytes = readBytes(first / file);
        EXPECT_FALSE(bytes.empty()) << file;
        EXPECT_TRUE(bytes == readBytes(second / file)) << file << " differs between two runs";
    }
}
