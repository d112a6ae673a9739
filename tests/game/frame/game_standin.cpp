// The script host's window for the game's tests: a top-level window of class "Veskeran33" that
// stays until the file named on the command line exists.
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR line, int) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "Veskeran33";
    RegisterClassA(&wc);
    HWND h = CreateWindowExA(0, "Veskeran33", "script host", WS_POPUP, 0, 0, 64, 64, nullptr,
                             nullptr, instance, nullptr);
    // Real time, whatever the inherited clock: the test releases the window when it is ready.
    for (int i = 0; i < 60000 && access(line, F_OK) != 0; ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        usleep(10000);
    }
    DestroyWindow(h);
    return 0;
}
