// Drawing helpers: the canvas, the Roboto lettering, colours and shapes.
#include "assetgen.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <vector>

static const char* const LETTERING_FAMILY = "Roboto";

// Runs a filter over each line of each component of the premultiplied pixels
// (which blur as they are), the rows first, then the columns. The filter gets
// the line's first value, the step between its values and their count.
template <typename Filter>
static void filterLines(cairo_surface_t* surface, Filter filter)
{
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    struct Pass { int step, count, lines, lineStep; };
    for (const Pass pass : {Pass{4, width, height, stride}, Pass{stride, height, width, 4}}) {
        for (int line = 0; line < pass.lines; ++line)
            for (int component = 0; component < 4; ++component)
                filter(data + line * pass.lineStep + component, pass.step, pass.count);
    }
    cairo_surface_mark_dirty(surface);
}

// The border repeats.
void Canvas::soften()
{
    filterLines(surface, [](unsigned char* at, int step, int count) {
        int before = at[0];
        for (int i = 0; i < count; ++i) {
            const int here = at[i * step];
            const int after = at[std::min(i + 1, count - 1) * step];
            at[i * step] = static_cast<unsigned char>((before + 2 * here + after + 2) / 4);
            before = here;
        }
    });
}

void Canvas::blur(int radiusPixels)
{
    std::vector<float> line;
    std::vector<float> source;
    filterLines(surface, [&](unsigned char* at, int step, int count) {
        line.resize(count);
        for (int i = 0; i < count; ++i) line[i] = at[i * step];
        for (int box = 0; box < 3; ++box) {
            // One box blur, the border repeating.
            source = line;
            float sum = 0.0f;
            for (int i = -radiusPixels - 1; i < radiusPixels; ++i) sum += source[std::clamp(i, 0, count - 1)];
            for (int i = 0; i < count; ++i) {
                sum += source[std::min(i + radiusPixels, count - 1)] - source[std::max(i - radiusPixels - 1, 0)];
                line[i] = sum / (2 * radiusPixels + 1);
            }
        }
        for (int i = 0; i < count; ++i) at[i * step] = static_cast<unsigned char>(std::lround(line[i]));
    });
}

bool Canvas::save(const std::string& path)
{
    cairo_surface_flush(surface);
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    return status == CAIRO_STATUS_SUCCESS ||
           reportError("Unable to write ", path, ": ", cairo_status_to_string(status));
}

static PangoFontDescription* describeLettering(const Lettering& lettering)
{
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, LETTERING_FAMILY);
    pango_font_description_set_weight(description, lettering.weight);
    pango_font_description_set_style(description, PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(description, lettering.pixelSize * PANGO_SCALE);
    return description;
}

// A layout of text, and the ink box that it leaves, in Pango units.
static PangoLayout* layOut(cairo_t* cr, const std::string& text, const Lettering& lettering, PangoRectangle& ink)
{
    PangoLayout* layout = pango_cairo_create_layout(cr);
    // Outlines without hinting, so that the pictures do not depend on the
    // machine's font settings.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    pango_cairo_context_set_font_options(pango_layout_get_context(layout), options);
    cairo_font_options_destroy(options);
    pango_layout_context_changed(layout);

    PangoFontDescription* description = describeLettering(lettering);
    pango_layout_set_font_description(layout, description);
    pango_font_description_free(description);
    if (lettering.letterSpacingPixels != 0.0) {
        PangoAttrList* attributes = pango_attr_list_new();
        const int spacing = static_cast<int>(lettering.letterSpacingPixels * PANGO_SCALE);
        pango_attr_list_insert(attributes, pango_attr_letter_spacing_new(spacing));
        pango_layout_set_attributes(layout, attributes);
        pango_attr_list_unref(attributes);
    }
    pango_layout_set_alignment(layout, PANGO_ALIGN_CENTER);
    pango_layout_set_text(layout, text.c_str(), -1);
    pango_layout_get_extents(layout, &ink, nullptr);
    return layout;
}

void addCentredTextPath(cairo_t* cr, const std::string& text, const Lettering& lettering, double centreX,
                        double centreY)
{
    PangoRectangle ink;
    PangoLayout* layout = layOut(cr, text, lettering, ink);
    const double inkCentreX = (ink.x + ink.width * 0.5) / PANGO_SCALE;
    const double inkCentreY = (ink.y + ink.height * 0.5) / PANGO_SCALE;
    cairo_move_to(cr, centreX - inkCentreX, centreY - inkCentreY);
    pango_cairo_layout_path(cr, layout);
    g_object_unref(layout);
}

InkSize measureInk(cairo_t* cr, const std::string& text, const Lettering& lettering)
{
    PangoRectangle ink;
    g_object_unref(layOut(cr, text, lettering, ink));
    return InkSize{static_cast<double>(ink.width) / PANGO_SCALE, static_cast<double>(ink.height) / PANGO_SCALE};
}

bool robotoIsInstalled()
{
    PangoFontMap* fontMap = pango_cairo_font_map_get_default();
    PangoContext* context = pango_font_map_create_context(fontMap);
    bool allFound = true;
    for (PangoWeight weight : {PANGO_WEIGHT_LIGHT, PANGO_WEIGHT_MEDIUM, PANGO_WEIGHT_BOLD, PANGO_WEIGHT_HEAVY}) {
        PangoFontDescription* wanted = describeLettering(Lettering{weight, 100.0});
        PangoFont* font = pango_font_map_load_font(fontMap, context, wanted);
        PangoFontDescription* found = font ? pango_font_describe(font) : nullptr;
        const char* family = found ? pango_font_description_get_family(found) : nullptr;
        if (!family || std::string(family) != LETTERING_FAMILY || pango_font_description_get_weight(found) != weight)
            allFound = reportError("Roboto of weight ", weight, " is missing (install fonts-roboto-unhinted).");
        if (found) pango_font_description_free(found);
        if (font) g_object_unref(font);
        pango_font_description_free(wanted);
    }
    g_object_unref(context);
    return allFound;
}

void setSourceHex(cairo_t* cr, std::uint32_t rgb)
{
    cairo_set_source_rgb(cr, (rgb >> 16 & 0xff) / 255.0, (rgb >> 8 & 0xff) / 255.0, (rgb & 0xff) / 255.0);
}

void addColourStopHex(cairo_pattern_t* pattern, double offset, std::uint32_t rgb)
{
    cairo_pattern_add_color_stop_rgb(pattern, offset, (rgb >> 16 & 0xff) / 255.0, (rgb >> 8 & 0xff) / 255.0,
                                     (rgb & 0xff) / 255.0);
}

cairo_pattern_t* createHuesPattern(double x0, double x1)
{
    cairo_pattern_t* hues = cairo_pattern_create_linear(x0, 0.0, x1, 0.0);
    addColourStopHex(hues, 0.0, 0x2de2ff);
    addColourStopHex(hues, 0.35, 0x6f6bff);
    addColourStopHex(hues, 0.7, 0xff4fd8);
    addColourStopHex(hues, 1.0, 0xffb545);
    return hues;
}

void addRoundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius)
{
    const double r = std::min(radius, std::min(width, height) * 0.5);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - r, y + r, r, -M_PI_2, 0.0);
    cairo_arc(cr, x + width - r, y + height - r, r, 0.0, M_PI_2);
    cairo_arc(cr, x + r, y + height - r, r, M_PI_2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}
