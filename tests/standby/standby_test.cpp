// The stand-by window and its client with real processes: the test process is the client,
// the stand-by program runs as a child, and it launches standby_child.exe (from the test
// programs' folder, by its full path), which notes its
// exact command line in the case's own runtime folder. The clock cases run the program's
// window on a thread of this process, on the virtual clock.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <windows.h>
#include <wynplat.h>

#include "../common/png_read.h"
#include "../common/case_folder.h"
#include "../common/wait_for.h"
#include "standby.h"
#include "standby_client.h"

namespace fs = std::filesystem;

namespace {

constexpr char kChildClass[] = "StandbyTestChild";

// The child program's system path: it lives in the test programs' folder, not the program folder.
const char* Child() {
    static std::string path = [] {
        char sys[1024];
        WynPlat_ToSystemPath(STANDBY_TEST_CHILD, sys, sizeof sys);
        return std::string(sys) + ".exe";
    }();
    return path.c_str();
}

// Whether a process of the test (started by the client, so without a handle here) has ended.
bool ProcessEnded(DWORD pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(f, stat)) return true;
    size_t close = stat.rfind(')');
    return close == std::string::npos || (close + 2 < stat.size() && stat[close + 2] == 'Z');
}

DWORD StandbyPid() {
    DWORD pid = 0;
    GetWindowThreadProcessId(FindWindowA(STANDBY_CLASS, nullptr), &pid);
    return pid;
}

// standby.bmp as the program loads it, as 0x00RRGGBB rows top-down.
Png LoadPicture() {
    Png p;
    HBITMAP bmp = static_cast<HBITMAP>(LoadImageA(nullptr, "standby.bmp", IMAGE_BITMAP, 0, 0,
                                                  LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    if (!bmp) return p;
    BITMAP bm{};
    GetObjectA(bmp, sizeof bm, &bm);
    p.w = bm.bmWidth;
    p.h = bm.bmHeight;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bmp);
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            COLORREF c = GetPixel(dc, x, y);
            p.px.push_back((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bmp);
    return p;
}

// The dimmed picture: black where x and y have the same parity, the picture elsewhere.
void ExpectDimmed(const Png& picture, const Png& shot, int x0, int y0, const std::string& what) {
    int wrong = 0;
    for (int y = 0; y < picture.h; ++y)
        for (int x = 0; x < picture.w; ++x) {
            uint32_t want = (x % 2) == (y % 2) ? 0u : picture.At(x, y);
            if (shot.At(x0 + x, y0 + y) != want && ++wrong <= 5)
                ADD_FAILURE() << what << ": pixel (" << x << "," << y << ") is " << std::hex
                              << shot.At(x0 + x, y0 + y) << ", want " << want;
        }
    EXPECT_EQ(wrong, 0) << what;
}

void ExpectSamePicture(const Png& picture, const Png& shot, const std::string& what) {
    ASSERT_GE(shot.w, picture.w) << what;
    ASSERT_GE(shot.h, picture.h) << what;
    int wrong = 0;
    for (int y = 0; y < picture.h; ++y)
        for (int x = 0; x < picture.w; ++x) wrong += shot.At(x, y) != picture.At(x, y);
    EXPECT_EQ(wrong, 0) << what << ": pixels differing from standby.bmp";
}

class StandBy : public ::testing::Test {
  protected:
    void SetUp() override {
        // A runtime folder of this case alone; the stand-by program and its child inherit it.
        ASSERT_TRUE(EnterCaseRuntimeFolder(&runtime));
        const char* bin = getenv("WYN_PROGRAM_DIR");
        ASSERT_NE(bin, nullptr);
        binDir = bin;
    }
    void TearDown() override {
        for (int i = 0; i < 5 && StandBy_End(); ++i)
            WaitServing([] { return !FindWindowA(STANDBY_CLASS, nullptr); });
        while (HWND c = FindWindowA(kChildClass, nullptr)) {
            PostMessageA(c, WM_CLOSE, 0, 0);
            if (!WaitServing([c] { return !IsWindow(c); })) break;
        }
    }
    std::vector<std::string> ChildLines() const {
        std::vector<std::string> lines;
        std::ifstream f(runtime + "/child.txt");
        for (std::string s; std::getline(f, s);) lines.push_back(s);
        return lines;
    }
    // Runs the stand-by program directly (system path of the program, command line, folder).
    DWORD RunStandbyDirect(const std::string& program, std::string line,
                           const std::string& folder) {
        char sys[1024], dir[1024];
        EXPECT_TRUE(WynPlat_ToSystemPath(program.c_str(), sys, sizeof sys));
        EXPECT_TRUE(WynPlat_ToSystemPath(folder.c_str(), dir, sizeof dir));
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessA(sys, line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir, &si, &pi)) {
            ADD_FAILURE() << "standby did not start: " << line;
            return 12345;
        }
        WaitForSingleObject(pi.hProcess, 60000);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi.hProcess, &code);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
        return code;
    }
    std::string runtime, binDir;
};

