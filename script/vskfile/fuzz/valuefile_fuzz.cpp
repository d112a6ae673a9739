// Fuzz target of the value-file reader: counting and reading the chunks of a value file's
// bytes (behind its 12-byte header) into a block of slots, with and without skipped chunks.
#include <cstddef>
#include <cstdint>

#include "vskfile_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tagVALUAREA* ctx = VSKVAL_Create(GetModuleHandleA(nullptr));
    if (!ctx || size < 12) return 0;
    const BYTE* body = data + 12;
    size -= 12;
    vskfile::CountValues(body, size);
    tagVALUE slots[8] = {};
    tagVALUEBLOCK block{slots, 8, 0};
    for (int skip : {0, 1}) {
        vskfile::ReadValues(ctx, body, size, &block, 0, skip, 8);
        for (tagVALUE& v : slots) VSKFAQ_Clear(ctx, &v);
    }
    return 0;
}
