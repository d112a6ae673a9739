// The engine record the layer fuzz targets read under: a chip array and no drivers, textures
// "loading" without pictures. Cleared for every input.
#pragma once

#include <cstring>
#include <vector>

#include "krnlayer.h"

namespace krnlfuzz {

inline int LoadTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }
inline int DropTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }

inline tagKRN* Engine() {
    static tagKRN krn;
    static std::vector<tagKRNCHIP> chips(2000);
    std::memset(&krn, 0, sizeof krn);
    std::memset(chips.data(), 0, chips.size() * sizeof(tagKRNCHIP));
    krn.chipmax = int(chips.size());
    krn.lpchip = chips.data();
    krn.ACC_LOADTEXTURE = LoadTexture;
    krn.ACC_DELETETEXTURE = DropTexture;
    return &krn;
}

}  // namespace krnlfuzz
