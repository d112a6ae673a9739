// Waits, events, mutexes, critical sections and the interlocked operations. Every waitable
// object keeps its state under the clock's kernel lock and every wait blocks on the process
// clock, so time-outs follow the virtual clock in tests.
#include <windows.h>
#include <wynplat.h>

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "kernel/clock.h"
#include "kernel/shared_objects.h"
#include "kernel/waitable.h"

namespace wyn::sync {
namespace {

constexpr DWORD kMaxWaitObjects = 64;

class Event final : public EventObject {
  public:
    Event(bool manual, bool initial) : manual_(manual), set_(initial) {}
    bool Signaled(DWORD, uint64_t epoch) const override { return set_ || pulses_ != epoch; }
    bool Acquire(DWORD) override {
        if (!manual_) set_ = false;
        return false;
    }
    uint64_t Epoch() const override { return pulses_; }
    void Set() override { set_ = true; }
    void Reset() override { set_ = false; }
    void Pulse() override {
        ++pulses_;
        set_ = false;
    }

  private:
    bool manual_;
    bool set_;
    uint64_t pulses_ = 0;
};

class Mutex;

// The mutexes a thread owns, handed on as abandoned when it ends still owning them.
struct OwnedMutexes {
    std::vector<std::weak_ptr<Mutex>> list;
    ~OwnedMutexes();
};
thread_local OwnedMutexes t_owned;

class Mutex final : public Waitable, public std::enable_shared_from_this<Mutex> {
  public:
    bool Signaled(DWORD tid, uint64_t) const override { return owner_ == 0 || owner_ == tid; }
    bool Acquire(DWORD tid) override {
        if (owner_ != tid) {
            owner_ = tid;
            t_owned.list.push_back(weak_from_this());
        }
        ++count_;
        bool abandoned = abandoned_;
        abandoned_ = false;
        return abandoned;
    }
    bool Release(DWORD tid) {
        if (owner_ != tid || count_ == 0) return false;
        if (--count_ == 0) owner_ = 0;
        return true;
    }
    void Abandon(DWORD tid) {
        if (owner_ != tid) return;
        owner_ = 0;
        count_ = 0;
        abandoned_ = true;
    }

