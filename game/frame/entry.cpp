// The game program's entry, its two windows and the main loop that drives the phase word.
#include <cstdio>
#include <cstdlib>

#include "frame/frame_internal.h"
#include "standby_client.h"
#include "tov42.h"
#include "wynplat.h"

namespace {

constexpr char kMainClass[] = "WYN2_MIRUTA2";
constexpr char kViewClass[] = "WYN2_3DNAME";

// The input words both windows store.
bool StoreInput(UINT msg, WPARAM wp, LPARAM lp) {
    GameInput& in = GetGameInput();
    const int32_t x = LOWORD(lp), y = HIWORD(lp);
    switch (msg) {
        case WM_KEYDOWN:
            in.keycode = static_cast<int32_t>(wp);
            return true;
        case WM_LBUTTONDOWN:
            in.lbutton = 3, in.lbx = x, in.lby = y;
            return true;
        case WM_LBUTTONUP:
            in.lbutton &= 1;
            return true;
        case WM_RBUTTONDOWN:
            in.rbutton = 3, in.rbx = x, in.rby = y;
            return true;
        case WM_RBUTTONUP:
            in.rbutton &= 1;
            return true;
        case WM_MBUTTONDOWN:
            in.mbutton = 3, in.mbx = x, in.mby = y;
            return true;
        case WM_MBUTTONUP:
            in.mbutton &= 1;
            return true;
        case WM_MOUSEWHEEL:
            in.wheel = static_cast<int16_t>(HIWORD(wp));
            return true;
        default:
            return false;
    }
}

// The close box: the window is never destroyed here; Yes ends the stage and the program.
void ConfirmClose(HWND hwnd) {
    PauseAllSounds(1);
    char caption[128];
    std::snprintf(caption, sizeof caption, "%sの確認", kGameTitle);
    if (MessageBoxA(hwnd, "終了しますか？", caption, MB_YESNO | MB_TASKMODAL) == IDYES) {
        Handles().quitbyuser = 1;
        SetGamePhase(GAMEPHASE_EXIT);
        return;
    }
    if (GetStageState() == STAGE_PLAY) PauseAllSounds(0);
    // The time spent in the box is no game time.
    ResetFrameClock();
}

int CheckSingleInstance() {
    HWND other = FindWindowA(kMainClass, nullptr);
    if (!other) return 0;
    SetForegroundWindow(other);
    return 1;
}

bool RegisterClasses(HINSTANCE instance) {
    WNDCLASSA wc{};
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hIcon = LoadIconA(instance, "TinyIcon");
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.hInstance = instance;
    wc.style = CS_BYTEALIGNWINDOW;
    wc.lpfnWndProc = WndProc;
    wc.lpszClassName = kMainClass;
    if (!RegisterClassA(&wc)) return false;
    wc.style = CS_BYTEALIGNWINDOW | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ViewWndProc;
    wc.lpszClassName = kViewClass;
    return RegisterClassA(&wc) != 0;
}

// WYN_GAME_FRAME_MS: on the virtual clock every frame lasts exactly that long.
void SetUpFrameStep() {
    const char* ms = std::getenv("WYN_GAME_FRAME_MS");
    if (!ms || !*ms || !WynPlat_IsVirtualClock()) return;
    const int n = std::atoi(ms);
    if (n <= 0) return;
    SetFrameStepMs(n);
    WynPlat_SetClockReadStep(0);
}

}  // namespace

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (StoreInput(msg, wp, lp)) return 0;
    switch (msg) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_PAINT: {
            HZEMSCREEN screen = GetMainScreen();
            if (!screen) break;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            ZEM_RefreshScreen(screen, dc, nullptr);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_CLOSE:
            ConfirmClose(hwnd);
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT CALLBACK ViewWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (StoreInput(msg, wp, lp)) return 0;
    switch (msg) {
        case WM_PAINT: {
            if (!GetMainScreen() || !GetEngine()) break;
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            KRN_Refresh(GetEngine(), 0, dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_CLOSE:
            // Closing the floating view would leave the engine drawing into a destroyed
            // window: it asks what the main window's close box asks.
            ConfirmClose(GetMainWindow());
            return 0;
        case WM_WINDOWPOSCHANGING: {
            auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
            if (GetGamePhaseWord() < 0x10000000u || !GetViewSeparate() || pos->cx == 0) break;
            // The client area stays four times as wide as high, at least 100 high.
            const SIZE frame = ViewFrameSize();
            SIZE outer;
            RECT client;
            if (!FitViewWindow(pos->cx, pos->cy, frame.cx, frame.cy, &outer, &client)) break;
            pos->cx = outer.cx;
            pos->cy = outer.cy;
            View().wantrect = client;
            if (!EqualRect(&client, &View().viewrect)) View().viewchanged = 1;
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

int PumpMessages() {
    int result = 1;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            result = 0;
            continue;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return result;
}

int MainStep() {
    MSG m;
    if (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) return 0;
        TranslateMessage(&m);
        DispatchMessageA(&m);
        return 1;
    }
    TOV_Task();
    switch (GetGamePhase()) {
        case GAMEPHASE_RESET:
            StageReset();
            SetGamePhase(GAMEPHASE_SETUP);
            break;
        case GAMEPHASE_SETUP:
            StageSetup();
            // An exit asked during set-up (a missing layer file, the close box) holds.
            if (GetGamePhase() == GAMEPHASE_SETUP) SetGamePhase(GAMEPHASE_RUNNING);
            break;
        case GAMEPHASE_RUNNING:
            FrameMain();
            break;
        case GAMEPHASE_EXIT:
            StageExit();
            SetGamePhase(GAMEPHASE_SHUTDOWN);
            break;
        case GAMEPHASE_SHUTDOWN:
            if (HasResourceFlag(RESOURCE_AIRPORT)) StageExit();
            Handles().running = 0;
            GameEnd();
            break;
        default:
            break;
    }
    return 1;
}

int GameMain(HINSTANCE instance, const char* cmdline) {
    FrameHandles& f = Handles();
    f.instance = instance;
    SetUpFrameStep();
    // The script host hands over through the stand-by window: wait until it has closed.
    while (FindWindowA("Veskeran33", nullptr)) {
        Sleep(0);
        MainStep();
    }
    if (!cmdline || !*cmdline) return 0;
    GetWord(cmdline, 0, f.airport, 8);
    GetWord(cmdline, 1, f.scenario, 16);
    if (CheckSingleInstance()) return 0;
    GetHomeDirectory();
    if (!RegisterClasses(instance)) return 0;

    const ScreenInfo& s = GetScreenInfo();
    if (s.fullscreen) {
        f.mainwnd = CreateWindowExA(0, kMainClass, kGameTitle, WS_POPUP | WS_VISIBLE, 0, 0, 800,
                                    600, nullptr, nullptr, instance, nullptr);
    } else {
        const int w = 804 + 2 * GetSystemMetrics(SM_CXBORDER);
        const int h = 604 + 2 * GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION);
        f.mainwnd = CreateWindowExA(
            0, kMainClass, kGameTitle, WS_POPUP | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU,
            (s.width - 800) / 2, (s.height - 600) / 2, w, h, nullptr, nullptr, instance, nullptr);
    }
    f.viewwnd = CreateWindowExA(0, kViewClass, "ビューウインドウ", WS_CHILD, 0, 0, 800, 600,
                                f.mainwnd, nullptr, instance, nullptr);

    if (GameInit()) {
        f.running = 1;
        while (f.running) MainStep();
    }
    DestroyWindow(f.mainwnd);
    f.mainwnd = nullptr;
    if (!f.quitbyuser) GameTrace("standby send %d", StandBy_Send(STANDBY_LOOK_ONCE));
    return 0;
}
