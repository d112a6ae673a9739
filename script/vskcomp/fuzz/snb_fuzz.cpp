// Fuzz target of the compiled-script reader: the chunks behind a file's 12-byte RIFF header,
// the INFO record, the unscrambled code and its check.
#include <cstdint>
#include <vector>

#include "vskcomp_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 12) return 0;
    std::vector<BYTE> code;
    vskcomp::ParseSnb(data + 12, size - 12, &code);
    return 0;
}
