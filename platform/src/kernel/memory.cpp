// Global and local memory. Every live block is registered, so that a pointer or handle that
// is not one (freed twice, never allocated, a movable block's data pointer passed as its
// handle) is refused with the Windows failure value instead of reaching free().
#include <windows.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

struct Block {
    UINT flags;      // GMEM_MOVEABLE, GMEM_DISCARDABLE, ... as allocated
    SIZE_T size;     // bytes asked for
    unsigned locks;  // lock count of a movable block
    void* data;
};

struct Heap {
    std::mutex m;
    std::unordered_map<const void*, Block*> byHandle;  // fixed: data pointer; movable: Block*
    std::unordered_map<const void*, Block*> byData;
};

Heap& H() {
    static Heap* h = new Heap;  // never destroyed: blocks may be freed during exit
    return *h;
}

constexpr UINT kKeptFlags = GMEM_MOVEABLE | GMEM_DISCARDABLE | GMEM_DDESHARE;

bool IsMovable(const Block* b) { return (b->flags & GMEM_MOVEABLE) != 0; }

const void* HandleOf(const Block* b) {
    return IsMovable(b) ? static_cast<const void*>(b) : b->data;
}

// The system's programs never had more than 2 GB to ask for; larger requests are refused as
// the system refuses them, before they reach the allocator.
constexpr SIZE_T kMaxBlock = 0x7FFFFFFF;

// calloc even without GMEM_ZEROINIT, so that runs repeat; one byte at least, so that every
// block has an address of its own.
void* NewData(SIZE_T bytes) {
    if (bytes > kMaxBlock) return nullptr;
    return std::calloc(bytes ? bytes : 1, 1);
}

Block* FindLocked(Heap& h, const void* handle) {
    auto it = h.byHandle.find(handle);
    return it == h.byHandle.end() ? nullptr : it->second;
}

HGLOBAL Alloc(UINT flags, SIZE_T bytes) {
    void* data = NewData(bytes);
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* b = new Block{flags & kKeptFlags, bytes, 0, data};
    Heap& h = H();
    std::lock_guard<std::mutex> g(h.m);
    h.byHandle[HandleOf(b)] = b;
    h.byData[data] = b;
    return const_cast<void*>(HandleOf(b));
}

HGLOBAL Free(HGLOBAL mem) {
    Heap& h = H();
    Block* b;
    {
        std::lock_guard<std::mutex> g(h.m);
        b = FindLocked(h, mem);
        if (!b) {
            SetLastError(ERROR_INVALID_HANDLE);
            return mem;
        }
        h.byHandle.erase(mem);
        h.byData.erase(b->data);
    }
    std::free(b->data);
    delete b;
    return nullptr;
}

}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) { return Alloc(flags, bytes); }

HGLOBAL WINAPI GlobalFree(HGLOBAL mem) {
    if (!mem) return nullptr;
    return Free(mem);
}

LPVOID WINAPI GlobalLock(HGLOBAL mem) {
    Heap& h = H();
    std::lock_guard<std::mutex> g(h.m);
    Block* b = FindLocked(h, mem);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (IsMovable(b) && b->locks < 0xFF) ++b->locks;
    return b->data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL mem) {
    Heap& h = H();
    std::lock_guard<std::mutex> g(h.m);
    Block* b = FindLocked(h, mem);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!IsMovable(b) || b->locks == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (--b->locks > 0) return TRUE;
    SetLastError(NO_ERROR);
    return FALSE;
}

SIZE_T WINAPI GlobalSize(HGLOBAL mem) {
    Heap& h = H();
    std::lock_guard<std::mutex> g(h.m);
    Block* b = FindLocked(h, mem);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return b->size;
}

HGLOBAL WINAPI GlobalHandle(LPCVOID pointer) {
    Heap& h = H();
    std::lock_guard<std::mutex> g(h.m);
    auto it = h.byData.find(pointer);
    if (it == h.byData.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<void*>(HandleOf(it->second));
}

UINT WINAPI GlobalFlags(HGLOBAL mem) {
    Heap& h = H();
    std::lock_guard<std::mutex> g(h.m);
    Block* b = FindLocked(h, mem);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return GMEM_INVALID_HANDLE;
    }
    return (b->flags & (GMEM_DISCARDABLE | GMEM_DDESHARE)) | (b->locks & GMEM_LOCKCOUNT);
}

HGLOBAL WINAPI GlobalReAlloc(HGLOBAL mem, SIZE_T bytes, UINT flags) {
    Heap& h = H();
    std::lock_guard<std::mutex> g(h.m);
    Block* b = FindLocked(h, mem);
    if (!b) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (flags & GMEM_MODIFY) {
        if (flags & GMEM_DISCARDABLE)
            b->flags |= GMEM_DISCARDABLE;
        else
            b->flags &= ~static_cast<UINT>(GMEM_DISCARDABLE);
        return mem;
    }
    SIZE_T old = b->size;
    // A fixed block keeps its address unless the caller allows a move, as the system does.
    bool mayMove = IsMovable(b) || (flags & GMEM_MOVEABLE);
    void* data = b->data;
    if (bytes > kMaxBlock) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (bytes > malloc_usable_size(data)) {
        if (!mayMove) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        void* bigger = NewData(bytes);
        if (!bigger) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        std::memcpy(bigger, data, old < bytes ? old : bytes);
        std::free(data);
        h.byData.erase(data);
        if (!IsMovable(b)) h.byHandle.erase(data);
        data = bigger;
        b->data = data;
        h.byData[data] = b;
        if (!IsMovable(b)) h.byHandle[data] = b;
    }
    // Growth reads as zeros whether or not GMEM_ZEROINIT is given, so runs repeat.
    if (bytes > old) std::memset(static_cast<char*>(data) + old, 0, bytes - old);
    b->size = bytes;
    return const_cast<void*>(HandleOf(b));
}

HLOCAL WINAPI LocalAlloc(UINT flags, SIZE_T bytes) { return Alloc(flags, bytes); }

HLOCAL WINAPI LocalFree(HLOCAL mem) {
    if (!mem) return nullptr;
    return Free(mem);
}
