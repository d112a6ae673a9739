// The inner loops of the 2D display library: every draw of 16-bit pixels (screens of 16, 24
// and 32 bits per pixel, and cell-to-cell copies) runs through the templates here. They work
// on rectangles that the callers have already clipped, with a source step per pixel and per
// row so that one loop serves plain, mirrored and flipped drawing. No loop allocates, calls
// out or tests bounds. Each rule is computed with shifts, masks and small multiplications, a
// whole register of pixels at a time (pixel_simd.h); a scalar loop with the same arithmetic
// finishes each row and takes rows whose source and destination overlap, where the order of
// reads and writes decides the result.
//
// Internal to the library (and its tests and benchmarks); not part of the public header.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "pixel_simd.h"

namespace zem {

// ---- fixed tables ----

// The tint rule of 5-bit channels as a table: entry [level][a][b] = (a * (16 - level) + b *
// level + 8) / 16 for a (tint colour) and b (picture), levels 0-15. The kernels compute it.
struct TintTable {
    uint8_t v[16][32][32];
};
constexpr TintTable MakeTintTable() {
    TintTable t{};
    for (int level = 0; level < 16; ++level)
        for (int a = 0; a < 32; ++a)
            for (int b = 0; b < 32; ++b)
                t.v[level][a][b] = static_cast<uint8_t>((a * (16 - level) + b * level + 8) / 16);
    return t;
}
inline constexpr TintTable kTint = MakeTintTable();

// 5-bit channel to 8 bits, c * 255 / 31; (c * 1053) >> 7 is the same for every c of 0-31 and
// fits 16-bit lanes.
constexpr uint32_t Expand5(uint32_t c) { return c * 255 / 31; }
constexpr uint32_t Expand5Fast(uint32_t c) { return (c * 1053) >> 7; }
// A ZEMPIXEL (bits 0-14) as 0x00RRGGBB: an entry of the RGB table, computed.
constexpr uint32_t Rgb32(uint32_t c) {
    return (Expand5Fast((c >> 10) & 31) << 16) | (Expand5Fast((c >> 5) & 31) << 8) |
           Expand5Fast(c & 31);
}

// ZEMPIXEL (bits 0-14) to 0x00RRGGBB: the table of the 24-bit displays' kernels and of single
// colours.
struct RgbTable {
    uint32_t v[32768];
};
inline void FillRgbTable(RgbTable& t) {
    for (uint32_t i = 0; i < 32768; ++i)
        t.v[i] = (Expand5((i >> 10) & 31) << 16) | (Expand5((i >> 5) & 31) << 8) | Expand5(i & 31);
}

// ---- the walk over a clipped rectangle ----

// Where the pixels come from and go to. Steps are in pixels for the source (srcStep is +1 or
// -1, srcRow plus or minus one row) and in bytes for the destination rows.
struct Walk {
    const uint16_t* src;
    ptrdiff_t srcStep;
    ptrdiff_t srcRow;
    uint8_t* dst;
    ptrdiff_t dstRow;
    int width;
    int height;
};

// A source pixel is skipped when (s & keyMask) == key. Screens compare bits 0-14 (keyMask
// 0x7FFF), cell-to-cell copies all 16 bits (0xFFFF). A key above 0xFFFF never matches: that
// is how "no key" is passed.
constexpr uint32_t kNoKey = 0x10000;
constexpr uint16_t kScreenKeyMask = 0x7FFF;
constexpr uint16_t kCellKeyMask = 0xFFFF;

// Destination formats. Each knows how to load and store one pixel and how to turn a 15-bit
// colour into its own form.
struct Fmt16 {  // 5-5-5, the ZEMPIXEL layout
    static constexpr int kBytes = 2;
    static constexpr bool k565 = false;
};
struct Fmt565 {  // 5-6-5 (the older build's depth 16): red 11-15, green 5-10, blue 0-4
    static constexpr int kBytes = 2;
    static constexpr bool k565 = true;
};
struct Fmt24 {
    static constexpr int kBytes = 3;
    static constexpr bool k565 = false;
};
struct Fmt32 {
    static constexpr int kBytes = 4;
    static constexpr bool k565 = false;
};

// A ZEMPIXEL colour (bits 0-14) in 5-6-5: green's fifth bit becomes the sixth, so that
// opaque and half-transparent pixels (whose rule halves green in place) agree.
constexpr uint16_t To565(uint32_t c) {
    return static_cast<uint16_t>(((c & 0x7FE0) << 1) | (c & 0x1F));
}

static_assert([] {
    for (uint32_t c = 0; c < 32; ++c)
        if (Expand5Fast(c) != Expand5(c)) return false;
    return true;
}());

namespace detail {

inline uint32_t Load24(const uint8_t* p) { return p[0] | (p[1] << 8) | (uint32_t(p[2]) << 16); }
inline void Store24(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
}

// True when one row's source pixels and destination bytes share memory (a cell copied onto
// itself, a blend within one screen): the vector loops read a register of pixels before they
// write, so those rows go through the scalar loop, which keeps the pixel-by-pixel order.
inline bool Overlaps(const void* src, ptrdiff_t srcBytes, const void* dst, ptrdiff_t dstBytes) {
    const auto s = reinterpret_cast<uintptr_t>(src), d = reinterpret_cast<uintptr_t>(dst);
    return s < d + uintptr_t(dstBytes) && d < s + uintptr_t(srcBytes);
}

// ---- the scalar rules: row tails and overlapping rows ----

template <int Step, bool R565>
inline void Row16Scalar(const uint16_t* s, uint16_t* d, int n, uint32_t key, uint16_t keyMask) {
    for (int x = 0; x < n; ++x) {
        const uint16_t sv = s[x * Step];
        const uint16_t c = sv & 0x7FFF;
        const uint16_t dv = d[x];
        // 5-6-5: the source halved into 5-6-5 places (red's and green's top four bits stay
        // where 5-6-5 wants half of them) plus the screen halved.
        const uint16_t half =
            R565
                ? static_cast<uint16_t>(((sv & 0x7BC0) | ((sv >> 1) & 0x0F)) + ((dv >> 1) & 0x7BCF))
                : static_cast<uint16_t>(((c >> 1) & 0x3DEF) + ((dv >> 1) & 0x3DEF));
        const uint16_t v = (sv & 0x8000) ? half : R565 ? To565(c) : c;
        d[x] = (uint32_t(sv & keyMask) == key) ? dv : v;
    }
}

template <int Step>
inline void Row32Scalar(const uint16_t* s, uint32_t* d, int n, uint32_t key, uint16_t keyMask) {
    for (int x = 0; x < n; ++x) {
        const uint16_t sv = s[x * Step];
        const uint32_t c = Rgb32(sv & 0x7FFF);
        const uint32_t dv = d[x];
        const uint32_t half = ((c >> 1) & 0x7F7F7F) + ((dv >> 1) & 0x7F7F7F);
        const uint32_t v = (sv & 0x8000) ? half : c;
        d[x] = (uint32_t(sv & keyMask) == key) ? dv : v;
    }
}

// The tint of one 5-bit channel: (t * (16 - level) + c * level + 8) / 16, with
// tAdd = t * (16 - level) + 8.
constexpr uint32_t Tint5(uint32_t c, int level, uint32_t tAdd) { return (c * level + tAdd) >> 4; }

template <int Step, bool R565>
inline void Tint16Scalar(const uint16_t* s, uint16_t* d, int n, uint32_t key, uint16_t keyMask,
                         int level, uint16_t tint) {
    // 5-6-5 takes the five tinted green bits as its upper five.
    constexpr int kRed = R565 ? 11 : 10, kGreen = R565 ? 6 : 5;
    const uint32_t ar = ((tint >> 10) & 31) * (16 - level) + 8,
                   ag = ((tint >> 5) & 31) * (16 - level) + 8, ab = (tint & 31) * (16 - level) + 8;
    for (int x = 0; x < n; ++x) {
        const uint16_t sv = s[x * Step];
        if (uint32_t(sv & keyMask) == key) continue;
        uint16_t c = sv & 0x7FFF;
        if (sv & 0x8000) c = (c >> 1) & 0x3DEF;
        d[x] = static_cast<uint16_t>((Tint5((c >> 10) & 31, level, ar) << kRed) |
                                     (Tint5((c >> 5) & 31, level, ag) << kGreen) |
                                     Tint5(c & 31, level, ab));
    }
}

template <int Step>
inline void Tint32Scalar(const uint16_t* s, uint32_t* d, int n, uint32_t key, uint16_t keyMask,
                         int level, uint32_t t8) {
    const int t8r = (t8 >> 16) & 255, t8g = (t8 >> 8) & 255, t8b = t8 & 255;
    for (int x = 0; x < n; ++x) {
        const uint16_t sv = s[x * Step];
        if (uint32_t(sv & keyMask) == key) continue;
        uint16_t c = sv & 0x7FFF;
        if (sv & 0x8000) c = (c >> 1) & 0x3DEF;
        // t - ceil(level * (t - c) / 16) == t + floor(level * (c - t) / 16)
        const uint32_t c8 = Rgb32(c);
        const int r = t8r + ((level * (int((c8 >> 16) & 255) - t8r)) >> 4);
        const int g = t8g + ((level * (int((c8 >> 8) & 255) - t8g)) >> 4);
        const int b = t8b + ((level * (int(c8 & 255) - t8b)) >> 4);
        d[x] = (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
    }
}

// One 16-bit pixel scaled by k/16 per channel; a 5-5-5 pixel with bit 15 set counts as black.
template <bool R565>
constexpr uint16_t Scale16(uint32_t v, uint32_t k) {
    if constexpr (R565)
        return static_cast<uint16_t>(((((v >> 11) & 31) * k >> 4) << 11) |
                                     ((((v >> 5) & 63) * k >> 4) << 5) | ((v & 31) * k >> 4));
    else
        return (v & 0x8000)
                   ? 0
                   : static_cast<uint16_t>(((((v >> 10) & 31) * k >> 4) << 10) |
                                           ((((v >> 5) & 31) * k >> 4) << 5) | ((v & 31) * k >> 4));
}

template <bool SkipEqual, bool R565>
inline void Blend16Scalar(const uint16_t* s, uint16_t* d, int n, int a) {
    for (int x = 0; x < n; ++x) {
        if (SkipEqual && s[x] == d[x]) continue;
        d[x] = static_cast<uint16_t>(Scale16<R565>(s[x], a) + Scale16<R565>(d[x], 16 - a));
    }
}

inline void BlendBytesScalar(const uint8_t* s, uint8_t* d, int n, int a) {
    for (int x = 0; x < n; ++x) d[x] = static_cast<uint8_t>(((16 - a) * d[x] + a * s[x]) >> 4);
}

// ---- the same rules a register at a time ----
// Each returns how many pixels (bytes for the byte blend) it did: whole registers only.

// The 256-bit registers only ever live inside the AVX2 functions below (the kernels are
// inlined there), so the note that passing them elsewhere would change the calling convention
// does not apply; the compiler gives it at the end of the file, so it stays off from here on.
#pragma GCC diagnostic ignored "-Wpsabi"

// A register with every lane x (a run-time scalar does not mix with vectors directly).
template <class V, class T>
ZEM_ALWAYS_INLINE V Splat(T x) {
    V v;
    for (unsigned i = 0; i < sizeof(V) / sizeof(x); ++i) v[i] = x;
    return v;
}

template <class W, int Step>
ZEM_ALWAYS_INLINE typename W::u16 LoadSource(const uint16_t* s, int x) {
    typename W::u16 v;
    if constexpr (Step > 0) {
        std::memcpy(&v, s + x, sizeof v);
    } else {
        // Mirrored: the register ends at pixel x and runs backward.
        std::memcpy(&v, s - x - (W::kLanes - 1), sizeof v);
        if constexpr (W::kLanes == 8)
            v = __builtin_shuffle(v, (typename W::u16){7, 6, 5, 4, 3, 2, 1, 0});
        else
            v = __builtin_shuffle(
                v, (typename W::u16){15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0});
    }
    return v;
}

// Key match as a lane mask. "No key" (above 0xFFFF) becomes a compare that never holds.
template <class W>
struct KeyTest {
    typename W::u16 mask, value;
    ZEM_ALWAYS_INLINE KeyTest(uint32_t key, uint16_t keyMask) {
        mask = Splat<typename W::u16>(uint16_t(key > 0xFFFF ? 0 : keyMask));
        value = Splat<typename W::u16>(uint16_t(key > 0xFFFF ? 1 : key));
    }
    ZEM_ALWAYS_INLINE typename W::u16 operator()(typename W::u16 sv) const {
        return (typename W::u16)((sv & mask) == value);
    }
};

// Bit 15 of each lane spread over the lane.
template <class W>
ZEM_ALWAYS_INLINE typename W::u16 HalfMask(typename W::u16 sv) {
    return (typename W::u16)((typename W::s16)sv >> 15);
}

// Sources of 32-bit pixels are loaded with their 64-bit groups in the order 0, 2, 1, 3 (a no-op
// at 128 bits), so that Pair, which works inside each 128-bit half of a register as the
// processor's unpack instructions do, gives pixels 0-7 (Pair<false>) and 8-15 (Pair<true>).
template <class W>
ZEM_ALWAYS_INLINE typename W::u16 ForPairs(typename W::u16 v) {
    if constexpr (W::kLanes == 8)
        return v;
    else
        return __builtin_shufflevector(v, v, 0, 1, 2, 3, 8, 9, 10, 11, 4, 5, 6, 7, 12, 13, 14, 15);
}

// 32-bit lanes made of the 16-bit lanes of `lo` (low or high quarter of each 128 bits), each
// with the same lane of `hi` above it. Pair(m, m) widens lane masks; Pair(gb, r) makes
// 0x00RRGGBB.
template <class W, bool High>
ZEM_ALWAYS_INLINE typename W::u32 Pair(typename W::u16 lo, typename W::u16 hi) {
    if constexpr (W::kLanes == 8) {
        if constexpr (High)
            return (typename W::u32)__builtin_shufflevector(lo, hi, 4, 12, 5, 13, 6, 14, 7, 15);
        else
            return (typename W::u32)__builtin_shufflevector(lo, hi, 0, 8, 1, 9, 2, 10, 3, 11);
    } else {
        if constexpr (High)
            return (typename W::u32)__builtin_shufflevector(lo, hi, 4, 20, 5, 21, 6, 22, 7, 23, 12,
                                                            28, 13, 29, 14, 30, 15, 31);
        else
            return (typename W::u32)__builtin_shufflevector(lo, hi, 0, 16, 1, 17, 2, 18, 3, 19, 8,
                                                            24, 9, 25, 10, 26, 11, 27);
    }
}

// Lane by lane: a where m is all ones, else b (every lane of m is 0 or all ones). S is the
// signed form of V: at 256 bits the sign test becomes one blend instruction; SSE2 has none, and
// there the masks are combined by hand.
template <class S, class V>
ZEM_ALWAYS_INLINE V Select(V m, V a, V b) {
    if constexpr (sizeof(V) == 32)
        return (S)m < 0 ? a : b;
    else
        return b ^ ((a ^ b) & m);
}

// The 5-bit channels of a ZEMPIXEL (bit 15 ignored) expanded to 8 bits: green and blue as
// 0xGGBB, red apart. Green goes straight to its place: ((g * 1053) >> 7) << 8 is
// (g * 2106) & 0xFF00, which fits 16 bits.
template <class W>
ZEM_ALWAYS_INLINE void Expand555(typename W::u16 sv, typename W::u16& gb, typename W::u16& r) {
    r = (((sv >> 10) & 31) * 1053) >> 7;
    gb = ((((sv >> 5) & 31) * 2106) & 0xFF00) | (((sv & 31) * 1053) >> 7);
}

// Writes half a register of 32-bit pixels: v where neither mask holds, the average of c and
// what lies below where h holds, and leaves the pixel where k holds.
template <class W>
ZEM_ALWAYS_INLINE void Put32(uint32_t* d, typename W::u32 c, typename W::u32 h, typename W::u32 k) {
    typename W::u32 dv;
    std::memcpy(&dv, d, sizeof dv);
    const typename W::u32 half = ((c >> 1) & 0x7F7F7F) + ((dv >> 1) & 0x7F7F7F);
    using S32 = typename W::s32;
    const typename W::u32 out = Select<S32>(k, dv, Select<S32>(h, half, c));
    std::memcpy(d, &out, sizeof out);
}

template <class W, int Step, bool R565>
ZEM_ALWAYS_INLINE int Row16V(const uint16_t* s, uint16_t* d, int n, uint32_t key,
                             uint16_t keyMask) {
    using U = typename W::u16;
    const KeyTest<W> keyed(key, keyMask);
    int x = 0;
    for (; x + W::kLanes <= n; x += W::kLanes) {
        const U sv = LoadSource<W, Step>(s, x);
        U dv;
        std::memcpy(&dv, d + x, sizeof dv);
        const U c = sv & 0x7FFF;
        U half, opaque;
        if constexpr (R565) {
            half = ((sv & 0x7BC0) | ((sv >> 1) & 0x0F)) + ((dv >> 1) & 0x7BCF);
            opaque = ((c & 0x7FE0) << 1) | (c & 0x1F);
        } else {
            half = ((c >> 1) & 0x3DEF) + ((dv >> 1) & 0x3DEF);
            opaque = c;
        }
        const U h = HalfMask<W>(sv), k = keyed(sv);
        const U out = Select<typename W::s16>(k, dv, Select<typename W::s16>(h, half, opaque));
        std::memcpy(d + x, &out, sizeof out);
    }
    return x;
}

template <class W, int Step>
ZEM_ALWAYS_INLINE int Row32V(const uint16_t* s, uint32_t* d, int n, uint32_t key,
                             uint16_t keyMask) {
    using U = typename W::u16;
    const KeyTest<W> keyed(key, keyMask);
    constexpr int kHalf = W::kLanes / 2;
    int x = 0;
    for (; x + W::kLanes <= n; x += W::kLanes) {
        const U sv = ForPairs<W>(LoadSource<W, Step>(s, x));
        U gb, r;
        Expand555<W>(sv, gb, r);
        const U h = HalfMask<W>(sv), k = keyed(sv);
        Put32<W>(d + x, Pair<W, false>(gb, r), Pair<W, false>(h, h), Pair<W, false>(k, k));
        Put32<W>(d + x + kHalf, Pair<W, true>(gb, r), Pair<W, true>(h, h), Pair<W, true>(k, k));
    }
    return x;
}

// The picture pixel of the tint rule: bits 0-14, halved when bit 15 is set.
template <class W>
ZEM_ALWAYS_INLINE typename W::u16 TintSource(typename W::u16 sv) {
    const typename W::u16 c = sv & 0x7FFF, h = HalfMask<W>(sv);
    return (((c >> 1) & 0x3DEF) & h) | (c & ~h);
}

template <class W, int Step, bool R565>
ZEM_ALWAYS_INLINE int Tint16V(const uint16_t* s, uint16_t* d, int n, uint32_t key, uint16_t keyMask,
                              int level, uint16_t tint) {
    using U = typename W::u16;
    constexpr int kRed = R565 ? 11 : 10, kGreen = R565 ? 6 : 5;
    const KeyTest<W> keyed(key, keyMask);
    const U lv = Splat<U>(uint16_t(level));
    const U ar = Splat<U>(uint16_t(((tint >> 10) & 31) * (16 - level) + 8)),
            ag = Splat<U>(uint16_t(((tint >> 5) & 31) * (16 - level) + 8)),
            ab = Splat<U>(uint16_t((tint & 31) * (16 - level) + 8));
    int x = 0;
    for (; x + W::kLanes <= n; x += W::kLanes) {
        const U sv = LoadSource<W, Step>(s, x);
        U dv;
        std::memcpy(&dv, d + x, sizeof dv);
        const U c = TintSource<W>(sv);
        const U r = (((c >> 10) & 31) * lv + ar) >> 4;
        const U g = (((c >> 5) & 31) * lv + ag) >> 4;
        const U b = ((c & 31) * lv + ab) >> 4;
        const U v = (r << kRed) | (g << kGreen) | b;
        const U k = keyed(sv);
        const U out = (dv & k) | (v & ~k);
        std::memcpy(d + x, &out, sizeof out);
    }
    return x;
}

template <class W, int Step>
ZEM_ALWAYS_INLINE int Tint32V(const uint16_t* s, uint32_t* d, int n, uint32_t key, uint16_t keyMask,
                              int level, uint32_t t8) {
    using U = typename W::u16;
    using S = typename W::s16;
    constexpr int kHalf = W::kLanes / 2;
    const KeyTest<W> keyed(key, keyMask);
    const S lv = Splat<S>(int16_t(level));
    const S tr = Splat<S>(int16_t((t8 >> 16) & 255)), tg = Splat<S>(int16_t((t8 >> 8) & 255)),
            tb = Splat<S>(int16_t(t8 & 255));
    int x = 0;
    for (; x + W::kLanes <= n; x += W::kLanes) {
        const U sv = ForPairs<W>(LoadSource<W, Step>(s, x));
        const U c = TintSource<W>(sv);
        // Differences to the tint are -255..255 and times 15 stay inside 16 bits; the shift of
        // a negative lane rounds toward minus infinity as the scalar rule does.
        U gb8, r8;
        Expand555<W>(c, gb8, r8);
        const U r = (U)(tr + ((((S)r8 - tr) * lv) >> 4));
        const U g = (U)(tg + ((((S)(gb8 >> 8) - tg) * lv) >> 4));
        const U b = (U)(tb + ((((S)(gb8 & 255) - tb) * lv) >> 4));
        const U gb = (g << 8) | b, k = keyed(sv), none = U{};
        Put32<W>(d + x, Pair<W, false>(gb, r), Pair<W, false>(none, none), Pair<W, false>(k, k));
        Put32<W>(d + x + kHalf, Pair<W, true>(gb, r), Pair<W, true>(none, none),
                 Pair<W, true>(k, k));
    }
    return x;
}

template <class W, bool R565>
ZEM_ALWAYS_INLINE typename W::u16 Scale16V(typename W::u16 v, typename W::u16 k) {
    using U = typename W::u16;
    if constexpr (R565) {
        return (((((v >> 11) & 31) * k) >> 4) << 11) | (((((v >> 5) & 63) * k) >> 4) << 5) |
               (((v & 31) * k) >> 4);
    } else {
        const U scaled = (((((v >> 10) & 31) * k) >> 4) << 10) |
                         (((((v >> 5) & 31) * k) >> 4) << 5) | (((v & 31) * k) >> 4);
        return scaled & ~HalfMask<W>(v);
    }
}

template <class W, bool SkipEqual, bool R565>
ZEM_ALWAYS_INLINE int Blend16V(const uint16_t* s, uint16_t* d, int n, int a) {
    using U = typename W::u16;
    const U ka = Splat<U>(uint16_t(a)), kd = Splat<U>(uint16_t(16 - a));
    int x = 0;
    for (; x + W::kLanes <= n; x += W::kLanes) {
        U sv, dv;
        std::memcpy(&sv, s + x, sizeof sv);
        std::memcpy(&dv, d + x, sizeof dv);
        U out = Scale16V<W, R565>(sv, ka) + Scale16V<W, R565>(dv, kd);
        if constexpr (SkipEqual) {
            const U same = (U)(sv == dv);
            out = (dv & same) | (out & ~same);
        }
        std::memcpy(d + x, &out, sizeof out);
    }
    return x;
}

template <class W>
ZEM_ALWAYS_INLINE int BlendBytesV(const uint8_t* s, uint8_t* d, int n, int a) {
    using B = typename W::u8;
    using U = typename W::u8w;
    const U ka = Splat<U>(uint16_t(a)), kd = Splat<U>(uint16_t(16 - a));
    int x = 0;
    for (; x + W::kBytes <= n; x += W::kBytes) {
        B sv, dv;
        std::memcpy(&sv, s + x, sizeof sv);
        std::memcpy(&dv, d + x, sizeof dv);
        const U mixed =
            (__builtin_convertvector(dv, U) * kd + __builtin_convertvector(sv, U) * ka) >> 4;
        const B out = __builtin_convertvector(mixed, B);
        std::memcpy(d + x, &out, sizeof out);
    }
    return x;
}

// The 256-bit instances, compiled for AVX2 and called only when the processor has it.
template <int Step, bool R565>
ZEM_TARGET_AVX2 int Row16Avx2(const uint16_t* s, uint16_t* d, int n, uint32_t key,
                              uint16_t keyMask) {
    return Row16V<simd::V256, Step, R565>(s, d, n, key, keyMask);
}
template <int Step>
ZEM_TARGET_AVX2 int Row32Avx2(const uint16_t* s, uint32_t* d, int n, uint32_t key,
                              uint16_t keyMask) {
    return Row32V<simd::V256, Step>(s, d, n, key, keyMask);
}
template <int Step, bool R565>
ZEM_TARGET_AVX2 int Tint16Avx2(const uint16_t* s, uint16_t* d, int n, uint32_t key,
                               uint16_t keyMask, int level, uint16_t tint) {
    return Tint16V<simd::V256, Step, R565>(s, d, n, key, keyMask, level, tint);
}
template <int Step>
ZEM_TARGET_AVX2 int Tint32Avx2(const uint16_t* s, uint32_t* d, int n, uint32_t key,
                               uint16_t keyMask, int level, uint32_t t8) {
    return Tint32V<simd::V256, Step>(s, d, n, key, keyMask, level, t8);
}
template <bool SkipEqual, bool R565>
ZEM_TARGET_AVX2 int Blend16Avx2(const uint16_t* s, uint16_t* d, int n, int a) {
    return Blend16V<simd::V256, SkipEqual, R565>(s, d, n, a);
}
ZEM_TARGET_AVX2 inline int BlendBytesAvx2(const uint8_t* s, uint8_t* d, int n, int a) {
    return BlendBytesV<simd::V256>(s, d, n, a);
}

// ---- one row: the registers, then the scalar rule for the rest ----

template <int Step>
inline bool RowOverlaps(const uint16_t* s, int n, const void* d, int dstBytes) {
    const uint16_t* lo = Step > 0 ? s : s - (n - 1);
    return Overlaps(lo, ptrdiff_t(n) * 2, d, dstBytes);
}

template <int Step, bool R565>
inline void Row16(const uint16_t* s, uint16_t* d, int n, uint32_t key, uint16_t keyMask) {
    int x = 0;
    if (!RowOverlaps<Step>(s, n, d, n * 2))
        x = simd::Wide() ? Row16Avx2<Step, R565>(s, d, n, key, keyMask)
                         : Row16V<simd::V128, Step, R565>(s, d, n, key, keyMask);
    Row16Scalar<Step, R565>(s + x * Step, d + x, n - x, key, keyMask);
}

template <int Step>
inline void Row32(const uint16_t* s, uint32_t* d, int n, uint32_t key, uint16_t keyMask) {
    int x = 0;
    if (!RowOverlaps<Step>(s, n, d, n * 4))
        x = simd::Wide() ? Row32Avx2<Step>(s, d, n, key, keyMask)
                         : Row32V<simd::V128, Step>(s, d, n, key, keyMask);
    Row32Scalar<Step>(s + x * Step, d + x, n - x, key, keyMask);
}

template <int Step, bool R565>
inline void Tint16(const uint16_t* s, uint16_t* d, int n, uint32_t key, uint16_t keyMask, int level,
                   uint16_t tint) {
    int x = 0;
    if (!RowOverlaps<Step>(s, n, d, n * 2))
        x = simd::Wide() ? Tint16Avx2<Step, R565>(s, d, n, key, keyMask, level, tint)
                         : Tint16V<simd::V128, Step, R565>(s, d, n, key, keyMask, level, tint);
    Tint16Scalar<Step, R565>(s + x * Step, d + x, n - x, key, keyMask, level, tint);
}

template <int Step>
inline void Tint32(const uint16_t* s, uint32_t* d, int n, uint32_t key, uint16_t keyMask, int level,
                   uint32_t t8) {
    int x = 0;
    if (!RowOverlaps<Step>(s, n, d, n * 4))
        x = simd::Wide() ? Tint32Avx2<Step>(s, d, n, key, keyMask, level, t8)
                         : Tint32V<simd::V128, Step>(s, d, n, key, keyMask, level, t8);
    Tint32Scalar<Step>(s + x * Step, d + x, n - x, key, keyMask, level, t8);
}

}  // namespace detail

// Plain rule: key test, then half transparency (bit 15: average with what lies below) or an
// opaque write. The cell-to-cell keyed copy is this rule into a 16-bit target with keyMask
// 0xFFFF. `rgb` (24-bit targets only) is the table FillRgbTable makes.
template <class Fmt>
void DrawPlain(const Walk& w, uint32_t key, uint16_t keyMask, const uint32_t* rgb) {
    const uint16_t* srow = w.src;
    uint8_t* drow = w.dst;
    for (int y = 0; y < w.height; ++y, srow += w.srcRow, drow += w.dstRow) {
        if constexpr (Fmt::kBytes == 2) {
            auto* d = reinterpret_cast<uint16_t*>(drow);
            if (w.srcStep > 0)
                detail::Row16<1, Fmt::k565>(srow, d, w.width, key, keyMask);
            else
                detail::Row16<-1, Fmt::k565>(srow, d, w.width, key, keyMask);
        } else if constexpr (Fmt::kBytes == 4) {
            auto* d = reinterpret_cast<uint32_t*>(drow);
            if (w.srcStep > 0)
                detail::Row32<1>(srow, d, w.width, key, keyMask);
            else
                detail::Row32<-1>(srow, d, w.width, key, keyMask);
        } else {
            const uint16_t* s = srow;
            uint8_t* d = drow;
            for (int x = 0; x < w.width; ++x, s += w.srcStep, d += 3) {
                const uint16_t sv = *s;
                if (uint32_t(sv & keyMask) == key) continue;
                uint32_t c = rgb[sv & 0x7FFF];
                if (sv & 0x8000) c = ((c >> 1) & 0x7F7F7F) + ((detail::Load24(d) >> 1) & 0x7F7F7F);
                detail::Store24(d, c);
            }
        }
    }
}

// Tint rule, level 0-15 with the tint ZEMPIXEL t: the picture is pulled towards t; a
// half-transparent source pixel is halved (not averaged with the screen).
template <class Fmt>
void DrawTint(const Walk& w, uint32_t key, uint16_t keyMask, int level, uint16_t tint,
              const uint32_t* rgb) {
    const uint16_t* srow = w.src;
    uint8_t* drow = w.dst;
    if constexpr (Fmt::kBytes == 2) level &= 15;
    const uint32_t t8 = Rgb32(tint & 0x7FFF);
    for (int y = 0; y < w.height; ++y, srow += w.srcRow, drow += w.dstRow) {
        if constexpr (Fmt::kBytes == 2) {
            auto* d = reinterpret_cast<uint16_t*>(drow);
            if (w.srcStep > 0)
                detail::Tint16<1, Fmt::k565>(srow, d, w.width, key, keyMask, level, tint);
            else
                detail::Tint16<-1, Fmt::k565>(srow, d, w.width, key, keyMask, level, tint);
        } else if constexpr (Fmt::kBytes == 4) {
            auto* d = reinterpret_cast<uint32_t*>(drow);
            if (w.srcStep > 0)
                detail::Tint32<1>(srow, d, w.width, key, keyMask, level, t8);
            else
                detail::Tint32<-1>(srow, d, w.width, key, keyMask, level, t8);
        } else {
            const int t8r = (t8 >> 16) & 255, t8g = (t8 >> 8) & 255, t8b = t8 & 255;
            const uint16_t* s = srow;
            uint8_t* d = drow;
            for (int x = 0; x < w.width; ++x, s += w.srcStep, d += 3) {
                const uint16_t sv = *s;
                if (uint32_t(sv & keyMask) == key) continue;
                uint16_t c = sv & 0x7FFF;
                if (sv & 0x8000) c = (c >> 1) & 0x3DEF;
                const uint32_t c8 = rgb[c];
                const int r = t8r + ((level * (int((c8 >> 16) & 255) - t8r)) >> 4);
                const int g = t8g + ((level * (int((c8 >> 8) & 255) - t8g)) >> 4);
                const int b = t8b + ((level * (int(c8 & 255) - t8b)) >> 4);
                detail::Store24(d, (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b));
            }
        }
    }
}

// Blend of one rectangle of a screen onto another place of it at level a (0-15: the source
// weighs a/16, the screen (16-a)/16, per channel, rounded down). Source rows and destination
// rows may lie in the same picture; both walk forward. SkipEqual leaves pixel pairs that are
// already equal as they are (the rounding would darken them); the older build blends them
// too. 5-5-5 pixels with bit 15 set count as black; 5-6-5 (R565) has a 6-bit green.
template <bool SkipEqual = true, bool R565 = false>
inline void Blend16(const uint8_t* src, ptrdiff_t srcRow, uint8_t* dst, ptrdiff_t dstRow, int width,
                    int height, int a) {
    for (int y = 0; y < height; ++y, src += srcRow, dst += dstRow) {
        auto* s = reinterpret_cast<const uint16_t*>(src);
        auto* d = reinterpret_cast<uint16_t*>(dst);
        int x = 0;
        // A source that starts before its destination in the same row reads what this row
        // has already blended: only the scalar order gives that.
        if (!(s < d && detail::Overlaps(s, ptrdiff_t(width) * 2, d, ptrdiff_t(width) * 2)))
            x = simd::Wide() ? detail::Blend16Avx2<SkipEqual, R565>(s, d, width, a)
                             : detail::Blend16V<simd::V128, SkipEqual, R565>(s, d, width, a);
        detail::Blend16Scalar<SkipEqual, R565>(s + x, d + x, width - x, a);
    }
}
// 24 and 32 bits: every byte of the row (the fourth byte of a 32-bit pixel carries no colour
// and is mixed like the others, which keeps it 0).
inline void BlendBytes(const uint8_t* src, ptrdiff_t srcRow, uint8_t* dst, ptrdiff_t dstRow,
                       int rowBytes, int height, int a) {
    for (int y = 0; y < height; ++y, src += srcRow, dst += dstRow) {
        int x = 0;
        if (!(src < dst && detail::Overlaps(src, rowBytes, dst, rowBytes)))
            x = simd::Wide() ? detail::BlendBytesAvx2(src, dst, rowBytes, a)
                             : detail::BlendBytesV<simd::V128>(src, dst, rowBytes, a);
        detail::BlendBytesScalar(src + x, dst + x, rowBytes - x, a);
    }
}

// ---- cell-to-cell combining loops (16-bit on both sides, source walks forward) ----

enum class Combine { And, Or, Xor };
template <Combine Op>
void CombineCells(const Walk& w) {
    const uint16_t* srow = w.src;
    uint8_t* drow = w.dst;
    for (int y = 0; y < w.height; ++y, srow += w.srcRow, drow += w.dstRow) {
        auto* d = reinterpret_cast<uint16_t*>(drow);
        for (int x = 0; x < w.width; ++x) {
            if constexpr (Op == Combine::And) d[x] &= srow[x];
            if constexpr (Op == Combine::Or) d[x] |= srow[x];
            if constexpr (Op == Combine::Xor) d[x] ^= srow[x];
        }
    }
}

inline void Fill16(uint16_t* dst, ptrdiff_t rowPixels, int width, int height, uint16_t v) {
    for (int y = 0; y < height; ++y, dst += rowPixels)
        for (int x = 0; x < width; ++x) dst[x] = v;
}

inline void Replace16(uint16_t* dst, ptrdiff_t rowPixels, int width, int height, uint16_t newV,
                      uint16_t oldV) {
    for (int y = 0; y < height; ++y, dst += rowPixels)
        for (int x = 0; x < width; ++x) dst[x] = dst[x] == oldV ? newV : dst[x];
}

}  // namespace zem
