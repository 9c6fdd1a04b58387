#pragma once

#include <SFML/Graphics/Sprite.hpp>
#include <nlohmann/json.hpp>

#include <string>
#include <unordered_map>

// Every sprite of the show, built once over the registered textures.
struct SpriteManager {
    std::unordered_map<std::string, sf::Sprite*> sprites;  // records never move or die

    bool loadManifest(std::string path);
    bool loadFromJson(nlohmann::json document);
    bool exists(std::string key);
    sf::Sprite* get(std::string key);  // null after a line for an unknown key
};

extern SpriteManager spriteManager;
