// Threads, events, mutexes, waits and critical sections on the virtual clock (the test runs
// with WYN_CLOCK=virtual): every time-out below is exact, whatever the machine's load.
#include <windows.h>
#include <mmsystem.h>
#include <wynplat.h>
#include <gtest/gtest.h>

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <string>
#include <thread>

namespace {

HANDLE Start(LPTHREAD_START_ROUTINE fn, void* param, DWORD flags = 0, DWORD* tid = nullptr) {
    HANDLE h = CreateThread(nullptr, 0, fn, param, flags, tid);
    EXPECT_NE(h, nullptr);
    return h;
}

DWORD ExitCode(HANDLE h) {
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(h, &code));
    return code;
}

struct Ran {
    std::atomic<int> count{0};
    std::atomic<DWORD> tid{0};
};

DWORD WINAPI CountAndReturn7(LPVOID p) {
    auto* ran = static_cast<Ran*>(p);
    ran->tid = GetCurrentThreadId();
    ++ran->count;
    return 7;
}

// How often thread `tid` has given up the processor of its own accord: once for each time it
// blocked, so a sleeper that nobody wakes keeps its count.
long VoluntarySwitches(pid_t tid) {
    std::ifstream status("/proc/self/task/" + std::to_string(tid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.starts_with("voluntary_ctxt_switches:")) return std::stol(line.substr(24));
    return -1;
}

char RunState(pid_t tid) {
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t paren = text.rfind(')');
    return paren != std::string::npos && paren + 2 < text.size() ? text[paren + 2] : '?';
}

class VirtualTime : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(WynPlat_IsVirtualClock(), 1);
        WynPlat_SetClockReadStep(0);
    }
    static uint64_t Now() { return WynPlat_ClockMicros(); }
};

}  // namespace

