#pragma once
// The music's mixing desk: renders every note onto its bus, pumps the
// ducked bus with the kick, runs the reverb and the ping-pong delay on the
// send buses, and sums it all to one stereo clip.

#include "music_score.h"
#include "sound_clip.h"

#include <vector>

// Mixes the notes into a stereo clip of the given length; notes that ring
// past its end are cut there.
AudioClip mixTrack(const std::vector<NoteEvent>& notes, std::size_t frames);

// Pulls the master fader down from firstFrame over fadeFrames, to exact
// silence from then on: the reverb and the delay die with the rest.
void fadeToSilence(AudioClip& mix, std::size_t firstFrame, std::size_t fadeFrames);
