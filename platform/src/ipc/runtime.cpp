// The runtime folder, process keys and the small file and socket helpers of the IPC layer.
#include "ipc/runtime.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "ipc/ipc.h"
#include "kernel/paths.h"
#include "kernel/text.h"
#include "user/own_box.h"

#include <wynplat.h>

namespace wyn::ipc {
namespace {

// Start time of process `pid` in clock ticks since boot, and whether it has ended (zombie);
// false when there is no such process.
bool ReadProcessStat(int pid, unsigned long long* start, bool* ended) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", pid);
    std::ifstream in(path);
    std::string line;
    if (!std::getline(in, line)) return false;
    // The command name may hold blanks and parentheses: fields follow the last ')'.
    size_t close = line.rfind(')');
    if (close == std::string::npos) return false;
    std::istringstream rest(line.substr(close + 1));
    std::string state;
    rest >> state;
    std::string field;
    for (int i = 4; i <= 21 && rest >> field; ++i) {}
    unsigned long long st = 0;
    if (!(rest >> st)) return false;
    *start = st;
    *ended = state == "Z" || state == "X";
    return true;
}

}  // namespace

const std::string& SelfKey() {
    static const std::string key = [] {
        unsigned long long start = 0;
        bool ended = false;
        ReadProcessStat(getpid(), &start, &ended);
        return std::to_string(getpid()) + "-" + std::to_string(start);
    }();
    return key;
}

int PidOfKey(const std::string& key) { return std::atoi(key.c_str()); }

bool ProcessAlive(const std::string& key) {
    if (key == SelfKey()) return true;
    size_t dash = key.find('-');
    if (dash == std::string::npos) return false;
    unsigned long long start = 0;
    bool ended = false;
    if (!ReadProcessStat(PidOfKey(key), &start, &ended)) return false;
    return !ended && std::to_string(start) == key.substr(dash + 1);
}

std::string NameToFile(const std::string& name) {
    static const char* hex = "0123456789abcdef";
    std::string out;
    if (name.size() <= 100) {
        for (unsigned char c : name) {
            out += hex[c >> 4];
            out += hex[c & 15];
        }
        return out;
    }
    // FNV-1a, 64-bit: long names only need to stay apart, not to be read back.
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
    char buf[40];
    std::snprintf(buf, sizeof buf, "h%016llx", static_cast<unsigned long long>(h));
    return buf;
}

bool WriteFileAtomic(const std::string& path, const std::string& data) {
    std::string tmp = path + ".part" + std::to_string(getpid());
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = WriteAll(fd, data.data(), data.size());
    close(fd);
    if (!ok || rename(tmp.c_str(), path.c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

bool WriteAll(int fd, const void* data, size_t n) {
    const char* p = static_cast<const char*>(data);
    while (n) {
        ssize_t w = send(fd, p, n, MSG_NOSIGNAL);
        if (w < 0 && errno == ENOTSOCK) w = write(fd, p, n);
        if (w < 0 && errno == EINTR) continue;
        if (w <= 0) return false;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

bool ReadAll(int fd, void* data, size_t n) {
    char* p = static_cast<char*>(data);
    while (n) {
        ssize_t r = read(fd, p, n);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

SocketAddress::SocketAddress(const std::string& path) {
    addr_.sun_family = AF_UNIX;
    if (path.empty()) return;  // no runtime folder: no address anywhere else
    std::string use = path;
    if (use.size() >= sizeof addr_.sun_path) {
        size_t slash = path.rfind('/');
        if (slash == std::string::npos) return;
        dirFd_ = open(path.substr(0, slash).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (dirFd_ < 0) return;
        use = "/proc/self/fd/" + std::to_string(dirFd_) + path.substr(slash);
        if (use.size() >= sizeof addr_.sun_path) return;
    }
    std::memcpy(addr_.sun_path, use.c_str(), use.size() + 1);
    len_ = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + use.size() + 1);
}

SocketAddress::~SocketAddress() {
    if (dirFd_ >= 0) close(dirFd_);
}

}  // namespace wyn::ipc

namespace {

// Why a folder could not be used, in the user's language.
std::string Reason(int err) {
    const bool ja = WynPlat_IsJapanese();
    switch (err) {
        case EACCES:
        case EPERM:
            return ja ? "書き込む権限がありません" : "no permission to write there";
        case EROFS:
            return ja ? "読み出し専用の場所です" : "the file system is read-only";
        case ENOTDIR:
        case EEXIST:
            return ja ? "パスの途中にフォルダでないものがあります"
                      : "a part of the path is not a folder";
        case ENOENT:
            return ja ? "作れません" : "it cannot be made";
        case ENOSPC:
        case EDQUOT:
            return ja ? "空きがありません" : "no space is left";
        case ENAMETOOLONG:
            return ja ? "パスが長すぎます" : "the path is too long";
        default:
            return std::strerror(err);
    }
}

}  // namespace

int WynPlat_CheckRuntimeDir(void) {
    std::string dir;
    int err = 0;
    if (wynplat::RuntimeDirStatus(&dir, &err)) return 1;
    const std::string folder = wynplat::FromUtf8(dir, 932);
    std::string text = WynPlat_IsJapanese() ? "実行時フォルダ " + folder + " を使えません（" +
                                                  Reason(err) + "）。\nプログラムを終了します。"
                                            : "The runtime folder " + folder + " cannot be used (" +
                                                  Reason(err) + ").\nThe program ends.";
    wynplat::ShowOwnBox(text, MB_OK | MB_ICONSTOP);
    return 0;
}
