// Processes: starting the programs of the program folder, the command line passed exactly,
// lpCmdLine as the C runtime derives it, ids, exit codes, termination, bad handles.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>
#include <wynplat.h>

namespace {

// What the child wrote about itself, by field; empty when it never wrote.
std::map<std::string, std::string> ChildReport(DWORD pid) {
    std::string dir = getenv("WYN_RUNTIME_DIR");
    std::string path = dir + "/child-" + std::to_string(pid) + ".txt";
    std::map<std::string, std::string> fields;
    // A generous bound for a loaded machine; the child normally writes within milliseconds.
    for (int i = 0; i < 30000 && !std::filesystem::exists(path); ++i) usleep(1000);
    std::ifstream in(path, std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string value = line.substr(eq + 1);
        if (value.size() >= 2 && value.front() == '[' && value.back() == ']')
            value = value.substr(1, value.size() - 2);
        fields[line.substr(0, eq)] = value;
    }
    std::filesystem::remove(path);
    return fields;
}

DWORD ExitCodeWhenEnded(HANDLE process) {
    DWORD code = STILL_ACTIVE;
    for (int i = 0; i < 30000; ++i) {
        if (!GetExitCodeProcess(process, &code)) return 0xDEADu;
        if (code != STILL_ACTIVE) break;
        usleep(1000);
    }
    return code;
}

class Processes : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* dir = getenv("WYN_RUNTIME_DIR");
        ASSERT_NE(dir, nullptr);
        std::filesystem::create_directories(dir);
        char buf[1024];
        WynPlat_ToSystemPath(WynPlat_ProgramDir(), buf, sizeof buf);
        programDir = buf;
    }
    std::string programDir;
};

TEST_F(Processes, PassesTheCommandLineExactly) {
    struct Case {
        const char* application;
        const char* arguments;
        const char* line;
        const char* cmd;
    };
    const Case cases[] = {
        {"plat_child.exe", " 1", " 1", "1"},
        {"PLAT_CHILD.EXE", "  TST", "  TST", "TST"},
        {"plat_child", "plat_child  a  b ", "plat_child  a  b ", "a  b "},
        {nullptr, "plat_child.exe \"q r\" s", "plat_child.exe \"q r\" s", "\"q r\" s"},
        {nullptr, "\"plat_child.exe\" x", "\"plat_child.exe\" x", "x"},
        {"plat_child.exe", "", "", ""},
        {"plat_child.exe", " \x95\x5C", " \x95\x5C", "\x95\x5C"},  // Shift-JIS passes untouched
    };
    for (const auto& c : cases) {
        std::string args = c.arguments;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        ASSERT_TRUE(CreateProcessA(c.application, args.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &pi))
            << c.arguments << " error " << GetLastError();
        auto report = ChildReport(pi.dwProcessId);
        EXPECT_EQ(report["line"], c.line) << c.arguments;
        EXPECT_EQ(report["cmd"], c.cmd) << c.arguments;
        EXPECT_EQ(report["cwd"], programDir) << c.arguments;  // started in the program folder
        EXPECT_EQ(report["tid"], std::to_string(pi.dwThreadId)) << c.arguments;
        EXPECT_EQ(ExitCodeWhenEnded(pi.hProcess), 0u) << c.arguments;
        EXPECT_TRUE(CloseHandle(pi.hThread));
        EXPECT_TRUE(CloseHandle(pi.hProcess));
    }
}

