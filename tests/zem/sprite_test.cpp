// Sprites over a screen whose right half holds the clean background: slots, ordering,
// frames, the dirty-rectangle refresh as the window shows it, and hit tests.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include <wynplat.h>

#include "cell_fixture.h"
#include "draw.h"
#include "zem40.h"

namespace {

constexpr int kW = 120, kH = 90;  // the window and the sprite area; the background lies right of it
const RECT kArea{0, 0, kW, kH};
const RECT kBack{kW, 0, 2 * kW, kH};

class ZemSprites : public ::testing::Test {
  protected:
    void SetUp() override {
        hwnd = MakeTestWindow(kW, kH);
        ASSERT_NE(hwnd, nullptr);
        scr = ZEM_Start(ZEM_START_DEPTH16, hwnd, kW, kH, 2 * kW, kH);
        ASSERT_NE(scr, nullptr);
        ZEM_MaskFlag(scr, 0);
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) Px(kW + x, y) = BackgroundAt(x, y);
        ZEM_MaskFlag(scr, 1);
        ASSERT_EQ(ZEM_InitSprite(scr, &kArea, &kBack), 1);
        ASSERT_EQ(ZEM_RefreshAllSprite(scr), 1);
    }
    void TearDown() override {
        ZEM_End(scr);
        DestroyWindow(hwnd);
    }
    ZEMPIXEL& Px(int x, int y) {
        return static_cast<ZEMPIXEL*>(scr->bits)[size_t(y) * scr->width + x];
    }
    std::vector<uint32_t> Shot() {
        int w = 0, h = 0;
        WynPlat_CaptureWindow(hwnd, nullptr, 0, &w, &h);
        std::vector<uint32_t> px(size_t(w) * h);
        WynPlat_CaptureWindow(hwnd, px.data(), int(px.size()), &w, &h);
        EXPECT_EQ(w, kW);
        return px;
    }
    // Both the screen and the window show `want` at x, y.
    void ExpectShown(int x, int y, ZEMPIXEL want, const char* what) {
        EXPECT_EQ(Px(x, y), want) << what << " in the screen at " << x << "," << y;
        EXPECT_EQ(FromWindow(Shot()[size_t(y) * kW + x]), want)
            << what << " in the window at " << x << "," << y;
    }
    HWND hwnd = nullptr;
    HZEMSCREEN scr = nullptr;
};

TEST_F(ZemSprites, AMovedSpriteLeavesNoTrace) {
    ExpectShown(15, 15, BackgroundAt(15, 15), "the background after the full refresh");
    TestCell red(8, 8, 0x7C00);
    ASSERT_EQ(ZEM_CreateSprite(scr, 5, &red.cell, 0, 0), 1);
    ASSERT_EQ(ZEM_SetSprite(scr, 5, 10, 10, 1, 0, -1), 1);
    ZEM_RefreshSprite(scr);
    ExpectShown(12, 12, 0x7C00, "the sprite");
    // Moves: far away, then by one pixel (old and new rectangles overlap), then out of the area.
    struct Move {
        int x, y;
    } moves[] = {{60, 40}, {61, 41}, {200, 10}};
    int ox = 10, oy = 10;
    for (const auto& m : moves) {
        ZEM_SetSprite(scr, 5, m.x, m.y, -1, -1, -1);
        ZEM_RefreshSprite(scr);
        for (int y = oy; y < oy + 8; ++y)
            for (int x = ox; x < ox + 8; ++x) {
                const bool under = x >= m.x && x < m.x + 8 && y >= m.y && y < m.y + 8;
                ASSERT_EQ(Px(x, y), under ? 0x7C00 : BackgroundAt(x, y))
                    << "move to " << m.x << "," << m.y << ": " << x << "," << y;
            }
        if (m.x < kW) ExpectShown(m.x + 7, m.y + 7, 0x7C00, "the moved sprite");
        ExpectShown(ox, oy, BackgroundAt(ox, oy), "the old place");
        ox = m.x;
        oy = m.y;
    }
    EXPECT_EQ(scr->drawncount, 0) << "outside the area: not drawn";
    EXPECT_EQ(scr->lastcount, 0);
}

