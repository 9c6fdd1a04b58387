#include "audio_clip.h"

#include <SFML/Audio/OutputSoundFile.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>

// SFML's Ogg writer draws the stream's serial number from rand(): a fixed
// seed keeps the bytes of every run the same.
static constexpr unsigned oggSerialSeed = 0x51525620;

AudioClip::AudioClip(unsigned channelCount, std::size_t frameCount)
    : channels(channelCount), samples(channelCount * frameCount, 0.0f)
{
}

std::size_t AudioClip::frames() const
{
    return samples.size() / channels;
}

float& AudioClip::at(std::size_t frame, unsigned channel)
{
    return samples[frame * channels + channel];
}

float AudioClip::at(std::size_t frame, unsigned channel) const
{
    return samples[frame * channels + channel];
}

bool writeClipFile(const AudioClip& clip, const std::string& path)
{
    std::vector<sf::Int16> pcm(clip.samples.size());
    std::transform(clip.samples.begin(), clip.samples.end(), pcm.begin(), [](float sample) {
        const float clamped = std::clamp(sample, -1.0f, 1.0f);
        return static_cast<sf::Int16>(std::lround(clamped * int16FullScale));
    });

    std::srand(oggSerialSeed);
    sf::OutputSoundFile file;
    if (!file.openFromFile(path, clip.rateHz, clip.channels)) return false;
    file.write(pcm.data(), pcm.size());
    return true;
}
