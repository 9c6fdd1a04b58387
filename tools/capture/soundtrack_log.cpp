#include "soundtrack_log.h"

#include "assets/sound_manager.h"

SoundtrackLog soundtrackLog;

void SoundtrackLog::listen()
{
    soundManager.onPlay = [this](const std::string& key) { effects.push_back({currentFrame, key}); };
    musicManager.onPlay = [this](const Song& song, bool loop) { songs.push_back({currentFrame, song, loop}); };
}
