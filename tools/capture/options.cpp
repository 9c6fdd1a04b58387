// The command line: what to write, where, and which frames.
#include "capture.h"

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <sstream>

// An hour of frames: far past the show's two minutes, short of a list that would fill the memory.
static constexpr std::int64_t LONGEST_CAPTURE_FRAMES = 3600 * FRAMES_PER_SECOND;

static const char* const USAGE =
    "Usage: bouncefest-capture [--seconds FROM-TO] [--frames LIST | --soundtrack] [OUTPUT]\n"
    "Runs the show from this folder at exactly 60 frames per second, off screen.\n"
    "It needs an X display: without one, run it through scripts/with-xvfb.sh.\n"
    "  OUTPUT            the MP4 to write (default bouncefest.mp4); with --frames the\n"
    "                    folder for the PNG files (default frames); with --soundtrack\n"
    "                    the WAV file (default bouncefest.wav)\n"
    "  --seconds FROM-TO only this part of the show, in seconds (TO may be left out)\n"
    "  --frames LIST     these frames (from 0) as frame-NNNNNN.png, e.g. 0,120,300-310\n"
    "  --soundtrack      the soundtrack alone, 48 kHz stereo\n";

static bool fail(const std::string& message)
{
    std::cerr << "bouncefest-capture: " << message << " (see --help)" << std::endl;
    return false;
}

// A whole number of at least 0, the whole text.
static bool readFrameNumber(const std::string& text, std::int64_t& frame)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
    frame = std::strtoll(text.c_str(), nullptr, 10);
    return true;
}

// A number of seconds of at least 0, the whole text, to the nearest frame.
static bool readSecondsAsFrame(const std::string& text, std::int64_t& frame)
{
    if (text.empty()) return false;
    char* end = nullptr;
    const double seconds = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(seconds) || seconds < 0.0) return false;
    frame = std::llround(seconds * FRAMES_PER_SECOND);
    return true;
}

static bool readFrameList(const std::string& list, std::set<std::int64_t>& frames)
{
    std::istringstream items(list);
    for (std::string item; std::getline(items, item, ',');) {
        const std::size_t dash = item.find('-');
        std::int64_t first = 0;
        std::int64_t last = 0;
        if (!readFrameNumber(item.substr(0, dash), first) ||
            !readFrameNumber(dash == std::string::npos ? item : item.substr(dash + 1), last) || last < first ||
            last > LONGEST_CAPTURE_FRAMES) {
            return false;
        }
        for (std::int64_t frame = first; frame <= last; ++frame) frames.insert(frame);
    }
    return !frames.empty();
}

static bool readSecondsRange(const std::string& range, CaptureOptions& options)
{
    const std::size_t dash = range.find('-');
    if (dash == std::string::npos || !readSecondsAsFrame(range.substr(0, dash), options.firstFrame)) return false;
    const std::string to = range.substr(dash + 1);
    if (to.empty()) return true;
    return readSecondsAsFrame(to, options.endFrame) && options.endFrame > options.firstFrame;
}

bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options)
{
    bool secondsGiven = false;
    bool soundtrackGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            options.helpOnly = true;
        } else if (arg == "--frames") {
            if (!hasValue || !readFrameList(argv[++i], options.frames)) {
                return fail("--frames needs a list such as 0,120,300-310");
            }
        } else if (arg == "--seconds") {
            if (!hasValue || !readSecondsRange(argv[++i], options)) {
                return fail("--seconds needs FROM-TO with FROM < TO, such as 10-20.5");
            }
            secondsGiven = true;
        } else if (arg == "--soundtrack") {
            soundtrackGiven = true;
        } else if (arg.rfind("-", 0) == 0) {
            return fail("unknown option " + arg);
        } else if (!options.output.empty()) {
            return fail("one output only, not " + arg);
        } else {
            options.output = arg;
        }
    }
    const bool framesGiven = !options.frames.empty();
    if (framesGiven && soundtrackGiven) return fail("--frames and --soundtrack exclude each other");
    if (framesGiven && secondsGiven) return fail("--frames chooses its frames itself, without --seconds");
    if (framesGiven) options.mode = CaptureMode::Frames;
    if (soundtrackGiven) options.mode = CaptureMode::Soundtrack;
    if (options.output.empty()) {
        options.output = framesGiven ? "frames" : soundtrackGiven ? "bouncefest.wav" : "bouncefest.mp4";
    }
    if (options.helpOnly) std::cout << USAGE;
    return true;
}
