#include "music_voices.h"

#include "sound_dsp.h"

#include "BlitSaw.h"
#include "BlitSquare.h"
#include "SineWave.h"

#include <algorithm>
#include <array>
#include <cmath>

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
