// Screens in the headless framebuffer: creation and sub screens, per-screen depth, the
// refresh modes as the window shows them, zoom and mouse mapping, clipping, blends, moves,
// text into bitmap cells.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <wynplat.h>

#include "cell_fixture.h"
#include "zem40.h"

namespace {

// The window's client area as 0x00RRGGBB pixels.
struct Shot {
    std::vector<uint32_t> px;
    int w = 0, h = 0;
    uint32_t at(int x, int y) const { return px[size_t(y) * w + x]; }
};
Shot Capture(HWND hwnd) {
    Shot s;
    WynPlat_CaptureWindow(hwnd, nullptr, 0, &s.w, &s.h);
    s.px.resize(size_t(s.w) * s.h);
    WynPlat_CaptureWindow(hwnd, s.px.data(), int(s.px.size()), &s.w, &s.h);
    return s;
}

uint32_t Rgb(ZEMPIXEL p) {
    auto e = [](int c) { return uint32_t(c * 255 / 31); };
    return (e(UMB_PixelRed(p)) << 16) | (e(UMB_PixelGreen(p)) << 8) | e(UMB_PixelBlue(p));
}
uint32_t PixelOf(HZEMSCREEN s, int x, int y) {
    const auto* row = static_cast<const uint8_t*>(s->bits) + size_t(y) * s->width * (s->depth / 8);
    const uint8_t* p = row + size_t(x) * (s->depth / 8);
    uint32_t v = p[0] | (p[1] << 8);
    if (s->depth >= 24) v |= uint32_t(p[2]) << 16;
    return v;
}

struct DepthCase {
    DWORD flags;
    int depth;
};
const DepthCase kDepths[] = {{0x41000000, 16}, {0x42000000, 24}, {0x43000000, 32}};

TEST(ZemScreens, StartMakesPaddedScreensOfTheChosenDepth) {
    for (const auto& c : kDepths) {
        HZEMSCREEN s = ZEM_Start(c.flags, nullptr, 637, 10, 637, 10);
        ASSERT_NE(s, nullptr) << c.depth;
        EXPECT_EQ(s->depth, c.depth);
        EXPECT_EQ(s->width, 640) << "rows padded to a multiple of 4";
        EXPECT_EQ(s->height, 10);
        EXPECT_EQ(s->mask, 1);
        EXPECT_EQ(s->recordcount, -1);
        EXPECT_EQ(s->zoomx, 100);
        EXPECT_EQ(s->clip.right, 640);
        EXPECT_EQ(s->debug, 0);
        EXPECT_EQ(ZEM_End(s), 1);
    }
    HZEMSCREEN d = ZEM_Start(0x80000000u | 0x41000000u, nullptr, 8, 8, 8, 8);
    EXPECT_EQ(d->debug, 1);
    ZEM_End(d);
}

TEST(ZemScreens, FirstArgumentIsAParentOnlyWhenItIsALiveScreen) {
    HZEMSCREEN top = ZEM_Start(ZEM_START_DEPTH32, nullptr, 16, 16, 16, 16);
    ASSERT_NE(top, nullptr);
    HZEMSCREEN sub = ZEM_Start(reinterpret_cast<UINT_PTR>(top), nullptr, 8, 8, 8, 8);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->parent, top);
    EXPECT_EQ(top->sub[19], sub) << "the highest free slot first";
    EXPECT_EQ(sub->depth, 32) << "a sub screen has its parent's depth";
    // A flag word with low bits set is no screen: a top screen is made.
    HZEMSCREEN other = ZEM_Start(0x41000001u, nullptr, 8, 8, 8, 8);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->parent, nullptr);
    EXPECT_EQ(other->depth, 16);
    ZEM_End(other);
    // Ending the sub screen unlinks it from its parent.
    ZEM_End(sub);
    EXPECT_EQ(top->sub[19], nullptr);
    // After the parent ended its handle is no longer a parent.
    ZEM_End(top);
    EXPECT_EQ(ZEM_End(top), 0);
}

