#define GL_GLEXT_PROTOTYPES
#include "test_support.h"

#include <SFML/OpenGL.hpp>

#include "assets/sound_manager.h"
#include "assets/texture_manager.h"

#include <SFML/Audio/SoundBuffer.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace fs = std::filesystem;

TempRunFolder::TempRunFolder(RunFiles files)
{
    std::string pattern = (fs::temp_directory_path() / "bouncefest-test-XXXXXX").string();
    path = mkdtemp(pattern.data());
    previous = fs::current_path();
    fs::current_path(path);
    if (files == RunFiles::FromRepository) copyRepositoryRunFiles();
}

TempRunFolder::~TempRunFolder()
{
    fs::current_path(previous);
    std::error_code ignored;
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
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<sf::Int16>(3000.0 * std::sin(2.0 * M_PI * 440.0 * i / SAMPLE_RATE));
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

SceneId callNotingFadeStarts(SceneId (*update)(sf::RenderTarget&, float), sf::RenderTarget& target, float dt, int n,
                             FadeStarts& starts)
{
    screenFade = ScreenFade{0.5f, 0.0f, FadeMode::Idle};
    const SceneId next = update(target, dt);
    if (screenFade.speed == 0.5f && screenFade.level == (screenFade.mode == FadeMode::FromBlack ? 1.0f : 0.0f))
        starts[screenFade.mode].push_back(n);
    return next;
}

Lines splitLines(const std::string& text)
{
    Lines lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

std::string capturedFrameName(std::int64_t frame)
{
    const std::string number = std::to_string(frame);
    return "frame-" + std::string(6 - number.size(), '0') + number + ".png";
}

std::string readBytes(const fs::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), {});
}

std::string outputOf(const std::string& command)
{
    EXPECT_EQ(std::system((command + " >command.out 2>&1").c_str()), 0) << command;
    return readBytes("command.out");
}

// Asks every top-level window of the display to close, as a window manager
// does: a WM_DELETE_WINDOW client message. True when one was asked.
static bool requestClose(const std::string& displayName)
{
    Display* display = displayName.empty() ? nullptr : XOpenDisplay(displayName.c_str());
    if (!display) return false;
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    bool asked = false;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes;
            if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable)
                continue;
            XEvent event = {};
            event.xclient = XClientMessageEvent{ClientMessage, 0, False, display, children[i], protocols, 32, {}};
            event.xclient.data.l[0] = static_cast<long>(deleteWindow);
            event.xclient.data.l[1] = CurrentTime;
            asked |= XSendEvent(display, children[i], False, NoEventMask, &event) != 0;
        }
        XFree(children);
    }
    XCloseDisplay(display);
    return asked;
}

