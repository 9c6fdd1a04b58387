// The release archive as make release packs it from this build: the same
// bytes twice, one folder of the show, its run files and the libraries it
// needs beyond the base system, started through its launcher from
// elsewhere on those libraries, by the loader's own account.
#include "test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace {

// Runs a shell command in folder; its standard output.
std::string outputOf(const std::string& command, const fs::path& folder)
{
    const std::string out = (folder / "command.out").string();
    EXPECT_EQ(std::system(("cd '" + folder.string() + "' && " + command + " >'" + out + "'").c_str()), 0) << command;
    return readBytes(folder / "command.out");
}

TEST(Release, TheArchiveIsReproducibleOneFolderAndStartsFromElsewhereOnItsOwnLibraries)
{
    const std::string name = std::string("bouncefest-") + BOUNCEFEST_VERSION + "-linux-x86_64";
    const TempRunFolder scratch;
    // The second one later and with another umask, so that every file has another time and other permissions.
    for (const char* before : {"", "sleep 1.1 && umask 077 && "}) {
        outputOf(std::string(before) + "cd '" + repositoryRoot().string() + "' && scripts/package-release.sh '" +
                     fs::path(BOUNCEFEST_EXE).parent_path().string() + "' " + BOUNCEFEST_VERSION + " '" +
                     (scratch.path / (*before ? "second" : "first") / (name + ".tar.gz")).string() + "'",
                 scratch.path);
    }
    const std::string archive = readBytes(scratch.path / "first" / (name + ".tar.gz"));
    ASSERT_GT(archive.size(), 0u);
    EXPECT_TRUE(archive == readBytes(scratch.path / "second" / (name + ".tar.gz")));
    outputOf("mkdir unpacked && tar -xzf first/" + name + ".tar.gz -C unpacked", scratch.path);
    const fs::path unpacked = scratch.path / "unpacked" / name, lib = fs::canonical(unpacked / "lib");

    // Every file, in one folder: the show, its launcher and README, the run
    // files, every file the manifests name, and each library the loader
    // resolves outside the base system, under its soname in lib/.
    std::set<std::string> expected;
    for (const char* file : {"bouncefest", "run.sh", "README.txt", "config.json", "assets/textures.json",
                             "assets/sprites.json", "assets/sounds.json", "assets/music.json", "assets/roboto-thin.ttf",
                             "assets/shaders/passthrough.vert", "assets/shaders/balls.frag", "assets/shaders/peephole.frag"}) {
        expected.insert(name + "/" + file);
    }
    for (const char* manifest : {"assets/textures.json", "assets/sounds.json", "assets/music.json"}) {
        const nlohmann::json document = nlohmann::json::parse(std::ifstream(repositoryRoot() / manifest));
        for (const auto& [kind, entries] : document.items()) {
            for (const auto& [key, entry] : entries.items()) expected.insert(name + "/" + entry.at("file").get<std::string>());
        }
    }
    // What a machine that runs the show brings itself: glibc, the C++ runtime,
    // libGL, the X11 client libraries and their own dependencies.
    const std::regex baseSystem(
        R"(ld-linux-x86-64\.so\.2|lib(c|m|dl|rt|pthread|resolv)\.so\.\d+|libstdc\+\+\.so\.6|libgcc_s\.so\.1)"
        R"(|libGL(X|dispatch)?\.so\.\d+|libX\w*\.so\.\d+|libxcb[\w-]*\.so\.\d+|lib(bsd|md)\.so\.0)");
    const std::string ldd = outputOf("ldd '" + (unpacked / "bouncefest").string() + "'", scratch.path);
    EXPECT_EQ(ldd.find("not found"), std::string::npos) << ldd;
    for (const std::string& line : splitLines(ldd)) {
        std::istringstream words(line);  // "soname => path (address)"
        std::string soname, arrow, path;
        if (!(words >> soname >> arrow >> path) || arrow != "=>") continue;
        EXPECT_TRUE(fs::path(path).parent_path() == lib || std::regex_match(soname, baseSystem)) << soname << ": " << path;
        if (fs::path(path).parent_path() == lib) expected.insert(name + "/lib/" + soname);
    }
    std::set<std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(scratch.path / "unpacked")) {
        if (!entry.is_directory()) files.insert(fs::relative(entry.path(), scratch.path / "unpacked").string());
    }
    EXPECT_EQ(files, expected);

    // Started from elsewhere without LD_LIBRARY_PATH, the show runs, and the
    // loader says "calling init: PATH" for every library that it starts, in
    // whichever process of the launcher's chain: those the release brings come from lib/.
    fs::create_directories(scratch.path / "elsewhere");
    fs::create_directories(scratch.path / "loader");
    ProgramOptions options;
    options.program = (unpacked / "run.sh").string();
    options.holdEscape = true;
    options.extraEnv = {"LD_DEBUG=libs", "LD_DEBUG_OUTPUT=" + (scratch.path / "loader/libs").string(), "LD_LIBRARY_PATH"};
    const ProgramRun run = runBouncefest(scratch.path / "elsewhere", options);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "hello\n");
    EXPECT_EQ(run.err, "");
    std::string log;
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch.path / "loader")) log += readBytes(entry.path());
    for (const char* library : {"libsfml-graphics.so", "libsfml-window.so", "libsfml-system.so", "libsfml-audio.so",
                                "libopenal.so", "libvorbis.so", "libvorbisfile.so", "libvorbisenc.so", "libogg.so",
                                "libFLAC.so", "libfreetype.so"}) {
        const std::regex init("calling init: (.*)/" + std::string(library) + "[.0-9]*\n");
        int loads = 0;
        for (std::sregex_iterator at(log.begin(), log.end(), init), end; at != end; ++at, ++loads) {
            EXPECT_EQ((*at)[1], lib.string()) << library;
        }
        EXPECT_GT(loads, 0) << library << " was not loaded";
    }
}

}  // namespace
