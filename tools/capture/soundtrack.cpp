// The soundtrack: every sound effect and song that starts during the run, logged with its frame, and mixed
// offline from the same decoded files into 48 kHz stereo.
#include "capture.h"

#include "assets/sound_manager.h"

#include <SFML/Audio/InputSoundFile.hpp>
#include <soxr.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iostream>
#include <limits>
#include <map>

// In samples per channel, as every position in a clip.
static std::int64_t lengthOf(const AudioClip& clip)
{
    return static_cast<std::int64_t>(clip.frames());
}

static AudioClip stereoClip(unsigned rateHz)
{
    AudioClip clip(2, 0);
    clip.rateHz = rateHz;
    return clip;
}

// 16-bit samples of any channel count in stereo: mono goes to both sides, channels past the second are dropped.
static AudioClip stereoFromSamples(const sf::Int16* samples, std::size_t count, unsigned channels, unsigned rateHz)
{
    AudioClip clip = stereoClip(rateHz);
    if (channels == 0) return clip;
    // The audio library pans a mono voice at the listener to the centre with equal power on both sides.
    const float gain = channels == 1 ? static_cast<float>(1.0 / std::sqrt(2.0)) : 1.0f;
    clip.samples.resize(count / channels * 2);
    for (std::size_t i = 0; i < count / channels; ++i) {
        const sf::Int16* in = samples + i * channels;
        clip.samples[i * 2] = static_cast<float>(in[0]) / int16FullScale * gain;
        clip.samples[i * 2 + 1] = static_cast<float>(in[channels == 1 ? 0 : 1]) / int16FullScale * gain;
    }
    return clip;
}

// The same sound at another rate, through libsoxr at its very high quality.
static AudioClip resampled(const AudioClip& clip, unsigned rateHz)
{
    if (clip.rateHz == rateHz || clip.rateHz == 0) return clip;
    AudioClip out = stereoClip(rateHz);
    const std::size_t inLength = clip.frames();
    out.samples.resize((inLength * rateHz / clip.rateHz + 1) * 2);
    std::size_t outLength = 0;
    const soxr_error_t error = soxr_oneshot(clip.rateHz, rateHz, 2, clip.samples.data(), inLength, nullptr,
                                            out.samples.data(), out.samples.size() / 2, &outLength, nullptr, nullptr,
                                            nullptr);
    if (error) std::cerr << "bouncefest-capture: Unable to resample a sound: " << error << "." << std::endl;
    out.samples.resize(outLength * 2);
    return out;
}

// A loop point as the music stream takes it: truncated to whole milliseconds, rounded to the nearest
// interleaved sample, then up to a whole sample per channel.
static std::int64_t loopPointSample(double milliseconds, unsigned rateHz, unsigned channels)
{
    const std::int64_t interleaved =
        (static_cast<std::int64_t>(milliseconds) * 1000 * rateHz * channels + 500000) / 1000000;
    return (interleaved + channels - 1) / channels;
}

// The first `length` samples at rateHz of what the music stream plays of a song from its start: the file from
// its beginning and then, when it loops, its loop span again and again (silence after its end when it does not
// loop). False after an error line when the file cannot be decoded.
static bool songPlayback(const Song& song, bool loop, std::int64_t length, unsigned rateHz, AudioClip& playback)
{
    sf::InputSoundFile file;
    if (!file.openFromFile(song.file)) {
        std::cerr << "bouncefest-capture: Unable to decode music file " << song.file << " for the soundtrack."
                  << std::endl;
        return false;
    }
    const unsigned channels = file.getChannelCount();
    const unsigned fileRate = file.getSampleRate();
    std::vector<sf::Int16> decoded(static_cast<std::size_t>(file.getSampleCount()));
    decoded.resize(static_cast<std::size_t>(file.read(decoded.data(), decoded.size())));
    const AudioClip whole = stereoFromSamples(decoded.data(), decoded.size(), channels, fileRate);
    const std::int64_t fileLength = lengthOf(whole);

    // The span that a loop goes back over. The stream refuses a start past the end or a length of 0 and then
    // keeps the whole file; a negative length reaches the end, as does one that would run past it.
    std::int64_t loopStart = loopPointSample(song.loopTo, fileRate, channels);
    std::int64_t loopEnd = fileLength;
    if (loopStart >= fileLength || static_cast<std::int64_t>(song.loopLength) == 0) {
        loopStart = 0;
    } else if (song.loopLength > 0) {
        loopEnd = std::min(fileLength, loopStart + loopPointSample(song.loopLength, fileRate, channels));
    }

    // The stream's own samples up to the wanted length, and more than the resampler's filter reaches past a
    // sample, then brought to the soundtrack's rate.
    const std::int64_t neededLength = length * fileRate / rateHz + 1 + 4096;
    AudioClip played = stereoClip(fileRate);
    std::int64_t position = 0;
    while (lengthOf(played) < neededLength) {
        const std::int64_t end = loop ? loopEnd : fileLength;
        if (position >= end) {
            if (!loop || loopEnd <= loopStart) break;
            position = loopStart;
        }
        const std::int64_t take = std::min(end - position, neededLength - lengthOf(played));
        played.samples.insert(played.samples.end(), whole.samples.begin() + position * 2,
                              whole.samples.begin() + (position + take) * 2);
        position += take;
    }
    playback = resampled(played, rateHz);
    playback.samples.resize(static_cast<std::size_t>(length * 2), 0.0f);
    return true;
}

