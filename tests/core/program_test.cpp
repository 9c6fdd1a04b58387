// The real executable in a temporary copy of the run folder, as a user
// starts it: greeting, error lines and exit code.
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace fs = std::filesystem;

namespace {

struct ProgramTest : ::testing::Test {
    TempRunFolder folder;

    void SetUp() override { folder.copyRepositoryRunFiles(); }

    ProgramRun run(bool holdEscape, std::vector<std::string> extraEnv = {})
    {
        ProgramOptions options;
        options.holdEscape = holdEscape;
        options.extraEnv = std::move(extraEnv);
        options.timeoutSeconds = 60.0;
        return runBouncefest(folder.path, options);
    }
};

bool hasLine(const ProgramRun& run, const std::string& line)
{
    const std::vector<std::string> lines = splitLines(run.err);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

// OpenAL Soft reports at this level a device left open at exit.
TEST_F(ProgramTest, EscapeHeldFromTheStartEndsAfterTheFirstFrameWithNothingOnStandardError)
{
    const ProgramRun result = run(true, {"ALSOFT_LOGLEVEL=1"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "hello\n");
    EXPECT_EQ(result.err, "");
}


TEST_F(ProgramTest, AMissingBallsShaderEndsTheProgramBeforeTheTextShader)
{
    fs::remove(folder.path / "assets/shaders/balls.frag");
    const ProgramRun result = run(false);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "hello\n");
    EXPECT_TRUE(hasLine(result, "Unable to load the balls shader :(")) << result.err;
    EXPECT_FALSE(hasLine(result, "Unable to load the text shader :(")) << result.err;
}

TEST_F(ProgramTest, AMissingTextShaderEndsTheProgram)
{
    fs::remove(folder.path / "assets/shaders/peephole.frag");
    const ProgramRun result = run(false);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(hasLine(result, "Unable to load the balls shader :(")) << result.err;
    EXPECT_TRUE(hasLine(result, "Unable to load the text shader :(")) << result.err;
}

TEST_F(ProgramTest, BrokenConfigurationAndManifestsAreReportedAndTheShowGoesOn)
{
    folder.write("config.json", "{\"fullscreen\": ");
    fs::remove(folder.path / "assets/textures.json");
    folder.write("assets/sounds.json", "[]");
    const ProgramRun result = run(true);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "hello\n");
    const std::vector<std::string> lines = splitLines(result.err);
    auto position = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    const auto parseError = position("config.json: Error while parsing JSON.");
    const auto noTextures = position("TextureManager: Unable to open file assets/textures.json.");
    const auto noSounds = position("SoundManager: Missing properties in soundsfile.");
    const auto noRainbow = position("TextureManager: Texture with key rainbow_texture does not exist.");
    ASSERT_LT(noRainbow, static_cast<long>(lines.size())) << result.err;
    EXPECT_LT(parseError, noTextures);
    EXPECT_LT(noTextures, noSounds);
    EXPECT_LT(noSounds, noRainbow);
    EXPECT_TRUE(hasLine(result, "validateJson: Missing prop: sounds.")) << result.err;
    EXPECT_TRUE(hasLine(result, "SpriteManager: Sprite with key black does not exist.")) << result.err;
}

TEST_F(ProgramTest, WithoutAConfigurationFileTheShowStartsWithTheDefaults)
{
    fs::remove(folder.path / "config.json");
    const ProgramRun result = run(true);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "hello\n");
    EXPECT_EQ(splitLines(result.err).front(), "Config.json missing.") << result.err;
}

// Each document nested 10^3, 10^5 and 10^6 levels deep in its value, whole
// and cut off inside the nesting, alone in the run folder: its lines are
// those of a shallow document of that shape, and the show goes on to the
// missing balls shader.
TEST(DeepDocuments, AreReportedLikeShallowOnesAndTheShowGoesOn)
{
    struct Document {
        std::string path;
        std::string topLevel;
        std::string prefix;
        std::string absentLine;    // when the file is not there
        std::string wholeLine;     // the nesting under the top-level key, read whole
        bool readOnAfterAnError;   // the configuration is left alone after one
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
                std::vector<std::string> expected;
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

                ProgramOptions options;
                const ProgramRun result = runBouncefest(folder.path, options);
                const std::string label = deep.path + " " + std::to_string(depth) + (whole ? " whole" : " cut");
                EXPECT_EQ(result.exitCode, 0) << label;
                EXPECT_EQ(splitLines(result.err), expected) << label;
            }
        }
    }
}
