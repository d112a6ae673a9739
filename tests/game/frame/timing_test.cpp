// World ticks of 33 ms with the remainder carried, the counter clock's elapsed time, the
// floating view's 4:1 sizing and the view port refused twice.
#include <gtest/gtest.h>

#include <climits>

#include "frame/frame_internal.h"

TEST(Ticks, EachFrameTurnsItsTimeIntoWholeTicksAndCarriesTheRest) {
    struct Frame {
        int32_t elapsed, stagestate;
        int32_t newticks, ticks, carry;
    };
    struct Run {
        const char* name;
        std::vector<Frame> frames;
    };
    const Run runs[] = {
        {"32 then 1", {{32, STAGE_PLAY, 0, 0, 32}, {1, STAGE_PLAY, 1, 1, 0}}},
        {"100", {{100, STAGE_PLAY, 3, 3, 1}, {100, STAGE_PLAY, 3, 3, 2}}},
        {"33 exactly", {{33, STAGE_PLAY, 1, 1, 0}, {33, STAGE_PLAY, 1, 1, 0}}},
        {"paused", {{100, STAGE_PAUSED, 3, 0, 1}, {65, STAGE_PAUSED, 2, 0, 0}}},
        {"start banner", {{66, STAGE_START, 2, 0, 0}, {40, STAGE_PLAY, 1, 1, 7}}},
        {"result banner", {{33, STAGE_CLEAR, 1, 0, 0}}},
        {"a long stall", {{3300, STAGE_PLAY, 100, 100, 0}}},
    };
    for (const Run& run : runs) {
        int32_t acc = 0;
        for (size_t i = 0; i < run.frames.size(); ++i) {
            const Frame& f = run.frames[i];
            const int32_t newticks = AccumulateTicks(&acc, f.elapsed, kTickMs);
            EXPECT_EQ(newticks, f.newticks) << run.name << " frame " << i;
            EXPECT_EQ(WorldTicks(newticks, f.stagestate), f.ticks) << run.name << " frame " << i;
            EXPECT_EQ(acc, f.carry) << run.name << " frame " << i;
        }
    }
}

TEST(Ticks, CounterElapsedUsesTheWhole64BitReadings) {
    struct Case {
        int64_t base, now, frequency;
        int32_t ms;
    };
    const int64_t k32 = int64_t{1} << 32;
    const Case cases[] = {
        {0, 33000, 1000000, 33},
        {1000, 1999, 1000000, 0},  // truncated
        // Across 2^32: the low 32 bits alone would give a huge or a negative time.
        {k32 - 10000, k32 + 23000, 1000000, 33},
        {3 * k32 - 1, 3 * k32 + 999999, 1000000, 1000},
        // A frequency above 2^32 counts a second at its full value.
        {0, 5 * k32, 5 * k32, 1000},
        {k32 * 7, k32 * 7 + 3579545 * 2, 3579545, 2000},
        {0, 1000, 0, 0},                         // no counter
        {0, int64_t{1} << 62, 1000, INT32_MAX},  // held to the 32-bit range
    };
    for (const Case& c : cases)
        EXPECT_EQ(CounterElapsedMs(c.now, c.base, c.frequency), c.ms)
            << c.base << " -> " << c.now << " at " << c.frequency;
}

TEST(ViewWindow, KeepsItsClientAreaFourTimesAsWideAsHigh) {
    struct Case {
        int cx, cy;  // the outer size asked for
        int fit;
        int height;  // of the client area
    };
    const int fw = 8, fh = 27;
    const Case cases[] = {
        {fw + 800, fh + 400, 1, 200},   // too high: the width decides
        {fw + 1000, fh + 100, 1, 100},  // too wide: the height decides
        {fw + 802, fh + 200, 1, 200},   // a drag of two pixels snaps back
        {fw + 200, fh + 50, 1, 100},    // never lower than 100
        {fw + 800, fh + 200, 1, 200},   // as it is
        {fw, fh, 0, 0},                 // nothing asked: left as it is
    };
    for (const Case& c : cases) {
        SIZE outer{};
        RECT client{};
        ASSERT_EQ(FitViewWindow(c.cx, c.cy, fw, fh, &outer, &client), c.fit) << c.cx << "x" << c.cy;
        if (!c.fit) continue;
        EXPECT_EQ(client.bottom, c.height) << c.cx << "x" << c.cy;
        EXPECT_EQ(client.right, 4 * c.height) << c.cx << "x" << c.cy;
        EXPECT_EQ(outer.cx, fw + 4 * c.height) << c.cx << "x" << c.cy;
        EXPECT_EQ(outer.cy, fh + c.height) << c.cx << "x" << c.cy;
    }
}

namespace {
int g_viewports = 0;
int g_accept = 0;
int CountingViewPort(const RECT&) {
    ++g_viewports;
    return g_accept;
}
}  // namespace

TEST(ViewWindow, AViewPortRefusedTwiceDocksTheView) {
    SetViewPortHook(CountingViewPort);
    ViewState& v = View();
    v.viewrect = RECT{0, 0, 800, 200};
    v.wantrect = RECT{0, 0, 1000, 250};
    v.viewchanged = 1;
    GetGameInput().keycode = 0;
    ApplyViewChange();
    EXPECT_EQ(g_viewports, 1);
    EXPECT_EQ(v.viewrect.left, -1) << "marked invalid after the first refusal";
    EXPECT_EQ(GetGameInput().keycode, 0);

    v.viewchanged = 1;  // the size change asked for after the refusal
    ApplyViewChange();
    EXPECT_EQ(g_viewports, 2);
    EXPECT_EQ(GetGameInput().keycode, 0x44) << "the key D docks the view";

    // Accepted: the view takes the wanted rectangle; an unchanged one asks nothing.
    g_accept = 1;
    v.viewchanged = 1;
    ApplyViewChange();
    EXPECT_TRUE(EqualRect(&v.viewrect, &v.wantrect));
    v.viewchanged = 1;
    ApplyViewChange();
    EXPECT_EQ(g_viewports, 3);
    SetViewPortHook(nullptr);
}