struct SplitCase {
    const char* line;
    const char* program;
    const char* arguments;
};
const SplitCase kSplit[] = {
    {"vsk33.exe ", "vsk33.exe", " "},
    {"wyndemoa 1", "wyndemoa.exe", " 1"},
    {"C:\\WYN\\VSK33.EXE  TST", "C:\\WYN\\VSK33.EXE", "  TST"},
    {"my prog two words", "my prog.exe", " two words"},
    {"prog notes.txt", "prog", " notes.txt"},
    {"wyndemoa", "", "wyndemoa"},
    {"", "", ""},
};

TEST(StandBySplit, ProgramAndArgumentTail) {
    for (const SplitCase& c : kSplit) {
        standby::CommandSplit s = standby::SplitCommand(c.line);
        EXPECT_EQ(s.program, c.program) << "line [" << c.line << "]";
        EXPECT_EQ(s.arguments, c.arguments) << "line [" << c.line << "]";
    }
}

TEST(StandByClient, CommandLineIsBoundedNotCut) {
    char out[STANDBY_LINE_MAX + 1];
    ASSERT_TRUE(StandBy_FormatCommand("wyntower.exe", " TST", out, sizeof out));
    EXPECT_STREQ(out, "standby.exe wyntower.exe  TST");
    ASSERT_TRUE(StandBy_FormatCommand("", "", out, sizeof out));
    EXPECT_STREQ(out, "standby.exe  ");
    // 12 + program + 1 + arguments: 255 fits, 256 does not.
    std::string program(200, 'p'), fits(42, 'a'), over(43, 'a');
    EXPECT_TRUE(StandBy_FormatCommand(program.c_str(), fits.c_str(), out, sizeof out));
    EXPECT_EQ(std::strlen(out), 255u);
    EXPECT_FALSE(StandBy_FormatCommand(program.c_str(), over.c_str(), out, sizeof out));
    EXPECT_STREQ(out, "");
    std::string longPath = "C:\\" + std::string(300, 'd') + "\\vsk33.exe";
    EXPECT_FALSE(StandBy_FormatCommand(longPath.c_str(), "", out, sizeof out));
    char small[16];
    EXPECT_FALSE(StandBy_FormatCommand("wyntower.exe", " TST", small, sizeof small))
        << "the buffer bounds it too";
}

TEST_F(StandBy, TooLongLinesFailWithAMessage) {
    std::string over(300, 'a');
    int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(StandBy_Start(Child(), over.c_str()), 0);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    char caption[64], text[256];
    ASSERT_TRUE(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text));
    EXPECT_STREQ(caption, "standby");
    EXPECT_EQ(FindWindowA(STANDBY_CLASS, nullptr), nullptr) << "nothing was started";
    // The program itself refuses a line it would have to cut.
    EXPECT_EQ(RunStandbyDirect(binDir + "/standby",
                               std::string("standby.exe ") + Child() + " " + over, runtime),
              0u);
    EXPECT_TRUE(ChildLines().empty());
}

