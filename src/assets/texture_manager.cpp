#include "assets/texture_manager.h"

#include "assets/manifest.h"

#include <utility>

static const ManifestKind TEXTURES{"TextureManager: ", "textures", "file"};

bool TextureManager::loadManifest(std::string path)
{
    nlohmann::json document;
    if (!readManifest(TEXTURES, path, document)) return false;
    return loadFromJson(std::move(document));
}

bool TextureManager::loadFromJson(nlohmann::json document)
{
    return forEachEntry(TEXTURES, document, [this](const std::string& key, EntryFields& fields) {
        const bool repeated = fields.read<bool>("repeated", false);
        const std::string file = fields.read<std::string>("file", "");
        if (!fields.failed()) add(key, file, repeated);
    });
}

bool TextureManager::add(std::string key, std::string file, bool repeated)
{
    if (exists(key)) {
        reportLine(TEXTURES.prefix, "Texture with key " + key + " already exists.");
        return false;
    }
    sf::Texture* texture = new sf::Texture();
    if (!texture->loadFromFile(file, sf::IntRect())) {
        reportLine(TEXTURES.prefix, "Unable to load file " + file + ".");
        delete texture;
        return false;
    }
    texture->setRepeated(repeated);
    textures[key] = texture;
    return true;
}

bool TextureManager::exists(std::string key)
{
    return textures.count(key) != 0;
}

sf::Texture* TextureManager::get(std::string key)
{
    if (exists(key)) return textures[key];
    reportLine(TEXTURES.prefix, "Texture with key " + key + " does not exist.");
    return nullptr;
}
