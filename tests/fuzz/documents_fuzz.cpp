// The fuzz targets, one for each document the show reads, named by the
// environment's FUZZ_DOCUMENT so that one build serves them all: the bytes
// are written as TARGET.json in a scratch run folder and read as the show
// reads them. The error lines are not what is fuzzed, so std::cerr is quiet.
#include "assets/music_manager.h"
#include "assets/sound_manager.h"
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "core/config.h"
#include "core/library_output.h"
#include "core/show.h"

#include <SFML/Audio/SoundBuffer.hpp>
#include <SFML/Graphics/Image.hpp>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>

namespace {

// Frees every record between runs, so that memory stays flat.
template <typename Registry>
void clearRegistry(Registry& registry)
{
    for (auto& entry : registry) delete entry.second;
    registry.clear();
}

// Sprites are read over two registered textures; each sound and song loaded
// is played.
const std::map<std::string, void (*)()> READERS = {
    {"config", loadConfig},
    {"textures", [] {
         textureManager.loadManifest("textures.json");
         clearRegistry(textureManager.textures);
     }},
    {"sprites", [] {
         if (textureManager.textures.empty()) {
             textureManager.add("red", "red.png", false);
             textureManager.add("tiled", "red.png", true);
         }
         spriteManager.loadManifest("sprites.json");
         clearRegistry(spriteManager.sprites);
     }},
    {"sounds", [] {
         soundManager.loadManifest("sounds.json");
         for (const auto& sound : soundManager.sounds) soundManager.play(sound.first);
         soundManager.releaseAll();
     }},
    {"music", [] {
         musicManager.loadManifest("music.json");
         for (const auto& song : musicManager.songs) musicManager.play(song.first, true);
         musicManager.music->stop();
         clearRegistry(musicManager.songs);
     }},
};

const char* const TARGET = std::getenv("FUZZ_DOCUMENT");

}  // namespace

// The seeds name red.png and tone.wav: small real ones, in a scratch run folder of its own.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (TARGET == nullptr || READERS.count(TARGET) == 0) {
        std::cerr << "Set FUZZ_DOCUMENT to one of config, textures, sprites, sounds, music." << std::endl;
        std::exit(1);
    }
    std::cerr.rdbuf(nullptr);
    silenceLibraryOutput();
    makeDeviceObjects();
    std::string folder = std::filesystem::temp_directory_path() / "bouncefest-fuzz-XXXXXX";
    std::filesystem::current_path(mkdtemp(folder.data()));
    sf::Image image;
    image.create(2, 2, sf::Color::Red);
    image.saveToFile("red.png");
    const std::vector<sf::Int16> samples(800, 1000);
    sf::SoundBuffer buffer;
    buffer.loadFromSamples(samples.data(), samples.size(), 1, 8000);
    buffer.saveToFile("tone.wav");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::ofstream(std::string(TARGET) + ".json", std::ios::binary).write(reinterpret_cast<const char*>(data), size);
    READERS.at(TARGET)();
    return 0;
}
