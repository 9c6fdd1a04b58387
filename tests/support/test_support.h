#pragma once
// Helpers for the tests: temporary run folders, captured error lines, a GL
// context, and the real executable run under an X server of its own.

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Shader.hpp>
#include <gtest/gtest.h>

#include "core/app.h"
#include "core/fade.h"
#include "scenes/timeline.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

// A new folder, empty or with the repository's run files, that is the
// working directory while the object lives.
enum class RunFiles { None, FromRepository };
struct TempRunFolder {
    std::filesystem::path path, previous;

    explicit TempRunFolder(RunFiles files = RunFiles::None);
    ~TempRunFolder();
    // Writes a file, relative to the folder, creating its parent folders.
    void write(const std::string& relative, const std::string& content) const;
    // Copies the repository's config.json and assets/ here.
    void copyRepositoryRunFiles() const;
};

// A quiet 440 Hz tone as a 16-bit WAV file; a solid-colour texture, or a
// one-voice sound of that tone, written as KEY.png or KEY.wav and registered.
void writeToneFile(const std::string& path, double seconds);
void addSolidTexture(const std::string& key, unsigned width, unsigned height, sf::Color colour);
void addToneSound(const std::string& key, double seconds);

inline sf::Image shotOf(sf::RenderTexture& target)
{
    target.display();
    return target.getTexture().copyToImage();
}

// The smallest box around the pixels of rows [top, bottom) that `chosen`
// takes; its width is 0 or less when there are none.
template <typename Chosen>
sf::IntRect boxOf(const sf::Image& image, Chosen chosen, int top = 0, int bottom = 1 << 30)
{
    int left = image.getSize().x, right = -1, first = bottom, last = top - 1;
    for (int y = top; y < std::min<int>(bottom, image.getSize().y); ++y) {
        for (int x = 0; x < int(image.getSize().x); ++x) {
            if (!chosen(image.getPixel(x, y))) continue;
            left = std::min(left, x), right = std::max(right, x), first = std::min(first, y), last = y;
        }
    }
    return {left, first, right + 1 - left, last + 1 - first};
}

// The capture tool's file name for a frame.
std::string capturedFrameName(std::int64_t frame);

// A float uniform's components, read back from the shader's GL program (a
// context must be active); a failure when the program has no such uniform.
std::vector<float> uniformValues(const sf::Shader& shader, const char* name, std::size_t count);

// Lines of text, without their ends; those an action writes on std::cerr.
using Lines = std::vector<std::string>;
Lines splitLines(const std::string& text);
template <typename Action>
Lines errorLinesOf(Action action)
{
    ::testing::internal::CaptureStderr();
    action();
    return splitLines(::testing::internal::GetCapturedStderr());
}

// Call n of a scene's update, noting in starts, under its mode, the call
// that starts a fade: a start shows against the fade state that each call
// begins from, which no start leaves.
using FadeStarts = std::map<FadeMode, std::vector<int>>;
SceneId callNotingFadeStarts(SceneId (*update)(sf::RenderTarget&, float), sf::RenderTarget& target, float dt, int n,
                             FadeStarts& starts);

std::string readBytes(const std::filesystem::path& file);
// What a shell command writes, run in the working folder; a failure when it fails.
std::string outputOf(const std::string& command);

inline std::filesystem::path repositoryRoot() { return BOUNCEFEST_SOURCE_DIR; }

struct ProgramRun {
    int exitCode = -1;  // 124: stopped at the time-out
    std::string out, err;
    double seconds = 0.0;             // from the start of the run to its end
    double firstFrameSeconds = -1.0;  // from the start to the first lit frame; -1: none, or not watched
    std::vector<sf::Image> shots;     // the screen at ProgramOptions::shotSeconds
};

// The moments to read the screen at and to ask the window to close count
// from the show's first lit frame, however long the start took. Only a run
// that asks for one of them, or for that frame's time, has its screen
// watched: Xlib ends the process when the server that it reads goes away,
// as the run's server does when a run ends without lighting the screen.
struct ProgramOptions {
    bool holdEscape = false;          // Escape held down before the start
    double closeAfterSeconds = -1.0;  // >= 0: a close request to the window then, after the last shot
    double timeoutSeconds = 30.0;
    std::string environment;          // env(1)'s words: "NAME=value", "-u NAME"
    std::string command;              // shell words; empty: build/bouncefest
    std::vector<double> shotSeconds = {};
    bool timeFirstFrame = false;      // ProgramRun::firstFrameSeconds wanted without shots or a close
    std::string screen = "1920x1080"; // the X server's screen, WIDTHxHEIGHT
};

// Runs the command in folder under an Xvfb server of its own, its output
// captured; with Escape held from the start, so that the show ends after
// its first frame; the capture tool, beside the demo, the same way.
ProgramRun runBouncefest(const std::filesystem::path& folder, const ProgramOptions& options);
ProgramRun runWithEscapeHeld(const std::filesystem::path& folder, const std::string& environment = "",
                             const std::string& command = "");
ProgramRun runCapture(const std::filesystem::path& folder, const std::string& arguments,
                      const std::string& environment = "");

// The moments that a run's screen is read at to see where the picture lies:
// in the loading screen, whose bar stands in one place between its lines of
// text, and in the ball scene, whose room and sky leave no pixel black; each
// well inside its scene, however late the first lit frame is seen.
const std::vector<double> PICTURE_SHOTS_S = {LOADING_STAGES_S[0] * 2.5,
                                             BALLS_FIRST_FRAME / double{FRAMES_PER_SECOND} + 20.0};
// Expects the run's shots at those moments to show the picture scaled into
// `shown`: the loading bar where the Linux capture's frame puts it, then the
// ball scene filling `shown`, each to a pixel of the picture.
void expectShowsThePictureIn(const ProgramRun& run, const sf::IntRect& shown, const std::string& what);
