// The pixel rules of the draw kernels at 16, 24 and 32 bits per pixel, the tint and blend
// tables, and the placement of clipped, mirrored and flipped draws.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "draw.h"

namespace {

const zem::RgbTable& Rgb() {
    static auto t = [] {
        auto p = std::make_unique<zem::RgbTable>();
        zem::FillRgbTable(*p);
        return p;
    }();
    return *t;
}

// One source pixel drawn onto one destination pixel through the screen kernels.
uint32_t DrawOne(int depth, uint16_t s, uint32_t d, DWORD flags, int level = 16,
                 uint16_t tint = 0) {
    tagCELL cell{};
    cell.mode = CELL_MODE_NORMAL;
    cell.xsize = cell.ysize = 1;
    cell.bits = &s;
    uint8_t px[4] = {uint8_t(d), uint8_t(d >> 8), uint8_t(d >> 16), uint8_t(d >> 24)};
    zem::Target t{px, depth / 8, depth, RECT{0, 0, 1, 1}, Rgb().v};
    zem::DrawCell(t, 0, 0, &cell, nullptr, flags, level, tint, nullptr);
    uint32_t out = px[0] | (px[1] << 8);
    if (depth >= 24) out |= uint32_t(px[2]) << 16;
    if (depth == 32) out |= uint32_t(px[3]) << 24;
    return out;
}

struct RuleCase {
    const char* name;
    uint16_t src;
    uint16_t dst555;  // what lies below, as a ZEMPIXEL (turned into each depth's form)
    DWORD flags;
    int level;  // 16 plain, 0-15 tint
    uint16_t tint;
    uint16_t want16;
    uint32_t want32;  // 0x00RRGGBB at 24 and 32 bits
};
const RuleCase kRules[] = {
    {"opaque white", 0x7FFF, 0x0000, 0x0000, 16, 0, 0x7FFF, 0xFFFFFF},
    {"key equal leaves below", 0x1234, 0x0421, 0x1234, 16, 0, 0x0421, 0x080808},
    {"key compares bits 0-14 only", 0x9234, 0x0421, 0x1234, 16, 0, 0x0421, 0x080808},
    {"key with bit 15 never matches on a screen", 0x1234, 0x0421, 0x9234, 16, 0, 0x1234, 0x208BA4},
    {"no-key flag draws the key colour", 0x1234, 0x0421, ZEM_NOKEY | 0x1234, 16, 0, 0x1234,
     0x208BA4},
    {"half white over black", 0xFFFF, 0x0000, 0x0000 | ZEM_NOKEY, 16, 0, 0x3DEF, 0x7F7F7F},
    {"half red over blue", 0xFC00, 0x001F, ZEM_NOKEY, 16, 0, 0x3C0F, 0x7F007F},
    {"tint level 0 black gives the tint", 0x7FFF, 0x0421, ZEM_NOKEY, 0, 0x0000, 0x0000, 0x000000},
    {"tint level 0 red gives red", 0x03E0, 0x0000, ZEM_NOKEY, 0, 0x7C00, 0x7C00, 0xFF0000},
    {"tint level 15 black: 31 becomes 29", 0x7FFF, 0x0000, ZEM_NOKEY, 15, 0x0000, 0x77BD, 0xEFEFEF},
    {"tint keyed pixel stays", 0x0005, 0x0421, 0x0005, 0, 0x0000, 0x0421, 0x080808},
    {"tint halves a half pixel", 0xFFFF, 0x0421, ZEM_NOKEY, 15, 0x0000, 0x39CE, 0x737373},
};

uint32_t Dst(int depth, uint16_t p) { return depth == 16 ? p : Rgb().v[p & 0x7FFF]; }

TEST(ZemPixelKernels, RuleTableAtEachDepth) {
    for (int depth : {16, 24, 32}) {
        for (const auto& c : kRules) {
            const uint32_t got =
                DrawOne(depth, c.src, Dst(depth, c.dst555), c.flags, c.level, c.tint);
            const uint32_t want = depth == 16 ? c.want16 : c.want32;
            EXPECT_EQ(got, want) << c.name << " at " << depth << " bits";
        }
    }
}

TEST(ZemPixelKernels, NegativeLevelDrawsNothingButPlaces) {
    uint16_t s = 0x7FFF;
    tagCELL cell{CELL_MODE_NORMAL, 1, 1, 0, 0, 0, 0, CELL_MASK_NONE, &s, 0};
    uint16_t d = 0x0421;
    zem::Target t{reinterpret_cast<uint8_t*>(&d), 2, 16, RECT{0, 0, 1, 1}, Rgb().v};
    RECT drawn{};
    EXPECT_TRUE(zem::DrawCell(t, 0, 0, &cell, nullptr, ZEM_NOKEY, -1, 0, &drawn));
    EXPECT_EQ(d, 0x0421);
    EXPECT_EQ(drawn.right, 1);
}

TEST(ZemPixelKernels, TintTableAndRgbTable) {
    EXPECT_EQ(zem::kTint.v[15][0][31], 29);
    EXPECT_EQ(zem::kTint.v[0][17][3], 17);
    EXPECT_EQ(zem::kTint.v[8][31][0], 16);  // (31 * 8 + 8) / 16
    EXPECT_EQ(Rgb().v[0x7FFF], 0xFFFFFFu);
    EXPECT_EQ(Rgb().v[0x0421], 0x080808u);  // 1 * 255 / 31 = 8
    EXPECT_EQ(Rgb().v[0x7C00], 0xFF0000u);
}

TEST(ZemPixelKernels, BlendAtLevelEight) {
    uint16_t px[2] = {0x7FFF, 0x0000};  // white source, black destination
    zem::Blend16(reinterpret_cast<uint8_t*>(&px[0]), 4, reinterpret_cast<uint8_t*>(&px[1]), 4, 1, 1,
                 8);
    EXPECT_EQ(px[1], 0x3DEF) << "channels 31 * 8 / 16 = 15";
    uint16_t same[2] = {0x1234, 0x1234};
    zem::Blend16(reinterpret_cast<uint8_t*>(&same[0]), 4, reinterpret_cast<uint8_t*>(&same[1]), 4,
                 1, 1, 0);
    EXPECT_EQ(same[1], 0x1234) << "equal pixels are left alone";

    uint32_t p32[2] = {0xFFFFFF, 0x000000};
    zem::BlendBytes(reinterpret_cast<uint8_t*>(&p32[0]), 8, reinterpret_cast<uint8_t*>(&p32[1]), 8,
                    4, 1, 8);
    EXPECT_EQ(p32[1], 0x7F7F7Fu);
}

// A 7 x 5 picture whose pixels are all different, with some keyed ones.
std::vector<uint16_t> Picture(int w, int h) {
    std::vector<uint16_t> p(w * h);
    for (int i = 0; i < w * h; ++i) p[i] = static_cast<uint16_t>(0x0100 + i * 7);
    p[3] = 0x0001;  // the key
    p[w + 1] = 0x0001;
    p[2 * w + 4] = 0x8000 | 0x7C00;  // half red
    return p;
}

struct MirrorCase {
    const char* name;
    DWORD flags;
    RECT clip;
    int x, y;
    const RECT* src;
};
const RECT kSub{1, 1, 6, 4};
const MirrorCase kMirror[] = {
    {"mirror cut right", ZEM_MIRROR | 1, {0, 0, 8, 16}, 4, 3, nullptr},
    {"mirror cut left", ZEM_MIRROR | 1, {6, 0, 16, 16}, 4, 3, nullptr},
    {"flip cut top", ZEM_FLIP | 1, {0, 5, 16, 16}, 4, 3, nullptr},
    {"mirror and flip cut both", ZEM_MIRROR | ZEM_FLIP | 1, {5, 4, 9, 6}, 4, 3, nullptr},
    {"sub rectangle mirrored cut", ZEM_MIRROR | 1, {6, 0, 16, 16}, 4, 3, &kSub},
    {"negative position", ZEM_MIRROR | 1, {0, 0, 16, 16}, -3, -2, nullptr},
};

TEST(ZemPixelKernels, ClippedDrawEqualsCropOfUnclipped) {
    const int W = 7, H = 5;
    auto pic = Picture(W, H);
    tagCELL cell{CELL_MODE_NORMAL, W, H, 0, 0, 0, 0, 1, pic.data(), 0};
    for (int depth : {16, 32}) {
        for (const auto& c : kMirror) {
            const int SW = 16, SH = 16, bpp = depth / 8;
            std::vector<uint8_t> full(SW * SH * bpp, 0x11), cut(SW * SH * bpp, 0x11);
            zem::Target tf{full.data(), SW * bpp, depth, RECT{0, 0, SW, SH}, Rgb().v};
            zem::Target tc{cut.data(), SW * bpp, depth, c.clip, Rgb().v};
            zem::DrawCell(tf, c.x, c.y, &cell, c.src, c.flags, 16, 0, nullptr);
            zem::DrawCell(tc, c.x, c.y, &cell, c.src, c.flags, 16, 0, nullptr);
            for (int y = 0; y < SH; ++y)
                for (int x = 0; x < SW; ++x) {
                    const bool inside = x >= c.clip.left && x < c.clip.right && y >= c.clip.top &&
                                        y < c.clip.bottom;
                    for (int b = 0; b < bpp; ++b) {
                        const size_t i = (y * SW + x) * bpp + b;
                        ASSERT_EQ(cut[i], inside ? full[i] : 0x11)
                            << c.name << " at " << depth << " bits, pixel " << x << "," << y;
                    }
                }
        }
    }
}

TEST(ZemPixelKernels, MirrorAndFlipReverseTheSource) {
    uint16_t pic[6] = {1, 2, 3, 4, 5, 6};  // 3 x 2
    tagCELL cell{CELL_MODE_NORMAL, 3, 2, 0, 0, 0, 0, CELL_MASK_NONE, pic, 0};
    uint16_t out[6] = {};
    zem::Target t{reinterpret_cast<uint8_t*>(out), 6, 16, RECT{0, 0, 3, 2}, Rgb().v};
    zem::DrawCell(t, 0, 0, &cell, nullptr, ZEM_NOKEY | ZEM_MIRROR | ZEM_FLIP, 16, 0, nullptr);
    const uint16_t want[6] = {6, 5, 4, 3, 2, 1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(out[i], want[i]) << "pixel " << i;
}

}  // namespace