TEST_F(StandBy, FullHandOver) {
    ASSERT_EQ(StandBy_Start(Child(), "a b"), 1);
    HWND standby = FindWindowA(STANDBY_CLASS, nullptr);
    ASSERT_NE(standby, nullptr);
    EXPECT_EQ(FindWindowA(kChildClass, nullptr), nullptr)
        << "nothing is launched before STANDBY_RUN";
    ASSERT_EQ(StandBy_Send(), 1);
    // The send returns only once the launched program owns a window.
    EXPECT_NE(FindWindowA(kChildClass, nullptr), nullptr);
    EXPECT_EQ(ChildLines(), std::vector<std::string>{"[ a b]"}) << "the child's exact command line";
    EXPECT_TRUE(IsWindow(standby)) << "the stand-by window waits for its close";
    DWORD pid = StandbyPid();
    ASSERT_NE(pid, 0u);
    EXPECT_EQ(StandBy_End(), 1);
    EXPECT_TRUE(WaitServing([] { return !FindWindowA(STANDBY_CLASS, nullptr); }));
    EXPECT_TRUE(WaitServing([pid] { return ProcessEnded(pid); })) << "WM_CLOSE ends standby";
    EXPECT_EQ(StandBy_End(), 0) << "no window, nothing to close";
    EXPECT_EQ(StandBy_Send(STANDBY_LOOK_ONCE), 0);
}

// The hand-overs of the set, each as its client words it: what program the stand-by window
// starts, with exactly what command line (the process log's start line), and what the
// program's WinMain is given.
struct HandOverCase {
    const char* what;
    const char* program;  // "%F" stands for the program folder in the system's form, with '\\'
    const char* arguments;
    const char* started;      // the program the stand-by window starts
    const char* line;         // its whole command line, as the process log shows it
    const char* winMainLine;  // what its WinMain receives
};
const HandOverCase kHandOvers[] = {
    {"the game back to the front-end", "%FVSK33.EXE ", "rjtt", "vsk33", "  rjtt", "rjtt"},
    {"the front-end to the game", "wyntower", "rjtt stage01", "wyntower", " rjtt stage01",
     "rjtt stage01"},
    {"a demo back to the front-end", "vsk33.exe", " MENU", "vsk33", "  MENU", "MENU"},
    {"the launcher to the front-end", "vsk33.exe", "", "vsk33", " ", ""},
    {"a cleared stage to its exit program", "%FWYNDEMOA.EXE", "1 rjtt", "wyndemoa", " 1 rjtt",
     "1 rjtt"},
};

TEST_F(StandBy, TheSetsHandOversStartTheirProgramWithItsExactLine) {
    // A program folder of this case, with a blank in its path: the stand-by program and its
    // picture, and the child under the names of the programs of the set.
    const std::string folder = runtime + "/program folder";
    fs::create_directories(folder);
    for (const char* f : {"standby", "standby.bmp"})
        fs::create_symlink(binDir + "/" + f, folder + "/" + f);
    for (const char* name : {"vsk33", "wyntower", "wyndemoa"})
        fs::copy_file(STANDBY_TEST_CHILD, folder + "/" + name);
    setenv("WYN_PROGRAM_DIR", folder.c_str(), 1);
    ASSERT_STREQ(WynPlat_ProgramDir(), folder.c_str());
    char sysFolder[1024];
    ASSERT_TRUE(WynPlat_ToSystemPath(folder.c_str(), sysFolder, sizeof sysFolder));
    const std::string log = runtime + "/process.log";
    setenv("WYN_PROCESS_LOG", log.c_str(), 1);
    setenv("WYN_CHILD_NOTES", "winmain", 1);

    for (const HandOverCase& c : kHandOvers) {
        SCOPED_TRACE(c.what);
        fs::remove(log);
        fs::remove(runtime + "/child.txt");
        std::string program = c.program;
        if (program.rfind("%F", 0) == 0)
            program = std::string(sysFolder) + "\\" + program.substr(2);
        ASSERT_EQ(StandBy_Start(program.c_str(), c.arguments), 1);
        ASSERT_EQ(StandBy_Send(), 1);
        EXPECT_EQ(ChildLines(), (std::vector<std::string>{"[" + std::string(c.line) + "]",
                                                          "{" + std::string(c.winMainLine) + "}"}))
            << "the started program's command line and its WinMain's";
        // "<time> start standby <pid> -> <new pid> <program> <line>" (the program is named apart
        // from its arguments), and the new pid is the program's.
        std::ifstream f(log);
        std::vector<std::string> starts;
        for (std::string s; std::getline(f, s);)
            if (s.find(" start standby ") != std::string::npos) starts.push_back(s);
        ASSERT_EQ(starts.size(), 1u);
        const std::string& start = starts[0];
        size_t arrow = start.find(" -> ");
        ASSERT_NE(arrow, std::string::npos) << start;
        size_t pidEnd = start.find(' ', arrow + 4);
        ASSERT_NE(pidEnd, std::string::npos) << start;
        // The program as the stand-by window names it, a blank, then the exact line.
        const std::string logged = start.substr(pidEnd + 1), line = c.line;
        ASSERT_GT(logged.size(), line.size()) << start;
        EXPECT_EQ(logged.substr(logged.size() - line.size()), line) << start;
        std::string named = logged.substr(0, logged.size() - line.size());
        for (char& ch : named) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        EXPECT_NE(named.find(c.started), std::string::npos) << start;
        const std::string pid = start.substr(arrow + 4, pidEnd - arrow - 4);
        std::string exe = fs::read_symlink("/proc/" + pid + "/exe").filename().string();
        EXPECT_EQ(exe, c.started) << start;

        ASSERT_EQ(StandBy_End(), 1);
        ASSERT_TRUE(WaitServing([] { return !FindWindowA(STANDBY_CLASS, nullptr); }));
        while (HWND child = FindWindowA(kChildClass, nullptr)) {
            PostMessageA(child, WM_CLOSE, 0, 0);
            ASSERT_TRUE(WaitServing([child] { return !IsWindow(child); }));
        }
    }
}

