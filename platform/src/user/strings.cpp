// Formatted strings, the lstr* family, MulDiv and the debug output, with the system's rules:
// at most 1024 characters from wsprintfA, NULL strings tolerated, Shift-JIS bytes passed
// through untouched.
#include "kernel/text.h"

#include <windows.h>
#include <wynplat.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kFormatLimit = 1024;

class Out {
  public:
    explicit Out(char* buf) : buf_(buf) {}
    void Put(char c) {
        if (n_ < kFormatLimit) buf_[n_++] = c;
    }
    void Repeat(char c, int count) {
        for (int i = 0; i < count; ++i) Put(c);
    }
    void Write(const char* s, int len) {
        for (int i = 0; i < len; ++i) Put(s[i]);
    }
    int Finish() {
        buf_[n_] = '\0';
        return n_;
    }

  private:
    char* buf_;
    int n_ = 0;
};

struct Spec {
    bool left = false, zero = false, alt = false;
    int width = 0;
    int precision = -1;
};

// Pads `body` (a sign or "0x" prefix, then digits or text) to the field width.
void Field(Out& out, const Spec& sp, const char* prefix, const char* body, int bodyLen,
           bool numeric) {
    int preLen = static_cast<int>(std::strlen(prefix));
    int zeros = 0;
    if (numeric && sp.precision > bodyLen) zeros = sp.precision - bodyLen;
    int len = preLen + zeros + bodyLen;
    int pad = sp.width > len ? sp.width - len : 0;
    if (!sp.left && sp.zero && numeric && sp.precision < 0) {
        zeros += pad;
        pad = 0;
    }
    if (!sp.left) out.Repeat(' ', pad);
    out.Write(prefix, preLen);
    out.Repeat('0', zeros);
    out.Write(body, bodyLen);
    if (sp.left) out.Repeat(' ', pad);
}

int Digits(uint32_t v, unsigned base, bool upper, char* tmp) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char rev[16];
    int n = 0;
    do {
        rev[n++] = digits[v % base];
        v /= base;
    } while (v);
    for (int i = 0; i < n; ++i) tmp[i] = rev[n - 1 - i];
    return n;
}

}  // namespace

int WINAPI wvsprintfA(LPSTR buf, LPCSTR format, va_list args) {
    if (!buf) return 0;
    Out out(buf);
    if (!format) return out.Finish();
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            out.Put(*p);
            continue;
        }
        ++p;
        if (!*p) break;
        Spec sp;
        for (;; ++p) {
            if (*p == '-')
                sp.left = true;
            else if (*p == '0')
                sp.zero = true;
            else if (*p == '#')
                sp.alt = true;
            else
                break;
        }
        while (*p >= '0' && *p <= '9') sp.width = sp.width * 10 + (*p++ - '0');
        if (sp.width > kFormatLimit) sp.width = kFormatLimit;
        if (*p == '.') {
            ++p;
            sp.precision = 0;
            while (*p >= '0' && *p <= '9') sp.precision = sp.precision * 10 + (*p++ - '0');
            if (sp.precision > kFormatLimit) sp.precision = kFormatLimit;
        }
        bool isShort = false;
        if (*p == 'l' || *p == 'L')
            ++p;  // LONG is 32 bits, as the int below
        else if (*p == 'h') {
            isShort = true;
            ++p;
        }
        char tmp[40];
        switch (*p) {
            case 'd':
            case 'i': {
                int v = va_arg(args, int);
                if (isShort) v = static_cast<short>(v);
                uint32_t mag = v < 0 ? 0u - static_cast<uint32_t>(v) : static_cast<uint32_t>(v);
                int n = (sp.precision == 0 && v == 0) ? 0 : Digits(mag, 10, false, tmp);
                Field(out, sp, v < 0 ? "-" : "", tmp, n, true);
                break;
            }
            case 'u':
            case 'x':
            case 'X': {
                uint32_t v = va_arg(args, unsigned);
                if (isShort) v = static_cast<uint16_t>(v);
                unsigned base = *p == 'u' ? 10 : 16;
                int n = (sp.precision == 0 && v == 0) ? 0 : Digits(v, base, *p == 'X', tmp);
                const char* prefix = "";
                if (sp.alt && base == 16 && v) prefix = *p == 'X' ? "0X" : "0x";
                Field(out, sp, prefix, tmp, n, true);
                break;
            }
            case 'c':
            case 'C': {
                char c = static_cast<char>(va_arg(args, int));
                Field(out, sp, "", &c, 1, false);
                break;
            }
            case 's':
            case 'S': {
                const char* s = va_arg(args, const char*);
                if (!s) s = "(null)";
                int n = 0;
                while (s[n] && (sp.precision < 0 || n < sp.precision) && n < kFormatLimit) ++n;
                Field(out, sp, "", s, n, false);
                break;
            }
            default:
                // An unknown letter (and "%%") stands for itself.
                out.Put(*p);
                break;
        }
    }
    return out.Finish();
}

