// Value files: a RIFF "VVFG" with one chunk per value and an "END " chunk.
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "umb33.h"
#include "vskfile_internal.h"
#include "wynbytes.h"

namespace vskfile {
namespace {

constexpr DWORD kMaxString = 2000;  // 999 units and the 0 unit
constexpr DWORD kCellHead = 40;     // ten 32-bit fields

bool Is(const BYTE* tag, const char* name) { return std::memcmp(tag, name, 4) == 0; }

bool Known(const BYTE* tag) {
    for (const char* name : {"NULL", "NUM ", "RECT", "STR ", "CELL", "MEM "})
        if (Is(tag, name)) return true;
    return false;
}

// The key of a string chunk: its size's low byte, or 255 when that is 0.
int StringKey(DWORD size) { return (size & 0xFF) ? int(size & 0xFF) : 255; }

// One value from a chunk's data, or false (with nothing left allocated) when the chunk cannot
// be one.
bool ReadValue(tagVALUAREA* ctx, const BYTE* tag, const BYTE* data, DWORD size, tagVALUE* v) {
    HWND hwnd = ctx->hwnd;
    wyn::ByteReader r(data, size);
    *v = tagVALUE{};
    if (Is(tag, "NULL")) return true;
    if (Is(tag, "NUM ")) {
        if (size < 8) return false;
        v->mode = VSK_MODE_NUMBER;
        VskSetDword(v, 0, r.u32());
        VskSetDword(v, 1, r.u32());
        return true;
    }
    if (Is(tag, "RECT")) {
        if (size < 16) return false;
        int x = r.i32(), y = r.i32(), w = r.i32(), h = r.i32();
        return VSKRAQ_Rect(ctx, v, x, y, w, h) == 1;
    }
    if (Is(tag, "STR ")) {
        if (size > kMaxString || size < 2 || size % 2) return false;
        BYTE plain[kMaxString];
        std::memcpy(plain, data, size);
        VSKFILE_UnlockCode(plain, size, StringKey(size));
        wyn::ByteReader units(plain, size);
        for (DWORD i = 0; i < size / 2; ++i) ctx->wordbuf1[i] = units.u16();
        if (ctx->wordbuf1[size / 2 - 1] != 0) return false;
        return VSKSTR_SetWord(ctx, v, ctx->wordbuf1) == 1;
    }
    if (Is(tag, "CELL")) {
        if (size < kCellHead) return false;
        DWORD mode = r.u32();
        LONG fields[7];
        for (LONG& f : fields) f = r.i32();
        r.skip(4);  // the pixel pointer as it was in memory
        DWORD user = r.u32();
        int64_t xsize = fields[0], ysize = fields[1];
        if (xsize < 0 || ysize < 0 || size - kCellHead != uint64_t(xsize) * 2 * uint64_t(ysize))
            return false;
        auto* cell = static_cast<tagCELL*>(VSKTASK_AllocMemory(hwnd, sizeof(tagCELL)));
        if (!cell) return false;
        cell->bits = static_cast<ZEMPIXEL*>(VSKTASK_AllocMemory(hwnd, size - kCellHead));
        if (!cell->bits) {
            VSKTASK_FreeMemory(hwnd, cell);
            return false;
        }
        cell->mode = mode;
        cell->xsize = fields[0];
        cell->ysize = fields[1];
        cell->xpos = fields[2];
        cell->ypos = fields[3];
        cell->xoffset = fields[4];
        cell->yoffset = fields[5];
        cell->mask = fields[6];
        cell->user = user;
        for (DWORD i = 0; i < (size - kCellHead) / 2; ++i) cell->bits[i] = r.u16();
        VskSetCaq(v, cell);
        return true;
    }
    if (Is(tag, "MEM ")) {
        if (size > INT_MAX) return false;
        void* memory = VSKTASK_AllocMemory(hwnd, size);
        if (!memory) return false;
        if (size) std::memcpy(memory, data, size);
        VskSetMaq(v, memory, int(size), 0);
        return true;
    }
    return false;  // not one of the value tags
}

// The chunk of one value.
bool ChunkOf(tagVALUAREA* ctx, const tagVALUE* v, std::vector<BYTE>* out) {
    HWND hwnd = ctx->hwnd;
    const char* tag = "NULL";
    std::vector<BYTE> data;
    auto put32 = [&](uint32_t x) {
        for (int i = 0; i < 4; ++i) data.push_back(BYTE(x >> (8 * i)));
    };
    switch (v->mode) {
        case VSK_MODE_NUMBER:
            tag = "NUM ";
            put32(VskFaqHigh(v));
            put32(VskFaqLow(v));
            break;
        case VSK_MODE_RECT:
            tag = "RECT";
            for (int k = 0; k < 4; ++k) put32(uint32_t(VskInt(v, k)));
            break;
        case VSK_MODE_STRING: {
            tag = "STR ";
            if (!VSKSTR_GetWord(ctx, v, ctx->wordbuf1)) return false;
            int n = VskSaqLength(v);
            for (int i = 0; i <= n; ++i) {
                data.push_back(BYTE(ctx->wordbuf1[i]));
                data.push_back(BYTE(ctx->wordbuf1[i] >> 8));
            }
            VSKFILE_LockCode(data.data(), DWORD(data.size()), StringKey(DWORD(data.size())));
            break;
        }
        case VSK_MODE_CELL: {
            const tagCELL* cell = VskCaqCell(v);
            if (!cell) break;  // no record: nothing to keep
            if (cell->xsize < 0 || cell->ysize < 0) return false;
            size_t pixels = size_t(cell->xsize) * size_t(cell->ysize);
            SIZE_T have = VSKTASK_SizeMemory(hwnd, cell->bits);
            if (have && have < pixels * 2) return false;
            tag = "CELL";
            put32(cell->mode);
            for (LONG f : {cell->xsize, cell->ysize, cell->xpos, cell->ypos, cell->xoffset,
                           cell->yoffset, cell->mask})
                put32(uint32_t(f));
            put32(0);
            put32(uint32_t(cell->user));
            for (size_t i = 0; i < pixels; ++i) {
                ZEMPIXEL p = cell->bits ? cell->bits[i] : 0;
                data.push_back(BYTE(p));
                data.push_back(BYTE(p >> 8));
            }
            break;
        }
        case VSK_MODE_MEMORY: {
            const BYTE* memory = VskMaqMemory(v);
            int size = VskMaqSize(v);
            SIZE_T have = VSKTASK_SizeMemory(hwnd, memory);
            if (size < 0 || (size && !memory) || (have && have < SIZE_T(size))) return false;
            tag = "MEM ";
            data.assign(memory, memory + size);
            break;
        }
    }
    out->resize(8 + data.size());
    wyn::ByteWriter w(out->data(), out->size());
    w.bytes(tag, 4);
    w.u32(DWORD(data.size()));
    w.bytes(data.data(), data.size());
    return true;
}

// Reads a plain file whole through a handle opened for reading and writing.
bool ReadAll(HFILE f, std::vector<BYTE>* bytes) {
    LONG end = _llseek(f, 0, FILE_END);
    if (end < 0 || _llseek(f, 0, FILE_BEGIN) != 0) return false;
    bytes->resize(size_t(end));
    return end == 0 || _hread(f, bytes->data(), end) == end;
}

// The offset of the "END " chunk of a value file's bytes, or -1.
int64_t EndChunk(const std::vector<BYTE>& file) {
    wyn::ByteReader r(file.data(), file.size());
    r.seek(12);
    while (r.has(8)) {
        size_t at = r.pos();
        const BYTE* tag = r.take(4);
        DWORD size = r.u32();
        if (Is(tag, "END ")) return int64_t(at);
        if (!r.skip(size)) return -1;
    }
    return -1;
}

// The body of a value file (behind the header it was opened as), or false.
bool ReadBody(tagVALUAREA* ctx, LPCSTR name, std::vector<BYTE>* body) {
    HFILE f = VSKFILE_OpenRIFF(ctx->hwnd, name, "VVFG");
    if (!f) return false;
    Span span = SpanOf(f);
    body->resize(span.size > 12 ? span.size - 12 : 0);
    if (!body->empty() && !VSKFILE_Read(ctx->hwnd, f, body->data(), DWORD(body->size())))
        return false;  // closed by the read
    VSKFILE_Close(ctx->hwnd, f);
    return true;
}

}  // namespace

int CountValues(const BYTE* body, size_t size) {
    wyn::ByteReader r(body, size);
    for (int n = 0;; ++n) {
        const BYTE* tag = r.take(4);
        DWORD chunk = r.u32();
        if (!r.ok()) return 0;
        if (Is(tag, "END ")) return n;
        if (!r.skip(chunk)) return 0;
    }
}

int ReadValues(tagVALUAREA* ctx, const BYTE* body, size_t size, const tagVALUEBLOCK* block,
               int first, int skip, int count) {
    wyn::ByteReader r(body, size);
    for (int i = 0; i < skip; ++i) {
        const BYTE* tag = r.take(4);
        DWORD chunk = r.u32();
        if (!r.ok() || Is(tag, "END ") || !r.skip(chunk)) return 0;
    }
    int stored = 0;
    for (int i = 0; i < count; ++i) {
        const BYTE* tag = r.take(4);
        DWORD chunk = r.u32();
        if (!r.ok()) return 0;
        if (Is(tag, "END ")) break;
        // Checked against the bytes there before the slot or anything else is touched.
        const BYTE* data = r.take(chunk);
        if (!data) return 0;
        VSKVAL_Clear(ctx, block, first + i);
        if (!Known(tag)) {
            char name[5] = {};
            std::memcpy(name, tag, 4);
            char text[128];
            std::snprintf(text, sizeof text, "未定義のデータ形式です。(Block=%d, Name=%s)",
                          skip + i, name);
            MessageBoxA(ctx->hwnd, text, kCaption, MB_OK | MB_ICONEXCLAMATION);
            continue;
        }
        tagVALUE v;
        if (!ReadValue(ctx, tag, data, chunk, &v)) return 0;
        if (!VSKVAL_Set(ctx, block, first + i, &v)) {
            VSKFAQ_Clear(ctx, &v);
            return 0;
        }
        ++stored;
    }
    return stored;
}

}  // namespace vskfile

