// Shift-JIS helpers shared by the script libraries: the lead-byte test that follows the
// country code, and upper-casing that leaves double-byte characters alone.
#pragma once

#include <windows.h>

namespace vsk {

// With country code 81 a lead byte lies in 0x81-0x9F or 0xE0-0xFC; with any other country
// every byte from 0x81 up is one. The code is read once per library, on first use.
inline bool IsLeadByte(BYTE b) {
    static const bool japan = GetProfileIntA("intl", "iCountry", 0) == 81;
    if (japan) return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    return b >= 0x81;
}

// Upper-cases a-z in place; the second byte of a double-byte character is never a letter.
inline void UpperInPlace(char* s) {
    if (!s) return;
    for (auto* p = reinterpret_cast<BYTE*>(s); *p; ++p) {
        if (IsLeadByte(*p)) {
            if (!p[1]) break;
            ++p;
        } else if (*p >= 'a' && *p <= 'z') {
            *p = BYTE(*p - ('a' - 'A'));
        }
    }
}

// The position of the last single-byte backslash of `s`, or nullptr.
inline const char* LastBackslash(const char* s) {
    const char* cut = nullptr;
    for (auto* p = reinterpret_cast<const BYTE*>(s); p && *p; ++p) {
        if (IsLeadByte(*p)) {
            if (!p[1]) break;
            ++p;
        } else if (*p == '\\') {
            cut = reinterpret_cast<const char*>(p);
        }
    }
    return cut;
}

}  // namespace vsk
