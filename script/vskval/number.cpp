// Fixed-point numbers: sign-magnitude, nine decimal digits on each side of the point.
#include "vskval_internal.h"

using namespace vskval;

namespace {

constexpr uint64_t kUnit = 1000000000ull;  // 10^9 fraction units in 1
constexpr DWORD kSign = 0x80000000u;
constexpr DWORD kMagnitude = 0x7FFFFFFFu;
// The largest product of two packed magnitudes whose quotient by 10^9 is still
// 999999999.999999999.
constexpr uint64_t kMaxPacked = 999999999999999999ull;
constexpr unsigned __int128 kMaxProduct = (unsigned __int128)kMaxPacked * kUnit;

bool Negative(const tagVALUE* v) { return (VskFaqHigh(v) & kSign) != 0; }
uint64_t IntPart(const tagVALUE* v) { return VskFaqHigh(v) & kMagnitude; }
uint64_t Fraction(const tagVALUE* v) { return VskFaqLow(v); }
bool IsZero(const tagVALUE* v) { return IntPart(v) == 0 && Fraction(v) == 0; }

// The integer form, wide enough for any stored integer part.
int64_t IntForm(const tagVALUE* v) {
    int64_t i = int64_t(IntPart(v));
    return Negative(v) ? -i : i;
}
uint64_t PackedMagnitude(const tagVALUE* v) { return IntPart(v) * kUnit + Fraction(v); }
int64_t Packed(const tagVALUE* v) {
    int64_t m = int64_t(PackedMagnitude(v));
    return Negative(v) ? -m : m;
}

// Stores a magnitude and a sign; the sign is dropped for zero. An integer part too large even
// for 31 bits (only on the way to a failed range check) is kept at the largest one.
void Store(tagVALUE* v, uint64_t integer, uint64_t fraction, bool negative) {
    DWORD high = DWORD(integer > kMagnitude ? kMagnitude : integer);
    if (negative && (integer || fraction)) high |= kSign;
    VskSetDword(v, 0, high);
    VskSetDword(v, 1, DWORD(fraction));
}
void StoreInt(tagVALUE* v, int64_t x) { Store(v, uint64_t(x < 0 ? -x : x), 0, x < 0); }
void StorePacked(tagVALUE* v, int64_t p) {
    uint64_t m = uint64_t(p < 0 ? -p : p);
    Store(v, m / kUnit, m % kUnit, p < 0);
}

void MakeNumber(tagVALUE* v) {
    *v = tagVALUE{};
    v->mode = VSK_MODE_NUMBER;
}

bool NeedNumber(tagVALUAREA* ctx, const tagVALUE* v) {
    if (v && v->mode == VSK_MODE_NUMBER) return true;
    Message(ctx, "指定されたFAQは数値ではありません。");
    return false;
}

bool NeedNumbers(tagVALUAREA* ctx, const tagVALUE* a, const tagVALUE* b) {
    if (!a || !b) return false;
    if (a->mode != b->mode) {
        Message(ctx, "指定された2つのFAQの型が数値型ではありません。");
        return false;
    }
    return NeedNumber(ctx, a) && NeedNumber(ctx, b);
}

// The range check, then the operation's own message when it failed.
int Checked(tagVALUAREA* ctx, const tagVALUE* v, const char* failure) {
    if (VSKFAQ_CheckRange(ctx, v) == 0) return 1;
    Message(ctx, "%s", failure);
    return 0;
}

int AddOrSub(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b, bool add) {
    if (!a || !b) return 0;
    if (a->mode == VSK_MODE_NUMBER && b->mode == VSK_MODE_NUMBER) {
        if (Fraction(a) == 0 && Fraction(b) == 0)
            StoreInt(a, add ? IntForm(a) + IntForm(b) : IntForm(a) - IntForm(b));
        else
            StorePacked(a, add ? Packed(a) + Packed(b) : Packed(a) - Packed(b));
        return Checked(ctx, a,
                       add ? "加算により、数値が有効桁を超えました。"
                           : "減算により、数値が有効桁を超えました。");
    }
    if (add && a->mode == VSK_MODE_STRING && b->mode == VSK_MODE_STRING)
        return VSKSTR_Append(ctx, a, b) ? 1 : -1;
    if (a->mode == VSK_MODE_POINTER && b->mode == VSK_MODE_NUMBER) {
        int64_t offset = VskPointerOffset(a) + (add ? IntForm(b) : -IntForm(b));
        VskSetInt(a, 1, int(offset));
        return 1;
    }
    Message(ctx, add ? "加算されている2つのFAQの型が異なっています。"
                     : "減算されている2つのFAQの型が異なっています。");
    return 0;
}

// Or, And and Xor of two numbers on their integer forms.
int Bitwise(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b, char op, const char* failure) {
    auto x = uint32_t(int32_t(IntForm(a))), y = uint32_t(int32_t(IntForm(b)));
    uint32_t r = op == '|' ? (x | y) : op == '&' ? (x & y) : (x ^ y);
    StoreInt(a, int32_t(r));
    return Checked(ctx, a, failure);
}

// Or and And: numbers bit by bit; two rectangles their union or intersection.
int OrAnd(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b, bool oring) {
    if (!a || !b) return 0;
    if (a->mode == VSK_MODE_NUMBER && b->mode == VSK_MODE_NUMBER)
        return Bitwise(ctx, a, b, oring ? '|' : '&',
                       oring ? "論理和により、数値が有効桁を超えました。"
                             : "論理積により、数値が有効桁を超えました。");
    if (a->mode == VSK_MODE_RECT && b->mode == VSK_MODE_RECT) {
        RECT x, y, r;
        VSKRAQ_RaqToRect(ctx, &x, a);
        VSKRAQ_RaqToRect(ctx, &y, b);
        if (oring)
            UnionRect(&r, &x, &y);
        else
            IntersectRect(&r, &x, &y);
        return VSKRAQ_RectToRaq(ctx, a, &r);
    }
    Message(ctx, oring ? "論理和された2つのFAQの型が異なっています。"
                       : "論理積された2つのFAQの型が異なっています。");
    return 0;
}

}  // namespace

