#pragma once
// Interleaved float audio (full scale is 1) as the effects and the music are
// built, and its way out to a 16-bit file through SFML's sound-file writer.

#include <cstddef>
#include <string>
#include <vector>

struct AudioClip {
    unsigned channels = 1;
    std::vector<float> samples;

    AudioClip() = default;
    AudioClip(unsigned channelCount, std::size_t frameCount);

    std::size_t frames() const;
    float& at(std::size_t frame, unsigned channel);
    float at(std::size_t frame, unsigned channel) const;
};

float peakOf(const AudioClip& clip);
void scaleBy(AudioClip& clip, float gain);
void scaleToPeak(AudioClip& clip, float peak);

// Takes out the clip's mean through a half-sine bump over its whole length,
// which keeps both ends where they were (at zero) and adds nothing audible.
void removeOffset(AudioClip& clip);

// The writer picks the format by the extension (".wav", ".ogg", ".flac").
// False, after an error line, when the file cannot be written.
bool writeClip(const AudioClip& clip, const std::string& path);
