// The two effects of the show: "bounce" for every ball contact and "lo",
// which announces each intro card.
#include "assetgen.h"
#include "scenes/timeline.h"

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
    // The bounce peaks 9 dB under full scale: a tick over the lo's bed, not a crack.
    float peak = 0.0f;
    for (float sample : clip.samples) peak = std::max(peak, std::fabs(sample));
    scaleBy(clip, static_cast<float>(dbToGain(-9.0)) / peak);
    return clip;
}

// The "lo" carries the intro in A minor, the music's key. A pad on A minor
// swells with a card's 2 s fade from black and holds until just before the
// next card, under a mallet that bounces once a second as the card's title
// hops, up to the top note as the card comes full and back down. It is
// silent from 6.9 s to 7.2 s, so the next card's play, 7 s after this one
// and up to a dozen frames later in real time, cuts nothing ringing. Only
// the last card lets it go on: after the silence a ball comes to rest in
// falling bounces over an F major seventh, which holds under the ball
// scene's first bounces and gives way to E, the music's dominant: that
// swells under ever quicker bounces and dies away under the music's first
// beat, on A minor. It is as loud, moment by moment, as the music's loudest
// passages (about -11.7 LUFS over 400 ms).
constexpr double LAST_LO_TO_MUSIC_S = double(MUSIC_START_FRAME - CARD_LO_FRAMES[3]) / FRAMES_PER_SECOND;
struct LoPart {
    double fromSeconds, swellSeconds, fadeFromSeconds, toSeconds;
    double chordMidi[4];
    double padLevel;
};
static const LoPart LO_PARTS[] = {
    {0.0, 2.0, 6.4, 6.9, {57.0, 60.0, 64.0, 69.0}, 1.0},
    {7.2, 0.6, 15.5, 19.0, {53.0, 57.0, 60.0, 64.0}, 0.8},
    {12.0, 15.0, LAST_LO_TO_MUSIC_S, LAST_LO_TO_MUSIC_S + 0.3, {64.0, 68.0, 71.0, 74.0}, 0.9},
};
struct LoBounce {
    double atSeconds, midiNote;
    float velocity, pan;
};
static const LoBounce LO_BOUNCES[] = {
    {0.0, 69.0, 0.5f, -0.3f},  {1.0, 72.0, 0.7f, 0.3f},  {2.0, 76.0, 0.9f, -0.2f}, {2.0, 81.0, 1.0f, 0.2f},
    {3.0, 76.0, 0.75f, 0.3f},  {4.0, 72.0, 0.6f, -0.3f}, {5.0, 71.0, 0.5f, 0.2f},  {6.0, 69.0, 0.4f, -0.2f},
    {7.2, 81.0, 0.8f, 0.0f},   {7.8, 76.0, 0.6f, 0.1f},  {8.25, 72.0, 0.45f, -0.1f}, {8.57, 69.0, 0.33f, 0.1f},
    {8.8, 64.0, 0.24f, 0.0f},  {8.96, 60.0, 0.17f, 0.0f},
    {LAST_LO_TO_MUSIC_S - 4.0, 64.0, 0.2f, -0.3f}, {LAST_LO_TO_MUSIC_S - 3.0, 68.0, 0.25f, 0.3f},
    {LAST_LO_TO_MUSIC_S - 2.2, 71.0, 0.3f, -0.2f}, {LAST_LO_TO_MUSIC_S - 1.55, 74.0, 0.35f, 0.2f},
    {LAST_LO_TO_MUSIC_S - 1.05, 76.0, 0.4f, -0.1f}, {LAST_LO_TO_MUSIC_S - 0.65, 80.0, 0.45f, 0.1f},
    {LAST_LO_TO_MUSIC_S - 0.35, 83.0, 0.5f, 0.0f},
};

// A mallet on a bar: the note and a partial two octaves up that dies sooner.
static double malletAt(double seconds, double hz)
{
    if (seconds < 0.0) return 0.0;
    const double attack = rampIn(seconds, 0.002);
    return attack * (std::sin(2.0 * pi * hz * seconds) * decay(seconds, 0.45) +
                     0.3 * std::sin(2.0 * pi * 3.99 * hz * seconds) * decay(seconds, 0.05));
}

