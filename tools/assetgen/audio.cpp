#include "audio.h"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

constexpr double pi = 3.14159265358979323846;

}  // namespace

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
    if (writeClipFile(clip, path)) return true;
    std::cerr << "assetgen: Unable to write " << path << "." << std::endl;
    return false;
}

namespace {

constexpr double concertPitchHz = 440.0;
constexpr int concertPitchMidi = 69;

struct Cookbook {
    double cosW;
    double alpha;
};

Cookbook cookbook(double frequencyHz, double q)
{
    const double w = 2.0 * pi * frequencyHz / sampleRateHz;
    return {std::cos(w), std::sin(w) / (2.0 * q)};
}

void setNormalised(stk::BiQuad& filter, double b0, double b1, double b2, double a0, double a1,
                   double a2)
{
    filter.setCoefficients(b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0);
}

}  // namespace

double midiToHz(double midiNote)
{
    return concertPitchHz * std::pow(2.0, (midiNote - concertPitchMidi) / 12.0);
}

double dbToGain(double decibels)
{
    return std::pow(10.0, decibels / 20.0);
}

double secondsAt(std::size_t frame)
{
    return static_cast<double>(frame) / sampleRateHz;
}

std::size_t framesIn(double seconds)
{
    return static_cast<std::size_t>(std::lround(seconds * sampleRateHz));
}

void setLowPass(stk::BiQuad& filter, double cutoffHz, double q)
{
    const Cookbook c = cookbook(cutoffHz, q);
    setNormalised(filter, (1.0 - c.cosW) / 2.0, 1.0 - c.cosW, (1.0 - c.cosW) / 2.0, 1.0 + c.alpha,
                  -2.0 * c.cosW, 1.0 - c.alpha);
}

void setHighPass(stk::BiQuad& filter, double cutoffHz, double q)
{
    const Cookbook c = cookbook(cutoffHz, q);
    setNormalised(filter, (1.0 + c.cosW) / 2.0, -(1.0 + c.cosW), (1.0 + c.cosW) / 2.0,
                  1.0 + c.alpha, -2.0 * c.cosW, 1.0 - c.alpha);
}

void setBandPass(stk::BiQuad& filter, double centreHz, double q)
{
    const Cookbook c = cookbook(centreHz, q);
    setNormalised(filter, c.alpha, 0.0, -c.alpha, 1.0 + c.alpha, -2.0 * c.cosW, 1.0 - c.alpha);
}

PanGains panGains(float pan)
{
    const double angle = (pan + 1.0) * pi / 4.0;
    return {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
}

double rampIn(double seconds, double rampSeconds)
{
    return seconds >= rampSeconds ? 1.0 : seconds / rampSeconds;
}

double fadeOut(double seconds, double lengthSeconds, double fadeSeconds)
{
    const double left = lengthSeconds - seconds;
    if (left >= fadeSeconds) return 1.0;
    if (left <= 0.0) return 0.0;
    return 0.5 - 0.5 * std::cos(pi * left / fadeSeconds);
}

double decay(double seconds, double timeConstantSeconds)
{
    return std::exp(-seconds / timeConstantSeconds);
}
