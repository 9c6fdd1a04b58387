#include "core/easing.h"

#include <cmath>

namespace {

constexpr double HALF_PI = 1.5707963267948966;
constexpr double PI = 3.141592653589793;

// The arrival of a bouncing ball over 0..1, in double; the offsets of the
// later arcs are rounded to float, as the curves were first tuned that way.
double bounceShape(double y)
{
    constexpr double FACTOR = 7.5625;
    if (y < 0.36363636363636365) return FACTOR * y * y;
    if (y < 0.7272727272727273) {
        const float offset = static_cast<float>(y - 0.5454545454545454);
        return FACTOR * offset * offset + 0.75;
    }
    if (y < 0.9090909090909091) {
        const float offset = static_cast<float>(y - 0.8181818181818182);
        return FACTOR * offset * offset + 0.9375;
    }
    const float offset = static_cast<float>(y - 0.9545454545454546);
    return FACTOR * offset * offset + 0.984375;
}

double powerOfTwo(float exponent)
{
    return std::pow(2.0, static_cast<double>(exponent));
}

double squareRoot(float argument)
{
    return std::sqrt(static_cast<double>(argument));
}

constexpr float BACK_SLOPE = 2.70158f;
constexpr float BACK_OVERSHOOT = 1.70158f;
constexpr float BACK_IN_OUT_SLOPE = 3.5949094f;
constexpr float BACK_IN_OUT_OVERSHOOT = 2.5949094f;

}  // namespace

float Tween::ease(float t, float b, float c, float d) const
{
    const float x = t / d;
    switch (easing) {
    case Easing::Linear:
        return (t * c) / d + b;
    case Easing::SineIn: {
        const float angle = static_cast<float>(x * HALF_PI);
        return b + (c - c * std::cos(angle));
    }
    case Easing::SineOut:
        return c * std::sin(static_cast<float>(x * HALF_PI)) + b;
    case Easing::SineInOut: {
        const float angle = static_cast<float>(t * PI / d);
        return static_cast<float>(b - (std::cos(static_cast<double>(angle)) - 1.0) * (c * 0.5f));
    }
    case Easing::BounceOut:
        return static_cast<float>(c * bounceShape(x) + b);
    case Easing::BounceIn: {
        const float rise = static_cast<float>(c * bounceShape((d - t) / d));
        return c - rise + b;
    }
    case Easing::BounceInOut:
        if (t < d * 0.5f) {
            const float rise = static_cast<float>(c * bounceShape((d - 2 * t) / d));
            return (c - rise) * 0.5f + b;
        } else {
            const float rise = static_cast<float>(c * bounceShape((2 * t - d) / d));
            return static_cast<float>(rise * 0.5 + c * 0.5 + b);
        }
    case Easing::CubicIn:
        return x * c * x * x + b;
    case Easing::CubicOut: {
        const float y = x - 1;
        return (y * y * y + 1) * c + b;
    }
    case Easing::CubicInOut: {
        const float u = t / (d * 0.5f);
        const float half = c * 0.5f;
        if (u < 1) return half * u * u * u + b;
        const float v = u - 2;
        return half * (v * v * v + 2) + b;
    }
    case Easing::BackIn:
        return x * c * x * (BACK_SLOPE * x - BACK_OVERSHOOT) + b;
    case Easing::BackOut: {
        const float y = x - 1;
        return (y * y * (BACK_SLOPE * y + BACK_OVERSHOOT) + 1) * c + b;
    }
    case Easing::BackInOut: {
        const float u = t / (d * 0.5f);
        const float half = c * 0.5f;
        if (u < 1) return half * (u * u * (BACK_IN_OUT_SLOPE * u - BACK_IN_OUT_OVERSHOOT)) + b;
        const float v = u - 2;
        return half * (v * v * (BACK_IN_OUT_SLOPE * v + BACK_IN_OUT_OVERSHOOT) + 2) + b;
    }
    case Easing::CircIn:
        return static_cast<float>(b - (squareRoot(1 - x * x) - 1) * c);
    case Easing::CircOut: {
        const float y = x - 1;
        return static_cast<float>(squareRoot(1 - y * y) * c + b);
    }
    case Easing::CircInOut: {
        const float u = t / (d * 0.5f);
        const float half = c * 0.5f;
        if (u < 1) return static_cast<float>(b - (squareRoot(1 - u * u) - 1) * half);
        const float v = u - 2;
        return static_cast<float>(b + (squareRoot(1 - v * v) + 1) * half);
    }
    case Easing::ExpoIn:
        if (t == 0) return b;
        return static_cast<float>(powerOfTwo(10 * (x - 1)) * c + b);
    case Easing::ExpoOut:
        if (t == d) return b + c;
        return static_cast<float>((1 - powerOfTwo(-10 * t / d)) * c + b);
    case Easing::ExpoInOut: {
        if (t == 0) return b;
        if (t == d) return b + c;
        const float u = t / (d * 0.5f);
        const float half = c * 0.5f;
        if (u < 1) return static_cast<float>(powerOfTwo(10 * (u - 1)) * half + b);
        return static_cast<float>((2 - powerOfTwo(-10 * (u - 1))) * half + b);
    }
    }
    return b;
}

void Tween::start(float startValue, float endValue, float durationS, Easing kind, float delayS)
{
    running = true;
    delay = delayS;
    time = 0.0f;
    storedValue = startValue;
    from = startValue;
    to = endValue;
    easing = kind;
    duration = durationS;
    change = endValue - startValue;
}

void Tween::update(float dt)
{
    if (!running) return;
    if (delay > 0) {
        delay -= dt;
        if (delay < 0) delay = 0;
    } else {
        time += dt;
    }
}

float Tween::value()
{
    storedValue = ease(time, from, change, duration);
    if (time >= duration) {
        storedValue = to;
        running = false;
    }
    return storedValue;
}
