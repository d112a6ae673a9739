// Where the software renderer meets the platform's windows and GDI: the desktop's size and
// depth, surface memory as DIB sections (so that a surface has a device context), the display
// mode, and presentation of a surface's pixels into a window.
#pragma once

#include "soft3d/raster.h"
#include "windows.h"

namespace soft3d {

int DesktopWidth();
int DesktopHeight();
int DesktopBitsPerPixel();

// A top-down DIB section in `format` whose rows are `*pitch` bytes apart; NULL on failure.
HBITMAP CreateSurfaceBitmap(int width, int height, Format format, uint8_t** bits, int* pitch);
void DeleteSurfaceBitmap(HBITMAP bitmap);

// A memory device context with the surface's bitmap selected, or NULL.
HDC OpenSurfaceDC(HBITMAP bitmap);
void CloseSurfaceDC(HDC dc);

// Switches the screen to a full-screen mode, or back to the desktop (width 0).
void SetScreenMode(int width, int height, int bpp);

// Copies rectangle `src` of the surface (its bitmap, or its open device context) to `dst` in
// `window`: screen coordinates, or client coordinates with `dstIsClient`; the window's client
// area clips it.
void PresentSurface(HWND window, HBITMAP bitmap, HDC openDC, const RECT& src, POINT dst,
                    bool dstIsClient);

// Returns at the display's next refresh, as a flip told to wait does; at once headless.
void WaitForDisplayRefresh();

}  // namespace soft3d
