// config.json read from a temporary run folder: the switches it sets and
// the lines it writes.
#include "assets/sound_manager.h"
#include "core/app.h"
#include "core/config.h"
#include "test_support.h"

#include <gtest/gtest.h>

using Lines = std::vector<std::string>;

TEST(Config, EachDocumentGivesItsLinesAndItsSwitches)
{
    struct Case {
        const char* content;  // nullptr: no file
        Lines lines;
        bool fullscreen, vsync, muted;
    };
    const std::string parseError = "config.json: Error while parsing JSON.";
    const std::string endOfInput = "syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal";
    const Case cases[] = {
        {nullptr, {"Config.json missing."}, false, true, false},
        {R"({"fullscreen": true, "sound": false, "vsync": false, "show_fps": true})", {}, true, false, true},
        // Nothing usable: the defaults, silently.
        {"{}", {}, false, true, false},
        {"[true, false]", {}, false, true, false},
        {"42", {}, false, true, false},
        {R"({"Fullscreen": true, "sound": true})", {}, false, true, false},
        {R"({"vsync": false} // a comment after the object is never read)", {}, false, false, false},
        {R"({"fullscreen": true} {"fullscreen": false} junk)", {}, true, true, false},
        // Parse errors: what was read before the error is not applied.
        {"", {parseError, "[json.exception.parse_error.101] parse error at line 1, column 1: " + endOfInput},
         false, true, false},
        {"// comment\n{\"fullscreen\": true}",
         {parseError, "[json.exception.parse_error.101] parse error at line 1, column 1: syntax error while parsing "
                      "value - invalid literal; last read: '/'"},
         false, true, false},
        {"{\"fullscreen\": true, \"vsync\": false",
         {parseError, "[json.exception.parse_error.101] parse error at line 1, column 36: syntax error while "
                      "parsing object - unexpected end of input; expected '}'"},
         false, true, false},
        // A switch that is no boolean counts as absent.
        {R"({"fullscreen": true, "sound": 0, "vsync": "no", "show_fps": null})",
         {"config.json: sound must be true or false.", "config.json: vsync must be true or false.",
          "config.json: show_fps must be true or false."},
         true, true, false},
    };
    for (const Case& config : cases) {
        TempRunFolder folder;
        if (config.content) folder.write("config.json", config.content);
        const std::string label = config.content ? config.content : "(no file)";
        EXPECT_EQ(errorLinesOf(loadConfig), config.lines) << label;
        EXPECT_EQ(fullscreenEnabled, config.fullscreen) << label;
        EXPECT_EQ(vsyncEnabled, config.vsync) << label;
        EXPECT_EQ(soundManager.muted, config.muted) << label;
        // Back to the defaults, which the first case saw as they start.
        fullscreenEnabled = false;
        vsyncEnabled = true;
        soundManager.muted = false;
    }
}
