// The intro drawn into an off-screen 1920x1080 target through a test text
// shader that inverts the cards' colours: its stages seen through the fades
// it starts, the sound "lo" it plays, the card it shows and the offsets it
// sets on the shader.
#include "assets/sound_manager.h"
#include "assets/sprite_manager.h"
#include "assets/texture_manager.h"
#include "core/app.h"
#include "core/fade.h"
#include "scenes/scenes.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Inverts the card, so a card drawn without the shader shows as itself.
const char* const INVERTING_FRAGMENT_SHADER = R"(// Uniforms: currentTexture (sampler2D), xOffset, yOffset (float).
uniform sampler2D currentTexture;
uniform float xOffset;
uniform float yOffset;
void main()
{
    vec4 card = texture2D(currentTexture, gl_TexCoord[0].xy);
    gl_FragColor = vec4(vec3(1.0) - card.rgb, card.a) * step(-1.0, xOffset) * step(-1.0, yOffset);
}
)";

const sf::Color CARD_COLOURS[] = {sf::Color(200, 0, 0), sf::Color(0, 200, 0), sf::Color(0, 0, 200),
                                  sf::Color(200, 200, 0)};

sf::Color inverted(sf::Color colour)
{
    return sf::Color(255 - colour.r, 255 - colour.g, 255 - colour.b);
}

enum class FadeStart { None, ToBlack, FromBlack };

struct IntroTest : ::testing::Test {
    TempRunFolder folder;
    sf::RenderTexture target;

    void SetUp() override
    {
        ASSERT_TRUE(target.create(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX));
        ASSERT_TRUE(textShader.loadFromMemory(PLAIN_VERTEX_SHADER, INVERTING_FRAGMENT_SHADER));
        addToneSound("lo", 30.0);
    }

    // Four 64x64 cards, centred on their own middle.
    void registerCards()
    {
        nlohmann::json sprites = nlohmann::json::object();
        for (int card = 0; card < 4; ++card) {
            const std::string key = "intro" + std::to_string(card + 1);
            addSolidTexture(key + "_texture", 64, 64, CARD_COLOURS[card]);
            sprites[key] = {{"texture", key + "_texture"}, {"autocenter", true}};
        }
        spriteManager.loadFromJson({{"sprites", sprites}});
    }

    SceneId call(float dt)
    {
        target.clear(sf::Color::Transparent);
        screenFade = ScreenFade{0.5f, 0.0f, FadeMode::Idle};
        return updateIntro(target, dt);
    }

    FadeStart fadeStarted() const
    {
        if (screenFade.speed != 0.5f) return FadeStart::None;
        if (screenFade.mode == FadeMode::ToBlack && screenFade.level == 0.0f) return FadeStart::ToBlack;
        if (screenFade.mode == FadeMode::FromBlack && screenFade.level == 1.0f) return FadeStart::FromBlack;
        return FadeStart::None;
    }

    // Whether "lo" started since the last look; the voice is stopped so
    // that the next start shows.
    bool loStarted()
    {
        sf::Sound& voice = soundManager.sounds["lo"]->voices[0];
        const bool playing = voice.getStatus() == sf::Sound::Playing;
        voice.stop();
        return playing;
    }

    sf::Color centrePixel()
    {
        return shotOf(target).getPixel(960, 540);
    }

    float offset(const char* name)
    {
        target.setActive(true);
        return uniformValues(textShader, name, 1)[0];
    }
};

}  // namespace

TEST_F(IntroTest, AtQuarterSecondsFadesSoundsCardsAndOffsetsComeOnTheirCalls)
{
    registerCards();
    std::vector<int> toBlack, fromBlack, lo;
    // The offsets carry the stage time of the call, to the one before the
    // stage ends.
    const std::map<int, float> offsets = {{1, 0.25f}, {21, 5.25f}, {22, 0.25f}, {30, 2.25f}};
    for (int callNumber = 1; callNumber <= 119; ++callNumber) {
        ASSERT_EQ(call(0.25f), SceneId::Intro) << "call " << callNumber;
        const FadeStart fade = fadeStarted();
        if (fade == FadeStart::ToBlack) toBlack.push_back(callNumber);
        if (fade == FadeStart::FromBlack) fromBlack.push_back(callNumber);
        if (loStarted()) lo.push_back(callNumber);
        const int card = callNumber < 30 ? 0 : callNumber < 60 ? 1 : callNumber < 90 ? 2 : 3;
        ASSERT_EQ(centrePixel(), inverted(CARD_COLOURS[card])) << "call " << callNumber;
        if (offsets.count(callNumber)) {
            EXPECT_EQ(offset("xOffset"), offsets.at(callNumber)) << "call " << callNumber;
            EXPECT_EQ(offset("yOffset"), offsets.at(callNumber)) << "call " << callNumber;
        }
    }
    EXPECT_EQ(toBlack, (std::vector<int>{21, 51, 81, 111}));
    EXPECT_EQ(fromBlack, (std::vector<int>{1, 30, 60, 90}));
    EXPECT_EQ(lo, (std::vector<int>{1, 30, 60, 90}));

    EXPECT_EQ(call(0.25f), SceneId::Balls);
    EXPECT_EQ(centrePixel(), sf::Color::Transparent);
    EXPECT_EQ(fadeStarted(), FadeStart::None);
}

TEST_F(IntroTest, LongFramesEndOneStageEachAndHandOverOnTheEighthCall)
{
    registerCards();
    std::vector<int> lo;
    for (int callNumber = 1; callNumber <= 7; ++callNumber) {
        ASSERT_EQ(call(5.5f), SceneId::Intro) << "call " << callNumber;
        if (loStarted()) lo.push_back(callNumber);
        EXPECT_EQ(offset("xOffset"), 5.5f) << "the excess is dropped at every stage end";
    }
    EXPECT_EQ(lo, (std::vector<int>{1, 2, 4, 6}));
    EXPECT_EQ(centrePixel(), inverted(CARD_COLOURS[3]));
    EXPECT_EQ(call(5.5f), SceneId::Balls);
}

TEST_F(IntroTest, MissingCardsAreLeftOutAndTheTimelineRunsOn)
{
    const std::vector<std::string> lines = errorLinesOf([&] { call(0.25f); });
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "SpriteManager: Sprite with key intro1 does not exist.",
                         "SpriteManager: Sprite with key intro2 does not exist.",
                         "SpriteManager: Sprite with key intro3 does not exist.",
                         "SpriteManager: Sprite with key intro4 does not exist.",
                     }));
    EXPECT_TRUE(loStarted());
    for (int callNumber = 2; callNumber <= 119; ++callNumber) {
        ASSERT_EQ(call(0.25f), SceneId::Intro) << "call " << callNumber;
    }
    EXPECT_EQ(centrePixel(), sf::Color::Transparent);
    EXPECT_EQ(call(0.25f), SceneId::Balls);
}
