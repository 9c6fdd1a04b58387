// The intro drawn off screen through a test text shader that inverts the
// cards' colours: the fades it starts, the sound "lo" it plays, the card it
// shows and the offsets it sets on the shader, call by call.
#include "assets/sound_manager.h"
#include "assets/sprite_manager.h"
#include "scenes/scenes.h"
#include "test_support.h"

#include <map>

// Inverts the card, so a card drawn without the shader shows as itself.
static const char* const INVERTING_FRAGMENT_SHADER = R"(// Uniforms: currentTexture (sampler2D), xOffset, yOffset (float).
uniform sampler2D currentTexture;
uniform float xOffset, yOffset;
void main()
{
    vec4 card = texture2D(currentTexture, gl_TexCoord[0].xy);
    gl_FragColor = vec4(vec3(1.0) - card.rgb, card.a) * step(-1.0, xOffset) * step(-1.0, yOffset);
}
)";

TEST(Intro, AtQuarterSecondsFadesSoundsCardsAndOffsetsComeOnTheirCalls)
{
    TempRunFolder folder;
    sf::RenderTexture target;
    ASSERT_TRUE(target.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX));
    ASSERT_TRUE(textShader->loadFromMemory(INVERTING_FRAGMENT_SHADER, sf::Shader::Fragment));
    std::vector<int> lo;  // the calls that play "lo"
    int n = 1;
    addToneSound("lo", 30.0);
    soundManager.onPlay = [&](const std::string&) { lo.push_back(n); };
    // Four 64x64 cards, centred on their own middle.
    const sf::Color cards[] = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {200, 200, 0}};
    nlohmann::json sprites = nlohmann::json::object();
    for (int card = 0; card < 4; ++card) {
        const std::string key = "intro" + std::to_string(card + 1);
        addSolidTexture(key + "_texture", 64, 64, cards[card]);
        sprites[key] = {{"texture", key + "_texture"}, {"autocenter", true}};
    }
    spriteManager.loadFromJson({{"sprites", sprites}});
    // The offsets carry the stage time of the call, to the one that ends the stage.
    const std::map<int, float> offsets = {{1, 0.25f}, {21, 5.25f}, {22, 0.25f}, {30, 2.25f}};
    FadeStarts fades;
    const auto call = [&] {
        target.clear(sf::Color::Transparent);
        const SceneId next = callNotingFadeStarts(updateIntro, target, 0.25f, n, fades);
        return std::make_pair(next, shotOf(target).getPixel(960, 540));
    };
    for (; n <= 119; ++n) {
        const sf::Color card = cards[n < 30 ? 0 : n < 60 ? 1 : n < 90 ? 2 : 3];
        ASSERT_EQ(call(), std::make_pair(SceneId::Intro, sf::Color(255 - card.r, 255 - card.g, 255 - card.b)))
            << "call " << n;
        if (offsets.count(n)) {
            for (const char* offset : {"xOffset", "yOffset"})
                EXPECT_EQ(uniformValues(*textShader, offset, 1)[0], offsets.at(n)) << offset << ", call " << n;
        }
    }
    EXPECT_EQ(call(), std::make_pair(SceneId::Balls, sf::Color::Transparent));
    EXPECT_EQ(fades[FadeMode::ToBlack], (std::vector<int>{21, 51, 81, 111}));
    EXPECT_EQ(fades[FadeMode::FromBlack], (std::vector<int>{1, 30, 60, 90}));
    EXPECT_EQ(lo, (std::vector<int>{1, 30, 60, 90}));
}
