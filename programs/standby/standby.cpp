// standby: the small topmost window that covers the change from one program of the set to the
// next. It shows its picture until STANDBY_RUN arrives, then dims the picture, launches the
// program named on its command line, waits until that program has a window, and leaves.
#include "standby.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

#include "standby_client.h"

namespace standby {

CommandSplit SplitCommand(const char* line) {
    size_t cut = StandBy_CommandCut(line);
    CommandSplit s;
    s.program.assign(line, cut);
    s.arguments.assign(line + cut);
    if (!s.program.empty() && !std::strchr(line, '.')) s.program += ".exe";
    return s;
}

}  // namespace standby

namespace {

char g_command[STANDBY_LINE_MAX + 1];
HBITMAP g_bitmap;
int g_pictureW, g_pictureH;
int g_windowW, g_windowH;
HWND g_window;
HWND g_processWindow;
// Set while RunExec waits: a second STANDBY_RUN then must not launch the program again.
bool g_launching;
// A STANDBY_RUN was handled.
bool g_launched;
// The window closed itself before any STANDBY_RUN: it is hidden, but still takes the
// STANDBY_RUN that hands over, and leaves after it.
bool g_retired;

int CheckLanguage() { return StandBy_IsJapanese(); }

// Posted by the watch below while a wait is over; nothing else sends it.
constexpr UINT kWakeMessage = WM_APP + 0x86;

struct Watch {
    HWND window = nullptr;
    std::atomic<DWORD> since{0};  // the start, then the end of the last hand-over
    int stop[2] = {-1, -1};       // a pipe: a byte in it ends the watch at once
    pthread_t thread{};
    bool running = false;
};
Watch g_watch;

// Whether a wait of the window is over: kHandOverWaitMs since its start or, once it has handed
// over, since the end of the hand-over.
bool WaitOver() { return GetTickCount() - g_watch.since.load() >= standby::kHandOverWaitMs; }

// The window looks at the time only when a message arrives, and a hidden one gets none: this
// watch looks at the process clock every 50 ms of real time and, while a wait is over, wakes
// the message loop. A timer would set a deadline on the clock, which on the virtual clock
// moves time on at once while the window waits for another program.
void* WatchClock(void*) {
    pollfd p{g_watch.stop[0], POLLIN, 0};
    for (;;) {
        const int r = poll(&p, 1, 50);
        if (r > 0 || (r < 0 && errno != EINTR)) return nullptr;
        if (WaitOver()) PostMessageA(g_watch.window, kWakeMessage, 0, 0);
    }
}

void StartWatch(HWND window, DWORD t0) {
    g_watch.window = window;
    g_watch.since = t0;
    g_watch.running = pipe2(g_watch.stop, O_CLOEXEC) == 0 &&
                      pthread_create(&g_watch.thread, nullptr, WatchClock, nullptr) == 0;
}

void StopWatch() {
    if (g_watch.running) {
        const char byte = 1;
        while (write(g_watch.stop[1], &byte, 1) < 0 && errno == EINTR) {}
        pthread_join(g_watch.thread, nullptr);
        g_watch.running = false;
    }
    for (int& fd : g_watch.stop) {
        if (fd >= 0) close(fd);
        fd = -1;
    }
}

// Set once the quit message was seen inside RunExec's wait.
bool g_quit;
int g_quitCode;

void Task() {
    // The quit message (a WM_CLOSE served during RunExec's wait) is kept for the main loop,
    // which would otherwise never end.
    if (g_quit) return;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            g_quit = true;
            g_quitCode = static_cast<int>(msg.wParam);
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

BOOL CALLBACK EnumThreadWndProc(HWND h, LPARAM) {
    if (g_processWindow) return TRUE;
    g_processWindow = h;
    return FALSE;
}

BOOL RunExec(const char* line) {
    standby::CommandSplit s = standby::SplitCommand(line);
    if (s.program.empty()) return FALSE;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWDEFAULT;
    PROCESS_INFORMATION pi{};
    std::string arguments = s.arguments;
    BOOL ok = CreateProcessA(s.program.c_str(), arguments.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &si, &pi);
    if (!ok) return FALSE;
    // Bounded, so that a program that never opens a window (or waits for the sender of
    // STANDBY_RUN to go first) cannot hold the stand-by window and its sender for ever. The
    // wait sleeps on the started process, so it ends early when that program ends.
    g_launching = true;
    DWORD t0 = GetTickCount();
    for (;;) {
        EnumThreadWindows(pi.dwThreadId, EnumThreadWndProc, 0);
        if (g_processWindow) break;
        Task();
        if (GetTickCount() - t0 >= standby::kLaunchWaitMs) break;
        if (WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0) break;
    }
    g_launching = false;
    if (g_quit) {
        g_quit = false;
        PostQuitMessage(g_quitCode);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return ok;
}

void Dim() {
    HDC mem = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(mem, g_bitmap);
    for (int y = 0; y < g_pictureH; ++y)
        for (int x = y % 2; x < g_pictureW; x += 2) SetPixelV(mem, x, y, RGB(0, 0, 0));
    SelectObject(mem, old);
    DeleteDC(mem);
}

bool IsRun(UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_COMMAND && wParam == STANDBY_RUN_ID && lParam == STANDBY_RUN_ID;
}

void PaintBlack(HWND h) {
    HDC dc = GetDC(h);
    RECT r{0, 0, g_pictureW, g_pictureH};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    ReleaseDC(h, dc);
}

LRESULT CALLBACK WndProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            HDC mem = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(mem, g_bitmap);
            BitBlt(dc, 0, 0, g_pictureW, g_pictureH, mem, 0, 0, SRCCOPY);
            SelectObject(mem, old);
            DeleteDC(mem);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_WINDOWPOSCHANGING: {
            if (auto* pos = reinterpret_cast<WINDOWPOS*>(lParam)) {
                pos->cx = g_windowW;
                pos->cy = g_windowH;
            }
            return 0;
        }
        case WM_CLOSE:
            PaintBlack(h);
            DestroyWindow(h);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_COMMAND:
            if (!IsRun(message, wParam, lParam) || g_launching) return 0;
            g_launched = true;
            Dim();
            if (g_command[0]) RunExec(g_command);
            g_watch.since = GetTickCount();  // the wait for a close starts now
            InvalidateRect(h, nullptr, FALSE);
            UpdateWindow(h);
            if (g_retired) DestroyWindow(h);
            return 0;
        default:
            return DefWindowProcA(h, message, wParam, lParam);
    }
}

// The self-close at the first message after kSelfCloseMs. Before any STANDBY_RUN the window
// only hides: a STANDBY_RUN that comes later (the script host posts it when it exits) must
// still hand over.
void SelfClose() {
    if (g_launched) {
        SendMessageA(g_window, WM_CLOSE, 0, 0);
        return;
    }
    g_retired = true;
    PaintBlack(g_window);
    ShowWindow(g_window, SW_HIDE);
}

void ReportTooLong() {
    if (CheckLanguage())
        MessageBoxA(nullptr, "スタンバイのコマンドラインが長すぎます。", "standby",
                    MB_OK | MB_ICONSTOP);
    else
        MessageBoxA(nullptr, "The stand-by command line is too long.", "standby",
                    MB_OK | MB_ICONSTOP);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int show) {
    if (FindWindowA(STANDBY_CLASS, nullptr)) return -1;
    g_bitmap = nullptr;
    g_window = g_processWindow = nullptr;
    g_launching = g_launched = g_retired = g_quit = false;
    // A longer line cut short would launch some other command.
    if (std::strlen(cmdLine) > STANDBY_LINE_MAX) {
        ReportTooLong();
        return 0;
    }
    std::strcpy(g_command, cmdLine);

    WNDCLASSA wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "dsktopicon");
    wc.hCursor = LoadCursorA(nullptr, IDC_WAIT);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = STANDBY_CLASS;
    RegisterClassA(&wc);

