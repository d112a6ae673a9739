// Waits on the virtual clock, memory blocks and the debug channel without a monitor.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <mmsystem.h>
#include <windows.h>
#include <wynplat.h>

#include "zem40.h"

namespace {

struct WaitCase {
    int ms;
};
const WaitCase kWaits[] = {{0}, {1}, {33}, {1000}};

TEST(ZemWaits, WaitTakesItsTimeOnTheVirtualClock) {
    WynPlat_SetVirtualClock(1);
    for (const auto& c : kWaits) {
        const uint64_t t0 = WynPlat_ClockMicros();
        EXPECT_EQ(ZEM_Wait(c.ms), 1);
        const uint64_t spent = WynPlat_ClockMicros() - t0;
        EXPECT_GE(spent, uint64_t(c.ms) * 1000) << c.ms << " ms";
        EXPECT_LT(spent, uint64_t(c.ms) * 1000 + 20000) << c.ms << " ms: no long overshoot";
    }
}

TEST(ZemWaits, WaitEndFollowsTheClock) {
    WynPlat_SetVirtualClock(1);
    WynPlat_SetClockReadStep(0);
    ZEM_WaitStart(50);
    EXPECT_EQ(ZEM_WaitEnd(), 0);
    WynPlat_AdvanceClock(49000);
    EXPECT_EQ(ZEM_WaitEnd(), 0);
    WynPlat_AdvanceClock(1000);
    EXPECT_EQ(ZEM_WaitEnd(), 1);
}

TEST(ZemWaits, NoEarlyEndAcrossThe32BitWrap) {
    // Bring the clock to just below 2^32 microseconds' worth of counter ticks in the low
    // word: a 32-bit comparison would see the target wrapped below the counter.
    WynPlat_SetVirtualClock(1);
    WynPlat_SetClockReadStep(0);
    LARGE_INTEGER now, freq;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&now);
    const long long wrap = (now.QuadPart | 0xFFFFFFFFLL) + 1;
    const long long ticksToGo = wrap - now.QuadPart - freq.QuadPart / 1000 * 10;  // 10 ms before
    if (ticksToGo > 0) WynPlat_AdvanceClock(uint64_t(ticksToGo * 1000000.0 / freq.QuadPart));
    ZEM_WaitStart(100);
    WynPlat_AdvanceClock(50000);  // across the wrap, half way
    EXPECT_EQ(ZEM_WaitEnd(), 0);
    WynPlat_AdvanceClock(50000);
    EXPECT_EQ(ZEM_WaitEnd(), 1);
}

TEST(ZemMemory, BlocksAreZeroFilledAndFreedOnce) {
    auto* p = static_cast<unsigned char*>(ZEM_AllocMemory(4096));
    ASSERT_NE(p, nullptr);
    for (int i = 0; i < 4096; ++i) ASSERT_EQ(p[i], 0) << "byte " << i;
    int local = 0;
    EXPECT_EQ(ZEM_FreeMemory(&local), 0) << "not a block";
    EXPECT_EQ(ZEM_FreeMemory(nullptr), 0);
    EXPECT_EQ(ZEM_FreeMemory(p), 1);
}

TEST(ZemMemory, FailureAsksRetryOrCancel) {
    // Retry once, then the default answer (Cancel) gives up.
    WynPlat_PushMessageBoxAnswer(IDRETRY);
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(ZEM_AllocMemory(0x80000000u), nullptr);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 2) << "asked again after Retry";
    char caption[64], text[512];
    ASSERT_EQ(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text), 1);
    EXPECT_STREQ(caption, "ZEM33.DLL");
    const std::string t = text;
    EXPECT_TRUE(t.rfind("Out of Memory.", 0) == 0 ||
                t.rfind(reinterpret_cast<const char*>(u8"ﾒﾓﾘが不足しています。"), 0) == 0)
        << t;
}

TEST(ZemCells, CreateAndDeleteThroughThePictureLibrary) {
    tagCELL c{};
    if (ZEM_CreateCell(&c, 5, 3) == 1) {
        EXPECT_EQ(c.xsize, 5);
        EXPECT_EQ(c.mode, CELL_MODE_NORMAL);
        ASSERT_NE(c.bits, nullptr);
        EXPECT_EQ(ZEM_DeleteCell(&c), 1);
    }
    const tagCELL zero{};
    EXPECT_EQ(std::memcmp(&c, &zero, sizeof c), 0);
}

