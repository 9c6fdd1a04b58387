// config.json read from a temporary run folder: the switches it sets and
// the lines it writes.
#include "assets/sound_manager.h"
#include "core/app.h"
#include "core/config.h"
#include "test_support.h"

#include <tuple>

TEST(Config, EachDocumentGivesItsLinesAndItsSwitches)
{
    using Switches = std::tuple<bool, bool, bool>;  // fullscreen, vsync, muted
    const auto switches = [] { return Switches(fullscreenEnabled, vsyncEnabled, soundManager.muted); };
    const Switches defaults = switches();  // as the show starts; the first case checks them
    const std::string parseError = "config.json: Error while parsing JSON.",
                      atColumn = "[json.exception.parse_error.101] parse error at line 1, column ";
    // A config.json (nullptr: no file), the switches it leaves, and its lines.
    const std::tuple<const char*, Switches, Lines> cases[] = {
        {nullptr, {false, true, false}, {"Config.json missing."}},
        {R"({"fullscreen": true, "sound": false, "vsync": false, "show_fps": true})", {true, false, true}, {}},
        // Nothing usable: the defaults, silently.
        {"[true, false]", {false, true, false}, {}},
        {R"({"Fullscreen": true, "sound": true})", {false, true, false}, {}},
        {R"({"fullscreen": true} {"fullscreen": false} // junk after the object is never read)", {true, true, false}, {}},
        // Parse errors: what was read before the error is not applied.
        {"// comment\n{\"fullscreen\": true}", {false, true, false},
         {parseError, atColumn + "1: syntax error while parsing value - invalid literal; last read: '/'"}},
        {"{\"fullscreen\": true, \"vsync\": false", {false, true, false},
         {parseError, atColumn + "36: syntax error while parsing object - unexpected end of input; expected '}'"}},
        // A switch that is no boolean counts as absent.
        {R"({"fullscreen": true, "sound": 0, "vsync": "no", "show_fps": null})", {true, true, false},
         {"config.json: sound must be true or false.", "config.json: vsync must be true or false.",
          "config.json: show_fps must be true or false."}},
    };
    for (const auto& [content, expected, lines] : cases) {
        TempRunFolder folder;
        if (content) folder.write("config.json", content);
        SCOPED_TRACE(content ? content : "(no file)");
        EXPECT_EQ(errorLinesOf(loadConfig), lines);
        EXPECT_EQ(switches(), expected);
        std::tie(fullscreenEnabled, vsyncEnabled, soundManager.muted) = defaults;
    }
}
