// A small engine record for the model readers' fuzz targets: chips only, no drivers.
#pragma once

#include <cstring>
#include <vector>

#include "krn.h"

struct FuzzEngine {
    tagKRN krn;
    std::vector<tagKRNCHIP> chips;
    explicit FuzzEngine(int chipmax) : chips((size_t)chipmax) {
        std::memset(&krn, 0, sizeof krn);
        krn.chipmax = chipmax;
        krn.lpchip = chips.data();
        KRN_SetPH1ColorTable(&krn, nullptr);
    }
};
