// The device layer's set-up, presentation and textures.
#include "d3z.h"

#include <cstring>
#include <vector>

D3Zvars D3Z;

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
    d.dwWidth = (DWORD)D3Z.xsize;
    d.dwHeight = (DWORD)D3Z.ysize;
    d.ddsCaps.dwCaps = caps;
    IDirectDrawSurface* s = nullptr;
    if (D3Z.dd->CreateSurface(&d, &s, nullptr) != DD_OK) return nullptr;
    return s;
}

int CreateDirectDrawWindow(HWND hwnd) {
    D3Z.bpp = GetBPP(hwnd);
    const POINT o = ClientOrigin(hwnd);
    D3Z.present = RECT{o.x + D3Z.xpos, o.y + D3Z.ypos, o.x + D3Z.xpos + D3Z.xsize,
                       o.y + D3Z.ypos + D3Z.ysize};
    if (DirectDrawCreate(nullptr, &D3Z.dd, nullptr) != DD_OK) return 0;
    if (D3Z.dd->SetCooperativeLevel(hwnd, DDSCL_NORMAL) != DD_OK) return 0;
    DDSURFACEDESC d = Desc();
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    if (D3Z.dd->CreateSurface(&d, &D3Z.primary, nullptr) != DD_OK) return 0;
    D3Z.back = OffscreenSurface(DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE |
                                (D3Z.forceEmulation ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY));
    if (!D3Z.back) return 0;
    D3Z.work = OffscreenSurface(DDSCAPS_OFFSCREENPLAIN);
    if (!D3Z.work) return 0;
    if (D3Z.dd->CreateClipper(0, &D3Z.clipper, nullptr) != DD_OK) return 0;
    D3Z.clipper->SetHWnd(0, hwnd);
    D3Z.primary->SetClipper(D3Z.clipper);
    D3Z.windowed = 1;
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
        D3Z.dd = dd;
        D3Z.hardware = 1;
        return DDENUMRET_CANCEL;
    }
    dd->Release();
    return DDENUMRET_OK;
}

int CreateDirectDrawFullScreen(HWND hwnd) {
    D3Z.present = RECT{0, 0, D3Z.xsize, D3Z.ysize};
    D3Z.bpp = 16;
    if (!D3Z.forceEmulation) DirectDrawEnumerateA(D3Z_DDEnumCallback, nullptr);
    if (!D3Z.dd && DirectDrawCreate(nullptr, &D3Z.dd, nullptr) != DD_OK) return 0;
    GetWindowRect(hwnd, &D3Z.saved);
    if (D3Z.dd->SetCooperativeLevel(hwnd, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX) !=
            DD_OK &&
        D3Z.dd->SetCooperativeLevel(hwnd, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE) != DD_OK)
        return 0;
    if (D3Z.dd->SetDisplayMode((DWORD)D3Z.xsize, (DWORD)D3Z.ysize, 16) != DD_OK) {
        D3Z_Cleanup();
        return CreateDirectDrawWindow(hwnd);
    }
    DDSURFACEDESC d = Desc();
    d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    d.dwBackBufferCount = 1;
    if (D3Z.dd->CreateSurface(&d, &D3Z.primary, nullptr) != DD_OK) return 0;
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    if (D3Z.primary->GetAttachedSurface(&caps, &D3Z.back) != DD_OK) return 0;
    D3Z.work = OffscreenSurface(DDSCAPS_OFFSCREENPLAIN);
    if (!D3Z.work) return 0;
    D3Z.windowed = 0;
    return 1;
}

HRESULT WINAPI D3Z_D3DEnumDeviceCallBack(GUID* guid, LPSTR, LPSTR, LPD3DDEVICEDESC hw,
                                         LPD3DDEVICEDESC, LPVOID context) {
    const D3DCOLORMODEL model = *static_cast<D3DCOLORMODEL*>(context);
    if (bFoundHardwareDevice || D3Z.forceEmulation || !hw || !guid) return D3DENUMRET_OK;
    if (!(hw->dcmColorModel & model)) return D3DENUMRET_OK;
    if (!(hw->dwDeviceZBufferBitDepth & (DDBD_16 | DDBD_24 | DDBD_32))) return D3DENUMRET_OK;
    hardwareDesc = *hw;
    guidOK = *guid;
    D3Z.hardware = 1;
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
    std::memset(&D3Z, 0, sizeof D3Z);
    D3Z.hwnd = hwnd;
    D3Z.windowed = 1;
    D3Z.model = D3DCOLOR_RGB;
    bFoundHardwareDevice = false;
    return 1;
}

