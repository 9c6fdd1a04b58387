#pragma once
// What the effects and the music share: the clip they are built in and the
// signal helpers.

#include "audio_clip.h"
#include "BiQuad.h"

#include <cstddef>
#include <string>

float peakOf(const AudioClip& clip);
void scaleBy(AudioClip& clip, float gain);
void scaleToPeak(AudioClip& clip, float peak);

// Takes out the clip's mean through a half-sine bump over its whole length,
// which keeps both ends where they were (at zero) and adds nothing audible.
void removeOffset(AudioClip& clip);

// writeClipFile with the generator's error line.
bool writeClip(const AudioClip& clip, const std::string& path);

// Signal helpers shared by the effects and the music: filter design for
// STK's BiQuad, pitch and level conversions, panning and envelopes.

double midiToHz(double midiNote);
double dbToGain(double decibels);
double secondsAt(std::size_t frame);
std::size_t framesIn(double seconds);

// Second-order (RBJ cookbook) responses; q of 0.707 is the flattest.
void setLowPass(stk::BiQuad& filter, double cutoffHz, double q);
void setHighPass(stk::BiQuad& filter, double cutoffHz, double q);
void setBandPass(stk::BiQuad& filter, double centreHz, double q);

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
