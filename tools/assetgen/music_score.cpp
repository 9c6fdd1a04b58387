#include "music.h"

#include <array>

namespace {

constexpr int stepsPerBeat = 4;
constexpr double stepBeats = 1.0 / stepsPerBeat;
constexpr int stepsPerBar = stepsPerBeat * beatsPerBar;

enum ChordName { Am, F, C, G };

enum class Section {
    Entrance,   // the groove at full strength from its first beat
    Build,      // busier hats, then a snare roll and a riser into the drop
    Drop,       // crash, and the lead's question over the groove
    Answer,     // the lead's answer, and a fill into the breakdown
    Breakdown,  // one low hit, then pad, arpeggio and drone alone
    Rise,       // the kick back on every beat under a two-bar roll and riser
    Flight,     // everything, the lead doubled an octave down
    Ending,     // the last chord, which the fader takes to silence
    Rest,       // silence to the end of the show and of the file
};

struct FormRow {
    Section section;
    int firstBar, bars;
    std::vector<ChordName> chords;  // one a bar
};

// The form against the picture, from the music's start: two bars a credits
// page; the show's soundtrack ends with bar 19.
const std::vector<FormRow> form = {
    // section          bar  bars  chords             on screen at that bar
    {Section::Entrance,  0,    2,  {Am, F}},              // the bounces fall silent, the credits panel arrives
    {Section::Build,     2,    2,  {C, G}},               // page CODE
    {Section::Drop,      dropBar, 2, {Am, F}},            // page MUSIC, the composer's
    {Section::Answer,    6,    2,  {C, G}},               // page GRAPHICS
    {Section::Breakdown, 8,    2,  {Am, F}},              // page SHADERS
    {Section::Rise,      10,   2,  {C, G}},               // page SUPPORT
    {Section::Flight,    12,   6,  {Am, F, C, G, F, G}},  // the camera starts its flight out of the box
    {Section::Ending,    endingBar, 1, {Am}},             // the fade to black starts
    {Section::Rest,      endingBar + 1, 2, {}},           // black, then the show quits
};

struct Chord {
    int rootMidi;                 // the drone and bass note, in octave 1-2
    std::array<int, 4> padMidi;   // voiced around middle C, moving by steps
    std::array<int, 5> arpMidi;   // the chord tones an octave higher, and the top again
};

// In the order of ChordName.
const Chord chordTones[] = {
    {33, {57, 60, 64, 69}, {69, 72, 76, 81, 84}},
    {29, {57, 60, 65, 69}, {69, 72, 77, 81, 84}},
    {36, {55, 60, 64, 67}, {67, 72, 76, 79, 84}},
    {31, {55, 59, 62, 67}, {67, 71, 74, 79, 83}},
};

// Which chord tone the arpeggio plays on each sixteenth of a bar.
constexpr std::array<int, stepsPerBar> arpPattern = {0, 2, 1, 3, 2, 4, 3, 1, 0, 2, 1, 3, 4, 3, 2, 1};

// All but the tails stops this long before the drop and the flight, to land them.
constexpr double breathBeats = 0.5;

struct MelodyNote {
    double beat, lengthBeats;
    int midi;
};

// The lead: a question over Am and F, its answer over C and G, and in the
// flight a line that climbs to the top of the F and leaves the last chord its A.
const std::vector<MelodyNote> questionLine = {
    {0.0, 1.5, 76}, {1.5, 0.5, 74}, {2.0, 1.0, 72}, {3.0, 1.0, 76},
    {4.0, 1.5, 81}, {5.5, 0.5, 79}, {6.0, 2.0, 77},
};
const std::vector<MelodyNote> answerLine = {
    {0.0, 1.5, 79}, {1.5, 0.5, 76}, {2.0, 1.0, 72}, {3.0, 1.0, 74},
    {4.0, 1.5, 74}, {5.5, 0.5, 72}, {6.0, 2.0, 71},
};
const std::vector<MelodyNote> flightLine = {
    {0.0, 1.5, 76},  {1.5, 0.5, 74},  {2.0, 1.0, 72},  {3.0, 0.5, 74},  {3.5, 0.5, 76},
    {4.0, 1.5, 84},  {5.5, 0.5, 81},  {6.0, 1.0, 79},  {7.0, 1.0, 81},
    {8.0, 1.5, 79},  {9.5, 0.5, 76},  {10.0, 1.5, 79}, {11.5, 0.5, 81},
    {12.0, 2.0, 83}, {14.0, 1.0, 81}, {15.0, 1.0, 79},
    {16.0, 1.5, 81}, {17.5, 0.5, 79}, {18.0, 1.0, 77}, {19.0, 1.0, 76},
    {20.0, 1.5, 74}, {21.5, 0.5, 76}, {22.0, 1.0, 79}, {23.0, 1.0, 83},
};

// Sixteenth-note velocities within a beat: hats lean on the offbeat, the
// rolling bass fills the three sixteenths that the kick leaves free.
constexpr std::array<float, stepsPerBeat> closedHatVelocity = {0.55f, 0.3f, 0.0f, 0.4f};
constexpr std::array<float, stepsPerBeat> busyHatVelocity = {0.45f, 0.35f, 0.5f, 0.4f};
constexpr std::array<float, stepsPerBeat> bassVelocity = {0.0f, 0.8f, 0.9f, 1.0f};
constexpr float hatPan = 0.25f;

// A bar of the groove: kick, claps, hats and bass under the pad and arpeggio.
struct GrooveBar {
    const std::array<float, stepsPerBeat>& hats;
    bool fillOnLastBeat;  // a snare fill over the kick in place of the last beat
    float padBrightness, arpBrightness;
};

struct Score {
    std::vector<NoteEvent> events;