int WINAPI wsprintfA(LPSTR buf, LPCSTR format, ...) {
    va_list args;
    va_start(args, format);
    int n = wvsprintfA(buf, format, args);
    va_end(args);
    return n;
}

namespace {

unsigned char Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

// -1, 0 or 1. Letters compare without regard to case first, as the system's word sort does;
// with `ignoreCase` false, equal strings that differ only in case put lower case first.
int Compare(const char* a, const char* b, bool ignoreCase) {
    if (!a || !b) return a == b ? 0 : (a ? 1 : -1);
    auto* x = reinterpret_cast<const unsigned char*>(a);
    auto* y = reinterpret_cast<const unsigned char*>(b);
    int caseOrder = 0;
    bool trail = false;
    for (;; ++x, ++y) {
        unsigned char cx = *x, cy = *y;
        unsigned char fx = trail ? cx : Lower(cx), fy = trail ? cy : Lower(cy);
        if (fx != fy) return fx < fy ? -1 : 1;
        if (!cx) break;
        if (!caseOrder && cx != cy) caseOrder = cx > cy ? -1 : 1;  // 'a' (0x61) before 'A'
        trail = !trail && wynplat::IsSjisLead(cx);  // a trail byte never folds as a letter
    }
    return ignoreCase ? 0 : caseOrder;
}

}  // namespace

int WINAPI lstrlenA(LPCSTR s) { return s ? static_cast<int>(std::strlen(s)) : 0; }

int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) { return Compare(a, b, false); }

int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) { return Compare(a, b, true); }

LPSTR WINAPI lstrcpyA(LPSTR dst, LPCSTR src) {
    if (!dst || !src) return nullptr;
    std::memmove(dst, src, std::strlen(src) + 1);
    return dst;
}

LPSTR WINAPI lstrcpynA(LPSTR dst, LPCSTR src, int cap) {
    if (!dst || !src) return nullptr;
    if (cap <= 0) return dst;
    int n = 0;
    while (n < cap - 1 && src[n]) ++n;
    std::memmove(dst, src, static_cast<size_t>(n));
    dst[n] = '\0';
    return dst;
}

LPSTR WINAPI lstrcatA(LPSTR dst, LPCSTR src) {
    if (!dst || !src) return nullptr;
    std::memmove(dst + std::strlen(dst), src, std::strlen(src) + 1);
    return dst;
}

// number * numerator / denominator with a 64-bit product, rounded half away from zero;
// -1 when the denominator is 0 or the result does not fit.
int WINAPI MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    bool negative = (product < 0) != (denominator < 0);
    uint64_t mag =
        product < 0 ? 0ull - static_cast<uint64_t>(product) : static_cast<uint64_t>(product);
    uint64_t div = denominator < 0 ? 0ull - static_cast<uint64_t>(static_cast<int64_t>(denominator))
                                   : static_cast<uint64_t>(denominator);
    uint64_t q = (mag + div / 2) / div;
    if (negative) {
        if (q > static_cast<uint64_t>(INT_MAX) + 1) return -1;
        return static_cast<int>(-static_cast<int64_t>(q));
    }
    if (q > static_cast<uint64_t>(INT_MAX)) return -1;
    return static_cast<int>(q);
}

void WINAPI OutputDebugStringA(LPCSTR text) {
    if (!text) return;
    std::fputs(wynplat::ToUtf8(text, 932).c_str(), stderr);
    std::fflush(stderr);
}
