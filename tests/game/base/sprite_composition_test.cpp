// The game's sprite composition on a headless 2D screen, compared pixel by pixel with what the
// display library draws for the same sprites: merging of dirty rectangles, order, clip
// rectangles, tints, the erase from the background half, the zoomed screen's fall-back, and
// SetSpriteEx's fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screen_fixture.h"

namespace {

constexpr int kW = 160, kH = 120;

struct MergeCase {
    const char* name;
    std::vector<RECT> in;
    std::vector<RECT> out;
};

TEST(GameSprites, MergeRectsJoinsWhatIntersectsAndCompacts) {
    const RECT empty{0, 0, 0, 0};
    const MergeCase cases[] = {
        {"none", {}, {}},
        {"one", {{3, 3, 5, 5}}, {{3, 3, 5, 5}}},
        {"touching edges stay apart",
         {{0, 0, 10, 10}, {10, 0, 20, 10}},
         {{0, 0, 10, 10}, {10, 0, 20, 10}}},
        {"touching corners stay apart",
         {{0, 0, 10, 10}, {10, 10, 20, 20}},
         {{0, 0, 10, 10}, {10, 10, 20, 20}}},
        {"overlap", {{0, 0, 4, 4}, {3, 3, 6, 6}}, {{0, 0, 6, 6}}},
        // The first reaches the second only after it swallowed the third: the scan repeats.
        {"a chain merges", {{0, 0, 10, 10}, {20, 0, 30, 10}, {5, 0, 25, 10}}, {{0, 0, 30, 10}}},
        {"empty ones are compacted away",
         {empty, {0, 0, 5, 5}, {7, 7, 7, 9}, {8, 8, 9, 9}},
         {{0, 0, 5, 5}, {8, 8, 9, 9}}},
        {"later ones merge and keep their order",
         {{0, 0, 2, 2}, {10, 10, 20, 20}, {50, 50, 60, 60}, {15, 15, 30, 30}},
         {{0, 0, 2, 2}, {10, 10, 30, 30}, {50, 50, 60, 60}}},
    };
    for (const MergeCase& c : cases) {
        std::vector<RECT> r = c.in;
        r.push_back(RECT{1, 2, 3, 4});  // past n: never touched
        const int n = MergeRects(r.data(), int(c.in.size()));
        ASSERT_EQ(n, int(c.out.size())) << c.name;
        for (size_t i = 0; i < c.in.size(); ++i) {
            const RECT want = i < c.out.size() ? c.out[i] : empty;
            EXPECT_TRUE(EqualRect(&r[i], &want))
                << c.name << " #" << i << ": " << r[i].left << "," << r[i].top << "," << r[i].right
                << "," << r[i].bottom;
        }
        EXPECT_EQ(r.back().right, 3) << c.name;
    }
}

class Composition : public ::testing::Test {
  protected:
    Composition() : screen_(kW, kH), ref_(kW, kH) {}
    void SetUp() override { ASSERT_NE(screen_.screen(), nullptr); }
    HZEMSCREEN s() { return screen_.screen(); }
    void Place(int n, TestCell& c, int x, int y, int z) {
        ASSERT_EQ(ZEM_CreateSprite(s(), n, &c.cell, 0, 0), 1);
        ASSERT_EQ(ZEM_SetSprite(s(), n, x, y, z, 0, -1), 1);
    }
    // The whole shown half against the reference.
    void ExpectLikeReference(const std::string& what) {
        std::string where;
        EXPECT_EQ(Differences(screen_, ref_, RECT{0, 0, kW, kH}, &where), 0)
            << what << ": first at " << where;
    }
    // The window shows what the screen holds.
    void ExpectWindowLikeScreen(const std::string& what) {
        const std::vector<ZEMPIXEL> shown = screen_.Shown();
        int n = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) n += shown[size_t(y) * kW + x] != screen_.Px(x, y);
        EXPECT_EQ(n, 0) << what;
    }
    GameScreen screen_;
    ReferenceScreen ref_;
};

