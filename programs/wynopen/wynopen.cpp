// wynopen's frame: the window, its procedure, the timer and the frame-rate line, the waits,
// the movies and the prompt, and the attract loop in WinMain. The 3D scenes are in scenes.cpp.
#include "wynopen.h"

#include <cstdio>
#include <cstring>

#include <mmsystem.h>
#include <wynplat.h>

#include "standby_client.h"
#include "tov42.h"
#include "umb33.h"
#include "zem40.h"

namespace wynopen {

HWND hWND;
char cEXEDIR[256];
int iVXSIZE = 800, iVYSIZE = 600, iWXSIZE, iWYSIZE;
tagKRN* hKRN;
tagKRNL* hKRNL;
int bCLICK, bCLOSE, bEXIT, bEMUMODE = 1, bINFO = 1;
int iCOUNT = 1;
int iTIMEBASE, iTIMEOFS;

namespace {

constexpr char kClass[] = "Wynmoor２ Sarnet Corvessa";
constexpr char kTitle[] = "Wynmoor２ Sarnet Corvessa";
// Where the movies and the 3D view stand in the client area.
constexpr RECT kMovieRect{80, 60, 720, 540};
constexpr UINT_PTR kMovieTimer = 1;

int bTIMERMODE;
LARGE_INTEGER liFREQ, liTIMER;
DWORD dwTIMER;
// The prompt's 2D screen while it is shown; the window repaints it.
HZEMSCREEN g_prompt;
// WM_CLOSE's closing pumps messages (the stand-by start waits for its window): a second
// WM_CLOSE meanwhile must not close again.
bool g_closing;

// The window's icon and the hand cursor, as resources of the program.
const WynResource kResources[] = {
    {RT_GROUP_CURSOR, "handcursor", "hand", 4},
    {RT_GROUP_ICON, "dsktopicon", "", 0},
};
[[maybe_unused]] const int kResourcesAdded = WynPlat_AddResources(&kResources, kResources, 2);

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Kept for the main loop.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

}  // namespace

const StaffEntry iSTAFF[kStaffStrips + 1] = {
    {344, 304, 27000}, {0, 304, 31500},  {0, 16, 36000},    {344, 14, 40000},  {344, 296, 45500},
    {4, 300, 50000},   {4, 16, 54500},   {344, 304, 59000}, {340, 14, 63000},  {0, 304, 66500},
    {340, 284, 70500}, {16, 288, 74500}, {16, 292, 78500},  {316, 284, 79900}, {0, 0, 90000},
};

int StaffStripAt(int ms) {
    for (int k = 0; k < kStaffStrips; ++k)
        if (ms >= iSTAFF[k].from && ms < iSTAFF[k + 1].from) return k;
    return -1;
}

int IsClickKey(WPARAM vk) { return vk != VK_TAB && vk != VK_SHIFT && vk != VK_CONTROL; }

int FrameRate(int ms) { return 1000 / (ms > 0 ? ms : 1); }

void ResetState() {
    hWND = nullptr;
    hKRN = nullptr;
    hKRNL = nullptr;
    bCLICK = bCLOSE = bEXIT = 0;
    bEMUMODE = bINFO = 1;
    iCOUNT = 1;
    iTIMEBASE = iTIMEOFS = 0;
    g_prompt = nullptr;
    g_closing = false;
    DemoResetRandom();
}

void Task() {
    TOV_Task();
    PumpMessages();
    Sleep(10);
}

void Wait(int ms) {
    for (int i = 0; i < ms / 10; ++i) {
        PumpMessages();
        TOV_Task();
        Sleep(10);
    }
}

void TimerInit() { bTIMERMODE = QueryPerformanceFrequency(&liFREQ) && liFREQ.QuadPart > 0 ? 1 : 0; }

void TimerStart() {
    if (bTIMERMODE)
        QueryPerformanceCounter(&liTIMER);
    else
        dwTIMER = timeGetTime();
}

int TimerEnd(int flag) {
    if (flag && bINFO) {
        char line[128];
        std::snprintf(line, sizeof line,
                      "Korrin-3D が リアルタイムに描画中...FrameRate：%d(%d)    ",
                      FrameRate(iCOUNT), hKRN ? KRN_GetRenderCount(hKRN) : 0);
        DrawMessage(hWND, line);
    }
    int ms;
    if (bTIMERMODE) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        // 64-bit: a 32-bit product of the counter difference overflows within seconds.
        ms = static_cast<int>((now.QuadPart - liTIMER.QuadPart) * 1000 / liFREQ.QuadPart);
    } else {
        ms = static_cast<int>(timeGetTime() - dwTIMER);
    }
    iCOUNT = ms;
    return ms;
}

