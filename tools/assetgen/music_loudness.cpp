#include "music_loudness.h"

#include "sound_dsp.h"

#include <cmath>
#include <vector>

namespace {

constexpr double pi = 3.14159265358979323846;

// The K-weighting: a high shelf for the head's effect, then a high-pass
// that leaves out what the ear hardly weighs.
constexpr double shelfHz = 1681.974450955533;
constexpr double shelfGainDb = 3.999843853973347;
constexpr double shelfQ = 0.7071752369554196;
constexpr double shelfBandExponent = 0.4996667741545416;
constexpr double highPassHz = 38.13547087602444;
constexpr double highPassQ = 0.5003270373238773;

constexpr double blockSeconds = 0.4;
constexpr double blockStepSeconds = 0.1;
constexpr double absoluteGateLufs = -70.0;
constexpr double relativeGateLu = -10.0;
constexpr double loudnessOffsetDb = -0.691;

void setShelf(stk::BiQuad& filter)
{
    const double k = std::tan(pi * shelfHz / sampleRateHz);
    const double vh = std::pow(10.0, shelfGainDb / 20.0);
    const double vb = std::pow(vh, shelfBandExponent);
    const double a0 = 1.0 + k / shelfQ + k * k;
    filter.setCoefficients((vh + vb * k / shelfQ + k * k) / a0, 2.0 * (k * k - vh) / a0,
                           (vh - vb * k / shelfQ + k * k) / a0, 2.0 * (k * k - 1.0) / a0,
                           (1.0 - k / shelfQ + k * k) / a0);
}

void setKHighPass(stk::BiQuad& filter)
{
    const double k = std::tan(pi * highPassHz / sampleRateHz);
    const double a0 = 1.0 + k / highPassQ + k * k;
    filter.setCoefficients(1.0, -2.0, 1.0, 2.0 * (k * k - 1.0) / a0,
                           (1.0 - k / highPassQ + k * k) / a0);
}

double loudnessOf(double meanSquare)
{
    return loudnessOffsetDb + 10.0 * std::log10(meanSquare);
}

}  // namespace

double integratedLoudnessLufs(const AudioClip& clip)
{
    // Sum over channels of the K-weighted power, per step of 100 ms.
    const std::size_t stepFrames = framesIn(blockStepSeconds);
    const std::size_t stepsPerBlock = framesIn(blockSeconds) / stepFrames;
    std::vector<double> stepEnergy(clip.frames() / stepFrames, 0.0);
    for (unsigned channel = 0; channel < clip.channels; ++channel) {
        stk::BiQuad shelf;
        stk::BiQuad highPass;
        setShelf(shelf);
        setKHighPass(highPass);
        for (std::size_t frame = 0; frame < stepEnergy.size() * stepFrames; ++frame) {
            const double weighted = highPass.tick(shelf.tick(clip.at(frame, channel)));
            stepEnergy[frame / stepFrames] += weighted * weighted;
        }
    }

    std::vector<double> blocks;
    for (std::size_t first = 0; first + stepsPerBlock <= stepEnergy.size(); ++first) {
        double energy = 0.0;
        for (std::size_t step = first; step < first + stepsPerBlock; ++step) energy += stepEnergy[step];
        const double meanSquare = energy / (stepsPerBlock * stepFrames);
        if (meanSquare > 0.0 && loudnessOf(meanSquare) > absoluteGateLufs) blocks.push_back(meanSquare);
    }
    if (blocks.empty()) return absoluteGateLufs;

    double sum = 0.0;
    for (double block : blocks) sum += block;
    const double relativeGate = loudnessOf(sum / blocks.size()) + relativeGateLu;
    double gatedSum = 0.0;
    std::size_t gatedCount = 0;
    for (double block : blocks) {
        if (loudnessOf(block) > relativeGate) {
            gatedSum += block;
            ++gatedCount;
        }
    }
    return gatedCount == 0 ? absoluteGateLufs : loudnessOf(gatedSum / gatedCount);
}
