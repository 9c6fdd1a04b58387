#pragma once
// The Linux capture's frames around a few moments of the show, which the
// screen of a real run is held against: the capture writes them once per
// test run (fit_test's ReferenceFrames, the "reference" fixture).

#include <SFML/Graphics/Rect.hpp>

#include <string>
#include <vector>

struct ProgramRun;

// The capture tool's arguments that write the frames around every moment.
std::string referenceFramesArguments();

// When a run's screen is read (ProgramOptions::shotSeconds) for the check below.
std::vector<double> referenceShotSeconds();

// Finds, for each moment, the frame around it that one of the run's shots
// shows best, each frame scaled into the rectangle `shown` of the screen (as
// GL filters a texture) between black bars; prints what it found, with
// `what` the run, and expects each within the moment's tolerance.
void expectShowsReferenceFrames(const ProgramRun& run, const std::string& what, const sf::IntRect& shown);
