// Text: where DrawTextA puts Japanese, English and Traditional Chinese texts (ink bounds and
// colour, not glyph shapes), half-width characters exactly half as wide, metrics, and the
// monochrome rendering (only the text colour and the background appear).
#include <gtest/gtest.h>

#include <set>

#include "window_fixture.h"

using namespace wintest;

namespace {

struct Ink {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive-exclusive
    std::set<uint32_t> colours;
    bool Any() const { return right >= 0; }
};

Ink InkOf(const Picture& p, uint32_t background) {
    Ink k;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            uint32_t c = p.At(x, y);
            if (c == background) continue;
            k.colours.insert(c);
            k.left = std::min(k.left, x);
            k.top = std::min(k.top, y);
            k.right = std::max(k.right, x + 1);
            k.bottom = std::max(k.bottom, y + 1);
        }
    return k;
}

struct Canvas {
    HWND win;
    HDC dc;
    HFONT font;
    HGDIOBJ old;
    Canvas(int w, int h, int height, const char* face, DWORD charset = SHIFTJIS_CHARSET) {
        RegisterRecording("TextTest");
        win = Popup("TextTest", w, h);
        PumpAll();
        Fill(win, RECT{0, 0, w, h}, RGB(255, 255, 255));
        dc = GetDC(win);
        font = CreateFontA(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, charset, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH, face);
        old = SelectObject(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(200, 0, 0));
    }
    ~Canvas() {
        SelectObject(dc, old);
        DeleteObject(font);
        ReleaseDC(win, dc);
        DestroyWindow(win);
    }
};

const char* const kFaces[] = {"ＭＳ ゴシック", "ＭＳゴシック", "FixedSys", "ＭＳ 明朝", "Arial"};

TEST(Text, HalfWidthCharactersAreExactlyHalfAsWide) {
    for (int height : {12, 13, 16, -16, 24}) {
        for (const char* face : kFaces) {
            Canvas c(300, 60, height, face);
            SIZE one, two, kana, mixed;
            ASSERT_TRUE(GetTextExtentPoint32A(c.dc, "A", 1, &one)) << face;
            GetTextExtentPoint32A(c.dc, "漢", -1, &two);
            GetTextExtentPoint32A(c.dc, "ｱ", -1, &kana);
            GetTextExtentPoint32A(c.dc, "AB日本語12", -1, &mixed);
            EXPECT_EQ(two.cx, 2 * one.cx) << face << " " << height;
            EXPECT_EQ(kana.cx, one.cx) << face << " " << height;
            EXPECT_EQ(mixed.cx, 4 * one.cx + 3 * two.cx) << face << " " << height;
            EXPECT_EQ(one.cy, height < 0 ? -height : height);
            TEXTMETRICA tm;
            ASSERT_TRUE(GetTextMetricsA(c.dc, &tm));
            EXPECT_EQ(tm.tmAveCharWidth, one.cx);
            EXPECT_EQ(tm.tmHeight, one.cy);
            EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
            SetTextCharacterExtra(c.dc, 2);
            GetTextExtentPoint32A(c.dc, "AB", 2, &two);
            EXPECT_EQ(two.cx, 2 * one.cx + 4);
        }
    }
}

struct Placement {
    const char* text;
    UINT format;
    int left, right;  // where the text's cells go in a 200 x 40 rectangle at x 0
    bool vcentre;
};

TEST(Text, DrawTextPutsTheInkWhereItsFormatSays) {
    // 16-pixel font: 8 per half-width cell, 16 per full-width one.
    const Placement kCases[] = {
        {"日本語", DT_SINGLELINE | DT_CENTER | DT_VCENTER, 76, 124, true},
        {"Hello", DT_SINGLELINE | DT_LEFT | DT_VCENTER, 0, 40, true},
        {"Hello", DT_SINGLELINE | DT_RIGHT, 160, 200, false},
        {"管制ATC", DT_SINGLELINE | DT_RIGHT | DT_VCENTER, 144, 200, true},
        {"A&&B", DT_SINGLELINE | DT_LEFT, 0, 24, false},
    };
    for (auto& k : kCases) {
        Canvas c(200, 40, -16, "ＭＳ ゴシック");
        RECT r{0, 0, 200, 40};
        int h = DrawTextA(c.dc, k.text, -1, &r, k.format);
        EXPECT_GT(h, 0) << k.text;
        Picture p = Capture(c.win);
        Ink ink = InkOf(p, 0xFFFFFF);
        ASSERT_TRUE(ink.Any()) << k.text;
        EXPECT_EQ(ink.colours, std::set<uint32_t>{0xC80000})
            << k.text << ": only the text colour, no grey";
        EXPECT_GE(ink.left, k.left) << k.text;
        EXPECT_LE(ink.right, k.right) << k.text;
        EXPECT_GT(ink.right - ink.left, (k.right - k.left) / 2) << k.text << " fills its cells";
        int top = k.vcentre ? 12 : 0;
        EXPECT_GE(ink.top, top) << k.text;
        EXPECT_LE(ink.bottom, top + 16) << k.text;
    }
}

TEST(Text, OpaqueBackgroundCalcRectAndTextOut) {
    Canvas c(200, 40, 16, "FixedSys");
    SetBkMode(c.dc, OPAQUE);
    SetBkColor(c.dc, RGB(0, 0, 255));
    ASSERT_TRUE(TextOutA(c.dc, 10, 5, "abc", 3));
    Picture p = Capture(c.win);
    // The background fills exactly the three cells.
    EXPECT_EQ(p.At(10, 5), 0x0000FFu);
    EXPECT_EQ(p.At(33, 20), 0x0000FFu);
    EXPECT_EQ(p.At(34, 5), 0xFFFFFFu);
    EXPECT_EQ(p.At(10, 21), 0xFFFFFFu);
    RECT r{5, 5, 5, 5};
    EXPECT_EQ(DrawTextA(c.dc, "日本", -1, &r, DT_CALCRECT | DT_SINGLELINE), 16);
    EXPECT_EQ(r.right, 5 + 32);
    EXPECT_EQ(r.bottom, 5 + 16);
    RECT two{0, 0, 100, 100};
    EXPECT_EQ(DrawTextA(c.dc, "a\nbb", -1, &two, DT_CALCRECT), 32);
    EXPECT_EQ(two.right, 16);
}

TEST(Text, TraditionalChineseInBig5IsDrawnToo) {
    // "中文" in Big5 through a Big5 font: two full-width characters.
    Canvas c(100, 30, -16, "MingLiU", CHINESEBIG5_CHARSET);
    SIZE s;
    GetTextExtentPoint32A(c.dc, "\xA4\xA4\xA4\xE5", 4, &s);
    EXPECT_EQ(s.cx, 32);
    RECT r{0, 0, 100, 30};
    DrawTextA(c.dc, "\xA4\xA4\xA4\xE5", 4, &r, DT_SINGLELINE | DT_LEFT | DT_VCENTER);
    Ink ink = InkOf(Capture(c.win), 0xFFFFFF);
    ASSERT_TRUE(ink.Any());
    EXPECT_LE(ink.right, 32);
    EXPECT_GT(ink.right, 20);
    // The same bytes read as Shift-JIS are other characters; the DC can be told.
    EXPECT_EQ(WynPlat_SetDCCodePage(c.dc, 950), 1);
    EXPECT_EQ(WynPlat_SetDCCodePage(c.dc, 1252), 0);
}

}  // namespace
