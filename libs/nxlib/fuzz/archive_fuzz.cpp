// Fuzz target: an archive's header and directory looked up at every entry width, the same
// bytes as archive files on disk whose entries are opened and read the way the libraries open
// them (one archive per folder, one per file name, the utility library's file calls), and the
// input taken as a path for the Shift-JIS path splitting and the archive names.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_scratch.h"
#include "nxl_vfs.h"

namespace {

// An entry opened from an archive of `archiveSize` bytes lies inside it and reads whole.
void ReadEntry(HANDLE h, const tagVFENTRY& e, size_t archiveSize) {
    if (!h) return;
    if (e.offset > archiveSize || e.size > archiveSize - e.offset) __builtin_trap();
    std::vector<char> buf(std::min<size_t>(e.size, 1 << 16));
    DWORD got = 0;
    if (!ReadFile(h, buf.data(), DWORD(buf.size()), &got, nullptr) || got != buf.size())
        __builtin_trap();
    CloseHandle(h);
}

void OpenOnDisk(const uint8_t* data, size_t size) {
    fuzzscratch::Folder folder;
    if (folder.Put("a.vfs", data, size).empty() || folder.Put("pic.vfs", data, size).empty())
        return;
    const std::string inFolder = folder.Sys("a") + "\\", named = folder.Sys("pic.bmp");
    for (int width : {VFS_ENTRY_PACKED, VFS_ENTRY_ALIGNED, VFS_ENTRY_LONG}) {
        // The directory's first name as the width reads it, and a name of the seeds.
        const size_t field = width == VFS_ENTRY_LONG ? 256 : 13;
        std::string first;
        if (size > 16) {
            const char* at = reinterpret_cast<const char*>(data) + 16;
            first.assign(at, strnlen(at, std::min(size - 16, field)));
        }
        tagVFENTRY e;
        const NxlVfsRule perFolder = {width, 1}, perFile = {width, 0};
        for (const std::string& name : {first, std::string("pic.bmp")})
            ReadEntry(NxlVfs_OpenHandle((inFolder + name).c_str(), &perFolder, 0, FALSE, &e), e,
                      size);
        ReadEntry(NxlVfs_OpenHandle(named.c_str(), &perFile, 0, FALSE, &e), e, size);
        HFILE f = NxlVfs_OpenHFile(named.c_str(), &perFile, &e);
        if (f != HFILE_ERROR) {
            if (e.offset > size || e.size > size - e.offset) __builtin_trap();
            _lclose(f);
        }
    }
    const int n = NXL_FILE_Size(named.c_str());
    if (n > int(size)) __builtin_trap();
    for (int text : {0, 1})
        if (void* block = NXL_FILE_ReadBlock(named.c_str(), text)) NXL_MEM_Free(block);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tagVFHEAD head;
    if (NxlVfs_ReadHead(data, size, &head)) {
        size_t dirSize = size - 16 < head.skip ? size - 16 : head.skip;
        std::string name;
        if (size > 16)
            name.assign(
                reinterpret_cast<const char*>(data) + 16,
                strnlen(reinterpret_cast<const char*>(data) + 16, size - 16 < 13 ? size - 16 : 13));
        for (int width : {VFS_ENTRY_PACKED, VFS_ENTRY_ALIGNED, VFS_ENTRY_LONG}) {
            tagVFENTRY e;
            NxlVfs_FindEntry(&head, data + 16, dirSize, width, name.c_str(), DWORD(size), &e);
            NxlVfs_FindEntry(&head, data + 16, dirSize, width, "pic.bmp", DWORD(size), &e);
        }
    }
    OpenOnDisk(data, size);
    std::string path(reinterpret_cast<const char*>(data), size);
    char archive[MAX_PATH], entry[NXL_MAX_PATH];
    for (int perFolder = 0; perFolder < 2; ++perFolder) {
        NxlVfsRule rule = {VFS_ENTRY_ALIGNED, perFolder};
        NxlVfs_Names(path.c_str(), &rule, archive, sizeof archive, entry, sizeof entry);
    }
    char keyword[16];
    NXL_STR_GetKeyword(path.c_str(), keyword, sizeof keyword);
    NXL_STR_WordLength(path.c_str());
    return 0;
}
