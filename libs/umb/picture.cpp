// The system's own picture file: the 16-bit form (raw or coded rows) and the older 8-bit
// palette form.
#include <cstring>

#include "umb_internal.h"

namespace {

const size_t kHead = 56;   // RIFF header and format chunk
const size_t kBlock = 32;  // the "bmp " block header

// The smallest number of bytes that can code one row of `xsize` pixels (row and mask parts
// with their markers; a run codes at most 256 pixels in 4 bytes).
size_t MinRowBytes(size_t xsize) { return 4 + (xsize + 63) / 64; }

int Parse16(wyn::ByteReader& r, size_t size, const BYTE* data, tagCELL* cell) {
    r.seek(kHead);
    r.skip(4);
    DWORD length = r.u32();
    int xsize = r.u16();
    int ysize = r.u16();
    r.skip(4);
    int xpos = r.u16(), ypos = r.u16(), xoffset = r.u16(), yoffset = r.u16();
    r.skip(2);  // bits per pixel: always 16
    int coded = r.u16();
    int key = r.u16();
    r.skip(2);
    if (!r.ok() || xsize == 0 || ysize == 0) return 0;
    const size_t at = kHead + kBlock;
    const size_t have = size - at;
    const size_t pixels = size_t(xsize) * size_t(ysize);
    size_t dataLen = 0;
    if (coded) {
        if (length < kBlock) return 0;
        dataLen = length - kBlock;
        if (dataLen > have || size_t(ysize) * MinRowBytes(size_t(xsize)) > dataLen) return 0;
    } else if (pixels * 2 > have) {
        return 0;
    }
    if (!UMBDLL_CreateCell(cell, xsize, ysize)) return 0;
    cell->mask = key == 0xFFFF ? CELL_MASK_NONE : LONG(key);
    cell->xpos = xpos;
    cell->ypos = ypos;
    cell->xoffset = xoffset;
    cell->yoffset = yoffset;
    if (coded) {
        if (!UmbDecodeRows(data + at, dataLen, cell->bits, xsize, ysize)) {
            UmbEmptyCell(cell);
            return 0;
        }
    } else {
        const BYTE* p = data + at;
        for (size_t i = 0; i < pixels; ++i, p += 2) cell->bits[i] = ZEMPIXEL(p[0] | p[1] << 8);
    }
    return 1;
}

int Parse8(wyn::ByteReader& r, tagCELL* cell) {
    r.seek(24);
    DWORD hasPalette = r.u32();
    r.seek(40);
    DWORD hasPicture = r.u32();
    r.seek(kHead);
    ZEMPIXEL palette[256] = {};
    if (hasPalette && !Umb8ParsePal(r, palette)) return 0;
    if (!hasPicture) return 0;  // nothing to show
    tagCELL indices = {};
    if (!Umb8ParseBlock(r, &indices)) return 0;
    if (!UMBDLL_CreateCell(cell, indices.xsize, indices.ysize)) {
        UmbFree(indices.bits);
        return 0;
    }
    const BYTE* from = reinterpret_cast<const BYTE*>(indices.bits);
    size_t n = size_t(indices.xsize) * size_t(indices.ysize);
    for (size_t i = 0; i < n; ++i) cell->bits[i] = palette[from[i]];
    UmbFree(indices.bits);
    // A key index outside the palette names no colour.
    cell->mask =
        (indices.mask >= 0 && indices.mask < 256) ? LONG(palette[indices.mask]) : CELL_MASK_NONE;
    cell->xpos = indices.xpos;
    cell->ypos = indices.ypos;
    cell->xoffset = indices.xoffset;
    cell->yoffset = indices.yoffset;
    return 1;
}

bool WriteAll(HFILE f, const void* data, size_t n) {
    return LONG(n) >= 0 && _hwrite(f, static_cast<LPCSTR>(data), LONG(n)) == LONG(n);
}

struct ProgressTarget {
    HWND window;
    int rows;
};

void Progress(void* ctx, int row) {
    const ProgressTarget* t = static_cast<const ProgressTarget*>(ctx);
    SendMessageA(t->window, UMB_WM_PROGRESS, WPARAM(row * 100 / t->rows), 0);
}

}  // namespace

int UmbParsePicture(const BYTE* data, size_t size, tagCELL* cell) {
    if (!cell) return 0;
    std::memset(cell, 0, sizeof *cell);
    cell->mask = CELL_MASK_NONE;
    wyn::ByteReader r(data, size);
    if (size < kHead) return 0;
    r.seek(20);
    DWORD format = r.u32();
    int ok = format == UMB_FORMAT_8 ? Parse8(r, cell) : Parse16(r, size, data, cell);
    if (!ok) UmbEmptyCell(cell);
    return ok;
}

