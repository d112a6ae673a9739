// Shared helpers of the layer library's sources.
#pragma once

#include <string>

#include "krnlayer.h"

namespace krnl {

// Records and arrays come from the engine's allocator (zero-filled).
template <typename T>
T* Alloc(int n) {
    if (n <= 0) return nullptr;
    return static_cast<T*>(KRN_AllocMemory(int(sizeof(T)) * n));
}
void Free(void* p);

// Copies `src` into a name field of `cap` bytes, cut at a whole character.
void CopyName(char* dst, const char* src, size_t cap = KRNL_NAMEMAX);
// Puts the layer's fields back to those of a new layer (name, engine and parent kept).
void InitLayer(tagKRNL* layer);
// The process-wide switch: release a layer's texture with the layer (off while grouping).
void SetReleaseTextures(bool on);
// Marks the subtree dirty.
void MarkSubtree(tagKRNL* layer);
// Prepares `ffr` from `rotate` with the current engine-wide axis order.
void PrepareRotation(tagKRNL* layer);
// A chip slot range that lies inside the engine's chip array.
bool SlotsInside(const tagKRN* krn, int no, int count);
// Angle of (x, z) in [0, 2*pi); 0 for the origin.
double GetAngle(double x, double z);
// Shows a warning box captioned with the library's name.
void Report(const tagKRN* krn, const std::string& text);

}  // namespace krnl
