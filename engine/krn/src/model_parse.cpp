// DXF faces and PH1 height maps turned into chips, from bytes in memory.
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "krn.h"
#include "krn_internal.h"

namespace {

struct Placement {
    double ox = 0, oy = 0, oz = 0, scale = 1;
};

Placement PlacementOf(const tagKRN3D* v) {
    Placement p;
    if (v) {
        p.ox = v->x;
        p.oy = v->y;
        p.oz = v->z;
        p.scale = v->t == 0.0 ? 1.0 : v->t;
    }
    return p;
}

// A text cursor over the file's bytes; nothing is read past `end`.
struct Text {
    const char* begin;
    const char* end;

    // The position of the next occurrence of `word` at or after `from`, or nullptr.
    const char* Find(const char* from, std::string_view word) const {
        std::string_view all(from, (size_t)(end - from));
        size_t at = all.find(word);
        return at == std::string_view::npos ? nullptr : from + at;
    }

    // The start of the line after the one holding `p` (LF or CR LF ends a line), or end.
    const char* NextLine(const char* p) const {
        while (p < end && *p != '\n') ++p;
        return p < end ? p + 1 : end;
    }

    // Finds the next line at or after `from` that holds only the group code (blanks around it
    // allowed, so right-aligned codes match), and returns the start of the line after it: the
    // value. A code that is merely part of a longer line or of a value is not a match.
    const char* FindCode(const char* from, std::string_view code) const {
        const char* line = from;
        while (line < end) {
            const char* stop = line;
            while (stop < end && *stop != '\n') ++stop;
            const char* a = line;
            const char* b = stop;
            if (b > a && b[-1] == '\r') --b;
            while (a < b && (*a == ' ' || *a == '\t')) ++a;
            while (b > a && (b[-1] == ' ' || b[-1] == '\t')) --b;
            if (std::string_view(a, (size_t)(b - a)) == code) return stop < end ? stop + 1 : end;
            line = stop < end ? stop + 1 : end;
        }
        return nullptr;
    }

    // Reads an optional '-', digits and optionally '.' and digits (no exponent) from the start
    // of a value line; `*after` gets the position behind the number.
    double Number(const char* p, const char** after) const {
        while (p < end && (*p == ' ' || *p == '\t')) ++p;
        const char* s = p;
        if (p < end && *p == '-') ++p;
        const char* digits = p;
        while (p < end && *p >= '0' && *p <= '9') ++p;
        if (p < end && *p == '.') {
            ++p;
            while (p < end && *p >= '0' && *p <= '9') ++p;
        }
        *after = p;
        double v = 0.0;
        if (p > digits && !(p - digits == 1 && *digits == '.'))
            std::from_chars(s, p, v, std::chars_format::fixed);
        return v;
    }
};

}  // namespace

namespace krn {

int CountDXF(const char* text, size_t size) {
    Text t{text, text + size};
    int count = 0;
    for (const char* p = t.Find(t.begin, "3DFACE"); p; p = t.Find(p + 6, "3DFACE")) ++count;
    return count;
}

int ReadDXF(tagKRN* krn, int start, const char* text, size_t size, DWORD colour, bool random,
            const tagKRN3D* vector) {
    static const char* const kCodes[3][3] = {
        {"10", "20", "30"}, {"11", "21", "31"}, {"12", "22", "32"}};
    Text t{text, text + size};
    Placement pl = PlacementOf(vector);
    int stored = 0;
    const char* p = t.Find(t.begin, "3DFACE");
    while (p) {
        p += 6;
        double xyz[3][3];
        for (int k = 0; k < 3 && p; ++k) {
            for (int a = 0; a < 3 && p; ++a) {
                const char* value = t.FindCode(p, kCodes[k][a]);
                if (!value) {
                    p = nullptr;
                    break;
                }
                xyz[k][a] = t.Number(value, &p);
            }
        }
        if (!p) break;  // the face's corners are incomplete: the file ends here

        tagKRNCHIP chip;
        std::memset(&chip, 0, sizeof chip);
        for (int k = 0; k < 3; ++k) {
            // The file's z is the engine's height (y).
            chip.v[k].x = pl.scale * xyz[k][0] + pl.ox;
            chip.v[k].z = pl.scale * xyz[k][1] + pl.oz;
            chip.v[k].y = pl.scale * xyz[k][2] + pl.oy;
        }
        DWORD c = colour;
        if (random) {
            int r = std::rand() % 256, g = std::rand() % 256, b = std::rand() % 256;
            c = (DWORD)r | (DWORD)g << 8 | (DWORD)b << 16;
        }
        for (int k = 0; k < 3; ++k) {
            chip.r[k] = (int)(c & 0xFF);
            chip.g[k] = (int)(c >> 8 & 0xFF);
            chip.b[k] = (int)(c >> 16 & 0xFF);
        }
        KRN_FaceNormal3D(&chip.normal, &chip.v[0], &chip.v[1], &chip.v[2]);
        for (auto& n : chip.n) n = chip.normal;
        chip.mode = KRNCHIP_SHOW;
        // Faces beyond the chip array are not stored; the count says how many were.
        if (start > krn->chipmax - 1 - stored || !KRN_SetChip(krn, start + stored, &chip)) break;
        ++stored;
        p = t.Find(p, "3DFACE");
    }
    return stored;
}

int ReadPH1(tagKRN* krn, int start, const unsigned char* bytes, size_t size,
            const tagKRN3D* vector) {
    if (size < kPH1Bytes) return 0;
    Placement pl = PlacementOf(vector);
    int h[40][40];
    for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 40; ++c) {
            int v = bytes[(r * 80 + c) * 2];
            h[r][c] = v ? v + 1 : 0;
        }
    // Sea level next to land: heights of 2 beside a 0 step down to 1.
    for (int r = 1; r <= 38; ++r)
        for (int c = 1; c <= 38; ++c) {
            if (h[r][c] != 0) continue;
            for (int dr = -1; dr <= 1; ++dr)
                for (int dc = -1; dc <= 1; ++dc)
                    if ((dr || dc) && h[r + dr][c + dc] == 2) h[r + dr][c + dc] = 1;
        }

