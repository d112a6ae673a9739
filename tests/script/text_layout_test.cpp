// The executor's text engine on a screen (a windowless 15-bit screen of the older 2D library,
// whose pixels are the cells' own) and on the cell target: the cursor, wrapping, scrolling,
// colours, the sequences and their messages, the glyph table, the delay on the virtual clock,
// and the layout's ends.
#include <mmsystem.h>

#include <set>
#include <string>

#include "vsk_test_support.h"
#include "vskexec.h"
#include "zem33.h"

using namespace vsktest;

namespace {

constexpr int kW = 8, kH = 16;  // character cell of the tests

class TextEngine : public ::testing::Test {
  protected:
    void SetUp() override {
        screen = ZEM_Start(ZEM33_START_DEPTH(15), nullptr, 160, 96, 160, 96);
        ASSERT_NE(screen, nullptr);
        ASSERT_EQ(screen->depth, 15);
        tagVALUE* s = Sys(VSK_SYS_SCREEN(0));
        s->mode = VSK_MODE_RECT;
        VskSetPtr(s, 0, reinterpret_cast<void*>(uintptr_t(0x1234)));  // a window word
        VskSetPtr(s, 1, screen);
        ASSERT_EQ(ZEM_CreateCell(&cell, 160, 96), 1);
        for (int n : {0, 9}) TextState(n, 0, 0, 0x7FFF, 0, 0);
        UseCell(true);
    }
    void TearDown() override {
        *Sys(VSK_SYS_COMMANDLINE) = tagVALUE{};  // the cell is the test's, not the context's
        *Sys(12) = tagVALUE{};
        *Sys(VSK_SYS_SCREEN(0)) = tagVALUE{};
        ZEM_DeleteCell(&cell);
        ZEM_DeleteCell(&glyphs);
        ZEM_End(screen);
    }

    tagVALUE* Sys(int slot) { return ctx->vbsystem.lpvalue + slot; }
    void TextState(int n, int column, int row, int colour, int erase, int delay, int w = kW,
                   int h = kH) {
        VSKVAL_Clear(ctx, &ctx->vbsystem, VSK_SYS_TEXTPOS(n));
        tagVALUE pos{};
        VSKRAQ_Rect(ctx, &pos, column, row, w, h);
        VSKVAL_Set(ctx, &ctx->vbsystem, VSK_SYS_TEXTPOS(n), &pos);
        tagVALUE* c = Sys(VSK_SYS_TEXTCOLOR(n));
        c->mode = VSK_MODE_RECT;
        VskSetInt(c, 0, colour), VskSetInt(c, 1, erase), VskSetInt(c, 2, delay);
        VskSetInt(c, 3, 0x110);
        VSKVAL_Clear(ctx, &ctx->vbsystem, VSK_SYS_FONT(n));
        tagVALUE face = Str(ctx, "FixedSys");
        VSKVAL_Set(ctx, &ctx->vbsystem, VSK_SYS_FONT(n), &face);
    }
    // #14 holds the cell, or a string (the command line) instead.
    void UseCell(bool yes) {
        if (Sys(VSK_SYS_COMMANDLINE)->mode == VSK_MODE_CELL)
            *Sys(VSK_SYS_COMMANDLINE) = tagVALUE{};  // the test's own cell, not to be freed
        VSKVAL_Clear(ctx, &ctx->vbsystem, VSK_SYS_COMMANDLINE);
        tagVALUE v{};
        if (yes)
            VskSetCaq(&v, &cell);
        else
            v = Str(ctx, "rjtt stage01");
        VSKVAL_Set(ctx, &ctx->vbsystem, VSK_SYS_COMMANDLINE, &v);
    }
    int Column(int n) { return VskInt(Sys(VSK_SYS_TEXTPOS(n)), 0); }
    int Row(int n) { return VskInt(Sys(VSK_SYS_TEXTPOS(n)), 1); }
    WORD ScreenPixel(int x, int y) {
        return static_cast<const WORD*>(screen->bits)[y * screen->width + x];
    }
    WORD Pixel(int n, int x, int y) {
        return n == 9 ? ZEM_GetPixelCell(&cell, x, y) : ScreenPixel(x, y);
    }
    // The pixel values found in a rectangle of target n.
    std::set<WORD> Colours(int n, int left, int top, int right, int bottom) {
        std::set<WORD> seen;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) seen.insert(Pixel(n, x, y));
        return seen;
    }
    int Text(int n, const RECT& rc, const char* text) { return VSKEXEC_Text(ctx, n, &rc, text); }

