// The show on screens of other sizes than its picture's: the mode that the
// window opens in, and where the real executable's picture lies on screen.
#include "core/fit.h"
#include "test_support.h"

#include <tuple>

TEST(Fit, FullScreenTakesThePicturesSizeWhereOfferedAndAWindowFitsItsDesktop)
{
    const sf::VideoMode picture(1920, 1080, 32);
    // Each size is listed once per depth that the screen offers.
    EXPECT_EQ(fullscreenMode(sf::VideoMode(2560, 1440, 24), {{2560, 1440, 24}, {1920, 1080, 24}, {1280, 720, 24}}),
              picture);
    EXPECT_EQ(fullscreenMode(sf::VideoMode(1366, 768, 24), {{1366, 768, 24}, {1366, 768, 32}, {1024, 768, 24}}),
              sf::VideoMode(1366, 768, 24));
    EXPECT_EQ(windowedMode(sf::VideoMode(1920, 1200, 24)), picture);
    EXPECT_EQ(windowedMode(sf::VideoMode(1366, 768, 24)), sf::VideoMode(1365, 768, 32));
    EXPECT_EQ(windowedMode(sf::VideoMode(1280, 1024, 24)), sf::VideoMode(1280, 720, 32));

    // At the picture's own size the window keeps the view that it opens with.
    const sf::View own = fittedView({1920, 1080}), opening(sf::FloatRect(0.0f, 0.0f, 1920.0f, 1080.0f));
    EXPECT_EQ(std::make_tuple(own.getCenter(), own.getSize(), own.getViewport()),
              std::make_tuple(opening.getCenter(), opening.getSize(), opening.getViewport()));
}

// The screen reads black where the server shows no window.
TEST(Fit, EveryScreenShowsTheWholePictureScaledAndCentred)
{
    struct Screen {
        std::string size;    // the screen's, or a window's on that desktop
        bool fullscreen;
        std::string resize;  // WIDTH HEIGHT, a few seconds after the window opens
        sf::IntRect shown;   // where the picture should lie on the screen
    };
    for (const Screen& screen : {
             Screen{"1280x720", true, "", {0, 0, 1280, 720}},
             Screen{"2560x1600", true, "", {0, 80, 2560, 1440}},
             Screen{"3840x2160", true, "", {0, 0, 3840, 2160}},
             Screen{"1366x768", false, "", {0, 0, 1365, 768}},  // 1365 x 767.8 fills the window's 768 rows
             Screen{"1366x768", false, "960 700", {0, 80, 960, 540}},
         }) {
        const std::string what = (screen.fullscreen ? "full screen at " : "a window at ") + screen.size + " " + screen.resize;
        TempRunFolder folder{RunFiles::FromRepository};
        folder.write("config.json", std::string("{\"fullscreen\": ") + (screen.fullscreen ? "true}" : "false}"));
        ProgramOptions options{false, 0.0, 180.0, "", "'" BOUNCEFEST_EXE "'"};
        if (!screen.resize.empty())
            options.command = "sh -c 'xdotool search --sync --name Bouncefest sleep 3 windowsize %@ " + screen.resize +
                              " >/dev/null & exec \"$0\"' " + options.command;
        options.shotSeconds = PICTURE_SHOTS_S;
        options.screen = screen.size;
        const ProgramRun run = runBouncefest(folder.path, options);
        EXPECT_EQ(run.exitCode, 0) << what;
        EXPECT_EQ(run.err, "") << what;
        expectShowsThePictureIn(run, screen.shown, what);
    }
}
