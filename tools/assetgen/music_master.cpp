#include "music_master.h"

#include "music_loudness.h"
#include "sound_dsp.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

namespace {

constexpr double lookAheadSeconds = 0.005;
constexpr double releaseSeconds = 0.12;
// Each pass corrects the gain by the loudness that the limiter took away.
constexpr int loudnessPasses = 4;

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

AudioClip masterTrack(const AudioClip& mix)
{
    const float ceiling = static_cast<float>(dbToGain(limiterCeilingDbfs));
    double gainDb = targetLoudnessLufs - integratedLoudnessLufs(mix);
    AudioClip mastered;
    for (int pass = 0; pass < loudnessPasses; ++pass) {
        mastered = mix;
        scaleBy(mastered, static_cast<float>(dbToGain(gainDb)));
        limitPeaks(mastered, ceiling);
        gainDb += targetLoudnessLufs - integratedLoudnessLufs(mastered);
    }
    return mastered;
}
