// A sprite manifest as the fuzzer writes it, over two registered textures.
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    prepareFuzzFolder();
    if (textureManager.textures.empty()) {
        textureManager.add("red", "red.png", false);
        textureManager.add("tiled", "red.png", true);
    }
    writeInput("sprites.json", data, size);
    spriteManager.loadManifest("sprites.json");
    clearRegistry(spriteManager.sprites);
    return 0;
}
