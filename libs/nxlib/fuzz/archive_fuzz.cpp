// Fuzz target: an archive's header and directory looked up at every entry width, and the
// input taken as a path for the Shift-JIS path splitting and the archive names.
#include <cstring>
#include <string>

#include "nxl_vfs.h"

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
