// The pictures that are painted rather than lettered: those of the loading
// screen and the intro, then those of the ball room.
#include "assetgen.h"
#include "core/screen.h"

#include <algorithm>
#include <cmath>

static const int BAR_WIDTH = 1000;
static const int BAR_HEIGHT = 40;

bool paintBlack(const std::string& path)
{
    Canvas canvas(SCREEN_WIDTH_PX, SCREEN_HEIGHT_PX);
    cairo_set_source_rgb(canvas.cr, 0.0, 0.0, 0.0);
    cairo_paint(canvas.cr);
    return canvas.save(path);
}

bool paintRainbow(const std::string& path)
{
    // Hue turns once along the diagonal per width and per height, so the
    // picture wraps both ways; each channel is a smooth phase-shifted cosine.
    const int size = 512;
    Canvas canvas(size, size);
    auto channel = [](double turns, double phase) {
        const double value = 0.55 + 0.45 * std::cos(2.0 * M_PI * (turns - phase));
        return static_cast<std::uint32_t>(std::lround(std::clamp(value, 0.0, 1.0) * 255.0));
    };
    // Cairo keeps each pixel in one native-endian word, here fully opaque.
    unsigned char* data = cairo_image_surface_get_data(canvas.surface);
    for (int y = 0; y < size; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * cairo_image_surface_get_stride(canvas.surface));
        for (int x = 0; x < size; ++x) {
            const double turns = (x + y) / double(size) + 0.08 * std::sin(2.0 * M_PI * (x - y) / double(size));
            row[x] = 0xff000000u | channel(turns, 0.0) << 16 | channel(turns, 1.0 / 3.0) << 8 |
                     channel(turns, 2.0 / 3.0);
        }
    }
    cairo_surface_mark_dirty(canvas.surface);
    return canvas.save(path);
}

bool paintLoadingBarEmpty(const std::string& path)
{
    Canvas canvas(BAR_WIDTH, BAR_HEIGHT);
    const double outline = 2.0;
    const double height = BAR_HEIGHT - outline;
    addRoundedRectangle(canvas.cr, outline * 0.5, outline * 0.5, BAR_WIDTH - outline, height, height * 0.5);
    cairo_set_source_rgba(canvas.cr, 1.0, 1.0, 1.0, 0.08);
    cairo_fill_preserve(canvas.cr);
    cairo_set_line_width(canvas.cr, outline);
    cairo_set_source_rgba(canvas.cr, 1.0, 1.0, 1.0, 0.5);
    cairo_stroke(canvas.cr);
    return canvas.save(path);
}

bool paintLoadingBarFull(const std::string& path)
{
    Canvas canvas(BAR_WIDTH, BAR_HEIGHT);
    cairo_t* cr = canvas.cr;
    // The track keeps a rim around the fill, so its outline stays visible.
    const double inset = 5.0;
    const double width = BAR_WIDTH - 2.0 * inset;
    const double height = BAR_HEIGHT - 2.0 * inset;
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

// A fixed scramble of the tile's grid position: the same shades on every run.
static double tileShade(int column, int row)
{
    unsigned value = static_cast<unsigned>(column * 73856093) ^ static_cast<unsigned>(row * 19349663);
    value ^= value >> 13;
    value *= 0x5bd1e995u;
    value ^= value >> 15;
    return (value & 0xffffu) / 65535.0;
}

// Two by two tiles. Small textures keep the software renderer's texel cache
// warm, which decides the speed of the ball scene.
bool paintWallTiles(const std::string& path)
{
    const int size = 256;
    const int tilesPerSide = 2;
    const double grout = 3.0;
    const double bevel = 2.0;
    Canvas canvas(size, size);
    cairo_t* cr = canvas.cr;
    setSourceHex(cr, 0xb9bec8);
    cairo_paint(cr);

    // Grout sits half on each side of a tile edge, so the texture wraps cleanly.
    const double tile = static_cast<double>(size) / tilesPerSide;
    const double face = tile - grout;
    const double inner = bevel * 0.5;
    for (int row = 0; row < tilesPerSide; ++row) {
        for (int column = 0; column < tilesPerSide; ++column) {
            const double left = column * tile + grout * 0.5;
            const double top = row * tile + grout * 0.5;
            const double shade = 0.955 - 0.03 * tileShade(column, row);

            cairo_pattern_t* sheen = cairo_pattern_create_linear(left, top, left + face, top + face);
            cairo_pattern_add_color_stop_rgb(sheen, 0.0, shade + 0.02, shade + 0.02, shade + 0.025);
            cairo_pattern_add_color_stop_rgb(sheen, 1.0, shade - 0.02, shade - 0.015, shade - 0.005);
            cairo_rectangle(cr, left, top, face, face);
            cairo_set_source(cr, sheen);
            cairo_fill(cr);
            cairo_pattern_destroy(sheen);

            // Light bevel on the upper and left edges, shade on the others.
            cairo_set_line_width(cr, bevel);
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

// Equirectangular skins, 512 x 256 (about one texel per screen pixel on a ball
// in the front view), laid out on a 1024 x 512 grid: the lengths below are its.
static const double SKIN_WIDTH = 1024.0;
static const double SKIN_HEIGHT = 512.0;
static const double SKIN_STRIPE_PERIOD = 128.0;

// Polka dots, widened towards the poles so that they look round on the ball;
// each row holds a whole number of them, so the seam does not show.
static void addDots(cairo_t* cr)
{
    const double radius = 17.0;
    int rowIndex = 0;
    for (double y = SKIN_HEIGHT * 0.5; y > 0.0; y -= 46.0, ++rowIndex) {
        const double widening = 1.0 / std::max(std::cos((y / SKIN_HEIGHT - 0.5) * M_PI), 0.2);
        const int count = std::max(1, static_cast<int>(std::lround(16 / widening)));
        const double spacing = SKIN_WIDTH / count;
        const double shift = (rowIndex % 2) * spacing * 0.5;
        for (const double rowY : {y, SKIN_HEIGHT - y}) {
            for (int i = -1; i <= count; ++i) {
                cairo_save(cr);
                cairo_translate(cr, shift + i * spacing, rowY);
                cairo_scale(cr, std::min(widening, spacing * 0.4 / radius), 1.0);
                cairo_new_sub_path(cr);
                cairo_arc(cr, 0.0, 0.0, radius, 0.0, 2.0 * M_PI);
                cairo_restore(cr);
            }
        }
    }
}

bool paintBallSkin(const std::string& path, const BallSkin& skin)
{
    Canvas canvas(512, 256);
    cairo_t* cr = canvas.cr;
    cairo_scale(cr, 512 / SKIN_WIDTH, 256 / SKIN_HEIGHT);
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

    // Caps at the poles, where the pattern would pinch; the belt, edged.
    const double cap = 30.0;
    const double beltTop = SKIN_HEIGHT * 0.5 - 66.0;
    const double beltHeight = 2.0 * 66.0;
    const double edge = 7.0;
    setSourceHex(cr, skin.belt);
    cairo_rectangle(cr, 0.0, 0.0, SKIN_WIDTH, cap);
    cairo_rectangle(cr, 0.0, SKIN_HEIGHT - cap, SKIN_WIDTH, cap);
    cairo_fill(cr);
    setSourceHex(cr, skin.letters);
    cairo_rectangle(cr, 0.0, beltTop - edge, SKIN_WIDTH, beltHeight + 2.0 * edge);
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
