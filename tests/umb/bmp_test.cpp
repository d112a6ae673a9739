// BMP reading (1, 4, 8, 24 bits, row padding, both row orders, the data offset) and 24-bit
// writing; compressed and other depths refused.
#include <gtest/gtest.h>

#include <cstring>

#include "../nxlib/scratch.h"
#include "picture_fixtures.h"
#include "umb_internal.h"

namespace {

using fx::Bytes;

const ZEMPIXEL W = 0x7FFF, R = 0x7C00, G = 0x03E0, B = 0x001F;

struct BmpCase {
    const char* what;
    Bytes file;
    int xsize, ysize;
    std::vector<ZEMPIXEL> pixels;  // top row first
};

std::vector<BmpCase> Cases() {
    std::vector<BmpCase> c;
    c.push_back({"1 bit, padded rows, bottom-up",
                 fx::Bmp(1, 3, 2, {0x000000, 0xFFFFFF}, {0xA0, 0, 0, 0, 0x40, 0, 0, 0}),
                 3,
                 2,
                 {0, W, 0, W, 0, W}});
    c.push_back({"4 bits, three colours used",
                 fx::Bmp(4, 3, 1, {0xFF0000, 0x00FF00, 0x0000FF}, {0x21, 0x00, 0, 0}, 0, 0, 3),
                 3,
                 1,
                 {B, G, R}});
    std::vector<uint32_t> grey(256);
    for (uint32_t i = 0; i < 256; ++i) grey[i] = i * 0x010101u;
    auto g = [](int v) { return UMB_MakePixel(v / 8, v / 8, v / 8); };
    c.push_back(
        {"8 bits, width 5 padded to 8",
         fx::Bmp(8, 5, 2, grey, {1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE, 200, 100, 50, 25, 8, 0, 0, 0}),
         5,
         2,
         {g(200), g(100), g(50), g(25), g(8), g(1), g(2), g(3), g(4), g(5)}});
    c.push_back({"8 bits, the data offset honoured past a gap",
                 fx::Bmp(8, 1, 1, grey, {64, 0, 0, 0}, 0, 6),
                 1,
                 1,
                 {g(64)}});
    c.push_back({"8 bits, a data offset of 0 means behind the palette",
                 fx::Bmp(8, 1, 1, grey, {64, 0, 0, 0}, 0, 0, 0, true),
                 1,
                 1,
                 {g(64)}});
    // More colours used than the depth has: the palette is held to 256 entries, and pixels
    // written behind the whole palette (a data offset of 0) are found behind all of it.
    std::vector<uint32_t> wide = grey;
    for (uint32_t i = 0; i < 44; ++i) wide.push_back(0x00FF00);
    c.push_back({"8 bits, 300 colours used",
                 fx::Bmp(8, 2, 1, wide, {255, 7, 0, 0}, 0, 0, 300, true),
                 2,
                 1,
                 {g(255), g(7)}});
    std::vector<uint32_t> five = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF};
    c.push_back({"1 bit, five colours used",
                 fx::Bmp(1, 2, 1, five, {0x40, 0, 0, 0}, 0, 0, 5, true),
                 2,
                 1,
                 {0, W}});
    c.push_back(
        {"24 bits, padded rows, bottom-up",
         fx::Bmp(24, 2, 2, {}, {0, 0, 255, 255, 0, 0, 0, 0, 0, 255, 0, 255, 255, 255, 0, 0}),
         2,
         2,
         {G, W, R, B}});
    Bytes topDown =
        fx::Bmp(24, 2, 2, {}, {0, 0, 255, 255, 0, 0, 0, 0, 0, 255, 0, 255, 255, 255, 0, 0});
    topDown.put32(22, uint32_t(-2));
    c.push_back({"24 bits, top-down", topDown, 2, 2, {R, B, G, W}});
    return c;
}

TEST(UmbBmp, ReadsEveryDepth) {
    for (const BmpCase& c : Cases()) {
        tagCELL cell{};
        ASSERT_EQ(UmbParseBmp(c.file.data(), c.file.size(), &cell), 1) << c.what;
        EXPECT_EQ(cell.xsize, c.xsize) << c.what;
        EXPECT_EQ(cell.ysize, c.ysize) << c.what;
        EXPECT_EQ(cell.mask, CELL_MASK_NONE) << c.what;
        for (size_t i = 0; i < c.pixels.size(); ++i)
            EXPECT_EQ(cell.bits[i], c.pixels[i]) << c.what << ", pixel " << i;
        UmbFree(cell.bits);
    }
}

