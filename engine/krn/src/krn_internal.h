// Helpers shared by the engine's source files; not part of the exported interface.
#pragma once

#include <cstddef>

#include "krn.h"

namespace krn {

// 1 when x, y and z of both points, each truncated toward zero, are equal.
int CompFuzzy3D(const tagKRN3D* a, const tagKRN3D* b);
// Copies n doubles one by one from the first.
void Move64(double* dst, const double* src, int n);

inline bool ValidSlot(const tagKRN* krn, int slot) {
    return krn && krn->lpchip && slot >= 0 && slot < krn->chipmax;
}

// Model readers working on bytes in memory (the file readers and the fuzz targets share them).
// Each stores chips from `start` and returns how many it stored.
int ReadDXF(tagKRN* krn, int start, const char* text, size_t size, DWORD colour, bool random,
            const tagKRN3D* vector);
// The number of "3DFACE" markers in the text.
int CountDXF(const char* text, size_t size);
// The bytes a height map needs; shorter files are refused.
constexpr size_t kPH1Bytes = 40 * 80 * 2;
int ReadPH1(tagKRN* krn, int start, const unsigned char* bytes, size_t size,
            const tagKRN3D* vector);
constexpr int kPH1Chips = 39 * 39 * 2;

}  // namespace krn
