// The host program vsk33 as a process of its own: a program folder per case holding its
// start-up script and the command libraries (the test library opens screen 0's window
// through the host's mailbox), headless on the virtual clock, with replayed input, scripted
// box answers and the stand-by window; under a display, with the real backend.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <windows.h>

#include "../common/child_process.h"
#include "../common/program_output.h"
#include "../common/wait_for.h"
#include "vsk_test_support.h"
#include "wynplat.h"

namespace {

namespace fs = std::filesystem;
using programrun::Count;
using programrun::ReadText;
using vsktest::U8;

class Vsk33 : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* t = ::testing::UnitTest::GetInstance()->current_test_info();
        const char* base = std::getenv("WYN_RUNTIME_DIR");
        dir = fs::path(base ? base : "/tmp") / (std::string("vsk33.") + t->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "run");
        // This process finds the programs' windows in the case's runtime folder too.
        setenv("WYN_RUNTIME_DIR", (dir / "run").c_str(), 1);
        for (const char* lib : {"STANDARD.DLL", "FILE.DLL", "STRING.DLL"})
            fs::create_symlink(fs::path(VSK_TEST_BIN_DIR) / lib, dir / lib);
        fs::create_symlink(fs::path(VSK_TEST_PROGRAMS_DIR) / "VSKTEST.DLL", dir / "VSKTEST.DLL");
    }
    void TearDown() override {
        children.KillAll();
        fs::remove_all(dir);
    }

    void Script(const std::string& source) const {
        std::ofstream(dir / "VSK.SNA", std::ios::binary) << source;
    }

    // Starts a program with this process's environment and `env` over it.
    pid_t Start(const std::string& program, std::vector<std::string> args,
                const std::map<std::string, std::string>& env, const fs::path& cwd) {
        args.insert(args.begin(), program);
        return children.Start(args, env, cwd);
    }
    std::map<std::string, std::string> HeadlessEnv() const {
        return {{"WYN_HEADLESS", "1"},
                {"WYN_CLOCK", "virtual"},
                {"WYN_PROGRAM_DIR", dir.string()},
                {"WYN_RUNTIME_DIR", (dir / "run").string()},
                {"WYN_MSGBOX_LOG", (dir / "boxes.log").string()}};
    }
    pid_t StartVsk(std::map<std::string, std::string> extra = {},
                   std::vector<std::string> args = {}) {
        auto env = HeadlessEnv();
        for (auto& [k, v] : extra) env[k] = v;
        return Start(std::string(VSK_TEST_BIN_DIR) + "/vsk33", args, env, dir);
    }
    // The exit code; a generous real-time bound for a loaded machine.
    int Wait(pid_t pid) {
        const int code = children.Wait(pid);
        if (code == -1) ADD_FAILURE() << "the program did not end";
        return code;
    }
    std::string Ini(const char* key) const {
        char text[1000] = {};
        std::string path = (dir / "OUT.INI").string();
        char sys[MAX_PATH];
        WynPlat_ToSystemPath(path.c_str(), sys, sizeof sys);
        GetPrivateProfileStringA("R", key, "", text, sizeof text, sys);
        return text;
    }
    std::string Boxes() const { return ReadText(dir / "boxes.log"); }

    fs::path dir;
    ChildProcesses children;
};

// Values the scripts note go to OUT.INI in the program folder, section R.
const char kNote[] = "SetIniFile(#11 + \"\\OUT.INI\", \"R\", ";

TEST_F(Vsk33, StartsTheScriptWithItsSystemVariables) {
    Script(std::string("VSKTEST:WINDOW();\n") + kNote + "\"V0\", String:Dec(#0));\n" + kNote +
           "\"CMD\", #14);\n" + kNote + "\"DIR\", #11);");
    pid_t vsk = StartVsk({}, {"rjtt", "extra"});
    EXPECT_EQ(Wait(vsk), 0);
    EXPECT_EQ(Ini("V0"), "1171");
    EXPECT_EQ(Ini("CMD"), "rjtt extra");
    EXPECT_FALSE(Ini("DIR").empty());
}

