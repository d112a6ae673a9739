// Objects that WaitForSingleObject and WaitForMultipleObjects can wait on: threads, events,
// mutexes, and through the handle table's wait and signalled functions any other kind
// (processes). The thread services' own kinds derive from Waitable and register with
// RegisterWaitable, which keeps the Waitable pointer as the table's object.
#pragma once

#include <memory>

#include <cstdint>

#include "kernel/handles.h"

namespace wyn::sync {

class Waitable {
  public:
    virtual ~Waitable() = default;
    // True when a wait by thread `tid` would be satisfied now. Called with
    // wyn::clock::KernelLock() held, from any thread; no side effects. `epoch` is what
    // Epoch() said when the wait began (an event pulsed since then counts as set).
    virtual bool Signaled(DWORD tid, uint64_t epoch) const = 0;
    // Takes what the wait won (resets an auto-reset event, takes a mutex); lock held.
    // Returns true when the object was abandoned by a thread that ended owning it.
    virtual bool Acquire(DWORD tid) {
        (void)tid;
        return false;
    }
    virtual uint64_t Epoch() const { return 0; }
};

// An event: the kernel's own, or one shared between processes. Every handle of kind Event
// holds one; SetEvent, ResetEvent and PulseEvent change it through these, with
// wyn::clock::KernelLock() held.
class EventObject : public Waitable {
  public:
    virtual void Set() = 0;
    virtual void Reset() = 0;
    // Releases every thread waiting at this moment and leaves the event reset.
    virtual void Pulse() = 0;
};

// Registers `object` under `kind` with the wait function below.
HANDLE RegisterWaitable(wynplat::HandleKind kind, std::shared_ptr<Waitable> object);

// The handle table's wait function of every waitable kind.
DWORD WaitOnWaitable(const std::shared_ptr<void>& object, DWORD ms);

// The waitable behind `h`, whatever its kind, or null.
std::shared_ptr<Waitable> LookupWaitable(HANDLE h);

// Changes of state that waiters must see: call with wyn::clock::KernelLock() held.
void Signal();

// Hands the mutexes the calling thread still owns on as abandoned (it is ending). Threads
// of CreateThread do so before they are signalled; other threads when they end.
void AbandonOwnedMutexes();

// The calling thread's id as GetCurrentThreadId gives it (the kernel's thread id, unique
// across the processes of the machine).
DWORD CurrentThreadId();

}  // namespace wyn::sync
