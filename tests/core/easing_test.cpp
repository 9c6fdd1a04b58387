// The easing curves against values worked out independently in double
// precision from the textbook curves, from 2 by -3 over 4 s so that a sign
// or a scale slip shows, at times that reach every arc of the bounce shape
// and both halves of the in-out curves; and the tween's delay.
#include "core/easing.h"

#include <gtest/gtest.h>

#include <array>

constexpr float START = 2.0f, CHANGE = -3.0f, LENGTH_S = 4.0f;
constexpr float SAMPLE_TIMES_S[] = {0.2f, 0.6f, 1.7f, 2.9f, 3.5f, 3.9f};

const std::pair<int, std::array<double, 6>> EXPECTED[] = {
    {0, {1.85, 1.55, 0.725, -0.175, -0.625, -0.925}},
    {1, {1.990752, 1.91710976, 1.35595079, 0.255979213, -0.414729034, -0.882220553}},
    {2, {1.94328125, 1.48953125, -0.579179687, -0.981367188, -0.885742188, -0.962617188}},
    {3, {1.95359375, 1.83546875, 1.26980469, 0.715742188, -0.645507812, -0.985820313}},
    {4, {1.999625, 1.989875, 1.76970312, 0.856765625, -0.009765625, -0.780578125}},
    {5, {1.572125, 0.842375, -0.429671875, -0.937609375, -0.994140625, -0.999953125}},
    {6, {1.9985, 1.9595, 1.0788125, -0.7504375, -0.9765625, -0.9998125}},
    {7, {1.9821875, 1.8959375, 0.755234375, -0.728359375, -0.958984375, -0.976796875}},
    {8, {2.01174876, 2.08750315, 2.29987823, 1.59463984, 0.478773945, -0.659260788}},
    {9, {1.34177361, 0.289148802, -1.14696761, -1.2174927, -1.06393199, -1.00306383}},
    {10, {2.03353128, 2.20471895, 1.50064748, -1.28028558, -1.15901707, -1.00905687}},
    {11, {1.99624765, 1.96605799, 1.71558005, 1.0662466, 0.452368755, -0.333385419}},
    {12, {1.0632503, 0.419651937, -0.454460226, -0.884332678, -0.976470225, -0.999062353}},
    {13, {1.99248116, 1.9309088, 1.29017403, -0.752746982, -0.952368755, -0.998123827}},
    {14, {1.9958568, 1.99171359, 1.94425592, 1.55404733, 0.738655377, -0.522689246}},
    {15, {1.12132034, 0.0606601718, -0.842331922, -0.98029149, -0.99303199, -0.996515995}},
    {16, {1.99707031, 1.98828125, 1.46966991, -0.933708739, -0.991713592, -0.997928398}},
    {111, {1.76462271, 1.29966391, 0.142718152, -0.724429521, -0.942355841, -0.997687109}},
    {112, {1.98153251, 1.83650979, 0.850168046, -0.474172072, -0.885819299, -0.995376001}},
};

TEST(Ease, EveryKindRunsFromTheStartAlongItsCurveToStartPlusChangeAndATweenWaitsOutItsDelay)
{
    for (const auto& [kind, values] : EXPECTED) {
        Tween tween;
        tween.easing = static_cast<Easing>(kind);
        EXPECT_NEAR(tween.ease(0.0f, START, CHANGE, LENGTH_S), START, 1e-5) << "kind " << kind;
        EXPECT_NEAR(tween.ease(LENGTH_S, START, CHANGE, LENGTH_S), START + CHANGE, 1e-5) << "kind " << kind;
        for (std::size_t i = 0; i < std::size(SAMPLE_TIMES_S); ++i)
            EXPECT_NEAR(tween.ease(SAMPLE_TIMES_S[i], START, CHANGE, LENGTH_S), values[i], 1e-5)
                << "kind " << kind << " at " << SAMPLE_TIMES_S[i] << " s";
    }
    // The show's own tweens start without a delay. The frame that ends it is dropped.
    Tween tween;
    tween.start(0.0f, 10.0f, 1.0f, Easing::Linear, 0.5f);
    tween.update(0.3f);
    tween.update(0.3f);
    EXPECT_EQ(std::make_pair(tween.delay, tween.time), std::make_pair(0.0f, 0.0f));
    tween.update(0.3f);
    EXPECT_NEAR(tween.value(), 3.0f, 1e-5);
}
