#include "music_voices.h"

#include "sound_dsp.h"

#include <array>

namespace {

constexpr double voiceRampSeconds = 0.0015;
constexpr unsigned maxVoiceChannels = 2;

}  // namespace

AudioClip shapedVoice(unsigned channels, double lengthSeconds, double fadeSeconds, double level,
                      const FrameSource& source)
{
    AudioClip clip(channels, framesIn(lengthSeconds));
    std::array<double, maxVoiceChannels> frameSamples{};
    for (std::size_t frame = 0; frame < clip.frames(); ++frame) {
        const double t = secondsAt(frame);
        source(t, frameSamples.data());
        const double gain =
            level * rampIn(t, voiceRampSeconds) * fadeOut(t, lengthSeconds, fadeSeconds);
        for (unsigned channel = 0; channel < channels; ++channel)
            clip.at(frame, channel) = static_cast<float>(frameSamples[channel] * gain);
    }
    return clip;
}
