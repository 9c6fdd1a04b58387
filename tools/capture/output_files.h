#pragma once
// Where the capture writes: the output checked before the long run, and a
// private temporary folder for the parts of the video.

#include <filesystem>
#include <string>

// Opens (creating) the output file once, so that an unwritable path fails at
// the start rather than after minutes of capture. False after an error line.
bool claimOutputFile(const std::string& path);
// Removes an output file that claimOutputFile created, after a failure.
void releaseOutputFile(const std::string& path);

// Creates the folder for PNG frames. False after an error line.
bool prepareFramesFolder(const std::string& path);

// A new folder under the system's temporary folder, removed with the object.
struct TemporaryFolder {
    std::filesystem::path path;

    bool create();  // false after an error line
    ~TemporaryFolder();
};
