// Strings of 16-bit units and their values in the string heap.
#include <cstring>

#include "vsk_sjis.h"
#include "vskval_internal.h"

using namespace vskval;

namespace {

int CountUnits(const WORD* units) {
    int n = 0;
    if (units)
        while (units[n] && n <= VSK_STRING_MAX) ++n;
    return n;
}

}  // namespace

int WINAPI VSKSTR_Word(tagVALUAREA*, WORD* out, LPCSTR bytes) {
    if (!out) return 0;
    int n = 0;
    auto* p = reinterpret_cast<const BYTE*>(bytes ? bytes : "");
    for (; *p; ++n) {
        if (n == VSK_STRING_MAX) {
            out[n] = 0;
            return 0;
        }
        // A lead byte last in the text stands alone: its terminator is not a trail byte.
        if (vsk::IsLeadByte(*p) && p[1]) {
            out[n] = WORD(p[0] << 8 | p[1]);
            p += 2;
        } else {
            out[n] = *p++;
        }
    }
    out[n] = 0;
    return 1;
}

int WINAPI VSKSTR_Byte(tagVALUAREA*, char* out, const WORD* units) {
    if (!out) return 0;
    char* o = out;
    for (int n = 0; units && units[n] && n < VSK_STRING_MAX; ++n) {
        WORD u = units[n];
        if (u >= 0x100) *o++ = char(u >> 8);
        *o++ = char(u & 0xFF);
    }
    *o = 0;
    return 1;
}

int WINAPI VSKSTR_SetWord(tagVALUAREA* ctx, tagVALUE* out, const WORD* units) {
    if (!ctx || !out) return 0;
    int n = CountUnits(units);
    if (n > VSK_STRING_MAX) {
        Message(ctx, "文字列が1000文字を超えました。");
        return 0;
    }
    WORD data[VSK_WORDBUF];
    if (n) std::memcpy(data, units, sizeof(WORD) * size_t(n));
    data[n] = 0;
    int offset = HeapAlloc(ctx, data, n * 2 + 2);
    if (!offset) {
        Message(ctx, "文字列ヒープがオーバーフローしました。");
        return 0;
    }
    *out = tagVALUE{};
    out->mode = VSK_MODE_STRING;
    VskSetPtr(out, 0, ctx->hstring);
    VskSetInt(out, 1, offset);
    VskSetInt(out, 2, n);
    return 1;
}

int WINAPI VSKSTR_SetByte(tagVALUAREA* ctx, tagVALUE* out, LPCSTR bytes) {
    if (!ctx) return 0;
    if (!VSKSTR_Word(ctx, ctx->wordbuf1, bytes)) {
        Message(ctx, "文字列が1000文字を超えました。");
        return 0;
    }
    return VSKSTR_SetWord(ctx, out, ctx->wordbuf1);
}

int WINAPI VSKSTR_GetWord(tagVALUAREA* ctx, const tagVALUE* value, WORD* out) {
    if (!ctx || !value || !out) return 0;
    if (value->mode != VSK_MODE_BARE_STRING && !VSKSTR_CheckMode(ctx, value)) return 0;
    int n = VskSaqLength(value);
    if (n < 0 || n > VSK_STRING_MAX || VskSaqHeap(value) != ctx->hstring ||
        !HeapRead(ctx, VskSaqOffset(value), n * 2, out)) {
        // A record that names no string of this heap reads as the empty string.
        out[0] = 0;
        return 0;
    }
    out[n] = 0;
    return 1;
}

int WINAPI VSKSTR_GetByte(tagVALUAREA* ctx, const tagVALUE* value, char* out) {
    if (!ctx || !out) return 0;
    int ok = VSKSTR_GetWord(ctx, value, ctx->wordbuf1);
    VSKSTR_Byte(ctx, out, ctx->wordbuf1);
    return ok;
}

int WINAPI VSKSTR_Clear(tagVALUAREA* ctx, tagVALUE* value) {
    if (!value) return 0;
    if (ctx && VskSaqHeap(value) == ctx->hstring) HeapFree(ctx, VskSaqOffset(value));
    *value = tagVALUE{};
    return 1;
}

int WINAPI VSKSTR_Append(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b) {
    if (!ctx || !a || !b) return 0;
    if (a->mode != VSK_MODE_STRING || b->mode != VSK_MODE_STRING) {
        Message(ctx, "接続される2つのSAQは文字列ではありません。");
        return 0;
    }
    int na = VskSaqLength(a), nb = VskSaqLength(b);
    if (int64_t(na) + nb > VSK_STRING_MAX) {
        Message(ctx, "文字列の連結で1000文字を超えました。");
        return 0;
    }
    if (!VSKSTR_GetWord(ctx, a, ctx->wordbuf1) || !VSKSTR_GetWord(ctx, b, ctx->wordbuf2)) return 0;
    std::memcpy(ctx->wordbuf1 + na, ctx->wordbuf2, sizeof(WORD) * size_t(nb + 1));
    // The joined string is made before a's block goes, so a failure leaves a as it was.
    tagVALUE joined;
    if (!VSKSTR_SetWord(ctx, &joined, ctx->wordbuf1)) return 0;
    HeapFree(ctx, VskSaqOffset(a));
    joined.flag = a->flag;
    joined.reserved = a->reserved;
    *a = joined;
    return 1;
}

int WINAPI VSKSTR_CheckMode(tagVALUAREA* ctx, const tagVALUE* value) {
    if (value && value->mode == VSK_MODE_STRING) return 1;
    Message(ctx, "指定されたSAQは文字列ではありません。");
    return 0;
}
