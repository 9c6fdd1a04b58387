#include "output_files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <unistd.h>

namespace fs = std::filesystem;

static bool outputCreatedHere = false;

static bool reportUnwritable(const std::string& path, int error)
{
    std::cerr << "bouncefest-capture: Unable to write " << path << ": " << std::strerror(error) << "." << std::endl;
    return false;
}

bool claimOutputFile(const std::string& path)
{
    std::error_code ignored;
    const bool existed = fs::exists(path, ignored);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT, 0644);
    if (fd < 0) return reportUnwritable(path, errno);
    close(fd);
    outputCreatedHere = !existed;
    return true;
}

void releaseOutputFile(const std::string& path)
{
    std::error_code ignored;
    if (outputCreatedHere) fs::remove(path, ignored);
}

bool prepareFramesFolder(const std::string& path)
{
    std::error_code error;
    fs::create_directories(path, error);
    if (error) return reportUnwritable(path, error.value());
    if (access(path.c_str(), W_OK) != 0) return reportUnwritable(path, errno);
    return true;
}

bool TemporaryFolder::create()
{
    std::string pattern = (fs::temp_directory_path() / "bouncefest-capture-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return reportUnwritable(pattern, errno);
    path = pattern;
    return true;
}

TemporaryFolder::~TemporaryFolder()
{
    std::error_code ignored;
    if (!path.empty()) fs::remove_all(path, ignored);
}