  private:
    DWORD owner_ = 0;
    unsigned count_ = 0;
    bool abandoned_ = false;
};

OwnedMutexes::~OwnedMutexes() { AbandonOwnedMutexes(); }

// Names of events and mutexes, one namespace as the system has it (case-sensitive). The
// entries are weak: a name lives as long as a handle to its object is open. Names are
// within this process; named events are shared between processes where the registry of
// shared objects offers them.
struct NamedObject {
    wynplat::HandleKind kind;
    std::weak_ptr<Waitable> object;
};
std::unordered_map<std::string, NamedObject>& Names() {
    static auto* names = new std::unordered_map<std::string, NamedObject>;
    return *names;
}

std::shared_ptr<Waitable> FindNamedLocked(const char* name, wynplat::HandleKind* kind) {
    auto& names = Names();
    auto it = names.find(name);
    if (it == names.end()) return nullptr;
    auto object = it->second.object.lock();
    if (!object) {
        names.erase(it);
        return nullptr;
    }
    *kind = it->second.kind;
    return object;
}

void AddNamedLocked(const char* name, wynplat::HandleKind kind,
                    const std::shared_ptr<Waitable>& object) {
    auto& names = Names();
    for (auto it = names.begin(); it != names.end();) {
        if (it->second.object.expired())
            it = names.erase(it);
        else
            ++it;
    }
    names[name] = NamedObject{kind, object};
}

// Creates a named or unnamed object of `kind`, or opens the one of that name.
template <class Make>
HANDLE CreateNamed(wynplat::HandleKind kind, const char* name, Make make) {
    std::shared_ptr<Waitable> object;
    bool existed = false;
    {
        std::lock_guard<std::mutex> g(clock::KernelLock());
        if (name && *name) {
            const wynplat::SharedObjects* shared = wynplat::SharedObjectsRegistry();
            if (kind != wynplat::HandleKind::Event && shared && shared->eventExists(name)) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            wynplat::HandleKind found;
            object = FindNamedLocked(name, &found);
            if (object && found != kind) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            existed = object != nullptr;
        }
        if (!object) {
            object = make();
            if (name && *name) AddNamedLocked(name, kind, object);
        }
    }
    HANDLE h = RegisterWaitable(kind, object);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

DWORD WaitObjects(const std::vector<std::shared_ptr<Waitable>>& objects, bool all, DWORD ms) {
    DWORD tid = CurrentThreadId();
    uint64_t deadline = clock::DeadlineAfterMs(ms);
    std::unique_lock<std::mutex> lock(clock::KernelLock());
    std::vector<uint64_t> epochs;
    for (auto& o : objects) epochs.push_back(o->Epoch());
    std::function<bool()> ready = [&objects, &epochs, all, tid]() {
        for (size_t i = 0; i < objects.size(); ++i) {
            bool s = objects[i]->Signaled(tid, epochs[i]);
            if (all && !s) return false;
            if (!all && s) return true;
        }
        return all;
    };
    if (!clock::WaitUntil(lock, deadline, ready)) return WAIT_TIMEOUT;
    if (all) {
        bool abandoned = false;
        for (auto& o : objects) abandoned |= o->Acquire(tid);
        return abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0;
    }
    for (size_t i = 0; i < objects.size(); ++i) {
        if (objects[i]->Signaled(tid, epochs[i])) {
            bool abandoned = objects[i]->Acquire(tid);
            return (abandoned ? WAIT_ABANDONED : WAIT_OBJECT_0) + static_cast<DWORD>(i);
        }
    }
    return WAIT_TIMEOUT;  // not reached: ready() held
}

}  // namespace

void AbandonOwnedMutexes() {
    auto& list = t_owned.list;
    if (list.empty()) return;
    DWORD tid = CurrentThreadId();
    std::lock_guard<std::mutex> g(clock::KernelLock());
    for (auto& weak : list)
        if (auto m = weak.lock()) static_cast<Mutex&>(*m).Abandon(tid);
    list.clear();
    clock::NotifyLocked();
}

DWORD CurrentThreadId() {
    thread_local DWORD id = static_cast<DWORD>(syscall(SYS_gettid));
    return id;
}

namespace {

// The table's thread-neutral test: a mutex counts as signalled when nobody owns it.
bool WaitableSignalled(const std::shared_ptr<void>& object) {
    auto w = std::static_pointer_cast<Waitable>(object);
    return w->Signaled(0, w->Epoch());
}

// Another kind's object (a process) in a wait on several handles, through the table's test.
class Foreign final : public Waitable {
  public:
    Foreign(std::shared_ptr<void> object, wynplat::HandleSignalled test)
        : object_(std::move(object)), test_(test) {}
    bool Signaled(DWORD, uint64_t) const override { return test_(object_); }

