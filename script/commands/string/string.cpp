// String commands: strings are worked on as 16-bit units (one per character, a double-byte
// character one unit) in buffers of 1000 units, and results made from the buffers.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "string_commands.h"
#include "vskcmd.h"

using namespace vskcmd;

namespace {

constexpr WORD kSigS[] = {'S', 0};
constexpr WORD kSigN[] = {'N', 0};
constexpr WORD kSigNN[] = {'N', 'N', 0};
constexpr WORD kSigSN[] = {'S', 'N', 0};
constexpr WORD kSigSNN[] = {'S', 'N', 'N', 0};
constexpr WORD kSigSNS[] = {'S', 'N', 'S', 0};
constexpr WORD kSigSSN[] = {'S', 'S', 'N', 0};

constexpr char kAlphabet[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
constexpr int kUnits = VSK_WORDBUF;

struct Units {
    WORD u[kUnits + 1] = {};
};

// Argument k's units and their 0 unit.
Units ArgUnits(tagVALUAREA* ctx, tagVALUEBLOCK* frame, int k) {
    Units s;
    VSKSTR_GetWord(ctx, Arg(frame, k), s.u);
    s.u[kUnits] = 0;
    return s;
}

int CountUnits(const WORD* u) {
    int n = 0;
    while (n < kUnits && u[n]) ++n;
    return n;
}

// The pattern matches at `text` where every pair compared agrees before either ends.
bool MatchUnits(const WORD* text, const WORD* pattern) {
    for (; *text && *pattern; ++text, ++pattern)
        if (*text != *pattern) return false;
    return true;
}

int ResultUnits(tagVALUAREA* ctx, tagVALUEBLOCK* frame, const WORD* u, int n) {
    WORD buf[kUnits + 1];
    std::memcpy(buf, u, sizeof(WORD) * size_t(n));
    buf[n] = 0;
    tagVALUE v{};
    if (!VSKSTR_SetWord(ctx, &v, buf)) return 0;
    return Result(ctx, frame, v);
}

}  // namespace

namespace vskstr {

void ScoreCode(int a, int b, const SYSTEMTIME& now, char out[11]) {
    int year = now.wYear, month = now.wMonth, day = now.wDay, hour = now.wHour;
    int minute = now.wMinute;
    if (year < 1998) year = 1998, month = 1, day = 1, hour = 0, minute = 0;
    uint64_t t = ((((uint64_t(year - 1998) * 13 + month) * 32 + day) * 24 + hour) * 60) + minute;
    std::memcpy(out, "0000000000", 11);
    int sum = 0;
    for (int pos : {9, 7, 5, 3, 1}) {
        int d = int(t % 36);
        out[pos] = kAlphabet[d];
        sum += d;
        t /= 36;
    }
    uint32_t rest = uint32_t(b < 0 ? -int64_t(b) : b);
    for (int pos : {6, 4, 2}) {
        int d = int(rest % 36);
        out[pos] = kAlphabet[d];
        sum += d;
        rest /= 36;
    }
    int mark = ((a % 36) + 36) % 36;
    out[8] = kAlphabet[mark];
    sum += mark;
    out[0] = kAlphabet[(36 - sum % 36) % 36];
}

}  // namespace vskstr

VSKCMD_DEFINE_VERSION

VSKCMD_EXPORT int WINAPI VSK_GET(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Get", kSigSNN, frame)) return 0;
    Units s = ArgUnits(ctx, frame, 1);
    int total = CountUnits(s.u);
    int start = ArgInt(ctx, frame, 2), length = ArgInt(ctx, frame, 3);
    if (length < 0) length = 0;
    if (start < 0) start = total - length > 0 ? total - length : 0;
    if (start >= total) return ResultUnits(ctx, frame, s.u, 0);
    if (total - start < length) length = total - start;
    return ResultUnits(ctx, frame, s.u + start, length);
}

VSKCMD_EXPORT int WINAPI VSK_SET(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Set", kSigSNS, frame)) return 0;
    Units s = ArgUnits(ctx, frame, 1);
    Units r = ArgUnits(ctx, frame, 3);
    int total = CountUnits(s.u);
    int pos = ArgInt(ctx, frame, 2);
    if (pos < 0) pos = 0;
    if (pos >= total) return ResultUnits(ctx, frame, s.u, 0);
    for (int i = 0; r.u[i] && pos + i < total; ++i) s.u[pos + i] = r.u[i];
    return ResultUnits(ctx, frame, s.u, total);
}

VSKCMD_EXPORT int WINAPI VSK_LENGTH(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Length", kSigS, frame)) return 0;
    return ResultNumber(ctx, frame, CountUnits(ArgUnits(ctx, frame, 1).u));
}

VSKCMD_EXPORT int WINAPI VSK_NUMBER(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Number", kSigSN, frame)) return 0;
    char bytes[VSK_BYTEBUF] = {};
    VSKVAL_ArgString(ctx, frame, 1, bytes);
    int offset = ArgInt(ctx, frame, 2);
    if (offset < 0) offset = 0;
    tagVALUE v{};
    if (size_t(offset) >= std::strlen(bytes) || !VSKFAQ_GetNumber(ctx, &v, bytes + offset))
        return ResultNumber(ctx, frame, 0);
    return Result(ctx, frame, v);
}

VSKCMD_EXPORT int WINAPI VSK_ASCII(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Ascii", kSigS, frame)) return 0;
    return ResultNumber(ctx, frame, ArgUnits(ctx, frame, 1).u[0]);
}

VSKCMD_EXPORT int WINAPI VSK_CHR(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Chr", kSigN, frame)) return 0;
    WORD u = WORD(ArgInt(ctx, frame, 1));
    return ResultUnits(ctx, frame, &u, u ? 1 : 0);
}

VSKCMD_EXPORT int WINAPI VSK_BIN(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Hex", kSigNN, frame)) return 0;
    char text[40] = {};
    VSKFAQ_StringBin(ctx, Arg(frame, 1), text, ArgInt(ctx, frame, 2));
    return ResultString(ctx, frame, text);
}

VSKCMD_EXPORT int WINAPI VSK_HEX(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Hex", kSigNN, frame)) return 0;
    char text[16] = {};
    VSKFAQ_StringHex(ctx, Arg(frame, 1), text, ArgInt(ctx, frame, 2));
    return ResultString(ctx, frame, text);
}

VSKCMD_EXPORT int WINAPI VSK_DEC(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Dec", kSigN, frame)) return 0;
    char text[32] = {};
    VSKFAQ_String(ctx, Arg(frame, 1), text);
    return ResultString(ctx, frame, text);
}

VSKCMD_EXPORT int WINAPI VSK_DATE(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Date", kSigN, frame)) return 0;
    int d = ArgInt(ctx, frame, 1);
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", d / 10000 % 10000, d / 100 % 100, d % 100);
    return ResultString(ctx, frame, text);
}

VSKCMD_EXPORT int WINAPI VSK_TIME(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Time", kSigN, frame)) return 0;
    DWORD f = VskFaqLow(Arg(frame, 1));
    char text[32];
    std::snprintf(text, sizeof text, "%02u:%02u:%02u", unsigned(f / 10000 % 100),
                  unsigned(f / 100 % 100), unsigned(f % 100));
    return ResultString(ctx, frame, text);
}

VSKCMD_EXPORT int WINAPI VSK_SEARCH(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Number", kSigSNS, frame)) return 0;
    Units s = ArgUnits(ctx, frame, 1);
    Units p = ArgUnits(ctx, frame, 3);
    int start = ArgInt(ctx, frame, 2);
    if (start < 0) start = 0;
    if (start < CountUnits(s.u))
        for (int pos = start; pos < kUnits && s.u[pos]; ++pos)
            if (MatchUnits(s.u + pos, p.u)) return ResultNumber(ctx, frame, pos);
    return ResultNumber(ctx, frame, -1);
}

VSKCMD_EXPORT int WINAPI VSK_TOKEN(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Token", kSigSSN, frame)) return 0;
    Units s = ArgUnits(ctx, frame, 1);
    Units sep = ArgUnits(ctx, frame, 2);
    int skip = CountUnits(sep.u);
    int index = ArgInt(ctx, frame, 3);
    if (index < 0) index = 0;
    int pos = 0;
    while (index > 0) {
        if (!s.u[pos]) return ResultUnits(ctx, frame, s.u, 0);
        if (MatchUnits(s.u + pos, sep.u)) {
            pos += skip;
            --index;
        } else {
            ++pos;
        }
        if (pos > kUnits) return ResultUnits(ctx, frame, s.u, 0);
    }
    int end = pos;
    while (s.u[end] && !MatchUnits(s.u + end, sep.u)) ++end;
    return ResultUnits(ctx, frame, s.u + pos, end - pos);
}

VSKCMD_EXPORT int WINAPI VSK_PASSWORD(tagVALUAREA* ctx, tagVALUEBLOCK* frame) {
    if (!VSKVAL_CheckArgument(ctx, "String:Token", kSigNN, frame)) return 0;
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char code[11];
    vskstr::ScoreCode(ArgInt(ctx, frame, 1), ArgInt(ctx, frame, 2), now, code);
    return ResultString(ctx, frame, code);
}
