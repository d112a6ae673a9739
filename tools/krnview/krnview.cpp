// krnview [layer file]: shows a layer file (the sample scene model\scene01.plm when none is
// given) through the 3D engine and its drivers in a 640 x 480 window. The arrow keys and a
// drag with the left mouse button turn the camera; PageUp and PageDown move it along its
// view; Escape or closing the window ends the program.
#include <windows.h>

#include <cmath>
#include <cstring>

#include "krn.h"
#include "krnlayer.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;
constexpr DWORD kSky = 0x00E0B080;  // 0x00BBGGRR

tagKRN* g_krn = nullptr;
tagKRNL* g_master = nullptr;
double g_yaw = 0.0, g_pitch = 6.0;  // a positive pitch looks down
tagKRN3D g_eye{40.0, 60.0, -800.0, 0.0};
bool g_dragging = false;
POINT g_last{0, 0};

void Turn(double yaw, double pitch) {
    g_yaw = KRN_Range360(g_yaw + yaw);
    g_pitch += pitch;
    if (g_pitch > 89.0) g_pitch = 89.0;
    if (g_pitch < -89.0) g_pitch = -89.0;
}

void Move(double step) {
    const double rad = g_yaw * 3.14159265358979323846 / 180.0;
    g_eye.x += step * std::sin(rad);
    g_eye.z += step * std::cos(rad);
}

void Frame() {
    if (!g_krn) return;
    KRNL_CalcLayerEx(g_master, 0);
    tagKRN3D rot{g_pitch, g_yaw, 0.0, 0.0}, scale{1.0, 1.0, 1.0, 0.0};
    KRN_Camera(g_krn, 0, &g_eye, &rot, &scale, 35.0, 1.0);
    if (KRN_Rendering(g_krn, 0, 0, kSky)) KRN_Flip(g_krn, 0);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_KEYDOWN:
            switch (wParam) {
                case VK_LEFT:
                    Turn(-5.0, 0.0);
                    break;
                case VK_RIGHT:
                    Turn(5.0, 0.0);
                    break;
                case VK_UP:
                    Turn(0.0, -5.0);
                    break;
                case VK_DOWN:
                    Turn(0.0, 5.0);
                    break;
                case VK_PRIOR:
                    Move(100.0);
                    break;
                case VK_NEXT:
                    Move(-100.0);
                    break;
                case VK_ESCAPE:
                    DestroyWindow(hwnd);
                    break;
                default:
                    break;
            }
            return 0;
        case WM_LBUTTONDOWN:
            g_dragging = true;
            g_last = POINT{(short)LOWORD(lParam), (short)HIWORD(lParam)};
            SetCapture(hwnd);
            return 0;
        case WM_MOUSEMOVE:
            if (g_dragging) {
                const POINT p{(short)LOWORD(lParam), (short)HIWORD(lParam)};
                Turn((p.x - g_last.x) * 0.5, (p.y - g_last.y) * 0.5);
                g_last = p;
            }
            return 0;
        case WM_LBUTTONUP:
            g_dragging = false;
            ReleaseCapture();
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (g_krn) KRN_Refresh(g_krn, 0, dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int show) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "KrnView";
    if (!RegisterClassA(&wc)) return 1;
    RECT r{0, 0, kWidth, kHeight};
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    AdjustWindowRect(&r, style, FALSE);
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "krnview", style, 32, 32, r.right - r.left,
                                r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);

    g_krn = KRN_Start(hwnd, 20000);
    if (!g_krn) return 1;
    RECT view{0, 0, kWidth, kHeight};
    if (!KRN_ViewPort(g_krn, 0, hwnd, &view)) {
        KRN_End(g_krn);
        return 1;
    }
    g_master = KRNL_Start(g_krn);
    const char* path = cmdLine && *cmdLine ? cmdLine : "model\\scene01.plm";
    if (!g_master || !KRNL_LoadLayer(g_master, path, 0)) {
        MessageBoxA(hwnd, path, "krnview", MB_OK | MB_ICONWARNING);
        if (g_master) KRNL_End(g_master);
        KRN_End(g_krn);
        return 1;
    }
    tagKRN3D sun{-0.4, -1.0, 0.6, 0.0};
    KRN_Light(g_krn, 0, 1, nullptr, nullptr, 0x505050, 0.0);
    KRN_Light(g_krn, 1, 2, nullptr, &sun, 0xC0C0C0, 0.0);
    KRN_SetDistance(g_krn, 9000.0, 5000.0, 9000.0);

    MSG msg{};
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            continue;
        }
        Frame();
        Sleep(15);
    }
    KRNL_End(g_master);
    KRN_End(g_krn);
    return static_cast<int>(msg.wParam);
}
