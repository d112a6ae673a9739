// Surfaces meet the window layer: device contexts on surfaces, and frames presented into a
// window (and into a child window, which is a region of its parent) on the headless desktop.
#include <windows.h>

#include <vector>

#include "rig.h"

namespace {

LRESULT CALLBACK PlainProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcA(h, m, w, l);
}

HWND MakeWindow(const char* cls, DWORD style, int x, int y, int w, int h, HWND parent) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = PlainProc;
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
    HWND hwnd =
        CreateWindowExA(0, cls, "soft3d", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
    EXPECT_NE(hwnd, nullptr);
    return hwnd;
}

uint32_t CapturedPixel(HWND hwnd, int x, int y) {
    int w = 0, h = 0;
    WynPlat_CaptureWindow(hwnd, nullptr, 0, &w, &h);
    std::vector<uint32_t> px(static_cast<size_t>(w) * h);
    if (!WynPlat_CaptureWindow(hwnd, px.data(), static_cast<int>(px.size()), &w, &h))
        return 0xDEADBEEF;
    if (x >= w || y >= h) return 0xDEADBEEF;
    return px[static_cast<size_t>(y) * w + x] & 0xFFFFFF;
}

TEST(Soft3DPresent, DeviceContextDrawsIntoTheSurface) {
    IDirectDraw* dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    for (Fmt f : {Fmt::RGB565, Fmt::RGB555, Fmt::XRGB8888}) {
        IDirectDrawSurface* s = MakeSurface(dd, 8, 8, f, DDSCAPS_OFFSCREENPLAIN);
        HDC dc = nullptr;
        ASSERT_EQ(s->GetDC(&dc), DD_OK);
        HDC again = nullptr;
        EXPECT_EQ(s->GetDC(&again), DDERR_DCALREADYCREATED);
        SetPixel(dc, 2, 3, RGB(255, 0, 0));
        EXPECT_EQ(GetPixel(dc, 2, 3) & 0xFFFFFF, DWORD(RGB(255, 0, 0)));
        ASSERT_EQ(s->ReleaseDC(dc), DD_OK);
        EXPECT_EQ(s->ReleaseDC(dc), DDERR_NODC);
        const uint32_t red = f == Fmt::RGB565 ? 0xF800 : f == Fmt::RGB555 ? 0x7C00 : 0xFF0000;
        EXPECT_EQ(ReadRaw(s, 2, 3), red);
        // And the other way: what a Lock writes, the device context reads.
        WriteRaw(s, 5, 5, f == Fmt::XRGB8888 ? 0x0000FF : 0x001F);
        ASSERT_EQ(s->GetDC(&dc), DD_OK);
        EXPECT_EQ(GetPixel(dc, 5, 5) & 0xFFFFFF, DWORD(RGB(0, 0, 255)));
        s->ReleaseDC(dc);
        s->Release();
    }
    dd->Release();
}

TEST(Soft3DPresent, BackBufferRectangleLandsAtTheViewsPlaceInTheWindow) {
    HWND main = MakeWindow("Soft3DMain", WS_POPUP | WS_VISIBLE, 30, 20, 200, 150, nullptr);
    HWND view = MakeWindow("Soft3DView", WS_CHILD | WS_VISIBLE, 40, 30, 100, 80, main);
    IDirectDraw* dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(view, DDSCL_NORMAL), DD_OK);
    DDSURFACEDESC d{};
    d.dwSize = sizeof d;
    d.dwFlags = DDSD_CAPS;
    d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&d, &primary, nullptr), DD_OK);
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, view), DD_OK);
    ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
    IDirectDrawSurface* back =
        MakeSurface(dd, 100, 80, Fmt::XRGB8888, DDSCAPS_OFFSCREENPLAIN | DDSCAPS_3DDEVICE);
    FillRaw(back, 0x102030);
    DDBLTFX fx{};
    fx.dwSize = sizeof fx;
    fx.dwFillColor = 0xFF8000;
    RECT clip{10, 5, 60, 45};  // the view's clip rectangle within the back buffer
    ASSERT_EQ(back->Blt(&clip, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    // Present the clip rectangle at the same place of the view window's client area.
    POINT origin{0, 0};
    ClientToScreen(view, &origin);
    RECT dst{origin.x + 10, origin.y + 5, origin.x + 60, origin.y + 45};
    ASSERT_EQ(primary->Blt(&dst, back, &clip, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(CapturedPixel(view, 10, 5), 0xFF8000u);
    EXPECT_EQ(CapturedPixel(view, 59, 44), 0xFF8000u);
    EXPECT_NE(CapturedPixel(view, 60, 44), 0xFF8000u);
    EXPECT_NE(CapturedPixel(view, 9, 5), 0xFF8000u);
    // The child window is a region of its parent: the frame shows there at its offset.
    EXPECT_EQ(CapturedPixel(main, 40 + 10, 30 + 5), 0xFF8000u);
    // Moving the window moves the presentation with it at the next present.
    SetWindowPos(main, nullptr, 70, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    origin = POINT{0, 0};
    ClientToScreen(view, &origin);
    fx.dwFillColor = 0x00FF00;
    ASSERT_EQ(back->Blt(&clip, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    dst = RECT{origin.x + 10, origin.y + 5, origin.x + 60, origin.y + 45};
    ASSERT_EQ(primary->Blt(&dst, back, &clip, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(CapturedPixel(view, 10, 5), 0x00FF00u);
    back->Release();
    clipper->Release();
    primary->Release();
    dd->Release();
    DestroyWindow(main);
}

TEST(Soft3DPresent, FullScreenFlipShowsTheBackBuffer) {
    HWND main = MakeWindow("Soft3DFull", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr);
    IDirectDraw* dd = nullptr;
    ASSERT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(main, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(640, 480, 16), DD_OK);
    IDirectDrawSurface *primary = nullptr, *back = nullptr;
    ASSERT_NO_FATAL_FAILURE(MakeFlippingPrimary(dd, &primary, &back));
    FillRaw(back, 0xF800);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(CapturedPixel(main, 5, 5), 0xFF0000u);
    EXPECT_EQ(CapturedPixel(main, 639, 479), 0xFF0000u);
    back->Release();
    primary->Release();
    EXPECT_EQ(dd->RestoreDisplayMode(), DD_OK);
    dd->Release();
    DestroyWindow(main);
}

}  // namespace
