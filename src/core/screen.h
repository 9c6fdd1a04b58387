#pragma once
// The size of the show's picture, in pixels: the window, the off-screen
// targets and the full-screen images that the asset generator draws. Plain
// numbers, so that the generator can use them without the window library.

constexpr unsigned SCREEN_WIDTH_PX = 1920;
constexpr unsigned SCREEN_HEIGHT_PX = 1080;
