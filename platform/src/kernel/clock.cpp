// The one process clock: real (the monotonic clock) or virtual (moved by sleeps and waits,
// by tests, and by a small step on every read). All waits of the layer block here.
#include "kernel/clock.h"

#include <windows.h>
#include <mmsystem.h>
#include <wynplat.h>

#include <sched.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <list>
#include <unordered_map>
#include <utility>
#include <vector>

namespace wyn::clock {
namespace {

// Virtual time starts at one minute, so a first reading is never 0.
constexpr uint64_t kVirtualStart = 60ull * 1000 * 1000;
constexpr uint64_t kDefaultReadStep = 100;
// How often a waiter re-tests its condition without a notification (outside state).
constexpr auto kPoll = std::chrono::milliseconds(5);
// Real time without any progress after which virtual time moves on to the earliest deadline
// anyway, provided every counted thread that is not in a wait sleeps in the kernel and has had
// no processor time all that while (it is blocked outside the layer, not merely slow, short of
// processor time, or waiting now and then for a disk or another process's reply). Quiet
// stretches are looked at every kStallLook; a look takes a sample that a later look confirms.
constexpr auto kStall = std::chrono::milliseconds(100);
constexpr auto kStallLook = std::chrono::milliseconds(50);
// The virtual calendar starts at 2001-01-01 00:00:00 (seconds since 1970).
constexpr int64_t kVirtualEpoch = 978307200;

// A blocked thread: what it waits for, and its own wake-up, so that a change wakes only the
// waiters it concerns instead of every thread of the process.
struct Waiter {
    uint64_t deadline;
    const std::function<bool()>* ready;
    std::condition_variable cv;
};

// The counted threads outside the clock's waits as a stall look found them: asleep in the
// kernel, with the processor time each had had (ns), at a moment with nothing happening.
struct StallSample {
    bool valid = false;
    uint64_t activity = 0;
    std::chrono::steady_clock::time_point at;
    std::vector<std::pair<pid_t, uint64_t>> cpu;
};

struct State {
    std::mutex m;
    std::atomic<bool> virt{false};
    std::atomic<uint64_t> step{kDefaultReadStep};
    uint64_t vnow = kVirtualStart;
    std::atomic<int64_t> realOffset{0};  // added to the monotonic clock in real mode
    // Counted threads not blocked in a wait. Atomic: hand-offs between threads (see
    // LeaveRunning) move it without the lock.
    std::atomic<int> running{0};
    int starting = 0;                         // counted by CreateThread, not yet running
    std::unordered_map<pid_t, bool> counted;  // counted threads: blocked in a wait?
    uint64_t activity = 0;                    // anything that happened: reads, waits, notifications
    std::list<Waiter> waiters;
    StallSample stall;
};

uint64_t MonoMicros() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000u + static_cast<uint64_t>(ts.tv_nsec) / 1000u;
}

State& S();
void WakeLocked(State& s);

pid_t Tid() { return static_cast<pid_t>(syscall(SYS_gettid)); }

struct Member {
    bool counted = false;
    ~Member() {
        if (!counted) return;
        State& s = S();
        std::lock_guard<std::mutex> g(s.m);
        s.counted.erase(Tid());
        --s.running;
        ++s.activity;
        WakeLocked(s);
    }
};
thread_local Member t_member;

State& S() {
    // Never destroyed: threads may still wait while the process exits.
    static State* s = [] {
        auto* st = new State;
        const char* mode = std::getenv("WYN_CLOCK");
        if (mode && std::strcmp(mode, "virtual") == 0) st->virt = true;
        return st;
    }();
    return *s;
}

uint64_t RealNowLocked(State& s) {
    return MonoMicros() + static_cast<uint64_t>(s.realOffset.load());
}

uint64_t PeekLocked(State& s) { return s.virt ? s.vnow : RealNowLocked(s); }

// The earliest deadline of a blocked waiter, or kNever.
uint64_t EarliestDeadline(State& s) {
    uint64_t d = kNever;
    for (auto& w : s.waiters) d = std::min(d, w.deadline);
    return d;
}

bool Holds(const Waiter& w) { return w.ready && *w.ready && (*w.ready)(); }

// Wakes the waiters that can go on: their condition holds or their deadline has come.
void WakeDueLocked(State& s) {
    uint64_t now = PeekLocked(s);
    for (auto& w : s.waiters)
        if (now >= w.deadline || Holds(w)) w.cv.notify_one();
}

// Moves virtual time to the earliest deadline when nothing else can move it: every counted
// thread is blocked and no waiter is ready to run. With `force`, counted threads still
// running are taken to be stuck outside the layer. Returns true when it moved.
bool JumpLocked(State& s, bool force) {
    if (!s.virt || s.waiters.empty()) return false;
    if (s.running.load() > 0 && !force) return false;
    uint64_t d = EarliestDeadline(s);
    if (d == kNever || d <= s.vnow) return false;
    for (auto& w : s.waiters)
        if (Holds(w)) return false;
    s.vnow = d;
    ++s.activity;
    return true;
}

void MaybeJumpLocked(State& s, bool force) {
    if (JumpLocked(s, force)) WakeDueLocked(s);
}

// Something changed: virtual time may move on, and the waiters it concerns go on.
void WakeLocked(State& s) {
    JumpLocked(s, false);
    WakeDueLocked(s);
}

void CountCallerLocked(State& s) {
    if (!t_member.counted) {
        t_member.counted = true;
        s.counted[Tid()] = false;
        ++s.running;
    }
}

void MarkBlockedLocked(State& s, bool blocked) { s.counted[Tid()] = blocked; }

// A thread's run state from /proc ('R' running or runnable, 'S' or 'D' asleep in the kernel),
// or 0 when it has ended.
char RunState(pid_t tid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/task/%d/stat", static_cast<int>(tid));
    FILE* f = std::fopen(path, "r");
    if (!f) return 0;
    char buf[512];
    size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = '\0';
    const char* paren = std::strrchr(buf, ')');
    return paren && paren[1] == ' ' ? paren[2] : 'R';
}

// The processor time thread `tid` of this process has had (ns); false when it has ended. Its
// clock id is made from the thread id as pthread_getcpuclockid makes it.
bool ProcessorTime(pid_t tid, uint64_t* ns) {
    const clockid_t id = static_cast<clockid_t>((~static_cast<uint32_t>(tid) << 3) | 6u);
    timespec ts;
    if (clock_gettime(id, &ts) != 0) return false;
    *ns = static_cast<uint64_t>(ts.tv_sec) * 1000000000u + static_cast<uint64_t>(ts.tv_nsec);
    return true;
}

// True when every counted thread outside the clock's waits is blocked outside the layer: it
// sleeps in the kernel now and has had no processor time since a look at least kStall ago,
// with nothing happening in between. A snapshot of the state alone would take a thread that
// is caught waiting for a moment (for the X server's reply, a disk read) for a blocked one,
// and move virtual time on by however often that happens on this machine. A thread that runs
// or waits for a processor (state R) is making progress, however slowly.
bool CountedThreadsStuckLocked(State& s, std::chrono::steady_clock::time_point now) {
    StallSample& last = s.stall;
    std::vector<std::pair<pid_t, uint64_t>> cpu;
    bool asleep = s.starting == 0;
    for (auto it = s.counted.begin(); asleep && it != s.counted.end(); ++it) {
        if (it->second) continue;  // in a wait of the clock
        const char state = RunState(it->first);
        if (state == 0) continue;  // it is ending
        if (state != 'S' && state != 'D') asleep = false;
        uint64_t ns = 0;
        ProcessorTime(it->first, &ns);  // unreadable, it stays 0: the state alone decides
        cpu.emplace_back(it->first, ns);
    }
    if (!asleep) {
        last.valid = false;
        return false;
    }
    std::sort(cpu.begin(), cpu.end());
    if (last.valid && last.activity == s.activity && last.cpu == cpu)
        return now - last.at >= kStall;
    last.valid = true;
    last.activity = s.activity;
    last.at = now;
    last.cpu = std::move(cpu);
    return false;
}

__attribute__((constructor)) void CountMainThread() {
    if (Tid() != getpid()) return;
    State& s = S();
    std::lock_guard<std::mutex> g(s.m);
    CountCallerLocked(s);
}

}  // namespace

