// LoadImageA's bitmap build on arbitrary bytes: a BMP resource of this program is read into a
// DIB section, which must then describe its pixels exactly and be drawn from within bounds.
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include <windows.h>
#include <wynplat.h>

namespace {

// The resource's bytes are each input's: the table stays registered, its entry is refilled.
WynResource g_table[] = {{RT_BITMAP, "FUZZ", nullptr, 0}};
const int g_registered = WynPlat_AddResources(g_table, g_table, 1);

// Pictures up to this many pixels are drawn whole; larger ones at their corners only.
constexpr long long kDrawWhole = 1 << 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (!g_registered) __builtin_trap();
    g_table[0].data = data;
    g_table[0].size = size;
    HBITMAP bmp = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), "FUZZ", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    g_table[0].data = nullptr;
    g_table[0].size = 0;
    if (!bmp) return 0;
    BITMAP bm{};
    if (GetObjectA(bmp, sizeof bm, &bm) != static_cast<int>(sizeof bm) || bm.bmWidth <= 0 ||
        bm.bmHeight <= 0 || !bm.bmBits)
        __builtin_trap();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    int w = bm.bmWidth, h = bm.bmHeight;
    if (static_cast<long long>(w) * h <= kDrawWhole) {
        // Every pixel through the colour table or masks, into a 32-bit section.
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP to = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HDC todc = CreateCompatibleDC(nullptr);
        HGDIOBJ told = SelectObject(todc, to);
        BitBlt(todc, 0, 0, w, h, dc, 0, 0, SRCCOPY);
        SelectObject(todc, told);
        DeleteDC(todc);
        DeleteObject(to);
    } else {
        for (int y : {0, h - 1})
            for (int x : {0, w - 1}) GetPixel(dc, x, y);
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
    return 0;
}