TEST_F(Composition, OrderByZThenNumberAndTheWindowGetsIt) {
    TestCell red(20, 20, 0x7c00), green(20, 20, 0x03e0), blue(20, 20, 0x001f, 0x001f);
    blue.at(5, 5) = 0x7fff;  // keyed but for one pixel
    Place(5, red, 10, 10, 2);
    Place(3, green, 15, 15, 2);
    Place(7, blue, 5, 5, 1);
    Place(9, green, 100, 10, 0);  // z 0: not drawn
    ASSERT_EQ(DrawSprites(s()), 1);
    // Lowest z first; equal z in number order, so 5 lands over 3.
    ZEM_DisplayScreen(ref_.screen(), 5, 5, &blue.cell, nullptr, 0x001f);
    ZEM_DisplayScreen(ref_.screen(), 15, 15, &green.cell, nullptr, CELL_MASK_NONE);
    ZEM_DisplayScreen(ref_.screen(), 10, 10, &red.cell, nullptr, CELL_MASK_NONE);
    ExpectLikeReference("three sprites");
    ExpectWindowLikeScreen("three sprites");
    ASSERT_EQ(s()->drawncount, 3);
    EXPECT_EQ(s()->drawn[0], 7);
    EXPECT_EQ(s()->drawn[1], 3);
    EXPECT_EQ(s()->drawn[2], 5);
    // The three rectangles overlap: one dirty rectangle, kept for the next erase.
    ASSERT_EQ(s()->lastcount, 1);
    const RECT all{5, 5, 35, 35};
    EXPECT_TRUE(EqualRect(&s()->lastrect[0], &all));
    // The hit test sees the composition.
    EXPECT_EQ(ZEM_HitSprite(s(), 12, 12, 1), 5);
    EXPECT_EQ(ZEM_HitSprite(s(), 6, 6, 1), -1) << "keyed pixel of the lowest";
}

TEST_F(Composition, EraseRestoresExactlyAndAMoveLeavesNoTrace) {
    TestCell red(12, 8, 0x7c00), green(6, 6, 0x03e0);
    Place(1, red, 20, 20, 1);
    Place(2, green, 60, 40, 1);
    DrawSprites(s());
    ASSERT_EQ(s()->lastcount, 2);
    ASSERT_EQ(EraseSprites(s()), 1);
    ExpectLikeReference("erased");
    // A frame moves the red one far and the green one by a pixel.
    ZEM_SetSprite(s(), 1, 100, 90, -1, -1, -1);
    ZEM_SetSprite(s(), 2, 61, 41, -1, -1, -1);
    DrawSprites(s());
    EraseSprites(s());
    DrawSprites(s());
    ZEM_DisplayScreen(ref_.screen(), 100, 90, &red.cell, nullptr, CELL_MASK_NONE);
    ZEM_DisplayScreen(ref_.screen(), 61, 41, &green.cell, nullptr, CELL_MASK_NONE);
    ExpectLikeReference("moved");
    // The old places reached the window too: last frame's rectangles are refreshed with this
    // frame's.
    ExpectWindowLikeScreen("moved");
    // Hidden: the next erase restores its place, and then nothing is left to erase.
    ZEM_SetSprite(s(), 1, -1, -1, 0, -1, -1);
    ZEM_SetSprite(s(), 2, -1, -1, 0, -1, -1);
    EraseSprites(s());
    DrawSprites(s());
    EXPECT_EQ(s()->lastcount, 0);
    ReferenceScreen clean(kW, kH);
    std::string where;
    EXPECT_EQ(Differences(screen_, clean, RECT{0, 0, kW, kH}, &where), 0) << where;
    ExpectWindowLikeScreen("hidden");
    EXPECT_EQ(ZEM_MaskFlag(s(), 0), 0) << "automatic refresh stays as it was";
    const RECT whole{0, 0, 2 * kW, kH};
    EXPECT_TRUE(EqualRect(&s()->clip, &whole)) << "clip back at the whole screen";
}

