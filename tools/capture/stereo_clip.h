#pragma once
// Sound as the soundtrack mixes it: stereo float samples, left and right
// interleaved, at a known rate.

#include <SFML/Config.hpp>

#include <cstddef>
#include <cstdint>
#include <vector>

struct StereoClip {
    unsigned rateHz = 0;
    std::vector<float> samples;  // left, right, left, right, ...

    // In samples per channel, as every position in a clip.
    std::int64_t length() const { return static_cast<std::int64_t>(samples.size() / 2); }
};

// Converts 16-bit samples of any channel count: mono goes to both sides,
// channels past the second are dropped.
StereoClip stereoFromSamples(const sf::Int16* samples, std::size_t count, unsigned channels, unsigned rateHz);

// The same sound at another rate, through a band-limited interpolation.
StereoClip resampled(const StereoClip& clip, unsigned rateHz);

// How long a source `resampled` reads for the first outLength samples.
std::int64_t sourceLengthFor(std::int64_t outLength, unsigned fromRateHz, unsigned toRateHz);
