// What the run tests of the demo programs read of a program's files: its trace lines, the ones
// of a kind, the end of a trace for a failure's message, and the real time a run took.
#pragma once

#include <time.h>

#include <fstream>
#include <string>
#include <vector>

// The lines of a text file (none when it is missing).
inline std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream f(path);
    for (std::string s; std::getline(f, s);) lines.push_back(s);
    return lines;
}

// The lines that begin with `with`.
inline std::vector<std::string> Starting(const std::vector<std::string>& lines,
                                         const std::string& with) {
    std::vector<std::string> out;
    for (const std::string& l : lines)
        if (l.rfind(with, 0) == 0) out.push_back(l);
    return out;
}

// The last n lines of a file, indented, the frame-rate lines of a trace left out.
inline std::string Tail(const std::string& path, size_t n = 25) {
    std::vector<std::string> lines;
    for (const std::string& l : Lines(path))
        if (l.rfind("info ", 0) != 0) lines.push_back(l);
    std::string out;
    for (size_t i = lines.size() > n ? lines.size() - n : 0; i < lines.size(); ++i)
        out += "    " + lines[i] + "\n";
    return out;
}

// Real time in seconds, for the diagnostics (<chrono> does not build with the Shift-JIS
// execution set).
inline double Seconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + ts.tv_nsec * 1e-9;
}
