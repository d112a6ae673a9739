// The drawing layer's records: bitmaps (DIB sections), brushes, pens, fonts and device
// contexts, and the pixel access every drawing function goes through.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include <windows.h>

#include "user/user.h"

namespace wynplat {

struct Dib {
    int w = 0, h = 0, bpp = 32;
    bool topDown = true;
    int stride = 0;
    std::unique_ptr<uint8_t[]> mem;
    bool bitfields = false;
    uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};  // red, green, blue
    RGBQUAD pal[256] = {};
    int palCount = 0;
};

struct FontFace;  // text.cpp

struct GdiObject {
    DWORD type = 0;  // OBJ_BITMAP, OBJ_BRUSH, OBJ_PEN, OBJ_FONT
    bool stock = false;
    COLORREF color = 0;
    UINT style = 0;
    int width = 1;
    std::shared_ptr<Dib> dib;
    LOGFONTA font{};
    HDC selectedIn = nullptr;  // a bitmap is in at most one memory DC
};

struct Dc {
    HDC handle = nullptr;
    bool memory = false;
    HWND hwnd = nullptr;  // window DC; null with !memory: the screen
    bool owned = false;   // a CS_OWNDC window's lasting DC
    HGDIOBJ bitmap = nullptr, brush = nullptr, pen = nullptr, font = nullptr;
    COLORREF text = 0, bk = 0xFFFFFF;
    int bkMode = OPAQUE;
    int extra = 0;
    POINT pos{0, 0};
    int stretchMode = BLACKONWHITE;
    UINT align = 0;
    int codePage = 0;  // 0: from the font's charset
};

// Where a DC draws: its pixels and their format. A window's pixels stay locked for the
// life of the record.
struct PixelTarget {
    uint8_t* bits = nullptr;
    int w = 0, h = 0;
    int stride = 0;
    bool topDown = true;
    int bpp = 32;
    uint32_t masks[3] = {0xFF0000, 0xFF00, 0xFF};
    const RGBQUAD* pal = nullptr;
    int palCount = 0;
    std::shared_ptr<Dib> keepDib;
    std::shared_ptr<Window> keepWindow;
    std::unique_lock<std::recursive_mutex> lock;
    HWND hwnd = nullptr;

    bool Valid() const { return bits && w > 0 && h > 0; }
    uint8_t* Row(int y) const {
        return bits + static_cast<size_t>(topDown ? y : h - 1 - y) * stride;
    }
    uint32_t GetRaw(int x, int y) const;
    void PutRaw(int x, int y, uint32_t raw) const;
    COLORREF Decode(uint32_t raw) const;
    uint32_t Encode(COLORREF c) const;
    bool SameFormat(const PixelTarget& o) const;
};

std::mutex& GdiLock();
std::shared_ptr<Dc> FindDc(HDC dc);
std::shared_ptr<GdiObject> FindObject(HGDIOBJ h);
// The drawing target of a DC; invalid (no bits) for the screen DC or a gone window.
bool AcquireTarget(const Dc& dc, PixelTarget* t);
// The colour of a brush handle (stock, created, or a system colour index + 1); false for a
// hollow brush or an unknown handle.
bool BrushColour(HBRUSH b, COLORREF* c);
// The colour of system colour `index` (sys_colors.cpp); false for an index there is not.
bool SysColour(int index, COLORREF* c);
// A solid brush the system owns: DeleteObject leaves it.
HBRUSH CreateSystemBrush(COLORREF c);
// Makes a DIB section record from a header, masks and palette (bits zeroed).
std::shared_ptr<Dib> MakeDib(int w, int h, int bpp, bool topDown, const uint32_t* masks,
                             const RGBQUAD* pal, int palCount);
HBITMAP RegisterBitmap(std::shared_ptr<Dib> dib);
void FillTarget(const PixelTarget& t, RECT r, COLORREF c);

}  // namespace wynplat
