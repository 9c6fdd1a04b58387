// The manifest procedure that all four managers share, seen through the
// texture manager, and validateJson.
#include "assets/manifest.h"
#include "assets/texture_manager.h"
#include "test_support.h"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>

#include <algorithm>

using Lines = std::vector<std::string>;
using Keys = std::vector<std::string>;

TEST(Manifest, EachDocumentGivesItsLinesAndRegistersItsGoodEntries)
{
    struct Case {
        const char* content;  // nullptr: no file
        Lines lines;
        bool loaded;
        Keys registered;
    };
    const std::string parseError = "TextureManager: Error while parsing JSON.";
    const Lines noProperty = {"validateJson: Missing prop: textures.",
                              "TextureManager: Missing properties in texturesfile."};
    const Case cases[] = {
        {nullptr, {"TextureManager: Unable to open file textures.json."}, false, {}},
        {"",
         {parseError, "[json.exception.parse_error.101] parse error at line 1, column 1: syntax error while parsing "
                      "value - unexpected end of input; expected '[', '{', or a literal",
          noProperty[0], noProperty[1]},
         false, {}},
        {"[1, 2]", noProperty, false, {}},
        {"\"textures\"", noProperty, false, {}},
        {"42", noProperty, false, {}},
        {R"({"sprites": {}})", noProperty, false, {}},
        {R"({"textures": null})", {}, true, {}},
        {R"({"textures": {}})", {}, true, {}},
        // Array entries are keyed by their index, a scalar by the empty key.
        {R"({"textures": [{"file": "red.png"}, {"file": "red.png"}]})", {}, true, {"0", "1"}},
        {R"({"textures": 5})", {"TextureManager: Missing FILE property for []"}, true, {}},
        // Entries run in key order, each bad one skipped with its line.
        {R"({"textures": {"b": {"file": "b.png"}, "text": "not an object", "a": {"file": "a.png"},
                          "C": {"repeated": true}, "ok": {"file": "red.png"}}})",
         {"TextureManager: Missing FILE property for [C]", "TextureManager: Unable to load file a.png.",
          "TextureManager: Unable to load file b.png.", "TextureManager: Missing FILE property for [text]"},
         true, {"ok"}},
        {R"({"textures": {"a": {"file": 3}, "b": {"file": "red.png", "repeated": 1}, "c": {"file": "red.png"}}})",
         {"TextureManager: Wrong type of file property for [a]",
          "TextureManager: Wrong type of repeated property for [b]"},
         true, {"c"}},
        {R"({"textures": {"k": {"file": "gone.png"}, "k": {"file": "red.png"}}})", {}, true, {"k"}},
        {R"({"textures": {"k": {"file": "red.png"}}} trailing [junk)", {}, true, {"k"}},
        // What was read before a parse error is kept.
        {R"({"textures": {"a": {"file": "red.png"}, "b": {"file": "red.png"})",
         {parseError, "[json.exception.parse_error.101] parse error at line 1, column 65: syntax error while "
                      "parsing object - unexpected end of input; expected '}'"},
         true, {"a", "b"}},
    };
    TempRunFolder folder;
    sf::Image image;
    image.create(4, 2, sf::Color::Red);
    ASSERT_TRUE(image.saveToFile("red.png"));
    for (const Case& manifest : cases) {
        std::filesystem::remove("textures.json");
        if (manifest.content) folder.write("textures.json", manifest.content);
        const std::string label = manifest.content ? manifest.content : "(no file)";
        bool loaded = !manifest.loaded;
        EXPECT_EQ(errorLinesOf([&] { loaded = textureManager.loadManifest("textures.json"); }), manifest.lines)
            << label;
        EXPECT_EQ(loaded, manifest.loaded) << label;
        Keys registered;
        for (const auto& entry : textureManager.textures) registered.push_back(entry.first);
        std::sort(registered.begin(), registered.end());
        EXPECT_EQ(registered, manifest.registered) << label;
        textureManager.textures.clear();
    }
}

TEST(ValidateJson, ReportsOnlyTheFirstMissingName)
{
    EXPECT_EQ(errorLinesOf([] { EXPECT_FALSE(validateJson(nlohmann::json::object(), {"first", "second"})); }),
              Lines{"validateJson: Missing prop: first."});
    EXPECT_EQ(errorLinesOf([] {
                  EXPECT_TRUE(validateJson(nlohmann::json{{"a", 1}, {"b", nullptr}}, {"a", "b"}));
                  EXPECT_TRUE(validateJson(nlohmann::json::array(), {}));
                  EXPECT_TRUE(validateJson(nullptr, {}));
              }),
              Lines{});
}