TEST_F(Vsk33, ASecondInstanceEndsAtOnceAndClosingWithoutAQuestionEndsTheTasks) {
    Script("VSKTEST:WINDOW(); TaskStart(1, \"SPIN\"); Loop(-1) { Wait(1000); };");
    std::ofstream(dir / "SPIN.SNA") << "Loop(-1) { Wait(300); };";
    pid_t first = StartVsk();
    ASSERT_TRUE(WaitFor([] { return FindWindowA("Veskeran33", nullptr) != nullptr; }));
    pid_t second = StartVsk();
    EXPECT_EQ(Wait(second), 255) << "-1: another instance runs";
    PostMessageA(FindWindowA("Veskeran33", nullptr), WM_CLOSE, 0, 0);
    EXPECT_EQ(Wait(first), 0);
    EXPECT_EQ(Boxes(), "") << "#13 is empty: no question";
}

// The close question: No lets the tasks run on, Yes ends the program. The test closes the
// window itself once the counting task has shown that it runs, and looks for the count to move
// on after No, so nothing depends on how much the tasks get done in a stretch of time.
TEST_F(Vsk33, TheCloseQuestionPausesTheTasksAndNoKeepsThemRunning) {
    Script(std::string("#13 = \"終了しますか？\"; VSKTEST:WINDOW(); $1 = 0;\n") +
           "Loop(-1) { $1 = $1 + 1; " + kNote + "\"N\", String:Dec($1)); Wait(100); };");
    pid_t vsk = StartVsk({{"WYN_MSGBOX_ANSWERS", "7,6"}});
    auto count = [this] { return std::strtol(Ini("N").c_str(), nullptr, 10); };
    const std::string question = U8(u8"ユーザによる中断: 終了しますか？");
    ASSERT_TRUE(WaitFor([&] { return count() >= 3; })) << "the task counts";
    HWND main = FindWindowA("Veskeran33", nullptr);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitFor([&] { return Count(Boxes(), question) == 1; })) << Boxes();
    const long atNo = count();
    EXPECT_TRUE(WaitFor([&] { return count() >= atNo + 3; })) << "the tasks ran on after No";
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(Wait(vsk), 0) << "Yes ended the program";
    EXPECT_EQ(Count(Boxes(), question), 2) << Boxes();
}

TEST_F(Vsk33, AScriptErrorOnATaskThreadNamesScenarioTaskAndLine) {
    Script("VSKTEST:WINDOW();\nTaskStart(3, \"BAD\"); Wait(100);");
    std::ofstream(dir / "BAD.SNA") << "$1 = 1;\n\n$1 = 1 / 0;";
    pid_t vsk = StartVsk();
    EXPECT_EQ(Wait(vsk), 0);
    std::string boxes = Boxes();
    EXPECT_NE(boxes.find(U8(u8"【シナリオ】\tBAD."
                            u8"SNA\n【タスク】\t3\n【行番号】\t3\n【内容】\t０で除算しています。")),
              std::string::npos)
        << boxes;
}

TEST_F(Vsk33, ReplayedKeysAndClicksShowInTheSystemVariables) {
    // The script waits for the two commands this test sends, then for the replay to be over.
    Script(std::string("VSKTEST:WINDOW();\n") +
           "While(VSKTEST:WORDS(150) != \"0,0,2,0\") { Wait(10); }; Wait(1000);\n" + kNote +
           "\"KEY\", VSKTEST:WORDS(2));\n" + kNote + "\"SHIFT\", VSKTEST:WORDS(3));\n" + kNote +
           "\"LEFT\", VSKTEST:WORDS(110));");
    std::ofstream(dir / "replay.txt")
        << "100 keydown A\n150 keyup A\n200 down 10 20\n250 up 10 20\n";
    pid_t vsk = StartVsk({{"WYN_REPLAY", (dir / "replay.txt").string()}});
    ASSERT_TRUE(WaitFor([] { return FindWindowA("Veskeran33", nullptr) != nullptr; }));
    HWND main = FindWindowA("Veskeran33", nullptr);
    SendMessageA(main, WM_COMMAND, 4000, 0);  // beyond the system block: not counted anywhere
    SendMessageA(main, WM_COMMAND, 150, 0);
    SendMessageA(main, WM_COMMAND, 150, 0);
    EXPECT_EQ(Wait(vsk), 0);
    std::string key = Ini("KEY");
    EXPECT_EQ(key.substr(0, key.find(',', key.find(',') + 1)), "65,0") << key;
    std::string shift = Ini("SHIFT");
    EXPECT_EQ(shift.substr(shift.find(',')), ",0,0,0") << shift;
    EXPECT_EQ(Ini("LEFT"), "0,1,10,20") << "released, clicked once, at the press";
}