std::mutex& KernelLock() { return S().m; }

uint64_t PeekMicros() {
    State& s = S();
    std::lock_guard<std::mutex> g(s.m);
    return PeekLocked(s);
}

uint64_t NowMicros() {
    State& s = S();
    if (!s.virt) return RealNowLocked(s);  // no lock: the real clock is read often
    std::lock_guard<std::mutex> g(s.m);
    if (!s.virt) return RealNowLocked(s);
    uint64_t now = s.vnow;
    s.vnow += s.step;
    ++s.activity;
    if (!s.waiters.empty() && s.vnow >= EarliestDeadline(s)) WakeDueLocked(s);
    return now;
}

uint64_t DeadlineAfterMs(DWORD ms) {
    if (ms == INFINITE) return kNever;
    return PeekMicros() + static_cast<uint64_t>(ms) * 1000u;
}

bool WaitUntil(std::unique_lock<std::mutex>& lock, uint64_t deadline,
               const std::function<bool()>& ready, Reads reads) {
    State& s = S();
    CountCallerLocked(s);
    if (ready && ready()) return true;
    if (PeekLocked(s) >= deadline) return false;

    auto me = s.waiters.emplace(s.waiters.end());
    me->deadline = deadline;
    me->ready = &ready;
    MarkBlockedLocked(s, true);
    --s.running;
    ++s.activity;
    uint64_t seen = s.activity;
    auto quietSince = std::chrono::steady_clock::now();
    bool result = false;
    for (;;) {
        MaybeJumpLocked(s, false);
        if (ready && ready()) {
            result = true;
            break;
        }
        uint64_t now = PeekLocked(s);
        if (now >= deadline) break;
        // Virtual time needs every waiter to look for a stall now and then; in real time a
        // wait on notified state sleeps until its notification or its deadline.
        if (s.virt || reads == Reads::kOutside) {
            auto wake = std::chrono::steady_clock::now() + kPoll;
            if (!s.virt && deadline != kNever) {
                auto left = std::chrono::microseconds(deadline - now);
                if (left < kPoll) wake = std::chrono::steady_clock::now() + left;
            }
            me->cv.wait_until(lock, wake);
        } else if (deadline != kNever) {
            me->cv.wait_for(lock, std::chrono::microseconds(deadline - now));
        } else {
            me->cv.wait(lock);
        }
        if (s.virt) {
            auto t = std::chrono::steady_clock::now();
            if (s.activity != seen) {
                seen = s.activity;
                quietSince = t;
            } else if (t - quietSince >= kStallLook) {
                if (CountedThreadsStuckLocked(s, t)) MaybeJumpLocked(s, true);
                seen = s.activity;
                quietSince = t;
            }
        }
    }
    s.waiters.erase(me);
    MarkBlockedLocked(s, false);
    ++s.running;
    ++s.activity;
    return result;
}

