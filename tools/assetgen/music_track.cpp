#include "music_track.h"

#include "mastering.h"
#include "music_mix.h"
#include "music_score.h"

bool renderMusic(AudioClip& music)
{
    AudioClip mix = mixTrack(composeTrack(), trackFrames);
    fadeToSilence(mix, endingBar * framesPerBar, static_cast<std::size_t>(fadeBeats * framesPerBeat));
    return masterTrack(mix, music);
}
