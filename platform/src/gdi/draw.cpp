// Drawing: blits (clipped silently to both bitmaps), stretching by pixel deletion, filled
// rectangles, pixels and lines.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "gdi/gdi.h"

using namespace wynplat;

namespace {

void Touched(const PixelTarget& t) {
    if (t.hwnd) MarkDirty(t.hwnd);
}

bool NeedsSource(DWORD rop) {
    return rop == SRCCOPY || rop == SRCPAINT || rop == SRCAND || rop == SRCINVERT ||
           rop == NOTSRCCOPY;
}

COLORREF Combine(DWORD rop, COLORREF s, COLORREF d) {
    switch (rop) {
        case SRCPAINT:
            return s | d;
        case SRCAND:
            return s & d;
        case SRCINVERT:
            return (s ^ d) & 0xFFFFFF;
        case NOTSRCCOPY:
            return ~s & 0xFFFFFF;
        default:
            return s;
    }
}

uint32_t CombineRaw(DWORD rop, uint32_t s, uint32_t d) {
    switch (rop) {
        case SRCPAINT:
            return s | d;
        case SRCAND:
            return s & d;
        case SRCINVERT:
            return s ^ d;
        default:
            return s;
    }
}

// Fills with a pattern operation (no source): the DC's brush, black, white or inversion.
BOOL PatternOp(const Dc& dc, int x, int y, int w, int h, DWORD rop) {
    if (w < 0) {
        x += w;
        w = -w;
    }
    if (h < 0) {
        y += h;
        h = -h;
    }
    PixelTarget t;
    if (!AcquireTarget(dc, &t)) return TRUE;
    RECT r{x, y, x + w, y + h};
    if (rop == BLACKNESS)
        FillTarget(t, r, 0);
    else if (rop == WHITENESS)
        FillTarget(t, r, RGB(255, 255, 255));
    else if (rop == PATCOPY) {
        COLORREF c;
        if (BrushColour(static_cast<HBRUSH>(dc.brush), &c)) FillTarget(t, r, c);
    } else if (rop == DSTINVERT) {
        RECT b{0, 0, t.w, t.h};
        if (IntersectRect(&r, &r, &b))
            for (int yy = r.top; yy < r.bottom; ++yy)
                for (int xx = r.left; xx < r.right; ++xx)
                    t.PutRaw(xx, yy, t.Encode(~t.Decode(t.GetRaw(xx, yy)) & 0xFFFFFF));
    }
    Touched(t);
    return TRUE;
}

// 16-bit pixels as 32-bit XRGB, one table per mask layout (5-5-5 and 5-6-5 in practice). The
// tables are kept for good, so only a few layouts get one: a picture file may bring any masks,
// and the others decode pixel by pixel (null).
const uint32_t* Table16(const PixelTarget& s) {
    constexpr size_t kMaxTables = 4;
    struct Entry {
        uint32_t masks[3];
        std::vector<uint32_t> table;
    };
    static std::mutex m;
    static std::vector<Entry>* tables = new std::vector<Entry>;
    std::lock_guard<std::mutex> lk(m);
    for (auto& e : *tables)
        if (std::equal(e.masks, e.masks + 3, s.masks)) return e.table.data();
    if (tables->size() >= kMaxTables) return nullptr;
    Entry e;
    std::copy_n(s.masks, 3, e.masks);
    e.table.resize(65536);
    for (uint32_t v = 0; v < 65536; ++v) {
        COLORREF c = s.Decode(v);
        e.table[v] = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    }
    tables->push_back(std::move(e));
    return tables->back().table.data();
}

// 16-bit pixels of the two layouts the system draws in (5-5-5 and 5-6-5) as 32-bit XRGB, each
// channel widened by repeating its top bits as Decode does, eight pixels a register. The
// display library's 16-bit screen reaches the window this way every frame.
typedef uint16_t U16x8 __attribute__((vector_size(16)));
typedef uint32_t U32x4 __attribute__((vector_size(16)));

template <bool G6>
void Row16ToXrgb(const uint8_t* in, uint32_t* out, int n) {
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        U16x8 v;
        std::memcpy(&v, in + i * 2, sizeof v);
        const U16x8 r = G6 ? v >> 11 : (v >> 10) & 31, g = G6 ? (v >> 5) & 63 : (v >> 5) & 31,
                    b = v & 31;
        const U16x8 r8 = (r << 3) | (r >> 2), b8 = (b << 3) | (b >> 2);
        const U16x8 g8 = G6 ? (g << 2) | (g >> 4) : (g << 3) | (g >> 2);
        const U16x8 gb = (g8 << 8) | b8;
        const U32x4 lo = (U32x4)__builtin_shufflevector(gb, r8, 0, 8, 1, 9, 2, 10, 3, 11);
        const U32x4 hi = (U32x4)__builtin_shufflevector(gb, r8, 4, 12, 5, 13, 6, 14, 7, 15);
        std::memcpy(out + i, &lo, sizeof lo);
        std::memcpy(out + i + 4, &hi, sizeof hi);
    }
    for (; i < n; ++i) {
        const uint32_t v = in[i * 2] | (in[i * 2 + 1] << 8);
        const uint32_t r = G6 ? v >> 11 : (v >> 10) & 31, g = G6 ? (v >> 5) & 63 : (v >> 5) & 31,
                       b = v & 31;
        const uint32_t g8 = G6 ? (g << 2) | (g >> 4) : (g << 3) | (g >> 2);
        out[i] = (((r << 3) | (r >> 2)) << 16) | (g8 << 8) | ((b << 3) | (b >> 2));
    }
}