int D3Z_CreateDirectDraw(HWND hwnd, int full) {
    D3Z.hwnd = hwnd;
    D3Z_Cleanup();
    return full ? CreateDirectDrawFullScreen(hwnd) : CreateDirectDrawWindow(hwnd);
}

int D3Z_CreateDirect3DRM() {
    if (!D3Z.rm) {
        IDirect3DRM* rm1 = nullptr;
        if (Direct3DRMCreate(&rm1) != D3DRM_OK) {
            D3Z_Cleanup();
            return 0;
        }
        const HRESULT r = rm1->QueryInterface(IID_IDirect3DRM2, reinterpret_cast<void**>(&D3Z.rm));
        rm1->Release();
        if (r != S_OK) {
            D3Z.rm = nullptr;
            D3Z_Cleanup();
            return 0;
        }
    }
    if (!D3Z.device) {
        if (!D3Z_CreateD3DDevice(D3Z.model)) {
            D3Z_Cleanup();
            return 0;
        }
        if (D3Z.rm->CreateDeviceFromD3D(D3Z.d3d, D3Z.device, &D3Z.rmdevice) != D3DRM_OK) {
            D3Z_Cleanup();
            return 0;
        }
        D3Z.rmdevice->SetBufferCount(2);
        D3Z.rmdevice->SetShades(32);
        D3Z.rmdevice->SetQuality(D3Z.hardware ? D3DRMRENDER_GOURAUD : D3DRMRENDER_FLAT);
        D3Z.rmdevice->SetDither(TRUE);
        D3Z.rmdevice->SetTextureQuality(D3DRMTEXTURE_LINEAR);
        D3Z.rm->SetDefaultTextureColors(64);
        D3Z.rm->SetDefaultTextureShades(32);
    }
    return 1;
}

int D3Z_CreateD3DDevice(D3DCOLORMODEL model) {
    if (!D3Z.dd || !D3Z.back) return 0;
    if (D3Z.dd->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&D3Z.d3d)) != S_OK) {
        D3Z.d3d = nullptr;
        return 0;
    }
    bFoundHardwareDevice = false;
    D3Z.d3d->EnumDevices(D3Z_D3DEnumDeviceCallBack, &model);
    // Without a hardware device the hardware attempt fails here, so that the caller's
    // emulation fallback runs, tells the user and records "soft".
    if (!bFoundHardwareDevice && !D3Z.forceEmulation) return 0;
    DWORD depth = 0, memory = 0;
    if (!bFoundHardwareDevice) {
        D3Z.softwareDevice = 1;
        depth = 16;
        memory = DDSCAPS_SYSTEMMEMORY;
    } else {
        const DWORD z = hardwareDesc.dwDeviceZBufferBitDepth;
        depth = (z & DDBD_32) ? 32 : (z & DDBD_24) ? 24 : 16;
        memory = DDSCAPS_VIDEOMEMORY;
    }
    DDSURFACEDESC d = Desc();
    D3Z.back->GetSurfaceDesc(&d);
    const DWORD w = d.dwWidth, h = d.dwHeight;
    d = Desc();
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH;
    d.dwWidth = w;
    d.dwHeight = h;
    d.dwZBufferBitDepth = depth;
    d.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | memory;
    if (D3Z.dd->CreateSurface(&d, &D3Z.zbuffer, nullptr) != DD_OK) {
        D3Z.zbuffer = nullptr;
    } else if (D3Z.back->AddAttachedSurface(D3Z.zbuffer) != DD_OK) {
        return 0;
    }
    HRESULT r;
    if (bFoundHardwareDevice) {
        r = D3Z.d3d->CreateDevice(guidOK, D3Z.back, &D3Z.device);
    } else {
        r = D3Z.d3d->CreateDevice(IID_IDirect3DMMXDevice, D3Z.back, &D3Z.device);
        if (r != D3D_OK) r = D3Z.d3d->CreateDevice(IID_IDirect3DRGBDevice, D3Z.back, &D3Z.device);
    }
    if (r != D3D_OK) {
        D3Z.device = nullptr;
        D3Z_Cleanup();
        return 0;
    }
    return 1;
}

