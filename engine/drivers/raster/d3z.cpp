// The device layer's set-up, presentation and textures.
#include "d3z.h"

#include <cstring>
#include <vector>

D3Zvars g_d3z;

namespace {

GUID guidOK;
bool bFoundHardwareDevice = false;
D3DDEVICEDESC hardwareDesc;

template <class T>
void ReleaseOf(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

DDSURFACEDESC Desc() {
    DDSURFACEDESC d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    return d;
}

int GetBPP(HWND hwnd) {
    HDC dc = GetDC(hwnd);
    const int bpp = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(hwnd, dc);
    return bpp;
}

POINT ClientOrigin(HWND hwnd) {
    POINT p{0, 0};
    ClientToScreen(hwnd, &p);
    return p;
}

IDirectDrawSurface* OffscreenSurface(DWORD caps) {
    DDSURFACEDESC d = Desc();
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    d.dwWidth = (DWORD)g_d3z.xsize;
    d.dwHeight = (DWORD)g_d3z.ysize;
    d.ddsCaps.dwCaps = caps;
    IDirectDrawSurface* s = nullptr;
    if (g_d3z.dd->CreateSurface(&d, &s, nullptr) != DD_OK) return nullptr;
    return s;
}

int CreateDirectDrawWindow(HWND hwnd) {
    g_d3z.bpp = GetBPP(hwnd);
    const POINT o = ClientOrigin(hwnd);
    g_d3z.present = RECT{o.x + g_d3z.xpos, o.y + g_d3z.ypos, o.x + g_d3z.xpos + g_d3z.xsize,
                         o.y + g_d3z.ypos + g_d3z.ysize};
    if (DirectDrawCreate(nullptr, &g_d3z.dd, nullptr) != DD_OK) return 0;
    if (g_d3z.dd->SetCooperativeLevel(hwnd, DDSCL_NORMAL) != DD_OK) return 0;
    DDSURFACEDESC d = Desc();
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (g_d3z.dd->CreateSurface(&d, &g_d3z.primary, nullptr) != DD_OK) return 0;
    g_d3z.back =
        OffscreenSurface(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE |
                         (g_d3z.forceEmulation ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY));
    if (!g_d3z.back) return 0;
    g_d3z.work = OffscreenSurface(DDSCAPS_OFFSCREENPLAIN);
    if (!g_d3z.work) return 0;
    if (g_d3z.dd->CreateClipper(0, &g_d3z.clipper, nullptr) != DD_OK) return 0;
    g_d3z.clipper->SetHWnd(0, hwnd);
    g_d3z.primary->SetClipper(g_d3z.clipper);
    g_d3z.windowed = 1;
    return 1;
}

BOOL WINAPI D3Z_DDEnumCallback(GUID* guid, LPSTR, LPSTR, LPVOID) {
    if (!guid) return DDENUMRET_OK;  // the primary display driver
    IDirectDraw* dd = nullptr;
    if (DirectDrawCreate(guid, &dd, nullptr) != DD_OK) return DDENUMRET_CANCEL;
    DDCAPS hw, hel;
    std::memset(&hw, 0, sizeof hw);
    std::memset(&hel, 0, sizeof hel);
    hw.dwSize = hel.dwSize = sizeof hw;
    if (dd->GetCaps(&hw, &hel) != DD_OK) {
        dd->Release();
        return DDENUMRET_CANCEL;
    }
    if ((hw.dwCaps & DDCAPS_3D) && (hw.ddsCaps.dwCaps & DDSCAPS_TEXTURE)) {
        g_d3z.dd = dd;
        g_d3z.hardware = 1;
        return DDENUMRET_CANCEL;
    }
    dd->Release();
    return DDENUMRET_OK;
}

int CreateDirectDrawFullScreen(HWND hwnd) {
    g_d3z.present = RECT{0, 0, g_d3z.xsize, g_d3z.ysize};
    g_d3z.bpp = 16;
    if (!g_d3z.forceEmulation) DirectDrawEnumerateA(D3Z_DDEnumCallback, nullptr);
    if (!g_d3z.dd && DirectDrawCreate(nullptr, &g_d3z.dd, nullptr) != DD_OK) return 0;
    GetWindowRect(hwnd, &g_d3z.saved);
    if (g_d3z.dd->SetCooperativeLevel(
            hwnd, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX) != DD_OK &&
        g_d3z.dd->SetCooperativeLevel(hwnd, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE) != DD_OK)
        return 0;
    if (g_d3z.dd->SetDisplayMode((DWORD)g_d3z.xsize, (DWORD)g_d3z.ysize, 16) != DD_OK) {
        D3Z_Cleanup();
        return CreateDirectDrawWindow(hwnd);
    }
    DDSURFACEDESC d = Desc();
    d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    d.dwBackBufferCount = 1;
    if (g_d3z.dd->CreateSurface(&d, &g_d3z.primary, nullptr) != DD_OK) return 0;
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    if (g_d3z.primary->GetAttachedSurface(&caps, &g_d3z.back) != DD_OK) return 0;
    g_d3z.work = OffscreenSurface(DDSCAPS_OFFSCREENPLAIN);
    if (!g_d3z.work) return 0;
    g_d3z.windowed = 0;
    return 1;
}

HRESULT WINAPI D3Z_D3DEnumDeviceCallBack(GUID* guid, LPSTR, LPSTR, LPD3DDEVICEDESC hw,
                                         LPD3DDEVICEDESC, LPVOID context) {
    const D3DCOLORMODEL model = *static_cast<D3DCOLORMODEL*>(context);
    if (bFoundHardwareDevice || g_d3z.forceEmulation || !hw || !guid) return D3DENUMRET_OK;
    if (!(hw->dcmColorModel & model)) return D3DENUMRET_OK;
    if (!(hw->dwDeviceZBufferBitDepth & (DDBD_16 | DDBD_24 | DDBD_32))) return D3DENUMRET_OK;
    hardwareDesc = *hw;
    guidOK = *guid;
    g_d3z.hardware = 1;
    bFoundHardwareDevice = true;
    return D3DENUMRET_OK;
}

struct TextureChoice {
    DWORD bpp;
    bool found;
    DDPIXELFORMAT format;
};

HRESULT WINAPI FindTextureCallback(LPDDSURFACEDESC desc, LPVOID context) {
    auto* c = static_cast<TextureChoice*>(context);
    const DDPIXELFORMAT& f = desc->ddpfPixelFormat;
    if (f.dwFlags & (DDPF_ALPHAPIXELS | DDPF_ALPHA)) return D3DENUMRET_OK;
    if (f.dwRGBBitCount < 16) return D3DENUMRET_OK;
    if (f.dwRGBBitCount > 16 && !(f.dwFlags & DDPF_RGB)) return D3DENUMRET_OK;
    if (!c->found) {
        c->found = true;
        c->format = f;
        return D3DENUMRET_OK;
    }
    // Unsigned differences: any format of at least `bpp` bits beats a chosen one of fewer.
    if (f.dwRGBBitCount >= c->bpp && f.dwRGBBitCount - c->bpp < c->format.dwRGBBitCount - c->bpp)
        c->format = f;
    return D3DENUMRET_OK;
}

bool ChooseTextureFormat(IDirect3DDevice2* device, DWORD bpp, DDPIXELFORMAT* out) {
    TextureChoice c{bpp, false, {}};
    device->EnumTextureFormats(FindTextureCallback, &c);
    if (c.found) *out = c.format;
    return c.found;
}

// A copy of the bitmap taking every `step`-th pixel of every `step`-th row, counted from the
// top-left pixel. Bitmaps of fewer than 8 bits per pixel are kept as they are.
HBITMAP Reduce(HBITMAP source, const DIBSECTION& ds, int step) {
    const int bpp = ds.dsBmih.biBitCount;
    if (bpp < 8 || !ds.dsBm.bmBits) return nullptr;
    const int w = ds.dsBm.bmWidth / step, h = ds.dsBm.bmHeight / step;
    if (w <= 0 || h <= 0) return nullptr;
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colours[256];
    } info;
    std::memset(&info, 0, sizeof info);
    info.h = ds.dsBmih;
    info.h.biSize = sizeof(BITMAPINFOHEADER);
    info.h.biWidth = w;
    info.h.biHeight = -h;
    info.h.biSizeImage = 0;
    if (bpp <= 8) {
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, source);
        GetDIBColorTable(dc, 0, 256, info.colours);
        SelectObject(dc, old);
        DeleteDC(dc);
        info.h.biClrUsed = 1u << bpp;
    }
    void* bits = nullptr;
    HBITMAP out = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                   &bits, nullptr, 0);
    if (!out) return nullptr;
    DIBSECTION od;
    GetObjectA(out, sizeof od, &od);
    const int bytes = bpp / 8;
    const int srcH = ds.dsBm.bmHeight;
    const bool bottomUp = ds.dsBmih.biHeight > 0;
    const auto* src = static_cast<const unsigned char*>(ds.dsBm.bmBits);
    auto* dst = static_cast<unsigned char*>(od.dsBm.bmBits);
    for (int y = 0; y < h; ++y) {
        const int sy = y * step;
        const unsigned char* srow =
            src + (size_t)(bottomUp ? srcH - 1 - sy : sy) * ds.dsBm.bmWidthBytes;
        unsigned char* drow = dst + (size_t)y * od.dsBm.bmWidthBytes;
        for (int x = 0; x < w; ++x) std::memcpy(drow + x * bytes, srow + x * step * bytes, bytes);
    }
    return out;
}

}  // namespace

