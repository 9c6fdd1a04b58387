// The lettered pictures: the intro's title cards, which the intro shader
// fills with the rainbow, and the credits pages on the ball room's panel.
#include "assetgen.h"

#include <algorithm>

// Every card has this size, and every title stands with its foot on the same
// line, so the intro shader knows where it lands and where the floor below it
// is. The room above takes the title's hops.
static const int CARD_WIDTH = 1800;
static const int CARD_HEIGHT = 800;
static const int TITLE_BOX_HEIGHT = 600;
static const double FOOT_Y = 600.0;

bool paintTitleCard(const std::string& path, const std::string& title)
{
    Canvas canvas(CARD_WIDTH, CARD_HEIGHT);
    cairo_t* cr = canvas.cr;
    // Short titles grow to 420 pixels; longer ones shrink until they fit,
    // with room around them for their outline and glow.
    Lettering lettering{PANGO_WEIGHT_HEAVY, 420.0};
    const InkSize ink = measureInk(cr, title, lettering);
    const double room = 2.0 * 60.0;
    lettering.pixelSize *= std::min(1.0, std::min((CARD_WIDTH - room) / ink.width, (TITLE_BOX_HEIGHT - room) / ink.height));
    const double inkHeight = measureInk(cr, title, lettering).height;
    const double centreX = CARD_WIDTH * 0.5;
    const double centreY = FOOT_Y - inkHeight * 0.5;
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);

    // The glow: the title thickened and blurred (about 16 pixels of spread) in
    // translucent white, which the intro shader tints with the rainbow.
    Canvas glow(CARD_WIDTH, CARD_HEIGHT);
    cairo_set_line_join(glow.cr, CAIRO_LINE_JOIN_ROUND);
    addCentredTextPath(glow.cr, title, lettering, centreX, centreY);
    cairo_set_line_width(glow.cr, 24.0);
    cairo_set_source_rgb(glow.cr, 1.0, 1.0, 1.0);
    cairo_stroke_preserve(glow.cr);
    cairo_fill(glow.cr);
    glow.blur(9);
    cairo_set_source_surface(cr, glow.surface, 0.0, 0.0);
    cairo_paint_with_alpha(cr, 0.5);

    // Light grey outlines take a deeper shade of the rainbow than the letters,
    // which sets them off from their glow without a dark rim between the two.
    addCentredTextPath(cr, title, lettering, centreX, centreY);
    cairo_set_line_width(cr, 10.0);
    cairo_set_source_rgb(cr, 0.72, 0.72, 0.72);
    cairo_stroke_preserve(cr);
    // White at the top, a little grey at the foot: body under the rainbow.
    cairo_pattern_t* body = cairo_pattern_create_linear(0.0, centreY - inkHeight * 0.5, 0.0, centreY + inkHeight * 0.5);
    cairo_pattern_add_color_stop_rgb(body, 0.0, 1.0, 1.0, 1.0);
    cairo_pattern_add_color_stop_rgb(body, 1.0, 0.78, 0.78, 0.82);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    return canvas.save(path);
}

// Pages are 1024 x 512, about two texels per screen pixel on the panel; the
// lengths below are in its pixels. The panel samples its page without
// filtering; at half size the letters' edges step by half a pixel, where a
// page of one texel per pixel, shown a little magnified, stepped by whole
// pixels and looked soft.
static const int PAGE_WIDTH = 1024;
static const int PAGE_HEIGHT = 512;
// A page is at least about 540 pixels wide on screen: this size keeps capitals
// at least 22 pixels tall. The page is softened, so that the texels the panel
// skips take nothing sharp with them.
static const double SMALLEST_LETTER = 66.0;

struct PageLine {
    const char* text;
    Lettering lettering;
    double centreY;
    unsigned colour;
};

static const PageLine OPENING_PAGE[] = {
    {"CREDITS", {PANGO_WEIGHT_HEAVY, 150.0, 8.0}, 165.0, 0xffffff},
    {"Grumble Owl vs The Quirkz", {PANGO_WEIGHT_LIGHT, SMALLEST_LETTER}, 300.0, 0xd4dbff},
    {"QRV Bouncefest 2025", {PANGO_WEIGHT_BOLD, SMALLEST_LETTER, 2.0}, 392.0, 0xff6fe0},
};

static const PageLine CLOSING_FACE[] = {
    {"THANKS FOR WATCHING", {PANGO_WEIGHT_MEDIUM, 58.0, 8.0}, 100.0, 0x4fe6ff},
    {"Grumble Owl", {PANGO_WEIGHT_HEAVY, 150.0}, 225.0, 0xffffff},
    {"vs The Quirkz", {PANGO_WEIGHT_LIGHT, SMALLEST_LETTER}, 348.0, 0xd4dbff},
    {"QRV Bouncefest 2025", {PANGO_WEIGHT_BOLD, 60.0, 2.0}, 428.0, 0xff6fe0},
};

static void fillLine(cairo_t* cr, const PageLine& line)
{
    addCentredTextPath(cr, line.text, line.lettering, PAGE_WIDTH * 0.5, line.centreY);
    setSourceHex(cr, line.colour);
    cairo_fill(cr);
}

// Paints the ground inside the rounded border, and the border; outside it
// the page is clear, so that the panel shows round corners.
static void paintPageBackground(cairo_t* cr)
{
    const double inset = 20.0;
    addRoundedRectangle(cr, inset, inset, PAGE_WIDTH - 2.0 * inset, PAGE_HEIGHT - 2.0 * inset, 30.0);
    cairo_pattern_t* depth = cairo_pattern_create_linear(0.0, 0.0, 0.0, PAGE_HEIGHT);
    addColourStopHex(depth, 0.0, 0x22145a);
    addColourStopHex(depth, 1.0, 0x0a0720);
    cairo_set_source(cr, depth);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(depth);

    cairo_pattern_t* hues = createHuesPattern(inset, PAGE_WIDTH - inset);
    cairo_set_line_width(cr, 6.0);
    cairo_set_source(cr, hues);
    cairo_stroke(cr);
    cairo_pattern_destroy(hues);
}

bool paintCreditsTitlePage(const std::string& path)
{
    Canvas canvas(PAGE_WIDTH, PAGE_HEIGHT);
    paintPageBackground(canvas.cr);
    for (const PageLine& line : OPENING_PAGE) fillLine(canvas.cr, line);
    canvas.soften();
    return canvas.save(path);
}

bool paintCreditsPage(const std::string& path, const std::string& role, const std::string& name, bool closingFace)
{
    Canvas canvas(PAGE_WIDTH, (closingFace ? 2 : 1) * PAGE_HEIGHT);
    cairo_t* cr = canvas.cr;
    paintPageBackground(cr);
    fillLine(cr, {role.c_str(), {PANGO_WEIGHT_MEDIUM, 112.0, 16.0}, 124.0, 0x4fe6ff});
    cairo_rectangle(cr, (PAGE_WIDTH - 140.0) * 0.5, 196.0, 140.0, 5.0);
    setSourceHex(cr, 0xff4fd8);
    cairo_fill(cr);
    fillLine(cr, {name.c_str(), {PANGO_WEIGHT_HEAVY, 190.0}, 325.0, 0xffffff});
    // Below the page, where the ball room turns the panel over to as the
    // camera flies out.
    if (closingFace) {
        cairo_translate(cr, 0.0, PAGE_HEIGHT);
        paintPageBackground(cr);
        for (const PageLine& line : CLOSING_FACE) fillLine(cr, line);
    }
    canvas.soften();
    return canvas.save(path);
}
