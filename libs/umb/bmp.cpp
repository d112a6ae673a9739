// Windows BMP files: uncompressed 1-, 4-, 8- and 24-bit reading, 24-bit writing.
#include <cstring>

#include "umb_internal.h"

namespace {

const size_t kFileHead = 14;
const size_t kInfoHead = 40;

bool WriteAll(HFILE f, const void* data, size_t n) {
    return _hwrite(f, static_cast<LPCSTR>(data), LONG(n)) == LONG(n);
}

}  // namespace

int UmbParseBmp(const BYTE* data, size_t size, tagCELL* cell) {
    if (!cell) return 0;
    std::memset(cell, 0, sizeof *cell);
    cell->mask = CELL_MASK_NONE;
    wyn::ByteReader r(data, size);
    r.skip(10);
    DWORD dataOffset = r.u32();
    DWORD infoSize = r.u32();
    int32_t width = r.i32();
    int32_t height = r.i32();
    r.skip(2);
    int bits = r.u16();
    DWORD compression = r.u32();
    r.skip(12);
    DWORD used = r.u32();
    if (!r.ok() || infoSize < kInfoHead || infoSize > size) return 0;
    // Compressed pixels would be taken for rows of garbage.
    if (compression != 0) return 0;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return 0;
    if (width <= 0 || height == 0 || height < -0x7FFFFFFF) return 0;
    const bool topDown = height < 0;
    const size_t xsize = size_t(width);
    const size_t ysize = size_t(topDown ? -int64_t(height) : height);
    if (xsize > 0xFFFFFF || ysize > 0xFFFFFF) return 0;

    ZEMPIXEL palette[256] = {};
    size_t paletteEnd = kFileHead + infoSize;
    if (bits <= 8) {
        size_t entries = used ? used : (size_t(1) << bits);
        size_t kept = entries < (size_t(1) << bits) ? entries : (size_t(1) << bits);
        if (!r.seek(paletteEnd) || !r.has(kept * 4)) return 0;
        for (size_t i = 0; i < kept; ++i) {
            int blue = r.u8(), green = r.u8(), red = r.u8();
            r.skip(1);
            palette[i] =
                UMB_MakePixel(UMB_Channel8To5(red), UMB_Channel8To5(green), UMB_Channel8To5(blue));
        }
        if (entries > size) return 0;
        paletteEnd += entries * 4;
    }
    // The file header says where the pixels are; writers that leave it 0 put them behind
    // the palette.
    size_t pixelsAt = dataOffset ? size_t(dataOffset) : paletteEnd;
    const size_t rowBytes = (xsize * size_t(bits) + 31) / 32 * 4;
    if (pixelsAt > size || rowBytes * ysize > size - pixelsAt) return 0;

    if (!UMBDLL_CreateCell(cell, int(xsize), int(ysize))) return 0;
    for (size_t i = 0; i < ysize; ++i) {
        const BYTE* src = data + pixelsAt + i * rowBytes;
        ZEMPIXEL* dst = cell->bits + (topDown ? i : ysize - 1 - i) * xsize;
        for (size_t x = 0; x < xsize; ++x) {
            switch (bits) {
                case 1:
                    dst[x] = palette[(src[x / 8] >> (7 - x % 8)) & 1];
                    break;
                case 4:
                    dst[x] = palette[(src[x / 2] >> (x % 2 ? 0 : 4)) & 15];
                    break;
                case 8:
                    dst[x] = palette[src[x]];
                    break;
                default: {
                    const BYTE* p = src + x * 3;
                    dst[x] = UMB_MakePixel(UMB_Channel8To5(p[2]), UMB_Channel8To5(p[1]),
                                           UMB_Channel8To5(p[0]));
                }
            }
        }
    }
    return 1;
}

UMBDLL_API int WINAPI UMBDLL_ReadBMP(LPCSTR path, tagCELL* cell) {
    return UmbReadCell(path, cell, UmbParseBmp);
}

UMBDLL_API int WINAPI UMBDLL_WriteBMP24(LPCSTR path, const tagCELL* cell) {
    if (!cell || !cell->bits || cell->xsize <= 0 || cell->ysize <= 0) return 0;
    const size_t xsize = size_t(cell->xsize), ysize = size_t(cell->ysize);
    const size_t rowBytes = (xsize * 3 + 3) / 4 * 4;
    const uint64_t fileSize = uint64_t(rowBytes) * ysize + kFileHead + kInfoHead;
    if (fileSize > 0x7FFFFFFFu) return 0;
    BYTE* row = static_cast<BYTE*>(UmbAlloc(rowBytes));
    if (!row) return 0;
    OFSTRUCT of = {};
    HFILE f = OpenFile(path, &of, OF_CREATE | OF_WRITE);
    if (f == HFILE_ERROR) {
        UmbFree(row);
        return 0;
    }
    bool ok = _llseek(f, LONG(kFileHead + kInfoHead), FILE_BEGIN) == LONG(kFileHead + kInfoHead);
    for (size_t i = 0; ok && i < ysize; ++i) {
        const ZEMPIXEL* src = cell->bits + (ysize - 1 - i) * xsize;
        for (size_t x = 0; x < xsize; ++x) {
            row[x * 3] = BYTE(UMB_Channel5To8(UMB_PixelBlue(src[x])));
            row[x * 3 + 1] = BYTE(UMB_Channel5To8(UMB_PixelGreen(src[x])));
            row[x * 3 + 2] = BYTE(UMB_Channel5To8(UMB_PixelRed(src[x])));
        }
        ok = WriteAll(f, row, rowBytes);
    }
    BYTE head[kFileHead + kInfoHead];
    wyn::ByteWriter w(head, sizeof head);
    w.bytes("BM", 2);
    w.u32(DWORD(fileSize));
    w.u16(0);
    w.u16(0);
    w.u32(kFileHead + kInfoHead);
    w.u32(kInfoHead);
    w.u32(DWORD(xsize));
    w.u32(DWORD(ysize));
    w.u16(1);
    w.u16(24);
    w.u32(0);
    w.u32(0);
    w.u32(4000);
    w.u32(4000);
    w.u32(0);
    w.u32(0);
    ok = ok && _llseek(f, 0, FILE_BEGIN) == 0 && WriteAll(f, head, sizeof head);
    _lclose(f);
    UmbFree(row);
    return ok ? 1 : 0;
}
