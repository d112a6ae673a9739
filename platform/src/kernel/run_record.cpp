// The process log and the count of program starts. Every program that links the layer takes
// part without code of its own: starts are logged where programs are started, ends at exit.
#include "kernel/run_record.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "kernel/paths.h"
#include "kernel/text.h"

namespace wynplat {
namespace {

const char kLogVar[] = "WYN_PROCESS_LOG";

// Local time to the millisecond: the log is read by people, across processes.
std::string Now() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    char buf[40];
    size_t n = strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(buf + n, sizeof buf - n, ".%03ld", ts.tv_nsec / 1000000);
    return buf;
}

// Holds a file's lock for the life of the object (EINTR retried).
class FileLock {
  public:
    explicit FileLock(int fd) : fd_(fd) {
        while (flock(fd_, LOCK_EX) != 0 && errno == EINTR) {}
    }
    ~FileLock() { flock(fd_, LOCK_UN); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

  private:
    int fd_;
};

// One whole line, under the file's lock and in one write, so that programs writing at once
// never tear each other's lines.
void Append(std::string line) {
    const char* path = getenv(kLogVar);
    if (!path || !*path) return;
    int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    line = Now() + " " + line + "\n";
    {
        FileLock lock(fd);
        const char* p = line.data();
        size_t left = line.size();
        while (left) {
            ssize_t w = write(fd, p, left);
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) break;
            p += w;
            left -= static_cast<size_t>(w);
        }
    }
    close(fd);
}

// The command line in UTF-8 on one line: line breaks are written as \n and \r.
std::string OneLine(const std::string& commandLine) {
    std::string out;
    for (char c : ToUtf8(commandLine, 932)) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

void OnExit(int status, void*) {
    Append("end " + ProgramName() + " " + std::to_string(getpid()) + " exit " +
           std::to_string(status));
}

bool MentionsStartNumber(const char* var) {
    const char* v = getenv(var);
    return v && std::strstr(v, "%n");
}

// When the layer is loaded: the log file is made absolute, so that the programs this one
// starts in other folders write to the same file; the end is logged at exit; a start that a
// replay or screenshot path counts is counted now, so that every run counts in start order.
__attribute__((constructor)) void StartRecord() {
    if (const char* path = getenv(kLogVar); path && *path) {
        if (path[0] != '/') {
            char cwd[PATH_MAX];
            if (getcwd(cwd, sizeof cwd)) setenv(kLogVar, JoinLinux(cwd, path).c_str(), 1);
        }
        on_exit(OnExit, nullptr);
    }
    if (MentionsStartNumber("WYN_REPLAY") || MentionsStartNumber("WYN_SCREENSHOT") ||
        MentionsStartNumber("WYN_AUDIO_CAPTURE"))
        ProgramStartNumber();
}

int CountStart() {
    std::string dir = RuntimeDirLinux();
    if (dir.empty()) return 0;
    dir += "/starts";
    mkdir(dir.c_str(), 0700);
    int fd = open((dir + "/" + ProgramName()).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return 0;
    int n = 0;
    {
        FileLock lock(fd);
        char buf[16] = {};
        ssize_t got = pread(fd, buf, sizeof buf - 1, 0);
        n = (got > 0 ? std::atoi(buf) : 0) + 1;
        std::string text = std::to_string(n);
        if (ftruncate(fd, 0) != 0 ||
            pwrite(fd, text.data(), text.size(), 0) != static_cast<ssize_t>(text.size()))
            n = 0;
    }
    close(fd);
    return n;
}

}  // namespace

const std::string& ProgramName() {
    // Never destroyed: the end of the program is logged after static objects are gone.
    static const std::string* name = [] {
        char exe[PATH_MAX];
        ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
        std::string path = n > 0 ? std::string(exe, n) : std::string("program");
        return new std::string(path.substr(path.find_last_of('/') + 1));
    }();
    return *name;
}

void LogProgramStarted(int pid, const std::string& commandLine) {
    Append("start " + ProgramName() + " " + std::to_string(getpid()) + " -> " +
           std::to_string(pid) + " " + OneLine(commandLine));
}

void LogProgramEnded(const std::string& name, int pid, int code) {
    Append("end " + name + " " + std::to_string(pid) + " exit " + std::to_string(code));
}

int ProgramStartNumber() {
    static const int n = CountStart();
    return n;
}

std::string ExpandRunPattern(const std::string& pattern) {
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        char next = i + 1 < pattern.size() ? pattern[i + 1] : 0;
        if (pattern[i] != '%' || (next != 'p' && next != 'n' && next != '%')) {
            out += pattern[i];
            continue;
        }
        ++i;
        if (next == 'p')
            out += ProgramName();
        else if (next == 'n')
            out += std::to_string(ProgramStartNumber());
        else
            out += '%';
    }
    return out;
}

}  // namespace wynplat
