#pragma once
// A Cairo surface that ends as a PNG file, and the Roboto lettering that
// every picture of the show uses.

#include <cairo.h>
#include <pango/pango.h>

#include <cstdint>
#include <string>

struct Canvas {
    cairo_surface_t* surface;
    cairo_t* cr;

    // Transparent ARGB pixels.
    Canvas(int width, int height)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)), cr(cairo_create(surface))
    {
    }
    ~Canvas() { cairo_destroy(cr); cairo_surface_destroy(surface); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Blurs by a quarter, a half and a quarter across and then down, so that
    // every edge spans two pixels.
    void soften();
    // Blurs by three box blurs of the given radius across and then down,
    // close to a Gaussian: a glow made from it fades out with no ring or rim.
    void blur(int radiusPixels);
    bool save(const std::string& path);  // false, with an error line, on failure
};

// Roboto at a weight and a size in pixels.
struct Lettering {
    PangoWeight weight;
    double pixelSize;
    double letterSpacingPixels = 0.0;
};

// Adds the outline of text (one or more lines, centred on each other) to the
// current path, its ink box centred on (centreX, centreY).
void addCentredTextPath(cairo_t* cr, const std::string& text, const Lettering& lettering, double centreX,
                        double centreY);
// Size in pixels of the ink that text would leave.
struct InkSize {
    double width;
    double height;
};
InkSize measureInk(cairo_t* cr, const std::string& text, const Lettering& lettering);

// Colours from 0xRRGGBB values.
void setSourceHex(cairo_t* cr, std::uint32_t rgb);
void addColourStopHex(cairo_pattern_t* pattern, double offset, std::uint32_t rgb);
// A horizontal gradient through the show's four hues, from x0 to x1.
cairo_pattern_t* createHuesPattern(double x0, double x1);
// A rectangle with fully rounded corners of the given radius.
void addRoundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius);
