// Windows and messages between the programs of the set: the test process and a peer program
// find each other's windows by class, send with replies, post, enumerate the peer's thread,
// see it gone after it is killed, and never hang on a dead peer. Each case has its own
// runtime folder, so cases running side by side do not see each other.
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include <windows.h>
#include <wynplat.h>
#include "../../common/case_folder.h"
#include "../../common/wait_for.h"

namespace {

constexpr UINT kAdd = WM_USER + 1;
constexpr UINT kPostBack = WM_USER + 2;
constexpr UINT kSendBack = WM_USER + 3;
constexpr UINT kAsked = WM_USER + 4;
constexpr UINT kPosted = WM_USER + 5;
constexpr UINT kDie = WM_USER + 6;
constexpr UINT kIsForeground = WM_USER + 7;
constexpr UINT kSecondWindow = WM_USER + 8;

WPARAM g_posted = 0;

LRESULT CALLBACK TestProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == kAsked) return static_cast<LRESULT>(100 + w);
    if (m == kPosted) {
        g_posted = w;
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

class Ipc : public ::testing::Test {
  protected:
    void SetUp() override {
        // A runtime folder of this case alone; the peers inherit it.
        ASSERT_TRUE(EnterCaseRuntimeFolder(&runtime));
        char buf[1024];
        WynPlat_ToSystemPath(WynPlat_ProgramDir(), buf, sizeof buf);
        programDir = buf;
    }
    void TearDown() override {
        for (auto& pi : started) {
            TerminateProcess(pi.hProcess, 0);
            WaitForSingleObject(pi.hProcess, 20000);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
    }
    PROCESS_INFORMATION Start(const std::string& args) {
        std::string exe = programDir + "\\plat_ipcpeer.exe";
        std::string line = "plat_ipcpeer " + args;
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        EXPECT_TRUE(CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &si, &pi))
            << args;
        started.push_back(pi);
        return pi;
    }
    HWND StartWindowPeer(const char* cls, PROCESS_INFORMATION* out = nullptr) {
        PROCESS_INFORMATION pi = Start(std::string("window ") + cls);
        if (out) *out = pi;
        HWND h = nullptr;
        WaitServing([&] { return (h = FindWindowA(cls, nullptr)) != nullptr; });
        return h;
    }
    HWND MakeOwnWindow() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = TestProc;
        wc.lpszClassName = "WynIpcTest";
        RegisterClassA(&wc);
        return CreateWindowExA(0, "WynIpcTest", "test", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr,
                               nullptr, nullptr, nullptr);
    }
    static DWORD ExitCode(HANDLE process) {
        WaitForSingleObject(process, 20000);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process, &code);
        return code;
    }
    std::string runtime, programDir;
    std::vector<PROCESS_INFORMATION> started;
};

TEST_F(Ipc, FindsPeerWindowAndTalksBothWays) {
    HWND own = MakeOwnWindow();
    ASSERT_NE(own, nullptr);
    PROCESS_INFORMATION pi{};
    HWND peer = StartWindowPeer("WynIpcPeer", &pi);
    ASSERT_NE(peer, nullptr) << "the peer's window is never found by class";
    EXPECT_NE(peer, own);
    EXPECT_TRUE(IsWindow(peer));
    EXPECT_EQ(FindWindowA("wynipcpeer", "peer"), peer) << "class without case, with the title";
    EXPECT_EQ(FindWindowA("WynIpcPeer", "other title"), nullptr);
    EXPECT_EQ(FindWindowA("WynIpcTest", nullptr), own) << "own windows are found first";

    EXPECT_EQ(SendMessageA(peer, kAdd, 40, 2), 42) << "a synchronous send answers with the reply";
    // The peer's procedure sends back to this window while this thread waits for its reply.
    EXPECT_EQ(SendMessageA(peer, kSendBack, 5, 0), 106)
        << "a blocked sender serves what is sent to it";
    EXPECT_TRUE(PostMessageA(peer, kPostBack, 77, 0));
    EXPECT_TRUE(WaitServing([] { return g_posted == 77; }))
        << "the peer's post to this window never arrived";

    DWORD pid = 0;
    EXPECT_EQ(GetWindowThreadProcessId(peer, &pid), pi.dwThreadId);
    EXPECT_EQ(pid, pi.dwProcessId);
    EXPECT_TRUE(SetForegroundWindow(peer));
    EXPECT_EQ(SendMessageA(peer, kIsForeground, 0, 0), 1)
        << "the peer became the foreground window";
    // Brought to the top, another program's window comes to the front as its foreground
    // window (a second copy of a program does so with the first's window).
    ASSERT_EQ(SendMessageA(peer, kSecondWindow, 0, 0), 1) << "the peer's second window in front";
    EXPECT_TRUE(BringWindowToTop(peer));
    EXPECT_EQ(SendMessageA(peer, kIsForeground, 0, 0), 1)
        << "the peer's first window came back to the front";

    SendMessageA(peer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitServing([&] { return !IsWindow(peer); })) << "a destroyed window is seen gone";
    EXPECT_EQ(ExitCode(pi.hProcess), 0u);
    DestroyWindow(own);
}

