// A texture manifest as the fuzzer writes it.
#include "assets/texture_manager.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    prepareFuzzFolder();
    writeInput("textures.json", data, size);
    textureManager.loadManifest("textures.json");
    clearRegistry(textureManager.textures);
    return 0;
}
