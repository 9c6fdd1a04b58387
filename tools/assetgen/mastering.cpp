#include "mastering.h"

#include "audio.h"

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <vector>

namespace {

constexpr double lookAheadSeconds = 0.005;
constexpr double releaseSeconds = 0.12;
// Each pass corrects the gain by the loudness that the limiter took away.
constexpr int loudnessPasses = 4;
constexpr double loudnessGateLufs = -70.0;  // what the meter gives for silence
constexpr double momentaryStepSeconds = 0.1;

std::vector<double> neededGain(const AudioClip& clip, float ceiling)
{
    std::vector<double> gain(clip.frames());
    for (std::size_t frame = 0; frame < clip.frames(); ++frame) {
        float peak = 0.0f;
        for (unsigned channel = 0; channel < clip.channels; ++channel)
            peak = std::max(peak, std::fabs(clip.at(frame, channel)));
        gain[frame] = peak > ceiling ? ceiling / peak : 1.0;
    }
    return gain;
}

// The smallest value of each window [frame, frame + window].
std::vector<double> minimumAhead(const std::vector<double>& values, std::size_t window)
{
    std::vector<double> result(values.size());
    std::deque<std::size_t> candidates;
    std::size_t next = 0;
    for (std::size_t frame = 0; frame < values.size(); ++frame) {
        for (; next < values.size() && next <= frame + window; ++next) {
            while (!candidates.empty() && values[candidates.back()] >= values[next])
                candidates.pop_back();
            candidates.push_back(next);
        }
        while (candidates.front() < frame) candidates.pop_front();
        result[frame] = values[candidates.front()];
    }
    return result;
}

}  // namespace

LoudnessReading measureLoudness(const AudioClip& clip)
{
    ebur128_state* meter =
        ebur128_init(clip.channels, sampleRateHz, EBUR128_MODE_I | EBUR128_MODE_M | EBUR128_MODE_TRUE_PEAK);
    if (meter == nullptr) {
        std::cerr << "assetgen: Unable to start the loudness meter." << std::endl;
        std::exit(1);
    }
    LoudnessReading reading;
    reading.loudestMomentaryLufs = loudnessGateLufs;
    const std::size_t step = framesIn(momentaryStepSeconds);
    for (std::size_t frame = 0; frame < clip.frames(); frame += step) {
        ebur128_add_frames_float(meter, clip.samples.data() + frame * clip.channels,
                                 std::min(step, clip.frames() - frame));
        double momentary = loudnessGateLufs;
        if (ebur128_loudness_momentary(meter, &momentary) == EBUR128_SUCCESS && std::isfinite(momentary))
            reading.loudestMomentaryLufs = std::max(reading.loudestMomentaryLufs, momentary);
    }
    // Silence, all of it under the gate, reads as minus infinity.
    if (ebur128_loudness_global(meter, &reading.integratedLufs) != EBUR128_SUCCESS ||
        !std::isfinite(reading.integratedLufs))
        reading.integratedLufs = loudnessGateLufs;
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

void limitPeaks(AudioClip& clip, float ceiling)
{
    if (clip.frames() == 0) return;
    const std::size_t lookAhead = framesIn(lookAheadSeconds);
    const std::vector<double> floor = minimumAhead(neededGain(clip, ceiling), lookAhead);
    const double recovery = decay(secondsAt(1), releaseSeconds);

    // The gain is the mean of the last lookAhead + 1 held values; each of
    // them is at most the gain that this frame needs, and so is their mean.
    double held = floor[0];
    std::deque<double> window(lookAhead + 1, held);
    double windowSum = held * window.size();
    for (std::size_t frame = 0; frame < clip.frames(); ++frame) {
        held = std::min(floor[frame], 1.0 - (1.0 - held) * recovery);
        windowSum += held - window.front();
        window.pop_front();
        window.push_back(held);
        const float gain = static_cast<float>(windowSum / window.size());
        for (unsigned channel = 0; channel < clip.channels; ++channel)
            clip.at(frame, channel) *= gain;
    }
}

bool masterTrack(const AudioClip& mix, AudioClip& mastered)
{
    const float ceiling = static_cast<float>(dbToGain(limiterCeilingDbfs));
    double gainDb = targetLoudnessLufs - measureLoudness(mix).integratedLufs;
    LoudnessReading reading;
    for (int pass = 0; pass < loudnessPasses; ++pass) {
        mastered = mix;
        scaleBy(mastered, static_cast<float>(dbToGain(gainDb)));
        limitPeaks(mastered, ceiling);
        reading = measureLoudness(mastered);
        gainDb += targetLoudnessLufs - reading.integratedLufs;
    }
    if (reading.truePeakDbtp <= maxTruePeakDbtp) return true;
    std::cerr << "assetgen: The mastered music peaks at " << reading.truePeakDbtp << " dBTP, over "
              << maxTruePeakDbtp << " dBTP." << std::endl;
    return false;
}
