// The intro drawn off screen through a test text shader that inverts the
// cards' colours: the fades it starts, the sound "lo" it plays, the card it
// shows and the offsets it sets on the shader, call by call.
#include "assets/sound_manager.h"
#include "assets/sprite_manager.h"
#include "core/fade.h"
#include "scenes/scenes.h"
#include "test_support.h"

#include <map>

namespace {

// Inverts the card, so a card drawn without the shader shows as itself.
const char* const INVERTING_FRAGMENT_SHADER = R"(// Uniforms: currentTexture (sampler2D), xOffset, yOffset (float).
uniform sampler2D currentTexture;
uniform float xOffset, yOffset;
void main()
{
    vec4 card = texture2D(currentTexture, gl_TexCoord[0].xy);
    gl_FragColor = vec4(vec3(1.0) - card.rgb, card.a) * step(-1.0, xOffset) * step(-1.0, yOffset);
}
)";

const sf::Color CARD_COLOURS[] = {{200, 0, 0}, {0, 200, 0}, {0, 0, 200}, {200, 200, 0}};

struct IntroTest : ::testing::Test {
    TempRunFolder folder;
    sf::RenderTexture target;
    int callNumber = 0;
    std::map<FadeMode, std::vector<int>> fades;  // the calls that start each fade
    std::vector<int> lo;                         // the calls that play "lo"
    using Floats = std::vector<float>;

    void SetUp() override
    {
        ASSERT_TRUE(target.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX));
        ASSERT_TRUE(textShader->loadFromMemory(PLAIN_VERTEX_SHADER, INVERTING_FRAGMENT_SHADER));
        addToneSound("lo", 30.0);
        soundManager.onPlay = [this](const std::string& key) {
            if (key == "lo") lo.push_back(callNumber);
        };
    }

    // A start shows against the fade state that each call begins from, which
    // no start leaves.
    SceneId call(float dt)
    {
        ++callNumber;
        target.clear(sf::Color::Transparent);
        screenFade = ScreenFade{0.5f, 0.0f, FadeMode::Idle};
        const SceneId next = updateIntro(target, dt);
        const float startLevel = screenFade.mode == FadeMode::FromBlack ? 1.0f : 0.0f;
        if (screenFade.speed == 0.5f && screenFade.level == startLevel) fades[screenFade.mode].push_back(callNumber);
        return next;
    }

    sf::Color centrePixel() { return shotOf(target).getPixel(960, 540); }

    float offset(const char* name) const { return uniformValues(*textShader, name, 1)[0]; }
};

}  // namespace

TEST_F(IntroTest, AtQuarterSecondsFadesSoundsCardsAndOffsetsComeOnTheirCalls)
{
    // Four 64x64 cards, centred on their own middle.
    nlohmann::json sprites = nlohmann::json::object();
    for (int card = 0; card < 4; ++card) {
        const std::string key = "intro" + std::to_string(card + 1);
        addSolidTexture(key + "_texture", 64, 64, CARD_COLOURS[card]);
        sprites[key] = {{"texture", key + "_texture"}, {"autocenter", true}};
    }
    spriteManager.loadFromJson({{"sprites", sprites}});
    // The offsets carry the stage time of the call, to the one that ends the stage.
    const std::map<int, float> offsets = {{1, 0.25f}, {21, 5.25f}, {22, 0.25f}, {30, 2.25f}};
    for (int n = 1; n <= 119; ++n) {
        ASSERT_EQ(call(0.25f), SceneId::Intro) << "call " << n;
        const sf::Color card = CARD_COLOURS[n < 30 ? 0 : n < 60 ? 1 : n < 90 ? 2 : 3];
        ASSERT_EQ(centrePixel(), sf::Color(255 - card.r, 255 - card.g, 255 - card.b)) << "call " << n;
        if (offsets.count(n)) { EXPECT_EQ((Floats{offset("xOffset"), offset("yOffset")}), Floats(2, offsets.at(n))) << n; }
    }
    EXPECT_EQ(call(0.25f), SceneId::Balls);
    EXPECT_EQ(centrePixel(), sf::Color::Transparent);
    EXPECT_EQ(fades[FadeMode::ToBlack], (std::vector<int>{21, 51, 81, 111}));
    EXPECT_EQ(fades[FadeMode::FromBlack], (std::vector<int>{1, 30, 60, 90}));
    EXPECT_EQ(lo, (std::vector<int>{1, 30, 60, 90}));
}
