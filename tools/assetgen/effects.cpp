#include "effects.h"

#include "audio.h"

#include "BlitSaw.h"
#include "FreeVerb.h"
#include "Noise.h"
#include "OnePole.h"
#include "SineWave.h"

#include <algorithm>
#include <array>

namespace {

// Both effects peak 3 dB under full scale, leaving room for the mix.
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

constexpr double loLengthSeconds = 2.2;
constexpr double loFadeSeconds = 0.7;
constexpr double loAttackSeconds = 0.008;
// A sub-bass impact on A1 that settles from a fifth above.
constexpr double loRootHz = 55.0;
constexpr double loGlideRatio = 0.5;
constexpr double loGlideSeconds = 0.09;
constexpr double loSubDecaySeconds = 0.7;
// Warm body: A2, E3 and A3 as slightly detuned saw pairs, one side each,
// swelling in and darkening as they fade.
constexpr std::array<double, 3> loChordMidi = {45.0, 52.0, 57.0};
constexpr double loDetuneSemitones = 0.07;
constexpr double loBodyLevel = 0.16;
constexpr double loBodySwellSeconds = 0.12;
constexpr double loBodyDecaySeconds = 0.55;
constexpr double loBodyBrightHz = 650.0;
constexpr double loBodyDarkHz = 220.0;
constexpr double loBodyDarkenSeconds = 0.6;
constexpr double loFilterQ = 0.8;
constexpr unsigned loFilterStepFrames = 32;
constexpr double loRoomSize = 0.8;
constexpr double loRoomDamping = 0.5;
constexpr float loRoomLevel = 0.35f;

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

AudioClip renderLo()
{
    AudioClip clip(2, framesIn(loLengthSeconds));
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
        if (frame % loFilterStepFrames == 0) {
            const double darkening = decay(t, loBodyDarkenSeconds);
            const double cutoffHz = loBodyDarkHz + (loBodyBrightHz - loBodyDarkHz) * darkening;
            for (stk::BiQuad& filter : bodyFilters) setLowPass(filter, cutoffHz, loFilterQ);
        }
        sub.setFrequency(loRootHz * (1.0 + loGlideRatio * decay(t, loGlideSeconds)));
        const double subSample =
            sub.tick() * rampIn(t, loAttackSeconds) * decay(t, loSubDecaySeconds);

        std::array<double, 2> body = {0.0, 0.0};
        for (std::size_t i = 0; i < saws.size(); ++i) body[i % 2] += saws[i].tick();
        const double bodyLevel =
            loBodyLevel * rampIn(t, loBodySwellSeconds) * decay(t, loBodyDecaySeconds);
        const double left = subSample + bodyLevel * bodyFilters[0].tick(body[0]);
        const double right = subSample + bodyLevel * bodyFilters[1].tick(body[1]);
        room.tick(left, right);
        const double fade = fadeOut(t, loLengthSeconds, loFadeSeconds);
        clip.at(frame, 0) = static_cast<float>((left + loRoomLevel * room.lastOut(0)) * fade);
        clip.at(frame, 1) = static_cast<float>((right + loRoomLevel * room.lastOut(1)) * fade);
    }
    removeOffset(clip);
    scaleToPeak(clip, static_cast<float>(dbToGain(effectPeakDbfs)));
    return clip;
}
