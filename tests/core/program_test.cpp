// The real executable in a temporary copy of the run folder, as a user
// starts it: greeting, error lines and exit code, with broken run files,
// broken media, deep documents, missing devices and a close request.
#include "test_support.h"

#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

const std::string NO_DISPLAY = "Unable to open the display: DISPLAY is unset or names no running X server.";
const std::string NO_AUDIO = "No audio device, so the show plays in silence.";

ProgramRun runWithEscapeHeld(const TempRunFolder& folder, std::vector<std::string> env = {})
{
    ProgramOptions options;
    options.holdEscape = true;
    options.extraEnv = std::move(env);
    return runBouncefest(folder.path, options);
}

// Points one manifest entry at another file.
void pointEntryAt(const std::string& manifest, const std::string& key, const std::string& file)
{
    nlohmann::json document;
    std::ifstream("assets/" + manifest + ".json") >> document;
    document[manifest][key]["file"] = file;
    std::ofstream("assets/" + manifest + ".json") << document.dump(4);
}

}  // namespace

// OpenAL Soft reports at this level a device left open at exit.
TEST(Program, EscapeHeldFromTheStartEndsAfterTheFirstFrameWithNothingOnStandardError)
{
    TempRunFolder folder;
    folder.copyRepositoryRunFiles();
    const ProgramRun run = runWithEscapeHeld(folder, {"ALSOFT_LOGLEVEL=1"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "hello\n");
    EXPECT_EQ(run.err, "");
}

TEST(Program, AMissingDeviceIsOneLine)
{
    struct Case {
        std::vector<std::string> env;
        int exitCode;
        std::string out;
        std::string line;
    };
    for (const Case& missing : {
             Case{{"DISPLAY"}, 1, "", NO_DISPLAY},
             Case{{"DISPLAY=:987"}, 1, "", NO_DISPLAY},
             Case{{"ALSOFT_DRIVERS=none"}, 0, "hello\n", NO_AUDIO},
             // ALSA without its configuration finds no device and has its own complaints.
             Case{{"ALSOFT_DRIVERS=alsa", "ALSA_CONFIG_PATH=/nonexistent/alsa.conf"}, 0, "hello\n", NO_AUDIO},
         }) {
        TempRunFolder folder;
        folder.copyRepositoryRunFiles();
        const ProgramRun run = runWithEscapeHeld(folder, missing.env);
        EXPECT_EQ(run.exitCode, missing.exitCode) << missing.env.back();
        EXPECT_EQ(run.out, missing.out) << missing.env.back();
        EXPECT_EQ(splitLines(run.err), Lines{missing.line}) << missing.env.back();
    }
}

// Without Escape: a missing shader ends the show when its scene needs it.
TEST(Program, AMissingShaderEndsTheShowWithItsLine)
{
    for (const std::string shader : {"balls", "text"}) {
        TempRunFolder folder;
        folder.copyRepositoryRunFiles();
        fs::remove(folder.path / (shader == "balls" ? "assets/shaders/balls.frag" : "assets/shaders/peephole.frag"));
        ProgramOptions options;
        options.timeoutSeconds = 60.0;
        const ProgramRun run = runBouncefest(folder.path, options);
        EXPECT_EQ(run.exitCode, 0) << shader;
        EXPECT_EQ(run.out, "hello\n") << shader;
        EXPECT_EQ(splitLines(run.err), Lines{"Unable to load the " + shader + " shader :("}) << shader;
    }
}

TEST(Program, BrokenConfigurationAndManifestsAreReportedInOrderAndTheShowGoesOn)
{
    TempRunFolder folder;
    folder.copyRepositoryRunFiles();
    folder.write("config.json", "{\"fullscreen\": ");
    fs::remove(folder.path / "assets/textures.json");
    folder.write("assets/sounds.json", "[]");
    const ProgramRun run = runWithEscapeHeld(folder);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "hello\n");
    const std::string noTexture = "TextureManager: Texture with key ";
    EXPECT_EQ(splitLines(run.err),
              (Lines{"config.json: Error while parsing JSON.",
                     "[json.exception.parse_error.101] parse error at line 1, column 16: syntax error while parsing "
                     "value - unexpected end of input; expected '[', '{', or a literal",
                     "TextureManager: Unable to open file assets/textures.json.",
                     noTexture + "black does not exist.", noTexture + "intro1 does not exist.",
                     noTexture + "intro2 does not exist.", noTexture + "intro3 does not exist.",
                     noTexture + "intro4 does not exist.", "validateJson: Missing prop: sounds.",
                     "SoundManager: Missing properties in soundsfile.",
                     "SpriteManager: Sprite with key black does not exist.",
                     noTexture + "rainbow_texture does not exist.",
                     "SpriteManager: Sprite with key black does not exist.",
                     noTexture + "loading_bar_empty does not exist.", noTexture + "loading_bar_full does not exist."}));
}

