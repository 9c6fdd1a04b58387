#pragma once
// Signal helpers shared by the effects and the music: filter design for
// STK's BiQuad, pitch and level conversions, panning, envelopes and the
// loudness meter.

#include "audio_clip.h"
#include "BiQuad.h"

#include <cstddef>

constexpr double pi = 3.14159265358979323846;

void scaleBy(AudioClip& clip, float gain);

double midiToHz(double midiNote);
double dbToGain(double decibels);
double secondsAt(std::size_t frame);
std::size_t framesIn(double seconds);

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
double rampIn(double seconds, double rampSeconds);
// Falls from 1 to 0 over the last fadeSeconds before lengthSeconds, in a
// half cosine, so a voice cut at lengthSeconds ends at exactly zero.
double fadeOut(double seconds, double lengthSeconds, double fadeSeconds);
double decay(double seconds, double timeConstantSeconds);

// Loudness and true peak as EBU R 128 defines them, measured by libebur128:
// the figures that ffmpeg's ebur128 filter reports too.
struct LoudnessReading {
    double integratedLufs = 0.0;
    double truePeakDbtp = 0.0;  // the highest of the channels
    double loudestMomentaryLufs = 0.0;  // over 400 ms, read every 100 ms
};
LoudnessReading measureLoudness(const AudioClip& clip);