// Over the last part's final seconds a wash of noise rises into the music's
// first beat, its band sweeping up from 300 Hz to 9 kHz as a drop's build-up
// does, and stops on the beat.
constexpr double RISER_SECONDS = 10.0;
constexpr double RISER_LEVEL = 0.4;
static void addRiser(AudioClip& clip)
{
    const double from = LAST_LO_TO_MUSIC_S - RISER_SECONDS;
    for (unsigned side = 0; side < 2; ++side) {
        stk::Noise noise(side == 0 ? 41 : 43);
        stk::BiQuad band;
        for (std::size_t frame = framesIn(from); frame < framesIn(LAST_LO_TO_MUSIC_S); ++frame) {
            const double t = secondsAt(frame);
            const double progress = (t - from) / RISER_SECONDS;
            if (frame % 32 == 0) setFilter(band, BandPass, 300.0 * std::pow(30.0, progress), 1.5);
            const double level = RISER_LEVEL * progress * progress * fadeOut(t, LAST_LO_TO_MUSIC_S, 0.03);
            clip.at(frame, side) += static_cast<float>(level * band.tick(noise.tick()));
        }
    }
}

// 0 to 1 over the swell, eased at both ends, held, and to 0 again over the fade.
static double partLevel(const LoPart& part, double seconds)
{
    const double in = seconds - part.fromSeconds;
    if (in <= 0.0 || seconds >= part.toSeconds) return 0.0;
    const double rise = in >= part.swellSeconds ? 1.0 : std::sin(0.5 * pi * in / part.swellSeconds);
    return rise * rise * fadeOut(seconds, part.toSeconds, part.toSeconds - part.fadeFromSeconds);
}

bool renderLo(AudioClip& clip)
{
    const double loudestMomentaryLufs = -12.5;
    const double maxTruePeakDbtp = -1.0;
    clip = AudioClip(2, framesIn(LO_PARTS[std::size(LO_PARTS) - 1].toSeconds));
    for (const LoPart& part : LO_PARTS) {
        // Each chord note as a detuned saw pair, one side each, opening as it swells.
        std::array<stk::BlitSaw, 8> saws;
        for (std::size_t i = 0; i < saws.size(); ++i)
            saws[i].setFrequency(midiToHz(part.chordMidi[i / 2] + (i % 2 == 0 ? -1.0 : 1.0) * 0.08));
        std::array<stk::BiQuad, 2> bodyFilters;
        // The root an octave down, a sine in the middle, gives the chord its weight.
        stk::SineWave sub;
        sub.setFrequency(midiToHz(part.chordMidi[0] - 12.0));
        stk::FreeVerb room;
        room.setRoomSize(0.85);
        room.setDamping(0.4);
        room.setEffectMix(1.0);
        const float roomLevel = 0.5f;
        // The gate ends the part at zero, its room's ringing too.
        for (std::size_t frame = framesIn(part.fromSeconds); frame < framesIn(part.toSeconds); ++frame) {
            const double t = secondsAt(frame);
            const double level = partLevel(part, t);
            if (frame % 32 == 0)
                for (stk::BiQuad& filter : bodyFilters) setFilter(filter, LowPass, 500.0 + 2000.0 * level, 0.8);
            std::array<double, 2> dry = {0.0, 0.0};
            for (std::size_t i = 0; i < saws.size(); ++i) dry[i % 2] += saws[i].tick();
            const double subSample = 0.2 * sub.tick();
            for (int side = 0; side < 2; ++side)
                dry[side] = part.padLevel * level * (0.25 * bodyFilters[side].tick(dry[side]) + subSample);
            for (const LoBounce& bounce : LO_BOUNCES) {
                if (bounce.atSeconds < part.fromSeconds || bounce.atSeconds >= part.toSeconds) continue;
                const double note = bounce.velocity * malletAt(t - bounce.atSeconds, midiToHz(bounce.midiNote));
                const PanGains gains = panGains(bounce.pan);
                dry[0] += gains.left * note, dry[1] += gains.right * note;
            }
            room.tick(dry[0], dry[1]);
            const double gate = fadeOut(t, part.toSeconds, 0.2);
            for (int side = 0; side < 2; ++side)
                clip.at(frame, side) += static_cast<float>((dry[side] + roomLevel * room.lastOut(side)) * gate);
        }
    }
    addRiser(clip);
    scaleBy(clip, static_cast<float>(dbToGain(loudestMomentaryLufs - measureLoudness(clip).loudestMomentaryLufs)));
    const double truePeakDbtp = measureLoudness(clip).truePeakDbtp;
    return truePeakDbtp <= maxTruePeakDbtp ||
           reportError("The lo peaks at ", truePeakDbtp, " dBTP, over ", maxTruePeakDbtp, " dBTP.");
}
