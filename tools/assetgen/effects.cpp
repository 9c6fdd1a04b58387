#include "effects.h"

#include "audio.h"
#include "mastering.h"

#include "BlitSaw.h"
#include "FreeVerb.h"
#include "Noise.h"
#include "OnePole.h"
#include "SineWave.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iostream>

namespace {

// The bounce peaks 3 dB under full scale, leaving room for the mix.
constexpr double effectPeakDbfs = -3.0;
constexpr double voiceRampSeconds = 0.001;

// A bounce restarts the one voice of its sound, and the balls can bring
// two bounces on neighbouring frames: the hit is over well within a frame
// (16.7 ms), so a restart never cuts it ringing.
constexpr double bounceLengthSeconds = 0.014;
constexpr double bounceFadeSeconds = 0.006;
// The thump: a sine that falls from about 330 Hz to 150 Hz as the ball
// leaves the floor, so the ear hears a pitch in its two or three cycles.
constexpr double bounceRestHz = 150.0;
constexpr double bounceDropHz = 180.0;
constexpr double bounceDropSeconds = 0.004;
constexpr double bounceDecaySeconds = 0.006;
// The rubber's knock: a partial above the thump that dies sooner. Thump and
// knock stand a little apart in pitch, and the knock in time, on the two
// sides, which gives the hit its width.
constexpr std::array<double, 2> bounceThumpDetune = {0.95, 1.05};
constexpr double bounceKnockRatio = 3.1;
constexpr double bounceKnockLevel = 0.45;
constexpr double bounceKnockDecaySeconds = 0.003;
constexpr std::array<double, 2> bounceKnockDetune = {0.96, 1.04};
constexpr std::array<double, 2> bounceKnockDelaySeconds = {0.0, 0.001};
// A slap of noise for the contact itself, drawn apart for each side.
constexpr double bounceSlapLevel = 0.35;
constexpr double bounceSlapDecaySeconds = 0.0012;
constexpr double bounceSlapPole = 0.5;
constexpr std::array<unsigned, 2> bounceNoiseSeeds = {17, 29};

// The "lo" plays as a card starts its 2 s fade from black: it swells with
// the fade and peaks as the card comes full, then rings in the room and
// dies away before the next card, 7 s later. It is as loud, moment by
// moment, as the music's loudest passages (about -11.7 LUFS over 400 ms).
constexpr double loLengthSeconds = 4.6;
constexpr double loFadeSeconds = 1.2;
constexpr double loSwellSeconds = 1.8;
constexpr double loLoudestMomentaryLufs = -12.5;
constexpr double loMaxTruePeakDbtp = -1.0;
// A sub-bass on A1 that rises a little into its note as it swells.
constexpr double loRootHz = 55.0;
constexpr double loRiseRatio = -0.06;
constexpr double loSubDecaySeconds = 0.9;
// Warm body: A2, E3 and A3 as slightly detuned saw pairs, one side each,
// opening as they swell and darkening as they fade.
constexpr std::array<double, 3> loChordMidi = {45.0, 52.0, 57.0};
constexpr double loDetuneSemitones = 0.07;
constexpr double loBodyLevel = 0.16;
constexpr double loBodyDecaySeconds = 0.8;
constexpr double loBodyBrightHz = 900.0;
constexpr double loBodyDarkHz = 200.0;
constexpr double loFilterQ = 0.8;
constexpr unsigned loFilterStepFrames = 32;
constexpr double loRoomSize = 0.8;
constexpr double loRoomDamping = 0.5;
constexpr float loRoomLevel = 0.35f;

constexpr double pi = 3.14159265358979323846;

// 0 to 1 over loSwellSeconds, eased at both ends, then a decay with the
// given time constant.
double swellThenDecay(double seconds, double decaySeconds)
{
    if (seconds >= loSwellSeconds) return decay(seconds - loSwellSeconds, decaySeconds);
    const double rise = std::sin(0.5 * pi * seconds / loSwellSeconds);
    return rise * rise;
}

}  // namespace

