// Named events shared by the processes of the set: the state lives in a small file of the
// runtime folder mapped by every process that holds a handle. Each handle keeps a shared lock
// on the file, so a name whose last holder ended (even killed) is told apart from a live one
// and counts as absent, as the system forgets an event when its last handle closes. Waits go
// through the process clock, which re-tests their condition every few milliseconds, so a
// change made by another process is seen without a wake-up of our own.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <memory>
#include <string>

#include "ipc/ipc.h"
#include "ipc/runtime.h"
#include "kernel/paths.h"
#include "kernel/clock.h"
#include "kernel/waitable.h"

namespace wyn::ipc {
namespace {

constexpr uint32_t kMagic = 0x57594E45;  // "WYNE"
constexpr size_t kSize = 64;

// The mapped record: magic, manual-reset flag, set flag, pulse count.
struct Shared {
    uint32_t magic;
    uint32_t manual;
    uint32_t set;
    uint32_t pad;
    uint64_t pulses;
};
static_assert(sizeof(Shared) <= kSize, "event record");

class SharedEvent final : public wyn::sync::EventObject {
  public:
    SharedEvent(int fd, Shared* s) : fd_(fd), s_(s) {}
    ~SharedEvent() override {
        munmap(s_, kSize);
        close(fd_);  // lets go of the shared lock
    }
    bool Signaled(DWORD, uint64_t epoch) const override {
        return __atomic_load_n(&s_->set, __ATOMIC_SEQ_CST) != 0 ||
               __atomic_load_n(&s_->pulses, __ATOMIC_SEQ_CST) != epoch;
    }
    bool Acquire(DWORD) override {
        if (!__atomic_load_n(&s_->manual, __ATOMIC_SEQ_CST))
            __atomic_store_n(&s_->set, 0u, __ATOMIC_SEQ_CST);
        return false;
    }
    uint64_t Epoch() const override { return __atomic_load_n(&s_->pulses, __ATOMIC_SEQ_CST); }
    void Set() override { __atomic_store_n(&s_->set, 1u, __ATOMIC_SEQ_CST); }
    void Reset() override { __atomic_store_n(&s_->set, 0u, __ATOMIC_SEQ_CST); }
    void Pulse() override {
        __atomic_add_fetch(&s_->pulses, 1, __ATOMIC_SEQ_CST);
        __atomic_store_n(&s_->set, 0u, __ATOMIC_SEQ_CST);
    }

  private:
    int fd_;
    Shared* s_;
};

// Registered as events: SetEvent and its kin change them as any event.
constexpr auto kKind = wynplat::HandleKind::Event;

std::string EventPath(LPCSTR name) {
    std::string dir = wynplat::RuntimeDirLinux();
    if (dir.empty()) return dir;
    return dir + "/ev-" + NameToFile(name);
}

Shared* Map(int fd) {
    struct stat st;
    if (fstat(fd, &st) != 0 || st.st_size < static_cast<off_t>(kSize)) return nullptr;
    void* p = mmap(nullptr, kSize, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (p == MAP_FAILED) return nullptr;
    auto* s = static_cast<Shared*>(p);
    if (s->magic != kMagic) {
        munmap(p, kSize);
        return nullptr;
    }
    return s;
}

HANDLE Register(int fd, Shared* s) {
    auto ev = std::make_shared<SharedEvent>(fd, s);
    return wyn::sync::RegisterWaitable(kKind, ev);
}

// Whether nobody holds the file: then its event ended with its last holder. Leaves `fd`
// holding a shared lock when somebody does.
bool Abandoned(int fd) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    while (flock(fd, LOCK_SH) != 0 && errno == EINTR) {}
    return false;
}

}  // namespace

HANDLE CreateSharedEvent(BOOL manualReset, BOOL initial, LPCSTR name) {
    std::string path = EventPath(name);
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return nullptr;
    }
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        if (Abandoned(fd)) {
            // New, or left by holders that all ended: (re)made here under the exclusive lock.
            Shared init{kMagic, manualReset ? 1u : 0u, initial ? 1u : 0u, 0, 0};
            unsigned char buf[kSize] = {};
            std::memcpy(buf, &init, sizeof init);
            bool ok =
                ftruncate(fd, 0) == 0 && pwrite(fd, buf, kSize, 0) == static_cast<ssize_t>(kSize);
            flock(fd, LOCK_SH);  // keeps it while the handle is open
            Shared* s = ok ? Map(fd) : nullptr;
            if (!s) {
                close(fd);
                SetLastError(ERROR_ACCESS_DENIED);
                return nullptr;
            }
            HANDLE h = Register(fd, s);
            SetLastError(ERROR_SUCCESS);
            return h;
        }
        if (Shared* s = Map(fd)) {
            HANDLE h = Register(fd, s);
            SetLastError(ERROR_ALREADY_EXISTS);
            return h;
        }
        close(fd);  // caught between its maker's steps: look again
        usleep(1000);
    }
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
}

HANDLE OpenSharedEvent(LPCSTR name) {
    std::string path = EventPath(name);
    int fd = path.empty() ? -1 : open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    if (Abandoned(fd)) {
        // Left by holders that all ended (the next CreateEventA of the name remakes it).
        close(fd);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    Shared* s = Map(fd);
    if (!s) {
        close(fd);
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return Register(fd, s);
}

bool SharedEventExists(LPCSTR name) {
    std::string path = EventPath(name);
    int fd = path.empty() ? -1 : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool live = flock(fd, LOCK_EX | LOCK_NB) != 0;
    close(fd);
    return live;
}

}  // namespace wyn::ipc
