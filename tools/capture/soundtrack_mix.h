#pragma once
// The soundtrack that the show plays at an ideal 60 frames per second, mixed
// offline from the logged starts and the same decoded files.

#include "soundtrack_log.h"
#include "stereo_clip.h"

#include <cstdint>
#include <string>

// Frames [firstFrame, endFrame) of the show's soundtrack, 48 kHz stereo.
StereoClip mixSoundtrack(const SoundtrackLog& log, std::int64_t firstFrame, std::int64_t endFrame);

// Writes the clip as a 16-bit WAV file, clipped to full scale. False after
// an error line.
bool writeWav(const StereoClip& clip, const std::string& path);
