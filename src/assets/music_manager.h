#pragma once

#include <SFML/Audio/Music.hpp>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

// Where a song is and how it plays; the file is opened only by play.
struct Song {
    std::string file;
    std::int32_t volume = 100;
    double loopTo = 0.0;        // ms, where a loop goes back to
    double loopLength = -1.0;   // ms; -1 reaches to the end of the file
};

// The songs of the show and the one stream that plays them.
struct MusicManager {
    std::unordered_map<std::string, Song*> songs;  // records never move or die
    std::unique_ptr<sf::Music> music;  // made with the GL objects: it opens the audio device
    // Told of every song that starts; the capture tool records them.
    std::function<void(const Song& song, bool loop)> onPlay;

    bool loadManifest(std::string path);
    bool loadFromJson(nlohmann::json document);
    void play(std::string key, bool loop);
};

extern MusicManager musicManager;
