#pragma once
// bouncefest-capture: the show rendered off screen on a fixed clock, every frame exactly 1/60 s, into an MP4
// with its soundtrack, PNG frames or a WAV file. The soundtrack is mixed offline from the sounds and songs that
// start during the run, at a whole number of samples per frame.

#include "assetgen/audio_clip.h"
#include "assets/music_manager.h"
#include "scenes/timeline.h"

#include <SFML/Graphics.hpp>

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

constexpr unsigned SOUNDTRACK_RATE_HZ = 48000;
constexpr std::int64_t SAMPLES_PER_FRAME = SOUNDTRACK_RATE_HZ / FRAMES_PER_SECOND;  // per channel
static_assert(SAMPLES_PER_FRAME * FRAMES_PER_SECOND == SOUNDTRACK_RATE_HZ, "a frame is a whole number of samples");
constexpr std::int64_t SHOW_END_FRAME = -1;  // an end frame that means the show's own end

enum class CaptureMode { Video, Frames, Soundtrack };

struct CaptureOptions {
    CaptureMode mode = CaptureMode::Video;
    std::string output;
    std::set<std::int64_t> frames;          // --frames, counted from 0
    std::int64_t firstFrame = 0;            // --seconds FROM
    std::int64_t endFrame = SHOW_END_FRAME; // --seconds TO, not included
    bool helpOnly = false;
};

// Reads the arguments, and writes the usage for --help; on a mistake, writes one line on std::cerr and returns
// false.
bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options);

// The error line for an output that cannot be written, with the system's reason; false.
bool reportUnwritable(const std::string& path, int error);

// The demo's start-up with an off-screen target of the window's size in the window's place, the audio muted.
// False after an error line.
bool startCapturedShow(sf::RenderTexture& target);

// A frame as OpenGL reads it back: RGBA, its rows from the bottom up.
using BottomUpPixels = std::vector<sf::Uint8>;

// Which frames are drawn in full, and what happens to each of them.
struct FrameChoice {
    std::function<bool(std::int64_t frame)> wanted;
    std::function<bool(std::int64_t frame, BottomUpPixels& pixels)> keep;  // false stops the run
    std::int64_t endFrame = SHOW_END_FRAME;  // no frame from here on runs
};

struct ShowRun {
    std::int64_t framesRun = 0;
    bool keepFailed = false;
};

// Runs the show from its first frame with a progress line, then writes the speed of each part. Frames that are
// not wanted still run (the scenes and the soundtrack log see them) but draw only a pixel.
ShowRun runShow(sf::RenderTexture& target, const FrameChoice& choice);
// The error line for a show that ends before the wanted frame; false.
bool reportShowTooShort(std::int64_t showFrames, std::int64_t wantedFrame);

// Every sound effect and song that starts during the run, with the frame in which it started.
struct EffectStart {
    std::int64_t frame = 0;
    std::string key;
};

struct SongStart {
    std::int64_t frame = 0;
    Song song;  // a copy: what the stream was set up with at that moment
    bool loop = false;
};

struct SoundtrackLog {
    std::int64_t currentFrame = 0;  // the frame that runs now
    std::vector<EffectStart> effects;
    std::vector<SongStart> songs;

    void listen();  // hooks the log to the sound and music managers
};

extern SoundtrackLog soundtrackLog;

// Frames [firstFrame, endFrame) of the soundtrack as the show plays it at an ideal 60 fps, 48 kHz stereo.
AudioClip mixSoundtrack(std::int64_t firstFrame, std::int64_t endFrame);
// As a 16-bit WAV file; false after an error line.
bool writeWav(const AudioClip& clip, const std::string& path);

// Whether ffmpeg can be found in PATH; false after an error line.
bool ffmpegInstalled();
// The chosen part as an MP4 with its soundtrack; false after an error line.
bool captureVideo(sf::RenderTexture& target, const CaptureOptions& options);
