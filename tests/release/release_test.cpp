// The release archive as make release packs it from the two builds: the
// same bytes twice, one folder of both shows, their run files (configured
// full screen), libraries and licences, each show started from elsewhere on
// its own libraries (by the loader's account) and, under Wine, Windows' own.
#include "wine.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

TEST(Release, TheArchiveIsReproducibleOneFolderAndStartsFromElsewhereOnItsOwnLibraries)
{
    const std::string name = std::string("bouncefest-") + BOUNCEFEST_VERSION;
    const TempRunFolder scratch;
    // The second one later and with another umask, so that every file has another time and other permissions.
    for (const std::string second : {"", "sleep 1.1 && umask 077 && "}) {
        const std::string archive = (scratch.path / (second.empty() ? "first" : "second") / name).string() + ".zip";
        ASSERT_EQ(std::system(("(" + second + "cd '" + repositoryRoot().string() + "' && scripts/package-release.sh '" +
                               fs::path(BOUNCEFEST_EXE).parent_path().string() + "' '" BOUNCEFEST_WINDOWS_DIR "' " +
                               BOUNCEFEST_VERSION + " '" + archive + "') >/dev/null").c_str()), 0);
    }
    const std::string archive = readBytes(scratch.path / "first" / (name + ".zip"));
    EXPECT_TRUE(archive == readBytes(scratch.path / "second" / (name + ".zip")));
    EXPECT_LE(archive.size(), 30u << 20);
    ASSERT_EQ(std::system(("unzip -q first/" + name + ".zip -d unpacked").c_str()), 0);
    const fs::path unpacked = scratch.path / "unpacked" / name, lib = fs::canonical(unpacked / "lib");

    // The party's copy starts full screen, and is the repository's own otherwise.
    nlohmann::json config = nlohmann::json::parse(readBytes(repositoryRoot() / "config.json"));
    EXPECT_EQ(config["fullscreen"], false);
    config["fullscreen"] = true;
    EXPECT_EQ(nlohmann::json::parse(readBytes(unpacked / "config.json")), config);

    // Started from elsewhere without LD_LIBRARY_PATH, the show runs; the
    // loader says "calling init: PATH" for each library it starts, in
    // whichever process of the launcher's chain.
    for (const char* folder : {"elsewhere", "loader"}) fs::create_directories(scratch.path / folder);
    const ProgramRun run = runWithEscapeHeld(scratch.path / "elsewhere",
                                             "-u LD_LIBRARY_PATH LD_DEBUG=libs LD_DEBUG_OUTPUT='" +
                                                 (scratch.path / "loader/libs").string() + "'",
                                             "'" + (unpacked / "run.sh").string() + "'");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "hello\n");
    EXPECT_EQ(run.err, "");
    std::string log;
    for (const fs::directory_entry& entry : fs::directory_iterator(scratch.path / "loader")) log += readBytes(entry.path());
    std::map<std::string, std::set<std::string>> loadedFrom;  // library file name to folders
    const std::regex init("calling init: (.*)/([^/\n]*)\n");
    for (std::sregex_iterator at(log.begin(), log.end(), init), end; at != end; ++at) loadedFrom[(*at)[2]].insert((*at)[1]);

    // One folder: the show, its launcher and README, the run files (every
    // file the build made under assets/ is one), and under lib/ the
    // libraries loaded from there.
    std::set<std::string> expected = {name + "/bouncefest", name + "/run.sh", name + "/README.txt",
                                      name + "/config.json", name + "/bouncefest.exe", name + "/OpenAL32.dll"};
    // Every library with its licence: the Windows ones by their source packages, those in lib/ by their packages.
    for (const std::string package : {"libsfml", "openal-soft", "freetype", "libogg", "libvorbis", "flac",
                                      "nlohmann-json3", "gcc-mingw-w64-x86-64-posix-runtime", "mingw-w64-common"})
        expected.insert(name + "/licences/windows/" + package + ".txt");
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(repositoryRoot() / "assets"))
        if (!entry.is_directory()) expected.insert(name + "/" + fs::relative(entry.path(), repositoryRoot()).string());
    for (const auto& [file, folders] : loadedFrom) {
        if (folders.count(lib.string()) == 0) continue;
        expected.insert(name + "/lib/" + file);
        const std::string package = outputOf("dpkg -S '*/" + file + "' | head -1 | cut -d: -f1");
        expected.insert(name + "/licences/linux/" + package.substr(0, package.find('\n')) + ".txt");
    }
    std::set<std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(scratch.path / "unpacked"))
        if (!entry.is_directory()) files.insert(fs::relative(entry.path(), scratch.path / "unpacked").string());
    EXPECT_EQ(files, expected);
    // What the release promises to bring comes from lib/ alone.
    for (const std::string library : {"libsfml-graphics.so", "libsfml-window.so", "libsfml-system.so",
             "libsfml-audio.so", "libopenal.so", "libvorbis.so", "libvorbisfile.so", "libvorbisenc.so", "libogg.so",
             "libFLAC.so", "libfreetype.so"}) {
        const auto loaded = std::find_if(loadedFrom.begin(), loadedFrom.end(),
                                         [&](const auto& file) { return file.first.rfind(library + ".", 0) == 0; });
        ASSERT_NE(loaded, loadedFrom.end()) << library << " was not loaded";
        EXPECT_EQ(loaded->second, std::set<std::string>{lib.string()}) << library;
    }

    // The Windows show, from elsewhere, finds its files beside it, and needs
    // nothing but what every Windows 10 has and what its folder holds.
    const ProgramRun windows = runWithEscapeHeld(scratch.path / "elsewhere", WINE_ENVIRONMENT,
                                                 underWine(unpacked / "bouncefest.exe"));
    EXPECT_EQ(windows.exitCode, 0);
    EXPECT_EQ(windows.out, "hello\r\n");
    EXPECT_EQ(windows.err, "");
    std::set<std::string> portable, allowed = {"advapi32.dll", "avrt.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll",
        "ole32.dll", "opengl32.dll", "shell32.dll", "user32.dll", "winmm.dll"};  // in lower case, as Windows finds them
    for (const fs::directory_entry& entry : fs::directory_iterator(unpacked)) {
        const std::string file = entry.path().filename().string();
        if (entry.path().extension() == ".dll" || entry.path().extension() == ".exe") portable.insert(file);
        std::string lower = file;
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        if (entry.path().extension() == ".dll") allowed.insert(lower);
    }
    EXPECT_EQ(portable, (std::set<std::string>{"OpenAL32.dll", "bouncefest.exe"}));
    for (const std::string& file : portable) {
        const std::string imports = outputOf("x86_64-w64-mingw32-objdump -p '" + (unpacked / file).string() +
                                             "' | sed -n 's/^\\tDLL Name: //p' | tr A-Z a-z");
        std::istringstream lines(imports);
        for (std::string dll; std::getline(lines, dll);) EXPECT_EQ(allowed.count(dll), 1u) << file << " needs " << dll;
        EXPECT_NE(imports.find("kernel32.dll"), std::string::npos) << file;
    }
}