TEST(ZemScreens, TwentiethSubScreenIsRefusedWithABox) {
    HZEMSCREEN top = ZEM_Start(ZEM_START_DEPTH16, nullptr, 16, 16, 16, 16);
    std::vector<HZEMSCREEN> subs;
    for (int i = 0; i < 19; ++i) {
        HZEMSCREEN s = ZEM_Start(reinterpret_cast<UINT_PTR>(top), nullptr, 4, 4, 4, 4);
        ASSERT_NE(s, nullptr) << "sub screen " << i;
        EXPECT_EQ(top->sub[19 - i], s) << "slots are taken from 19 down";
        subs.push_back(s);
    }
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(ZEM_Start(reinterpret_cast<UINT_PTR>(top), nullptr, 4, 4, 4, 4), nullptr);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    char caption[64], text[256];
    ASSERT_EQ(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text), 1);
    EXPECT_STREQ(caption, "ZEM33.DLL");
    const std::string t = text;
    const std::string ja = reinterpret_cast<const char*>(u8"副仮想画面数が20個を超えています。");
    EXPECT_TRUE(t == ja || t == "Out of sub screen more than 20.") << t;
    // Ending the top screen ends the sub screens with it.
    ZEM_End(top);
    for (auto* s : subs) EXPECT_EQ(ZEM_End(s), 0);
}

TEST(ZemScreens, EachScreenKeepsItsDepthAndTheTables) {
    HZEMSCREEN s32 = ZEM_Start(ZEM_START_DEPTH32, nullptr, 8, 8, 8, 8);
    HZEMSCREEN s24 = ZEM_Start(ZEM_START_DEPTH24, nullptr, 8, 8, 8, 8);
    // A bitmap cell's 16-bit screen and ending another screen change nothing for s32.
    tagCELL bmp{};
    ASSERT_EQ(ZEM_CreateBmpCell(&bmp, 8, 8), 1);
    ZEM_End(s24);
    TestCell c(2, 1, 0x7C00);
    c.px[1] = 0xFFFF;  // half white over black
    EXPECT_EQ(ZEM_DisplayScreen(s32, 1, 1, &c.cell, nullptr, ZEM_NOKEY), 1);
    EXPECT_EQ(PixelOf(s32, 1, 1), 0xFF0000u);
    EXPECT_EQ(PixelOf(s32, 2, 1), 0x7F7F7Fu);
    ZEM_DeleteCell(&bmp);
    // The tables outlive every screen but the last.
    TestCell w(1, 1, 0x001F);
    EXPECT_EQ(ZEM_DisplayScreen(s32, 0, 0, &w.cell, nullptr, ZEM_NOKEY), 1);
    EXPECT_EQ(PixelOf(s32, 0, 0), 0x0000FFu);
    ZEM_End(s32);
    // Screens made later without a depth of their own take the last top-level choice, not
    // the bitmap cell's.
    HZEMSCREEN bare = ZEM_CreateScreen(nullptr, 4, 4);
    EXPECT_EQ(bare->depth, 24);
    ZEM_DeleteScreen(bare);
}

TEST(ZemScreens, DrawRulesThroughTheScreen) {
    for (const auto& d : kDepths) {
        HZEMSCREEN s = ZEM_Start(d.flags, nullptr, 8, 8, 8, 8);
        ZEM_ClearScreen(s, nullptr, 0x0000);
        TestCell c(4, 1, 0x7FFF);
        c.px[1] = 0x1234;  // the key
        c.px[2] = 0xFFFF;  // half white
        c.px[3] = 0x9234;  // the key colour with bit 15: still keyed on a screen
        EXPECT_EQ(ZEM_DisplayScreen(s, 0, 0, &c.cell, nullptr, 0x1234), 1);
        const uint32_t white = d.depth == 16 ? 0x7FFF : 0xFFFFFF;
        const uint32_t half = d.depth == 16 ? 0x3DEF : 0x7F7F7F;
        EXPECT_EQ(PixelOf(s, 0, 0), white) << d.depth;
        EXPECT_EQ(PixelOf(s, 1, 0), 0u) << d.depth;
        EXPECT_EQ(PixelOf(s, 2, 0), half) << d.depth;
        EXPECT_EQ(PixelOf(s, 3, 0), 0u) << d.depth;
        // Tint at level 0 with tint 0 is black; level 15 turns 31 into 29; levels above 16
        // draw plainly; negative levels draw nothing but still answer 1.
        EXPECT_EQ(ZEM_DisplayScreen2(s, 0, 1, &c.cell, nullptr, ZEM_NOKEY, 15, 0), 1);
        EXPECT_EQ(PixelOf(s, 0, 1), d.depth == 16 ? 0x77BDu : 0xEFEFEFu) << d.depth;
        EXPECT_EQ(ZEM_DisplayScreen2(s, 0, 2, &c.cell, nullptr, ZEM_NOKEY, 99, 0), 1);
        EXPECT_EQ(PixelOf(s, 0, 2), white) << d.depth;
        EXPECT_EQ(ZEM_DisplayScreen2(s, 0, 3, &c.cell, nullptr, ZEM_NOKEY, -1, 0), 1);
        EXPECT_EQ(PixelOf(s, 0, 3), 0u) << d.depth;
        EXPECT_EQ(ZEM_DisplayScreen(s, 8, 0, &c.cell, nullptr, ZEM_NOKEY), 0) << "outside";
        ZEM_End(s);
    }
}