    g_bitmap = static_cast<HBITMAP>(LoadImageA(nullptr, "standby.bmp", IMAGE_BITMAP, 0, 0,
                                               LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!g_bitmap) {
        UnregisterClassA(STANDBY_CLASS, instance);
        return 0;
    }
    BITMAP bm{};
    GetObjectA(g_bitmap, sizeof bm, &bm);
    g_pictureW = bm.bmWidth;
    g_pictureH = bm.bmHeight;

    const char* title = CheckLanguage() ? "しばらくお待ちください " : "Please wait for a while.";
    int frameX = GetSystemMetrics(SM_CXDLGFRAME), frameY = GetSystemMetrics(SM_CYDLGFRAME);
    int caption = GetSystemMetrics(SM_CYCAPTION);
    g_windowW = g_pictureW + 2 * frameX;
    g_windowH = g_pictureH + 2 * frameY + caption;
    int x = (GetSystemMetrics(SM_CXSCREEN) - g_pictureW) / 2 - frameX;
    int y = (GetSystemMetrics(SM_CYSCREEN) - g_pictureH) / 2 - frameY - caption;
    g_window = CreateWindowExA(0, STANDBY_CLASS, title, WS_MINIMIZE | WS_CLIPCHILDREN | WS_SYSMENU,
                               x, y, g_windowW, g_windowH, nullptr, nullptr, instance, nullptr);
    if (!g_window) {
        DeleteObject(g_bitmap);
        UnregisterClassA(STANDBY_CLASS, instance);
        return 0;
    }
    SetWindowPos(g_window, HWND_TOPMOST, 0, 0, g_windowW, g_windowH, SWP_NOMOVE);
    ShowWindow(g_window, show);
    UpdateWindow(g_window);

    DWORD t0 = GetTickCount();
    StartWatch(g_window, t0);
    bool selfClosed = false;
    MSG msg{};
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0 && got != -1) {
        // A wake from before the last hand-over: its wait is not over.
        if (msg.hwnd == g_window && msg.message == kWakeMessage && !WaitOver()) continue;
        // No timer: the time is looked at only when a message arrives. A STANDBY_RUN that
        // arrives late is handled before the window closes, so the hand-over still happens.
        bool run = msg.hwnd == g_window && IsRun(msg.message, msg.wParam, msg.lParam);
        bool late = !selfClosed && GetTickCount() - t0 > standby::kSelfCloseMs;
        if (late && !run) {
            selfClosed = true;
            SelfClose();
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (late && run && IsWindow(g_window)) {
            selfClosed = true;
            SelfClose();
        }
        // The hand-over never came within its wait: nothing is left to cover.
        if (!g_launched && !g_launching && IsWindow(g_window) &&
            GetTickCount() - t0 >= standby::kHandOverWaitMs)
            DestroyWindow(g_window);
    }
    StopWatch();
    DeleteObject(g_bitmap);
    g_bitmap = nullptr;
    UnregisterClassA(STANDBY_CLASS, instance);
    if (g_processWindow) SetForegroundWindow(g_processWindow);
    return static_cast<int>(msg.wParam);
}
