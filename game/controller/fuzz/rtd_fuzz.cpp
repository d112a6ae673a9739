// Fuzz target: a route preview file (its first 192 bytes) and the point table its words index
// (the bytes after them, read as the ".ptd" file is): the reader, the 3D preview's chips and the
// radar's route lines in both sizes and ranges.
#include <algorithm>
#include <cstring>

#include "controller/controller_internal.h"
#include "world/world.h"
#include "zem40.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static HZEMSCREEN screen = [] {
        HZEMSCREEN s = ZEM_Start(ZEM_START_DEPTH16, nullptr, 400, 400, 400, 400);
        ZEM_MaskFlag(s, 0);
        return s;
    }();
    uint32_t words[kPreviewWords];
    ReadRoutePreview(data, size, words);
    static PointTable points;
    std::memset(&points, 0, sizeof points);
    if (size > kPreviewSize) ReadPointFile(data + kPreviewSize, size - kPreviewSize, &points);
    tagKRNCHIP chips[kPreviewSegments];
    const int n = PreviewChips(words, points, int(size % 4), 3.5, chips);
    if (n < 0 || n > kPreviewSegments) __builtin_trap();
    for (int large = 0; large < 2; ++large)
        for (int wide = 0; wide < 2; ++wide)
            DrawRadarRouteOn(screen, MakeRadarView(large, wide), words, points);
    return 0;
}
