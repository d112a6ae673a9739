// Top-level windows seen across the processes of the set: each process publishes its
// top-level windows in the runtime folder (one small file per window: thread, class, title)
// and serves SendMessageA, PostMessageA and SetForegroundWindow for them on its socket.
// Message parameters cross as plain numbers: the system's programs send values (8086,
// WM_CLOSE...), never pointers, between processes.
#include <dirent.h>
#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

#include "ipc/ipc.h"
#include "ipc/runtime.h"
#include "kernel/paths.h"
#include "kernel/clock.h"
#include "user/remote_windows.h"

namespace wyn::ipc {
namespace {

// Handles of other processes' windows: a range of their own, far above the local handles.
constexpr uintptr_t kRemoteFirst = 0x40000010;
constexpr uintptr_t kRemoteEnd = 0x7FFFFFF0;

enum Op : uint32_t { kSend = 1, kPost = 2, kForeground = 3 };

struct Remote {
    std::string key;  // the owning process
    uint64_t hwnd;    // its handle there
    DWORD threadId;
};

struct State {
    std::mutex m;
    std::unordered_map<uintptr_t, Remote> byProxy;
    std::map<std::pair<std::string, uint64_t>, uintptr_t> byRemote;
    uintptr_t next = kRemoteFirst;
};
State& St() {
    static auto* s = new State;
    return *s;
}

std::string WinDir() {
    std::string d = wynplat::RuntimeDirLinux();
    if (d.empty()) return d;
    d += "/win";
    mkdir(d.c_str(), 0700);
    return d;
}

// The message socket of a process; "" when there is no runtime folder (nothing is bound or
// reached then, rather than a socket at the root of the disk).
std::string SockPath(const std::string& key) {
    std::string dir = wynplat::RuntimeDirLinux();
    return dir.empty() ? dir : dir + "/" + key + ".sock";
}

std::string HexHandle(uint64_t h) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(h));
    return buf;
}

HWND ProxyFor(const std::string& key, uint64_t remote, DWORD threadId) {
    auto& s = St();
    std::lock_guard<std::mutex> g(s.m);
    auto it = s.byRemote.find({key, remote});
    if (it != s.byRemote.end()) return reinterpret_cast<HWND>(it->second);
    if (s.next >= kRemoteEnd) return nullptr;
    uintptr_t p = s.next;
    s.next += 0x10;
    s.byProxy[p] = Remote{key, remote, threadId};
    s.byRemote[{key, remote}] = p;
    return reinterpret_cast<HWND>(p);
}

bool LookupRemote(HWND h, Remote* out) {
    uintptr_t v = reinterpret_cast<uintptr_t>(h);
    if (v < kRemoteFirst || v >= kRemoteEnd) return false;
    auto& s = St();
    std::lock_guard<std::mutex> g(s.m);
    auto it = s.byProxy.find(v);
    if (it == s.byProxy.end()) return false;
    *out = it->second;
    return true;
}

struct Published {
    std::string key;
    uint64_t hwnd = 0;
    DWORD threadId = 0;
    std::string cls, title;
};

bool ReadPublished(const std::string& path, Published* p) {
    std::ifstream in(path, std::ios::binary);
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t nl = data.find('\n');
    if (nl == std::string::npos) return false;
    p->threadId = static_cast<DWORD>(std::strtoul(data.c_str(), nullptr, 10));
    size_t z1 = data.find('\0', nl + 1);
    if (z1 == std::string::npos) return false;
    size_t z2 = data.find('\0', z1 + 1);
    if (z2 == std::string::npos) return false;
    p->cls = data.substr(nl + 1, z1 - nl - 1);
    p->title = data.substr(z1 + 1, z2 - z1 - 1);
    return true;
}

// The windows other live processes publish; files of ended processes are removed on the way.
std::vector<Published> ListPublished() {
    std::vector<Published> out;
    std::string dir = WinDir();
    if (dir.empty()) return out;
    DIR* d = opendir(dir.c_str());
    if (!d) return out;
    std::map<std::string, bool> alive;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        size_t dot = name.find('.');
        if (dot == std::string::npos || name.find(".part") != std::string::npos) continue;
        std::string key = name.substr(0, dot);
        if (key == SelfKey()) continue;
        auto a = alive.find(key);
        if (a == alive.end()) a = alive.emplace(key, ProcessAlive(key)).first;
        if (!a->second) {
            unlink((dir + "/" + name).c_str());
            if (std::string sock = SockPath(key); !sock.empty()) unlink(sock.c_str());
            continue;
        }
        Published p;
        p.key = key;
        p.hwnd = std::strtoull(name.c_str() + dot + 1, nullptr, 16);
        if (ReadPublished(dir + "/" + name, &p)) out.push_back(std::move(p));
    }
    closedir(d);
    return out;
}

