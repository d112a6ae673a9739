// The stage clock, its end and the bonus at time over: pure functions of their numbers.
#include <gtest/gtest.h>

#include "simulation/simulation.h"

TEST(GameClock, GainsAMinuteOnlyPast600Ticks) {
    struct Case {
        int clock;
        std::vector<int> calls;  // ticks handed in, one call each
        int expected;
        int left;  // the accumulator after
    };
    const Case cases[] = {
        {958, {600}, 958, 600},       // exactly 600 do not make a minute
        {958, {601}, 959, 1},         // the first minute takes 601
        {958, {1201}, 1000, 1},       // then 600 more
        {958, {601, 599}, 959, 600},  // after the first minute, 600 more make the next
        {958, {601, 600}, 1000, 1},     {958, {601, 601}, 1000, 2},
        {958, {1300}, 1000, 100},  // one call of 1300 ticks: two minutes
        {959, {601}, 1000, 1},     // never 0960
        {2359, {601}, 2400, 1},    // the hour carries; the day does not wrap
        {1259, {30, 30, 541}, 1300, 1},
    };
    for (const Case& c : cases) {
        GameClock clock{c.clock, 0, c.clock, 0};
        for (int t : c.calls) AdvanceGameClock(&clock, t);
        EXPECT_EQ(clock.clock, c.expected) << c.clock << " after " << c.calls.size() << " calls";
        EXPECT_EQ(clock.ticks, c.left) << c.clock;
        EXPECT_NE(clock.clock % 100, 60);
    }
}

TEST(GameClock, AddMinutesCarriesIntoTheNextHour) {
    struct Case {
        int hhmm, minutes, expected;
    };
    const Case cases[] = {{958, 1, 959},   {959, 1, 1000},
                          {955, 5, 1000},  {956, 5, 1001},
                          {1060, 0, 1100}, {1030, 0, 1030},
                          {2359, 1, 2400}, {2147483617, 50, -2147483629}};  // wraps in 32 bits
    for (const Case& c : cases)
        EXPECT_EQ(AddMinutes(c.hhmm, c.minutes), c.expected) << c.hhmm << " + " << c.minutes;
}

TEST(GameClock, TheStageEndsAtTheFullHour) {
    struct Case {
        int start, hours, end;
    };
    const Case cases[] = {{959, 1, 1000}, {959, 2, 1100},  {959, 0, 1900},  // 0 stands for 10
                          {900, 1, 1000}, {1230, 0, 2200}, {2330, 1, 2400}};
    for (const Case& c : cases)
        EXPECT_EQ(StageEndTime(c.start, c.hours), c.end) << c.start << " " << c.hours;
}

TEST(GameClock, TimeOverBonusByTheShownStress) {
    struct Case {
        uint32_t limit, shown, bonus;
    };
    const Case cases[] = {
        {10, 0, 2000},  // no stress: the full share and 1000 more
        {10, 5, 500},   //
        {10, 9, 100},   //
        {10, 10, 0},    // at the limit
        {10, 12, 0},    // past it: no wrap into a huge bonus
        {0, 0, 2000},   // a limit of 0 stands for 10
        {0, 5, 500},    //
        {3, 1, 660},    // (2 x 100 / 3) x 10, truncated before the x 10
        {20, 0xffffffff, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TimeOverBonus(c.limit, c.shown), c.bonus) << c.limit << " " << c.shown;
}
