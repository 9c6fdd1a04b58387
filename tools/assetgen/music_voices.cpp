#include "music_voices.h"

#include "audio.h"

#include "BlitSaw.h"
#include "BlitSquare.h"
#include "Noise.h"
#include "OnePole.h"
#include "SineWave.h"

#include <algorithm>
#include <array>
#include <cmath>

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

namespace {

constexpr unsigned filterStepFrames = 32;

// A sine an octave under a soft saw, swelling in over the bar: the intro's floor.
constexpr double droneLevel = 0.2;
constexpr double droneSawLevel = 0.25;
constexpr double droneSwellSeconds = 0.3;
constexpr double droneReleaseSeconds = 0.4;
constexpr double droneCutHz = 280.0;
constexpr double droneQ = 0.7;

// The rolling bass: a sub sine under a saw an octave up, each sixteenth
// plucked open by a quick filter envelope.
constexpr double bassLevel = 0.5;
constexpr double bassSubLevel = 0.8;
constexpr double bassSawLevel = 0.45;
constexpr double bassReleaseSeconds = 0.02;
constexpr double bassBaseHz = 220.0;
constexpr double bassPluckHz = 1300.0;
constexpr double bassPluckSeconds = 0.045;
constexpr double bassQ = 1.0;

// The pad: each note two saws a few cents apart, one per side, under a
// low-pass that the note's brightness opens.
constexpr double padLevel = 0.1;
constexpr double padDetuneSemitones = 0.08;
constexpr double padAttackSeconds = 0.35;
constexpr double padReleaseSeconds = 0.7;
constexpr double padDarkHz = 380.0;
constexpr double padOpenHz = 3000.0;
constexpr double padQ = 0.7;

// The arpeggio: a plucked square with a filter that the brightness opens.
constexpr double arpLevel = 0.25;
constexpr double arpLengthSeconds = 0.3;
constexpr double arpFadeSeconds = 0.1;
constexpr double arpDecaySeconds = 0.11;
constexpr double arpDarkHz = 700.0;
constexpr double arpOpenHz = 4200.0;
constexpr double arpQ = 1.2;

// The lead: two detuned saws, one leaning to each side, with a vibrato
// that comes in once the note has spoken.
constexpr double leadLevel = 0.25;
constexpr double leadDetuneSemitones = 0.1;
constexpr float leadSpread = 0.35f;
constexpr double leadSustain = 0.75;
constexpr double leadDecaySeconds = 0.2;
constexpr double leadReleaseSeconds = 0.25;
constexpr double leadVibratoHz = 5.2;
constexpr double leadVibratoSemitones = 0.12;
constexpr double leadVibratoDelaySeconds = 0.2;
constexpr double leadVibratoRiseSeconds = 0.3;
constexpr double leadBaseHz = 1500.0;
constexpr double leadPluckHz = 2600.0;
constexpr double leadPluckSeconds = 0.25;
constexpr double leadQ = 1.1;

constexpr double pi = 3.14159265358979323846;

double noteSeconds(const NoteEvent& note)
{
    return note.lengthBeats * secondsPerBeat;
}

// Linear from dark to open, with the open end reached faster: the ear
// hears a filter opening in steps of its cutoff's logarithm.
double cutoffFor(float brightness, double darkHz, double openHz)
{
    return darkHz * std::pow(openHz / darkHz, brightness);
}

// Pans a mono sample into the frame.
void placeMono(double sample, float pan, double* frame)
{
    const PanGains gains = panGains(pan);
    frame[0] += sample * gains.left;
    frame[1] += sample * gains.right;
}

}  // namespace

AudioClip renderDrone(const NoteEvent& note)
{
    stk::SineWave sub;
    sub.setFrequency(midiToHz(note.midiNote));
    stk::BlitSaw saw(midiToHz(note.midiNote + 12));
    stk::BiQuad filter;
    setLowPass(filter, droneCutHz, droneQ);
    const double lengthSeconds = noteSeconds(note) + droneReleaseSeconds;
    return shapedVoice(1, lengthSeconds, droneReleaseSeconds, droneLevel * note.velocity,
                       [&](double t, double* frame) {
                           const double tone = sub.tick() + droneSawLevel * filter.tick(saw.tick());
                           frame[0] = tone * rampIn(t, droneSwellSeconds);
                       });
}

