// Screen commands that draw on a screen's 2D surface and choose what its window shows: zoom,
// refresh, cells put on it, scrolling, clearing, moving, lines and blends; and the desktop's
// size, which needs no screen.
#include "screen_common.h"

using namespace vskcmd;
using namespace screen;

namespace {

constexpr WORD kSigZoom[] = {'N', 'R', 'R', 0};
constexpr WORD kSigRefresh[] = {'N', VSK_SIG_ANY, 0};
constexpr WORD kSigPut[] = {'N', 'N', 'N', VSK_SIG_REF | 'C', 0};
constexpr WORD kSigPutExt[] = {'N', 'N', 'N', VSK_SIG_REF | 'C', VSK_SIG_ANY, 'N', 0};
constexpr WORD kSigNN[] = {'N', 'N', 0};
constexpr WORD kSigNNN[] = {'N', 'N', 'N', 0};
constexpr WORD kSigClear[] = {'N', VSK_SIG_ANY, 'N', 0};
constexpr WORD kSigMove[] = {'N', 'N', 'N', 'R', 0};
constexpr WORD kSigLine[] = {'N', 'N', 'N', 'N', 'N', 'N', 0};
constexpr WORD kSigBlend[] = {'N', 'N', 'N', 'R', 'N', 0};

}  // namespace

VSKCMD_EXPORT int WINAPI VSK_ZOOM(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Zoom";
    if (!VSKVAL_CheckArgument(ctx, label, kSigZoom, frame)) return 0;
    int n = 0;
    HZEMSCREEN scr = ArgScreen(ctx, label, frame, &n);
    if (!scr) return 0;
    RECT win = ArgRect(ctx, frame, 2), src = ArgRect(ctx, frame, 3);
    const int sw = src.right - src.left, sh = src.bottom - src.top;
    // A source without width or height has no zoom: nothing changes.
    if (sw == 0 || sh == 0) return ResultEmpty(ctx, frame);
    const int ww = win.right - win.left, wh = win.bottom - win.top;
    const int zx = ww * 100 / sw, zy = wh * 100 / sh;
    SetSysWord(ctx, VSK_SYS_ZOOM(n), 2, uint64_t(int64_t(zx)));
    SetSysWord(ctx, VSK_SYS_ZOOM(n), 3, uint64_t(int64_t(zy)));
    ZEM_SetZoom(scr, zx, zy);
    ZEM_AdjustScreen(scr, win.left, win.top, ww, wh, src.left, src.top);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_REFRESH(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Refresh";
    if (!VSKVAL_CheckArgument(ctx, label, kSigRefresh, frame)) return 0;
    HZEMSCREEN scr = ArgScreen(ctx, label, frame);
    if (!scr) return 0;
    RECT rc = ArgArea(ctx, frame, 2);
    ZEM_RefreshScreen(scr, nullptr, &rc);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_PUT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Put";
    if (!VSKVAL_CheckArgument(ctx, label, kSigPut, frame)) return 0;
    HZEMSCREEN scr = ArgScreen(ctx, label, frame);
    if (!scr) return 0;
    tagCELL* cell = ArgCell(ctx, label, frame, 4);
    if (!cell) return 0;
    ZEM_DisplayScreen(scr, ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 3), cell, nullptr,
                      DWORD(cell->mask));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_PUTEXT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:PutExt";
    if (!VSKVAL_CheckArgument(ctx, label, kSigPutExt, frame)) return 0;
    HZEMSCREEN scr = ArgScreen(ctx, label, frame);
    if (!scr) return 0;
    tagCELL* cell = ArgCell(ctx, label, frame, 4);
    if (!cell) return 0;
    RECT src = ArgArea(ctx, frame, 5);
    ZEM_DisplayScreen(scr, ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 3), cell, &src,
                      DWORD(ArgInt(ctx, frame, 6)) | DWORD(cell->mask));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_INFO(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Screen:Info", kSigNN, frame)) return 0;
    if (ArgInt(ctx, frame, 2) == 0)
        return Result(
            ctx, frame,
            Rect(ctx, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_SCROLL(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Scroll";
    if (!VSKVAL_CheckArgument(ctx, label, kSigNNN, frame)) return 0;
    int n = 0;
    HZEMSCREEN scr = ArgScreen(ctx, label, frame, &n);
    if (!scr) return 0;
    int x = ArgInt(ctx, frame, 2), y = ArgInt(ctx, frame, 3);
    tagVALUE* view = ctx->vbsystem.lpvalue + VSK_SYS_VIEW(n);
    VskSetInt(view, 0, x), VskSetInt(view, 1, y);
    ZEM_AdjustScreen(scr, 0, 0, VskRaqXsize(view), VskRaqYsize(view), x, y);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_CLEAR(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Clear";
    if (!VSKVAL_CheckArgument(ctx, label, kSigClear, frame)) return 0;
    HZEMSCREEN scr = ArgScreen(ctx, label, frame);
    if (!scr) return 0;
    RECT rc = ArgArea(ctx, frame, 2);
    int colour = ArgInt(ctx, frame, 3);
    if (colour == -1) {
        // The button face of the desktop's colour scheme, not a pixel value.
        HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
        FillRect(ZEM_GetDC(scr), &rc, brush);
        DeleteObject(brush);
        ZEM_RefreshScreen(scr, nullptr, &rc);
    } else {
        ZEM_ClearScreen(scr, &rc, ZEMPIXEL(colour));
    }
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_MOVE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Move";
    if (!VSKVAL_CheckArgument(ctx, label, kSigMove, frame)) return 0;
    HZEMSCREEN scr = ArgScreen(ctx, label, frame);
    if (!scr) return 0;
    RECT rc = ArgRect(ctx, frame, 4);
    ZEM_MoveScreen(scr, ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 3), &rc);
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_LINE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Line";
    if (!VSKVAL_CheckArgument(ctx, label, kSigLine, frame)) return 0;
    HZEMSCREEN scr = ArgScreen(ctx, label, frame);
    if (!scr) return 0;
    ZEM_LineScreen(scr, ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 3), ArgInt(ctx, frame, 4),
                   ArgInt(ctx, frame, 5), ZEMPIXEL(ArgInt(ctx, frame, 6)));
    return ResultEmpty(ctx, frame);
}

VSKCMD_EXPORT int WINAPI VSK_BLEND(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    const char* label = "Screen:Blend";
    if (!VSKVAL_CheckArgument(ctx, label, kSigBlend, frame)) return 0;
    HZEMSCREEN scr = ArgScreen(ctx, label, frame);
    if (!scr) return 0;
    RECT rc = ArgRect(ctx, frame, 4);
    ZEM_BlendScreen(scr, ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 3), &rc, ArgInt(ctx, frame, 5));
    return ResultEmpty(ctx, frame);
}
