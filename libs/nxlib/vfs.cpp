// The .vfs archive lookup shared by every reader of archives.
#include <cstring>
#include <vector>

#include "nxl_internal.h"
#include "nxl_vfs.h"
#include <wynbytes.h>

namespace {

struct EntryLayout {
    size_t name, nameField, atb, date, time, offset, size, reserve;
};

bool LayoutOf(int width, EntryLayout* l) {
    switch (width) {
        case VFS_ENTRY_PACKED:
            *l = {0, 13, 13, 15, 17, 19, 23, 27};
            return true;
        case VFS_ENTRY_ALIGNED:
            *l = {0, 13, 14, 16, 18, 20, 24, 28};
            return true;
        case VFS_ENTRY_LONG:
            *l = {0, 256, 256, 258, 260, 264, 268, 272};
            return true;
    }
    return false;
}

// Reads one entry; the bytes behind the header's meaningful length read as 0.
void ReadEntry(const BYTE* raw, int width, unsigned length, const EntryLayout& l, tagVFENTRY* e) {
    BYTE buf[VFS_ENTRY_LONG] = {};
    std::memcpy(buf, raw, length < unsigned(width) ? length : unsigned(width));
    wyn::ByteReader r(buf, size_t(width));
    r.text(e->name, sizeof e->name, l.nameField);
    r.seek(l.atb);
    e->atb = r.u16();
    r.seek(l.date);
    e->date = r.u16();
    r.seek(l.time);
    e->time = r.u16();
    r.seek(l.offset);
    e->offset = r.u32();
    r.seek(l.size);
    e->size = r.u32();
    r.seek(l.reserve);
    r.bytes(e->reserve, sizeof e->reserve);
}

// The two ways the readers reach files: Windows handles and the older HFILE calls.
struct HandleIo {
    typedef HANDLE File;
    DWORD share;
    BOOL inherit;
    File none() const { return nullptr; }
    File open(LPCSTR name) const {
        SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, inherit};
        HANDLE h = CreateFileA(name, GENERIC_READ, share, inherit ? &sa : nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        return h == INVALID_HANDLE_VALUE ? nullptr : h;
    }
    bool read(File f, void* buf, DWORD n) const {
        DWORD got = 0;
        return ReadFile(f, buf, n, &got, nullptr) && got == n;
    }
    bool seek(File f, DWORD pos) const {
        return SetFilePointer(f, LONG(pos), nullptr, FILE_BEGIN) == pos;
    }
    DWORD size(File f) const { return GetFileSize(f, nullptr); }
    void close(File f) const { CloseHandle(f); }
};

struct HFileIo {
    typedef HFILE File;
    File none() const { return HFILE_ERROR; }
    File open(LPCSTR name) const {
        OFSTRUCT of = {};
        return OpenFile(name, &of, OF_READ);
    }
    bool read(File f, void* buf, DWORD n) const { return _hread(f, buf, LONG(n)) == LONG(n); }
    bool seek(File f, DWORD pos) const { return _llseek(f, LONG(pos), FILE_BEGIN) == LONG(pos); }
    DWORD size(File f) const {
        LONG here = _llseek(f, 0, FILE_CURRENT);
        LONG end = _llseek(f, 0, FILE_END);
        _llseek(f, here, FILE_BEGIN);
        return end < 0 ? INVALID_FILE_SIZE : DWORD(end);
    }
    void close(File f) const { _lclose(f); }
};

template <class Io>
typename Io::File OpenThrough(const Io& io, LPCSTR path, const NxlVfsRule* rule,
                              tagVFENTRY* entry) {
    tagVFENTRY scratch;
    if (!entry) entry = &scratch;
    std::memset(entry, 0, sizeof *entry);
    if (!path) return io.none();
    char archive[MAX_PATH];
    char name[NXL_MAX_PATH];
    typename Io::File f = io.none();
    bool named = NxlVfs_Names(path, rule, archive, sizeof archive, name, sizeof name) != 0;
    if (named) f = io.open(archive);
    if (f == io.none()) {
        f = io.open(path);
        if (f == io.none()) return f;
        DWORD size = io.size(f);
        if (size == INVALID_FILE_SIZE) {
            io.close(f);
            return io.none();
        }
        const char* base = named ? name : path;
        NxlCopyChars(entry->name, sizeof entry->name, base, base + std::strlen(base));
        entry->size = size;
        return f;
    }
    DWORD archiveSize = io.size(f);
    BYTE raw[16];
    tagVFHEAD head;
    bool found = false;
    if (archiveSize != INVALID_FILE_SIZE && archiveSize >= 16 && io.read(f, raw, 16) &&
        NxlVfs_ReadHead(raw, 16, &head) && head.skip <= archiveSize - 16) {
        std::vector<BYTE> dir(head.skip);
        found = io.read(f, dir.data(), head.skip) &&
                NxlVfs_FindEntry(&head, dir.data(), dir.size(), rule->width, name, archiveSize,
                                 entry) &&
                io.seek(f, entry->offset);
    }
    if (!found) {
        io.close(f);
        std::memset(entry, 0, sizeof *entry);
        return io.none();
    }
    return f;
}

}  // namespace

