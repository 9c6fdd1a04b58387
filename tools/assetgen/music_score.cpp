#include "music_score.h"

#include <array>

namespace {

constexpr int stepsPerBeat = 4;
constexpr double stepBeats = 1.0 / stepsPerBeat;
constexpr int stepsPerBar = stepsPerBeat * beatsPerBar;

struct Chord {
    int rootMidi;                 // the drone and bass note, in octave 1-2
    std::array<int, 4> padMidi;   // voiced around middle C, moving by steps
    std::array<int, 5> arpMidi;   // the chord tones an octave higher, and the top again
};

// Am, F, C, G.
const std::array<Chord, 4> progression = {{
    {33, {57, 60, 64, 69}, {69, 72, 76, 81, 84}},
    {29, {57, 60, 65, 69}, {69, 72, 77, 81, 84}},
    {36, {55, 60, 64, 67}, {67, 72, 76, 79, 84}},
    {31, {55, 59, 62, 67}, {67, 71, 74, 79, 83}},
}};

// Which chord tone the arpeggio plays on each sixteenth of a bar.
constexpr std::array<int, stepsPerBar> arpPattern = {0, 2, 1, 3, 2, 4, 3, 1,
                                                     0, 2, 1, 3, 4, 3, 2, 1};
constexpr float arpPanWidth = 0.35f;

// Everything but the tails stops this long before the drop: the breath
// that makes it land, and a quiet end for the file that the loop joins.
constexpr double dropBreathBeats = 0.5;

struct MelodyNote {
    double beat;
    double lengthBeats;
    int midi;
};

// The lead's two four-bar phrases: a question over the cycle, then an
// answer that climbs to the top of the F and settles on the G.
const std::vector<MelodyNote> phraseA = {
    {0.0, 1.5, 76}, {1.5, 0.5, 74}, {2.0, 1.0, 72}, {3.0, 1.0, 76},
    {4.0, 1.5, 81}, {5.5, 0.5, 79}, {6.0, 2.0, 77},
    {8.0, 1.5, 79}, {9.5, 0.5, 76}, {10.0, 1.0, 72}, {11.0, 1.0, 74},
    {12.0, 1.5, 74}, {13.5, 0.5, 72}, {14.0, 2.0, 71},
};
const std::vector<MelodyNote> phraseB = {
    {0.0, 1.5, 76}, {1.5, 0.5, 74}, {2.0, 1.0, 72}, {3.0, 0.5, 74}, {3.5, 0.5, 76},
    {4.0, 1.5, 84}, {5.5, 0.5, 81}, {6.0, 1.0, 79}, {7.0, 1.0, 81},
    {8.0, 1.5, 79}, {9.5, 0.5, 76}, {10.0, 1.5, 79}, {11.5, 0.5, 81},
    {12.0, 2.0, 83}, {14.0, 1.0, 81}, {15.0, 1.0, 79},
};

// Sixteenth-note velocities within a beat: hats lean on the offbeat, the
// rolling bass fills the three sixteenths that the kick leaves free.
constexpr std::array<float, stepsPerBeat> closedHatVelocity = {0.55f, 0.3f, 0.0f, 0.4f};
constexpr std::array<float, stepsPerBeat> bassVelocity = {0.0f, 0.8f, 0.9f, 1.0f};
constexpr float openHatVelocity = 0.6f;
constexpr float hatPan = 0.25f;
constexpr float openHatPan = -0.2f;

const Chord& chordOfBar(int bar)
{
    return progression[bar % progression.size()];
}

struct Score {
    std::vector<NoteEvent> events;

    void add(Instrument instrument, double startBeat, double lengthBeats, double midiNote,
             float velocity, float pan = 0.0f, float brightness = 1.0f)
    {
        events.push_back({instrument, startBeat, lengthBeats, midiNote, velocity, pan, brightness});
    }

    void addChords(int bar, double lengthBeats, float brightness, float velocity)
    {
        const double beat = bar * beatsPerBar;
        for (int midi : chordOfBar(bar).padMidi)
            add(Instrument::Pad, beat, lengthBeats, midi, velocity, 0.0f, brightness);
    }

    void addArpeggio(int bar, double lengthBeats, float brightnessFrom, float brightnessTo,
                     float velocity)
    {
        const Chord& chord = chordOfBar(bar);
        const int steps = static_cast<int>(lengthBeats * stepsPerBeat);
        for (int step = 0; step < steps; ++step) {
            const float along = static_cast<float>(step) / stepsPerBar;
            const float pan = step % 2 == 0 ? -arpPanWidth : arpPanWidth;
            add(Instrument::Arp, bar * beatsPerBar + step * stepBeats, stepBeats,
                chord.arpMidi[arpPattern[step]], velocity, pan,
                brightnessFrom + (brightnessTo - brightnessFrom) * along);
        }
    }

