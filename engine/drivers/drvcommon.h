// What the engine's driver plug-ins share: the CHECK answer, the processor tests behind it and
// the double-to-int conversion. Header only: each plug-in carries its own copy.
#pragma once

#include <emmintrin.h>

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

// The chip arrays are walked front to back, several hundred bytes a chip, in arrays larger than
// the caches: each stage asks for the chips it will reach a few steps later, so that their lines
// are on their way while the current chip is worked on.
constexpr int kPrefetchAhead = 6;
inline void PrefetchChip(const tagKRNCHIP* c) {
    const char* p = reinterpret_cast<const char*>(c);
    for (std::size_t off = 0; off < sizeof(tagKRNCHIP); off += 64) __builtin_prefetch(p + off);
    __builtin_prefetch(p + sizeof(tagKRNCHIP) - 1);
}
inline void PrefetchChipForWrite(const tagKRNCHIP* c) {
    const char* p = reinterpret_cast<const char*>(c);
    for (std::size_t off = 0; off < sizeof(tagKRNCHIP); off += 64) __builtin_prefetch(p + off, 1);
    __builtin_prefetch(p + sizeof(tagKRNCHIP) - 1, 1);
}

// Copies one chip sixteen bytes at a time. A plain copy of a chip compiles to a string move,
// whose start-up costs more than the copy itself at this size.
inline void CopyChip(tagKRNCHIP* dst, const tagKRNCHIP* src) {
    static_assert(sizeof(tagKRNCHIP) % 16 == 0);
    auto* d = reinterpret_cast<__m128i*>(dst);
    const auto* s = reinterpret_cast<const __m128i*>(src);
#pragma GCC unroll 32
    for (std::size_t i = 0; i < sizeof(tagKRNCHIP) / 16; ++i)
        _mm_storeu_si128(d + i, _mm_loadu_si128(s + i));
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
