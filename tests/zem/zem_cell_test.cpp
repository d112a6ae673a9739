// Cell operations on cells whose pixels the test owns.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "cell_fixture.h"
#include "zem40.h"

namespace {

struct CopyCase {
    const char* name;
    ZEMPIXEL src, dst;
    int flags;
    ZEMPIXEL want;
};
const CopyCase kCopy[] = {
    {"key equal: left alone", 0x1234, 0x0421, 0x1234, 0x0421},
    {"bit 15 differs from the key: half average", 0x9234, 0x0000, 0x1234, 0x090A},
    {"other pixel copied", 0x7FFF, 0x0421, 0x1234, 0x7FFF},
    {"half white over black", 0xFFFF, 0x0000, 0x0000, 0x3DEF},
    {"negative flags: no key", 0x1234, 0x0421, -1, 0x1234},
    {"negative flags: half still averages", 0xFFFF, 0x0000, int(0x80000000), 0x3DEF},
    {"AND", 0x0FF0, 0x7F0F, ZEM_COPY_AND, 0x0F00},
    {"OR", 0x0FF0, 0x700F, ZEM_COPY_OR, 0x7FFF},
    {"XOR", 0x0FF0, 0x0FFF, ZEM_COPY_XOR, 0x000F},
};

TEST(ZemCells, CopyRules) {
    for (const auto& c : kCopy) {
        TestCell from(1, 1, c.src), to(1, 1, c.dst);
        EXPECT_EQ(ZEM_CopyCell(&to.cell, 0, 0, &from.cell, nullptr, c.flags), 1) << c.name;
        EXPECT_EQ(to.px[0], c.want) << c.name;
    }
}

TEST(ZemCells, CopyCutsToBothCells) {
    TestCell from(4, 4), to(6, 6, 0x0001);
    for (int i = 0; i < 16; ++i) from.px[i] = static_cast<ZEMPIXEL>(0x100 + i);
    // The source rectangle reaches past the source's left and bottom edges; the position
    // moves with the cut at the left.
    const RECT src{-2, 1, 3, 9};
    EXPECT_EQ(ZEM_CopyCell(&to.cell, 1, 0, &from.cell, &src, -1), 1);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            const bool inside = x >= 3 && x < 6 && y < 3;
            const ZEMPIXEL want = inside ? ZEMPIXEL(0x100 + (y + 1) * 4 + (x - 3)) : 0x0001;
            EXPECT_EQ(to.at(x, y), want) << "pixel " << x << "," << y;
        }
    // Entirely outside: nothing combined.
    EXPECT_EQ(ZEM_CopyCell(&to.cell, 6, 0, &from.cell, nullptr, -1), 0);
    EXPECT_EQ(ZEM_CopyCell(&to.cell, 0, 0, &from.cell, &src, -1), 1);
    const RECT past{4, 0, 8, 4};
    EXPECT_EQ(ZEM_CopyCell(&to.cell, 0, 0, &from.cell, &past, -1), 0);
}

TEST(ZemCells, ClearAndChangeCutToTheCell) {
    TestCell c(4, 3, 0x0005);
    const RECT r{2, 1, 10, 10};
    EXPECT_EQ(ZEM_ClearCell(&c.cell, &r, 0x7FFF), 1);
    int white = 0;
    for (auto p : c.px) white += p == 0x7FFF;
    EXPECT_EQ(white, 4);
    EXPECT_EQ(c.at(3, 2), 0x7FFF);
    const RECT outside{5, 5, 9, 9};
    EXPECT_EQ(ZEM_ClearCell(&c.cell, &outside, 1), 0);
    EXPECT_EQ(ZEM_ChangePixelCell(&c.cell, nullptr, 0x0001, 0x0005), 1);
    for (auto p : c.px) EXPECT_TRUE(p == 0x7FFF || p == 0x0001);
    c.at(0, 0) = 0x8001;  // only whole 16-bit values are replaced
    ZEM_ChangePixelCell(&c.cell, nullptr, 0x0002, 0x0001);
    EXPECT_EQ(c.at(0, 0), 0x8001);
}

struct PixelCase {
    int x, y;
    bool inside;
};
const PixelCase kPixel[] = {{0, 0, true},  {2, 1, true},  {-1, 0, false},
                            {3, 0, false}, {0, 2, false}, {0, -1, false}};

