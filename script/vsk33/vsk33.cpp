// vsk33: the script host. It creates the system context, sets the system variables, reads
// the definition file, starts the start-up script "vsk" as task 0, and then pumps messages and
// serves the requests that script threads may not do themselves (windows, the sound library,
// video, key states). Its window procedure turns input into system variables, asks before the
// main screen closes, ends the tasks and answers the error boxes' questions. At exit it tells
// a waiting stand-by window to launch its program.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>

#include "tov42.h"
#include "vskcomp.h"
#include "vskexec.h"
#include "vskfile.h"
#include "vskval.h"
#include "zem33.h"

namespace {

constexpr int kVersion = 1171;
constexpr UINT kMsgTaskName = 0x5101;
constexpr UINT kMsgTaskLine = 0x5102;
constexpr UINT kMsgTaskNo = 0x5104;
constexpr WPARAM kStandbyRun = 8086;
constexpr int kCommandSlots = VSK_SYSTEM_SLOTS;
constexpr int kIgnoredCommand = 101;

tagVALUAREA* g_ctx = nullptr;
// The sound library was started for screen 0; it is ended once the values holding its waves
// are released, as the host exits.
bool g_sound = false;

tagVALUE* Sys(int slot) { return g_ctx->vbsystem.lpvalue + slot; }
uint64_t Word(int slot, int k) { return std::atomic_ref<uint64_t>(Sys(slot)->word[k]).load(); }
void SetWord(int slot, int k, uint64_t v) {
    std::atomic_ref<uint64_t>(Sys(slot)->word[k]).store(v);
}
void OrWord(int slot, int k, uint64_t bits) {
    std::atomic_ref<uint64_t>(Sys(slot)->word[k]).fetch_or(bits);
}
void AndWord(int slot, int k, uint64_t bits) {
    std::atomic_ref<uint64_t>(Sys(slot)->word[k]).fetch_and(bits);
}
// Input slots hold raw words; they read as numbers (state and clicks) once written.
void MarkNumber(int slot) {
    if (Sys(slot)->mode == VSK_MODE_EMPTY) Sys(slot)->mode = VSK_MODE_NUMBER;
}

HZEMSCREEN ScreenOf(int n) {
    return reinterpret_cast<HZEMSCREEN>(uintptr_t(Word(VSK_SYS_SCREEN(n), 1)));
}

int ScreenNo(HWND hwnd) {
    LONG_PTR n = GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    return n >= 0 && n < VSK_SCREENS ? int(n) : 0;
}

void SetNumber(int slot, int n) {
    VSKVAL_Clear(g_ctx, &g_ctx->vbsystem, slot);
    tagVALUE v{};
    VSKFAQ_Number(g_ctx, &v, n == 0 ? 0 : 1, n, 0);
    VSKVAL_Set(g_ctx, &g_ctx->vbsystem, slot, &v);
}

void SetString(int slot, const char* text) {
    VSKVAL_Clear(g_ctx, &g_ctx->vbsystem, slot);
    tagVALUE v{};
    if (VSKSTR_SetByte(g_ctx, &v, text)) VSKVAL_Set(g_ctx, &g_ctx->vbsystem, slot, &v);
}

void SetEmptyOf(int slot, WORD mode) {
    VSKVAL_Clear(g_ctx, &g_ctx->vbsystem, slot);
    tagVALUE v{};
    v.mode = mode;
    VSKVAL_Set(g_ctx, &g_ctx->vbsystem, slot, &v);
}

void SetSystemVariables(const char* commandLine) {
    SetNumber(VSK_SYS_VERSION, kVersion);
    for (int slot : {1, VSK_SYS_KEY, VSK_SYS_SHIFT, VSK_SYS_RUNNING}) SetNumber(slot, 0);
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    SetString(VSK_SYS_WINDOWSDIR, windows);
    SetString(VSK_SYS_EXECDIR, g_ctx->execdir);
    SetString(VSK_SYS_COMMANDLINE, commandLine);
    SetEmptyOf(17, VSK_MODE_HANDLE);
    SetString(18, "");
    SetEmptyOf(19, VSK_MODE_RECT);
}

// Serves the standing mailbox request, if any.
void ServeMailbox() {
    DWORD command = 0;
    DWORD_PTR data = 0;
    while (VSKEXEC_TakeRequest(g_ctx, &command, &data)) {
        switch (command) {
            case VSK_HOST_CREATEWINDOW: {
                auto* cw = reinterpret_cast<const tagVSKCOMCW*>(data);
                data = reinterpret_cast<DWORD_PTR>(CreateWindowExA(
                    cw->dwExStyle, cw->lpszClassName, cw->lpszWindowName, cw->dwStyle, cw->x, cw->y,
                    cw->nWidth, cw->nHeight, cw->hwndParent, cw->hmenu, g_ctx->hinstance, nullptr));
                break;
            }
            case VSK_HOST_DESTROYWINDOW:
                DestroyWindow(reinterpret_cast<HWND>(data));
                break;
            case VSK_HOST_SOUNDSTART:
                if (TOV_Start(reinterpret_cast<HWND>(data)))
                    g_sound = true;
                else
                    MessageBoxA(nullptr, "TOV32の初期化ができません。", "ヴェスケラン",
                                MB_ICONSTOP);
                break;
            case VSK_HOST_VIDEOPLAY: {
                auto* video = reinterpret_cast<const tagVSKAVIREQUEST*>(data);
                TOV_AviPlay(video->hwnd, &video->area, video->file, video->count);
                break;
            }
            case VSK_HOST_VIDEOSTOP:
                TOV_AviStop();
                break;
            case VSK_HOST_KEYSTATE:
                data = DWORD_PTR(intptr_t(GetKeyState(int(data))));
                break;
            case VSK_HOST_ASYNCKEYSTATE:
                data = DWORD_PTR(intptr_t(GetAsyncKeyState(int(data))));
                break;
            case VSK_HOST_KEYBOARD:
                GetKeyboardState(reinterpret_cast<BYTE*>(data));
                break;
        }
        VSKEXEC_AnswerRequest(g_ctx, data);
    }
}

// Dispatches messages and serves the mailbox until task t has ended.
void AwaitTaskEnd(int t) {
    while (VSKEXEC_TaskLive(g_ctx, t)) {
        VSKEXEC_SystemTask(g_ctx);
        ServeMailbox();
        if (VSKEXEC_TaskLive(g_ctx, t)) VSKEXEC_HostWait(g_ctx);
    }
}

void CloseMain(HWND hwnd, WPARAM wParam) {
    tagVALUE* question = Sys(VSK_SYS_CLOSETEXT);
    if (wParam == 0 && question->mode == VSK_MODE_STRING) {
        char text[VSK_BYTEBUF] = {};
        VSKSTR_GetByte(g_ctx, question, text);
        for (int t = 0; t < VSK_TASKS; ++t) VSKEXEC_SetTaskFlag(g_ctx, t, VSK_TASKFLAG_PAUSE);
        int answer = MessageBoxA(hwnd, text, "ユーザによる中断", MB_YESNO | MB_ICONQUESTION);
        for (int t = 0; t < VSK_TASKS; ++t) VSKEXEC_ClearTaskFlag(g_ctx, t, VSK_TASKFLAG_PAUSE);
        if (answer == IDNO) return;
    }
    for (int t = VSK_TASKS - 1; t >= 0; --t) {
        if (!VSKEXEC_TaskLive(g_ctx, t)) continue;
        VSKEXEC_SetTaskFlag(g_ctx, t, VSK_TASKFLAG_END);
        AwaitTaskEnd(t);
    }
    if (HZEMSCREEN screen = ScreenOf(0)) ZEM_ClearScreen(screen, nullptr, 0);
    DestroyWindow(hwnd);
}

// Sends a listing of a block's non-empty slots on the value channel.
void SendValues(const tagVALUEBLOCK& block, int first, int count, const char* nameFormat,
                bool letters) {
    static constexpr struct {
        WORD mode;
        const char* word;
    } kTypes[] = {{'C', "セル"}, {'H', "ﾊﾝﾄﾞﾙ"},  {'M', "メモリ"}, {'N', "数値"}, {'P', "ﾎﾟｲﾝﾀ"},
                  {'R', "領域"}, {'S', "文字列"}, {'V', "変数"},   {'W', "ｻｳﾝﾄﾞ"}};
    VSKEXEC_SendViewer(g_ctx, "@C");
    for (int i = 0; i < count; ++i) {
        tagVALUE v = block.lpvalue[first + i];
        if (v.mode == VSK_MODE_EMPTY) continue;
        const char* word = "";
        for (const auto& t : kTypes)
            if (t.mode == v.mode) word = t.word;
        char name[16], shown[VSK_BYTEBUF + 8], line[VSK_BYTEBUF + 64];
        if (letters)
            std::snprintf(name, sizeof name, nameFormat, char('@' + i));
        else
            std::snprintf(name, sizeof name, nameFormat, first + i);
        VSKVAL_DisplayValue(g_ctx, &v, shown, sizeof shown);
        std::snprintf(line, sizeof line, "%s\t%s\t%s", name, word, shown);
        VSKEXEC_SendViewer(g_ctx, line);
    }
}

void TracerRequest(WPARAM request, LPARAM lParam) {
    std::atomic_ref<DWORD> debug(g_ctx->debug);
    debug.store((debug.load() & 0xFF) | (DWORD(lParam) << 8));
    auto flag = [&](DWORD bit) {
        if (lParam)
            debug.fetch_or(bit);
        else
            debug.fetch_and(~bit);
    };
    switch (request) {
        case 1:
            flag(VSK_DEBUG_TRACE);
            break;
        case 2:
            flag(VSK_DEBUG_VALUES);
            break;
        case 3:
            debug.fetch_and(~DWORD(VSK_DEBUG_STOP2));
            debug.fetch_or(VSK_DEBUG_STOP | VSK_DEBUG_GO);
            break;
        case 4:
            debug.fetch_and(~DWORD(VSK_DEBUG_STOP));
            debug.fetch_or(VSK_DEBUG_STOP2 | VSK_DEBUG_GO);
            break;
        case 5:
            debug.fetch_and(~DWORD(VSK_DEBUG_STOP | VSK_DEBUG_STOP2));
            debug.fetch_or(VSK_DEBUG_GO);
            break;
        case 6:
            SendValues(g_ctx->vbsystem, 0, VSK_SYSTEM_SLOTS, "#%05d", false);
            break;
        case 7:
            SendValues(g_ctx->vbuser, 0, VSK_USER_SLOTS, "$%05d", false);
            break;
        case 8: {
            tagVALUEBLOCK* local = VSKVAL_GetLocal(g_ctx, int(lParam));
            if (local && local->offset >= 0)
                SendValues(*local, local->offset, VSK_FRAME_SLOTS, "$%c", true);
            break;
        }
    }
}

// A button press: the state word, the collected clicks and the position of the press.
void Press(int slot, int n, DWORD bit, LPARAM lParam, bool doubleClick) {
    MarkNumber(slot);
    OrWord(slot, 0, bit);
    OrWord(slot, 1, bit);
    int x = short(LOWORD(lParam)), y = short(HIWORD(lParam));
    if (doubleClick && slot == VSK_SYS_LBUTTON(n)) {
        // The screen's own zoom; an unset zoom leaves the position as it is.
        int zx = int(Word(VSK_SYS_ZOOM(n), 2)), zy = int(Word(VSK_SYS_ZOOM(n), 3));
        if (zx > 0) x = MulDiv(x, 100, zx);
        if (zy > 0) y = MulDiv(y, 100, zy);
    } else if (HZEMSCREEN screen = ScreenOf(n)) {
        ZEM_GetMouse(screen, &x, &y);
    }
    SetWord(slot, 2, uint64_t(int64_t(x)));
    SetWord(slot, 3, uint64_t(int64_t(y)));
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    // Windows left after the context is gone (the program's last moments) get the defaults.
    if (!g_ctx) return DefWindowProcA(hwnd, message, wParam, lParam);
    int n = ScreenNo(hwnd);
    switch (message) {
        case WM_CREATE:
        case WM_ACTIVATE:
            return 1;
        case WM_DESTROY:
            // The sound library ends at the host's exit, after the values that hold waves.
            if (HZEMSCREEN screen = ScreenOf(n)) ZEM_End(screen);
            SetWord(VSK_SYS_SCREEN(n), 1, 0);
            if (n == 0) PostQuitMessage(0);
            SetWord(VSK_SYS_SCREEN(n), 0, 0);
            return 0;
        case WM_SIZE:
            if (HZEMSCREEN screen = ScreenOf(n)) {
                ZEM_SetZoom(screen, int(Word(VSK_SYS_ZOOM(n), 2)), int(Word(VSK_SYS_ZOOM(n), 3)));
                ZEM_AdjustScreen(screen, 0, 0, LOWORD(lParam), HIWORD(lParam),
                                 int(Word(VSK_SYS_VIEW(n), 0)), int(Word(VSK_SYS_VIEW(n), 1)));
            }
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            if (HZEMSCREEN screen = ScreenOf(n)) ZEM_RefreshScreen(screen, dc, nullptr);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_CLOSE:
            if (n == 0) CloseMain(hwnd, wParam);
            return 0;
        case WM_WINDOWPOSCHANGED:
            return 0;
        case WM_KEYDOWN:
            SetWord(VSK_SYS_KEY, 0, wParam);
            SetWord(VSK_SYS_KEY, 1, wParam);
            SetWord(VSK_SYS_SHIFT, 0, DWORD(lParam));
            SetWord(VSK_SYS_SHIFT, 1, DWORD(lParam));
            if (HWND tracer = FindWindowA("VeskeranTracer", nullptr))
                PostMessageA(tracer, message, wParam, lParam);
            return 1;
        case WM_KEYUP:
            SetWord(VSK_SYS_KEY, 1, 0);
            SetWord(VSK_SYS_SHIFT, 1, 0);
            return 1;
        case WM_COMMAND: {
            // Identifiers outside the system block are not counted anywhere.
            int id = LOWORD(wParam);
            if (id != kIgnoredCommand && id < kCommandSlots) {
                MarkNumber(id);
                std::atomic_ref<uint64_t>(Sys(id)->word[2]).fetch_add(1);
            }
            return 1;
        }
        case WM_LBUTTONDOWN:
            Press(VSK_SYS_LBUTTON(n), n, 1, lParam, false);
            return 1;
        case WM_LBUTTONUP:
            AndWord(VSK_SYS_LBUTTON(n), 0, ~uint64_t(1));
            return 1;
        case WM_LBUTTONDBLCLK:
            Press(VSK_SYS_LBUTTON(n), n, 2, lParam, true);
            return 1;
        case WM_RBUTTONDOWN:
            Press(VSK_SYS_RBUTTON(n), n, 1, lParam, false);
            return 1;
        case WM_RBUTTONDBLCLK:
            Press(VSK_SYS_RBUTTON(n), n, 2, lParam, false);
            return 1;
        case WM_RBUTTONUP:
            AndWord(VSK_SYS_RBUTTON(n), 0, ~uint64_t(1));
            return 1;
        case kMsgTaskName: {
            int t = std::atomic_ref<int>(g_ctx->taskno).load();
            if (t >= 0 && lParam)
                std::snprintf(reinterpret_cast<char*>(lParam), MAX_PATH, "%s", g_ctx->taskname[t]);
            return 1;
        }
        case kMsgTaskLine: {
            int t = std::atomic_ref<int>(g_ctx->taskno).load();
            if (t >= 0 && lParam) *reinterpret_cast<int*>(lParam) = g_ctx->taskline[t] + 1;
            return 1;
        }
        case kMsgTaskNo:
            if (lParam)
                *reinterpret_cast<int*>(lParam) = std::atomic_ref<int>(g_ctx->taskno).load();
            return 1;
        case VSK_MSG_TRACER:
            TracerRequest(wParam, lParam);
            return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterClasses(HINSTANCE instance) {
    for (const char* name : {VSK_MAIN_CLASS, VSK_SUB_CLASS}) {
        WNDCLASSA wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = WndProc;
        wc.hInstance = instance;
        wc.hIcon = LoadIconA(instance, "VskIcon");
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = name;
        RegisterClassA(&wc);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int) {
    if (HWND first = FindWindowA(VSK_MAIN_CLASS, nullptr)) {
        if (IsIconic(first)) {
            OpenIcon(first);
        } else {
            SetForegroundWindow(first);
            BringWindowToTop(first);
        }
        return -1;
    }
    g_ctx = VSKVAL_Create(instance);
    if (!g_ctx) return 0;
    if (!previous) RegisterClasses(instance);
    SetSystemVariables(commandLine ? commandLine : "");
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));

    bool defined = true;
    std::string def = std::string(g_ctx->execdir) + "\\vsk.def";
    if (VSKFILE_Exist(nullptr, def.c_str())) defined = VSKCOMP_DefineFile(nullptr, def.c_str());
    if (defined) {
        VSKVAL_CreateLocal(g_ctx, 0, nullptr);
        if (VSKEXEC_ExecuteTask(g_ctx, 0, "vsk") >= 0) {
            while (VSKEXEC_SystemTask(g_ctx)) {
                ServeMailbox();
                VSKEXEC_HostWait(g_ctx);
            }
        }
    }

    ClipCursor(nullptr);
    HWND standby = FindWindowA("STANDBY", nullptr);
    VSKVAL_Delete(g_ctx);
    g_ctx = nullptr;
    if (g_sound) TOV_End();
    g_sound = false;
    if (standby) PostMessageA(standby, WM_COMMAND, kStandbyRun, LPARAM(kStandbyRun));
    return 0;
}
