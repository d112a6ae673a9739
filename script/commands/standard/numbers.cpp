// Number functions, table trigonometry, rectangles, colours, and bit and digit access.
#include <cmath>

#include "standard.h"

using namespace vskcmd;

namespace {

constexpr WORD kSigN[] = {'N', 0};
constexpr WORD kSigNN[] = {'N', 'N', 0};
constexpr WORD kSigNNN[] = {'N', 'N', 'N', 0};
constexpr WORD kSigNNNN[] = {'N', 'N', 'N', 'N', 0};
constexpr WORD kSigR[] = {'R', 0};
constexpr WORD kSigRR[] = {'R', 'R', 0};
constexpr WORD kSigRefRN[] = {VSK_SIG_REF | 'R', 'N', 0};

constexpr DWORD kSign = 0x80000000u;
constexpr DWORD kField28 = 0x0FFFFFFFu;

// 10000 x cosine and sine of 0-45 degrees.
struct TrigRow {
    int cos, sin;
};
constexpr TrigRow kTrig[46] = {
    {10000, 0},   {9998, 175},  {9994, 349},  {9986, 523},  {9976, 698},  {9962, 872},
    {9945, 1045}, {9925, 1219}, {9903, 1392}, {9877, 1564}, {9848, 1736}, {9816, 1908},
    {9781, 2079}, {9744, 2249}, {9703, 2419}, {9659, 2588}, {9613, 2756}, {9563, 2924},
    {9511, 3090}, {9455, 3256}, {9397, 3420}, {9336, 3584}, {9272, 3746}, {9205, 3907},
    {9136, 4067}, {9063, 4226}, {8988, 4384}, {8910, 4540}, {8830, 4695}, {8746, 4848},
    {8660, 5000}, {8572, 5150}, {8481, 5299}, {8387, 5446}, {8290, 5592}, {8192, 5736},
    {8090, 5878}, {7986, 6018}, {7880, 6156}, {7772, 6293}, {7661, 6428}, {7547, 6560},
    {7432, 6691}, {7314, 6820}, {7194, 6946}, {7071, 7071}};

// 10000 x cosine and sine of a whole angle in degrees.
TrigRow Trig(int angle) {
    int c = angle % 360;
    if (c < 0) c += 360;
    int b = c <= 180 ? c : 360 - c;
    int r = b <= 90 ? b : 180 - b;
    TrigRow row = r <= 45 ? kTrig[r] : TrigRow{kTrig[90 - r].sin, kTrig[90 - r].cos};
    if (b > 90) row.cos = -row.cos;
    if (c > 180) row.sin = -row.sin;
    return row;
}

int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

// A number as its two fields: the magnitude of the integer part, the fraction, and the sign
// (digit and bit access work on the magnitude and keep the sign).
struct Fields {
    DWORD integer, fraction, sign;
};
Fields Split(const tagVALUE* v) {
    return {VskFaqHigh(v) & ~kSign, VskFaqLow(v), VskFaqHigh(v) & kSign};
}
tagVALUE Join(const Fields& f) {
    tagVALUE v{};
    v.mode = VSK_MODE_NUMBER;
    VskSetDword(&v, 0, f.integer | f.sign);
    VskSetDword(&v, 1, f.fraction);
    return v;
}

// Bit k of the two 28-bit fields: bits 0-27 the integer part, 28-55 the fraction.
DWORD* BitField(Fields& f, int k, int* shift) {
    if (k >= 0 && k < 28) {
        *shift = k;
        return &f.integer;
    }
    if (k >= 28 && k < 56) {
        *shift = k - 28;
        return &f.fraction;
    }
    return nullptr;
}

// The decimal place of digit k: 0-8 the integer part's 10^k, 9-17 the fraction's 10^(k-9)
// units of 10^-9.
DWORD* DecimalField(Fields& f, int k, DWORD* place) {
    static constexpr DWORD kPlaces[9] = {1,      10,      100,      1000,     10000,
                                         100000, 1000000, 10000000, 100000000};
    if (k >= 0 && k <= 8) {
        *place = kPlaces[k];
        return &f.integer;
    }
    if (k >= 9 && k <= 17) {
        *place = kPlaces[k - 9];
        return &f.fraction;
    }
    return nullptr;
}

// Hexadecimal digit k: 0-6 bits 4k of the integer part, 7-13 bits 4(k-7) of the fraction.
DWORD* HexField(Fields& f, int k, int* shift) {
    if (k >= 0 && k <= 6) {
        *shift = 4 * k;
        return &f.integer;
    }
    if (k >= 7 && k <= 13) {
        *shift = 4 * (k - 7);
        return &f.fraction;
    }
    return nullptr;
}

int Width(int bits) { return int((1u << bits) - 1); }

int SetHex(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const char* label, int bits) {
    if (!VSKVAL_CheckArgument(ctx, label, kSigNNN, frame)) return 0;
    Fields f = Split(Arg(frame, 1));
    int shift = 0;
    if (DWORD* field = HexField(f, ArgInt(ctx, frame, 2), &shift)) {
        DWORD mask = (DWORD(Width(bits)) << shift) & kField28;
        DWORD d = DWORD(Clamp(ArgInt(ctx, frame, 3), 0, Width(bits))) << shift;
        *field = (*field & ~mask) | (d & mask);
    }
    return Result(ctx, frame, Join(f));
}

int GetHex(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const char* label, int bits) {
    if (!VSKVAL_CheckArgument(ctx, label, kSigNN, frame)) return 0;
    Fields f = Split(Arg(frame, 1));
    int shift = 0;
    DWORD* field = HexField(f, ArgInt(ctx, frame, 2), &shift);
    int d = field ? int(((*field & kField28) >> shift) & DWORD(Width(bits))) : 0;
    return ResultNumber(ctx, frame, d);
}

int RectField(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const char* label, int word) {
    if (!VSKVAL_CheckArgument(ctx, label, kSigR, frame)) return 0;
    return ResultNumber(ctx, frame, VskInt(Arg(frame, 1), word));
}

int SetRectField(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const char* label, int word) {
    if (!VSKVAL_CheckArgument(ctx, label, kSigRefRN, frame)) return 0;
    tagVALUEBLOCK block = RefBlock(frame, 1);
    int index = RefIndex(frame, 1);
    tagVALUE v{};
    if (!VSKVAL_Get(ctx, &block, index, &v)) return 0;
    VskSetInt(&v, word, ArgInt(ctx, frame, 2));
    if (!VSKVAL_Set(ctx, &block, index, &v)) return 0;
    return ResultEmpty(ctx, frame);
}

}  // namespace

