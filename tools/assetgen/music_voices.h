#pragma once
// One renderer per instrument of the music track: each turns a note into a
// clip of its own that starts at the note's onset and holds its whole
// release, mono for the drums, bass and arpeggio, stereo for the rest.

#include "audio.h"
#include "music_score.h"

#include <functional>

// Fills one frame (channels samples) at the given time into the voice.
using FrameSource = std::function<void(double seconds, double* frame)>;

// Runs source over a new clip, ramped in and faded out at its end so that
// no voice starts or stops with a click, and scaled by level.
AudioClip shapedVoice(unsigned channels, double lengthSeconds, double fadeSeconds, double level,
                      const FrameSource& source);

AudioClip renderKick(const NoteEvent& note);
AudioClip renderClap(const NoteEvent& note);
AudioClip renderSnare(const NoteEvent& note);
AudioClip renderClosedHat(const NoteEvent& note);
AudioClip renderOpenHat(const NoteEvent& note);
AudioClip renderCrash(const NoteEvent& note);
AudioClip renderRiser(const NoteEvent& note);

AudioClip renderDrone(const NoteEvent& note);
AudioClip renderBass(const NoteEvent& note);
AudioClip renderPad(const NoteEvent& note);
AudioClip renderArp(const NoteEvent& note);
AudioClip renderLead(const NoteEvent& note);
