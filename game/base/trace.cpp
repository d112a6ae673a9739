// The game's trace file (WYN_GAME_TRACE): one UTF-8 line per event, appended, so that a run can
// be followed and compared by tests without a window.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "base/base.h"
#include "wynplat.h"

namespace {
struct Trace {
    FILE* file = nullptr;
    bool opened = false;
};
Trace& T() {
    static Trace t;
    if (!t.opened) {
        t.opened = true;
        if (const char* path = std::getenv("WYN_GAME_TRACE"); path && *path) {
            t.file = std::fopen(path, "a");
            if (!t.file) std::fprintf(stderr, "wyntower: trace file %s cannot be opened\n", path);
        }
    }
    return t;
}
}  // namespace

int GameTraceOn() { return T().file != nullptr; }

void GameTrace(const char* format, ...) {
    FILE* f = T().file;
    if (!f) return;
    char line[1024];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    char utf8[3 * sizeof line];
    WynPlat_ToUtf8(line, 932, utf8, sizeof utf8);
    std::fputs(utf8, f);
    std::fputc('\n', f);
    std::fflush(f);
}