    Context ctx;
    HZEMSCREEN screen = nullptr;
    tagCELL cell{}, glyphs{};
};

TEST_F(TextEngine, TenColumnsFillColumnsZeroToEightThenWrap) {
    for (int n : {0, 9}) {
        RECT rc{0, 0, 10 * kW, 3 * kH};
        ASSERT_EQ(Text(n, rc, "#########"), 1);
        EXPECT_EQ(Column(n), 0) << "the ninth character reaches column 8, the last used";
        EXPECT_EQ(Row(n), 1);
        EXPECT_GT(Colours(n, 8 * kW, 0, 9 * kW, kH).count(0x7FFF), 0u) << "column 8 drawn";
        EXPECT_EQ(Colours(n, 9 * kW, 0, 10 * kW, kH), std::set<WORD>{0}) << "column 9 stays empty";
        ASSERT_EQ(Text(n, rc, "#"), 1);
        EXPECT_GT(Colours(n, 0, kH, kW, 2 * kH).count(0x7FFF), 0u) << "the tenth starts row 1";
        EXPECT_EQ(Column(n), 1);
        // A double-byte character steps two columns: from column 7 it reaches column 9.
        TextState(n, 7, 0, 0x7FFF, 0, 0);
        ASSERT_EQ(Text(n, rc, "全"), 1);
        EXPECT_EQ(Column(n), 0) << n;
        EXPECT_EQ(Row(n), 1) << n;
    }
}

TEST_F(TextEngine, OverflowScrollsOneRowAndClearsItWithTheEraseColour) {
    for (int n : {0, 9}) {
        RECT rc{8, 8, 8 + 10 * kW, 8 + 3 * kH};
        ASSERT_EQ(Text(n, rc, "@E[0,0,31]@C[0,31,0]#@P[0,1]@C[31,0,0]#@L"), 1);
        EXPECT_EQ(Row(n), 2);
        EXPECT_EQ(Colours(n, 8, 8, 8 + kW, 8 + kH).count(0x03E0), 1u) << "green before the scroll";
        ASSERT_EQ(Text(n, rc, "@L"), 1);
        EXPECT_EQ(Column(n), 0);
        EXPECT_EQ(Row(n), 2) << "the last row";
        auto top = Colours(n, 8, 8, 8 + kW, 8 + kH);
        EXPECT_EQ(top.count(0x03E0), 0u) << n << ": row 0 left the rectangle";
        EXPECT_EQ(top.count(0x7C00), 1u) << n << ": row 1 moved up";
        EXPECT_EQ(Colours(n, 8, 8 + kH, rc.right, rc.bottom), std::set<WORD>{0x001F})
            << n << ": rows 1 and 2 hold the erase colour";
        EXPECT_EQ(Colours(n, 0, 0, 160, 8), std::set<WORD>{0}) << "nothing outside";
        EXPECT_EQ(VskInt(Sys(VSK_SYS_TEXTCOLOR(n)), 1), 0x001F);
    }
}

TEST_F(TextEngine, ColourSequencesAndTheCursor) {
    RECT rc{0, 0, 160, 96};
    ASSERT_EQ(Text(9, rc, "@C[31,0,0]#"), 1);
    EXPECT_EQ(VskInt(Sys(VSK_SYS_TEXTCOLOR(9)), 0), 0x7C00);
    EXPECT_EQ(Colours(9, 0, 0, kW, kH), (std::set<WORD>{0, 0x7C00}));
    // Blanks, tabs and full-width blanks may follow a number (not lead it); only integer parts
    // count.
    ASSERT_EQ(Text(9, rc, "@C[1.9 ,2\t,3　]@P[4 ,3]"), 1);
    EXPECT_EQ(VskInt(Sys(VSK_SYS_TEXTCOLOR(9)), 0), 1 * 1024 + 2 * 32 + 3);
    EXPECT_EQ(Column(9), 4);
    EXPECT_EQ(Row(9), 3);
    ASSERT_EQ(Text(9, rc, "@L@x@@#"), 1) << "an unknown letter is skipped with its '@'";
    EXPECT_EQ(Column(9), 1) << "only '#' drawn";
    EXPECT_EQ(Row(9), 4);
}

