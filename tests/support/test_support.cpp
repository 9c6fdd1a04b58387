#define GL_GLEXT_PROTOTYPES
#include "test_support.h"

#include <SFML/OpenGL.hpp>

#include "assets/sound_manager.h"
#include "assets/texture_manager.h"

#include <SFML/Audio/SoundBuffer.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pwd.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include <X11/Xlib.h>

namespace fs = std::filesystem;

TempRunFolder::TempRunFolder()
{
    std::string pattern = (fs::temp_directory_path() / "bouncefest-test-XXXXXX").string();
    path = mkdtemp(pattern.data());
    previous = fs::current_path();
    fs::current_path(path);
}

TempRunFolder::~TempRunFolder()
{
    fs::current_path(previous);
    std::error_code ignored;
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path, ignored);
}

void TempRunFolder::write(const std::string& relative, const std::string& content) const
{
    const fs::path file = path / relative;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << content;
}

void TempRunFolder::copyRepositoryRunFiles() const
{
    fs::copy_file(repositoryRoot() / "config.json", path / "config.json");
    fs::copy(repositoryRoot() / "assets", path / "assets", fs::copy_options::recursive);
}

void writeToneFile(const std::string& path, double seconds)
{
    constexpr unsigned SAMPLE_RATE = 8000;
    std::vector<sf::Int16> samples(static_cast<std::size_t>(seconds * SAMPLE_RATE));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<sf::Int16>(3000.0 * std::sin(2.0 * M_PI * 440.0 * i / SAMPLE_RATE));
    }
    sf::SoundBuffer buffer;
    buffer.loadFromSamples(samples.data(), samples.size(), 1, SAMPLE_RATE);
    ASSERT_TRUE(buffer.saveToFile(path)) << path;
}

void addSolidTexture(const std::string& key, unsigned width, unsigned height, sf::Color colour)
{
    sf::Image image;
    image.create(width, height, colour);
    ASSERT_TRUE(image.saveToFile(key + ".png"));
    ASSERT_TRUE(textureManager.add(key, key + ".png", false));
}

void addToneSound(const std::string& key, double seconds)
{
    writeToneFile(key + ".wav", seconds);
    ASSERT_TRUE(soundManager.add(key, key + ".wav", 1));
}

sf::Image shotOf(sf::RenderTexture& target)
{
    target.display();
    return target.getTexture().copyToImage();
}

const char* const PLAIN_VERTEX_SHADER = R"(// Uniforms: none.
void main()
{
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;
    gl_FrontColor = gl_Color;
}
)";

std::vector<float> uniformValues(const sf::Shader& shader, const char* name, std::size_t count)
{
    const GLuint program = shader.getNativeHandle();
    const GLint location = glGetUniformLocation(program, name);
    EXPECT_NE(location, -1) << name;
    std::vector<float> values(std::max<std::size_t>(count, 16), NAN);
    if (location != -1) glGetUniformfv(program, location, values.data());
    values.resize(count);
    return values;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

int runAssetGenerator(const fs::path& assetsDir)
{
    // The generator lies beside the demo in the build folder.
    const fs::path generator = fs::path(BOUNCEFEST_EXE).parent_path() / "assetgen";
    const std::string command = "'" + generator.string() + "' '" + assetsDir.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str());
}

fs::path repositoryRoot()
{
    return BOUNCEFEST_SOURCE_DIR;
}

