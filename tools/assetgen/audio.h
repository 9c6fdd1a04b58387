#pragma once
// What the effects and the music share: the clip they are built in and the
// signal helpers.

#include "BiQuad.h"

#include <cstddef>
#include <string>
#include <vector>

// Interleaved float audio (full scale is 1) as the effects and the music are
// built, and its way out to a 16-bit file through SFML's sound-file writer.

struct AudioClip {
    unsigned channels = 1;
    std::vector<float> samples;

    AudioClip() = default;
    AudioClip(unsigned channelCount, std::size_t frameCount);

    std::size_t frames() const;
    float& at(std::size_t frame, unsigned channel);
    float at(std::size_t frame, unsigned channel) const;
};

float peakOf(const AudioClip& clip);
void scaleBy(AudioClip& clip, float gain);
void scaleToPeak(AudioClip& clip, float peak);

// Takes out the clip's mean through a half-sine bump over its whole length,
// which keeps both ends where they were (at zero) and adds nothing audible.
void removeOffset(AudioClip& clip);

// The writer picks the format by the extension (".wav", ".ogg", ".flac").
// False, after an error line, when the file cannot be written.
bool writeClip(const AudioClip& clip, const std::string& path);

// Signal helpers shared by the effects and the music: filter design for
// STK's BiQuad, pitch and level conversions, panning and envelopes.

constexpr unsigned sampleRateHz = 44100;

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
