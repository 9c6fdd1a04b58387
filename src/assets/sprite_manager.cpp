#include "assets/sprite_manager.h"

#include "assets/manifest.h"
#include "assets/texture_manager.h"
#include "core/app.h"

#include <utility>

static const ManifestKind SPRITES{"SpriteManager: ", "sprites", "texture"};
static constexpr int FULL_SIZE = -1;  // a rect side of -1 spans the whole texture

bool SpriteManager::loadManifest(std::string path)
{
    nlohmann::json document;
    if (!readManifest(SPRITES, path, document)) return false;
    return loadFromJson(std::move(document));
}

bool SpriteManager::loadFromJson(nlohmann::json document)
{
    return forEachEntry(SPRITES, document, [this](const std::string& key, EntryFields& fields) {
        sf::Vector2f origin;
        origin.x = fields.read<float>("originX", 0.0f);
        origin.y = fields.read<float>("originY", 0.0f);
        sf::IntRect rect;
        rect.left = fields.read<std::int32_t>("rectX", 0);
        rect.top = fields.read<std::int32_t>("rectY", 0);
        rect.width = fields.read<std::int32_t>("rectW", FULL_SIZE);
        rect.height = fields.read<std::int32_t>("rectH", FULL_SIZE);
        const bool autocenter = fields.read<bool>("autocenter", false);
        const bool autocenterPlace = fields.read<bool>("autocenter_place", false);
        const std::string textureKey = fields.read<std::string>("texture", "");
        if (fields.failed()) return;

        // A sprite cannot be built without its texture; the texture manager
        // has reported the key, and this entry stays unknown.
        const sf::Texture* texture = textureManager.get(textureKey);
        if (!texture) return;
        const int width = static_cast<int>(texture->getSize().x);
        const int height = static_cast<int>(texture->getSize().y);

        if (autocenter) {
            origin = sf::Vector2f(static_cast<float>(width / 2), static_cast<float>(height / 2));
            rect = sf::IntRect(0, 0, width, height);
        }
        sf::Vector2f position(0.0f, 0.0f);
        if (autocenterPlace) position = sf::Vector2f(SCREEN_WIDTH_PX / 2.0f, SCREEN_HEIGHT_PX / 2.0f);
        if (rect.width == FULL_SIZE) rect.width = width;
        if (rect.height == FULL_SIZE) rect.height = height;

        if (exists(key)) {
            reportLine(SPRITES.prefix, "Sprite with key " + key + " already exists.");
            return;
        }
        sf::Sprite* sprite = new sf::Sprite();
        sprite->setTexture(*texture, true);
        sprite->setTextureRect(rect);
        sprite->setOrigin(origin);
        sprite->setPosition(position);
        sprites[key] = sprite;
    });
}

bool SpriteManager::exists(std::string key)
{
    return sprites.count(key) != 0;
}

sf::Sprite* SpriteManager::get(std::string key)
{
    if (exists(key)) return sprites[key];
    reportLine(SPRITES.prefix, "Sprite with key " + key + " does not exist.");
    return nullptr;
}
