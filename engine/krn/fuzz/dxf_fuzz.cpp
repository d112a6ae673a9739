// Fuzz target of the DXF face reader: any bytes, as white and as random-coloured faces, into a
// chip array that is small enough for faces to run past its end.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_model.h"
#include "krn_internal.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    FuzzEngine e(16);
    tagKRN3D v{1.5, -2.0, 3.0, 2.0};
    int n = krn::ReadDXF(&e.krn, 0, text, size, 0xFFFFFF, false, &v);
    if (n < 0 || n > 16) std::abort();
    int count = krn::CountDXF(text, size);
    if (n > count) std::abort();
    krn::ReadDXF(&e.krn, 14, text, size, 0, true, nullptr);
    return 0;
}