TEST_F(ZemSprites, OverlappingRectanglesAreMergedAndShownAsOne) {
    TestCell a(10, 10, 0x03E0), b(10, 10, 0x001F);
    ZEM_CreateSprite(scr, 1, &a.cell, 0, 0);
    ZEM_CreateSprite(scr, 2, &b.cell, 0, 0);
    ZEM_SetSprite(scr, 1, 20, 20, 1, 0, -1);
    ZEM_SetSprite(scr, 2, 25, 25, 1, 0, -1);
    // A pixel changed behind the library's back inside the union but outside both sprites
    // reaches the window only when the union is what was shown.
    Px(32, 22) = 0x7FFF;
    Px(100, 80) = 0x7FFF;
    ZEM_RefreshSprite(scr);
    ASSERT_EQ(scr->lastcount, 1);
    EXPECT_EQ(scr->lastrect[0].left, 20);
    EXPECT_EQ(scr->lastrect[0].top, 20);
    EXPECT_EQ(scr->lastrect[0].right, 35);
    EXPECT_EQ(scr->lastrect[0].bottom, 35);
    const auto shot = Shot();
    EXPECT_EQ(FromWindow(shot[22 * kW + 32]), 0x7FFF) << "inside the union";
    EXPECT_NE(FromWindow(shot[80 * kW + 100]), 0x7FFF) << "outside every rectangle";
    EXPECT_EQ(FromWindow(shot[22 * kW + 22]), 0x03E0);
    EXPECT_EQ(FromWindow(shot[33 * kW + 33]), 0x001F);
}

struct MergeCase {
    const char* name;
    std::vector<RECT> in;
    std::vector<RECT> out;
};

TEST(ZemSpriteRects, MergeKeepsOrderAndSwallowsWhatGrowsIntoReach) {
    const MergeCase cases[] = {
        {"apart", {{0, 0, 2, 2}, {5, 5, 6, 6}}, {{0, 0, 2, 2}, {5, 5, 6, 6}}},
        {"touching edges do not meet", {{0, 0, 2, 2}, {2, 0, 4, 2}}, {{0, 0, 2, 2}, {2, 0, 4, 2}}},
        {"overlap", {{0, 0, 4, 4}, {3, 3, 6, 6}}, {{0, 0, 6, 6}}},
        // The first meets the third only after it swallowed the second: a second pass.
        {"chain", {{0, 0, 3, 3}, {10, 10, 12, 12}, {2, 2, 11, 11}}, {{0, 0, 12, 12}}},
        {"empties drop out", {{0, 0, 0, 5}, {1, 1, 2, 2}, {4, 4, 4, 4}}, {{1, 1, 2, 2}}},
        {"later ones stay in order",
         {{0, 0, 1, 1}, {5, 0, 6, 1}, {0, 5, 1, 6}, {5, 0, 7, 1}},
         {{0, 0, 1, 1}, {5, 0, 7, 1}, {0, 5, 1, 6}}},
    };
    for (const auto& c : cases) {
        std::vector<RECT> r = c.in;
        const int n = zem::MergeRects(r.data(), int(r.size()));
        ASSERT_EQ(n, int(c.out.size())) << c.name;
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(r[i].left, c.out[i].left) << c.name << " #" << i;
            EXPECT_EQ(r[i].top, c.out[i].top) << c.name << " #" << i;
            EXPECT_EQ(r[i].right, c.out[i].right) << c.name << " #" << i;
            EXPECT_EQ(r[i].bottom, c.out[i].bottom) << c.name << " #" << i;
        }
    }
}

