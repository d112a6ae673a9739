// Placement and clipping of cell draws, in front of the pixel kernels: the one path by which
// screens and sprites draw cells. Works on a bare target (pixels, row size, depth, clip
// rectangle) so that it does not care what owns the pixels.
#pragma once

#include <algorithm>

#include "pixel_kernels.h"
#include "zem40.h"

namespace zem {

struct Target {
    uint8_t* bits;
    ptrdiff_t rowBytes;
    int depth;            // 15 or 16 (two bytes a pixel), 24 or 32
    RECT clip;            // already inside the picture
    const uint32_t* rgb;  // ZEMPIXEL-to-RGB table (24 and 32 bits)
    bool rgb565 = false;  // two-byte pixels are 5-6-5 (else 5-5-5)
};

inline int BytesPerPixel(int depth) { return (depth + 7) / 8; }

inline bool Cut(RECT& r, const RECT& bounds) {
    r.left = std::max(r.left, bounds.left);
    r.top = std::max(r.top, bounds.top);
    r.right = std::min(r.right, bounds.right);
    r.bottom = std::min(r.bottom, bounds.bottom);
    return r.left < r.right && r.top < r.bottom;
}

inline bool Meets(const RECT& a, const RECT& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// Merges overlapping rectangles in place: each rectangle in turn swallows every later one it
// meets (again and again, since a grown rectangle may meet one it missed before); the
// survivors move to the front in their order. Returns their number. Empty rectangles drop out.
inline int MergeRects(RECT* r, int n) {
    auto empty = [](const RECT& x) { return x.left >= x.right || x.top >= x.bottom; };
    for (int i = 0; i < n; ++i) {
        if (empty(r[i])) continue;
        for (bool merged = true; merged;) {
            merged = false;
            for (int k = i + 1; k < n; ++k) {
                if (empty(r[k]) || !Meets(r[i], r[k])) continue;
                r[i].left = std::min(r[i].left, r[k].left);
                r[i].top = std::min(r[i].top, r[k].top);
                r[i].right = std::max(r[i].right, r[k].right);
                r[i].bottom = std::max(r[i].bottom, r[k].bottom);
                r[k] = RECT{0, 0, 0, 0};
                merged = true;
            }
        }
    }
    int m = 0;
    for (int i = 0; i < n; ++i)
        if (!empty(r[i])) r[m++] = r[i];
    return m;
}

// Where a clipped draw of `cell` lands and where its first source pixel lies. Returns false
// when nothing is left.
struct Placement {
    RECT dst;               // destination rectangle, inside the clip
    const uint16_t* first;  // source pixel of dst's top-left corner
    ptrdiff_t step;         // +1 or -1 (mirror)
    ptrdiff_t row;          // plus or minus one source row (flip)
};
inline bool Place(const tagCELL* cell, int x, int y, const RECT* srcRect, DWORD flags,
                  const RECT& clip, Placement& p) {
    if (!cell || !cell->bits || cell->xsize <= 0 || cell->ysize <= 0) return false;
    RECT src = srcRect ? *srcRect : RECT{0, 0, cell->xsize, cell->ysize};
    const RECT whole{0, 0, cell->xsize, cell->ysize};
    const LONG cutLeft = std::max<LONG>(0, -src.left), cutTop = std::max<LONG>(0, -src.top);
    if (!Cut(src, whole)) return false;
    // The drawing position moves by what was cut at the left and top.
    const long long px = static_cast<long long>(x) + cutLeft,
                    py = static_cast<long long>(y) + cutTop;
    const long long w = src.right - src.left, h = src.bottom - src.top;
    const long long l = std::max<long long>(px, clip.left), t = std::max<long long>(py, clip.top);
    const long long r = std::min<long long>(px + w, clip.right),
                    b = std::min<long long>(py + h, clip.bottom);
    if (l >= r || t >= b) return false;
    p.dst = RECT{LONG(l), LONG(t), LONG(r), LONG(b)};
    // Each destination pixel gets the source pixel it would get without clipping.
    const bool mirror = flags & ZEM_MIRROR, flip = flags & ZEM_FLIP;
    const long long sc = mirror ? src.right - 1 - (l - px) : src.left + (l - px);
    const long long sr = flip ? src.bottom - 1 - (t - py) : src.top + (t - py);
    p.first = cell->bits + sr * cell->xsize + sc;
    p.step = mirror ? -1 : 1;
    p.row = flip ? -ptrdiff_t(cell->xsize) : ptrdiff_t(cell->xsize);
    return true;
}

inline uint32_t ScreenKey(DWORD flags) { return (flags & ZEM_NOKEY) ? kNoKey : (flags & 0xFFFF); }

// Draws a cell onto the target: level 16 (or above) plain, 0-15 tinted, negative nothing.
// `drawn` gets the destination rectangle. Returns false when nothing lies inside the clip.
inline bool DrawCell(const Target& t, int x, int y, const tagCELL* cell, const RECT* src,
                     DWORD flags, int level, ZEMPIXEL tint, RECT* drawn) {
    Placement p;
    if (!Place(cell, x, y, src, flags, t.clip, p)) return false;
    if (drawn) *drawn = p.dst;
    if (level < 0) return true;
    const int bpp = BytesPerPixel(t.depth);
    Walk w{p.first,
           p.step,
           p.row,
           t.bits + p.dst.top * t.rowBytes + ptrdiff_t(p.dst.left) * bpp,
           t.rowBytes,
           int(p.dst.right - p.dst.left),
           int(p.dst.bottom - p.dst.top)};
    const uint32_t key = ScreenKey(flags);
    const bool r565 = bpp == 2 && t.rgb565;
    if (level >= 16) {
        switch (bpp) {
            case 2:
                if (r565)
                    DrawPlain<Fmt565>(w, key, kScreenKeyMask, t.rgb);
                else
                    DrawPlain<Fmt16>(w, key, kScreenKeyMask, t.rgb);
                break;
            case 3:
                DrawPlain<Fmt24>(w, key, kScreenKeyMask, t.rgb);
                break;
            default:
                DrawPlain<Fmt32>(w, key, kScreenKeyMask, t.rgb);
                break;
        }
    } else {
        switch (bpp) {
            case 2:
                if (r565)
                    DrawTint<Fmt565>(w, key, kScreenKeyMask, level, tint, t.rgb);
                else
                    DrawTint<Fmt16>(w, key, kScreenKeyMask, level, tint, t.rgb);
                break;
            case 3:
                DrawTint<Fmt24>(w, key, kScreenKeyMask, level, tint, t.rgb);
                break;
            default:
                DrawTint<Fmt32>(w, key, kScreenKeyMask, level, tint, t.rgb);
                break;
        }
    }
    return true;
}

// Combines `src` of `from` into `cell` at x, y (the cell-to-cell copy). Returns false when
// nothing is left after cutting to both cells.
inline bool CopyCellPixels(tagCELL* cell, int x, int y, const tagCELL* from, const RECT* srcRect,
                           int flags) {
    if (!cell || !cell->bits || !from || !from->bits) return false;
    // First cut the source to its cell (the position moves with the cut), then the
    // destination to its cell (the source moves with that cut): the cell acts as the clip.
    Placement p;
    const RECT clip{0, 0, cell->xsize, cell->ysize};
    if (!Place(from, x, y, srcRect, 0, clip, p)) return false;
    Walk w{p.first,
           1,
           p.row,
           reinterpret_cast<uint8_t*>(cell->bits + ptrdiff_t(p.dst.top) * cell->xsize + p.dst.left),
           ptrdiff_t(cell->xsize) * 2,
           int(p.dst.right - p.dst.left),
           int(p.dst.bottom - p.dst.top)};
    if (flags < 0)
        DrawPlain<Fmt16>(w, kNoKey, kCellKeyMask, nullptr);
    else if (flags & ZEM_COPY_AND)
        CombineCells<Combine::And>(w);
    else if (flags & ZEM_COPY_OR)
        CombineCells<Combine::Or>(w);
    else if (flags & ZEM_COPY_XOR)
        CombineCells<Combine::Xor>(w);
    else
        DrawPlain<Fmt16>(w, uint32_t(flags & 0xFFFF), kCellKeyMask, nullptr);
    return true;
}

// The line rule shared by cells and screens: along the longer axis, one point per step,
// the other coordinate by integer division rounding toward zero.
template <class Plot>
void LinePoints(int x1, int y1, int x2, int y2, Plot plot) {
    long long ax = x1, ay = y1, bx = x2, by = y2;
    if (ax == bx && ay == by) {
        plot(ax, ay);
        return;
    }
    const long long adx = bx > ax ? bx - ax : ax - bx, ady = by > ay ? by - ay : ay - by;
    if (adx < ady) {
        if (ay > by) std::swap(ax, bx), std::swap(ay, by);
        for (long long y = ay; y <= by; ++y) plot((bx - ax) * (y - ay) / (by - ay) + ax, y);
    } else {
        if (ax > bx) std::swap(ax, bx), std::swap(ay, by);
        for (long long x = ax; x <= bx; ++x) plot(x, (by - ay) * (x - ax) / (bx - ax) + ay);
    }
}

}  // namespace zem
