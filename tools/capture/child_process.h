#pragma once
// A child program fed through a pipe on its standard input, its own output
// kept in a log file: the way the capture hands its frames to ffmpeg.

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

struct ChildProcess {
    pid_t pid = -1;
    int input = -1;  // the write end of the child's standard input
    std::string logPath;

    // Starts program (looked up in PATH) with args; false when it could not.
    bool start(const std::vector<std::string>& args, const std::string& log);
    // Writes every byte; false once the child has stopped reading.
    bool write(const void* bytes, std::size_t count);
    // Closes the input and waits: the exit code, or 128 + the signal.
    int finish();
    // The last non-empty line of the child's log, for an error line.
    std::string lastLogLine() const;
};

// Whether program is an executable file in one of the folders of PATH.
bool isInPath(const std::string& program);

// Runs a program to its end with its output in log: its exit code, or -1
// when it could not start.
int runToEnd(const std::vector<std::string>& args, const std::string& log);
