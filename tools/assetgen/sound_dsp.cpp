#include "sound_dsp.h"

#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;
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
