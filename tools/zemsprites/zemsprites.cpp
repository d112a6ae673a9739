// Sprites moving over a picture in a window, through the 2D display library's dirty-rectangle
// refresh: the right half of the screen holds the clean picture, the left half is shown.
// "zemsprites [frames]": stops after that many frames (else on Escape or the close box).
#include <windows.h>

#include <cstdlib>

#include "zem40.h"

namespace {

constexpr int kW = 400, kH = 300;  // the window's client area and the sprite area
constexpr int kSize = 24;          // sprite frames are 24 x 24
constexpr int kSprites = 6;        // one per lane, lanes 48 rows apart
constexpr ZEMPIXEL kColours[kSprites] = {0x7FFF, 0x03FF, 0x7C1F, 0x4E7F, 0x2BFF, 0x7E5F};

HZEMSCREEN g_screen;
bool g_quit = false;

// The picture: red grows to the right, green downwards, blue stays 8 (the sprites' blue is
// 31, so the two never share a colour).
ZEMPIXEL PictureAt(int x, int y) { return UMB_MakePixel(x * 31 / (kW - 1), y * 31 / (kH - 1), 8); }

// Two frames side by side: a disc, and the same disc with its colours swapped between rim and
// middle; the corners are keyed.
bool MakeSheet(tagCELL* cell, ZEMPIXEL colour) {
    if (!ZEM_CreateCell(cell, 2 * kSize, kSize)) return false;
    cell->mask = 0;  // key: black
    const int c = kSize / 2;
    for (int f = 0; f < 2; ++f)
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                const int dx = 2 * x + 1 - kSize, dy = 2 * y + 1 - kSize;
                const int d2 = dx * dx + dy * dy;  // in half pixels
                ZEMPIXEL p = 0;
                if (d2 < kSize * kSize) {
                    const bool inner = d2 < (c * c);
                    p = (inner != (f == 1)) ? colour : ZEMPIXEL(0x001F);
                }
                ZEM_SetPixelCell(cell, f * kSize + x, y, p);
            }
    return true;
}

// Where sprite i stands at frame n: bouncing along its lane at its own speed.
int LaneX(int i, int n) {
    const int span = kW - kSize, p = (i * 37 + n * (3 + i)) % (2 * span);
    return p < span ? p : 2 * span - p;
}
int LaneY(int i) { return 10 + i * 48; }

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (g_screen) ZEM_RefreshScreen(g_screen, dc, nullptr);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) PostMessageA(hwnd, WM_CLOSE, 0, 0);
            return 0;
        case WM_DESTROY:
            g_quit = true;
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int show) {
    const int frames = cmdLine && *cmdLine ? std::atoi(cmdLine) : -1;
    WNDCLASSA wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "WynZemSprites";
    if (!RegisterClassA(&wc)) return 1;
    RECT r{0, 0, kW, kH};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&r, style, FALSE);
    HWND hwnd =
        CreateWindowExA(0, wc.lpszClassName, "スプライト zemsprites", style, 64, 64,
                        r.right - r.left, r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;

    g_screen = ZEM_Start(ZEM_START_DEPTH16, hwnd, kW, kH, 2 * kW, kH);
    if (!g_screen) return 1;
    // The picture goes into the right half, the clean background the sprites are restored from.
    ZEM_MaskFlag(g_screen, 0);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const RECT px{kW + x, y, kW + x + 1, y + 1};
            ZEM_ClearScreen(g_screen, &px, PictureAt(x, y));
        }
    ZEM_MaskFlag(g_screen, 1);
    const RECT area{0, 0, kW, kH}, background{kW, 0, 2 * kW, kH};
    ZEM_InitSprite(g_screen, &area, &background);
    tagCELL sheets[kSprites] = {};
    for (int i = 0; i < kSprites; ++i) {
        if (!MakeSheet(&sheets[i], kColours[i])) return 1;
        ZEM_CreateSprite(g_screen, i, &sheets[i], kSize, kSize);
        ZEM_SetSprite(g_screen, i, LaneX(i, 0), LaneY(i), i + 1, 0, -1);
    }
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    ZEM_RefreshAllSprite(g_screen);

    for (int n = 1; !g_quit && (frames < 0 || n <= frames); ++n) {
        ZEM_WaitStart(33);
        for (int i = 0; i < kSprites; ++i)
            ZEM_SetSprite(g_screen, i, LaneX(i, n), -1, -1, (n / 8) % 2, -1);
        ZEM_RefreshSprite(g_screen);
        while (!g_quit && !ZEM_WaitEnd()) {
            ZEM_SystemTask();
            Sleep(1);
        }
    }
    if (!g_quit) DestroyWindow(hwnd);
    ZEM_SystemTask();
    ZEM_End(g_screen);
    g_screen = nullptr;
    for (auto& c : sheets) ZEM_DeleteCell(&c);
    return 0;
}
