#pragma once
// The libraries under the show write diagnostics of their own on standard
// error; the program's lines are all that a user should see there.

// Sends the window, graphics and audio libraries' diagnostics nowhere. Runs
// before the first audio object is made, which opens the audio device.
void silenceLibraryOutput();

// Whether the audio library found an output device to play on.
bool audioDeviceOpen();
