#pragma once
// The generator's declarations: its error line, the drawing and signal
// helpers that its painters and renderers share, and those painters and
// renderers, which main calls.

#include "audio_clip.h"
#include "BiQuad.h"

#include <cairo.h>
#include <pango/pango.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iostream>
#include <string>

// Writes one error line of the generator; false, for the caller to return.
template <typename... Parts>
bool reportError(const Parts&... parts)
{
    ((std::cerr << "assetgen: ") << ... << parts) << std::endl;
    return false;
}

// Drawing: a Cairo surface that ends as a PNG file, and the Roboto lettering
// that every picture of the show uses.
struct Canvas {
    cairo_surface_t* surface;
    cairo_t* cr;

    // Transparent ARGB pixels.
    Canvas(int width, int height)
        : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)), cr(cairo_create(surface)) {}
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
    double width, height;
};
InkSize measureInk(cairo_t* cr, const std::string& text, const Lettering& lettering);

// Colours from 0xRRGGBB values.
void setSourceHex(cairo_t* cr, std::uint32_t rgb);
void addColourStopHex(cairo_pattern_t* pattern, double offset, std::uint32_t rgb);
// A horizontal gradient through the show's four hues, from x0 to x1.
cairo_pattern_t* createHuesPattern(double x0, double x1);
// A rectangle with fully rounded corners of the given radius.
void addRoundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius);

// Signals: conversions, filters, panning, envelopes and the loudness meter.
constexpr double pi = 3.14159265358979323846;

inline void scaleBy(AudioClip& clip, float gain)
{
    for (float& sample : clip.samples) sample *= gain;
}
inline double secondsAt(std::size_t frame) { return static_cast<double>(frame) / sampleRateHz; }
inline std::size_t framesIn(double seconds) { return static_cast<std::size_t>(std::lround(seconds * sampleRateHz)); }

// Second-order (RBJ cookbook) responses at a cutoff or centre frequency;
// q of 0.707 is the flattest.
enum FilterResponse { LowPass, HighPass, BandPass };
void setFilter(stk::BiQuad& filter, FilterResponse response, double frequencyHz, double q);

// Equal-power gains for a pan from -1 (left) through 0 to 1 (right).
struct PanGains {
    float left, right;
};
PanGains panGains(float pan);

// Rises from 0 to 1 over rampSeconds: every voice starts through it so that
// no waveform begins with a jump.
inline double rampIn(double seconds, double rampSeconds)
{
    return seconds >= rampSeconds ? 1.0 : seconds / rampSeconds;
}
// Falls from 1 to 0 over the last fadeSeconds before lengthSeconds, in a
// half cosine, so a voice cut at lengthSeconds ends at exactly zero.
double fadeOut(double seconds, double lengthSeconds, double fadeSeconds);
double decay(double seconds, double timeConstantSeconds);

// Out of line: the compiler would fold calls with constant arguments more
// exactly than the library computes them, and change the generated files.
double midiToHz(double midiNote);
double dbToGain(double decibels);

// Loudness and true peak as EBU R 128 defines them, by libebur128.
struct LoudnessReading {
    double integratedLufs = 0.0;
    double truePeakDbtp = 0.0;          // the highest of the channels
    double loudestMomentaryLufs = 0.0;  // over 400 ms, read every 100 ms
};
LoudnessReading measureLoudness(const AudioClip& clip);

// The pictures and the sounds of the show.
// False, with an error line, when Pango would draw Roboto with another family.
bool robotoIsInstalled();

// Each painter writes one PNG to path; false, with an error line, on failure.
bool paintBlack(const std::string& path);
bool paintRainbow(const std::string& path);
bool paintLoadingBarEmpty(const std::string& path);
bool paintLoadingBarFull(const std::string& path);
bool paintWallTiles(const std::string& path);

// A ball's skin: a pattern in two colours and a white-ish belt around the
// equator that carries the ball's name. Colours are 0xRRGGBB.
enum class SkinPattern { Gores, Spiral, Dots };
struct BallSkin {
    std::string name;
    SkinPattern pattern;
    unsigned base, accent, belt, letters;
};
bool paintBallSkin(const std::string& path, const BallSkin& skin);

bool paintTitleCard(const std::string& path, const std::string& title);
// The credits pages: the opening one, then a role above a name on each; the
// last of them has the show's closing face below it, in a texture twice as tall.
bool paintCreditsTitlePage(const std::string& path);
bool paintCreditsPage(const std::string& path, const std::string& role, const std::string& name, bool closingFace);

// The sounds, all stereo. "lo" and the music are false, after an error line,
// when they would peak over -1 dBTP.
AudioClip renderBounce();
bool renderLo(AudioClip& clip);
bool renderMusic(AudioClip& music);