    auto vertex = [&](tagKRN3D& v, int c, int hv, int zr) {
        v.x = (c - 20) * 2000.0 + pl.ox;
        v.y = 16.0 * pl.scale * hv + pl.oy;
        v.z = (20 - zr) * 2000.0 + pl.oz;
        v.t = 0.0;
    };
    int stored = 0;
    for (int r = 0; r < 39; ++r)
        for (int c = 0; c < 39; ++c)
            for (int half = 0; half < 2; ++half) {
                tagKRNCHIP chip;
                std::memset(&chip, 0, sizeof chip);
                int hs[3];
                if (half == 0) {
                    hs[0] = h[r][c], hs[1] = h[r][c + 1], hs[2] = h[r + 1][c + 1];
                    vertex(chip.v[0], c, hs[0], r);
                    vertex(chip.v[1], c + 1, hs[1], r);
                    vertex(chip.v[2], c + 1, hs[2], r + 1);
                } else {
                    hs[0] = h[r + 1][c + 1], hs[1] = h[r + 1][c], hs[2] = h[r][c];
                    vertex(chip.v[0], c + 1, hs[0], r + 1);
                    vertex(chip.v[1], c, hs[1], r + 1);
                    vertex(chip.v[2], c, hs[2], r);
                }
                // Heights run to 256 (255 + 1): the mean may round past the table's end.
                long idx = std::lrint((hs[0] + hs[1] + hs[2]) / 3.0);
                if (idx > 255) idx = 255;
                DWORD col = krn->ph1color[idx];
                chip.red = (int)(col & 0xFF);
                chip.green = (int)(col >> 8 & 0xFF);
                chip.blue = (int)(col >> 16 & 0xFF);
                for (int k = 0; k < 3; ++k) {
                    chip.r[k] = chip.red;
                    chip.g[k] = chip.green;
                    chip.b[k] = chip.blue;
                }
                KRN_FaceNormal3D(&chip.normal, &chip.v[0], &chip.v[1], &chip.v[2]);
                for (auto& n : chip.n) n = chip.normal;
                chip.mode = KRNCHIP_SHOW;
                if (start > krn->chipmax - 1 - stored || !KRN_SetChip(krn, start + stored, &chip))
                    return stored;
                ++stored;
            }
    return stored;
}

}  // namespace krn

KRNAPI void WINAPI KRN_SetPH1ColorTable(tagKRN* krn, const DWORD* colours) {
    if (!krn) return;
    if (colours) {
        std::memcpy(krn->ph1color, colours, sizeof krn->ph1color);
        return;
    }
    static const int kKeys[8][3] = {{2, 46, 193},    {74, 142, 49},   {143, 192, 69},
                                    {240, 238, 164}, {249, 221, 155}, {222, 167, 92},
                                    {187, 132, 40},  {255, 255, 255}};
    // Index ranges blended from one key toward the next (last exclusive).
    static const int kRanges[7][2] = {{0, 2},   {2, 19},  {19, 31}, {31, 44},
                                      {44, 56}, {56, 69}, {69, 255}};
    for (int k = 0; k < 7; ++k) {
        int first = kRanges[k][0], last = kRanges[k][1];
        for (int i = 0; i < last - first; ++i) {
            int rgb[3];
            for (int ch = 0; ch < 3; ++ch)
                rgb[ch] = kKeys[k][ch] + (kKeys[k + 1][ch] - kKeys[k][ch]) * i / (last - first);
            krn->ph1color[first + i] = (DWORD)rgb[0] | (DWORD)rgb[1] << 8 | (DWORD)rgb[2] << 16;
        }
    }
    krn->ph1color[255] = 0xFFFFFF;
}
