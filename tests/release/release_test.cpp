// The release archive as make release packs it from this build: made twice,
// unpacked into an empty folder, checked file by file, and started through
// its launcher from elsewhere with the loader's own account of the libraries
// it took.
#include "test_support.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

const std::string RELEASE_NAME = std::string("bouncefest-") + BOUNCEFEST_VERSION + "-linux-x86_64";

// What a machine that runs the show brings itself: glibc, the C++ runtime,
// libGL, the X11 client libraries and their own dependencies.
const std::regex BASE_SYSTEM(
    R"(ld-linux-x86-64\.so\.2|lib(c|m|dl|rt|pthread|resolv)\.so\.\d+|libstdc\+\+\.so\.6|libgcc_s\.so\.1)"
    R"(|libGL(X|dispatch)?\.so\.\d+|libX\w*\.so\.\d+|libxcb[\w-]*\.so\.\d+|lib(bsd|md)\.so\.0)");

// The libraries that the release promises to bring, by the start of their
// file names.
const std::vector<std::string> CARRIED_LIBRARIES = {
    "libsfml-graphics.so", "libsfml-window.so", "libsfml-system.so", "libsfml-audio.so",
    "libopenal.so",        "libvorbis.so",      "libvorbisfile.so",  "libvorbisenc.so",
    "libogg.so",           "libFLAC.so",        "libfreetype.so"};

fs::path newTempFolder()
{
    std::string pattern = (fs::temp_directory_path() / "bouncefest-release-XXXXXX").string();
    return mkdtemp(pattern.data());
}

// Runs a shell command; its exit code, with its standard output in out.
int runShell(const std::string& command, std::string& out, const fs::path& scratch)
{
    const fs::path file = scratch / "command.out";
    const int status = std::system((command + " >'" + file.string() + "'").c_str());
    out = readBytes(file);
    fs::remove(file);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Packs the release from the repository into archive, as make release does,
// after the shell words in before.
int packRelease(const fs::path& archive, std::string& log, const std::string& before = "")
{
    const fs::path buildDir = fs::path(BOUNCEFEST_EXE).parent_path();
    const std::string command = before + "cd '" + repositoryRoot().string() + "' && scripts/package-release.sh '" +
                                buildDir.string() + "' '" + BOUNCEFEST_VERSION + "' '" + archive.string() + "' 2>&1";
    return runShell(command, log, archive.parent_path());
}

// Every plain file below folder, relative to it.
std::set<std::string> filesBelow(const fs::path& folder)
{
    std::set<std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_directory()) files.insert(fs::relative(entry.path(), folder).string());
    }
    return files;
}

// The files that the manifests name.
std::set<std::string> namedAssets()
{
    std::set<std::string> files;
    for (const char* manifest : {"assets/textures.json", "assets/sounds.json", "assets/music.json"}) {
        std::ifstream stream(repositoryRoot() / manifest);
        const nlohmann::json document = nlohmann::json::parse(stream);
        for (const auto& [kind, entries] : document.items()) {
            for (const auto& [key, entry] : entries.items()) files.insert(entry.at("file").get<std::string>());
        }
    }
    return files;
}

// ldd's lines "soname => path (address)", as soname to path.
std::map<std::string, std::string> resolvedLibraries(const std::string& lddOutput)
{
    std::map<std::string, std::string> libraries;
    for (const std::string& line : splitLines(lddOutput)) {
        std::istringstream words(line);
        std::string soname, arrow, path;
        if (words >> soname >> arrow >> path && arrow == "=>") libraries[soname] = path;
    }
    return libraries;
}

// Each test runs in a process of its own: each packs the archive once.
class ReleaseTest : public ::testing::Test {
protected:
    static inline fs::path scratch;
    static inline fs::path archive;
    static inline fs::path unpacked;  // the archive's one folder
    static inline std::string packLog;

    static void SetUpTestSuite()
    {
        scratch = newTempFolder();
        fs::create_directories(scratch / "first");
        fs::create_directories(scratch / "unpacked");
        archive = scratch / "first" / (RELEASE_NAME + ".tar.gz");
        if (packRelease(archive, packLog) != 0) return;
        const std::string untar = "tar -xzf '" + archive.string() + "' -C '" + (scratch / "unpacked").string() + "'";
        if (std::system(untar.c_str()) == 0) unpacked = scratch / "unpacked" / RELEASE_NAME;
    }

    static void TearDownTestSuite()
    {
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    }

    void SetUp() override { ASSERT_FALSE(unpacked.empty()) << "packing or unpacking failed:\n" << packLog; }
};

