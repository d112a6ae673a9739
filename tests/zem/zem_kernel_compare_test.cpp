// The vectorised draw kernels against the scalar table kernels they replaced
// (kernel_reference.h): every rule, depth, key, mirror and flip, row widths around the register
// sizes, at the SSE2 baseline and, where the processor has it, at AVX2. Same bytes everywhere.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "draw.h"
#include "kernel_reference.h"

namespace {

const uint32_t* Rgb() {
    static auto t = [] {
        auto p = std::make_unique<zem::RgbTable>();
        zem::FillRgbTable(*p);
        return p;
    }();
    return t->v;
}

// Pixels with every bit pattern likely: a quarter keyed (0x0421), an eighth half-transparent.
std::vector<uint16_t> Noise(size_t n, uint32_t seed, bool keyed) {
    std::vector<uint16_t> v(n);
    for (auto& p : v) {
        seed = seed * 1103515245u + 12345u;
        const uint32_t x = seed >> 8;
        p = static_cast<uint16_t>(x);
        if (keyed && (x & 0x30000) == 0) p = (x & 0x40000) ? 0x0421 : 0x8421;
    }
    return v;
}
std::vector<uint8_t> Bytes(size_t n, uint32_t seed) {
    std::vector<uint8_t> v(n);
    for (auto& b : v) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>(seed >> 16);
    }
    return v;
}

// The vector widths this processor runs: the baseline always, AVX2 when it is there.
std::vector<int> Levels() {
    std::vector<int> l{0};
    if (zem::simd::DetectAvx2()) l.push_back(1);
    return l;
}
struct LevelScope {
    int saved = zem::simd::g_wide;
    explicit LevelScope(int level) { zem::simd::g_wide = level; }
    ~LevelScope() { zem::simd::g_wide = saved; }
};

enum class Fmt { k555, k565, k24, k32 };
const char* Name(Fmt f) {
    return f == Fmt::k555 ? "5-5-5" : f == Fmt::k565 ? "5-6-5" : f == Fmt::k24 ? "24" : "32";
}
int Bpp(Fmt f) { return f == Fmt::k24 ? 3 : f == Fmt::k32 ? 4 : 2; }

// One draw through the library's kernels and the reference ones; level 16 is the plain rule.
template <class New, class Old>
void DrawBoth(const zem::Walk& w, uint8_t* refDst, uint32_t key, uint16_t keyMask, int level,
              uint16_t tint) {
    const zem_reference::Walk rw{w.src, w.srcStep, w.srcRow, refDst, w.dstRow, w.width, w.height};
    if (level >= 16) {
        zem::DrawPlain<New>(w, key, keyMask, Rgb());
        zem_reference::DrawPlain<Old>(rw, key, keyMask, Rgb());
    } else {
        zem::DrawTint<New>(w, key, keyMask, level, tint, Rgb());
        zem_reference::DrawTint<Old>(rw, key, keyMask, level, tint, Rgb());
    }
}

struct DrawCase {
    const char* name;
    uint32_t key;
    uint16_t keyMask;
    bool mirror, flip;
};
const DrawCase kDraws[] = {
    {"screen key", 0x0421, zem::kScreenKeyMask, false, false},
    {"no key", zem::kNoKey, zem::kScreenKeyMask, false, false},
    {"cell key with bit 15", 0x8421, zem::kCellKeyMask, false, false},
    {"mirrored", 0x0421, zem::kScreenKeyMask, true, false},
    {"flipped", 0x0421, zem::kScreenKeyMask, false, true},
    {"mirrored and flipped, no key", zem::kNoKey, zem::kScreenKeyMask, true, true},
};
const int kWidths[] = {1, 7, 8, 9, 15, 16, 17, 31, 33, 100};
const int kRuleLevels[] = {16, 0, 1, 7, 8, 15};

TEST(ZemKernelCompare, DrawsEqualTheTableKernels) {
    const int kH = 3;
    for (int simdLevel : Levels()) {
        LevelScope scope(simdLevel);
        for (Fmt f : {Fmt::k555, Fmt::k565, Fmt::k24, Fmt::k32}) {
            for (const auto& c : kDraws) {
                for (int width : kWidths) {
                    for (int level : kRuleLevels) {
                        const int bpp = Bpp(f);
                        const auto pic = Noise(size_t(width) * kH, width * 31 + level, true);
                        const auto below = Bytes(size_t(width) * kH * bpp + 8, width + level);
                        auto got = below, want = below;
                        const uint16_t* first = pic.data() + (c.flip ? (kH - 1) * width : 0) +
                                                (c.mirror ? width - 1 : 0);
                        zem::Walk w{first,
                                    c.mirror ? -1 : 1,
                                    c.flip ? -width : width,
                                    got.data() + 4,
                                    ptrdiff_t(width) * bpp,
                                    width,
                                    kH};
                        const uint16_t tint = static_cast<uint16_t>(0x1234 + level * 0x0421);
                        switch (f) {
                            case Fmt::k555:
                                DrawBoth<zem::Fmt16, zem_reference::Fmt16>(
                                    w, want.data() + 4, c.key, c.keyMask, level, tint);
                                break;
                            case Fmt::k565:
                                DrawBoth<zem::Fmt565, zem_reference::Fmt565>(
                                    w, want.data() + 4, c.key, c.keyMask, level, tint);
                                break;
                            case Fmt::k24:
                                DrawBoth<zem::Fmt24, zem_reference::Fmt24>(
                                    w, want.data() + 4, c.key, c.keyMask, level, tint);
                                break;
                            case Fmt::k32:
                                DrawBoth<zem::Fmt32, zem_reference::Fmt32>(
                                    w, want.data() + 4, c.key, c.keyMask, level, tint);
                                break;
                        }
                        ASSERT_EQ(got, want)
                            << c.name << ", " << Name(f) << ", width " << width << ", level "
                            << level << ", vector level " << simdLevel;
                    }
                }
            }
        }
    }
}

