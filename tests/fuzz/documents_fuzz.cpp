// The fuzz targets, one for each document the show reads: the fuzzer's
// bytes go where that reader finds them and are read as the show reads
// them. The environment's FUZZ_DOCUMENT names the target, so that one build
// serves them all.
// The error lines are not what is fuzzed, so std::cerr stays quiet.
#include "assets/manifest.h"
#include "assets/music_manager.h"
#include "assets/sound_manager.h"
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "core/config.h"

#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Image.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <unistd.h>

namespace {

// A scratch run folder with a small real image and sound.
void prepareFolder()
{
    std::cerr.rdbuf(nullptr);
    const auto folder = std::filesystem::temp_directory_path() / ("bouncefest-fuzz-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    sf::Image image;
    image.create(2, 2, sf::Color::Red);
    image.saveToFile("red.png");
    const std::vector<sf::Int16> samples(800, 1000);
    sf::SoundBuffer buffer;
    buffer.loadFromSamples(samples.data(), samples.size(), 1, 8000);
    buffer.saveToFile("tone.wav");
}

// Frees every record between runs, so that memory stays flat.
template <typename Registry>
void clearRegistry(Registry& registry)
{
    for (auto& entry : registry) delete entry.second;
    registry.clear();
}

void write(const std::string& path, const std::string& input)
{
    std::ofstream(path, std::ios::binary) << input;
}

// Sprites are read over two registered textures; each sound and song loaded
// is played. validate's first line holds the names, separated by commas;
// the rest is the document, read as the managers read theirs.
const std::map<std::string, void (*)(const std::string&)> READERS = {
    {"config",
     [](const std::string& input) {
         write("config.json", input);
         loadConfig();
     }},
    {"textures",
     [](const std::string& input) {
         write("textures.json", input);
         textureManager.loadManifest("textures.json");
         clearRegistry(textureManager.textures);
     }},
    {"sprites",
     [](const std::string& input) {
         if (textureManager.textures.empty()) {
             textureManager.add("red", "red.png", false);
             textureManager.add("tiled", "red.png", true);
         }
         write("sprites.json", input);
         spriteManager.loadManifest("sprites.json");
         clearRegistry(spriteManager.sprites);
     }},
    {"sounds",
     [](const std::string& input) {
         write("sounds.json", input);
         soundManager.loadManifest("sounds.json");
         for (const auto& sound : soundManager.sounds) soundManager.play(sound.first);
         soundManager.releaseAll();
     }},
    {"music",
     [](const std::string& input) {
         write("music.json", input);
         musicManager.loadManifest("music.json");
         for (const auto& song : musicManager.songs) musicManager.play(song.first, true);
         musicManager.music.stop();
         clearRegistry(musicManager.songs);
     }},
    {"validate",
     [](const std::string& input) {
         std::istringstream stream(input);
         std::string namesLine;
         std::getline(stream, namesLine);
         std::vector<std::string> names;
         std::istringstream namesStream(namesLine);
         for (std::string name; std::getline(namesStream, name, ',');) names.push_back(name);
         nlohmann::json document;
         readJsonDocument(stream, document);
         validateJson(document, names);
     }},
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* document = std::getenv("FUZZ_DOCUMENT");
    if (document == nullptr || READERS.count(document) == 0) {
        std::fprintf(stderr, "Set FUZZ_DOCUMENT to one of config, textures, sprites, sounds, music, validate.\n");
        std::exit(1);
    }
    prepareFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const auto read = READERS.at(std::getenv("FUZZ_DOCUMENT"));
    read(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}
