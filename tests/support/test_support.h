#pragma once
// Helpers for the tests: temporary run folders, captured error lines, a GL
// context, and the real executable run under an X server of its own.

#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Shader.hpp>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

// A new empty folder that is the working directory while the object lives.
struct TempRunFolder {
    std::filesystem::path path;
    std::filesystem::path previous;

    TempRunFolder();
    ~TempRunFolder();

    // Writes a file, relative to the folder, creating its parent folders.
    void write(const std::string& relative, const std::string& content) const;
    // Copies the repository's config.json and assets/ here.
    void copyRepositoryRunFiles() const;
};

// Writes a quiet sine tone of this length as a 16-bit WAV file.
void writeToneFile(const std::string& path, double seconds);

// Registers a solid-colour texture, written as KEY.png in the working folder.
void addSolidTexture(const std::string& key, unsigned width, unsigned height, sf::Color colour);

// Registers a sound of one voice playing a quiet tone, written as KEY.wav in
// the working folder.
void addToneSound(const std::string& key, double seconds);

// What the target shows now.
sf::Image shotOf(sf::RenderTexture& target);

// A vertex shader that passes position and colour through, for tests that
// write their own fragment shaders.
extern const char* const PLAIN_VERTEX_SHADER;

// The components of a float uniform, read back from the shader's GL program
// (a context must be active); a failure when the program has no such uniform.
std::vector<float> uniformValues(const sf::Shader& shader, const char* name, std::size_t count);

// The lines of a text, without their ends.
std::vector<std::string> splitLines(const std::string& text);

// Runs an action and returns the lines it wrote on std::cerr.
template <typename Action>
std::vector<std::string> errorLinesOf(Action action)
{
    ::testing::internal::CaptureStderr();
    action();
    return splitLines(::testing::internal::GetCapturedStderr());
}

// The whole content of a file.
std::string readBytes(const std::filesystem::path& file);

// Runs the build's asset generator into a folder; its exit code.
int runAssetGenerator(const std::filesystem::path& assetsDir);

// The repository's root (the run folder of the build).
std::filesystem::path repositoryRoot();

struct ProgramRun {
    int exitCode = -1;  // 124: stopped at the time-out
    std::string out;
    std::string err;
    double seconds = 0.0;
};

struct ProgramOptions {
    bool holdEscape = false;          // Escape held down before the start
    double closeAfterSeconds = -1.0;  // >= 0: a close request to the window then
    double timeoutSeconds = 30.0;
    std::string environment;          // env(1)'s words: "NAME=value", "-u NAME"
    std::string command;              // shell words; empty: build/bouncefest
};

// Runs the command in folder under an Xvfb server of its own, with its
// output captured.
ProgramRun runBouncefest(const std::filesystem::path& folder, const ProgramOptions& options);

// The same with Escape held from the start, so that the show ends after its
// first frame.
ProgramRun runWithEscapeHeld(const std::filesystem::path& folder, const std::string& environment = "",
                             const std::string& command = "");
