// The release archive as make release packs it from this build: the same
// bytes twice, one folder of the show, its run files and libraries, started
// through its launcher from elsewhere on those libraries, by the loader's
// own account.
#include "test_support.h"

#include <algorithm>
#include <map>
#include <regex>
#include <set>

namespace fs = std::filesystem;

TEST(Release, TheArchiveIsReproducibleOneFolderAndStartsFromElsewhereOnItsOwnLibraries)
{
    const std::string name = std::string("bouncefest-") + BOUNCEFEST_VERSION + "-linux-x86_64";
    const TempRunFolder scratch;
    // The second one later and with another umask, so that every file has another time and other permissions.
    for (const std::string second : {"", "sleep 1.1 && umask 077 && "}) {
        const std::string archive = (scratch.path / (second.empty() ? "first" : "second") / name).string() + ".tar.gz";
        ASSERT_EQ(std::system(("(" + second + "cd '" + repositoryRoot().string() + "' && scripts/package-release.sh '" +
                               fs::path(BOUNCEFEST_EXE).parent_path().string() + "' " + BOUNCEFEST_VERSION + " '" +
                               archive + "') >/dev/null").c_str()), 0);
    }
    const std::string archive = readBytes(scratch.path / "first" / (name + ".tar.gz"));
    EXPECT_TRUE(archive == readBytes(scratch.path / "second" / (name + ".tar.gz")));
    ASSERT_EQ(std::system(("mkdir unpacked && tar -xzf first/" + name + ".tar.gz -C unpacked").c_str()), 0);
    const fs::path unpacked = scratch.path / "unpacked" / name, lib = fs::canonical(unpacked / "lib");

    // Started from elsewhere without LD_LIBRARY_PATH, the show runs; the
    // loader says "calling init: PATH" for each library it starts, in
    // whichever process of the launcher's chain.
    fs::create_directories(scratch.path / "elsewhere");
    fs::create_directories(scratch.path / "loader");
    const ProgramRun run = runWithEscapeHeld(scratch.path / "elsewhere",
                                             "-u LD_LIBRARY_PATH LD_DEBUG=libs LD_DEBUG_OUTPUT='" +
                                                 (scratch.path / "loader/libs").string() + "'",
                                             "'" + (unpacked / "run.sh").string() + "'");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "hello\n");
    EXPECT_EQ(run.err, "");
    std::string log;
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch.path / "loader")) {
        log += readBytes(entry.path());
    }
    std::map<std::string, std::set<std::string>> loadedFrom;  // library file name to folders
    const std::regex init("calling init: (.*)/([^/\n]*)\n");
    for (std::sregex_iterator at(log.begin(), log.end(), init), end; at != end; ++at) {
        loadedFrom[(*at)[2]].insert((*at)[1]);
    }

    // One folder: the show, its launcher and README, the run files (every
    // file the build made under assets/ is one), and under lib/ the
    // libraries loaded from there.
    std::set<std::string> expected = {name + "/bouncefest", name + "/run.sh", name + "/README.txt", name + "/config.json"};
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(repositoryRoot() / "assets")) {
        if (!entry.is_directory()) expected.insert(name + "/" + fs::relative(entry.path(), repositoryRoot()).string());
    }
    for (const auto& [file, folders] : loadedFrom) {
        if (folders.count(lib.string()) != 0) expected.insert(name + "/lib/" + file);
    }
    std::set<std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(scratch.path / "unpacked")) {
        if (!entry.is_directory()) files.insert(fs::relative(entry.path(), scratch.path / "unpacked").string());
    }
    EXPECT_EQ(files, expected);
    // What the release promises to bring comes from lib/ alone.
    for (const std::string library : {"libsfml-graphics.so", "libsfml-window.so", "libsfml-system.so",
                                      "libsfml-audio.so", "libopenal.so", "libvorbis.so", "libvorbisfile.so",
                                      "libvorbisenc.so", "libogg.so", "libFLAC.so", "libfreetype.so"}) {
        const auto loaded = std::find_if(loadedFrom.begin(), loadedFrom.end(),
                                         [&](const auto& file) { return file.first.rfind(library + ".", 0) == 0; });
        ASSERT_NE(loaded, loadedFrom.end()) << library << " was not loaded";
        EXPECT_EQ(loaded->second, std::set<std::string>{lib.string()}) << library;
    }
}
