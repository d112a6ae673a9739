// Screen commands on windows: creating and deleting numbered screens (the windows made by the
// host thread through the mailbox), showing, moving, titling and decorating them, and the
// pointer's confinement.
#include <cstdio>
#include <cstring>

#include "screen_common.h"
#include "vskexec.h"

using namespace vskcmd;
using namespace screen;

namespace {

constexpr WORD kSigCreate[] = {'N', 'R', 'R', 'N', 0};
constexpr WORD kSigN[] = {'N', 0};
constexpr WORD kSigNN[] = {'N', 'N', 0};
constexpr WORD kSigNNN[] = {'N', 'N', 'N', 0};
constexpr WORD kSigNS[] = {'N', 'S', 0};
constexpr WORD kSigNR[] = {'N', 'R', 0};

constexpr DWORD kStyle = 0x020A0000;  // clip children, system menu, minimise box
constexpr DWORD kMaximiseBox = 0x00010000;
constexpr UINT_PTR kScreenZeroFlags = 0x10000000;

// The cursor file last set on each screen.
char g_cursor[VSK_SCREENS][64];

// Has the host thread make the window. The new window, or NULL.
HWND FunctionCreateWindow(tagVALUAREA* ctx, DWORD exstyle, const char* cls, const char* title,
                          DWORD style, int x, int y, int w, int h, HWND parent) {
    tagVSKCOMCW cw{exstyle, cls, title, style, x, y, w, h, parent, nullptr};
    DWORD_PTR data = reinterpret_cast<DWORD_PTR>(&cw);
    if (!VSKEXEC_HostRequest(ctx, VSK_HOST_CREATEWINDOW, &data)) return nullptr;
    return reinterpret_cast<HWND>(data);
}

void LockWindowRange(int* x, int* y) {
    int w = GetSystemMetrics(SM_CXSCREEN) - 32, h = GetSystemMetrics(SM_CYSCREEN) - 32;
    *x = *x < 0 ? 0 : *x > w ? w : *x;
    *y = *y < 0 ? 0 : *y > h ? h : *y;
}

void SetWords(tagVALUAREA* ctx, int slot, int k, uint64_t v) {
    tagVALUE* s = ctx->vbsystem.lpvalue + slot;
    if (s->mode == VSK_MODE_EMPTY) s->mode = VSK_MODE_RECT;
    SetSysWord(ctx, slot, k, v);
}

void SetRectSlot(tagVALUAREA* ctx, int slot, int x, int y, int w, int h) {
    tagVALUE v = Rect(ctx, x, y, w, h);
    VSKVAL_Clear(ctx, &ctx->vbsystem, slot);
    VSKVAL_Set(ctx, &ctx->vbsystem, slot, &v);
}

// Rounded to the nearest integer: v * percent / 100.
int Scale(int v, int percent) {
    long long p = (long long)v * percent;
    return int(p >= 0 ? (p + 50) / 100 : -((-p + 50) / 100));
}

}  // namespace

VSKCMD_DEFINE_VERSION

