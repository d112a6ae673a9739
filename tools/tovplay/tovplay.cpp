// tovplay: plays a mix of the sample waves through the sound library in a window of its own
// for a few seconds (the command line may name the seconds, default 3), then ends.
#include <windows.h>
#include <mmsystem.h>

#include <cstdlib>

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
    int seconds = cmdLine && *cmdLine ? std::atoi(cmdLine) : 3;
    if (seconds <= 0) seconds = 3;

    WNDCLASSA wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.lpszClassName = "TOVPLAY";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowExA(0, "TOVPLAY", "tovplay", WS_OVERLAPPEDWINDOW, 0, 0, 320, 200,
                                nullptr, nullptr, instance, nullptr);
    ShowWindow(hwnd, show);

    if (!TOV_Start(hwnd)) return 1;
    tagTOVWAVE beep{}, siren{}, engine{}, theme{};
    if (!TOV_WaveRead("sound\\beep.wav", &beep) || !TOV_WaveRead("sound\\siren.wav", &siren) ||
        !TOV_WaveRead("sound\\engine.wav", &engine) || !TOV_WaveRead("sound\\theme.rvg", &theme)) {
        TOV_End();
        return 2;
    }
    TOV_WaveSetLocalVol(1, 10);
    TOV_WavePlay(0, &beep, 3, 0);
    TOV_WavePlay(1, &siren, -1, 0);
    TOV_WavePlay(2, &engine, 1, 0);
    TOV_WavePlay(3, &theme, 2, 0);

    const DWORD start = timeGetTime();
    bool skipped = false;
    MSG msg;
    for (;;) {
        const DWORD now = timeGetTime() - start;
        if (now >= DWORD(seconds) * 1000) break;
        if (!skipped && now >= DWORD(seconds) * 500) {
            TOV_WaveSkip(2, 2);  // the engine winds down
            TOV_WaveFadeOut(1, 1000);
            skipped = true;
        }
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else {
            TOV_Task();
            Sleep(5);
        }
    }
    TOV_WaveStop(-1);
    TOV_WaveFree(&beep);
    TOV_WaveFree(&siren);
    TOV_WaveFree(&engine);
    TOV_WaveFree(&theme);
    TOV_End();
    DestroyWindow(hwnd);
    return 0;
}