TEST(ZemScreens, ClipIsCutToTheScreen) {
    HZEMSCREEN s = ZEM_Start(ZEM_START_DEPTH16, nullptr, 20, 10, 20, 10);
    const RECT r{-5, 3, 50, 8};
    ZEM_ClipScreen(s, &r);
    EXPECT_EQ(s->clip.left, 0);
    EXPECT_EQ(s->clip.top, 3);
    EXPECT_EQ(s->clip.right, 20);
    EXPECT_EQ(s->clip.bottom, 8);
    TestCell c(30, 30, 0x7FFF);
    EXPECT_EQ(ZEM_DisplayScreen(s, -3, -3, &c.cell, nullptr, ZEM_NOKEY), 1);
    EXPECT_EQ(PixelOf(s, 0, 2), 0u);
    EXPECT_EQ(PixelOf(s, 0, 3), 0x7FFFu);
    EXPECT_EQ(PixelOf(s, 19, 7), 0x7FFFu);
    EXPECT_EQ(PixelOf(s, 19, 8), 0u);
    ZEM_ClipScreen(s, nullptr);
    EXPECT_EQ(s->clip.bottom, 10);
    ZEM_End(s);
}

TEST(ZemScreens, BlendAndMove) {
    HZEMSCREEN s = ZEM_Start(ZEM_START_DEPTH16, nullptr, 8, 4, 8, 4);
    const RECT white{0, 0, 2, 1};
    ZEM_ClearScreen(s, &white, 0x7FFF);
    const RECT src{0, 0, 2, 1};
    EXPECT_EQ(ZEM_BlendScreen(s, 4, 0, &src, 8), 1);
    EXPECT_EQ(PixelOf(s, 4, 0), 0x3DEFu) << "white onto black at level 8: channels 15";
    EXPECT_EQ(ZEM_BlendScreen(s, 4, 1, &src, -1), 0);
    EXPECT_EQ(PixelOf(s, 4, 1), 0u);
    EXPECT_EQ(ZEM_BlendScreen(s, 4, 1, &src, 40), 1) << "levels above 16 copy";
    EXPECT_EQ(PixelOf(s, 5, 1), 0x7FFFu);
    EXPECT_EQ(ZEM_BlendScreen(s, 0, 0, nullptr, 8), 0);
    // Overlapping move within the screen.
    HZEMSCREEN m = ZEM_Start(ZEM_START_DEPTH32, nullptr, 8, 1, 8, 1);
    for (int x = 0; x < 4; ++x) {
        const RECT p{x, 0, x + 1, 1};
        ZEM_ClearScreen(m, &p, ZEMPIXEL(x + 1));
    }
    const RECT row{0, 0, 4, 1};
    EXPECT_EQ(ZEM_MoveScreen(m, 2, 0, &row), 1);
    for (int x = 0; x < 6; ++x)
        EXPECT_EQ(PixelOf(m, x, 0), Rgb(ZEMPIXEL(x < 2 ? x + 1 : x - 1))) << "pixel " << x;
    EXPECT_EQ(ZEM_MoveScreen(m, 2, 0, nullptr), 0);
    ZEM_End(m);
    ZEM_End(s);
}

