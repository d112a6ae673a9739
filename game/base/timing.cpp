// The frame's clock and timing: the time of each frame read from the counter (or the
// millisecond clock), turned into world ticks of 33 ms with the remainder carried.
#include <climits>

#include "base/base.h"
#include "mmsystem.h"

namespace {

struct FrameClock {
    int32_t useqpc = 0;
    int64_t qpcfreq = 0;
    int64_t clockbase = 0;
};
FrameClock g_clock;
FrameTiming g_timing;
int g_framems = 0;
int g_frames = 0;

int64_t ReadClock() {
    if (g_clock.useqpc) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return now.QuadPart;
    }
    return static_cast<int64_t>(timeGetTime());
}

}  // namespace

const FrameTiming& GetFrameTiming() { return g_timing; }
FrameTiming& FrameTimes() { return g_timing; }
int FrameStepMs() { return g_framems; }
void SetFrameStepMs(int ms) { g_framems = ms; }
int CountFrame() { return ++g_frames; }

int32_t MeasureElapsed() {
    const int64_t now = ReadClock();
    int32_t elapsed;
    if (g_clock.useqpc)
        elapsed = CounterElapsedMs(now, g_clock.clockbase, g_clock.qpcfreq);
    else
        elapsed = static_cast<int32_t>(static_cast<uint32_t>(now) -
                                       static_cast<uint32_t>(g_clock.clockbase));
    // A second reading: the moment between the two is not counted.
    g_clock.clockbase = ReadClock();
    return elapsed;
}

int32_t AccumulateTicks(int32_t* tickacc, int32_t elapsed, int32_t ticklen) {
    *tickacc += elapsed;
    const int32_t newticks = *tickacc / ticklen;
    *tickacc %= ticklen;
    return newticks;
}

int32_t WorldTicks(int32_t newticks, int32_t stagestate) { return stagestate > 99 ? 0 : newticks; }

int32_t CounterElapsedMs(int64_t now, int64_t base, int64_t frequency) {
    if (frequency <= 0) return 0;
    const __int128 ms = static_cast<__int128>(now - base) * 1000 / frequency;
    if (ms > INT32_MAX) return INT32_MAX;
    if (ms < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(ms);
}

void ChooseFrameClock() {
    LARGE_INTEGER f;
    g_clock.useqpc = QueryPerformanceFrequency(&f) ? 1 : 0;
    g_clock.qpcfreq = g_clock.useqpc ? f.QuadPart : 0;
    g_timing = FrameTiming{};
    g_frames = 0;
}

void ResetFrameClock() { g_clock.clockbase = ReadClock(); }

void ZeroTotalTicks() { g_timing.totalticks = 0; }
