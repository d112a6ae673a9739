// File access through this build's archive rule, path splitting and the file dialog record.
#include <cstring>
#include <initializer_list>

#include <commdlg.h>

#include "nxl_internal.h"
#include "nxl_vfs.h"

namespace {

const NxlVfsRule kRule = {NXL_VFS_WIDTH, 0};

void CopyText(char* out, size_t cap, const char* text) {
    if (text)
        NxlCopyChars(out, cap, text, text + std::strlen(text));
    else if (cap)
        out[0] = 0;
}

}  // namespace

NXL_API HANDLE WINAPI VFS_OpenFile(LPCSTR path, tagVFENTRY* entry) {
    return NxlVfs_OpenHandle(path, &kRule, FILE_SHARE_READ, TRUE, entry);
}

NXL_API int WINAPI NXL_FILE_Exist(LPCSTR path) {
    tagVFENTRY e;
    HANDLE h = VFS_OpenFile(path, &e);
    if (!h) return 0;
    CloseHandle(h);
    return 1;
}

NXL_API HANDLE WINAPI NXL_FILE_ReadOpen(LPCSTR path) {
    tagVFENTRY e;
    return VFS_OpenFile(path, &e);
}

NXL_API HANDLE WINAPI NXL_FILE_WriteOpen(LPCSTR path) {
    DeleteFileA(path);
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE h = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, &sa, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : h;
}

NXL_API int WINAPI NXL_FILE_Read(HANDLE file, LPVOID buffer, int n) {
    DWORD got = 0;
    if (n < 0 || !ReadFile(file, buffer, DWORD(n), &got, nullptr)) return -1;
    return int(got);
}

NXL_API int WINAPI NXL_FILE_Write(HANDLE file, LPCVOID buffer, int n) {
    DWORD put = 0;
    if (n < 0 || !WriteFile(file, buffer, DWORD(n), &put, nullptr)) return -1;
    return int(put);
}

NXL_API BOOL WINAPI NXL_FILE_Close(HANDLE file) { return CloseHandle(file); }

NXL_API int WINAPI NXL_FILE_Size(LPCSTR path) {
    tagVFENTRY e;
    HANDLE h = VFS_OpenFile(path, &e);
    if (!h) return -1;
    CloseHandle(h);
    return int(e.size);
}

NXL_API LPVOID WINAPI NXL_FILE_ReadBlock(LPCSTR path, int text) {
    tagVFENTRY e;
    HANDLE h = VFS_OpenFile(path, &e);
    if (!h) return nullptr;
    int size = int(e.size);
    BYTE* block = size < 0 ? nullptr : static_cast<BYTE*>(NXL_MEM_Alloc(size + (text ? 1 : 0)));
    if (block && NXL_FILE_Read(h, block, size) != size) {
        NXL_MEM_Free(block);
        block = nullptr;
    }
    CloseHandle(h);
    if (block && text && size > 0 && block[size - 1] == 0x1A) block[size - 1] = 0;
    return block;
}

NXL_API int WINAPI NXL_FILE_WriteBlock(LPCSTR path, LPCVOID buffer, int n) {
    HANDLE h = NXL_FILE_WriteOpen(path);
    if (!h) return 0;
    int put = NXL_FILE_Write(h, buffer, n);
    NXL_FILE_Close(h);
    return put == n ? 1 : 0;  // a full disk is a failure, not a shorter file
}

NXL_API LPSTR WINAPI NXL_FILE_SeparatePath(LPCSTR path, LPSTR drive, LPSTR dir, LPSTR stem,
                                           LPSTR ext, size_t driveCap, size_t dirCap,
                                           size_t stemCap, size_t extCap) {
    const char* p = path ? path : "";
    const char* driveEnd = p;
    if (p[0] && !NxlIsLeadByte(BYTE(p[0])) && p[1] == ':') driveEnd = p + 2;
    // Scan character by character so that a trail byte 0x5C or 0x2E is never taken for
    // '\' or '.'.
    const char* dirEnd = driveEnd;
    const char* end = driveEnd;
    for (const char* q = driveEnd; q;) {
        WORD c;
        const char* n = NXL_STR_GetWord(q, &c);
        if (!n) {
            end = q;
            break;
        }
        if (c == '\\') dirEnd = n;
        q = n;
    }
    const char* dot = end;
    for (const char* q = dirEnd; q < end;) {
        WORD c;
        const char* n = NXL_STR_GetWord(q, &c);
        if (c == '.') {
            dot = q;
            break;
        }
        q = n;
    }
    LPSTR last = nullptr;
    if (drive) NxlCopyChars(last = drive, driveCap, p, driveEnd);
    if (dir) NxlCopyChars(last = dir, dirCap, driveEnd, dirEnd);
    if (stem) NxlCopyChars(last = stem, stemCap, dirEnd, dot);
    if (ext) NxlCopyChars(last = ext, extCap, dot, end);
    return last;
}

