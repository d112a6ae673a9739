// Memory blocks: zero-filled movable global memory, locked for their whole life, known by
// their pointer.
#include <cstring>

#include "nxlib.h"

NXL_API LPVOID WINAPI NXL_MEM_Alloc(int n) {
    if (n < 0) return nullptr;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, SIZE_T(n));
    if (!h) return nullptr;
    LPVOID p = GlobalLock(h);
    if (!p) GlobalFree(h);
    return p;
}

NXL_API void WINAPI NXL_MEM_Free(LPVOID p) {
    if (!p) return;
    HGLOBAL h = GlobalHandle(p);
    if (!h) return;
    GlobalUnlock(h);
    GlobalFree(h);
}

NXL_API int WINAPI NXL_MEM_Size(LPVOID p) {
    HGLOBAL h = p ? GlobalHandle(p) : nullptr;
    if (!h) return -1;
    return int(GlobalSize(h));
}

NXL_API LPVOID WINAPI NXL_MEM_Resize(LPVOID p, int n) {
    int old = NXL_MEM_Size(p);
    if (old < 0) return nullptr;
    LPVOID q = NXL_MEM_Alloc(n);
    if (!q) return nullptr;
    std::memcpy(q, p, size_t(old < n ? old : n));
    NXL_MEM_Free(p);
    return q;
}

NXL_API void WINAPI NXL_MEM_Copy(LPVOID dst, LPCVOID src, int n) {
    if (n > 0) std::memmove(dst, src, size_t(n));
}

NXL_API int WINAPI NXL_MEM_Clear(LPVOID dst, LPCVOID pattern, int width, int count) {
    if (width <= 0) return count;
    BYTE* d = static_cast<BYTE*>(dst);
    for (int i = 0; i < count; ++i, d += width) std::memcpy(d, pattern, size_t(width));
    return count;
}

NXL_API int WINAPI NXL_MEM_Exchange(LPVOID a, LPVOID b, int n) {
    BYTE* x = static_cast<BYTE*>(a);
    BYTE* y = static_cast<BYTE*>(b);
    for (int i = 0; i < n; ++i) {
        BYTE t = x[i];
        x[i] = y[i];
        y[i] = t;
    }
    return n;
}