TEST_F(ZemSprites, OrderByZThenSlotAndTheTopOneIsHit) {
    TestCell red(8, 8, 0x7C00), green(8, 8, 0x03E0), blue(8, 8, 0x001F);
    ZEM_CreateSprite(scr, 7, &red.cell, 0, 0);
    ZEM_CreateSprite(scr, 3, &green.cell, 0, 0);
    ZEM_CreateSprite(scr, 9, &blue.cell, 0, 0);
    struct OrderCase {
        const char* name;
        int z7, z3, z9;
        ZEMPIXEL shown;
        int hit;
    } cases[] = {
        {"equal z: the higher slot on top", 5, 5, 5, 0x001F, 9},
        {"equal z of two, the third below", 5, 5, 1, 0x7C00, 7},
        {"lowest z drawn first", 2, 9, 4, 0x03E0, 3},
        {"negative z is visible, below", -3, -1, -2, 0x03E0, 3},
        {"z 0 neither drawn nor hit", 0, 0, 1, 0x001F, 9},
        {"all hidden", 0, 0, 0, BackgroundAt(30, 30), -1},
    };
    for (const auto& c : cases) {
        ZEM_SetSprite(scr, 7, 28, 28, c.z7, -1, -1);
        ZEM_SetSprite(scr, 3, 28, 28, c.z3, -1, -1);
        ZEM_SetSprite(scr, 9, 28, 28, c.z9, -1, -1);
        ZEM_RefreshSprite(scr);
        EXPECT_EQ(Px(30, 30), c.shown) << c.name;
        EXPECT_EQ(ZEM_HitSprite(scr, 30, 30, 0), c.hit) << c.name;
        EXPECT_EQ(ZEM_HitSprite(scr, 30, 30, 1), c.hit) << c.name << " (pixel test)";
        const int visible = (c.z7 != 0) + (c.z3 != 0) + (c.z9 != 0);
        EXPECT_EQ(scr->drawncount, visible) << c.name;
    }
    EXPECT_EQ(ZEM_HitSprite(scr, 27, 30, 0), -1) << "beside every sprite";
}

TEST_F(ZemSprites, HitTestsSeeTheLastRefreshAndWhatWasDrawn) {
    // A 4x2 cell: the left column keyed (0), a half-transparent pixel, opaque elsewhere.
    TestCell top(4, 2, 0x7FFF, 0x0000), below(4, 2, 0x03E0);
    top.at(0, 0) = top.at(0, 1) = 0x0000;
    top.at(2, 1) = 0x8000 | 0x7FFF;
    ZEM_CreateSprite(scr, 1, &below.cell, 0, 0);
    ZEM_CreateSprite(scr, 2, &top.cell, 0, 0);
    ZEM_SetSprite(scr, 1, 40, 40, 1, 0, -1);
    ZEM_SetSprite(scr, 2, 40, 40, 2, 0, -1);
    ZEM_RefreshSprite(scr);
    struct HitCase {
        const char* name;
        int flags;  // the key word bits given to the top sprite
        int x, y, test, hit;
    } cases[] = {
        {"opaque pixel", 0, 41, 40, 1, 2},
        {"keyed pixel falls through", 0, 40, 40, 1, 1},
        {"keyed pixel without the pixel test", 0, 40, 40, 0, 2},
        {"half-transparent pixel falls through", 0, 42, 41, 1, 1},
        {"mirrored: the keyed column is on the right", ZEM_MIRROR, 43, 40, 1, 1},
        {"mirrored: the left column is opaque", ZEM_MIRROR, 40, 40, 1, 2},
        {"flipped: the half pixel is in the top row", ZEM_FLIP, 42, 40, 1, 1},
        {"flipped: the bottom row's pixel is opaque", ZEM_FLIP, 42, 41, 1, 2},
        {"no key: every pixel was drawn", int(ZEM_NOKEY), 40, 40, 1, 2},
    };
    for (const auto& c : cases) {
        ZEM_SetSprite(scr, 2, -1, -1, -1, -1, c.flags);
        ZEM_RefreshSprite(scr);
        EXPECT_EQ(ZEM_HitSprite(scr, c.x, c.y, c.test), c.hit) << c.name;
    }
    // A frame reaching past its cell: the part outside the cell was not drawn and lets the
    // point through to the sprite below.
    ZEM_DeleteSprite(scr, 2);
    ZEM_CreateSprite(scr, 2, &top.cell, 6, 2);
    ZEM_SetSprite(scr, 2, 38, 40, 2, 0, 0);
    ZEM_RefreshSprite(scr);
    EXPECT_EQ(ZEM_HitSprite(scr, 43, 40, 1), 1) << "past the cell's right edge";
    // Hit tests see where sprites were drawn, not where they were moved since.
    ZEM_SetSprite(scr, 1, 80, 80, -1, -1, -1);
    ZEM_SetSprite(scr, 2, 80, 80, -1, -1, -1);
    EXPECT_EQ(ZEM_HitSprite(scr, 41, 41, 0), 2);
    EXPECT_EQ(ZEM_HitSprite(scr, 81, 81, 0), -1);
}

