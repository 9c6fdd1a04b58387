#include "soundtrack_mix.h"

#include "assets/sound_manager.h"
#include "frame_clock.h"
#include "song_playback.h"

#include <SFML/Audio/OutputSoundFile.hpp>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>
#include <map>
#include <vector>

static constexpr float VOICE_GAIN = 1.0f;  // the voices play at volume 100
static constexpr float FULL_VOLUME = 100.0f;
static constexpr float INT16_FULL_SCALE = 32768.0f;
static constexpr std::int64_t NEVER = std::numeric_limits<std::int64_t>::max();

// Adds samples [0, length) of source, placed at sample `at` of the whole
// soundtrack, to the part of it that the mix holds from sample mixStart.
static void addClip(StereoClip& mix, std::int64_t mixStart, const StereoClip& source, std::int64_t at,
                    std::int64_t length, float gain)
{
    const std::int64_t from = std::max(at, mixStart);
    const std::int64_t to = std::min({at + length, at + source.length(), mixStart + mix.length()});
    for (std::int64_t sample = from; sample < to; ++sample) {
        const std::size_t in = static_cast<std::size_t>((sample - at) * 2);
        const std::size_t out = static_cast<std::size_t>((sample - mixStart) * 2);
        mix.samples[out] += gain * source.samples[in];
        mix.samples[out + 1] += gain * source.samples[in + 1];
    }
}

// Each start plays until it ends or until the next start of the same voice
// (the same key), which cuts it off and begins from the top.
static void addEffects(StereoClip& mix, std::int64_t mixStart, const SoundtrackLog& log)
{
    std::map<std::string, StereoClip> clips;
    for (std::size_t i = 0; i < log.effects.size(); ++i) {
        const EffectStart& start = log.effects[i];
        std::int64_t cutFrame = NEVER;
        for (std::size_t j = i + 1; j < log.effects.size() && cutFrame == NEVER; ++j) {
            if (log.effects[j].key == start.key) cutFrame = log.effects[j].frame;
        }
        auto clip = clips.find(start.key);
        if (clip == clips.end()) {
            const sf::SoundBuffer& buffer = soundManager.sounds.at(start.key)->buffer;
            const StereoClip decoded = stereoFromSamples(buffer.getSamples(), buffer.getSampleCount(),
                                                         buffer.getChannelCount(), buffer.getSampleRate());
            clip = clips.emplace(start.key, resampled(decoded, SOUNDTRACK_RATE_HZ)).first;
        }
        const std::int64_t at = start.frame * SAMPLES_PER_FRAME;
        const std::int64_t length = cutFrame == NEVER ? NEVER - at : (cutFrame - start.frame) * SAMPLES_PER_FRAME;
        addClip(mix, mixStart, clip->second, at, length, VOICE_GAIN);
    }
}

// One stream: a song plays until the next song starts, or to the mix's end.
static void addSongs(StereoClip& mix, std::int64_t mixStart, const SoundtrackLog& log)
{
    const std::int64_t mixEnd = mixStart + mix.length();
    for (std::size_t i = 0; i < log.songs.size(); ++i) {
        const SongStart& start = log.songs[i];
        const std::int64_t at = start.frame * SAMPLES_PER_FRAME;
        std::int64_t until = mixEnd;
        if (i + 1 < log.songs.size()) until = std::min(until, log.songs[i + 1].frame * SAMPLES_PER_FRAME);
        if (until <= std::max(at, mixStart)) continue;
        StereoClip playback;
        if (!songPlayback(start.song, start.loop, until - at, SOUNDTRACK_RATE_HZ, playback)) continue;
        addClip(mix, mixStart, playback, at, until - at, static_cast<float>(start.song.volume) / FULL_VOLUME);
    }
}

StereoClip mixSoundtrack(const SoundtrackLog& log, std::int64_t firstFrame, std::int64_t endFrame)
{
    StereoClip mix;
    mix.rateHz = SOUNDTRACK_RATE_HZ;
    mix.samples.assign(static_cast<std::size_t>((endFrame - firstFrame) * SAMPLES_PER_FRAME * 2), 0.0f);
    const std::int64_t mixStart = firstFrame * SAMPLES_PER_FRAME;
    addEffects(mix, mixStart, log);
    addSongs(mix, mixStart, log);
    return mix;
}

bool writeWav(const StereoClip& clip, const std::string& path)
{
    std::vector<sf::Int16> samples(clip.samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const float scaled = std::round(clip.samples[i] * INT16_FULL_SCALE);
        samples[i] = static_cast<sf::Int16>(std::clamp(scaled, -INT16_FULL_SCALE, INT16_FULL_SCALE - 1.0f));
    }
    sf::OutputSoundFile file;
    if (!file.openFromFile(path, clip.rateHz, SOUNDTRACK_CHANNELS)) {
        std::cerr << "bouncefest-capture: Unable to write the soundtrack to " << path << "." << std::endl;
        return false;
    }
    file.write(samples.data(), samples.size());
    return true;
}