TEST(ZemScreens, ZoomRefusesNonPositiveValues) {
    HZEMSCREEN s = ZEM_Start(ZEM_START_DEPTH16, nullptr, 8, 8, 8, 8);
    for (int z : {0, -5}) {
        EXPECT_EQ(ZEM_SetZoom(s, z, 100), 0);
        EXPECT_EQ(ZEM_SetZoom(s, 100, z), 0);
    }
    int x = 0, y = 0;
    ZEM_GetZoom(s, &x, &y);
    EXPECT_EQ(x, 100);
    EXPECT_EQ(y, 100);
    ZEM_End(s);
}

TEST(ZemScreens, LinesStayInsideTheClipAndRecordTheirBox) {
    HZEMSCREEN s = ZEM_Start(ZEM_START_DEPTH16, nullptr, 10, 10, 10, 10);
    const RECT clip{2, 2, 8, 8};
    ZEM_ClipScreen(s, &clip);
    ZEM_ClearClipping(s);
    EXPECT_EQ(ZEM_LineScreen(s, 0, 0, 9, 9, 0x7FFF), 1);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(PixelOf(s, x, y), (x == y && x >= 2 && x < 8) ? 0x7FFFu : 0u)
                << x << "," << y;
    EXPECT_EQ(s->recordcount, 1);
    EXPECT_EQ(s->record.left, 2);
    EXPECT_EQ(s->record.right, 8);
    // The same rule as cells: (0,0) to (2,5) steps x at rows 3 and 5.
    ZEM_ClipScreen(s, nullptr);
    ZEM_ClearScreen(s, nullptr, 0);
    ZEM_LineScreen(s, 0, 0, 2, 5, 0x001F);
    const int xs[6] = {0, 0, 0, 1, 1, 2};
    for (int y = 0; y <= 5; ++y) EXPECT_EQ(PixelOf(s, xs[y], y), 0x001Fu) << "row " << y;
    ZEM_End(s);
}

TEST(ZemScreens, BuiltScreenCopiesBetweenDepths) {
    HZEMSCREEN a = ZEM_Start(ZEM_START_DEPTH16, nullptr, 8, 8, 8, 8);
    HZEMSCREEN b = ZEM_Start(ZEM_START_DEPTH16, nullptr, 8, 8, 8, 8);
    HZEMSCREEN c = ZEM_Start(ZEM_START_DEPTH32, nullptr, 8, 8, 8, 8);
    const RECT r{1, 1, 3, 3};
    ZEM_ClearScreen(a, &r, 0x7C00);
    EXPECT_EQ(ZEM_BuiltScreen(b, 5, 5, a, &r), 1);
    EXPECT_EQ(PixelOf(b, 5, 5), 0x7C00u);
    EXPECT_EQ(PixelOf(b, 7, 7), 0u) << "cut to the destination";
    EXPECT_EQ(ZEM_BuiltScreen(c, 0, 0, a, &r), 1);
    EXPECT_EQ(PixelOf(c, 0, 0) & 0xF8F8F8, 0xF80000u) << "converted to the other depth";
    const RECT far{-20, -20, 40, 40};
    EXPECT_EQ(ZEM_BuiltScreen(b, -30, 60, a, &far), 1) << "nothing inside: still 1, no write";
    ZEM_End(c);
    ZEM_End(b);
    ZEM_End(a);
}

class ZemWindowScreens : public ::testing::Test {
  protected:
    void SetUp() override {
        hwnd = MakeTestWindow(120, 90);
        ASSERT_NE(hwnd, nullptr);
        scr = ZEM_Start(ZEM_START_DEPTH16, hwnd, 120, 90, 120, 90);
        ASSERT_NE(scr, nullptr);
    }
    void TearDown() override {
        ZEM_End(scr);
        DestroyWindow(hwnd);
    }
    void Fill(int l, int t, int r, int b, ZEMPIXEL p) {
        const RECT rc{l, t, r, b};
        ZEM_ClearScreen(scr, &rc, p);
    }
    HWND hwnd = nullptr;
    HZEMSCREEN scr = nullptr;
};

TEST_F(ZemWindowScreens, AutoRefreshShowsEachDrawAtOnce) {
    Fill(10, 10, 20, 20, 0x7C00);
    EXPECT_EQ(FromWindow(Capture(hwnd).at(15, 15)), 0x7C00);
}

