// The game's file operations with its error box, the path helpers and the word splitter.
#include <cstdio>
#include <cstring>
#include <string>

#include "base/base.h"

namespace {

// Shift-JIS lead bytes: the byte after one belongs to the same character, so a backslash or a
// dot there is no separator.
bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

void CopyPart(char* out, const char* from, size_t n) {
    if (!out) return;
    if (n > MAX_PATH - 1) n = MAX_PATH - 1;
    std::memcpy(out, from, n);
    out[n] = 0;
}

std::string InFolder(const char* path) { return std::string(GetProgramFolder()) + path; }

}  // namespace

void SeparatePath(const char* path, char* drive, char* dir, char* name, char* ext) {
    const size_t len = std::strlen(path);
    size_t colon = std::string::npos, slash = std::string::npos;
    for (size_t i = 0; i < len; ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(c) && i + 1 < len) {
            ++i;
            continue;
        }
        if (c == ':') colon = i;
        if (c == '\\') slash = i;
    }
    const size_t dirStart = colon == std::string::npos ? 0 : colon + 1;
    size_t nameStart = dirStart;
    if (slash != std::string::npos && slash >= dirStart) nameStart = slash + 1;
    size_t dot = std::string::npos;
    for (size_t i = nameStart; i < len; ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsLeadByte(c) && i + 1 < len) {
            ++i;
            continue;
        }
        if (c == '.') dot = i;
    }
    const size_t nameEnd = dot == std::string::npos ? len : dot;
    CopyPart(drive, path, dirStart);
    CopyPart(dir, path + dirStart, nameStart - dirStart);
    CopyPart(name, path + nameStart, nameEnd - nameStart);
    if (dot == std::string::npos)
        CopyPart(ext, path, 0);
    else
        CopyPart(ext, path + dot + 1, len - dot - 1);
}

void MakePath(char* path, const char* drive, const char* dir, const char* name, const char* ext) {
    std::string out;
    if (drive) out += drive;
    if (dir) out += dir;
    if (name) out += name;
    if (ext && *ext) out += std::string(".") + ext;
    CopyPart(path, out.c_str(), out.size());
}

int FileExists(const char* path) {
    const DWORD a = GetFileAttributesA(InFolder(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

int ShowFileError(HWND owner, const char* path, DWORD code) {
    char text[600];
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
            std::snprintf(text, sizeof text,
                          "ファイル【 %s 】が見つかりません。\n  再インストールしてください。",
                          path);
            break;
        case ERROR_TOO_MANY_OPEN_FILES:
            std::snprintf(text, sizeof text, "%s",
                          "オープンしているファイルが多すぎます。\n"
                          "　幾つかのアプリケーションを終了してください。");
            break;
        case ERROR_NOT_ENOUGH_MEMORY:
            std::snprintf(text, sizeof text, "%s",
                          "メモリ不足です。\n　他のアプリケーションを終了してください。");
            break;
        default:
            std::snprintf(text, sizeof text,
                          "プログラムバグっ。　\n Error Code[ %d ]\n Filename[ %s ]",
                          static_cast<int>(code), path);
            break;
    }
    return MessageBoxA(owner, text, "Wynmoor２の警告", MB_RETRYCANCEL) == IDRETRY;
}

int ReadWholeFile(HWND owner, const char* path, void* buffer, int size, int* read) {
    const std::string full = InFolder(path);
    for (;;) {
        HANDLE f = CreateFileA(full.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD code = 0;
        if (f == INVALID_HANDLE_VALUE) {
            code = GetLastError();
        } else {
            DWORD got = 0;
            const BOOL ok =
                ReadFile(f, buffer, size > 0 ? static_cast<DWORD>(size) : 0, &got, nullptr);
            if (!ok) code = GetLastError();
            CloseHandle(f);
            if (ok) {
                if (read) *read = static_cast<int>(got);
                return 1;
            }
            // Partial data is no file: a read error takes the box's "other" text.
            if (code == 0 || code == ERROR_FILE_NOT_FOUND || code == ERROR_TOO_MANY_OPEN_FILES ||
                code == ERROR_NOT_ENOUGH_MEMORY)
                code = ERROR_GEN_FAILURE;
        }
        if (!ShowFileError(owner, full.c_str(), code)) {
            if (read) *read = 0;
            return 0;
        }
    }
}

int FindNthFile(const char* pattern, int n, char* name) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern, &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    int count = 0;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (count == n && name) CopyPart(name, fd.cFileName, std::strlen(fd.cFileName));
        ++count;
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return count;
}

int CountFiles(const char* pattern) { return FindNthFile(pattern, -1, nullptr); }

int GetWord(const char* line, int n, char* word, int size) {
    int result = 1;
    const char* p = line;
    for (int i = 0;; ++i) {
        int len = 0;
        result = 1;
        while (*p && *p != ' ') {
            if (len < size)
                word[len++] = *p;
            else
                result = 0;
            ++p;
        }
        word[len] = 0;
        if (i == n || !*p) return result;
        ++p;  // the one blank that ends the word
    }
}

int IsBareName(const char* word) {
    return word && *word && !std::strpbrk(word, "\\/:") && !std::strstr(word, "..");
}
