#include "sounds.h"

#include "music_track.h"
#include "sound_effects.h"

#include <filesystem>
#include <iostream>

namespace fs = std::filesystem;

bool generateSounds(const std::string& assetsDir)
{
    const fs::path soundsDir = fs::path(assetsDir) / "sounds";
    const fs::path musicDir = fs::path(assetsDir) / "music";
    for (const fs::path& folder : {soundsDir, musicDir}) {
        std::error_code error;
        fs::create_directories(folder, error);
        if (error) {
            std::cerr << "assetgen: Unable to create " << folder.string() << "." << std::endl;
            return false;
        }
    }
    const bool bounceDone = writeClip(renderBounce(), (soundsDir / "bounce.wav").string());
    const bool loDone = writeClip(renderLo(), (soundsDir / "lo.wav").string());
    AudioClip music;
    const bool musicDone = renderMusic(music) && writeClip(music, (musicDir / "qrv.ogg").string());
    return bounceDone && loDone && musicDone;
}