TEST_F(ZemSprites, PatternsPickFramesOfTheGrid) {
    // A 5x3 grid of 4x2 frames, each filled with a colour naming its column and row.
    TestCell sheet(20, 6, 0);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 20; ++x) sheet.at(x, y) = UMB_MakePixel(x / 4 + 1, y / 2 + 1, 0);
    ASSERT_EQ(ZEM_CreateSprite(scr, 0, &sheet.cell, 4, 2), 1);
    EXPECT_EQ(scr->sprite[0].src.right, 4) << "the first frame";
    struct PatternCase {
        int pattern, col, row;
    } cases[] = {{0, 0, 0}, {203, 3, 2}, {4, 4, 0}, {101, 1, 1}};
    for (const auto& c : cases) {
        ASSERT_EQ(ZEM_SetSprite(scr, 0, 50, 50, 1, c.pattern, -1), 1);
        EXPECT_EQ(scr->sprite[0].src.left, c.col * 4) << c.pattern;
        EXPECT_EQ(scr->sprite[0].src.top, c.row * 2) << c.pattern;
        ZEM_RefreshSprite(scr);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x)
                EXPECT_EQ(Px(50 + x, 50 + y), UMB_MakePixel(c.col + 1, c.row + 1, 0))
                    << "pattern " << c.pattern << " at " << x << "," << y;
    }
}

TEST_F(ZemSprites, SlotsAndArguments) {
    TestCell a(6, 4, 0x7C00), b(6, 4, 0x03E0);
    a.cell.xoffset = -3;
    a.cell.yoffset = 2;
    a.cell.mask = 0x1234;
    a.cell.xpos = 3;  // a frame size of 0 takes the cell's placement fields
    a.cell.ypos = 2;
    ASSERT_EQ(ZEM_CreateSprite(scr, 99, &a.cell, 0, 0), 1);
    const tagZEMSPRITE& s = scr->sprite[99];
    EXPECT_EQ(s.xsize, 3);
    EXPECT_EQ(s.ysize, 2);
    EXPECT_EQ(s.flags, 0x1234u);
    // Refused: numbers out of range, a used slot (the old sprite stays), an unused slot.
    EXPECT_EQ(ZEM_CreateSprite(scr, 100, &b.cell, 0, 0), 0);
    EXPECT_EQ(ZEM_CreateSprite(scr, -1, &b.cell, 0, 0), 0);
    EXPECT_EQ(ZEM_CreateSprite(scr, 99, &b.cell, 0, 0), 0);
    EXPECT_EQ(s.cell, &a.cell);
    EXPECT_EQ(ZEM_SetSprite(scr, 98, 0, 0, 1, 0, 0), 0);
    EXPECT_EQ(ZEM_SetSprite(scr, 100, 0, 0, 1, 0, 0), 0);
    EXPECT_EQ(ZEM_DeleteSprite(scr, 100), 0);
    // Offsets are added; flags keep the key.
    ASSERT_EQ(ZEM_SetSprite(scr, 99, 10, 20, 4, 1, ZEM_MIRROR), 1);
    EXPECT_EQ(s.x, 7);
    EXPECT_EQ(s.y, 22);
    EXPECT_EQ(s.z, 4);
    EXPECT_EQ(s.flags, ZEM_MIRROR | 0x1234u);
    EXPECT_EQ(s.src.left, 3);
    // All -1 changes nothing.
    const tagZEMSPRITE before = s;
    ASSERT_EQ(ZEM_SetSprite(scr, 99, -1, -1, -1, -1, -1), 1);
    EXPECT_EQ(std::memcmp(&before, &s, sizeof s), 0);
    // Deleting clears the slot; a new sprite there keeps position and z from nothing.
    EXPECT_EQ(ZEM_DeleteSprite(scr, 99), 1);
    EXPECT_EQ(s.cell, nullptr);
    EXPECT_EQ(s.z, 0);
    // Init clears every slot and both lists.
    ZEM_CreateSprite(scr, 4, &b.cell, 0, 0);
    ZEM_SetSprite(scr, 4, 1, 1, 1, 0, -1);
    ZEM_RefreshSprite(scr);
    EXPECT_EQ(scr->drawncount, 1);
    ZEM_InitSprite(scr, &kArea, &kBack);
    EXPECT_EQ(scr->sprite[4].cell, nullptr);
    EXPECT_EQ(scr->drawncount, 0);
    EXPECT_EQ(scr->lastcount, 0);
}