int D3Z_CreateViewport(IDirect3DRMFrame* cameraFrame) {
    if (D3Z.rm->CreateViewport(D3Z.rmdevice, cameraFrame, 0, 0, (DWORD)D3Z.xsize, (DWORD)D3Z.ysize,
                               &D3Z.viewport) != D3DRM_OK) {
        D3Z.viewport = nullptr;
        return 1;
    }
    D3Z.viewport->SetBack(5000.0f);
    return 1;
}

int D3Z_ReadyToRender(int on) {
    D3Z.ready = on;
    return 1;
}

int D3Z_FlipDD() {
    if (D3Z.copying || !D3Z.ready || !D3Z.primary) return 0;
    if (!D3Z.windowed) {
        D3Z.primary->Flip(nullptr, DDFLIP_WAIT);
        return 1;
    }
    RECT src{D3Z.cxpos, D3Z.cypos, D3Z.cxpos + D3Z.cxsize, D3Z.cypos + D3Z.cysize};
    const POINT o = ClientOrigin(D3Z.hwnd);
    const int x = o.x + D3Z.xpos + D3Z.cxpos, y = o.y + D3Z.ypos + D3Z.cypos;
    RECT dst{x, y, x + D3Z.cxsize, y + D3Z.cysize};
    D3Z.primary->Blt(&dst, D3Z.back, &src, DDBLT_WAIT, nullptr);
    return 1;
}

int D3Z_IfLostThenRestore() {
    if (!D3Z.ready) return 1;
    for (IDirectDrawSurface* s : {D3Z.primary, D3Z.zbuffer}) {
        if (s && s->IsLost() == DDERR_SURFACELOST) {
            s->Restore();
            if (D3Z.viewport)
                D3Z.viewport->ForceUpdate((DWORD)D3Z.xpos, (DWORD)D3Z.ypos, (DWORD)D3Z.xsize,
                                          (DWORD)D3Z.ysize);
        }
    }
    return 1;
}

int D3Z_ClearBackBuffer(const RECT* rect, DWORD colour) {
    if (!D3Z.back) return 1;
    DDSURFACEDESC d = Desc();
    D3Z.back->GetSurfaceDesc(&d);
    RECT area = rect ? *rect : RECT{0, 0, (LONG)d.dwWidth, (LONG)d.dwHeight};
    D3Z.copying = 1;
    if (D3Z.bpp == 16) {
        DDBLTFX fx;
        std::memset(&fx, 0, sizeof fx);
        fx.dwSize = sizeof fx;
        fx.dwFillColor = D3Z_ColorMatch(D3Z.back, colour);
        D3Z.back->Blt(&area, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    } else {
        HDC dc = nullptr;
        if (D3Z.back->GetDC(&dc) == DD_OK) {
            HBRUSH brush = CreateSolidBrush(colour);
            FillRect(dc, &area, brush);
            DeleteObject(brush);
            D3Z.back->ReleaseDC(dc);
        }
    }
    D3Z.copying = 0;
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
    ReleaseOf(D3Z.viewport);
    ReleaseOf(D3Z.rmdevice);
    ReleaseOf(D3Z.device);
    if (D3Z.zbuffer && D3Z.back) D3Z.back->DeleteAttachedSurface(0, D3Z.zbuffer);
    ReleaseOf(D3Z.zbuffer);
    ReleaseOf(D3Z.rm);
    ReleaseOf(D3Z.d3d);
    ReleaseOf(D3Z.clipper);
    ReleaseOf(D3Z.work);
    ReleaseOf(D3Z.back);
    ReleaseOf(D3Z.primary);
    if (D3Z.dd && !D3Z.windowed) D3Z.dd->RestoreDisplayMode();
    ReleaseOf(D3Z.dd);
    D3Z.ready = 0;
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
    d.ddsCaps.dwCaps = DDSCAPS_TEXTURE | (D3Z.hardware ? DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD
                                                       : DDSCAPS_SYSTEMMEMORY);
    IDirectDrawSurface* texture = nullptr;
    if (!D3Z.dd || D3Z.dd->CreateSurface(&d, &texture, nullptr) != DD_OK) {
        DeleteObject(bitmap);
        return 0;
    }
    IDirectDrawSurface* source = texture;
    if (D3Z.hardware) {
        d.ddsCaps.dwCaps = DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY;
        if (D3Z.dd->CreateSurface(&d, &source, nullptr) != DD_OK) {
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
