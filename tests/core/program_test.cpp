// The real executable in a temporary copy of the run folder, as a user
// starts it: greeting, error lines and exit code.
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace fs = std::filesystem;

namespace {

struct ProgramTest : ::testing::Test {
    TempRunFolder folder;

    void SetUp() override { folder.copyRepositoryRunFiles(); }

    ProgramRun run(bool holdEscape)
    {
        ProgramOptions options;
        options.holdEscape = holdEscape;
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

TEST_F(ProgramTest, EscapeHeldFromTheStartEndsAfterTheFirstFrame)
{
    const ProgramRun result = run(true);
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "hello\n");
    for (const char* prefix : {"TextureManager: ", "SpriteManager: ", "SoundManager: ", "MusicManager: ",
                               "validateJson: ", "Config.json", "config.json", "Unable to load"}) {
        EXPECT_EQ(result.err.find(prefix), std::string::npos) << result.err;
    }
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