VSKCMD_EXPORT int WINAPI VSK_ABS(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Abs", kSigN, frame)) return 0;
    tagVALUE v = *Arg(frame, 1);
    VSKFAQ_Abs(ctx, &v);
    return Result(ctx, frame, v);
}

VSKCMD_EXPORT int WINAPI VSK_FLAG(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Flag", kSigN, frame)) return 0;
    int s = 0;
    VSKFAQ_Sign(ctx, Arg(frame, 1), &s);
    return ResultNumber(ctx, frame, s);
}

VSKCMD_EXPORT int WINAPI VSK_ROOT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Root", kSigN, frame)) return 0;
    Fields f = Split(Arg(frame, 1));
    if (f.sign && (f.integer || f.fraction)) {
        Message(ctx, "Root", "負の数の平方根は求められません。");
        return 0;
    }
    double r = std::sqrt(double(f.integer) + double(f.fraction) / 1e9);
    double whole = std::floor(r);
    DWORD fraction = DWORD((r - whole) * 1e9);
    if (fraction > 999999999u) fraction = 999999999u;
    tagVALUE v{};
    VSKFAQ_Number(ctx, &v, 1, int(whole), fraction);
    return Result(ctx, frame, v);
}

VSKCMD_EXPORT int WINAPI VSK_INT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Int", kSigN, frame)) return 0;
    tagVALUE v = *Arg(frame, 1);
    VSKFAQ_High(ctx, &v);
    return Result(ctx, frame, v);
}

VSKCMD_EXPORT int WINAPI VSK_DECIMAL(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Decimal", kSigN, frame)) return 0;
    tagVALUE v = *Arg(frame, 1);
    VSKFAQ_Low(ctx, &v);
    return Result(ctx, frame, v);
}

VSKCMD_EXPORT int WINAPI VSK_RANDOM(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Random", kSigNN, frame)) return 0;
    tagVALUE out{};
    uint32_t r = vskstd::RandomDraw(vskstd::RandomState());
    if (!vskstd::RandomBetween(ctx, Arg(frame, 1), Arg(frame, 2), r, &out)) return 0;
    return Result(ctx, frame, out);
}

VSKCMD_EXPORT int WINAPI VSK_RANGE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Range", kSigNNN, frame)) return 0;
    tagVALUE *x = Arg(frame, 1), *lo = Arg(frame, 2), *hi = Arg(frame, 3);
    int c = 0;
    VSKFAQ_Comp(ctx, x, lo, &c);
    if (c <= 0) return Result(ctx, frame, *lo);
    VSKFAQ_Comp(ctx, x, hi, &c);
    return Result(ctx, frame, c < 0 ? *x : *hi);
}

VSKCMD_EXPORT int WINAPI VSK_ISIN(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Isin", kSigN, frame)) return 0;
    return ResultNumber(ctx, frame, Trig(ArgInt(ctx, frame, 1)).sin);
}

VSKCMD_EXPORT int WINAPI VSK_ICOS(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Icos", kSigN, frame)) return 0;
    return ResultNumber(ctx, frame, Trig(ArgInt(ctx, frame, 1)).cos);
}

VSKCMD_EXPORT int WINAPI VSK_SETRECT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "SetRect", kSigNNNN, frame)) return 0;
    tagVALUE v{};
    VSKRAQ_Rect(ctx, &v, ArgInt(ctx, frame, 1), ArgInt(ctx, frame, 2), ArgInt(ctx, frame, 3),
                ArgInt(ctx, frame, 4));
    return Result(ctx, frame, v);
}