using RowConverter = void (*)(const uint8_t*, uint32_t*, int);

// The row converter for a 16-bit source onto XRGB, or null for layouts it does not know.
RowConverter Converter16(const PixelTarget& s) {
    if (s.bpp != 16) return nullptr;
    if (s.masks[0] == 0x7C00 && s.masks[1] == 0x03E0 && s.masks[2] == 0x001F)
        return Row16ToXrgb<false>;
    if (s.masks[0] == 0xF800 && s.masks[1] == 0x07E0 && s.masks[2] == 0x001F)
        return Row16ToXrgb<true>;
    return nullptr;
}

bool IsXrgb32(const PixelTarget& t) {
    return t.bpp == 32 && t.masks[0] == 0xFF0000 && t.masks[1] == 0xFF00 && t.masks[2] == 0xFF;
}

// Copies `src` pixels through `map` (destination x/y to source x/y, -1 when outside) into
// the clipped destination rectangle. Plain copies take whole rows or a table where they can:
// the display library sends every frame through here.
template <class MapX, class MapY>
void CopyMapped(const PixelTarget& d, const PixelTarget& s, RECT dr, MapX mapX, MapY mapY,
                DWORD rop) {
    RECT b{0, 0, d.w, d.h};
    if (!IntersectRect(&dr, &dr, &b)) return;
    bool raw = s.SameFormat(d) && rop != NOTSRCCOPY;
    int n = dr.right - dr.left;
    // The column map is kept from call to call: a frame's blit allocates nothing.
    thread_local std::vector<int> xs;
    if (xs.size() < static_cast<size_t>(n)) xs.resize(static_cast<size_t>(n));
    for (int x = dr.left; x < dr.right; ++x) xs[x - dr.left] = mapX(x);
    // The run of destination columns whose source column lies inside the source.
    int first = 0, last = n;
    while (first < n && (xs[first] < 0 || xs[first] >= s.w)) ++first;
    while (last > first && (xs[last - 1] < 0 || xs[last - 1] >= s.w)) --last;
    bool contiguous = first < last && xs[last - 1] - xs[first] == last - 1 - first;
    for (int i = first; contiguous && i < last; ++i) contiguous = xs[i] == xs[first] + (i - first);
    bool rowCopy = rop == SRCCOPY && raw && contiguous && d.bpp >= 8;
    const bool toXrgb = rop == SRCCOPY && s.bpp == 16 && IsXrgb32(d);
    const RowConverter convert = toXrgb && contiguous ? Converter16(s) : nullptr;
    const uint32_t* table = toXrgb && !convert ? Table16(s) : nullptr;
    for (int y = dr.top; y < dr.bottom; ++y) {
        int sy = mapY(y);
        if (sy < 0 || sy >= s.h) continue;
        if (first >= last) continue;
        if (rowCopy) {
            int bytes = d.bpp / 8;
            std::memmove(d.Row(y) + (dr.left + first) * bytes, s.Row(sy) + xs[first] * bytes,
                         static_cast<size_t>(last - first) * bytes);
            continue;
        }
        if (rop == SRCCOPY && raw && (d.bpp == 32 || d.bpp == 16)) {
            // Same format, scaled: gather whole pixels.
            if (d.bpp == 32) {
                uint32_t* out = reinterpret_cast<uint32_t*>(d.Row(y)) + dr.left;
                const uint32_t* in = reinterpret_cast<const uint32_t*>(s.Row(sy));
                for (int i = first; i < last; ++i)
                    if (xs[i] >= 0 && xs[i] < s.w) out[i] = in[xs[i]];
            } else {
                uint16_t* out = reinterpret_cast<uint16_t*>(d.Row(y)) + dr.left;
                const uint16_t* in = reinterpret_cast<const uint16_t*>(s.Row(sy));
                for (int i = first; i < last; ++i)
                    if (xs[i] >= 0 && xs[i] < s.w) out[i] = in[xs[i]];
            }
            continue;
        }
        if (convert) {
            convert(s.Row(sy) + xs[first] * 2,
                    reinterpret_cast<uint32_t*>(d.Row(y)) + dr.left + first, last - first);
            continue;
        }
        if (table) {
            uint32_t* out = reinterpret_cast<uint32_t*>(d.Row(y)) + dr.left;
            const uint8_t* in = s.Row(sy);
            for (int i = first; i < last; ++i) {
                int sx = xs[i];
                if (sx < 0 || sx >= s.w) continue;
                out[i] = table[in[sx * 2] | (in[sx * 2 + 1] << 8)];
            }
            continue;
        }
        for (int i = first; i < last; ++i) {
            int x = dr.left + i;
            int sx = xs[i];
            if (sx < 0 || sx >= s.w) continue;
            uint32_t sv = s.GetRaw(sx, sy);
            if (raw) {
                d.PutRaw(x, y, rop == SRCCOPY ? sv : CombineRaw(rop, sv, d.GetRaw(x, y)));
            } else {
                COLORREF c = s.Decode(sv);
                if (rop != SRCCOPY) c = Combine(rop, c, d.Decode(d.GetRaw(x, y)));
                d.PutRaw(x, y, d.Encode(c));
            }
        }
    }
}

