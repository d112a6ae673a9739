// DirectDraw surfaces, display modes, device enumeration with its refusals, texture formats
// and the retained-mode set-up of the software renderer.
#include <string>

#include "rig.h"

namespace {

IDirectDraw* NewDirectDraw(DWORD level = DDSCL_NORMAL, HWND hwnd = nullptr) {
    IDirectDraw* dd = nullptr;
    EXPECT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    EXPECT_EQ(dd->SetCooperativeLevel(hwnd, level), DD_OK);
    return dd;
}

// A keyed copy compares a 32-bit pixel without its top byte and writes it without it too; a
// range of key values is left out whole; at 16 bits every value is compared as it is.
TEST(Soft3DSurface, KeyedBltComparesTheColourBitsOnly) {
    struct KeyCase {
        Fmt fmt;
        uint32_t src[5];
        uint32_t want[5];  // 0x777 / 0x777777: left as it was
    };
    const KeyCase cases[] = {
        {Fmt::XRGB8888,
         {0xFF000010, 0xAB123456, 0x00000011, 0x00000013, 0x01000012},
         {0x777777, 0x123456, 0x777777, 0x000013, 0x777777}},
        {Fmt::RGB565,
         {0x0010, 0x1234, 0x0011, 0x0013, 0x0012},
         {0x777, 0x1234, 0x777, 0x0013, 0x777}},
    };
    IDirectDraw* dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    for (const KeyCase& k : cases) {
        SCOPED_TRACE(k.fmt == Fmt::XRGB8888 ? "32-bit" : "16-bit");
        IDirectDrawSurface* src = MakeSurface(dd, 5, 1, k.fmt, DDSCAPS_OFFSCREENPLAIN);
        IDirectDrawSurface* dst = MakeSurface(dd, 7, 1, k.fmt, DDSCAPS_OFFSCREENPLAIN);
        for (int x = 0; x < 5; ++x) WriteRaw(src, x, 0, k.src[x]);
        DDCOLORKEY key{0x10, 0x12};
        ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &key), DD_OK);
        FillRaw(dst, k.fmt == Fmt::XRGB8888 ? 0x777777 : 0x777);
        RECT to{1, 0, 6, 1};
        ASSERT_EQ(dst->Blt(&to, src, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
        for (int x = 0; x < 5; ++x) EXPECT_EQ(ReadRaw(dst, x + 1, 0), k.want[x]) << "pixel " << x;
        EXPECT_EQ(ReadRaw(dst, 0, 0), k.fmt == Fmt::XRGB8888 ? 0x777777u : 0x777u);
        src->Release();
        dst->Release();
    }
    dd->Release();
}

TEST(Soft3DSurface, BltFillsCopiesAndHonoursTheSourceKey) {
    IDirectDraw* dd = NewDirectDraw();
    IDirectDrawSurface* src = MakeSurface(dd, 4, 4, Fmt::RGB565, DDSCAPS_OFFSCREENPLAIN);
    IDirectDrawSurface* dst = MakeSurface(dd, 8, 8, Fmt::RGB565, DDSCAPS_OFFSCREENPLAIN);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) WriteRaw(src, x, y, (x + y) % 2 ? 0x0000 : 0xF800 + x);
    FillRaw(dst, 0x07E0);
    // Colour fill of a rectangle.
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0x1234;
    RECT r{6, 6, 8, 8};
    ASSERT_EQ(dst->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx), DD_OK);
    EXPECT_EQ(ReadRaw(dst, 7, 7), 0x1234u);
    EXPECT_EQ(ReadRaw(dst, 5, 5), 0x07E0u);
    // Keyed copy: black source pixels leave the destination as it was.
    DDCOLORKEY key{0, 0};
    ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    RECT to{2, 1, 6, 5};
    ASSERT_EQ(dst->Blt(&to, src, nullptr, DDBLT_KEYSRC | DDBLT_WAIT, nullptr), DD_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(ReadRaw(dst, 2 + x, 1 + y), (x + y) % 2 ? 0x07E0u : 0xF800u + x)
                << x << "," << y;
    // A plain copy takes every pixel.
    ASSERT_EQ(dst->Blt(&to, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(ReadRaw(dst, 3, 1), 0x0000u);
    // Rectangles outside the surface are refused; a key that was never set too.
    RECT out{6, 6, 10, 10};
    EXPECT_EQ(dst->Blt(&out, src, nullptr, DDBLT_WAIT, nullptr), DDERR_INVALIDRECT);
    EXPECT_EQ(src->Blt(nullptr, dst, &to, DDBLT_KEYSRC, nullptr), DDERR_NOCOLORKEY);
    src->Release();
    dst->Release();
    dd->Release();
}

TEST(Soft3DSurface, FormatsDepthsAndLocking) {
    IDirectDraw* dd = NewDirectDraw();
    for (Fmt f : {Fmt::RGB565, Fmt::RGB555, Fmt::XRGB8888}) {
        IDirectDrawSurface* s = MakeSurface(dd, 5, 3, f, DDSCAPS_OFFSCREENPLAIN);
        DDPIXELFORMAT pf;
        ASSERT_EQ(s->GetPixelFormat(&pf), DD_OK);
        const DDPIXELFORMAT want = PixelFormatOf(f);
        EXPECT_EQ(pf.dwRGBBitCount, want.dwRGBBitCount);
        EXPECT_EQ(pf.dwRBitMask, want.dwRBitMask);
        DDSURFACEDESC d{};
        d.dwSize = sizeof d;
        RECT r{1, 1, 3, 2};
        ASSERT_EQ(s->Lock(&r, &d, DDLOCK_WAIT, nullptr), DD_OK);
        EXPECT_GE(d.lPitch, 5 * int(want.dwRGBBitCount / 8));
        EXPECT_EQ(s->Unlock(nullptr), DD_OK);
        EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
        EXPECT_EQ(s->IsLost(), DD_OK);
        s->Release();
    }
    // Unknown pixel formats and depth widths are refused.
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    d.dwWidth = d.dwHeight = 4;
    d.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    d.ddpfPixelFormat = PixelFormatOf(Fmt::RGB565);
    d.ddpfPixelFormat.dwFlags |= DDPF_ALPHAPIXELS;
    IDirectDrawSurface* s = nullptr;
    EXPECT_EQ(dd->CreateSurface(&d, &s, nullptr), DDERR_INVALIDPIXELFORMAT);
    d.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_ZBUFFERBITDEPTH;
    d.ddsCaps.dwCaps = DDSCAPS_ZBUFFER;
    for (DWORD bits : {8u, 16u, 24u, 32u}) {
        d.dwZBufferBitDepth = bits;
        const HRESULT r = dd->CreateSurface(&d, &s, nullptr);
        EXPECT_EQ(r, bits == 8 ? DDERR_INVALIDPIXELFORMAT : DD_OK) << bits;
        if (r == DD_OK) s->Release();
    }
    dd->Release();
}

TEST(Soft3DDisplay, ModesAndTheFlippingChain) {
    IDirectDraw* dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    HWND fake = reinterpret_cast<HWND>(0x1000);
    EXPECT_EQ(dd->SetDisplayMode(800, 600, 16), DDERR_NOEXCLUSIVEMODE);
    ASSERT_EQ(dd->SetCooperativeLevel(fake, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX),
              DD_OK);
    struct Mode {
        DWORD w, h, bpp;
        bool ok;
    };
    const Mode modes[] = {{640, 480, 16, true},
                          {1024, 768, 16, true},
                          {700, 500, 16, false},
                          {800, 600, 32, false},
                          {800, 600, 16, true}};
    for (const Mode& m : modes)
        EXPECT_EQ(dd->SetDisplayMode(m.w, m.h, m.bpp) == DD_OK, m.ok)
            << m.w << "x" << m.h << "x" << m.bpp;
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    ASSERT_EQ(dd->GetDisplayMode(&d), DD_OK);
    EXPECT_EQ(d.dwWidth, 800u);
    EXPECT_EQ(d.ddpfPixelFormat.dwRGBBitCount, 16u);
    // Primary with one back buffer; the back buffer is 800x600 RGB565 and flips.
    IDirectDrawSurface *primary = nullptr, *back = nullptr;
    ASSERT_NO_FATAL_FAILURE(MakeFlippingPrimary(dd, &primary, &back));
    DDSURFACEDESC bd{};
    bd.dwSize = sizeof bd;
    ASSERT_EQ(back->GetSurfaceDesc(&bd), DD_OK);
    EXPECT_EQ(bd.dwWidth, 800u);
    EXPECT_EQ(bd.dwHeight, 600u);
    EXPECT_EQ(bd.ddpfPixelFormat.dwGBitMask, 0x07E0u);
    FillRaw(back, 0xABCD);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(ReadRaw(primary, 10, 10), 0xABCDu);
    EXPECT_EQ(back->Flip(nullptr, DDFLIP_WAIT), DDERR_NOTFLIPPABLE);
    back->Release();
    primary->Release();
    EXPECT_EQ(dd->RestoreDisplayMode(), DD_OK);
    dd->Release();
}

struct Found {
    std::vector<std::string> names;
    int hardwareRgb = 0;
    DWORD hardwareDepths = 0;
};

HRESULT WINAPI CollectDevice(GUID*, LPSTR desc, LPSTR, LPD3DDEVICEDESC hal, LPD3DDEVICEDESC,
                             LPVOID ctx) {
    auto* f = static_cast<Found*>(ctx);
    f->names.push_back(desc);
    if (hal->dcmColorModel & D3DCOLOR_RGB) {
        ++f->hardwareRgb;
        f->hardwareDepths = hal->dwDeviceZBufferBitDepth;
    }
    return D3DENUMRET_OK;
}

BOOL WINAPI CollectDriver(GUID* guid, LPSTR, LPSTR, LPVOID ctx) {
    static_cast<std::vector<bool>*>(ctx)->push_back(guid != nullptr);
    return DDENUMRET_OK;
}

struct RefusalCase {
    int level;
    size_t drivers;
    int hardwareDevices;
    bool halCreates, rgbCreates;
};

TEST(Soft3DDevices, EnumerationAndItsRefusals) {
    const RefusalCase cases[] = {
        {0, 2, 1, true, true},
        {1, 1, 0, false, true},
        {2, 1, 0, false, false},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE("refusal " + std::to_string(c.level));
        WynPlat_SetDirect3DRefusal(c.level);
        std::vector<bool> drivers;
        ASSERT_EQ(DirectDrawEnumerateA(CollectDriver, &drivers), DD_OK);
        EXPECT_EQ(drivers.size(), c.drivers);
        EXPECT_FALSE(drivers.empty() || drivers[0]);  // the primary driver has no identifier
        IDirectDraw* dd = NewDirectDraw();
        if (c.drivers == 2) {
            // The accelerator's capabilities are the ones the full-screen search looks for.
            GUID g{};
            std::vector<GUID> ids;
            DirectDrawEnumerateA(
                [](GUID* guid, LPSTR, LPSTR, LPVOID ctx) -> BOOL {
                    if (guid) *static_cast<GUID*>(ctx) = *guid;
                    return DDENUMRET_OK;
                },
                &g);
            IDirectDraw* acc = nullptr;
            ASSERT_EQ(DirectDrawCreate(&g, &acc, nullptr), DD_OK);
            DDCAPS hw{}, hel{};
            hw.dwSize = hel.dwSize = sizeof(DDCAPS);
            ASSERT_EQ(acc->GetCaps(&hw, &hel), DD_OK);
            EXPECT_TRUE(hw.dwCaps & DDCAPS_3D);
            EXPECT_TRUE(hw.ddsCaps.dwCaps & DDSCAPS_TEXTURE);
            acc->Release();
        }
        IDirect3D2* d3d = nullptr;
        ASSERT_EQ(dd->QueryInterface(IID_IDirect3D2, reinterpret_cast<void**>(&d3d)), S_OK);
        Found f;
        ASSERT_EQ(d3d->EnumDevices(CollectDevice, &f), D3D_OK);
        EXPECT_EQ(f.hardwareRgb, c.hardwareDevices);
        if (c.hardwareDevices) {
            EXPECT_EQ(f.hardwareDepths, DWORD(DDBD_16 | DDBD_24 | DDBD_32));
        }
        EXPECT_EQ(f.names.empty(), c.level == 2);
        IDirectDrawSurface* target =
            MakeSurface(dd, 16, 16, Fmt::RGB565, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
        for (const GUID* g :
             {&IID_IDirect3DHALDevice, &IID_IDirect3DRGBDevice, &IID_IDirect3DMMXDevice}) {
            IDirect3DDevice2* dev = nullptr;
            const bool want = g == &IID_IDirect3DHALDevice ? c.halCreates : c.rgbCreates;
            EXPECT_EQ(d3d->CreateDevice(*g, target, &dev) == D3D_OK, want);
            if (dev) dev->Release();
        }
        target->Release();
        d3d->Release();
        dd->Release();
    }
    WynPlat_SetDirect3DRefusal(0);
}

HRESULT WINAPI CollectFormat(LPDDSURFACEDESC d, LPVOID ctx) {
    static_cast<std::vector<DDPIXELFORMAT>*>(ctx)->push_back(d->ddpfPixelFormat);
    return D3DENUMRET_OK;
}

TEST(Soft3DTextures, FormatsHandlesAndLoad) {
    Rig rig(8, 8, Fmt::RGB565);
    std::vector<DDPIXELFORMAT> formats;
    ASSERT_EQ(rig.dev->EnumTextureFormats(CollectFormat, &formats), D3D_OK);
    ASSERT_EQ(formats.size(), 3u);
    for (const DDPIXELFORMAT& pf : formats) {
        EXPECT_TRUE(pf.dwFlags & DDPF_RGB);
        EXPECT_FALSE(pf.dwFlags & (DDPF_ALPHAPIXELS | DDPF_ALPHA));
    }
    // A system-memory copy loaded into the texture the device uses.
    IDirectDrawSurface* sys =
        MakeSurface(rig.dd, 4, 4, Fmt::RGB555, DDSCAPS_TEXTURE | DDSCAPS_SYSTEMMEMORY);
    IDirectDrawSurface* vid = MakeSurface(
        rig.dd, 4, 4, Fmt::RGB555, DDSCAPS_TEXTURE | DDSCAPS_VIDEOMEMORY | DDSCAPS_ALLOCONLOAD);
    FillRaw(sys, 0x7C00);
    IDirect3DTexture2 *ts = nullptr, *tv = nullptr;
    ASSERT_EQ(sys->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&ts)), S_OK);
    ASSERT_EQ(vid->QueryInterface(IID_IDirect3DTexture2, reinterpret_cast<void**>(&tv)), S_OK);
    ASSERT_EQ(tv->Load(ts), D3D_OK);
    EXPECT_EQ(ReadRaw(vid, 3, 3), 0x7C00u);
    D3DTEXTUREHANDLE h1 = 0, h2 = 0;
    ASSERT_EQ(tv->GetHandle(rig.dev, &h1), D3D_OK);
    ASSERT_EQ(ts->GetHandle(rig.dev, &h2), D3D_OK);
    EXPECT_NE(h1, 0u);
    EXPECT_NE(h1, h2);
    rig.State(D3DRENDERSTATE_TEXTUREHANDLE, h1);
    rig.Draw(D3DPT_TRIANGLELIST,
             {V(0, 0, 0, 0xFFFFFFFF), V(8, 0, 0, 0xFFFFFFFF), V(0, 8, 0, 0xFFFFFFFF)});
    EXPECT_EQ(rig.Pixel(1, 1), 0xF800u);  // red texel on the 565 target
    ts->Release();
    tv->Release();
    sys->Release();
    vid->Release();
}

TEST(Soft3DRetained, SetUpGivesAViewportThatClears) {
    Rig rig(16, 16, Fmt::RGB565, 16);
    IDirect3DRM* rm1 = nullptr;
    ASSERT_EQ(Direct3DRMCreate(&rm1), D3DRM_OK);
    IDirect3DRM2* rm = nullptr;
    ASSERT_EQ(rm1->QueryInterface(IID_IDirect3DRM2, reinterpret_cast<void**>(&rm)), S_OK);
    IDirect3DRMFrame2 *scene = nullptr, *camera = nullptr;
    ASSERT_EQ(rm->CreateFrame(nullptr, &scene), D3DRM_OK);
    ASSERT_EQ(rm->CreateFrame(scene, &camera), D3DRM_OK);
    IDirect3DRMDevice2* device = nullptr;
    ASSERT_EQ(rm->CreateDeviceFromD3D(rig.d3d, rig.dev, &device), D3DRM_OK);
    EXPECT_EQ(device->SetBufferCount(2), D3DRM_OK);
    EXPECT_EQ(device->SetShades(32), D3DRM_OK);
    EXPECT_EQ(device->SetQuality(D3DRMRENDER_GOURAUD), D3DRM_OK);
    EXPECT_EQ(device->SetDither(TRUE), D3DRM_OK);
    EXPECT_EQ(device->SetTextureQuality(D3DRMTEXTURE_LINEAR), D3DRM_OK);
    EXPECT_EQ(device->GetQuality(), DWORD(D3DRMRENDER_GOURAUD));
    EXPECT_EQ(rm->SetDefaultTextureColors(64), D3DRM_OK);
    EXPECT_EQ(rm->SetDefaultTextureShades(32), D3DRM_OK);
    IDirect3DRMViewport* view = nullptr;
    ASSERT_EQ(rm->CreateViewport(device, camera, 0, 0, 16, 16, &view), D3DRM_OK);
    EXPECT_EQ(view->SetBack(5000.0f), D3DRM_OK);
    IDirect3DViewport* im = nullptr;
    ASSERT_EQ(view->GetDirect3DViewport(&im), D3DRM_OK);
    IDirect3DViewport2* im2 = nullptr;
    ASSERT_EQ(im->QueryInterface(IID_IDirect3DViewport2, reinterpret_cast<void**>(&im2)), S_OK);
    ASSERT_EQ(rig.dev->SetCurrentViewport(im2), D3D_OK);
    // Draw something near, then Clear: colour black and depth far again.
    rig.State(D3DRENDERSTATE_ZENABLE, TRUE);
    rig.Draw(D3DPT_TRIANGLELIST,
             {V(0, 0, 0.1f, 0xFFFFFFFF), V(16, 0, 0.1f, 0xFFFFFFFF), V(0, 16, 0.1f, 0xFFFFFFFF)});
    EXPECT_EQ(rig.Pixel(2, 2), 0xFFFFu);
    ASSERT_EQ(view->Clear(), D3DRM_OK);
    EXPECT_EQ(rig.Pixel(2, 2), 0u);
    EXPECT_EQ(rig.Z(2, 2), 0xFFFFu);
    EXPECT_EQ(view->ForceUpdate(0, 0, 16, 16), D3DRM_OK);
    im2->Release();
    im->Release();
    view->Release();
    device->Release();
    camera->Release();
    scene->Release();
    rm->Release();
    rm1->Release();
}

}  // namespace
