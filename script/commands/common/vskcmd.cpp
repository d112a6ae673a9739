#include "vskcmd.h"

#include <cstdarg>
#include <cstdio>

#include "vsktask.h"

namespace vskcmd {

int ArgCount(tagVALUEBLOCK* frame) {
    int n = 0;
    VSKFAQ_Int(nullptr, Arg(frame, 0), &n);
    return n - 1;
}

int Result(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const tagVALUE& value) {
    tagVALUE* slot = Arg(frame, 0);
    DWORD_PTR record = slot->reserved;
    VSKFAQ_Clear(ctx, slot);
    *slot = value;
    slot->reserved = record;
    return 1;
}

int ResultEmpty(tagVALUAREA* ctx, tagVALUEBLOCK* frame) { return Result(ctx, frame, tagVALUE{}); }

tagVALUE Number(tagVALUAREA* ctx, int n) {
    tagVALUE v{};
    VSKFAQ_Number(ctx, &v, n == 0 ? 0 : 1, n, 0);
    return v;
}

int ResultNumber(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int n) {
    return Result(ctx, frame, Number(ctx, n));
}

int ResultBool(tagVALUAREA* ctx, tagVALUEBLOCK* frame, bool b) {
    tagVALUE v{};
    VSKFAQ_Bool(ctx, &v, b);
    return Result(ctx, frame, v);
}

int ResultString(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const char* bytes) {
    tagVALUE v{};
    if (!VSKSTR_SetByte(ctx, &v, bytes)) return 0;
    return Result(ctx, frame, v);
}

int ArgInt(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k) {
    int n = 0;
    if (Arg(frame, k)->mode == VSK_MODE_NUMBER) VSKFAQ_Int(ctx, Arg(frame, k), &n);
    return n;
}

void Message(tagVALUAREA* ctx, const char* label, const char* format, ...) {
    char text[VSK_BYTEBUF];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    VSKTASK_ErrorStop(ctx ? ctx->hwnd : nullptr, label, text);
}

int Version(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    tagVALUE v{};
    VSKFAQ_Number(ctx, &v, 1, 3, 319980601);
    return Result(ctx, frame, v);
}

}  // namespace vskcmd
