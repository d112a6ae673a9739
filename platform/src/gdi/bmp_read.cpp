#include "gdi/bmp_read.h"

#include <cstdlib>

#include "common/byte_reader.h"

namespace wynplat {

bool ReadBmp(const uint8_t* data, size_t size, BmpImage* out) {
    ByteReader r(data, size);
    if (r.U8(0) != 'B' || r.U8(1) != 'M') return false;
    uint32_t offBits = r.U32(10);
    uint32_t hdr = r.U32(14);
    if (!r.Ok()) return false;
    int32_t w, h;
    int bpp;
    uint32_t comp = 0, clrUsed = 0;
    int palEntry = 4;
    if (hdr == 12) {
        w = r.S16(18);
        h = r.S16(20);
        bpp = r.U16(24);
        palEntry = 3;
    } else if (hdr >= 40 && hdr <= 256) {
        w = r.S32(18);
        h = r.S32(22);
        bpp = r.U16(28);
        comp = r.U32(30);
        clrUsed = r.U32(46);
    } else {
        return false;
    }
    if (!r.Ok()) return false;
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
        size_t at = hdr >= 52 ? 54 : afterHdr;
        for (int i = 0; i < 3; ++i) out->masks[i] = r.U32(at + 4 * i);
        if (!r.Ok()) return false;
        out->bitfields = true;
        if (hdr < 52) afterHdr += 12;
    } else if (comp != 0) {
        return false;  // compressed pictures are not read
    }
    out->palette.clear();
    if (bpp <= 8) {
        uint32_t n = clrUsed ? clrUsed : (1u << bpp);
        if (n > (1u << bpp)) n = 1u << bpp;
        const uint8_t* p = r.At(afterHdr, static_cast<size_t>(n) * palEntry);
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
    const uint8_t* px = r.At(offBits, bytes);
    if (!px) return false;
    out->rows.assign(px, px + bytes);
    return true;
}

}  // namespace wynplat
