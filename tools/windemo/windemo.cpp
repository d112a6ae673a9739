// A small window program on the platform layer: it opens a window, draws a picture it makes
// itself and Japanese text, and reacts to keys and clicks (a marker where the user clicked,
// the last key in the status line; Escape closes it).
#include <windows.h>

#include <cstdio>

namespace {

constexpr int kWidth = 320, kHeight = 240;
constexpr int kPicW = 64, kPicH = 48;

HBITMAP g_picture;
POINT g_click{-1, -1};
int g_lastKey = 0;
char g_status[64] = "クリックかキーをどうぞ";

// A 5-6-5 picture: a red-to-blue gradient with a green frame.
void MakePicture() {
    struct {
        BITMAPINFOHEADER h;
        DWORD masks[3];
    } bi{};
    bi.h.biSize = sizeof(BITMAPINFOHEADER);
    bi.h.biWidth = kPicW;
    bi.h.biHeight = -kPicH;
    bi.h.biPlanes = 1;
    bi.h.biBitCount = 16;
    bi.h.biCompression = BI_BITFIELDS;
    bi.masks[0] = 0xF800;
    bi.masks[1] = 0x07E0;
    bi.masks[2] = 0x001F;
    void* bits = nullptr;
    g_picture = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits,
                                 nullptr, 0);
    if (!g_picture) return;
    auto* px = static_cast<WORD*>(bits);
    for (int y = 0; y < kPicH; ++y)
        for (int x = 0; x < kPicW; ++x) {
            bool frame = x < 2 || y < 2 || x >= kPicW - 2 || y >= kPicH - 2;
            int r = 31 - x * 31 / (kPicW - 1), b = x * 31 / (kPicW - 1);
            px[y * kPicW + x] = frame ? 0x07E0 : static_cast<WORD>((r << 11) | ((y / 2) << 5) | b);
        }
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH back = CreateSolidBrush(RGB(16, 32, 64));
    FillRect(dc, &client, back);
    DeleteObject(back);

    HDC mem = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(mem, g_picture);
    BitBlt(dc, 16, 16, kPicW, kPicH, mem, 0, 0, SRCCOPY);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 96, 16, kPicW * 2, kPicH * 2, mem, 0, 0, kPicW, kPicH, SRCCOPY);
    SelectObject(mem, old);
    DeleteDC(mem);

    HFONT font =
        CreateFontA(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, "ＭＳ ゴシック");
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 0));
    RECT title{0, 128, kWidth, 160};
    DrawTextA(dc, "管制塔へようこそ Wyn Tower", -1, &title, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT status{8, 200, kWidth - 8, 232};
    DrawTextA(dc, g_status, -1, &status, DT_SINGLELINE | DT_LEFT | DT_VCENTER);
    SelectObject(dc, oldFont);
    DeleteObject(font);

    if (g_click.x >= 0) {
        RECT mark{g_click.x - 3, g_click.y - 3, g_click.x + 4, g_click.y + 4};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(dc, &mark, red);
        DeleteObject(red);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_LBUTTONDOWN:
            g_click.x = static_cast<short>(LOWORD(lParam));
            g_click.y = static_cast<short>(HIWORD(lParam));
            wsprintfA(g_status, "クリック: %d, %d", static_cast<int>(g_click.x),
                      static_cast<int>(g_click.y));
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                PostMessageA(hwnd, WM_CLOSE, 0, 0);
                return 0;
            }
            g_lastKey = static_cast<int>(wParam);
            wsprintfA(g_status, "キー: 0x%02X", g_lastKey);
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    MakePicture();
    WNDCLASSA wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "WynWindowDemo";
    if (!RegisterClassA(&wc)) return 1;
    RECT r{0, 0, kWidth, kHeight};
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&r, style, FALSE);
    HWND hwnd =
        CreateWindowExA(0, wc.lpszClassName, "窓のデモ windemo", style, 64, 64, r.right - r.left,
                        r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    DeleteObject(g_picture);
    return static_cast<int>(msg.wParam);
}
