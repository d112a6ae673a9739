// The picture loader's BMP reader on arbitrary bytes: it must refuse or read within bounds.
#include <cstddef>
#include <cstdint>

#include "gdi/bmp_read.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    wynplat::BmpImage img;
    if (wynplat::ReadBmp(data, size, &img)) {
        // What was read must describe exactly the rows kept.
        if (img.rows.size() != static_cast<size_t>(img.stride) * img.h) __builtin_trap();
    }
    return 0;
}