TEST_F(Processes, StartsByFullPathInTheGivenFolder) {
    std::string app = programDir + "\\PLAT_CHILD.EXE";
    std::string args = "  exit=7";
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(app.c_str(), args.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               "C:\\", nullptr, &pi));
    auto report = ChildReport(pi.dwProcessId);
    EXPECT_EQ(report["line"], "  exit=7");
    EXPECT_EQ(report["cwd"], "C:\\");
    EXPECT_EQ(WaitForSingleObject(pi.hThread, INFINITE),
              WAIT_OBJECT_0);  // the main thread ends with it
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), WAIT_OBJECT_0);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_EQ(code, 7u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

TEST_F(Processes, WinExecStartsTheWholeLine) {
    // WinExec hands out no id: the child's report is found by a mark in its command line
    // (other cases of this suite run beside this one and report into the same folder).
    std::string line = "plat_child.exe  exit=3 wait mark" + std::to_string(getpid());
    UINT r = WinExec(line.c_str(), 1);
    EXPECT_GT(r, 31u);
    std::string dir = getenv("WYN_RUNTIME_DIR");
    DWORD pid = 0;
    for (int i = 0; i < 30000 && !pid; ++i) {
        for (const auto& e : std::filesystem::directory_iterator(dir)) {
            std::string name = e.path().filename().string();
            if (name.rfind("child-", 0) != 0 || name.size() < 4 ||
                name.substr(name.size() - 4) != ".txt")
                continue;
            std::ifstream in(e.path(), std::ios::binary);
            std::stringstream text;
            text << in.rdbuf();
            if (text.str().find(line) != std::string::npos)
                pid = static_cast<DWORD>(std::stoul(name.substr(6)));
        }
        if (!pid) usleep(1000);
    }
    ASSERT_NE(pid, 0u);
    auto report = ChildReport(pid);
    EXPECT_EQ(report["line"], line);
    EXPECT_EQ(report["cmd"], line.substr(16));
    kill(static_cast<pid_t>(pid), SIGKILL);
    EXPECT_EQ(WinExec("no_such_program.exe 1", 1), 2u);
    EXPECT_EQ(WinExec("C:\\no\\such\\folder\\x.exe", 1), 3u);
}

TEST_F(Processes, TerminatesAndReportsExitCodes) {
    std::string args = " wait";
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA("plat_child.exe", args.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, nullptr, &pi));
    ChildReport(pi.dwProcessId);  // it is running and waits to be ended
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(pi.hProcess, &code));
    EXPECT_EQ(code, (DWORD)STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 0), (DWORD)WAIT_TIMEOUT);  // it waits for ever
    EXPECT_EQ(WaitForSingleObject(pi.hThread, 20), (DWORD)WAIT_TIMEOUT);
    EXPECT_TRUE(TerminateProcess(pi.hProcess, 42));
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(ExitCodeWhenEnded(pi.hProcess), 42u);
    EXPECT_FALSE(TerminateProcess(pi.hProcess, 1));  // already gone
    EXPECT_EQ(ExitCodeWhenEnded(pi.hProcess), 42u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

TEST_F(Processes, FailsCleanly) {
    std::string args = " 1";
    PROCESS_INFORMATION pi = {};
    struct Case {
        const char* application;
        DWORD error;
    };
    const Case cases[] = {
        {"no_such_program.exe", ERROR_FILE_NOT_FOUND},
        {"C:\\no\\such\\folder\\x.exe", ERROR_PATH_NOT_FOUND},
        {"plat_testplug.dll", ERROR_BAD_EXE_FORMAT},  // a file, but no program
    };
    for (const auto& c : cases) {
        SetLastError(0);
        EXPECT_FALSE(CreateProcessA(c.application, args.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                    nullptr, nullptr, &pi))
            << c.application;
        EXPECT_EQ(GetLastError(), c.error) << c.application;
    }
    EXPECT_FALSE(CreateProcessA(nullptr, nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                nullptr, &pi));
    std::string longName = "C:\\" + std::string(300, 'p') + ".exe";
    EXPECT_FALSE(CreateProcessA(longName.c_str(), args.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, nullptr, &pi));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILENAME_EXCED_RANGE);

    HANDLE file = CreateFileA((programDir + "\\plat_testplug.dll").c_str(), GENERIC_READ, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const HANDLE bad[] = {nullptr, (HANDLE)(intptr_t)0x4444, file};
    for (HANDLE h : bad) {
        DWORD code = 0;
        SetLastError(0);
        EXPECT_FALSE(GetExitCodeProcess(h, &code)) << h;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE) << h;
        EXPECT_FALSE(TerminateProcess(h, 1)) << h;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_INVALID_HANDLE) << h;
    }
    CloseHandle(file);
}

