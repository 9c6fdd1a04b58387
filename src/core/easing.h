#pragma once
// Easing curves and the tween that runs one of them from a start value to an
// end value over a duration, after an optional delay.

#include <cstdint>

// The curve kinds. The numbers are fixed: 0 to 16, then 111 and 112.
enum class Easing : std::int32_t {
    Linear = 0,
    SineIn = 1,
    BounceOut = 2,
    BounceIn = 3,
    CubicIn = 4,
    CubicOut = 5,
    CubicInOut = 6,
    BounceInOut = 7,
    BackIn = 8,
    BackOut = 9,
    BackInOut = 10,
    CircIn = 11,
    CircOut = 12,
    CircInOut = 13,
    ExpoIn = 14,
    ExpoOut = 15,
    ExpoInOut = 16,
    SineOut = 111,
    SineInOut = 112,
};

// One animated number. A tween that was never started is all zeros and not
// running.
struct Tween {
    Easing easing = Easing::Linear;
    float time = 0.0f;      // s since the delay ran out
    float from = 0.0f;
    float to = 0.0f;
    float change = 0.0f;    // to - from
    float duration = 0.0f;  // s
    bool running = false;
    float storedValue = 0.0f;  // the last value produced
    float delay = 0.0f;     // s still to wait before time advances

    // The curve of this tween's easing at time t (0..d), for start b,
    // change c and duration d.
    float ease(float t, float b, float c, float d) const;

    void start(float startValue, float endValue, float durationS, Easing kind, float delayS);
    // Waits out the delay first; the frame that ends it does not count.
    void update(float dt);
    // The curve at the current time; ends the tween exactly at `to`.
    float value();
};
