#include "gdi/bmp_read.h"

#include <cstdlib>

#include <wynbytes.h>

namespace wynplat {

bool ReadBmp(const uint8_t* data, size_t size, BmpImage* out) {
    wyn::ByteReader r(data, size);
    if (r.u8() != 'B' || r.u8() != 'M') return false;
    r.seek(10);
    uint32_t offBits = r.u32();
    uint32_t hdr = r.u32();
    if (!r.ok()) return false;
    int32_t w, h;
    int bpp;
    uint32_t comp = 0, clrUsed = 0;
    int palEntry = 4;
    if (hdr == 12) {
        w = static_cast<int16_t>(r.u16());
        h = static_cast<int16_t>(r.u16());
        r.skip(2);
        bpp = r.u16();
        palEntry = 3;
    } else if (hdr >= 40 && hdr <= 256) {
        w = r.i32();
        h = r.i32();
        r.skip(2);
        bpp = r.u16();
        comp = r.u32();
        r.seek(46);
        clrUsed = r.u32();
    } else {
        return false;
    }
    if (!r.ok()) return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return false;
    if (w <= 0 || h == 0 || h == INT32_MIN || w > 32768 || std::abs(h) > 32768) return false;
    if (static_cast<int64_t>(w) * std::abs(h) > (1 << 26)) return false;
    out->w = w;
    out->h = std::abs(h);
    out->bpp = bpp;
    out->topDown = h < 0;
    size_t afterHdr = 14 + static_cast<size_t>(hdr);
    if (comp == 3) {  // BI_BITFIELDS
        if (bpp != 16 && bpp != 32) return false;
        r.seek(hdr >= 52 ? 54 : afterHdr);
        for (int i = 0; i < 3; ++i) out->masks[i] = r.u32();
        if (!r.ok()) return false;
        out->bitfields = true;
        if (hdr < 52) afterHdr += 12;
    } else if (comp != 0) {
        return false;  // compressed pictures are not read
    }
    out->palette.clear();
    if (bpp <= 8) {
        uint32_t n = clrUsed ? clrUsed : (1u << bpp);
        if (n > (1u << bpp)) n = 1u << bpp;
        r.seek(afterHdr);
        const uint8_t* p = r.take(static_cast<size_t>(n) * palEntry);
        if (!p) return false;
        out->palette.resize(static_cast<size_t>(n) * 4);
        for (uint32_t i = 0; i < n; ++i) {
            out->palette[i * 4] = p[i * palEntry];
            out->palette[i * 4 + 1] = p[i * palEntry + 1];
            out->palette[i * 4 + 2] = p[i * palEntry + 2];
            out->palette[i * 4 + 3] = 0;
        }
    }
    out->stride = ((w * bpp + 31) / 32) * 4;
    size_t bytes = static_cast<size_t>(out->stride) * out->h;
    r.seek(offBits);
    const uint8_t* px = r.take(bytes);
    if (!px) return false;
    out->rows.assign(px, px + bytes);
    return true;
}

}  // namespace wynplat