TEST_F(ZemWindowScreens, WithoutAutoRefreshNothingReachesTheWindowUntilRefreshed) {
    EXPECT_EQ(ZEM_MaskFlag(scr, 0), 1);
    Fill(10, 10, 20, 20, 0x7C00);
    EXPECT_EQ(Capture(hwnd).at(15, 15), 0u);
    ZEM_RefreshScreen(scr, nullptr, nullptr);
    EXPECT_EQ(FromWindow(Capture(hwnd).at(15, 15)), 0x7C00);
}

TEST_F(ZemWindowScreens, RecordedRectanglesAreShownOnceAsTheirUnion) {
    ZEM_ClearClipping(scr);
    EXPECT_EQ(scr->mask, 0);
    Fill(10, 10, 20, 20, 0x7C00);
    Fill(40, 15, 50, 25, 0x03E0);
    Fill(15, 40, 25, 50, 0x001F);
    EXPECT_EQ(scr->recordcount, 3);
    EXPECT_EQ(scr->record.left, 10);
    EXPECT_EQ(scr->record.top, 10);
    EXPECT_EQ(scr->record.right, 50);
    EXPECT_EQ(scr->record.bottom, 50);
    Shot before = Capture(hwnd);
    for (uint32_t p : before.px) ASSERT_EQ(p, 0u) << "nothing shown while recording";
    // A pixel changed without a drawing call inside the union (and one outside it) shows
    // what the refresh covers.
    static_cast<uint16_t*>(scr->bits)[30 * scr->width + 30] = 0x7FFF;
    static_cast<uint16_t*>(scr->bits)[60 * scr->width + 60] = 0x7FFF;
    ZEM_RefreshClipping(scr);
    EXPECT_EQ(scr->mask, 1);
    EXPECT_EQ(scr->recordcount, -1);
    Shot after = Capture(hwnd);
    EXPECT_EQ(FromWindow(after.at(15, 15)), 0x7C00);
    EXPECT_EQ(FromWindow(after.at(45, 20)), 0x03E0);
    EXPECT_EQ(FromWindow(after.at(20, 45)), 0x001F);
    EXPECT_EQ(FromWindow(after.at(30, 30)), 0x7FFF) << "inside the union";
    EXPECT_EQ(after.at(60, 60), 0u) << "outside the union";
}

TEST_F(ZemWindowScreens, ZoomStretchesByNearestNeighbourAndTheMouseRoundTrips) {
    ZEM_MaskFlag(scr, 0);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x)
            Fill(x, y, x + 1, y + 1, UMB_MakePixel(x % 32, y % 32, (x / 32) + 4 * (y / 32)));
    ZEM_MaskFlag(scr, 1);
    ZEM_SetZoom(scr, 150, 150);
    Shot s = Capture(hwnd);
    for (int y = 0; y < 90; ++y)
        for (int x = 0; x < 120; ++x) {
            const int sx = x * 100 / 150, sy = y * 100 / 150;
            ASSERT_EQ(FromWindow(s.at(x, y)),
                      UMB_MakePixel(sx % 32, sy % 32, (sx / 32) + 4 * (sy / 32)))
                << "window pixel " << x << "," << y;
        }
    // Mouse mapping through placement and zoom.
    ZEM_AdjustScreen(scr, 5, 7, 100, 80, 3, 2);
    for (int y = 2; y < 50; y += 3)
        for (int x = 3; x < 60; x += 5) {
            ZEM_SetMouse(scr, x, y);
            int gx = -1, gy = -1;
            EXPECT_EQ(ZEM_GetMouse(scr, &gx, &gy), 1) << x << "," << y;
            EXPECT_LE(std::abs(gx - x), 1) << x << "," << y;
            EXPECT_LE(std::abs(gy - y), 1) << x << "," << y;
        }
    ZEM_SetMouse(scr, 0, 0);  // left of the source corner: outside the shown part
    int gx, gy;
    EXPECT_EQ(ZEM_GetMouse(scr, &gx, &gy), 0);
}

