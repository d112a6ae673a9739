#include "gdi/icon_read.h"

#include <algorithm>
#include <cstring>

#include <wynbytes.h>

#include "gdi/bmp_read.h"

namespace wynplat {

namespace {

constexpr int kLargest = 256;  // an entry's width or height byte 0 means 256

// The colour of pixel x of a bottom-up or top-down row of the bitmap, as 0x00RRGGBB.
uint32_t PixelOf(const BmpImage& b, const uint8_t* row, int x) {
    auto fromPalette = [&](unsigned i) -> uint32_t {
        if (i * 4 + 2 >= b.palette.size()) return 0;
        return uint32_t(b.palette[i * 4 + 2]) << 16 | uint32_t(b.palette[i * 4 + 1]) << 8 |
               b.palette[i * 4];
    };
    switch (b.bpp) {
        case 1:
            return fromPalette((row[x / 8] >> (7 - x % 8)) & 1);
        case 4:
            return fromPalette((row[x / 2] >> (x % 2 ? 0 : 4)) & 15);
        case 8:
            return fromPalette(row[x]);
        case 24:
            return uint32_t(row[x * 3 + 2]) << 16 | uint32_t(row[x * 3 + 1]) << 8 | row[x * 3];
        default:  // 32
            return uint32_t(row[x * 4 + 3]) << 24 | uint32_t(row[x * 4 + 2]) << 16 |
                   uint32_t(row[x * 4 + 1]) << 8 | row[x * 4];
    }
}

}  // namespace

bool ReadIconFile(const uint8_t* data, size_t size, bool cursor, int wantW, int wantH,
                  IconImage* out) {
    wyn::ByteReader r(data, size);
    const int reserved = r.u16(), type = r.u16(), count = r.u16();
    if (!r.ok() || reserved != 0 || type != (cursor ? 2 : 1) || count < 1) return false;
    // The entry of the wanted size, else the first.
    int chosen = 0;
    for (int i = 0; i < count; ++i) {
        r.seek(6 + size_t(i) * 16);
        const int w = r.u8(), h = r.u8();
        if (!r.ok()) return false;
        if ((w ? w : kLargest) == wantW && (h ? h : kLargest) == wantH) {
            chosen = i;
            break;
        }
    }
    r.seek(6 + size_t(chosen) * 16);
    const int entryW = r.u8(), entryH = r.u8();
    r.u8();
    r.u8();
    const int hotX = r.u16(), hotY = r.u16();
    const uint32_t bytes = r.u32(), offset = r.u32();
    if (!r.ok() || offset > size || bytes > size - offset || bytes < 40) return false;
    const uint8_t* entry = data + offset;
    wyn::ByteReader e(entry, bytes);
    const uint32_t hdr = e.u32();
    const int32_t w = e.i32(), doubled = e.i32();
    e.u16();
    const int bpp = e.u16();
    const uint32_t compression = e.u32();
    e.seek(32);
    const uint32_t used = e.u32();
    if (!e.ok() || hdr < 40 || hdr > bytes || compression != 0) return false;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32) return false;
    if (w < 1 || w > kLargest || doubled < 2 || doubled > 2 * kLargest || doubled % 2) return false;
    const int h = doubled / 2;
    if ((entryW ? entryW : kLargest) != w || (entryH ? entryH : kLargest) != h) return false;
    const uint32_t colours = bpp <= 8 ? (used && used < (1u << bpp) ? used : 1u << bpp) : 0;
    // The colour bitmap as a BMP file of half the height, for the bitmap reader.
    const size_t pixelsAt = size_t(hdr) + size_t(colours) * 4;
    const size_t stride = ((size_t(w) * size_t(bpp) + 31) / 32) * 4;
    const size_t colourBytes = stride * size_t(h);
    if (pixelsAt > bytes || colourBytes > bytes - pixelsAt) return false;
    std::vector<uint8_t> bmp(14 + pixelsAt + colourBytes);
    wyn::ByteWriter bw(bmp.data(), 14);
    bw.u8('B');
    bw.u8('M');
    bw.u32(uint32_t(bmp.size()));
    bw.u32(0);
    bw.u32(uint32_t(14 + pixelsAt));
    std::memcpy(bmp.data() + 14, entry, pixelsAt + colourBytes);
    const int32_t half = h;
    std::memcpy(bmp.data() + 14 + 8, &half, 4);  // the header's height: the colour rows alone
    BmpImage image;
    if (!ReadBmp(bmp.data(), bmp.size(), &image) || image.w != w || image.h != h) return false;
    // The AND mask: one bit a pixel, rows of whole 32-bit words, bottom-up; a 32-bit picture may
    // leave it out and carry its alpha alone.
    const size_t maskStride = ((size_t(w) + 31) / 32) * 4;
    const size_t maskAt = pixelsAt + colourBytes;
    const bool hasMask = maskAt <= bytes && maskStride * size_t(h) <= bytes - maskAt;
    if (!hasMask && bpp != 32) return false;
    out->cursor = cursor;
    out->w = w;
    out->h = h;
    out->hotX = cursor ? std::min(hotX, w - 1) : 0;
    out->hotY = cursor ? std::min(hotY, h - 1) : 0;
    out->argb.assign(size_t(w) * size_t(h), 0);
    // Alpha counts in a 32-bit picture when any pixel has some.
    bool alpha = false;
    if (bpp == 32)
        for (size_t i = 3; i < image.rows.size() && !alpha; i += 4) alpha = image.rows[i] != 0;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = image.rows.data() + size_t(h - 1 - y) * size_t(image.stride);
        const uint8_t* mask = hasMask ? entry + maskAt + size_t(h - 1 - y) * maskStride : nullptr;
        for (int x = 0; x < w; ++x) {
            uint32_t c = PixelOf(image, row, x);
            bool clear = mask && ((mask[x / 8] >> (7 - x % 8)) & 1);
            const uint32_t a = bpp == 32 && alpha ? c >> 24 : (clear ? 0 : 0xFF);
            out->argb[size_t(y) * size_t(w) + size_t(x)] = a << 24 | (c & 0xFFFFFF);
        }
    }
    return true;
}

}  // namespace wynplat