void DrawMessage(HWND, const char* text) {
    // The launcher's own window, whatever window is passed.
    HDC dc = GetDC(hWND);
    if (!dc) return;
    SetTextColor(dc, RGB(128, 128, 128));
    SetBkColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, OPAQUE);
    RECT r{340, 560, 800, 580};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DrawTextA(dc, text, -1, &r, DT_SINGLELINE | DT_LEFT | DT_VCENTER);
    ReleaseDC(hWND, dc);
}

void PlayAVI(const char* file) {
    bCLICK = 0;
    if (TOV_AviPlay(hWND, &kMovieRect, file, 1)) {
        // The movie's end notice (or a key, a click, a close) wakes the wait; a timer wakes it
        // too, so that a notice the wait missed holds it no longer than a tenth of a second.
        SetTimer(hWND, kMovieTimer, 100, nullptr);
        while (TOV_AviStatus() && !bCLICK && !bCLOSE) {
            MSG msg;
            if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_QUIT) {
                    PostQuitMessage(static_cast<int>(msg.wParam));
                    bCLOSE = 1;
                    break;
                }
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
                continue;
            }
            WaitMessage();
        }
        KillTimer(hWND, kMovieTimer);
        if (TOV_AviStatus()) TOV_AviStop();
    }
    Wait(100);
}

namespace {

// Waits up to `ms` for a key, a click or a close, keeping the window and the sound alive.
void PromptWait(int ms) {
    TimerStart();
    while (!bCLICK && !bCLOSE && TimerEnd(0) < ms) Task();
}

}  // namespace

void KeyWait() {
    g_prompt = ZEM_Start(ZEM_START_DEPTH16, hWND, iVXSIZE, iVYSIZE, iVXSIZE * 2, iVYSIZE);
    if (!g_prompt) return;
    tagCELL cell{};
    const bool picture = UMBDLL_ReadUMB("demo\\wait.umz", &cell) != 0;
    const RECT page{0, 0, iVXSIZE, iVYSIZE};
    const RECT frame1{0, 600, 800, 660}, frame2{0, 660, 800, 720};
    if (picture) ZEM_DisplayScreen(g_prompt, 0, 0, &cell, &page, ZEM_NOKEY);
    bCLICK = 0;
    for (int round = 0; round < 5 && !bCLICK; ++round) {
        if (picture) ZEM_DisplayScreen(g_prompt, 0, 380, &cell, &frame1, ZEM_NOKEY);
        PromptWait(1000);
        if (picture) ZEM_DisplayScreen(g_prompt, 0, 380, &cell, &frame2, ZEM_NOKEY);
        PromptWait(1000);
    }
    // The fade: the prompt kept on page 1, blended onto a black page 0 at falling levels.
    ZEM_MoveScreen(g_prompt, iVXSIZE, 0, &page);
    const RECT kept{iVXSIZE, 0, iVXSIZE * 2, iVYSIZE};
    for (int i = 0; i <= 16; ++i) {
        ZEM_ClearClipping(g_prompt);
        ZEM_ClearScreen(g_prompt, &page, 0);
        ZEM_BlendScreen(g_prompt, 0, 0, &kept, 16 - i);
        ZEM_RecordClipping(g_prompt, &page);
        ZEM_RefreshClipping(g_prompt);
        Task();
    }
    if (picture) ZEM_DeleteCell(&cell);
    HZEMSCREEN scr = g_prompt;
    g_prompt = nullptr;
    ZEM_End(scr);
}

