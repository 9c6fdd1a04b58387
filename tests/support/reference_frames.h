#pragma once
// The Linux capture's frames around a few moments of the show, which the
// screen of a real run is held against: the capture writes them once per
// test run (fit_test's ReferenceFrames, the "reference" fixture), and
// a picture test finds the one that its screenshot shows best.

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Rect.hpp>

#include <cstdint>
#include <string>
#include <vector>

// A moment in frames at 60 per second, and how many frames before it the
// screen's frame may lie (it may also lie LATER_FRAMES after): a window
// shows a frame from 7 to 19 frames before the moment, and real time only
// says when to within a few more. The first lit frame is seen only as fast
// as the screen can be read, up to half a second late on a large screen
// and a busy machine, and every shot with it.
struct ReferenceMoment {
    std::int64_t frame;
    std::int64_t earlierFrames;
    int toleranceLevels;  // the largest difference allowed (see bestMatch)
};
constexpr std::int64_t LATER_FRAMES = 60;
// The loading screen, and the ball scene fading in before its first ball
// moves: at the real frame rate a moving ball takes another path. The
// cards are left out: their titles move so fast that a shot between two
// frames matches neither.
// The loading screen, sharp lines on black, fits to a level or two: it
// holds the picture's place and size to a pixel. In the ball scene the fade
// from black and the scene's own clock part by what the stage ends dropped
// (the more, the busier the machine), and the camera's sway moves the thin
// lines between the tiles by part of a pixel against the frame that
// matches the fade; scaled, they cover more or less of the screen. Up to
// 47 levels were seen on a busy machine; a picture out of place or of
// another size misses by far more (above 200).
inline const std::vector<ReferenceMoment> REFERENCE_MOMENTS = {{600, 60, 8}, {3100, 80, 64}};

// In real time the show falls behind the clock: each stage end drops what
// its frame ran past it, the more the slower the frames, and by the ball
// scene a busy machine or Wine has dropped seconds. So the screen is read
// at each moment and every second (less than the frames around a moment
// span) for eight seconds after it, and the shot that shows a frame around
// the moment best counts.
constexpr int SHOTS_PER_MOMENT = 9;
constexpr double SECONDS_BETWEEN_SHOTS = 1.0;
std::vector<double> referenceShotSeconds();

// The capture tool's arguments that write the frames around every moment.
std::string referenceFramesArguments();

struct FrameMatch {
    std::int64_t frame = -1;
    std::size_t shot = 0;  // which of the shots
    int levels = 256;  // the largest difference that more than one pixel in a thousand shows
};

// The reference frame around the moment that one of the shots shows best,
// each frame scaled into the rectangle `shown` of the screen (filtered as
// GL filters a texture), the rest of the screen black.
FrameMatch bestMatch(const std::vector<sf::Image>& shots, const ReferenceMoment& moment, const sf::IntRect& shown);

struct ProgramRun;

// Holds the run's shots for each moment (taken at referenceShotSeconds) against
// the frames around it, the picture scaled into `shown`: prints what it
// found, with `what` the run, and expects each within its tolerance in
// levels.
void expectShowsReferenceFrames(const ProgramRun& run, const std::string& what, const sf::IntRect& shown);
