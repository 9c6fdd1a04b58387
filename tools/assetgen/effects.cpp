// The two effects of the show: "bounce" for every ball contact and "lo",
// which announces each intro card.
#include "assetgen.h"

#include "BlitSaw.h"
#include "FreeVerb.h"
#include "Noise.h"
#include "OnePole.h"
#include "SineWave.h"

#include <algorithm>
#include <array>
#include <cmath>

// Takes out the clip's mean through a half-sine bump over its whole length,
// which keeps both ends where they were (at zero) and adds nothing audible.
static void removeOffset(AudioClip& clip)
{
    const std::size_t frames = clip.frames();
    auto bump = [frames](std::size_t frame) { return std::sin(pi * frame / (frames - 1)); };
    double bumpSum = 0.0;
    for (std::size_t frame = 0; frame < frames; ++frame) bumpSum += bump(frame);
    for (unsigned channel = 0; channel < clip.channels; ++channel) {
        double sum = 0.0;
        for (std::size_t frame = 0; frame < frames; ++frame) sum += clip.at(frame, channel);
        for (std::size_t frame = 0; frame < frames; ++frame)
            clip.at(frame, channel) -= static_cast<float>(sum * bump(frame) / bumpSum);
    }
}

// Two bounces can come on neighbouring frames and restart the sound's one
// voice: the hit is over within a frame, so a restart never cuts it ringing.
AudioClip renderBounce()
{
    const double lengthSeconds = 0.014;
    const double rampSeconds = 0.001;
    // Thump and knock stand a little apart in pitch, and the knock in time, on
    // the two sides, which gives the hit its width; so does the slap's noise.
    const double thumpDetune[] = {0.95, 1.05};
    const double knockDetune[] = {0.96, 1.04};
    const double knockDelaySeconds[] = {0.0, 0.001};
    AudioClip clip(2, framesIn(lengthSeconds));
    for (unsigned side = 0; side < 2; ++side) {
        stk::SineWave thump, knock;
        stk::Noise slap(side == 0 ? 17 : 29);
        stk::OnePole slapFilter(0.5);
        for (std::size_t frame = 0; frame < clip.frames(); ++frame) {
            const double t = secondsAt(frame);
            // The thump falls from 330 Hz to 150 Hz, a pitch within its two or
            // three cycles; the rubber's knock is a partial above that dies sooner.
            const double pitchHz = 150.0 + 180.0 * decay(t, 0.004);
            thump.setFrequency(pitchHz * thumpDetune[side]);
            knock.setFrequency(pitchHz * 3.1 * knockDetune[side]);
            const double knockT = std::max(t - knockDelaySeconds[side], 0.0);
            const double sample = thump.tick() * decay(t, 0.006) +
                                  0.45 * knock.tick() * rampIn(knockT, rampSeconds) * decay(knockT, 0.003) +
                                  0.35 * slapFilter.tick(slap.tick()) * decay(t, 0.0012);
            clip.at(frame, side) =
                static_cast<float>(sample * rampIn(t, rampSeconds) * fadeOut(t, lengthSeconds, 0.006));
        }
    }
    removeOffset(clip);
    // The bounce peaks 3 dB under full scale, leaving room for the mix.
    float peak = 0.0f;
    for (float sample : clip.samples) peak = std::max(peak, std::fabs(sample));
    scaleBy(clip, static_cast<float>(dbToGain(-3.0)) / peak);
    return clip;
}

// The "lo" swells with a card's 2 s fade from black, peaks as the card comes
// full and dies away in the room before the next one. It is as loud, moment by
// moment, as the music's loudest passages (about -11.7 LUFS over 400 ms).
bool renderLo(AudioClip& clip)
{
    const double lengthSeconds = 4.6;
    const double swellSeconds = 1.8;
    const double loudestMomentaryLufs = -12.5;
    const double maxTruePeakDbtp = -1.0;
    // 0 to 1 over the swell, eased at both ends, then a decay.
    auto swellThenDecay = [&](double seconds, double decaySeconds) {
        if (seconds >= swellSeconds) return decay(seconds - swellSeconds, decaySeconds);
        const double rise = std::sin(0.5 * pi * seconds / swellSeconds);
        return rise * rise;
    };
    clip = AudioClip(2, framesIn(lengthSeconds));
    // A sub-bass on A1 that rises into its note, under A2, E3 and A3 as
    // detuned saw pairs, one side each, opening as they swell.
    stk::SineWave sub;
    const std::array<double, 3> chordMidi = {45.0, 52.0, 57.0};
    std::array<stk::BlitSaw, chordMidi.size() * 2> saws;
    for (std::size_t i = 0; i < saws.size(); ++i)
        saws[i].setFrequency(midiToHz(chordMidi[i / 2] + (i % 2 == 0 ? -1.0 : 1.0) * 0.07));
    std::array<stk::BiQuad, 2> bodyFilters;
    stk::FreeVerb room;
    room.setRoomSize(0.8);
    room.setDamping(0.5);
    room.setEffectMix(1.0);
    const float roomLevel = 0.35f;

    for (std::size_t frame = 0; frame < clip.frames(); ++frame) {
        const double t = secondsAt(frame);
        const double bodyLevel = swellThenDecay(t, 0.8);
        const double cutoffHz = 200.0 + (900.0 - 200.0) * bodyLevel;
        if (frame % 32 == 0)
            for (stk::BiQuad& filter : bodyFilters) setFilter(filter, LowPass, cutoffHz, 0.8);
        sub.setFrequency(55.0 * (1.0 - 0.06 * (1.0 - std::min(t / swellSeconds, 1.0))));
        const double subSample = sub.tick() * swellThenDecay(t, 0.9);

        std::array<double, 2> dry = {0.0, 0.0};
        for (std::size_t i = 0; i < saws.size(); ++i) dry[i % 2] += saws[i].tick();
        for (int side = 0; side < 2; ++side)
            dry[side] = subSample + 0.16 * bodyLevel * bodyFilters[side].tick(dry[side]);
        room.tick(dry[0], dry[1]);
        const double fade = fadeOut(t, lengthSeconds, 1.2);
        for (int side = 0; side < 2; ++side)
            clip.at(frame, side) = static_cast<float>((dry[side] + roomLevel * room.lastOut(side)) * fade);
    }
    removeOffset(clip);
    scaleBy(clip, static_cast<float>(dbToGain(loudestMomentaryLufs - measureLoudness(clip).loudestMomentaryLufs)));
    const double truePeakDbtp = measureLoudness(clip).truePeakDbtp;
    return truePeakDbtp <= maxTruePeakDbtp ||
           reportError("The lo peaks at ", truePeakDbtp, " dBTP, over ", maxTruePeakDbtp, " dBTP.");
}
