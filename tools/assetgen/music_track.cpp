#include "music_track.h"

#include "music_master.h"
#include "music_mix.h"
#include "music_score.h"

AudioClip renderMusic()
{
    AudioClip mix = mixTrack(composeTrack(), trackFrames);
    fadeToSilence(mix, endingBar * framesPerBar, static_cast<std::size_t>(fadeBeats * framesPerBeat));
    return masterTrack(mix);
}