int WINAPI VSKFAQ_Number(tagVALUAREA* ctx, tagVALUE* out, int sign, int integer, DWORD fraction) {
    if (!out) return 0;
    if (sign < -1 || sign > 1) {
        Message(ctx, "符号の設定が誤っています。");
        return 0;
    }
    MakeNumber(out);
    if (sign == 0) return 1;
    int64_t i = integer;
    bool negative = sign < 0 || i < 0;
    uint64_t magnitude = uint64_t(i < 0 ? -i : i);
    // Built as given, so that -1, 0, 0 keeps its sign: the one negative zero there is.
    VskSetDword(out, 0,
                DWORD(magnitude > kMagnitude ? kMagnitude : magnitude) | (negative ? kSign : 0));
    VskSetDword(out, 1, fraction);
    return VSKFAQ_CheckRange(ctx, out) == 0 ? 1 : 0;
}

int WINAPI VSKFAQ_Bool(tagVALUAREA*, tagVALUE* out, int flag) {
    if (!out) return 0;
    MakeNumber(out);
    if (flag) Store(out, 1, 0, true);
    return 1;
}

int WINAPI VSKFAQ_CheckRange(tagVALUAREA* ctx, const tagVALUE* value) {
    if (!value) return 0;
    if (IntPart(value) > VSK_NUMBER_MAX) {
        Message(ctx, "整数部が有効桁を超えました。");
        return 1;
    }
    if (Fraction(value) > VSK_NUMBER_MAX) {
        Message(ctx, "小数部が有効桁を超えました。");
        return 2;
    }
    return 0;
}

