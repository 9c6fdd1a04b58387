#pragma once

#include <SFML/Audio/Sound.hpp>
#include <SFML/Audio/SoundBuffer.hpp>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

// One sound effect: its samples and the voices bound to them. The voices
// go first when a pool is freed, as they play from the buffer.
struct SoundPool {
    sf::SoundBuffer buffer;
    std::unique_ptr<sf::Sound[]> voices;  // voiceCount voices; play uses the first
    std::int32_t voiceCount = 0;
};

// Every sound effect of the show, decoded into memory at start-up.
struct SoundManager {
    std::unordered_map<std::string, SoundPool*> sounds;  // records never move or die
    bool muted = false;
    // Told of every sound that starts; the capture tool records them.
    std::function<void(const std::string& key)> onPlay;

    bool loadManifest(std::string path);
    bool loadFromJson(nlohmann::json document);
    bool add(std::string key, std::string file, std::int32_t instances);
    bool exists(std::string key);
    void play(std::string key);  // restarts voice 0
    // Frees every sound, so that the audio device can close at exit.
    void releaseAll();
};

extern SoundManager soundManager;