TEST_F(TextEngine, GlyphsComeFromTheTableAndMoveTwoColumnsEither) {
    RECT rc{0, 0, 160, 96};
    ASSERT_EQ(Text(9, rc, "@G[17]"), 1);
    EXPECT_EQ(Column(9), 2) << "no table: nothing drawn, the cursor moves all the same";
    EXPECT_EQ(Colours(9, 0, 0, 160, 96), std::set<WORD>{0});
    ASSERT_EQ(ZEM_CreateCell(&glyphs, 64, 64), 1);  // tiles of 4 x 4
    for (int g = 0; g < 256; ++g) {
        RECT tile{(g % 16) * 4, (g / 16) * 4, (g % 16) * 4 + 4, (g / 16) * 4 + 4};
        ZEM_ClearCell(&glyphs, &tile, ZEMPIXEL(g + 1));
    }
    glyphs.mask = LONG(0x80000000);
    tagVALUE table{};
    VskSetCaq(&table, &glyphs);
    *Sys(12) = table;
    for (int n : {0, 9}) {
        TextState(n, 3, 1, 0x7FFF, 0, 0);
        ASSERT_EQ(Text(n, rc, "@G[17]"), 1);
        EXPECT_EQ(Colours(n, 3 * kW, kH, 3 * kW + 4, kH + 4), std::set<WORD>{18}) << n;
        EXPECT_EQ(Pixel(n, 3 * kW + 4, kH), 0) << "one tile only";
        EXPECT_EQ(Column(n), 5);
    }
}

TEST_F(TextEngine, TheDelayWaitsOnScreensOnly) {
    RECT rc{0, 0, 160, 96};
    DWORD start = timeGetTime();
    ASSERT_EQ(Text(0, rc, "@W[100]AB@G[3]@L"), 1);
    DWORD screenTime = timeGetTime() - start;
    EXPECT_GE(screenTime, 300u) << "two characters and a glyph, none for the new line";
    EXPECT_LT(screenTime, 400u);
    EXPECT_EQ(VskInt(Sys(VSK_SYS_TEXTCOLOR(0)), 2), 100);
    start = timeGetTime();
    ASSERT_EQ(Text(9, rc, "@W[100]AB@G[3]"), 1);
    EXPECT_LT(timeGetTime() - start, 50u) << "never on the cell";
}

TEST_F(TextEngine, TheCellTargetHoldingAStringDrawsNothingAndTheLayoutGoesOn) {
    UseCell(false);
    RECT rc{0, 0, 160, 96};
    EXPECT_EQ(Text(9, rc, "@E[31,0,0]##@G[1]"), 1);
    EXPECT_EQ(Column(9), 4);
    EXPECT_EQ(Colours(9, 0, 0, 160, 96), std::set<WORD>{0});
    EXPECT_EQ(VSKEXEC_String(ctx, 9, &rc, "#", 0x7FFF, 0x110), 0) << "not usable";
    *Sys(VSK_SYS_SCREEN(3)) = tagVALUE{};
    EXPECT_EQ(VSKEXEC_String(ctx, 3, &rc, "#", 0x7FFF, 0x110), 0) << "a screen never made";
    EXPECT_EQ(VSKEXEC_Text(ctx, 10, &rc, "#"), 0);
    EXPECT_EQ(VSKEXEC_Text(ctx, -1, &rc, "#"), 0);
}

