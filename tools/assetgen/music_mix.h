#pragma once
// The music track "qrv": its notes rendered by the voices, mixed with
// reverb and delay, faded out and mastered, in stereo.

#include "audio.h"
#include "music_score.h"

#include <vector>

// The music's mixing desk: renders every note onto its bus, pumps the
// ducked bus with the kick, runs the reverb and the ping-pong delay on the
// send buses, and sums it all to one stereo clip.

// Mixes the notes into a stereo clip of the given length; notes that ring
// past its end are cut there.
AudioClip mixTrack(const std::vector<NoteEvent>& notes, std::size_t frames);

// Pulls the master fader down from firstFrame over fadeFrames, to exact
// silence from then on: the reverb and the delay die with the rest.
void fadeToSilence(AudioClip& mix, std::size_t firstFrame, std::size_t fadeFrames);

// The music track "qrv", composed, mixed, faded out and mastered, in
// stereo. assets/music.json loops it from just before the drop
// (loopToMilliseconds in music_score.h), should it ever play past its end.

// False after an error line when the master fails its peak check.
bool renderMusic(AudioClip& music);
