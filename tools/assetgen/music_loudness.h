#pragma once
// Integrated loudness as ITU-R BS.1770 defines it (K-weighted, gated
// 400 ms blocks), the figure that ffmpeg's ebur128 filter reports.

#include "sound_clip.h"

double integratedLoudnessLufs(const AudioClip& clip);
