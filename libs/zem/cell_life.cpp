// Making and freeing cells, bitmap cells included.
#include <cstring>

#include "internal.h"

ZEMAPI int ZEM_CreateCell(tagCELL* cell, int w, int h) {
    return cell ? UMBDLL_CreateCell(cell, w, h) : 0;
}

#ifndef ZEM_BUILD_ZEM33
ZEMAPI int ZEM_CreateBmpCell(tagCELL* cell, int w, int h) {
    if (!cell) return 0;
    // The cell's own 16-bit screen. Its depth stays with it; the depth of screens made
    // later without one of their own is left as it was.
    const int depth = zem::g_depth;
    HZEMSCREEN scr = ZEM_Start(ZEM_START_DEPTH16, nullptr, w, h, w, h);
    zem::g_depth = depth;
    if (!scr) return 0;
    std::memset(cell, 0, sizeof *cell);
    cell->mode = CELL_MODE_BITMAP;
    cell->xsize = scr->width;  // padded, so that the cell's rows are the screen's rows
    cell->ysize = scr->height;
    cell->mask = CELL_MASK_NONE;
    cell->bits = static_cast<ZEMPIXEL*>(scr->bits);
    cell->user = reinterpret_cast<DWORD_PTR>(scr);
    return 1;
}
#endif

ZEMAPI int ZEM_DeleteCell(tagCELL* cell) {
    if (!cell) return 0;
#ifndef ZEM_BUILD_ZEM33
    if (cell->mode == CELL_MODE_BITMAP)
        ZEM_End(reinterpret_cast<HZEMSCREEN>(cell->user));
    else
#endif
        if (cell->bits)
        ZEM_FreeMemory(cell->bits);
    std::memset(cell, 0, sizeof *cell);
    return 1;
}
