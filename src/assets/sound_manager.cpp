#include "assets/sound_manager.h"

#include "assets/manifest.h"

#include <utility>

static const ManifestKind SOUNDS{"SoundManager: ", "sounds", "file"};
// play needs the first voice; the audio device has 256 sources in all.
static constexpr std::int32_t MAX_VOICES = 256;

bool SoundManager::loadManifest(std::string path)
{
    nlohmann::json document;
    if (!readManifest(SOUNDS, path, document)) return false;
    return loadFromJson(std::move(document));
}

bool SoundManager::loadFromJson(nlohmann::json document)
{
    return forEachEntry(SOUNDS, document, [this](const std::string& key, EntryFields& fields) {
        const std::int32_t instances = fields.read<std::int32_t>("instances", 1);
        const std::string file = fields.read<std::string>("file", "");
        if (!fields.failed()) add(key, file, instances);
    });
}

bool SoundManager::add(std::string key, std::string file, std::int32_t instances)
{
    if (exists(key)) {
        reportLine(SOUNDS.prefix, "Sound with key " + key + " already exists.");
        return false;
    }
    if (instances < 1 || instances > MAX_VOICES) {
        reportLine(SOUNDS.prefix, "Sound with key " + key + " needs 1 to " + std::to_string(MAX_VOICES) +
                                      " instances.");
        return false;
    }
    SoundPool* pool = new SoundPool();
    if (!isRegularFile(file) || !pool->buffer.loadFromFile(file)) {
        reportLine(SOUNDS.prefix, "Unable to load file " + file + ".");
        delete pool;
        return false;
    }
    pool->voiceCount = instances;
    pool->voices.reset(new sf::Sound[instances]);
    for (std::int32_t i = 0; i < instances; ++i) pool->voices[i].setBuffer(pool->buffer);
    sounds[key] = pool;
    return true;
}

bool SoundManager::exists(std::string key)
{
    return sounds.count(key) != 0;
}

void SoundManager::play(std::string key)
{
    if (!exists(key)) {
        reportLine(SOUNDS.prefix, "Sound with key " + key + " does not exist.");
        return;
    }
    if (muted) return;
    // Voice 0 only: a sound restarts rather than overlapping itself.
    sf::Sound& voice = sounds[key]->voices[0];
    voice.stop();
    voice.play();
    if (onPlay) onPlay(key);
}

void SoundManager::releaseAll()
{
    for (auto& sound : sounds) delete sound.second;
    sounds.clear();
}
