// What the tests that run a program of the set read of its output: a file's whole text, the last
// lines of a text for a failure's message, how often a text occurs, and the real time a run
// took (<chrono> does not build with the Shift-JIS execution set).
#pragma once

#include <time.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace programrun {

// The bytes of a file as they are ("" when it is missing).
inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline long MonotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000L + ts.tv_nsec / 1000000L;
}

// A bound of `seconds` of real time on another program's run, stretched by WYN_TIME_SCALE
// (the sanitizer build's tests run with 4, and its `timeout` stretches the same way). No result
// depends on a bound: it only ends a run that hangs.
inline long BoundMs(int seconds) {
    const char* scale = std::getenv("WYN_TIME_SCALE");
    const long n = scale ? std::atol(scale) : 1;
    return seconds * 1000L * (n > 1 ? n : 1);
}

// The last lines of a text (all of it when it has no more).
inline std::string Tail(const std::string& text, int lines = 25) {
    size_t at = text.size();
    for (int n = 0; n <= lines && at != std::string::npos && at > 0; ++n)
        at = text.rfind('\n', at - 1);
    return at == std::string::npos || at == 0 ? text : text.substr(at + 1);
}

// How often `what` occurs in `text`, overlapping occurrences counted.
inline int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace programrun