TEST(ZemCells, PixelAccessInsideAndOutside) {
    TestCell c(3, 2, 0x0101);
    for (const auto& p : kPixel) {
        EXPECT_EQ(ZEM_CheckPixelCell(&c.cell, p.x, p.y), p.inside ? 1 : 0) << p.x << "," << p.y;
        EXPECT_EQ(ZEM_GetPixelCell(&c.cell, p.x, p.y), p.inside ? 0x0101 : 0) << p.x << "," << p.y;
        EXPECT_EQ(ZEM_SetPixelCell(&c.cell, p.x, p.y, 0x7FFF) != 0, p.inside) << p.x << "," << p.y;
    }
    int written = 0;
    for (auto v : c.px) written += v == 0x7FFF;
    EXPECT_EQ(written, 2);
    EXPECT_EQ(ZEM_GetPixel(&c.cell, 2, 1), 0x7FFF);
}

std::set<std::pair<int, int>> LinePoints(int x1, int y1, int x2, int y2, int w = 10, int h = 10) {
    TestCell c(w, h);
    ZEM_LineCell(&c.cell, x1, y1, x2, y2, 1);
    std::set<std::pair<int, int>> pts;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (c.at(x, y)) pts.insert({x, y});
    return pts;
}

TEST(ZemCells, LinesFollowTheLongerAxis) {
    const std::set<std::pair<int, int>> diag{{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}};
    EXPECT_EQ(LinePoints(0, 0, 5, 5), diag);
    EXPECT_EQ(LinePoints(5, 5, 0, 0), diag);
    const std::set<std::pair<int, int>> steep{{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}, {2, 5}};
    EXPECT_EQ(LinePoints(0, 0, 2, 5), steep);
    EXPECT_EQ(LinePoints(2, 5, 0, 0), steep);
    const std::set<std::pair<int, int>> flat{
        {0, 1}, {1, 1}, {2, 1}, {3, 1}, {4, 2}};  // y = 1*x/4 + 1
    EXPECT_EQ(LinePoints(0, 1, 4, 2), flat);
    EXPECT_EQ(LinePoints(3, 3, 3, 3), (std::set<std::pair<int, int>>{{3, 3}}));
    // Points outside the cell are skipped, the rest drawn.
    EXPECT_EQ(LinePoints(-2, 0, 2, 0, 10, 10),
              (std::set<std::pair<int, int>>{{0, 0}, {1, 0}, {2, 0}}));
}

// A 20 x 10 cell with a marked pattern around the source centre (5, 5).
TestCell RollFixture() {
    TestCell c(20, 11, 0x0000);
    c.at(5, 3) = 0x7C00;  // 2 above the centre: red
    c.at(6, 5) = 0x03E0;  // 1 right: green
    c.at(5, 5) = 0x001F;  // centre: blue
    return c;
}

TEST(ZemCells, RollCopiesATurnedDisc) {
    {
        TestCell c = RollFixture();
        EXPECT_EQ(ZEM_RollCell(&c.cell, 14, 5, 5, 5, 3, 0), 1);
        EXPECT_EQ(c.at(14, 3), 0x7C00) << "0 degrees: unturned";
        EXPECT_EQ(c.at(15, 5), 0x03E0);
        EXPECT_EQ(c.at(14, 5), 0x001F);
    }
    {
        TestCell c = RollFixture();
        EXPECT_EQ(ZEM_RollCell(&c.cell, 14, 5, 5, 5, 3, 90), 1);
        EXPECT_EQ(c.at(16, 5), 0x7C00) << "90 degrees: up turns to the right";
        EXPECT_EQ(c.at(14, 6), 0x03E0) << "right turns to down";
        EXPECT_EQ(c.at(14, 5), 0x001F);
    }
    {
        // A radius too large is reduced until both discs fit: centre row 5 of 11 rows
        // allows 5, the source's column 5 allows 4, the destination column 14 allows 5.
        TestCell c = RollFixture();
        EXPECT_EQ(ZEM_RollCell(&c.cell, 14, 5, 5, 5, 50, 0), 1);
        EXPECT_EQ(c.at(14, 3), 0x7C00);
        for (int y = 0; y < 11; ++y) EXPECT_EQ(c.at(19, y), 0) << "column past radius 4, row " << y;
    }
    {
        TestCell c = RollFixture();
        EXPECT_EQ(ZEM_RollCell(&c.cell, 14, 5, 0, 5, 3, 0), 1) << "radius 0 still fits";
        EXPECT_EQ(ZEM_RollCell(&c.cell, 14, 5, -1, 5, 3, 0), 0) << "no radius fits";
        EXPECT_EQ(ZEM_RollCell(&c.cell, 14, 5, 5, 5, -2, 0), 0) << "negative radius";
    }
}

