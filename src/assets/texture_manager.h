#pragma once

#include <SFML/Graphics/Texture.hpp>
#include <nlohmann/json.hpp>

#include <string>
#include <unordered_map>

// Every texture of the show, loaded once from the texture manifest.
struct TextureManager {
    std::unordered_map<std::string, sf::Texture*> textures;  // records never move or die

    bool loadManifest(std::string path);
    bool loadFromJson(nlohmann::json document);
    bool add(std::string key, std::string file, bool repeated);
    bool exists(std::string key);
    sf::Texture* get(std::string key);  // null after a line for an unknown key
};

extern TextureManager textureManager;
