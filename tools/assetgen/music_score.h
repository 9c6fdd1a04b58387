#pragma once
// "qrv": the tempo, the form and every note of the show's music track.
//
// A minor at 125 BPM, four-bar cycles of Am, F, C, G. A four-bar intro
// (pad and arpeggio opening up over a drone, hats, a snare roll and a noise
// riser) drops into twenty bars of groove (four-on-the-floor kick, claps,
// hats, a rolling bass under the pad and arpeggio; a saw lead joins at bar
// 12), which end in a four-bar breakdown made of the very notes of the
// intro. The loop goes back to the drop at bar 4, so the breakdown leads
// into it exactly as the intro did.

#include "sound_dsp.h"

#include <cstddef>
#include <vector>

constexpr double tempoBpm = 125.0;
constexpr double secondsPerBeat = 60.0 / tempoBpm;
constexpr std::size_t framesPerBeat = static_cast<std::size_t>(sampleRateHz * secondsPerBeat);
// Every beat, and so every bar and the loop point, falls on a whole frame.
static_assert(framesPerBeat == sampleRateHz * secondsPerBeat);
constexpr int beatsPerBar = 4;
constexpr std::size_t framesPerBar = framesPerBeat * beatsPerBar;

constexpr int introBars = 4;
constexpr int grooveBars = 8;
constexpr int leadBars = 12;
constexpr int breakdownBars = introBars;
constexpr int loopBars = grooveBars + leadBars + breakdownBars;
constexpr int trackBars = introBars + loopBars;
// Rendered past the end of the file so that the master's look-ahead sees
// the drop that the loop leads into.
constexpr int runOnBars = 1;
constexpr int renderedBars = trackBars + runOnBars;

enum class Instrument {
    Kick,
    Clap,
    Snare,
    ClosedHat,
    OpenHat,
    Crash,
    Riser,
    Drone,
    Bass,
    Pad,
    Arp,
    Lead,
};

struct NoteEvent {
    Instrument instrument;
    double startBeat;
    double lengthBeats;
    double midiNote;
    float velocity;    // 0..1
    float pan;         // -1 left .. 1 right
    float brightness;  // 0 dark .. 1 open, for the voices with a filter
};

std::vector<NoteEvent> composeTrack();
