#pragma once
// "qrv": the tempo, the form and every note of the show's music track, and
// the voices that play them.
//
// The track is cut to the picture it plays under. It starts when the
// bounces fall silent and the credits panel arrives, takes over from them
// at full strength, changes section with every credits page, drops on the
// page that names the composer, builds into the camera's flight out of
// the box and peaks while it flies, and lands its last chord as the
// picture starts fading to black, silent before the screen is. The form,
// bar by bar against what is on screen, is the table `form` in
// music_score.cpp.
//
// A minor, around Am, F, C and G, at the pace of the credits pages.

#include "audio_clip.h"

#include <cstddef>
#include <vector>

// A credits page stays on screen until its stage time is strictly over
// 4 s: 241 frames at 60 fps, 4.0167 s. Two bars last one page, within a
// sample, so each page change falls on a downbeat (119.5 BPM); a beat of a
// whole number of frames keeps every note and bar on a frame of its own.
constexpr std::size_t framesPerBeat = 22142;
constexpr double secondsPerBeat = static_cast<double>(framesPerBeat) / sampleRateHz;
constexpr int beatsPerBar = 4;
constexpr std::size_t framesPerBar = framesPerBeat * beatsPerBar;
constexpr std::size_t framesPerPage = 241 * (sampleRateHz / 60);
static_assert(framesPerPage * 60 == 241 * sampleRateHz);
static_assert(framesPerBar * 2 - framesPerPage <= 1);

// The file runs two bars past the end of the show, silent, and loops from
// just before the drop: at a whole number of milliseconds on a whole frame
// (the stream's loop point, "loopTo" in assets/music.json), with the loop a
// whole number of bars long, so that the beat goes on where it would have.
constexpr int dropBar = 4;
constexpr int loopToMilliseconds = 8030;
constexpr std::size_t loopToFrames = std::size_t{loopToMilliseconds} * sampleRateHz / 1000;
static_assert(loopToFrames * 1000 == loopToMilliseconds * sampleRateHz);
static_assert(loopToFrames < dropBar * framesPerBar);
constexpr std::size_t trackFrames = loopToFrames + 17 * framesPerBar;

// The last chord lands on this bar, as the picture starts fading to black,
// and the fader takes the whole track to silence within fadeBeats, before
// the screen is black 2 s later.
constexpr int endingBar = 18;
constexpr double fadeBeats = 3.5;

enum class Instrument { Kick, Clap, Snare, ClosedHat, OpenHat, Crash, Riser, Drone, Bass, Pad, Arp, Lead };

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

// An instrument's voice: its renderer, which turns a note into a clip of its
// own that starts at the note's onset and holds its whole release (mono or
// stereo), and where the mixing desk puts it: straight into the mix, or on
// the bus that the kick ducks, with its sends to the reverb and the delay.
struct Voice {
    AudioClip (*render)(const NoteEvent& note);
    bool ducked;
    float reverbSend;
    float delaySend;
};
const Voice& voiceOf(Instrument instrument);
