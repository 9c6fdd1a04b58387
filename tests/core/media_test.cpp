// Broken media and missing devices, against the real executable in a
// temporary copy of the run folder: each case gives its one line, and the
// program goes on (or, without a display, stops with exit code 1).
#include "test_support.h"

#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Image.hpp>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

// Points one manifest entry at another file.
void pointEntryAt(const std::string& manifest, const std::string& key, const std::string& file)
{
    nlohmann::json document;
    std::ifstream("assets/" + manifest + ".json") >> document;
    document[manifest][key]["file"] = file;
    std::ofstream("assets/" + manifest + ".json") << document.dump(4);
}

std::string prefixOf(const std::string& file, std::size_t bytes)
{
    std::ifstream stream(file, std::ios::binary);
    std::string content(bytes, '\0');
    stream.read(content.data(), static_cast<std::streamsize>(bytes));
    content.resize(static_cast<std::size_t>(stream.gcount()));
    return content;
}

void writeOgg(const std::string& file)
{
    std::vector<sf::Int16> samples(44100, 0);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<sf::Int16>((i % 100) * 200);
    sf::SoundBuffer buffer;
    buffer.loadFromSamples(samples.data(), samples.size(), 1, 44100);
    ASSERT_TRUE(buffer.saveToFile(file));
}

struct MediaCase {
    const char* name;
    const char* manifest;  // whose entry is pointed at the broken file
    const char* key;
    const char* file;
    void (*make)(const TempRunFolder& folder, const std::string& file);
    bool expectLine;  // music is only reported when it plays
};

const MediaCase MEDIA_CASES[] = {
    {"TruncatedPng", "textures", "white", "assets/broken/cut.png",
     [](const TempRunFolder& folder, const std::string& file) {
         folder.write(file, prefixOf("assets/textures/black.png", 60));
     }, true},
    {"TextNamedPng", "textures", "white", "assets/broken/text.png",
     [](const TempRunFolder& folder, const std::string& file) { folder.write(file, "not an image\n"); }, true},
    {"EmptyPng", "textures", "white", "assets/broken/empty.png",
     [](const TempRunFolder& folder, const std::string& file) { folder.write(file, ""); }, true},
    {"ImageBeyondTheTextureLimit", "textures", "white", "assets/broken/wide.png",
     [](const TempRunFolder&, const std::string& file) {
         sf::Image image;
         image.create(20000, 2, sf::Color::White);
         ASSERT_TRUE(image.saveToFile(file));
     }, true},
    {"DirectoryForAnImage", "textures", "white", "assets/broken/folder.png",
     [](const TempRunFolder& folder, const std::string& file) { fs::create_directories(folder.path / file); }, true},
    {"UnreadableImage", "textures", "white", "assets/broken/locked.png",
     [](const TempRunFolder& folder, const std::string& file) {
         fs::copy_file("assets/textures/black.png", folder.path / file);
         fs::permissions(folder.path / file, fs::perms::none);
     }, true},
    {"TruncatedOggSound", "sounds", "bounce", "assets/broken/cut.ogg",
     [](const TempRunFolder& folder, const std::string& file) {
         writeOgg("whole.ogg");
         folder.write(file, prefixOf("whole.ogg", 200));
     }, true},
    {"TextNamedOggSound", "sounds", "bounce", "assets/broken/text.ogg",
     [](const TempRunFolder& folder, const std::string& file) { folder.write(file, "not a sound\n"); }, true},
    {"DirectoryForASound", "sounds", "bounce", "assets/broken/folder.wav",
     [](const TempRunFolder& folder, const std::string& file) { fs::create_directories(folder.path / file); }, true},
    {"UnreadableSound", "sounds", "bounce", "assets/broken/locked.wav",
     [](const TempRunFolder& folder, const std::string& file) {
         fs::copy_file("assets/sounds/bounce.wav", folder.path / file);
         fs::permissions(folder.path / file, fs::perms::none);
     }, true},
    {"TextNamedOggMusic", "music", "qrv", "assets/broken/text.ogg",
     [](const TempRunFolder& folder, const std::string& file) { folder.write(file, "not music\n"); }, false},
    {"UnicodeAndSpacesInPaths", "textures", "white", "assets/mit Ümlaut/weiß und leer.png",
     [](const TempRunFolder& folder, const std::string& file) {
         fs::create_directories((folder.path / file).parent_path());
         fs::copy_file("assets/textures/wall_tiles.png", folder.path / file);
     }, false},
};

void PrintTo(const MediaCase& media, std::ostream* stream)
{
    *stream << media.name;
}

struct MediaTest : ::testing::TestWithParam<MediaCase> {
    TempRunFolder folder;

    void SetUp() override
    {
        folder.copyRepositoryRunFiles();
        fs::create_directories(folder.path / "assets/broken");
    }
};

}  // namespace

TEST_P(MediaTest, BrokenFileGivesItsManagersLineAndTheProgramGoesOn)
{
    const MediaCase& media = GetParam();
    media.make(folder, media.file);
    pointEntryAt(media.manifest, media.key, media.file);

    ProgramOptions options;
    options.holdEscape = true;
    options.runAsNobody = true;
    const ProgramRun run = runBouncefest(folder.path, options);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "hello\n");
    const std::string manager = media.manifest == std::string("textures") ? "TextureManager" : "SoundManager";
    const Lines expected = media.expectLine ? Lines{manager + ": Unable to load file " + media.file + "."} : Lines{};
    EXPECT_EQ(splitLines(run.err), expected) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, MediaTest, ::testing::ValuesIn(MEDIA_CASES),
                         [](const ::testing::TestParamInfo<MediaCase>& info) { return info.param.name; });

namespace {

struct DeviceTest : ::testing::Test {
    TempRunFolder folder;

    void SetUp() override { folder.copyRepositoryRunFiles(); }

    ProgramRun runWith(const std::vector<std::string>& env)
    {
        ProgramOptions options;
        options.holdEscape = true;
        options.extraEnv = env;
        return runBouncefest(folder.path, options);
    }
};

const std::string NO_DISPLAY = "Unable to open the display: DISPLAY is unset or names no running X server.";

}  // namespace

TEST_F(DeviceTest, WithoutADisplayTheProgramSaysSoAndExitsWithOne)
{
    for (const std::string& display : {std::string("DISPLAY"), std::string("DISPLAY=:987")}) {
        const ProgramRun run = runWith({display});
        EXPECT_EQ(run.exitCode, 1) << display;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(splitLines(run.err), Lines{NO_DISPLAY}) << display;
    }
}

TEST_F(DeviceTest, WithoutAnAudioDeviceTheShowStartsSilentlyWithOneLine)
{
    const ProgramRun run = runWith({"ALSOFT_DRIVERS=none"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "hello\n");
    EXPECT_EQ(splitLines(run.err), Lines{"No audio device, so the show plays in silence."});
}
