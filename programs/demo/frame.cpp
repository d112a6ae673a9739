// The demo window and the program's life: command line, window set-up, the scene, the
// self-close and the hand-back through the stand-by window.
#include <mmsystem.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "demo.h"
#include "demo_internal.h"
#include "nxlib.h"
#include "standby_client.h"
#include "wynplat.h"

namespace {

DemoGlobals g_state;
const DemoProgram* g_program = nullptr;
// Set once the self-close has begun: the stand-by start inside it pumps messages, and a second
// WM_CLOSE meanwhile must not start a second stand-by window or destroy the window again.
int g_closing = 0;

FILE* g_trace = nullptr;
bool g_traceOpened = false;

const char kIconResource[] = "";
const char kHandCursor[] = "hand";
const WynResource kResources[] = {
    {RT_GROUP_ICON, "dsktopicon", kIconResource, 0},
    {RT_GROUP_CURSOR, "handcursor", kHandCursor, 4},
};

void RegisterResources() {
    static const int registered = WynPlat_AddResources(&kResources, kResources, 2);
    (void)registered;
}

DemoKind Kind() { return g_program ? g_program->kind : DEMO_KIND_A; }

void Paint(HWND hwnd) {
    DemoGlobals& g = g_state;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    // Only the screens that exist: the window paints before a scene's set-up and after its end.
    if (Kind() == DEMO_KIND_C && g.hZEM) ZEM_RefreshScreen(g.hZEM, dc, nullptr);
    if (g.hKRNL && g.hKRN) KRN_Refresh(g.hKRN, 0, dc);
    if (Kind() == DEMO_KIND_B && g.hZEM) ZEM_RefreshScreen(g.hZEM, dc, nullptr);
    EndPaint(hwnd, &ps);
}

void Close(HWND hwnd) {
    DemoGlobals& g = g_state;
    g.bCLOSE = 1;
    if (!g.bEXIT || g_closing) return;
    g_closing = 1;
    char program[DEMO_COMMAND_MAX + 1], arguments[DEMO_COMMAND_MAX + 1];
    if (g.bCLICK && DemoHandBack(g.cCOMMAND, program, arguments)) {
        const int started = StandBy_Start(program, arguments);
        DemoTrace("handback %d [%s] [%s]", started, program, arguments);
    }
    ShowWindow(hwnd, SW_HIDE);
    TOV_End();
    DestroyWindow(hwnd);
}

}  // namespace

DemoGlobals& DemoState() { return g_state; }

void DemoResetState() {
    g_state = DemoGlobals{};
    g_program = nullptr;
    g_closing = 0;
}

const DemoProgram* DemoRunningProgram() { return g_program; }

void DemoTrace(const char* format, ...) {
    if (!g_traceOpened) {
        g_traceOpened = true;
        if (const char* path = std::getenv("WYN_DEMO_TRACE"); path && path[0])
            g_trace = std::fopen(path, "a");
    }
    if (!g_trace) return;
    va_list args;
    va_start(args, format);
    std::vfprintf(g_trace, format, args);
    va_end(args);
    std::fputc('\n', g_trace);
    std::fflush(g_trace);
}

int CheckLanguage() { return GetUserDefaultLangID() == 1041 ? 1 : 0; }

void DrawMessage(HWND, const char* text) {
    HWND w = g_state.hWND;
    if (!w) return;
    HDC dc = GetDC(w);
    SetTextColor(dc, RGB(0x80, 0x80, 0x80));
    SetBkColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, OPAQUE);
    RECT r{340, 560, 800, 580};
    DrawTextA(dc, text, -1, &r, DT_SINGLELINE);
    ReleaseDC(w, dc);
}

void DemoFrameRateText(int count, int chips, char* out, size_t cap) {
    // A frame measured at 0 ms counts as 1 ms.
    const int rate = 1000 / (count > 0 ? count : 1);
    if (CheckLanguage())
        std::snprintf(out, cap, "Korrin-3D が リアルタイムに描画中...FrameRate : %2d(%4d)    ",
                      rate, chips);
    else
        std::snprintf(out, cap, "    Korrin-3D Real Time Rendering...FrameRate : %2d(%4d)    ",
                      rate, chips);
}

