// Processes: starting the programs of the set (WinExec, CreateProcessA), their handles and exit
// codes, and this process's own command line and ids. A started program receives its command
// line exactly, through WYN_CMDLINE, and its main thread id is its process id, as
// GetCurrentThreadId reports it on that thread.
#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "kernel/clock.h"
#include "kernel/handles.h"
#include "kernel/paths.h"
#include "kernel/run_record.h"
#include "kernel/text.h"

extern char** environ;

namespace wynplat {
namespace {

const char kCommandLineVar[] = "WYN_CMDLINE";

struct ProcessObject {
    pid_t pid = 0;
    std::string name;  // the program's file name, for the process log
    std::mutex lock;   // taken inside the clock's kernel lock, never around it
    bool reaped = false;
    int status = 0;
    bool terminated = false;
    DWORD terminateCode = 0;

    ~ProcessObject() {
        if (reaped) return;
        // Nobody holds a handle any more: let the child end in its own time, without a zombie.
        pid_t child = pid;
        std::thread([child] {
            int st;
            while (waitpid(child, &st, 0) < 0 && errno == EINTR) {}
        }).detach();
    }

    // Whether the child has ended; reaps nothing, so that a wait condition may ask freely.
    bool Ended() {
        std::lock_guard<std::mutex> guard(lock);
        if (reaped) return true;
        siginfo_t info;
        memset(&info, 0, sizeof info);
        if (waitid(P_PID, pid, &info, WEXITED | WNOHANG | WNOWAIT) != 0) return errno == ECHILD;
        return info.si_pid == pid;
    }