int D3Z_Initialize(HWND hwnd) {
    std::memset(&g_d3z, 0, sizeof g_d3z);
    g_d3z.hwnd = hwnd;
    g_d3z.windowed = 1;
    g_d3z.model = D3DCOLOR_RGB;
    bFoundHardwareDevice = false;
    return 1;
}

int D3Z_CreateDirectDraw(HWND hwnd, int full) {
    g_d3z.hwnd = hwnd;
    D3Z_Cleanup();
    return full ? CreateDirectDrawFullScreen(hwnd) : CreateDirectDrawWindow(hwnd);
}

int D3Z_CreateDirect3DRM() {
    if (!g_d3z.rm) {
        IDirect3DRM* rm1 = nullptr;
        if (Direct3DRMCreate(&rm1) != D3DRM_OK) {
            D3Z_Cleanup();
            return 0;
        }
        const HRESULT r =
            rm1->QueryInterface(IID_IDirect3DRM2, reinterpret_cast<void**>(&g_d3z.rm));
        rm1->Release();
        if (r != S_OK) {
            g_d3z.rm = nullptr;
            D3Z_Cleanup();
            return 0;
        }
    }
    if (!g_d3z.device) {
        if (!D3Z_CreateD3DDevice(g_d3z.model)) {
            D3Z_Cleanup();
            return 0;
        }
        if (g_d3z.rm->CreateDeviceFromD3D(g_d3z.d3d, g_d3z.device, &g_d3z.rmdevice) != D3DRM_OK) {
            D3Z_Cleanup();
            return 0;
        }
        g_d3z.rmdevice->SetBufferCount(2);
        g_d3z.rmdevice->SetShades(32);
        g_d3z.rmdevice->SetQuality(g_d3z.hardware ? D3DRMRENDER_GOURAUD : D3DRMRENDER_FLAT);
        g_d3z.rmdevice->SetDither(TRUE);
        g_d3z.rmdevice->SetTextureQuality(D3DRMTEXTURE_LINEAR);
        g_d3z.rm->SetDefaultTextureColors(64);
        g_d3z.rm->SetDefaultTextureShades(32);
    }
    return 1;
}

