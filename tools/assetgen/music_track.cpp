#include "music_track.h"

#include "music_master.h"
#include "music_mix.h"
#include "music_score.h"

AudioClip renderMusic()
{
    const AudioClip mix = mixTrack(composeTrack(), renderedBars * framesPerBar);
    return masterTrack(mix, trackBars * framesPerBar);
}
