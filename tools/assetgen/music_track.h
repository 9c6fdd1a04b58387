#pragma once
// The music track "qrv", composed, mixed, faded out and mastered, in
// stereo. assets/music.json loops it from just before the drop
// (loopToMilliseconds in music_score.h), should it ever play past its end.

#include "sound_clip.h"

AudioClip renderMusic();