AudioClip renderBass(const NoteEvent& note)
{
    stk::SineWave sub;
    sub.setFrequency(midiToHz(note.midiNote));
    stk::BlitSaw saw(midiToHz(note.midiNote + 12));
    stk::BiQuad filter;
    std::size_t frameIndex = 0;
    const double lengthSeconds = noteSeconds(note) + bassReleaseSeconds;
    return shapedVoice(1, lengthSeconds, bassReleaseSeconds, bassLevel * note.velocity,
                       [&](double t, double* frame) {
                           if (frameIndex++ % filterStepFrames == 0)
                               setLowPass(filter,
                                          bassBaseHz + bassPluckHz * decay(t, bassPluckSeconds),
                                          bassQ);
                           frame[0] = bassSubLevel * sub.tick() +
                                      bassSawLevel * filter.tick(saw.tick());
                       });
}

AudioClip renderPad(const NoteEvent& note)
{
    std::array<stk::BlitSaw, 2> saws = {
        stk::BlitSaw(midiToHz(note.midiNote - padDetuneSemitones)),
        stk::BlitSaw(midiToHz(note.midiNote + padDetuneSemitones))};
    std::array<stk::BiQuad, 2> filters;
    const double cutoffHz = cutoffFor(note.brightness, padDarkHz, padOpenHz);
    for (stk::BiQuad& filter : filters) setLowPass(filter, cutoffHz, padQ);
    const double lengthSeconds = noteSeconds(note) + padReleaseSeconds;
    return shapedVoice(2, lengthSeconds, padReleaseSeconds, padLevel * note.velocity,
                       [&](double t, double* frame) {
                           const double swell = rampIn(t, padAttackSeconds);
                           for (int side = 0; side < 2; ++side)
                               frame[side] = filters[side].tick(saws[side].tick()) * swell;
                       });
}

AudioClip renderArp(const NoteEvent& note)
{
    stk::BlitSquare square(midiToHz(note.midiNote));
    stk::BiQuad filter;
    setLowPass(filter, cutoffFor(note.brightness, arpDarkHz, arpOpenHz), arpQ);
    return shapedVoice(1, arpLengthSeconds, arpFadeSeconds, arpLevel * note.velocity,
                       [&](double t, double* frame) {
                           frame[0] = filter.tick(square.tick()) * decay(t, arpDecaySeconds);
                       });
}

AudioClip renderLead(const NoteEvent& note)
{
    const std::array<double, 2> detune = {-leadDetuneSemitones, leadDetuneSemitones};
    const std::array<float, 2> pans = {-leadSpread, leadSpread};
    std::array<stk::BlitSaw, 2> saws;
    std::array<stk::BiQuad, 2> filters;
    std::size_t frameIndex = 0;
    const double gateSeconds = noteSeconds(note);
    const double lengthSeconds = gateSeconds + leadReleaseSeconds;
    return shapedVoice(2, lengthSeconds, leadReleaseSeconds, leadLevel * note.velocity,
                       [&](double t, double* frame) {
                           if (frameIndex++ % filterStepFrames == 0) {
                               const double depth =
                                   leadVibratoSemitones *
                                   rampIn(std::max(0.0, t - leadVibratoDelaySeconds),
                                          leadVibratoRiseSeconds);
                               const double vibrato = depth * std::sin(2.0 * pi * leadVibratoHz * t);
                               const double cutoffHz =
                                   leadBaseHz + leadPluckHz * decay(t, leadPluckSeconds);
                               for (int side = 0; side < 2; ++side) {
                                   saws[side].setFrequency(
                                       midiToHz(note.midiNote + detune[side] + vibrato));
                                   setLowPass(filters[side], cutoffHz, leadQ);
                               }
                           }
                           const double held = std::min(t, gateSeconds);
                           const double envelope =
                               leadSustain + (1.0 - leadSustain) * decay(held, leadDecaySeconds);
                           frame[0] = frame[1] = 0.0;
                           for (int side = 0; side < 2; ++side)
                               placeMono(filters[side].tick(saws[side].tick()) * envelope,
                                         pans[side], frame);
                       });
}