int Umb8Unpack(const BYTE* src, size_t size, BYTE* dst, size_t dstSize) {
    size_t sp = 0, dp = 0;
    for (;;) {
        if (sp >= size) return 0;
        int c = src[sp++];
        if (c <= 0x0D) {
            if (size - sp < 2) return 0;
            size_t len = size_t(c * 256 + src[sp]) + 1;
            BYTE v = src[sp + 1];
            sp += 2;
            if (len > dstSize - dp) return 0;
            std::memset(dst + dp, v, len);
            dp += len;
        } else if (c == 0x0E) {
            if (dp >= dstSize) return 0;
            dst[dp++] = 0x0E;
        } else if (c == 0x0F) {
            return 1;
        } else if (c <= 0x1F) {
            if (size - sp < 2) return 0;
            size_t dist = size_t((c - 16) * 256 + src[sp]) + 1;
            size_t len = size_t(src[sp + 1]) + 1;
            sp += 2;
            if (dist > dp || len > dstSize - dp) return 0;
            // Byte by byte: a copy may repeat what it produces.
            for (size_t i = 0; i < len; ++i, ++dp) dst[dp] = dst[dp - dist];
        } else {
            if (dp >= dstSize) return 0;
            dst[dp++] = BYTE(c - 16);
        }
    }
}

int Umb8ParsePal(wyn::ByteReader& r, ZEMPIXEL* palette) {
    r.skip(4);
    r.u32();  // the length follows from the presence map
    r.skip(4);
    const BYTE* map = r.take(32);
    if (!map) return 0;
    if (palette) std::memset(palette, 0, 256 * sizeof(ZEMPIXEL));
    for (int i = 0; i < 256; ++i) {
        if (!(map[i / 8] & (0x80 >> (i % 8)))) continue;
        int red = r.u8(), green = r.u8(), blue = r.u8();
        if (palette)
            palette[i] =
                UMB_MakePixel(UMB_Channel8To5(red), UMB_Channel8To5(green), UMB_Channel8To5(blue));
    }
    return r.ok() ? 1 : 0;
}

int Umb8ParseBlock(wyn::ByteReader& r, tagCELL* cell) {
    r.skip(4);
    DWORD length = r.u32();
    int xsize = r.u16();
    int ysize = r.u16();
    r.skip(4);
    int xpos = r.u16(), ypos = r.u16(), xoffset = r.u16(), yoffset = r.u16();
    r.skip(2);
    int flags = r.u16();
    int key = r.u16();
    r.skip(2);
    if (!r.ok() || xsize == 0 || ysize == 0 || length < 24) return 0;
    size_t pixels = size_t(xsize) * size_t(ysize);
    size_t dataLen = length - 24;
    const BYTE* src = nullptr;
    if (flags & 1) {
        // A 3-byte code yields at most 3584 bytes: a picture much larger than its data is a lie.
        src = r.take(dataLen);
        if (!src || pixels > dataLen * 1200 + 16) return 0;
    } else {
        src = r.take(pixels);
        if (!src) return 0;
    }
    BYTE* bits = static_cast<BYTE*>(UmbAlloc(pixels));
    if (!bits) return 0;
    if (flags & 1) {
        if (!Umb8Unpack(src, dataLen, bits, pixels)) {
            UmbFree(bits);
            return 0;
        }
    } else {
        std::memcpy(bits, src, pixels);
    }
    cell->xsize = xsize;
    cell->ysize = ysize;
    cell->xpos = xpos;
    cell->ypos = ypos;
    cell->xoffset = xoffset;
    cell->yoffset = yoffset;
    cell->mask = key;
    cell->user = 0;
    cell->bits = reinterpret_cast<ZEMPIXEL*>(bits);
    return 1;
}

UMBDLL_API int WINAPI UMBDLL_ReadUMB(LPCSTR path, tagCELL* cell) {
    return UmbReadCell(path, cell, UmbParsePicture);
}

