// The voices of the music track. Every noise voice seeds its own generator,
// so that a drum sounds the same on every hit and a loop repeats exactly.
#include "assetgen.h"
#include "music.h"

#include "BlitSaw.h"
#include "BlitSquare.h"
#include "Noise.h"
#include "OnePole.h"
#include "SineWave.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>

namespace {

// The swept filters are set anew every this many frames.
constexpr unsigned filterStepFrames = 32;
constexpr double flatQ = 0.707;

// Fills one frame (channels samples) of the voice at the given time.
using FrameSource = std::function<void(double seconds, double* frame)>;

// Runs source over a new clip, scaled by level, ramped in and faded out so
// that no voice starts or stops with a click.
AudioClip shapedVoice(unsigned channels, double lengthSeconds, double fadeSeconds, double level,
                      const FrameSource& source)
{
    AudioClip clip(channels, framesIn(lengthSeconds));
    std::array<double, 2> frameSamples{};
    for (std::size_t frame = 0; frame < clip.frames(); ++frame) {
        const double t = secondsAt(frame);
        source(t, frameSamples.data());
        const double gain = level * rampIn(t, 0.0015) * fadeOut(t, lengthSeconds, fadeSeconds);
        for (unsigned channel = 0; channel < channels; ++channel)
            clip.at(frame, channel) = static_cast<float>(frameSamples[channel] * gain);
    }
    return clip;
}

double noteSeconds(const NoteEvent& note)
{
    return note.lengthBeats * secondsPerBeat;
}

// Even steps of brightness are even steps of the cutoff's logarithm, as heard.
double cutoffFor(float brightness, double darkHz, double openHz)
{
    return darkHz * std::pow(openHz / darkHz, brightness);
}

// A sine an octave under a soft saw, swelling in over the bar: the intro's floor.
AudioClip renderDrone(const NoteEvent& note)
{
    const double releaseSeconds = 0.4;
    stk::SineWave sub;
    sub.setFrequency(midiToHz(note.midiNote));
    stk::BlitSaw saw(midiToHz(note.midiNote + 12));
    stk::BiQuad filter;
    setFilter(filter, LowPass, 280.0, 0.7);
    const auto source = [&](double t, double* frame) {
        frame[0] = (sub.tick() + 0.25 * filter.tick(saw.tick())) * rampIn(t, 0.3);
    };
    return shapedVoice(1, noteSeconds(note) + releaseSeconds, releaseSeconds, 0.2 * note.velocity, source);
}

// A sub sine under a saw an octave up, each sixteenth plucked open.
AudioClip renderBass(const NoteEvent& note)
{
    const double releaseSeconds = 0.02;
    stk::SineWave sub;
    sub.setFrequency(midiToHz(note.midiNote));
    stk::BlitSaw saw(midiToHz(note.midiNote + 12));
    stk::BiQuad filter;
    std::size_t frameIndex = 0;
    const auto source = [&](double t, double* frame) {
        if (frameIndex++ % filterStepFrames == 0) setFilter(filter, LowPass, 220.0 + 1300.0 * decay(t, 0.045), 1.0);
        frame[0] = 0.8 * sub.tick() + 0.45 * filter.tick(saw.tick());
    };
    return shapedVoice(1, noteSeconds(note) + releaseSeconds, releaseSeconds, 0.5 * note.velocity, source);
}

// Two saws a few cents apart, one per side, under a low-pass that brightness opens.
AudioClip renderPad(const NoteEvent& note)
{
    const double releaseSeconds = 0.7;
    std::array<stk::BlitSaw, 2> saws = {stk::BlitSaw(midiToHz(note.midiNote - 0.08)),
                                        stk::BlitSaw(midiToHz(note.midiNote + 0.08))};
    std::array<stk::BiQuad, 2> filters;
    for (stk::BiQuad& filter : filters) setFilter(filter, LowPass, cutoffFor(note.brightness, 380.0, 3000.0), 0.7);
    const auto source = [&](double t, double* frame) {
        for (int side = 0; side < 2; ++side) frame[side] = filters[side].tick(saws[side].tick()) * rampIn(t, 0.35);
    };
    return shapedVoice(2, noteSeconds(note) + releaseSeconds, releaseSeconds, 0.1 * note.velocity, source);
}

// A plucked square under a low-pass that brightness opens.
AudioClip renderArp(const NoteEvent& note)
{
    stk::BlitSquare square(midiToHz(note.midiNote));
    stk::BiQuad filter;
    setFilter(filter, LowPass, cutoffFor(note.brightness, 700.0, 4200.0), 1.2);
    return shapedVoice(1, 0.3, 0.1, 0.25 * note.velocity, [&](double t, double* frame) {
        frame[0] = filter.tick(square.tick()) * decay(t, 0.11);
    });
}

// Two detuned saws, one leaning to each side, with a vibrato once the note has spoken.
AudioClip renderLead(const NoteEvent& note)
{
    const std::array<double, 2> detune = {-0.1, 0.1};
    const std::array<float, 2> pans = {-0.35f, 0.35f};
    const double sustain = 0.75;
    const double releaseSeconds = 0.25;
    const double gateSeconds = noteSeconds(note);
    std::array<stk::BlitSaw, 2> saws;
    std::array<stk::BiQuad, 2> filters;
    std::size_t frameIndex = 0;
    const auto source = [&](double t, double* frame) {
        if (frameIndex++ % filterStepFrames == 0) {
            const double vibrato = 0.12 * rampIn(std::max(0.0, t - 0.2), 0.3) * std::sin(2.0 * pi * 5.2 * t);
            for (int side = 0; side < 2; ++side) {
                saws[side].setFrequency(midiToHz(note.midiNote + detune[side] + vibrato));
                setFilter(filters[side], LowPass, 1500.0 + 2600.0 * decay(t, 0.25), 1.1);
            }
        }
        const double envelope = sustain + (1.0 - sustain) * decay(std::min(t, gateSeconds), 0.2);
        frame[0] = frame[1] = 0.0;
        for (int side = 0; side < 2; ++side) {
            const double sample = filters[side].tick(saws[side].tick()) * envelope;
            const PanGains gains = panGains(pans[side]);
            frame[0] += sample * gains.left;
            frame[1] += sample * gains.right;
        }
    };
    return shapedVoice(2, gateSeconds + releaseSeconds, releaseSeconds, 0.25 * note.velocity, source);
}

// A sine that drops from 172 Hz to 47 Hz, under a click of filtered noise.
AudioClip renderKick(const NoteEvent& note)
{
    stk::SineWave body;
    stk::Noise click(101);
    stk::OnePole clickFilter(0.6);
    return shapedVoice(1, 0.45, 0.08, 0.95 * note.velocity, [&](double t, double* frame) {
        body.setFrequency(47.0 + 125.0 * decay(t, 0.032));
        frame[0] = body.tick() * decay(t, 0.24) + 0.25 * clickFilter.tick(click.tick()) * decay(t, 0.003);
    });
}

// Three quick slaps of hands, then the room of the last one, over a low body.
AudioClip renderClap(const NoteEvent& note)
{
    const int slaps = 3;
    const double slapSpacingSeconds = 0.011;
    stk::Noise noise(202);
    stk::BiQuad filter;
    setFilter(filter, BandPass, 1150.0, 1.1);
    stk::SineWave body;
    body.setFrequency(190.0);
    return shapedVoice(1, 0.4, 0.1, 1.6 * note.velocity, [&](double t, double* frame) {
        double envelope = 0.0;
        for (int slap = 0; slap < slaps; ++slap) {
            const double since = t - slap * slapSpacingSeconds;
            if (since >= 0.0) envelope += rampIn(since, 0.0005) * decay(since, 0.0035);
        }
        const double tailSince = t - (slaps - 1) * slapSpacingSeconds;
        if (tailSince >= 0.0) envelope += 0.6 * decay(tailSince, 0.085);
        frame[0] = filter.tick(noise.tick()) * envelope + 0.3 * body.tick() * decay(t, 0.04);
    });
}

AudioClip renderSnare(const NoteEvent& note)
{
    stk::Noise noise(303);
    stk::BiQuad filter;
    setFilter(filter, HighPass, 1400.0, flatQ);
    stk::SineWave body;
    body.setFrequency(205.0);
    return shapedVoice(1, 0.22, 0.06, 0.3 * note.velocity, [&](double t, double* frame) {
        frame[0] = filter.tick(noise.tick()) * decay(t, 0.055) + 0.5 * body.tick() * decay(t, 0.045);
    });
}

AudioClip renderHat(const NoteEvent& note)
{
    const bool open = note.instrument == Instrument::OpenHat;
    const double decaySeconds = open ? 0.11 : 0.018;
    stk::Noise noise(open ? 505 : 404);
    stk::BiQuad filter;
    setFilter(filter, HighPass, 7200.0, flatQ);
    return shapedVoice(1, open ? 0.36 : 0.09, 0.03, (open ? 0.4 : 0.6) * note.velocity, [&](double t, double* frame) {
        frame[0] = filter.tick(noise.tick()) * decay(t, decaySeconds);
    });
}

// Alternate draws of the noise feed the two sides: a cymbal as wide as the room.
AudioClip renderCrash(const NoteEvent& note)
{
    stk::Noise noise(606);
    std::array<stk::BiQuad, 2> filters;
    for (stk::BiQuad& filter : filters) setFilter(filter, HighPass, 4800.0, flatQ);
    return shapedVoice(2, 2.4, 0.6, 0.2 * note.velocity, [&](double t, double* frame) {
        for (int side = 0; side < 2; ++side) frame[side] = filters[side].tick(noise.tick()) * decay(t, 0.6);
    });
}

// Noise through a band-pass that sweeps from 400 Hz to 7 kHz, swelling.
AudioClip renderRiser(const NoteEvent& note)
{
    const double lengthSeconds = noteSeconds(note);
    stk::Noise noise(707);
    std::array<stk::BiQuad, 2> filters;
    std::size_t frameIndex = 0;
    return shapedVoice(2, lengthSeconds, 0.015, 0.25 * note.velocity, [&](double t, double* frame) {
        const double along = t / lengthSeconds;
        const double centreHz = 400.0 * std::pow(7000.0 / 400.0, along);
        if (frameIndex++ % filterStepFrames == 0)
            for (stk::BiQuad& filter : filters) setFilter(filter, BandPass, centreHz, 2.0);
        for (int side = 0; side < 2; ++side) frame[side] = filters[side].tick(noise.tick()) * along * along;
    });
}

}  // namespace

