// Fuzz target: a picture description. Whatever reads must also draw; pictures are drawn up
// to a bounded number of pixels per input so that each input stays quick.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "draw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    umbdraw::Description d;
    std::string error;
    if (!umbdraw::ReadDescription(reinterpret_cast<const char*>(data), size, &d, &error)) {
        if (error.empty() || !d.pictures.empty()) std::abort();
        return 0;
    }
    size_t budget = size_t(1) << 18;
    for (const umbdraw::Picture& p : d.pictures) {
        const size_t n = size_t(p.width) * size_t(p.height);
        if (n > budget) continue;
        budget -= n;
        std::vector<ZEMPIXEL> pixels;
        if (!umbdraw::Render(p, &pixels, &error)) std::abort();
        if (pixels.size() != n) std::abort();
        if (p.output == umbdraw::Output::Bmp8 &&
            umbdraw::Bmp8Bytes(pixels, p.width, p.height).size() < 54 + n)
            std::abort();
    }
    return 0;
}
