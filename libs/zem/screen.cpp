// Screens: off-screen DIB sections bound to windows, sub screens, clipping, the refresh
// modes, zoom and drawing into screens.
#include <cstring>

#include "internal.h"

namespace zem {

namespace {

int BytesPerPixel(const tagZEMSCREEN* scr) { return zem::BytesPerPixel(scr->depth); }
// Two-byte pixels of the older build's depth 16 are 5-6-5; everywhere else they are 5-5-5.
bool Is565Depth(int depth) {
#ifdef ZEM_BUILD_ZEM33
    return depth == 16;
#else
    (void)depth;
    return false;
#endif
}
bool Is565(const tagZEMSCREEN* scr) { return Is565Depth(scr->depth); }
ptrdiff_t RowBytes(const tagZEMSCREEN* scr) { return ptrdiff_t(scr->width) * BytesPerPixel(scr); }
RECT Whole(const tagZEMSCREEN* scr) { return RECT{0, 0, scr->width, scr->height}; }
uint8_t* PixelAt(const tagZEMSCREEN* scr, LONG x, LONG y) {
    return static_cast<uint8_t*>(scr->bits) + y * RowBytes(scr) + ptrdiff_t(x) * BytesPerPixel(scr);
}

// The desktop's depth as one of the depths the kernels draw (at least 16; the older build
// tells 15 from 16 and takes anything below as 15).
int DisplayDepth() {
    HDC dc = GetDC(nullptr);
    const int bpp = dc ? GetDeviceCaps(dc, BITSPIXEL) : 16;
    if (dc) ReleaseDC(nullptr, dc);
#ifdef ZEM_BUILD_ZEM33
    if (bpp <= 15) return 15;
#endif
    return bpp <= 16 ? 16 : bpp <= 24 ? 24 : 32;
}

// The depth a top screen's flag word asks for, or 0 for the display's.
int FlagDepth(UINT_PTR flags) {
    if (!(flags & ZEM_START_DEPTH)) return 0;
#ifdef ZEM_BUILD_ZEM33
    // The older build names the depth in the low byte; bits 28-29 mean nothing.
    switch (flags & 0xFF) {
        case 15:
        case 16:
        case 24:
        case 32:
            return int(flags & 0xFF);
        default:
            return 0;
    }
#else
    switch ((flags >> 24) & 0xF) {
        case 1:
            return 16;
        case 2:
            return 24;
        case 3:
            return 32;
        default:
            return 0;
    }
#endif
}

// Copies `w` x `h` pixels within one screen, rows ordered so that overlapping rectangles
// come out as if copied through a buffer.
void CopyWithin(tagZEMSCREEN* scr, LONG dl, LONG dt, LONG sl, LONG st, LONG w, LONG h) {
    const size_t bytes = size_t(w) * BytesPerPixel(scr);
    if (dt <= st) {
        for (LONG y = 0; y < h; ++y)
            std::memmove(PixelAt(scr, dl, dt + y), PixelAt(scr, sl, st + y), bytes);
    } else {
        for (LONG y = h - 1; y >= 0; --y)
            std::memmove(PixelAt(scr, dl, dt + y), PixelAt(scr, sl, st + y), bytes);
    }
}

// A ZEMPIXEL in the screen's own form (bit 15 dropped).
uint32_t NativePixel(const tagZEMSCREEN* scr, ZEMPIXEL p) {
    if (Is565(scr)) return To565(p & 0x7FFF);
    if (scr->depth <= 16) return p & 0x7FFF;
    const Tables* t = CurrentTables();
    return t ? t->rgb.v[p & 0x7FFF] : 0;
}
void StorePixel(const tagZEMSCREEN* scr, LONG x, LONG y, uint32_t v) {
    uint8_t* d = PixelAt(scr, x, y);
    std::memcpy(d, &v, BytesPerPixel(scr));  // little-endian: the low bytes are the pixel
}

}  // namespace

Target TargetOf(const tagZEMSCREEN* scr) {
    const Tables* t = CurrentTables();
    return Target{static_cast<uint8_t*>(scr->bits), RowBytes(scr), int(scr->depth), scr->clip,
                  t ? t->rgb.v : nullptr,           Is565(scr)};
}

void Changed(tagZEMSCREEN* scr, const RECT& r) {
    if (scr->mask)
        ZEM_RefreshScreen(scr, nullptr, &r);
    else if (scr->recordcount >= 0)
        ZEM_RecordClipping(scr, &r);
}

tagZEMSCREEN* CreateScreenAt(HWND hwnd, int width, int height, int depth) {
    const long long w4 = (static_cast<long long>(width) + 3) & ~3LL;
    const long long image = w4 * height * BytesPerPixel(depth);
    if (width <= 0 || height <= 0 || image > 0x7FFFFFFF) {
        ShowMessage(hwnd, Msg::ScreenMemory, MB_OK | MB_ICONHAND);
        return nullptr;
    }
    auto* scr = static_cast<tagZEMSCREEN*>(ZEM_AllocMemory(sizeof(tagZEMSCREEN)));
    if (!scr) return nullptr;
    scr->hwnd = hwnd;
    scr->width = LONG(w4);
    scr->height = height;
    scr->depth = depth;
    scr->mask = 1;
    scr->recordcount = -1;
    scr->zoomx = scr->zoomy = 100;
    scr->clip = Whole(scr);

    HDC desktop = GetDC(nullptr);
    scr->hdc = CreateCompatibleDC(desktop);
    if (desktop) ReleaseDC(nullptr, desktop);
    struct {
        BITMAPINFOHEADER h;
        DWORD masks[3];
    } info{};
    info.h.biSize = sizeof(BITMAPINFOHEADER);
    info.h.biWidth = LONG(w4);
    info.h.biHeight = -height;  // top-down rows
    info.h.biPlanes = 1;
    info.h.biBitCount = WORD(BytesPerPixel(depth) * 8);
    info.h.biCompression = BI_RGB;  // 16 bits: 5-5-5
    info.h.biSizeImage = DWORD(image);
    if (Is565Depth(depth)) {
        info.h.biCompression = BI_BITFIELDS;
        info.masks[0] = 0xF800;
        info.masks[1] = 0x07E0;
        info.masks[2] = 0x001F;
    }
    HCURSOR cursor = SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32641)));
    void* bits = nullptr;
    scr->hbmp = scr->hdc ? CreateDIBSection(scr->hdc, reinterpret_cast<BITMAPINFO*>(&info),
                                            DIB_RGB_COLORS, &bits, nullptr, 0)
                         : nullptr;
    SetCursor(cursor);
    if (!scr->hbmp || !bits) {
        if (scr->hbmp) DeleteObject(scr->hbmp);
        if (scr->hdc) DeleteDC(scr->hdc);
        ZEM_FreeMemory(scr);
        ShowMessage(hwnd, Msg::ScreenMemory, MB_OK | MB_ICONHAND);
        return nullptr;
    }
    scr->bits = bits;
    scr->oldbmp = SelectObject(scr->hdc, scr->hbmp);
    AcquireTables();
    AddLiveScreen(scr);
    return scr;
}

}  // namespace zem

