#pragma once
// What the show does differently on Linux and on Windows, all in
// platform.cpp; the rest of the program is the same on both.

// Ends the program with one line and exit code 1 when no X display can be
// opened, before any GL object exists: the window library would abort.
// Windows always has its desktop.
bool requireDisplay();

// Sets a variable of this process's environment unless the user has set it.
void setEnvironmentDefault(const char* name, const char* value);

// Quietens the system's sound layer under OpenAL: ALSA reports every device
// that it cannot open. Windows' layer says nothing.
void silenceSystemAudio();

// Windows starts a program in whatever folder its caller stands in; the
// show's files lie beside the executable, so its folder becomes the working
// directory. On Linux the launcher run.sh does this.
void enterShowFolder();
