// The hand-over from the script host to the game as a front-end script makes it: vsk33 as a
// process of its own in a program folder of the case, its script calling WYN2:StandbyStart and
// then Exit, the real stand-by program, and a stand-in for the game (the stand-by tests' child
// under the name "wyntower") that notes its command line and opens a window. Headless on the
// virtual clock; under a display also with the real backend, photographing the stand-by
// window and the settings dialog.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <windows.h>

#include "../../common/child_process.h"
#include "../../common/png_read.h"
#include "../../common/program_output.h"
#include "../../common/wait_for.h"
#include "vsk_test_support.h"
#include "wynplat.h"

namespace {

using programrun::ReadText;

namespace fs = std::filesystem;
using vsktest::U8;

std::vector<std::string> Lines(const std::string& text, const std::string& with) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        if (line.find(with) != std::string::npos) out.push_back(line);
        at = end + 1;
    }
    return out;
}

class HandOver : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* t = ::testing::UnitTest::GetInstance()->current_test_info();
        const char* base = std::getenv("WYN_RUNTIME_DIR");
        dir = fs::path(base ? base : "/tmp") / (std::string("handover.") + t->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "run");
        setenv("WYN_RUNTIME_DIR", (dir / "run").c_str(), 1);
        const fs::path bin = VSK_TEST_BIN_DIR;
        for (const char* f : {"STANDARD.DLL", "FILE.DLL", "STRING.DLL", "WYN2.DLL", "standby",
                              "standby.bmp", "krn2.ini"})
            fs::create_symlink(bin / f, dir / f);
        fs::create_symlink(fs::path(VSK_TEST_PROGRAMS_DIR) / "VSKTEST.DLL", dir / "VSKTEST.DLL");
        // The game's stand-in: it notes its command line in the runtime folder's child.txt.
        fs::copy_file(fs::path(VSK_TEST_PROGRAMS_DIR) / "standby_child", dir / "wyntower");
    }
    void TearDown() override {
        if (HWND child = FindWindowA("StandbyTestChild", nullptr))
            PostMessageA(child, WM_CLOSE, 0, 0);
        if (HWND s = FindWindowA("STANDBY", nullptr)) PostMessageA(s, WM_CLOSE, 0, 0);
        WaitFor([] {
            return !FindWindowA("StandbyTestChild", nullptr) && !FindWindowA("STANDBY", nullptr);
        });
        children.KillAll();
        // The stand-by program and the game's stand-in may still be writing their last files.
        if (std::getenv("HANDOVER_KEEP")) return;
        std::error_code ec;
        for (int i = 0; i < 50 && fs::remove_all(dir, ec) == static_cast<std::uintmax_t>(-1); ++i)
            usleep(100000);
    }

    // The sample front-end of the program folder, with the libraries and data it uses.
    void FrontEnd() const {
        const fs::path bin = VSK_TEST_BIN_DIR;
        for (const char* f : {"VSK.SNB", "MENU.SNB", "MARKER.SNB", "vsk.def", "title.umz",
                              "marker.umz", "MENUROWS.INC", "vsk.ico", "sound", "SCREEN.DLL",
                              "CELL.DLL", "SPRITE.DLL", "SOUND.DLL"})
            fs::create_symlink(bin / f, dir / f);
    }
    void Replay(const std::string& events) const { std::ofstream(dir / "replay.txt") << events; }
    std::map<std::string, std::string> Headless() const {
        return {{"WYN_HEADLESS", "1"},
                {"WYN_CLOCK", "virtual"},
                {"WYN_REPLAY", (dir / "replay.txt").string()}};
    }

    void Script(const std::string& source) const {
        std::ofstream(dir / "VSK.SNA", std::ios::binary) << source;
    }

    // Starts vsk33 in the case's folder with this process's environment and `env` over it;
    // `wrap` (a program and its arguments) runs it when given.
    pid_t StartVsk(const std::map<std::string, std::string>& env,
                   std::vector<std::string> wrap = {}) {
        std::map<std::string, std::string> all = {
            {"WYN_PROGRAM_DIR", dir.string()},
            {"WYN_RUNTIME_DIR", (dir / "run").string()},
            {"WYN_MSGBOX_LOG", (dir / "boxes.log").string()},
            {"WYN_PROCESS_LOG", (dir / "process.log").string()},
            {"WYN_DIALOG_LOG", (dir / "dialog.log").string()}};
        for (const auto& [k, v] : env) all[k] = v;
        wrap.push_back(std::string(VSK_TEST_BIN_DIR) + "/vsk33");
        return children.Start(wrap, all, dir, dir / "stderr.txt");
    }
    // The exit code; a generous real-time bound for a loaded machine, and what to diagnose
    // with when it is passed.
    int Wait(pid_t pid) {
        const int code = children.Wait(pid);
        if (code == -1)
            ADD_FAILURE() << "vsk33 did not end within 60 s; its messages:\n"
                          << ReadText(dir / "stderr.txt") << "\nboxes:\n"
                          << ReadText(dir / "boxes.log");
        return code;
    }
    std::string Diagnosis() const {
        return "\nprocess log:\n" + ReadText(dir / "process.log") + "boxes:\n" +
               ReadText(dir / "boxes.log") + "vsk33's messages:\n" + ReadText(dir / "stderr.txt");
    }
    // The stand-in game's first noted command line, once it has opened its window.
    std::string GameLine() const {
        fs::path noted = dir / "run" / "child.txt";
        if (!WaitFor([&] { return fs::exists(noted) && fs::file_size(noted) > 0; })) return "";
        WaitFor([] { return FindWindowA("StandbyTestChild", nullptr) != nullptr; });
        std::string text = ReadText(noted);
        return text.substr(0, text.find('\n'));
    }

    void ClickStartsTheGame(const char* click);

    fs::path dir;
    ChildProcesses children;
};

