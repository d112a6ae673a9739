// The game's trace (WYN_GAME_TRACE) of a test process, read back by the tests: set to a file of
// the process's own before anything traces, so that the lines a case makes can be read.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace gametrace {

inline const std::string& TraceFile() {
    static const std::string path = [] {
        if (const char* set = std::getenv("WYN_GAME_TRACE"); set && *set) return std::string(set);
        const char* base = std::getenv("WYN_RUNTIME_DIR");
        const std::string dir = base ? base : "/tmp";
        std::filesystem::create_directories(dir);
        const std::string p = dir + "/trace-" + std::to_string(getpid()) + ".txt";
        std::filesystem::remove(p);
        setenv("WYN_GAME_TRACE", p.c_str(), 1);
        return p;
    }();
    return path;
}
// Set before main: the trace file is opened at the first line the game writes.
inline const std::string& g_traceFile = TraceFile();

// Where the trace ends now (a mark to read from).
inline uintmax_t TraceEnd() {
    std::error_code e;
    const uintmax_t size = std::filesystem::file_size(TraceFile(), e);
    return e ? 0 : size;
}

// The lines written since `from` that begin with `prefix`.
inline std::vector<std::string> TraceLines(uintmax_t from, const std::string& prefix) {
    std::vector<std::string> out;
    std::ifstream in(TraceFile(), std::ios::binary);
    in.seekg(std::streamoff(from));
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) out.push_back(line);
    return out;
}

}  // namespace gametrace
