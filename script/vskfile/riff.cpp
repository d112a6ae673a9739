// RIFF containers: the header, chunk headers and the search for a chunk.
#include <cstring>

#include "vskfile_internal.h"
#include "wynbytes.h"

using namespace vskfile;

namespace {

bool ReadRaw(HFILE f, void* buffer, LONG n) { return _hread(f, buffer, n) == n; }

}  // namespace

HFILE WINAPI VSKFILE_OpenRIFF(HWND hwnd, LPCSTR name, LPCSTR form) {
    HFILE f = VSKFILE_ReadOpen(hwnd, name);
    if (!f) return 0;
    BYTE head[12];
    const char* problem = nullptr;
    if (!ReadRaw(f, head, 12) || std::memcmp(head, "RIFF", 4) != 0)
        problem = "指定されたファイルは RIFF 形式ファイルではありません。";
    else if (!form || std::memcmp(head + 8, form, 4) != 0)
        problem = "指定されたファイルは種類が一致しません。";
    if (problem) {
        VSKFILE_Close(hwnd, f);
        NameMessage(hwnd, Upper(name), problem, false, nullptr);
        return 0;
    }
    return f;
}

int WINAPI VSKFILE_MakeRIFF(HWND hwnd, HFILE file, LPCSTR form) {
    if (!form) return 0;
    LONG here = _llseek(file, 0, FILE_CURRENT);
    LONG end = _llseek(file, 0, FILE_END);
    if (here < 0 || end < 8 || _llseek(file, 0, FILE_BEGIN) != 0) return 0;
    BYTE head[12];
    wyn::ByteWriter w(head, sizeof head);
    w.bytes("RIFF", 4);
    w.u32(DWORD(end - 8));
    w.bytes(form, 4);
    if (!VSKFILE_Write(hwnd, file, head, sizeof head)) return 0;
    return _llseek(file, here, FILE_BEGIN) == here ? 1 : 0;
}

int WINAPI VSKFILE_SetChunk(HWND hwnd, HFILE file, LPCSTR tag, DWORD size) {
    if (!tag) return 0;
    BYTE head[8];
    wyn::ByteWriter w(head, sizeof head);
    w.bytes(tag, 4);
    w.u32(size);
    return VSKFILE_Write(hwnd, file, head, sizeof head);
}

int WINAPI VSKFILE_GetChunk(HWND hwnd, HFILE file, char* tag, DWORD* size) {
    BYTE head[8];
    if (!VSKFILE_Read(hwnd, file, head, sizeof head)) return 0;
    wyn::ByteReader r(head, sizeof head);
    if (tag) {
        r.bytes(tag, 4);
        tag[4] = 0;
    } else {
        r.skip(4);
    }
    DWORD s = r.u32();
    if (size) *size = s;
    return 1;
}

int WINAPI VSKFILE_SearchChunk(HWND, HFILE file, LPCSTR tag, DWORD* size) {
    if (!tag) return 0;
    Span span = SpanOf(file);
    uint64_t at = 12, end = span.size;
    while (at + 8 <= end) {
        BYTE head[8];
        if (_llseek(file, LONG(span.base + at), FILE_BEGIN) < 0 || !ReadRaw(file, head, 8))
            return 0;
        wyn::ByteReader r(head, sizeof head);
        bool match = std::memcmp(r.take(4), tag, 4) == 0;
        DWORD s = r.u32();
        if (at + 8 + s > end) return 0;
        if (match) {
            if (size) *size = s;
            return 1;
        }
        at += 8 + s;
    }
    return 0;
}