bool WaitUntil(uint64_t deadline, const std::function<bool()>& ready, Reads reads) {
    std::unique_lock<std::mutex> lock(KernelLock());
    return WaitUntil(lock, deadline, ready, reads);
}

void NotifyLocked() {
    State& s = S();
    ++s.activity;
    WakeLocked(s);
}

void Notify() {
    std::lock_guard<std::mutex> g(KernelLock());
    NotifyLocked();
}

void LeaveRunning() {
    State& s = S();
    if (!t_member.counted) {
        std::lock_guard<std::mutex> g(s.m);
        CountCallerLocked(s);
    }
    if (s.running.fetch_sub(1) != 1) return;
    // Nobody runs now: time may move on to the earliest deadline.
    std::lock_guard<std::mutex> g(s.m);
    ++s.activity;
    WakeLocked(s);
}

void EnterRunningFor() { ++S().running; }

void DropRunningFor() { --S().running; }

void CountNewThread() {
    std::lock_guard<std::mutex> g(S().m);
    CountNewThreadLocked();
}

void CountNewThreadLocked() {
    ++S().running;
    ++S().starting;
}

void UncountNewThread() {
    State& s = S();
    std::lock_guard<std::mutex> g(s.m);
    --s.running;
    --s.starting;
    ++s.activity;
    MaybeJumpLocked(s, false);
}

