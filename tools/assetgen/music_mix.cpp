#include "music_mix.h"

#include "music_voices.h"
#include "sound_dsp.h"

#include "Delay.h"
#include "FreeVerb.h"
#include "OnePole.h"
#include "PoleZero.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

namespace {

enum class Bus {
    Straight,  // drums and the lead, as they are
    Ducked,    // pad, bass and arpeggio, pumped by the kick
};

struct Routing {
    AudioClip (*render)(const NoteEvent&);
    Bus bus;
    float reverbSend;
    float delaySend;
};

const std::map<Instrument, Routing> routings = {
    {Instrument::Kick, {renderKick, Bus::Straight, 0.0f, 0.0f}},
    {Instrument::Clap, {renderClap, Bus::Straight, 0.3f, 0.0f}},
    {Instrument::Snare, {renderSnare, Bus::Straight, 0.3f, 0.1f}},
    {Instrument::ClosedHat, {renderClosedHat, Bus::Straight, 0.05f, 0.0f}},
    {Instrument::OpenHat, {renderOpenHat, Bus::Straight, 0.1f, 0.0f}},
    {Instrument::Crash, {renderCrash, Bus::Straight, 0.25f, 0.0f}},
    {Instrument::Riser, {renderRiser, Bus::Straight, 0.35f, 0.0f}},
    {Instrument::Drone, {renderDrone, Bus::Ducked, 0.1f, 0.0f}},
    {Instrument::Bass, {renderBass, Bus::Ducked, 0.0f, 0.0f}},
    {Instrument::Pad, {renderPad, Bus::Ducked, 0.45f, 0.0f}},
    {Instrument::Arp, {renderArp, Bus::Ducked, 0.25f, 0.4f}},
    {Instrument::Lead, {renderLead, Bus::Straight, 0.3f, 0.35f}},
};

// The kick pulls the ducked bus down and lets it swell back within the beat.
constexpr double duckDepth = 0.55;
constexpr double duckAttackSeconds = 0.004;
constexpr double duckRecoverySeconds = 0.09;

constexpr double reverbRoomSize = 0.78;
constexpr double reverbDamping = 0.45;
constexpr float reverbReturn = 0.9f;

// Dotted eighths, bouncing from side to side and darkening as they repeat.
constexpr double delayBeats = 0.75;
constexpr double delayFeedback = 0.4;
constexpr double delayDampingPole = 0.35;
constexpr float delayReturn = 0.5f;

// The fader's gain is (1 - x)^4 at x of the way down: each halving of the
// travel that is left takes another 24 dB off, so the fade sounds even to
// the ear and still ends at exact silence.
constexpr double faderTaperPower = 4.0;

// Takes out any offset below about 3 Hz.
constexpr double offsetBlockPole = 0.9995;

struct Buses {
    AudioClip straight;
    AudioClip ducked;
    AudioClip reverbSend;
    AudioClip delaySend;

    explicit Buses(std::size_t frames)
        : straight(2, frames), ducked(2, frames), reverbSend(2, frames), delaySend(2, frames)
    {
    }

