// BMP files as the layer's picture loader reads them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace wynplat {

struct BmpImage {
    int w = 0, h = 0, bpp = 0;
    bool topDown = false;
    bool bitfields = false;
    uint32_t masks[3] = {0, 0, 0};
    std::vector<uint8_t> palette;  // blue, green, red, reserved per entry
    int stride = 0;
    std::vector<uint8_t> rows;  // stride x h bytes in file order
};

// Reads an uncompressed BMP (1, 4, 8, 16, 24 or 32 bits; bit-field masks for 16 and 32;
// the core and the longer information headers). Returns false for anything else, or when
// the sizes do not fit the bytes there.
bool ReadBmp(const uint8_t* data, size_t size, BmpImage* out);

}  // namespace wynplat
