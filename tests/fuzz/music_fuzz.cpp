// A music manifest as the fuzzer writes it; each song is played.
#include "assets/music_manager.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    prepareFuzzFolder();
    writeInput("music.json", data, size);
    musicManager.loadManifest("music.json");
    for (const auto& song : musicManager.songs) musicManager.play(song.first, true);
    musicManager.music.stop();
    clearRegistry(musicManager.songs);
    return 0;
}
