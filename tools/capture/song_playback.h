#pragma once
// What the music stream plays of a song from its start: the file from its
// beginning and then, when it loops, its loop span again and again.

#include "assets/music_manager.h"
#include "stereo_clip.h"

#include <cstdint>

// The first `length` samples of the song's playback at rateHz (silence
// after its end when it does not loop). False after an error line when the
// file cannot be decoded.
bool songPlayback(const Song& song, bool loop, std::int64_t length, unsigned rateHz, StereoClip& playback);