    DWORD ExitCode() {
        if (!Ended()) return STILL_ACTIVE;
        std::lock_guard<std::mutex> guard(lock);
        if (!reaped) {
            int st = 0;
            pid_t r;
            while ((r = waitpid(pid, &st, WNOHANG)) < 0 && errno == EINTR) {}
            reaped = true;
            status = r == pid ? st : 0;  // already reaped elsewhere: nothing to tell
        }
        if (terminated) return terminateCode;
        if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
        if (WIFSIGNALED(status)) return 0xC0000000u | static_cast<DWORD>(WTERMSIG(status));
        return 0;
    }
};

DWORD WaitProcess(const std::shared_ptr<void>& object, DWORD ms) {
    auto p = std::static_pointer_cast<ProcessObject>(object);
    bool ended = wyn::clock::WaitUntil(wyn::clock::DeadlineAfterMs(ms), [p] { return p->Ended(); });
    return ended ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

bool ProcessSignalled(const std::shared_ptr<void>& object) {
    return std::static_pointer_cast<ProcessObject>(object)->Ended();
}

std::shared_ptr<ProcessObject> LookupProcess(HANDLE h) {
    auto p = LookupHandleAs<ProcessObject>(h, HandleKind::Process);
    if (!p) SetLastError(ERROR_INVALID_HANDLE);
    return p;
}

bool IsExecutableFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A program, not a plug-in: a 64-bit ELF file that names a program interpreter (shared
// objects have none), or a statically linked executable.
bool IsProgram(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char h[64];
    bool ok = fread(h, 1, sizeof h, f) == sizeof h &&
              memcmp(h,
                     "\x7F"
                     "ELF",
                     4) == 0 &&
              h[4] == 2 && h[5] == 1;
    auto u16 = [](const unsigned char* b) { return static_cast<uint32_t>(b[0] | (b[1] << 8)); };
    auto u64 = [](const unsigned char* b) {
        uint64_t v = 0;
        for (int i = 7; i >= 0; --i) v = (v << 8) | b[i];
        return v;
    };
    bool program = false;
    if (ok) {
        uint32_t type = u16(h + 16);
        uint64_t phoff = u64(h + 32);
        uint32_t phentsize = u16(h + 54), phnum = u16(h + 56);
        program = type == 2;  // ET_EXEC
        for (uint32_t i = 0; i < phnum && type == 3 && phentsize >= 4; ++i) {
            unsigned char ph[4];
            if (fseek(f, static_cast<long>(phoff + static_cast<uint64_t>(i) * phentsize),
                      SEEK_SET) != 0 ||
                fread(ph, 1, 4, f) != 4)
                break;
            if ((ph[0] | (ph[1] << 8) | (ph[2] << 16) | (static_cast<uint32_t>(ph[3]) << 24)) ==
                3) {  // PT_INTERP
                program = true;
                break;
            }
        }
    }
    fclose(f);
    return program && access(path.c_str(), X_OK) == 0;
}

bool EndsWithExe(const std::string& name) {
    return name.size() > 4 && EqualNoCaseUtf8(name.substr(name.size() - 4), ".exe");
}

// The program a system name stands for: "x.exe", "X.EXE" and "x" all start the program x.
// A bare name is looked for in the program folder, then in the current folder.
bool FindProgram(const std::string& systemName, std::string* linuxPath) {
    std::string text = DecodeSystemPath(systemName.c_str());
    std::vector<FullPath> folders;
    std::string name;
    size_t cut = text.find_last_of("\\/");
    bool bare = cut == std::string::npos && !(text.size() >= 2 && text[1] == ':');
    if (bare) {
        folders.push_back(LinuxToFullPath(ProgramDirLinux()));
        FullPath cwd;
        if (MakeFullPath(".", &cwd)) folders.push_back(cwd);
        name = text;
    } else {
        std::string linuxCheck;
        if (!ResolveSystemPath(systemName.c_str(), &linuxCheck)) return false;
        FullPath full;
        if (!MakeFullPath(text, &full) || full.parts.empty()) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return false;
        }
        name = full.parts.back();
        full.parts.pop_back();
        folders.push_back(full);
    }
    if (name.empty() || name.size() > NAME_MAX) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return false;
    }
    std::vector<std::string> names{name};
    if (EndsWithExe(name)) names.push_back(name.substr(0, name.size() - 4));
    bool anyFolder = false;
    for (const FullPath& folder : folders) {
        std::string dir;
        struct stat st;
        if (!FullPathToLinux(folder, &dir) || stat(dir.c_str(), &st) != 0) continue;
        anyFolder = true;
        for (const std::string& n : names) {
            FullPath candidate = folder;
            candidate.parts.push_back(n);
            std::string path;
            if (FullPathToLinux(candidate, &path) && IsExecutableFile(path)) {
                *linuxPath = path;
                return true;
            }
        }
    }
    SetLastError(anyFolder ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    return false;
}

// The first token of a command line: quoted, or up to the first blank.
std::string FirstToken(const std::string& line) {
    size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i < line.size() && line[i] == '"') {
        size_t end = line.find('"', i + 1);
        return line.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
    }
    size_t end = i;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    return line.substr(i, end - i);
}

// Starts `program` (Linux) in `dir` with `commandLine` as its whole command line. Returns the
// child's pid, or 0 with the last error set.
pid_t Spawn(const std::string& program, const std::string& commandLine, const std::string& dir,
            const char* environmentBlock) {
    std::vector<std::string> env;
    if (environmentBlock) {
        for (const char* p = environmentBlock; *p; p += strlen(p) + 1) env.push_back(p);
    } else {
        for (char** e = environ; e && *e; ++e) env.push_back(*e);
    }
    std::string prefix = std::string(kCommandLineVar) + "=";
    std::erase_if(env,
                  [&](const std::string& s) { return s.compare(0, prefix.size(), prefix) == 0; });
    env.push_back(prefix + commandLine);
    std::vector<char*> envp;
    for (std::string& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::string argv0 = program;
    char* argv[] = {argv0.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    pid_t pid = 0;
    int err = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0) {
        SetLastError(err == ENOEXEC || err == EACCES ? ERROR_BAD_EXE_FORMAT
                                                     : ErrorFromErrno(err, program));
        return 0;
    }
    return pid;
}

std::string FolderOf(const std::string& linuxPath) {
    size_t slash = linuxPath.find_last_of('/');
    return slash == 0 ? std::string("/") : linuxPath.substr(0, slash);
}

std::string& CommandLine() {
    static std::string line;
    return line;
}

// Taken once when the layer is loaded, before anything can change the environment: the
// command line a parent of the set passed, else one joined from the arguments.
__attribute__((constructor)) void CaptureCommandLine() {
    if (const char* passed = getenv(kCommandLineVar)) {
        CommandLine() = passed;
        unsetenv(kCommandLineVar);  // it is this program's, not its children's
        return;
    }
    FILE* f = fopen("/proc/self/cmdline", "rb");
    if (!f) return;
    std::string raw;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) raw.append(buf, n);
    fclose(f);
    std::string line;
    for (size_t i = 0; i < raw.size();) {
        size_t end = raw.find('\0', i);
        if (end == std::string::npos) end = raw.size();
        std::string arg = raw.substr(i, end - i);
        if (!line.empty()) line += ' ';
        bool quote = arg.empty() || arg.find_first_of(" \t") != std::string::npos;
        line += quote ? "\"" + arg + "\"" : arg;
        i = end + 1;
    }
    CommandLine() = line;
}

const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

}  // namespace
}  // namespace wynplat