VSKCMD_EXPORT int WINAPI VSK_SETRECTXPOS(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return SetRectField(ctx, frame, "SetRectXpos", 0);
}
VSKCMD_EXPORT int WINAPI VSK_SETRECTYPOS(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return SetRectField(ctx, frame, "SetRectYpos", 1);
}
VSKCMD_EXPORT int WINAPI VSK_SETRECTXSIZE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return SetRectField(ctx, frame, "SetRectXsize", 2);
}
VSKCMD_EXPORT int WINAPI VSK_SETRECTYSIZE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return SetRectField(ctx, frame, "SetRectYsize", 3);
}
VSKCMD_EXPORT int WINAPI VSK_GETRECTXPOS(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return RectField(ctx, frame, "GetRectXpos", 0);
}
VSKCMD_EXPORT int WINAPI VSK_GETRECTYPOS(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return RectField(ctx, frame, "GetRectYpos", 1);
}
VSKCMD_EXPORT int WINAPI VSK_GETRECTXSIZE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return RectField(ctx, frame, "GetRectXsize", 2);
}
VSKCMD_EXPORT int WINAPI VSK_GETRECTYSIZE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return RectField(ctx, frame, "GetRectYsize", 3);
}

VSKCMD_EXPORT int WINAPI VSK_INRECT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "InRect", kSigRR, frame)) return 0;
    tagVALUE *a = Arg(frame, 1), *b = Arg(frame, 2);
    RECT ra{}, rb{}, meet{};
    VSKRAQ_RaqToRect(ctx, &ra, a);
    VSKRAQ_RaqToRect(ctx, &rb, b);
    bool pointA = VskRaqXsize(a) == 0 && VskRaqYsize(a) == 0;
    bool pointB = VskRaqXsize(b) == 0 && VskRaqYsize(b) == 0;
    bool in;
    if (pointA && pointB)
        in = ra.left == rb.left && ra.top == rb.top;
    else if (pointB)
        in = PtInRect(&ra, POINT{rb.left, rb.top});
    else if (pointA)
        in = PtInRect(&rb, POINT{ra.left, ra.top});
    else
        in = IntersectRect(&meet, &ra, &rb);
    return ResultBool(ctx, frame, in);
}

VSKCMD_EXPORT int WINAPI VSK_PIXEL(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "Pixel", kSigNNN, frame)) return 0;
    int r = Clamp(ArgInt(ctx, frame, 1), 0, 31);
    int g = Clamp(ArgInt(ctx, frame, 2), 0, 31);
    int b = Clamp(ArgInt(ctx, frame, 3), 0, 31);
    return ResultNumber(ctx, frame, (r << 10) + (g << 5) + b);
}

VSKCMD_EXPORT int WINAPI VSK_SETBIT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "SetBit", kSigNNN, frame)) return 0;
    Fields f = Split(Arg(frame, 1));
    int shift = 0;
    if (DWORD* field = BitField(f, ArgInt(ctx, frame, 2), &shift)) {
        bool on = ArgInt(ctx, frame, 3) > 0;
        *field = on ? (*field | (1u << shift)) : (*field & ~(1u << shift));
    }
    return Result(ctx, frame, Join(f));
}

VSKCMD_EXPORT int WINAPI VSK_GETBIT(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "GetBit", kSigNN, frame)) return 0;
    Fields f = Split(Arg(frame, 1));
    int shift = 0;
    DWORD* field = BitField(f, ArgInt(ctx, frame, 2), &shift);
    return ResultNumber(ctx, frame, field ? int((*field >> shift) & 1u) : 1);
}

VSKCMD_EXPORT int WINAPI VSK_SETCOLUMN(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "SetColumn", kSigNNN, frame)) return 0;
    Fields f = Split(Arg(frame, 1));
    DWORD place = 0;
    if (DWORD* field = DecimalField(f, ArgInt(ctx, frame, 2), &place)) {
        DWORD d = DWORD(Clamp(ArgInt(ctx, frame, 3), 0, 9));
        DWORD old = (*field / place) % 10;
        *field = *field - old * place + d * place;
    }
    return Result(ctx, frame, Join(f));
}

VSKCMD_EXPORT int WINAPI VSK_GETCOLUMN(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "GetColumn", kSigNN, frame)) return 0;
    Fields f = Split(Arg(frame, 1));
    DWORD place = 0;
    DWORD* field = DecimalField(f, ArgInt(ctx, frame, 2), &place);
    return ResultNumber(ctx, frame, field ? int((*field / place) % 10) : 0);
}

VSKCMD_EXPORT int WINAPI VSK_SETCOLUMNHEX(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return SetHex(ctx, frame, "SetColumnHex", 4);
}
VSKCMD_EXPORT int WINAPI VSK_GETCOLUMNHEX(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return GetHex(ctx, frame, "GetColumnHex", 4);
}
VSKCMD_EXPORT int WINAPI VSK_SETCOLUMNHEX2(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return SetHex(ctx, frame, "SetColumnHex2", 8);
}
VSKCMD_EXPORT int WINAPI VSK_GETCOLUMNHEX2(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    return GetHex(ctx, frame, "GetColumnHex2", 8);
}
