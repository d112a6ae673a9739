// The script host's window for the game's tests: a top-level window of class "Veskeran33" that
// stays until the file named on the command line exists. It appends its WinMain command line to
// standin.txt of the runtime folder first, so that a test sees what the stand-by window started.
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR line, int) {
    const char* dir = std::getenv("WYN_RUNTIME_DIR");
    if (FILE* f = std::fopen((std::string(dir ? dir : ".") + "/standin.txt").c_str(), "a")) {
        std::fprintf(f, "[%s]\n", line);
        std::fclose(f);
    }
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