std::string readBytes(const fs::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

// Starts a child with the given arguments and environment additions; its
// output goes to the given files (or is dropped when empty).
static pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& env,
                   const fs::path& workingDir, const fs::path& outFile, const fs::path& errFile,
                   bool asNobody = false)
{
    const pid_t pid = fork();
    if (pid != 0) return pid;
    setpgid(0, 0);
    for (const std::string& variable : env) {
        if (variable.find('=') == std::string::npos) unsetenv(variable.c_str());
        else putenv(strdup(variable.c_str()));
    }
    if (!workingDir.empty() && chdir(workingDir.c_str()) != 0) _exit(127);
    const int out = open(outFile.empty() ? "/dev/null" : outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(errFile.empty() ? "/dev/null" : errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    if (asNobody && geteuid() == 0) {
        const struct passwd* nobody = getpwnam("nobody");
        if (!nobody || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0) _exit(126);
    }
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

// Asks every top-level window of the display to close, as a window manager
// does: a WM_DELETE_WINDOW client message. True when one was asked.
static bool requestClose(const std::string& displayName)
{
    Display* display = XOpenDisplay(displayName.c_str());
    if (!display) return false;
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    bool asked = false;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
                continue;
            XEvent event = {};
            event.xclient.type = ClientMessage;
            event.xclient.window = children[i];
            event.xclient.message_type = protocols;
            event.xclient.format = 32;
            event.xclient.data.l[0] = static_cast<long>(deleteWindow);
            event.xclient.data.l[1] = CurrentTime;
            XSendEvent(display, children[i], False, NoEventMask, &event);
            asked = true;
        }
        XFree(children);
    }
    XCloseDisplay(display);
    return asked;
}

// Waits for a child; kills its process group after the time-out (-1).
// With a close time, the child's windows are asked to close from then on.
static int waitFor(pid_t pid, double timeoutSeconds, const std::string& display = "",
                   double closeAfterSeconds = -1.0)
{
    const auto start = std::chrono::steady_clock::now();
    const auto deadline = start + std::chrono::duration<double>(timeoutSeconds);
    bool closeAsked = false;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (closeAfterSeconds >= 0.0 && !closeAsked && elapsed >= closeAfterSeconds) {
            closeAsked = requestClose(display);
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(-pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return 128 + WTERMSIG(status);
}

// A private X server; -noreset keeps a held key once its client has gone.
// A server that loses a race for its display number is started again.
struct XServer {
    pid_t pid = -1;
    std::string display;

    XServer()
    {
        for (int attempt = 0; attempt < 5 && display.empty(); ++attempt) {
            start();
            if (!display.empty() && !accepts()) stop();
        }
    }

    ~XServer() { stop(); }

    void start()
    {
        int fds[2];
        if (pipe(fds) != 0) return;
        pid = fork();
        if (pid == 0) {
            setpgid(0, 0);
            close(fds[0]);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-noreset",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        char c = 0;
        while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        close(fds[0]);
        if (!number.empty()) display = ":" + number;
    }

    bool accepts() const
    {
        for (int i = 0; i < 100; ++i) {
            if (Display* connection = XOpenDisplay(display.c_str())) {
                XCloseDisplay(connection);
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return false;
    }

    void stop()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
        display.clear();
    }
};

ProgramRun runBouncefest(const fs::path& folder, const ProgramOptions& options)
{
    ProgramRun run;
    XServer server;
    if (server.display.empty()) {
        ADD_FAILURE() << "Xvfb did not start";
        return run;
    }
    std::vector<std::string> env = {"DISPLAY=" + server.display};
    if (options.holdEscape) {
        const pid_t press = spawn({"xdotool", "keydown", "Escape"}, env, "", "", "");
        EXPECT_EQ(waitFor(press, 10.0), 0) << "xdotool could not press Escape";
    }
    env.insert(env.end(), options.extraEnv.begin(), options.extraEnv.end());

    const fs::path outFile = fs::temp_directory_path() / ("bouncefest-out-" + std::to_string(getpid()));
    const fs::path errFile = fs::temp_directory_path() / ("bouncefest-err-" + std::to_string(getpid()));
    const auto start = std::chrono::steady_clock::now();
    if (options.runAsNobody) fs::permissions(folder, fs::perms::all, fs::perm_options::add);
    const std::string program = options.program.empty() ? BOUNCEFEST_EXE : options.program;
    const pid_t pid = spawn({program}, env, folder, outFile, errFile, options.runAsNobody);
    run.exitCode = waitFor(pid, options.timeoutSeconds, server.display, options.closeAfterSeconds);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.out = readBytes(outFile);
    run.err = readBytes(errFile);
    fs::remove(outFile);
    fs::remove(errFile);
    return run;
}