    void add(const NoteEvent& note, const Routing& routing, const AudioClip& voice)
    {
        AudioClip& dry = routing.bus == Bus::Ducked ? ducked : straight;
        const std::size_t start = static_cast<std::size_t>(note.startBeat * framesPerBeat);
        const PanGains pan = panGains(note.pan);
        const std::size_t frames = std::min(voice.frames(), dry.frames() - std::min(start, dry.frames()));
        for (std::size_t frame = 0; frame < frames; ++frame) {
            float left;
            float right;
            if (voice.channels == 1) {
                left = voice.at(frame, 0) * pan.left;
                right = voice.at(frame, 0) * pan.right;
            } else {
                left = voice.at(frame, 0);
                right = voice.at(frame, 1);
            }
            const std::size_t at = start + frame;
            dry.at(at, 0) += left;
            dry.at(at, 1) += right;
            reverbSend.at(at, 0) += left * routing.reverbSend;
            reverbSend.at(at, 1) += right * routing.reverbSend;
            delaySend.at(at, 0) += left * routing.delaySend;
            delaySend.at(at, 1) += right * routing.delaySend;
        }
    }
};

// What a voice's sound depends on: its onset and pan only place it. A note
// that comes back with the same sound is rendered once.
using VoiceKey = std::tuple<Instrument, double, double, float, float>;

VoiceKey voiceKeyOf(const NoteEvent& note)
{
    return {note.instrument, note.lengthBeats, note.midiNote, note.velocity, note.brightness};
}

std::vector<std::size_t> kickFrames(const std::vector<NoteEvent>& notes)
{
    std::vector<std::size_t> frames;
    for (const NoteEvent& note : notes)
        if (note.instrument == Instrument::Kick)
            frames.push_back(static_cast<std::size_t>(note.startBeat * framesPerBeat));
    std::sort(frames.begin(), frames.end());
    return frames;
}

// Each kick's dip rises in a few milliseconds and recovers; overlapping
// dips take the deeper one, so the gain never jumps.
void duck(AudioClip& bus, const std::vector<std::size_t>& kicks)
{
    std::size_t next = 0;
    for (std::size_t frame = 0; frame < bus.frames(); ++frame) {
        while (next < kicks.size() && kicks[next] <= frame) ++next;
        double dip = 0.0;
        for (std::size_t k = next >= 2 ? next - 2 : 0; k < next; ++k) {
            const double since = secondsAt(frame - kicks[k]);
            dip = std::max(dip, rampIn(since, duckAttackSeconds) * decay(since, duckRecoverySeconds));
        }
        const float gain = static_cast<float>(1.0 - duckDepth * dip);
        bus.at(frame, 0) *= gain;
        bus.at(frame, 1) *= gain;
    }
}

void addReverb(const AudioClip& send, AudioClip& mix)
{
    stk::FreeVerb reverb;
    reverb.setRoomSize(reverbRoomSize);
    reverb.setDamping(reverbDamping);
    reverb.setEffectMix(1.0);
    for (std::size_t frame = 0; frame < send.frames(); ++frame) {
        reverb.tick(send.at(frame, 0), send.at(frame, 1));
        mix.at(frame, 0) += reverbReturn * static_cast<float>(reverb.lastOut(0));
        mix.at(frame, 1) += reverbReturn * static_cast<float>(reverb.lastOut(1));
    }
}

void addPingPongDelay(const AudioClip& send, AudioClip& mix)
{
    const unsigned long delayFrames = static_cast<unsigned long>(delayBeats * framesPerBeat);
    stk::Delay left(delayFrames, delayFrames);
    stk::Delay right(delayFrames, delayFrames);
    stk::OnePole damping(delayDampingPole);
    for (std::size_t frame = 0; frame < send.frames(); ++frame) {
        const double leftOut = left.nextOut();
        const double rightOut = right.nextOut();
        const double input = 0.5 * (send.at(frame, 0) + send.at(frame, 1));
        left.tick(input + delayFeedback * damping.tick(rightOut));
        right.tick(leftOut);
        mix.at(frame, 0) += delayReturn * static_cast<float>(leftOut);
        mix.at(frame, 1) += delayReturn * static_cast<float>(rightOut);
    }
}

void blockOffset(AudioClip& mix)
{
    for (unsigned channel = 0; channel < mix.channels; ++channel) {
        stk::PoleZero blocker;
        blocker.setBlockZero(offsetBlockPole);
        for (std::size_t frame = 0; frame < mix.frames(); ++frame)
            mix.at(frame, channel) = static_cast<float>(blocker.tick(mix.at(frame, channel)));
    }
}

}  // namespace

AudioClip mixTrack(const std::vector<NoteEvent>& notes, std::size_t frames)
{
    Buses buses(frames);
    std::map<VoiceKey, AudioClip> rendered;
    for (const NoteEvent& note : notes) {
        const Routing& routing = routings.at(note.instrument);
        const VoiceKey key = voiceKeyOf(note);
        auto voice = rendered.find(key);
        if (voice == rendered.end()) voice = rendered.emplace(key, routing.render(note)).first;
        buses.add(note, routing, voice->second);
    }
    duck(buses.ducked, kickFrames(notes));

    AudioClip mix = buses.straight;
    for (std::size_t i = 0; i < mix.samples.size(); ++i) mix.samples[i] += buses.ducked.samples[i];
    addReverb(buses.reverbSend, mix);
    addPingPongDelay(buses.delaySend, mix);
    blockOffset(mix);
    return mix;
}

void fadeToSilence(AudioClip& mix, std::size_t firstFrame, std::size_t fadeFrames)
{
    for (std::size_t frame = firstFrame; frame < mix.frames(); ++frame) {
        const double down = std::min(1.0, static_cast<double>(frame - firstFrame) / fadeFrames);
        const float gain = static_cast<float>(std::pow(1.0 - down, faderTaperPower));
        mix.at(frame, 0) *= gain;
        mix.at(frame, 1) *= gain;
    }
}