TEST_F(ZemSprites, InitRestoresTheOldBackgroundFirst) {
    TestCell red(8, 8, 0x7C00);
    ZEM_CreateSprite(scr, 0, &red.cell, 0, 0);
    ZEM_SetSprite(scr, 0, 5, 5, 1, 0, -1);
    ZEM_RefreshSprite(scr);
    ASSERT_EQ(Px(6, 6), 0x7C00);
    const RECT small{0, 0, 40, 40}, smallBack{kW, 0, kW + 40, 40};
    ZEM_InitSprite(scr, &small, &smallBack);
    ExpectShown(6, 6, BackgroundAt(6, 6), "the old area's background");
}

TEST_F(ZemSprites, AZoomedScreenTakesTheFullRefresh) {
    TestCell a(4, 4, 0x7C00), b(4, 4, 0x03E0);
    ZEM_CreateSprite(scr, 0, &a.cell, 0, 0);
    ZEM_CreateSprite(scr, 1, &b.cell, 0, 0);
    ZEM_SetSprite(scr, 0, 10, 10, 1, 0, -1);
    ZEM_SetSprite(scr, 1, 12, 12, 1, 0, -1);
    ZEM_SetZoom(scr, 150, 150);
    // A mark drawn into the area behind the library's back: the full refresh covers it with
    // the background; the incremental one would not have touched it.
    Px(70, 50) = 0x7FFF;
    ZEM_RefreshSprite(scr);
    EXPECT_EQ(Px(70, 50), BackgroundAt(70, 50));
    EXPECT_EQ(scr->lastcount, 2) << "the drawn rectangles, unmerged";
    const auto shot = Shot();
    EXPECT_EQ(FromWindow(shot[size_t(11 * 150 / 100) * kW + 11 * 150 / 100]), 0x7C00)
        << "stretched";
    EXPECT_EQ(FromWindow(shot[size_t(75) * kW + 105]), BackgroundAt(70, 50))
        << "the whole area shown";
}

TEST_F(ZemSprites, AdjustMovesTheAreaAndRedrawsIt) {
    TestCell a(4, 4, 0x7C00);
    ZEM_CreateSprite(scr, 0, &a.cell, 0, 0);
    ZEM_SetSprite(scr, 0, 2, 2, 1, 0, -1);
    const RECT area{0, 0, 60, 90};
    ASSERT_EQ(ZEM_AdjustSprite(scr, &area, nullptr), 1);
    EXPECT_EQ(scr->spritearea.right, 60);
    EXPECT_EQ(scr->background.left, kW) << "kept";
    ExpectShown(3, 3, 0x7C00, "the sprite after the full redraw");
    ZEM_SetSprite(scr, 0, 70, 2, -1, -1, -1);
    ZEM_RefreshSprite(scr);
    EXPECT_EQ(scr->drawncount, 0) << "outside the new area";
}

}  // namespace