using namespace zem;

ZEMAPI HZEMSCREEN ZEM_CreateScreen(HWND hwnd, int width, int height) {
    return CreateScreenAt(hwnd, width, height, g_depth);
}

ZEMAPI int ZEM_DeleteScreen(HZEMSCREEN scr) {
    if (!IsLiveScreen(scr)) return 0;
    RemoveLiveScreen(scr);
    SelectObject(scr->hdc, scr->oldbmp);
    DeleteObject(scr->hbmp);
    DeleteDC(scr->hdc);
    ReleaseTables();
    ZEM_FreeMemory(scr);
    return 1;
}

ZEMAPI HZEMSCREEN ZEM_Start(UINT_PTR flags, HWND hwnd, int w, int h, int sw, int sh) {
    tagZEMSCREEN* scr;
    if (IsLiveScreen(reinterpret_cast<void*>(flags))) {
        auto* parent = reinterpret_cast<tagZEMSCREEN*>(flags);
        scr = CreateScreenAt(hwnd, sw, sh, parent->depth);
        if (!scr) return nullptr;
        int slot = 0;
        for (int i = ZEM_MAXSUBSCREEN; i >= 1 && !slot; --i)
            if (!parent->sub[i]) slot = i;
        if (!slot) {
            ShowMessage(hwnd, Msg::SubScreen, MB_OK | MB_ICONHAND);
            ZEM_DeleteScreen(scr);
            return nullptr;
        }
        parent->sub[slot] = scr;
        scr->parent = parent;
    } else {
        Japanese();  // the language is read once, at the first screen
        const int asked = FlagDepth(flags);
        const int depth = asked ? asked : DisplayDepth();
        g_depth = depth;
        scr = CreateScreenAt(hwnd, sw, sh, depth);
        if (!scr) return nullptr;
        scr->debug = (flags & ZEM_START_DEBUG) ? 1 : 0;
    }
    ZEM_ClearScreen(scr, nullptr, 0);
    ZEM_AdjustScreen(scr, 0, 0, w, h, 0, 0);
    return scr;
}