    void add(Instrument instrument, double startBeat, double lengthBeats, double midiNote, float velocity,
             float pan = 0.0f, float brightness = 1.0f)
    {
        events.push_back({instrument, startBeat, lengthBeats, midiNote, velocity, pan, brightness});
    }

    void addChords(int bar, const Chord& chord, double lengthBeats, float brightness, float velocity)
    {
        for (int midi : chord.padMidi)
            add(Instrument::Pad, bar * beatsPerBar, lengthBeats, midi, velocity, 0.0f, brightness);
    }

    void addArpeggio(int bar, const Chord& chord, double lengthBeats, float brightnessFrom, float brightnessTo,
                     float velocity)
    {
        const int steps = static_cast<int>(lengthBeats * stepsPerBeat);
        for (int step = 0; step < steps; ++step) {
            const float along = static_cast<float>(step) / stepsPerBar;
            const float pan = step % 2 == 0 ? -0.35f : 0.35f;
            add(Instrument::Arp, bar * beatsPerBar + step * stepBeats, stepBeats, chord.arpMidi[arpPattern[step]],
                velocity, pan, brightnessFrom + (brightnessTo - brightnessFrom) * along);
        }
    }

    // Eighths for the first half, sixteenths for the second, swelling.
    void addSnareRoll(double startBeat, double lengthBeats)
    {
        const int steps = static_cast<int>(lengthBeats * stepsPerBeat);
        for (int step = 0; step < steps; ++step) {
            if (step < steps / 2 && step % 2 == 1) continue;
            const float rising = static_cast<float>(step) / steps;
            add(Instrument::Snare, startBeat + step * stepBeats, stepBeats, 0.0, 0.15f + 0.75f * rising * rising);
        }
    }

    void addGrooveBar(int bar, const Chord& chord, const GrooveBar& groove)
    {
        for (int beat = 0; beat < beatsPerBar; ++beat) {
            const double beatStart = bar * beatsPerBar + beat;
            add(Instrument::Kick, beatStart, 1.0, 0.0, 1.0f);
            if (groove.fillOnLastBeat && beat == beatsPerBar - 1) {
                for (int step = 0; step < stepsPerBeat; ++step)
                    add(Instrument::Snare, beatStart + step * stepBeats, stepBeats, 0.0, 0.5f + 0.15f * step);
                continue;
            }
            if (beat % 2 == 1) add(Instrument::Clap, beatStart, 1.0, 0.0, 0.9f);
            for (int step = 0; step < stepsPerBeat; ++step) {
                const double start = beatStart + step * stepBeats;
                if (groove.hats[step] > 0.0f)
                    add(Instrument::ClosedHat, start, stepBeats, 0.0, groove.hats[step], hatPan);
                if (bassVelocity[step] > 0.0f)
                    add(Instrument::Bass, start, stepBeats * 0.75, chord.rootMidi, bassVelocity[step]);
            }
            add(Instrument::OpenHat, beatStart + 0.5, 0.5, 0.0, 0.6f, -0.2f);
        }
        addChords(bar, chord, beatsPerBar, groove.padBrightness, 0.7f);
        addArpeggio(bar, chord, beatsPerBar, groove.arpBrightness, groove.arpBrightness, 0.7f);
    }

    void addLead(int bar, const std::vector<MelodyNote>& line, bool octaveDown)
    {
        for (const MelodyNote& note : line) {
            const double start = bar * beatsPerBar + note.beat;
            add(Instrument::Lead, start, note.lengthBeats, note.midi, 0.9f);
            if (octaveDown) add(Instrument::Lead, start, note.lengthBeats, note.midi - 12, 0.55f);
        }
    }

    // Pad, arpeggio and drone alone, opening up bar by bar from `opening`;
    // the last bar may stop early for a breath.
    void addOpeningBars(const FormRow& row, float opening, double lastBarBeats)
    {
        for (int i = 0; i < row.bars; ++i) {
            const int bar = row.firstBar + i;
            const Chord chord = chordTones[row.chords[i]];
            const double lengthBeats = i == row.bars - 1 ? lastBarBeats : beatsPerBar;
            const float from = opening + (1.0f - opening) * i / row.bars;
            const float to = opening + (1.0f - opening) * (i + 1) / row.bars;
            addChords(bar, chord, lengthBeats, from, 0.8f);
            addArpeggio(bar, chord, lengthBeats, from * 0.8f, to * 0.8f, 0.55f + 0.1f * i);
            add(Instrument::Drone, bar * beatsPerBar, lengthBeats, chord.rootMidi, 0.8f);
        }
    }