// A private copy of a source that is also the destination, so overlapping copies read the
// picture as it was.
struct Snapshot {
    std::vector<uint8_t> mem;
    PixelTarget t;
};

void TakeSnapshot(const PixelTarget& s, Snapshot* snap) {
    snap->mem.assign(static_cast<size_t>(s.stride) * s.h, 0);
    for (int y = 0; y < s.h; ++y)
        std::memcpy(snap->mem.data() + static_cast<size_t>(y) * s.stride, s.Row(y), s.stride);
    snap->t.bits = snap->mem.data();
    snap->t.w = s.w;
    snap->t.h = s.h;
    snap->t.stride = s.stride;
    snap->t.topDown = true;
    snap->t.bpp = s.bpp;
    std::copy_n(s.masks, 3, snap->t.masks);
    snap->t.pal = s.pal;
    snap->t.palCount = s.palCount;
}

BOOL Blit(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, DWORD rop) {
    auto d = FindDc(dst);
    if (!d) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!NeedsSource(rop)) return PatternOp(*d, x, y, w, h, rop);
    auto s = FindDc(src);
    if (!s) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (w == 0 || h == 0 || sw == 0 || sh == 0) return TRUE;
    PixelTarget dt, st;
    if (!AcquireTarget(*d, &dt)) return TRUE;
    if (!AcquireTarget(*s, &st)) return TRUE;
    Snapshot snap;
    const PixelTarget* sp = &st;
    if (st.bits == dt.bits) {
        TakeSnapshot(st, &snap);
        sp = &snap.t;
    }
    bool mirrorX = (w < 0) != (sw < 0), mirrorY = (h < 0) != (sh < 0);
    if (w < 0) {
        x += w;
        w = -w;
    }
    if (h < 0) {
        y += h;
        h = -h;
    }
    if (sw < 0) {
        sx += sw;
        sw = -sw;
    }
    if (sh < 0) {
        sy += sh;
        sh = -sh;
    }
    // Each destination pixel takes the source pixel its left/top edge falls in.
    auto mapX = [=](int dx) {
        long long i = static_cast<long long>(dx - x) * sw / w;
        if (mirrorX) i = sw - 1 - i;
        return static_cast<int>(sx + i);
    };
    auto mapY = [=](int dy) {
        long long i = static_cast<long long>(dy - y) * sh / h;
        if (mirrorY) i = sh - 1 - i;
        return static_cast<int>(sy + i);
    };
    CopyMapped(dt, *sp, RECT{x, y, x + w, y + h}, mapX, mapY, rop);
    Touched(dt);
    return TRUE;
}

void Plot(const PixelTarget& t, int x, int y, uint32_t raw, int width) {
    int h0 = (width - 1) / 2;
    for (int yy = y - h0; yy < y - h0 + width; ++yy)
        for (int xx = x - h0; xx < x - h0 + width; ++xx)
            if (xx >= 0 && yy >= 0 && xx < t.w && yy < t.h) t.PutRaw(xx, yy, raw);
}

}  // namespace

BOOL WINAPI BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy,
                   DWORD rop) {
    return Blit(dst, x, y, width, height, src, sx, sy, width, height, rop);
}

BOOL WINAPI StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int sx, int sy,
                       int sw, int sh, DWORD rop) {
    return Blit(dst, x, y, width, height, src, sx, sy, sw, sh, rop);
}

int WINAPI SetStretchBltMode(HDC hdc, int mode) {
    auto dc = FindDc(hdc);
    if (!dc || mode < BLACKONWHITE || mode > HALFTONE) return 0;
    int old = dc->stretchMode;
    dc->stretchMode = mode;
    return old;
}