ZEMAPI int ZEM_End(HZEMSCREEN scr) {
    if (!IsLiveScreen(scr)) return 0;
    if (scr->hwnd) ZEM_FullScreen(scr, 0, 0);  // does nothing unless full screen is on
    for (int i = 1; i <= ZEM_MAXSUBSCREEN; ++i)
        if (scr->sub[i]) ZEM_End(scr->sub[i]);
    if (scr->parent && IsLiveScreen(scr->parent))
        for (int i = 1; i <= ZEM_MAXSUBSCREEN; ++i)
            if (scr->parent->sub[i] == scr) scr->parent->sub[i] = nullptr;
    return ZEM_DeleteScreen(scr);
}

ZEMAPI int ZEM_MaskFlag(HZEMSCREEN scr, int value) {
    const int old = scr->mask;
    scr->mask = value;
    return old;
}

ZEMAPI int ZEM_SetZoom(HZEMSCREEN scr, int xper, int yper) {
    if (xper <= 0 || yper <= 0) return 0;  // a zoom of 0 would divide by zero on every refresh
    if (!(GetDeviceCaps(scr->hdc, RASTERCAPS) & RC_STRETCHBLT)) {
        ShowMessage(scr->hwnd, Msg::Zoom, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    scr->zoomx = xper;
    scr->zoomy = yper;
    ZEM_RefreshScreen(scr, nullptr, nullptr);
    return 0;
}

ZEMAPI int ZEM_GetZoom(HZEMSCREEN scr, int* xper, int* yper) {
    if (xper) *xper = scr->zoomx;
    if (yper) *yper = scr->zoomy;
    return 1;
}

ZEMAPI int ZEM_ClipScreen(HZEMSCREEN scr, const RECT* rc) {
    scr->clip = Whole(scr);
    if (rc) {
        RECT r = *rc;
        if (!Cut(r, scr->clip)) r = RECT{0, 0, 0, 0};
        scr->clip = r;
    }
    return 1;
}

ZEMAPI int ZEM_ClearClipping(HZEMSCREEN scr) {
    scr->mask = 0;
    scr->recordcount = 0;
    scr->record = RECT{0, 0, 0, 0};
    return 1;
}

ZEMAPI int ZEM_RecordClipping(HZEMSCREEN scr, const RECT* rc) {
    if (!rc) return 0;
    if (scr->recordcount <= 0) {
        scr->record = *rc;
    } else {
        scr->record.left = std::min(scr->record.left, rc->left);
        scr->record.top = std::min(scr->record.top, rc->top);
        scr->record.right = std::max(scr->record.right, rc->right);
        scr->record.bottom = std::max(scr->record.bottom, rc->bottom);
    }
    scr->recordcount = std::max<LONG>(scr->recordcount, 0) + 1;
    return 1;
}

ZEMAPI int ZEM_RefreshClipping(HZEMSCREEN scr) {
    scr->mask = 1;
    if (scr->recordcount > 0) ZEM_RefreshScreen(scr, nullptr, &scr->record);
    scr->recordcount = -1;
    return 1;
}

ZEMAPI int ZEM_AdjustScreen(HZEMSCREEN scr, int dx, int dy, int dw, int dh, int sx, int sy) {
    scr->dx = dx;
    scr->dy = dy;
    scr->dw = dw;
    scr->dh = dh;
    scr->sx = sx;
    scr->sy = sy;
    if (scr->mask) ZEM_RefreshScreen(scr, nullptr, nullptr);
    return 1;
}

ZEMAPI int ZEM_RefreshScreen(HZEMSCREEN scr, HDC hdc, const RECT* rc) {
    if (!scr->hwnd) return 0;
    const bool own = !hdc;
    if (own) hdc = GetDC(scr->hwnd);
    if (!hdc) return 0;
    if (scr->zoomx == 100 && scr->zoomy == 100) {
        RECT part{scr->sx, scr->sy, scr->sx + scr->dw, scr->sy + scr->dh};
        if (!rc || Cut(part, *rc)) {
            if (part.left < part.right && part.top < part.bottom)
                BitBlt(hdc, scr->dx + part.left - scr->sx, scr->dy + part.top - scr->sy,
                       part.right - part.left, part.bottom - part.top, scr->hdc, part.left,
                       part.top, SRCCOPY);
        }
    } else {
        const long long zx = scr->zoomx, zy = scr->zoomy;
        RECT part{scr->sx, scr->sy, LONG(scr->sx + scr->dw * 100LL / zx),
                  LONG(scr->sy + scr->dh * 100LL / zy)};
        if (Cut(part, rc ? *rc : Whole(scr))) {
            const LONG l = LONG(scr->dx + (part.left - scr->sx) * zx / 100);
            const LONG t = LONG(scr->dy + (part.top - scr->sy) * zy / 100);
            const LONG r = LONG(scr->dx + (part.right - scr->sx) * zx / 100);
            const LONG b = LONG(scr->dy + (part.bottom - scr->sy) * zy / 100);
            SetStretchBltMode(hdc, COLORONCOLOR);
            StretchBlt(hdc, l, t, r - l, b - t, scr->hdc, part.left, part.top,
                       part.right - part.left, part.bottom - part.top, SRCCOPY);
        }
    }
    if (own) ReleaseDC(scr->hwnd, hdc);
    return 1;
}

ZEMAPI int ZEM_ViewScreen(HZEMSCREEN scr, int x, int y, const RECT* rc) {
    if (!rc || !scr->mask) return 0;
    const LONG sx = scr->sx, sy = scr->sy;
    scr->sx += rc->left - x;
    scr->sy += rc->top - y;
    ZEM_RefreshScreen(scr, nullptr, rc);
    scr->sx = sx;
    scr->sy = sy;
    return 1;
}

ZEMAPI int ZEM_ClearScreen(HZEMSCREEN scr, const RECT* rc, ZEMPIXEL pixel) {
    RECT r = rc ? *rc : Whole(scr);
    if (!Cut(r, scr->clip)) return 0;
    // The screen's own form of the colour, written straight into the DIB section: the same
    // value a solid GDI brush of ZEM_PixelToColor(pixel) gives.
    const uint32_t v = NativePixel(scr, pixel);
    for (LONG y = r.top; y < r.bottom; ++y)
        for (LONG x = r.left; x < r.right; ++x) StorePixel(scr, x, y, v);
    Changed(scr, r);
    return 1;
}

ZEMAPI int ZEM_DisplayScreen(HZEMSCREEN scr, int x, int y, const tagCELL* cell, const RECT* src,
                             DWORD flags) {
    return ZEM_DisplayScreen2(scr, x, y, cell, src, flags, 16, 0);
}

ZEMAPI int ZEM_DisplayScreen2(HZEMSCREEN scr, int x, int y, const tagCELL* cell, const RECT* src,
                              DWORD flags, int level, ZEMPIXEL tint) {
    RECT drawn;
    if (!DrawCell(TargetOf(scr), x, y, cell, src, flags, std::min(level, 16), tint, &drawn))
        return 0;
    Changed(scr, drawn);
    return 1;
}

ZEMAPI int ZEM_MoveScreen(HZEMSCREEN scr, int x, int y, const RECT* rc) {
    if (!rc) return 0;
    // The source is cut to the screen (the destination moves with the cut), the destination
    // to the clip rectangle (the source moves with that cut).
    RECT s = *rc;
    const RECT whole = Whole(scr);
    long long px = x + std::max<long long>(0, -(long long)s.left);
    long long py = y + std::max<long long>(0, -(long long)s.top);
    if (!Cut(s, whole)) return 0;
    RECT d{LONG(px), LONG(py), LONG(px + s.right - s.left), LONG(py + s.bottom - s.top)};
    const RECT before = d;
    if (!Cut(d, scr->clip)) return 0;
    s.left += d.left - before.left;
    s.top += d.top - before.top;
    CopyWithin(scr, d.left, d.top, s.left, s.top, d.right - d.left, d.bottom - d.top);
    Changed(scr, d);
    return 1;
}

ZEMAPI int ZEM_BlendScreen(HZEMSCREEN scr, int x, int y, const RECT* rc, int level) {
    if (!rc || level < 0) return 0;
    level = std::min(level, 16);
    RECT s = *rc;
    if (!Cut(s, scr->clip)) return 0;
    RECT d{x, y, LONG(x + (s.right - s.left)), LONG(y + (s.bottom - s.top))};
    const RECT before = d;
    if (!Cut(d, scr->clip)) return 0;
    s.left += d.left - before.left;
    s.top += d.top - before.top;
    const LONG w = d.right - d.left, h = d.bottom - d.top;
    if (level == 16) {
        CopyWithin(scr, d.left, d.top, s.left, s.top, w, h);
    } else {
        if (BytesPerPixel(scr) == 2) {
#ifdef ZEM_BUILD_ZEM33
            // The older build blends equal pairs too (rounding darkens them a little).
            if (Is565(scr))
                Blend16<false, true>(PixelAt(scr, s.left, s.top), RowBytes(scr),
                                     PixelAt(scr, d.left, d.top), RowBytes(scr), w, h, level);
            else
                Blend16<false>(PixelAt(scr, s.left, s.top), RowBytes(scr),
                               PixelAt(scr, d.left, d.top), RowBytes(scr), w, h, level);
#else
            Blend16(PixelAt(scr, s.left, s.top), RowBytes(scr), PixelAt(scr, d.left, d.top),
                    RowBytes(scr), w, h, level);
#endif
        } else {
            BlendBytes(PixelAt(scr, s.left, s.top), RowBytes(scr), PixelAt(scr, d.left, d.top),
                       RowBytes(scr), w * BytesPerPixel(scr), h, level);
        }
    }
    Changed(scr, d);
    return 1;
}

ZEMAPI int ZEM_BuiltScreen(HZEMSCREEN scr, int x, int y, HZEMSCREEN from, const RECT* rc) {
    if (!from || !rc) return 0;
    // No clip rectangle applies, but both pictures' bounds do.
    RECT s = *rc;
    if (!Cut(s, Whole(from))) return 1;
    RECT d{LONG(x + (s.left - rc->left)), LONG(y + (s.top - rc->top)), 0, 0};
    d.right = d.left + (s.right - s.left);
    d.bottom = d.top + (s.bottom - s.top);
    const RECT before = d;
    if (!Cut(d, Whole(scr))) return 1;
    s.left += d.left - before.left;
    s.top += d.top - before.top;
    const LONG w = d.right - d.left, h = d.bottom - d.top;
    if (from->depth == scr->depth && from != scr) {
        for (LONG r = 0; r < h; ++r)
            std::memcpy(PixelAt(scr, d.left, d.top + r), PixelAt(from, s.left, s.top + r),
                        size_t(w) * BytesPerPixel(scr));
    } else if (from == scr) {
        CopyWithin(scr, d.left, d.top, s.left, s.top, w, h);
    } else {
        BitBlt(scr->hdc, d.left, d.top, w, h, from->hdc, s.left, s.top,
               SRCCOPY);  // converts depths
    }
    Changed(scr, d);
    return 1;
}

ZEMAPI HDC ZEM_GetDC(HZEMSCREEN scr) { return scr ? scr->hdc : nullptr; }

ZEMAPI int ZEM_SetFontScreen(HZEMSCREEN scr, const RECT* rc, const char* face, int height,
                             int width, const char* text, ZEMPIXEL pixel, int flags) {
    if (!rc) return 0;
    if (!DrawTextRule(scr->hdc, *rc, face, height, width, text, ZEM_PixelToColor(pixel), flags))
        return 0;
    RECT r = *rc;
    if (Cut(r, Whole(scr))) Changed(scr, r);
    return 1;
}

ZEMAPI int ZEM_LineScreen(HZEMSCREEN scr, int x1, int y1, int x2, int y2, ZEMPIXEL pixel) {
    const uint32_t v = NativePixel(scr, pixel);
#ifdef ZEM_BUILD_ZEM33
    // The older build draws its lines past the clip rectangle (never past the screen).
    const RECT clip = Whole(scr);
#else
    const RECT clip = scr->clip;
#endif
    LinePoints(x1, y1, x2, y2, [&](long long x, long long y) {
        if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
            StorePixel(scr, LONG(x), LONG(y), v);
    });
    RECT box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2) + 1, std::max(y1, y2) + 1};
    if (Cut(box, clip)) Changed(scr, box);
    return 1;
}
