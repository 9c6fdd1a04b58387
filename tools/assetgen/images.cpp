// The pictures that are painted rather than lettered: those of the loading
// screen and the intro, then those of the ball room.
#include "assetgen.h"
#include "canvas.h"
#include "core/screen.h"

#include <algorithm>
#include <cmath>

static const int RAINBOW_SIZE_PIXELS = 512;
// Ripple of the rainbow's diagonal bands, in hue turns.
static const double RAINBOW_WAVE_TURNS = 0.08;
static const int BAR_WIDTH_PIXELS = 1000;
static const int BAR_HEIGHT_PIXELS = 40;
// The track keeps a rim of this width around the fill, so the outline stays
// visible over the fill.
static const double BAR_FILL_INSET_PIXELS = 5.0;
static const double BAR_OUTLINE_WIDTH_PIXELS = 2.0;

bool paintBlack(const std::string& path)
{
    Canvas canvas(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX);
    cairo_set_source_rgb(canvas.cr, 0.0, 0.0, 0.0);
    cairo_paint(canvas.cr);
    return canvas.save(path);
}

bool paintRainbow(const std::string& path)
{
    // Hue runs along the diagonal through one full turn per texture width and
    // per texture height, so the picture wraps seamlessly in both directions.
    // Each channel is a phase-shifted cosine, so that every step is smooth.
    Canvas canvas(RAINBOW_SIZE_PIXELS, RAINBOW_SIZE_PIXELS);
    const double size = RAINBOW_SIZE_PIXELS;
    auto channel = [](double turns, double phase) { return 0.55 + 0.45 * std::cos(2.0 * M_PI * (turns - phase)); };
    for (int y = 0; y < RAINBOW_SIZE_PIXELS; ++y) {
        for (int x = 0; x < RAINBOW_SIZE_PIXELS; ++x) {
            const double turns = (x + y) / size + RAINBOW_WAVE_TURNS * std::sin(2.0 * M_PI * (x - y) / size);
            canvas.setPixel(x, y, channel(turns, 0.0), channel(turns, 1.0 / 3.0), channel(turns, 2.0 / 3.0), 1.0);
        }
    }
    cairo_surface_mark_dirty(canvas.surface);
    return canvas.save(path);
}

bool paintLoadingBarEmpty(const std::string& path)
{
    Canvas canvas(BAR_WIDTH_PIXELS, BAR_HEIGHT_PIXELS);
    const double half = BAR_OUTLINE_WIDTH_PIXELS * 0.5;
    const double height = BAR_HEIGHT_PIXELS - BAR_OUTLINE_WIDTH_PIXELS;
    addRoundedRectangle(canvas.cr, half, half, BAR_WIDTH_PIXELS - BAR_OUTLINE_WIDTH_PIXELS, height, height * 0.5);
    cairo_set_source_rgba(canvas.cr, 1.0, 1.0, 1.0, 0.08);
    cairo_fill_preserve(canvas.cr);
    cairo_set_line_width(canvas.cr, BAR_OUTLINE_WIDTH_PIXELS);
    cairo_set_source_rgba(canvas.cr, 1.0, 1.0, 1.0, 0.5);
    cairo_stroke(canvas.cr);
    return canvas.save(path);
}