int WINAPI GetStretchBltMode(HDC hdc) {
    auto dc = FindDc(hdc);
    return dc ? dc->stretchMode : 0;
}

BOOL WINAPI GdiFlush(void) { return TRUE; }

BOOL WINAPI PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
    auto dc = FindDc(hdc);
    if (!dc) return FALSE;
    return PatternOp(*dc, x, y, w, h, rop);
}

int WINAPI FillRect(HDC hdc, const RECT* r, HBRUSH brush) {
    auto dc = FindDc(hdc);
    COLORREF c;
    if (!dc || !r || !BrushColour(brush, &c)) return 0;
    PixelTarget t;
    if (AcquireTarget(*dc, &t)) {
        FillTarget(t, *r, c);
        Touched(t);
    }
    return 1;
}

int WINAPI FrameRect(HDC hdc, const RECT* r, HBRUSH brush) {
    auto dc = FindDc(hdc);
    COLORREF c;
    if (!dc || !r || !BrushColour(brush, &c)) return 0;
    if (r->right <= r->left || r->bottom <= r->top) return 1;
    PixelTarget t;
    if (AcquireTarget(*dc, &t)) {
        FillTarget(t, RECT{r->left, r->top, r->right, r->top + 1}, c);
        FillTarget(t, RECT{r->left, r->bottom - 1, r->right, r->bottom}, c);
        FillTarget(t, RECT{r->left, r->top, r->left + 1, r->bottom}, c);
        FillTarget(t, RECT{r->right - 1, r->top, r->right, r->bottom}, c);
        Touched(t);
    }
    return 1;
}

BOOL WINAPI Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    auto dc = FindDc(hdc);
    if (!dc) return FALSE;
    if (right < left) std::swap(left, right);
    if (bottom < top) std::swap(top, bottom);
    PixelTarget t;
    if (!AcquireTarget(*dc, &t)) return TRUE;
    COLORREF c;
    if (BrushColour(static_cast<HBRUSH>(dc->brush), &c))
        FillTarget(t, RECT{left, top, right, bottom}, c);
    auto pen = FindObject(dc->pen);
    if (pen && pen->style != PS_NULL) {
        c = pen->color;
        FillTarget(t, RECT{left, top, right, top + 1}, c);
        FillTarget(t, RECT{left, bottom - 1, right, bottom}, c);
        FillTarget(t, RECT{left, top, left + 1, bottom}, c);
        FillTarget(t, RECT{right - 1, top, right, bottom}, c);
    }
    Touched(t);
    return TRUE;
}

COLORREF WINAPI SetPixel(HDC hdc, int x, int y, COLORREF c) {
    auto dc = FindDc(hdc);
    if (!dc) return CLR_INVALID;
    PixelTarget t;
    if (!AcquireTarget(*dc, &t) || x < 0 || y < 0 || x >= t.w || y >= t.h) return CLR_INVALID;
    uint32_t raw = t.Encode(c & 0xFFFFFF);
    t.PutRaw(x, y, raw);
    Touched(t);
    return t.Decode(raw);
}

BOOL WINAPI SetPixelV(HDC hdc, int x, int y, COLORREF c) {
    return SetPixel(hdc, x, y, c) != CLR_INVALID;
}

COLORREF WINAPI GetPixel(HDC hdc, int x, int y) {
    auto dc = FindDc(hdc);
    if (!dc) return CLR_INVALID;
    PixelTarget t;
    if (!AcquireTarget(*dc, &t) || x < 0 || y < 0 || x >= t.w || y >= t.h) return CLR_INVALID;
    return t.Decode(t.GetRaw(x, y));
}

BOOL WINAPI MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
    auto dc = FindDc(hdc);
    if (!dc) return FALSE;
    if (old) *old = dc->pos;
    dc->pos = POINT{x, y};
    return TRUE;
}

// Draws from the current position to (x, y), the end point excluded, and moves there.
BOOL WINAPI LineTo(HDC hdc, int x, int y) {
    auto dc = FindDc(hdc);
    if (!dc) return FALSE;
    POINT from = dc->pos;
    dc->pos = POINT{x, y};
    auto pen = FindObject(dc->pen);
    if (!pen || pen->style == PS_NULL) return TRUE;
    PixelTarget t;
    if (!AcquireTarget(*dc, &t)) return TRUE;
    uint32_t raw = t.Encode(pen->color);
    int x0 = from.x, y0 = from.y;
    int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
    int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    // Lines far outside the bitmap are not walked pixel by pixel forever.
    long long steps = std::max<long long>(dx, -static_cast<long long>(dy));
    if (steps > 1 << 20) return TRUE;
    while (x0 != x || y0 != y) {
        Plot(t, x0, y0, raw, pen->width);
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
    Touched(t);
    return TRUE;
}