NXL_API LPSTR WINAPI NXL_FILE_MakePath(LPSTR out, LPCSTR drive, LPCSTR dir, LPCSTR stem, LPCSTR ext,
                                       size_t outCap) {
    if (!out || outCap == 0) return out;
    size_t used = 0;
    out[0] = 0;
    for (const char* part : {drive, dir, stem, ext}) {
        if (!part) continue;
        size_t len = std::strlen(part);
        size_t n = NxlCopyChars(out + used, outCap - used, part, part + len);
        used += n;
        if (n < len) break;  // cut: what follows would not belong behind the cut part
    }
    return out;
}

#if NXL_WITH_SEPARATEFILE
NXL_API void WINAPI NXL_FILE_SeparateFile(LPCSTR path, LPSTR folder, LPSTR file, size_t folderCap,
                                          size_t fileCap) {
    char drive[NXL_MAX_DRIVE], dir[NXL_MAX_DIR], stem[NXL_MAX_FNAME], ext[NXL_MAX_EXT];
    NXL_FILE_SeparatePath(path, drive, dir, stem, ext);
    if (folder) NXL_FILE_MakePath(folder, drive, dir, nullptr, nullptr, folderCap);
    if (file) NXL_FILE_MakePath(file, nullptr, nullptr, stem, ext, fileCap);
}
#endif

NXL_API int WINAPI NXL_FILE_AddFilter(tagNXLFILESELECT* sel, LPCSTR title, LPCSTR ext) {
    if (!sel || sel->filtercount < 0 || sel->filtercount >= 10) return 0;
    tagNXLFILEFILTER& f = sel->filter[sel->filtercount];
    CopyText(f.title, sizeof f.title, title);
    CopyText(f.ext, sizeof f.ext, ext);
    ++sel->filtercount;
    ++sel->index;
    return 1;
}

NXL_API int WINAPI NXL_FILE_InitFilter(tagNXLFILESELECT* sel, HWND hwnd, LPCSTR title, LPCSTR ext) {
    if (!sel) return 0;
    std::memset(sel, 0, sizeof *sel);
    sel->hwnd = hwnd;
    CopyText(sel->title, sizeof sel->title, title);
    CopyText(sel->ext, sizeof sel->ext, ext);
    DWORD n = GetCurrentDirectoryA(sizeof sel->dir, sel->dir);
    if (n >= sizeof sel->dir) sel->dir[0] = 0;
    sel->index = 0;
    return NXL_FILE_AddFilter(sel, "すべてのファイル", ".*");
}

NXL_API int WINAPI NXL_FILE_SelectFile(tagNXLFILESELECT* sel, int flag) {
    if (!sel) return 0;
    // The dialog's filter list: title and pattern pairs, each zero-terminated, and one more
    // zero at the end. Ten filters of at most 31 + 5 characters always fit.
    char filters[1024];
    size_t n = 0;
    auto put = [&](const char* text) {
        size_t len = std::strlen(text);
        if (n + len + 2 > sizeof filters) return;
        std::memcpy(filters + n, text, len);
        n += len;
        filters[n++] = 0;
    };
    const int count = sel->filtercount < 0 ? 0 : (sel->filtercount > 10 ? 10 : sel->filtercount);
    for (int i = 0; i < count; ++i) {
        char title[sizeof sel->filter[i].title + 1];
        char pattern[sizeof sel->filter[i].ext + 2];
        CopyText(title, sizeof title, sel->filter[i].title);
        pattern[0] = '*';
        CopyText(pattern + 1, sizeof pattern - 1, sel->filter[i].ext);
        put(title);
        put(pattern);
    }
    filters[n++] = 0;
    filters[n] = 0;

    sel->path[sizeof sel->path - 1] = 0;
    sel->ext[sizeof sel->ext - 1] = 0;
    char defExt[sizeof sel->ext];
    CopyText(defExt, sizeof defExt, sel->ext[0] == '.' ? sel->ext + 1 : sel->ext);

    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = sel->hwnd;
    ofn.lpstrFilter = filters;
    ofn.nFilterIndex = static_cast<DWORD>(sel->index < 0 ? 0 : sel->index);
    ofn.lpstrFile = sel->path;
    ofn.nMaxFile = sizeof sel->path;
    ofn.lpstrFileTitle = sel->filetitle;
    ofn.nMaxFileTitle = sizeof sel->filetitle;
    ofn.lpstrInitialDir = sel->dir;
    ofn.lpstrTitle = sel->title;
    ofn.lpstrDefExt = defExt;
    BOOL chosen;
    if (flag) {
        ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY;
        chosen = GetSaveFileNameA(&ofn);
    } else {
        ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        wsprintfA(sel->path, "*%s", sel->ext);
        chosen = GetOpenFileNameA(&ofn);
    }
    if (!chosen) return 0;

    char drive[NXL_MAX_DRIVE], dir[NXL_MAX_DIR], ext[NXL_MAX_EXT];
    NXL_FILE_SeparatePath(sel->path, drive, dir, nullptr, ext);
    CopyText(sel->ext, sizeof sel->ext, ext);
    NXL_FILE_MakePath(sel->dir, drive, dir, nullptr, nullptr, sizeof sel->dir);
    for (int i = 0; i < count; ++i)
        if (lstrcmpiA(sel->filter[i].ext, sel->ext) == 0) sel->index = i + 1;
    return 1;
}
