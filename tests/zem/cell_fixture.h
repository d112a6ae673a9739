// What the 2D display's tests and the game's screen tests draw with: a window to show a screen
// in, cells over pixels the test owns, a background picture whose every pixel tells where it
// is, and a window pixel read back as the 16-bit pixel it showed.
#pragma once

#include <cstdint>
#include <vector>

#include "wynplat.h"
#include "zem40.h"

// A visible window of `w` x `h` without a frame.
inline HWND MakeTestWindow(int w, int h) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.lpszClassName = "ZemTestWindow";
        RegisterClassA(&wc);
        registered = true;
    }
    return CreateWindowExA(0, "ZemTestWindow", "zem", WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr,
                           nullptr, nullptr, nullptr);
}

// A cell over pixels the test owns; as a sprite's picture, one frame of the whole cell.
struct TestCell {
    std::vector<ZEMPIXEL> px;
    tagCELL cell{};
    TestCell(int w, int h, ZEMPIXEL fill = 0, LONG mask = CELL_MASK_NONE)
        : px(size_t(w) * h, fill) {
        cell.mode = CELL_MODE_NORMAL;
        cell.xsize = w;
        cell.ysize = h;
        cell.xpos = w;
        cell.ypos = h;
        cell.mask = mask;
        cell.bits = px.data();
    }
    ZEMPIXEL& at(int x, int y) { return px[size_t(y) * cell.xsize + x]; }
};

// A window pixel (0x00RRGGBB) back as the 16-bit pixel it showed: the top five bits of each
// channel, whichever way the window widened the screen's channels to eight bits.
inline ZEMPIXEL FromWindow(uint32_t rgb) {
    return UMB_MakePixel((rgb >> 19) & 31, (rgb >> 11) & 31, (rgb >> 3) & 31);
}

// The background picture: every pixel tells where it is.
inline ZEMPIXEL BackgroundAt(int x, int y) {
    return UMB_MakePixel(x % 31, y % 31, 1 + (x + y) % 29);
}
