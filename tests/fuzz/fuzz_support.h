#pragma once
// What the fuzz targets share: a scratch run folder with a few small real
// media files, and quiet error streams (the lines are not what is fuzzed).

#include <cstddef>
#include <cstdint>
#include <string>

// Makes the scratch folder the working directory and writes its media
// ("red.png", "tone.wav") once.
void prepareFuzzFolder();

// Writes the fuzzer's bytes to a file in the scratch folder.
void writeInput(const std::string& path, const std::uint8_t* data, std::size_t size);

// Frees every record of a registry between runs, so that memory stays flat.
template <typename Map>
void clearRegistry(Map& registry)
{
    for (auto& entry : registry) delete entry.second;
    registry.clear();
}
