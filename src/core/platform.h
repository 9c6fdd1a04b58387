#pragma once
// What the show does differently on Linux and on Windows, all in
// platform.cpp; the rest of the program is the same on both.

// Whether an X display can be opened; false after one line. Asked before
// any GL object exists, since the window library ends the process when it
// has no display for them. Windows always has its desktop.
bool displayAvailable();

// Sets a variable of this process's environment unless the user has set it.
void setEnvironmentDefault(const char* name, const char* value);

// Quietens the system's sound layer under OpenAL: ALSA reports every device
// that it cannot open. Windows' layer says nothing.
void silenceSystemAudio();

// Windows starts a program in whatever folder its caller stands in; the
// show's files lie beside the executable, so its folder becomes the working
// directory. On Linux the launcher run.sh does this.
void enterShowFolder();
