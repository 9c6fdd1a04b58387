// validateJson with a document and a list of names from the fuzzer: the
// first line holds the names, separated by commas; the rest is the document,
// read as the managers read theirs.
#include "assets/manifest.h"
#include "fuzz_support.h"

#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    prepareFuzzFolder();
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    std::string namesLine;
    std::getline(input, namesLine);
    std::vector<std::string> names;
    std::istringstream namesStream(namesLine);
    for (std::string name; std::getline(namesStream, name, ',');) names.push_back(name);

    nlohmann::json document;
    readJsonDocument(input, document);
    validateJson(document, names);
    return 0;
}