int D3Z_CreateD3DDevice(D3DCOLORMODEL model) {
    if (!g_d3z.dd || !g_d3z.back) return 0;
    if (g_d3z.dd->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&g_d3z.d3d)) != S_OK) {
        g_d3z.d3d = nullptr;
        return 0;
    }
    bFoundHardwareDevice = false;
    g_d3z.d3d->EnumDevices(D3Z_D3DEnumDeviceCallBack, &model);
    // Without a hardware device the hardware attempt fails here, so that the caller's
    // emulation fallback runs, tells the user and records "soft".
    if (!bFoundHardwareDevice && !g_d3z.forceEmulation) return 0;
    DWORD depth = 0, memory = 0;
    if (!bFoundHardwareDevice) {
        g_d3z.softwareDevice = 1;
        depth = 16;
        memory = DDSCAPS_SYSTEMMEMORY;
    } else {
        const DWORD z = hardwareDesc.dwDeviceZBufferBitDepth;
        depth = (z & DDBD_32) ? 32 : (z & DDBD_24) ? 24 : 16;
        memory = DDSCAPS_VIDEOMEMORY;
    }
    DDSURFACEDESC d = Desc();
    g_d3z.back->GetSurfaceDesc(&d);
    const DWORD w = d.dwWidth, h = d.dwHeight;
    d = Desc();
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH;
    d.dwWidth = w;
    d.dwHeight = h;
    d.dwZBufferBitDepth = depth;
    d.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | memory;
    if (g_d3z.dd->CreateSurface(&d, &g_d3z.zbuffer, nullptr) != DD_OK) {
        g_d3z.zbuffer = nullptr;
    } else if (g_d3z.back->AddAttachedSurface(g_d3z.zbuffer) != DD_OK) {
        return 0;
    }
    HRESULT r;
    if (bFoundHardwareDevice) {
        r = g_d3z.d3d->CreateDevice(guidOK, g_d3z.back, &g_d3z.device);
    } else {
        r = g_d3z.d3d->CreateDevice(IID_IDirect3DMMXDevice, g_d3z.back, &g_d3z.device);
        if (r != D3D_OK)
            r = g_d3z.d3d->CreateDevice(IID_IDirect3DRGBDevice, g_d3z.back, &g_d3z.device);
    }
    if (r != D3D_OK) {
        g_d3z.device = nullptr;
        D3Z_Cleanup();
        return 0;
    }
    return 1;
}

