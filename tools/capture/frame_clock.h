#pragma once
// The capture's fixed clock: every frame lasts exactly 1/60 s, and the
// soundtrack holds a whole number of samples per frame.

#include <cstdint>

constexpr std::int64_t FRAMES_PER_SECOND = 60;
constexpr float FRAME_TIME_S = 1.0f / 60.0f;  // the dt that every frame gets
constexpr unsigned SOUNDTRACK_RATE_HZ = 48000;
constexpr unsigned SOUNDTRACK_CHANNELS = 2;
constexpr std::int64_t SAMPLES_PER_FRAME = SOUNDTRACK_RATE_HZ / FRAMES_PER_SECOND;  // per channel
static_assert(SAMPLES_PER_FRAME * FRAMES_PER_SECOND == SOUNDTRACK_RATE_HZ, "a frame is a whole number of samples");

constexpr std::int64_t SHOW_END_FRAME = -1;  // an end frame that means the show's own end
