// The row coding of the 16-bit picture file.
#include <cstring>

#include "umb_internal.h"

namespace {

int Clamp5(int v) { return v & 31; }

}  // namespace

int UmbDecodeRows(const BYTE* src, size_t size, ZEMPIXEL* dst, int xsize, int ysize) {
    if (xsize <= 0 || ysize <= 0) return 0;
    size_t pos = 0;
    const size_t maskBytes = size_t(xsize + 5) / 6;
    auto next = [&](int* b) {
        if (pos >= size) return false;
        *b = src[pos++];
        return true;
    };
    for (int y = 0; y < ysize; ++y) {
        ZEMPIXEL* row = dst + size_t(y) * size_t(xsize);
        int b;
        if (!next(&b)) return 0;
        if (b == 0x00) {
            if (size - pos < size_t(xsize) * 2 + 1) return 0;
            for (int x = 0; x < xsize; ++x, pos += 2) row[x] = ZEMPIXEL(src[pos] | src[pos + 1] << 8);
            if (src[pos++] != 0xFF) return 0;
        } else if (b == 0x01) {
            int x = 0;
            ZEMPIXEL prev = 0;
            for (;;) {
                if (!next(&b)) return 0;
                if (b == 0xFF) {
                    if (x != xsize) return 0;  // the writer always fills its rows
                    break;
                }
                if (b == 0xFE) {
                    int n, lo, hi;
                    if (!next(&n) || !next(&lo) || !next(&hi)) return 0;
                    if (n + 1 > xsize - x) return 0;
                    prev = ZEMPIXEL((lo | hi << 8) & ZEMPIXEL_COLOUR);
                    for (int i = 0; i <= n; ++i) row[x++] = prev;
                } else if (b >= 0x80 && b <= 0xFC) {
                    if (x >= xsize) return 0;
                    int d = b - 128;
                    prev = UMB_MakePixel(Clamp5(UMB_PixelRed(prev) + d % 5 - 2),
                                         Clamp5(UMB_PixelGreen(prev) + (d / 5) % 5 - 2),
                                         Clamp5(UMB_PixelBlue(prev) + (d / 25) % 5 - 2));
                    row[x++] = prev;
                } else if (b < 0x80) {
                    int lo;
                    if (!next(&lo) || x >= xsize) return 0;
                    prev = ZEMPIXEL(b << 8 | lo);
                    row[x++] = prev;
                } else {
                    return 0;  // 0xFD is no code
                }
            }
        } else {
            return 0;
        }
        if (!next(&b)) return 0;
        if (b == 0x01) {
            size_t k = 0;
            for (;;) {
                if (!next(&b)) return 0;
                if (b == 0xFF) break;
                int value = b, count = 1;
                if (b >= 0x80) {
                    if (!next(&count)) return 0;
                    value = b - 128;
                    count += 1;
                }
                if (size_t(count) > maskBytes - k) return 0;
                for (int i = 0; i < count; ++i, ++k) {
                    for (int j = 0; j < 6; ++j) {
                        size_t x = k * 6 + size_t(j);
                        if (x < size_t(xsize) && (value & (32 >> j))) row[x] |= ZEMPIXEL_HALF;
                    }
                }
            }
        } else if (b == 0x00) {
            if (!next(&b) || b != 0xFF) return 0;
        } else {
            return 0;
        }
    }
    return 1;
}

size_t UmbEncodeBound(int xsize, int ysize) {
    if (xsize <= 0 || ysize <= 0) return 4;
    size_t row = 1 + size_t(xsize) * 2 + 1 + 1 + size_t(xsize + 5) / 6 + 1;
    return row * size_t(ysize) + 3;
}

size_t UmbEncodeRows(const ZEMPIXEL* pixels, int xsize, int ysize, BYTE* out, size_t cap,
                     void (*progress)(void* ctx, int row), void* ctx) {
    if (xsize <= 0 || ysize <= 0 || cap < UmbEncodeBound(xsize, ysize)) return 0;
    size_t pos = 0;
    BYTE mask[(65535 + 5) / 6 + 1];
    const int maskBytes = (xsize + 5) / 6;
    for (int y = 0; y < ysize; ++y) {
        const ZEMPIXEL* row = pixels + size_t(y) * size_t(xsize);
        // Code the row in place; a row that comes out no shorter than its raw form is
        // written raw over it instead.
        size_t start = pos;
        out[pos++] = 0x01;
        const size_t rawLimit = start + size_t(xsize) * 2;
        ZEMPIXEL prev = 0;
        bool raw = false;
        for (int x = 0; x < xsize;) {
            if (pos >= rawLimit) {
                raw = true;
                break;
            }
            ZEMPIXEL p = row[x] & ZEMPIXEL_COLOUR;
            int count = 1;
            while (count < 256 && x + count < xsize && (row[x + count] & ZEMPIXEL_COLOUR) == p) ++count;
            if (count >= 3) {
                out[pos++] = 0xFE;
                out[pos++] = BYTE(count - 1);
                out[pos++] = BYTE(p);
                out[pos++] = BYTE(p >> 8);
                x += count;
            } else {
                int dr = UMB_PixelRed(p) - UMB_PixelRed(prev);
                int dg = UMB_PixelGreen(p) - UMB_PixelGreen(prev);
                int db = UMB_PixelBlue(p) - UMB_PixelBlue(prev);
                if (dr >= -2 && dr <= 2 && dg >= -2 && dg <= 2 && db >= -2 && db <= 2) {
                    out[pos++] = BYTE(128 + (dr + 2) + 5 * (dg + 2) + 25 * (db + 2));
                } else {
                    out[pos++] = BYTE((p >> 8) & 0x7F);
                    out[pos++] = BYTE(p);
                }
                x += 1;
            }
            prev = p;
        }
        if (raw || pos >= rawLimit) {
            pos = start;
            out[pos++] = 0x00;
            for (int x = 0; x < xsize; ++x) {
                out[pos++] = BYTE(row[x]);
                out[pos++] = BYTE(row[x] >> 8);
            }
        }
        out[pos++] = 0xFF;

        std::memset(mask, 0, size_t(maskBytes));
        bool any = false;
        for (int x = 0; x < xsize; ++x)
            if (row[x] & ZEMPIXEL_HALF) {
                mask[x / 6] |= BYTE(32 >> (x % 6));
                any = true;
            }
        if (!any) {
            out[pos++] = 0x00;
        } else {
            out[pos++] = 0x01;
            for (int k = 0; k < maskBytes;) {
                int count = 1;
                while (count < 256 && k + count < maskBytes && mask[k + count] == mask[k]) ++count;
                if (count >= 4) {
                    out[pos++] = BYTE(0x80 + mask[k]);
                    out[pos++] = BYTE(count - 1);
                    k += count;
                } else {
                    out[pos++] = mask[k];
                    k += 1;
                }
            }
        }
        out[pos++] = 0xFF;
        if (progress) progress(ctx, y);
    }
    while (pos % 4) out[pos++] = 0xFF;
    return pos;
}
