// Tasks and the turn: task threads, handing the turn on, waits, pauses, ending tasks, the
// host's loop and its mailbox. One lock guards it all. A task waiting for its turn sleeps on
// a baton of its own, which the task handing the turn on passes after leaving the lock: only
// the task that gets the turn wakes, straight away. Every other wait sleeps on one condition
// variable (on the process clock), which whoever changes what those waiters test wakes.
// Handing the turn on is skipped without the lock when no other task could take it.
#include <mmsystem.h>
#include <wynplat.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "vskexec_internal.h"
#include "vsktask.h"

namespace vskexec {
namespace {

constexpr DWORD kMaxWaitMs = 10000;

// A task's baton, on a cache line of its own: the turn's holder and the task it hands the
// turn to touch nothing else in common.
struct alignas(64) Baton {
    volatile LONG word = 0;
};

struct Scheduler {
    CRITICAL_SECTION lock;
    CONDITION_VARIABLE changed;
    Baton turn[VSK_TASKS];           // passed when taskno came to name that task
    std::atomic<uint32_t> live{0};   // bit t: task t's slot holds a thread (as taskhandle)
    std::atomic<uint32_t> timed{0};  // bit t: task t is in a wait for time, until due[t]
    tagVALUAREA* ctx = nullptr;
    std::atomic<DWORD> hostThread{0};
    HANDLE thread[VSK_TASKS] = {};  // kept to be joined after the task's slot is free
    DWORD due[VSK_TASKS] = {};
    bool anyEnd[VSK_TASKS] = {};  // the wait ends on any task's end flag (else its own)
    bool serving = false;         // the host has taken the standing request
    Scheduler() {
        InitializeCriticalSection(&lock);
        InitializeConditionVariable(&changed);
    }
};

// Made when the library loads (nothing of it runs before): read on every statement, it is
// reached without a guard.
Scheduler g_scheduler;

inline Scheduler& S() { return g_scheduler; }

// A task's first statement runs before anybody else's: the new task runs first.
[[gnu::tls_model("initial-exec")]] thread_local bool t_fresh = false;

class Locked {
  public:
    Locked() { EnterCriticalSection(&S().lock); }
    ~Locked() { LeaveCriticalSection(&S().lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

void WakeAll() { WakeAllConditionVariable(&S().changed); }
void Block(DWORD ms) { SleepConditionVariableCS(&S().changed, &S().lock, ms); }

bool Due(DWORD due, DWORD now) { return int32_t(due - now) <= 0; }

void WakeHost() {
    if (DWORD host = S().hostThread.load()) PostThreadMessageA(host, WM_NULL, 0, 0);
}

uint32_t Bit(int t) { return uint32_t(1) << t; }

// Marks task t's slot live or free, with its thread's handle (the lock held).
void SetLive(tagVALUAREA* ctx, int t, HANDLE h) {
    std::atomic_ref<HANDLE>(ctx->taskhandle[t]).store(h);
    if (h)
        S().live.fetch_or(Bit(t));
    else
        S().live.fetch_and(~Bit(t));
}

// Names task t as the turn's holder (the lock held). Its baton is passed by Wake once the
// lock is left, so that the task does not wake only to wait for the lock.
void SetTurn(tagVALUAREA* ctx, int t) { std::atomic_ref<int>(ctx->taskno).store(t); }

void Wake(int t) {
    if (t >= 0 && t < VSK_TASKS) WynPlat_PassBaton(&S().turn[t].word);
}

// The process clock, read at most once and only when somebody waits on it.
class Now {
  public:
    DWORD Get() {
        if (!read_) value_ = timeGetTime();
        read_ = true;
        return value_;
    }

  private:
    DWORD value_ = 0;
    bool read_ = false;
};

// Whether task t may take the turn now.
bool CanRun(tagVALUAREA* ctx, int t, Now& now) {
    if (!Live(ctx, t)) return false;
    DWORD f = Flags(ctx, t);
    if (f & VSK_TASKFLAG_END) return true;
    if (f & VSK_TASKFLAG_PAUSE) return false;
    if (S().timed.load() & Bit(t))
        return Due(S().due[t], now.Get()) || (S().anyEnd[t] && AnyEnd(ctx));
    return true;
}

// Whether some task other than `me` may want the turn, from a few loads and without the lock:
// false when every other live task is paused (and not ended) and none waits for time.
bool OthersMayRun(tagVALUAREA* ctx, int me) {
    uint32_t others = S().live.load() & ~Bit(me);
    if (others & S().timed.load()) return true;
    for (int t = 0; others; ++t, others >>= 1) {
        if (!(others & 1)) continue;
        DWORD f = Flags(ctx, t);
        if (!(f & VSK_TASKFLAG_PAUSE) || (f & VSK_TASKFLAG_END)) return true;
    }
    return false;
}

// The task that gets the turn after `me` (the lock held): the first in number order that can
// run; when none can and `me` is gone, the first live one (it keeps the turn while it waits);
// -1 when nobody else is there.
int NextTurn(tagVALUAREA* ctx, int me) {
    Now now;
    for (int i = 1; i < VSK_TASKS; ++i) {
        int t = (me + i) % VSK_TASKS;
        if (CanRun(ctx, t, now)) return t;
    }
    if (me >= 0 && Live(ctx, me)) return -1;
    for (int i = 1; i <= VSK_TASKS; ++i) {
        int t = (me + i) % VSK_TASKS;
        if (Live(ctx, t)) return t;
    }
    return -1;
}

// Wakes `next`, which the turn names, and blocks until the turn names `me` (the lock held on
// entry and again on return, left meanwhile). When `next` is expected to hand the turn straight
// back (`after` is `me`: two tasks taking turns), `me` looks for its baton a bounded moment
// before it sleeps. Looking further ahead (warning the task after `next`) was measured and
// dropped: on a busy machine the lookers take the processor from the turn's holder.
void AwaitTurn(tagVALUAREA* ctx, int me, int next = -1, int after = -1) {
    LeaveCriticalSection(&S().lock);
    if (after == me && next >= 0) WynPlat_WarnBaton(&S().turn[me].word);
    Wake(next);
    // A baton passed to a task that had not gone to sleep yet stays passed: the turn decides.
    while (std::atomic_ref<int>(ctx->taskno).load() != me) WynPlat_TakeBaton(&S().turn[me].word);
    EnterCriticalSection(&S().lock);
}

// Hands the turn to `next` and waits for it to come back (the lock held).
void PassTurn(tagVALUAREA* ctx, int me, int next) {
    SetTurn(ctx, next);
    AwaitTurn(ctx, me, next, NextTurn(ctx, next));
}

// The milliseconds until the earliest due time among the waiting tasks, INFINITE for none.
DWORD UntilEarliestDue(tagVALUAREA* ctx, DWORD now) {
    DWORD best = INFINITE;
    for (int t = 0; t < VSK_TASKS; ++t) {
        if (!(S().timed.load() & Bit(t)) || !Live(ctx, t)) continue;
        DWORD left = Due(S().due[t], now) ? 0 : S().due[t] - now;
        if (left < best) best = left;
    }
    return best;
}

// Lets the other tasks run until `due` (the lock held): hands the turn round while anybody
// else can run, else sleeps until the earliest due time or a change.
int WaitFor(tagVALUAREA* ctx, int me, DWORD due, bool anyEnd) {
    S().due[me] = due;
    S().anyEnd[me] = anyEnd;
    S().timed.fetch_or(Bit(me));
    int result = 1;
    for (;;) {
        if (anyEnd ? AnyEnd(ctx) : (Flags(ctx, me) & VSK_TASKFLAG_END) != 0) {
            result = 0;
            break;
        }
        DWORD now = timeGetTime();
        if (Due(due, now)) break;
        int next = ctx->tasksuper == me ? -1 : NextTurn(ctx, me);
        if (next >= 0)
            PassTurn(ctx, me, next);
        else
            Block(UntilEarliestDue(ctx, now));
    }
    S().timed.fetch_and(~Bit(me));
    return result;
}

void JoinThread(int t) {
    if (HANDLE h = S().thread[t]) {
        WaitForSingleObject(h, INFINITE);
        CloseHandle(h);
        S().thread[t] = nullptr;
    }
}

DWORD WINAPI TaskMain(LPVOID param) {
    int me = int(reinterpret_cast<intptr_t>(param));
    t_task = me;
    t_fresh = true;
    tagVALUAREA* ctx = S().ctx;
    {
        Locked l;
        AwaitTurn(ctx, me);
    }
    int result = VSKEXEC_File(ctx, ctx->taskname[me]);
    // Every frame goes, the first one too, so that the slot starts clean when it is reused.
    tagVALUEBLOCK* local = VSKVAL_GetLocal(ctx, me);
    while (local->offset >= 0) VSKVAL_DeleteLocal(ctx, me);
    if (ctx->tasksuper == me) ctx->tasksuper = -1;
    VSKVAL_Clear(ctx, &ctx->vbsystem, VSK_SYS_TASKPRIVATE(me));
    int next;
    {
        Locked l;
        SetLive(ctx, me, nullptr);
        S().timed.fetch_and(~Bit(me));
        next = NextTurn(ctx, me);
        SetTurn(ctx, next);
        WakeAll();  // for those who wait for this task's end
    }
    Wake(next);
    WakeHost();
    return DWORD(result);
}

void Bind(tagVALUAREA* ctx) {
    if (S().ctx == ctx) return;
    S().ctx = ctx;
    S().serving = false;
    S().timed = 0;
    uint32_t live = 0;
    for (int t = 0; t < VSK_TASKS; ++t)
        if (Live(ctx, t)) live |= Bit(t);
    S().live = live;
    ForgetBindings();
    ctx->endtasks = [](tagVALUAREA* c) { VSKEXEC_EndTasks(c); };
}

}  // namespace

void Message(tagVALUAREA* ctx, const char* format, ...) {
    char text[VSK_BYTEBUF];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    VSKTASK_ErrorStop(ctx ? ctx->hwnd : nullptr, kCaption, text);
}

thread_local int t_task [[gnu::tls_model("initial-exec")]] = -1;

void AwaitResume(tagVALUAREA* ctx, int me) {
    Locked l;
    for (;;) {
        DWORD f = Flags(ctx, me);
        if (!(f & VSK_TASKFLAG_PAUSE) || (f & VSK_TASKFLAG_END)) return;
        int next = NextTurn(ctx, me);
        if (next >= 0)
            PassTurn(ctx, me, next);
        else
            Block(INFINITE);
    }
}

bool AnyEnd(tagVALUAREA* ctx) {
    for (int t = 0; t < VSK_TASKS; ++t)
        if (Live(ctx, t) && (Flags(ctx, t) & VSK_TASKFLAG_END)) return true;
    return false;
}

}  // namespace vskexec

using namespace vskexec;

int WINAPI VSKEXEC_GetFreeTask(tagVALUAREA* ctx, int n) {
    if (n < 0) {
        for (int t = 0; t < VSK_TASKS; ++t)
            if (!Live(ctx, t)) return t;
        Message(ctx, "タスクの起動数が20を超えました。");
        return -1;
    }
    if (n >= VSK_TASKS) {
        Message(ctx, "タスクの指定値が不正です。");
        return -1;
    }
    if (Live(ctx, n)) {
        Message(ctx, "タスク %d はすでに起動されています。", n);
        return -1;
    }
    return n;
}

int WINAPI VSKEXEC_ExecuteTask(tagVALUAREA* ctx, int n, LPCSTR name) {
    if (!ctx || !name) return -1;
    n = VSKEXEC_GetFreeTask(ctx, n);
    if (n < 0) return -1;
    VSKVAL_Clear(ctx, &ctx->vbsystem, VSK_SYS_TASKPRIVATE(n));
    int me = t_task;
    if (me < 0) {
        // The host: make its message queue now, so that the tasks' wake-ups reach it.
        S().hostThread = GetCurrentThreadId();
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
    Locked l;
    Bind(ctx);
    JoinThread(n);
    // A baton passed to the slot's former thread after it last looked must not reach this one.
    S().turn[n].word = 0;
    std::snprintf(ctx->taskname[n], sizeof ctx->taskname[n], "%s", name);
    std::atomic_ref<DWORD>(ctx->taskflag[n]).store(0);
    ctx->tasklevel[n] = 0;
    DWORD id = 0;
    HANDLE h = CreateThread(nullptr, 0, TaskMain, reinterpret_cast<LPVOID>(intptr_t(n)),
                            CREATE_SUSPENDED, &id);
    if (!h) return -1;
    S().thread[n] = h;
    SetLive(ctx, n, h);
    ctx->taskid[n] = id;
    // The new task finds the turn its own when it starts, so it is not woken.
    int holder = std::atomic_ref<int>(ctx->taskno).load();
    if (me >= 0 || holder < 0) SetTurn(ctx, n);
    if (ResumeThread(h) == DWORD(-1)) {
        SetLive(ctx, n, nullptr);
        SetTurn(ctx, holder);
        return -1;
    }
    if (me >= 0) AwaitTurn(ctx, me);
    return n;
}

int WINAPI VSKEXEC_WaitTask(tagVALUAREA* ctx) {
    int me = t_task;
    if (!ctx || me < 0 || ctx->tasksuper == me) return 1;
    if (t_fresh) {
        t_fresh = false;
        return 1;
    }
    if (!OthersMayRun(ctx, me)) return 1;
    Locked l;
    int next = NextTurn(ctx, me);
    if (next >= 0) PassTurn(ctx, me, next);
    return 1;
}

int WINAPI VSKEXEC_Wait(tagVALUAREA* ctx, int ms) {
    if (ms < 0) ms = 0;
    DWORD length = DWORD(ms) < kMaxWaitMs ? DWORD(ms) : kMaxWaitMs;
    int me = t_task;
    if (!ctx || me < 0) {
        ::Sleep(length);
        return 1;
    }
    Locked l;
    return WaitFor(ctx, me, timeGetTime() + length, true);
}

int WINAPI VSKEXEC_WaitUntil(tagVALUAREA* ctx, DWORD due) {
    int me = t_task;
    if (!ctx || me < 0) {
        DWORD now = timeGetTime();
        if (!Due(due, now)) ::Sleep(due - now);
        return 1;
    }
    Locked l;
    return WaitFor(ctx, me, due, false);
}

int WINAPI VSKEXEC_EndTask(tagVALUAREA* ctx, int n) {
    if (!ctx || n < 0 || n >= VSK_TASKS || !Live(ctx, n)) return 1;
    VSKEXEC_SetTaskFlag(ctx, n, VSK_TASKFLAG_END);
    int me = t_task;
    if (me == n) return 0;
    if (me < 0) {
        Locked l;
        while (Live(ctx, n)) Block(INFINITE);
        return 1;
    }
    // The ended task sees its flag once it holds the turn: hand the turn on until it is gone.
    Locked l;
    while (Live(ctx, n)) {
        int next = NextTurn(ctx, me);
        if (next >= 0)
            PassTurn(ctx, me, next);
        else
            Block(INFINITE);
    }
    return 1;
}

int WINAPI VSKEXEC_TaskLive(tagVALUAREA* ctx, int n) {
    return ctx && n >= 0 && n < VSK_TASKS && Live(ctx, n) ? 1 : 0;
}

void WINAPI VSKEXEC_SetTaskFlag(tagVALUAREA* ctx, int n, DWORD bits) {
    if (!ctx || n < 0 || n >= VSK_TASKS) return;
    Locked l;
    std::atomic_ref<DWORD>(ctx->taskflag[n]).fetch_or(bits);
    WakeAll();
}

void WINAPI VSKEXEC_ClearTaskFlag(tagVALUAREA* ctx, int n, DWORD bits) {
    if (!ctx || n < 0 || n >= VSK_TASKS) return;
    Locked l;
    std::atomic_ref<DWORD>(ctx->taskflag[n]).fetch_and(~bits);
    WakeAll();
}

void WINAPI VSKEXEC_EndTasks(tagVALUAREA* ctx) {
    if (!ctx || S().ctx != ctx) return;
    for (int t = VSK_TASKS - 1; t >= 0; --t)
        if (Live(ctx, t)) VSKEXEC_SetTaskFlag(ctx, t, VSK_TASKFLAG_END);
    bool host = t_task < 0 && GetCurrentThreadId() == S().hostThread.load();
    for (;;) {
        if (host) {
            // Boxes on task threads ask the host window for the script's place: answer them.
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
        bool live = false;
        for (int t = 0; t < VSK_TASKS; ++t) live = live || Live(ctx, t);
        if (!live) break;
        if (host) {
            WaitMessage();
        } else {
            Locked l;
            bool still = false;
            for (int t = 0; t < VSK_TASKS; ++t) still = still || Live(ctx, t);
            if (still) Block(INFINITE);
        }
    }
    Locked l;
    for (int t = 0; t < VSK_TASKS; ++t) JoinThread(t);
    std::atomic_ref<int>(ctx->taskno).store(-1);
    ctx->endtasks = nullptr;
    ForgetBindings();
    S().ctx = nullptr;
}

int WINAPI VSKEXEC_SystemTask(tagVALUAREA* ctx) {
    if (t_task < 0) S().hostThread = GetCurrentThreadId();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (!ctx) return 0;
    for (int t = 0; t < VSK_TASKS; ++t)
        if (Live(ctx, t)) return 1;
    return 0;
}

int WINAPI VSKEXEC_HostWait(tagVALUAREA* ctx) {
    if (!ctx) return 0;
    bool live = false, standing = false;
    {
        Locked l;
        for (int t = 0; t < VSK_TASKS; ++t) live = live || Live(ctx, t);
        DWORD c = std::atomic_ref<DWORD>(ctx->command).load();
        standing = c >= VSK_HOST_CREATEWINDOW && c <= VSK_HOST_KEYBOARD && !S().serving;
    }
    if (live && !standing) WaitMessage();
    return live ? 1 : 0;
}

int WINAPI VSKEXEC_HostRequest(tagVALUAREA* ctx, DWORD command, DWORD_PTR* data) {
    if (!ctx || !data) return 0;
    int me = t_task;
    {
        Locked l;
        std::atomic_ref<DWORD_PTR>(ctx->data).store(*data);
        std::atomic_ref<DWORD>(ctx->command).store(command);
    }
    WakeHost();
    Locked l;
    while (std::atomic_ref<DWORD>(ctx->command).load() != 0) {
        if (me >= 0 && (Flags(ctx, me) & VSK_TASKFLAG_END) && !S().serving) {
            // Ending while the host never took the request: nobody will read `data` now.
            std::atomic_ref<DWORD>(ctx->command).store(0);
            return 0;
        }
        Block(INFINITE);
    }
    *data = std::atomic_ref<DWORD_PTR>(ctx->data).load();
    return 1;
}

int WINAPI VSKEXEC_TakeRequest(tagVALUAREA* ctx, DWORD* command, DWORD_PTR* data) {
    if (!ctx) return 0;
    Locked l;
    DWORD c = std::atomic_ref<DWORD>(ctx->command).load();
    if (c < VSK_HOST_CREATEWINDOW || c > VSK_HOST_KEYBOARD || S().serving) return 0;
    S().serving = true;
    if (command) *command = c;
    if (data) *data = std::atomic_ref<DWORD_PTR>(ctx->data).load();
    return 1;
}

void WINAPI VSKEXEC_AnswerRequest(tagVALUAREA* ctx, DWORD_PTR data) {
    if (!ctx) return;
    Locked l;
    if (!S().serving) return;
    std::atomic_ref<DWORD_PTR>(ctx->data).store(data);
    std::atomic_ref<DWORD>(ctx->command).store(0);
    S().serving = false;
    WakeAll();
}
