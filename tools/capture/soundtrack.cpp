#include "soundtrack.h"

#include "frame_clock.h"
#include "assets/sound_manager.h"

#include <SFML/Audio/InputSoundFile.hpp>
#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>
#include <map>
#include <vector>

// The audio library pans a mono voice at the listener to the centre with
// equal power on both sides.
static const float MONO_SIDE_GAIN = static_cast<float>(1.0 / std::sqrt(2.0));
// More than the resampler's filter reaches past a sample, in source samples:
// a song is read this far beyond the stretch that the soundtrack needs.
static constexpr std::int64_t RESAMPLER_REACH = 4096;

// In samples per channel, as every position in a clip.
static std::int64_t lengthOf(const AudioClip& clip)
{
    return static_cast<std::int64_t>(clip.frames());
}

static AudioClip stereoClip(unsigned rateHz)
{
    AudioClip clip(SOUNDTRACK_CHANNELS, 0);
    clip.rateHz = rateHz;
    return clip;
}

AudioClip stereoFromSamples(const sf::Int16* samples, std::size_t count, unsigned channels, unsigned rateHz)
{
    AudioClip clip = stereoClip(rateHz);
    if (channels == 0) return clip;
    const std::size_t length = count / channels;
    clip.samples.resize(length * 2);
    for (std::size_t i = 0; i < length; ++i) {
        const sf::Int16* in = samples + i * channels;
        if (channels == 1) {
            const float side = static_cast<float>(in[0]) / int16FullScale * MONO_SIDE_GAIN;
            clip.samples[i * 2] = side;
            clip.samples[i * 2 + 1] = side;
        } else {
            clip.samples[i * 2] = static_cast<float>(in[0]) / int16FullScale;
            clip.samples[i * 2 + 1] = static_cast<float>(in[1]) / int16FullScale;
        }
    }
    return clip;
}

std::int64_t sourceLengthFor(std::int64_t outLength, unsigned fromRateHz, unsigned toRateHz)
{
    return outLength * fromRateHz / toRateHz + 1 + RESAMPLER_REACH;
}

AudioClip resampled(const AudioClip& clip, unsigned rateHz)
{
    if (clip.rateHz == rateHz || clip.rateHz == 0) return clip;
    AudioClip out = stereoClip(rateHz);
    const std::size_t inLength = static_cast<std::size_t>(lengthOf(clip));
    out.samples.resize((inLength * rateHz / clip.rateHz + 1) * 2);
    std::size_t outLength = 0;
    const soxr_error_t error = soxr_oneshot(clip.rateHz, rateHz, SOUNDTRACK_CHANNELS, clip.samples.data(), inLength,
                                            nullptr, out.samples.data(), out.samples.size() / 2, &outLength,
                                            nullptr, nullptr, nullptr);
    if (error) std::cerr << "bouncefest-capture: Unable to resample a sound: " << error << "." << std::endl;
    out.samples.resize(outLength * 2);
    return out;
}

static constexpr std::int64_t MICROSECONDS_PER_MILLISECOND = 1000;
static constexpr std::int64_t MICROSECONDS_PER_SECOND = 1000000;

// A loop point as the stream takes it: truncated to whole milliseconds,
// rounded to the nearest interleaved sample, then up to a whole sample per
// channel.
static std::int64_t loopPointSample(std::int64_t milliseconds, unsigned rateHz, unsigned channels)
{
    const std::int64_t interleaved =
        (milliseconds * MICROSECONDS_PER_MILLISECOND * rateHz * channels + MICROSECONDS_PER_SECOND / 2) /
        MICROSECONDS_PER_SECOND;
    return (interleaved + channels - 1) / channels;
}

// The span that a loop goes back over. The stream refuses a start past the
// end or a length of 0 and then keeps the whole file; a negative length
// reaches the end, as does one that would run past it.
struct LoopSpan {
    std::int64_t start = 0;
    std::int64_t end = 0;
};

static LoopSpan loopSpanOf(const Song& song, std::int64_t fileLength, unsigned rateHz, unsigned channels)
{
    const LoopSpan wholeFile{0, fileLength};
    const std::int64_t lengthMs = static_cast<std::int64_t>(song.loopLength);
    const std::int64_t start = loopPointSample(static_cast<std::int64_t>(song.loopTo), rateHz, channels);
    if (start >= fileLength || lengthMs == 0) return wholeFile;
    if (lengthMs < 0) return {start, fileLength};
    return {start, std::min(fileLength, start + loopPointSample(lengthMs, rateHz, channels))};
}

