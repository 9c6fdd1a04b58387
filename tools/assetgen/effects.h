#pragma once
// The two effects of the show: "bounce" for every ball contact and "lo",
// which announces each intro card.

#include "audio.h"

// A rubber-ball thump, stereo, 14 ms, its peak in the first few milliseconds.
AudioClip renderBounce();

// A deep, warm impact on A that swells, rings in a room and dies away, stereo, 2.2 s.
AudioClip renderLo();
