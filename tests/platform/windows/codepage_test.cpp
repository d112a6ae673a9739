// A module that declares its texts Big5 gets its message boxes and GDI texts read as Big5,
// while the program's own texts stay Shift-JIS.
#include <gtest/gtest.h>

#include <cstring>

#include "window_fixture.h"

using namespace wintest;

extern "C" int BIG5LIB_Declare();
extern "C" int BIG5LIB_Box();
extern "C" int BIG5LIB_Draw(HDC dc, RECT* r);

namespace {

Picture DrawTwice(bool fromModule) {
    RegisterRecording("CodePageTest");
    HWND h = Popup("CodePageTest", 40, 20);
    Fill(h, RECT{0, 0, 40, 20}, RGB(255, 255, 255));
    HDC dc = GetDC(h);
    HFONT f = CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, FIXED_PITCH,
                          "ＭＳ ゴシック");
    HGDIOBJ old = SelectObject(dc, f);
    SetBkMode(dc, TRANSPARENT);
    RECT r{0, 0, 40, 20};
    if (fromModule)
        BIG5LIB_Draw(dc, &r);
    else
        DrawTextA(dc, "\xA4\xA4", 2, &r, DT_SINGLELINE | DT_LEFT);
    SelectObject(dc, old);
    DeleteObject(f);
    ReleaseDC(h, dc);
    Picture p = Capture(h);
    DestroyWindow(h);
    return p;
}

TEST(CodePages, ADeclaredBig5ModuleShowsItsTextsRight) {
    EXPECT_EQ(WynPlat_SetModuleCodePage(reinterpret_cast<const void*>(&BIG5LIB_Declare), 1252), 0);
    ASSERT_EQ(BIG5LIB_Declare(), 1);
    EXPECT_EQ(BIG5LIB_Box(), IDOK);
    char caption[64], text[64];
    ASSERT_TRUE(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text));
    EXPECT_STREQ(text, "\xE4\xB8\xAD\xE6\x96\x87");
    EXPECT_STREQ(caption, "\xE4\xB8\xAD");
    // The program's own box stays Shift-JIS: 0xA4 alone is a half-width katakana.
    MessageBoxA(nullptr, "\xA4", "x", MB_OK);
    WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text);
    EXPECT_STREQ(text, "\xEF\xBD\xA4");
    // The same two bytes: one Big5 ideograph from the module, two katakana from the program.
    Picture big5 = DrawTwice(true), sjis = DrawTwice(false);
    EXPECT_NE(big5.px, sjis.px);
}

}  // namespace
