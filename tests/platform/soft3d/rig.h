// A small drawing rig for the software Direct3D tests: a render target of a chosen format with
// an optional depth buffer, a device on it, a viewport, and pixel read-back through Lock.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "d3d.h"
#include "d3drm.h"
#include "wynplat.h"

enum class Fmt { RGB565, RGB555, XRGB8888 };

inline DDPIXELFORMAT PixelFormatOf(Fmt f) {
    DDPIXELFORMAT pf;
    std::memset(&pf, 0, sizeof pf);
    pf.dwSize = sizeof pf;
    pf.dwFlags = DDPF_RGB;
    switch (f) {
        case Fmt::RGB565:
            pf.dwRGBBitCount = 16;
            pf.dwRBitMask = 0xF800;
            pf.dwGBitMask = 0x07E0;
            pf.dwBBitMask = 0x001F;
            break;
        case Fmt::RGB555:
            pf.dwRGBBitCount = 16;
            pf.dwRBitMask = 0x7C00;
            pf.dwGBitMask = 0x03E0;
            pf.dwBBitMask = 0x001F;
            break;
        case Fmt::XRGB8888:
            pf.dwRGBBitCount = 32;
            pf.dwRBitMask = 0xFF0000;
            pf.dwGBitMask = 0xFF00;
            pf.dwBBitMask = 0xFF;
            break;
    }
    return pf;
}

inline D3DTLVERTEX V(float x, float y, float z, D3DCOLOR color, float u = 0, float v = 0,
                     float rhw = 1.0f, D3DCOLOR specular = 0xFF000000) {
    D3DTLVERTEX t;
    t.sx = x;
    t.sy = y;
    t.sz = z;
    t.rhw = rhw;
    t.color = color;
    t.specular = specular;
    t.tu = u;
    t.tv = v;
    return t;
}

inline IDirectDrawSurface* MakeSurface(IDirectDraw* dd, int w, int h, Fmt f, DWORD caps) {
    DDSURFACEDESC d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = static_cast<DWORD>(w);
    d.dwHeight = static_cast<DWORD>(h);
    d.ddsCaps.dwCaps = caps;
    d.ddpfPixelFormat = PixelFormatOf(f);
    IDirectDrawSurface* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DD_OK);
    return s;
}

// A primary surface with one back buffer, as a full-screen program makes it after choosing its
// display mode.
inline void MakeFlippingPrimary(IDirectDraw* dd, IDirectDrawSurface** primary,
                                IDirectDrawSurface** back) {
    DDSURFACEDESC d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    d.dwBackBufferCount = 1;
    ASSERT_EQ(dd->CreateSurface(&d, primary, nullptr), DD_OK);
    DDSCAPS caps{DDSCAPS_BACKBUFFER};
    ASSERT_EQ((*primary)->GetAttachedSurface(&caps, back), DD_OK);
}

inline uint32_t ReadRaw(IDirectDrawSurface* s, int x, int y) {
    DDSURFACEDESC d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    EXPECT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    const uint8_t* row = static_cast<const uint8_t*>(d.lpSurface) + y * d.lPitch;
    uint32_t v = 0;
    const int bytes = d.ddpfPixelFormat.dwFlags & DDPF_ZBUFFER
                          ? (d.ddpfPixelFormat.dwZBufferBitDepth == 16 ? 2 : 4)
                          : static_cast<int>(d.ddpfPixelFormat.dwRGBBitCount / 8);
    std::memcpy(&v, row + x * bytes, bytes);
    s->Unlock(nullptr);
    return v;
}

inline void WriteRaw(IDirectDrawSurface* s, int x, int y, uint32_t v) {
    DDSURFACEDESC d;
    std::memset(&d, 0, sizeof d);
    d.dwSize = sizeof d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    uint8_t* row = static_cast<uint8_t*>(d.lpSurface) + y * d.lPitch;
    std::memcpy(row + x * (d.ddpfPixelFormat.dwRGBBitCount / 8), &v,
                d.ddpfPixelFormat.dwRGBBitCount / 8);
    s->Unlock(nullptr);
}

