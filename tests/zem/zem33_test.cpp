// The older build zem33 where it differs from zem40: depths 15 and 16 (5-6-5) named by the
// flag word's low byte, 5-6-5 output of every drawing path, blends of equal pixels, lines
// past the clip rectangle.
#include <gtest/gtest.h>

#include <vector>

#include <wynplat.h>

#include "zem33.h"

namespace {

uint16_t At(HZEMSCREEN s, int x, int y) {
    return static_cast<const uint16_t*>(s->bits)[size_t(y) * s->width + x];
}

struct Pixel1 {
    ZEMPIXEL px;
    tagCELL cell{};
    explicit Pixel1(ZEMPIXEL p) : px(p) {
        cell = tagCELL{CELL_MODE_NORMAL, 1, 1, 1, 1, 0, 0, CELL_MASK_NONE, &px, 0};
    }
};

TEST(Zem33, TheFlagWordsLowByteIsTheDepthAndNeverAParent) {
    HZEMSCREEN plain = ZEM_Start(0, nullptr, 4, 4, 4, 4);
    ASSERT_NE(plain, nullptr);
    const int display = plain->depth;
    struct FlagCase {
        UINT_PTR flags;
        int depth;
        int debug;
    } cases[] = {
        {0x4000000F, 15, 0},      {0x40000010, 16, 0}, {0x40000018, 24, 0},
        {0x40000020, 32, 0},      {0x70000010, 16, 0},  // bits 28-29 mean nothing
        {0xC0000010, 16, 1},                            // debug flag
        {0x40000011, display, 0},                       // not a depth: the display's
        {0x41000000, display, 0},  // the current build's depth code means nothing here
        {0x00000010, display, 0},  // without bit 30 the low byte is ignored
    };
    // A live screen exists, yet none of these words is taken for a parent.
    for (const auto& c : cases) {
        HZEMSCREEN s = ZEM_Start(c.flags, nullptr, 4, 4, 4, 4);
        ASSERT_NE(s, nullptr) << std::hex << c.flags;
        EXPECT_EQ(s->parent, nullptr) << std::hex << c.flags;
        EXPECT_EQ(s->depth, c.depth) << std::hex << c.flags;
        EXPECT_EQ(s->debug, c.debug) << std::hex << c.flags;
        EXPECT_EQ(plain->sub[19], nullptr) << std::hex << c.flags;
        ZEM_End(s);
    }
    // A live screen's handle is still a parent.
    HZEMSCREEN sub = ZEM_Start(reinterpret_cast<UINT_PTR>(plain), nullptr, 4, 4, 4, 4);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->parent, plain);
    ZEM_End(plain);
}

TEST(Zem33, DrawingOnDepth16Writes565AndDepth15KeepsZempixels) {
    struct DrawCase {
        const char* name;
        ZEMPIXEL src, dst;
        DWORD flags;
        uint16_t at16, at15;
    } cases[] = {
        {"opaque red", 0x7C00, 0, ZEM_NOKEY, 0xF800, 0x7C00},
        {"opaque green", 0x03E0, 0, ZEM_NOKEY, 0x07C0, 0x03E0},
        {"opaque blue", 0x001F, 0, ZEM_NOKEY, 0x001F, 0x001F},
        {"opaque white", 0x7FFF, 0, ZEM_NOKEY, 0xFFDF, 0x7FFF},
        {"half white over black", 0xFFFF, 0, ZEM_NOKEY, 0x7BCF, 0x3DEF},
        {"half white over white", 0xFFFF, 0x7FFF, ZEM_NOKEY, 0xF79E, 0x7BDE},
        {"keyed: the screen stays", 0x1234, 0x7C00, 0x1234, 0xF800, 0x7C00},
    };
    for (int depth : {16, 15}) {
        HZEMSCREEN s = ZEM_Start(ZEM33_START_DEPTH(depth), nullptr, 4, 1, 4, 1);
        ASSERT_EQ(s->depth, depth);
        for (const auto& c : cases) {
            const RECT r{0, 0, 1, 1};
            ZEM_ClearScreen(s, &r, c.dst);
            Pixel1 p(c.src);
            ZEM_DisplayScreen(s, 0, 0, &p.cell, nullptr, c.flags);
            EXPECT_EQ(At(s, 0, 0), depth == 16 ? c.at16 : c.at15)
                << c.name << " at depth " << depth;
        }
        // Tint: level 0 is the tint colour itself, in the screen's format.
        Pixel1 p(0x7FFF);
        ZEM_DisplayScreen2(s, 1, 0, &p.cell, nullptr, ZEM_NOKEY, 0, 0x7C00);
        EXPECT_EQ(At(s, 1, 0), depth == 16 ? 0xF800 : 0x7C00) << "tint at depth " << depth;
        // Lines and clears convert their colour the same way.
        ZEM_LineScreen(s, 2, 0, 2, 0, 0x03E0);
        EXPECT_EQ(At(s, 2, 0), depth == 16 ? 0x07C0 : 0x03E0) << "line at depth " << depth;
        ZEM_End(s);
    }
}