TEST(UmbBmp, RefusesWhatItCannotRead) {
    const Bytes good = fx::Bmp(24, 2, 1, {}, {1, 2, 3, 4, 5, 6, 0, 0});
    struct Case {
        const char* what;
        Bytes file;
    };
    Bytes bits16 = good;
    bits16[28] = 16;
    Bytes bits32 = good;
    bits32[28] = 32;
    Bytes zeroWidth = good;
    zeroWidth.put32(18, 0);
    Bytes infoCore = good;
    infoCore.put32(14, 12);
    Bytes hugeHeight = good;
    hugeHeight.put32(22, 0x7FFFFFFF);
    Bytes offsetPast = good;
    offsetPast.put32(10, 5000);
    Bytes minHeight = good;
    minHeight.put32(22, 0x80000000u);
    const Case cases[] = {
        {"RLE8 compression", fx::Bmp(8, 1, 1, {0}, {1, 0, 0, 0}, 1)},
        {"bit fields", fx::Bmp(24, 2, 1, {}, {1, 2, 3, 4, 5, 6, 0, 0}, 3)},
        {"16 bits", bits16},
        {"32 bits", bits32},
        {"zero width", zeroWidth},
        {"a core header", infoCore},
        {"rows beyond the data", hugeHeight},
        {"the smallest height", minHeight},
        {"a data offset beyond the file", offsetPast},
        {"cut inside the rows", fx::Bmp(24, 2, 2, {}, {1, 2, 3})},
        {"cut inside the header", fx::Bmp(24, 2, 1, {}, {})},
        {"more colours than bytes", fx::Bmp(8, 1, 1, {0}, {0, 0, 0, 0}, 0, 0, 0x40000000)},
    };
    for (const Case& c : cases) {
        Bytes file = c.file;
        if (std::string(c.what) == "cut inside the header") file.resize(30);
        tagCELL cell;
        std::memset(&cell, 0x5A, sizeof cell);
        EXPECT_EQ(UmbParseBmp(file.data(), file.size(), &cell), 0) << c.what;
        EXPECT_EQ(cell.bits, nullptr) << c.what;
    }
}

TEST(UmbBmp, Writes24BitsAndReadsThemBack) {
    Scratch s;
    tagCELL cell{};
    ASSERT_EQ(UMBDLL_CreateCell(&cell, 3, 2), 1);
    const ZEMPIXEL px[6] = {R, G, B, W, 0x8421, 0x0000};
    std::memcpy(cell.bits, px, sizeof px);
    cell.bits[4] |= 0x8000;  // bit 15 is not a colour
    ASSERT_EQ(UMBDLL_WriteBMP24(s.Sys("out.bmp").c_str(), &cell), 1);
    std::vector<uint8_t> f = s.Get("out.bmp");
    ASSERT_EQ(f.size(), 54u + 2 * 12);
    wyn::ByteReader r(f.data(), f.size());
    EXPECT_EQ(r.u8(), 'B');
    EXPECT_EQ(r.u8(), 'M');
    EXPECT_EQ(r.u32(), 78u);
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_EQ(r.u32(), 54u);
    EXPECT_EQ(r.u32(), 40u);
    EXPECT_EQ(r.i32(), 3);
    EXPECT_EQ(r.i32(), 2);
    EXPECT_EQ(r.u16(), 1);
    EXPECT_EQ(r.u16(), 24);
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_EQ(r.u32(), 4000u);
    EXPECT_EQ(r.u32(), 4000u);
    // The bottom row comes first: W, 0x8421 (channels 1, 1, 1 -> 8), black, 3 padding bytes.
    const uint8_t row[12] = {255, 255, 255, 8, 8, 8, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(f.data() + 54, row, 12), 0);
    tagCELL back{};
    ASSERT_EQ(UMBDLL_ReadBMP(s.Sys("out.bmp").c_str(), &back), 1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(back.bits[i], px[i] & 0x7FFF) << "pixel " << i;
    UmbFree(back.bits);
    UmbFree(cell.bits);
}

}  // namespace
