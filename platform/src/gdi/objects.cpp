// GDI objects and device contexts: the handle tables, stock objects, DIB sections and
// their colour tables, object queries, device capabilities and the display mode.
#include <algorithm>
#include <bit>
#include <cstring>
#include <unordered_map>

#include "gdi/gdi.h"

namespace wynplat {
namespace {

struct GdiState {
    std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> objects;
    std::unordered_map<uintptr_t, std::shared_ptr<Dc>> dcs;
    std::unordered_map<uintptr_t, HDC> ownDcs;  // CS_OWNDC windows
    uintptr_t nextObject = 0x10000010;
    uintptr_t nextDc = 0x20000010;
    HGDIOBJ stock[18] = {};
    HGDIOBJ defaultBitmap = nullptr;
};

GdiState& G() {
    static auto* g = new GdiState;
    return *g;
}

HGDIOBJ AddObjectLocked(std::shared_ptr<GdiObject> o) {
    uintptr_t h = G().nextObject;
    G().nextObject += 0x10;
    G().objects[h] = std::move(o);
    return reinterpret_cast<HGDIOBJ>(h);
}

void MakeStock() {
    GdiState& g = G();
    if (g.stock[WHITE_BRUSH]) return;
    auto brush = [&](int i, COLORREF c, UINT style) {
        auto o = std::make_shared<GdiObject>();
        o->type = OBJ_BRUSH;
        o->stock = true;
        o->color = c;
        o->style = style;
        g.stock[i] = AddObjectLocked(o);
    };
    brush(WHITE_BRUSH, RGB(255, 255, 255), BS_SOLID);
    brush(LTGRAY_BRUSH, RGB(192, 192, 192), BS_SOLID);
    brush(GRAY_BRUSH, RGB(128, 128, 128), BS_SOLID);
    brush(DKGRAY_BRUSH, RGB(64, 64, 64), BS_SOLID);
    brush(BLACK_BRUSH, RGB(0, 0, 0), BS_SOLID);
    brush(NULL_BRUSH, 0, BS_NULL);
    auto pen = [&](int i, COLORREF c, UINT style) {
        auto o = std::make_shared<GdiObject>();
        o->type = OBJ_PEN;
        o->stock = true;
        o->color = c;
        o->style = style;
        g.stock[i] = AddObjectLocked(o);
    };
    pen(WHITE_PEN, RGB(255, 255, 255), PS_SOLID);
    pen(BLACK_PEN, 0, PS_SOLID);
    pen(NULL_PEN, 0, PS_NULL);
    for (int i : {OEM_FIXED_FONT, ANSI_FIXED_FONT, ANSI_VAR_FONT, SYSTEM_FONT, DEVICE_DEFAULT_FONT,
                  SYSTEM_FIXED_FONT, DEFAULT_GUI_FONT}) {
        auto o = std::make_shared<GdiObject>();
        o->type = OBJ_FONT;
        o->stock = true;
        o->font.lfHeight = i == DEFAULT_GUI_FONT ? -12 : 16;
        o->font.lfWeight = FW_NORMAL;
        o->font.lfCharSet = SHIFTJIS_CHARSET;
        std::strcpy(o->font.lfFaceName, "System");
        g.stock[i] = AddObjectLocked(o);
    }
    auto pal = std::make_shared<GdiObject>();
    pal->type = 9;  // palette
    pal->stock = true;
    g.stock[DEFAULT_PALETTE] = AddObjectLocked(pal);
    auto bmp = std::make_shared<GdiObject>();
    bmp->type = OBJ_BITMAP;
    bmp->stock = true;
    bmp->dib = MakeDib(1, 1, 32, true, nullptr, nullptr, 0);
    g.defaultBitmap = AddObjectLocked(bmp);
}

HDC NewDc(std::shared_ptr<Dc> dc) {
    MakeStock();
    uintptr_t h = G().nextDc;
    G().nextDc += 0x10;
    dc->handle = reinterpret_cast<HDC>(h);
    dc->brush = G().stock[WHITE_BRUSH];
    dc->pen = G().stock[BLACK_PEN];
    dc->font = G().stock[SYSTEM_FONT];
    if (dc->memory) {
        dc->bitmap = G().defaultBitmap;
    }
    G().dcs[h] = std::move(dc);
    return reinterpret_cast<HDC>(h);
}

uint32_t Expand(uint32_t v, int bits) {
    if (bits <= 0) return 0;
    if (bits >= 8) return v >> (bits - 8);
    uint32_t r = v << (8 - bits);
    for (int s = bits; s < 8; s += bits) r |= r >> bits;
    return r & 0xFF;
}

}  // namespace

std::mutex& GdiLock() {
    static std::mutex m;
    return m;
}

std::shared_ptr<Dc> FindDc(HDC dc) {
    std::lock_guard<std::mutex> lk(GdiLock());
    auto it = G().dcs.find(reinterpret_cast<uintptr_t>(dc));
    return it == G().dcs.end() ? nullptr : it->second;
}

std::shared_ptr<GdiObject> FindObject(HGDIOBJ h) {
    std::lock_guard<std::mutex> lk(GdiLock());
    MakeStock();
    auto it = G().objects.find(reinterpret_cast<uintptr_t>(h));
    return it == G().objects.end() ? nullptr : it->second;
}

std::shared_ptr<Dib> MakeDib(int w, int h, int bpp, bool topDown, const uint32_t* masks,
                             const RGBQUAD* pal, int palCount) {
    auto d = std::make_shared<Dib>();
    d->w = w;
    d->h = h;
    d->bpp = bpp;
    d->topDown = topDown;
    d->stride = ((w * bpp + 31) / 32) * 4;
    d->mem.reset(new uint8_t[static_cast<size_t>(d->stride) * h + 4]());
    if (bpp == 16) {
        d->masks[0] = 0x7C00;
        d->masks[1] = 0x03E0;
        d->masks[2] = 0x001F;
    }
    if (masks && (bpp == 16 || bpp == 32)) {
        d->bitfields = true;
        std::copy_n(masks, 3, d->masks);
    }
    if (bpp <= 8) {
        d->palCount = std::clamp(palCount, 0, 1 << bpp);
        if (pal) std::copy_n(pal, d->palCount, d->pal);
    }
    return d;
}

HBITMAP RegisterBitmap(std::shared_ptr<Dib> dib) {
    auto o = std::make_shared<GdiObject>();
    o->type = OBJ_BITMAP;
    o->dib = std::move(dib);
    std::lock_guard<std::mutex> lk(GdiLock());
    return static_cast<HBITMAP>(AddObjectLocked(o));
}

uint32_t PixelTarget::GetRaw(int x, int y) const {
    const uint8_t* r = Row(y);
    switch (bpp) {
        case 32: {
            uint32_t v;
            std::memcpy(&v, r + x * 4, 4);
            return v;
        }
        case 24:
            return r[x * 3] | (r[x * 3 + 1] << 8) | (r[x * 3 + 2] << 16);
        case 16:
            return r[x * 2] | (r[x * 2 + 1] << 8);
        case 8:
            return r[x];
        case 4:
            return (r[x / 2] >> ((x & 1) ? 0 : 4)) & 0xF;
        case 1:
            return (r[x / 8] >> (7 - (x & 7))) & 1;
        default:
            return 0;
    }
}

void PixelTarget::PutRaw(int x, int y, uint32_t v) const {
    uint8_t* r = Row(y);
    switch (bpp) {
        case 32:
            std::memcpy(r + x * 4, &v, 4);
            break;
        case 24:
            r[x * 3] = v & 0xFF;
            r[x * 3 + 1] = (v >> 8) & 0xFF;
            r[x * 3 + 2] = (v >> 16) & 0xFF;
            break;
        case 16:
            r[x * 2] = v & 0xFF;
            r[x * 2 + 1] = (v >> 8) & 0xFF;
            break;
        case 8:
            r[x] = static_cast<uint8_t>(v);
            break;
        case 4: {
            int s = (x & 1) ? 0 : 4;
            r[x / 2] = static_cast<uint8_t>((r[x / 2] & ~(0xF << s)) | ((v & 0xF) << s));
            break;
        }
        case 1: {
            int s = 7 - (x & 7);
            r[x / 8] = static_cast<uint8_t>((r[x / 8] & ~(1 << s)) | ((v & 1) << s));
            break;
        }
        default:
            break;
    }
}

COLORREF PixelTarget::Decode(uint32_t raw) const {
    if (bpp <= 8) {
        if (!pal || static_cast<int>(raw) >= palCount) return 0;
        const RGBQUAD& q = pal[raw];
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    if (bpp == 24) return RGB((raw >> 16) & 0xFF, (raw >> 8) & 0xFF, raw & 0xFF);
    uint32_t c[3];
    for (int i = 0; i < 3; ++i) {
        uint32_t m = masks[i];
        if (!m) {
            c[i] = 0;
            continue;
        }
        int shift = std::countr_zero(m);
        int bits = std::popcount(m);
        c[i] = Expand((raw & m) >> shift, bits);
    }
    return RGB(c[0], c[1], c[2]);
}

uint32_t PixelTarget::Encode(COLORREF col) const {
    uint32_t rgb[3] = {GetRValue(col), GetGValue(col), GetBValue(col)};
    if (bpp <= 8) {
        int best = 0;
        long bestD = -1;
        for (int i = 0; i < palCount; ++i) {
            long dr = long(pal[i].rgbRed) - rgb[0], dg = long(pal[i].rgbGreen) - rgb[1],
                 db = long(pal[i].rgbBlue) - rgb[2];
            long d = dr * dr + dg * dg + db * db;
            if (bestD < 0 || d < bestD) {
                bestD = d;
                best = i;
                if (d == 0) break;
            }
        }
        return static_cast<uint32_t>(best);
    }
    if (bpp == 24) return (rgb[0] << 16) | (rgb[1] << 8) | rgb[2];
    uint32_t v = 0;
    for (int i = 0; i < 3; ++i) {
        uint32_t m = masks[i];
        if (!m) continue;
        int shift = std::countr_zero(m);
        int bits = std::popcount(m);
        uint32_t c = bits >= 8 ? rgb[i] << (bits - 8) : rgb[i] >> (8 - bits);
        v |= (c << shift) & m;
    }
    return v;
}

bool PixelTarget::SameFormat(const PixelTarget& o) const {
    if (bpp != o.bpp) return false;
    if (bpp == 16 || bpp == 32)
        return masks[0] == o.masks[0] && masks[1] == o.masks[1] && masks[2] == o.masks[2];
    if (bpp <= 8)
        return palCount == o.palCount &&
               (palCount == 0 || std::memcmp(pal, o.pal, sizeof(RGBQUAD) * palCount) == 0);
    return true;
}

bool AcquireTarget(const Dc& dc, PixelTarget* t) {
    if (dc.memory) {
        auto o = FindObject(dc.bitmap);
        if (!o || !o->dib) return false;
        Dib& d = *o->dib;
        t->keepDib = o->dib;
        t->bits = d.mem.get();
        t->w = d.w;
        t->h = d.h;
        t->stride = d.stride;
        t->topDown = d.topDown;
        t->bpp = d.bpp;
        std::copy_n(d.masks, 3, t->masks);
        t->pal = d.pal;
        t->palCount = d.palCount;
        return t->Valid();
    }
    if (!dc.hwnd) return false;
    t->lock = std::unique_lock<std::recursive_mutex>(WindowLock());
    auto w = FindWindowRecord(dc.hwnd);
    if (!w) return false;
    t->keepWindow = w;
    t->hwnd = dc.hwnd;
    t->bits = reinterpret_cast<uint8_t*>(w->surface.px.data());
    t->w = w->surface.w;
    t->h = w->surface.h;
    t->stride = w->surface.w * 4;
    t->topDown = true;
    t->bpp = 32;
    return t->Valid();
}

bool BrushColour(HBRUSH b, COLORREF* c) {
    // Small values are system colours: no object handle is that small.
    uintptr_t v = reinterpret_cast<uintptr_t>(b);
    if (v > 0 && v <= 31) return SysColour(static_cast<int>(v) - 1, c);
    auto o = FindObject(b);
    if (!o || o->type != OBJ_BRUSH || o->style == BS_NULL) return false;
    *c = o->color;
    return true;
}

void FillTarget(const PixelTarget& t, RECT r, COLORREF c) {
    RECT bounds{0, 0, t.w, t.h};
    if (!IntersectRect(&r, &r, &bounds)) return;
    uint32_t raw = t.Encode(c);
    for (int y = r.top; y < r.bottom; ++y) {
        if (t.bpp == 32) {
            uint32_t* row = reinterpret_cast<uint32_t*>(t.Row(y));
            std::fill(row + r.left, row + r.right, raw);
        } else {
            for (int x = r.left; x < r.right; ++x) t.PutRaw(x, y, raw);
        }
    }
}

}  // namespace wynplat

using namespace wynplat;

HDC WINAPI GetDC(HWND hwnd) {
    if (hwnd && !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    bool ownDc = false;
    if (auto w = FindWindowRecord(hwnd)) {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        ownDc = w->cls && (w->cls->style & (CS_OWNDC | CS_CLASSDC));
    }
    std::lock_guard<std::mutex> lk(GdiLock());
    if (ownDc) {
        auto it = G().ownDcs.find(reinterpret_cast<uintptr_t>(hwnd));
        if (it != G().ownDcs.end()) return it->second;
    }
    auto dc = std::make_shared<Dc>();
    dc->hwnd = hwnd;
    dc->owned = ownDc;
    HDC h = NewDc(dc);
    if (ownDc) G().ownDcs[reinterpret_cast<uintptr_t>(hwnd)] = h;
    return h;
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc) {
    auto dc = FindDc(hdc);
    if (!dc || dc->memory) return 0;
    if (dc->hwnd && IsWindow(dc->hwnd)) MarkDirty(dc->hwnd);
    (void)hwnd;
    if (dc->owned && IsWindow(dc->hwnd)) return 1;
    std::lock_guard<std::mutex> lk(GdiLock());
    G().dcs.erase(reinterpret_cast<uintptr_t>(hdc));
    if (dc->owned) G().ownDcs.erase(reinterpret_cast<uintptr_t>(dc->hwnd));
    return 1;
}

HDC WINAPI CreateCompatibleDC(HDC) {
    auto dc = std::make_shared<Dc>();
    dc->memory = true;
    std::lock_guard<std::mutex> lk(GdiLock());
    return NewDc(dc);
}

BOOL WINAPI DeleteDC(HDC hdc) {
    auto dc = FindDc(hdc);
    if (!dc) return FALSE;
    std::lock_guard<std::mutex> lk(GdiLock());
    auto it = G().objects.find(reinterpret_cast<uintptr_t>(dc->bitmap));
    if (it != G().objects.end() && it->second->selectedIn == hdc) it->second->selectedIn = nullptr;
    G().dcs.erase(reinterpret_cast<uintptr_t>(hdc));
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC hdc, HGDIOBJ obj) {
    auto dc = FindDc(hdc);
    auto o = FindObject(obj);
    if (!dc || !o) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    std::lock_guard<std::mutex> lk(GdiLock());
    HGDIOBJ old = nullptr;
    switch (o->type) {
        case OBJ_BITMAP: {
            if (!dc->memory) return nullptr;
            if (o->selectedIn && o->selectedIn != hdc &&
                G().dcs.count(reinterpret_cast<uintptr_t>(o->selectedIn)))
                return nullptr;  // already in another DC
            old = dc->bitmap;
            auto it = G().objects.find(reinterpret_cast<uintptr_t>(old));
            if (it != G().objects.end() && it->second->selectedIn == hdc)
                it->second->selectedIn = nullptr;
            if (!o->stock) o->selectedIn = hdc;
            dc->bitmap = obj;
            break;
        }
        case OBJ_BRUSH:
            old = dc->brush;
            dc->brush = obj;
            break;
        case OBJ_PEN:
            old = dc->pen;
            dc->pen = obj;
            break;
        case OBJ_FONT:
            old = dc->font;
            dc->font = obj;
            break;
        default:
            return nullptr;
    }
    return old;
}

BOOL WINAPI DeleteObject(HGDIOBJ obj) {
    std::lock_guard<std::mutex> lk(GdiLock());
    auto it = G().objects.find(reinterpret_cast<uintptr_t>(obj));
    if (it == G().objects.end()) return FALSE;
    if (it->second->stock) return TRUE;
    // A bitmap still selected into a DC stays until it is selected out.
    if (it->second->selectedIn &&
        G().dcs.count(reinterpret_cast<uintptr_t>(it->second->selectedIn)))
        return FALSE;
    G().objects.erase(it);
    return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int index) {
    std::lock_guard<std::mutex> lk(GdiLock());
    MakeStock();
    if (index < 0 || index >= 18) return nullptr;
    return G().stock[index];
}

HGDIOBJ WINAPI GetCurrentObject(HDC hdc, UINT type) {
    auto dc = FindDc(hdc);
    if (!dc) return nullptr;
    switch (type) {
        case OBJ_BITMAP:
            return dc->bitmap;
        case OBJ_BRUSH:
            return dc->brush;
        case OBJ_PEN:
            return dc->pen;
        case OBJ_FONT:
            return dc->font;
        default:
            return nullptr;
    }
}

DWORD WINAPI GetObjectType(HGDIOBJ obj) {
    if (auto dc = FindDc(static_cast<HDC>(obj))) return dc->memory ? OBJ_MEMDC : OBJ_DC;
    auto o = FindObject(obj);
    return o ? o->type : 0;
}

int WINAPI GetObjectA(HGDIOBJ obj, int size, LPVOID out) {
    auto o = FindObject(obj);
    if (!o) return 0;
    switch (o->type) {
        case OBJ_BITMAP: {
            const Dib& d = *o->dib;
            DIBSECTION ds{};
            ds.dsBm.bmType = 0;
            ds.dsBm.bmWidth = d.w;
            ds.dsBm.bmHeight = d.h;
            ds.dsBm.bmWidthBytes = d.stride;
            ds.dsBm.bmPlanes = 1;
            ds.dsBm.bmBitsPixel = static_cast<WORD>(d.bpp);
            ds.dsBm.bmBits = d.mem.get();
            ds.dsBmih.biSize = 40;
            ds.dsBmih.biWidth = d.w;
            ds.dsBmih.biHeight = d.topDown ? -d.h : d.h;
            ds.dsBmih.biPlanes = 1;
            ds.dsBmih.biBitCount = static_cast<WORD>(d.bpp);
            ds.dsBmih.biCompression = d.bitfields ? BI_BITFIELDS : BI_RGB;
            ds.dsBmih.biSizeImage = static_cast<DWORD>(d.stride * d.h);
            ds.dsBmih.biClrUsed = static_cast<DWORD>(d.palCount);
            if (d.bpp == 16 || d.bpp == 32) std::copy_n(d.masks, 3, ds.dsBitfields);
            if (!out) return sizeof(DIBSECTION);
            if (size >= static_cast<int>(sizeof(DIBSECTION))) {
                std::memcpy(out, &ds, sizeof ds);
                return sizeof(DIBSECTION);
            }
            if (size >= static_cast<int>(sizeof(BITMAP))) {
                std::memcpy(out, &ds.dsBm, sizeof(BITMAP));
                return sizeof(BITMAP);
            }
            return 0;
        }
        case OBJ_BRUSH: {
            LOGBRUSH lb{o->style, o->color, 0};
            if (!out) return sizeof lb;
            if (size < static_cast<int>(sizeof lb)) return 0;
            std::memcpy(out, &lb, sizeof lb);
            return sizeof lb;
        }
        case OBJ_PEN: {
            LOGPEN lp{o->style, POINT{o->width, 0}, o->color};
            if (!out) return sizeof lp;
            if (size < static_cast<int>(sizeof lp)) return 0;
            std::memcpy(out, &lp, sizeof lp);
            return sizeof lp;
        }
        case OBJ_FONT: {
            if (!out) return sizeof(LOGFONTA);
            int n = std::min<int>(size, sizeof(LOGFONTA));
            std::memcpy(out, &o->font, n);
            return n;
        }
        default:
            return 0;
    }
}

HBITMAP WINAPI CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, void** bits, HANDLE,
                                DWORD) {
    if (bits) *bits = nullptr;
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const BITMAPINFOHEADER& h = info->bmiHeader;
    int bpp = h.biBitCount;
    LONG w = h.biWidth, hh = h.biHeight;
    bool okBpp = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
    bool okComp =
        h.biCompression == BI_RGB || (h.biCompression == BI_BITFIELDS && (bpp == 16 || bpp == 32));
    if (!okBpp || !okComp || w <= 0 || hh == 0 || hh == INT32_MIN || w > 32768 ||
        std::abs(hh) > 32768) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const uint8_t* after = reinterpret_cast<const uint8_t*>(info) + (h.biSize ? h.biSize : 40);
    uint32_t masks[3];
    const uint32_t* m = nullptr;
    if (h.biCompression == BI_BITFIELDS) {
        std::memcpy(masks, after, sizeof masks);
        m = masks;
    }
    std::vector<RGBQUAD> pal;
    if (bpp <= 8) {
        int n = h.biClrUsed ? std::min<int>(h.biClrUsed, 1 << bpp) : 1 << bpp;
        pal.resize(n);
        if (usage == DIB_RGB_COLORS) std::memcpy(pal.data(), after, sizeof(RGBQUAD) * n);
    }
    auto dib = MakeDib(w, std::abs(hh), bpp, hh < 0, m, pal.data(), static_cast<int>(pal.size()));
    void* p = dib->mem.get();
    HBITMAP b = RegisterBitmap(std::move(dib));
    if (bits) *bits = p;
    return b;
}

HBITMAP WINAPI CreateCompatibleBitmap(HDC hdc, int width, int height) {
    if (width <= 0 || height <= 0) return nullptr;
    auto dc = FindDc(hdc);
    if (dc && dc->memory) {
        auto o = FindObject(dc->bitmap);
        if (o && o->dib && !o->stock) {
            const Dib& d = *o->dib;
            return RegisterBitmap(MakeDib(width, height, d.bpp, true,
                                          d.bitfields ? d.masks : nullptr, d.pal, d.palCount));
        }
    }
    return RegisterBitmap(MakeDib(width, height, 32, true, nullptr, nullptr, 0));
}

UINT WINAPI GetDIBColorTable(HDC hdc, UINT start, UINT count, RGBQUAD* colors) {
    auto dc = FindDc(hdc);
    if (!dc || !dc->memory || !colors) return 0;
    auto o = FindObject(dc->bitmap);
    if (!o || !o->dib || o->dib->bpp > 8) return 0;
    const Dib& d = *o->dib;
    if (start >= static_cast<UINT>(d.palCount)) return 0;
    UINT n = std::min<UINT>(count, d.palCount - start);
    std::copy_n(d.pal + start, n, colors);
    return n;
}

UINT WINAPI SetDIBColorTable(HDC hdc, UINT start, UINT count, const RGBQUAD* colors) {
    auto dc = FindDc(hdc);
    if (!dc || !dc->memory || !colors) return 0;
    auto o = FindObject(dc->bitmap);
    if (!o || !o->dib || o->dib->bpp > 8) return 0;
    Dib& d = *o->dib;
    UINT cap = 1u << d.bpp;
    if (start >= cap) return 0;
    UINT n = std::min<UINT>(count, cap - start);
    std::copy_n(colors, n, d.pal + start);
    d.palCount = std::max<int>(d.palCount, start + n);
    return n;
}

int WINAPI GetDeviceCaps(HDC hdc, int index) {
    if (hdc && !FindDc(hdc)) return 0;
    int sw, sh;
    ScreenSize(&sw, &sh);
    switch (index) {
        case BITSPIXEL:
            return 32;
        case PLANES:
            return 1;
        case HORZRES:
            return sw;
        case VERTRES:
            return sh;
        case HORZSIZE:
            return sw * 254 / 960;
        case VERTSIZE:
            return sh * 254 / 960;
        case NUMCOLORS:
            return -1;
        case SIZEPALETTE:
            return 0;
        case LOGPIXELSX:
        case LOGPIXELSY:
            return 96;
        case VREFRESH:
            return 60;
        case RASTERCAPS:
            return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT |
                   RC_STRETCHDIB;
        default:
            return 0;
    }
}

HBRUSH WINAPI CreateSolidBrush(COLORREF c) {
    auto o = std::make_shared<GdiObject>();
    o->type = OBJ_BRUSH;
    o->color = c & 0xFFFFFF;
    o->style = BS_SOLID;
    std::lock_guard<std::mutex> lk(GdiLock());
    return static_cast<HBRUSH>(AddObjectLocked(o));
}

HBRUSH wynplat::CreateSystemBrush(COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    std::lock_guard<std::mutex> lk(GdiLock());
    G().objects[reinterpret_cast<uintptr_t>(b)]->stock = true;
    return b;
}

HBRUSH WINAPI CreateBrushIndirect(const LOGBRUSH* b) {
    if (!b) return nullptr;
    if (b->lbStyle == BS_NULL) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    return CreateSolidBrush(b->lbColor);
}

HPEN WINAPI CreatePen(int style, int width, COLORREF c) {
    auto o = std::make_shared<GdiObject>();
    o->type = OBJ_PEN;
    o->color = c & 0xFFFFFF;
    o->style = static_cast<UINT>(style);
    o->width = std::max(1, width);
    std::lock_guard<std::mutex> lk(GdiLock());
    return static_cast<HPEN>(AddObjectLocked(o));
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* lf) {
    if (!lf) return nullptr;
    auto o = std::make_shared<GdiObject>();
    o->type = OBJ_FONT;
    o->font = *lf;
    o->font.lfFaceName[LF_FACESIZE - 1] = 0;
    std::lock_guard<std::mutex> lk(GdiLock());
    return static_cast<HFONT>(AddObjectLocked(o));
}

HFONT WINAPI CreateFontA(int height, int width, int escapement, int orientation, int weight,
                         DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                         DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                         DWORD pitchAndFamily, LPCSTR face) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWidth = width;
    lf.lfEscapement = escapement;
    lf.lfOrientation = orientation;
    lf.lfWeight = weight;
    lf.lfItalic = static_cast<BYTE>(italic != 0);
    lf.lfUnderline = static_cast<BYTE>(underline != 0);
    lf.lfStrikeOut = static_cast<BYTE>(strikeOut != 0);
    lf.lfCharSet = static_cast<BYTE>(charSet);
    lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
    lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
    lf.lfQuality = static_cast<BYTE>(quality);
    lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
    if (face) std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    return CreateFontIndirectA(&lf);
}

