// Presentation and device contexts through the platform's window layer.
#include "soft3d/present.h"

namespace soft3d {

int DesktopWidth() { return 1024; }
int DesktopHeight() { return 768; }
int DesktopBitsPerPixel() { return 16; }

HDC OpenSurfaceDC(uint8_t*, int, int, int, Format) { return nullptr; }
void CloseSurfaceDC(HDC) {}

void PresentImage(HWND, HWND, const Image&, const RECT&, const RECT&) {}

}  // namespace soft3d
