#pragma once
// "qrv": the tempo, the form and every note of the show's music track, and
// the voices that play them. The track is cut to the picture: it takes over
// at full strength as the bounces fall silent and the credits panel arrives,
// changes section with every page, drops on the composer's, peaks in the
// camera's flight out of the box and lands its last chord as the picture
// fades to black (the table `form` in music_score.cpp). A minor: Am, F, C, G.

#include "audio_clip.h"
#include "scenes/timeline.h"

#include <cstddef>
#include <vector>

// Two bars last one credits page at 60 fps, within a sample, so each page
// change falls on a downbeat (119.5 BPM); a whole number of frames a beat
// keeps every note on a frame of its own.
constexpr std::size_t framesPerBeat = 22142;
constexpr double secondsPerBeat = static_cast<double>(framesPerBeat) / sampleRateHz;
constexpr int beatsPerBar = 4;
constexpr std::size_t framesPerBar = framesPerBeat * beatsPerBar;
constexpr std::size_t samplesPerShowFrame = sampleRateHz / FRAMES_PER_SECOND;
static_assert(samplesPerShowFrame * FRAMES_PER_SECOND == sampleRateHz);
constexpr std::size_t framesPerPage = CREDITS_PAGE_FRAMES * samplesPerShowFrame;
static_assert(framesPerBar * 2 - framesPerPage <= 1);

// The file runs two bars past the show, silent, and loops from just before
// the drop ("loopTo" in assets/music.json: whole milliseconds on a whole
// frame), the loop a whole number of bars, so the beat goes on where it would.
constexpr int dropBar = 4;
constexpr int loopToMilliseconds = 8030;
constexpr std::size_t loopToFrames = std::size_t{loopToMilliseconds} * sampleRateHz / 1000;
static_assert(loopToFrames * 1000 == loopToMilliseconds * sampleRateHz);
static_assert(loopToFrames < dropBar * framesPerBar);
constexpr std::size_t trackFrames = loopToFrames + 17 * framesPerBar;

// The last chord lands on this bar, as the picture starts fading to black
// (within three frames); the fader takes the track to silence before the
// screen is black 2 s later.
constexpr int endingBar = 18;
constexpr std::int64_t endingBarLateFrames = static_cast<std::int64_t>(endingBar * framesPerBar / samplesPerShowFrame) -
                                             (FADE_TO_BLACK_FRAME - MUSIC_START_FRAME);
static_assert(endingBarLateFrames >= 0 && endingBarLateFrames < 3);
constexpr double fadeBeats = 3.5;

enum class Instrument { Kick, Clap, Snare, ClosedHat, OpenHat, Crash, Riser, Drone, Bass, Pad, Arp, Lead };

struct NoteEvent {
    Instrument instrument;
    double startBeat, lengthBeats, midiNote;
    float velocity;    // 0..1
    float pan;         // -1 left .. 1 right
    float brightness;  // 0 dark .. 1 open, for the voices with a filter
};

std::vector<NoteEvent> composeTrack();

// An instrument's voice: its renderer, which turns a note into a clip from
// its onset through its release, and where the mixing desk puts it.
struct Voice {
    AudioClip (*render)(const NoteEvent& note);
    bool ducked;
    float reverbSend, delaySend;
};
const Voice& voiceOf(Instrument instrument);