void AdoptCountedThread() {
    State& s = S();
    std::lock_guard<std::mutex> g(s.m);
    t_member.counted = true;
    s.counted[Tid()] = false;
    --s.starting;
}

}  // namespace wyn::clock

using namespace wyn::clock;

uint64_t WynPlat_ClockMicros(void) { return NowMicros(); }

void WynPlat_SetVirtualClock(int on) {
    State& s = S();
    std::lock_guard<std::mutex> g(s.m);
    bool want = on != 0;
    if (want == s.virt) return;
    // Both switches keep the clock going forward from where it stands.
    if (want) {
        s.vnow = RealNowLocked(s);
    } else {
        uint64_t mono = MonoMicros();
        if (s.vnow > mono)
            s.realOffset = static_cast<int64_t>(s.vnow - mono);
        else
            s.realOffset = 0;
    }
    s.virt = want;
    ++s.activity;
    // Every sleep was measured on the other clock: each waiter measures again.
    for (auto& w : s.waiters) w.cv.notify_one();
}

int WynPlat_IsVirtualClock(void) { return S().virt ? 1 : 0; }

void WynPlat_AdvanceClock(uint64_t micros) {
    State& s = S();
    std::lock_guard<std::mutex> g(s.m);
    if (!s.virt) return;
    s.vnow += micros;
    ++s.activity;
    WakeLocked(s);
}

void WynPlat_SetClockReadStep(uint64_t micros) { S().step = micros; }

DWORD WINAPI timeGetTime(void) { return static_cast<DWORD>(NowMicros() / 1000u); }

DWORD WINAPI GetTickCount(void) { return static_cast<DWORD>(NowMicros() / 1000u); }

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    count->QuadPart = static_cast<LONGLONG>(NowMicros());
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    frequency->QuadPart = 1000000;
    return TRUE;
}

MMRESULT WINAPI timeBeginPeriod(UINT period) { return period ? TIMERR_NOERROR : TIMERR_NOCANDO; }

MMRESULT WINAPI timeEndPeriod(UINT period) { return period ? TIMERR_NOERROR : TIMERR_NOCANDO; }

MMRESULT WINAPI timeGetDevCaps(LPTIMECAPS caps, UINT size) {
    if (!caps || size < sizeof(TIMECAPS)) return TIMERR_NOCANDO;
    caps->wPeriodMin = 1;
    caps->wPeriodMax = 1000000;
    return TIMERR_NOERROR;
}

void WINAPI Sleep(DWORD ms) {
    if (ms == 0) {
        sched_yield();
        return;
    }
    WaitUntil(DeadlineAfterMs(ms), {});
}

namespace {

void FillSystemTime(LPSYSTEMTIME st, bool local) {
    if (!st) return;
    time_t secs;
    long millis;
    State& s = S();
    if (s.virt) {
        uint64_t since = PeekMicros() - std::min<uint64_t>(PeekMicros(), kVirtualStart);
        secs = static_cast<time_t>(kVirtualEpoch + static_cast<int64_t>(since / 1000000u));
        millis = static_cast<long>((since / 1000u) % 1000u);
        local = false;  // one calendar for every machine, so virtual runs repeat
    } else {
        timespec ts;
        clock_gettime(CLOCK_REALTIME, &ts);
        secs = ts.tv_sec;
        millis = ts.tv_nsec / 1000000;
    }
    tm parts{};
    if (local)
        localtime_r(&secs, &parts);
    else
        gmtime_r(&secs, &parts);
    st->wYear = static_cast<WORD>(parts.tm_year + 1900);
    st->wMonth = static_cast<WORD>(parts.tm_mon + 1);
    st->wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    st->wDay = static_cast<WORD>(parts.tm_mday);
    st->wHour = static_cast<WORD>(parts.tm_hour);
    st->wMinute = static_cast<WORD>(parts.tm_min);
    st->wSecond = static_cast<WORD>(parts.tm_sec);
    st->wMilliseconds = static_cast<WORD>(millis);
}

}  // namespace

void WINAPI GetSystemTime(LPSYSTEMTIME st) { FillSystemTime(st, false); }

void WINAPI GetLocalTime(LPSYSTEMTIME st) { FillSystemTime(st, true); }
