#include "song_playback.h"

#include <SFML/Audio/InputSoundFile.hpp>

#include <algorithm>
#include <iostream>
#include <vector>

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

bool songPlayback(const Song& song, bool loop, std::int64_t length, unsigned rateHz, StereoClip& playback)
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
    const StereoClip whole = stereoFromSamples(decoded.data(), decoded.size(), channels, fileRate);
    const std::int64_t fileLength = whole.length();

    // The stream's own samples up to the wanted length (and a little more for
    // the interpolation), then brought to the soundtrack's rate.
    const std::int64_t neededLength = sourceLengthFor(length, fileRate, rateHz);
    StereoClip played;
    played.rateHz = fileRate;
    const LoopSpan span = loopSpanOf(song, fileLength, fileRate, channels);
    std::int64_t position = 0;
    while (played.length() < neededLength) {
        const std::int64_t end = loop ? span.end : fileLength;
        if (position >= end) {
            if (!loop || span.end <= span.start) break;
            position = span.start;
        }
        const std::int64_t take = std::min(end - position, neededLength - played.length());
        played.samples.insert(played.samples.end(), whole.samples.begin() + position * 2,
                              whole.samples.begin() + (position + take) * 2);
        position += take;
    }

    playback = resampled(played, rateHz);
    playback.samples.resize(static_cast<std::size_t>(length * 2), 0.0f);
    return true;
}
