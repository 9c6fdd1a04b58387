#pragma once
// What the four managers share: reading a manifest, checking its top-level
// property, walking its entries, and writing their error lines.

#include <nlohmann/json.hpp>

#include <functional>
#include <iostream>
#include <string>
#include <vector>

// True when the document is an object holding every name; otherwise writes
// the first missing name and returns false.
bool validateJson(nlohmann::json document, std::vector<std::string> props);

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

// Typed access to one entry's fields. A field of a JSON type that does not
// convert is noted, and its entry is then skipped with one line.
struct EntryFields {
    const nlohmann::json& entry;
    std::string badField;  // the first field that did not convert

    template <typename T>
    T read(const char* field, T fallback)
    {
        if (!badField.empty() || !entry.contains(field)) return fallback;
        try {
            return entry.at(field).get<T>();
        } catch (const nlohmann::json::type_error&) {
            badField = field;
            return fallback;
        }
    }

    bool failed() const { return !badField.empty(); }
};

// The common part of loadFromJson: validates the top-level property and
// calls onEntry for every item holding the required field, in the JSON
// library's order. onEntry registers nothing once fields.failed(); the
// wrong type is then reported here.
bool forEachEntry(const ManifestKind& kind, const nlohmann::json& document,
                  const std::function<void(const std::string& key, EntryFields& fields)>& onEntry);
