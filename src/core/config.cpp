#include "core/config.h"

#include "assets/manifest.h"
#include "assets/sound_manager.h"
#include "core/app.h"

#include <nlohmann/json.hpp>

#include <fstream>
#include <iostream>

static const char* const CONFIG_PATH = "config.json";

// A switch is applied only when it holds a JSON boolean; any other value
// is reported and counts as absent.
static bool readSwitch(const nlohmann::json& document, const char* key, bool& value)
{
    if (!document.contains(key)) return false;
    const nlohmann::json& field = document.at(key);
    if (!field.is_boolean()) {
        std::cerr << "config.json: " << key << " must be true or false." << std::endl;
        return false;
    }
    value = field.get<bool>();
    return true;
}

void loadConfig()
{
    nlohmann::json document;
    std::ifstream file(CONFIG_PATH);
    if (!file.is_open()) {
        std::cerr << "Config.json missing." << std::endl;
        return;
    }
    const std::string error = readJsonDocument(file, document);
    if (!error.empty()) {
        std::cerr << "config.json: Error while parsing JSON." << std::endl;
        std::cerr << error << std::endl;
        return;
    }
    file.close();

    bool value = false;
    if (readSwitch(document, "fullscreen", value)) fullscreenEnabled = value;
    if (readSwitch(document, "sound", value) && !value) soundManager.muted = true;
    if (readSwitch(document, "vsync", value)) vsyncEnabled = value;
    readSwitch(document, "show_fps", value);  // accepted, with no effect
}