std::string WindowFile(const std::string& dir, HWND h) {
    return dir + "/" + SelfKey() + "." + HexHandle(reinterpret_cast<uintptr_t>(h));
}

bool PublishedExists(const Remote& r) {
    if (!ProcessAlive(r.key)) return false;
    struct stat st;
    return stat((WinDir() + "/" + r.key + "." + HexHandle(r.hwnd)).c_str(), &st) == 0;
}

// ---- the wire: a request of 40 bytes, a reply of 12, little-endian fields ----

void Put32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void Put64(unsigned char* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
uint32_t Get32(const unsigned char* p) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}
uint64_t Get64(const unsigned char* p) {
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i) v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}

struct Request {
    uint32_t op;
    uint64_t hwnd;
    uint32_t message;
    uint64_t wParam, lParam;
};
constexpr size_t kRequestSize = 40;
constexpr size_t kReplySize = 12;

void EncodeRequest(const Request& r, unsigned char* b) {
    std::memset(b, 0, kRequestSize);
    Put32(b, r.op);
    Put64(b + 8, r.hwnd);
    Put32(b + 16, r.message);
    Put64(b + 24, r.wParam);
    Put64(b + 32, r.lParam);
}

Request DecodeRequest(const unsigned char* b) {
    return Request{Get32(b), Get64(b + 8), Get32(b + 16), Get64(b + 24), Get64(b + 32)};
}

void Serve(int fd) {
    unsigned char in[kRequestSize];
    unsigned char out[kReplySize] = {};
    if (ReadAll(fd, in, sizeof in)) {
        Request r = DecodeRequest(in);
        HWND h = reinterpret_cast<HWND>(static_cast<uintptr_t>(r.hwnd));
        LRESULT result = 0;
        bool ok = wynplat::remote::IsLocalWindow(h);
        if (ok) {
            switch (r.op) {
                case kSend:
                    result = SendMessageA(h, r.message, static_cast<WPARAM>(r.wParam),
                                          static_cast<LPARAM>(r.lParam));
                    break;
                case kPost:
                    ok = PostMessageA(h, r.message, static_cast<WPARAM>(r.wParam),
                                      static_cast<LPARAM>(r.lParam)) != FALSE;
                    break;
                case kForeground:
                    ok = SetForegroundWindow(h) != FALSE;
                    break;
                default:
                    ok = false;
            }
        }
        Put64(out, static_cast<uint64_t>(result));
        Put32(out + 8, ok ? 1 : 0);
        WriteAll(fd, out, sizeof out);
    }
    close(fd);
}

void AcceptLoop(int listenFd) {
    for (;;) {
        int c = accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EMFILE || errno == ENFILE) {
                if (errno == EMFILE || errno == ENFILE) usleep(1000);
                continue;
            }
            return;
        }
        std::thread(Serve, c).detach();
    }
}

void RemoveOwnFiles() {
    std::string dir = WinDir();
    if (DIR* d = opendir(dir.c_str())) {
        std::string prefix = SelfKey() + ".";
        while (dirent* e = readdir(d))
            if (std::strncmp(e->d_name, prefix.c_str(), prefix.size()) == 0)
                unlink((dir + "/" + e->d_name).c_str());
        closedir(d);
    }
    if (std::string sock = SockPath(SelfKey()); !sock.empty()) unlink(sock.c_str());
}

bool EnsureServer() {
    static std::once_flag once;
    static bool serving = false;
    std::call_once(once, [] {
        std::string path = SockPath(SelfKey());
        if (path.empty()) return;
        SocketAddress addr(path);
        if (!addr.ok()) return;
        int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) return;
        unlink(path.c_str());
        if (bind(fd, addr.addr(), addr.len()) != 0 || listen(fd, 64) != 0) {
            close(fd);
            return;
        }
        serving = true;
        std::atexit(RemoveOwnFiles);
        std::thread(AcceptLoop, fd).detach();
    });
    return serving;
}