int D3Z_CreateViewport(IDirect3DRMFrame* cameraFrame) {
    if (g_d3z.rm->CreateViewport(g_d3z.rmdevice, cameraFrame, 0, 0, (DWORD)g_d3z.xsize,
                                 (DWORD)g_d3z.ysize, &g_d3z.viewport) != D3DRM_OK) {
        g_d3z.viewport = nullptr;
        return 1;
    }
    g_d3z.viewport->SetBack(5000.0f);
    return 1;
}

int D3Z_ReadyToRender(int on) {
    g_d3z.ready = on;
    return 1;
}

int D3Z_FlipDD() {
    if (g_d3z.copying || !g_d3z.ready || !g_d3z.primary) return 0;
    if (!g_d3z.windowed) {
        g_d3z.primary->Flip(nullptr, DDFLIP_WAIT);
        return 1;
    }
    RECT src{g_d3z.cxpos, g_d3z.cypos, g_d3z.cxpos + g_d3z.cxsize, g_d3z.cypos + g_d3z.cysize};
    const POINT o = ClientOrigin(g_d3z.hwnd);
    const int x = o.x + g_d3z.xpos + g_d3z.cxpos, y = o.y + g_d3z.ypos + g_d3z.cypos;
    RECT dst{x, y, x + g_d3z.cxsize, y + g_d3z.cysize};
    g_d3z.primary->Blt(&dst, g_d3z.back, &src, DDBLT_WAIT, nullptr);
    return 1;
}