  private:
    std::shared_ptr<void> object_;
    wynplat::HandleSignalled test_;
};

}  // namespace

HANDLE RegisterWaitable(wynplat::HandleKind kind, std::shared_ptr<Waitable> object) {
    return wynplat::RegisterHandle(kind, std::shared_ptr<void>(std::move(object)),
                                   {&WaitOnWaitable, &WaitableSignalled});
}

DWORD WaitOnWaitable(const std::shared_ptr<void>& object, DWORD ms) {
    return WaitObjects({std::static_pointer_cast<Waitable>(object)}, false, ms);
}

std::shared_ptr<Waitable> LookupWaitable(HANDLE h) {
    wynplat::HandleEntry entry;
    if (!wynplat::LookupAnyHandle(h, &entry) || entry.ops.wait != &WaitOnWaitable) return nullptr;
    return std::static_pointer_cast<Waitable>(entry.object);
}

void Signal() { clock::NotifyLocked(); }

}  // namespace wyn::sync

using namespace wyn;
using wynplat::HandleKind;

DWORD WINAPI WaitForSingleObject(HANDLE h, DWORD ms) {
    if (auto w = sync::LookupWaitable(h)) return sync::WaitObjects({w}, false, ms);
    wynplat::HandleEntry entry;
    if (wynplat::LookupAnyHandle(h, &entry) && entry.ops.wait)
        return entry.ops.wait(entry.object, ms);
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
}

DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD ms) {
    if (!handles || count == 0 || count > sync::kMaxWaitObjects) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<sync::Waitable>> objects;
    for (DWORD i = 0; i < count; ++i) {
        auto w = sync::LookupWaitable(handles[i]);
        wynplat::HandleEntry entry;
        if (!w && wynplat::LookupAnyHandle(handles[i], &entry) && entry.ops.signalled)
            w = std::make_shared<sync::Foreign>(entry.object, entry.ops.signalled);
        if (!w) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(w));
    }
    return sync::WaitObjects(objects, waitAll != FALSE, ms);
}

namespace {
// A name that a mutex of this process holds is not an event's (one namespace).
bool NameIsMutex(const char* name) {
    std::lock_guard<std::mutex> g(clock::KernelLock());
    HandleKind kind;
    if (!sync::FindNamedLocked(name, &kind) || kind != HandleKind::Mutex) return false;
    SetLastError(ERROR_INVALID_HANDLE);
    return true;
}
}  // namespace

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initial, LPCSTR name) {
    // Named events are seen by the other programs of the set (debug monitors and tracers).
    const wynplat::SharedObjects* shared = wynplat::SharedObjectsRegistry();
    if (name && *name && shared) {
        if (NameIsMutex(name)) return nullptr;
        return shared->createEvent(manualReset, initial, name);
    }
    return sync::CreateNamed(HandleKind::Event, name, [&] {
        return std::make_shared<sync::Event>(manualReset != FALSE, initial != FALSE);
    });
}

HANDLE WINAPI OpenEventA(DWORD, BOOL, LPCSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (NameIsMutex(name)) return nullptr;
    if (const wynplat::SharedObjects* shared = wynplat::SharedObjectsRegistry())
        return shared->openEvent(name);
    std::shared_ptr<sync::Waitable> object;
    {
        std::lock_guard<std::mutex> g(clock::KernelLock());
        HandleKind kind;
        object = sync::FindNamedLocked(name, &kind);
    }
    if (!object) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return sync::RegisterWaitable(HandleKind::Event, object);
}

namespace {

template <class Change>
BOOL ChangeEvent(HANDLE h, Change change) {
    auto ev = wynplat::LookupHandleAs<sync::Waitable>(h, HandleKind::Event);
    if (!ev) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> g(clock::KernelLock());
    change(static_cast<sync::EventObject&>(*ev));
    clock::NotifyLocked();
    return TRUE;
}

}  // namespace

BOOL WINAPI SetEvent(HANDLE h) {
    return ChangeEvent(h, [](sync::EventObject& e) { e.Set(); });
}
BOOL WINAPI ResetEvent(HANDLE h) {
    return ChangeEvent(h, [](sync::EventObject& e) { e.Reset(); });
}
BOOL WINAPI PulseEvent(HANDLE h) {
    return ChangeEvent(h, [](sync::EventObject& e) { e.Pulse(); });
}

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
    bool created = false;
    HANDLE h = sync::CreateNamed(HandleKind::Mutex, name, [&] {
        created = true;
        return std::make_shared<sync::Mutex>();
    });
    if (h && created && initialOwner) {
        DWORD error = GetLastError();
        auto m = wynplat::LookupHandleAs<sync::Waitable>(h, HandleKind::Mutex);
        std::lock_guard<std::mutex> g(clock::KernelLock());
        m->Acquire(sync::CurrentThreadId());
        SetLastError(error);
    }
    return h;
}

