// Files through handles: CreateFileA and its family, the older OpenFile/_l* family on the same
// handles, and the operations on names (delete, move, copy, folders, attributes).
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "kernel/handles.h"
#include "kernel/paths.h"
#include "kernel/shared_objects.h"

namespace wynplat {
namespace {

struct FileObject {
    int fd = -1;
    bool canRead = false;
    bool canWrite = false;
    ~FileObject() {
        if (fd >= 0) close(fd);
    }
};

std::shared_ptr<FileObject> LookupFile(HANDLE h) {
    auto file = LookupHandleAs<FileObject>(h, HandleKind::File);
    if (!file) SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

bool Exists(const std::string& path, struct stat* st = nullptr) {
    struct stat local;
    return stat(path.c_str(), st ? st : &local) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool FailErrno(const std::string& path) {
    SetLastError(ErrorFromErrno(errno, path));
    return false;
}

bool CopyBytes(const std::string& from, const std::string& to, bool failIfExists) {
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return FailErrno(from);
    struct stat st;
    fstat(in, &st);
    if (S_ISDIR(st.st_mode)) {
        close(in);
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (IsDirectory(to)) {
        close(in);
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    int flags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | (failIfExists ? O_EXCL : 0);
    int out = open(to.c_str(), flags, st.st_mode & 0777);
    if (out < 0) {
        int err = errno;
        close(in);
        SetLastError(ErrorFromErrno(err, to));
        return false;
    }
    char buf[65536];
    bool ok = true;
    for (;;) {
        ssize_t n = read(in, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        for (ssize_t done = 0; done < n;) {
            ssize_t w = write(out, buf + done, n - done);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) {
                ok = false;
                break;
            }
            done += w;
        }
        if (!ok) break;
    }
    int err = errno;
    close(in);
    close(out);
    if (!ok) {
        SetLastError(ErrorFromErrno(err, to));
        return false;
    }
    return true;
}

BOOL ReadFileObject(const std::shared_ptr<void>& object, void* buf, DWORD toRead, DWORD* done) {
    auto* file = static_cast<FileObject*>(object.get());
    if (!file->canRead) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!buf && toRead) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    while (*done < toRead) {
        ssize_t n = read(file->fd, static_cast<char*>(buf) + *done, toRead - *done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            SetLastError(ErrorFromErrno(errno, ""));
            return FALSE;
        }
        if (n == 0) break;  // end of file: success with fewer bytes
        *done += static_cast<DWORD>(n);
    }
    return TRUE;
}

BOOL WriteFileObject(const std::shared_ptr<void>& object, const void* buf, DWORD toWrite,
                     DWORD* done) {
    auto* file = static_cast<FileObject*>(object.get());
    if (!file->canWrite) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!buf && toWrite) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    while (*done < toWrite) {
        ssize_t n = write(file->fd, static_cast<const char*>(buf) + *done, toWrite - *done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            SetLastError(n < 0 ? ErrorFromErrno(errno, "") : ERROR_DISK_FULL);
            return FALSE;
        }
        *done += static_cast<DWORD>(n);
    }
    return TRUE;
}

}  // namespace

// Opens `linuxPath` as CreateFileA does; shared with the OpenFile family.
HANDLE OpenFileHandle(const std::string& linuxPath, DWORD access, DWORD disposition,
                      DWORD attributes) {
    int flags = O_CLOEXEC;
    bool wantRead = (access & GENERIC_READ) != 0 || (access & GENERIC_WRITE) == 0;
    bool wantWrite = (access & GENERIC_WRITE) != 0;
    flags |= wantWrite ? (wantRead ? O_RDWR : O_WRONLY) : O_RDONLY;
    switch (disposition) {
        case CREATE_NEW:
            flags |= O_CREAT | O_EXCL;
            break;
        case CREATE_ALWAYS:
            flags |= O_CREAT | O_TRUNC;
            break;
        case OPEN_EXISTING:
            break;
        case OPEN_ALWAYS:
            flags |= O_CREAT;
            break;
        case TRUNCATE_EXISTING:
            if (!wantWrite) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return INVALID_HANDLE_VALUE;
            }
            flags |= O_TRUNC;
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    bool existed = Exists(linuxPath, &st);
    if (existed && S_ISDIR(st.st_mode)) {
        // A folder is not a file: the system refuses it the same way.
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    int fd;
    do {
        fd = open(linuxPath.c_str(), flags, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        FailErrno(linuxPath);
        return INVALID_HANDLE_VALUE;
    }
    auto file = std::make_shared<FileObject>();
    file->fd = fd;
    file->canRead = wantRead;
    file->canWrite = wantWrite;
    HandleOps ops;
    ops.read = ReadFileObject;
    ops.write = WriteFileObject;
    HANDLE h = RegisterHandle(HandleKind::File, file, ops);
    // Creating over an existing file succeeds but says so.
    bool says = existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    SetLastError(says ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

}  // namespace wynplat

using namespace wynplat;

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                          DWORD disposition, DWORD flags, HANDLE templ) {
    (void)share;  // Linux has no mandatory sharing locks; the system's files are not contended
    (void)sa;
    (void)templ;
    const SharedObjects* shared = SharedObjectsRegistry();
    if (shared && shared->isFileName(name)) return shared->openFile(name, access);
    std::string path;
    if (!ResolveSystemPath(name, &path)) return INVALID_HANDLE_VALUE;
    return OpenFileHandle(path, access, disposition, flags);
}

BOOL WINAPI ReadFile(HANDLE h, LPVOID buf, DWORD toRead, LPDWORD readOut, LPOVERLAPPED ov) {
    (void)ov;
    DWORD done = 0;
    HandleEntry entry;
    BOOL ok = FALSE;
    if (!LookupAnyHandle(h, &entry) || !entry.ops.read)
        SetLastError(ERROR_INVALID_HANDLE);
    else
        ok = entry.ops.read(entry.object, buf, toRead, &done);
    if (readOut) *readOut = done;
    return ok;
}

BOOL WINAPI WriteFile(HANDLE h, LPCVOID buf, DWORD toWrite, LPDWORD written, LPOVERLAPPED ov) {
    (void)ov;
    DWORD done = 0;
    HandleEntry entry;
    BOOL ok = FALSE;
    if (!LookupAnyHandle(h, &entry) || !entry.ops.write)
        SetLastError(ERROR_INVALID_HANDLE);
    else
        ok = entry.ops.write(entry.object, buf, toWrite, &done);
    if (written) *written = done;
    return ok;
}

DWORD WINAPI SetFilePointer(HANDLE h, LONG distance, PLONG distanceHigh, DWORD method) {
    auto file = LookupFile(h);
    if (!file) return INVALID_SET_FILE_POINTER;
    int64_t offset = distanceHigh
                         ? static_cast<int64_t>(
                               (static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                               static_cast<uint32_t>(distance))
                         : static_cast<int64_t>(distance);
    int64_t base;
    if (method == FILE_BEGIN) {
        base = 0;
    } else if (method == FILE_CURRENT) {
        base = lseek(file->fd, 0, SEEK_CUR);
    } else if (method == FILE_END) {
        struct stat st;
        base = fstat(file->fd, &st) == 0 ? st.st_size : -1;
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (base < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t target = base + offset;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (lseek(file->fd, target, SEEK_SET) < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh) *distanceHigh = static_cast<LONG>(target >> 32);
    // A position whose low part is 0xFFFFFFFF is told from failure by the error code.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(target);
}

DWORD WINAPI GetFileSize(HANDLE h, LPDWORD sizeHigh) {
    auto file = LookupFile(h);
    if (!file) return INVALID_FILE_SIZE;
    struct stat st;
    if (fstat(file->fd, &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    if (sizeHigh) *sizeHigh = static_cast<DWORD>(static_cast<uint64_t>(st.st_size) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(st.st_size);
}

BOOL WINAPI SetEndOfFile(HANDLE h) {
    auto file = LookupFile(h);
    if (!file) return FALSE;
    if (!file->canWrite) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    off_t pos = lseek(file->fd, 0, SEEK_CUR);
    if (pos < 0 || ftruncate(file->fd, pos) != 0) {
        SetLastError(ErrorFromErrno(errno, ""));
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE h) {
    auto file = LookupFile(h);
    if (!file) return FALSE;
    fdatasync(file->fd);
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR name) {
    std::string path;
    if (!ResolveSystemPath(name, &path)) return FALSE;
    if (IsDirectory(path)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(path.c_str()) != 0) return FailErrno(path);
    return TRUE;
}

BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to) {
    std::string src, dst;
    if (!ResolveSystemPath(from, &src) || !ResolveSystemPath(to, &dst)) return FALSE;
    struct stat st;
    if (lstat(src.c_str(), &st) != 0) return FailErrno(src);
    // A name that differs only in case is the same file to the system: a rename, not a clash.
    if (lstat(dst.c_str(), &st) == 0 && src != dst) {
        SetLastError(ERROR_ALREADY_EXISTS);
        return FALSE;
    }
    if (rename(src.c_str(), dst.c_str()) == 0) return TRUE;
    if (errno == EXDEV && !IsDirectory(src)) {
        if (!CopyBytes(src, dst, true)) return FALSE;
        unlink(src.c_str());
        return TRUE;
    }
    return FailErrno(errno == ENOENT ? dst : src);
}

BOOL WINAPI CopyFileA(LPCSTR from, LPCSTR to, BOOL failIfExists) {
    std::string src, dst;
    if (!ResolveSystemPath(from, &src) || !ResolveSystemPath(to, &dst)) return FALSE;
    if (src == dst) {
        SetLastError(failIfExists ? ERROR_FILE_EXISTS : ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    return CopyBytes(src, dst, failIfExists) ? TRUE : FALSE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR name, LPSECURITY_ATTRIBUTES sa) {
    (void)sa;
    std::string path;
    if (!ResolveSystemPath(name, &path)) return FALSE;
    if (mkdir(path.c_str(), 0777) != 0) {
        if (errno == EEXIST) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        return FailErrno(path);
    }
    return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR name) {
    std::string path;
    if (!ResolveSystemPath(name, &path)) return FALSE;
    if (rmdir(path.c_str()) != 0) {
        if (errno == ENOTDIR) {
            SetLastError(ERROR_DIRECTORY);
            return FALSE;
        }
        if (errno == EEXIST) errno = ENOTEMPTY;
        return FailErrno(path);
    }
    return TRUE;
}

DWORD WINAPI GetFileAttributesA(LPCSTR name) {
    std::string path;
    if (!ResolveSystemPath(name, &path)) return INVALID_FILE_ATTRIBUTES;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        FailErrno(path);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(st.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    DWORD attributes = FILE_ATTRIBUTE_ARCHIVE;
    if (access(path.c_str(), W_OK) != 0) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

DWORD WINAPI GetFullPathNameA(LPCSTR name, DWORD cap, LPSTR buf, LPSTR* filePart) {
    if (filePart) *filePart = nullptr;
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string text = DecodeSystemPath(name);
    FullPath full;
    if (!MakeFullPath(text, &full)) return 0;
    std::string result = FullPathSystemText(full);
    bool endsInSep = !text.empty() && (text.back() == '\\' || text.back() == '/');
    if (endsInSep && !full.parts.empty()) result += '\\';
    DWORD n = CopyPathResult(result, buf, cap);
    if (n == result.size() && filePart && !full.parts.empty() && !endsInSep) {
        *filePart = buf + result.find_last_of('\\') + 1;
    }
    return n;
}

// ---- the OpenFile family: the same handles, numbered as 16-bit-style file handles ----

namespace {

bool IsBareName(const std::string& name) { return name.find_first_of("\\/:") == std::string::npos; }

std::string SystemFullPath(const std::string& linuxOrSystem, bool isLinux) {
    if (isLinux) return LinuxToSystemPath(linuxOrSystem);
    FullPath full;
    if (!MakeFullPath(DecodeSystemPath(linuxOrSystem.c_str()), &full)) return linuxOrSystem;
    return FullPathSystemText(full);
}

HFILE FailOpen(LPOFSTRUCT of) {
    of->nErrCode = static_cast<WORD>(GetLastError());
    return HFILE_ERROR;
}

DWORD AccessOf(UINT style) {
    switch (style & 3) {
        case OF_WRITE:
            return GENERIC_WRITE;
        case OF_READWRITE:
            return GENERIC_READ | GENERIC_WRITE;
        default:
            return GENERIC_READ;
    }
}

}  // namespace

HFILE WINAPI OpenFile(LPCSTR name, LPOFSTRUCT of, UINT style) {
    if (!of) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    std::string given = (style & OF_REOPEN)
                            ? std::string(of->szPathName, strnlen(of->szPathName, OFS_MAXPATHNAME))
                            : std::string(name ? name : "");
    of->cBytes = sizeof(OFSTRUCT);
    of->fFixedDisk = 1;
    of->nErrCode = 0;
    std::string linuxPath;
    if (!ResolveSystemPath(given.c_str(), &linuxPath)) return FailOpen(of);
    std::string shown = SystemFullPath(given, false);
    // A bare name that is not in the current folder is looked for where the system looks:
    // the program folder, then the Windows folder and its system folder.
    if (!(style & (OF_CREATE | OF_PARSE)) && IsBareName(given) && !Exists(linuxPath)) {
        std::string wanted = DecodeSystemPath(given.c_str());
        const std::string windows = WindowsDirLinux();
        for (const std::string& dir : {ProgramDirLinux(), windows, JoinLinux(windows, "system")}) {
            FullPath full = LinuxToFullPath(dir);
            std::string candidate;
            full.parts.push_back(wanted);
            if (FullPathToLinux(full, &candidate) && Exists(candidate)) {
                linuxPath = candidate;
                shown = FullPathSystemText(full);
                break;
            }
        }
    }
    size_t n = shown.size() < OFS_MAXPATHNAME - 1 ? shown.size() : OFS_MAXPATHNAME - 1;
    memcpy(of->szPathName, shown.data(), n);
    of->szPathName[n] = 0;
    if (style & OF_PARSE) return 0;
    if (style & OF_DELETE) {
        if (IsDirectory(linuxPath)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FailOpen(of);
        }
        if (unlink(linuxPath.c_str()) != 0) {
            FailErrno(linuxPath);
            return FailOpen(of);
        }
        return 1;
    }
    DWORD disposition = (style & OF_CREATE) ? CREATE_ALWAYS : OPEN_EXISTING;
    DWORD access = (style & OF_CREATE) ? (AccessOf(style) | GENERIC_WRITE) : AccessOf(style);
    if (style & OF_EXIST) access = GENERIC_READ;
    HANDLE h = OpenFileHandle(linuxPath, access, disposition, 0);
    if (h == INVALID_HANDLE_VALUE) return FailOpen(of);
    HFILE f = HfileFromHandle(h);
    if (style & OF_EXIST) CloseKernelHandle(h);  // the system opens, closes and answers the number
    SetLastError(ERROR_SUCCESS);
    return f;
}

HFILE WINAPI _lopen(LPCSTR name, int mode) {
    std::string path;
    if (!ResolveSystemPath(name, &path)) return HFILE_ERROR;
    HANDLE h = OpenFileHandle(path, AccessOf(static_cast<UINT>(mode)), OPEN_EXISTING, 0);
    return h == INVALID_HANDLE_VALUE ? HFILE_ERROR : HfileFromHandle(h);
}

HFILE WINAPI _lcreat(LPCSTR name, int attributes) {
    std::string path;
    if (!ResolveSystemPath(name, &path)) return HFILE_ERROR;
    HANDLE h = OpenFileHandle(path, GENERIC_READ | GENERIC_WRITE, CREATE_ALWAYS,
                              (attributes & 1) ? FILE_ATTRIBUTE_READONLY : 0);
    return h == INVALID_HANDLE_VALUE ? HFILE_ERROR : HfileFromHandle(h);
}

UINT WINAPI _lread(HFILE f, LPVOID buf, UINT bytes) {
    DWORD done = 0;
    if (!ReadFile(HandleFromHfile(f), buf, bytes, &done, nullptr))
        return static_cast<UINT>(HFILE_ERROR);
    return done;
}

LONG WINAPI _hread(HFILE f, LPVOID buf, LONG bytes) {
    if (bytes < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    DWORD done = 0;
    if (!ReadFile(HandleFromHfile(f), buf, static_cast<DWORD>(bytes), &done, nullptr))
        return HFILE_ERROR;
    return static_cast<LONG>(done);
}

namespace {
// Writing no bytes sets the end of the file at the current position, as the system does.
LONG WriteOrCut(HFILE f, LPCSTR buf, DWORD bytes) {
    HANDLE h = HandleFromHfile(f);
    if (bytes == 0) return SetEndOfFile(h) ? 0 : HFILE_ERROR;
    DWORD done = 0;
    if (!WriteFile(h, buf, bytes, &done, nullptr)) return HFILE_ERROR;
    return static_cast<LONG>(done);
}
}  // namespace

UINT WINAPI _lwrite(HFILE f, LPCSTR buf, UINT bytes) {
    return static_cast<UINT>(WriteOrCut(f, buf, bytes));
}

LONG WINAPI _hwrite(HFILE f, LPCSTR buf, LONG bytes) {
    if (bytes < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return HFILE_ERROR;
    }
    return WriteOrCut(f, buf, static_cast<DWORD>(bytes));
}

LONG WINAPI _llseek(HFILE f, LONG offset, int origin) {
    DWORD pos = SetFilePointer(HandleFromHfile(f), offset, nullptr, static_cast<DWORD>(origin));
    if (pos == INVALID_SET_FILE_POINTER && GetLastError() != ERROR_SUCCESS) return HFILE_ERROR;
    return static_cast<LONG>(pos);
}

HFILE WINAPI _lclose(HFILE f) { return CloseHandle(HandleFromHfile(f)) ? 0 : HFILE_ERROR; }
