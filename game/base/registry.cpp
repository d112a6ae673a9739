// The memory and cell registries and the resource flags: every long-lived block and cell is
// entered with a caption, so that shutdown can tell what was not given back.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "umb33.h"

namespace {

struct Entry {
    void* pointer;  // null = free
    char caption[128];
};

struct Registry {
    Entry entry[kRegistrySize];
    int live = 0;
    int peak = 0;

    // The first free entry, or -1 when all are taken. A registry is cleared on its first use.
    int FreeSlot() {
        if (live == 0) std::memset(entry, 0, sizeof entry);
        for (int i = 0; i < kRegistrySize; ++i)
            if (!entry[i].pointer) return i;
        return -1;
    }
    void Enter(int slot, void* pointer, const char* caption) {
        entry[slot].pointer = pointer;
        std::snprintf(entry[slot].caption, sizeof entry[slot].caption, "%s",
                      caption ? caption : "");
        if (++live > peak) peak = live;
    }
    int Find(const void* pointer) const {
        if (!pointer || live == 0) return -1;
        for (int i = 0; i < kRegistrySize; ++i)
            if (entry[i].pointer == pointer) return i;
        return -1;
    }
    void Remove(int slot) {
        entry[slot].pointer = nullptr;
        entry[slot].caption[0] = 0;
        --live;
    }
};

Registry g_memory;
Registry g_cells;
uint32_t g_flags[32];

void MemoryBox(size_t size) {
    char text[128];
    std::snprintf(text, sizeof text, "メモリが足りません。(要求size %d)", static_cast<int>(size));
    MessageBoxA(nullptr, text, "Wynmoor２の警告", MB_OK);
}

// Registers a cell made by `make`; a full registry refuses before anything is made.
template <typename Make>
int RegisterCell(tagCELL* cell, const char* caption, Make make) {
    const int slot = g_cells.FreeSlot();
    if (slot < 0) {
        MemoryBox(sizeof(tagCELL));
        return 0;
    }
    const int ok = make();
    if (ok) g_cells.Enter(slot, cell, caption);
    return ok;
}

}  // namespace

void SetResourceFlag(int flag, int on) {
    if (flag < 0 || flag >= 32 * 32) return;
    const uint32_t bit = 1u << (flag % 32);
    if (on)
        g_flags[flag / 32] |= bit;
    else
        g_flags[flag / 32] &= ~bit;
}

int HasResourceFlag(int flag) {
    if (flag < 0 || flag >= 32 * 32) return 0;
    return (g_flags[flag / 32] >> (flag % 32)) & 1;
}

void* MemAlloc(size_t size, const char* caption) {
    const int slot = g_memory.FreeSlot();
    // A block the registry cannot hold would never be freed by MemFree: refuse it.
    void* block = slot < 0 ? nullptr : std::calloc(1, size ? size : 1);
    if (!block) {
        MemoryBox(size);
        return nullptr;
    }
    g_memory.Enter(slot, block, caption);
    return block;
}

void MemFree(void* block, const char*) {
    const int slot = g_memory.Find(block);
    if (slot < 0) return;
    std::free(block);
    g_memory.Remove(slot);
}

int CellAlloc(tagCELL* cell, int width, int height, const char* caption) {
    return RegisterCell(cell, caption, [&] { return ZEM_CreateCell(cell, width, height); });
}

int CellAllocBmp(tagCELL* cell, int width, int height, const char* caption) {
    return RegisterCell(cell, caption, [&] { return ZEM_CreateBmpCell(cell, width, height); });
}

int LoadPictureCell(const char* path, tagCELL* cell) {
    return RegisterCell(cell, path, [&] { return UMBDLL_ReadUMB(path, cell); });
}

void CellFree(tagCELL* cell, const char*) {
    if (!cell || cell->xsize == 0) return;
    const int slot = g_cells.Find(cell);
    if (slot < 0) return;
    ZEM_DeleteCell(cell);
    g_cells.Remove(slot);
}

int CheckAllFreed() {
    for (uint32_t word : g_flags)
        if (word) return 0;
    return g_memory.live == 0 && g_cells.live == 0;
}

RegistryCounts GetRegistryCounts() {
    return RegistryCounts{g_memory.live, g_memory.peak, g_cells.live, g_cells.peak};
}

void TraceRegistries() {
    if (!GameTraceOn()) return;
    const RegistryCounts c = GetRegistryCounts();
    GameTrace("registry memory %d/%d cells %d/%d", c.memory, c.memorypeak, c.cells, c.cellspeak);
    for (const Entry& e : g_memory.entry)
        if (g_memory.live && e.pointer) GameTrace("registry live memory %s", e.caption);
    for (const Entry& e : g_cells.entry)
        if (g_cells.live && e.pointer) GameTrace("registry live cell %s", e.caption);
}
