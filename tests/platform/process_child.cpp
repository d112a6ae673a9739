// The program the process tests start: it writes what it was given into the runtime folder
// (child-<pid>.txt) and ends with the code its arguments ask for ("exit=N"); "wait" keeps it
// running until it is terminated. With "window" it first shows a window for a second of its
// clock, taking the keys it is given (the replay's), and reports them too ("keys=").
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <windows.h>

namespace {

std::string g_keys;

LRESULT CALLBACK WindowProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    switch (m) {
        case WM_KEYDOWN:
            g_keys += std::to_string(w) + " ";
            return 0;
        case WM_TIMER:
            DestroyWindow(h);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(h, m, w, l);
    }
}

void ShowWindowForASecond(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_HIGHLIGHT + 1));
    wc.lpszClassName = "PlatChild";
    RegisterClassA(&wc);
    HWND h = CreateWindowExA(0, "PlatChild", "plat_child", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             64, 48, nullptr, nullptr, instance, nullptr);
    SetTimer(h, 1, 1000, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
    if (strstr(cmdLine, "window")) ShowWindowForASecond(instance);
    const char* dir = getenv("WYN_RUNTIME_DIR");
    std::string path = std::string(dir ? dir : "/tmp") + "/child-" +
                       std::to_string(GetCurrentProcessId()) + ".txt";
    std::string tmp = path + ".part";
    FILE* f = fopen(tmp.c_str(), "wb");
    if (f) {
        char cwd[1024] = {};
        GetCurrentDirectoryA(sizeof cwd, cwd);
        fprintf(f, "line=[%s]\ncmd=[%s]\ncwd=[%s]\ntid=%u\nkeys=[%s]\n", GetCommandLineA(), cmdLine,
                cwd, static_cast<unsigned>(GetCurrentThreadId()), g_keys.c_str());
        fclose(f);
        rename(tmp.c_str(), path.c_str());  // the test sees the whole file or none
    }
    if (strstr(cmdLine, "wait")) {
        for (;;) pause();
    }
    const char* exitArg = strstr(cmdLine, "exit=");
    return exitArg ? atoi(exitArg + 5) : 0;
}
