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
