#include "core/library_output.h"

#include <AL/alc.h>
#include <SFML/System/Err.hpp>

#include <cstdlib>
#include <dlfcn.h>

// The ALSA library, which OpenAL loads for its output, reports every device
// that it cannot open; a handler that says nothing takes its place.
static void ignoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

static void silenceAlsa()
{
    using ErrorHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_NOW);
    if (!alsa) return;  // no ALSA, no noise from it; the handle stays open for OpenAL
    auto setHandler = reinterpret_cast<int (*)(ErrorHandler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler) setHandler(ignoreAlsaError);
}

void silenceLibraryOutput()
{
    sf::err().rdbuf(nullptr);
    // OpenAL Soft reads its log level when it opens its first device; a
    // level that the user set stays.
    const int keepUserLevel = 0;
    setenv("ALSOFT_LOGLEVEL", "0", keepUserLevel);
    silenceAlsa();
}

bool audioDeviceOpen()
{
    return alcGetCurrentContext() != nullptr;
}
