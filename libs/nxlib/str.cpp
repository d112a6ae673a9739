// Shift-JIS-aware strings and number conversion.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "nxlib.h"
#include "nxl_internal.h"

namespace {

bool EndByte(BYTE b) { return b == 0 || b == 0x1A; }

WORD FoldCase(WORD c) { return (c >= 'a' && c <= 'z') ? WORD(c - 'a' + 'A') : c; }

bool IsKeywordChar(WORD c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    if (c > 0x8140) return true;  // double-byte characters past the full-width blank
#if NXL_KEYWORD_LAYER
    // The layer files name paths and identifiers with these, and with half-width kana.
    if (c == ':' || c == '\\' || c == '_' || c == '.') return true;
    if (c >= 0xA1 && c <= 0xDF) return true;
#endif
    return false;
}

}  // namespace

bool NxlIsLeadByte(BYTE b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

size_t NxlCopyChars(char* out, size_t cap, const char* begin, const char* end) {
    if (!out || cap == 0) return 0;
    size_t used = 0;
    const char* p = begin;
    while (p && p < end) {
        WORD c;
        const char* q = NXL_STR_GetWord(p, &c);
        if (!q || q > end) break;
        size_t n = size_t(q - p);
        if (used + n + 1 > cap) break;
        std::memcpy(out + used, p, n);
        used += n;
        p = q;
    }
    out[used] = 0;
    return used;
}

NXL_API int WINAPI NXL_STR_CheckWord(LPCSTR p) { return p && NxlIsLeadByte(BYTE(*p)) ? 1 : 0; }

NXL_API LPSTR WINAPI NXL_STR_GetWord(LPCSTR p, WORD* code) {
    if (code) *code = 0;
    if (!p) return nullptr;
    BYTE b = BYTE(p[0]);
    if (EndByte(b)) return nullptr;
    if (NxlIsLeadByte(b)) {
        BYTE t = BYTE(p[1]);
        if (t == 0) return nullptr;  // a cut double-byte character ends the text
        if (code) *code = WORD(b << 8 | t);
        return const_cast<LPSTR>(p + 2);
    }
    if (code) *code = b;
    return const_cast<LPSTR>(p + 1);
}

NXL_API LPSTR WINAPI NXL_STR_SetWord(LPSTR p, WORD code, size_t cap) {
    if (!p || cap == 0) return p;
    size_t need = code >= 0x100 ? 3 : 2;
    if (cap < need) {
        *p = 0;
        return p;
    }
    if (code >= 0x100) *p++ = char(code >> 8);
    *p++ = char(code & 0xFF);
    *p = 0;
    return p;
}

NXL_API int WINAPI NXL_STR_WordLength(LPCSTR text) {
    int n = 0;
    for (const char* p = text; (p = NXL_STR_GetWord(p, nullptr)) != nullptr;) ++n;
    return n;
}

NXL_API int WINAPI NXL_STR_Copy(LPSTR out, LPCSTR text, int n, size_t cap) {
    if (!out || cap == 0) return 0;
    size_t used = 0;
    int count = 0;
    const char* p = text;
    while (n < 0 || count < n) {
        const char* q = NXL_STR_GetWord(p, nullptr);
        if (!q) break;
        size_t len = size_t(q - p);
        if (used + len + 1 > cap) break;
        std::memcpy(out + used, p, len);
        used += len;
        p = q;
        ++count;
    }
    out[used] = 0;
    return count;
}

NXL_API LPSTR WINAPI NXL_STR_SkipSpace(LPCSTR text) {
    const char* p = text;
    for (;;) {
        WORD c;
        const char* q = NXL_STR_GetWord(p, &c);
        if (!q) return nullptr;
        if (c != 0x20 && c != 0x09 && c != 0x8140) return const_cast<LPSTR>(p);
        p = q;
    }
}

NXL_API LPSTR WINAPI NXL_STR_NextLine(LPCSTR text) {
    const char* p = text;
    for (;;) {
        WORD c;
        const char* q = NXL_STR_GetWord(p, &c);
        if (!q) return nullptr;
        if (c == 0x0A) return const_cast<LPSTR>(q);
        p = q;
    }
}

NXL_API int WINAPI NXL_STR_Compare(LPCSTR text, LPCSTR pattern, int nocase, int wildcard) {
    const char* t = text;
    const char* s = pattern;
    for (;;) {
        WORD pc, tc;
        const char* sq = NXL_STR_GetWord(s, &pc);
        if (!sq) return 1;
        if (wildcard && pc == '*') return 1;
        const char* tq = NXL_STR_GetWord(t, &tc);
        if (!tq) return 0;
        if (nocase) {
            pc = FoldCase(pc);
            tc = FoldCase(tc);
        }
        if (pc != tc) return 0;
        s = sq;
        t = tq;
    }
}

NXL_API LPSTR WINAPI NXL_STR_Search(LPCSTR text, LPCSTR pattern, int nocase, int wildcard) {
    if (!text) return nullptr;
    const char* p = text;
    for (;;) {
        if (NXL_STR_Compare(p, pattern, nocase, wildcard)) return const_cast<LPSTR>(p);
        p = NXL_STR_GetWord(p, nullptr);
        if (!p) return nullptr;
    }
}

NXL_API LPSTR WINAPI NXL_STR_GetKeyword(LPCSTR text, LPSTR out, size_t cap) {
    if (!out) cap = 0;
    if (cap) out[0] = 0;
    const char* p = NXL_STR_SkipSpace(text);
    if (!p) return nullptr;
    size_t used = 0;
    bool full = false;  // once a character is cut, nothing behind it is stored either
    for (;;) {
        WORD c;
        const char* q = NXL_STR_GetWord(p, &c);
        if (!q) return nullptr;
        if (!IsKeywordChar(c)) return NXL_STR_SkipSpace(p);
        if (cap && !full) {
            char* e = NXL_STR_SetWord(out + used, c, cap - used);
            if (e == out + used) full = true;
            used = size_t(e - out);
        }
        p = q;
    }
}

NXL_API LPSTR WINAPI NXL_STR_IntToStr(LPSTR out, int n) {
    int len = std::snprintf(out, NXL_MAX_NUMBER, "%d", n);
    return out + len;
}

NXL_API LPSTR WINAPI NXL_STR_StrToInt(LPCSTR text, int* n) {
    const char* p = text;
    int64_t v = 0;
    bool neg = false;
    if (p && (*p == '-' || *p == '+')) neg = *p++ == '-';
    const int64_t limit = neg ? int64_t(INT32_MAX) + 1 : INT32_MAX;
    while (p && *p >= '0' && *p <= '9') {
        v = v * 10 + (*p++ - '0');
        if (v > limit) v = limit;  // clamped, the digits are still consumed
    }
    if (n) *n = int(neg ? -v : v);
    return const_cast<LPSTR>(p);
}

NXL_API LPSTR WINAPI NXL_STR_FltToString(LPSTR out, float f) {
    if (std::isnan(f)) return nullptr;
    if (f == 0.0f) {
        std::strcpy(out, "0");
        return out + 1;
    }
    bool neg = f < 0.0f;
    float a = neg ? -f : f;
    if (a > 9999999.0f) return nullptr;  // also the infinities
    int d = 0;
    while (a < 1000000.0f) {
        volatile float scaled = a * 10.0f;  // each product rounded to single precision
        a = scaled;
        ++d;
    }
    int64_t v = int64_t(a);
    v = (v + 5) / 10 * 10;
    while (v % 10 == 0 && d >= 1) {
        v /= 10;
        --d;
    }
    while (d >= 10) {
        v /= 10;
        --d;
    }
    if (v == 0) {
        std::strcpy(out, "0");
        return out + 1;
    }
    char digits[24];
    int len = std::snprintf(digits, sizeof digits, "%lld", (long long)v);
    char* p = out;
    if (neg) *p++ = '-';
    if (d == 0) {
        std::memcpy(p, digits, size_t(len));
        p += len;
    } else {
        int whole = len - d;
        if (whole <= 0) {
            *p++ = '0';
            *p++ = '.';
            for (int i = 0; i < -whole; ++i) *p++ = '0';
            std::memcpy(p, digits, size_t(len));
            p += len;
        } else {
            std::memcpy(p, digits, size_t(whole));
            p += whole;
            *p++ = '.';
            std::memcpy(p, digits + whole, size_t(d));
            p += d;
        }
    }
    *p = 0;
    return p;
}

NXL_API LPSTR WINAPI NXL_STR_StrToFlt(LPCSTR text, float* f) {
    const char* p = text;
    bool neg = false;
    if (p && (*p == '-' || *p == '+')) neg = *p++ == '-';
    double whole = 0.0, frac = 0.0, scale = 1.0;
    while (p && *p >= '0' && *p <= '9') whole = whole * 10.0 + (*p++ - '0');
    if (p && *p == '.') {
        ++p;
        int kept = 0;
        while (*p >= '0' && *p <= '9') {
            // Digits past what a double holds change nothing and would overflow the scale.
            if (kept < 18) {
                frac = frac * 10.0 + (*p - '0');
                scale *= 10.0;
                ++kept;
            }
            ++p;
        }
    }
    if (f) *f = float((neg ? -1.0 : 1.0) * (whole + frac / scale));
    return const_cast<LPSTR>(p);
}