using namespace wynplat;

BOOL WINAPI CreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES pa,
                           LPSECURITY_ATTRIBUTES ta, BOOL inherit, DWORD flags, LPVOID environment,
                           LPCSTR currentDirectory, LPSTARTUPINFOA si, LPPROCESS_INFORMATION pi) {
    (void)pa;
    (void)ta;
    (void)inherit;
    (void)flags;
    (void)si;
    if (!application && !commandLine) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string line = commandLine ? commandLine : application;
    std::string programName = application ? application : FirstToken(line);
    std::string program;
    if (!FindProgram(programName, &program)) return FALSE;
    std::string dir = FolderOf(program);
    if (currentDirectory && !ResolveSystemPath(currentDirectory, &dir)) return FALSE;
    if (!IsProgram(program)) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return FALSE;
    }
    pid_t pid = Spawn(program, line, dir, static_cast<const char*>(environment));
    if (!pid) return FALSE;
    // A program named apart from its command line (which then holds its arguments alone) is
    // named in the log before them, so that the log says what was started.
    LogProgramStarted(pid,
                      application && commandLine ? std::string(application) + " " + line : line);
    auto process = std::make_shared<ProcessObject>();
    process->pid = pid;
    process->name = program.substr(program.find_last_of('/') + 1);
    const HandleOps ops{WaitProcess, ProcessSignalled};
    HANDLE hp = RegisterHandle(HandleKind::Process, process, ops);
    if (pi) {
        pi->hProcess = hp;
        // The main thread's handle waits for the same end.
        pi->hThread = RegisterHandle(HandleKind::Process, process, ops);
        pi->dwProcessId = static_cast<DWORD>(pid);
        pi->dwThreadId = static_cast<DWORD>(pid);
    } else {
        CloseKernelHandle(hp);
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

UINT WINAPI WinExec(LPCSTR commandLine, UINT show) {
    (void)show;
    if (!commandLine) return 0;
    std::string program;
    if (!FindProgram(FirstToken(commandLine), &program))
        return GetLastError() == ERROR_PATH_NOT_FOUND ? 3 : 2;
    if (!IsProgram(program)) return 11;
    pid_t pid = Spawn(program, commandLine, FolderOf(program), nullptr);
    if (!pid) return GetLastError() == ERROR_BAD_EXE_FORMAT ? 11 : 2;
    LogProgramStarted(pid, commandLine);
    // No handle is handed out: the object reaps the child when it ends.
    auto process = std::make_shared<ProcessObject>();
    process->pid = pid;
    return 33;
}

BOOL WINAPI GetExitCodeProcess(HANDLE h, LPDWORD code) {
    if (h == kCurrentProcess) {
        if (code) *code = STILL_ACTIVE;
        return TRUE;
    }
    auto p = LookupProcess(h);
    if (!p) return FALSE;
    if (!code) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *code = p->ExitCode();
    return TRUE;
}

BOOL WINAPI TerminateProcess(HANDLE h, UINT code) {
    if (h == kCurrentProcess) {
        // Ends without running the exit handlers, so its end is logged here.
        LogProgramEnded(ProgramName(), getpid(), static_cast<int>(code));
        fflush(nullptr);
        _exit(static_cast<int>(code));
    }
    auto p = LookupProcess(h);
    if (!p) return FALSE;
    if (p->Ended()) {
        SetLastError(ERROR_ACCESS_DENIED);  // as the system answers for a process already gone
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> guard(p->lock);
        if (!p->reaped && !p->terminated) {
            p->terminated = true;
            p->terminateCode = code;
            kill(p->pid, SIGKILL);
            // Killed, it cannot say so itself.
            LogProgramEnded(p->name, p->pid, static_cast<int>(code));
        }
    }
    wyn::clock::Notify();
    return TRUE;
}

void WINAPI ExitProcess(UINT code) {
    fflush(nullptr);
    exit(static_cast<int>(code));
}

DWORD WINAPI GetCurrentProcessId(void) { return static_cast<DWORD>(getpid()); }

HANDLE WINAPI GetCurrentProcess(void) { return kCurrentProcess; }

LPSTR WINAPI GetCommandLineA(void) { return CommandLine().data(); }
