// The draw kernels as they were before they were vectorised: plain scalar loops over the
// per-pixel tables. The tests draw the same pictures through these and through the library's
// kernels and require the same bytes, so the faster kernels keep every pixel.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zem_reference {

// ---- fixed tables ----

// Tint table: entry [level][a][b] = (a * (16 - level) + b * level + 8) / 16 for 5-bit channels
// a (tint colour) and b (picture), levels 0-15.
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

// 5-bit channel to 8 bits, c * 255 / 31.
constexpr uint32_t Expand5(uint32_t c) { return c * 255 / 31; }

// ZEMPIXEL (bits 0-14) to 0x00RRGGBB: the table of the 24- and 32-bit displays.
struct RgbTable {
    uint32_t v[32768];
};
inline void FillRgbTable(RgbTable& t) {
    for (uint32_t i = 0; i < 32768; ++i)
        t.v[i] = (Expand5((i >> 10) & 31) << 16) | (Expand5((i >> 5) & 31) << 8) | Expand5(i & 31);
}

// The blend tables of one blend level; rebuilt for each blend call.
struct BlendPairTable {  // 16-bit displays: [v][0] = v scaled by a/16, [v][1] by (16-a)/16
    uint16_t v[65536][2];
};
inline void FillBlendPairTable(BlendPairTable& t, int a) {
    auto scale = [](uint32_t v, int k) -> uint16_t {
        uint32_t r = (v >> 10) & 31, g = (v >> 5) & 31, b = v & 31;
        return static_cast<uint16_t>(((r * k / 16) << 10) | ((g * k / 16) << 5) | (b * k / 16));
    };
    for (uint32_t v = 0; v < 65536; ++v) {
        if (v & 0x8000) {
            t.v[v][0] = t.v[v][1] = 0;
        } else {
            t.v[v][0] = scale(v, a);
            t.v[v][1] = scale(v, 16 - a);
        }
    }
}
struct BlendByteTable {  // 24- and 32-bit displays: [d][s] = ((16 - a) * d + a * s) / 16
    uint8_t v[256][256];
};
inline void FillBlendByteTable(BlendByteTable& t, int a) {
    for (int i = 0; i < 256; ++i)
        for (int j = 0; j < 256; ++j) t.v[i][j] = static_cast<uint8_t>(((16 - a) * i + a * j) / 16);
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

// 5-6-5 blend table of one level: [v][0] = v scaled by a/16, [v][1] by (16-a)/16, per channel
// with a 6-bit green; every value is a colour.
inline void FillBlendPairTable565(BlendPairTable& t, int a) {
    auto scale = [](uint32_t v, int k) -> uint16_t {
        uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
        return static_cast<uint16_t>(((r * k / 16) << 11) | ((g * k / 16) << 5) | (b * k / 16));
    };
    for (uint32_t v = 0; v < 65536; ++v) {
        t.v[v][0] = scale(v, a);
        t.v[v][1] = scale(v, 16 - a);
    }
}

namespace detail {

inline uint32_t Load24(const uint8_t* p) { return p[0] | (p[1] << 8) | (uint32_t(p[2]) << 16); }
inline void Store24(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
}

// The plain rule on one row; Mirror fixes the source step at compile time so that the
// forward loop vectorises.
template <int Step, bool R565>
inline void Row16(const uint16_t* __restrict s, uint16_t* __restrict d, int n, uint32_t key,
                  uint16_t keyMask) {
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
inline void Row32(const uint16_t* __restrict s, uint32_t* __restrict d, int n, uint32_t key,
                  uint16_t keyMask, const uint32_t* __restrict rgb) {
    // Branch-free: keyed and half-transparent pixels are scattered through real pictures,
    // and mispredicted branches cost more than the few operations done for nothing.
    for (int x = 0; x < n; ++x) {
        const uint16_t sv = s[x * Step];
        const uint32_t c = rgb[sv & 0x7FFF];
        const uint32_t dv = d[x];
        const uint32_t half = ((c >> 1) & 0x7F7F7F) + ((dv >> 1) & 0x7F7F7F);
        const uint32_t v = (sv & 0x8000) ? half : c;
        d[x] = (uint32_t(sv & keyMask) == key) ? dv : v;
    }
}

}  // namespace detail

// Plain rule: key test, then half transparency (bit 15: average with what lies below) or an
// opaque write. The cell-to-cell keyed copy is this rule into a 16-bit target with keyMask
// 0xFFFF.
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
                detail::Row32<1>(srow, d, w.width, key, keyMask, rgb);
            else
                detail::Row32<-1>(srow, d, w.width, key, keyMask, rgb);
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
    const uint8_t(*tt)[32] = kTint.v[level & 15];
    const int tr = (tint >> 10) & 31, tg = (tint >> 5) & 31, tb = tint & 31;
    const uint32_t t8 = Fmt::kBytes == 2 ? 0 : rgb[tint & 0x7FFF];
    const int t8r = (t8 >> 16) & 255, t8g = (t8 >> 8) & 255, t8b = t8 & 255;
    for (int y = 0; y < w.height; ++y, srow += w.srcRow, drow += w.dstRow) {
        const uint16_t* s = srow;
        uint8_t* d = drow;
        for (int x = 0; x < w.width; ++x, s += w.srcStep, d += Fmt::kBytes) {
            const uint16_t sv = *s;
            if (uint32_t(sv & keyMask) == key) continue;
            uint16_t c = sv & 0x7FFF;
            if (sv & 0x8000) c = (c >> 1) & 0x3DEF;
            if constexpr (Fmt::kBytes == 2) {
                // 5-6-5 takes the five tinted green bits as its upper five.
                constexpr int kRed = Fmt::k565 ? 11 : 10, kGreen = Fmt::k565 ? 6 : 5;
                const uint16_t v =
                    static_cast<uint16_t>((tt[tr][(c >> 10) & 31] << kRed) |
                                          (tt[tg][(c >> 5) & 31] << kGreen) | tt[tb][c & 31]);
                std::memcpy(d, &v, 2);
            } else {
                // t - ceil(level * (t - c) / 16) == t + floor(level * (c - t) / 16)
                const uint32_t c8 = rgb[c];
                const int r = t8r + ((level * (int((c8 >> 16) & 255) - t8r)) >> 4);
                const int g = t8g + ((level * (int((c8 >> 8) & 255) - t8g)) >> 4);
                const int b = t8b + ((level * (int(c8 & 255) - t8b)) >> 4);
                const uint32_t v = (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
                if constexpr (Fmt::kBytes == 4)
                    std::memcpy(d, &v, 4);
                else
                    detail::Store24(d, v);
            }
        }
    }
}

// Blend of one rectangle of a screen onto another place of it (source rows and destination
// rows may lie in the same picture; both walk forward). SkipEqual leaves pixel pairs that are
// already equal as they are (the table's rounding would darken them); the older build blends
// them too.
template <bool SkipEqual = true>
inline void Blend16(const uint8_t* src, ptrdiff_t srcRow, uint8_t* dst, ptrdiff_t dstRow, int width,
                    int height, const BlendPairTable& t) {
    for (int y = 0; y < height; ++y, src += srcRow, dst += dstRow) {
        auto* s = reinterpret_cast<const uint16_t*>(src);
        auto* d = reinterpret_cast<uint16_t*>(dst);
        for (int x = 0; x < width; ++x) {
            if (SkipEqual && s[x] == d[x]) continue;
            d[x] = static_cast<uint16_t>(t.v[s[x]][0] + t.v[d[x]][1]);
        }
    }
}
// 24 and 32 bits: every byte of the row (the fourth byte of a 32-bit pixel carries no colour
// and is mixed like the others, which keeps it 0).
inline void BlendBytes(const uint8_t* src, ptrdiff_t srcRow, uint8_t* dst, ptrdiff_t dstRow,
                       int rowBytes, int height, const BlendByteTable& t) {
    for (int y = 0; y < height; ++y, src += srcRow, dst += dstRow)
        for (int x = 0; x < rowBytes; ++x) dst[x] = t.v[dst[x]][src[x]];
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

}  // namespace zem_reference
