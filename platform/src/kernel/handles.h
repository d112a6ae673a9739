// The one table of kernel object handles (files, find searches, processes, threads, events...).
// Every kind of object registers here, so that CloseHandle and WaitForSingleObject work on any
// handle and a stale or foreign handle is told apart instead of being dereferenced.
#pragma once

#include <memory>

#include <windows.h>

namespace wynplat {

enum class HandleKind : int { File = 1, Find, Process, Thread, Event, Mutex, Mailslot };

// Blocks until `object` is signalled or `ms` milliseconds of the process clock pass (INFINITE:
// no limit). Returns WAIT_OBJECT_0, WAIT_TIMEOUT or WAIT_FAILED.
using HandleWait = DWORD (*)(const std::shared_ptr<void>& object, DWORD ms);
// Whether `object` is signalled now, without side effects (it may be asked under the clock's
// kernel lock, from any thread, as a wait condition; waits on several handles use it).
using HandleSignalled = bool (*)(const std::shared_ptr<void>& object);
// ReadFile and WriteFile on `object`: move up to `n` bytes, set `*done` (never null) and the
// last error, and return TRUE or FALSE as those calls do.
using HandleRead = BOOL (*)(const std::shared_ptr<void>& object, void* buf, DWORD n, DWORD* done);
using HandleWrite = BOOL (*)(const std::shared_ptr<void>& object, const void* buf, DWORD n,
                             DWORD* done);

// What a kind of object does through its handle; null where it cannot.
struct HandleOps {
    HandleWait wait = nullptr;
    HandleSignalled signalled = nullptr;
    HandleRead read = nullptr;
    HandleWrite write = nullptr;
};

struct HandleEntry {
    HandleKind kind;
    std::shared_ptr<void> object;  // its deleter is the object's close function
    HandleOps ops;
};

// Registers `object` and returns its new handle (never 0, never INVALID_HANDLE_VALUE, small
// enough for a 16-bit-style HFILE). Handle values are not reused while the process runs.
HANDLE RegisterHandle(HandleKind kind, std::shared_ptr<void> object, const HandleOps& ops = {});

// The object behind `h` when it is open and of `kind`, else null. Sets no error.
std::shared_ptr<void> LookupHandle(HANDLE h, HandleKind kind);
template <class T>
std::shared_ptr<T> LookupHandleAs(HANDLE h, HandleKind kind) {
    return std::static_pointer_cast<T>(LookupHandle(h, kind));
}
// Any open handle, whatever its kind. Returns false when `h` is not open.
bool LookupAnyHandle(HANDLE h, HandleEntry* entry);

// Removes `h` from the table; the object is closed once the last caller using it lets go
// (a thread still waiting on it keeps it alive). Returns false when `h` is not open.
bool CloseKernelHandle(HANDLE h);

inline HANDLE HandleFromHfile(HFILE f) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(f));
}
inline HFILE HfileFromHandle(HANDLE h) { return static_cast<HFILE>(reinterpret_cast<intptr_t>(h)); }

}  // namespace wynplat