// Lines the stand-by program would cut elsewhere (more than one blank in the arguments, or a
// blank in the program before a one-word argument) would launch nothing or another program.
TEST_F(StandBy, ArgumentsItCannotCarryAreRefusedWithAMessage) {
    const std::pair<const char*, const char*> kRefused[] = {
        {Child(), "after the game"},
        {Child(), " after the game"},
        {"C:\\My Games\\VSK33.EXE", "rjtt"},
        {"my prog", ""},
    };
    for (const auto& [program, arguments] : kRefused) {
        int boxes = WynPlat_MessageBoxCount();
        EXPECT_EQ(StandBy_Start(program, arguments), 0) << program << " + " << arguments;
        EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1) << program << " + " << arguments;
        char caption[64], text[256];
        ASSERT_TRUE(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text));
        EXPECT_STREQ(caption, "standby");
        EXPECT_EQ(FindWindowA(STANDBY_CLASS, nullptr), nullptr) << "nothing was started";
    }
    EXPECT_TRUE(ChildLines().empty());
}

TEST_F(StandBy, OneWindowAtATimeAndStaleOnesAreReplaced) {
    ASSERT_EQ(StandBy_Start(Child(), "first"), 1);
    HWND first = FindWindowA(STANDBY_CLASS, nullptr);
    ASSERT_NE(first, nullptr);
    DWORD code = RunStandbyDirect(binDir + "/standby",
                                  std::string("standby.exe ") + Child() + " other", binDir);
    EXPECT_EQ(code & 0xFF, 0xFFu) << "a second instance ends with -1 (an 8-bit exit status here)";
    EXPECT_TRUE(IsWindow(first)) << "the first keeps running";

    // Starting again closes the stale window, so that STANDBY_RUN launches the new command.
    ASSERT_EQ(StandBy_Start(Child(), "second"), 1);
    HWND second = FindWindowA(STANDBY_CLASS, nullptr);
    EXPECT_NE(second, first);
    EXPECT_FALSE(IsWindow(first));
    ASSERT_EQ(StandBy_Send(STANDBY_LOOK_ONCE), 1);
    EXPECT_EQ(ChildLines(), std::vector<std::string>{"[ second]"});
}