VSKCMD_EXPORT int WINAPI VSK_CREATE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Create";
    if (!VSKVAL_CheckArgument(ctx, label, kSigCreate, frame)) return 0;
    int n = ScreenNo(ctx, label, frame);
    if (n < 0) return 0;
    if (ScreenWindow(ctx, n)) {
        Message(ctx, label, "スクリーン %d はすでに生成されています。", n);
        return 0;
    }
    if (n != 0 && !ScreenWindow(ctx, 0)) {
        Message(ctx, label, "スクリーン 0 が生成されていません。");
        return 0;
    }
    RECT win{}, surface{};
    VSKVAL_ArgRect(ctx, frame, 2, &win);
    VSKVAL_ArgRect(ctx, frame, 3, &surface);
    int flags = ArgInt(ctx, frame, 4);
    const int cw = win.right - win.left, ch = win.bottom - win.top;
    const int sw = surface.right - surface.left, sh = surface.bottom - surface.top;
    const int fx = GetSystemMetrics(SM_CXFIXEDFRAME), fy = GetSystemMetrics(SM_CYFIXEDFRAME);
    const int caption = GetSystemMetrics(SM_CYCAPTION);
    const int ow = cw + 2 * fx, oh = ch + 2 * fy + caption;
    int x = 0, y = 0;
    switch (flags & 3) {
        case 0:
            x = (GetSystemMetrics(SM_CXSCREEN) - cw) / 2 - fx;
            y = (GetSystemMetrics(SM_CYSCREEN) - ch) / 2 - fy - caption;
            break;
        case 1:
            x = win.left, y = win.top;
            break;
        default:  // 2 computes no position of its own: as 3, the system's default
            x = y = CW_USEDEFAULT;
            break;
    }
    DWORD style = kStyle | ((flags & 8) ? kMaximiseBox : 0);
    SetWords(ctx, VSK_SYS_ZOOM(n), 2, 100);
    SetWords(ctx, VSK_SYS_ZOOM(n), 3, 100);
    SetRectSlot(ctx, VSK_SYS_VIEW(n), 0, 0, cw, ch);
    SetRectSlot(ctx, VSK_SYS_SURFACE(n), 0, 0, sw, sh);
    HWND hwnd = nullptr;
    if (n == 0) {
        hwnd = FunctionCreateWindow(ctx, 0, VSK_MAIN_CLASS, "PARENT", style, x, y, ow, oh, nullptr);
        if (!hwnd) return 0;
        ctx->hwnd = hwnd;
        HZEMSCREEN scr = ZEM_Start(kScreenZeroFlags, hwnd, cw, ch, sw, sh);
        SetWords(ctx, VSK_SYS_SCREEN(0), 1, uint64_t(uintptr_t(scr)));
        SetWords(ctx, VSK_SYS_SCREEN(0), 0, uint64_t(uintptr_t(hwnd)));
        if (HWND tracer = FindWindowA(VSK_TRACER_CLASS, nullptr)) {
            SendMessageA(tracer, WM_COMMAND, 201, 0);
            SendMessageA(tracer, WM_COMMAND, 202, 0);
        }
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        InitTextInformation(ctx, 0);
        InitTextInformation(ctx, 9);
        DWORD_PTR data = reinterpret_cast<DWORD_PTR>(hwnd);
        VSKEXEC_HostRequest(ctx, VSK_HOST_SOUNDSTART, &data);
    } else {
        hwnd = FunctionCreateWindow(ctx, 0, VSK_SUB_CLASS, "CHILD", style, x, y, ow, oh,
                                    ScreenWindow(ctx, 0));
        if (!hwnd) return 0;
        HZEMSCREEN scr =
            ZEM_Start(reinterpret_cast<UINT_PTR>(ScreenOf(ctx, 0)), hwnd, cw, ch, sw, sh);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, n);
        SetWords(ctx, VSK_SYS_SCREEN(n), 1, uint64_t(uintptr_t(scr)));
        SetWords(ctx, VSK_SYS_SCREEN(n), 0, uint64_t(uintptr_t(hwnd)));
        InitTextInformation(ctx, n);
    }
    SetWords(ctx, VSK_SYS_SCREEN(n), 2, 0);
    g_cursor[n][0] = 0;
    SetWords(ctx, VSK_SYS_ZOOM(n), 0, 1);
    if (x < 0 || y < 0) {
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, ow, oh, SWP_NOMOVE);
        ShowWindow(hwnd, SW_SHOWNORMAL);
        UpdateWindow(hwnd);
        BringWindowToTop(hwnd);
    } else {
        ShowWindow(hwnd, SW_SHOWNORMAL);
        UpdateWindow(hwnd);
        MoveWindow(hwnd, x, y, ow, oh, TRUE);
    }
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_DELETE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Delete";
    if (!VSKVAL_CheckArgument(ctx, label, kSigN, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    if (auto icon = reinterpret_cast<HICON>(uintptr_t(SysWord(ctx, VSK_SYS_SCREEN(n), 2))))
        DestroyIcon(icon);
    SetSysWord(ctx, VSK_SYS_SCREEN(n), 2, 0);
    DWORD_PTR data = reinterpret_cast<DWORD_PTR>(ScreenWindow(ctx, n));
    VSKEXEC_HostRequest(ctx, VSK_HOST_DESTROYWINDOW, &data);
    for (int slot : {VSK_SYS_TEXTPOS(n), VSK_SYS_TEXTCOLOR(n), VSK_SYS_FONT(n), VSK_SYS_SURFACE(n),
                     VSK_SYS_VIEW(n), VSK_SYS_ZOOM(n), VSK_SYS_LBUTTON(n), VSK_SYS_RBUTTON(n)})
        VSKVAL_Clear(ctx, &ctx->vbsystem, slot);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_MODE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Mode";
    if (!VSKVAL_CheckArgument(ctx, label, kSigNN, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    HWND hwnd = ScreenWindow(ctx, n);
    HZEMSCREEN scr = ScreenOf(ctx, n);
    switch (ArgInt(ctx, frame, 2)) {
        case 0:
            ShowWindow(hwnd, SW_SHOWNORMAL);
            break;
        case 1:
            ShowWindow(hwnd, SW_SHOWMAXIMIZED);
            break;
        case 3:
            ShowWindow(hwnd, SW_SHOW);
            break;
        case -1:
            ShowWindow(hwnd, SW_MINIMIZE);
            break;
        case -2:
            ShowWindow(hwnd, SW_HIDE);
            break;
        case 7:
            ZEM_MaskFlag(scr, 1);
            SetSysWord(ctx, VSK_SYS_ZOOM(n), 0, 1);
            break;
        case -7:
            ZEM_MaskFlag(scr, 0);
            SetSysWord(ctx, VSK_SYS_ZOOM(n), 0, 0);
            break;
        case -8:
            ZEM_FullScreen(scr, 640, 480);
            ZEM_SetZoom(scr, 100, 100);
            break;
        case -9:
            ZEM_FullScreen(scr, 800, 600);
            ZEM_SetZoom(scr, 100, 100);
            break;
        case 8:
        case 9:
            ZEM_FullScreen(scr, 0, 0);
            break;
        default:
            break;  // the other codes change nothing
    }
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_POSITION(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Position";
    if (!VSKVAL_CheckArgument(ctx, label, kSigNNN, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    int x = ArgInt(ctx, frame, 2), y = ArgInt(ctx, frame, 3);
    LockWindowRange(&x, &y);
    HWND hwnd = ScreenWindow(ctx, n);
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    MoveWindow(hwnd, x, y, outer.right - outer.left, outer.bottom - outer.top, TRUE);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_TITLE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Title";
    if (!VSKVAL_CheckArgument(ctx, label, kSigNS, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    VSKVAL_ArgString(ctx, frame, 2, ctx->bytebuf2);
    SetWindowTextA(ScreenWindow(ctx, n), ctx->bytebuf2);
    return ResultEmpty(ctx, frame);
}

// A 32 x 32 icon from the file replaces the screen's last one (destroyed) and becomes the icon of
// the screen's window class; a file that cannot be read leaves the null handle, set all the same.
VSKCMD_EXPORT int WINAPI VSK_ICON(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Icon";
    if (!VSKVAL_CheckArgument(ctx, label, kSigNS, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    VSKVAL_ArgString(ctx, frame, 2, ctx->bytebuf2);
    HANDLE icon = LoadImageA(nullptr, ctx->bytebuf2, IMAGE_ICON, 32, 32, LR_LOADFROMFILE);
    if (auto old = reinterpret_cast<HICON>(uintptr_t(SysWord(ctx, VSK_SYS_SCREEN(n), 2))))
        DestroyIcon(old);
    SetSysWord(ctx, VSK_SYS_SCREEN(n), 2, uint64_t(uintptr_t(icon)));
    SetClassLongPtrA(ScreenWindow(ctx, n), GCLP_HICON, reinterpret_cast<LONG_PTR>(icon));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_CURSOR(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Cursor";
    if (!VSKVAL_CheckArgument(ctx, label, kSigNS, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    char name[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, 2, name);
    if (std::strncmp(name, g_cursor[n], sizeof g_cursor[n] - 1) == 0)
        return ResultEmpty(ctx, frame);
    HCURSOR cursor =
        name[0]
            ? static_cast<HCURSOR>(LoadImageA(nullptr, name, IMAGE_CURSOR, 32, 32, LR_LOADFROMFILE))
            : LoadCursorA(nullptr, IDC_ARROW);
    // The screen's last cursor goes (the standard arrow is not destroyed).
    if (auto old = reinterpret_cast<HCURSOR>(uintptr_t(SysWord(ctx, VSK_SYS_SCREEN(n), 3))))
        DestroyCursor(old);
    SetSysWord(ctx, VSK_SYS_SCREEN(n), 3, uint64_t(uintptr_t(cursor)));
    SetCursor(cursor);
    SetClassLongPtrA(ScreenWindow(ctx, n), GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
    // The pointer put back where it is, so that the new shape shows.
    POINT p{};
    if (GetCursorPos(&p)) SetCursorPos(p.x, p.y);
    std::snprintf(g_cursor[n], sizeof g_cursor[n], "%s", name);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_LOCK(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Lock";
    if (!VSKVAL_CheckArgument(ctx, label, kSigNR, frame)) return 0;
    int n = ExistingScreen(ctx, label, frame);
    if (n < 0) return 0;
    tagVALUE* area = Arg(frame, 2);
    int x = VskRaqXpos(area), y = VskRaqYpos(area);
    int w = VskRaqXsize(area), h = VskRaqYsize(area);
    if (w == 0 && h == 0) {
        ClipCursor(nullptr);
        return ResultEmpty(ctx, frame);
    }
    int zx = int(SysWord(ctx, VSK_SYS_ZOOM(n), 2)), zy = int(SysWord(ctx, VSK_SYS_ZOOM(n), 3));
    POINT corner{Scale(x, zx), Scale(y, zy)};
    ClientToScreen(ScreenWindow(ctx, n), &corner);
    RECT clip{corner.x, corner.y, corner.x + Scale(w, zx), corner.y + Scale(h, zy)};
    ClipCursor(&clip);
    return ResultEmpty(ctx, frame);
}
