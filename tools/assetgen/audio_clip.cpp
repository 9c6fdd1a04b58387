#include "audio_clip.h"

#include <SFML/Audio/OutputSoundFile.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>

bool writeClipFile(const AudioClip& clip, const std::string& path)
{
    std::vector<sf::Int16> pcm(clip.samples.size());
    std::transform(clip.samples.begin(), clip.samples.end(), pcm.begin(), [](float sample) {
        return static_cast<sf::Int16>(std::lround(std::clamp(sample, -1.0f, 1.0f) * int16FullScale));
    });
    // SFML's Ogg writer draws the stream's serial number from rand(): a fixed
    // seed keeps the bytes of every run the same.
    std::srand(0x51525620);
    sf::OutputSoundFile file;
    if (!file.openFromFile(path, clip.rateHz, clip.channels)) return false;
    file.write(pcm.data(), pcm.size());
    return true;
}