BOOL WINAPI ReleaseMutex(HANDLE h) {
    auto m = wynplat::LookupHandleAs<sync::Waitable>(h, HandleKind::Mutex);
    if (!m) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> g(clock::KernelLock());
    if (!static_cast<sync::Mutex&>(*m).Release(sync::CurrentThreadId())) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    clock::NotifyLocked();
    return TRUE;
}

// ---- critical sections: a recursive lock kept inside the caller's record ----
// A thread that finds the section taken waits on the process clock until the section is free,
// so that the virtual clock sees it ready to run the moment the owner leaves (a lock of the
// kernel's would leave it counted as blocked until it is scheduled, and time could jump).

namespace {

// All zero is a free section, so a section in zeroed storage works uninitialised too.
struct Section {
    std::atomic<DWORD> owner;  // thread id, 0 when free
    DWORD depth;               // entries by the owner
    std::atomic<int> waiting;  // threads in the clock's wait for it
};
static_assert(sizeof(Section) <= sizeof(CRITICAL_SECTION), "critical section storage");
static_assert(alignof(Section) <= alignof(CRITICAL_SECTION), "critical section alignment");

Section* Sec(LPCRITICAL_SECTION cs) { return reinterpret_cast<Section*>(cs->opaque); }

// A few tries before sleeping: a section is mostly held for a moment.
constexpr int kSpins = 64;

bool Take(Section* s, DWORD me) {
    DWORD free = 0;
    return s->owner.compare_exchange_strong(free, me, std::memory_order_acquire);
}

}  // namespace

void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION cs) {
    if (!cs) return;
    Section* s = new (cs->opaque) Section;
    s->owner.store(0);
    s->depth = 0;
    s->waiting.store(0);
}

void WINAPI EnterCriticalSection(LPCRITICAL_SECTION cs) {
    if (!cs) return;
    Section* s = Sec(cs);
    DWORD me = sync::CurrentThreadId();
    if (s->owner.load(std::memory_order_relaxed) == me) {
        ++s->depth;
        return;
    }
    for (int i = 0; i < kSpins; ++i) {
        if (Take(s, me)) {
            s->depth = 1;
            return;
        }
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }
    std::unique_lock<std::mutex> lock(clock::KernelLock());
    s->waiting.fetch_add(1);
    // The owner leaves without the kernel lock and notifies only when somebody waits: a free
    // section seen here, or the owner's notification after it, ends the wait.
    while (!Take(s, me))
        clock::WaitUntil(
            lock, clock::kNever, [s] { return s->owner.load() == 0; }, clock::Reads::kNotified);
    s->waiting.fetch_sub(1);
    s->depth = 1;
}

BOOL WINAPI TryEnterCriticalSection(LPCRITICAL_SECTION cs) {
    if (!cs) return FALSE;
    Section* s = Sec(cs);
    DWORD me = sync::CurrentThreadId();
    if (s->owner.load(std::memory_order_relaxed) == me) {
        ++s->depth;
        return TRUE;
    }
    if (!Take(s, me)) return FALSE;
    s->depth = 1;
    return TRUE;
}

void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION cs) {
    if (!cs) return;
    Section* s = Sec(cs);
    if (s->owner.load(std::memory_order_relaxed) != sync::CurrentThreadId() || --s->depth > 0)
        return;
    s->owner.store(0);
    if (s->waiting.load() > 0) clock::Notify();
}

void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION cs) { (void)cs; }

// ---- batons: a direct hand-off on a futex word ----
// 0: not passed; 1: passed, not yet taken; 2: the taker sleeps; 3: the taker was told that the
// baton comes soon and looks for it a moment (awake, counted as running). Only the taker moves
// the word from 0 or 3 to 2 and from 1 to 0; a passer moves it to 1; a warning moves it from 0
// or 2 to 3. Whoever wakes a sleeping taker (from 2) counts it as running first.

