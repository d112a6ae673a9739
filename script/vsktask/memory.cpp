// Memory blocks: movable global memory, locked while in use, found again from the pointer
// through the platform's registry of live blocks.
#include <algorithm>
#include <cstring>

#include "vsktask.h"

namespace {

const char kCaption[] = "『Veskeran33』タスクマネージャ(VSKTASK.DLL)";
const UINT kFlags = GMEM_MOVEABLE | GMEM_ZEROINIT;

HGLOBAL HandleOf(const void* block) { return block ? GlobalHandle(block) : nullptr; }

}  // namespace

void* WINAPI VSKTASK_AllocMemory(HWND hwnd, SIZE_T bytes) {
    for (;;) {
        if (HGLOBAL h = GlobalAlloc(kFlags, bytes)) {
            if (void* p = GlobalLock(h)) return p;
            GlobalFree(h);
        }
        if (!VSKTASK_ErrorRetry(
                hwnd, kCaption,
                "ﾒﾓﾘが不足しています。\n他のｱﾌﾟﾘｹｰｼｮﾝを終了して[再試行]してください。\n"
                "[ｷｬﾝｾﾙ]を選ぶと強制的に処理を継続しますが\nその後の動作は保証されません。"))
            return nullptr;
    }
}

void* WINAPI VSKTASK_ResizeMemory(HWND hwnd, void* block, SIZE_T bytes) {
    HGLOBAL h = HandleOf(block);
    if (!h) return nullptr;
    GlobalUnlock(h);
    HGLOBAL bigger = GlobalReAlloc(h, bytes, kFlags);
    if (!bigger) {
        GlobalLock(h);  // the caller keeps its block as it was
        VSKTASK_ErrorRetry(hwnd, kCaption, "ﾒﾓﾘ不足によりｻｲｽﾞ変更に失敗しました。");
        return nullptr;
    }
    return GlobalLock(bigger);
}

void WINAPI VSKTASK_FreeMemory(HWND, void* block) {
    HGLOBAL h = HandleOf(block);
    if (!h) return;
    GlobalUnlock(h);
    GlobalFree(h);
}

SIZE_T WINAPI VSKTASK_SizeMemory(HWND, const void* block) {
    HGLOBAL h = HandleOf(block);
    return h ? GlobalSize(h) : 0;
}

void* WINAPI VSKTASK_DuplicateMemory(HWND hwnd, const void* block) {
    if (!HandleOf(block)) return nullptr;
    SIZE_T size = VSKTASK_SizeMemory(hwnd, block);
    void* copy = VSKTASK_AllocMemory(hwnd, size);
    if (copy && size) std::memcpy(copy, block, size);
    return copy;
}

int WINAPI VSKTASK_ExchangeMemory(HWND hwnd, void* a, void* b, SIZE_T count) {
    if (!HandleOf(a) || !HandleOf(b)) return 0;
    if (count > VSKTASK_SizeMemory(hwnd, a) || count > VSKTASK_SizeMemory(hwnd, b)) return 0;
    std::swap_ranges(static_cast<BYTE*>(a), static_cast<BYTE*>(a) + count, static_cast<BYTE*>(b));
    return 1;
}
