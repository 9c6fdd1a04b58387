#pragma once
// Mastering: brings the mix to the loudness that streaming players expect
// and keeps its peaks under a ceiling with a look-ahead limiter. Loudness
// and true peak are measured as EBU R 128 defines them, by libebur128, the
// figures that ffmpeg's ebur128 filter reports too.

#include "audio.h"

constexpr double targetLoudnessLufs = -14.0;
// Sample peaks stop here; the margin to -1 dBTP covers the peaks between
// samples and what the Vorbis encoder adds.
constexpr double limiterCeilingDbfs = -2.4;
// The true peak that a master may reach before it is encoded.
constexpr double maxTruePeakDbtp = -1.0;

struct LoudnessReading {
    double integratedLufs = 0.0;
    double truePeakDbtp = 0.0;  // the highest of the channels
    double loudestMomentaryLufs = 0.0;  // over 400 ms, read every 100 ms
};

LoudnessReading measureLoudness(const AudioClip& clip);

// Limits the peaks of the clip to ceiling without bending any waveform:
// the gain falls ahead of each peak and recovers behind it.
void limitPeaks(AudioClip& clip, float ceiling);

// The mix, brought to the target loudness, then limited. False, after an
// error line, when the result still peaks over maxTruePeakDbtp.
bool masterTrack(const AudioClip& mix, AudioClip& mastered);