// Each broken file in place of one manifest entry gives its manager's line,
// and the show goes on; music is only read when it plays.
TEST(Program, BrokenMediaGiveTheirManagersLine)
{
    enum Make { Cut, Text, Empty, Wide, Folder, Locked, Copy };
    struct Case {
        std::string manifest, key, file;
        Make make;
        std::string source;
        bool reported;
    };
    const std::string black = "assets/textures/black.png";
    const Case cases[] = {
        {"textures", "white", "cut.png", Cut, black, true},
        {"textures", "white", "text.png", Text, "", true},
        {"textures", "white", "empty.png", Empty, "", true},
        {"textures", "white", "wide.png", Wide, "", true},  // beyond the texture size limit
        {"textures", "white", "folder.png", Folder, "", true},
        {"textures", "white", "locked.png", Locked, black, true},
        {"sounds", "bounce", "cut.ogg", Cut, "assets/music/qrv.ogg", true},
        {"sounds", "bounce", "text.ogg", Text, "", true},
        {"sounds", "bounce", "folder.wav", Folder, "", true},
        {"sounds", "bounce", "locked.wav", Locked, "assets/sounds/bounce.wav", true},
        {"music", "qrv", "text.ogg", Text, "", false},
        {"textures", "white", "mit Ümlaut/weiß und leer.png", Copy, "assets/textures/wall_tiles.png", false},
    };
    for (const Case& broken : cases) {
        TempRunFolder folder;
        folder.copyRepositoryRunFiles();
        const std::string file = "assets/broken/" + broken.file;
        const fs::path path = folder.path / file;
        fs::create_directories(path.parent_path());
        switch (broken.make) {
        case Cut: folder.write(file, readBytes(broken.source).substr(0, 100)); break;  // past the format's header
        case Text: folder.write(file, "not a medium\n"); break;
        case Empty: folder.write(file, ""); break;
        case Wide: {
            sf::Image image;
            image.create(20000, 2, sf::Color::White);
            ASSERT_TRUE(image.saveToFile(file));
            break;
        }
        case Folder: fs::create_directories(path); break;
        case Locked:
            fs::copy_file(broken.source, path);
            fs::permissions(path, fs::perms::none);
            break;
        case Copy: fs::copy_file(broken.source, path); break;
        }
        pointEntryAt(broken.manifest, broken.key, file);

        ProgramOptions options;
        options.holdEscape = true;
        options.runAsNobody = true;
        const ProgramRun run = runBouncefest(folder.path, options);
        EXPECT_EQ(run.exitCode, 0) << file;
        EXPECT_EQ(run.out, "hello\n") << file;
        const std::string manager = broken.manifest == "textures" ? "TextureManager" : "SoundManager";
        EXPECT_EQ(splitLines(run.err), broken.reported ? Lines{manager + ": Unable to load file " + file + "."} : Lines{})
            << file;
    }
}

// Each document nested 10^3, 10^5 and 10^6 levels deep in its value, whole
// and cut off inside the nesting, alone in the run folder: its lines are
// those of a shallow document of that shape, and the show goes on to the
// missing balls shader.
TEST(Program, DeepDocumentsAreReportedLikeShallowOnesAndTheShowGoesOn)
{
    struct Document {
        std::string path, topLevel, prefix;
        std::string absentLine;   // when the file is not there
        std::string wholeLine;    // the nesting under the top-level key, read whole
        bool readOnAfterAnError;  // the configuration is left alone after one
    };
    const std::vector<Document> documents = {
        {"config.json", "fullscreen", "config.json: ", "Config.json missing.",
         "config.json: fullscreen must be true or false.", false},
        {"assets/textures.json", "textures", "TextureManager: ",
         "TextureManager: Unable to open file assets/textures.json.", "TextureManager: Missing FILE property for [0]",
         true},
        {"assets/sprites.json", "sprites", "SpriteManager: ", "SpriteManager: Unable to open file assets/sprites.json.",
         "SpriteManager: Missing TEXTURE property for [0]", true},
        {"assets/sounds.json", "sounds", "SoundManager: ", "SoundManager: Unable to open file assets/sounds.json.",
         "SoundManager: Missing FILE property for [0]", true},
        {"assets/music.json", "music", "MusicManager: ", "MusicManager: Unable to open file assets/music.json.",
         "MusicManager: Missing FILE property for [0]", true},
    };
    for (const Document& deep : documents) {
        for (const std::size_t depth : {1000u, 100000u, 1000000u}) {
            for (const bool whole : {true, false}) {
                TempRunFolder folder;
                const std::string content = "{\"" + deep.topLevel + "\": " + std::string(depth, '[') +
                                            (whole ? std::string(depth, ']') + "}" : "");
                folder.write(deep.path, content);
                Lines expected;
                for (const Document& other : documents) {
                    if (&other != &deep) {
                        expected.push_back(other.absentLine);
                        continue;
                    }
                    if (!whole) {
                        expected.push_back(deep.prefix + "Error while parsing JSON.");
                        expected.push_back("[json.exception.parse_error.101] parse error at line 1, column " +
                                           std::to_string(content.size() + 1) +
                                           ": syntax error while parsing value - unexpected end of input; "
                                           "expected '[', '{', or a literal");
                    }
                    if (whole || deep.readOnAfterAnError) expected.push_back(deep.wholeLine);
                }
                expected.push_back("SpriteManager: Sprite with key black does not exist.");
                expected.push_back("Unable to load the balls shader :(");

                const ProgramRun run = runBouncefest(folder.path, ProgramOptions{});
                const std::string label = deep.path + " " + std::to_string(depth) + (whole ? " whole" : " cut");
                EXPECT_EQ(run.exitCode, 0) << label;
                EXPECT_EQ(splitLines(run.err), expected) << label;
            }
        }
    }
}

TEST(Program, ACloseRequestEndsTheShowWithExitCodeZero)
{
    TempRunFolder folder;
    folder.copyRepositoryRunFiles();
    ProgramOptions options;
    options.closeAfterSeconds = 2.0;
    options.timeoutSeconds = 20.0;
    const ProgramRun run = runBouncefest(folder.path, options);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "hello\n");
    // The loading screen alone lasts about 22 s; only the request ends it this early.
    EXPECT_LT(run.seconds, 10.0);
}
