// What the makers of the sample data share in reading their text sources: errors reported by
// file and line, numbers (decimal, or hexadecimal after "0x", so that a time like 0930 is not
// octal), and texts turned into the system's Shift-JIS with their size checked.
#pragma once

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "wynplat.h"

namespace maker {

struct Source {
    std::string file;
    int line = 0;
    int errors = 0;

    void Error(const std::string& what) {
        std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), line, what.c_str());
        ++errors;
    }
    // A line that is made as written but likely not what its author meant.
    void Warn(const std::string& what) {
        std::fprintf(stderr, "%s:%d: warning: %s\n", file.c_str(), line, what.c_str());
    }

    // A number from lo to hi into `out` (as its 32 bits); false after an error line.
    bool Number(const std::string& s, int64_t lo, int64_t hi, const char* what, int32_t* out) {
        const size_t sign = !s.empty() && (s[0] == '-' || s[0] == '+') ? 1 : 0;
        const bool hex = s.compare(sign, 2, "0x") == 0 || s.compare(sign, 2, "0X") == 0;
        errno = 0;
        char* end = nullptr;
        const long long v = std::strtoll(s.c_str(), &end, hex ? 16 : 10);
        if (s.empty() || *end || errno || v < lo || v > hi) {
            Error(std::string(what) + " \"" + s + "\" is not a number from " + std::to_string(lo) +
                  " to " + std::to_string(hi));
            return false;
        }
        *out = int32_t(uint32_t(v));
        return true;
    }
    bool Int(const std::string& s, const char* what, int32_t* out) {
        return Number(s, INT32_MIN, UINT32_MAX, what, out);
    }

    // The Shift-JIS bytes of a UTF-8 text, at most `most` of them; false after an error line
    // (too long, or a character Shift-JIS lacks).
    bool Text(const std::string& utf8, size_t most, const char* what, std::string* out) {
        std::vector<char> buf(utf8.size() * 2 + 4);
        out->assign(buf.data(), WynPlat_FromUtf8(utf8.c_str(), 932, buf.data(), buf.size()));
        if (out->find('?') != std::string::npos && utf8.find('?') == std::string::npos) {
            Error(std::string(what) + " \"" + utf8 + "\" has characters Shift-JIS lacks");
            return false;
        }
        if (out->size() > most) {
            Error(std::string(what) + " \"" + utf8 + "\" is " + std::to_string(out->size()) +
                  " bytes; at most " + std::to_string(most) + " fit");
            return false;
        }
        return true;
    }
};

}  // namespace maker
