// What the engine's driver plug-ins share: the CHECK answer, the processor tests behind it and
// the double-to-int conversion. Header only: each plug-in carries its own copy.
#pragma once

#include <cmath>
#include <cstring>

#include "krn.h"
#include "wynplat.h"

// Entry points are exported under plain names; the platform's GetProcAddress maps the
// decorated names the engine asks for onto them.
#define DRVEXPORT extern "C" __attribute__((visibility("default")))

namespace drv {

// Truncates toward zero like a plain conversion, but a NaN gives 0 and values beyond the int
// range give its ends, where the plain conversion would be undefined.
inline int Trunc(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return (int)v;
}

// Copies a CHECK text (Shift-JIS) into its 32-byte buffer. A longer text is cut before the
// first character that does not fit whole, never inside a two-byte character.
inline void PutText(char* out, const char* text) {
    if (!out) return;
    std::size_t n = 0;
    for (;;) {
        const unsigned char c = (unsigned char)text[n];
        if (!c) break;
        const std::size_t w = ((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) ? 2 : 1;
        if (n + w > 31 || (w == 2 && !text[n + 1])) break;
        n += w;
    }
    std::memcpy(out, text, n);
    out[n] = '\0';
}

// Which processor a build needs; its CHECK answers with the matching test.
enum Need { kAnyProcessor = 0, kSse = 1, kAmd3DNow = 2 };

// An empty vendor text means the processor identification instruction gave nothing.
inline int SseTest() {
    WynCpuInfo cpu;
    WynPlat_GetCpuInfo(&cpu);
    if (!cpu.vendor[0]) return 0;
    return std::strcmp(cpu.vendor, "GenuineIntel") == 0 && cpu.sse ? 1 : 0;
}

inline int Amd3DNowTest() {
    WynCpuInfo cpu;
    WynPlat_GetCpuInfo(&cpu);
    if (!cpu.vendor[0]) return 0;
    return cpu.amd3dnow ? 1 : 0;
}

// The whole CHECK: the texts and words are written before the test, so they are filled even
// when the processor does not fit.
inline int Check(char* corp, char* name, char* file, DWORD* c1, DWORD* c2, const char* maker,
                 const char* description, const char* loadfile, DWORD kind, Need need) {
    PutText(corp, maker);
    PutText(name, description);
    PutText(file, loadfile);
    if (c1) *c1 = kind;
    if (c2) *c2 = 0;
    switch (need) {
        case kSse:
            return SseTest();
        case kAmd3DNow:
            return Amd3DNowTest();
        default:
            return 1;
    }
}

}  // namespace drv