void TimerInit() {
    LARGE_INTEGER f{};
    g_state.bTIMERMODE = QueryPerformanceFrequency(&f) && f.QuadPart > 0 ? 1 : 0;
    g_state.liFREQ = g_state.bTIMERMODE ? f.QuadPart : 0;
}

void TimerStart() {
    if (g_state.bTIMERMODE) {
        LARGE_INTEGER c{};
        QueryPerformanceCounter(&c);
        g_state.liTIMER = c.QuadPart;
    } else {
        g_state.dwTIMER = timeGetTime();
    }
}

int TimerEnd(int flag) {
    DemoGlobals& g = g_state;
    if (flag && g.bINFO) {
        char line[128];
        const int chips = g.hKRN ? KRN_GetRenderCount(g.hKRN) : 0;
        DemoFrameRateText(g.iCOUNT, chips, line, sizeof line);
        DrawMessage(g.hWND, line);
        DemoTrace("info %d %d", 1000 / (g.iCOUNT > 0 ? g.iCOUNT : 1), chips);
    }
    if (g.bTIMERMODE) {
        LARGE_INTEGER c{};
        QueryPerformanceCounter(&c);
        g.iCOUNT = static_cast<int>((c.QuadPart - g.liTIMER) * 1000 / g.liFREQ);
    } else {
        g.iCOUNT = static_cast<int>(timeGetTime() - g.dwTIMER);
    }
    return g.iCOUNT;
}

void Wait(int ms) {
    for (int i = 0; i < ms / 10; ++i) {
        NXL_WIN_SystemTask();
        TOV_Task();
        Sleep(10);
    }
}

void Task() {
    TOV_Task();
    NXL_WIN_SystemTask();
    Sleep(10);
}

void DemoRender(int caption, int x, int y, RECT* src) {
    DemoGlobals& g = g_state;
    if (g.hKRNL && g.hKRN) {
        KRNL_CalcLayerEx(g.hKRNL, 0);
        KRN_Rendering(g.hKRN, 0, 0, g.cBACKGROUND | 0x40000000);
        if (caption && g.bCAPTION) KRN_PutScreen(g.hKRN, 0, x, y, &g.ceSTAFF, src);
        KRN_Flip(g.hKRN, 0);
    }
    Task();
}

void Render() { DemoRender(!g_state.bEMUMODE && g_state.iTIMEBASE > 0, 20, 380, nullptr); }

int DemoViewRect(const char* emulation, RECT* r) {
    // Exactly "hard", with case: the engine draws through the accelerator.
    if (emulation && std::strcmp(emulation, "hard") == 0) {
        *r = RECT{80, 60, 720, 540};
        return 0;
    }
    *r = RECT{80, 60, 320, 220};
    return 1;
}

void MakeAutoViewPort() {
    DemoGlobals& g = g_state;
    char ini[MAX_PATH * 2] = {};
    KRN_GetProFileName(ini);
    char mode[16] = {};
    GetPrivateProfileStringA("MODE", "EMULATION", "hard", mode, sizeof mode, ini);
    RECT r;
    g.bEMUMODE = DemoViewRect(mode, &r);
    KRN_ViewPort(g.hKRN, 0, g.hWND, &r);
    DemoTrace("view %d %d %d %d %d", g.bEMUMODE, r.left, r.top, r.right, r.bottom);
}

int DemoSceneStart(int chips, const char* caption) {
    DemoGlobals& g = g_state;
    g.hKRN = KRN_Start(g.hWND, chips);
    if (g.hKRN) g.hKRNL = KRNL_Start(g.hKRN);
    if (!g.hKRNL) {
        // Without an engine or a master layer nothing of the scene can be drawn: it ends at
        // once and the program hands back as after a scene.
        DemoTrace("engine 0");
        if (g.hKRN) KRN_End(g.hKRN);
        g.hKRN = nullptr;
        return 0;
    }
    DemoTrace("engine 1 %d", chips);
    std::memset(&g.ceSTAFF, 0, sizeof g.ceSTAFF);
    g.bCAPTION = caption && KRN_ReadCell(&g.ceSTAFF, caption) ? 1 : 0;
    DemoTrace("caption %d", g.bCAPTION);
    g.iTIMEBASE = 0;
    MakeAutoViewPort();
    return 1;
}

