// Numbers from and to text.
#include <cstdio>
#include <cstring>

#include "vskval_internal.h"

using namespace vskval;

namespace {

// Digits keep accumulating past the range without wrapping: any integer part above this
// fails the range check however long it is written.
constexpr uint64_t kSaturated = 0xFFFFFFFFFull;

uint64_t Accumulate(uint64_t value, unsigned base, unsigned digit) {
    uint64_t next = value * base + digit;
    return next > kSaturated ? kSaturated : next;
}

int Digit(char c, unsigned base) {
    int d = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                   : 99;
    return d < int(base) ? d : -1;
}

bool NumberMode(tagVALUAREA* ctx, const tagVALUE* value) {
    if (value && value->mode == VSK_MODE_NUMBER) return true;
    Message(ctx, "指定されたFAQは数値ではありません。");
    return false;
}

uint32_t IntFormBits(const tagVALUE* value) {
    int v = 0;
    VSKFAQ_Int(nullptr, value, &v);
    return uint32_t(v);
}

}  // namespace

LPCSTR WINAPI VSKFAQ_GetNumber(tagVALUAREA* ctx, tagVALUE* out, LPCSTR text) {
    if (!out || !text) return nullptr;
    const char* p = text;
    bool negative = *p == '-';
    if (negative) ++p;
    uint64_t integer = 0, fraction = 0;
    unsigned base = 10;
    if (p[0] == '0' && (p[1] == 'b' || p[1] == 'B')) {
        base = 2, p += 2;
    } else if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        base = 16, p += 2;
    }
    for (int d; (d = Digit(*p, base)) >= 0; ++p) integer = Accumulate(integer, base, unsigned(d));
    if (base == 10 && *p == '.') {
        uint64_t weight = 100000000;
        for (++p; *p >= '0' && *p <= '9'; ++p) {
            fraction += uint64_t(*p - '0') * weight;
            weight /= 10;
        }
    }
    *out = tagVALUE{};
    out->mode = VSK_MODE_NUMBER;
    VskSetDword(out, 0, DWORD(integer > 0x7FFFFFFF ? 0x7FFFFFFF : integer));
    VskSetDword(out, 1, DWORD(fraction));
    if (negative) VSKFAQ_Neg(ctx, out);
    if (VSKFAQ_CheckRange(ctx, out) != 0) return nullptr;
    return p;
}

int WINAPI VSKFAQ_String(tagVALUAREA* ctx, const tagVALUE* value, char* text) {
    if (!NumberMode(ctx, value) || !text) return 0;
    DWORD high = VskFaqHigh(value), low = VskFaqLow(value);
    DWORD integer = high & 0x7FFFFFFF;
    bool negative = (high & 0x80000000) && (integer || low);
    int n =
        std::snprintf(text, 24, "%s%lu", negative ? "-" : "", static_cast<unsigned long>(integer));
    if (low) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%09lu", static_cast<unsigned long>(low % 1000000000));
        size_t len = std::strlen(digits);
        while (len > 1 && digits[len - 1] == '0') digits[--len] = 0;
        std::snprintf(text + n, size_t(24 - n), ".%s", digits);
    }
    return 1;
}

int WINAPI VSKFAQ_StringBin(tagVALUAREA* ctx, const tagVALUE* value, char* text, int flag) {
    if (!NumberMode(ctx, value) || !text) return 0;
    uint32_t bits = IntFormBits(value);
    int top = 31;
    if (flag)
        while (top > 0 && !(bits >> top & 1)) --top;
    char* o = text;
    for (int i = top; i >= 0; --i) *o++ = (bits >> i & 1) ? '1' : '0';
    *o = 0;
    return 1;
}

int WINAPI VSKFAQ_StringHex(tagVALUAREA* ctx, const tagVALUE* value, char* text, int style) {
    if (!NumberMode(ctx, value) || !text) return 0;
    const char* format = style == 1 ? "%08x" : style == 2 ? "%X" : style == 3 ? "%08X" : "%x";
    std::snprintf(text, 9, format, IntFormBits(value));
    return 1;
}
