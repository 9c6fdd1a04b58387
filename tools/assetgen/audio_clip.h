#pragma once
// Interleaved float audio (full scale is 1): the generator builds its sounds
// in it, the capture tool mixes the soundtrack in it, and both write it out
// to a 16-bit file through SFML's sound-file writer.

#include <cstddef>
#include <string>
#include <vector>

// The rate of every sound and song that the generator makes.
constexpr unsigned sampleRateHz = 44100;
// The 16-bit full scale that the clip's 1 stands for, both ways.
constexpr float int16FullScale = 32767.0f;

struct AudioClip {
    unsigned channels = 1;
    unsigned rateHz = sampleRateHz;
    std::vector<float> samples;

    AudioClip() = default;
    AudioClip(unsigned channelCount, std::size_t frameCount)
        : channels(channelCount), samples(channelCount * frameCount, 0.0f) {}
    std::size_t frames() const { return samples.size() / channels; }
    float& at(std::size_t frame, unsigned channel) { return samples[frame * channels + channel]; }
    float at(std::size_t frame, unsigned channel) const { return samples[frame * channels + channel]; }
};

// Clipped to full scale; the writer picks the format by the extension
// (".wav", ".ogg", ".flac"). False when the file cannot be written.
bool writeClipFile(const AudioClip& clip, const std::string& path);
// As a 16-bit WAV file whatever its name; false with errno saying why.
bool writeWavFile(const AudioClip& clip, const std::string& path);
