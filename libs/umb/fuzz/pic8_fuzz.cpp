// Fuzz target: the 8-bit palette form (the palette chunk and the picture block behind a
// fixed header that announces both), and the packed-index decoder on its own.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "umb_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(56, 0);
    std::memcpy(file.data(), "RIFF\x38\0\0\0FUZZfmt \x24\0\0\0\x01\0\x02\0", 24);
    file[24] = 1;
    file[40] = 1;
    file.insert(file.end(), data, data + size);
    tagCELL cell;
    if (UmbParsePicture(file.data(), file.size(), &cell))
        UmbFree(cell.bits);
    else if (cell.bits)
        std::abort();
    std::vector<uint8_t> out(4096);
    Umb8Unpack(data, size, out.data(), out.size());
    return 0;
}
