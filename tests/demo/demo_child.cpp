// A program that stands in for the one a demo hands back to (the script host "vsk33", or
// "wyndemoc"). It appends a line to child.txt in the runtime folder: its exact command line,
// its WinMain line and whether a demo window was still there when it started:
//   [<command line>] {<WinMain line>} demo <0|1>
// then opens a window of class "DemoTestChild", closes the stand-by window that launched it (as
// the script host does once it stands) and runs until it is closed, or until the stand-by
// window has been gone for a moment (bounded in real time, whatever clock it runs on).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <windows.h>

namespace {

LRESULT CALLBACK ChildProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

bool DemoWindow() {
    for (const char* cls : {"WYN2WYNDEMOA", "WYN2WYNDEMOB", "WYN2WYNDEMOC"})
        if (FindWindowA(cls, nullptr)) return true;
    return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR winMainLine, int) {
    unsetenv("WYN_SCREENSHOT");
    unsetenv("WYN_SCREENSHOT_EVERY");
    unsetenv("WYN_REPLAY");
    const char* dir = std::getenv("WYN_RUNTIME_DIR");
    const std::string notes = std::string(dir ? dir : ".") + "/child.txt";
    if (FILE* f = std::fopen(notes.c_str(), "a")) {
        std::fprintf(f, "[%s] {%s} demo %d\n", GetCommandLineA(), winMainLine,
                     DemoWindow() ? 1 : 0);
        std::fclose(f);
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = ChildProc;
    wc.hInstance = instance;
    wc.lpszClassName = "DemoTestChild";
    RegisterClassA(&wc);
    HWND h = CreateWindowExA(0, "DemoTestChild", "child", WS_OVERLAPPEDWINDOW, 0, 0, 160, 120,
                             nullptr, nullptr, instance, nullptr);
    ShowWindow(h, SW_SHOW);
    if (HWND standby = FindWindowA("STANDBY", nullptr)) PostMessageA(standby, WM_CLOSE, 0, 0);
    int goneFor = 0;
    for (int i = 0; i < 2500 && IsWindow(h); ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        goneFor = FindWindowA("STANDBY", nullptr) ? 0 : goneFor + 1;
        if (goneFor > 50) break;
        usleep(2000);
    }
    if (IsWindow(h)) DestroyWindow(h);
    return 0;
}
