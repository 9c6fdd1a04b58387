// The four managers with manifests and media in a temporary folder: the
// lines each manifest gives and what it registers, then what each manager
// does with its records.
#include "assets/manifest.h"
#include "assets/music_manager.h"
#include "assets/sound_manager.h"
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "test_support.h"

#include <fstream>
#include <set>
#include <tuple>

namespace {

const std::string AT_COLUMN = "[json.exception.parse_error.101] parse error at line 1, column ";
const std::string NO_VALUE =
    ": syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal";

// A manifest (nullptr: no file), its lines, whether it loads, and the keys it registers.
using Case = std::tuple<const char*, Lines, bool, std::set<std::string>>;

// Loads each document as the manager's manifest file, from an empty registry.
template <typename Manager, typename Registry>
void expectEachManifest(Manager& manager, Registry& registry, const std::string& file, const std::vector<Case>& cases)
{
    for (const auto& [document, lines, loads, keys] : cases) {
        std::filesystem::remove(file);
        if (document) std::ofstream(file) << document;
        SCOPED_TRACE(document ? std::string(document).substr(0, 100) : "(no file)");
        bool loaded = !loads;
        EXPECT_EQ(errorLinesOf([&] { loaded = manager.loadManifest(file); }), lines);
        EXPECT_EQ(loaded, loads);
        std::set<std::string> registered;
        for (const auto& entry : registry) registered.insert(entry.first);
        EXPECT_EQ(registered, keys);
        registry.clear();
    }
}

struct ManagersTest : ::testing::Test {
    TempRunFolder folder;

    void SetUp() override
    {
        sf::Image image;
        image.create(101, 51, sf::Color::Yellow);
        ASSERT_TRUE(image.saveToFile("odd.png"));
        writeToneFile("tone.wav", 2.0);
        folder.write("text.ogg", "not music\n");
        std::filesystem::create_directories(folder.path / "folder.ogg");
    }
};

}  // namespace

