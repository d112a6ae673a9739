// Presentation, device contexts and display modes through the platform's window layer.
#include "soft3d/present.h"

#include <cstring>

#include "backend/backend.h"
#include "user/user.h"

namespace soft3d {

int DesktopWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int DesktopHeight() { return GetSystemMetrics(SM_CYSCREEN); }

int DesktopBitsPerPixel() {
    HDC screen = GetDC(nullptr);
    const int bpp = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    return bpp > 0 ? bpp : 16;
}

HBITMAP CreateSurfaceBitmap(int width, int height, Format format, uint8_t** bits, int* pitch) {
    struct {
        BITMAPINFOHEADER header;
        DWORD masks[3];
    } info;
    std::memset(&info, 0, sizeof info);
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = width;
    info.header.biHeight = -height;  // top-down, like surface memory
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(BytesPerPixel(format) * 8);
    info.header.biCompression = BI_BITFIELDS;
    switch (format) {
        case Format::RGB565:
            info.masks[0] = 0xF800;
            info.masks[1] = 0x07E0;
            info.masks[2] = 0x001F;
            break;
        case Format::RGB555:
            info.masks[0] = 0x7C00;
            info.masks[1] = 0x03E0;
            info.masks[2] = 0x001F;
            break;
        case Format::XRGB8888:
            info.masks[0] = 0xFF0000;
            info.masks[1] = 0xFF00;
            info.masks[2] = 0xFF;
            break;
    }
    void* p = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info),
                                      DIB_RGB_COLORS, &p, nullptr, 0);
    if (!bitmap || !p) return nullptr;
    *bits = static_cast<uint8_t*>(p);
    *pitch = ((width * BytesPerPixel(format) * 8 + 31) / 32) * 4;
    return bitmap;
}

void DeleteSurfaceBitmap(HBITMAP bitmap) {
    if (bitmap) DeleteObject(bitmap);
}

HDC OpenSurfaceDC(HBITMAP bitmap) {
    if (!bitmap) return nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return nullptr;
    if (!SelectObject(dc, bitmap)) {
        DeleteDC(dc);
        return nullptr;
    }
    return dc;
}

void CloseSurfaceDC(HDC dc) {
    if (dc) DeleteDC(dc);
}

void SetScreenMode(int width, int height, int bpp) {
    if (width <= 0) {
        ChangeDisplaySettingsA(nullptr, 0);
        return;
    }
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bpp);
    ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN);
}

void PresentSurface(HWND window, HBITMAP bitmap, HDC openDC, const RECT& src, POINT dst,
                    bool dstIsClient) {
    if (!window || !IsWindow(window)) return;
    POINT origin{0, 0};
    if (!dstIsClient) ClientToScreen(window, &origin);
    HDC source = openDC ? openDC : OpenSurfaceDC(bitmap);
    if (!source) return;
    HDC target = GetDC(window);
    if (target) {
        const int x = dst.x - origin.x, y = dst.y - origin.y;
        // Only the copied rectangle reaches the display, not the whole window.
        const wynplat::DirtyPartScope part(
            window, RECT{x, y, x + (src.right - src.left), y + (src.bottom - src.top)});
        BitBlt(target, x, y, src.right - src.left, src.bottom - src.top, source, src.left, src.top,
               SRCCOPY);
        ReleaseDC(window, target);
    }
    if (!openDC) CloseSurfaceDC(source);
}

// The one step below the public functions: no Windows call waits for the display's refresh.
void WaitForDisplayRefresh() { wynplat::GetDisplay().WaitForRefresh(); }

}  // namespace soft3d
