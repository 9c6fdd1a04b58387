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

namespace {

// Levels of nesting kept: a manifest's field values sit at the fourth.
constexpr std::size_t KEPT_DEPTH = 8;

// Builds the document value by value from the parser's events, the way the
// library's own reader does, so that a cut-off document keeps its start.
struct ShallowDocumentBuilder {
    nlohmann::json& root;
    std::vector<nlohmann::json*> open{};  // the containers being filled
    nlohmann::json* member = nullptr;     // the object member the next value fills
    std::size_t skippedDepth = 0;         // containers open below KEPT_DEPTH
    std::string error{};

    nlohmann::json* add(nlohmann::json value)
    {
        if (open.empty()) {
            root = std::move(value);
            return &root;
        }
        if (open.back()->is_array()) {
            open.back()->push_back(std::move(value));
            return &open.back()->back();
        }
        *member = std::move(value);
        return member;
    }

    bool scalar(nlohmann::json value)
    {
        if (skippedDepth == 0) add(std::move(value));
        return true;
    }

    bool start(nlohmann::json container)
    {
        if (skippedDepth > 0) {
            ++skippedDepth;
            return true;
        }
        nlohmann::json* added = add(std::move(container));
        if (open.size() < KEPT_DEPTH) {
            open.push_back(added);
        } else {
            ++skippedDepth;  // kept as an empty container of its kind
        }
        return true;
    }

    bool end()
    {
        if (skippedDepth > 0) {
            --skippedDepth;
        } else {
            open.pop_back();
        }
        return true;
    }

    bool null() { return scalar(nullptr); }
    bool boolean(bool value) { return scalar(value); }
    bool number_integer(nlohmann::json::number_integer_t value) { return scalar(value); }
    bool number_unsigned(nlohmann::json::number_unsigned_t value) { return scalar(value); }
    bool number_float(nlohmann::json::number_float_t value, const std::string&) { return scalar(value); }
    bool string(std::string& value) { return scalar(std::move(value)); }
    bool binary(nlohmann::json::binary_t&) { return true; }  // JSON text holds none
    bool start_object(std::size_t) { return start(nlohmann::json::object()); }
    bool start_array(std::size_t) { return start(nlohmann::json::array()); }
    bool end_object() { return end(); }
    bool end_array() { return end(); }

    bool key(std::string& name)
    {
        if (skippedDepth == 0) member = &(*open.back())[name];
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::json::exception& exception)
    {
        error = exception.what();
        return false;
    }
};

}  // namespace

std::string readJsonDocument(std::istream& stream, nlohmann::json& document)
{
    ShallowDocumentBuilder builder{document};
    const bool strict = false;  // one value; what follows it is not read
    nlohmann::json::sax_parse(stream, &builder, nlohmann::json::input_format_t::json, strict);
    return builder.error;
}

bool readManifest(const ManifestKind& kind, const std::string& path, nlohmann::json& document)
{
    std::ifstream file(path);
    if (!file.is_open()) {
        reportLine(kind.prefix, "Unable to open file " + path + ".");
        return false;
    }
    // What was read before an error is kept and loaded like the rest.
    const std::string error = readJsonDocument(file, document);
    if (!error.empty()) {
        reportLine(kind.prefix, "Error while parsing JSON.");
        std::cerr << error << std::endl;
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