TEST(Zem33, BlendsMixEqualPixelsToo) {
    struct BlendCase {
        const char* name;
        int depth;
        ZEMPIXEL src, dst;
        int level;
        uint16_t want;
    } cases[] = {
        {"white onto white, 5-5-5", 15, 0x7FFF, 0x7FFF, 8, 0x7BDE},
        {"white onto black, 5-5-5", 15, 0x7FFF, 0x0000, 8, 0x3DEF},
        {"white onto white, 5-6-5", 16, 0x7FFF, 0x7FFF, 8, 0xF7DE},
        {"white onto black, 5-6-5", 16, 0x7FFF, 0x0000, 8, 0x7BEF},
        {"red onto blue, 5-6-5, level 4", 16, 0x7C00, 0x001F, 4, (7 << 11) | 23},
    };
    for (const auto& c : cases) {
        HZEMSCREEN s = ZEM_Start(ZEM33_START_DEPTH(c.depth), nullptr, 4, 1, 4, 1);
        const RECT a{0, 0, 1, 1}, b{1, 0, 2, 1};
        ZEM_ClearScreen(s, &a, c.src);
        ZEM_ClearScreen(s, &b, c.dst);
        EXPECT_EQ(ZEM_BlendScreen(s, 1, 0, &a, c.level), 1) << c.name;
        EXPECT_EQ(At(s, 1, 0), c.want) << c.name;
        ZEM_End(s);
    }
}

TEST(Zem33, LinesIgnoreTheClipButNotTheScreen) {
    HZEMSCREEN s = ZEM_Start(ZEM33_START_DEPTH(15), nullptr, 8, 8, 8, 8);
    const RECT clip{2, 2, 6, 6};
    ZEM_ClipScreen(s, &clip);
    EXPECT_EQ(ZEM_LineScreen(s, -4, -4, 12, 12, 0x7FFF), 1);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(At(s, i, i), 0x7FFF) << i;
    ZEM_End(s);
}

TEST(Zem33, A565ScreenReachesTheWindowInItsColours) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "Zem33TestWindow";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "Zem33TestWindow", "zem33", WS_POPUP | WS_VISIBLE, 0, 0, 16, 8,
                                nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    HZEMSCREEN s = ZEM_Start(ZEM33_START_DEPTH(16), hwnd, 16, 8, 16, 8);
    const ZEMPIXEL colours[] = {0x7C00, 0x03E0, 0x001F, 0x7FFF};
    for (int i = 0; i < 4; ++i) {
        Pixel1 p(colours[i]);
        ZEM_DisplayScreen(s, i, 0, &p.cell, nullptr, ZEM_NOKEY);
    }
    // A sprite too: the same path.
    Pixel1 sp(0x7FE0);
    const RECT area{0, 0, 8, 8}, back{8, 0, 16, 8};
    ZEM_InitSprite(s, &area, &back);
    ZEM_CreateSprite(s, 0, &sp.cell, 1, 1);
    ZEM_SetSprite(s, 0, 5, 5, 1, 0, -1);
    ZEM_RefreshSprite(s);
    int w = 0, h = 0;
    std::vector<uint32_t> px(16 * 8);
    ASSERT_EQ(WynPlat_CaptureWindow(hwnd, px.data(), int(px.size()), &w, &h), 1);
    auto top5 = [](uint32_t rgb) {
        return ((rgb >> 19) & 31) << 10 | ((rgb >> 11) & 31) << 5 | ((rgb >> 3) & 31);
    };
    for (int i = 0; i < 4; ++i) EXPECT_EQ(top5(px[i]), colours[i]) << "colour " << i;
    EXPECT_EQ(top5(px[5 * 16 + 5]), 0x7FE0u) << "the sprite";
    ZEM_End(s);
    DestroyWindow(hwnd);
}

}  // namespace
