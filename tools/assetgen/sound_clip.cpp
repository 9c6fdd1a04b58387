#include "sound_clip.h"

#include "sound_dsp.h"

#include <SFML/Audio/OutputSoundFile.hpp>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr float int16FullScale = 32767.0f;
// SFML's Ogg writer draws the stream's serial number from rand(): a fixed
// seed keeps the bytes of every run the same.
constexpr unsigned oggSerialSeed = 0x51525620;

}  // namespace

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

float peakOf(const AudioClip& clip)
{
    float peak = 0.0f;
    for (float sample : clip.samples) peak = std::max(peak, std::fabs(sample));
    return peak;
}

void scaleBy(AudioClip& clip, float gain)
{
    for (float& sample : clip.samples) sample *= gain;
}

void scaleToPeak(AudioClip& clip, float peak)
{
    const float current = peakOf(clip);
    if (current > 0.0f) scaleBy(clip, peak / current);
}

void removeOffset(AudioClip& clip)
{
    const std::size_t frames = clip.frames();
    if (frames < 2) return;
    std::vector<double> bump(frames);
    double bumpSum = 0.0;
    for (std::size_t frame = 0; frame < frames; ++frame) {
        bump[frame] = std::sin(pi * frame / (frames - 1));
        bumpSum += bump[frame];
    }
    for (unsigned channel = 0; channel < clip.channels; ++channel) {
        double sum = 0.0;
        for (std::size_t frame = 0; frame < frames; ++frame) sum += clip.at(frame, channel);
        for (std::size_t frame = 0; frame < frames; ++frame)
            clip.at(frame, channel) -= static_cast<float>(sum * bump[frame] / bumpSum);
    }
}

bool writeClip(const AudioClip& clip, const std::string& path)
{
    std::vector<sf::Int16> pcm(clip.samples.size());
    std::transform(clip.samples.begin(), clip.samples.end(), pcm.begin(), [](float sample) {
        const float clamped = std::clamp(sample, -1.0f, 1.0f);
        return static_cast<sf::Int16>(std::lround(clamped * int16FullScale));
    });

    std::srand(oggSerialSeed);
    sf::OutputSoundFile file;
    if (!file.openFromFile(path, sampleRateHz, clip.channels)) {
        std::cerr << "assetgen: Unable to write " << path << "." << std::endl;
        return false;
    }
    file.write(pcm.data(), pcm.size());
    return true;
}