bool songPlayback(const Song& song, bool loop, std::int64_t length, unsigned rateHz, AudioClip& playback)
{
    sf::InputSoundFile file;
    if (!file.openFromFile(song.file)) {
        std::cerr << "bouncefest-capture: Unable to decode music file " << song.file << " for the soundtrack." << std::endl;
        return false;
    }
    const unsigned channels = file.getChannelCount();
    const unsigned fileRate = file.getSampleRate();
    std::vector<sf::Int16> decoded(static_cast<std::size_t>(file.getSampleCount()));
    decoded.resize(static_cast<std::size_t>(file.read(decoded.data(), decoded.size())));
    const AudioClip whole = stereoFromSamples(decoded.data(), decoded.size(), channels, fileRate);
    const std::int64_t fileLength = lengthOf(whole);

    // The stream's own samples up to the wanted length (and a little more for
    // the interpolation), then brought to the soundtrack's rate.
    const std::int64_t neededLength = sourceLengthFor(length, fileRate, rateHz);
    AudioClip played = stereoClip(fileRate);
    const LoopSpan span = loopSpanOf(song, fileLength, fileRate, channels);
    std::int64_t position = 0;
    while (lengthOf(played) < neededLength) {
        const std::int64_t end = loop ? span.end : fileLength;
        if (position >= end) {
            if (!loop || span.end <= span.start) break;
            position = span.start;
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

static constexpr float VOICE_GAIN = 1.0f;  // the voices play at volume 100
static constexpr float FULL_VOLUME = 100.0f;
static constexpr std::int64_t NEVER = std::numeric_limits<std::int64_t>::max();

// Adds samples [0, length) of source, placed at sample `at` of the whole
// soundtrack, to the part of it that the mix holds from sample mixStart.
static void addClip(AudioClip& mix, std::int64_t mixStart, const AudioClip& source, std::int64_t at,
                    std::int64_t length, float gain)
{
    const std::int64_t from = std::max(at, mixStart);
    const std::int64_t to = std::min({at + length, at + lengthOf(source), mixStart + lengthOf(mix)});
    for (std::int64_t sample = from; sample < to; ++sample) {
        const std::size_t in = static_cast<std::size_t>((sample - at) * 2);
        const std::size_t out = static_cast<std::size_t>((sample - mixStart) * 2);
        mix.samples[out] += gain * source.samples[in];
        mix.samples[out + 1] += gain * source.samples[in + 1];
    }
}

// Each start plays until it ends or until the next start of the same voice
// (the same key), which cuts it off and begins from the top.
static void addEffects(AudioClip& mix, std::int64_t mixStart, const SoundtrackLog& log)
{
    std::map<std::string, AudioClip> clips;
    for (std::size_t i = 0; i < log.effects.size(); ++i) {
        const EffectStart& start = log.effects[i];
        std::int64_t cutFrame = NEVER;
        for (std::size_t j = i + 1; j < log.effects.size() && cutFrame == NEVER; ++j) {
            if (log.effects[j].key == start.key) cutFrame = log.effects[j].frame;
        }
        auto clip = clips.find(start.key);
        if (clip == clips.end()) {
            const sf::SoundBuffer& buffer = soundManager.sounds.at(start.key)->buffer;
            const AudioClip decoded = stereoFromSamples(buffer.getSamples(), buffer.getSampleCount(),
                                                         buffer.getChannelCount(), buffer.getSampleRate());
            clip = clips.emplace(start.key, resampled(decoded, SOUNDTRACK_RATE_HZ)).first;
        }
        const std::int64_t at = start.frame * SAMPLES_PER_FRAME;
        const std::int64_t length = cutFrame == NEVER ? NEVER - at : (cutFrame - start.frame) * SAMPLES_PER_FRAME;
        addClip(mix, mixStart, clip->second, at, length, VOICE_GAIN);
    }
}

// One stream: a song plays until the next song starts, or to the mix's end.
static void addSongs(AudioClip& mix, std::int64_t mixStart, const SoundtrackLog& log)
{
    const std::int64_t mixEnd = mixStart + lengthOf(mix);
    for (std::size_t i = 0; i < log.songs.size(); ++i) {
        const SongStart& start = log.songs[i];
        const std::int64_t at = start.frame * SAMPLES_PER_FRAME;
        std::int64_t until = mixEnd;
        if (i + 1 < log.songs.size()) until = std::min(until, log.songs[i + 1].frame * SAMPLES_PER_FRAME);
        if (until <= std::max(at, mixStart)) continue;
        AudioClip playback;
        if (!songPlayback(start.song, start.loop, until - at, SOUNDTRACK_RATE_HZ, playback)) continue;
        addClip(mix, mixStart, playback, at, until - at, static_cast<float>(start.song.volume) / FULL_VOLUME);
    }
}

AudioClip mixSoundtrack(const SoundtrackLog& log, std::int64_t firstFrame, std::int64_t endFrame)
{
    AudioClip mix = stereoClip(SOUNDTRACK_RATE_HZ);
    mix.samples.assign(static_cast<std::size_t>((endFrame - firstFrame) * SAMPLES_PER_FRAME * 2), 0.0f);
    const std::int64_t mixStart = firstFrame * SAMPLES_PER_FRAME;
    addEffects(mix, mixStart, log);
    addSongs(mix, mixStart, log);
    return mix;
}

bool writeWav(const AudioClip& clip, const std::string& path)
{
    if (writeClipFile(clip, path)) return true;
    std::cerr << "bouncefest-capture: Unable to write the soundtrack to " << path << "." << std::endl;
    return false;
}
