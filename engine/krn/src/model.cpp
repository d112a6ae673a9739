// KRN_ReadChip and KRN_CheckChipCount: model files read whole (plain or from their .vfs
// archive) and handed to the readers by extension.
#include <cstring>
#include <strings.h>

#include "krn.h"
#include "krn_internal.h"
#include "nxlib.h"

namespace {

enum class Kind { kDxf, kDxr, kPh1, kOther };

Kind KindOf(const char* path) {
    // The extension is what follows the last '.' of the file name.
    const char* dot = nullptr;
    for (const char* p = path; *p; ++p) {
        if (*p == '.') dot = p;
        if (*p == '\\' || *p == '/') dot = nullptr;
    }
    if (!dot) return Kind::kOther;
    if (strcasecmp(dot, ".dxf") == 0) return Kind::kDxf;
    if (strcasecmp(dot, ".dxr") == 0) return Kind::kDxr;
    if (strcasecmp(dot, ".ph1") == 0) return Kind::kPh1;
    return Kind::kOther;
}

// The file's bytes: text files zero-terminated (a last end-of-file mark dropped), height
// maps as they are.
struct Block {
    char* data = nullptr;
    size_t size = 0;
    Block(const char* path, bool text) {
        int n = NXL_FILE_Size(path);
        if (n < 0) return;
        data = static_cast<char*>(NXL_FILE_ReadBlock(path, text ? 1 : 0));
        if (data) size = (size_t)n;
    }
    ~Block() {
        if (data) NXL_MEM_Free(data);
    }
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
};

}  // namespace

KRNAPI int WINAPI KRN_ReadChip(tagKRN* krn, int start, const char* path, const tagKRN3D* vector) {
    if (!krn || !path) return 0;
    Kind kind = KindOf(path);
    if (kind == Kind::kOther) return -1;
    Block b(path, kind != Kind::kPh1);
    if (!b.data) return 0;
    switch (kind) {
        case Kind::kDxf:
            return krn::ReadDXF(krn, start, b.data, b.size, 0xFFFFFF, false, vector);
        case Kind::kDxr:
            return krn::ReadDXF(krn, start, b.data, b.size, 0, true, vector);
        default:
            return krn::ReadPH1(krn, start, reinterpret_cast<const unsigned char*>(b.data), b.size,
                                vector);
    }
}

KRNAPI int WINAPI KRN_CheckChipCount(const char* path) {
    if (!path) return 0;
    Kind kind = KindOf(path);
    if (kind == Kind::kOther) return -1;
    Block b(path, kind != Kind::kPh1);
    if (!b.data) return 0;
    if (kind == Kind::kPh1) return b.size < krn::kPH1Bytes ? 0 : krn::kPH1Chips;
    return krn::CountDXF(b.data, b.size);
}
