#pragma once
// Every sound effect and song that starts during the capture, with the
// frame in which it started.

#include "assets/music_manager.h"

#include <cstdint>
#include <string>
#include <vector>

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