// The run affordances with the programs of a run: a runtime folder of the case's own (which
// the children inherit, and which counts their starts), and variables for the children.
class Runs : public Processes {
  protected:
    void SetUp() override {
        Processes::SetUp();
        auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::string(getenv("WYN_RUNTIME_DIR")) + "/" + info->name();
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        Set("WYN_RUNTIME_DIR", folder);
    }
    void TearDown() override {
        for (auto& [name, value] : saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    void Set(const std::string& name, const std::string& value) {
        if (!saved.count(name)) {
            const char* old = getenv(name.c_str());
            saved[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        setenv(name.c_str(), value.c_str(), 1);
    }
    // Starts plat_child with `args` and waits for its end; its pid.
    DWORD Run(std::string args, HANDLE* keep = nullptr) {
        PROCESS_INFORMATION pi = {};
        EXPECT_TRUE(CreateProcessA("plat_child.exe", args.data(), nullptr, nullptr, FALSE, 0,
                                   nullptr, nullptr, nullptr, &pi))
            << args;
        CloseHandle(pi.hThread);
        if (keep) {
            *keep = pi.hProcess;
        } else {
            ExitCodeWhenEnded(pi.hProcess);
            CloseHandle(pi.hProcess);
        }
        return pi.dwProcessId;
    }
    std::string folder;
    std::map<std::string, std::optional<std::string>> saved;
};

// Every program appends one line to the log when it starts a program and one when it ends,
// whole even when many end at once; a program ended from outside is logged by its ender.
TEST_F(Runs, TheProcessLogHoldsOneWholeLinePerStartAndEnd) {
    std::string log = folder + "/process.log";
    Set("WYN_PROCESS_LOG", log);
    constexpr int kChildren = 16;
    std::vector<HANDLE> running(kChildren);
    std::map<DWORD, int> codes;  // child pid -> the exit code it was asked for
    for (int i = 0; i < kChildren; ++i)
        codes[Run(" exit=" + std::to_string(i + 1), &running[i])] = i + 1;
    for (HANDLE h : running) {
        ExitCodeWhenEnded(h);
        CloseHandle(h);
    }
    HANDLE waiting = nullptr;
    DWORD killed = Run(" wait", &waiting);
    ChildReport(killed);  // running
    ASSERT_TRUE(TerminateProcess(waiting, 42));
    ExitCodeWhenEnded(waiting);
    CloseHandle(waiting);

    const std::regex kLine(
        R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (?:start (\S+) (\d+) -> (\d+) (.*)|end (\S+) (\d+) exit (-?\d+)))");
    std::ifstream in(log);
    std::map<DWORD, std::string> started;  // pid -> command line
    std::map<DWORD, int> ended;            // pid -> exit code
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, kLine)) << "a torn or unknown line: " << line;
        if (m[1].matched) {
            EXPECT_EQ(m[1], "platform_process_test") << line;
            EXPECT_EQ(std::stoul(m[2]), static_cast<unsigned long>(getpid())) << line;
            started[std::stoul(m[3])] = m[4];
        } else {
            EXPECT_EQ(m[5], "plat_child") << line;
            ended[std::stoul(m[6])] = std::stoi(m[7]);
        }
    }
    EXPECT_EQ(started.size(), codes.size() + 1);
    EXPECT_EQ(ended.size(), codes.size() + 1);
    for (auto [pid, code] : codes) {
        // The program named apart from its command line, a blank, the exact command line.
        EXPECT_EQ(started[pid], "plat_child.exe  exit=" + std::to_string(code));
        EXPECT_EQ(ended[pid], code) << "pid " << pid;
    }
    EXPECT_EQ(started[killed], "plat_child.exe  wait");
    EXPECT_EQ(ended[killed], 42) << "logged by the process that ended it";
}

// %p and %n in the replay and screenshot paths: each run of a program has its own files, and a
// run whose replay file is not there replays nothing.
TEST_F(Runs, ReplayAndScreenshotPathsNameTheProgramAndItsStart) {
    std::ofstream(folder + "/replay-plat_child-2.txt") << "100 key A\n200 key B\n";
    Set("WYN_REPLAY", folder + "/replay-%p-%n.txt");
    Set("WYN_SCREENSHOT", folder + "/shot-%p-%n-%%.png");
    Set("WYN_CLOCK", "virtual");
    std::vector<std::string> keys;
    for (int run = 1; run <= 3; ++run) keys.push_back(ChildReport(Run(" window"))["keys"]);
    EXPECT_EQ(keys, (std::vector<std::string>{"", "65 66 ", ""}));
    for (int run = 1; run <= 3; ++run) {
        std::string shot = folder + "/shot-plat_child-" + std::to_string(run) + "-%.png";
        EXPECT_TRUE(std::filesystem::exists(shot)) << shot;
    }
    std::ifstream count(folder + "/starts/plat_child");
    int starts = 0;
    count >> starts;
    EXPECT_EQ(starts, 3);
}

TEST(ThisProcess, HasConsistentIds) {
    EXPECT_EQ(GetCurrentProcessId(), static_cast<DWORD>(getpid()));
    EXPECT_EQ(GetCurrentThreadId(), GetCurrentProcessId());  // the main thread
    DWORD other = 0;
    std::thread([&] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(other, GetCurrentProcessId());
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(GetCurrentProcess(), &code));
    EXPECT_EQ(code, (DWORD)STILL_ACTIVE);
    // Started from a shell: the line joined from the arguments.
    std::string line = GetCommandLineA();
    EXPECT_NE(line.find("platform_process_test"), std::string::npos) << line;
}

}  // namespace
