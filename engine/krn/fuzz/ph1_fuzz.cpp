// Fuzz target of the PH1 height-map reader: any bytes, into an array that holds the whole grid
// and into one that ends half way.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_model.h"
#include "krn_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzEngine e(krn::kPH1Chips + 1);
    tagKRN3D v{0.0, 10.0, 0.0, 0.5};
    int n = krn::ReadPH1(&e.krn, 0, data, size, &v);
    if (n != (size < krn::kPH1Bytes ? 0 : krn::kPH1Chips)) std::abort();
    for (int i = 0; i < n; ++i)
        if (e.chips[(size_t)i].mode != KRNCHIP_SHOW) std::abort();
    FuzzEngine half(1000);
    krn::ReadPH1(&half.krn, 500, data, size, nullptr);
    return 0;
}