TEST_F(StandBy, WithoutItsPictureNoWindowAndTheClientsTimeOut) {
    // A program folder of this case: the stand-by program without standby.bmp beside it. The
    // client starts the program it finds there.
    std::string folder = runtime + "/bin";
    fs::create_directories(folder);
    fs::create_symlink(binDir + "/standby", folder + "/standby");
    setenv("WYN_PROGRAM_DIR", folder.c_str(), 1);
    ASSERT_STREQ(WynPlat_ProgramDir(), folder.c_str())
        << "the program folder was settled before the case";
    EXPECT_EQ(
        RunStandbyDirect(folder + "/standby", std::string("standby.exe ") + Child() + " x", folder),
        0u);
    EXPECT_EQ(FindWindowA(STANDBY_CLASS, nullptr), nullptr);

    WynPlat_SetVirtualClock(1);
    DWORD t0 = GetTickCount();
    EXPECT_EQ(StandBy_Start(Child(), "x"), 0);
    DWORD t1 = GetTickCount();
    EXPECT_GE(t1 - t0, 3000u);
    EXPECT_LT(t1 - t0, 3100u);
    EXPECT_EQ(StandBy_Send(), 0);
    DWORD t2 = GetTickCount();
    EXPECT_GE(t2 - t1, 3000u);
    EXPECT_LT(t2 - t1, 3100u);
    EXPECT_EQ(StandBy_Send(STANDBY_LOOK_ONCE), 0);
    EXPECT_LT(GetTickCount() - t2, 10u) << "looking once does not wait";
    WynPlat_SetVirtualClock(0);
    EXPECT_TRUE(ChildLines().empty());
}

// The stand-by program on the virtual clock: its wait for a window passes at once in real time.
void VirtualStandby() {
    GetTickCount();  // this process keeps the real clock
    setenv("WYN_CLOCK", "virtual", 1);
}

TEST_F(StandBy, AChildThatNeverOpensAWindowEndsTheBoundedWait) {
    VirtualStandby();
    ASSERT_EQ(StandBy_Start(Child(), "nowin"), 1);
    // Returns once the stand-by program has given up its 20 s wait (its clock).
    EXPECT_EQ(StandBy_Send(), 1);
    EXPECT_TRUE(WaitServing([&] { return !ChildLines().empty(); }));
    EXPECT_EQ(ChildLines(), std::vector<std::string>{"[ nowin]"});
    EXPECT_NE(FindWindowA(STANDBY_CLASS, nullptr), nullptr) << "dimmed, waiting to be closed";
    EXPECT_EQ(StandBy_End(), 1);
}

TEST_F(StandBy, ASecondRunWhileWaitingDoesNotLaunchAgain) {
    VirtualStandby();
    ASSERT_EQ(StandBy_Start(Child(), "nowin"), 1);
    HWND h = FindWindowA(STANDBY_CLASS, nullptr);
    ASSERT_NE(h, nullptr);
    // The script host posts STANDBY_RUN as it exits while a send is on its way.
    ASSERT_TRUE(PostMessageA(h, WM_COMMAND, STANDBY_RUN_ID, STANDBY_RUN_ID));
    EXPECT_EQ(StandBy_Send(), 1);
    EXPECT_TRUE(WaitServing([&] { return !ChildLines().empty(); }));
    DWORD pid = StandbyPid();
    EXPECT_EQ(StandBy_End(), 1);
    EXPECT_TRUE(WaitServing([] { return !FindWindowA(STANDBY_CLASS, nullptr); }));
    EXPECT_TRUE(WaitServing([pid] { return ProcessEnded(pid); }))
        << "a close during the wait still ends it";
    usleep(300000);  // a second child, if one had been started, has noted itself by now
    EXPECT_EQ(ChildLines(), std::vector<std::string>{"[ nowin]"});
}

