// The process clock in virtual mode (the test runs with WYN_CLOCK=virtual).
#include <windows.h>
#include <mmsystem.h>
#include <wynplat.h>
#include <gtest/gtest.h>

TEST(VirtualClock, IsOnFromTheEnvironment) { EXPECT_EQ(WynPlat_IsVirtualClock(), 1); }

TEST(VirtualClock, SleepAdvancesByItsTime) {
    WynPlat_SetClockReadStep(0);
    for (DWORD ms : {1u, 33u, 250u, 5000u}) {
        uint64_t before = WynPlat_ClockMicros();
        DWORD tick = GetTickCount();
        Sleep(ms);
        EXPECT_EQ(WynPlat_ClockMicros() - before, ms * 1000ull) << "Sleep(" << ms << ")";
        EXPECT_EQ(GetTickCount() - tick, ms) << "Sleep(" << ms << ")";
    }
    uint64_t before = WynPlat_ClockMicros();
    Sleep(0);  // a yield, no time
    EXPECT_EQ(WynPlat_ClockMicros(), before);
}

TEST(VirtualClock, EveryReadStepsSoPollingLoopsEnd) {
    WynPlat_SetClockReadStep(7);
    uint64_t a = WynPlat_ClockMicros();
    uint64_t b = WynPlat_ClockMicros();
    EXPECT_EQ(b - a, 7u);
    // A wait that polls timeGetTime without sleeping, as some of the system's code does.
    WynPlat_SetClockReadStep(250);
    DWORD start = timeGetTime();
    int reads = 0;
    while (timeGetTime() - start < 50) ++reads;
    EXPECT_GE(reads, 190);
    EXPECT_LE(reads, 201);
}

TEST(VirtualClock, TestsAdvanceItExplicitly) {
    WynPlat_SetClockReadStep(0);
    uint64_t before = WynPlat_ClockMicros();
    WynPlat_AdvanceClock(123456);
    EXPECT_EQ(WynPlat_ClockMicros() - before, 123456u);
    LARGE_INTEGER c0, c1, f;
    ASSERT_TRUE(QueryPerformanceFrequency(&f));
    EXPECT_EQ(f.QuadPart, 1000000);
    ASSERT_TRUE(QueryPerformanceCounter(&c0));
    WynPlat_AdvanceClock(2500);
    ASSERT_TRUE(QueryPerformanceCounter(&c1));
    EXPECT_EQ(c1.QuadPart - c0.QuadPart, 2500);
}

TEST(VirtualClock, TickCountWrapsAt32BitsLikeTheSystem) {
    WynPlat_SetClockReadStep(0);
    // Move to 16 ms before the 32-bit millisecond counter wraps (49.7 days of uptime).
    uint64_t wrapMicros = (1ull << 32) * 1000ull;
    uint64_t now = WynPlat_ClockMicros();
    WynPlat_AdvanceClock(wrapMicros - 16000 - now);
    DWORD before = GetTickCount();
    EXPECT_EQ(before, 0xFFFFFFF0u);
    EXPECT_EQ(timeGetTime(), 0xFFFFFFF0u);
    LARGE_INTEGER q0, q1;
    QueryPerformanceCounter(&q0);
    Sleep(32);
    DWORD after = GetTickCount();
    EXPECT_EQ(after, 0x10u);
    EXPECT_EQ(after - before, 32u) << "unsigned differences stay right across the wrap";
    QueryPerformanceCounter(&q1);
    EXPECT_EQ(q1.QuadPart - q0.QuadPart, 32000) << "the performance counter does not wrap";
    EXPECT_GT(WynPlat_ClockMicros(), wrapMicros);
}

TEST(VirtualClock, CalendarStartsAtAFixedDateAndFollowsTheClock) {
    WynPlat_SetClockReadStep(0);
    SYSTEMTIME st{};
    GetSystemTime(&st);
    EXPECT_EQ(st.wYear, 2001);
    EXPECT_EQ(st.wMonth, 1);
    EXPECT_EQ(st.wDay, 1);
    EXPECT_EQ(st.wDayOfWeek, 1);  // a Monday
    EXPECT_EQ(st.wHour, 0);
    WynPlat_AdvanceClock(86400ull * 1000000 + 3600ull * 1000000 + 1500000);
    GetLocalTime(&st);  // the same calendar, so virtual runs repeat on every machine
    EXPECT_EQ(st.wDay, 2);
    EXPECT_EQ(st.wDayOfWeek, 2);
    EXPECT_EQ(st.wHour, 1);
    EXPECT_EQ(st.wSecond, 1);
    EXPECT_EQ(st.wMilliseconds, 500);
    GetSystemTime(nullptr);  // tolerated
}

TEST(VirtualClock, SwitchingModesNeverGoesBack) {
    uint64_t t0 = WynPlat_ClockMicros();
    WynPlat_SetVirtualClock(0);
    EXPECT_EQ(WynPlat_IsVirtualClock(), 0);
    uint64_t t1 = WynPlat_ClockMicros();
    EXPECT_GE(t1, t0);
    WynPlat_AdvanceClock(1000000000);  // no effect on the real clock
    uint64_t t2 = WynPlat_ClockMicros();
    EXPECT_LT(t2 - t1, 1000000000u);
    WynPlat_SetVirtualClock(1);
    EXPECT_GE(WynPlat_ClockMicros(), t2);
}

TEST(MultimediaTimer, PeriodsAndCaps) {
    EXPECT_EQ(timeBeginPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
    EXPECT_EQ(timeEndPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
    EXPECT_EQ(timeBeginPeriod(0), static_cast<MMRESULT>(TIMERR_NOCANDO));
    TIMECAPS caps{};
    EXPECT_EQ(timeGetDevCaps(&caps, sizeof caps), static_cast<MMRESULT>(TIMERR_NOERROR));
    EXPECT_EQ(caps.wPeriodMin, 1u);
    EXPECT_GE(caps.wPeriodMax, 1000u);
    EXPECT_EQ(timeGetDevCaps(nullptr, sizeof caps), static_cast<MMRESULT>(TIMERR_NOCANDO));
    EXPECT_EQ(timeGetDevCaps(&caps, 1), static_cast<MMRESULT>(TIMERR_NOCANDO));
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
    EXPECT_FALSE(QueryPerformanceFrequency(nullptr));
}
