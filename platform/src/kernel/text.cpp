// Code page conversion through iconv: the system's texts are Shift-JIS (932), the 3D engine's
// are Big5 (950); Linux names and the log are UTF-8.
#include "kernel/text.h"

#include <errno.h>
#include <iconv.h>

#include <cstdint>
#include <cstring>
#include <wynplat.h>

namespace wynplat {
namespace {

const char* IconvName(int codePage) {
    switch (codePage) {
        case 0:  // the system's default code page
        case 932:
            return "CP932";
        case 950:
            return "BIG5";
        case 65001:
            return "UTF-8";
        default:
            return nullptr;
    }
}

// One descriptor per thread, direction and code page: iconv state is not shareable. They are
// closed when the thread ends.
struct Converters {
    struct Slot {
        int codePage;
        bool toUtf8;
        iconv_t cd;
    };
    Slot slots[8] = {};  // every code page in both directions
    int used = 0;
    ~Converters() {
        for (int i = 0; i < used; ++i) iconv_close(slots[i].cd);
    }
};

iconv_t Converter(int codePage, bool toUtf8) {
    if (codePage == 0) codePage = 932;
    thread_local Converters cache;
    for (int i = 0; i < cache.used; ++i)
        if (cache.slots[i].codePage == codePage && cache.slots[i].toUtf8 == toUtf8)
            return cache.slots[i].cd;
    const char* name = IconvName(codePage);
    if (!name) return (iconv_t)-1;
    iconv_t cd = toUtf8 ? iconv_open("UTF-8", name) : iconv_open(name, "UTF-8");
    if (cd == (iconv_t)-1) return cd;
    if (cache.used < 8) cache.slots[cache.used++] = Converters::Slot{codePage, toUtf8, cd};
    return cd;
}

size_t Utf8SequenceLength(unsigned char b) {
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0) return 2;
    if ((b & 0xF0) == 0xE0) return 3;
    if ((b & 0xF8) == 0xF0) return 4;
    return 1;
}

// Converts `in`; each sequence the converter refuses is replaced by `bad` and skipped (one
// byte when reading a code page, one UTF-8 character when writing one).
std::string Convert(const std::string& in, int codePage, bool toUtf8, bool* clean) {
    if (clean) *clean = true;
    iconv_t cd = Converter(codePage, toUtf8);
    if (cd == (iconv_t)-1) {
        if (clean) *clean = false;
        return in;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    out.reserve(in.size() * 3 / 2 + 8);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buf[512];
    while (srcLeft > 0) {
        char* dst = buf;
        size_t dstLeft = sizeof buf;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buf, dst - buf);
        if (r != (size_t)-1) continue;
        if (errno == E2BIG) continue;
        if (clean) *clean = false;
        // EILSEQ or an incomplete sequence at the end.
        if (toUtf8) {
            out += "\xEF\xBF\xBD";
            ++src;
            --srcLeft;
        } else {
            out += '?';
            size_t n = Utf8SequenceLength(static_cast<unsigned char>(*src));
            if (n > srcLeft) n = srcLeft;
            src += n;
            srcLeft -= n;
        }
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return out;
}

size_t CopyOut(const std::string& s, char* out, size_t cap, int codePage) {
    bool utf8 = codePage == 65001;
    if (!out || cap == 0) return 0;
    size_t n = s.size();
    if (n > cap - 1) {
        n = cap - 1;
        // Never cut a character in half.
        if (utf8) {
            while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
        } else {
            size_t i = 0;
            while (i < n) {
                unsigned char b = s[i];
                bool lead = codePage == 950 ? (b >= 0x81 && b <= 0xFE) : IsSjisLead(b);
                size_t step = lead ? 2 : 1;
                if (i + step > n) break;
                i += step;
            }
            n = i;
        }
    }
    memcpy(out, s.data(), n);
    out[n] = 0;
    return n;
}

unsigned char Fold(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - 32 : c; }

}  // namespace

std::string ToUtf8(const std::string& text, int codePage) {
    return Convert(text, codePage, true, nullptr);
}
std::string FromUtf8(const std::string& text, int codePage) {
    return Convert(text, codePage, false, nullptr);
}

bool IsValidIn(const std::string& text, int codePage) {
    bool clean = true;
    Convert(text, codePage, true, &clean);
    return clean;
}

bool IsValidUtf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        unsigned char b = text[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        size_t n;
        uint32_t c;
        if (b >= 0xC2 && b <= 0xDF) {
            n = 2;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            n = 3;
            c = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            n = 4;
            c = b & 0x07;
        } else
            return false;
        if (i + n > text.size()) return false;
        for (size_t k = 1; k < n; ++k) {
            unsigned char t = text[i + k];
            if ((t & 0xC0) != 0x80) return false;
            c = (c << 6) | (t & 0x3F);
        }
        // No over-long forms, no surrogates, nothing past U+10FFFF.
        if ((n == 3 && c < 0x800) || (n == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
            (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += n;
    }
    return true;
}

bool EqualNoCaseUtf8(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

bool EqualNoCaseSjis(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = a[i], y = b[i];
        if (IsSjisLead(x) && i + 1 < a.size()) {
            if (x != y || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (Fold(x) != Fold(y)) return false;
    }
    return true;
}

}  // namespace wynplat

size_t WynPlat_ToUtf8(const char* text, int codePage, char* out, size_t cap) {
    if (!text) text = "";
    return wynplat::CopyOut(wynplat::ToUtf8(text, codePage), out, cap, 65001);
}

size_t WynPlat_FromUtf8(const char* text, int codePage, char* out, size_t cap) {
    if (!text) text = "";
    return wynplat::CopyOut(wynplat::FromUtf8(text, codePage), out, cap, codePage);
}
