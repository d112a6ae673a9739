// A stand-in for the script host in the launcher's hand-over tests. It appends a line to
// vsk33.txt in the runtime folder: its exact command line in brackets and whether a window of
// the launcher's class still stands ("launcher 1") or not ("launcher 0"); then it shows a
// window of class "LauncherTestHost" for half a second of real time and ends.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    const char* dir = std::getenv("WYN_RUNTIME_DIR");
    const std::string notes = std::string(dir ? dir : ".") + "/vsk33.txt";
    const bool launcher = FindWindowA("Wynmoor２ Sarnet Corvessa", nullptr) != nullptr;
    if (FILE* f = std::fopen(notes.c_str(), "a")) {
        std::fprintf(f, "[%s] launcher %d\n", GetCommandLineA(), launcher ? 1 : 0);
        std::fclose(f);
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = instance;
    wc.lpszClassName = "LauncherTestHost";
    RegisterClassA(&wc);
    HWND h = CreateWindowExA(0, "LauncherTestHost", "host", WS_OVERLAPPEDWINDOW, 40, 40, 160, 120,
                             nullptr, nullptr, instance, nullptr);
    ShowWindow(h, show);
    UpdateWindow(h);
    for (int i = 0; i < 50; ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        usleep(10000);
    }
    DestroyWindow(h);
    return 0;
}
