// Fuzz target of the layer text reader: the text is read under a master layer of an engine
// record without drivers (textures "load" without pictures), then calculated and written.
#include <cstdint>
#include <string>

#include "fuzz_engine.h"
#include "layer_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tagKRN* krn = krnlfuzz::Engine();
    tagKRNL* master = KRNL_Start(krn);
    krnl::ReadNotes notes;
    krnl::ReadLayerText(master, reinterpret_cast<const char*>(data), size, "C:\\fuzz\\", 0, &notes);
    KRNL_CalcLayerEx(master, 0);
    std::string text = krnl::LayerText(master);
    // What was written reads again.
    tagKRNL* again = KRNL_Start(krn);
    krnl::ReadLayerText(again, text.data(), text.size(), "C:\\fuzz\\", 0, &notes);
    KRNL_End(again);
    KRNL_End(master);
    return 0;
}
