// Cell operations that touch only the cell's pixels: combining, filling, single pixels,
// lines, the turned disc, scaling and the flood fill. Cells have no clip rectangle: every
// operation cuts its rectangles to the cell's bounds.
#include <vector>

#include "draw.h"
#include "zem40.h"

namespace {

bool HasPixels(const tagCELL* cell) {
    return cell && cell->bits && cell->xsize > 0 && cell->ysize > 0;
}

// `rc` (NULL = the whole cell) cut to the cell.
bool CellRect(const tagCELL* cell, const RECT* rc, RECT& out) {
    if (!HasPixels(cell)) return false;
    out = rc ? *rc : RECT{0, 0, cell->xsize, cell->ysize};
    return zem::Cut(out, RECT{0, 0, cell->xsize, cell->ysize});
}

bool Inside(const tagCELL* cell, long long x, long long y) {
    return x >= 0 && y >= 0 && x < cell->xsize && y < cell->ysize;
}

ZEMPIXEL& At(tagCELL* cell, long long x, long long y) { return cell->bits[y * cell->xsize + x]; }

}  // namespace

ZEMAPI int ZEM_CopyCell(tagCELL* cell, int x, int y, const tagCELL* from, const RECT* src,
                        int flags) {
    return zem::CopyCellPixels(cell, x, y, from, src, flags) ? 1 : 0;
}

ZEMAPI int ZEM_ClearCell(tagCELL* cell, const RECT* rc, ZEMPIXEL value) {
    RECT r;
    if (!CellRect(cell, rc, r)) return 0;
    zem::Fill16(&At(cell, r.left, r.top), cell->xsize, r.right - r.left, r.bottom - r.top, value);
    return 1;
}

ZEMAPI int ZEM_ChangePixelCell(tagCELL* cell, const RECT* rc, ZEMPIXEL newv, ZEMPIXEL oldv) {
    RECT r;
    if (!CellRect(cell, rc, r)) return 0;
    zem::Replace16(&At(cell, r.left, r.top), cell->xsize, r.right - r.left, r.bottom - r.top, newv,
                   oldv);
    return 1;
}

ZEMAPI int ZEM_CheckPixelCell(const tagCELL* cell, int x, int y) {
    return HasPixels(cell) && Inside(cell, x, y) ? 1 : 0;
}

ZEMAPI ZEMPIXEL ZEM_GetPixel(const tagCELL* cell, int x, int y) {
    return cell->bits[static_cast<ptrdiff_t>(y) * cell->xsize + x];
}

ZEMAPI ZEMPIXEL ZEM_GetPixelCell(const tagCELL* cell, int x, int y) {
    return ZEM_CheckPixelCell(cell, x, y) ? ZEM_GetPixel(cell, x, y) : 0;
}

ZEMAPI int ZEM_SetPixelCell(tagCELL* cell, int x, int y, ZEMPIXEL value) {
    if (!ZEM_CheckPixelCell(cell, x, y)) return 0;
    At(cell, x, y) = value;
    return 1;
}

ZEMAPI int ZEM_LineCell(tagCELL* cell, int x1, int y1, int x2, int y2, ZEMPIXEL value) {
    if (!HasPixels(cell)) return 0;
    zem::LinePoints(x1, y1, x2, y2, [&](long long x, long long y) {
        if (Inside(cell, x, y)) At(cell, x, y) = value;
    });
    return 1;
}

ZEMAPI int ZEM_RollCell(tagCELL* cell, int dx, int dy, int sx, int sy, int r, int angle) {
    if (!HasPixels(cell)) return 0;
    // Shrink the radius until both discs fit.
    auto fits = [cell](long long cx, long long cy, long long rr) {
        return cx - rr >= 0 && cx + rr < cell->xsize && cy - rr >= 0 && cy + rr < cell->ysize;
    };
    long long rr = r;
    while (rr >= 0 && !(fits(sx, sy, rr) && fits(dx, dy, rr))) --rr;
    if (rr < 0) return 0;
    int co, si;
    ZEM_GetTriangle(angle, &co, &si);
    const long long c = co * 16384LL / 10000, s = si * 16384LL / 10000;
    for (long long l = -rr; l < rr; ++l) {
        long long h = 0;
        while (h * h + l * l < rr * rr) ++h;
        for (long long g = -h; g <= h; ++g) {
            const long long px = (g * c + l * s + sx * 16384LL) >> 14;
            const long long py = (-g * s + l * c + sy * 16384LL) >> 14;
            // The rim points of a row may turn to just outside the source disc: skip what
            // would be read outside the cell.
            if (!Inside(cell, px, py) || !Inside(cell, dx + g, dy + l)) continue;
            At(cell, dx + g, dy + l) = At(cell, px, py);
        }
    }
    return 1;
}