namespace {

void FutexWait(volatile LONG* word, LONG value) {
    syscall(SYS_futex, word, FUTEX_WAIT_PRIVATE, value, nullptr, nullptr, 0);
}

void FutexWake(volatile LONG* word) {
    syscall(SYS_futex, word, FUTEX_WAKE_PRIVATE, 1, nullptr, nullptr, 0);
}

bool Exchange(volatile LONG* word, LONG from, LONG to) {
    return __atomic_compare_exchange_n(word, &from, to, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
}

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#endif
}

// How long a warned taker looks at its word before it sleeps, in pause rounds: a baton passed
// within a statement or two is taken without the kernel, and a taker whose baton is late soon
// sleeps (tens of microseconds at most). An unwarned taker sleeps at once: on a busy machine a
// thread that looks only takes the processor from the one it waits for.
constexpr int kWarnedRounds = 4000;

// Whether the word left `state` within `rounds` pause rounds.
bool LookFor(volatile LONG* word, LONG state, int rounds) {
    for (int i = 0; i < rounds; ++i) {
        if (__atomic_load_n(word, __ATOMIC_ACQUIRE) != state) return true;
        Pause();
    }
    return false;
}

}  // namespace

void WynPlat_TakeBaton(volatile LONG* baton) {
    if (!baton) return;
    for (;;) {
        LONG seen = __atomic_load_n(baton, __ATOMIC_SEQ_CST);
        if (seen == 1) {
            __atomic_store_n(baton, 0, __ATOMIC_SEQ_CST);
            return;
        }
        if (seen == 0 || seen == 3) {
            if (seen == 3 && LookFor(baton, 3, kWarnedRounds)) continue;
            if (!Exchange(baton, seen, 2)) continue;
            clock::LeaveRunning();
        }
        // Whoever moves the word on from 2 counted this thread as running first.
        FutexWait(baton, 2);
    }
}

void WynPlat_PassBaton(volatile LONG* baton) {
    if (!baton) return;
    for (;;) {
        LONG seen = __atomic_load_n(baton, __ATOMIC_SEQ_CST);
        if (seen == 1) return;
        if (seen == 2) {
            clock::EnterRunningFor();
            if (Exchange(baton, 2, 1)) {
                FutexWake(baton);
                return;
            }
            clock::DropRunningFor();  // warned meanwhile: the warning woke it
            continue;
        }
        // Not asleep (0), or looking for it (3): the taker sees the word change.
        if (Exchange(baton, seen, 1)) return;
    }
}

void WynPlat_WarnBaton(volatile LONG* baton) {
    if (!baton) return;
    LONG seen = __atomic_load_n(baton, __ATOMIC_SEQ_CST);
    if (seen == 0) {
        Exchange(baton, 0, 3);  // the taker is awake: it looks when it comes to take
        return;
    }
    if (seen != 2) return;
    clock::EnterRunningFor();
    if (Exchange(baton, 2, 3))
        FutexWake(baton);
    else
        clock::DropRunningFor();  // passed or warned meanwhile
}

// ---- interlocked operations ----

LONG WINAPI InterlockedIncrement(LONG volatile* v) {
    return __atomic_add_fetch(v, 1, __ATOMIC_SEQ_CST);
}
LONG WINAPI InterlockedDecrement(LONG volatile* v) {
    return __atomic_sub_fetch(v, 1, __ATOMIC_SEQ_CST);
}
LONG WINAPI InterlockedExchange(LONG volatile* v, LONG value) {
    return __atomic_exchange_n(v, value, __ATOMIC_SEQ_CST);
}
LONG WINAPI InterlockedExchangeAdd(LONG volatile* v, LONG value) {
    return __atomic_fetch_add(v, value, __ATOMIC_SEQ_CST);
}
LONG WINAPI InterlockedCompareExchange(LONG volatile* v, LONG value, LONG comparand) {
    __atomic_compare_exchange_n(v, &comparand, value, false, __ATOMIC_SEQ_CST, __ATOMIC_SEQ_CST);
    return comparand;
}
