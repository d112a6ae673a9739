// The path resolver.
#include "kernel/paths.h"

#include <dirent.h>
#include <errno.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include <wynplat.h>

#include "kernel/text.h"

namespace wynplat {
namespace {

bool IsSep(char c) { return c == '\\' || c == '/'; }

bool IsAsciiOnly(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

std::string CurrentDirLinux() {
    std::string buf(PATH_MAX, '\0');
    while (!getcwd(buf.data(), buf.size())) {
        if (errno != ERANGE) return std::string();
        buf.resize(buf.size() * 2);
    }
    buf.resize(strlen(buf.c_str()));
    return buf;
}

void SplitLinux(const std::string& path, std::vector<std::string>* parts) {
    size_t i = 0;
    while (i < path.size()) {
        size_t j = path.find('/', i);
        if (j == std::string::npos) j = path.size();
        std::string part = path.substr(i, j - i);
        if (part == "..") {
            if (!parts->empty()) parts->pop_back();
        } else if (!part.empty() && part != ".") {
            parts->push_back(part);
        }
        i = j + 1;
    }
}

// The system cuts trailing dots and blanks from every name ("file." is "file").
std::string TrimName(const std::string& part) {
    if (part == "." || part == "..") return part;
    size_t n = part.size();
    while (n > 0 && (part[n - 1] == '.' || part[n - 1] == ' ')) --n;
    return part.substr(0, n);
}

bool HasInvalidChars(const std::string& part, bool allowWildcards) {
    for (unsigned char c : part) {
        if (c < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == ':') return true;
        if (!allowWildcards && (c == '*' || c == '?')) return true;
    }
    return false;
}

// The entry of `dir` whose name equals `name` without regard to case; the first in byte order
// when several do, so that the choice repeats.
bool FindNoCase(const std::string& dir, const std::string& name, std::string* found) {
    DIR* d = opendir(dir.c_str());
    if (!d) return false;
    bool any = false;
    while (dirent* e = readdir(d)) {
        std::string entry = e->d_name;
        if (entry == "." || entry == "..") continue;
        if (!EqualNoCaseUtf8(entry, name)) continue;
        if (!any || entry < *found) *found = entry;
        any = true;
    }
    closedir(d);
    return any;
}

}  // namespace

std::string JoinLinux(const std::string& dir, const std::string& name) {
    if (dir.empty()) return "/" + name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

std::string DecodeSystemPath(const char* path) {
    std::string raw = path ? path : "";
    // Shift-JIS names almost never form valid UTF-8 (their lead bytes 0x81-0x9F are UTF-8
    // continuation bytes), while UTF-8 names often pass as Shift-JIS: test UTF-8 first.
    if (IsAsciiOnly(raw) || IsValidUtf8(raw)) return raw;
    return ToUtf8(raw, 932);
}

bool MakeFullPath(const std::string& p, FullPath* out) {
    out->drive = 'C';
    out->parts.clear();
    if (p.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    size_t i = 0;
    bool relative = true;
    bool fromCwd = true;
    if (p.size() >= 2 && p[1] == ':' &&
        ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'))) {
        out->drive = static_cast<char>(p[0] & ~0x20);
        i = 2;
        // "X:name" is relative to the drive's current folder; only C: has one besides its root.
        fromCwd = out->drive == 'C';
    } else if (p.size() >= 2 && IsSep(p[0]) && IsSep(p[1])) {
        // Network shares and devices ("\\\\.\\mailslot\\...") are not files here; a device that
        // is not there is a name that is not found, as the system says of a missing mailslot.
        bool device = p.size() >= 4 && (p[2] == '.' || p[2] == '?') && IsSep(p[3]);
        SetLastError(device ? ERROR_FILE_NOT_FOUND : ERROR_BAD_NETPATH);
        return false;
    }
    if (i < p.size() && IsSep(p[i])) relative = false;
    if (relative && fromCwd) {
        std::string cwd = CurrentDirLinux();
        if (cwd.empty()) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return false;
        }
        SplitLinux(cwd, &out->parts);
    }
    while (i < p.size()) {
        size_t j = i;
        while (j < p.size() && !IsSep(p[j])) ++j;
        std::string part = TrimName(p.substr(i, j - i));
        if (part == "..") {
            if (!out->parts.empty()) out->parts.pop_back();
        } else if (!part.empty() && part != ".") {
            out->parts.push_back(part);
        }
        i = j + 1;
    }
    return true;
}

std::string FullPathText(const FullPath& path) {
    std::string s(1, path.drive);
    s += ":\\";
    for (size_t k = 0; k < path.parts.size(); ++k) {
        if (k) s += '\\';
        s += path.parts[k];
    }
    return s;
}

std::string FullPathSystemText(const FullPath& path) { return FromUtf8(FullPathText(path), 932); }

char CdDriveLetter() {
    const char* named = getenv("WYN_CDROM_DRIVE");
    if (named && ((named[0] >= 'A' && named[0] <= 'Z') || (named[0] >= 'a' && named[0] <= 'z')))
        return static_cast<char>(named[0] & ~0x20);
    for (char d = 'D'; d <= 'Z'; ++d) {
        char name[] = "WYN_DRIVE_X";
        name[10] = d;
        const char* dir = getenv(name);
        if (!dir || !*dir) return d;
    }
    return 0;
}

bool DriveRoot(char drive, std::string* root) {
    drive = static_cast<char>(drive & ~0x20);
    if (drive == 'C') {
        *root = "/";
        return true;
    }
    if (drive < 'A' || drive > 'Z') return false;
    char name[] = "WYN_DRIVE_X";
    name[10] = drive;
    const char* dir = getenv(name);
    if ((!dir || !*dir) && drive == CdDriveLetter()) dir = getenv("WYN_CDROM");
    if (!dir || !*dir) return false;
    std::string r = dir;
    while (r.size() > 1 && r.back() == '/') r.pop_back();
    *root = r;
    return true;
}

bool FullPathToLinux(const FullPath& path, std::string* linuxPath) {
    std::string cur;
    if (!DriveRoot(path.drive, &cur)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    bool missing = false;
    for (const std::string& part : path.parts) {
        std::string exact = JoinLinux(cur, part);
        struct stat st;
        if (missing || lstat(exact.c_str(), &st) == 0) {
            cur = exact;
            continue;
        }
        std::string found;
        if (FindNoCase(cur, part, &found)) {
            cur = JoinLinux(cur, found);
        } else {
            cur = exact;
            missing = true;  // the rest cannot exist either: keep it as written
        }
    }
    *linuxPath = cur;
    return true;
}

bool ResolveSystemPath(const char* path, std::string* linuxPath, bool allowWildcards) {
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (strlen(path) >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    std::string text = DecodeSystemPath(path);
    size_t start = (text.size() >= 2 && text[1] == ':') ? 2 : 0;
    for (size_t i = start, j; i <= text.size(); i = j + 1) {
        j = i;
        while (j < text.size() && !IsSep(text[j])) ++j;
        if (HasInvalidChars(text.substr(i, j - i), allowWildcards)) {
            SetLastError(ERROR_INVALID_NAME);
            return false;
        }
    }
    FullPath full;
    if (!MakeFullPath(text, &full)) return false;
    for (const std::string& part : full.parts) {
        if (part.size() > NAME_MAX) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
    }
    if (FullPathSystemText(full).size() >= MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    return FullPathToLinux(full, linuxPath);
}

FullPath LinuxToFullPath(const std::string& linuxPath) {
    FullPath full;
    if (linuxPath.empty() || linuxPath[0] != '/') SplitLinux(CurrentDirLinux(), &full.parts);
    SplitLinux(linuxPath, &full.parts);
    return full;
}

std::string LinuxToSystemPath(const std::string& linuxPath) {
    return FullPathSystemText(LinuxToFullPath(linuxPath));
}

DWORD ErrorFromErrno(int err, const std::string& linuxPath) {
    switch (err) {
        case ENOENT: {
            std::string dir = linuxPath;
            size_t slash = dir.find_last_of('/');
            dir = slash == std::string::npos ? std::string(".")
                  : slash == 0               ? std::string("/")
                                             : dir.substr(0, slash);
            struct stat st;
            return (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? ERROR_FILE_NOT_FOUND
                                                                        : ERROR_PATH_NOT_FOUND;
        }
        case ENOTDIR:
        case ELOOP:
            return ERROR_PATH_NOT_FOUND;
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
        case ETXTBSY:
        case EBUSY:
            return ERROR_ACCESS_DENIED;
        case EEXIST:
            return ERROR_FILE_EXISTS;
        case EMFILE:
        case ENFILE:
            return ERROR_TOO_MANY_OPEN_FILES;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        case ENOSPC:
        case EDQUOT:
            return ERROR_DISK_FULL;
        case ENAMETOOLONG:
            return ERROR_FILENAME_EXCED_RANGE;
        case ENOTEMPTY:
            return ERROR_DIR_NOT_EMPTY;
        case EBADF:
            return ERROR_INVALID_HANDLE;
        case EINVAL:
            return ERROR_INVALID_PARAMETER;
        case EXDEV:
            return ERROR_NOT_SAME_DEVICE;
        default:
            return ERROR_GEN_FAILURE;
    }
}

namespace {
// Makes `dir` and the folders above it that are missing, one level at a time like mkdir -p.
// Returns whether the folder is there.
bool MakeFolders(const std::string& dir, mode_t mode) {
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == '/') mkdir(dir.substr(0, i).c_str(), mode);
    }
    struct stat st;
    return stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
}  // namespace

const std::string& ProgramDirLinux() {
    static std::string dir;
    static std::once_flag once;
    std::call_once(once, [] {
        const char* env = getenv("WYN_PROGRAM_DIR");
        if (env && *env) {
            dir = env;
            if (dir[0] != '/') dir = JoinLinux(CurrentDirLinux(), dir);
        } else {
            char exe[PATH_MAX];
            ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
            dir = n > 0 ? std::string(exe, n) : CurrentDirLinux() + "/x";
            dir = dir.substr(0, dir.find_last_of('/'));
        }
        while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
        if (dir.empty()) dir = "/";
    });
    return dir;
}

std::string WindowsDirLinux() {
    std::string dir;
    const char* env = getenv("WYN_WINDOWS_DIR");
    if (env && *env) {
        dir = env;
    } else {
        const char* xdg = getenv("XDG_DATA_HOME");
        if (xdg && xdg[0] == '/') {
            dir = xdg;
        } else {
            const char* home = getenv("HOME");
            if (!home || home[0] != '/') {
                passwd* pw = getpwuid(getuid());
                home = pw && pw->pw_dir ? pw->pw_dir : "/tmp";
            }
            dir = JoinLinux(home, ".local/share");
        }
        dir = JoinLinux(dir, "wyntower/windows");
    }
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    MakeFolders(dir, 0755);
    return dir;
}

bool RuntimeDirStatus(std::string* chosen, int* err) {
    std::string dir;
    if (const char* env = getenv("WYN_RUNTIME_DIR"); env && *env) {
        dir = env;
    } else if (const char* xdg = getenv("XDG_RUNTIME_DIR"); xdg && *xdg) {
        dir = std::string(xdg) + "/wyn";
    } else {
        dir = "/tmp/wyn-" + std::to_string(getuid());
    }
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    *chosen = dir;
    *err = 0;
    // The first refusal on the way down says why when the folder is not there afterwards.
    int made = 0;
    for (size_t i = 1; i <= dir.size(); ++i) {
        if (i != dir.size() && dir[i] != '/') continue;
        if (mkdir(dir.substr(0, i).c_str(), 0700) != 0 && errno != EEXIST && !made) made = errno;
    }
    struct stat st;
    if (stat(dir.c_str(), &st) != 0) {
        *err = made ? made : errno;
        return false;
    }
    if (!S_ISDIR(st.st_mode)) {
        *err = ENOTDIR;
        return false;
    }
    if (access(dir.c_str(), W_OK | X_OK) != 0) {
        *err = errno;
        return false;
    }
    return true;
}

std::string RuntimeDirLinux() {
    std::string dir;
    int err = 0;
    return RuntimeDirStatus(&dir, &err) ? dir : std::string();
}

DWORD CopyPathResult(const std::string& text, char* buf, DWORD cap) {
    if (!buf || text.size() + 1 > cap) return static_cast<DWORD>(text.size() + 1);
    memcpy(buf, text.c_str(), text.size() + 1);
    return static_cast<DWORD>(text.size());
}

}  // namespace wynplat

const char* WynPlat_ProgramDir(void) { return wynplat::ProgramDirLinux().c_str(); }

int WynPlat_ResolvePath(const char* path, char* out, size_t cap) {
    std::string linuxPath;
    if (!wynplat::ResolveSystemPath(path, &linuxPath)) return 0;
    if (!out || linuxPath.size() + 1 > cap) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    memcpy(out, linuxPath.c_str(), linuxPath.size() + 1);
    return 1;
}

int WynPlat_ToSystemPath(const char* linuxPath, char* out, size_t cap) {
    if (!linuxPath) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string text = wynplat::LinuxToSystemPath(linuxPath);
    if (!out || text.size() + 1 > cap) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    memcpy(out, text.c_str(), text.size() + 1);
    return 1;
}
