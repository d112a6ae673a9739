// Cells through the 2D display and picture-file libraries, and the bitmap form the raster
// driver draws from.
#include <cstring>
#include <strings.h>

#include "krn.h"
#include "umb33.h"
#include "zem40.h"

KRNAPI int WINAPI KRN_CreateCell(tagKRNCELL* cell, int width, int height) {
    return ZEM_CreateCell(cell, width, height);
}

KRNAPI int WINAPI KRN_DeleteCell(tagKRNCELL* cell) { return ZEM_DeleteCell(cell); }

KRNAPI int WINAPI KRN_ReadCell(tagKRNCELL* cell, const char* path) {
    if (!cell || !path) return 0;
    const char* dot = std::strrchr(path, '.');
    if (!dot) return 0;
    if (strcasecmp(dot, ".bmp") == 0) return UMBDLL_ReadBMP(path, cell);
    if (strcasecmp(dot, ".umz") == 0 || strcasecmp(dot, ".umb") == 0)
        return UMBDLL_ReadUMB(path, cell);
    return 0;
}

KRNAPI int WINAPI KRN_RemakeCell(tagKRNCELL* cell) {
    if (!cell || cell->user) return 0;
    tagCELL old = *cell;
    std::memset(cell, 0, sizeof *cell);
    if (!ZEM_CreateBmpCell(cell, old.xsize, old.ysize)) {
        *cell = old;
        return 0;
    }
    // Row by row: a bitmap cell's rows may be wider than the plain cell's.
    for (LONG row = 0; row < old.ysize; ++row)
        std::memcpy(cell->bits + (size_t)row * (size_t)cell->xsize,
                    old.bits + (size_t)row * (size_t)old.xsize,
                    (size_t)old.xsize * sizeof(ZEMPIXEL));
    cell->mask = old.mask;
    cell->xpos = old.xpos;
    cell->ypos = old.ypos;
    cell->xoffset = old.xoffset;
    cell->yoffset = old.yoffset;
    ZEM_DeleteCell(&old);
    return 1;
}