// ---- display mode ----
namespace {
const struct {
    int w, h;
} kModes[] = {{640, 480},   {800, 600},   {1024, 768}, {1280, 720},
              {1280, 1024}, {1600, 1200}, {1920, 1080}};
constexpr int kDepths[] = {16, 32};

void FillMode(DEVMODEA* m, int w, int h, int bits) {
    WORD size = m->dmSize ? m->dmSize : sizeof(DEVMODEA);
    std::memset(m, 0, std::min<size_t>(size, sizeof(DEVMODEA)));
    m->dmSize = sizeof(DEVMODEA);
    std::strcpy(reinterpret_cast<char*>(m->dmDeviceName), "DISPLAY");
    m->dmFields =
        DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFLAGS | DM_DISPLAYFREQUENCY;
    m->dmBitsPerPel = bits;
    m->dmPelsWidth = w;
    m->dmPelsHeight = h;
    m->dmDisplayFrequency = 60;
}
}  // namespace

BOOL WINAPI EnumDisplaySettingsA(LPCSTR, DWORD index, LPDEVMODEA mode) {
    if (!mode) return FALSE;
    if (index == ENUM_CURRENT_SETTINGS || index == ENUM_REGISTRY_SETTINGS) {
        int w, h;
        if (index == ENUM_REGISTRY_SETTINGS)
            GetDisplay().DesktopSize(&w, &h);
        else
            ScreenSize(&w, &h);
        FillMode(mode, w, h, 32);
        return TRUE;
    }
    constexpr DWORD n = std::size(kModes) * std::size(kDepths);
    if (index >= n) return FALSE;
    FillMode(mode, kModes[index / 2].w, kModes[index / 2].h, kDepths[index % 2]);
    return TRUE;
}

LONG WINAPI ChangeDisplaySettingsA(LPDEVMODEA mode, DWORD flags) {
    if (!mode || !(mode->dmFields & (DM_PELSWIDTH | DM_PELSHEIGHT))) {
        // Back to the desktop (the refresh rate and flags a caller passes back change nothing).
        if (!(flags & CDS_TEST)) SetScreenMode(false, 0, 0);
        return DISP_CHANGE_SUCCESSFUL;
    }
    int w, h;
    ScreenSize(&w, &h);
    if (mode->dmFields & DM_PELSWIDTH) w = static_cast<int>(mode->dmPelsWidth);
    if (mode->dmFields & DM_PELSHEIGHT) h = static_cast<int>(mode->dmPelsHeight);
    if (mode->dmFields & DM_BITSPERPEL) {
        DWORD b = mode->dmBitsPerPel;
        if (b != 8 && b != 15 && b != 16 && b != 24 && b != 32) return DISP_CHANGE_BADMODE;
    }
    bool known = false;
    for (auto& m : kModes) known |= m.w == w && m.h == h;
    if (!known) return DISP_CHANGE_BADMODE;
    if (!(flags & CDS_TEST)) SetScreenMode(true, w, h);
    return DISP_CHANGE_SUCCESSFUL;
}