LRESULT CALLBACK WndProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(h, &ps);
            if (hKRNL && hKRN) KRN_Refresh(hKRN, 0, dc);
            if (g_prompt) ZEM_RefreshScreen(g_prompt, dc, nullptr);
            EndPaint(h, &ps);
            return 0;
        }
        case WM_WINDOWPOSCHANGING:
            if (auto* pos = reinterpret_cast<WINDOWPOS*>(lParam)) {
                pos->cx = iWXSIZE;
                pos->cy = iWYSIZE;
            }
            return 0;
        case WM_KEYDOWN:
            if (IsClickKey(wParam)) bCLICK = 1;
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            bCLICK = 1;
            return 0;
        case WM_CLOSE:
            bCLOSE = 1;
            if (bEXIT && !g_closing) {
                g_closing = true;
                if (bCLICK) StandBy_Start("vsk33.exe", "");
                ShowWindow(h, SW_HIDE);
                TOV_End();
                DestroyWindow(h);
            }
            return 0;
        case WM_DESTROY:
            TOV_End();
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(h, message, wParam, lParam);
    }
}

}  // namespace wynopen

using namespace wynopen;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    ResetState();
    if (HWND other = FindWindowA(kClass, nullptr)) {
        if (IsIconic(other))
            OpenIcon(other);
        else
            BringWindowToTop(other);
        return -1;
    }
    GetModuleFileNameA(nullptr, cEXEDIR, sizeof cEXEDIR);
    if (char* cut = std::strrchr(cEXEDIR, '\\')) *cut = 0;

    WNDCLASSA wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "dsktopicon");
    wc.hCursor = LoadCursorA(instance, "handcursor");
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);

    const int frameX = GetSystemMetrics(SM_CXDLGFRAME), frameY = GetSystemMetrics(SM_CYDLGFRAME);
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    iWXSIZE = iVXSIZE + 2 * frameX;
    iWYSIZE = iVYSIZE + 2 * frameY + caption;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - iVXSIZE) / 2 - frameX;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - iVYSIZE) / 2 - frameY - caption;
    hWND = CreateWindowExA(0, kClass, kTitle, WS_MINIMIZE | WS_CLIPCHILDREN | WS_SYSMENU, x, y,
                           iWXSIZE, iWYSIZE, nullptr, nullptr, instance, nullptr);
    if (!hWND) {
        UnregisterClassA(kClass, instance);
        return 0;
    }
    SetWindowPos(hWND, HWND_TOPMOST, 0, 0, iWXSIZE, iWYSIZE, SWP_NOMOVE);
    ShowWindow(hWND, show);
    UpdateWindow(hWND);
    BringWindowToTop(hWND);

    if (!TOV_Start(hWND)) {
        DestroyWindow(hWND);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        UnregisterClassA(kClass, instance);
        return 0;
    }
    TimerInit();
    InitRndom(1);

    for (;;) {
        PlayAVI("movie\\halvorstine.avi");
        if (bCLOSE) break;
        if (!bCLICK) {
            PlayAVI("movie\\brennholt.avi");
            if (bCLOSE) break;
        }
        Logo();
        if (bCLOSE) break;
        if (!bEMUMODE) {
            MessageBoxA(hWND,
                        "現在お使いのコンピュータあるいは設定では3D表示ができません。\n"
                        "ご使用の環境をご確認ください。",
                        "ハードウェアの問題", MB_OK | MB_ICONWARNING);
        } else if (!bCLICK) {
            DrawMessage(hWND, "　　　　　　　　　　　　　　データの読み込み中...");
            InitRndom(0);
            Demo();
        }
        // A close ends the loop at once.
        if (bCLOSE) break;
        Wait(2000);
        KeyWait();
        if (bCLOSE || bCLICK) break;
        Wait(1000);
    }
    // Only a key or click at the prompt hands over; a close never does.
    if (bCLOSE) bCLICK = 0;
    bEXIT = 1;
    PostMessageA(hWND, WM_CLOSE, 0, 0);

    MSG msg{};
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0 && got != -1) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (bCLICK) StandBy_Send();
    UnregisterClassA(kClass, instance);
    return static_cast<int>(msg.wParam);
}