    void addSection(const FormRow& row)
    {
        const double firstBeat = row.firstBar * beatsPerBar;
        const double lastBarBeat = firstBeat + (row.bars - 1) * beatsPerBar;
        switch (row.section) {
        case Section::Entrance:
            add(Instrument::Crash, firstBeat, beatsPerBar, 0.0, 0.8f);
            for (int i = 0; i < row.bars; ++i)
                addGrooveBar(row.firstBar + i, chordTones[row.chords[i]], {closedHatVelocity, false, 0.8f, 0.75f});
            break;
        case Section::Build: {
            // The last bar is the roll: the groove's kick under it, its
            // claps and hats left out, and the breath at its end.
            addGrooveBar(row.firstBar, chordTones[row.chords[0]], {busyHatVelocity, false, 0.9f, 0.85f});
            const Chord last = chordTones[row.chords[1]];
            const double rollBeats = beatsPerBar - breathBeats;
            for (int beat = 0; beat < static_cast<int>(rollBeats); ++beat)
                add(Instrument::Kick, lastBarBeat + beat, 1.0, 0.0, 1.0f);
            addChords(row.firstBar + 1, last, rollBeats, 1.0f, 0.8f);
            addArpeggio(row.firstBar + 1, last, rollBeats, 0.85f, 1.0f, 0.7f);
            add(Instrument::Drone, lastBarBeat, rollBeats, last.rootMidi, 0.8f);
            addSnareRoll(lastBarBeat, rollBeats);
            add(Instrument::Riser, lastBarBeat, rollBeats, 0.0, 1.0f);
            break;
        }
        case Section::Drop:
        case Section::Answer:
            add(Instrument::Crash, firstBeat, beatsPerBar, 0.0, row.section == Section::Drop ? 1.0f : 0.6f);
            for (int i = 0; i < row.bars; ++i) {
                const GrooveBar bar{closedHatVelocity, row.section == Section::Answer && i == row.bars - 1, 0.9f, 0.9f};
                addGrooveBar(row.firstBar + i, chordTones[row.chords[i]], bar);
            }
            addLead(row.firstBar, row.section == Section::Drop ? questionLine : answerLine, false);
            break;
        case Section::Breakdown:
            add(Instrument::Crash, firstBeat, beatsPerBar, 0.0, 0.7f);
            add(Instrument::Kick, firstBeat, 1.0, 0.0, 1.0f);
            addOpeningBars(row, 0.35f, beatsPerBar);
            for (double beat = 0.5; beat < beatsPerBar; beat += 1.0)
                add(Instrument::ClosedHat, lastBarBeat + beat, stepBeats, 0.0, 0.35f + 0.1f * static_cast<float>(beat),
                    hatPan);
            break;
        case Section::Rise: {
            const double riseBeats = row.bars * beatsPerBar - breathBeats;
            addOpeningBars(row, 0.6f, beatsPerBar - breathBeats);
            for (int beat = 0; beat < static_cast<int>(riseBeats); ++beat)
                add(Instrument::Kick, firstBeat + beat, 1.0, 0.0, 0.9f);
            addSnareRoll(firstBeat, riseBeats);
            add(Instrument::Riser, firstBeat, riseBeats, 0.0, 1.0f);
            break;
        }
        case Section::Flight:
            for (int i = 0; i < row.bars; ++i) {
                if (i % 4 == 0) add(Instrument::Crash, firstBeat + i * beatsPerBar, beatsPerBar, 0.0, 1.0f);
                const GrooveBar bar{busyHatVelocity, i == row.bars - 1, 1.0f, 1.0f};
                addGrooveBar(row.firstBar + i, chordTones[row.chords[i]], bar);
            }
            addLead(row.firstBar, flightLine, true);
            break;
        case Section::Ending: {
            // Held past the bar: the fader ends it, not the notes.
            const double ringBeats = 2.0 * beatsPerBar;
            const Chord chord = chordTones[row.chords[0]];
            add(Instrument::Crash, firstBeat, beatsPerBar, 0.0, 1.0f);
            add(Instrument::Kick, firstBeat, 1.0, 0.0, 1.0f);
            addChords(row.firstBar, chord, ringBeats, 0.9f, 0.8f);
            add(Instrument::Drone, firstBeat, ringBeats, chord.rootMidi, 1.0f);
            addLead(row.firstBar, {{0.0, ringBeats, 81}}, true);  // the A that the flight line leaves it
            break;
        }
        case Section::Rest: break;
        }
    }
};

}  // namespace

std::vector<NoteEvent> composeTrack()
{
    Score score;
    for (const FormRow& row : form) score.addSection(row);
    return score.events;
}
