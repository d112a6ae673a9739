// Fuzz target: the 8-bit palette form read from an open file the way its callers read it (the
// palette chunk, then the picture block behind it; the chunk skipped; the block alone), so
// that the readers on handles take only what the file holds.
#include <cstdlib>
#include <string>

#include "fuzz_scratch.h"
#include "umb_internal.h"

namespace {

// The picture block at the file's position; a cell it fills holds its pixels, one it refuses
// holds none.
void ReadBlock(HFILE f) {
    tagCELL cell{};
    if (UMBDLL8_ReadBmp(f, &cell)) {
        if (cell.xsize > 0 && cell.ysize > 0 && !cell.bits) std::abort();
        UmbFree(cell.bits);
    } else if (cell.bits) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzscratch::Folder folder;
    const std::string path = folder.Put("pic8.bin", data, size);
    if (path.empty()) return 0;
    ZEMPIXEL palette[256];
    for (bool keep : {true, false}) {
        HFILE f = _lopen(path.c_str(), OF_READ);
        if (f == HFILE_ERROR) return 0;
        if (UMBDLL8_ReadPal(f, keep ? palette : nullptr)) ReadBlock(f);
        _lclose(f);
    }
    HFILE f = _lopen(path.c_str(), OF_READ);
    if (f == HFILE_ERROR) return 0;
    ReadBlock(f);
    _lclose(f);
    return 0;
}