const char kStartGame[] =
    "VSKTEST:WINDOW(); $1 = WYN2:StandbyStart(\"wyntower\", \"rjtt stage01\");"
    " SetIniFile(#11 + \"\\OUT.INI\", \"R\", \"START\", String:Dec($1)); Exit(0);";

TEST_F(HandOver, StandbyStartThenExitStartsTheGameWithItsStage) {
    Script(kStartGame);
    int code = Wait(StartVsk({{"WYN_HEADLESS", "1"}, {"WYN_CLOCK", "virtual"}}));
    EXPECT_EQ(code, 0) << Diagnosis();
    EXPECT_EQ(GameLine(), "[ rjtt stage01]") << Diagnosis();
    std::string log = ReadText(dir / "process.log");
    // vsk33 started the stand-by program; the stand-by window started the game.
    std::vector<std::string> vskStarts = Lines(log, " start vsk33 ");
    ASSERT_EQ(vskStarts.size(), 1u) << log;
    EXPECT_NE(vskStarts[0].find("standby.exe wyntower rjtt stage01"), std::string::npos) << log;
    std::vector<std::string> standbyStarts = Lines(log, " start standby ");
    ASSERT_EQ(standbyStarts.size(), 1u) << log;
    EXPECT_NE(standbyStarts[0].find("rjtt stage01"), std::string::npos) << log;
    std::string boxes = ReadText(dir / "boxes.log");
    EXPECT_NE(boxes.find("START: START"), std::string::npos) << boxes;
    EXPECT_NE(ReadText(dir / "OUT.INI").find("START=1"), std::string::npos) << Diagnosis();
}

TEST_F(HandOver, ExitWithoutStandbyStartsNothing) {
    Script("VSKTEST:WINDOW(); Exit(0);");
    EXPECT_EQ(Wait(StartVsk({{"WYN_HEADLESS", "1"}, {"WYN_CLOCK", "virtual"}})), 0) << Diagnosis();
    std::string log = ReadText(dir / "process.log");
    EXPECT_EQ(Lines(log, " start ").size(), 0u) << log;
}

// The sample front-end, driven by keys: Enter on the first row starts the game's stand-in
// with the sample stage through the stand-by window.
TEST_F(HandOver, TheFrontEndsStartRowStartsTheGameWithTheSampleStage) {
    FrontEnd();
    Replay("1500 key RETURN\n");
    EXPECT_EQ(Wait(StartVsk(Headless())), 0) << Diagnosis();
    EXPECT_EQ(GameLine(), "[ rjtt stage01]") << Diagnosis();
    std::vector<std::string> starts = Lines(ReadText(dir / "process.log"), " start vsk33 ");
    ASSERT_EQ(starts.size(), 1u) << Diagnosis();
    EXPECT_NE(starts[0].find("standby.exe wyntower rjtt stage01"), std::string::npos);
}

// Down and Enter open the settings dialog (cancelled headless); Escape leaves, starting nothing.
TEST_F(HandOver, TheFrontEndsSettingsRowOpensTheDialogAndEscapeLeaves) {
    FrontEnd();
    Replay("1500 key DOWN\n1800 key RETURN\n4000 key ESCAPE\n");
    EXPECT_EQ(Wait(StartVsk(Headless())), 0) << Diagnosis();
    EXPECT_NE(ReadText(dir / "dialog.log").find("dialog \"WYN2CONFIG\" ended 0"), std::string::npos)
        << Diagnosis();
    EXPECT_EQ(Lines(ReadText(dir / "process.log"), " start ").size(), 0u) << Diagnosis();
}

