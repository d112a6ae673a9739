// Colour conversions between ZEMPIXELs and Windows colours.
#include "zem40.h"

ZEMAPI COLORREF ZEM_PixelToColor(ZEMPIXEL pixel) {
    const int r = UMB_Channel5To8(UMB_PixelRed(pixel));
    const int g = UMB_Channel5To8(UMB_PixelGreen(pixel));
    const int b = UMB_Channel5To8(UMB_PixelBlue(pixel));
    return RGB(r, g, b);
}

ZEMAPI ZEMPIXEL ZEM_ColorToPixel(COLORREF color) {
    return UMB_MakePixel(GetRValue(color) * 31 / 255, GetGValue(color) * 31 / 255,
                         GetBValue(color) * 31 / 255);
}

ZEMAPI ZEMPIXEL ZEM_MixPixel(ZEMPIXEL a, ZEMPIXEL b, int per) {
    per = per < 0 ? 0 : per > 100 ? 100 : per;
    auto mix = [per](int x, int y) { return (x * (100 - per) + y * per) / 100; };
    const ZEMPIXEL c = UMB_MakePixel(mix(UMB_PixelRed(a), UMB_PixelRed(b)),
                                     mix(UMB_PixelGreen(a), UMB_PixelGreen(b)),
                                     mix(UMB_PixelBlue(a), UMB_PixelBlue(b)));
    return static_cast<ZEMPIXEL>(c | (a & ZEMPIXEL_HALF));
}