int WINAPI VSKFAQ_Int(tagVALUAREA* ctx, const tagVALUE* value, int* out) {
    if (!NeedNumber(ctx, value)) return 0;
    if (out) *out = int(IntForm(value));
    return 1;
}

int WINAPI VSKFAQ_Abs(tagVALUAREA* ctx, tagVALUE* value) {
    if (!NeedNumber(ctx, value)) return 0;
    VskSetDword(value, 0, VskFaqHigh(value) & kMagnitude);
    return 1;
}

int WINAPI VSKFAQ_Neg(tagVALUAREA* ctx, tagVALUE* value) {
    if (!NeedNumber(ctx, value)) return 0;
    if (!IsZero(value)) VskSetDword(value, 0, VskFaqHigh(value) ^ kSign);
    return 1;
}

int WINAPI VSKFAQ_Sign(tagVALUAREA* ctx, const tagVALUE* value, int* out) {
    if (!NeedNumber(ctx, value)) return 0;
    if (out) *out = IsZero(value) ? 0 : Negative(value) ? -1 : 1;
    return 1;
}

int WINAPI VSKFAQ_High(tagVALUAREA* ctx, tagVALUE* value) {
    if (!NeedNumber(ctx, value)) return 0;
    VskSetDword(value, 1, 0);
    return 1;
}

int WINAPI VSKFAQ_Low(tagVALUAREA* ctx, tagVALUE* value) {
    if (!NeedNumber(ctx, value)) return 0;
    VskSetDword(value, 0, VskFaqHigh(value) & kSign);
    return 1;
}

int WINAPI VSKFAQ_Reverce(tagVALUAREA* ctx, tagVALUE* value) {
    if (!NeedNumber(ctx, value)) return 0;
    tagVALUE one;
    VSKFAQ_Number(ctx, &one, 1, 1, 0);
    if (!VSKFAQ_Div(ctx, &one, value)) return 0;
    VskSetDword(value, 0, VskFaqHigh(&one));
    VskSetDword(value, 1, VskFaqLow(&one));
    return 1;
}

int WINAPI VSKFAQ_Power(tagVALUAREA* ctx, tagVALUE* value, int n) {
    if (!NeedNumber(ctx, value)) return 0;
    tagVALUE acc;
    VSKFAQ_Number(ctx, &acc, 1, 1, 0);
    int64_t times = n < 0 ? -int64_t(n) : n;
    bool unit = IntPart(value) == 1 && Fraction(value) == 0;
    if (unit) {
        // Every further step multiplies by +1 or -1: only the parity is left to decide.
        if (Negative(value) && (times & 1)) VSKFAQ_Neg(ctx, &acc);
    } else {
        for (int64_t i = 0; i < times && !IsZero(&acc); ++i)
            if (!VSKFAQ_Mul(ctx, &acc, value)) return 0;
    }
    if (n < 0 && !VSKFAQ_Reverce(ctx, &acc)) return 0;
    VskSetDword(value, 0, VskFaqHigh(&acc));
    VskSetDword(value, 1, VskFaqLow(&acc));
    return 1;
}

int WINAPI VSKFAQ_Not(tagVALUAREA* ctx, tagVALUE* value) {
    if (!NeedNumber(ctx, value)) return 0;
    StoreInt(value, ~int32_t(IntForm(value)));
    return Checked(ctx, value, "論理否定により、数値が有効桁を超えました。");
}

int WINAPI VSKFAQ_Or(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b) {
    return OrAnd(ctx, a, b, true);
}

int WINAPI VSKFAQ_And(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b) {
    return OrAnd(ctx, a, b, false);
}

int WINAPI VSKFAQ_Xor(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b) {
    if (!NeedNumbers(ctx, a, b)) return 0;
    return Bitwise(ctx, a, b, '^', "排他的論理和により、数値が有効桁を超えました。");
}