using namespace vskfile;

int WINAPI VSKFILE_CountFAQ(tagVALUAREA* ctx, LPCSTR name) {
    std::vector<BYTE> body;
    if (!ctx || !ReadBody(ctx, name, &body)) return 0;
    return CountValues(body.data(), body.size());
}

int WINAPI VSKFILE_ReadFAQ(tagVALUAREA* ctx, LPCSTR name, const tagVALUEBLOCK* block, int first,
                           int skip, int count) {
    std::vector<BYTE> body;
    if (!ctx || !ReadBody(ctx, name, &body)) return 0;
    return ReadValues(ctx, body.data(), body.size(), block, first, skip, count);
}

int WINAPI VSKFILE_WriteFAQ(tagVALUAREA* ctx, LPCSTR name, const tagVALUEBLOCK* block, int first,
                            int skip, int count) {
    if (!ctx) return 0;
    HWND hwnd = ctx->hwnd;
    // Every slot is looked at before the file is touched, so that a bad index loses nothing.
    std::vector<std::vector<BYTE>> chunks;
    for (int i = 0; i < count; ++i) {
        tagVALUE v;
        if (!VSKVAL_Get(ctx, block, first + i, &v)) return 0;
        chunks.emplace_back();
        if (!ChunkOf(ctx, &v, &chunks.back())) return 0;
    }
    HFILE f;
    if (!VSKFILE_Exist(hwnd, name)) {
        f = VSKFILE_WriteOpen(hwnd, name);
        if (!f) return 0;
        BYTE head[12] = {};
        if (!VSKFILE_Write(hwnd, f, head, sizeof head)) return 0;
    } else {
        HFILE check = VSKFILE_OpenRIFF(hwnd, name, "VVFG");
        if (!check) return 0;
        VSKFILE_Close(hwnd, check);
        // An existing file is only appended to.
        if (skip >= 0) return 0;
        f = VSKFILE_Open(hwnd, name, OF_READWRITE);
        if (!f) return 0;
        std::vector<BYTE> file;
        int64_t end = ReadAll(f, &file) ? EndChunk(file) : -1;
        if (end < 0 || _llseek(f, LONG(end), FILE_BEGIN) != LONG(end)) {
            VSKFILE_Close(hwnd, f);
            return 0;
        }
    }
    for (const std::vector<BYTE>& chunk : chunks)
        if (!VSKFILE_Write(hwnd, f, chunk.data(), DWORD(chunk.size()))) return 0;
    if (!VSKFILE_SetChunk(hwnd, f, "END ", 0) || !VSKFILE_MakeRIFF(hwnd, f, "VVFG")) return 0;
    VSKFILE_Close(hwnd, f);
    return count;
}
