// Fuzz target of the compiled-script file as the host reads it from disk: any bytes as a .SNB
// file, taken through VSKCOMP_Unpack (the file library's RIFF header and form check, the
// chunks behind it, the unscrambled code and its check). What it hands out is checked code.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_scratch.h"
#include "vskcomp_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzscratch::Folder folder;
    const std::string path = folder.Put("FUZZ.SNB", data, size);
    if (path.empty()) return 0;
    BYTE* code = VSKCOMP_Unpack(nullptr, path.c_str());
    if (code) {
        if (!vskcomp::CheckCode(code, VSKTASK_SizeMemory(nullptr, code))) std::abort();
        VSKTASK_FreeMemory(nullptr, code);
    }
    return 0;
}