TEST_F(Composition, ClipRectanglesCutAndHide) {
    TestCell red(20, 20, 0x7c00), green(20, 20, 0x03e0);
    Place(4, red, 10, 10, 1);
    Place(6, green, 80, 10, 1);
    // Sprite 4 shows only its lower right quarter; sprite 6 lies wholly outside its clip.
    const RECT clip4{20, 20, 200, 200}, clip6{0, 60, 40, 100};
    ASSERT_EQ(SetSpriteClip(s(), 4, &clip4), 1);
    ASSERT_EQ(SetSpriteClip(s(), 6, &clip6), 1);
    // Cut to the sprite area.
    const RECT cut4{20, 20, kW, kH};
    EXPECT_TRUE(EqualRect(&GetSpriteLook(4)->clip, &cut4));
    DrawSprites(s());
    ZEM_ClipScreen(ref_.screen(), &cut4);
    ZEM_DisplayScreen(ref_.screen(), 10, 10, &red.cell, nullptr, CELL_MASK_NONE);
    ExpectLikeReference("clipped");
    // The hidden one is neither drawn nor kept for the erase.
    ASSERT_EQ(s()->drawncount, 1);
    EXPECT_EQ(s()->drawn[0], 4);
    ASSERT_EQ(s()->lastcount, 1);
    const RECT whole4{10, 10, 30, 30};
    EXPECT_TRUE(EqualRect(&s()->lastrect[0], &whole4));
    // A moved clip (the strip board moves with the window layout).
    ASSERT_EQ(OffsetSpriteClip(s(), 6, 80, -50), 1);
    const RECT moved6{80, 10, 120, 50};
    EXPECT_TRUE(EqualRect(&GetSpriteLook(6)->clip, &moved6));
    EraseSprites(s());
    DrawSprites(s());
    ZEM_ClipScreen(ref_.screen(), nullptr);
    ZEM_DisplayScreen(ref_.screen(), 80, 10, &green.cell, nullptr, CELL_MASK_NONE);
    ExpectLikeReference("clip moved over the sprite");
    EXPECT_EQ(SetSpriteClip(s(), 100, &clip4), 0);
    EXPECT_EQ(OffsetSpriteClip(s(), -1, 1, 1), 0);
}

TEST_F(Composition, TintLevelAndColourMixTheSprite) {
    TestCell cell(16, 16, 0x7fff);
    for (int i = 0; i < 16; ++i) cell.at(i, i) = 0x001f;
    struct Case {
        int level, tint;
    };
    const Case cases[] = {{16, 0}, {14, 0x001f}, {8, 0x7c00}, {0, 0x03e0}, {10, 0}};
    Place(2, cell, 30, 30, 1);
    for (const Case& c : cases) {
        SetSpriteEx(s(), 2, -1, -1, -1, -1, -1, c.level, c.tint);
        EraseSprites(s());
        DrawSprites(s());
        ZEM_DisplayScreen2(ref_.screen(), 30, 30, &cell.cell, nullptr, CELL_MASK_NONE, c.level,
                           ZEMPIXEL(c.tint));
        ExpectLikeReference("level " + std::to_string(c.level));
    }
}

TEST_F(Composition, AZoomedScreenTakesTheLibrarysRefresh) {
    TestCell red(20, 20, 0x7c00);
    Place(3, red, 10, 10, 1);
    // Neither the clip nor the tint is the library's.
    const RECT away{100, 100, 120, 120};
    SetSpriteClip(s(), 3, &away);
    SetSpriteEx(s(), 3, -1, -1, -1, -1, -1, 0, 0x001f);
    ZEM_SetZoom(s(), 200, 200);
    ASSERT_EQ(s()->zoomx, 200);
    ASSERT_EQ(DrawSprites(s()), 1);
    ZEM_DisplayScreen(ref_.screen(), 10, 10, &red.cell, nullptr, CELL_MASK_NONE);
    ExpectLikeReference("zoomed");
    ZEM_SetSprite(s(), 3, 50, 50, -1, -1, -1);
    ASSERT_EQ(EraseSprites(s()), 1);
    ReferenceScreen moved(kW, kH);
    ZEM_DisplayScreen(moved.screen(), 50, 50, &red.cell, nullptr, CELL_MASK_NONE);
    std::string where;
    EXPECT_EQ(Differences(screen_, moved, RECT{0, 0, kW, kH}, &where), 0) << where;
}

