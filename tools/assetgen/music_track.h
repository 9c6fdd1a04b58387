#pragma once
// The music track "qrv", composed, mixed and mastered, in stereo.
// assets/music.json loops it from the drop at the end of the intro
// (introBars bars in, 7680 ms at 125 BPM).

#include "sound_clip.h"

AudioClip renderMusic();
