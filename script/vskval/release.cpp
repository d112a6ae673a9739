// Releasing, copying and exchanging values, and the shares of copied waves and windows.
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "tov42.h"
#include "umb33.h"
#include "vskval_internal.h"

namespace vskval {
namespace {

struct Shares {
    std::mutex m;
    std::unordered_map<const void*, int> extra;  // copies beyond the first
};

Shares& TheShares() {
    static Shares* s = new Shares;  // values may be released while the process ends
    return *s;
}

bool IsString(WORD mode) { return mode == VSK_MODE_STRING || mode == VSK_MODE_BARE_STRING; }

void ReleaseWindow(HWND hwnd) {
    if (!hwnd || DropShare(hwnd) || !IsWindow(hwnd)) return;
    if (DestroyWindow(hwnd))
        while (IsWindow(hwnd)) Sleep(0);
}

void ReleaseWave(tagTOVWAVE* wave) {
    if (!wave || DropShare(wave)) return;
    TOV_WaveFree(wave);
    VSKTASK_FreeMemory(nullptr, wave);
}

void ReleaseCell(tagCELL* cell) {
    if (!cell) return;
    VSKTASK_FreeMemory(nullptr, cell->bits);
    VSKTASK_FreeMemory(nullptr, cell);
}

// A new cell record with its own rows; nullptr when memory is refused.
tagCELL* DuplicateCell(HWND hwnd, const tagCELL* cell) {
    auto* copy = static_cast<tagCELL*>(VSKTASK_AllocMemory(hwnd, sizeof(tagCELL)));
    if (!copy) return nullptr;
    *copy = *cell;
    copy->bits = nullptr;
    if (!cell->bits) return copy;
    if (VSKTASK_SizeMemory(hwnd, cell->bits)) {
        copy->bits = static_cast<ZEMPIXEL*>(VSKTASK_DuplicateMemory(hwnd, cell->bits));
    } else if (cell->xsize > 0 && cell->ysize > 0) {
        // Rows that are no block of their own (a screen's) are copied by the cell's size.
        SIZE_T bytes = SIZE_T(cell->xsize) * SIZE_T(cell->ysize) * sizeof(ZEMPIXEL);
        copy->bits = static_cast<ZEMPIXEL*>(VSKTASK_AllocMemory(hwnd, bytes));
        if (copy->bits) std::memcpy(copy->bits, cell->bits, bytes);
    } else {
        return copy;
    }
    if (!copy->bits) {
        VSKTASK_FreeMemory(hwnd, copy);
        return nullptr;
    }
    return copy;
}

}  // namespace

void AddShare(const void* thing) {
    if (!thing) return;
    Shares& s = TheShares();
    std::lock_guard<std::mutex> g(s.m);
    ++s.extra[thing];
}

bool DropShare(const void* thing) {
    Shares& s = TheShares();
    std::lock_guard<std::mutex> g(s.m);
    auto it = s.extra.find(thing);
    if (it == s.extra.end()) return false;
    if (--it->second == 0) s.extra.erase(it);
    return true;
}

}  // namespace vskval

using namespace vskval;

int WINAPI VSKFAQ_NULL(tagVALUAREA*, tagVALUE* value) {
    if (value) *value = tagVALUE{};
    return 1;
}

int WINAPI VSKFAQ_Clear(tagVALUAREA* ctx, tagVALUE* value) {
    if (!value) return 1;
    switch (value->mode) {
        case VSK_MODE_CELL:
            ReleaseCell(VskCaqCell(value));
            break;
        case VSK_MODE_HANDLE:
            ReleaseWindow(VskHandle(value));
            break;
        case VSK_MODE_MEMORY:
            VSKTASK_FreeMemory(Owner(ctx), VskMaqMemory(value));
            break;
        case VSK_MODE_WAVE:
            ReleaseWave(VskWave(value));
            break;
        default:
            if (IsString(value->mode) && ctx && VskSaqHeap(value) == ctx->hstring)
                HeapFree(ctx, VskSaqOffset(value));
            break;
    }
    *value = tagVALUE{};
    return 1;
}

int WINAPI VSKFAQ_Copy(tagVALUAREA* ctx, tagVALUE* dst, const tagVALUE* src) {
    if (!dst || !src) return 0;
    tagVALUE from = *src;
    *dst = tagVALUE{};
    switch (from.mode) {
        case VSK_MODE_CELL:
        case VSK_MODE_MEMORY:
            if (void* owned = VskPtr(&from, 0)) {
                void* copy = from.mode == VSK_MODE_CELL
                                 ? static_cast<void*>(
                                       DuplicateCell(Owner(ctx), static_cast<tagCELL*>(owned)))
                                 : VSKTASK_DuplicateMemory(Owner(ctx), owned);
                if (!copy) return 0;
                *dst = from;
                VskSetPtr(dst, 0, copy);
                return 1;
            }
            break;
        case VSK_MODE_STRING:
        case VSK_MODE_BARE_STRING:
            if (!ctx || !VSKSTR_GetWord(ctx, &from, ctx->wordbuf1)) return 0;
            if (!VSKSTR_SetWord(ctx, dst, ctx->wordbuf1)) return 0;
            dst->mode = from.mode;
            return 1;
        case VSK_MODE_WAVE:
        case VSK_MODE_HANDLE:
            AddShare(VskPtr(&from, 0));
            break;
    }
    *dst = from;
    return 1;
}

int WINAPI VSKFAQ_Swap(tagVALUAREA*, tagVALUE* a, tagVALUE* b) {
    if (a && b) {
        tagVALUE t = *a;
        *a = *b;
        *b = t;
    }
    return 1;
}
