// An engine record with a chip array and nothing else, for the engine's pure functions.
#pragma once

#include <cstring>
#include <vector>

#include "krn.h"

struct ChipEngine {
    tagKRN krn;
    std::vector<tagKRNCHIP> chips;
    explicit ChipEngine(int chipmax) : chips((size_t)chipmax) {
        std::memset(&krn, 0, sizeof krn);
        std::memset(chips.data(), 0, chips.size() * sizeof(tagKRNCHIP));
        krn.chipmax = chipmax;
        krn.lpchip = chips.data();
        KRN_SetPH1ColorTable(&krn, nullptr);
    }
};

inline tagKRN3D V(double x, double y, double z, double t = 0.0) { return tagKRN3D{x, y, z, t}; }

inline tagKRNCHIP Triangle(tagKRN3D a, tagKRN3D b, tagKRN3D c) {
    tagKRNCHIP chip;
    std::memset(&chip, 0, sizeof chip);
    chip.mode = KRNCHIP_SHOW;
    chip.v[0] = a;
    chip.v[1] = b;
    chip.v[2] = c;
    KRN_FaceNormal3D(&chip.normal, &a, &b, &c);
    for (auto& n : chip.n) n = chip.normal;
    return chip;
}
