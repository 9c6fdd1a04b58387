// The music's mixing desk and mastering: the notes on their buses, the kick's
// ducking, reverb and ping-pong delay, the fade-out, and the loudness that
// streaming players expect under a look-ahead limiter.
#include "assetgen.h"
#include "music.h"

#include "Delay.h"
#include "FreeVerb.h"
#include "OnePole.h"
#include "PoleZero.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <tuple>

namespace {

// Each kick pulls the bus down within a few milliseconds and lets it swell
// back within the beat; overlapping dips take the deeper, so the gain never jumps.
void duck(AudioClip& bus, const std::vector<NoteEvent>& notes)
{
    std::vector<std::size_t> kicks;
    for (const NoteEvent& note : notes)
        if (note.instrument == Instrument::Kick)
            kicks.push_back(static_cast<std::size_t>(note.startBeat * framesPerBeat));
    std::sort(kicks.begin(), kicks.end());
    std::size_t next = 0;
    for (std::size_t frame = 0; frame < bus.frames(); ++frame) {
        while (next < kicks.size() && kicks[next] <= frame) ++next;
        double dip = 0.0;
        for (std::size_t k = next >= 2 ? next - 2 : 0; k < next; ++k) {
            const double since = secondsAt(frame - kicks[k]);
            dip = std::max(dip, rampIn(since, 0.004) * decay(since, 0.09));
        }
        const float gain = static_cast<float>(1.0 - 0.55 * dip);
        bus.at(frame, 0) *= gain;
        bus.at(frame, 1) *= gain;
    }
}

void addReverb(const AudioClip& send, AudioClip& mix)
{
    stk::FreeVerb reverb;
    reverb.setRoomSize(0.78);
    reverb.setDamping(0.45);
    reverb.setEffectMix(1.0);
    const float returnLevel = 0.9f;
    for (std::size_t frame = 0; frame < send.frames(); ++frame) {
        reverb.tick(send.at(frame, 0), send.at(frame, 1));
        mix.at(frame, 0) += returnLevel * static_cast<float>(reverb.lastOut(0));
        mix.at(frame, 1) += returnLevel * static_cast<float>(reverb.lastOut(1));
    }
}

// Dotted eighths, bouncing from side to side and darkening as they repeat.
void addPingPongDelay(const AudioClip& send, AudioClip& mix)
{
    const unsigned long delayFrames = static_cast<unsigned long>(0.75 * framesPerBeat);
    stk::Delay left(delayFrames, delayFrames), right(delayFrames, delayFrames);
    stk::OnePole damping(0.35);
    const float returnLevel = 0.5f;
    for (std::size_t frame = 0; frame < send.frames(); ++frame) {
        const double leftOut = left.nextOut();
        const double rightOut = right.nextOut();
        left.tick(0.5 * (send.at(frame, 0) + send.at(frame, 1)) + 0.4 * damping.tick(rightOut));
        right.tick(leftOut);
        mix.at(frame, 0) += returnLevel * static_cast<float>(leftOut);
        mix.at(frame, 1) += returnLevel * static_cast<float>(rightOut);
    }
}

// The notes mixed into a stereo clip of the track's length, faded out.
AudioClip mixTrack(const std::vector<NoteEvent>& notes)
{
    AudioClip straight(2, trackFrames), ducked(2, trackFrames), reverbSend(2, trackFrames), delaySend(2, trackFrames);
    // A note's onset and pan only place its sound: each sound is rendered once.
    using VoiceKey = std::tuple<Instrument, double, double, float, float>;
    std::map<VoiceKey, AudioClip> rendered;
    for (const NoteEvent& note : notes) {
        const Voice& voice = voiceOf(note.instrument);
        const VoiceKey key{note.instrument, note.lengthBeats, note.midiNote, note.velocity, note.brightness};
        auto found = rendered.find(key);
        if (found == rendered.end()) found = rendered.emplace(key, voice.render(note)).first;
        const AudioClip& clip = found->second;
        AudioClip& dry = voice.ducked ? ducked : straight;
        const std::size_t start = static_cast<std::size_t>(note.startBeat * framesPerBeat);
        const PanGains pan = panGains(note.pan);
        const std::size_t frames = std::min(clip.frames(), trackFrames - std::min(start, trackFrames));
        for (std::size_t frame = 0; frame < frames; ++frame) {
            for (unsigned side = 0; side < 2; ++side) {
                const float sample = clip.channels == 2 ? clip.at(frame, side)
                                                        : clip.at(frame, 0) * (side == 0 ? pan.left : pan.right);
                dry.at(start + frame, side) += sample;
                reverbSend.at(start + frame, side) += sample * voice.reverbSend;
                delaySend.at(start + frame, side) += sample * voice.delaySend;
            }
        }
    }
    duck(ducked, notes);

    AudioClip mix = straight;
    for (std::size_t i = 0; i < mix.samples.size(); ++i) mix.samples[i] += ducked.samples[i];
    addReverb(reverbSend, mix);
    addPingPongDelay(delaySend, mix);
    // Takes out any offset below about 3 Hz.
    for (unsigned channel = 0; channel < mix.channels; ++channel) {
        stk::PoleZero blocker;
        blocker.setBlockZero(0.9995);
        for (std::size_t frame = 0; frame < mix.frames(); ++frame)
            mix.at(frame, channel) = static_cast<float>(blocker.tick(mix.at(frame, channel)));
    }
    // The master fader takes all to exact silence from the ending bar. Its
    // gain is (1 - x)^4 at x of the way down: each halving of the travel left
    // takes another 24 dB off, so the fade sounds even to the ear.
    const std::size_t fadeFrom = endingBar * framesPerBar;
    const std::size_t fadeFrames = static_cast<std::size_t>(fadeBeats * framesPerBeat);
    for (std::size_t frame = fadeFrom; frame < mix.frames(); ++frame) {
        const double down = std::min(1.0, static_cast<double>(frame - fadeFrom) / fadeFrames);
        const float gain = static_cast<float>(std::pow(1.0 - down, 4.0));
        mix.at(frame, 0) *= gain;
        mix.at(frame, 1) *= gain;
    }
    return mix;
}

// The smallest value of each window [frame, frame + window].
std::vector<double> minimumAhead(const std::vector<double>& values, std::size_t window)
{
    std::vector<double> result(values.size());
    std::deque<std::size_t> candidates;
    std::size_t next = 0;
    for (std::size_t frame = 0; frame < values.size(); ++frame) {
        for (; next < values.size() && next <= frame + window; ++next) {
            while (!candidates.empty() && values[candidates.back()] >= values[next]) candidates.pop_back();
            candidates.push_back(next);
        }
        while (candidates.front() < frame) candidates.pop_front();
        result[frame] = values[candidates.front()];
    }
    return result;
}

// Keeps the peaks under ceiling without bending a waveform: the gain falls
// ahead of each peak and recovers behind it.
void limitPeaks(AudioClip& clip, float ceiling)
{
    std::vector<double> needed(clip.frames());
    for (std::size_t frame = 0; frame < clip.frames(); ++frame) {
        float peak = 0.0f;
        for (unsigned channel = 0; channel < clip.channels; ++channel)
            peak = std::max(peak, std::fabs(clip.at(frame, channel)));
        needed[frame] = peak > ceiling ? ceiling / peak : 1.0;
    }
    const std::size_t lookAhead = framesIn(0.005);
    const std::vector<double> floor = minimumAhead(needed, lookAhead);
    const double recovery = decay(secondsAt(1), 0.12);

    // The gain is the mean of the last lookAhead + 1 held values; each of
    // them is at most the gain that this frame needs, and so is their mean.
    double held = floor[0];
    std::deque<double> window(lookAhead + 1, held);
    double windowSum = held * window.size();
    for (std::size_t frame = 0; frame < clip.frames(); ++frame) {
        held = std::min(floor[frame], 1.0 - (1.0 - held) * recovery);
        windowSum += held - window.front();
        window.pop_front();
        window.push_back(held);
        const float gain = static_cast<float>(windowSum / window.size());
        for (unsigned channel = 0; channel < clip.channels; ++channel) clip.at(frame, channel) *= gain;
    }
}

}  // namespace

bool renderMusic(AudioClip& music)
{
    const AudioClip mix = mixTrack(composeTrack());
    // Each pass corrects the gain towards -14 LUFS by the loudness that the
    // limiter took away. Sample peaks stop at -2.4 dBFS; the margin to
    // -1 dBTP covers the peaks between samples and what the Vorbis encoder adds.
    const double targetLufs = -14.0;
    const double maxTruePeakDbtp = -1.0;
    const float ceiling = static_cast<float>(dbToGain(-2.4));
    double gainDb = targetLufs - measureLoudness(mix).integratedLufs;
    LoudnessReading reading;
    for (int pass = 0; pass < 4; ++pass) {
        music = mix;
        scaleBy(music, static_cast<float>(dbToGain(gainDb)));
        limitPeaks(music, ceiling);
        reading = measureLoudness(music);
        gainDb += targetLufs - reading.integratedLufs;
    }
    return reading.truePeakDbtp <= maxTruePeakDbtp ||
           reportError("The mastered music peaks at ", reading.truePeakDbtp, " dBTP, over ", maxTruePeakDbtp,
                       " dBTP.");
}
