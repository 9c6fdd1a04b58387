#pragma once
// The two effects of the show: "bounce" for every ball contact and "lo",
// which announces each intro card.

#include "audio.h"

// A rubber-ball thump, stereo, 14 ms, its peak in the first few milliseconds.
AudioClip renderBounce();

// A deep, warm chord on A that swells for 1.8 s, rings in a room and dies away, stereo, 4.6 s.
// False, after an error line, when it would peak over -1 dBTP.
bool renderLo(AudioClip& clip);
