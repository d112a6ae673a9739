// Where the software renderer meets the platform's windows and GDI: the desktop's size and
// depth, device contexts on surface memory, and presentation of pixels into a window.
#pragma once

#include "soft3d/raster.h"
#include "windows.h"

namespace soft3d {

int DesktopWidth();
int DesktopHeight();
int DesktopBitsPerPixel();

// A device context that draws into `bits` (a surface's memory), or NULL.
HDC OpenSurfaceDC(uint8_t* bits, int width, int height, int pitch, Format format);
void CloseSurfaceDC(HDC dc);

// Shows rectangle `src` of `image` at `screenDst` (screen coordinates, same size) in the window
// the clipper names, else in the cooperative window; the window's client area clips it.
void PresentImage(HWND cooperativeWindow, HWND clipperWindow, const Image& image,
                  const RECT& src, const RECT& screenDst);

}  // namespace soft3d
