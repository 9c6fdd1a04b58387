#pragma once
// The music track "qrv", composed, mixed and mastered: stereo, 53.76 s.
// assets/music.json loops it from the drop at the end of the intro.

#include "sound_clip.h"

AudioClip renderMusic();
