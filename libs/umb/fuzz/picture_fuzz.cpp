// Fuzz target: a whole picture file. A picture that reads must survive coding and decoding.
#include <cstdlib>
#include <cstring>

#include "umb_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tagCELL cell;
    if (!UmbParsePicture(data, size, &cell)) {
        if (cell.bits) std::abort();
        return 0;
    }
    size_t bound = UmbEncodeBound(cell.xsize, cell.ysize);
    BYTE* code = static_cast<BYTE*>(std::malloc(bound));
    size_t n = UmbEncodeRows(cell.bits, cell.xsize, cell.ysize, code, bound, nullptr, nullptr);
    size_t bytes = size_t(cell.xsize) * size_t(cell.ysize) * 2;
    ZEMPIXEL* back = static_cast<ZEMPIXEL*>(std::calloc(1, bytes));
    if (!n || !UmbDecodeRows(code, n, back, cell.xsize, cell.ysize) ||
        std::memcmp(back, cell.bits, bytes) != 0)
        std::abort();
    std::free(back);
    std::free(code);
    UmbFree(cell.bits);
    return 0;
}
