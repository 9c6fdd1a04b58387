#pragma once
// The three things the capture can write, each from one run of the show.
// Each returns false after its error line.

#include "capture_options.h"
#include "capture_progress.h"

#include <SFML/Graphics/RenderTexture.hpp>

// The chosen frames as frame-NNNNNN.png in the output folder.
bool captureFrames(sf::RenderTexture& target, const CaptureOptions& options, CaptureProgress& progress);
// The soundtrack of the chosen part as a WAV file.
bool captureSoundtrack(sf::RenderTexture& target, const CaptureOptions& options, CaptureProgress& progress);
// The chosen part as an MP4 with its soundtrack.
bool captureVideo(sf::RenderTexture& target, const CaptureOptions& options, CaptureProgress& progress);
