// Threads: CreateThread over POSIX threads, waitable through the handle table. A thread made
// with CREATE_SUSPENDED exists at once (so that its id is known) but runs its routine only
// after ResumeThread; SuspendThread and TerminateThread act only on such threads not yet
// started (stopping a running thread at an arbitrary point would leave locks held), and are
// refused with ERROR_ACCESS_DENIED on running ones.
#include <windows.h>

#include <pthread.h>

#include <condition_variable>

#include "kernel/clock.h"
#include "kernel/waitable.h"

namespace wyn::sync {
namespace {

class Thread final : public Waitable {
  public:
    bool Signaled(DWORD, uint64_t) const override { return exited; }

    // All under clock::KernelLock().
    LPTHREAD_START_ROUTINE start = nullptr;
    LPVOID param = nullptr;
    DWORD tid = 0;
    DWORD suspendCount = 0;
    bool released = false;  // may run its routine
    bool exited = false;
    DWORD exitCode = STILL_ACTIVE;
    int priority = THREAD_PRIORITY_NORMAL;
    std::condition_variable startCv;  // the creator waits for tid, the thread for release
};

thread_local std::shared_ptr<Thread> t_self;  // the running thread's own record, if ours
thread_local int t_otherPriority = THREAD_PRIORITY_NORMAL;  // threads not made by CreateThread

// The handle GetCurrentThread gives: it means the caller, whoever that is.
HANDLE const kCurrentThread = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2));

void Finish(Thread& t, DWORD code) {
    AbandonOwnedMutexes();
    std::lock_guard<std::mutex> g(clock::KernelLock());
    if (t.exited) return;
    t.exitCode = code;
    t.exited = true;
    clock::NotifyLocked();
}

void* Trampoline(void* arg) {
    auto* holder = static_cast<std::shared_ptr<Thread>*>(arg);
    std::shared_ptr<Thread> self = *holder;
    delete holder;
    t_self = self;
    {
        std::unique_lock<std::mutex> lock(clock::KernelLock());
        self->tid = CurrentThreadId();
        self->startCv.notify_all();
        self->startCv.wait(lock, [&] { return self->released || self->exited; });
        if (self->exited) return nullptr;  // terminated before it ever ran
    }
    clock::AdoptCountedThread();
    DWORD code = self->start(self->param);
    Finish(*self, code);
    return nullptr;
}

std::shared_ptr<Thread> LookupThread(HANDLE h) {
    auto t = wynplat::LookupHandleAs<Waitable>(h, wynplat::HandleKind::Thread);
    return std::static_pointer_cast<Thread>(t);
}

}  // namespace
}  // namespace wyn::sync

using namespace wyn;
using sync::Thread;

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T stack, LPTHREAD_START_ROUTINE start,
                           LPVOID param, DWORD flags, LPDWORD threadId) {
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto t = std::make_shared<Thread>();
    t->start = start;
    t->param = param;
    bool suspended = (flags & CREATE_SUSPENDED) != 0;
    t->suspendCount = suspended ? 1 : 0;
    t->released = !suspended;
    if (!suspended) clock::CountNewThread();

    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    size_t defaultStack = 0;
    pthread_attr_getstacksize(&attr, &defaultStack);
    if (stack > defaultStack) pthread_attr_setstacksize(&attr, stack);
    pthread_t thread;
    auto* holder = new std::shared_ptr<Thread>(t);
    int rc = pthread_create(&thread, &attr, sync::Trampoline, holder);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete holder;
        if (!suspended) clock::UncountNewThread();
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    {
        std::unique_lock<std::mutex> lock(clock::KernelLock());
        t->startCv.wait(lock, [&] { return t->tid != 0; });
    }
    if (threadId) *threadId = t->tid;
    return sync::RegisterWaitable(wynplat::HandleKind::Thread, t);
}

DWORD WINAPI ResumeThread(HANDLE h) {
    if (h == sync::kCurrentThread) return 0;
    auto t = sync::LookupThread(h);
    if (!t) {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    std::lock_guard<std::mutex> g(clock::KernelLock());
    DWORD previous = t->suspendCount;
    if (previous > 0 && --t->suspendCount == 0 && !t->released && !t->exited) {
        clock::CountNewThreadLocked();
        t->released = true;
        t->startCv.notify_all();
    }
    return previous;
}

DWORD WINAPI SuspendThread(HANDLE h) {
    auto t = h == sync::kCurrentThread ? nullptr : sync::LookupThread(h);
    if (!t && h != sync::kCurrentThread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    if (t) {
        std::lock_guard<std::mutex> g(clock::KernelLock());
        if (!t->released && !t->exited) return t->suspendCount++;
    }
    SetLastError(ERROR_ACCESS_DENIED);
    return static_cast<DWORD>(-1);
}

BOOL WINAPI TerminateThread(HANDLE h, DWORD code) {
    auto t = sync::LookupThread(h);
    if (!t) {
        SetLastError(h == sync::kCurrentThread ? ERROR_ACCESS_DENIED : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> g(clock::KernelLock());
    if (t->exited) return TRUE;
    if (t->released) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    t->exitCode = code;
    t->exited = true;
    t->startCv.notify_all();
    clock::NotifyLocked();
    return TRUE;
}

void WINAPI ExitThread(DWORD code) {
    if (sync::t_self) sync::Finish(*sync::t_self, code);
    pthread_exit(nullptr);
}

BOOL WINAPI GetExitCodeThread(HANDLE h, LPDWORD code) {
    std::shared_ptr<Thread> t = h == sync::kCurrentThread ? sync::t_self : sync::LookupThread(h);
    if (!t && h != sync::kCurrentThread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!code) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!t) {
        *code = STILL_ACTIVE;
        return TRUE;
    }
    std::lock_guard<std::mutex> g(clock::KernelLock());
    *code = t->exited ? t->exitCode : STILL_ACTIVE;
    return TRUE;
}

// Priorities are kept and reported but change nothing: the system only uses them as hints.
BOOL WINAPI SetThreadPriority(HANDLE h, int priority) {
    bool valid = (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST) ||
                 priority == THREAD_PRIORITY_TIME_CRITICAL || priority == THREAD_PRIORITY_IDLE;
    std::shared_ptr<Thread> t = h == sync::kCurrentThread ? sync::t_self : sync::LookupThread(h);
    if (!t && h != sync::kCurrentThread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!valid) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!t) {
        sync::t_otherPriority = priority;
        return TRUE;
    }
    std::lock_guard<std::mutex> g(clock::KernelLock());
    t->priority = priority;
    return TRUE;
}

int WINAPI GetThreadPriority(HANDLE h) {
    std::shared_ptr<Thread> t = h == sync::kCurrentThread ? sync::t_self : sync::LookupThread(h);
    if (!t && h != sync::kCurrentThread) {
        SetLastError(ERROR_INVALID_HANDLE);
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    if (!t) return sync::t_otherPriority;
    std::lock_guard<std::mutex> g(clock::KernelLock());
    return t->priority;
}

HANDLE WINAPI GetCurrentThread(void) { return sync::kCurrentThread; }

DWORD WINAPI GetCurrentThreadId(void) { return sync::CurrentThreadId(); }
