// The kernel handle table, and the registry of the named objects other processes share.
#include "kernel/handles.h"
#include "kernel/shared_objects.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

namespace wynplat {
namespace {

struct Table {
    std::mutex lock;
    std::unordered_map<uintptr_t, HandleEntry> entries;
    uintptr_t next = 0x100;  // multiples of 4 like the system's handles; 0 and -1 never appear
};

Table& TheTable() {
    static Table* table = new Table;  // never destroyed: handles may be closed from atexit code
    return *table;
}

// Constant-initialized, so registering from another file's initializer needs no order.
std::atomic<const SharedObjects*> g_shared{nullptr};

}  // namespace

void RegisterSharedObjects(const SharedObjects* objects) { g_shared.store(objects); }

const SharedObjects* SharedObjectsRegistry() { return g_shared.load(); }

HANDLE RegisterHandle(HandleKind kind, std::shared_ptr<void> object, const HandleOps& ops) {
    Table& t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    uintptr_t value = t.next;
    t.next += 4;
    if (t.next >= 0x7FFFFFF0u) t.next = 0x100;  // HFILE is an int; wraps after a billion opens
    while (t.entries.count(value)) value += 4;
    t.entries[value] = HandleEntry{kind, std::move(object), ops};
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<void> LookupHandle(HANDLE h, HandleKind kind) {
    Table& t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.entries.find(reinterpret_cast<uintptr_t>(h));
    if (it == t.entries.end() || it->second.kind != kind) return nullptr;
    return it->second.object;
}

bool LookupAnyHandle(HANDLE h, HandleEntry* entry) {
    Table& t = TheTable();
    std::lock_guard<std::mutex> guard(t.lock);
    auto it = t.entries.find(reinterpret_cast<uintptr_t>(h));
    if (it == t.entries.end()) return false;
    if (entry) *entry = it->second;
    return true;
}

bool CloseKernelHandle(HANDLE h) {
    std::shared_ptr<void> object;  // released outside the lock: a close function may take it
    Table& t = TheTable();
    {
        std::lock_guard<std::mutex> guard(t.lock);
        auto it = t.entries.find(reinterpret_cast<uintptr_t>(h));
        if (it == t.entries.end()) return false;
        object = std::move(it->second.object);
        t.entries.erase(it);
    }
    return true;
}

}  // namespace wynplat

BOOL WINAPI CloseHandle(HANDLE h) {
    if (!wynplat::CloseKernelHandle(h)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
