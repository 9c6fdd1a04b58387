// A sound manifest as the fuzzer writes it; each loaded sound is played.
#include "assets/sound_manager.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    prepareFuzzFolder();
    writeInput("sounds.json", data, size);
    soundManager.loadManifest("sounds.json");
    for (const auto& sound : soundManager.sounds) soundManager.play(sound.first);
    soundManager.releaseAll();
    return 0;
}
