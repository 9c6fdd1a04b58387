#pragma once
// The soundtrack: every sound effect and song that starts during the run,
// logged with its frame, and mixed offline from the same decoded files
// into 48 kHz stereo.

#include "assetgen/audio_clip.h"
#include "assets/music_manager.h"

#include <SFML/Config.hpp>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Sound as the soundtrack mixes it: stereo clips at a known rate.

// Converts 16-bit samples of any channel count: mono goes to both sides,
// channels past the second are dropped.
AudioClip stereoFromSamples(const sf::Int16* samples, std::size_t count, unsigned channels, unsigned rateHz);

// The same sound at another rate (libsoxr, its very high quality).
AudioClip resampled(const AudioClip& clip, unsigned rateHz);

// How long a source `resampled` reads for the first outLength samples.
std::int64_t sourceLengthFor(std::int64_t outLength, unsigned fromRateHz, unsigned toRateHz);

// What the music stream plays of a song from its start: the file from its
// beginning and then, when it loops, its loop span again and again.

// The first `length` samples of the song's playback at rateHz (silence
// after its end when it does not loop). False after an error line when the
// file cannot be decoded.
bool songPlayback(const Song& song, bool loop, std::int64_t length, unsigned rateHz, AudioClip& playback);

// Every sound effect and song that starts during the capture, with the
// frame in which it started.

struct EffectStart {
    std::int64_t frame = 0;
    std::string key;
};

struct SongStart {
    std::int64_t frame = 0;
    Song song;  // a copy: what the stream was set up with at that moment
    bool loop = false;
};

struct SoundtrackLog {
    std::int64_t currentFrame = 0;  // the frame that runs now
    std::vector<EffectStart> effects;
    std::vector<SongStart> songs;

    // Hooks the log to the sound and music managers.
    void listen();
};

extern SoundtrackLog soundtrackLog;

// The soundtrack that the show plays at an ideal 60 frames per second, mixed
// offline from the logged starts and the same decoded files.

// Frames [firstFrame, endFrame) of the show's soundtrack, 48 kHz stereo.
AudioClip mixSoundtrack(const SoundtrackLog& log, std::int64_t firstFrame, std::int64_t endFrame);

// Writes the clip as a 16-bit WAV file (writeClipFile). False after an
// error line.
bool writeWav(const AudioClip& clip, const std::string& path);