TEST_F(Vsk33, AtExitAWaitingStandbyWindowLaunchesItsProgram) {
    Script("VSKTEST:WINDOW();");
    // The stand-by window runs on the real clock from the program folder, with its picture.
    std::string child;
    {
        char sys[1024];
        WynPlat_ToSystemPath(VSK_TEST_STANDBY_CHILD, sys, sizeof sys);
        child = std::string(sys) + ".exe";
    }
    pid_t standby = Start(std::string(VSK_TEST_BIN_DIR) + "/standby", {child, "fromvsk"},
                          {{"WYN_HEADLESS", "1"},
                           {"WYN_CLOCK", ""},
                           {"WYN_PROGRAM_DIR", VSK_TEST_BIN_DIR},
                           {"WYN_RUNTIME_DIR", (dir / "run").string()}},
                          VSK_TEST_BIN_DIR);
    ASSERT_TRUE(WaitFor([] { return FindWindowA("STANDBY", nullptr) != nullptr; }));
    EXPECT_EQ(Wait(StartVsk()), 0);
    fs::path noted = dir / "run" / "child.txt";
    ASSERT_TRUE(WaitFor([&] { return fs::exists(noted) && fs::file_size(noted) > 0; }))
        << "the stand-by window launched nothing";
    std::ifstream in(noted);
    std::string line;
    std::getline(in, line);
    EXPECT_NE(line.find("fromvsk"), std::string::npos) << line;
    // The launched program opens its window after noting its command line.
    ASSERT_TRUE(WaitFor([] { return FindWindowA("StandbyTestChild", nullptr) != nullptr; }));
    PostMessageA(FindWindowA("StandbyTestChild", nullptr), WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([] { return FindWindowA("StandbyTestChild", nullptr) == nullptr; }));
    if (HWND s = FindWindowA("STANDBY", nullptr)) PostMessageA(s, WM_CLOSE, 0, 0);
    Wait(standby);
}

TEST_F(Vsk33, WithoutAStandbyWindowNothingIsLaunched) {
    Script("VSKTEST:WINDOW();");
    EXPECT_EQ(Wait(StartVsk({{"WYN_PROCESS_LOG", (dir / "process.log").string()}})), 0);
    std::ifstream in(dir / "process.log");
    std::string log((std::istreambuf_iterator<char>(in)), {});
    EXPECT_EQ(Count(log, " start "), 0) << log;
    EXPECT_EQ(Count(log, " end vsk33 "), 1) << log;
}

// A wave still held by a variable when the close box ends the host: the values are released
// before the sound library ends, so that it reports no wave left over.
TEST_F(Vsk33, ClosingWithAHeldWaveLeavesNoWaveReport) {
    for (const char* lib : {"SCREEN.DLL", "SOUND.DLL", "sound"})
        fs::create_symlink(fs::path(VSK_TEST_BIN_DIR) / lib, dir / lib);
    Script(std::string("Screen:Create(0, SetRect(0, 0, 320, 240), SetRect(0, 0, 320, 240), 0);\n") +
           "Sound:ReadWAVE(\"SOUND\\CLICK.WAV\", \\$3);\n" + kNote +
           "\"READ\", \"1\");\nLoop(-1) { Wait(100); };");
    std::ofstream(dir / "replay.txt") << "1500 close\n";
    EXPECT_EQ(Wait(StartVsk({{"WYN_REPLAY", (dir / "replay.txt").string()}})), 0) << Boxes();
    EXPECT_EQ(Ini("READ"), "1") << "the wave was read before the close\n" << Boxes();
    EXPECT_EQ(Boxes(), "") << "no box, no report of held waves";
}

TEST_F(Vsk33, UnderADisplayTheWindowIsRealAndPhotographed) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) GTEST_SKIP() << "no display";
    Script("VSKTEST:WINDOW(); Wait(300);");
    fs::path shot = dir / "shot.png";
    pid_t vsk =
        StartVsk({{"WYN_HEADLESS", ""}, {"WYN_BACKEND", "sdl"}, {"WYN_SCREENSHOT", shot.string()}});
    EXPECT_EQ(Wait(vsk), 0);
    ASSERT_TRUE(fs::exists(shot));
    EXPECT_GT(fs::file_size(shot), 0u);
}

}  // namespace
