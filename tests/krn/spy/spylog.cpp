#include "spylog.h"

#include <cstdarg>
#include <cstdio>
#include <set>
#include <string>

namespace {
std::string g_log;
std::set<std::string> g_fail;
}  // namespace

SPYAPI void Spy_Log(const char* format, ...) {
    char line[512];
    va_list ap;
    va_start(ap, format);
    std::vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    g_log += line;
    g_log += '\n';
}

SPYAPI const char* Spy_Text(void) { return g_log.c_str(); }

SPYAPI void Spy_Clear(void) {
    g_log.clear();
    g_fail.clear();
}

SPYAPI void Spy_Fail(const char* entry) { g_fail.insert(entry); }

SPYAPI int Spy_Fails(const char* entry) { return g_fail.count(entry) ? 1 : 0; }
