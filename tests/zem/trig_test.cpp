// Integer trigonometry, arc points, angle search, ranges and colour conversions.
#include <gtest/gtest.h>

#include "zem40.h"

namespace {

struct TriCase {
    int deg, cos, sin;
};
const TriCase kTri[] = {
    {0, 10000, 0},
    {45, 7071, 7071},
    {46, 6946, 7194},
    {90, 0, 10000},
    {135, -7071, 7071},
    {180, -10000, 0},
    {181, -9998, -175},
    {270, 0, -10000},
    {-90, 0, -10000},
    {359, 9998, -175},
    {400, 7661, 6428},
    {-3600, 10000, 0},
    {-2147483647 - 1, -6156, -7880},  // INT_MIN is 232 degrees
};

TEST(ZemTrig, GetTriangleFoldsTheTable) {
    for (const auto& c : kTri) {
        int co = 1, si = 1;
        EXPECT_EQ(ZEM_GetTriangle(c.deg, &co, &si), 1);
        EXPECT_EQ(co, c.cos) << "cos " << c.deg;
        EXPECT_EQ(si, c.sin) << "sin " << c.deg;
    }
    int co, si, c40, s40;
    ZEM_GetTriangle(400, &co, &si);
    ZEM_GetTriangle(40, &c40, &s40);
    EXPECT_EQ(co, c40);
    EXPECT_EQ(si, s40);
}

struct ArcCase {
    int cx, cy, rx, ry, deg, x, y;
};
const ArcCase kArc[] = {
    {100, 100, 50, 50, 0, 100, 50},    {100, 100, 50, 50, 90, 150, 100},
    {100, 100, 50, 50, 180, 100, 150}, {100, 100, 50, 50, 270, 50, 100},
    {0, 0, 100, 40, 45, 71, -28},  // (100 * 7071 + 5000) / 10000, (40 * -7071 + 5000) / 10000
};

TEST(ZemTrig, ArcPositionsRunClockwiseFromTheTop) {
    for (const auto& c : kArc) {
        int x = 0, y = 0;
        ZEM_GetArcPos(c.cx, c.cy, c.rx, c.ry, c.deg, &x, &y);
        EXPECT_EQ(x, c.x) << "x at " << c.deg;
        EXPECT_EQ(y, c.y) << "y at " << c.deg;
    }
}

struct AngleCase {
    int x1, y1, x2, y2, angle;
};
const AngleCase kAngle[] = {
    {0, 0, 0, -10, 0},         {0, 0, 10, 0, 90}, {0, 0, 0, 10, 180}, {0, 0, -10, 0, 270},
    {5, 5, 15, -5, 45},        {0, 0, 0, 0, 0},  // no direction: the first angle wins the tie
    {0, 0, 2000000000, 0, 90},                   // far points do not overflow
};

TEST(ZemTrig, GetAngleFindsTheNearestTableVector) {
    for (const auto& c : kAngle)
        EXPECT_EQ(ZEM_GetAngle(c.x1, c.y1, c.x2, c.y2), c.angle)
            << c.x1 << "," << c.y1 << " -> " << c.x2 << "," << c.y2;
    // Every arc point of a large circle maps back to its angle.
    for (int a = 0; a < 360; ++a) {
        int x, y;
        ZEM_GetArcPos(0, 0, 10000, 10000, a, &x, &y);
        EXPECT_EQ(ZEM_GetAngle(0, 0, x, y), a) << "angle " << a;
    }
}

struct RangeCase {
    const char* fn;
    int v, lo, hi, want;
};
const RangeCase kRange[] = {
    {"Limit", 370, 0, 360, 10},  {"Limit", 360, 0, 360, 360}, {"Limit", -10, 0, 360, 350},
    {"Limit", 1090, 0, 360, 10}, {"Limit", 5, 3, 3, 5},       {"Range", 400, 0, 360, 360},
    {"Range", -1, 0, 360, 0},    {"Range", 7, 0, 360, 7},
};

TEST(ZemTrig, RangeClampsAndLimitWraps) {
    for (const auto& c : kRange) {
        const int got = c.fn[0] == 'L' ? ZEM_Limit(c.v, c.lo, c.hi) : ZEM_Range(c.v, c.lo, c.hi);
        EXPECT_EQ(got, c.want) << c.fn << "(" << c.v << ", " << c.lo << ", " << c.hi << ")";
    }
}

TEST(ZemTrig, RandomStaysInItsRange) {
    for (int i = 0; i < 1000; ++i) {
        const int r = ZEM_Random(-3, 4);
        ASSERT_GE(r, -3);
        ASSERT_LE(r, 4);
    }
    EXPECT_EQ(ZEM_Random(5, 5), 5);
    EXPECT_EQ(ZEM_Random(5, 2), 5);  // empty range: no division by zero
}

struct ColourCase {
    ZEMPIXEL pixel;
    COLORREF colour;
    ZEMPIXEL back;
};
const ColourCase kColour[] = {
    {0x7FFF, 0x00FFFFFF, 0x7FFF}, {0x7C00, 0x000000FF, 0x7C00}, {0x001F, 0x00FF0000, 0x001F},
    {0x0421, 0x00080808, 0x0000},  // 8 * 31 / 255 = 0: the round trip loses the lowest step
    {0x8000, 0x00000000, 0x0000},
};

TEST(ZemColours, ConversionsBothWays) {
    for (const auto& c : kColour) {
        EXPECT_EQ(ZEM_PixelToColor(c.pixel), c.colour) << std::hex << c.pixel;
        EXPECT_EQ(ZEM_ColorToPixel(c.colour), c.back) << std::hex << c.colour;
    }
}

struct MixCase {
    ZEMPIXEL a, b;
    int per;
    ZEMPIXEL want;
};
const MixCase kMix[] = {
    {0x7FFF, 0x0000, 50, 0x3DEF},  {0x7FFF, 0x0000, 0, 0x7FFF},  {0x7FFF, 0x0000, 100, 0x0000},
    {0x7FFF, 0x0000, 150, 0x0000}, {0x7FFF, 0x0000, -5, 0x7FFF}, {0xFC00, 0x001F, 50, 0xBC0F},
};

TEST(ZemColours, MixPixelKeepsBitFifteenOfTheFirst) {
    for (const auto& c : kMix)
        EXPECT_EQ(ZEM_MixPixel(c.a, c.b, c.per), c.want)
            << std::hex << c.a << " " << c.b << " " << std::dec << c.per;
}

}  // namespace
