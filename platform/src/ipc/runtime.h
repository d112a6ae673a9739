// The runtime folder's plumbing shared by the window messages, events and mailslots.
#pragma once

#include <sys/socket.h>
#include <sys/un.h>

#include <string>

namespace wyn::ipc {

// A Unix socket address for a file of the runtime folder. Paths too long for sun_path are
// reached through an open descriptor of their folder (/proc/self/fd/N/name).
class SocketAddress {
  public:
    explicit SocketAddress(const std::string& path);
    ~SocketAddress();
    SocketAddress(const SocketAddress&) = delete;
    SocketAddress& operator=(const SocketAddress&) = delete;
    bool ok() const { return len_ != 0; }
    const sockaddr* addr() const { return reinterpret_cast<const sockaddr*>(&addr_); }
    socklen_t len() const { return len_; }

  private:
    sockaddr_un addr_{};
    socklen_t len_ = 0;
    int dirFd_ = -1;
};

// Writes `data` to `path` so that readers see the whole file or none.
bool WriteFileAtomic(const std::string& path, const std::string& data);
// The pid part of a process key.
int PidOfKey(const std::string& key);
// A file-name-safe form of an object name (hex of its bytes, hashed when long).
std::string NameToFile(const std::string& name);
// Full writes and reads on a blocking descriptor (EINTR retried). False on error or EOF.
bool WriteAll(int fd, const void* data, size_t n);
bool ReadAll(int fd, void* data, size_t n);

}  // namespace wyn::ipc
