#include "assets/manifest.h"

#include <filesystem>
#include <fstream>

void reportLine(const char* prefix, const std::string& message)
{
    std::cerr << prefix << message << std::endl;
}

bool isRegularFile(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

bool validateJson(nlohmann::json document, std::vector<std::string> props)
{
    for (const std::string& name : props) {
        if (!document.is_object() || !document.contains(name)) {
            reportLine("validateJson: ", "Missing prop: " + name + ".");
            return false;
        }
    }
    return true;
}

bool readManifest(const ManifestKind& kind, const std::string& path, nlohmann::json& document)
{
    std::ifstream file(path);
    if (!file.is_open()) {
        reportLine(kind.prefix, "Unable to open file " + path + ".");
        return false;
    }
    // The parser builds the document in place, so what it read before an
    // error is kept and loaded like the rest.
    try {
        file >> document;
    } catch (const nlohmann::json::exception& error) {
        reportLine(kind.prefix, "Error while parsing JSON.");
        std::cerr << error.what() << std::endl;
    }
    return true;
}

static std::string upperCase(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool forEachEntry(const ManifestKind& kind, const nlohmann::json& document,
                  const std::function<void(const std::string& key, EntryFields& fields)>& onEntry)
{
    if (!validateJson(document, {kind.topLevel})) {
        reportLine(kind.prefix, std::string("Missing properties in ") + kind.topLevel + "file.");
        return false;
    }
    for (const auto& item : document.at(kind.topLevel).items()) {
        const std::string& key = item.key();
        if (!item.value().contains(kind.requiredField)) {
            reportLine(kind.prefix, "Missing " + upperCase(kind.requiredField) + " property for [" + key + "]");
            continue;
        }
        EntryFields fields{item.value(), "", ""};
        onEntry(key, fields);
        if (fields.failed()) {
            reportLine(kind.prefix, fields.problem + " " + fields.badField + " property for [" + key + "]");
        }
    }
    return true;
}
