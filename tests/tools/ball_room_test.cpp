// The ball room's moves and entrances, rendered by the real shaders at the uniforms the scene sets.
#include "assets/texture_manager.h"
#include "core/easing.h"
#include "scenes/ball.h"

#include <SFML/Graphics.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>

namespace {

const float FRAME_S = 1.0f / 60.0f;
const sf::Vector3f WAITING(-7.0f, -20.0f, 0.0f);
using Balls = std::array<sf::Vector3f, 3>;

// camMix on a frame counted from the start of the scene's ease (BackOut, 1 to 0 in 8 s,
// passing 0 on frame 178), 1 before it; from frame 1001 the flight out falls by 4 a second.
float camMixOnFrame(int frame)
{
    Tween ease;
    ease.start(1.0f, 0.0f, 8.0f, Easing::BackOut, 0.0f);
    for (int i = 0; i < std::min(frame, 480); ++i) ease.update(FRAME_S);
    return frame <= 0 ? 1.0f : frame < 480 ? ease.value() : -4.0f * FRAME_S * std::max(frame - 1000, 0);
}

// The change at each pixel, over its three channels, in levels.
std::vector<int> changes(const sf::Image& from, const sf::Image& to)
{
    std::vector<int> result(1920 * 1080);
    for (std::size_t i = 0; i < result.size() * 4; ++i)
        result[i / 4] += i % 4 == 3 ? 0 : std::abs(from.getPixelsPtr()[i] - to.getPixelsPtr()[i]);
    return result;
}

struct BallRoom : ::testing::Test {
    sf::RenderTexture target;
    sf::Shader shader;

    void SetUp() override
    {
        ASSERT_TRUE(target.create(1920, 1080) && textureManager.loadManifest("assets/textures.json"));
        ASSERT_TRUE(shader.loadFromFile("assets/shaders/passthrough.vert", "assets/shaders/balls.frag"));
        for (auto [uniform, key] : {std::pair("ballTex1", "vemo"), {"ballTex2", "qrv"}, {"ballTex3", "arku"}, {"wallTex", "white"}})
            shader.setUniform(uniform, *textureManager.get(key));
        shader.setUniform("creditPos", WAITING);
        bounceSoundEnabled = false;
    }

    sf::Image render(float seconds, float camMix, const Balls& balls)
    {
        shader.setUniform("iTime", seconds);
        shader.setUniform("camMix", camMix);
        for (int i = 0; i < 3; ++i) shader.setUniform("ballPos" + std::to_string(i + 1), balls[i]);
        target.draw(sf::Sprite(*textureManager.get("black")), sf::RenderStates(&shader));
        target.display();
        return target.getTexture().copyToImage();
    }
};

}  // namespace

TEST_F(BallRoom, TheMeanChangeNeverStepsWhereAMoveStartsOrCamMixPassesZero)
{
    // The bodies and the clock stand still: all the change is the camera's and the floor's.
    const Balls balls = {{{4.0f, -5.0f, 3.0f}, {-5.0f, -3.0f, -2.0f}, {1.5f, -5.0f, 9.0f}}};
    for (int firstFrame : {-1, 175, 999}) {
        std::vector<sf::Image> frames;
        for (int frame = firstFrame; frame < firstFrame + 5; ++frame) frames.push_back(render(30.0f, camMixOnFrame(frame), balls));
        std::vector<double> means;  // from each frame to the next
        for (std::size_t i = 1; i < frames.size(); ++i) {
            const std::vector<int> change = changes(frames[i - 1], frames[i]);
            means.push_back(std::accumulate(change.begin(), change.end(), 0.0) / (change.size() * 3.0));
        }
        for (std::size_t i = 1; i < means.size(); ++i) {
            EXPECT_LE(means[i], 1.5 * means[i - 1] + 0.4) << "frame " << firstFrame + i + 1;
            EXPECT_GE(means[i], means[i - 1] / 1.5 - 0.4) << "frame " << firstFrame + i + 1;
        }
    }
}

// Each ball's first frames as the scene lets it go, stepped by the ball model, against the ball waiting.
TEST_F(BallRoom, EachBallGrowsIntoPlayAndIsNeverCutByTheFloor)
{
    struct Entrance { int index; sf::Vector3f start; float floorY, letGoSeconds; int easeFrame; };
    for (const Entrance& entrance : {Entrance{0, {7.0f, 2.0f, 0.0f}, -2.752f, 2.0f, -1000},
                                     Entrance{1, WAITING, -5.0f, 9.0f, 1}, Entrance{2, WAITING, -5.0f, 16.0f, 421}}) {
        Ball ball;
        ball.setup(entrance.start.x, entrance.start.y, entrance.start.z, -2.8f, 5.5f, "ballPos", true);
        ball.floorY = entrance.floorY;
        depthFrozen = entrance.easeFrame < 0;
        std::vector<long> areas;
        for (int frame = 1; frame <= 6; ++frame) {
            ball.step(FRAME_S);
            Balls balls = {WAITING, WAITING, WAITING};
            const float camMix = camMixOnFrame(entrance.easeFrame + frame - 1);
            // A ball moves first on the frame after the one that lets it go.
            const float seconds = entrance.letGoSeconds + (frame + 1) * FRAME_S;
            const sf::Image without = render(seconds, camMix, balls);
            balls[entrance.index] = {ball.x, ball.y, ball.z};
            const std::vector<int> change = changes(without, render(seconds, camMix, balls));
            int left = 1920, right = 0, top = 1080, bottom = 0;
            areas.push_back(0);
            for (int i = 0; i < 1920 * 1080; ++i) {
                if (change[i] < 120) continue;
                ++areas.back(), left = std::min(left, i % 1920), right = std::max(right, i % 1920);
                top = std::min(top, i / 1920), bottom = std::max(bottom, i / 1920);
            }
            // A ball is about as tall as it is wide; one cut by the floor is flat.
            EXPECT_TRUE(right < left + 8 || bottom - top > 0.8 * (right - left)) << "ball " << entrance.index + 1;
        }
        const long firstSeen = *std::find_if(areas.begin(), areas.end(), [](long area) { return area > 0; });
        EXPECT_LE(firstSeen, areas.back() / 2) << "ball " << entrance.index + 1;
    }
}
