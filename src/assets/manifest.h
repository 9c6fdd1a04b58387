#pragma once
// What the four managers share: reading a manifest, checking its top-level
// property, walking its entries, and writing their error lines.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <limits>
#include <type_traits>
#include <iostream>
#include <string>
#include <vector>

// True when the document is an object holding every name; otherwise writes
// the first missing name and returns false.
bool validateJson(nlohmann::json document, std::vector<std::string> props);

// Reads one JSON value from the stream into document, as the library's
// stream extraction does: what follows the value is left alone, and after a
// parse error document keeps what was read before it. Containers nested
// deeper than any value the show reads are kept empty, so that no depth of
// nesting costs memory or recursion. Returns the library's error text, or
// an empty string when the value was read whole.
std::string readJsonDocument(std::istream& stream, nlohmann::json& document);

// One error line of a component: its prefix, the message, a flushing end.
void reportLine(const char* prefix, const std::string& message);

// How one manager's manifest looks.
struct ManifestKind {
    const char* prefix;         // "TextureManager: "
    const char* topLevel;       // "textures"
    const char* requiredField;  // "file"
};

// Opens and parses a manifest into document. A parse error is reported and
// what the parser had built is kept. False only when the file did not open.
bool readManifest(const ManifestKind& kind, const std::string& path, nlohmann::json& document);

// Whether a path names a regular file (or a link to one). The audio decoders
// wait for ever on a directory or a device, so they get nothing else.
bool isRegularFile(const std::string& path);

// Whether a JSON number, truncated toward zero, lies within T's range.
template <typename T>
bool numberFitsIn(const nlohmann::json& value)
{
    constexpr auto lowest = std::numeric_limits<T>::min();
    constexpr auto highest = std::numeric_limits<T>::max();
    if (value.is_number_unsigned()) return value.get<std::uint64_t>() <= static_cast<std::uint64_t>(highest);
    if (value.is_number_integer()) {
        const std::int64_t number = value.get<std::int64_t>();
        return number >= lowest && number <= highest;
    }
    const double number = value.get<double>();
    return number > static_cast<double>(lowest) - 1.0 && number < static_cast<double>(highest) + 1.0;
}

// Typed access to one entry's fields. A field of a JSON type that does not
// convert, or a number that its integer cannot hold, is noted, and its
// entry is then skipped with one line.
struct EntryFields {
    const nlohmann::json& entry;
    std::string badField;  // the first field that did not convert
    std::string problem;   // what was wrong with it

    template <typename T>
    T read(const char* field, T fallback)
    {
        if (failed() || !entry.contains(field)) return fallback;
        const nlohmann::json& value = entry.at(field);
        if constexpr (std::is_integral_v<T> && !std::is_same_v<T, bool>) {
            if (value.is_number() && !numberFitsIn<T>(value)) {
                reject(field, "Out of range value of");
                return fallback;
            }
        }
        try {
            return value.get<T>();
        } catch (const nlohmann::json::type_error&) {
            reject(field, "Wrong type of");
            return fallback;
        }
    }

    void reject(const char* field, const char* what)
    {
        badField = field;
        problem = what;
    }

    bool failed() const { return !badField.empty(); }
};

// The common part of loadFromJson: validates the top-level property and
// calls onEntry for every item holding the required field, in the JSON
// library's order. onEntry registers nothing once fields.failed(); the
// wrong type is then reported here.
bool forEachEntry(const ManifestKind& kind, const nlohmann::json& document,
                  const std::function<void(const std::string& key, EntryFields& fields)>& onEntry);