void DemoCamera(double viewlimit) {
    DemoGlobals& g = g_state;
    KRN_Camera(g.hKRN, 0, &g.cmVIEW, &g.cmROTATE, &g.cmSCALE, g.cmZOOM, viewlimit);
}

void DemoLights(DWORD ambient, DWORD directional) {
    DemoGlobals& g = g_state;
    tagKRN3D zero{0, 0, 0, 0};
    KRN_Light(g.hKRN, 0, 1, &zero, &zero, ambient, 0);
    KRN_Light(g.hKRN, 1, 2, &zero, &g.ltDIR, directional, 0);
}

DWORD DemoColour(double r, double g, double b) {
    auto channel = [](double v) -> DWORD {
        const long n = std::lround(v);
        return static_cast<DWORD>(n < 0 ? 0 : n > 255 ? 255 : n);
    };
    return channel(b) * 65536 + channel(g) * 256 + channel(r);
}

void DemoSceneGo(const char* music) {
    DemoGlobals& g = g_state;
    g.bCLICK = 0;
    POINT p{767, 567};
    ClientToScreen(g.hWND, &p);
    SetCursorPos(p.x, p.y);
    std::memset(&g.wvMUSIC, 0, sizeof g.wvMUSIC);
    if (music && TOV_WaveRead(music, &g.wvMUSIC) && g.bSOUND) TOV_WavePlay(0, &g.wvMUSIC, 1, 0);
}

int DemoRunning() { return !g_state.bCLICK && !g_state.bCLOSE; }

int DemoSegment(int length, const std::function<void(int t)>& frame) {
    int t = 0, frames = 0;
    while (t < length && DemoRunning()) {
        TimerStart();
        frame(t);
        t += TimerEnd(1) + 1;
        ++frames;
    }
    const int ran = t >= length;
    DemoTrace("segment %d t %d frames %d %s", length, t, frames, ran ? "ran" : "stopped");
    return ran;
}

void DemoSceneEnd() {
    DemoGlobals& g = g_state;
    TOV_WaveStop(0);
    if (g.wvMUSIC.data) TOV_WaveFree(&g.wvMUSIC);
    if (g.bCAPTION) KRN_DeleteCell(&g.ceSTAFF);
    g.bCAPTION = 0;
    g.iTIMEBASE = 0;
    if (g.hKRNL) KRNL_End(g.hKRNL);
    g.hKRNL = nullptr;
    if (g.hKRN) KRN_End(g.hKRN);
    g.hKRN = nullptr;
}

tagKRNL* DemoLayer(const char* name) {
    return g_state.hKRNL ? KRNL_SearchLayer(g_state.hKRNL, name) : nullptr;
}

