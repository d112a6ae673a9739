// Rectangle values.
#include "vskval_internal.h"

using namespace vskval;

int WINAPI VSKRAQ_CheckMode(tagVALUAREA* ctx, const tagVALUE* value) {
    if (value && value->mode == VSK_MODE_RECT) return 1;
    Message(ctx, "指定されたRAQは領域ではありません。");
    return 0;
}

int WINAPI VSKRAQ_Rect(tagVALUAREA*, tagVALUE* out, int x, int y, int width, int height) {
    if (!out) return 0;
    *out = tagVALUE{};
    out->mode = VSK_MODE_RECT;
    VskSetInt(out, 0, x);
    VskSetInt(out, 1, y);
    VskSetInt(out, 2, width);
    VskSetInt(out, 3, height);
    return 1;
}

int WINAPI VSKRAQ_RaqToRect(tagVALUAREA* ctx, RECT* out, const tagVALUE* value) {
    if (!VSKRAQ_CheckMode(ctx, value)) return 0;
    if (out) {
        out->left = VskRaqXpos(value);
        out->top = VskRaqYpos(value);
        out->right = LONG(int64_t(VskRaqXpos(value)) + VskRaqXsize(value));
        out->bottom = LONG(int64_t(VskRaqYpos(value)) + VskRaqYsize(value));
    }
    return 1;
}

int WINAPI VSKRAQ_RectToRaq(tagVALUAREA* ctx, tagVALUE* out, const RECT* rect) {
    if (!rect) return 0;
    return VSKRAQ_Rect(ctx, out, rect->left, rect->top, int(int64_t(rect->right) - rect->left),
                       int(int64_t(rect->bottom) - rect->top));
}
