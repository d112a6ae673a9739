#include <windows.h>
#include <gtest/gtest.h>

namespace {
RECT R(LONG l, LONG t, LONG r, LONG b) { return RECT{l, t, r, b}; }
std::string S(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
           std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}
}  // namespace

TEST(Rect, EmptinessAndPoints) {
    EXPECT_TRUE(IsRectEmpty(nullptr));
    struct E {
        RECT r;
        BOOL empty;
    };
    const E cases[] = {{R(0, 0, 0, 0), TRUE},
                       {R(0, 0, 1, 1), FALSE},
                       {R(5, 0, 4, 10), TRUE},
                       {R(0, 5, 10, 5), TRUE},
                       {R(-3, -3, -1, -1), FALSE}};
    for (const auto& c : cases) EXPECT_EQ(IsRectEmpty(&c.r), c.empty) << S(c.r);
    RECT r = R(10, 20, 30, 40);
    struct P {
        POINT p;
        BOOL in;
    };
    const P points[] = {
        {{10, 20}, TRUE}, {{29, 39}, TRUE}, {{30, 20}, FALSE}, {{10, 40}, FALSE}, {{9, 25}, FALSE}};
    for (const auto& c : points) EXPECT_EQ(PtInRect(&r, c.p), c.in) << c.p.x << "," << c.p.y;
    EXPECT_FALSE(PtInRect(nullptr, POINT{0, 0}));
}

TEST(Rect, SetCopyOffsetInflateEqual) {
    RECT r;
    EXPECT_TRUE(SetRect(&r, 1, 2, 3, 4));
    EXPECT_TRUE(EqualRect(&r, &r));
    RECT c;
    EXPECT_TRUE(CopyRect(&c, &r));
    EXPECT_TRUE(EqualRect(&c, &r));
    EXPECT_TRUE(OffsetRect(&c, 10, -2));
    EXPECT_EQ(S(c), "(11,0,13,2)");
    EXPECT_TRUE(InflateRect(&c, 1, 2));
    EXPECT_EQ(S(c), "(10,-2,14,4)");
    EXPECT_TRUE(SetRectEmpty(&c));
    EXPECT_EQ(S(c), "(0,0,0,0)");
    RECT e1 = R(5, 5, 5, 5);
    EXPECT_FALSE(EqualRect(&c, &e1)) << "empty rectangles compare by their coordinates";
    EXPECT_FALSE(SetRect(nullptr, 0, 0, 1, 1));
    EXPECT_FALSE(CopyRect(nullptr, &r));
    EXPECT_FALSE(CopyRect(&c, nullptr));
    EXPECT_FALSE(OffsetRect(nullptr, 1, 1));
    EXPECT_FALSE(InflateRect(nullptr, 1, 1));
    EXPECT_FALSE(EqualRect(nullptr, &r));
}

TEST(Rect, IntersectUnionSubtract) {
    struct Case {
        RECT a, b;
        BOOL iOk;
        RECT i;
        BOOL uOk;
        RECT u;
        BOOL sOk;
        RECT s;
    };
    const Case cases[] = {
        // overlapping corner
        {R(0, 0, 10, 10), R(5, 5, 15, 15), TRUE, R(5, 5, 10, 10), TRUE, R(0, 0, 15, 15), TRUE,
         R(0, 0, 10, 10)},
        // touching edges do not intersect
        {R(0, 0, 10, 10), R(10, 0, 20, 10), FALSE, R(0, 0, 0, 0), TRUE, R(0, 0, 20, 10), TRUE,
         R(0, 0, 10, 10)},
        // b covers the right side of a whole: a shrinks
        {R(0, 0, 10, 10), R(6, -5, 20, 20), TRUE, R(6, 0, 10, 10), TRUE, R(0, -5, 20, 20), TRUE,
         R(0, 0, 6, 10)},
        // b covers the top of a whole
        {R(0, 0, 10, 10), R(-1, -1, 11, 4), TRUE, R(0, 0, 10, 4), TRUE, R(-1, -1, 11, 10), TRUE,
         R(0, 4, 10, 10)},
        // b inside a: nothing to cut as a rectangle
        {R(0, 0, 10, 10), R(2, 2, 4, 4), TRUE, R(2, 2, 4, 4), TRUE, R(0, 0, 10, 10), TRUE,
         R(0, 0, 10, 10)},
        // b covers a: nothing left
        {R(2, 2, 4, 4), R(0, 0, 10, 10), TRUE, R(2, 2, 4, 4), TRUE, R(0, 0, 10, 10), FALSE,
         R(0, 0, 0, 0)},
        // an empty rectangle takes no part in a union
        {R(0, 0, 10, 10), R(50, 50, 50, 60), FALSE, R(0, 0, 0, 0), TRUE, R(0, 0, 10, 10), TRUE,
         R(0, 0, 10, 10)},
        // both empty
        {R(3, 3, 3, 3), R(7, 7, 1, 1), FALSE, R(0, 0, 0, 0), FALSE, R(0, 0, 0, 0), FALSE,
         R(0, 0, 0, 0)},
    };
    for (const auto& c : cases) {
        std::string name = S(c.a) + " " + S(c.b);
        RECT out = R(99, 99, 99, 99);
        EXPECT_EQ(IntersectRect(&out, &c.a, &c.b), c.iOk) << "intersect " << name;
        EXPECT_TRUE(EqualRect(&out, &c.i)) << "intersect " << name << " gave " << S(out);
        out = R(99, 99, 99, 99);
        EXPECT_EQ(UnionRect(&out, &c.a, &c.b), c.uOk) << "union " << name;
        EXPECT_TRUE(EqualRect(&out, &c.u)) << "union " << name << " gave " << S(out);
        out = R(99, 99, 99, 99);
        EXPECT_EQ(SubtractRect(&out, &c.a, &c.b), c.sOk) << "subtract " << name;
        EXPECT_TRUE(EqualRect(&out, &c.s)) << "subtract " << name << " gave " << S(out);
    }
    RECT a = R(0, 0, 1, 1), out;
    EXPECT_FALSE(IntersectRect(nullptr, &a, &a));
    EXPECT_FALSE(UnionRect(&out, nullptr, &a));
    EXPECT_FALSE(SubtractRect(&out, &a, nullptr));
}