TEST_F(ReleaseTest, TwoArchivesFromTheSameTreeAreIdentical)
{
    // The second one later, so that every file has another time, and with
    // another umask, so that every file has other permissions.
    const fs::path secondArchive = scratch / "second" / (RELEASE_NAME + ".tar.gz");
    fs::create_directories(secondArchive.parent_path());
    std::string log;
    ASSERT_EQ(packRelease(secondArchive, log, "sleep 1.1 && umask 077 && "), 0) << log;
    const std::string first = readBytes(archive);
    EXPECT_GT(first.size(), 0u);
    EXPECT_TRUE(first == readBytes(secondArchive));
}

TEST_F(ReleaseTest, TheArchiveIsOneFolderOfTheShowItsRunFilesAndTheLibrariesItFindsBesideItself)
{
    std::string dynamic;
    ASSERT_EQ(runShell("readelf -d '" + (unpacked / "bouncefest").string() + "'", dynamic, scratch), 0);
    EXPECT_NE(dynamic.find("Library rpath: [$ORIGIN/lib]"), std::string::npos) << dynamic;
    EXPECT_EQ(dynamic.find("Library runpath"), std::string::npos) << dynamic;

    EXPECT_EQ(filesBelow(scratch / "unpacked").size(), filesBelow(unpacked).size()) << "more than one folder";

    std::string lddOutput;
    ASSERT_EQ(runShell("ldd '" + (unpacked / "bouncefest").string() + "'", lddOutput, scratch), 0);
    EXPECT_EQ(lddOutput.find("not found"), std::string::npos) << lddOutput;
    std::set<std::string> expected = {"bouncefest",
                                      "run.sh",
                                      "README.txt",
                                      "config.json",
                                      "assets/textures.json",
                                      "assets/sprites.json",
                                      "assets/sounds.json",
                                      "assets/music.json",
                                      "assets/roboto-thin.ttf",
                                      "assets/shaders/passthrough.vert",
                                      "assets/shaders/balls.frag",
                                      "assets/shaders/peephole.frag"};
    for (const std::string& asset : namedAssets()) expected.insert(asset);
    const fs::path libFolder = fs::canonical(unpacked / "lib");
    for (const auto& [soname, path] : resolvedLibraries(lddOutput)) {
        if (fs::path(path).parent_path() == libFolder) {
            expected.insert("lib/" + soname);
        } else {
            EXPECT_TRUE(std::regex_match(soname, BASE_SYSTEM)) << soname << " comes from " << path;
        }
    }
    EXPECT_EQ(filesBelow(unpacked), expected);
    for (const std::string& library : CARRIED_LIBRARIES) {
        EXPECT_NE(lddOutput.find(libFolder.string() + "/" + library), std::string::npos) << library;
    }
}

TEST_F(ReleaseTest, TheLauncherStartsTheShowFromElsewhereOnTheArchivesLibraries)
{
    const fs::path elsewhere = scratch / "elsewhere";
    const fs::path loaderLog = scratch / "loader";
    fs::create_directories(elsewhere);
    fs::create_directories(loaderLog);
    ProgramOptions options;
    options.program = (unpacked / "run.sh").string();
    options.holdEscape = true;
    options.extraEnv = {"LD_DEBUG=libs", "LD_DEBUG_OUTPUT=" + (loaderLog / "libs").string(), "LD_LIBRARY_PATH"};
    const ProgramRun run = runBouncefest(elsewhere, options);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "hello\n");
    EXPECT_EQ(run.err, "");

    // The loader's own account: "calling init: PATH" for every library it
    // starts, in whichever process of the launcher's chain.
    std::map<std::string, std::vector<std::string>> initialised;
    for (const fs::directory_entry& entry : fs::directory_iterator(loaderLog)) {
        for (const std::string& line : splitLines(readBytes(entry.path()))) {
            const std::size_t at = line.find("calling init: ");
            if (at == std::string::npos) continue;
            const fs::path path = line.substr(at + std::string("calling init: ").size());
            initialised[path.filename().string()].push_back(path.parent_path().string());
        }
    }
    const std::string libFolder = fs::canonical(unpacked / "lib").string();
    for (const std::string& library : CARRIED_LIBRARIES) {
        bool found = false;
        for (const auto& [file, folders] : initialised) {
            if (file.rfind(library, 0) != 0) continue;
            found = true;
            EXPECT_EQ(folders, std::vector<std::string>{libFolder}) << file;
        }
        EXPECT_TRUE(found) << library << " was not loaded";
    }
}

}  // namespace