// Every noise voice reseeds its own generator, so that a drum sounds the
// same on every hit, as a sample would, and a loop repeats exactly.

namespace {

constexpr double kickLengthSeconds = 0.45;
constexpr double kickFadeSeconds = 0.08;
constexpr double kickLevel = 0.95;
constexpr double kickRestHz = 47.0;
constexpr double kickDropHz = 125.0;
constexpr double kickDropSeconds = 0.032;
constexpr double kickDecaySeconds = 0.24;
constexpr double kickClickLevel = 0.25;
constexpr double kickClickSeconds = 0.003;
constexpr double kickClickPole = 0.6;
constexpr unsigned kickSeed = 101;

constexpr double clapLengthSeconds = 0.4;
constexpr double clapFadeSeconds = 0.1;
constexpr double clapLevel = 1.6;
// Three quick slaps of hands, then the room of the last one.
constexpr int clapSlaps = 3;
constexpr double clapSlapSpacingSeconds = 0.011;
constexpr double clapSlapSeconds = 0.0035;
constexpr double clapSlapRampSeconds = 0.0005;
constexpr double clapTailLevel = 0.6;
constexpr double clapTailSeconds = 0.085;
constexpr double clapCentreHz = 1150.0;
constexpr double clapQ = 1.1;
constexpr double clapBodyHz = 190.0;
constexpr double clapBodyLevel = 0.3;
constexpr double clapBodySeconds = 0.04;
constexpr unsigned clapSeed = 202;

constexpr double snareLengthSeconds = 0.22;
constexpr double snareFadeSeconds = 0.06;
constexpr double snareLevel = 0.3;
constexpr double snareCutHz = 1400.0;
constexpr double snareSeconds = 0.055;
constexpr double snareBodyHz = 205.0;
constexpr double snareBodyLevel = 0.5;
constexpr double snareBodySeconds = 0.045;
constexpr unsigned snareSeed = 303;

constexpr double hatCutHz = 7200.0;
constexpr double closedHatLengthSeconds = 0.09;
constexpr double closedHatSeconds = 0.018;
constexpr double closedHatLevel = 0.6;
constexpr double openHatLengthSeconds = 0.36;
constexpr double openHatSeconds = 0.11;
constexpr double openHatLevel = 0.4;
constexpr double hatFadeSeconds = 0.03;
constexpr unsigned closedHatSeed = 404;
constexpr unsigned openHatSeed = 505;

constexpr double crashLengthSeconds = 2.4;
constexpr double crashFadeSeconds = 0.6;
constexpr double crashLevel = 0.2;
constexpr double crashCutHz = 4800.0;
constexpr double crashSeconds = 0.6;
constexpr unsigned crashSeed = 606;

constexpr double riserLevel = 0.25;
constexpr double riserFadeSeconds = 0.015;
constexpr double riserFromHz = 400.0;
constexpr double riserToHz = 7000.0;
constexpr double riserQ = 2.0;
constexpr unsigned riserSeed = 707;

constexpr double flatQ = 0.707;

AudioClip renderHat(const NoteEvent& note, double lengthSeconds, double decaySeconds,
                    double level, unsigned seed)
{
    stk::Noise noise(seed);
    stk::BiQuad filter;
    setHighPass(filter, hatCutHz, flatQ);
    return shapedVoice(1, lengthSeconds, hatFadeSeconds, level * note.velocity,
                       [&](double t, double* frame) {
                           frame[0] = filter.tick(noise.tick()) * decay(t, decaySeconds);
                       });
}

}  // namespace

