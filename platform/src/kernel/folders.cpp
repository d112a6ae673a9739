// The folders the system asks for: current, program, Windows, system and temporary folders,
// and the drives.
#include <errno.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kernel/paths.h"
#include "kernel/text.h"

namespace wynplat {
// The Linux path of a module loaded by LoadLibraryA; false for unknown modules.
bool ModulePath(HMODULE module, std::string* linuxPath);
// The module handle standing for the program itself.
HMODULE ProgramModule();
}  // namespace wynplat

using namespace wynplat;

namespace {
std::atomic<UINT> g_errorMode{0};

std::string WithoutTrailingSeparator(std::string s) {
    if (s.size() > 3 && s.back() == '\\') s.pop_back();
    return s;
}
}  // namespace

DWORD WINAPI GetCurrentDirectoryA(DWORD cap, LPSTR buf) {
    char cwd[PATH_MAX];
    if (!getcwd(cwd, sizeof cwd)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    return CopyPathResult(LinuxToSystemPath(cwd), buf, cap);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR dir) {
    std::string path;
    if (!ResolveSystemPath(dir, &path)) return FALSE;
    if (chdir(path.c_str()) != 0) {
        SetLastError(errno == ENOTDIR ? ERROR_DIRECTORY : ErrorFromErrno(errno, path));
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buf, DWORD cap) {
    std::string linuxPath;
    if (!module || module == ProgramModule()) {
        char exe[PATH_MAX];
        ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
        std::string name = n > 0 ? std::string(exe, n) : std::string("program");
        linuxPath = JoinLinux(ProgramDirLinux(), name.substr(name.find_last_of('/') + 1));
    } else if (!ModulePath(module, &linuxPath)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    std::string text = LinuxToSystemPath(linuxPath);
    if (!buf || cap == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // Too small a buffer gets the cut name and the full count, as the system does.
    if (text.size() + 1 > cap) {
        memcpy(buf, text.data(), cap - 1);
        buf[cap - 1] = 0;
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return cap;
    }
    memcpy(buf, text.c_str(), text.size() + 1);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(text.size());
}

UINT WINAPI GetWindowsDirectoryA(LPSTR buf, UINT cap) {
    return CopyPathResult(WithoutTrailingSeparator(LinuxToSystemPath(WindowsDirLinux())), buf, cap);
}

UINT WINAPI GetSystemDirectoryA(LPSTR buf, UINT cap) {
    std::string dir = JoinLinux(WindowsDirLinux(), "system");
    mkdir(dir.c_str(), 0755);
    return CopyPathResult(LinuxToSystemPath(dir), buf, cap);
}

DWORD WINAPI GetTempPathA(DWORD cap, LPSTR buf) {
    const char* tmp = getenv("TMPDIR");
    std::string dir = (tmp && tmp[0] == '/') ? tmp : "/tmp";
    std::string text = LinuxToSystemPath(dir);
    if (text.back() != '\\') text += '\\';
    return CopyPathResult(text, buf, cap);
}

UINT WINAPI GetDriveTypeA(LPCSTR root) {
    if (!root) return DRIVE_FIXED;  // the current drive
    char letter = root[0];
    bool isRoot = root[0] && root[1] == ':' &&
                  (root[2] == 0 || ((root[2] == '\\' || root[2] == '/') && root[3] == 0));
    if (!isRoot) return DRIVE_NO_ROOT_DIR;
    if ((letter & ~0x20) == CdDriveLetter()) return DRIVE_CDROM;  // with or without a disc
    std::string dir;
    if (!DriveRoot(letter, &dir)) return DRIVE_NO_ROOT_DIR;
    struct stat st;
    return (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
}

DWORD WINAPI GetLogicalDrives(void) {
    DWORD mask = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        char root[] = {letter, ':', '\\', 0};
        if (GetDriveTypeA(root) == DRIVE_FIXED) mask |= 1u << (letter - 'A');
    }
    return mask;
}

UINT WINAPI SetErrorMode(UINT mode) { return g_errorMode.exchange(mode); }