// The settings row: when the dialog answers 0 (cancelled, or Set could not write config.ini
// because something else stands in its place, as in a read-only folder) the front-end says
// that the settings were not saved; after a Set that was written it says nothing.
TEST_F(HandOver, TheFrontEndSaysWhenTheSettingsWereNotSaved) {
    struct Case {
        const char* what;
        const char* dialog;  // WYN_DIALOG_SCRIPT
        bool blocked;        // CONFIG.INI is a folder
        bool message;
    };
    const Case cases[] = {
        {"Set, written", "click 900; end", false, false},
        {"Set, config.ini not writable", "click 900; end", true, true},
        {"cancelled", "click 901; end", false, true},
    };
    FrontEnd();
    // The engine's file of the case's own, not the program folder's behind the link.
    fs::remove(dir / "krn2.ini");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(dir / "KRN2.INI") << "[TEXTURE]\r\nSMALL=0\r\n";
        fs::remove_all(dir / "CONFIG.INI");
        if (c.blocked) fs::create_directories(dir / "CONFIG.INI");
        fs::remove(dir / "boxes.log");
        fs::remove(dir / "dialog.log");
        Replay("1500 key DOWN\n1800 key RETURN\n4000 key ESCAPE\n");
        std::map<std::string, std::string> env = Headless();
        env["WYN_DIALOG_SCRIPT"] = c.dialog;
        EXPECT_EQ(Wait(StartVsk(env)), 0) << Diagnosis();
        EXPECT_NE(ReadText(dir / "dialog.log").find("dialog \"WYN2CONFIG\" ended"),
                  std::string::npos)
            << Diagnosis();
        const bool said =
            ReadText(dir / "boxes.log").find(U8(u8"環境設定: 設定は保存されていません。")) !=
            std::string::npos;
        EXPECT_EQ(said, c.message) << Diagnosis();
        if (!c.blocked && !c.message)
            EXPECT_NE(ReadText(dir / "CONFIG.INI").find("atc=80"), std::string::npos);
    }
}

// The rows of the menu as the pointer chooses them (their centres on screen 0).
const char kClickStart[] = "1500 down 400 363\n1600 up 400 363\n";
const char kClickSettings[] = "1500 down 400 413\n1600 up 400 413\n";
const char kClickLeave[] = "4000 down 400 463\n4100 up 400 463\n";

// A click on the first row starts the game's stand-in with the sample stage through the
// stand-by window.
void HandOver::ClickStartsTheGame(const char* click) {
    FrontEnd();
    Replay(click);
    EXPECT_EQ(Wait(StartVsk(Headless())), 0) << Diagnosis();
    EXPECT_EQ(GameLine(), "[ rjtt stage01]") << Diagnosis();
    std::vector<std::string> starts = Lines(ReadText(dir / "process.log"), " start vsk33 ");
    ASSERT_EQ(starts.size(), 1u) << Diagnosis();
    EXPECT_NE(starts[0].find("standby.exe wyntower rjtt stage01"), std::string::npos);
}

TEST_F(HandOver, AClickOnTheFrontEndsStartRowStartsTheGame) { ClickStartsTheGame(kClickStart); }

// A tap, pressed and released at once (between two looks of the menu), is a click too.
TEST_F(HandOver, ATapOnTheFrontEndsStartRowStartsTheGame) {
    ClickStartsTheGame("1500 click 400 363\n");
}

// A click on the settings row opens the dialog; one on the last row leaves, starting nothing.
TEST_F(HandOver, ClicksOpenTheSettingsAndLeave) {
    FrontEnd();
    Replay(std::string(kClickSettings) + kClickLeave);
    EXPECT_EQ(Wait(StartVsk(Headless())), 0) << Diagnosis();
    EXPECT_NE(ReadText(dir / "dialog.log").find("dialog \"WYN2CONFIG\" ended 0"), std::string::npos)
        << Diagnosis();
    std::string log = ReadText(dir / "process.log");
    EXPECT_EQ(Lines(log, " start ").size(), 0u) << Diagnosis();
    EXPECT_EQ(Lines(log, " end vsk33 ").size(), 1u) << Diagnosis();
}

bool DisplayThere() {
    const char* display = std::getenv("DISPLAY");
    return display && *display;
}