TEST_F(VirtualTime, SuspendedThreadRunsOnlyAfterResume) {
    Ran ran;
    DWORD tid = 0;
    HANDLE h = Start(CountAndReturn7, &ran, CREATE_SUSPENDED, &tid);
    EXPECT_NE(tid, 0u);
    EXPECT_NE(tid, GetCurrentThreadId());
    EXPECT_EQ(ExitCode(h), static_cast<DWORD>(STILL_ACTIVE));
    uint64_t t0 = Now();
    EXPECT_EQ(WaitForSingleObject(h, 100), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(Now() - t0, 100000u) << "the time-out passes on the virtual clock";
    EXPECT_EQ(ran.count, 0);
    EXPECT_EQ(SuspendThread(h), 1u);  // suspended twice now
    EXPECT_EQ(ResumeThread(h), 2u);
    EXPECT_EQ(ran.count, 0);
    EXPECT_EQ(ResumeThread(h), 1u);  // runs
    EXPECT_EQ(WaitForSingleObject(h, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(ran.count, 1);
    EXPECT_EQ(ran.tid, tid) << "the id CreateThread gives is the thread's own";
    EXPECT_EQ(ExitCode(h), 7u);
    EXPECT_EQ(ResumeThread(h), 0u);
    EXPECT_TRUE(CloseHandle(h));
}

TEST_F(VirtualTime, ExitCodesFromReturnExitThreadAndTerminate) {
    struct Case {
        const char* name;
        LPTHREAD_START_ROUTINE fn;
        DWORD code;
    };
    static std::atomic<int> afterExit{0};
    const Case cases[] = {
        {"return", [](LPVOID) -> DWORD { return 42; }, 42},
        {"ExitThread",
         [](LPVOID) -> DWORD {
             ExitThread(99);
             ++afterExit;
             return 1;
         },
         99},
        {"ExitThread(0)",
         [](LPVOID) -> DWORD {
             ExitThread(0);
             return 1;
         },
         0},
    };
    for (const auto& c : cases) {
        HANDLE h = Start(c.fn, nullptr);
        EXPECT_EQ(WaitForSingleObject(h, 1000), static_cast<DWORD>(WAIT_OBJECT_0)) << c.name;
        EXPECT_EQ(ExitCode(h), c.code) << c.name;
        CloseHandle(h);
    }
    EXPECT_EQ(afterExit, 0) << "nothing runs after ExitThread";

    // A thread not yet started can be ended cleanly; a running one is refused.
    Ran ran;
    HANDLE never = Start(CountAndReturn7, &ran, CREATE_SUSPENDED);
    EXPECT_TRUE(TerminateThread(never, 5));
    EXPECT_EQ(WaitForSingleObject(never, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(ExitCode(never), 5u);
    EXPECT_EQ(ResumeThread(never), 1u);
    Sleep(10);
    EXPECT_EQ(ran.count, 0) << "a terminated thread never runs";
    CloseHandle(never);

    HANDLE gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE running = Start(
        [](LPVOID g) -> DWORD {
            WaitForSingleObject(static_cast<HANDLE>(g), INFINITE);
            return 3;
        },
        gate);
    EXPECT_FALSE(TerminateThread(running, 1));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(SuspendThread(running), static_cast<DWORD>(-1));
    SetEvent(gate);
    EXPECT_EQ(WaitForSingleObject(running, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(ExitCode(running), 3u);
    CloseHandle(running);
    CloseHandle(gate);
}

namespace {
struct Timed {
    HANDLE event;
    DWORD ms;
    DWORD result;
    uint64_t start, end;
};
DWORD WINAPI WaitTimed(LPVOID p) {
    auto* t = static_cast<Timed*>(p);
    t->start = WynPlat_ClockMicros();
    t->result = t->event ? WaitForSingleObject(t->event, t->ms) : (Sleep(t->ms), WAIT_TIMEOUT);
    t->end = WynPlat_ClockMicros();
    return 0;
}
}  // namespace

TEST_F(VirtualTime, WaitingThreadTimesOutAtItsVirtualDeadline) {
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Timed t{never, 500, 0, 0, 0};
    HANDLE h = Start(WaitTimed, &t);
    EXPECT_EQ(WaitForSingleObject(h, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(t.result, static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(t.end - t.start, 500000u);
    CloseHandle(h);
    CloseHandle(never);
}

TEST_F(VirtualTime, ExplicitAdvanceWakesAWaiterWhileTheTestRuns) {
    // The main thread never blocks here, so only the test's own steps move the clock.
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Timed t{never, 1000, 0, 0, 0};
    HANDLE h = Start(WaitTimed, &t);
    int steps = 0;
    while (WaitForSingleObject(h, 0) == WAIT_TIMEOUT && steps < 1000000) {
        WynPlat_AdvanceClock(300000);
        ++steps;
        Sleep(0);
    }
    EXPECT_EQ(t.result, static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_GE(t.end - t.start, 1000000u);
    CloseHandle(h);
    CloseHandle(never);
}

TEST_F(VirtualTime, SleepersSideBySideWakeInDeadlineOrder) {
    Timed t[3] = {{nullptr, 300, 0, 0, 0}, {nullptr, 100, 0, 0, 0}, {nullptr, 200, 0, 0, 0}};
    uint64_t t0 = Now();
    HANDLE h[3];
    for (int i = 0; i < 3; ++i) h[i] = Start(WaitTimed, &t[i]);
    EXPECT_EQ(WaitForMultipleObjects(3, h, TRUE, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(t[i].start, t0) << "sleeper " << i;
        EXPECT_EQ(t[i].end - t[i].start, t[i].ms * 1000ull) << "sleeper " << i;
        CloseHandle(h[i]);
    }
    EXPECT_EQ(Now() - t0, 300000u) << "side by side, not one after the other";
}

TEST_F(VirtualTime, ThreadsOutsideTheLayerDoNotHangTheClock) {
    // The main thread blocks in join(), which the clock cannot see; the sleeper still wakes,
    // at its own deadline.
    uint64_t start = 0, end = 0;
    std::thread other([&] {
        start = WynPlat_ClockMicros();
        Sleep(250);
        end = WynPlat_ClockMicros();
    });
    other.join();
    EXPECT_EQ(end - start, 250000u);
}

TEST_F(VirtualTime, AThreadWorkingOutsideTheLayerHoldsTheClockBack) {
    // The main thread works outside the layer for a while, asleep in the kernel most of that
    // time (short waits, as for a disk or the X server's replies) yet making progress: the
    // sleeper's deadline waits for it, however the work is spread over real time. Only once
    // the main thread is blocked for good (in join) does the clock move on by itself.
    std::atomic<bool> working{true};
    std::atomic<pid_t> tid{0};
    bool wokeDuringWork = true;
    const uint64_t t0 = Now();
    std::thread sleeper([&] {
        tid = static_cast<pid_t>(syscall(SYS_gettid));
        Sleep(50);
        wokeDuringWork = working;
    });
    while (tid == 0 || RunState(tid) != 'S') std::this_thread::yield();
    for (int i = 0; i < 400; ++i) usleep(1000);
    working = false;
    sleeper.join();
    EXPECT_FALSE(wokeDuringWork) << "virtual time moved on while the main thread was working";
    EXPECT_EQ(Now() - t0, 50000u);
}

namespace {

// Two threads taking turns through batons: each notes whose turn it found, and the partner
// sleeps `sleepMs` on the clock in each of its turns.
struct Relay {
    volatile LONG baton[2] = {};
    int turn = 0;   // whose turn it is, as the passer left it
    int wrong = 0;  // turns found to be the other thread's
    int rounds = 0;
    DWORD sleepMs = 0;
};

DWORD WINAPI RelayPartner(LPVOID p) {
    auto* r = static_cast<Relay*>(p);
    for (int i = 0; i < r->rounds; ++i) {
        WynPlat_TakeBaton(&r->baton[1]);
        if (r->turn != 1) ++r->wrong;
        if (r->sleepMs) Sleep(r->sleepMs);
        r->turn = 0;
        WynPlat_PassBaton(&r->baton[0]);
    }
    return 0;
}

// The main thread's side: `rounds` turns handed over and taken back; the clock's advance.
uint64_t RunRelay(Relay& r) {
    HANDLE partner = Start(RelayPartner, &r);
    uint64_t t0 = WynPlat_ClockMicros();
    for (int i = 0; i < r.rounds; ++i) {
        r.turn = 1;
        WynPlat_PassBaton(&r.baton[1]);
        WynPlat_TakeBaton(&r.baton[0]);
        if (r.turn != 0) ++r.wrong;
    }
    uint64_t elapsed = WynPlat_ClockMicros() - t0;
    EXPECT_EQ(WaitForSingleObject(partner, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(partner);
    return elapsed;
}

}  // namespace

TEST_F(VirtualTime, BatonsHandTheTurnOverAndTheirSleepersCountAsBlocked) {
    Relay quick;
    quick.rounds = 2000;
    EXPECT_EQ(RunRelay(quick), 0u) << "hand-offs alone do not move the clock";
    EXPECT_EQ(quick.wrong, 0) << "a thread ran while the other held the turn";

    // While the main thread sleeps on its baton the partner's sleeps are all that is left, so
    // the clock jumps through them; and none of them ends early.
    Relay sleepy;
    sleepy.rounds = 5;
    sleepy.sleepMs = 40;
    EXPECT_EQ(RunRelay(sleepy), 200000u);
    EXPECT_EQ(sleepy.wrong, 0);

    volatile LONG passedEarly = 0;
    WynPlat_PassBaton(&passedEarly);
    WynPlat_TakeBaton(&passedEarly);  // passed before it was taken: no sleep
    EXPECT_EQ(passedEarly, 0);
}

namespace {

// Three threads in a ring, each passing to the next and warning the one after it, as the
// script tasks do: `wrong` counts turns found to be another thread's.
struct Ring {
    volatile LONG baton[3] = {};
    std::atomic<int> turn{0};
    std::atomic<int> wrong{0};
    int rounds = 0;
};
struct RingSeat {
    Ring* ring;
    int me;
};

DWORD WINAPI RingMember(LPVOID p) {
    auto* seat = static_cast<RingSeat*>(p);
    Ring& r = *seat->ring;
    int me = seat->me, next = (me + 1) % 3, after = (me + 2) % 3;
    for (int i = 0; i < r.rounds; ++i) {
        WynPlat_TakeBaton(&r.baton[me]);
        if (r.turn.load() != me) ++r.wrong;
        r.turn = next;
        WynPlat_PassBaton(&r.baton[next]);
        WynPlat_WarnBaton(&r.baton[after]);
    }
    return 0;
}

}  // namespace

TEST_F(VirtualTime, WarnedBatonTakersLookBrieflyThenSleepAsBlocked) {
    Ring ring;
    ring.rounds = 2000;
    RingSeat seats[3] = {{&ring, 0}, {&ring, 1}, {&ring, 2}};
    HANDLE members[2] = {Start(RingMember, &seats[1]), Start(RingMember, &seats[2])};
    uint64_t t0 = WynPlat_ClockMicros();
    WynPlat_PassBaton(&ring.baton[0]);
    RingMember(&seats[0]);
    for (HANDLE h : members) {
        EXPECT_EQ(WaitForSingleObject(h, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
        CloseHandle(h);
    }
    EXPECT_EQ(ring.wrong.load(), 0) << "a thread ran while another held the turn";
    EXPECT_EQ(WynPlat_ClockMicros() - t0, 0u) << "hand-offs alone do not move the clock";

    // A warned taker whose baton does not come stops looking and sleeps as blocked, whether it
    // warned its own baton before taking it or was woken by a warning: the main thread's sleep
    // is then all there is, and the clock jumps through it.
    volatile LONG never = 0;
    HANDLE taker = Start(
        [](LPVOID p) -> DWORD {
            auto* baton = static_cast<volatile LONG*>(p);
            WynPlat_WarnBaton(baton);
            WynPlat_TakeBaton(baton);
            return 0;
        },
        const_cast<LONG*>(&never));
    while (__atomic_load_n(&never, __ATOMIC_SEQ_CST) != 2) Sleep(1);
    WynPlat_WarnBaton(&never);
    uint64_t t1 = WynPlat_ClockMicros();
    Sleep(50);
    EXPECT_EQ(WynPlat_ClockMicros() - t1, 50000u);
    WynPlat_PassBaton(&never);
    EXPECT_EQ(WaitForSingleObject(taker, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(taker);
}

TEST_F(VirtualTime, EventsManualAndAutoReset) {
    HANDLE autoEv = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE manual = CreateEventA(nullptr, TRUE, TRUE, nullptr);  // starts set
    ASSERT_NE(autoEv, nullptr);
    ASSERT_NE(manual, nullptr);
    EXPECT_EQ(WaitForSingleObject(autoEv, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(SetEvent(autoEv));
    EXPECT_EQ(WaitForSingleObject(autoEv, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(autoEv, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "auto reset";
    EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "stays set";
    EXPECT_TRUE(ResetEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(PulseEvent(manual));
    EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "a pulse leaves the event reset";
    CloseHandle(autoEv);
    CloseHandle(manual);
}

TEST_F(VirtualTime, EventSetByAnotherThreadEndsTheWaitThen) {
    HANDLE ev = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE setter = Start(
        [](LPVOID e) -> DWORD {
            Sleep(50);
            SetEvent(static_cast<HANDLE>(e));
            return 0;
        },
        ev);
    uint64_t t0 = Now();
    EXPECT_EQ(WaitForSingleObject(ev, 1000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(Now() - t0, 50000u);
    WaitForSingleObject(setter, INFINITE);
    CloseHandle(setter);
    CloseHandle(ev);
}

TEST_F(VirtualTime, AutoResetEventReleasesOneWaiterPerSet) {
    struct Shared {
        HANDLE ev;
        std::atomic<int> woke{0};
    } s;
    s.ev = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    auto waiter = [](LPVOID p) -> DWORD {
        auto* sh = static_cast<Shared*>(p);
        WaitForSingleObject(sh->ev, INFINITE);
        ++sh->woke;
        return 0;
    };
    HANDLE h[2] = {Start(waiter, &s), Start(waiter, &s)};
    Sleep(10);  // both are waiting now
    SetEvent(s.ev);
    DWORD first = WaitForMultipleObjects(2, h, FALSE, 1000);
    ASSERT_LT(first, 2u);
    Sleep(100);
    EXPECT_EQ(s.woke, 1);
    EXPECT_EQ(WaitForSingleObject(h[1 - first], 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(s.ev);
    EXPECT_EQ(WaitForMultipleObjects(2, h, TRUE, 1000), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(s.woke, 2);
    CloseHandle(h[0]);
    CloseHandle(h[1]);
    CloseHandle(s.ev);
}

TEST_F(VirtualTime, NamedEventsWithinTheProcess) {
    HANDLE a = CreateEventA(nullptr, TRUE, FALSE, "ZemEventON");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    HANDLE b = CreateEventA(nullptr, FALSE, TRUE, "ZemEventON");  // the existing one
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_NE(a, b);
    EXPECT_EQ(WaitForSingleObject(b, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "its state is kept";
    SetEvent(a);
    HANDLE c = OpenEventA(EVENT_ALL_ACCESS, FALSE, "ZemEventON");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(WaitForSingleObject(c, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, "zemeventon"), nullptr)
        << "names keep their case";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(CreateMutexA(nullptr, FALSE, "ZemEventON"), nullptr) << "one namespace";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, nullptr), nullptr);
    CloseHandle(a);
    CloseHandle(b);
    CloseHandle(c);
    EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, "ZemEventON"), nullptr)
        << "the name goes with its last handle";
}

TEST_F(VirtualTime, MutexOwnershipRecursionAndAbandonment) {
    HANDLE m = CreateMutexA(nullptr, TRUE, nullptr);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(WaitForSingleObject(m, 0), static_cast<DWORD>(WAIT_OBJECT_0)) << "recursive";
    struct Try {
        HANDLE m;
        DWORD result;
        BOOL released;
    } t{m, 0, FALSE};
    auto tryTake = [](LPVOID p) -> DWORD {
        auto* x = static_cast<Try*>(p);
        x->released = ReleaseMutex(x->m);  // not the owner
        x->result = WaitForSingleObject(x->m, 100);
        if (x->result == WAIT_OBJECT_0) ReleaseMutex(x->m);
        return GetLastError();
    };
    HANDLE h = Start(tryTake, &t);
    WaitForSingleObject(h, INFINITE);
    EXPECT_FALSE(t.released);
    EXPECT_EQ(ExitCode(h), static_cast<DWORD>(ERROR_NOT_OWNER));
    EXPECT_EQ(t.result, static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(h);
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_TRUE(ReleaseMutex(m));
    EXPECT_FALSE(ReleaseMutex(m)) << "released as often as taken";
    h = Start(tryTake, &t);
    WaitForSingleObject(h, INFINITE);
    EXPECT_EQ(t.result, static_cast<DWORD>(WAIT_OBJECT_0));
    CloseHandle(h);

    // A thread that ends owning the mutex hands it on as abandoned.
    h = Start([](LPVOID p) -> DWORD { return WaitForSingleObject(static_cast<HANDLE>(p), 0); }, m);
    WaitForSingleObject(h, INFINITE);
    EXPECT_EQ(ExitCode(h), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(WaitForSingleObject(m, 0), static_cast<DWORD>(WAIT_ABANDONED));
    EXPECT_TRUE(ReleaseMutex(m));
    CloseHandle(h);
    CloseHandle(m);
}

TEST_F(VirtualTime, WaitForMultipleAnyAndAll) {
    HANDLE e[3];
    for (auto& h : e) h = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    uint64_t t0 = Now();
    EXPECT_EQ(WaitForMultipleObjects(3, e, FALSE, 20), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(Now() - t0, 20000u);
    SetEvent(e[2]);
    SetEvent(e[1]);
    EXPECT_EQ(WaitForMultipleObjects(3, e, FALSE, 0), static_cast<DWORD>(WAIT_OBJECT_0 + 1))
        << "the lowest index that is set";
    EXPECT_EQ(WaitForMultipleObjects(3, e, TRUE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(e[0]);
    EXPECT_EQ(WaitForMultipleObjects(3, e, TRUE, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    for (auto& h : e) CloseHandle(h);
}

TEST(SyncBadInput, UnknownHandlesAndParametersFailCleanly) {
    HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<intptr_t>(0x7ff0));
    HANDLE ev = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE mutex = CreateMutexA(nullptr, FALSE, nullptr);
    HANDLE closed = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    CloseHandle(closed);
    for (HANDLE h : {bogus, static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE, closed}) {
        SetLastError(0);
        EXPECT_EQ(WaitForSingleObject(h, 0), WAIT_FAILED) << h;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << h;
        EXPECT_FALSE(SetEvent(h)) << h;
        EXPECT_FALSE(ResetEvent(h)) << h;
        EXPECT_FALSE(ReleaseMutex(h)) << h;
        EXPECT_EQ(ResumeThread(h), static_cast<DWORD>(-1)) << h;
        EXPECT_EQ(SuspendThread(h), static_cast<DWORD>(-1)) << h;
        DWORD code;
        EXPECT_FALSE(GetExitCodeThread(h, &code)) << h;
        EXPECT_FALSE(TerminateThread(h, 0)) << h;
        EXPECT_FALSE(SetThreadPriority(h, THREAD_PRIORITY_NORMAL)) << h;
        EXPECT_EQ(GetThreadPriority(h), THREAD_PRIORITY_ERROR_RETURN) << h;
        HANDLE pair[2] = {ev, h};
        EXPECT_EQ(WaitForMultipleObjects(2, pair, FALSE, 0), WAIT_FAILED) << h;
    }
    EXPECT_FALSE(SetEvent(mutex)) << "a mutex is not an event";
    EXPECT_FALSE(ReleaseMutex(ev)) << "an event is not a mutex";
    EXPECT_EQ(WaitForMultipleObjects(0, &ev, FALSE, 0), WAIT_FAILED);
    HANDLE many[65];
    for (auto& h : many) h = ev;
    EXPECT_EQ(WaitForMultipleObjects(65, many, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WaitForMultipleObjects(1, nullptr, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
    CloseHandle(ev);
    CloseHandle(mutex);
}

TEST(ThreadPriority, AcceptedAndReported) {
    EXPECT_TRUE(SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST));
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), THREAD_PRIORITY_HIGHEST);
    HANDLE h = CreateThread(
        nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, CREATE_SUSPENDED, nullptr);
    EXPECT_EQ(GetThreadPriority(h), THREAD_PRIORITY_NORMAL);
    EXPECT_TRUE(SetThreadPriority(h, THREAD_PRIORITY_TIME_CRITICAL));
    EXPECT_EQ(GetThreadPriority(h), THREAD_PRIORITY_TIME_CRITICAL);
    EXPECT_FALSE(SetThreadPriority(h, 7));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    ResumeThread(h);
    WaitForSingleObject(h, INFINITE);
    CloseHandle(h);
}

namespace {
struct Counter {
    CRITICAL_SECTION cs;
    long value = 0;
    LONG atomic = 0;
};
DWORD WINAPI AddMany(LPVOID p) {
    auto* c = static_cast<Counter*>(p);
    for (int i = 0; i < 20000; ++i) {
        EnterCriticalSection(&c->cs);
        EnterCriticalSection(&c->cs);  // recursive
        ++c->value;
        LeaveCriticalSection(&c->cs);
        LeaveCriticalSection(&c->cs);
        InterlockedIncrement(&c->atomic);
    }
    return 0;
}
}  // namespace

TEST(CriticalSection, RecursiveAndExclusive) {
    Counter c;
    InitializeCriticalSection(&c.cs);
    HANDLE h[4];
    for (auto& x : h) x = CreateThread(nullptr, 0, AddMany, &c, 0, nullptr);
    EXPECT_EQ(WaitForMultipleObjects(4, h, TRUE, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
    EXPECT_EQ(c.value, 80000);
    EXPECT_EQ(c.atomic, 80000);
    for (auto& x : h) CloseHandle(x);

    EnterCriticalSection(&c.cs);
    std::atomic<int> other{-1};
    std::thread t([&] {
        other = TryEnterCriticalSection(&c.cs);
        if (other) LeaveCriticalSection(&c.cs);
    });
    t.join();
    EXPECT_EQ(other, 0) << "held by this thread";
    EXPECT_TRUE(TryEnterCriticalSection(&c.cs)) << "but open to its owner again";
    LeaveCriticalSection(&c.cs);
    LeaveCriticalSection(&c.cs);
    DeleteCriticalSection(&c.cs);
}

namespace {
struct Handover {
    CRITICAL_SECTION cs;
    std::atomic<pid_t> tid{0};
    DWORD entered = 0;
};
DWORD WINAPI EnterAndNoteTheTime(LPVOID p) {
    auto* h = static_cast<Handover*>(p);
    h->tid = static_cast<pid_t>(syscall(SYS_gettid));
    EnterCriticalSection(&h->cs);
    h->entered = timeGetTime();
    LeaveCriticalSection(&h->cs);
    return 0;
}
}  // namespace

// A thread that waits for a section is ready to run once the owner leaves it: virtual time
// does not jump over it to the deadline of the owner's next sleep.
TEST_F(VirtualTime, ASectionLeftToAWaiterHoldsVirtualTimeUntilTheWaiterRuns) {
    for (int round = 0; round < 20; ++round) {
        Handover h;
        InitializeCriticalSection(&h.cs);
        EnterCriticalSection(&h.cs);
        HANDLE t = Start(EnterAndNoteTheTime, &h);
        while (h.tid == 0) Sleep(0);
        while (RunState(h.tid) != 'S') std::this_thread::yield();  // waiting for the section
        DWORD left = timeGetTime();
        LeaveCriticalSection(&h.cs);
        Sleep(1000);
        EXPECT_EQ(WaitForSingleObject(t, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
        EXPECT_EQ(h.entered, left) << "round " << round << ": the waiter ran when it was free";
        CloseHandle(t);
        DeleteCriticalSection(&h.cs);
    }
}

TEST(Interlocked, ReturnsWhatTheSystemReturns) {
    LONG v = 5;
    EXPECT_EQ(InterlockedIncrement(&v), 6);
    EXPECT_EQ(InterlockedDecrement(&v), 5);
    EXPECT_EQ(InterlockedExchange(&v, 9), 5);
    EXPECT_EQ(InterlockedExchangeAdd(&v, 3), 9);
    EXPECT_EQ(v, 12);
    EXPECT_EQ(InterlockedCompareExchange(&v, 1, 11), 12) << "no exchange when it differs";
    EXPECT_EQ(v, 12);
    EXPECT_EQ(InterlockedCompareExchange(&v, 1, 12), 12);
    EXPECT_EQ(v, 1);
}

TEST(WaitOnProcesses, ProcessHandlesJoinWaitsOnSeveralObjects) {
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::string args = " exit=3";
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA("plat_child.exe", args.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, nullptr, &pi));
    HANDLE both[2] = {never, pi.hProcess};
    EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, INFINITE),
              static_cast<DWORD>(WAIT_OBJECT_0 + 1));
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(never);
    EXPECT_EQ(WaitForMultipleObjects(2, both, TRUE, 0), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_EQ(code, 3u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(never);
}

namespace {
struct Gate {
    CRITICAL_SECTION cs;
    CONDITION_VARIABLE cv;
    bool open = false;
};
DWORD WINAPI OpenAfter200(LPVOID p) {
    auto* g = static_cast<Gate*>(p);
    Sleep(200);
    EnterCriticalSection(&g->cs);
    g->open = true;
    LeaveCriticalSection(&g->cs);
    WakeAllConditionVariable(&g->cv);
    return 0;
}
}  // namespace

TEST(ConditionVariable, WaitsOnTheClockUntilWokenOrTimedOut) {
    Gate g;
    InitializeCriticalSection(&g.cs);
    InitializeConditionVariable(&g.cv);
    WynPlat_SetClockReadStep(0);

    EnterCriticalSection(&g.cs);
    DWORD t0 = timeGetTime();
    SetLastError(0);
    EXPECT_FALSE(SleepConditionVariableCS(&g.cv, &g.cs, 500)) << "nobody wakes it";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_EQ(timeGetTime() - t0, 500u) << "the time-out runs on the virtual clock";
    EXPECT_TRUE(TryEnterCriticalSection(&g.cs)) << "the section is held again";
    LeaveCriticalSection(&g.cs);

    t0 = timeGetTime();
    HANDLE h = Start(OpenAfter200, &g);
    while (!g.open) SleepConditionVariableCS(&g.cv, &g.cs, INFINITE);
    EXPECT_EQ(timeGetTime() - t0, 200u) << "woken when the other thread opened the gate";
    LeaveCriticalSection(&g.cs);
    WaitForSingleObject(h, INFINITE);
    CloseHandle(h);
    DeleteCriticalSection(&g.cs);
    WynPlat_SetClockReadStep(100);
}

namespace {
struct PingPong {
    CRITICAL_SECTION cs;
    CONDITION_VARIABLE ping, pong;
    int sent = 0, answered = 0;
    bool stop = false;
};
DWORD WINAPI AnswerEachPing(LPVOID p) {
    auto* g = static_cast<PingPong*>(p);
    EnterCriticalSection(&g->cs);
    while (!g->stop) {
        while (g->answered == g->sent && !g->stop)
            SleepConditionVariableCS(&g->ping, &g->cs, INFINITE);
        g->answered = g->sent;
        WakeAllConditionVariable(&g->pong);
    }
    LeaveCriticalSection(&g->cs);
    return 0;
}

struct Sleeper {
    Gate gate;
    std::atomic<pid_t> tid{0};
};
DWORD WINAPI SleepUntilOpened(LPVOID p) {
    auto* s = static_cast<Sleeper*>(p);
    EnterCriticalSection(&s->gate.cs);
    s->tid = static_cast<pid_t>(syscall(SYS_gettid));
    while (!s->gate.open) SleepConditionVariableCS(&s->gate.cv, &s->gate.cs, INFINITE);
    LeaveCriticalSection(&s->gate.cs);
    return 0;
}
}  // namespace

// A wake-up reaches the threads asleep on that variable only: the others sleep on, so that
// handing work between two threads does not wake every waiting thread of the process. (On the
// virtual clock every waiter also looks for a stall every few ms of real time.)
TEST(ConditionVariable, WakingOneVariableLeavesTheSleepersOfAnotherAsleep) {
    WynPlat_SetVirtualClock(0);
    {
        Sleeper quiet;
        InitializeCriticalSection(&quiet.gate.cs);
        InitializeConditionVariable(&quiet.gate.cv);
        HANDLE sleeper = Start(SleepUntilOpened, &quiet);
        // Once the section is free again, the sleeper is inside its wait.
        while (quiet.tid == 0) Sleep(1);
        EnterCriticalSection(&quiet.gate.cs);
        LeaveCriticalSection(&quiet.gate.cs);
        while (RunState(quiet.tid) != 'S') std::this_thread::yield();

        PingPong pp;
        InitializeCriticalSection(&pp.cs);
        InitializeConditionVariable(&pp.ping);
        InitializeConditionVariable(&pp.pong);
        HANDLE partner = Start(AnswerEachPing, &pp);
        long before = VoluntarySwitches(quiet.tid);
        constexpr int kRounds = 300;
        EnterCriticalSection(&pp.cs);
        for (int i = 0; i < kRounds; ++i) {
            ++pp.sent;
            WakeAllConditionVariable(&pp.ping);
            while (pp.answered != pp.sent) SleepConditionVariableCS(&pp.pong, &pp.cs, INFINITE);
        }
        pp.stop = true;
        WakeAllConditionVariable(&pp.ping);
        LeaveCriticalSection(&pp.cs);
        WaitForSingleObject(partner, INFINITE);
        long woken = VoluntarySwitches(quiet.tid) - before;
        EXPECT_LT(woken, 10) << "the sleeper was woken by the other variable's wake-ups";
        EnterCriticalSection(&pp.cs);
        EXPECT_FALSE(SleepConditionVariableCS(&pp.ping, &pp.cs, 20)) << "its own deadline ends it";
        LeaveCriticalSection(&pp.cs);

        EnterCriticalSection(&quiet.gate.cs);
        quiet.gate.open = true;
        LeaveCriticalSection(&quiet.gate.cs);
        WakeAllConditionVariable(&quiet.gate.cv);
        EXPECT_EQ(WaitForSingleObject(sleeper, INFINITE), static_cast<DWORD>(WAIT_OBJECT_0));
        CloseHandle(sleeper);
        CloseHandle(partner);
        DeleteCriticalSection(&pp.cs);
        DeleteCriticalSection(&quiet.gate.cs);
    }
    WynPlat_SetVirtualClock(1);
}
