#pragma once
// A Cairo drawing surface that ends as a PNG file, and the Roboto lettering
// that every picture of the show uses.

#include <cairo.h>
#include <pango/pango.h>

#include <cstdint>
#include <string>

struct Canvas {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    int width = 0;
    int height = 0;

    // A transparent ARGB surface of the given size in pixels.
    explicit Canvas(int widthPixels, int heightPixels);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    // Sets one pixel from straight (not premultiplied) 0..1 components.
    void setPixel(int x, int y, double red, double green, double blue, double alpha);
    // Blurs by a quarter, a half and a quarter across and then down, so that
    // every edge spans two pixels.
    void soften();
    // Blurs by three box blurs of the given radius across and then down,
    // close to a Gaussian: a glow made from it fades out with no ring or rim.
    void blur(int radiusPixels);
    // Writes the surface as a PNG. False, with an error line, on failure.
    bool save(const std::string& path);
};

// Roboto at a weight (PANGO_WEIGHT_*) and a size in pixels.
struct Lettering {
    PangoWeight weight;
    double pixelSize;
    PangoStyle style = PANGO_STYLE_NORMAL;
    double letterSpacingPixels = 0.0;
};

// Adds the outline of text (one or more lines, centred on each other) to the
// current path, its ink box centred on (centreX, centreY).
void addCentredTextPath(cairo_t* cr, const std::string& text, const Lettering& lettering,
                        double centreX, double centreY);

struct InkSize {
    double width;
    double height;
};

// Size in pixels of the ink that text would leave.
InkSize measureInk(cairo_t* cr, const std::string& text, const Lettering& lettering);

// False, with an error line, when Pango would draw Roboto with another family.
bool robotoIsInstalled();

// Colour from a 0xRRGGBB value.
void setSourceHex(cairo_t* cr, std::uint32_t rgb, double alpha = 1.0);
void addColourStopHex(cairo_pattern_t* pattern, double offset, std::uint32_t rgb, double alpha = 1.0);

// A rectangle with fully rounded corners of the given radius.
void addRoundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius);
