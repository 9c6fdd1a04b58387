#include "core/platform.h"

#ifdef _WIN32

#include <windows.h>

#include <cstdlib>
#include <filesystem>

bool displayAvailable() { return true; }

void setEnvironmentDefault(const char* name, const char* value)
{
    if (!std::getenv(name)) _putenv_s(name, value);
}

void silenceSystemAudio() {}

void enterShowFolder()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return;  // a path too long to know: the folder stays
    std::error_code ignored;
    std::filesystem::current_path(std::filesystem::path(path).parent_path(), ignored);
}

#else

#include <X11/Xlib.h>
#include <dlfcn.h>

#include <cstdlib>
#include <iostream>

bool displayAvailable()
{
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::cerr << "Unable to open the display: DISPLAY is unset or names no running X server." << std::endl;
        return false;
    }
    XCloseDisplay(display);
    return true;
}

void setEnvironmentDefault(const char* name, const char* value)
{
    const int keepUserValue = 0;
    setenv(name, value, keepUserValue);
}

static void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

void silenceSystemAudio()
{
    using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_NOW);
    if (!alsa) return;  // no ALSA, no noise from it; the handle stays open for OpenAL
    auto setHandler = reinterpret_cast<int (*)(ErrorHandler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler) setHandler(ignoreAlsaError);
}

void enterShowFolder() {}

#endif
