// FindFirstFileA/FindNextFileA: the names of a folder matching a '*'/'?' pattern without regard
// to case, sorted by name, each with its attributes, size and time.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "kernel/handles.h"
#include "kernel/paths.h"
#include "kernel/text.h"

namespace wynplat {
namespace {

struct FindObject {
    std::vector<WIN32_FIND_DATAA> results;
    size_t next = 0;
};

std::vector<uint32_t> CodePoints(const std::string& s) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        unsigned char b = s[i];
        size_t n = b < 0x80             ? 1
                   : (b & 0xE0) == 0xC0 ? 2
                   : (b & 0xF0) == 0xE0 ? 3
                   : (b & 0xF8) == 0xF0 ? 4
                                        : 1;
        uint32_t c = n == 1 ? b : (b & (0x7F >> n));
        for (size_t k = 1; k < n && i + k < s.size(); ++k) c = (c << 6) | (s[i + k] & 0x3F);
        if (c >= 'a' && c <= 'z') c -= 32;
        out.push_back(c);
        i += n;
    }
    return out;
}

// '*' matches any run, '?' any one character; letters match without regard to case.
bool Match(const std::vector<uint32_t>& name, const std::vector<uint32_t>& pat) {
    size_t n = 0, p = 0, starP = std::string::npos, starN = 0;
    while (n < name.size()) {
        if (p < pat.size() && (pat[p] == '?' || pat[p] == name[n])) {
            ++n;
            ++p;
        } else if (p < pat.size() && pat[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p] == '*') ++p;
    return p == pat.size();
}

// The system's extra rules: "x.*" also matches "x" (so "*.*" matches every name) and "x."
// matches a name without an extension.
bool MatchName(const std::string& name, const std::string& pattern) {
    auto n = CodePoints(name);
    auto p = CodePoints(pattern);
    if (Match(n, p)) return true;
    bool hasDot = name.find('.') != std::string::npos;
    if (p.size() >= 2 && p[p.size() - 2] == '.' && p.back() == '*' && !hasDot)
        return Match(n, std::vector<uint32_t>(p.begin(), p.end() - 2));
    if (!p.empty() && p.back() == '.' && !hasDot)
        return Match(n, std::vector<uint32_t>(p.begin(), p.end() - 1));
    return false;
}

void ToFileTime(const struct timespec& ts, FILETIME* ft) {
    // 100-ns steps since 1601-01-01.
    uint64_t t =
        (static_cast<uint64_t>(ts.tv_sec) + 11644473600ull) * 10000000ull + ts.tv_nsec / 100;
    ft->dwLowDateTime = static_cast<DWORD>(t);
    ft->dwHighDateTime = static_cast<DWORD>(t >> 32);
}

std::string SortKey(const char* sjis) {
    std::string key = sjis;
    for (size_t i = 0; i < key.size(); ++i) {
        unsigned char c = key[i];
        if (IsSjisLead(c)) {
            ++i;
        } else if (c >= 'a' && c <= 'z') {
            key[i] = static_cast<char>(c - 32);
        }
    }
    return key;
}

bool FillEntry(const std::string& dir, const std::string& name, WIN32_FIND_DATAA* data) {
    std::string sjis = FromUtf8(name, 932);
    if (sjis.size() >= MAX_PATH) return false;
    struct stat st;
    if (stat(JoinLinux(dir, name).c_str(), &st) != 0) return false;  // a dangling link
    memset(data, 0, sizeof *data);
    if (S_ISDIR(st.st_mode)) {
        data->dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    } else {
        data->dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE;
        if (access(JoinLinux(dir, name).c_str(), W_OK) != 0)
            data->dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
        data->nFileSizeHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_size) >> 32);
        data->nFileSizeLow = static_cast<DWORD>(st.st_size);
    }
    ToFileTime(st.st_mtim, &data->ftLastWriteTime);
    ToFileTime(st.st_atim, &data->ftLastAccessTime);
    ToFileTime(st.st_ctim, &data->ftCreationTime);
    memcpy(data->cFileName, sjis.c_str(), sjis.size() + 1);
    return true;
}

}  // namespace
}  // namespace wynplat

using namespace wynplat;

HANDLE WINAPI FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    if (!pattern || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    std::string text = DecodeSystemPath(pattern);
    size_t cut = text.find_last_of("\\/");
    size_t driveEnd = (text.size() >= 2 && text[1] == ':') ? 2 : 0;
    std::string folder, namePattern;
    if (cut != std::string::npos) {
        folder = text.substr(0, cut + 1);
        namePattern = text.substr(cut + 1);
    } else {
        folder = driveEnd ? text.substr(0, 2) : std::string(".");
        namePattern = text.substr(driveEnd);
    }
    if (namePattern.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    // The whole pattern goes through the resolver's length and name checks (wildcards allowed).
    std::string dir;
    if (!ResolveSystemPath(pattern, &dir, true)) return INVALID_HANDLE_VALUE;
    FullPath full;
    if (!MakeFullPath(folder, &full) || !FullPathToLinux(full, &dir)) return INVALID_HANDLE_VALUE;
    DIR* d = opendir(dir.c_str());
    if (!d) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto find = std::make_shared<FindObject>();
    bool isRoot = full.parts.empty();
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if ((name == "." || name == "..") && isRoot) continue;  // a drive's root has neither
        if (!MatchName(name, namePattern)) continue;
        WIN32_FIND_DATAA entry;
        if (FillEntry(dir, name, &entry)) find->results.push_back(entry);
    }
    closedir(d);
    if (find->results.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::sort(find->results.begin(), find->results.end(),
              [](const WIN32_FIND_DATAA& a, const WIN32_FIND_DATAA& b) {
                  std::string ka = SortKey(a.cFileName), kb = SortKey(b.cFileName);
                  return ka != kb ? ka < kb : strcmp(a.cFileName, b.cFileName) < 0;
              });
    *data = find->results[0];
    find->next = 1;
    SetLastError(ERROR_SUCCESS);
    return RegisterHandle(HandleKind::Find, find);
}

BOOL WINAPI FindNextFileA(HANDLE h, LPWIN32_FIND_DATAA data) {
    auto find = LookupHandleAs<FindObject>(h, HandleKind::Find);
    if (!find) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (find->next >= find->results.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *data = find->results[find->next++];
    return TRUE;
}

BOOL WINAPI FindClose(HANDLE h) {
    if (!LookupHandle(h, HandleKind::Find) || !CloseKernelHandle(h)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