SoundtrackLog soundtrackLog;

void SoundtrackLog::listen()
{
    soundManager.onPlay = [this](const std::string& key) { effects.push_back({currentFrame, key}); };
    musicManager.onPlay = [this](const Song& song, bool loop) { songs.push_back({currentFrame, song, loop}); };
}

static constexpr std::int64_t NEVER = std::numeric_limits<std::int64_t>::max();

// Adds samples [0, length) of source, placed at sample `at` of the whole soundtrack, to the part of it that the
// mix holds from sample mixStart.
static void addClip(AudioClip& mix, std::int64_t mixStart, const AudioClip& source, std::int64_t at,
                    std::int64_t length, float gain)
{
    const std::int64_t to = std::min({at + length, at + lengthOf(source), mixStart + lengthOf(mix)});
    for (std::int64_t sample = std::max(at, mixStart); sample < to; ++sample) {
        const std::size_t in = static_cast<std::size_t>((sample - at) * 2);
        const std::size_t out = static_cast<std::size_t>((sample - mixStart) * 2);
        mix.samples[out] += gain * source.samples[in];
        mix.samples[out + 1] += gain * source.samples[in + 1];
    }
}

AudioClip mixSoundtrack(std::int64_t firstFrame, std::int64_t endFrame)
{
    AudioClip mix = stereoClip(SOUNDTRACK_RATE_HZ);
    mix.samples.assign(static_cast<std::size_t>((endFrame - firstFrame) * SAMPLES_PER_FRAME * 2), 0.0f);
    const std::int64_t mixStart = firstFrame * SAMPLES_PER_FRAME;
    const std::vector<EffectStart>& effects = soundtrackLog.effects;
    const std::vector<SongStart>& songs = soundtrackLog.songs;

    // An effect plays, at volume 100, until it ends or until the next start of the same voice (the same key),
    // which cuts it off and begins from the top.
    std::map<std::string, AudioClip> clips;
    for (auto start = effects.begin(); start != effects.end(); ++start) {
        const auto cut =
            std::find_if(start + 1, effects.end(), [&](const EffectStart& later) { return later.key == start->key; });
        auto clip = clips.find(start->key);
        if (clip == clips.end()) {
            const sf::SoundBuffer& buffer = soundManager.sounds.at(start->key)->buffer;
            const AudioClip decoded = stereoFromSamples(buffer.getSamples(), buffer.getSampleCount(),
                                                         buffer.getChannelCount(), buffer.getSampleRate());
            clip = clips.emplace(start->key, resampled(decoded, SOUNDTRACK_RATE_HZ)).first;
        }
        const std::int64_t at = start->frame * SAMPLES_PER_FRAME;
        const std::int64_t length = cut == effects.end() ? NEVER - at : (cut->frame - start->frame) * SAMPLES_PER_FRAME;
        addClip(mix, mixStart, clip->second, at, length, 1.0f);
    }

    // One stream: a song plays until the next song starts, or to the mix's end.
    for (std::size_t i = 0; i < songs.size(); ++i) {
        const std::int64_t at = songs[i].frame * SAMPLES_PER_FRAME;
        std::int64_t until = mixStart + lengthOf(mix);
        if (i + 1 < songs.size()) until = std::min(until, songs[i + 1].frame * SAMPLES_PER_FRAME);
        if (until <= std::max(at, mixStart)) continue;
        AudioClip playback;
        if (!songPlayback(songs[i].song, songs[i].loop, until - at, SOUNDTRACK_RATE_HZ, playback)) continue;
        addClip(mix, mixStart, playback, at, until - at, static_cast<float>(songs[i].song.volume) / 100.0f);
    }
    return mix;
}

bool writeWav(const AudioClip& clip, const std::string& path)
{
    if (writeWavFile(clip, path)) return true;
    const char* reason = std::strerror(errno);  // before the line's own writes can change errno
    std::cerr << "bouncefest-capture: Unable to write the soundtrack to " << path << ": " << reason << "." << std::endl;
    return false;
}