int D3Z_IfLostThenRestore() {
    if (!g_d3z.ready) return 1;
    for (IDirectDrawSurface* s : {g_d3z.primary, g_d3z.zbuffer}) {
        if (s && s->IsLost() == DDERR_SURFACELOST) {
            s->Restore();
            if (g_d3z.viewport)
                g_d3z.viewport->ForceUpdate((DWORD)g_d3z.xpos, (DWORD)g_d3z.ypos,
                                            (DWORD)g_d3z.xsize, (DWORD)g_d3z.ysize);
        }
    }
    return 1;
}

int D3Z_ClearBackBuffer(const RECT* rect, DWORD colour) {
    if (!g_d3z.back) return 1;
    DDSURFACEDESC d = Desc();
    g_d3z.back->GetSurfaceDesc(&d);
    RECT area = rect ? *rect : RECT{0, 0, (LONG)d.dwWidth, (LONG)d.dwHeight};
    g_d3z.copying = 1;
    if (g_d3z.bpp == 16) {
        DDBLTFX fx;
        std::memset(&fx, 0, sizeof fx);
        fx.dwSize = sizeof fx;
        fx.dwFillColor = D3Z_ColorMatch(g_d3z.back, colour);
        g_d3z.back->Blt(&area, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    } else {
        HDC dc = nullptr;
        if (g_d3z.back->GetDC(&dc) == DD_OK) {
            HBRUSH brush = CreateSolidBrush(colour);
            FillRect(dc, &area, brush);
            DeleteObject(brush);
            g_d3z.back->ReleaseDC(dc);
        }
    }
    g_d3z.copying = 0;
    return 1;
}

DWORD D3Z_ColorMatch(IDirectDrawSurface* surface, COLORREF colour) {
    HDC dc = nullptr;
    COLORREF saved = 0;
    if (surface->GetDC(&dc) == DD_OK) {
        saved = GetPixel(dc, 0, 0);
        SetPixel(dc, 0, 0, colour);
        surface->ReleaseDC(dc);
    }
    DWORD word = 0;
    DDSURFACEDESC d = Desc();
    HRESULT r;
    while ((r = surface->Lock(nullptr, &d, 0, nullptr)) == DDERR_WASSTILLDRAWING) {}
    if (r == DD_OK) {
        std::memcpy(&word, d.lpSurface, d.ddpfPixelFormat.dwRGBBitCount >= 32 ? 4 : 2);
        surface->Unlock(nullptr);
    }
    if (surface->GetDC(&dc) == DD_OK) {
        SetPixel(dc, 0, 0, saved);
        surface->ReleaseDC(dc);
    }
    const DWORD bits = d.ddpfPixelFormat.dwRGBBitCount;
    if (bits && bits < 32) word &= (1u << bits) - 1u;
    return word;
}

int D3Z_Cleanup() {
    ReleaseOf(g_d3z.viewport);
    ReleaseOf(g_d3z.rmdevice);
    ReleaseOf(g_d3z.device);
    if (g_d3z.zbuffer && g_d3z.back) g_d3z.back->DeleteAttachedSurface(0, g_d3z.zbuffer);
    ReleaseOf(g_d3z.zbuffer);
    ReleaseOf(g_d3z.rm);
    ReleaseOf(g_d3z.d3d);
    ReleaseOf(g_d3z.clipper);
    ReleaseOf(g_d3z.work);
    ReleaseOf(g_d3z.back);
    ReleaseOf(g_d3z.primary);
    if (g_d3z.dd && !g_d3z.windowed) g_d3z.dd->RestoreDisplayMode();
    ReleaseOf(g_d3z.dd);
    g_d3z.ready = 0;
    return 1;
}

int D3Z_LoadTexture(IDirect3DDevice2* device, tagKRNTEXTURE* slot, int small) {
    if (!device || !slot) return 0;
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), slot->path, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap)
        bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, slot->path, IMAGE_BITMAP, 0, 0,
                                                 LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bitmap) return 0;
    DIBSECTION ds;
    std::memset(&ds, 0, sizeof ds);
    GetObjectA(bitmap, sizeof ds, &ds);
    if ((ds.dsBm.bmWidth > 64 || ds.dsBm.bmHeight > 64) && (small == 1 || small == 2)) {
        if (HBITMAP reduced = Reduce(bitmap, ds, small == 1 ? 2 : 4)) {
            DeleteObject(bitmap);
            bitmap = reduced;
            GetObjectA(bitmap, sizeof ds, &ds);
        }
    }
    const int w = ds.dsBm.bmWidth, h = ds.dsBm.bmHeight;
    DDPIXELFORMAT format;
    if (!ChooseTextureFormat(
            device, ds.dsBmih.biBitCount ? ds.dsBmih.biBitCount : ds.dsBm.bmBitsPixel, &format)) {
        DeleteObject(bitmap);
        return 0;
    }
    DDSURFACEDESC d = Desc();
    d.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    d.dwWidth = (DWORD)w;
    d.dwHeight = (DWORD)h;
    d.ddpfPixelFormat = format;
    d.ddsCaps.dwCaps = DDSCAPS_TEXTURE | (g_d3z.hardware ? DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD
                                                         : DDSCAPS_SYSTEMMEMORY);
    IDirectDrawSurface* texture = nullptr;
    if (!g_d3z.dd || g_d3z.dd->CreateSurface(&d, &texture, nullptr) != DD_OK) {
        DeleteObject(bitmap);
        return 0;
    }
    IDirectDrawSurface* source = texture;
    if (g_d3z.hardware) {
        d.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
        if (g_d3z.dd->CreateSurface(&d, &source, nullptr) != DD_OK) {
            texture->Release();
            DeleteObject(bitmap);
            return 0;
        }
    }
    // The formats chosen are never palettized (fewer than 16 bits are passed over), so no
    // palette is made.
    slot->work2 = reinterpret_cast<DWORD_PTR>(texture);
    slot->work3 = reinterpret_cast<DWORD_PTR>(source);
    HDC dc = nullptr;
    if (source->GetDC(&dc) == DD_OK) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, bitmap);
        BitBlt(dc, 0, 0, w, h, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
        source->ReleaseDC(dc);
    }
    D3Z_RestoreTexture(slot);
    if (slot->mask) {
        DDCOLORKEY key{0, 0};
        texture->SetColorKey(DDCKEY_SRCBLT, &key);
    }
    IDirect3DTexture2* t = nullptr;
    D3DTEXTUREHANDLE handle = 0;
    if (texture->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&t)) == S_OK) {
        t->GetHandle(device, &handle);
        t->Release();
    }
    slot->work1 = handle;
    DeleteObject(bitmap);
    return 1;
}

int D3Z_RestoreTexture(tagKRNTEXTURE* slot) {
    if (!slot || !slot->work2) return 0;
    if (slot->work2 == slot->work3) return 1;
    auto* texture = reinterpret_cast<IDirectDrawSurface*>(slot->work2);
    auto* source = reinterpret_cast<IDirectDrawSurface*>(slot->work3);
    if (texture->Restore() != DD_OK) return 0;
    IDirect3DTexture2 *dst = nullptr, *src = nullptr;
    HRESULT r = E_FAIL;
    if (texture->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&dst)) == S_OK &&
        source->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&src)) == S_OK)
        r = dst->Load(src);
    if (dst) dst->Release();
    if (src) src->Release();
    return (int)r;
}

void D3Z_DeleteTexture(tagKRNTEXTURE* slot) {
    if (!slot) return;
    auto* texture = reinterpret_cast<IDirectDrawSurface*>(slot->work2);
    auto* source = reinterpret_cast<IDirectDrawSurface*>(slot->work3);
    if (source) source->Release();
    if (texture && texture != source) texture->Release();
    slot->work1 = slot->work2 = slot->work3 = 0;
}