UMBDLL_API int WINAPI UMBDLL_WriteUMB16(LPCSTR path, const tagCELL* cell, LPCSTR formType,
                                        int compress, HWND window) {
    if (!cell || !cell->bits || cell->xsize <= 0 || cell->ysize <= 0 || cell->xsize > 0xFFFF ||
        cell->ysize > 0xFFFF)
        return 0;
    const int xsize = cell->xsize, ysize = cell->ysize;
    const size_t pixels = size_t(xsize) * size_t(ysize);
    BYTE* work = nullptr;
    size_t dataLen = pixels * 2;
    if (compress) {
        size_t bound = UmbEncodeBound(xsize, ysize);
        work = static_cast<BYTE*>(UmbAlloc(bound));
        if (!work) return 0;
        ProgressTarget target = {window, ysize};
        dataLen = UmbEncodeRows(cell->bits, xsize, ysize, work, bound, window ? Progress : nullptr,
                                &target);
    } else {
        work = static_cast<BYTE*>(UmbAlloc(dataLen));
        if (!work) return 0;
        wyn::ByteWriter px(work, dataLen);
        for (size_t i = 0; i < pixels; ++i) px.u16(cell->bits[i]);
    }
    if (dataLen + kBlock > 0xFFFFFFFFu) {
        UmbFree(work);
        return 0;
    }

    BYTE head[kHead] = {};
    BYTE block[kBlock] = {};
    wyn::ByteWriter h(head, sizeof head);
    h.bytes("RIFF", 4);
    h.u32(0);
    char form[4] = {};
    for (int i = 0; i < 4 && formType && formType[i]; ++i) form[i] = formType[i];
    h.bytes(form, 4);
    h.bytes("fmt ", 4);
    h.u32(36);
    h.u32(UMB_FORMAT_16);
    wyn::ByteWriter b(block, sizeof block);
    b.bytes("bmp ", 4);
    b.u32(DWORD(dataLen + kBlock));
    b.u16(WORD(xsize));
    b.u16(WORD(ysize));
    b.u32(0);
    b.u16(WORD(cell->xpos));
    b.u16(WORD(cell->ypos));
    b.u16(WORD(cell->xoffset));
    b.u16(WORD(cell->yoffset));
    b.u16(16);
    b.u16(compress ? 1 : 0);
    b.u16(cell->mask == CELL_MASK_NONE ? 0xFFFF : WORD(cell->mask & ZEMPIXEL_COLOUR));
    b.u16(0);

    OFSTRUCT of = {};
    HFILE f = OpenFile(path, &of, OF_CREATE | OF_WRITE);
    if (f == HFILE_ERROR) {
        UmbFree(work);
        return 0;
    }
    bool ok = WriteAll(f, head, sizeof head) && WriteAll(f, block, sizeof block) &&
              WriteAll(f, work, dataLen);
    if (ok) {
        // The header part's length marks a file whose pixel data was written whole.
        wyn::ByteWriter fix(head, sizeof head);
        fix.seek(4);
        fix.u32(kHead);
        ok = _llseek(f, 0, FILE_BEGIN) == 0 && WriteAll(f, head, sizeof head);
    }
    _lclose(f);
    UmbFree(work);
    return ok ? 1 : 0;
}

UMBDLL_API int WINAPI UMBDLL8_ReadPal(HFILE file, ZEMPIXEL* palette) {
    BYTE head[44];
    if (_hread(file, head, sizeof head) != LONG(sizeof head)) return 0;
    size_t present = 0;
    for (int i = 0; i < 32; ++i)
        for (int bit = 0; bit < 8; ++bit) present += (head[12 + i] >> bit) & 1;
    BYTE chunk[44 + 3 * 256];
    std::memcpy(chunk, head, sizeof head);
    if (_hread(file, chunk + sizeof head, LONG(3 * present)) != LONG(3 * present)) return 0;
    wyn::ByteReader r(chunk, sizeof head + 3 * present);
    return Umb8ParsePal(r, palette);
}

UMBDLL_API int WINAPI UMBDLL8_ReadBmp(HFILE file, tagCELL* cell) {
    if (!cell) return 1;
    BYTE head[kBlock];
    if (_hread(file, head, sizeof head) != LONG(sizeof head)) return 0;
    wyn::ByteReader hr(head, sizeof head);
    hr.skip(4);
    DWORD length = hr.u32();
    size_t pixels = size_t(hr.u16());
    pixels *= hr.u16();
    hr.seek(26);
    bool packed = hr.u16() & 1;
    size_t dataLen = packed ? (length >= 24 ? length - 24 : 0) : pixels;
    // Only as much as the file still holds is worth a block.
    LONG here = _llseek(file, 0, FILE_CURRENT);
    LONG end = _llseek(file, 0, FILE_END);
    _llseek(file, here, FILE_BEGIN);
    if (here < 0 || end < here || dataLen > size_t(end - here)) return 0;
    BYTE* all = static_cast<BYTE*>(UmbAlloc(sizeof head + dataLen));
    if (!all) return 0;
    std::memcpy(all, head, sizeof head);
    int ok = 0;
    if (_hread(file, all + sizeof head, LONG(dataLen)) == LONG(dataLen)) {
        wyn::ByteReader r(all, sizeof head + dataLen);
        ok = Umb8ParseBlock(r, cell);
    }
    UmbFree(all);
    return ok;
}

UMBDLL_API int WINAPI UMBDLL8_Unpack(BYTE* destination, const BYTE* source) {
    return Umb8Unpack(source, SIZE_MAX, destination, SIZE_MAX);
}
