#include "music_voices.h"

#include "sound_dsp.h"

#include "Noise.h"
#include "OnePole.h"
#include "SineWave.h"

#include <array>
#include <cmath>

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

constexpr unsigned filterStepFrames = 32;
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
