#include "assets/music_manager.h"

#include "assets/manifest.h"

#include <cmath>
#include <utility>

static const ManifestKind MUSIC{"MusicManager: ", "music", "file"};
// The loop point becomes a whole number of milliseconds when a song plays.
static constexpr double LOOP_POINT_LIMIT_MS = 2147483647.0;

bool MusicManager::loadManifest(std::string path)
{
    nlohmann::json document;
    if (!readManifest(MUSIC, path, document)) return false;
    return loadFromJson(std::move(document));
}

bool MusicManager::loadFromJson(nlohmann::json document)
{
    return forEachEntry(MUSIC, document, [this](const std::string& key, EntryFields& fields) {
        Song song;
        song.volume = fields.read<std::int32_t>("volume", 100);
        song.loopTo = fields.read<double>("loopTo", 0.0);
        if (!(std::fabs(song.loopTo) < LOOP_POINT_LIMIT_MS)) fields.reject("loopTo", "Out of range value of");
        song.file = fields.read<std::string>("file", "");
        if (fields.failed()) return;
        // A later entry replaces a song of the same key; the old record stays
        // allocated, since a caller may still hold it.
        songs[key] = new Song(song);
    });
}

void MusicManager::play(std::string key, bool loop)
{
    if (songs.count(key) == 0) {
        reportLine(MUSIC.prefix, "Song with key " + key + " does not exist.");
        return;
    }
    const Song& song = *songs[key];
    if (!isRegularFile(song.file) || !music->openFromFile(song.file)) {
        music->stop();  // as opening drops whatever the stream held
        reportLine(MUSIC.prefix, "Unable to load music file " + song.file + ".");
        return;
    }
    music->setVolume(static_cast<float>(song.volume));
    music->setLoop(loop);
    // A length of -1 ms reaches past the end, which the stream cuts back to
    // the end of the file.
    music->setLoopPoints(sf::Music::TimeSpan(sf::milliseconds(static_cast<sf::Int32>(song.loopTo)),
                                            sf::milliseconds(static_cast<sf::Int32>(song.loopLength))));
    music->play();
    if (onPlay) onPlay(song, loop);
}