AudioClip renderKick(const NoteEvent& note)
{
    stk::SineWave body;
    stk::Noise click(kickSeed);
    stk::OnePole clickFilter(kickClickPole);
    return shapedVoice(1, kickLengthSeconds, kickFadeSeconds, kickLevel * note.velocity,
                       [&](double t, double* frame) {
                           body.setFrequency(kickRestHz + kickDropHz * decay(t, kickDropSeconds));
                           frame[0] = body.tick() * decay(t, kickDecaySeconds) +
                                      kickClickLevel * clickFilter.tick(click.tick()) *
                                          decay(t, kickClickSeconds);
                       });
}

AudioClip renderClap(const NoteEvent& note)
{
    stk::Noise noise(clapSeed);
    stk::BiQuad filter;
    setBandPass(filter, clapCentreHz, clapQ);
    stk::SineWave body;
    body.setFrequency(clapBodyHz);
    return shapedVoice(1, clapLengthSeconds, clapFadeSeconds, clapLevel * note.velocity,
                       [&](double t, double* frame) {
                           double envelope = 0.0;
                           for (int slap = 0; slap < clapSlaps; ++slap) {
                               const double since = t - slap * clapSlapSpacingSeconds;
                               if (since >= 0.0)
                                   envelope += rampIn(since, clapSlapRampSeconds) * decay(since, clapSlapSeconds);
                           }
                           const double tailSince = t - (clapSlaps - 1) * clapSlapSpacingSeconds;
                           if (tailSince >= 0.0) envelope += clapTailLevel * decay(tailSince, clapTailSeconds);
                           frame[0] = filter.tick(noise.tick()) * envelope +
                                      clapBodyLevel * body.tick() * decay(t, clapBodySeconds);
                       });
}

AudioClip renderSnare(const NoteEvent& note)
{
    stk::Noise noise(snareSeed);
    stk::BiQuad filter;
    setHighPass(filter, snareCutHz, flatQ);
    stk::SineWave body;
    body.setFrequency(snareBodyHz);
    return shapedVoice(1, snareLengthSeconds, snareFadeSeconds, snareLevel * note.velocity,
                       [&](double t, double* frame) {
                           frame[0] = filter.tick(noise.tick()) * decay(t, snareSeconds) +
                                      snareBodyLevel * body.tick() * decay(t, snareBodySeconds);
                       });
}

AudioClip renderClosedHat(const NoteEvent& note)
{
    return renderHat(note, closedHatLengthSeconds, closedHatSeconds, closedHatLevel,
                     closedHatSeed);
}

AudioClip renderOpenHat(const NoteEvent& note)
{
    return renderHat(note, openHatLengthSeconds, openHatSeconds, openHatLevel, openHatSeed);
}

AudioClip renderCrash(const NoteEvent& note)
{
    // Alternate draws of the generator feed the two sides: a cymbal as wide
    // as the room.
    stk::Noise noise(crashSeed);
    std::array<stk::BiQuad, 2> filters;
    for (stk::BiQuad& filter : filters) setHighPass(filter, crashCutHz, flatQ);
    return shapedVoice(2, crashLengthSeconds, crashFadeSeconds, crashLevel * note.velocity,
                       [&](double t, double* frame) {
                           for (int side = 0; side < 2; ++side)
                               frame[side] =
                                   filters[side].tick(noise.tick()) * decay(t, crashSeconds);
                       });
}

AudioClip renderRiser(const NoteEvent& note)
{
    const double lengthSeconds = note.lengthBeats * secondsPerBeat;
    stk::Noise noise(riserSeed);
    std::array<stk::BiQuad, 2> filters;
    std::size_t frameIndex = 0;
    return shapedVoice(2, lengthSeconds, riserFadeSeconds, riserLevel * note.velocity,
                       [&](double t, double* frame) {
                           const double along = t / lengthSeconds;
                           if (frameIndex++ % filterStepFrames == 0) {
                               const double centreHz =
                                   riserFromHz * std::pow(riserToHz / riserFromHz, along);
                               for (stk::BiQuad& filter : filters)
                                   setBandPass(filter, centreHz, riserQ);
                           }
                           for (int side = 0; side < 2; ++side)
                               frame[side] = filters[side].tick(noise.tick()) * along * along;
                       });
}
