#include "screen_common.h"

#include <cstdio>

#include "vsktask.h"

namespace screen {

int GetScreenNo(tagVALUAREA* ctx, const char* label, tagVALUEBLOCK* frame) {
    int n = -1;
    VSKVAL_ArgNumber(ctx, frame, 1, &n);
    if (n < 0 || n >= VSK_SCREENS) {
        vskcmd::Message(ctx, label, "スクリーン番号が不正です。");
        return -1;
    }
    return n;
}

HWND WindowOf(tagVALUAREA* ctx, int n) {
    return reinterpret_cast<HWND>(uintptr_t(vskcmd::SysWord(ctx, VSK_SYS_SCREEN(n), 0)));
}

HZEMSCREEN ScreenOf(tagVALUAREA* ctx, int n) {
    return reinterpret_cast<HZEMSCREEN>(uintptr_t(vskcmd::SysWord(ctx, VSK_SYS_SCREEN(n), 1)));
}

RECT ArgArea(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k) {
    RECT rc = kWhole;
    if (vskcmd::Arg(frame, k)->mode == VSK_MODE_RECT) VSKVAL_ArgRect(ctx, frame, k, &rc);
    return rc;
}

tagCELL* ArgCell(tagVALUAREA* ctx, const char* label, tagVALUEBLOCK* frame, int k) {
    tagVALUEBLOCK block = vskcmd::RefBlock(frame, k);
    tagVALUE v{};
    VSKVAL_Get(ctx, &block, vskcmd::RefIndex(frame, k), &v);
    tagCELL* cell = v.mode == VSK_MODE_CELL ? VskCaqCell(&v) : nullptr;
    if (!cell) {
        char text[VSK_BYTEBUF];
        std::snprintf(text, sizeof text, "関数(%s)において、第%d引数は%s型でなければなりません。",
                      label, k, "セル");
        VSKTASK_ErrorStop(ctx->hwnd, "『Veskeran33』変数マネージャ(VSKVAL.DLL)", text);
    }
    return cell;
}

tagVALUE Rect(tagVALUAREA* ctx, int x, int y, int w, int h) {
    tagVALUE v{};
    VSKRAQ_Rect(ctx, &v, x, y, w, h);
    return v;
}

void InitTextInformation(tagVALUAREA* ctx, int n) {
    tagVALUE pos = Rect(ctx, 0, 0, 9, 18);
    VSKVAL_Clear(ctx, &ctx->vbsystem, VSK_SYS_TEXTPOS(n));
    VSKVAL_Set(ctx, &ctx->vbsystem, VSK_SYS_TEXTPOS(n), &pos);
    tagVALUE colour = Rect(ctx, 0x7FFF, 0, 0, 0x110);
    VSKVAL_Clear(ctx, &ctx->vbsystem, VSK_SYS_TEXTCOLOR(n));
    VSKVAL_Set(ctx, &ctx->vbsystem, VSK_SYS_TEXTCOLOR(n), &colour);
    tagVALUE face{};
    VSKVAL_Clear(ctx, &ctx->vbsystem, VSK_SYS_FONT(n));
    if (VSKSTR_SetByte(ctx, &face, "FixedSys"))
        VSKVAL_Set(ctx, &ctx->vbsystem, VSK_SYS_FONT(n), &face);
}

}  // namespace screen