TEST(ZemCells, RollNeverReadsOutsideTheCell) {
    // A cell whose discs touch every edge, turned through every angle: with the rim of the
    // disc rounding outwards a read past the last row would land outside the block (the
    // address sanitizer build catches it).
    for (int angle = 0; angle < 360; angle += 7) {
        std::vector<ZEMPIXEL> px(9 * 9 + 1, 0x1111);
        px.back() = 0x7777;  // sentinel right after the cell
        tagCELL cell{CELL_MODE_NORMAL, 9, 9, 0, 0, 0, 0, CELL_MASK_NONE, px.data(), 0};
        ZEM_RollCell(&cell, 4, 4, 4, 4, 4, angle);
        for (int i = 0; i < 81; ++i)
            ASSERT_EQ(px[i], 0x1111) << "angle " << angle << " pixel " << i;
        ASSERT_EQ(px.back(), 0x7777) << "angle " << angle;
    }
}

TEST(ZemCells, ZoomAveragesBoxesAndKeepsKeys) {
    // Halving: the 2 x 2 block at (0,0) becomes pixel (4,0).
    struct ZoomCase {
        const char* name;
        ZEMPIXEL a, b, c, d;
        LONG mask;
        ZEMPIXEL want;
    };
    const ZoomCase cases[] = {
        {"average of four", 0x7C00, 0x7C00, 0x001F, 0x001F, CELL_MASK_NONE,
         UMB_MakePixel(15, 0, 15)},
        {"three keyed: key colour", 0x0001, 0x0001, 0x0001, 0x7FFF, 0x0001, 0x0001},
        {"two keyed: key colour", 0x0001, 0x0001, 0x7FFF, 0x7FFF, 0x0001, 0x0001},
        {"one keyed: average of the rest", 0x0001, 0x7FFF, 0x7FFF, 0x7C00, 0x0001,
         UMB_MakePixel(31, 20, 20)},
        {"key compares bits 0-14", 0x8001, 0x8001, 0x8001, 0x7FFF, 0x0001, 0x0001},
    };
    for (const auto& z : cases) {
        TestCell c(6, 2, 0x0000, z.mask);
        c.at(0, 0) = z.a;
        c.at(1, 0) = z.b;
        c.at(0, 1) = z.c;
        c.at(1, 1) = z.d;
        const RECT src{0, 0, 2, 2}, dst{4, 0, 5, 1};
        EXPECT_EQ(ZEM_ZoomCell(&c.cell, &dst, &src), 1) << z.name;
        EXPECT_EQ(c.at(4, 0), z.want) << z.name;
    }
    // Doubling a 1 x 1 pixel widens each empty box by one on each side.
    TestCell c(6, 3, 0x0000);
    c.at(1, 1) = 0x7FFF;
    const RECT src{1, 1, 2, 2}, dst{3, 0, 5, 2};
    EXPECT_EQ(ZEM_ZoomCell(&c.cell, &dst, &src), 1);
    EXPECT_EQ(c.at(3, 0), UMB_MakePixel(7, 7, 7));  // the widened box (0..1, 0..1): 31 / 4
    const RECT empty{0, 0, 0, 0};
    EXPECT_EQ(ZEM_ZoomCell(&c.cell, &empty, &src), 0);
    EXPECT_EQ(ZEM_ZoomCell(&c.cell, nullptr, &src), 0);
}

TEST(ZemCells, PaintFillsWholePixelsOfTheRegion) {
    // A ring of 0x7FFF splits the cell; bit 15 makes 0x8000 a different value from 0.
    TestCell c(8, 6, 0x0000);
    for (int x = 1; x < 6; ++x) c.at(x, 1) = c.at(x, 4) = 0x7FFF;
    for (int y = 1; y < 5; ++y) c.at(1, y) = c.at(5, y) = 0x7FFF;
    c.at(3, 2) = 0x8000;
    RECT box{};
    EXPECT_EQ(ZEM_PaintCell(&c.cell, 2, 2, 0x0421, &box), 1);
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.top, 2);
    EXPECT_EQ(box.right, 5);
    EXPECT_EQ(box.bottom, 4);
    EXPECT_EQ(c.at(2, 2), 0x0421);
    EXPECT_EQ(c.at(4, 3), 0x0421);
    EXPECT_EQ(c.at(3, 2), 0x8000) << "a value differing only in bit 15 is not part of the region";
    EXPECT_EQ(c.at(0, 0), 0x0000) << "outside the ring untouched";
    // The outer region wraps round the ring.
    EXPECT_EQ(ZEM_PaintCell(&c.cell, 0, 0, 0x0001, &box), 1);
    EXPECT_EQ(box.right, 8);
    EXPECT_EQ(box.bottom, 6);
    EXPECT_EQ(c.at(7, 5), 0x0001);
    EXPECT_EQ(c.at(6, 3), 0x0001);
    // Same value: returns at once; outside: 0.
    EXPECT_EQ(ZEM_PaintCell(&c.cell, 0, 0, 0x0001, &box), 1);
    EXPECT_EQ(box.left, box.right);
    EXPECT_EQ(ZEM_PaintCell(&c.cell, 8, 0, 0x0001, &box), 0);
}

}  // namespace