TEST_F(Ipc, AThreadWithoutAQueueSendsToAPeer) {
    HWND peer = StartWindowPeer("WynIpcNoQueue");
    ASSERT_NE(peer, nullptr);
    // A fresh thread has no message queue yet; its first cross-process send makes one.
    std::atomic<int> done{0};
    std::atomic<LRESULT> sum{0};
    std::thread([&] {
        sum = SendMessageA(peer, kAdd, 1, 2);
        SetForegroundWindow(peer);
        done = 1;
    }).detach();
    EXPECT_TRUE(WaitServing([&] { return done == 1; })) << "the sending thread never came back";
    EXPECT_EQ(sum, 3);
}

struct EnumFound {
    HWND first = nullptr;
    int count = 0;
};

BOOL CALLBACK CountWindows(HWND h, LPARAM p) {
    auto* f = reinterpret_cast<EnumFound*>(p);
    if (!f->first) f->first = h;
    ++f->count;
    return TRUE;
}

TEST_F(Ipc, EnumeratesTheWindowsOfAStartedProgramsThread) {
    PROCESS_INFORMATION pi{};
    HWND peer = StartWindowPeer("WynIpcEnum", &pi);
    ASSERT_NE(peer, nullptr);
    EnumFound found;
    EXPECT_TRUE(EnumThreadWindows(pi.dwThreadId, CountWindows, reinterpret_cast<LPARAM>(&found)));
    EXPECT_EQ(found.count, 1);
    EXPECT_EQ(found.first, peer);
    EnumFound none;
    EXPECT_FALSE(
        EnumThreadWindows(pi.dwThreadId + 100000, CountWindows, reinterpret_cast<LPARAM>(&none)));
    EXPECT_EQ(none.count, 0);
}

TEST_F(Ipc, AKilledPeerIsGoneAndNeverHangsASender) {
    PROCESS_INFORMATION pi{};
    HWND peer = StartWindowPeer("WynIpcKilled", &pi);
    ASSERT_NE(peer, nullptr);
    ASSERT_EQ(SendMessageA(peer, kAdd, 1, 1), 2);
    ASSERT_TRUE(TerminateProcess(pi.hProcess, 5));
    EXPECT_EQ(ExitCode(pi.hProcess), 5u);
    EXPECT_FALSE(IsWindow(peer)) << "the window of a killed process is gone";
    EXPECT_EQ(FindWindowA("WynIpcKilled", nullptr), nullptr);
    EXPECT_EQ(SendMessageA(peer, kAdd, 1, 1), 0);
    EXPECT_FALSE(PostMessageA(peer, kAdd, 1, 1));
    EXPECT_FALSE(SetForegroundWindow(peer));
    EnumFound found;
    EXPECT_FALSE(EnumThreadWindows(pi.dwThreadId, CountWindows, reinterpret_cast<LPARAM>(&found)));
}

TEST_F(Ipc, APeerDyingWhileHandlingASendGivesZero) {
    PROCESS_INFORMATION pi{};
    HWND peer = StartWindowPeer("WynIpcDies", &pi);
    ASSERT_NE(peer, nullptr);
    EXPECT_EQ(SendMessageA(peer, kDie, 0, 0), 0);
    EXPECT_EQ(ExitCode(pi.hProcess), 9u);
    EXPECT_FALSE(IsWindow(peer));
}

