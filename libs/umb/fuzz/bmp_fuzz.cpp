// Fuzz target: a whole BMP file.
#include <cstdlib>

#include "umb_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tagCELL cell;
    if (UmbParseBmp(data, size, &cell))
        UmbFree(cell.bits);
    else if (cell.bits)
        std::abort();
    return 0;
}
