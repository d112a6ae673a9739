// Fuzz target of the layer text reader: the text is read under a master layer of an engine
// record without drivers (textures "load" without pictures), then calculated and written.
#include <cstdint>
#include <cstring>
#include <vector>

#include "krnlayer.h"
#include "layer_file.h"

namespace {

int LoadTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }
int DropTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tagKRN krn;
    static std::vector<tagKRNCHIP> chips(2000);
    std::memset(&krn, 0, sizeof krn);
    std::memset(chips.data(), 0, chips.size() * sizeof(tagKRNCHIP));
    krn.chipmax = int(chips.size());
    krn.lpchip = chips.data();
    krn.ACC_LOADTEXTURE = LoadTexture;
    krn.ACC_DELETETEXTURE = DropTexture;
    tagKRNL* master = KRNL_Start(&krn);
    krnl::ReadNotes notes;
    krnl::ReadLayerText(master, reinterpret_cast<const char*>(data), size, "C:\\fuzz\\", 0, &notes);
    KRNL_CalcLayerEx(master, 0);
    std::string text = krnl::LayerText(master);
    // What was written reads again.
    tagKRNL* again = KRNL_Start(&krn);
    krnl::ReadLayerText(again, text.data(), text.size(), "C:\\fuzz\\", 0, &notes);
    KRNL_End(again);
    KRNL_End(master);
    return 0;
}