TEST_F(Ipc, BadWindowHandlesGiveZero) {
    // Handles in the range of other processes' windows that were never handed out.
    const uintptr_t bad[] = {0x40000010, 0x40001230, 0x7FFFFFE0, 0x12345678};
    for (uintptr_t v : bad) {
        HWND h = reinterpret_cast<HWND>(v);
        EXPECT_FALSE(IsWindow(h)) << std::hex << v;
        EXPECT_EQ(SendMessageA(h, kAdd, 1, 1), 0) << std::hex << v;
        EXPECT_FALSE(PostMessageA(h, kAdd, 1, 1)) << std::hex << v;
        EXPECT_EQ(GetWindowThreadProcessId(h, nullptr), 0u) << std::hex << v;
    }
    EXPECT_EQ(FindWindowA("NoSuchClassAnywhere", nullptr), nullptr);
    EXPECT_EQ(FindWindowA(MAKEINTRESOURCEA(5), nullptr), nullptr);
}

// ---- named events and mailslots, the channels to the outside debugging tools ----

TEST_F(Ipc, NamedEventsAreSharedBetweenProcesses) {
    HANDLE ev = CreateEventA(nullptr, TRUE, FALSE, "WynTestEvent");
    ASSERT_NE(ev, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    PROCESS_INFORMATION setter = Start("event-set WynTestEvent");
    EXPECT_EQ(WaitForSingleObject(ev, 20000), WAIT_OBJECT_0) << "the peer's SetEvent is seen here";
    EXPECT_EQ(ExitCode(setter.hProcess), 0u);

    // The other way: the peer waits on an event this process sets.
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, "WynTestGo");
    HANDLE done = CreateEventA(nullptr, FALSE, FALSE, "WynTestGo-done");
    PROCESS_INFORMATION waiter = Start("event-wait WynTestGo");
    EXPECT_EQ(WaitForSingleObject(done, 200), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the peer went on unsignalled";
    EXPECT_TRUE(SetEvent(go));
    EXPECT_EQ(WaitForSingleObject(done, 20000), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(done, 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "auto-reset after one wait";
    EXPECT_EQ(ExitCode(waiter.hProcess), 0u);
    CloseHandle(go);
    CloseHandle(done);
    CloseHandle(ev);
}

TEST_F(Ipc, NamedEventsLiveAsLongAsAHandle) {
    SetLastError(0);
    EXPECT_EQ(OpenEventA(EVENT_MODIFY_STATE, FALSE, "WynNoEvent"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    PROCESS_INFORMATION lone = Start("event-set WynNoEvent");
    EXPECT_EQ(ExitCode(lone.hProcess), 1u) << "a peer cannot open an event nobody made";

    HANDLE a = CreateEventA(nullptr, TRUE, FALSE, "WynTwice");
    HANDLE b = CreateEventA(nullptr, TRUE, FALSE, "WynTwice");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(SetEvent(a));
    EXPECT_EQ(WaitForSingleObject(b, 0), WAIT_OBJECT_0) << "one event behind both handles";
    EXPECT_TRUE(ResetEvent(b));
    EXPECT_EQ(WaitForSingleObject(a, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    CloseHandle(a);
    CloseHandle(b);
    EXPECT_EQ(OpenEventA(EVENT_MODIFY_STATE, FALSE, "WynTwice"), nullptr)
        << "forgotten with its last handle";
    HANDLE c = CreateEventA(nullptr, FALSE, TRUE, "WynTwice");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS)) << "made anew";
    EXPECT_EQ(WaitForSingleObject(c, 0), WAIT_OBJECT_0) << "with its new initial state";
    CloseHandle(c);
    // Unnamed events stay within the process.
    HANDLE local = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    EXPECT_TRUE(SetEvent(local));
    EXPECT_EQ(WaitForSingleObject(local, 0), WAIT_OBJECT_0);
    CloseHandle(local);
}

TEST_F(Ipc, AMailslotIsWrittenAndReadBetweenProcesses) {
    const char* name = "\\\\.\\mailslot\\wyn\\debugstring";
    HANDLE slot = CreateMailslotA(name, 0, 20000, nullptr);
    ASSERT_NE(slot, INVALID_HANDLE_VALUE);
    PROCESS_INFORMATION writer = Start(std::string("mailslot-write ") + name + " hello-monitor");
    EXPECT_EQ(ExitCode(writer.hProcess), 0u);
    char buf[64] = {};
    DWORD n = 0;
    ASSERT_TRUE(ReadFile(slot, buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(std::string(buf, n), "hello-monitor");
    DWORD next = 0, count = 7, timeout = 0;
    ASSERT_TRUE(GetMailslotInfo(slot, nullptr, &next, &count, &timeout));
    EXPECT_EQ(next, MAILSLOT_NO_MESSAGE);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(timeout, 20000u);
    CloseHandle(slot);

    // The peer reads a slot of its own, written here (the name ignores case).
    PROCESS_INFORMATION reader = Start("mailslot-read \\\\.\\mailslot\\wyn\\Value");
    HANDLE ready = nullptr;
    WaitServing([&] {
        return (ready = OpenEventA(SYNCHRONIZE, FALSE, "\\\\.\\mailslot\\wyn\\Value-ready")) !=
               nullptr;
    });
    ASSERT_NE(ready, nullptr);
    HANDLE f = CreateFileA("\\\\.\\MAILSLOT\\wyn\\value", GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    char record[256] = "12 TASK00    1 WAIT";
    EXPECT_TRUE(WriteFile(f, record, sizeof record, &n, nullptr));
    EXPECT_EQ(n, 256u);
    CloseHandle(f);
    CloseHandle(ready);
    EXPECT_EQ(ExitCode(reader.hProcess), 256u / 4) << "the peer read the whole 256-byte record";
}

TEST_F(Ipc, AMailslotWithoutAReaderFailsAtOnce) {
    const char* name = "\\\\.\\mailslot\\zem\\debugstring";
    SetLastError(0);
    EXPECT_EQ(CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    PROCESS_INFORMATION writer = Start(std::string("mailslot-write ") + name + " x");
    EXPECT_EQ(ExitCode(writer.hProcess), 1u);

    // A reader that closed leaves no slot behind; one that was killed neither.
    HANDLE slot = CreateMailslotA(name, 0, 0, nullptr);
    ASSERT_NE(slot, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateMailslotA(name, 0, 0, nullptr), INVALID_HANDLE_VALUE) << "one reader per name";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(slot);
    EXPECT_EQ(CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    PROCESS_INFORMATION reader = Start(std::string("mailslot-read ") + name);
    HANDLE ready = nullptr;
    WaitServing([&] {
        return (ready = OpenEventA(SYNCHRONIZE, FALSE, (std::string(name) + "-ready").c_str())) !=
               nullptr;
    });
    ASSERT_NE(ready, nullptr);
    CloseHandle(ready);
    TerminateProcess(reader.hProcess, 0);
    ExitCode(reader.hProcess);
    EXPECT_EQ(CreateFileA(name, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    HANDLE again = CreateMailslotA(name, 0, 0, nullptr);
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << "the killed reader's name is taken over";
    CloseHandle(again);
}

TEST_F(Ipc, MailslotBadInput) {
    const char* badNames[] = {"debugstring", "\\\\.\\mailslot\\", "\\\\.\\pipe\\x", ""};
    for (const char* n : badNames) {
        EXPECT_EQ(CreateMailslotA(n, 0, 0, nullptr), INVALID_HANDLE_VALUE) << n;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME)) << n;
    }
    EXPECT_EQ(CreateMailslotA(nullptr, 0, 0, nullptr), INVALID_HANDLE_VALUE);
    HANDLE slot = CreateMailslotA("\\\\.\\mailslot\\wyn\\bad", 0, 0, nullptr);
    ASSERT_NE(slot, INVALID_HANDLE_VALUE);
    char buf[8];
    DWORD n = 5;
    EXPECT_FALSE(ReadFile(slot, buf, sizeof buf, &n, nullptr)) << "nothing waits, no time-out";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SEM_TIMEOUT));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(WriteFile(slot, "x", 1, &n, nullptr)) << "the reader's handle does not write";
    HANDLE f = CreateFileA("\\\\.\\mailslot\\wyn\\bad", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReadFile(f, buf, sizeof buf, &n, nullptr)) << "a writer's handle does not read";
    ASSERT_TRUE(WriteFile(f, "too long a message", 18, &n, nullptr));
    EXPECT_FALSE(ReadFile(slot, buf, sizeof buf, &n, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    DWORD next = 0;
    EXPECT_TRUE(GetMailslotInfo(slot, nullptr, &next, nullptr, nullptr));
    EXPECT_EQ(next, 18u) << "the message stays for a larger buffer";
    char big[32];
    EXPECT_TRUE(ReadFile(slot, big, sizeof big, &n, nullptr));
    EXPECT_EQ(n, 18u);
    EXPECT_FALSE(GetMailslotInfo(f, nullptr, nullptr, nullptr, nullptr));
    CloseHandle(f);
    CloseHandle(slot);
}

}  // namespace