AudioClip renderBounce()
{
    AudioClip clip(2, framesIn(bounceLengthSeconds));
    for (unsigned side = 0; side < 2; ++side) {
        stk::SineWave thump;
        stk::SineWave knock;
        stk::Noise slap(bounceNoiseSeeds[side]);
        stk::OnePole slapFilter(bounceSlapPole);
        for (std::size_t frame = 0; frame < clip.frames(); ++frame) {
            const double t = secondsAt(frame);
            const double pitchHz = bounceRestHz + bounceDropHz * decay(t, bounceDropSeconds);
            thump.setFrequency(pitchHz * bounceThumpDetune[side]);
            knock.setFrequency(pitchHz * bounceKnockRatio * bounceKnockDetune[side]);
            const double knockT = std::max(t - bounceKnockDelaySeconds[side], 0.0);
            const double sample = thump.tick() * decay(t, bounceDecaySeconds) +
                                  bounceKnockLevel * knock.tick() * rampIn(knockT, voiceRampSeconds) *
                                      decay(knockT, bounceKnockDecaySeconds) +
                                  bounceSlapLevel * slapFilter.tick(slap.tick()) * decay(t, bounceSlapDecaySeconds);
            clip.at(frame, side) = static_cast<float>(sample * rampIn(t, voiceRampSeconds) *
                                                      fadeOut(t, bounceLengthSeconds, bounceFadeSeconds));
        }
    }
    removeOffset(clip);
    scaleToPeak(clip, static_cast<float>(dbToGain(effectPeakDbfs)));
    return clip;
}

bool renderLo(AudioClip& clip)
{
    clip = AudioClip(2, framesIn(loLengthSeconds));
    stk::SineWave sub;
    std::array<stk::BlitSaw, loChordMidi.size() * 2> saws;
    for (std::size_t i = 0; i < saws.size(); ++i) {
        const double side = i % 2 == 0 ? -1.0 : 1.0;
        saws[i].setFrequency(midiToHz(loChordMidi[i / 2] + side * loDetuneSemitones));
    }
    std::array<stk::BiQuad, 2> bodyFilters;
    stk::FreeVerb room;
    room.setRoomSize(loRoomSize);
    room.setDamping(loRoomDamping);
    room.setEffectMix(1.0);

    for (std::size_t frame = 0; frame < clip.frames(); ++frame) {
        const double t = secondsAt(frame);
        const double bodyLevel = swellThenDecay(t, loBodyDecaySeconds);
        if (frame % loFilterStepFrames == 0) {
            const double cutoffHz = loBodyDarkHz + (loBodyBrightHz - loBodyDarkHz) * bodyLevel;
            for (stk::BiQuad& filter : bodyFilters) setLowPass(filter, cutoffHz, loFilterQ);
        }
        sub.setFrequency(loRootHz * (1.0 + loRiseRatio * (1.0 - std::min(t / loSwellSeconds, 1.0))));
        const double subSample = sub.tick() * swellThenDecay(t, loSubDecaySeconds);

        std::array<double, 2> body = {0.0, 0.0};
        for (std::size_t i = 0; i < saws.size(); ++i) body[i % 2] += saws[i].tick();
        const double left = subSample + loBodyLevel * bodyLevel * bodyFilters[0].tick(body[0]);
        const double right = subSample + loBodyLevel * bodyLevel * bodyFilters[1].tick(body[1]);
        room.tick(left, right);
        const double fade = fadeOut(t, loLengthSeconds, loFadeSeconds);
        clip.at(frame, 0) = static_cast<float>((left + loRoomLevel * room.lastOut(0)) * fade);
        clip.at(frame, 1) = static_cast<float>((right + loRoomLevel * room.lastOut(1)) * fade);
    }
    removeOffset(clip);
    scaleBy(clip, static_cast<float>(dbToGain(loLoudestMomentaryLufs - measureLoudness(clip).loudestMomentaryLufs)));
    const double truePeakDbtp = measureLoudness(clip).truePeakDbtp;
    if (truePeakDbtp <= loMaxTruePeakDbtp) return true;
    std::cerr << "assetgen: The lo peaks at " << truePeakDbtp << " dBTP, over " << loMaxTruePeakDbtp << " dBTP."
              << std::endl;
    return false;
}