inline void FillRaw(IDirectDrawSurface* s, uint32_t v) {
    DDBLTFX fx;
    std::memset(&fx, 0, sizeof fx);
    fx.dwSize = sizeof fx;
    fx.dwFillColor = v;
    ASSERT_EQ(s->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
}

struct Rig {
    IDirectDraw* dd = nullptr;
    IDirect3D2* d3d = nullptr;
    IDirectDrawSurface* target = nullptr;
    IDirectDrawSurface* depth = nullptr;
    IDirect3DDevice2* dev = nullptr;
    IDirect3DViewport2* vp = nullptr;
    int width, height;

    Rig(int w, int h, Fmt f, int zbits = 0, const GUID& device = IID_IDirect3DRGBDevice)
        : width(w), height(h) {
        EXPECT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
        EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
        target = MakeSurface(dd, w, h, f, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
        if (zbits) {
            DDSURFACEDESC d;
            std::memset(&d, 0, sizeof d);
            d.dwSize = sizeof d;
            d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH;
            d.dwWidth = w;
            d.dwHeight = h;
            d.dwZBufferBitDepth = zbits;
            d.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY;
            EXPECT_EQ(dd->CreateSurface(&d, &depth, nullptr), DD_OK);
            EXPECT_EQ(target->AddAttachedSurface(depth), DD_OK);
        }
        EXPECT_EQ(dd->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&d3d)), S_OK);
        EXPECT_EQ(d3d->CreateDevice(device, target, &dev), D3D_OK);
        EXPECT_EQ(d3d->CreateViewport(&vp, nullptr), D3D_OK);
        EXPECT_EQ(dev->AddViewport(vp), D3D_OK);
        SetViewport(0, 0, w, h);
        EXPECT_EQ(dev->SetCurrentViewport(vp), D3D_OK);
        if (zbits) ClearDepth();
        FillRaw(target, 0);
    }
    ~Rig() {
        if (vp) vp->Release();
        if (dev) dev->Release();
        if (d3d) d3d->Release();
        if (depth) depth->Release();
        if (target) target->Release();
        if (dd) dd->Release();
    }
    void SetViewport(int x, int y, int w, int h) {
        D3DVIEWPORT2 v{};
        v.dwSize = sizeof v;
        v.dwX = x;
        v.dwY = y;
        v.dwWidth = w;
        v.dwHeight = h;
        v.dvClipX = -1;
        v.dvClipY = 1;
        v.dvClipWidth = 2;
        v.dvClipHeight = 2;
        v.dvMaxZ = 1;
        EXPECT_EQ(vp->SetViewport2(&v), D3D_OK);
    }
    void ClearDepth() {
        D3DRECT r{0, 0, width, height};
        EXPECT_EQ(vp->Clear(1, &r, D3DCLEAR_ZBUFFER), D3D_OK);
    }
    void State(D3DRENDERSTATETYPE s, DWORD v) { EXPECT_EQ(dev->SetRenderState(s, v), D3D_OK); }
    void Draw(D3DPRIMITIVETYPE type, std::vector<D3DTLVERTEX> v) {
        EXPECT_EQ(dev->BeginScene(), D3D_OK);
        EXPECT_EQ(dev->DrawPrimitive(type, D3DVT_TLVERTEX, v.data(), static_cast<DWORD>(v.size()),
                                     D3DDP_WAIT | D3DDP_DONOTUPDATEEXTENTS),
                  D3D_OK);
        EXPECT_EQ(dev->EndScene(), D3D_OK);
    }
    uint32_t Pixel(int x, int y) { return ReadRaw(target, x, y); }
    uint32_t Z(int x, int y) { return ReadRaw(depth, x, y); }
};