bool paintLoadingBarFull(const std::string& path)
{
    Canvas canvas(BAR_WIDTH_PIXELS, BAR_HEIGHT_PIXELS);
    cairo_t* cr = canvas.cr;
    const double inset = BAR_FILL_INSET_PIXELS;
    const double width = BAR_WIDTH_PIXELS - 2.0 * inset;
    const double height = BAR_HEIGHT_PIXELS - 2.0 * inset;
    cairo_pattern_t* hues = createHuesPattern(inset, inset + width);
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

// Two by two tiles. Small textures keep the software renderer's texel
// cache warm, which decides the speed of the ball scene.
static const int TILE_TEXTURE_SIZE_PIXELS = 256;
static const int TILES_PER_SIDE = 2;
static const double GROUT_PIXELS = 3.0;
static const double BEVEL_PIXELS = 2.0;
static const double TILE_SHADE_SPREAD = 0.03;

// A fixed scramble of the tile's grid position: the same shades on every run.
static double tileShade(int column, int row)
{
    unsigned value = static_cast<unsigned>(column * 73856093) ^ static_cast<unsigned>(row * 19349663);
    value ^= value >> 13;
    value *= 0x5bd1e995u;
    value ^= value >> 15;
    return (value & 0xffffu) / 65535.0;
}

bool paintWallTiles(const std::string& path)
{
    Canvas canvas(TILE_TEXTURE_SIZE_PIXELS, TILE_TEXTURE_SIZE_PIXELS);
    cairo_t* cr = canvas.cr;
    setSourceHex(cr, 0xb9bec8);
    cairo_paint(cr);

    // Grout sits half on each side of a tile edge, so the texture wraps cleanly.
    const double tile = static_cast<double>(TILE_TEXTURE_SIZE_PIXELS) / TILES_PER_SIDE;
    const double face = tile - GROUT_PIXELS;
    const double inner = BEVEL_PIXELS * 0.5;
    for (int row = 0; row < TILES_PER_SIDE; ++row) {
        for (int column = 0; column < TILES_PER_SIDE; ++column) {
            const double left = column * tile + GROUT_PIXELS * 0.5;
            const double top = row * tile + GROUT_PIXELS * 0.5;
            const double shade = 0.955 - TILE_SHADE_SPREAD * tileShade(column, row);

            cairo_pattern_t* sheen = cairo_pattern_create_linear(left, top, left + face, top + face);
            cairo_pattern_add_color_stop_rgb(sheen, 0.0, shade + 0.02, shade + 0.02, shade + 0.025);
            cairo_pattern_add_color_stop_rgb(sheen, 1.0, shade - 0.02, shade - 0.015, shade - 0.005);
            cairo_rectangle(cr, left, top, face, face);
            cairo_set_source(cr, sheen);
            cairo_fill(cr);
            cairo_pattern_destroy(sheen);

            // Light bevel on the upper and left edges, shade on the others.
            cairo_set_line_width(cr, BEVEL_PIXELS);
            cairo_move_to(cr, left + inner, top + face);
            cairo_line_to(cr, left + inner, top + inner);
            cairo_line_to(cr, left + face, top + inner);
            cairo_set_source_rgba(cr, 1.0, 1.0, 1.0, 0.7);
            cairo_stroke(cr);
            cairo_move_to(cr, left + face - inner, top + inner);
            cairo_line_to(cr, left + face - inner, top + face - inner);
            cairo_line_to(cr, left + inner, top + face - inner);
            cairo_set_source_rgba(cr, 0.0, 0.0, 0.1, 0.12);
            cairo_stroke(cr);
        }
    }
    return canvas.save(path);
}

// Equirectangular: longitude across, latitude down; about one texel per
// screen pixel on a ball in the front view. The skins are laid out on a
// 1024 x 512 design grid, scaled to the texture; the skin lengths below
// are pixels of that grid.
static const int SKIN_WIDTH_PIXELS = 512;
static const int SKIN_HEIGHT_PIXELS = 256;
static const double SKIN_WIDTH = 1024.0;
static const double SKIN_HEIGHT = 512.0;
static const double SKIN_BELT_HALF_HEIGHT = 66.0;
static const double SKIN_BELT_EDGE = 7.0;
static const double SKIN_CAP = 30.0;
static const double SKIN_STRIPE_PERIOD = 128.0;
static const double SKIN_DOT_RADIUS = 17.0;
static const double SKIN_DOT_ROW = 46.0;
static const int SKIN_DOTS_AT_EQUATOR = 16;

// Polka dots, widened towards the poles so that they look round on the ball;
// each row holds a whole number of them, so the seam does not show.
static void addDots(cairo_t* cr)
{
    int rowIndex = 0;
    for (double y = SKIN_HEIGHT * 0.5; y > 0.0; y -= SKIN_DOT_ROW, ++rowIndex) {
        const double widening = 1.0 / std::max(std::cos((y / SKIN_HEIGHT - 0.5) * M_PI), 0.2);
        const int count = std::max(1, static_cast<int>(std::lround(SKIN_DOTS_AT_EQUATOR / widening)));
        const double spacing = SKIN_WIDTH / count;
        const double shift = (rowIndex % 2) * spacing * 0.5;
        for (const double rowY : {y, SKIN_HEIGHT - y}) {
            for (int i = -1; i <= count; ++i) {
                cairo_save(cr);
                cairo_translate(cr, shift + i * spacing, rowY);
                cairo_scale(cr, std::min(widening, spacing * 0.4 / SKIN_DOT_RADIUS), 1.0);
                cairo_new_sub_path(cr);
                cairo_arc(cr, 0.0, 0.0, SKIN_DOT_RADIUS, 0.0, 2.0 * M_PI);
                cairo_restore(cr);
            }
        }
    }
}

bool paintBallSkin(const std::string& path, const BallSkin& skin)
{
    Canvas canvas(SKIN_WIDTH_PIXELS, SKIN_HEIGHT_PIXELS);
    cairo_t* cr = canvas.cr;
    cairo_scale(cr, SKIN_WIDTH_PIXELS / SKIN_WIDTH, SKIN_HEIGHT_PIXELS / SKIN_HEIGHT);
    setSourceHex(cr, skin.base);
    cairo_paint(cr);
    setSourceHex(cr, skin.accent);
    const double period = SKIN_STRIPE_PERIOD;
    switch (skin.pattern) {
    case SkinPattern::Gores:
        for (double left = 0.0; left < SKIN_WIDTH; left += 2.0 * period)
            cairo_rectangle(cr, left, 0.0, period, SKIN_HEIGHT);
        break;
    case SkinPattern::Spiral:  // slanted stripes, which wind around the ball
        for (double left = -SKIN_HEIGHT; left < SKIN_WIDTH; left += period) {
            cairo_move_to(cr, left, 0.0);
            cairo_line_to(cr, left + period * 0.5, 0.0);
            cairo_line_to(cr, left + period * 0.5 + SKIN_HEIGHT, SKIN_HEIGHT);
            cairo_line_to(cr, left + SKIN_HEIGHT, SKIN_HEIGHT);
            cairo_close_path(cr);
        }
        break;
    case SkinPattern::Dots: addDots(cr); break;
    }
    cairo_fill(cr);

    // Caps at the poles, where the pattern would pinch.
    setSourceHex(cr, skin.belt);
    cairo_rectangle(cr, 0.0, 0.0, SKIN_WIDTH, SKIN_CAP);
    cairo_rectangle(cr, 0.0, SKIN_HEIGHT - SKIN_CAP, SKIN_WIDTH, SKIN_CAP);
    cairo_fill(cr);

    const double beltTop = SKIN_HEIGHT * 0.5 - SKIN_BELT_HALF_HEIGHT;
    const double beltHeight = 2.0 * SKIN_BELT_HALF_HEIGHT;
    setSourceHex(cr, skin.letters);
    cairo_rectangle(cr, 0.0, beltTop - SKIN_BELT_EDGE, SKIN_WIDTH, beltHeight + 2.0 * SKIN_BELT_EDGE);
    cairo_fill(cr);
    setSourceHex(cr, skin.belt);
    cairo_rectangle(cr, 0.0, beltTop, SKIN_WIDTH, beltHeight);
    cairo_fill(cr);

    // The name twice, half a turn apart; the equator keeps its proportions.
    const Lettering lettering{PANGO_WEIGHT_HEAVY, 104.0, 6.0};
    addCentredTextPath(cr, skin.name, lettering, SKIN_WIDTH * 0.25, SKIN_HEIGHT * 0.5);
    addCentredTextPath(cr, skin.name, lettering, SKIN_WIDTH * 0.75, SKIN_HEIGHT * 0.5);
    setSourceHex(cr, skin.letters);
    cairo_fill(cr);
    return canvas.save(path);
}
