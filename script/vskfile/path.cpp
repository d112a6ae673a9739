// Splitting and joining paths.
#include <cstdio>
#include <cstring>

#include "vsk_sjis.h"
#include "vskfile_internal.h"

int WINAPI VSKFILE_Sprit(char* folder, char* name, char* path) {
    if (!path) return 0;
    vsk::UpperInPlace(path);
    const char* cut = vsk::LastBackslash(path);
    size_t folderLen = cut ? size_t(cut - path) : 0;
    if (folder) {
        std::memcpy(folder, path, folderLen);
        folder[folderLen] = 0;
    }
    if (name) std::snprintf(name, MAX_PATH, "%s", cut ? cut + 1 : path);
    return 1;
}

int WINAPI VSKFILE_Merge(char* out, LPCSTR folder, LPCSTR name) {
    if (!out) return 0;
    if (folder && *folder)
        std::snprintf(out, MAX_PATH, "%s\\%s", folder, name ? name : "");
    else
        std::snprintf(out, MAX_PATH, "%s", name ? name : "");
    vsk::UpperInPlace(out);
    return 1;
}