TEST_F(ZemWindowScreens, TextAndViewReachTheWindow) {
    const RECT r{0, 0, 60, 20};
    EXPECT_EQ(ZEM_SetFontScreen(scr, &r, nullptr, 16, 8, "W", 0x7FFF, 0x100), 1);
    Shot s = Capture(hwnd);
    int lit = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) lit += FromWindow(s.at(x, y)) == 0x7FFF;
    EXPECT_GT(lit, 0) << "the glyph was refreshed to the window";
    EXPECT_EQ(ZEM_SetFontScreen(scr, nullptr, nullptr, 16, 8, "W", 0x7FFF, 0), 0);
    // ViewScreen shows a rectangle of the screen at a window position for one refresh.
    ZEM_MaskFlag(scr, 0);
    Fill(80, 60, 90, 70, 0x03E0);
    ZEM_MaskFlag(scr, 1);
    const RECT v{80, 60, 90, 70};
    EXPECT_EQ(ZEM_ViewScreen(scr, 5, 40, &v), 1);
    Shot after = Capture(hwnd);
    EXPECT_EQ(FromWindow(after.at(7, 42)), 0x03E0);
    EXPECT_EQ(after.at(85, 65), 0u) << "its own place was not refreshed";
    EXPECT_EQ(scr->sx, 0) << "the source corner is restored";
    EXPECT_EQ(ZEM_ViewScreen(scr, 5, 40, nullptr), 0);
}

TEST_F(ZemWindowScreens, FullScreenTestChangesNothing) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    ZEM_FullScreen(scr, -800, -600);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), w);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), h);
    EXPECT_EQ(ZEM_FullScreen(scr, 800, 0), 0);
    EXPECT_EQ(ZEM_FullScreen(scr, -800, 600), 0);
    EXPECT_EQ(ZEM_FullScreen(scr, 0, 0), 1);
}

// Text into a bitmap cell: only the colour is written, only inside the rectangle, and the
// layout flags move it.
int FirstLitColumn(const tagCELL& c, ZEMPIXEL colour, const RECT& r, bool* onlyColourInside) {
    int first = -1;
    *onlyColourInside = true;
    for (int y = 0; y < c.ysize; ++y)
        for (int x = 0; x < c.xsize; ++x) {
            const ZEMPIXEL p = c.bits[y * c.xsize + x];
            const bool inside = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            if (p == 0x0421) continue;  // the background
            if (p != colour || !inside) *onlyColourInside = false;
            if (first < 0 || x < first) first = x;
        }
    return first;
}

TEST(ZemText, IntoABitmapCellByLayout) {
    tagCELL c{};
    ASSERT_EQ(ZEM_CreateBmpCell(&c, 126, 24), 1);
    EXPECT_EQ(c.mode, CELL_MODE_BITMAP);
    EXPECT_EQ(c.xsize, 128) << "padded to the screen's rows";
    EXPECT_EQ(c.mask, CELL_MASK_NONE);
    EXPECT_EQ(reinterpret_cast<HZEMSCREEN>(c.user)->bits, c.bits);
    const RECT r{10, 2, 110, 22};
    struct LayoutCase {
        const char* name;
        int flags;
        int first = 0;
    };
    LayoutCase cases[] = {{"left", 0x100}, {"centre", 0x000}, {"right", 0x200}};
    for (auto& lc : cases) {
        ZEM_ClearCell(&c, nullptr, 0x0421);
        ASSERT_EQ(ZEM_SetFontCell(&c, &r, nullptr, 16, 8, "AB", 0x8000 | 0x7C00, lc.flags), 1)
            << lc.name;
        bool only = false;
        lc.first = FirstLitColumn(c, 0x8000 | 0x7C00, r, &only);
        EXPECT_TRUE(only) << lc.name << ": only the colour, only inside the rectangle";
        EXPECT_GE(lc.first, r.left) << lc.name;
    }
    EXPECT_LT(cases[0].first, cases[1].first) << "left before centre";
    EXPECT_LT(cases[1].first, cases[2].first) << "centre before right";
    EXPECT_EQ(ZEM_DeleteCell(&c), 1);
    const tagCELL zero{};
    EXPECT_EQ(std::memcmp(&c, &zero, sizeof c), 0) << "a record of zeros";
}

}  // namespace
