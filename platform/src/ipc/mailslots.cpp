// Mailslots: a reader made by CreateMailslotA is a Unix datagram socket bound in the runtime
// folder; a writer is CreateFileA on "\\.\mailslot\name" connected to it. One WriteFile is
// one message. With no reader, opening fails at once with ERROR_FILE_NOT_FOUND, as the
// system says of a missing mailslot, so a program talking to an absent monitor goes on.
#include <errno.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <memory>

#include "ipc/ipc.h"
#include "ipc/runtime.h"
#include "kernel/paths.h"
#include "kernel/clock.h"
#include "kernel/handles.h"

namespace wyn::ipc {
namespace {

constexpr char kPrefix[] = "\\\\.\\mailslot\\";

struct Mailslot {
    int fd = -1;
    bool reader = false;
    DWORD maxMessage = 0;
    DWORD readTimeout = 0;
    std::string path;  // the reader's socket file
    ~Mailslot() {
        if (fd >= 0) close(fd);
        if (reader && !path.empty()) unlink(path.c_str());
    }
};

bool IsSep(char c) { return c == '\\' || c == '/'; }

// The slot's name after the prefix, lower-cased (the system ignores case), or "".
std::string SlotName(LPCSTR name) {
    if (!IsMailslotPath(name)) return std::string();
    std::string tail = name + sizeof kPrefix - 1;
    for (char& c : tail) {
        if (c == '/') c = '\\';
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return tail;
}

std::string SlotPath(const std::string& slot) {
    std::string dir = wynplat::RuntimeDirLinux();
    if (dir.empty()) return dir;
    return dir + "/ms-" + NameToFile(slot) + ".sock";
}

int ConnectTo(const std::string& path) {
    SocketAddress addr(path);
    if (!addr.ok()) return -1;
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (connect(fd, addr.addr(), addr.len()) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::shared_ptr<Mailslot> Lookup(HANDLE h) {
    return wynplat::LookupHandleAs<Mailslot>(h, wynplat::HandleKind::Mailslot);
}

// The size of the next waiting message, or -1 when none waits.
ssize_t NextSize(int fd) {
    char probe;
    ssize_t n = recv(fd, &probe, 1, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
    return n;
}

BOOL ReadSlot(const std::shared_ptr<void>& object, void* buf, DWORD toRead, DWORD* done) {
    auto* m = static_cast<Mailslot*>(object.get());
    if (!m->reader) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    int fd = m->fd;
    uint64_t deadline = wyn::clock::DeadlineAfterMs(m->readTimeout);
    bool ready = wyn::clock::WaitUntil(deadline, [fd] {
        pollfd p{fd, POLLIN, 0};
        return poll(&p, 1, 0) > 0;
    });
    ssize_t size = ready ? NextSize(fd) : -1;
    if (size < 0) {
        SetLastError(ERROR_SEM_TIMEOUT);
        return FALSE;
    }
    if (static_cast<size_t>(size) > toRead || (!buf && size > 0)) {
        // The message stays for a read with a larger buffer, as the system keeps it.
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    char dummy;
    ssize_t n = recv(fd, size ? buf : &dummy, size ? toRead : 1, MSG_DONTWAIT);
    if (n < 0) {
        SetLastError(ERROR_SEM_TIMEOUT);
        return FALSE;
    }
    *done = static_cast<DWORD>(n);
    return TRUE;
}

BOOL WriteSlot(const std::shared_ptr<void>& object, const void* buf, DWORD toWrite, DWORD* done) {
    auto* m = static_cast<Mailslot*>(object.get());
    if (m->reader) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (!buf && toWrite) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    // A reader that does not keep up must not hold the writer: wait a little for room, then
    // give the message up as the system drops what a slot cannot take.
    for (int tries = 0;; ++tries) {
        ssize_t n = send(m->fd, buf, toWrite, MSG_DONTWAIT | MSG_NOSIGNAL);
        if (n >= 0) {
            *done = static_cast<DWORD>(n);
            return TRUE;
        }
        if (errno == EINTR) continue;
        if ((errno == EAGAIN || errno == EWOULDBLOCK) && tries < 100) {
            pollfd p{m->fd, POLLOUT, 0};
            poll(&p, 1, 10);
            continue;
        }
        SetLastError(errno == EMSGSIZE ? ERROR_INVALID_PARAMETER : ERROR_HANDLE_EOF);
        return FALSE;
    }
}

HANDLE RegisterSlot(std::shared_ptr<Mailslot> m) {
    wynplat::HandleOps ops;
    ops.read = ReadSlot;
    ops.write = WriteSlot;
    return wynplat::RegisterHandle(wynplat::HandleKind::Mailslot, std::move(m), ops);
}

}  // namespace

bool IsMailslotPath(LPCSTR name) {
    if (!name) return false;
    size_t n = sizeof kPrefix - 1;
    if (std::strlen(name) <= n) return false;
    for (size_t i = 0; i < n; ++i) {
        char a = name[i], b = kPrefix[i];
        if (IsSep(b) ? !IsSep(a) : std::tolower(static_cast<unsigned char>(a)) != b) return false;
    }
    return true;
}

HANDLE OpenMailslotClient(LPCSTR name, DWORD access) {
    std::string slot = SlotName(name);
    std::string path = slot.empty() ? slot : SlotPath(slot);
    int fd = path.empty() ? -1 : ConnectTo(path);
    if (fd < 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (access & GENERIC_READ) {
        // Only the slot's creator reads it.
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    auto m = std::make_shared<Mailslot>();
    m->fd = fd;
    return RegisterSlot(std::move(m));
}

}  // namespace wyn::ipc

using namespace wyn;

HANDLE WINAPI CreateMailslotA(LPCSTR name, DWORD maxMessage, DWORD readTimeout,
                              LPSECURITY_ATTRIBUTES) {
    std::string slot = ipc::SlotName(name);
    if (slot.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return INVALID_HANDLE_VALUE;
    }
    std::string path = ipc::SlotPath(slot);
    ipc::SocketAddress addr(path);
    if (path.empty() || !addr.ok()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    // A live reader answers a connect; the file of one that ended is taken over.
    if (int probe = ipc::ConnectTo(path); probe >= 0) {
        close(probe);
        SetLastError(ERROR_ALREADY_EXISTS);
        return INVALID_HANDLE_VALUE;
    }
    int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
        return INVALID_HANDLE_VALUE;
    }
    unlink(path.c_str());
    if (bind(fd, addr.addr(), addr.len()) != 0) {
        close(fd);
        SetLastError(ERROR_ALREADY_EXISTS);
        return INVALID_HANDLE_VALUE;
    }
    auto m = std::make_shared<ipc::Mailslot>();
    m->fd = fd;
    m->reader = true;
    m->maxMessage = maxMessage;
    m->readTimeout = readTimeout;
    m->path = path;
    return ipc::RegisterSlot(std::move(m));
}

BOOL WINAPI GetMailslotInfo(HANDLE slot, LPDWORD maxMessage, LPDWORD nextSize, LPDWORD count,
                            LPDWORD readTimeout) {
    auto m = ipc::Lookup(slot);
    if (!m || !m->reader) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ssize_t next = ipc::NextSize(m->fd);
    if (maxMessage) *maxMessage = m->maxMessage;
    if (nextSize) *nextSize = next < 0 ? MAILSLOT_NO_MESSAGE : static_cast<DWORD>(next);
    // Datagram sockets tell only whether a message waits, not how many.
    if (count) *count = next < 0 ? 0 : 1;
    if (readTimeout) *readTimeout = m->readTimeout;
    return TRUE;
}
