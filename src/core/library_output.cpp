#include "core/library_output.h"

#include "core/platform.h"

#include <AL/alc.h>
#include <SFML/System/Err.hpp>

void silenceLibraryOutput()
{
    sf::err().rdbuf(nullptr);
    // OpenAL Soft reads its log level when it opens its first device; a
    // level that the user set stays.
    setEnvironmentDefault("ALSOFT_LOGLEVEL", "0");
    silenceSystemAudio();
}

bool audioDeviceOpen()
{
    return alcGetCurrentContext() != nullptr;
}