TEST_F(StandBy, RunDimsThePictureInACheckerboard) {
    std::string shot = runtime + "/standby.png";
    setenv("WYN_SCREENSHOT", shot.c_str(), 1);
    setenv("WYN_SCREENSHOT_PAINT", "1", 1);
    ASSERT_EQ(StandBy_Start("", ""), 1);
    ASSERT_EQ(StandBy_Send(), 1) << "an empty command only dims";
    ASSERT_EQ(StandBy_End(), 1);
    ASSERT_TRUE(WaitServing([] { return !FindWindowA(STANDBY_CLASS, nullptr); }));
    Png picture = LoadPicture();
    ASSERT_GT(picture.w, 0) << "standby.bmp";
    Png first, last;
    ASSERT_TRUE(ReadPng(runtime + "/standby-00001.png", &first)) << "the first paint";
    int n = 1;
    while (fs::exists(runtime + "/standby-" + std::string(5 - std::to_string(n + 1).size(), '0') +
                      std::to_string(n + 1) + ".png"))
        ++n;
    ASSERT_GE(n, 2) << "the dimmed picture was painted";
    std::string lastName = std::to_string(n);
    ASSERT_TRUE(ReadPng(
        runtime + "/standby-" + std::string(5 - lastName.size(), '0') + lastName + ".png", &last));
    ExpectSamePicture(picture, first, "first paint");
    ASSERT_EQ(last.w, picture.w);
    ASSERT_EQ(last.h, picture.h);
    ExpectDimmed(picture, last, 0, 0, "after STANDBY_RUN");
    Png closed;  // written as the program ends, just after its window is gone
    ASSERT_TRUE(WaitFor([&] { return ReadPng(shot, &closed); }));
    EXPECT_EQ(closed.At(picture.w / 2, picture.h / 2), 0u) << "WM_CLOSE paints it black";
}

TEST_F(StandBy, DesktopShowsThePictureThenTheLaunchedProgram) {
    const char* display = getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no display (the test script provides a virtual one)";
    unsetenv("WYN_HEADLESS");
    setenv("WYN_BACKEND", "sdl", 1);
    setenv("ASAN_OPTIONS", "detect_leaks=0", 1);  // the desktop libraries keep a few allocations
    std::string shot = runtime + "/standby.png";
    setenv("WYN_SCREENSHOT", shot.c_str(), 1);
    setenv("WYN_SCREENSHOT_PAINT", "1", 1);
    ASSERT_EQ(StandBy_Start(Child(), "desk"), 1);
    Png picture = LoadPicture();
    Png first;
    ASSERT_TRUE(WaitServing([&] { return ReadPng(runtime + "/standby-00001.png", &first); }));
    ExpectSamePicture(picture, first, "the stand-by picture on the desktop");
    ASSERT_EQ(StandBy_Send(), 1);
    EXPECT_NE(FindWindowA(kChildClass, nullptr), nullptr);
    EXPECT_EQ(ChildLines(), std::vector<std::string>{"[ desk]"});
    Png child;
    ASSERT_TRUE(WaitServing([&] { return ReadPng(runtime + "/child.png", &child); }));
    ASSERT_GT(child.w, 0);
    EXPECT_EQ(child.At(child.w / 2, child.h / 2), 0x00C800u) << "the launched program's window";
    Png dimmed;
    ASSERT_TRUE(WaitServing([&] { return ReadPng(runtime + "/standby-00002.png", &dimmed); }));
    ExpectDimmed(picture, dimmed, 0, 0, "dimmed on the desktop");
    EXPECT_EQ(StandBy_End(), 1);
}

// ---- the program's window on a thread of this process, on the virtual clock ----

std::string g_line;
DWORD WINAPI RunProgram(LPVOID) {
    return static_cast<DWORD>(
        WinMain(GetModuleHandleA(nullptr), nullptr, g_line.data(), SW_SHOWNORMAL));
}

