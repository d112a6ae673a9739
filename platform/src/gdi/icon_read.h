// Icon and cursor files as LoadImageA reads them from the file system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace wynplat {

struct IconImage {
    bool cursor = false;
    int w = 0, h = 0;
    int hotX = 0, hotY = 0;      // a cursor's hot spot (0, 0 for an icon)
    std::vector<uint32_t> argb;  // w x h, top row first; alpha 0 where the mask is set
};

// Reads an icon file (type 1) or a cursor file (type 2), as `cursor` asks, choosing the entry
// of `wantW` x `wantH` when there is one, else the first. The entry's picture is an
// uncompressed bitmap of 1, 4, 8, 24 or 32 bits with its AND mask (a 32-bit one may leave the
// mask out and carry alpha). Returns false for anything else (PNG entries included), or when
// the sizes do not fit the bytes there.
bool ReadIconFile(const uint8_t* data, size_t size, bool cursor, int wantW, int wantH,
                  IconImage* out);

}  // namespace wynplat