int NxlVfs_Names(LPCSTR path, const NxlVfsRule* rule, char* archive, size_t archiveCap,
                 char* entryName, size_t entryCap) {
    if (!path || !rule) return 0;
    const char* end = path + std::strlen(path);
    if (rule->perFolder) {
        const char* cut = nullptr;  // behind the last single-byte backslash
        for (const char* p = path; p;) {
            WORD c;
            const char* q = NXL_STR_GetWord(p, &c);
            if (!q) break;
            if (c == '\\') cut = q;
            p = q;
        }
        if (!cut) return 0;
        size_t folderLen = size_t(cut - 1 - path);
        if (folderLen + 5 > archiveCap || size_t(end - cut) + 1 > entryCap) return 0;
        std::memcpy(archive, path, folderLen);
        std::memcpy(archive + folderLen, ".vfs", 5);
        std::memcpy(entryName, cut, size_t(end - cut) + 1);
        return 1;
    }
    char drive[NXL_MAX_DRIVE], dir[NXL_MAX_DIR], stem[NXL_MAX_FNAME], ext[NXL_MAX_EXT];
    NXL_FILE_SeparatePath(path, drive, dir, stem, ext);
    size_t nd = std::strlen(drive), nf = std::strlen(dir), ns = std::strlen(stem),
           ne = std::strlen(ext);
    // A part cut to its capacity would name another file.
    if (nd + nf + ns + ne != size_t(end - path)) return 0;
    if (nd + nf + ns + 5 > archiveCap || ns + ne + 1 > entryCap) return 0;
    NXL_FILE_MakePath(archive, drive, dir, stem, ".vfs", archiveCap);
    NXL_FILE_MakePath(entryName, nullptr, nullptr, stem, ext, entryCap);
    return 1;
}

int NxlVfs_ReadHead(const BYTE* bytes, size_t size, tagVFHEAD* head) {
    wyn::ByteReader r(bytes, size);
    head->id = r.u16();
    head->ver = r.u16();
    head->count = r.u16();
    head->length = r.u16();
    head->skip = r.u32();
    head->size = r.u32();
    return r.ok() ? 1 : 0;
}

int NxlVfs_FindEntry(const tagVFHEAD* head, const BYTE* dir, size_t dirSize, int width, LPCSTR name,
                     DWORD archiveSize, tagVFENTRY* entry) {
    EntryLayout l;
    if (!head || !name || !entry || !LayoutOf(width, &l)) return 0;
    // A directory that claims more entries than it holds is not trusted at all.
    if (size_t(head->count) * size_t(width) > dirSize) return 0;
    for (unsigned i = 0; i < head->count; ++i) {
        tagVFENTRY e;
        ReadEntry(dir + size_t(i) * size_t(width), width, head->length, l, &e);
        if (lstrcmpiA(e.name, name) != 0) continue;
        if (e.offset > archiveSize || e.size > archiveSize - e.offset) return 0;
        *entry = e;
        return 1;
    }
    return 0;
}

HANDLE NxlVfs_OpenHandle(LPCSTR path, const NxlVfsRule* rule, DWORD share, BOOL inherit,
                         tagVFENTRY* entry) {
    HandleIo io{share, inherit};
    return OpenThrough(io, path, rule, entry);
}

HFILE NxlVfs_OpenHFile(LPCSTR path, const NxlVfsRule* rule, tagVFENTRY* entry) {
    HFileIo io;
    return OpenThrough(io, path, rule, entry);
}
