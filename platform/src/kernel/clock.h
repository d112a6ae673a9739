// The process clock as the rest of the platform layer uses it: readings, deadlines, and the
// one blocking primitive every sleep, wait and timer of the layer goes through, so that the
// virtual clock knows who is waiting for what (see the rule in wynplat.h).
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>

#include "win/wintypes.h"

namespace wyn::clock {

inline constexpr uint64_t kNever = UINT64_MAX;

// A reading of the process clock in microseconds (in virtual mode it advances by the read
// step, like every reading the programs make).
uint64_t NowMicros();
// The clock as it stands, without the read step (for the layer's own bookkeeping).
uint64_t PeekMicros();
// The deadline `ms` milliseconds from now; INFINITE gives kNever.
uint64_t DeadlineAfterMs(DWORD ms);

// The lock that guards every state a wait condition reads (events, mutexes, thread ends,
// message queues...). Conditions are evaluated with it held.
std::mutex& KernelLock();

// What a wait's condition reads. kOutside: state that may also change without a Notify (a
// child process, a socket, an object shared with another process), so the condition is
// re-tested every few milliseconds of real time as well. kNotified: only state whose every
// change is followed by Notify, so in real time the waiter sleeps until a Notify makes its
// condition hold or its deadline comes.
enum class Reads { kOutside, kNotified };

// Blocks the calling thread until `ready()` returns true (evaluated under KernelLock) or the
// process clock reaches `deadline` (kNever: no time-out). Returns true when `ready()` held.
// `ready` must have no side effects and must not depend on the calling thread (capture its
// id instead): Notify evaluates it from the notifying thread to wake only the waiters whose
// condition now holds, and the clock asks it whether a waiter is about to run before it lets
// virtual time jump. Take what the wait won (an auto-reset event, a mutex) after WaitUntil
// returns, still under the lock. A condition may take a lock of its own only if that lock is
// never held while taking KernelLock or calling Notify (KernelLock comes first), or the
// clock and the caller deadlock.
// `lock` must hold KernelLock(); it is held again on return. `ready` may be empty (a plain
// sleep until the deadline).
bool WaitUntil(std::unique_lock<std::mutex>& lock, uint64_t deadline,
               const std::function<bool()>& ready, Reads reads = Reads::kOutside);
// The same, taking KernelLock itself.
bool WaitUntil(uint64_t deadline, const std::function<bool()>& ready,
               Reads reads = Reads::kOutside);

// Wakes the waiters whose condition now holds (or whose deadline has come). Call after
// changing state a condition reads; safe with or without KernelLock held (taking it avoids a
// lost wake-up when not held).
void Notify();
void NotifyLocked();  // the same with KernelLock already held

// A thread that sleeps outside the clock's waits until another thread lets it run (a direct
// hand-off: the sleeper has nothing to test and no deadline). It stops counting as running
// before it sleeps; the thread that wakes it counts it again first, so in a hand-off the
// count never drops to 0 and virtual time cannot move on between the two. No lock is taken
// unless the count reaches 0.
void LeaveRunning();     // the caller, about to sleep
void EnterRunningFor();  // the waker, about to wake such a sleeper
// Takes back an EnterRunningFor whose wake-up another waker made instead. The caller runs, so
// the count stays above 0.
void DropRunningFor();

// The threads the virtual clock waits for before it moves on by itself: the main thread,
// threads created by CreateThread (counted from their creation, or from ResumeThread when
// created suspended) and any other thread from its first wait on.
void CountNewThread();        // the creator: a thread that will run is on its way
void CountNewThreadLocked();  // the same with KernelLock already held
void UncountNewThread();      // the creator: that thread will not run after all
void AdoptCountedThread();    // the new thread, first thing: it takes over that count

}  // namespace wyn::clock
