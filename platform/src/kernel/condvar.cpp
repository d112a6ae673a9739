// Condition variables on the process clock: a generation count that every wake-up moves on,
// kept under the clock's kernel lock, so that a waiter blocks in the clock's one wait (the
// virtual clock knows it waits), a wake-up between leaving the critical section and
// blocking is not lost, and waking one variable wakes only the threads that sleep on it.
#include <windows.h>

#include <cstdint>

#include "kernel/clock.h"

using namespace wyn;

namespace {

uintptr_t& Generation(PCONDITION_VARIABLE cv) { return *reinterpret_cast<uintptr_t*>(&cv->Ptr); }

}  // namespace

void WINAPI InitializeConditionVariable(PCONDITION_VARIABLE cv) {
    if (cv) cv->Ptr = nullptr;
}

BOOL WINAPI SleepConditionVariableCS(PCONDITION_VARIABLE cv, PCRITICAL_SECTION cs, DWORD ms) {
    if (!cv || !cs) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    uint64_t deadline = clock::DeadlineAfterMs(ms);
    uintptr_t seen;
    {
        // Taken while the caller still holds its section: a waker changes the state under
        // that section, so its wake-up comes after this reading.
        std::lock_guard<std::mutex> k(clock::KernelLock());
        seen = Generation(cv);
    }
    LeaveCriticalSection(cs);
    bool woken = clock::WaitUntil(
        deadline, [cv, seen] { return Generation(cv) != seen; }, clock::Reads::kNotified);
    EnterCriticalSection(cs);
    if (!woken) {
        SetLastError(ERROR_TIMEOUT);
        return FALSE;
    }
    return TRUE;
}

void WINAPI WakeAllConditionVariable(PCONDITION_VARIABLE cv) {
    if (!cv) return;
    std::lock_guard<std::mutex> k(clock::KernelLock());
    ++Generation(cv);
    clock::NotifyLocked();
}

void WINAPI WakeConditionVariable(PCONDITION_VARIABLE cv) { WakeAllConditionVariable(cv); }
