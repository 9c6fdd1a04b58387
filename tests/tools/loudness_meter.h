#pragma once
// Loudness as ffmpeg's EBU R128 meter (the "ebur128" filter) reads it,
// so that the figures do not rest on the meter that masters the music.
#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

// Everything the command writes on its standard output.
inline std::string commandOutput(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char chunk[65536];
    std::size_t read;
    while ((read = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, read);
    pclose(pipe);
    return output;
}

struct LoudnessSummary {
    double integratedLufs = NAN;
    double truePeakDbtp = NAN;
    std::string report;  // the meter's own words, for a failure's message
};

// The value that follows label on the first line after "Summary:" that has it.
inline double summaryValue(const std::string& report, const std::string& label)
{
    const std::size_t summary = report.rfind("Summary:");
    if (summary == std::string::npos) return NAN;
    const std::size_t at = report.find(label, summary);
    if (at == std::string::npos) return NAN;
    return std::stod(report.substr(at + label.size()));
}

// Integrated loudness and true peak of lengthSeconds of the file from
// fromSeconds; a length of 0 reads to the end.
inline LoudnessSummary loudnessOf(const std::string& file, double fromSeconds = 0.0, double lengthSeconds = 0.0)
{
    std::ostringstream command;
    command.precision(9);
    command << "ffmpeg -nostats -hide_banner -ss " << fromSeconds;
    if (lengthSeconds > 0.0) command << " -t " << lengthSeconds;
    command << " -i '" << file << "' -af ebur128=peak=true -f null - 2>&1";
    LoudnessSummary summary;
    summary.report = commandOutput(command.str());
    summary.integratedLufs = summaryValue(summary.report, "I:");
    summary.truePeakDbtp = summaryValue(summary.report, "Peak:");
    return summary;
}

// The momentary loudness (the last 400 ms) at each 100 ms of the file.
struct MomentaryLoudness {
    double seconds;  // where its window ends
    double lufs;
};

inline std::vector<MomentaryLoudness> momentaryLoudnessOf(const std::string& file)
{
    const std::string log = commandOutput("ffmpeg -nostats -hide_banner -i '" + file + "' -af ebur128 -f null - 2>&1");
    std::vector<MomentaryLoudness> points;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t t = line.find(" t: ");
        const std::size_t m = line.find(" M:");
        if (t == std::string::npos || m == std::string::npos) continue;
        // ffmpeg stamps the windows a few microseconds short of the 100 ms grid.
        const double seconds = std::round(std::stod(line.substr(t + 4)) * 10.0) / 10.0;
        const double lufs = std::stod(line.substr(m + 3));
        // ffmpeg writes "nan" for a window of exact silence.
        points.push_back({seconds, std::isnan(lufs) ? -INFINITY : lufs});
    }
    return points;
}