// Under a display: the stand-by window photographed during the hand-over (after each paint).
TEST_F(HandOver, UnderADisplayTheStandbyWindowIsPhotographed) {
    if (!DisplayThere()) GTEST_SKIP() << "no display";
    Script(kStartGame);
    // The "START" box the hand-over shows is answered as a user would, after it was seen.
    int code = Wait(StartVsk({{"WYN_HEADLESS", ""},
                              {"WYN_BACKEND", "sdl"},
                              {"WYN_MSGBOX_ANSWERS", "1"},
                              {"WYN_SCREENSHOT", (dir / "%p.png").string()},
                              {"WYN_SCREENSHOT_PAINT", "1"}}));
    EXPECT_EQ(code, 0) << Diagnosis();
    EXPECT_EQ(GameLine(), "[ rjtt stage01]") << Diagnosis();
    if (HWND s = FindWindowA("STANDBY", nullptr)) PostMessageA(s, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([&] { return fs::exists(dir / "standby.png"); })) << Diagnosis();
    // Painted with its picture (its light text on the screen), then dimmed as it starts the
    // game.
    Png first;
    ASSERT_TRUE(ReadPng((dir / "standby-00001.png").string(), &first));
    int light = 0;
    for (uint32_t p : first.px) light += ((p >> 8) & 0xFF) > 128;
    EXPECT_GT(light, 100) << "the stand-by picture, not a black window";
    EXPECT_TRUE(fs::exists(dir / "standby-00002.png"));
    EXPECT_TRUE(fs::exists(dir / "vsk33.png"));
}

// Under a display: the settings dialog on the desktop, photographed as the script leaves it.
TEST_F(HandOver, UnderADisplayTheSettingsDialogIsPhotographed) {
    if (!DisplayThere()) GTEST_SKIP() << "no display";
    Script("VSKTEST:WINDOW(); WYN2:Config(#11 + \"\\CONFIG.INI\", #11 + \"\\KRN2.INI\");");
    fs::remove(dir / "krn2.ini");
    std::ofstream(dir / "KRN2.INI") << "[TEXTURE]\r\nSMALL=0\r\n";
    // The trackbar is moved by the dialog script; the Set button is clicked a moment later, on
    // the real clock, so that the dialog has been drawn on the desktop by then (clicks that
    // come later, on a slow machine, land on the main window, or after the end).
    std::ofstream(dir / "replay.txt")
        << "2000 click 367 329\n5000 click 367 329\n10000 click 367 329\n20000 click 367 329\n";
    int code = Wait(StartVsk({{"WYN_HEADLESS", ""},
                              {"WYN_BACKEND", "sdl"},
                              {"WYN_CLOCK", ""},
                              {"WYN_REPLAY", (dir / "replay.txt").string()},
                              {"WYN_SCREENSHOT", (dir / "dialog.png").string()},
                              {"WYN_SCREENSHOT_WINDOW", U8(u8"環境設定")},
                              {"WYN_DIALOG_SCRIPT", "track 512 55; end"}}));
    EXPECT_EQ(code, 0) << Diagnosis();
    EXPECT_NE(ReadText(dir / "dialog.log").find(U8(u8"BGM（55%）")), std::string::npos)
        << ReadText(dir / "dialog.log");
    EXPECT_NE(ReadText(dir / "CONFIG.INI").find("bgm=55"), std::string::npos);
    ASSERT_TRUE(fs::exists(dir / "dialog.png")) << Diagnosis();
    EXPECT_GT(fs::file_size(dir / "dialog.png"), 1000u);
}

// The title menu on a display of its own, photographed as the window last looked when Escape
// leaves: the menu's texts white where the script draws them, none right of them.
TEST_F(HandOver, OnADisplayOfItsOwnTheTitleMenuIsPhotographed) {
    if (std::system("command -v xvfb-run >/dev/null") != 0) GTEST_SKIP() << "no xvfb-run";
    FrontEnd();
    Replay("3000 key ESCAPE\n");
    std::map<std::string, std::string> env = Headless();
    env["WYN_HEADLESS"] = "";
    env["WYN_BACKEND"] = "sdl";
    env["WYN_SCREENSHOT"] = (dir / "%p.png").string();
    int code =
        Wait(StartVsk(env, {"/usr/bin/env", "xvfb-run", "-a", "-s", "-screen 0 1024x768x24"}));
    EXPECT_EQ(code, 0) << Diagnosis();
    Png shot;
    ASSERT_TRUE(ReadPng((dir / "vsk33.png").string(), &shot)) << Diagnosis();
    ASSERT_EQ(shot.w, 800);
    ASSERT_EQ(shot.h, 600);
    auto whites = [&](int left, int top, int right, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x) n += shot.At(x, y) == 0xFFFFFF;
        return n;
    };
    for (int row : {354, 404, 454}) {
        EXPECT_GT(whites(310, row, 400, row + 18), 20) << "the menu text at row " << row;
        EXPECT_EQ(whites(420, row, 530, row + 18), 0) << "nothing right of row " << row;
    }
}

}  // namespace