int WINAPI VSKFAQ_Comp(tagVALUAREA* ctx, const tagVALUE* a, const tagVALUE* b, int* out) {
    if (!a || !b) return 0;
    int r = 0;
    if (a->mode == VSK_MODE_NUMBER && b->mode == VSK_MODE_NUMBER) {
        if (Fraction(a) == 0 && Fraction(b) == 0) {
            int64_t x = IntForm(a), y = IntForm(b);
            r = x < y ? -1 : x > y ? 1 : 0;
        } else {
            int sa = 0, sb = 0;
            VSKFAQ_Sign(ctx, a, &sa);
            VSKFAQ_Sign(ctx, b, &sb);
            if (sa != sb) {
                r = sa < sb ? -1 : 1;
            } else {
                int64_t d = Packed(a) - Packed(b);
                r = d < 0 ? -1 : d > 0 ? 1 : 0;
            }
        }
    } else if (a->mode == VSK_MODE_STRING && b->mode == VSK_MODE_STRING && ctx) {
        VSKSTR_GetWord(ctx, a, ctx->wordbuf1);
        VSKSTR_GetWord(ctx, b, ctx->wordbuf2);
        for (int i = 0; i < VSK_WORDBUF; ++i) {
            WORD x = ctx->wordbuf1[i], y = ctx->wordbuf2[i];
            if (x != y) {
                r = (x == 0 || y == 0) ? 1 : -1;
                break;
            }
            if (x == 0) break;
        }
    } else if (a->mode == VSK_MODE_RECT && b->mode == VSK_MODE_RECT) {
        for (int k = 0; k < 4; ++k)
            if (VskInt(a, k) != VskInt(b, k)) r = -1;
    } else {
        Message(ctx, "指定された2つのFAQの型が異なっています。");
        return 0;
    }
    if (out) *out = r;
    return 1;
}

int WINAPI VSKFAQ_Add(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b) {
    return AddOrSub(ctx, a, b, true);
}

int WINAPI VSKFAQ_Sub(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b) {
    return AddOrSub(ctx, a, b, false);
}

int WINAPI VSKFAQ_Mul(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b) {
    static const char kFailure[] = "乗算により、数値が有効桁を超えました。";
    if (!NeedNumbers(ctx, a, b)) return 0;
    bool negative = Negative(a) != Negative(b);
    if (Fraction(a) == 0 && Fraction(b) == 0) {
        Store(a, IntPart(a) * IntPart(b), 0, negative);
        return Checked(ctx, a, kFailure);
    }
    unsigned __int128 product = (unsigned __int128)PackedMagnitude(a) * PackedMagnitude(b);
    if (product > kMaxProduct) {
        Message(ctx, "%s", kFailure);
        return 0;
    }
    uint64_t q = uint64_t(product / kUnit);
    Store(a, q / kUnit, q % kUnit, negative);
    return Checked(ctx, a, kFailure);
}

int WINAPI VSKFAQ_Div(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b) {
    if (!NeedNumbers(ctx, a, b)) return 0;
    uint64_t divisor = PackedMagnitude(b);
    if (divisor == 0) {
        Message(ctx, "０で除算しています。");
        return 0;
    }
    unsigned __int128 q = (unsigned __int128)PackedMagnitude(a) * kUnit / divisor;
    if (q > kMaxPacked) {
        Message(ctx, "除算により、数値が有効桁を超えました。");
        return 0;
    }
    Store(a, uint64_t(q) / kUnit, uint64_t(q) % kUnit, Negative(a) != Negative(b));
    return 1;
}

int WINAPI VSKFAQ_Mod(tagVALUAREA* ctx, tagVALUE* a, const tagVALUE* b) {
    if (!NeedNumbers(ctx, a, b)) return 0;
    if (IntPart(b) == 0) {
        Message(ctx, "０で剰余しています。");
        return 0;
    }
    Store(a, IntPart(a) % IntPart(b), 0, Negative(a));
    return 1;
}