TEST_F(TextEngine, ParameterErrorsShowTheirMessageAndEndTheLayout) {
    const struct {
        const char* text;
        const char8_t* message;
    } kCases[] = {
        {"@C31,0,0]", u8"シーケンス・パラメータ開始の括弧がありません。"},
        {"@L@W[5", u8"シーケンス・パラメータ終了の括弧がありません。"},
        {"@W[5,6]", u8"シーケンス・パラメータ終了の括弧がありません。"},
        {"@C[5]", u8"シーケンス第２パラメータが指定されていません。"},
        {"@P[5 6]", u8"シーケンス第２パラメータが指定されていません。"},
        {"@E[5,6]", u8"シーケンス第３パラメータが指定されていません。"},
    };
    RECT rc{0, 0, 160, 96};
    for (const auto& c : kCases) {
        Boxes boxes;
        EXPECT_EQ(Text(9, rc, c.text), 0) << c.text;
        ASSERT_EQ(boxes.Count(), 1u) << c.text;
        EXPECT_EQ(boxes.All()[0].caption, U8(u8"『Veskeran33』実行マネージャ(VSKEXEC.DLL)"));
        EXPECT_EQ(boxes.All()[0].text, U8(c.message)) << c.text;
    }
    Boxes boxes;
    EXPECT_EQ(Text(9, rc, "@W[9999999999]"), 0) << "a number out of range";
    EXPECT_EQ(boxes.Count(), 1u) << "the value library's message";
}

TEST_F(TextEngine, TheTextsEndIsItsEndAfterALeadByteOrAnAt) {
    RECT rc{0, 0, 160, 96};
    // What lies past the terminating 0 must not be read.
    const char atEnd[] = "#@\0####";
    EXPECT_EQ(Text(9, rc, atEnd), 1);
    EXPECT_EQ(Column(9), 1);
    TextState(9, 0, 0, 0x7FFF, 0, 0);
    const char leadEnd[] = "#\x82\0####";
    EXPECT_EQ(Text(9, rc, leadEnd), 1);
    EXPECT_EQ(Column(9), 1);
}

TEST_F(TextEngine, ACharacterSizeBelowOneFailsTheLayoutWithItsMessage) {
    RECT rc{0, 0, 160, 96};
    const int sizes[][2] = {{0, kH}, {kW, 0}, {-3, kH}};
    for (const auto& size : sizes) {
        TextState(9, 0, 0, 0x7FFF, 0, 0, size[0], size[1]);
        Boxes boxes;
        EXPECT_EQ(Text(9, rc, "#"), 0) << size[0] << " x " << size[1];
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{U8(u8"文字サイズが設定されていません。")})
            << size[0] << " x " << size[1];
    }
}

TEST_F(TextEngine, VariablesAreShownAndNestingStopsAtEightLevels) {
    RECT rc{0, 0, 160, 96};
    tagVALUE self = Str(ctx, "x@V[1]");
    VSKVAL_Set(ctx, &ctx->vbuser, 1, &self);
    tagVALUE number = Num(ctx, "12.5");
    VSKVAL_Set(ctx, &ctx->vbuser, 2, &number);
    tagVALUE text = Str(ctx, "ab");
    VSKVAL_Set(ctx, &ctx->vbuser, 3, &text);
    Boxes boxes;
    EXPECT_EQ(Text(9, rc, "@V[2]"), 1);
    EXPECT_EQ(Column(9), 4) << "\"12.5\"";
    EXPECT_EQ(Text(9, rc, "@L@V[3]"), 1);
    EXPECT_EQ(Column(9), 2) << "a string without its quotes";
    EXPECT_EQ(Text(9, rc, "@L@V[1]"), 1);
    EXPECT_EQ(Column(9), 8) << "eight levels of \"x\", the ninth \"@V\" skipped";
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(TextEngine, AStringIsDrawnAtOnceWithItsOwnColour) {
    RECT rc{0, 0, 160, 96};
    for (int n : {0, 9}) {
        EXPECT_EQ(VSKEXEC_String(ctx, n, &rc, "####", 0x001F, 0x110), 1);
        EXPECT_EQ(Colours(n, 0, 0, 160, 96).count(0x001F), 1u) << n;
        EXPECT_EQ(VskInt(Sys(VSK_SYS_TEXTCOLOR(n)), 0), 0x7FFF) << "the target's colour stays";
        EXPECT_EQ(Column(n), 0) << "and its cursor";
    }
}

TEST_F(TextEngine, TheMouseOfAScreenWithoutWindowIsNowhere) {
    POINT p{1, 1};
    EXPECT_EQ(VSKEXEC_GetMousePos(ctx, 5, &p), 0);
    EXPECT_EQ(p.x, -32767);
    EXPECT_EQ(p.y, -32767);
}

}  // namespace
