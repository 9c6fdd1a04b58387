// config.json as the fuzzer writes it.
#include "core/config.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    prepareFuzzFolder();
    writeInput("config.json", data, size);
    loadConfig();
    return 0;
}
