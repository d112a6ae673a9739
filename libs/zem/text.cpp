// Text into screens and cells through the platform's fonts.
#include <cstring>
#include <vector>

#include "internal.h"

namespace zem {

bool DrawTextRule(HDC dc, const RECT& rc, const char* face, int height, int width, const char* text,
                  COLORREF colour, int flags) {
    // A pointer value up to 0xFFFF is one character code; with bit 15 a two-byte character.
    char one[3] = {};
    const auto code = reinterpret_cast<uintptr_t>(text);
    if (code <= 0xFFFF) {
        if (code & 0x8000) {
            one[0] = char(code >> 8);
            one[1] = char(code);
        } else {
            one[0] = char(code);
        }
        text = one;
    }
    if (!face) face = Japanese() ? "ＭＳゴシック" : "FixedSys";
    HFONT font =
        CreateFontA(height, width, 0, 0, 400, (flags & ZEM_TEXT_ITALIC) ? 1 : 0,
                    (flags & ZEM_TEXT_UNDERLINE) ? 1 : 0, (flags & ZEM_TEXT_STRIKEOUT) ? 1 : 0,
                    SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                    FF_MODERN | DEFAULT_PITCH, face);
    if (!font) return false;
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    const int oldExtra = SetTextCharacterExtra(dc, flags & 0x0F);
    const int layout = flags & 0xF00;
    UINT format = DT_SINGLELINE | DT_VCENTER;
    if (layout == 0)
        format |= DT_CENTER;
    else if (layout == 0x200)
        format |= DT_RIGHT;
    else
        format |= DT_LEFT;  // 0x100, and 0x300 (justified: no break characters are counted)
    if (flags & ZEM_TEXT_BOLD) {
        RECT a = rc, b = rc;
        a.right -= 1;
        b.left += 1;
        DrawTextA(dc, text, -1, &a, format);
        DrawTextA(dc, text, -1, &b, format);
    } else {
        RECT a = rc;
        DrawTextA(dc, text, -1, &a, format);
    }
    SetTextCharacterExtra(dc, oldExtra);
    SelectObject(dc, oldFont);
    DeleteObject(font);
    return true;
}

}  // namespace zem

ZEMAPI int ZEM_SetFontCell(tagCELL* cell, const RECT* rc, const char* face, int height, int width,
                           const char* text, ZEMPIXEL pixel, int flags) {
    if (!cell || !cell->bits) return 0;
    RECT r = rc ? *rc : RECT{0, 0, cell->xsize, cell->ysize};
    if (!zem::Cut(r, RECT{0, 0, cell->xsize, cell->ysize})) return 0;
    const int w = r.right - r.left, h = r.bottom - r.top;
    // Draw white on black into a work picture of the rectangle's size; every lit pixel of it
    // puts the pixel value into the cell.
    HDC desktop = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(desktop);
    if (desktop) ReleaseDC(nullptr, desktop);
    if (!dc) return 0;
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp || !bits) {
        if (bmp) DeleteObject(bmp);
        DeleteDC(dc);
        return 0;
    }
    HGDIOBJ old = SelectObject(dc, bmp);
    std::memset(bits, 0, size_t(w) * h * 4);
    const RECT local{0, 0, w, h};
    const bool ok =
        zem::DrawTextRule(dc, local, face, height, width, text, RGB(255, 255, 255), flags);
    GdiFlush();
    if (ok) {
        const auto* px = static_cast<const uint32_t*>(bits);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (px[y * w + x] & 0xFFFFFF) ZEM_SetPixelCell(cell, r.left + x, r.top + y, pixel);
    }
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    return ok ? 1 : 0;
}