TEST(ZemDebug, WithoutAMonitorPrintfReturnsAtOnceAndStaysInItsRecord) {
    WynPlat_SetVirtualClock(1);
    WynPlat_SetClockReadStep(0);
    HZEMSCREEN s = ZEM_Start(ZEM_START_DEBUG | ZEM_START_DEPTH16, nullptr, 4, 4, 4, 4);
    ASSERT_NE(s, nullptr);
    const std::string longText(900, 'x');
    const uint64_t t0 = WynPlat_ClockMicros();
    EXPECT_EQ(ZEM_DebugPrintf(s, "%s %d", longText.c_str(), 42), 0);
    EXPECT_EQ(ZEM_DebugPrintf(s, nullptr), 0);
    EXPECT_EQ(WynPlat_ClockMicros(), t0) << "no wait without a monitor";
    ZEM_End(s);
}

TEST(ZemDebug, AMonitorThatNeverAnswersDoesNotHoldTheCaller) {
    // Named events are seen by every process of the runtime folder: this case's stand-in
    // monitor must not be seen by the case that runs without one.
    std::string runtime = std::string(getenv("WYN_RUNTIME_DIR")) + "/ZemDebug.Monitor";
    setenv("WYN_RUNTIME_DIR", runtime.c_str(), 1);
    WynPlat_SetVirtualClock(1);
    WynPlat_SetClockReadStep(0);
    // A stand-in monitor: both events exist, nobody ever signals the answer.
    HANDLE on = CreateEventA(nullptr, TRUE, FALSE, "ZemEventON");
    HANDLE off = CreateEventA(nullptr, TRUE, FALSE, "ZemEventOFF");
    ASSERT_NE(on, nullptr);
    HZEMSCREEN s = ZEM_Start(ZEM_START_DEBUG | ZEM_START_DEPTH16, nullptr, 4, 4, 4, 4);
    const uint64_t t0 = WynPlat_ClockMicros();
    EXPECT_EQ(ZEM_DebugPrintf(s, "frame %d", 7), 0);
    EXPECT_LE(WynPlat_ClockMicros() - t0, 1000000u) << "at most the monitor time-out";
    // Without the debug flag nothing is sent at all.
    HZEMSCREEN quiet = ZEM_Start(ZEM_START_DEPTH16, nullptr, 4, 4, 4, 4);
    EXPECT_EQ(ZEM_DebugPrintf(quiet, "x"), 0);
    ZEM_End(quiet);
    ZEM_End(s);
    CloseHandle(off);
    CloseHandle(on);
}

}  // namespace

TEST(ZemDebug, AMonitorReceivesTheRecordAndAnswers) {
    std::string runtime = std::string(getenv("WYN_RUNTIME_DIR")) + "/ZemDebug.Answer";
    setenv("WYN_RUNTIME_DIR", runtime.c_str(), 1);
    WynPlat_SetVirtualClock(1);
    // The monitor: its mailslot, the event it waits on and the event it answers with.
    HANDLE slot =
        CreateMailslotA("\\\\.\\mailslot\\zem\\debugstring", 0, MAILSLOT_WAIT_FOREVER, nullptr);
    ASSERT_NE(slot, INVALID_HANDLE_VALUE);
    HANDLE on = CreateEventA(nullptr, FALSE, FALSE, "ZemEventON");
    HANDLE off = CreateEventA(nullptr, TRUE, FALSE, "ZemEventOFF");
    ASSERT_NE(on, nullptr);
    ASSERT_NE(off, nullptr);
    // The monitor runs on a thread of the layer's own, which the virtual clock counts.
    struct Monitor {
        HANDLE slot, on, off;
        char got[256];
        DWORD gotBytes;
    } m{slot, on, off, {}, 0};
    HANDLE monitor = CreateThread(
        nullptr, 0,
        [](LPVOID p) -> DWORD {
            auto* m = static_cast<Monitor*>(p);
            if (WaitForSingleObject(m->on, 5000) != WAIT_OBJECT_0) return 1;
            ReadFile(m->slot, m->got, sizeof m->got, &m->gotBytes, nullptr);
            SetEvent(m->off);
            return 0;
        },
        &m, 0, nullptr);
    ASSERT_NE(monitor, nullptr);
    HZEMSCREEN s = ZEM_Start(ZEM_START_DEBUG | ZEM_START_DEPTH16, nullptr, 4, 4, 4, 4);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(ZEM_DebugPrintf(s, "frame %d", 7), 1);
    EXPECT_EQ(WaitForSingleObject(monitor, 5000), WAIT_OBJECT_0);
    CloseHandle(monitor);
    EXPECT_EQ(m.gotBytes, 256u) << "one fixed record";
    EXPECT_STREQ(m.got, "frame 7");
    ZEM_End(s);
    CloseHandle(off);
    CloseHandle(on);
    CloseHandle(slot);
}
