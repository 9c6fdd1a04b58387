// Signal helpers: filter design, conversions, envelopes and the loudness meter.
#include "assetgen.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

void setFilter(stk::BiQuad& filter, FilterResponse response, double frequencyHz, double q)
{
    const double w = 2.0 * pi * frequencyHz / sampleRateHz;
    const double cosW = std::cos(w);
    const double alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    // b0, b1 and b2 of each response, in the order of FilterResponse.
    const double low = (1.0 - cosW) / 2.0;
    const double high = (1.0 + cosW) / 2.0;
    const double b[][3] = {{low, 1.0 - cosW, low}, {high, -(1.0 + cosW), high}, {alpha, 0.0, -alpha}};
    const double* bs = b[response];
    filter.setCoefficients(bs[0] / a0, bs[1] / a0, bs[2] / a0, -2.0 * cosW / a0, (1.0 - alpha) / a0);
}

double midiToHz(double midiNote)
{
    return 440.0 * std::pow(2.0, (midiNote - 69) / 12.0);
}

double dbToGain(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

PanGains panGains(float pan)
{
    const double angle = (pan + 1.0) * pi / 4.0;
    return {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
}

double decay(double seconds, double timeConstantSeconds)
{
    return std::exp(-seconds / timeConstantSeconds);
}

double fadeOut(double seconds, double lengthSeconds, double fadeSeconds)
{
    const double left = lengthSeconds - seconds;
    if (left >= fadeSeconds) return 1.0;
    if (left <= 0.0) return 0.0;
    return 0.5 - 0.5 * std::cos(pi * left / fadeSeconds);
}

LoudnessReading measureLoudness(const AudioClip& clip)
{
    ebur128_state* meter =
        ebur128_init(clip.channels, sampleRateHz, EBUR128_MODE_I | EBUR128_MODE_M | EBUR128_MODE_TRUE_PEAK);
    if (meter == nullptr) {
        reportError("Unable to start the loudness meter.");
        std::exit(1);
    }
    const double gateLufs = -70.0;  // what the meter gives for silence
    LoudnessReading reading;
    reading.loudestMomentaryLufs = gateLufs;
    const std::size_t step = framesIn(0.1);
    for (std::size_t frame = 0; frame < clip.frames(); frame += step) {
        ebur128_add_frames_float(meter, clip.samples.data() + frame * clip.channels,
                                 std::min(step, clip.frames() - frame));
        double momentary = gateLufs;
        if (ebur128_loudness_momentary(meter, &momentary) == EBUR128_SUCCESS && std::isfinite(momentary))
            reading.loudestMomentaryLufs = std::max(reading.loudestMomentaryLufs, momentary);
    }
    // Silence, all of it under the gate, reads as minus infinity.
    if (ebur128_loudness_global(meter, &reading.integratedLufs) != EBUR128_SUCCESS ||
        !std::isfinite(reading.integratedLufs))
        reading.integratedLufs = gateLufs;
    double highest = 0.0;
    for (unsigned channel = 0; channel < clip.channels; ++channel) {
        double peak = 0.0;
        ebur128_true_peak(meter, channel, &peak);
        highest = std::max(highest, peak);
    }
    reading.truePeakDbtp = 20.0 * std::log10(highest);
    ebur128_destroy(&meter);
    return reading;
}