    // The intro, and the breakdown that repeats it note for note: the pad
    // and arpeggio open up over a drone, hats come in halfway, and a snare
    // roll with a riser pulls into the drop after a short breath.
    void addBreakdown(int firstBar)
    {
        for (int i = 0; i < breakdownBars; ++i) {
            const int bar = firstBar + i;
            const bool lastBar = i == breakdownBars - 1;
            const double lengthBeats = lastBar ? beatsPerBar - dropBreathBeats : beatsPerBar;
            const float opening = static_cast<float>(i) / breakdownBars;
            const float opened = static_cast<float>(i + 1) / breakdownBars;
            addChords(bar, lengthBeats, opening, 0.8f);
            addArpeggio(bar, lengthBeats, opening * 0.8f, opened * 0.8f, 0.45f + 0.1f * i);
            add(Instrument::Drone, bar * beatsPerBar, lengthBeats, chordOfBar(bar).rootMidi, 0.8f);
            if (i < breakdownBars / 2) continue;
            for (double beat = 0.5; beat < lengthBeats; beat += 1.0)
                add(Instrument::ClosedHat, bar * beatsPerBar + beat, stepBeats, 0.0,
                    0.35f + 0.1f * static_cast<float>(beat), hatPan);
        }
        const int lastBar = firstBar + breakdownBars - 1;
        const double rollStart = lastBar * beatsPerBar;
        const int rollSteps = static_cast<int>((beatsPerBar - dropBreathBeats) * stepsPerBeat);
        for (int step = 0; step < rollSteps; ++step) {
            if (step < stepsPerBar / 2 && step % 2 == 1) continue;  // eighths, then sixteenths
            const float rising = static_cast<float>(step) / rollSteps;
            add(Instrument::Snare, rollStart + step * stepBeats, stepBeats, 0.0,
                0.15f + 0.75f * rising * rising);
        }
        add(Instrument::Riser, rollStart, beatsPerBar - dropBreathBeats, 0.0, 1.0f);
    }

    void addGrooveBar(int bar, bool fillsIntoBreakdown)
    {
        const Chord& chord = chordOfBar(bar);
        for (int beat = 0; beat < beatsPerBar; ++beat) {
            const double beatStart = bar * beatsPerBar + beat;
            const bool fillBeat = fillsIntoBreakdown && beat == beatsPerBar - 1;
            if (fillBeat) {
                for (int step = 0; step < stepsPerBeat; ++step)
                    add(Instrument::Snare, beatStart + step * stepBeats, stepBeats, 0.0,
                        0.5f + 0.15f * step);
                continue;
            }
            add(Instrument::Kick, beatStart, 1.0, 0.0, 1.0f);
            if (beat % 2 == 1) add(Instrument::Clap, beatStart, 1.0, 0.0, 0.9f);
            for (int step = 0; step < stepsPerBeat; ++step) {
                const double start = beatStart + step * stepBeats;
                if (closedHatVelocity[step] > 0.0f)
                    add(Instrument::ClosedHat, start, stepBeats, 0.0, closedHatVelocity[step],
                        hatPan);
                if (bassVelocity[step] > 0.0f)
                    add(Instrument::Bass, start, stepBeats * 0.75, chord.rootMidi,
                        bassVelocity[step]);
            }
            add(Instrument::OpenHat, beatStart + 0.5, 0.5, 0.0, openHatVelocity, openHatPan);
        }
        addChords(bar, beatsPerBar, 1.0f, 0.7f);
        addArpeggio(bar, beatsPerBar, 0.85f, 0.85f, 0.7f);
    }

    void addGroove(int firstBar, int bars)
    {
        add(Instrument::Crash, firstBar * beatsPerBar, beatsPerBar, 0.0, 1.0f);
        for (int i = 0; i < bars; ++i) addGrooveBar(firstBar + i, false);
    }

    void addLeadSection(int firstBar, int bars)
    {
        for (int i = 0; i < bars; ++i) addGrooveBar(firstBar + i, i == bars - 1);
        const int phraseBars = static_cast<int>(progression.size());
        for (int phrase = 0; phrase < bars / phraseBars; ++phrase) {
            const double phraseStart = (firstBar + phrase * phraseBars) * beatsPerBar;
            const std::vector<MelodyNote>& melody = phrase % 2 == 0 ? phraseA : phraseB;
            for (const MelodyNote& note : melody)
                add(Instrument::Lead, phraseStart + note.beat, note.lengthBeats, note.midi, 0.9f);
        }
    }
};

}  // namespace

std::vector<NoteEvent> composeTrack()
{
    Score score;
    score.addBreakdown(0);
    score.addGroove(introBars, grooveBars);
    score.addLeadSection(introBars + grooveBars, leadBars);
    score.addBreakdown(introBars + grooveBars + leadBars);
    score.addGroove(trackBars, runOnBars);
    return score.events;
}