TEST_F(Composition, SetSpriteExStoresWhatItIsGiven) {
    TestCell sheet(40, 24, 0x7c00, 0x1234);
    sheet.cell.xpos = 10;
    sheet.cell.ypos = 8;
    sheet.cell.xoffset = 3;
    sheet.cell.yoffset = -2;
    ASSERT_EQ(ZEM_CreateSprite(s(), 8, &sheet.cell, 0, 0), 1);
    const tagZEMSPRITE& sp = s()->sprite[8];
    struct LevelCase {
        int given, stored;
    };
    // Only -1 leaves the level; below 1 is 0, above 16 is 16.
    const LevelCase levels[] = {{20, 16}, {7, 7}, {-1, 7}, {-5, 0}, {1, 1}, {16, 16}, {0, 0}};
    for (const LevelCase& c : levels) {
        EXPECT_EQ(SetSpriteEx(s(), 8, -1, -1, -1, -1, -1, c.given, -1), 1);
        EXPECT_EQ(GetSpriteLook(8)->level, c.stored) << c.given;
    }
    EXPECT_EQ(SetSpriteEx(s(), 8, -1, -1, -1, -1, -1, -1, 0x7c00), 1);
    EXPECT_EQ(GetSpriteLook(8)->tint, 0x7c00);
    // The key word's flags are ORed over the key.
    EXPECT_EQ(sp.flags, 0x1234u);
    SetSpriteEx(s(), 8, -1, -1, -1, -1, int(ZEM_MIRROR), -1, -1);
    EXPECT_EQ(sp.flags, ZEM_MIRROR | 0x1234u);
    SetSpriteEx(s(), 8, -1, -1, -1, -1, int(ZEM_FLIP), -1, -1);
    EXPECT_EQ(sp.flags, ZEM_FLIP | 0x1234u);
    // A pattern picks its frame.
    SetSpriteEx(s(), 8, -1, -1, -1, 102, -1, -1, -1);
    const RECT frame{20, 8, 30, 16};
    EXPECT_TRUE(EqualRect(&sp.src, &frame));
    EXPECT_EQ(sp.pattern, 102);
    // Positions take the cell's offsets; z as given.
    SetSpriteEx(s(), 8, 50, 60, 4, -1, -1, -1, -1);
    EXPECT_EQ(sp.x, 53);
    EXPECT_EQ(sp.y, 58);
    EXPECT_EQ(sp.z, 4);
    SetSpriteEx(s(), 8, 53, -1, -1, -1, -1, -1, -1);
    EXPECT_EQ(sp.x, 56) << "a position equal to the stored one still takes the offset";
    // Refused: a number outside 0-99; a position for an empty slot (nothing changes).
    EXPECT_EQ(SetSpriteEx(s(), 100, -1, -1, -1, -1, -1, 5, -1), 0);
    EXPECT_EQ(SetSpriteEx(s(), -1, -1, -1, -1, -1, -1, 5, -1), 0);
    EXPECT_EQ(SetSpriteEx(s(), 9, 10, -1, 3, -1, -1, 5, -1), 0);
    EXPECT_EQ(s()->sprite[9].z, 0);
    EXPECT_EQ(GetSpriteLook(9)->level, 16);
    // The look of an empty slot may be set (the command menu tints slots it may not use).
    EXPECT_EQ(SetSpriteEx(s(), 9, -1, -1, -1, -1, -1, 10, 0x7c00), 1);
    EXPECT_EQ(GetSpriteLook(9)->level, 10);
    // SetSpriteSize: the frame and its source rectangle.
    EXPECT_EQ(SetSpriteSize(s(), 8, 12, 6), 1);
    const RECT sized{0, 0, 12, 6};
    EXPECT_TRUE(EqualRect(&sp.src, &sized));
    EXPECT_EQ(sp.xsize, 12);
    EXPECT_EQ(SetSpriteSize(s(), 9, 12, 6), 0) << "no cell";
    EXPECT_EQ(SetSpriteSize(s(), 100, 12, 6), 0);
    // SpriteInit gives every sprite the area, level 16 and no tint again.
    const RECT area{0, 0, kW, kH}, background{kW, 0, 2 * kW, kH};
    SpriteInit(s(), &area, &background);
    EXPECT_EQ(GetSpriteLook(9)->level, 16);
    EXPECT_EQ(GetSpriteLook(8)->tint, 0);
    EXPECT_TRUE(EqualRect(&GetSpriteLook(99)->clip, &area));
    EXPECT_EQ(GetSpriteLook(100), nullptr);
}

}  // namespace
