// The row coding of the 16-bit picture file.
#include <cstdint>
#include <cstring>

#include "umb_internal.h"

namespace {

// The channel steps of the step codes 0x80-0xFC, each channel's step + 2 in its field.
struct StepTable {
    uint32_t add[125];
    StepTable() {
        for (int d = 0; d < 125; ++d)
            add[d] = uint32_t(d % 5) << 16 | uint32_t((d / 5) % 5) << 8 | uint32_t((d / 25) % 5);
    }
};
const StepTable kSteps;

// A pixel spread to byte fields (red at 16, green at 8, blue at 0), so that a step adds to
// all three at once; 32 is added to each field first so that -2 never borrows, and a field
// wraps within its five bits as a lone channel would.
inline uint32_t Spread(ZEMPIXEL p) {
    return uint32_t(p >> 10 & 31) << 16 | uint32_t(p >> 5 & 31) << 8 | uint32_t(p & 31);
}
inline ZEMPIXEL Gather(uint32_t s) {
    return ZEMPIXEL((s >> 16 & 31) << 10 | (s >> 8 & 31) << 5 | (s & 31));
}
const uint32_t kBias = 32u << 16 | 32u << 8 | 32u;
const uint32_t kMinus2 = 2u << 16 | 2u << 8 | 2u;

}  // namespace

int UmbDecodeRows(const BYTE* src, size_t size, ZEMPIXEL* dst, int xsize, int ysize) {
    if (xsize <= 0 || ysize <= 0 || !src) return 0;
    const BYTE* p = src;
    const BYTE* const end = src + size;
    const size_t maskBytes = size_t(xsize + 5) / 6;
    for (int y = 0; y < ysize; ++y) {
        ZEMPIXEL* row = dst + size_t(y) * size_t(xsize);
        if (p >= end) return 0;
        int b = *p++;
        if (b == 0x00) {
            if (size_t(end - p) < size_t(xsize) * 2 + 1) return 0;
            for (int x = 0; x < xsize; ++x, p += 2) row[x] = ZEMPIXEL(p[0] | p[1] << 8);
            if (*p++ != 0xFF) return 0;
        } else if (b == 0x01) {
            int x = 0;
            ZEMPIXEL prev = 0;
            for (;;) {
                if (p >= end) return 0;
                b = *p++;
                if (b >= 0x80 && b <= 0xFC) {
                    if (x >= xsize) return 0;
                    // Each field: prev + 32 + (0..4) - 2, masked to five bits.
                    uint32_t s = Spread(prev) + kBias + kSteps.add[b - 128] - kMinus2;
                    prev = Gather(s);
                    row[x++] = prev;
                } else if (b < 0x80) {
                    if (p >= end || x >= xsize) return 0;
                    prev = ZEMPIXEL(b << 8 | *p++);
                    row[x++] = prev;
                } else if (b == 0xFE) {
                    if (end - p < 3) return 0;
                    int n = p[0] + 1;
                    prev = ZEMPIXEL((p[1] | p[2] << 8) & ZEMPIXEL_COLOUR);
                    p += 3;
                    if (n > xsize - x) return 0;
                    for (int i = 0; i < n; ++i) row[x + i] = prev;
                    x += n;
                } else if (b == 0xFF) {
                    if (x != xsize) return 0;  // the writer always fills its rows
                    break;
                } else {
                    return 0;  // 0xFD is no code
                }
            }
        } else {
            return 0;
        }
        if (p >= end) return 0;
        b = *p++;
        if (b == 0x01) {
            size_t k = 0;
            for (;;) {
                if (p >= end) return 0;
                b = *p++;
                if (b == 0xFF) break;
                int value = b;
                size_t count = 1;
                if (b >= 0x80) {
                    if (p >= end) return 0;
                    count = size_t(*p++) + 1;
                    value = b - 128;
                }
                if (count > maskBytes - k) return 0;
                if (value & 63) {
                    for (size_t i = 0; i < count; ++i, ++k) {
                        size_t base = k * 6;
                        for (int j = 0; j < 6; ++j)
                            if ((value & (32 >> j)) && base + size_t(j) < size_t(xsize))
                                row[base + size_t(j)] |= ZEMPIXEL_HALF;
                    }
                } else {
                    k += count;
                }
            }
        } else if (b == 0x00) {
            if (p >= end || *p++ != 0xFF) return 0;
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
            while (count < 256 && x + count < xsize && (row[x + count] & ZEMPIXEL_COLOUR) == p)
                ++count;
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
