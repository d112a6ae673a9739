// Helpers shared by the value library's modules.
#pragma once

#include <cstdint>

#include "vskval.h"
#include "vsktask.h"

namespace vskval {

inline constexpr char kCaption[] = "『Veskeran33』変数マネージャ(VSKVAL.DLL)";

inline HWND Owner(const tagVALUAREA* ctx) { return ctx ? ctx->hwnd : nullptr; }

// Shows a message of the value library (printf-style, cut at 2000 bytes).
void Message(const tagVALUAREA* ctx, const char* format, ...);

// The slot that index i of `block` denotes, or nullptr outside the block.
inline tagVALUE* Slot(const tagVALUEBLOCK* block, int index) {
    if (!block || !block->lpvalue) return nullptr;
    int64_t raw = int64_t(index) + block->offset;
    if (raw < 0 || raw >= block->count) return nullptr;
    return block->lpvalue + raw;
}

// The type word of a type letter in messages ("数値", "領域", ... "不明").
const char* TypeWord(int letter);

// ---- the string heap ----
bool HeapCreate(tagVALUAREA* ctx);
void HeapDelete(tagVALUAREA* ctx);
// Allocates `bytes` bytes first fit (growing the heap by 65536 bytes at a time) and copies
// `data` in. Returns the data offset, or 0 when the heap cannot grow.
int HeapAlloc(tagVALUAREA* ctx, const void* data, int bytes);
// Frees the block whose data begins at `offset`; an offset that is no block in use is ignored.
void HeapFree(tagVALUAREA* ctx, int offset);
// Copies the first `bytes` bytes of the block in use at `offset`. False when there is no such
// block or it is shorter.
bool HeapRead(const tagVALUAREA* ctx, int offset, int bytes, void* out);

// ---- shared waves and windows ----
// A copy of a 'W' or 'H' value adds a share; clearing a value with shares left drops one
// instead of releasing.
void AddShare(const void* thing);
bool DropShare(const void* thing);

}  // namespace vskval
