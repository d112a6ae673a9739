// Compiled-script files: RIFF "SNB " with an INFO record and the scrambled bytecode.
#include <cstring>
#include <vector>

#include "vskcomp_internal.h"

namespace vskcomp {
namespace {

constexpr DWORD kInfoSize = 60;
// The notice of the INFO record: 39 characters, padded with blanks; readers ignore it.
constexpr char kNotice[] = "Veskeran script, compiled from its text";
static_assert(sizeof kNotice - 1 <= 39, "the notice has 39 characters at most");

std::vector<BYTE> Info(int key) {
    std::vector<BYTE> info(kInfoSize, 0);
    wyn::ByteWriter w(info.data(), info.size());
    w.u8(BYTE(key));
    w.u8(BYTE(~key));
    w.bytes("Veskeran \0", 10);
    char notice[40];
    std::memset(notice, ' ', 39);
    std::memcpy(notice, kNotice, sizeof kNotice - 1);
    notice[39] = 0;
    w.bytes(notice, 40);
    w.u16(0x0304);
    return info;
}

}  // namespace

int PackWithKey(HWND hwnd, LPCSTR path, const BYTE* code, DWORD length, int key) {
    if (!code && length) return 0;
    DWORD padded = (length + 3) & ~DWORD(3);
    std::vector<BYTE> data(padded, 0);
    if (length) std::memcpy(data.data(), code, length);
    VSKFILE_LockCode(data.data(), padded, key);
    std::vector<BYTE> info = Info(key);
    HFILE f = VSKFILE_WriteOpen(hwnd, path);
    if (!f) return 0;
    BYTE head[12] = {};
    // A failed write has closed the file.
    if (!VSKFILE_Write(hwnd, f, head, sizeof head) ||
        !VSKFILE_SetChunk(hwnd, f, "INFO", kInfoSize) ||
        !VSKFILE_Write(hwnd, f, info.data(), kInfoSize) ||
        !VSKFILE_SetChunk(hwnd, f, "CODE", padded) ||
        !VSKFILE_Write(hwnd, f, data.data(), padded) || !VSKFILE_MakeRIFF(hwnd, f, "SNB "))
        return 0;
    VSKFILE_Close(hwnd, f);
    return 1;
}

bool ParseSnb(const BYTE* body, size_t size, std::vector<BYTE>* code) {
    wyn::ByteReader r(body, size);
    const BYTE* info = nullptr;
    const BYTE* data = nullptr;
    DWORD dataSize = 0;
    while (r.has(8) && !(info && data)) {
        const BYTE* tag = r.take(4);
        DWORD chunk = r.u32();
        const BYTE* bytes = r.take(chunk);
        if (!bytes) return false;
        if (!info && std::memcmp(tag, "INFO", 4) == 0) {
            if (chunk != kInfoSize) return false;
            info = bytes;
        } else if (!data && std::memcmp(tag, "CODE", 4) == 0) {
            data = bytes;
            dataSize = chunk;
        }
    }
    if (!info || !data) return false;
    code->assign(data, data + dataSize);
    VSKFILE_UnlockCode(code->data(), dataSize, info[0]);
    return CheckCode(code->data(), code->size());
}

}  // namespace vskcomp

using namespace vskcomp;

int WINAPI VSKCOMP_Pack(HWND hwnd, LPCSTR path, const BYTE* code, DWORD length) {
    return PackWithKey(hwnd, path, code, length, VSKFILE_MakeCode());
}

BYTE* WINAPI VSKCOMP_Unpack(HWND hwnd, LPCSTR path) {
    HFILE f = VSKFILE_OpenRIFF(hwnd, path, "SNB ");
    if (!f) return nullptr;
    // The chunks behind the header, read whole: the data's size (an archive entry's or the
    // plain file's) less the header the file stands behind.
    DWORD size = VSKFILE_Size(hwnd, path);
    std::vector<BYTE> body(size > 12 ? size - 12 : 0);
    if (!body.empty() && !VSKFILE_Read(hwnd, f, body.data(), DWORD(body.size()))) return nullptr;
    VSKFILE_Close(hwnd, f);
    std::vector<BYTE> code;
    if (!ParseSnb(body.data(), body.size(), &code)) {
        Message(hwnd, "\"%s\"\nコンパイル済みスクリプトが壊れています。", path ? path : "");
        return nullptr;
    }
    auto* block = static_cast<BYTE*>(VSKTASK_AllocMemory(hwnd, code.size()));
    if (block) std::memcpy(block, code.data(), code.size());
    return block;
}