const Voice& voiceOf(Instrument instrument)
{
    // The drums and the lead go straight into the mix; the pad, drone, bass
    // and arpeggio through the ducked bus.
    static const std::map<Instrument, Voice> voices = {
        // instrument            render       ducked reverb  delay
        {Instrument::Kick,      {renderKick,  false, 0.0f,  0.0f}},
        {Instrument::Clap,      {renderClap,  false, 0.3f,  0.0f}},
        {Instrument::Snare,     {renderSnare, false, 0.3f,  0.1f}},
        {Instrument::ClosedHat, {renderHat,   false, 0.05f, 0.0f}},
        {Instrument::OpenHat,   {renderHat,   false, 0.1f,  0.0f}},
        {Instrument::Crash,     {renderCrash, false, 0.25f, 0.0f}},
        {Instrument::Riser,     {renderRiser, false, 0.35f, 0.0f}},
        {Instrument::Drone,     {renderDrone, true,  0.1f,  0.0f}},
        {Instrument::Bass,      {renderBass,  true,  0.0f,  0.0f}},
        {Instrument::Pad,       {renderPad,   true,  0.45f, 0.0f}},
        {Instrument::Arp,       {renderArp,   true,  0.25f, 0.4f}},
        {Instrument::Lead,      {renderLead,  false, 0.3f,  0.35f}},
    };
    return voices.at(instrument);
}
