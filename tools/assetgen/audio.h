#pragma once
// Signal helpers shared by the effects and the music.

#include "audio_clip.h"
#include "BiQuad.h"

#include <cmath>
#include <cstddef>

constexpr double pi = 3.14159265358979323846;

inline void scaleBy(AudioClip& clip, float gain)
{
    for (float& sample : clip.samples) sample *= gain;
}
inline double secondsAt(std::size_t frame) { return static_cast<double>(frame) / sampleRateHz; }
inline std::size_t framesIn(double seconds) { return static_cast<std::size_t>(std::lround(seconds * sampleRateHz)); }

// Second-order (RBJ cookbook) responses at a cutoff or centre frequency;
// q of 0.707 is the flattest.
enum FilterResponse { LowPass, HighPass, BandPass };
void setFilter(stk::BiQuad& filter, FilterResponse response, double frequencyHz, double q);

// Equal-power gains for a pan from -1 (left) through 0 to 1 (right).
struct PanGains {
    float left;
    float right;
};
PanGains panGains(float pan);

// Rises from 0 to 1 over rampSeconds: every voice starts through it so that
// no waveform begins with a jump.
inline double rampIn(double seconds, double rampSeconds)
{
    return seconds >= rampSeconds ? 1.0 : seconds / rampSeconds;
}
// Falls from 1 to 0 over the last fadeSeconds before lengthSeconds, in a
// half cosine, so a voice cut at lengthSeconds ends at exactly zero.
double fadeOut(double seconds, double lengthSeconds, double fadeSeconds);
double decay(double seconds, double timeConstantSeconds);

// Out of line: the compiler would fold calls with constant arguments more
// exactly than the library computes them, and change the generated files.
double midiToHz(double midiNote);
double dbToGain(double decibels);

// Loudness and true peak as EBU R 128 defines them, by libebur128.
struct LoudnessReading {
    double integratedLufs = 0.0;
    double truePeakDbtp = 0.0;          // the highest of the channels
    double loudestMomentaryLufs = 0.0;  // over 400 ms, read every 100 ms
};
LoudnessReading measureLoudness(const AudioClip& clip);
