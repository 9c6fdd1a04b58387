#include "audio_clip.h"

#include <SFML/Audio/OutputSoundFile.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

static sf::Int16 int16Of(float sample)
{
    return static_cast<sf::Int16>(std::lround(std::clamp(sample, -1.0f, 1.0f) * int16FullScale));
}

// SFML's WAV writer checks none of its writes: a full disk would pass for a
// written file.
bool writeWavFile(const AudioClip& clip, const std::string& path)
{
    const std::uint32_t dataSize = static_cast<std::uint32_t>(clip.samples.size() * 2);
    std::string bytes;
    bytes.reserve(44 + dataSize);
    const auto add = [&bytes](std::uint32_t value, int size) {
        for (int byte = 0; byte < size; ++byte) bytes += static_cast<char>(value >> (8 * byte) & 0xff);
    };
    bytes += "RIFF";
    add(36 + dataSize, 4);
    bytes += "WAVEfmt ";
    add(16, 4);  // the format chunk's size
    add(1, 2);   // integer PCM
    add(clip.channels, 2);
    add(clip.rateHz, 4);
    add(clip.rateHz * clip.channels * 2, 4);  // bytes per second
    add(clip.channels * 2, 2);                // bytes per sample of all channels
    add(16, 2);                               // bits per sample
    bytes += "data";
    add(dataSize, 4);
    for (const float sample : clip.samples) add(static_cast<std::uint16_t>(int16Of(sample)), 2);
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool writeClipFile(const AudioClip& clip, const std::string& path)
{
    if (path.size() >= 4 && path.compare(path.size() - 4, 4, ".wav") == 0) return writeWavFile(clip, path);
    std::vector<sf::Int16> pcm(clip.samples.size());
    std::transform(clip.samples.begin(), clip.samples.end(), pcm.begin(), int16Of);
    // SFML's Ogg writer draws the stream's serial number from rand(): a fixed
    // seed keeps the bytes of every run the same.
    std::srand(0x51525620);
    sf::OutputSoundFile file;
    if (!file.openFromFile(path, clip.rateHz, clip.channels)) return false;
    file.write(pcm.data(), pcm.size());
    return true;
}
