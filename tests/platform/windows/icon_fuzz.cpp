// The icon and cursor file reader on arbitrary bytes, as either kind: it must refuse or read a
// picture of the size it tells, within bounds, its hot spot inside it.
#include <cstddef>
#include <cstdint>

#include "gdi/icon_read.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (bool cursor : {false, true}) {
        wynplat::IconImage icon;
        if (!wynplat::ReadIconFile(data, size, cursor, 32, 32, &icon)) continue;
        if (icon.w < 1 || icon.h < 1 || icon.w > 256 || icon.h > 256) __builtin_trap();
        if (icon.argb.size() != static_cast<size_t>(icon.w) * icon.h) __builtin_trap();
        if (icon.hotX < 0 || icon.hotX >= icon.w || icon.hotY < 0 || icon.hotY >= icon.h)
            __builtin_trap();
    }
    return 0;
}
