#include "image_screen.h"

#include "image_canvas.h"

#include "core/screen.h"

#include <cmath>

static const double TWO_PI = 2.0 * M_PI;
// The track keeps a rim of this width around the fill, so the outline stays
// visible over the fill.
static const double BAR_FILL_INSET_PIXELS = 5.0;
static const double BAR_OUTLINE_WIDTH_PIXELS = 2.0;
// Ripple of the rainbow's diagonal bands, in hue turns.
static const double RAINBOW_WAVE_TURNS = 0.08;

bool paintBlack(const std::string& path)
{
    Canvas canvas(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX);
    cairo_set_source_rgb(canvas.cr, 0.0, 0.0, 0.0);
    cairo_paint(canvas.cr);
    return canvas.save(path);
}

// A bright hue circle: each channel a phase-shifted cosine, so that every
// step along it is smooth.
static double rainbowChannel(double turns, double phase)
{
    return 0.55 + 0.45 * std::cos(TWO_PI * (turns - phase));
}

bool paintRainbow(const std::string& path)
{
    // Hue runs along the diagonal through one full turn per texture width and
    // per texture height, so the picture wraps seamlessly in both directions.
    Canvas canvas(RAINBOW_SIZE_PIXELS, RAINBOW_SIZE_PIXELS);
    const double size = RAINBOW_SIZE_PIXELS;
    for (int y = 0; y < RAINBOW_SIZE_PIXELS; ++y) {
        for (int x = 0; x < RAINBOW_SIZE_PIXELS; ++x) {
            const double turns = (x + y) / size + RAINBOW_WAVE_TURNS * std::sin(TWO_PI * (x - y) / size);
            canvas.setPixel(x, y, rainbowChannel(turns, 0.0), rainbowChannel(turns, 1.0 / 3.0),
                            rainbowChannel(turns, 2.0 / 3.0), 1.0);
        }
    }
    cairo_surface_mark_dirty(canvas.surface);
    return canvas.save(path);
}

bool paintLoadingBarEmpty(const std::string& path)
{
    Canvas canvas(LOADING_BAR_WIDTH_PIXELS, LOADING_BAR_HEIGHT_PIXELS);
    const double half = BAR_OUTLINE_WIDTH_PIXELS * 0.5;
    const double height = LOADING_BAR_HEIGHT_PIXELS - BAR_OUTLINE_WIDTH_PIXELS;
    addRoundedRectangle(canvas.cr, half, half, LOADING_BAR_WIDTH_PIXELS - BAR_OUTLINE_WIDTH_PIXELS, height,
                        height * 0.5);
    cairo_set_source_rgba(canvas.cr, 1.0, 1.0, 1.0, 0.08);
    cairo_fill_preserve(canvas.cr);
    cairo_set_line_width(canvas.cr, BAR_OUTLINE_WIDTH_PIXELS);
    cairo_set_source_rgba(canvas.cr, 1.0, 1.0, 1.0, 0.5);
    cairo_stroke(canvas.cr);
    return canvas.save(path);
}

bool paintLoadingBarFull(const std::string& path)
{
    Canvas canvas(LOADING_BAR_WIDTH_PIXELS, LOADING_BAR_HEIGHT_PIXELS);
    cairo_t* cr = canvas.cr;
    const double inset = BAR_FILL_INSET_PIXELS;
    const double width = LOADING_BAR_WIDTH_PIXELS - 2.0 * inset;
    const double height = LOADING_BAR_HEIGHT_PIXELS - 2.0 * inset;

    cairo_pattern_t* hues = cairo_pattern_create_linear(inset, 0.0, inset + width, 0.0);
    addColourStopHex(hues, 0.0, 0x2de2ff);
    addColourStopHex(hues, 0.35, 0x6f6bff);
    addColourStopHex(hues, 0.7, 0xff4fd8);
    addColourStopHex(hues, 1.0, 0xffb545);
    addRoundedRectangle(cr, inset, inset, width, height, height * 0.5);
    cairo_set_source(cr, hues);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(hues);

    // A glossy highlight over the upper half.
    cairo_pattern_t* gloss = cairo_pattern_create_linear(0.0, inset, 0.0, inset + height);
    cairo_pattern_add_color_stop_rgba(gloss, 0.0, 1.0, 1.0, 1.0, 0.55);
    cairo_pattern_add_color_stop_rgba(gloss, 0.5, 1.0, 1.0, 1.0, 0.08);
    cairo_pattern_add_color_stop_rgba(gloss, 1.0, 1.0, 1.0, 1.0, 0.0);
    cairo_set_source(cr, gloss);
    cairo_fill(cr);
    cairo_pattern_destroy(gloss);
    return canvas.save(path);
}
