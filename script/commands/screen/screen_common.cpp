#include "screen_common.h"

#include "vsktask.h"

namespace screen {

RECT ArgArea(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k) {
    RECT rc = vskcmd::WholeRect();
    if (vskcmd::Arg(frame, k)->mode == VSK_MODE_RECT) VSKVAL_ArgRect(ctx, frame, k, &rc);
    return rc;
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