int Connect(const std::string& key) {
    SocketAddress addr(SockPath(key));
    if (!addr.ok()) return -1;
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, addr.addr(), addr.len()) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Sends one request and waits for its reply. With `serve`, messages sent to the calling
// thread meanwhile are served, so two programs sending to each other both go on. A peer
// that ends closes its socket, which ends the wait with false.
bool Exchange(const Remote& r, const Request& req, bool serve, LRESULT* result) {
    *result = 0;
    if (!ProcessAlive(r.key)) return false;
    int fd = Connect(r.key);
    if (fd < 0) return false;
    unsigned char b[kRequestSize];
    EncodeRequest(req, b);
    if (!WriteAll(fd, b, sizeof b)) {
        close(fd);
        return false;
    }
    auto replied = [fd] {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, 0) > 0;
    };
    if (serve)
        wynplat::remote::WaitServingSentMessages(replied);
    else
        wyn::clock::WaitUntil(wyn::clock::kNever, replied);
    unsigned char reply[kReplySize];
    bool ok = ReadAll(fd, reply, sizeof reply);
    close(fd);
    if (!ok) return false;
    *result = static_cast<LRESULT>(Get64(reply));
    return Get32(reply + 8) != 0;
}

}  // namespace

}  // namespace wyn::ipc

namespace wynplat::remote {

using namespace wyn::ipc;

void Publish(HWND h, const WindowCard& card) {
    std::string data = std::to_string(card.threadId) + "\n" + card.cls + std::string(1, '\0') +
                       card.title + std::string(1, '\0');
    if (!EnsureServer()) return;
    std::string dir = WinDir();
    if (!dir.empty()) WriteFileAtomic(WindowFile(dir, h), data);
}

void Republish(HWND h, const WindowCard& card) {
    std::string dir = WinDir();
    struct stat st;
    if (dir.empty() || stat(WindowFile(dir, h).c_str(), &st) != 0) return;
    Publish(h, card);
}

void Withdraw(HWND h) {
    std::string dir = WinDir();
    if (!dir.empty()) unlink(WindowFile(dir, h).c_str());
}

bool IsRemote(HWND h) {
    Remote r;
    return LookupRemote(h, &r);
}

bool Alive(HWND h) {
    Remote r;
    return LookupRemote(h, &r) && PublishedExists(r);
}

LRESULT Send(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    Remote r;
    LRESULT result = 0;
    if (!LookupRemote(h, &r) ||
        !Exchange(r,
                  Request{kSend, r.hwnd, message, static_cast<uint64_t>(wParam),
                          static_cast<uint64_t>(lParam)},
                  true, &result)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return result;
}

BOOL Post(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    Remote r;
    LRESULT result = 0;
    if (!LookupRemote(h, &r) ||
        !Exchange(r,
                  Request{kPost, r.hwnd, message, static_cast<uint64_t>(wParam),
                          static_cast<uint64_t>(lParam)},
                  false, &result)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

BOOL Foreground(HWND h) {
    Remote r;
    LRESULT result = 0;
    if (!LookupRemote(h, &r)) return FALSE;
    return Exchange(r, Request{kForeground, r.hwnd, 0, 0, 0}, true, &result) ? TRUE : FALSE;
}

DWORD ThreadProcess(HWND h, LPDWORD processId) {
    Remote r;
    if (!LookupRemote(h, &r) || !PublishedExists(r)) return 0;
    if (processId) *processId = static_cast<DWORD>(PidOfKey(r.key));
    return r.threadId;
}

bool EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM param, bool* stopped) {
    *stopped = false;
    bool any = false;
    for (auto& p : ListPublished()) {
        if (p.threadId != threadId) continue;
        HWND h = ProxyFor(p.key, p.hwnd, p.threadId);
        if (!h) continue;
        any = true;
        if (!proc(h, param)) {
            *stopped = true;
            break;
        }
    }
    return any;
}

HWND Find(LPCSTR className, LPCSTR title) {
    for (auto& p : ListPublished())
        if ((!className || lstrcmpiA(p.cls.c_str(), className) == 0) &&
            (!title || p.title == title))
            return ProxyFor(p.key, p.hwnd, p.threadId);
    return nullptr;
}

}  // namespace wynplat::remote
