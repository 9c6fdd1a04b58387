#pragma once
// Mastering: brings the mix to the loudness that streaming players expect
// and keeps its peaks under a ceiling with a look-ahead limiter.

#include "sound_clip.h"

constexpr double targetLoudnessLufs = -14.0;
// Sample peaks stop here; the margin to -1 dBTP covers the peaks between
// samples and what the Vorbis encoder adds.
constexpr double limiterCeilingDbfs = -2.4;

// Limits the peaks of the clip to ceiling without bending any waveform:
// the gain falls ahead of each peak and recovers behind it.
void limitPeaks(AudioClip& clip, float ceiling);

// The mix, mastered: brought to the target loudness, then limited.
AudioClip masterTrack(const AudioClip& mix);
