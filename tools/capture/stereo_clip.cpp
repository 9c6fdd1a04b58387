#include "stereo_clip.h"

#include <algorithm>
#include <cmath>
#include <numeric>

// The audio library pans a mono voice at the listener to the centre with
// equal power on both sides.
static const float MONO_SIDE_GAIN = static_cast<float>(1.0 / std::sqrt(2.0));
static constexpr float INT16_FULL_SCALE = 32768.0f;
// The interpolation kernel reaches this many source samples each side (at
// the source rate, or more when it lowers the rate), and passes this part
// of the lower of the two Nyquist bands, so that no image folds back.
static constexpr double KERNEL_HALF_WIDTH = 16.0;
static constexpr double PASSBAND_FRACTION = 0.91;

StereoClip stereoFromSamples(const sf::Int16* samples, std::size_t count, unsigned channels, unsigned rateHz)
{
    StereoClip clip;
    clip.rateHz = rateHz;
    if (channels == 0) return clip;
    const std::size_t length = count / channels;
    clip.samples.resize(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        const sf::Int16* in = samples + i * channels;
        if (channels == 1) {
            const float side = static_cast<float>(in[0]) / INT16_FULL_SCALE * MONO_SIDE_GAIN;
            clip.samples[i * 2] = side;
            clip.samples[i * 2 + 1] = side;
        } else {
            clip.samples[i * 2] = static_cast<float>(in[0]) / INT16_FULL_SCALE;
            clip.samples[i * 2 + 1] = static_cast<float>(in[1]) / INT16_FULL_SCALE;
        }
    }
    return clip;
}

// The Blackman window over -halfWidth..halfWidth.
static double window(double t, double halfWidth)
{
    const double angle = M_PI * t / halfWidth;
    return 0.42 + 0.5 * std::cos(angle) + 0.08 * std::cos(2.0 * angle);
}

static double sinc(double x)
{
    if (x == 0.0) return 1.0;
    return std::sin(M_PI * x) / (M_PI * x);
}

// The kernel's reach, in source samples each side.
static int kernelHalfWidth(unsigned fromRateHz, unsigned toRateHz)
{
    const double scale = std::min(1.0, static_cast<double>(toRateHz) / fromRateHz);
    return static_cast<int>(std::ceil(KERNEL_HALF_WIDTH / scale));
}

std::int64_t sourceLengthFor(std::int64_t outLength, unsigned fromRateHz, unsigned toRateHz)
{
    return outLength * fromRateHz / toRateHz + 1 + kernelHalfWidth(fromRateHz, toRateHz);
}

StereoClip resampled(const StereoClip& clip, unsigned rateHz)
{
    if (clip.rateHz == rateHz || clip.rateHz == 0) return clip;
    // Output sample j lies at source position j * step / phases, so the
    // fractional part takes one of `phases` values, each with its own taps.
    const std::int64_t common = std::gcd<std::int64_t, std::int64_t>(clip.rateHz, rateHz);
    const std::int64_t phases = rateHz / common;
    const std::int64_t step = clip.rateHz / common;
    const double scale = std::min(1.0, static_cast<double>(rateHz) / clip.rateHz);
    const double cutoff = scale * PASSBAND_FRACTION;
    const int halfWidth = kernelHalfWidth(clip.rateHz, rateHz);
    const int taps = 2 * halfWidth;

    std::vector<float> kernel(static_cast<std::size_t>(phases * taps));
    for (std::int64_t phase = 0; phase < phases; ++phase) {
        const double offset = static_cast<double>(phase) / phases;
        float* phaseTaps = &kernel[static_cast<std::size_t>(phase * taps)];
        double sum = 0.0;
        for (int k = 0; k < taps; ++k) {
            const double t = (k - halfWidth + 1) - offset;
            const double tap = cutoff * sinc(cutoff * t) * window(t, halfWidth);
            phaseTaps[k] = static_cast<float>(tap);
            sum += tap;
        }
        // Every phase passes a constant level unchanged.
        for (int k = 0; k < taps; ++k) phaseTaps[k] = static_cast<float>(phaseTaps[k] / sum);
    }

    const std::int64_t inLength = clip.length();
    const std::int64_t outLength = (inLength * phases + step - 1) / step;
    StereoClip out;
    out.rateHz = rateHz;
    out.samples.resize(static_cast<std::size_t>(outLength * 2));
    for (std::int64_t j = 0; j < outLength; ++j) {
        const std::int64_t position = j * step;
        const std::int64_t first = position / phases - halfWidth + 1;
        const float* phaseTaps = &kernel[static_cast<std::size_t>((position % phases) * taps)];
        float left = 0.0f;
        float right = 0.0f;
        for (int k = static_cast<int>(std::max<std::int64_t>(0, -first)); k < taps && first + k < inLength; ++k) {
            const std::size_t at = static_cast<std::size_t>((first + k) * 2);
            left += phaseTaps[k] * clip.samples[at];
            right += phaseTaps[k] * clip.samples[at + 1];
        }
        out.samples[static_cast<std::size_t>(j * 2)] = left;
        out.samples[static_cast<std::size_t>(j * 2 + 1)] = right;
    }
    return out;
}
