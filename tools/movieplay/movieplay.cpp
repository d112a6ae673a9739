// movieplay: plays a movie through the sound library into a rectangle of a window of its own.
//   movieplay [file] [milliseconds]
// The file defaults to sound\movie24.avi. With a time the window closes after that long on
// the process clock, in the middle of the movie if it lasts longer (its last picture is what
// a screenshot at exit shows); else it closes when the movie ends.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "tov42.h"

namespace {

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int show) {
    std::string file = "sound\\movie24.avi";
    long ms = 0;
    if (cmdLine && *cmdLine) {
        std::string args = cmdLine;
        const size_t space = args.find(' ');
        file = args.substr(0, space);
        if (space != std::string::npos) ms = std::atol(args.c_str() + space + 1);
    }

    WNDCLASSA wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = "MOVIEPLAY";
    RegisterClassA(&wc);
    RECT frame{0, 0, 320, 240};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND hwnd = CreateWindowExA(0, "MOVIEPLAY", "movieplay", WS_OVERLAPPEDWINDOW, 0, 0,
                                frame.right - frame.left, frame.bottom - frame.top, nullptr,
                                nullptr, instance, nullptr);
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);

    if (!TOV_Start(hwnd)) return 1;
    RECT area{40, 30, 280, 210};
    if (!TOV_AviPlay(hwnd, &area, file.c_str(), 1)) {
        TOV_End();
        return 2;
    }
    const DWORD start = GetTickCount();
    MSG msg;
    bool quit = false;
    while (!quit && TOV_AviStatus() != 0 && (ms <= 0 || long(GetTickCount() - start) < ms)) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) quit = true;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        TOV_Task();
        Sleep(10);
    }
    // The window goes first, so that its last picture is the movie's.
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    TOV_End();
    return 0;
}
