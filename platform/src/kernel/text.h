// Text helpers shared inside the platform layer: code page conversion and the case rules of
// names (only ASCII letters fold; Shift-JIS trail bytes never do).
#pragma once

#include <string>

namespace wynplat {

// Code page conversions into std::string (see WynPlat_ToUtf8 / WynPlat_FromUtf8).
std::string ToUtf8(const std::string& text, int codePage);
std::string FromUtf8(const std::string& text, int codePage);
// True when every byte sequence of `text` is valid in the code page.
bool IsValidIn(const std::string& text, int codePage);
bool IsValidUtf8(const std::string& text);

// Whether `b` begins a two-byte Shift-JIS character.
inline bool IsSjisLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Equality without regard to ASCII case, for UTF-8 text (multi-byte sequences never fold).
bool EqualNoCaseUtf8(const std::string& a, const std::string& b);
// Equality without regard to ASCII case, for Shift-JIS text (trail bytes compare exactly).
bool EqualNoCaseSjis(const std::string& a, const std::string& b);

}  // namespace wynplat
