// Text: fonts by face name mapped to a Japanese font found through fontconfig, glyphs from
// FreeType rendered without anti-aliasing (pictures repeat exactly), and the layout rules
// the programs rely on: a single-byte character is exactly half as wide as a double-byte one.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include <wynplat.h>

#include "gdi/gdi.h"
#include "kernel/text.h"
#include "user/codepage.h"

namespace wynplat {

struct FontFace {
    FT_Face face = nullptr;
    int ppem = 16;
    int half = 8;  // advance of a single-byte character
    int ascent = 14, descent = 2;
    bool bold = false, italic = false, underline = false, strike = false;
    int charset = SHIFTJIS_CHARSET;
};

namespace {

struct TextState {
    std::mutex m;
    FT_Library lib = nullptr;
    bool libFailed = false;
    std::map<std::string, std::string> files;  // kind -> font file
    std::map<std::tuple<std::string, int, int, bool>, FT_Face> faces;
};

TextState& T() {
    static auto* t = new TextState;
    return *t;
}

// The font file for a kind of face: a mincho face when the name asks for one, else gothic;
// the language decides which CJK font fontconfig prefers.
std::string FontFile(bool mincho, bool big5) {
    std::string key = std::string(mincho ? "mincho" : "gothic") + (big5 ? "-tw" : "-ja");
    auto it = T().files.find(key);
    if (it != T().files.end()) return it->second;
    std::string file;
    // A private configuration, released at once: only the file name is kept.
    if (FcConfig* cfg = FcInitLoadConfigAndFonts()) {
        FcPattern* p = FcPatternCreate();
        FcPatternAddString(p, FC_FAMILY,
                           reinterpret_cast<const FcChar8*>(mincho ? "IPAMincho" : "IPAGothic"));
        FcPatternAddString(p, FC_FAMILY,
                           reinterpret_cast<const FcChar8*>(mincho ? "serif" : "sans-serif"));
        FcPatternAddString(p, FC_LANG, reinterpret_cast<const FcChar8*>(big5 ? "zh-tw" : "ja"));
        FcPatternAddInteger(p, FC_SPACING, FC_MONO);
        FcConfigSubstitute(cfg, p, FcMatchPattern);
        FcDefaultSubstitute(p);
        FcResult res;
        FcPattern* m = FcFontMatch(cfg, p, &res);
        FcChar8* f = nullptr;
        if (m && FcPatternGetString(m, FC_FILE, 0, &f) == FcResultMatch && f)
            file = reinterpret_cast<const char*>(f);
        if (m) FcPatternDestroy(m);
        FcPatternDestroy(p);
        FcConfigDestroy(cfg);
    }
    T().files[key] = file;
    return file;
}

bool IsMinchoName(const std::string& faceUtf8) {
    return faceUtf8.find("\xE6\x98\x8E\xE6\x9C\x9D") != std::string::npos ||
           faceUtf8.find("Mincho") != std::string::npos ||
           faceUtf8.find("mincho") != std::string::npos ||
           faceUtf8.find("Serif") != std::string::npos;
}

bool ResolveFont(const LOGFONTA& lf, FontFace* out) {
    TextState& t = T();
    if (!t.lib && !t.libFailed) t.libFailed = FT_Init_FreeType(&t.lib) != 0;
    if (!t.lib) return false;
    bool big5 = lf.lfCharSet == CHINESEBIG5_CHARSET;
    std::string face = ToUtf8Text(lf.lfFaceName, big5 ? 950 : 932);
    std::string file = FontFile(IsMinchoName(face), big5);
    if (file.empty()) return false;
    int ppem = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    if (ppem == 0) ppem = 16;
    ppem = std::clamp(ppem, 1, 1024);
    int half = lf.lfWidth > 0 ? std::min<LONG>(lf.lfWidth, 1024) : (ppem + 1) / 2;
    auto key = std::make_tuple(file, ppem, half, false);
    FT_Face f;
    auto it = t.faces.find(key);
    if (it != t.faces.end()) {
        f = it->second;
    } else {
        if (FT_New_Face(t.lib, file.c_str(), 0, &f) != 0) return false;
        FT_Select_Charmap(f, FT_ENCODING_UNICODE);
        FT_Set_Pixel_Sizes(f, lf.lfWidth > 0 ? half * 2 : ppem, ppem);
        t.faces[key] = f;
    }
    out->face = f;
    out->ppem = ppem;
    out->half = half;
    long upem = f->units_per_EM ? f->units_per_EM : 1000;
    long asc = f->ascender, desc = -f->descender;
    if (asc + desc <= 0) asc = upem * 88 / 100, desc = upem - asc;
    out->ascent = static_cast<int>((ppem * asc + (asc + desc) / 2) / (asc + desc));
    out->descent = ppem - out->ascent;
    out->bold = lf.lfWeight >= 600;
    out->italic = lf.lfItalic != 0;
    out->underline = lf.lfUnderline != 0;
    out->strike = lf.lfStrikeOut != 0;
    out->charset = lf.lfCharSet;
    return true;
}

struct Char {
    uint32_t code;
    bool wide;
};

bool IsLead(unsigned char b, int cp) {
    if (cp == 950) return b >= 0x81 && b <= 0xFE;
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

uint32_t DecodeUtf8(const std::string& s) {
    if (s.empty()) return 0xFFFD;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
    if (p[0] < 0x80) return p[0];
    int n = p[0] >= 0xF0 ? 3 : p[0] >= 0xE0 ? 2 : 1;
    uint32_t c = p[0] & (0x3F >> n);
    for (int i = 1; i <= n && i < static_cast<int>(s.size()); ++i) c = (c << 6) | (p[i] & 0x3F);
    return c;
}

std::vector<Char> Split(const char* text, int length, int cp) {
    std::vector<Char> out;
    for (int i = 0; i < length;) {
        unsigned char b = text[i];
        if (IsLead(b, cp) && i + 1 < length) {
            char two[3] = {text[i], text[i + 1], 0};
            out.push_back({DecodeUtf8(ToUtf8Text(two, cp)), true});
            i += 2;
        } else {
            char one[2] = {text[i], 0};
            uint32_t c = b < 0x80 ? b : DecodeUtf8(ToUtf8Text(one, cp));
            out.push_back({c, false});
            i += 1;
        }
    }
    return out;
}

int Width(const FontFace& f, const std::vector<Char>& cs, int extra) {
    int w = 0;
    for (auto& c : cs) w += (c.wide ? 2 * f.half : f.half) + extra;
    return w;
}

void DrawGlyphs(const PixelTarget& t, const FontFace& f, const std::vector<Char>& cs, int x,
                int baseline, int extra, COLORREF colour, const RECT* clip) {
    RECT bounds{0, 0, t.w, t.h};
    RECT c = bounds;
    if (clip && !IntersectRect(&c, &bounds, clip)) return;
    uint32_t raw = t.Encode(colour);
    if (f.italic) {
        FT_Matrix shear{0x10000, 0x4000, 0, 0x10000};
        FT_Set_Transform(f.face, &shear, nullptr);
    } else {
        FT_Set_Transform(f.face, nullptr, nullptr);
    }
    int start = x;
    for (auto& ch : cs) {
        int cell = ch.wide ? 2 * f.half : f.half;
        if (ch.code > ' ' &&
            FT_Load_Char(f.face, ch.code, FT_LOAD_RENDER | FT_LOAD_TARGET_MONO) == 0) {
            FT_GlyphSlot g = f.face->glyph;
            const FT_Bitmap& bm = g->bitmap;
            int adv = static_cast<int>((g->advance.x + 32) >> 6);
            int ox = x + (cell - adv) / 2 + g->bitmap_left;
            int oy = baseline - g->bitmap_top;
            for (unsigned row = 0; row < bm.rows; ++row) {
                const unsigned char* src = bm.buffer + static_cast<long>(row) * bm.pitch;
                int py = oy + static_cast<int>(row);
                if (py < c.top || py >= c.bottom) continue;
                for (unsigned col = 0; col < bm.width; ++col) {
                    bool on = bm.pixel_mode == FT_PIXEL_MODE_MONO
                                  ? (src[col >> 3] >> (7 - (col & 7))) & 1
                                  : src[col] >= 128;
                    if (!on) continue;
                    for (int b = 0; b <= (f.bold ? 1 : 0); ++b) {
                        int px = ox + static_cast<int>(col) + b;
                        if (px >= c.left && px < c.right) t.PutRaw(px, py, raw);
                    }
                }
            }
        }
        x += cell + extra;
    }
    auto hline = [&](int y) {
        if (y < c.top || y >= c.bottom) return;
        for (int px = std::max<int>(start, c.left); px < std::min<int>(x, c.right); ++px)
            t.PutRaw(px, y, raw);
    };
    if (f.underline) hline(baseline + std::max(1, f.descent / 2));
    if (f.strike) hline(baseline - f.ascent / 3);
}

struct TextDc {
    std::shared_ptr<Dc> dc;
    FontFace font;
    int codePage = 932;
};

bool Prepare(HDC hdc, TextDc* td, const void* caller) {
    td->dc = FindDc(hdc);
    if (!td->dc) return false;
    auto o = FindObject(td->dc->font);
    LOGFONTA lf{};
    if (o && o->type == OBJ_FONT)
        lf = o->font;
    else
        lf.lfHeight = 16;
    if (!ResolveFont(lf, &td->font)) return false;
    // The DC's own code page, else a Big5 font, else the calling module's code page.
    if (td->dc->codePage)
        td->codePage = td->dc->codePage;
    else if (lf.lfCharSet == CHINESEBIG5_CHARSET)
        td->codePage = 950;
    else
        td->codePage = CodePageOfAddress(caller);
    return true;
}

int Length(LPCSTR text, int length) {
    if (!text) return 0;
    return length < 0 ? static_cast<int>(std::strlen(text)) : length;
}

// Draws one line with its top-left cell corner at (x, y).
void DrawLine(const TextDc& td, const std::vector<Char>& cs, int x, int y, const RECT* clip) {
    PixelTarget t;
    if (!AcquireTarget(*td.dc, &t)) return;
    int w = Width(td.font, cs, td.dc->extra);
    if (td.dc->bkMode == OPAQUE) {
        RECT r{x, y, x + w, y + td.font.ppem};
        if (clip) IntersectRect(&r, &r, clip);
        FillTarget(t, r, td.dc->bk);
    }
    DrawGlyphs(t, td.font, cs, x, y + td.font.ascent, td.dc->extra, td.dc->text, clip);
    if (t.hwnd) MarkDirty(t.hwnd);
}

}  // namespace

std::string ToUtf8Text(const char* text, int codePage) { return ToUtf8(text, codePage); }

std::string TextToUtf8(const char* text, int length, int codePage) {
    if (!text) return std::string();
    std::string s = length < 0 ? std::string(text) : std::string(text, length);
    return ToUtf8Text(s.c_str(), codePage);
}

}  // namespace wynplat

using namespace wynplat;

COLORREF WINAPI SetTextColor(HDC hdc, COLORREF c) {
    auto dc = FindDc(hdc);
    if (!dc) return CLR_INVALID;
    COLORREF old = dc->text;
    dc->text = c & 0xFFFFFF;
    return old;
}

COLORREF WINAPI GetTextColor(HDC hdc) {
    auto dc = FindDc(hdc);
    return dc ? dc->text : CLR_INVALID;
}

COLORREF WINAPI SetBkColor(HDC hdc, COLORREF c) {
    auto dc = FindDc(hdc);
    if (!dc) return CLR_INVALID;
    COLORREF old = dc->bk;
    dc->bk = c & 0xFFFFFF;
    return old;
}

COLORREF WINAPI GetBkColor(HDC hdc) {
    auto dc = FindDc(hdc);
    return dc ? dc->bk : CLR_INVALID;
}

int WINAPI SetBkMode(HDC hdc, int mode) {
    auto dc = FindDc(hdc);
    if (!dc || (mode != OPAQUE && mode != TRANSPARENT)) return 0;
    int old = dc->bkMode;
    dc->bkMode = mode;
    return old;
}

int WINAPI GetBkMode(HDC hdc) {
    auto dc = FindDc(hdc);
    return dc ? dc->bkMode : 0;
}

UINT WINAPI SetTextAlign(HDC hdc, UINT align) {
    auto dc = FindDc(hdc);
    if (!dc) return 0xFFFFFFFFu;
    UINT old = dc->align;
    dc->align = align;
    return old;
}

int WINAPI SetTextCharacterExtra(HDC hdc, int extra) {
    auto dc = FindDc(hdc);
    if (!dc) return static_cast<int>(0x80000000);
    int old = dc->extra;
    dc->extra = extra;
    return old;
}

int WINAPI GetTextCharacterExtra(HDC hdc) {
    auto dc = FindDc(hdc);
    return dc ? dc->extra : static_cast<int>(0x80000000);
}

BOOL WINAPI GetTextExtentPoint32A(HDC hdc, LPCSTR text, int length, LPSIZE size) {
    if (!size) return FALSE;
    std::lock_guard<std::mutex> lk(T().m);
    TextDc td;
    if (!Prepare(hdc, &td, __builtin_return_address(0))) return FALSE;
    auto cs = Split(text ? text : "", Length(text, length), td.codePage);
    size->cx = Width(td.font, cs, td.dc->extra);
    size->cy = td.font.ppem;
    return TRUE;
}

BOOL WINAPI GetTextMetricsA(HDC hdc, LPTEXTMETRICA tm) {
    if (!tm) return FALSE;
    std::lock_guard<std::mutex> lk(T().m);
    TextDc td;
    if (!Prepare(hdc, &td, __builtin_return_address(0))) return FALSE;
    std::memset(tm, 0, sizeof *tm);
    const FontFace& f = td.font;
    tm->tmHeight = f.ppem;
    tm->tmAscent = f.ascent;
    tm->tmDescent = f.descent;
    tm->tmAveCharWidth = f.half;
    tm->tmMaxCharWidth = 2 * f.half;
    tm->tmWeight = f.bold ? FW_BOLD : FW_NORMAL;
    tm->tmOverhang = f.bold ? 1 : 0;
    tm->tmDigitizedAspectX = tm->tmDigitizedAspectY = 96;
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFC;
    tm->tmDefaultChar = 0x1F;
    tm->tmBreakChar = 0x20;
    tm->tmItalic = f.italic;
    tm->tmUnderlined = f.underline;
    tm->tmStruckOut = f.strike;
    tm->tmPitchAndFamily = FF_MODERN;  // fixed pitch (the low bit clear means fixed)
    tm->tmCharSet = static_cast<BYTE>(f.charset);
    return TRUE;
}

BOOL WINAPI TextOutA(HDC hdc, int x, int y, LPCSTR text, int length) {
    std::lock_guard<std::mutex> lk(T().m);
    TextDc td;
    if (!Prepare(hdc, &td, __builtin_return_address(0))) return FALSE;
    auto cs = Split(text ? text : "", Length(text, length), td.codePage);
    int w = Width(td.font, cs, td.dc->extra);
    UINT a = td.dc->align;
    if (a & TA_UPDATECP) {
        x = td.dc->pos.x;
        y = td.dc->pos.y;
    }
    if ((a & TA_CENTER) == TA_CENTER)
        x -= w / 2;
    else if (a & TA_RIGHT)
        x -= w;
    if ((a & TA_BASELINE) == TA_BASELINE)
        y -= td.font.ascent;
    else if (a & TA_BOTTOM)
        y -= td.font.ppem;
    DrawLine(td, cs, x, y, nullptr);
    if (a & TA_UPDATECP) td.dc->pos.x += w;
    return TRUE;
}

int WINAPI DrawTextA(HDC hdc, LPCSTR text, int length, LPRECT rect, UINT format) {
    if (!rect) return 0;
    std::lock_guard<std::mutex> lk(T().m);
    TextDc td;
    if (!Prepare(hdc, &td, __builtin_return_address(0))) return 0;
    int n = Length(text, length);
    // Lines, without the '&' prefix marks.
    std::vector<std::string> lines(1);
    for (int i = 0; i < n; ++i) {
        char c = text[i];
        bool lead = IsLead(static_cast<unsigned char>(c), td.codePage) && i + 1 < n;
        if (lead) {
            lines.back() += c;
            lines.back() += text[++i];
            continue;
        }
        if (!(format & DT_SINGLELINE) && c == '\n') {
            lines.emplace_back();
            continue;
        }
        if (c == '\r' || c == '\n') continue;
        if (c == '&' && !(format & DT_NOPREFIX)) {
            if (i + 1 < n && text[i + 1] == '&') lines.back() += text[++i];
            continue;
        }
        lines.back() += c;
    }
    int lineH = td.font.ppem;
    int total = lineH * static_cast<int>(lines.size());
    int maxW = 0;
    std::vector<std::vector<Char>> split;
    for (auto& l : lines) {
        split.push_back(Split(l.c_str(), static_cast<int>(l.size()), td.codePage));
        maxW = std::max(maxW, Width(td.font, split.back(), td.dc->extra));
    }
    if (format & DT_CALCRECT) {
        rect->right = rect->left + maxW;
        rect->bottom = rect->top + total;
        return total;
    }
    int y = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = rect->top + (rect->bottom - rect->top - lineH) / 2;
        else if (format & DT_BOTTOM)
            y = rect->bottom - lineH;
    }
    const RECT* clip = (format & DT_NOCLIP) ? nullptr : rect;
    for (auto& cs : split) {
        int w = Width(td.font, cs, td.dc->extra);
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (rect->right - rect->left - w) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - w;
        DrawLine(td, cs, x, y, clip);
        y += lineH;
    }
    if (format & (DT_VCENTER | DT_BOTTOM)) return y - rect->top;
    return total;
}

int WynPlat_SetDCCodePage(HDC hdc, int codePage) {
    auto dc = FindDc(hdc);
    if (!dc || (codePage != 0 && codePage != 932 && codePage != 950)) return 0;
    dc->codePage = codePage;
    return 1;
}