// The procedure all four share, seen through the texture manager first; a
// document nested a million levels deep, whole or cut off inside the
// nesting, gives the lines of a shallow one.
TEST_F(ManagersTest, EachManifestGivesItsLinesAndRegistersItsGoodEntries)
{
    const std::string parseError = "TextureManager: Error while parsing JSON.";
    const Lines noProperty = {"validateJson: Missing prop: textures.",
                              "TextureManager: Missing properties in texturesfile."};
    const std::string deep = "{\"textures\": " + std::string(1000000, '['),
                      deepLine = "TextureManager: Missing FILE property for [0]";
    expectEachManifest(textureManager, textureManager.textures, "textures.json", {
        {nullptr, {"TextureManager: Unable to open file textures.json."}, false, {}},
        {"", {parseError, AT_COLUMN + "1" + NO_VALUE, noProperty[0], noProperty[1]}, false, {}},
        {R"({"sprites": {}})", noProperty, false, {}},
        // A scalar's entry has the empty key; an array's are keyed by index (below).
        {R"({"textures": 5})", {"TextureManager: Missing FILE property for []"}, true, {}},
        // Entries run in key order, each bad one skipped with its line.
        {R"({"textures": {"num": 7, "a": {"file": "a.png"}, "C": {"repeated": true}, "ok": {"file": "odd.png"}}})",
         {"TextureManager: Missing FILE property for [C]", "TextureManager: Unable to load file a.png.",
          "TextureManager: Missing FILE property for [num]"}, true, {"ok"}},
        {R"({"textures": {"a": {"file": 3}, "b": {"file": "odd.png", "repeated": 1}, "c": {"file": "odd.png"}}})",
         {"TextureManager: Wrong type of file property for [a]",
          "TextureManager: Wrong type of repeated property for [b]"}, true, {"c"}},
        {R"({"textures": {"k": {"file": "gone.png"}, "k": {"file": "odd.png"}}})", {}, true, {"k"}},
        // What was read before a parse error is kept.
        {R"({"textures": {"a": {"file": "odd.png"}, "b": {"file": "odd.png"})",
         {parseError, AT_COLUMN + "65: syntax error while parsing object - unexpected end of input; expected '}'"},
         true, {"a", "b"}},
        {(deep + std::string(1000000, ']') + "}").c_str(), {deepLine}, true, {}},
        {deep.c_str(), {parseError, AT_COLUMN + std::to_string(deep.size() + 1) + NO_VALUE, deepLine}, true, {}},
    });

    // The other three, each refusing its bad entries with a line each.
    ASSERT_TRUE(textureManager.add("odd", "odd.png", false));
    expectEachManifest(spriteManager, spriteManager.sprites, "sprites.json", {
        {nullptr, {"SpriteManager: Unable to open file sprites.json."}, false, {}},
        {R"({"sprites": {"a_wrong": {"texture": "odd", "autocenter": 1}, "b_unknown": {"texture": "nothing"},
                         "c_notext": {"originX": 1}, "d_number": {"texture": 7}, "e_good": {"texture": "odd"}}})",
         {"SpriteManager: Wrong type of autocenter property for [a_wrong]",
          "TextureManager: Texture with key nothing does not exist.",
          "SpriteManager: Missing TEXTURE property for [c_notext]",
          "SpriteManager: Wrong type of texture property for [d_number]"}, true, {"e_good"}},
    });
    // The audio decoders would wait for ever on a folder.
    expectEachManifest(soundManager, soundManager.sounds, "sounds.json", {
        {nullptr, {"SoundManager: Unable to open file sounds.json."}, false, {}},
        {R"({"sounds": {"one": {"file": "tone.wav"}, "four": {"file": "tone.wav", "instances": 4},
                        "dir": {"file": "folder.ogg"}, "gone": {"file": "gone.wav"},
                        "none": {"file": "tone.wav", "instances": 0}, "text": {"file": "tone.wav", "instances": "4"},
                        "vast": {"file": "tone.wav", "instances": 2000000000},
                        "wide": {"file": "tone.wav", "instances": 1e10}}})",
         {"SoundManager: Unable to load file folder.ogg.", "SoundManager: Unable to load file gone.wav.",
          "SoundManager: Sound with key none needs 1 to 256 instances.",
          "SoundManager: Wrong type of instances property for [text]",
          "SoundManager: Sound with key vast needs 1 to 256 instances.",
          "SoundManager: Out of range value of instances property for [wide]"}, true, {"four", "one"}},
    });
    // Song files are only read when played.
    expectEachManifest(musicManager, musicManager.songs, "music.json", {
        {nullptr, {"MusicManager: Unable to open file music.json."}, false, {}},
        {R"({"music": {"b": {"file": "tone.wav", "volume": 2147483648}, "c": {"file": "tone.wav", "loopTo": 1e300},
                       "d": {"file": "tone.wav", "loopTo": true},
                       "e": {"file": "text.ogg", "volume": -2147483648, "loopTo": -2147483646.5},
                       "f": {"file": "tone.wav", "volume": -2147483649.05}}})",
         {"MusicManager: Out of range value of volume property for [b]",
          "MusicManager: Out of range value of loopTo property for [c]",
          "MusicManager: Wrong type of loopTo property for [d]",
          "MusicManager: Out of range value of volume property for [f]"}, true, {"e"}},
    });
}

// A second load keeps each record there: what one user changed stays.
TEST_F(ManagersTest, TexturesAndSpritesTakeTheirSettingsAndAreSharedAndKept)
{
    folder.write("textures.json", R"({"textures": {"odd": {"file": "odd.png"},
                                                    "tiled": {"file": "odd.png", "repeated": true}}})");
    folder.write("sprites.json", R"({"sprites": {"plain": {"texture": "odd"}, "cut": {"texture": "odd", "rectX": 3.9,
        "rectY": 10, "rectW": -1, "rectH": 20, "originX": 12.5, "originY": true, "autocenter": false},
        "placed": {"texture": "odd", "autocenter": true, "autocenter_place": true, "originX": 3, "rectX": 7, "rectW": 9}
    }})");
    const auto load = [] { textureManager.loadManifest("textures.json"), spriteManager.loadManifest("sprites.json"); };
    EXPECT_EQ(errorLinesOf(load), Lines{});
    sf::Texture* odd = textureManager.get("odd");
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(std::make_pair(odd->isRepeated(), textureManager.get("tiled")->isRepeated()), std::make_pair(false, true));
    for (const auto& [key, rect, origin, position] : {
             std::make_tuple("plain", sf::IntRect{0, 0, 101, 51}, sf::Vector2f{0, 0}, sf::Vector2f{0, 0}),
             std::make_tuple("cut", sf::IntRect{3, 10, 101, 20}, sf::Vector2f{12.5f, 1}, sf::Vector2f{0, 0}),  // truncated; sizes filled in
             std::make_tuple("placed", sf::IntRect{0, 0, 101, 51}, sf::Vector2f{50, 25}, sf::Vector2f{960, 540}),  // whole-pixel halves
         }) {
        const sf::Sprite* sprite = spriteManager.get(key);
        ASSERT_NE(sprite, nullptr) << key;
        EXPECT_EQ(sprite->getTexture(), odd) << key;
        EXPECT_EQ(std::make_tuple(sprite->getTextureRect(), sprite->getOrigin(), sprite->getPosition()),
                  std::make_tuple(rect, origin, position)) << key;
    }

    spriteManager.get("plain")->setColor(sf::Color(255, 255, 255, 40));
    addSolidTexture("blue", 2, 2, sf::Color::Blue);
    folder.write("textures.json", R"({"textures": {"odd": {"file": "blue.png"}}})");
    folder.write("sprites.json", R"({"sprites": {"plain": {"texture": "blue"}}})");
    EXPECT_EQ(errorLinesOf(load), (Lines{"TextureManager: Texture with key odd already exists.",
                                         "SpriteManager: Sprite with key plain already exists."}));
    EXPECT_EQ(textureManager.get("odd")->getSize(), sf::Vector2u(101, 51));
    EXPECT_EQ(spriteManager.get("plain")->getColor().a, 40);
}