class StandByClock : public StandBy {
  protected:
    void Run(const std::string& line) {
        WynPlat_SetVirtualClock(1);
        g_line = line;
        thread = CreateThread(nullptr, 0, RunProgram, nullptr, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        ASSERT_TRUE(WaitServing([this] {
            return (window = FindWindowA(STANDBY_CLASS, nullptr)) != nullptr &&
                   IsWindowVisible(window);
        }));
        // Answered only from the message loop: the program has taken its start time by then.
        SendMessageA(window, WM_NULL, 0, 0);
    }
    DWORD Ended() {
        EXPECT_EQ(WaitForSingleObject(thread, 60000), WAIT_OBJECT_0);
        DWORD code = 12345;
        GetExitCodeThread(thread, &code);
        return code;
    }
    void TearDown() override {
        if (thread) {
            if (IsWindow(window)) SendMessageA(window, WM_CLOSE, 0, 0);
            WaitForSingleObject(thread, 60000);
            CloseHandle(thread);
        }
        StandBy::TearDown();
    }
    HANDLE thread = nullptr;
    HWND window = nullptr;
};

TEST_F(StandByClock, AnIdleWindowOutlivesItsTimeAndTheNextMessageClosesIt) {
    Run("");
    WynPlat_AdvanceClock(9000 * 1000);
    EXPECT_TRUE(IsWindowVisible(window)) << "no timer: without a message it stays past 8000 ms";
    // A sent message is handled on the spot, without passing the message loop.
    SendMessageA(window, WM_NULL, 0, 0);
    EXPECT_TRUE(IsWindowVisible(window));
    ASSERT_TRUE(PostMessageA(window, WM_MOUSEMOVE, 0, 0));
    EXPECT_TRUE(WaitServing([this] { return !IsWindowVisible(window); }))
        << "the first message after closes it";
    // Closed before any STANDBY_RUN: it still takes the one that hands over, then ends.
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(SendMessageA(window, WM_COMMAND, STANDBY_RUN_ID, STANDBY_RUN_ID), 0);
    EXPECT_EQ(Ended(), 0u);
    EXPECT_FALSE(IsWindow(window));
}

// The hand-over that never comes: once its wait is over (20 s of its clock) the window leaves,
// whether it is still shown, without any message, or hidden after closing itself at 8 s.
TEST_F(StandByClock, WithoutAHandOverItLeavesOnceItsWaitIsOver) {
    for (bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "hidden after its self-close" : "shown, no message at all");
        Run("");
        WynPlat_AdvanceClock(9000 * 1000);
        if (hidden) {
            ASSERT_TRUE(PostMessageA(window, WM_MOUSEMOVE, 0, 0));
            ASSERT_TRUE(WaitServing([this] { return !IsWindowVisible(window); }));
        }
        WynPlat_AdvanceClock(10000 * 1000);
        SendMessageA(window, WM_NULL, 0, 0);
        EXPECT_TRUE(IsWindow(window)) << "19 s: still waiting";
        WynPlat_AdvanceClock(1500 * 1000);
        EXPECT_TRUE(WaitServing([this] { return !IsWindow(window); })) << "gone after 20 s";
        EXPECT_EQ(Ended(), 0u);
        CloseHandle(thread);
        thread = nullptr;
    }
}

TEST_F(StandByClock, AfterAHandOverTheFirstLateMessageEndsIt) {
    Run("");
    EXPECT_EQ(SendMessageA(window, WM_COMMAND, STANDBY_RUN_ID, STANDBY_RUN_ID), 0);
    WynPlat_AdvanceClock(9000 * 1000);
    EXPECT_TRUE(IsWindow(window));
    ASSERT_TRUE(PostMessageA(window, WM_MOUSEMOVE, 0, 0));
    EXPECT_EQ(Ended(), 0u);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(StandByClock, ALateRunStillHandsOver) {
    // Posted, as the script host does when it exits, long after the window appeared.
    Run(std::string(Child()) + " nowin");
    WynPlat_AdvanceClock(9000 * 1000);
    ASSERT_TRUE(PostMessageA(window, WM_COMMAND, STANDBY_RUN_ID, STANDBY_RUN_ID));
    EXPECT_EQ(Ended(), 0u) << "handed over, then closed";
    EXPECT_TRUE(WaitServing([&] { return !ChildLines().empty(); }));
    EXPECT_EQ(ChildLines(), std::vector<std::string>{"[ nowin]"});
}

TEST_F(StandByClock, ARunAfterTheSelfCloseStillHandsOver) {
    Run(std::string(Child()) + " nowin");
    WynPlat_AdvanceClock(9000 * 1000);
    ASSERT_TRUE(PostMessageA(window, WM_MOUSEMOVE, 0, 0));
    ASSERT_TRUE(WaitServing([this] { return !IsWindowVisible(window); }));
    EXPECT_TRUE(ChildLines().empty());
    ASSERT_TRUE(PostMessageA(window, WM_COMMAND, STANDBY_RUN_ID, STANDBY_RUN_ID));
    EXPECT_EQ(Ended(), 0u);
    EXPECT_TRUE(WaitServing([&] { return !ChildLines().empty(); }));
    EXPECT_EQ(ChildLines(), std::vector<std::string>{"[ nowin]"});
}

}  // namespace
