// A program the stand-by window launches in its tests. It appends its exact command line to
// child.txt in the runtime folder (with WYN_CHILD_NOTES=winmain also its WinMain's), then either
// opens a window of class "StandbyTestChild" (a green client area, photographed to child.png in the
// runtime folder) and runs until it is closed, or, when its command line holds "nowin", never opens
// one and ends once the stand-by window is gone.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include <windows.h>
#include <wynplat.h>

namespace {

std::string RuntimeFile(const char* name) {
    const char* dir = std::getenv("WYN_RUNTIME_DIR");
    return std::string(dir ? dir : ".") + "/" + name;
}

LRESULT CALLBACK ChildProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    switch (m) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            RECT r;
            GetClientRect(h, &r);
            HBRUSH green = CreateSolidBrush(RGB(0, 200, 0));
            FillRect(dc, &r, green);
            DeleteObject(green);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(h, m, w, l);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR winMainLine, int show) {
    // The stand-by window's screenshot settings are not this program's.
    unsetenv("WYN_SCREENSHOT");
    unsetenv("WYN_SCREENSHOT_PAINT");
    const char* line = GetCommandLineA();
    if (FILE* f = std::fopen(RuntimeFile("child.txt").c_str(), "a")) {
        std::fprintf(f, "[%s]\n", line);
        // WYN_CHILD_NOTES=winmain: WinMain's own line too, in braces.
        if (const char* notes = std::getenv("WYN_CHILD_NOTES");
            notes && std::strstr(notes, "winmain"))
            std::fprintf(f, "{%s}\n", winMainLine);
        std::fclose(f);
    }
    if (std::strstr(line, "nowin")) {
        // Real time, whatever the inherited clock: this stands for a program busy elsewhere.
        for (int i = 0; i < 6000 && FindWindowA("STANDBY", nullptr); ++i) usleep(10000);
        return 0;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = ChildProc;
    wc.hInstance = instance;
    wc.lpszClassName = "StandbyTestChild";
    RegisterClassA(&wc);
    HWND h = CreateWindowExA(0, "StandbyTestChild", "child", WS_OVERLAPPEDWINDOW, 40, 40, 160, 120,
                             nullptr, nullptr, instance, nullptr);
    ShowWindow(h, show);
    UpdateWindow(h);
    WynPlat_SaveWindowPng(h, RuntimeFile("child.png").c_str());
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