void DemoShow(const char* name, int on) {
    if (tagKRNL* l = DemoLayer(name)) KRNL_RecallFunction(KRNLOP_SWITCH, l, 0, on, 0);
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DemoGlobals& g = g_state;
    switch (message) {
        case WM_CREATE:
            g.bSOUND = TOV_Start(hwnd) ? 1 : 0;
            return 0;
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_CLOSE:
            Close(hwnd);
            return 0;
        case WM_DESTROY:
            TOV_End();
            PostQuitMessage(0);
            return 0;
        case WM_WINDOWPOSCHANGING:
            if (auto* pos = reinterpret_cast<WINDOWPOS*>(lParam)) {
                pos->cx = g.iWXSIZE;
                pos->cy = g.iWYSIZE;
            }
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            g.bCLICK = 1;
            if (Kind() == DEMO_KIND_C) g.bBUTTON = 1;
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            if (Kind() != DEMO_KIND_C) break;
            g.bBUTTON = 0;
            return 0;
        default:
            break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int DemoMain(const DemoProgram& program, HINSTANCE instance, const char* cmdline, int show) {
    DemoGlobals& g = g_state;
    g_program = &program;
    g_closing = 0;
    RegisterResources();
    const DemoCommand command = DemoParseCommand(cmdline);
    std::memcpy(g.cCOMMAND, command.command, sizeof g.cCOMMAND);
    if (program.kind == DEMO_KIND_C) {
        char path[256] = {};
        GetModuleFileNameA(nullptr, path, sizeof path);
        char* cut = std::strrchr(path, '\\');
        if (cut) *cut = '\0';
        std::snprintf(g.cEXEDIR, sizeof g.cEXEDIR, "%s", path);
        const std::string ini = std::string(g.cEXEDIR) + "\\wyndemoc.ini";
        std::snprintf(g.cINI, sizeof g.cINI, "%s", ini.c_str());
    }

    const char* title = CheckLanguage() ? program.titlejapanese : program.titleother;
    if (HWND other = FindWindowA(program.classname, nullptr)) {
        if (IsIconic(other))
            OpenIcon(other);
        else
            BringWindowToTop(other);
        return -1;
    }

    g.hINSTANCE = instance;
    WNDCLASSA wc{};
    wc.lpfnWndProc = WndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, "dsktopicon");
    wc.hCursor = LoadCursorA(instance, "handcursor");
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = program.classname;
    RegisterClassA(&wc);
    g.iVXSIZE = DEMO_VIEW_WIDTH;
    g.iVYSIZE = DEMO_VIEW_HEIGHT;
    const int fx = GetSystemMetrics(SM_CXFIXEDFRAME), fy = GetSystemMetrics(SM_CYFIXEDFRAME);
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    g.iWXSIZE = DEMO_VIEW_WIDTH + 2 * fx;
    g.iWYSIZE = DEMO_VIEW_HEIGHT + 2 * fy + caption;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - DEMO_VIEW_WIDTH) / 2 - fx;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - DEMO_VIEW_HEIGHT) / 2 - fy - caption;
    g.hWND =
        CreateWindowExA(0, program.classname, title, WS_MINIMIZE | WS_CLIPCHILDREN | WS_SYSMENU, x,
                        y, g.iWXSIZE, g.iWYSIZE, nullptr, nullptr, instance, nullptr);
    if (!g.hWND) {
        UnregisterClassA(program.classname, instance);
        return 0;
    }
    ShowWindow(g.hWND, show);
    UpdateWindow(g.hWND);
    if (program.kind == DEMO_KIND_C) {
        SetWindowPos(g.hWND, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        BringWindowToTop(g.hWND);
    }
    StandBy_End();
    if (program.kind != DEMO_KIND_C) InitRndom(1);
    TimerInit();
    if (program.kind == DEMO_KIND_A) {
        if (CheckLanguage())
            DrawMessage(g.hWND, "　　　　　　　　　　　　　　データの読み込み中...");
        else
            DrawMessage(g.hWND, "                              Now Data Loading...");
    }

    DemoTrace("start [%s] scene %c", cmdline ? cmdline : "", command.scene ? command.scene : '-');
    if (program.scene) program.scene(command.scene);
    DemoTrace("scene end click %d close %d", g.bCLICK, g.bCLOSE);

    // A scene that ran out, or that a click stopped, hands back; one that the close box
    // stopped hands back only when a click came first.
    if (!g.bCLOSE) g.bCLICK = 1;
    Wait(1000);
    g.bEXIT = 1;
    PostMessageA(g.hWND, WM_CLOSE, 0, 0);
    MSG msg{};
    BOOL got;
    while ((got = GetMessageA(&msg, nullptr, 0, 0)) != 0 && got != -1) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    if (g.bCLICK && g.cCOMMAND[0]) DemoTrace("send %d", StandBy_Send());
    UnregisterClassA(program.classname, instance);
    return static_cast<int>(msg.wParam);
}
