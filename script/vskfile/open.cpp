// Opening, closing, reading and writing files, and whole-file blocks.
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "nxl_vfs.h"
#include "vsk_sjis.h"
#include "vskfile_internal.h"

namespace vskfile {
namespace {

// The script file library's archive rule: one archive per folder, 32-byte entries.
const NxlVfsRule kRule = {VFS_ENTRY_PACKED, 1};

struct Files {
    std::mutex m;
    std::unordered_map<HFILE, Span> spans;
};

Files& TheFiles() {
    static Files* f = new Files;
    return *f;
}

// Opens for reading through the archive rule, without any box. The error code of a failure
// is left in `code`.
HFILE TryRead(const std::string& name, tagVFENTRY* entry, DWORD* code) {
    SetLastError(ERROR_SUCCESS);
    HFILE f = NxlVfs_OpenHFile(name.c_str(), &kRule, entry);
    if (f != HFILE_ERROR) return f;
    *code = GetLastError();
    // An archive without the entry leaves no code of its own: the file is not found.
    if (*code == ERROR_SUCCESS) *code = ERROR_FILE_NOT_FOUND;
    return 0;
}

// Whether the file opens for reading (no box), and its data size.
bool Probe(LPCSTR name, DWORD* size) {
    tagVFENTRY entry;
    DWORD code;
    HFILE f = TryRead(Upper(name), &entry, &code);
    if (!f) return false;
    _lclose(f);
    if (size) *size = entry.size;
    return true;
}

LONG Tell(HFILE f) { return _llseek(f, 0, FILE_CURRENT); }

// One read or write of exactly n bytes, repeated from the same place while the user asks for
// it; Cancel closes the file.
template <class Op>
int Retrying(HWND hwnd, HFILE file, DWORD n, const char* failure, Op op) {
    if (n > 0x7FFFFFFF) return 0;
    LONG at = Tell(file);
    for (;;) {
        if (op(LONG(n)) == LONG(n)) return 1;
        if (!VSKTASK_ErrorRetry(hwnd, kCaption, failure)) {
            VSKFILE_Close(hwnd, file);
            return 0;
        }
        if (at >= 0) _llseek(file, at, FILE_BEGIN);
    }
}

}  // namespace

void Remember(HFILE file, Span span) {
    Files& f = TheFiles();
    std::lock_guard<std::mutex> g(f.m);
    f.spans[file] = span;
}

Span SpanOf(HFILE file) {
    Files& f = TheFiles();
    std::lock_guard<std::mutex> g(f.m);
    auto it = f.spans.find(file);
    if (it != f.spans.end()) return it->second;
    // A file opened for writing: all of it.
    LONG here = Tell(file);
    LONG end = _llseek(file, 0, FILE_END);
    _llseek(file, here, FILE_BEGIN);
    return Span{0, end < 0 ? 0 : DWORD(end)};
}

void Forget(HFILE file) {
    Files& f = TheFiles();
    std::lock_guard<std::mutex> g(f.m);
    f.spans.erase(file);
}

std::string Upper(LPCSTR name) {
    std::vector<char> copy(name ? std::strlen(name) + 1 : 1, 0);
    if (name) std::memcpy(copy.data(), name, copy.size());
    vsk::UpperInPlace(copy.data());
    return copy.data();
}

void NameMessage(HWND hwnd, const std::string& name, const char* text, bool retry, int* answer) {
    std::string box = "\"" + name + "\"\n" + text;
    int r = retry ? VSKTASK_ErrorRetry(hwnd, kCaption, box.c_str())
                  : VSKTASK_ErrorStop(hwnd, kCaption, box.c_str());
    if (answer) *answer = r;
}

}  // namespace vskfile

using namespace vskfile;

HFILE WINAPI VSKFILE_Open(HWND hwnd, LPCSTR name, UINT mode) {
    std::string upper = Upper(name);
    for (;;) {
        DWORD code = 0;
        HFILE f = 0;
        if (mode == 0) {
            tagVFENTRY entry;
            f = TryRead(upper, &entry, &code);
            if (f) {
                Remember(f, Span{DWORD(Tell(f)), entry.size});
                return f;
            }
        } else {
            OFSTRUCT of = {};
            f = OpenFile(upper.c_str(), &of, mode);
            if (f != HFILE_ERROR) {
                // A file opened otherwise has no span: it is measured when asked.
                return (mode & OF_DELETE) ? 1 : f;
            }
            code = of.nErrCode;
        }
        int retry = 0;
        NameMessage(hwnd, upper, ErrorText(code).c_str(), !(mode & OF_DELETE), &retry);
        if ((mode & OF_DELETE) || retry != 1) return 0;
    }
}

HFILE WINAPI VSKFILE_ReadOpen(HWND hwnd, LPCSTR name) { return VSKFILE_Open(hwnd, name, 0); }

HFILE WINAPI VSKFILE_WriteOpen(HWND hwnd, LPCSTR name) {
    return VSKFILE_Open(hwnd, name, OF_CREATE | OF_WRITE);
}

int WINAPI VSKFILE_Close(HWND, HFILE file) {
    if (!file || file == HFILE_ERROR) return 0;
    Forget(file);
    return _lclose(file) == 0 ? 1 : 0;
}

int WINAPI VSKFILE_Exist(HWND, LPCSTR name) { return Probe(name, nullptr) ? 1 : 0; }

int WINAPI VSKFILE_Delete(HWND hwnd, LPCSTR name) {
    return VSKFILE_Open(hwnd, name, OF_DELETE) ? 1 : 0;
}

DWORD WINAPI VSKFILE_Size(HWND, LPCSTR name) {
    DWORD size = 0;
    return Probe(name, &size) ? size : 0;
}

int WINAPI VSKFILE_Read(HWND hwnd, HFILE file, void* buffer, DWORD n) {
    return Retrying(hwnd, file, n, "読み込みに失敗しました。",
                    [&](LONG bytes) { return _hread(file, buffer, bytes); });
}

int WINAPI VSKFILE_Write(HWND hwnd, HFILE file, const void* buffer, DWORD n) {
    return Retrying(hwnd, file, n, "書き込みに失敗しました。",
                    [&](LONG bytes) { return _hwrite(file, static_cast<LPCSTR>(buffer), bytes); });
}

void* WINAPI VSKFILE_ReadBlock(HWND hwnd, LPCSTR name, int flag) {
    HFILE f = VSKFILE_ReadOpen(hwnd, name);
    if (!f) return nullptr;
    DWORD size = SpanOf(f).size;
    auto* block = static_cast<BYTE*>(VSKTASK_AllocMemory(hwnd, SIZE_T(size) + (flag ? 2 : 0)));
    if (!block) {
        VSKFILE_Close(hwnd, f);
        return nullptr;
    }
    if (!VSKFILE_Read(hwnd, f, block, size)) {  // closed by the read
        VSKTASK_FreeMemory(hwnd, block);
        return nullptr;
    }
    VSKFILE_Close(hwnd, f);
    if (flag) {
        block[size] = 0x1A;
        block[size + 1] = 0;
    }
    return block;
}

int WINAPI VSKFILE_WriteBlock(HWND hwnd, LPCSTR name, const void* buffer, DWORD n) {
    HFILE f = VSKFILE_WriteOpen(hwnd, name);
    if (!f) return 0;
    if (!VSKFILE_Write(hwnd, f, buffer, n)) return 0;
    VSKFILE_Close(hwnd, f);
    return 1;
}