// How a song sounds at the manifest's defaults, looping, is seen sample-exact
// in the captured soundtrack; here, a volume, the loop flag and loop points,
// and broken songs.
TEST_F(ManagersTest, SoundsRestartTheirFirstVoiceUnlessMutedAndSongsPlayAtTheirVolumeAndLoopPoints)
{
    ASSERT_TRUE(soundManager.add("one", "tone.wav", 1));
    ASSERT_TRUE(soundManager.add("four", "tone.wav", 4));
    EXPECT_EQ(errorLinesOf([] { EXPECT_FALSE(soundManager.add("four", "tone.wav", 1)); }),
              Lines{"SoundManager: Sound with key four already exists."});
    const SoundPool& four = *soundManager.sounds.at("four");
    std::vector<std::string> started;
    soundManager.onPlay = [&](const std::string& key) { started.push_back(key); };
    soundManager.play("four");
    EXPECT_EQ(four.voices[0].getStatus(), sf::Sound::Playing);
    four.voices[0].setPlayingOffset(sf::seconds(1.5f));
    soundManager.play("four");
    EXPECT_LT(four.voices[0].getPlayingOffset().asSeconds(), 1.0f);
    for (int voice = 1; voice < 4; ++voice) EXPECT_EQ(four.voices[voice].getStatus(), sf::Sound::Stopped);
    // Muted, nothing plays and the listener hears of nothing, but an unknown
    // key is still reported.
    soundManager.muted = true;
    EXPECT_EQ(errorLinesOf([] { soundManager.play("one"), soundManager.play("gone"); }),
              Lines{"SoundManager: Sound with key gone does not exist."});
    EXPECT_EQ(soundManager.sounds.at("one")->voices[0].getStatus(), sf::Sound::Stopped);
    EXPECT_EQ(started, (std::vector<std::string>{"four", "four"}));

    folder.write("music.json", R"({"music": {"plain": {"file": "tone.wav"}, "text": {"file": "text.ogg"},
        "loud": {"file": "tone.wav", "volume": 40, "loopTo": 1500.9}, "folder": {"file": "folder.ogg"}}})");
    EXPECT_EQ(errorLinesOf([] { musicManager.loadManifest("music.json"); }), Lines{});
    sf::Music& music = *musicManager.music;
    musicManager.play("plain", true);
    EXPECT_EQ(music.getStatus(), sf::Music::Playing);
    EXPECT_EQ(music.getLoopPoints().offset, sf::Time::Zero);
    musicManager.play("loud", false);
    EXPECT_FLOAT_EQ(music.getVolume(), 40.0f);
    EXPECT_FALSE(music.getLoop());
    EXPECT_EQ(music.getLoopPoints().offset, sf::milliseconds(1500));
    EXPECT_EQ(music.getLoopPoints().length, sf::milliseconds(500));  // to the end of the file
    for (const std::string key : {"text", "folder"}) {
        musicManager.play("plain", true);
        EXPECT_EQ(errorLinesOf([&] { musicManager.play(key, true); }),
                  Lines{"MusicManager: Unable to load music file " + key + ".ogg."});
        EXPECT_NE(music.getStatus(), sf::Music::Playing) << key;
    }
    // A later manifest replaces songs silently.
    folder.write("music.json", R"({"music": {"plain": {"file": "tone.wav", "volume": 10}}})");
    EXPECT_EQ(errorLinesOf([] { musicManager.loadManifest("music.json"); }), Lines{});
    musicManager.play("plain", true);
    EXPECT_FLOAT_EQ(music.getVolume(), 10.0f);
}
