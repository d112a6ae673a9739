// The flight strips: each family's place, label and position; every step's speed and end;
// queues, move-up and removal; the blink; the slot search; the memo lines.
#include <cstring>

#include "controller_fixture.h"

namespace {

class Strips : public ctltest::Stage {
  protected:
    // Steps the board until the strip's state is `until` (at most `limit` ticks); the ticks it
    // took, -1 when it never got there.
    // (the move-up bit aside).
    int Until(int slot, int32_t until, int limit = 400) {
        for (int t = 0; t <= limit; ++t) {
            if ((A(slot).strip & 0xffff) == until) return t;
            StripBoardMain(1);
        }
        return -1;
    }
    StripRow& Row(int slot) { return const_cast<StripRow&>(*GetStripRow(A(slot).stripslot)); }
    // An aircraft whose strip stands settled at x in the last place of its side's queue.
    AircraftRecord& Settled(int slot, int32_t family, int x) {
        AircraftRecord& a = Stripped(slot, family);
        const int last = (family & 0x1000) ? 9 : 4;
        GetStripQueue()[size_t(last)] = slot + 1;
        StripRow& r = Row(slot);
        r.x = x;
        r.y = 156;
        r.z = 5;
        r.place = last;
        return a;
    }
};

// Family, its strip's x, label offset and tile, the position its strip gives.
struct FamilyCase {
    int32_t family;
    int x, labeloffset, labeltile, position;
};
const FamilyCase kFamilies[] = {
    {0x100, 0, 252, 0, 0},    {0x200, 16, 252, 2, 1},   {0x300, 32, 252, 4, 2},
    {0x400, 48, -32, 5, -1},  {0x500, 64, -32, 9, 4},   {0x1200, 484, 252, 6, 3},
    {0x1300, 500, 252, 4, 2}, {0x1400, 516, 252, 2, 1}, {0x1500, 532, -32, 9, 4},
    {0x1600, 548, -32, 8, 4},
};

TEST_F(Strips, EachFamilySettlesAtItsPlaceWithItsLabelAndPosition) {
    for (const FamilyCase& c : kFamilies) {
        SCOPED_TRACE(c.family);
        ResetStripBoard();
        // Coming in on step 1 from 40 pixels off its place, in the queue's last place.
        AircraftRecord& a = Settled(3, c.family | 1, c.family == 0x100 ? c.x - 40 : c.x + 40);
        a.position = 9;
        StripRow& r = Row(3);
        // 4 a tick for approach, 2 for the others, then the tick that snaps within 2 pixels.
        EXPECT_EQ(Until(3, c.family), c.family == 0x100 ? 11 : 20);
        EXPECT_EQ(r.x, c.x);
        const bool sets = c.family == 0x300 || c.family >= 0x1200;
        EXPECT_EQ(a.position, sets ? c.position : 9);
        StripBoardMain(1);  // settled: the label shows
        const tagZEMSPRITE& label = Sprite(kSpriteStripLabel + a.stripslot);
        EXPECT_EQ(label.x, c.x + c.labeloffset);
        EXPECT_EQ(label.y, 156 + 4 + 400);
        EXPECT_EQ(label.pattern, c.labeltile);
        EXPECT_NE(label.z, 0);
        const tagZEMSPRITE& strip = Sprite(kSpriteStrip + a.stripslot);
        EXPECT_EQ(strip.x, c.x);
        EXPECT_EQ(strip.y, 556);
        EXPECT_EQ(strip.z, 5);
    }
}

TEST_F(Strips, NewStripsEnterTheirQueue) {
    struct Case {
        int32_t state;
        int startx, ticks;
        int32_t settled;
        int position;
    };
    const Case cases[] = {
        // The entering tick, the moves, and (sliding) the snap within 2 pixels.
        {0x102, -252, 1 + 63 + 1, 0x100, 0},    // approach: +4 from the left
        {0x206, -252, 1 + 67, 0x200, -1},       // tower: enters at 4 a tick up to its place
        {0x1202, 232, 1 + 125 + 1, 0x1200, 3},  // delivery: slides 2 a tick
        {0x1306, 232, 1 + 67, 0x1300, 2},       // ground: enters at 4 a tick, position at the end
        {0x1406, 232, 1 + 71, 0x1400, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        ResetStripBoard();
        AircraftRecord& a = Stripped(5, c.state);
        a.position = -1;
        StripBoardMain(1);
        const StripRow& r = Row(5);
        EXPECT_EQ(r.place, (c.state & 0x1000) ? 5 : 0);
        EXPECT_EQ(GetStripQueue()[size_t(r.place)], 6);
        EXPECT_EQ(GetStripCount((c.state & 0x1000) ? 1 : 0), 1);
        EXPECT_EQ(r.y, 28);
        EXPECT_EQ(r.z, 5);
        EXPECT_EQ(r.x, c.startx);
        EXPECT_EQ(Until(5, c.settled) + 1, c.ticks);
        EXPECT_EQ(a.position, c.position);
    }
}

TEST_F(Strips, HandOversSlideOnAndSetThePosition) {
    struct Case {
        int32_t from, to;  // settled family, then the hand-over state
        int ticks, position;
    };
    // From the family's place the next family's is 16 pixels on: the step-2 tick, 7 moves of
    // 2 and the snap.
    const Case cases[] = {
        {0x100, 0x202, 9, 1},   {0x200, 0x302, 9, 2},   {0x300, 0x402, 9, 2},
        {0x400, 0x502, 9, 4},   {0x1200, 0x1302, 9, 2}, {0x1300, 0x1402, 9, 1},
        {0x1400, 0x1502, 9, 4}, {0x1500, 0x1602, 9, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.to);
        ResetStripBoard();
        int fromx = 0;
        for (const FamilyCase& f : kFamilies)
            if (f.family == c.from) fromx = f.x;
        AircraftRecord& a = Settled(2, c.from, fromx);
        a.strip = c.to;
        StripBoardMain(1);
        EXPECT_EQ(a.strip & 0xffff, c.to - 1) << "step 1";
        EXPECT_EQ(a.position, c.position);
        EXPECT_EQ(Sprite(kSpriteStripLabel + a.stripslot).z, 0) << "label hidden";
        EXPECT_EQ(Until(2, c.to & 0xff00) + 1, c.ticks);
    }
    // Out of its queue (or left of the board) a hand-over enters from the left instead.
    ResetStripBoard();
    AircraftRecord& a = Stripped(2, 0x302);
    StripBoardMain(1);
    EXPECT_EQ(a.strip, 0x305);
    ResetStripBoard();
    AircraftRecord& b = Settled(2, 0x302, -10);
    StripBoardMain(1);
    EXPECT_EQ(b.strip, 0x305);
}

TEST_F(Strips, TheApproachStripComesBackToItsPlace) {
    AircraftRecord& a = Stripped(1, 0x102);
    ASSERT_GE(Until(1, 0x100), 0);
    a.strip = 0x202;
    ASSERT_GE(Until(1, 0x200), 0);
    a.strip = 0x103;
    StripBoardMain(1);
    EXPECT_EQ(a.strip & 0xffff, 0x104);
    EXPECT_EQ(a.position, 0);
    EXPECT_EQ(Until(1, 0x100), 4);  // 16 to 0 at 4 a tick
    EXPECT_EQ(Row(1).x, 0);
}

TEST_F(Strips, RemovalSlidesOutAndFreesEverything) {
    for (int32_t family : {0xf00, 0x1f00}) {
        SCOPED_TRACE(family);
        ResetStripBoard();
        AircraftRecord& a = Stripped(4, family == 0xf00 ? 0x102 : 0x1202);
        ASSERT_GE(Until(4, family == 0xf00 ? 0x100 : 0x1200), 0);
        const int s = a.stripslot;
        const int place = Row(4).place;
        a.strip = family | 2;
        StripBoardMain(1);
        EXPECT_EQ(a.strip & 0xffff, family | 1);
        // 0 to 315 (arrivals) or 484 to 800 (departures): 13 moves of 25 after the first tick.
        EXPECT_EQ(Until(4, 0) + 1, 14);
        EXPECT_EQ(a.stripslot, -1);
        EXPECT_EQ(GetStripSlots()[size_t(s)], -1);
        EXPECT_EQ(GetStripQueue()[size_t(place)], 0);
        EXPECT_EQ(GetStripCount(family == 0xf00 ? 0 : 1), 0);
        EXPECT_EQ(Sprite(kSpriteStrip + s).z, 0);
    }
}

TEST_F(Strips, BackToTheArrivalSideAsTower) {
    AircraftRecord& a = Stripped(6, 0x1202);
    ASSERT_GE(Until(6, 0x1200), 0);
    const int place = Row(6).place;
    a.strip = 0x1704;
    StripBoardMain(1);
    EXPECT_EQ(a.strip & 0xffff, 0x1703);
    EXPECT_GE(Until(6, 0x1702), 0);
    EXPECT_EQ(GetStripQueue()[size_t(place)], 0);
    EXPECT_EQ(GetStripCount(1), 0);
    StripBoardMain(1);
    EXPECT_EQ(a.strip & 0xffff, 0x201);
    EXPECT_EQ(a.position, 1);
    EXPECT_EQ(Row(6).x, -252);
    EXPECT_EQ(GetStripQueue()[0], 7);
    EXPECT_EQ(GetStripCount(0), 1);
    // A strip already in the arrival queue's first place keeps it: this one waits.
    ResetStripBoard();
    Stripped(7, 0x102);
    StripBoardMain(1);
    AircraftRecord& b = Stripped(6, 0x1702);
    StripBoardMain(1);
    EXPECT_EQ(b.strip & 0xffff, 0x1702);
    EXPECT_EQ(GetStripQueue()[0], 8);
}

TEST_F(Strips, ANewDepartureWaitsWhilePlaceFiveIsTaken) {
    Stripped(1, 0x1202);
    StripBoardMain(1);
    AircraftRecord& b = Stripped(2, 0x1306);
    StripBoardMain(1);
    EXPECT_EQ(b.strip & 0xffff, 0x1306);
    EXPECT_EQ(Row(2).place, -1);
    // The first moves down a place: the second comes in.
    ASSERT_GE(Until(1, 0x1200), 0);
    for (int t = 0; t < 10 && Row(2).place < 0; ++t) StripBoardMain(1);
    EXPECT_EQ(GetStripQueue()[6], 2);
    EXPECT_EQ(Row(2).place, 5);
}

TEST_F(Strips, SettledStripsMoveUpToAFreePlace) {
    AircraftRecord& a = Stripped(0, 0x102);
    ASSERT_GE(Until(0, 0x100), 0);
    // Place 1 is free: the move-up bit is set, then the strip goes 8 a tick to y 60.
    StripBoardMain(1);
    int ticks = 1;
    while (Row(0).place == 0 && ticks < 20) {
        StripBoardMain(1);
        ++ticks;
    }
    EXPECT_EQ(Row(0).y, 60);
    EXPECT_EQ(Row(0).place, 1);
    EXPECT_EQ(GetStripQueue()[0], 0);
    EXPECT_EQ(GetStripQueue()[1], 1);
    // It goes on down to the last place, 156.
    for (int t = 0; t < 40; ++t) StripBoardMain(1);
    EXPECT_EQ(Row(0).place, 4);
    EXPECT_EQ(Row(0).y, 156);
    EXPECT_EQ(a.strip, 0x100);  // the move-up bit cleared
}

TEST_F(Strips, APilotWaitingFromHundredBlinksSixteenDarkFourteenLit) {
    AircraftRecord& a = Stripped(3, 0x102);
    const int s = a.stripslot;
    struct Case {
        int waitcount;
        bool lit;
    };
    for (const Case& c : {Case{0, false}, Case{1, true}, Case{99, true}}) {
        a.waitcount = c.waitcount;
        StripBoardMain(1);
        EXPECT_EQ(Row(3).tile, s * 100 + (c.lit ? 1 : 0)) << c.waitcount;
    }
    int dark = 0, lit = 0;
    for (int w = 100; w < 130; ++w) {
        a.waitcount = w;
        StripBoardMain(1);
        const bool on = Row(3).tile == s * 100 + 1;
        EXPECT_EQ(on, w >= 116) << w;
        (on ? lit : dark)++;
    }
    EXPECT_EQ(dark, 16);
    EXPECT_EQ(lit, 14);
    EXPECT_EQ(Sprite(kSpriteStrip + s).pattern, s * 100 + 1);
}

TEST_F(Strips, SixteenSlotsAndNoSeventeenth) {
    for (int i = 0; i < kStripSlots; ++i) {
        Plane(i);
        A(i).strip = 0x102;
        DrawStrip(i);
        EXPECT_EQ(A(i).stripslot, i);
    }
    EXPECT_EQ(FindStripSlot(16), -1);
    AircraftRecord& late = Plane(16);
    late.strip = 0x102;
    DrawStrip(16);
    EXPECT_EQ(late.stripslot, -1);
    AddStripMemo(16, "LOST");
    EXPECT_STREQ(GetStripMemo(16, 0), "");
    // An aircraft finds the slot it holds again.
    EXPECT_EQ(FindStripSlot(7), 7);
    DrawStrip(7);
    EXPECT_EQ(A(7).stripslot, 7);
}

TEST_F(Strips, MemoLinesJoinMoveUpAndStayInTheirBytes) {
    struct Step {
        const char* text;
        const char* line0;
        const char* line1;
    };
    const Step steps[] = {
        {"RWY 34LX", "RWY 34LX", ""},               // 8 characters
        {"HOLDSHORT1", "RWY 34LX", "HOLDSHORT1"},   // 8 + 2 + 10 = 20: the second line
        {"A", "RWY 34LX", "HOLDSHORT1> A"},         // 10 + 1 + 3 below 19: appended
        {"GOAROUND", "HOLDSHORT1> A", "GOAROUND"},  // moved up
    };
    AircraftRecord& a = Stripped(2, 0x102);
    for (const Step& s : steps) {
        AddStripMemo(2, s.text);
        EXPECT_STREQ(GetStripMemo(2, 0), s.line0) << s.text;
        EXPECT_STREQ(GetStripMemo(2, 1), s.line1) << s.text;
    }
    // A text longer than 18 characters is cut to 18, never half a double-byte character.
    ResetStripBoard();
    a.stripslot = -1;
    DrawStrip(2);
    AddStripMemo(2, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_STREQ(GetStripMemo(2, 0), "ABCDEFGHIJKLMNOPQR");
    ResetStripBoard();
    a.stripslot = -1;
    DrawStrip(2);
    // 17 single bytes and a double-byte character would need 19 bytes.
    AddStripMemo(2, "ABCDEFGHIJKLMNOPQ\x88\x9f");
    EXPECT_STREQ(GetStripMemo(2, 0), "ABCDEFGHIJKLMNOPQ");
    SetStripRunwayMemo(2, 3);
    EXPECT_STREQ(GetStripMemo(2, 1), "34");
}

TEST_F(Strips, TheStripPictureShowsItsTexts) {
    AircraftRecord& a = Stripped(0, 0x102);
    a.sched = 1005;
    DrawStrip(0);
    const tagCELL& cell = GetStageCells().striptext;
    ASSERT_NE(cell.bits, nullptr);
    const tagCELL& strip = GetStageCells().strip;
    // The type's and time's glyphs leave ink where the background had none, in both copies.
    int inked[2] = {0, 0};
    for (int lit = 0; lit < 2; ++lit)
        for (int y = 4; y < 30; ++y)
            for (int x = 88; x < 136; ++x) {
                const ZEMPIXEL p =
                    cell.bits[size_t(y) * size_t(cell.xsize) + size_t(lit * strip.xpos + x)];
                const ZEMPIXEL b =
                    strip.bits[size_t(y) * size_t(strip.xsize) + size_t(lit * strip.xpos + x)];
                inked[lit] += p != b;
            }
    EXPECT_GT(inked[0], 50);
    EXPECT_GT(inked[1], 50);
}

}  // namespace