// Whether any pixel of the display's screen is lit, and the picture when
// asked. A connection for each reading: Xlib ends the process when a
// server that it holds goes away, as the run's server does when it ends.
static bool readScreen(const std::string& displayName, sf::Image* shot)
{
    Display* display = displayName.empty() ? nullptr : XOpenDisplay(displayName.c_str());
    if (!display) return false;
    const int width = DisplayWidth(display, 0), height = DisplayHeight(display, 0);
    XImage* image = XGetImage(display, DefaultRootWindow(display), 0, 0, width, height, AllPlanes, ZPixmap);
    bool lit = false;
    if (image) {
        const char* data = image->data;
        lit = std::any_of(data, data + image->bytes_per_line * height, [](char byte) { return byte != 0; });
        // The server's 24-bit screen comes as 32-bit pixels, blue first;
        // copied row by row, a large screen is read in a few milliseconds.
        if (shot && image->bits_per_pixel == 32 && image->byte_order == LSBFirst) {
            std::vector<sf::Uint8> pixels(static_cast<std::size_t>(width) * height * 4);
            sf::Uint8* pixel = pixels.data();
            for (int y = 0; y < height; ++y) {
                const auto* row = reinterpret_cast<const sf::Uint8*>(data + y * image->bytes_per_line);
                for (int x = 0; x < width; ++x, pixel += 4)
                    pixel[0] = row[x * 4 + 2], pixel[1] = row[x * 4 + 1], pixel[2] = row[x * 4], pixel[3] = 255;
            }
            shot->create(width, height, pixels.data());
        }
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return lit;
}

// The run's X server, once its script has written the name; empty before.
static std::string displayOf(const fs::path& work)
{
    const std::string name = readBytes(work / "display");
    return name.find('\n') == std::string::npos ? "" : name.substr(0, name.find('\n'));
}

// Watches the run's screen: the server's own pattern gives way to the
// window's black frame, which stays while the assets load, and the show's
// first frame lights it. From that frame on, the screen is read at each
// shot's moment, then the window is asked to close. Returns when the run
// ends or all is done.
static void watchScreen(const fs::path& work, const ProgramOptions& options, const std::atomic<bool>& finished,
                        ProgramRun& run, std::chrono::steady_clock::time_point start)
{
    const auto poll = [] { std::this_thread::sleep_for(std::chrono::milliseconds(5)); };
    std::string display;
    for (; display.empty() && !finished; poll()) display = displayOf(work);
    while (!finished && readScreen(display, nullptr)) poll();
    while (!finished && !readScreen(display, nullptr)) poll();
    if (finished) return;
    const auto firstFrame = std::chrono::steady_clock::now();
    run.firstFrameSeconds = std::chrono::duration<double>(firstFrame - start).count();
    for (const double moment : options.shotSeconds) {
        std::this_thread::sleep_until(firstFrame + std::chrono::duration<double>(moment));
        sf::Image shot;
        if (finished || !readScreen(display, &shot)) return;
        run.shots.push_back(shot);
    }
    if (options.closeAfterSeconds < 0.0) return;
    std::this_thread::sleep_until(firstFrame + std::chrono::duration<double>(options.closeAfterSeconds));
    while (!finished && !requestClose(display)) std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

ProgramRun runBouncefest(const fs::path& folder, const ProgramOptions& options)
{
    // The run's own script, its output and the name of its X server go in a
    // scratch folder; the script runs under a server of its own.
    std::string pattern = (fs::temp_directory_path() / "bouncefest-run-XXXXXX").string();
    const fs::path work = mkdtemp(pattern.data());
    std::ofstream(work / "run.sh") << "echo \"$DISPLAY\" >'" << (work / "display").string() << "'\n"
                                   << (options.holdEscape ? "xdotool keydown Escape || exit 125\n" : "")
                                   << "exec env " << options.environment << " "
                                   << (options.command.empty() ? std::string("'" BOUNCEFEST_EXE "'") : options.command)
                                   << "\n";
    ProgramRun run;
    std::atomic<bool> finished{false};
    const auto start = std::chrono::steady_clock::now();
    std::thread watcher([&] {
        if (options.timeFirstFrame || options.closeAfterSeconds >= 0.0 || !options.shotSeconds.empty())
            watchScreen(work, options, finished, run, start);
    });
    const int status = std::system(("cd '" + folder.string() + "' && XVFB_SCREEN=" + options.screen + " timeout -k 5 " +
                                    std::to_string(options.timeoutSeconds) + " '" +
                                    (repositoryRoot() / "scripts/with-xvfb.sh").string() + "' sh '" +
                                    (work / "run.sh").string() + "' >'" + (work / "out").string() + "' 2>'" +
                                    (work / "err").string() + "'").c_str());
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    finished = true;
    watcher.join();
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readBytes(work / "out");
    run.err = readBytes(work / "err");
    fs::remove_all(work);
    return run;
}

ProgramRun runWithEscapeHeld(const fs::path& folder, const std::string& environment, const std::string& command)
{
    return runBouncefest(folder, ProgramOptions{true, -1.0, 60.0, environment, command});
}

ProgramRun runCapture(const fs::path& folder, const std::string& arguments, const std::string& environment)
{
    const fs::path tool = fs::path(BOUNCEFEST_EXE).parent_path() / "bouncefest-capture";
    return runBouncefest(folder,
                         ProgramOptions{false, -1.0, 900.0, environment, "'" + tool.string() + "' " + arguments});
}

// The box around the pixels above `dark` in some channel, of rows [top, bottom).
static sf::IntRect litBox(const sf::Image& image, int dark, int top = 0, int bottom = 1 << 30)
{
    return boxOf(image, [dark](sf::Color c) { return std::max({c.r, c.g, c.b}) > dark; }, top, bottom);
}

void expectShowsThePictureIn(const ProgramRun& run, const sf::IntRect& shown, const std::string& what)
{
    // The bar, in the picture's rows between the message (300) and the subtitle (800).
    constexpr int BAR_ROWS[] = {400, 700};
    static const sf::IntRect bar = [&] {  // once per test program
        const TempRunFolder frames;
        const std::int64_t frame = std::llround(PICTURE_SHOTS_S[0] * FRAMES_PER_SECOND);
        const std::string arguments = "--frames " + std::to_string(frame) + " '" + frames.path.string() + "'";
        EXPECT_EQ(runCapture(repositoryRoot(), arguments).exitCode, 0);
        sf::Image image;
        EXPECT_TRUE(image.loadFromFile(capturedFrameName(frame)));
        return litBox(image, 63, BAR_ROWS[0], BAR_ROWS[1]);
    }();
    ASSERT_EQ(run.shots.size(), 2u) << what;
    const double scale = static_cast<double>(shown.width) / SCREEN_WIDTH_PX;
    const sf::IntRect seenBar = litBox(run.shots[0], 63, int(shown.top + BAR_ROWS[0] * scale),
                                       int(shown.top + BAR_ROWS[1] * scale)),
                      scene = litBox(run.shots[1], 0);
    for (const auto& [at, expected] : {std::pair{seenBar.left, shown.left + bar.left * scale},
                                       {seenBar.top, shown.top + bar.top * scale},
                                       {seenBar.left + seenBar.width, shown.left + (bar.left + bar.width) * scale},
                                       {seenBar.top + seenBar.height, shown.top + (bar.top + bar.height) * scale},
                                       {scene.left, shown.left}, {scene.top, shown.top},
                                       {scene.left + scene.width, shown.left + shown.width},
                                       {scene.top + scene.height, shown.top + shown.height}}) {
        EXPECT_NEAR(at, expected, 1.0 + scale) << what;
    }
}