ZEMAPI int ZEM_ZoomCell(tagCELL* cell, const RECT* dst, const RECT* src) {
    if (!HasPixels(cell) || !dst || !src) return 0;
    const long long W = dst->right - dst->left, H = dst->bottom - dst->top;
    const long long SW = src->right - src->left, SH = src->bottom - src->top;
    if (W <= 0 || H <= 0 || SW <= 0 || SH <= 0) return 0;
    const bool keyed = !(cell->mask & 0x80000000);
    const ZEMPIXEL key = static_cast<ZEMPIXEL>(cell->mask & 0x7FFF);
    // Source and destination lie in the same cell: read from a copy so that the result does
    // not depend on the order of the writes.
    const std::vector<ZEMPIXEL> pic(cell->bits, cell->bits + ptrdiff_t(cell->xsize) * cell->ysize);
    for (long long i = 0; i < H; ++i) {
        long long y0 = src->top + SH * i / H, y1 = src->top + SH * (i + 1) / H;
        if (y0 == y1) --y0, ++y1;
        for (long long j = 0; j < W; ++j) {
            long long x0 = src->left + SW * j / W, x1 = src->left + SW * (j + 1) / W;
            if (x0 == x1) --x0, ++x1;
            long long keyedCount = 0, count = 0, r = 0, g = 0, b = 0;
            for (long long y = y0; y < y1; ++y)
                for (long long x = x0; x < x1; ++x) {
                    if (!Inside(cell, x, y)) continue;
                    const ZEMPIXEL p = pic[y * cell->xsize + x];
                    if (keyed && (p & 0x7FFF) == key) {
                        ++keyedCount;
                    } else {
                        ++count;
                        r += UMB_PixelRed(p);
                        g += UMB_PixelGreen(p);
                        b += UMB_PixelBlue(p);
                    }
                }
            const long long tx = dst->left + j, ty = dst->top + i;
            if (!Inside(cell, tx, ty)) continue;
            if (keyedCount < count)
                At(cell, tx, ty) = UMB_MakePixel(int(r / count), int(g / count), int(b / count));
            else
                At(cell, tx, ty) = key;
        }
    }
    return 1;
}

ZEMAPI int ZEM_PaintCell(tagCELL* cell, int x, int y, ZEMPIXEL value, RECT* out) {
    if (!ZEM_CheckPixelCell(cell, x, y)) return 0;
    const ZEMPIXEL old = At(cell, x, y);
    RECT box{x, y, x, y};  // empty until a run is filled
    if (old != value) {
        // Scan-line fill of the 4-connected region, with an explicit stack of seeds.
        box = RECT{x, y, x + 1, y + 1};
        std::vector<POINT> seeds{{x, y}};
        while (!seeds.empty()) {
            const POINT p = seeds.back();
            seeds.pop_back();
            if (At(cell, p.x, p.y) != old) continue;
            LONG l = p.x, r = p.x;
            while (l > 0 && At(cell, l - 1, p.y) == old) --l;
            while (r + 1 < cell->xsize && At(cell, r + 1, p.y) == old) ++r;
            for (LONG i = l; i <= r; ++i) At(cell, i, p.y) = value;
            box.left = std::min(box.left, l);
            box.right = std::max(box.right, r + 1);
            box.top = std::min(box.top, p.y);
            box.bottom = std::max(box.bottom, p.y + 1);
            for (LONG ny : {p.y - 1, p.y + 1}) {
                if (ny < 0 || ny >= cell->ysize) continue;
                for (LONG i = l; i <= r; ++i)
                    if (At(cell, i, ny) == old && (i == l || At(cell, i - 1, ny) != old))
                        seeds.push_back({i, ny});
            }
        }
    }
    if (out) *out = box;
    return 1;
}