// Blends of one picture onto itself at every level, with the source row ahead of, behind and
// on top of the destination in the same row (where the order of reads and writes shows).
TEST(ZemKernelCompare, BlendsEqualTheTableKernels) {
    const int kRowPixels = 160, kH = 4;
    const int kOffsets[] = {0, 3, -3, 9, -17, 60};  // source minus destination, in pixels
    auto pair = std::make_unique<zem_reference::BlendPairTable>();
    auto bytes = std::make_unique<zem_reference::BlendByteTable>();
    for (int simdLevel : Levels()) {
        LevelScope scope(simdLevel);
        for (int a = 0; a < 16; ++a) {
            for (int off : kOffsets) {
                for (int width : {5, 16, 33, 50}) {
                    const int dstX = 30, srcX = dstX + off;
                    const std::string what = "level " + std::to_string(a) + ", offset " +
                                             std::to_string(off) + ", width " +
                                             std::to_string(width) + ", vector level " +
                                             std::to_string(simdLevel);
                    // 16-bit pixels: equal pairs left (the current build), blended (the older
                    // build), and 5-6-5.
                    auto pic = Noise(size_t(kRowPixels) * kH, a * 7 + off + width, true);
                    // Equal pairs exist only where the source and the screen agree: make some.
                    for (size_t i = 0; i + 3 < pic.size(); i += 13) pic[i] = pic[i + 3];
                    for (int mode = 0; mode < 3; ++mode) {
                        auto got = pic, want = pic;
                        const ptrdiff_t row = kRowPixels * 2;
                        auto at = [&](std::vector<uint16_t>& p, int x) {
                            return reinterpret_cast<uint8_t*>(p.data() + x);
                        };
                        if (mode == 0) {
                            zem::Blend16(at(got, srcX), row, at(got, dstX), row, width, kH, a);
                            zem_reference::FillBlendPairTable(*pair, a);
                            zem_reference::Blend16(at(want, srcX), row, at(want, dstX), row, width,
                                                   kH, *pair);
                        } else if (mode == 1) {
                            zem::Blend16<false>(at(got, srcX), row, at(got, dstX), row, width, kH,
                                                a);
                            zem_reference::FillBlendPairTable(*pair, a);
                            zem_reference::Blend16<false>(at(want, srcX), row, at(want, dstX), row,
                                                          width, kH, *pair);
                        } else {
                            zem::Blend16<false, true>(at(got, srcX), row, at(got, dstX), row, width,
                                                      kH, a);
                            zem_reference::FillBlendPairTable565(*pair, a);
                            zem_reference::Blend16<false>(at(want, srcX), row, at(want, dstX), row,
                                                          width, kH, *pair);
                        }
                        ASSERT_EQ(got, want) << "16-bit mode " << mode << ", " << what;
                    }
                    // Bytes of 24- and 32-bit rows.
                    for (int bpp : {3, 4}) {
                        const ptrdiff_t row = ptrdiff_t(kRowPixels) * bpp;
                        auto got = Bytes(size_t(row) * kH, a + off * 5 + width + bpp), want = got;
                        zem::BlendBytes(got.data() + srcX * bpp, row, got.data() + dstX * bpp, row,
                                        width * bpp, kH, a);
                        zem_reference::FillBlendByteTable(*bytes, a);
                        zem_reference::BlendBytes(want.data() + srcX * bpp, row,
                                                  want.data() + dstX * bpp, row, width * bpp, kH,
                                                  *bytes);
                        ASSERT_EQ(got, want) << bpp * 8 << " bits, " << what;
                    }
                }
            }
        }
    }
}

// A cell copied onto itself a few pixels to the right: each pixel reads what the copy has
// already written to its left, pixel by pixel, at every vector level.
TEST(ZemKernelCompare, CellCopyOntoItselfKeepsThePixelOrder) {
    const int kW = 64, kH = 2;
    for (int simdLevel : Levels()) {
        LevelScope scope(simdLevel);
        for (int shift : {1, 5, 8, 16, 40}) {
            auto got = Noise(size_t(kW) * kH, shift, true), want = got;
            const int width = kW - shift;
            zem::Walk w{got.data(), 1,     kW, reinterpret_cast<uint8_t*>(got.data() + shift),
                        kW * 2,     width, kH};
            zem::DrawPlain<zem::Fmt16>(w, 0x8421, zem::kCellKeyMask, nullptr);
            // The pixel-by-pixel rule, written out.
            for (int y = 0; y < kH; ++y)
                for (int x = 0; x < width; ++x) {
                    uint16_t* d = &want[size_t(y) * kW + x + shift];
                    const uint16_t sv = want[size_t(y) * kW + x];
                    if (sv == 0x8421) continue;
                    *d = (sv & 0x8000)
                             ? static_cast<uint16_t>(((sv >> 1) & 0x3DEF) + ((*d >> 1) & 0x3DEF))
                             : sv;
                }
            ASSERT_EQ(got, want) << "shift " << shift << ", vector level " << simdLevel;
        }
    }
}

}  // namespace
