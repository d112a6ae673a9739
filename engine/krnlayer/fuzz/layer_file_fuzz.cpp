// Fuzz target of KRNL_LoadLayer: any bytes as a layer text file on disk, loaded under a master
// layer of an engine record without drivers (textures "load" without pictures) from the first
// slot and from near the end of the chip array, calculated, saved, and the saved file loaded
// again.
#include <cstdint>
#include <string>

#include "fuzz_engine.h"
#include "fuzz_scratch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tagKRN* krn = krnlfuzz::Engine();
    fuzzscratch::Folder folder;
    const std::string path = folder.Put("input.plm", data, size);
    if (path.empty()) return 0;
    tagKRNL* master = KRNL_Start(krn);
    for (int slot : {0, 1990}) KRNL_LoadLayer(master, path.c_str(), slot);
    KRNL_CalcLayerEx(master, 0);
    const std::string saved = folder.Sys("saved.plm");
    if (KRNL_SaveLayer(master, saved.c_str())) {
        tagKRNL* again = KRNL_Start(krn);
        if (!KRNL_LoadLayer(again, saved.c_str(), 0)) __builtin_trap();  // what was written reads
        KRNL_End(again);
    }
    KRNL_End(master);
    return 0;
}
