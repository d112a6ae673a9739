// The game program run as a user runs it: headless on the virtual clock with a trace, beside a
// script host's window, a second time, with a broken engine set-up, and in real windows under
// a display. Each run has a program folder of its own (the drivers linked in), so that the
// window layout the game writes at exit stays there.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../common/png_read.h"
#include "../../common/program_output.h"
#include "../../common/run_folder.h"
#include "../../common/run_text.h"
#include "../../common/wait_for.h"
#include "../base/game_fixture.h"
#include "frame/frame_internal.h"
#include "standby_client.h"

namespace fs = std::filesystem;

namespace {

using programrun::ReadText;

// The bound on what another process does.
constexpr int kBound = 60000;

struct FrameLine {
    int n, elapsed, newticks, ticks, carry, total, state;
};
std::vector<FrameLine> Frames(const std::vector<std::string>& lines) {
    std::vector<FrameLine> frames;
    for (const std::string& l : Starting(lines, "frame ")) {
        FrameLine f{};
        if (std::sscanf(l.c_str(),
                        "frame %d elapsed %d newticks %d ticks %d carry %d total %d state %d", &f.n,
                        &f.elapsed, &f.newticks, &f.ticks, &f.carry, &f.total, &f.state) == 7)
            frames.push_back(f);
    }
    return frames;
}

class Game : public RunFolderTest {
  protected:
    Game() : RunFolderTest(true) {}
    void SetUp() override {
        RunFolderTest::SetUp();
        if (HasFatalFailure()) return;
        // The game and the test programs find each other's windows in this folder only.
        setenv("WYN_RUNTIME_DIR", run.c_str(), 1);
        MakeFolder(folder, true);
    }
    void TearDown() override {
        for (const char* cls : {"StandbyTestChild", "WYN2_MIRUTA2"})
            while (HWND w = FindWindowA(cls, nullptr)) {
                PostMessageA(w, WM_CLOSE, 0, 0);
                if (!WaitFor([w] { return !IsWindow(w); }, kBound)) break;
            }
        StandBy_End();
    }
    // A program folder: krn2.ini copied (the engine writes it back), the airports, ground
    // support, the weather's textures, the HUD's pictures, sounds and music linked (the stage
    // loads them), the drivers linked.
    void MakeFolder(const std::string& dir, bool drivers) const {
        fs::create_directories(dir);
        fs::copy_file(binDir + "/krn2.ini", dir + "/krn2.ini",
                      fs::copy_options::overwrite_existing);
        for (const char* data : {"port", "etc", "gs", "se", "music"})
            if (fs::exists(binDir + "/" + data))
                fs::create_symlink(binDir + "/" + data, dir + "/" + data);
        if (!drivers) return;
        for (const auto& e : fs::directory_iterator(binDir))
            if (e.path().extension() == ".dll")
                fs::create_symlink(e.path(), dir + "/" + e.path().filename().string());
    }
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(run + "/" + name) << text;
    }
    // The command that runs wyntower with `env` before it; its trace, boxes and stderr go to
    // files named after `tag`.
    std::string Command(const std::string& env, const std::string& args, const std::string& tag) {
        trace = run + "/" + tag + ".trace";
        boxes = run + "/" + tag + ".boxes";
        // The program folder is the current folder too, as the programs of the set expect.
        return "cd '" + folder + "' && env -u WYN_HEADLESS WYN_PROGRAM_DIR='" + folder +
               "' WYN_GAME_TRACE='" + trace + "' WYN_MSGBOX_LOG='" + boxes + "' " + env +
               " timeout 120 '" + binDir + "/wyntower' " + args + " 2>'" + run + "/" + tag +
               ".err'";
    }
    int Run(const std::string& env, const std::string& args, const std::string& tag) {
        const int status = std::system(Command(env, args, tag).c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Starts a run in the background; Finished() tells when it has ended and its exit code.
    void Start(const std::string& env, const std::string& args, const std::string& tag) {
        rcFile = run + "/" + tag + ".rc";
        const std::string cmd = "(" + Command(env, args, tag) + "; echo $? > '" + rcFile + "') &";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    int Finished() {
        if (!WaitFor([&] { return fs::exists(rcFile) && fs::file_size(rcFile) > 0; }, kBound))
            return -1;
        return std::stoi(Lines(rcFile).at(0));
    }
    std::string trace, boxes, rcFile;
};

const char* kHeadless = "WYN_HEADLESS=1 WYN_CLOCK=virtual WYN_GAME_FRAME_MS=33";

TEST_F(Game, HeadlessStageRunsUntilTheCloseBoxIsAnswered) {
    Write("close.replay", "3000 close\n");
    ASSERT_EQ(
        Run(std::string(kHeadless) + " WYN_MSGBOX_ANSWERS=6 WYN_REPLAY='" + run + "/close.replay'",
            "rjtt none", "run"),
        0);
    const auto lines = Lines(trace);
    const std::vector<std::string> phases{"phase 0010", "phase 1000", "phase 1010", "phase 1ff0",
                                          "phase 0fff"};
    EXPECT_EQ(Starting(lines, "phase"), phases);
    const auto frames = Frames(lines);
    ASSERT_GT(frames.size(), 60u);
    // The start banner counts its 30 ticks down to 1 with the measured ticks while the world
    // stands; from frame 29 on the world runs, one tick a frame.
    for (const FrameLine& f : frames) {
        const bool banner = f.n < 29;
        EXPECT_EQ(f.elapsed, 33) << "frame " << f.n;
        EXPECT_EQ(f.newticks, 1) << "frame " << f.n;
        EXPECT_EQ(f.ticks, banner ? 0 : 1) << "frame " << f.n;
        EXPECT_EQ(f.carry, 0) << "frame " << f.n;
        EXPECT_EQ(f.total, banner ? 0 : f.n - 29) << "frame " << f.n;
        EXPECT_EQ(f.state, banner ? STAGE_START : STAGE_PLAY) << "frame " << f.n;
    }
    EXPECT_EQ(Starting(lines, "state"), (std::vector<std::string>{"state 65", "state 0"}));
    const auto registry = Starting(lines, "registry");
    ASSERT_EQ(registry.size(), 1u) << "nothing left registered";
    EXPECT_EQ(registry[0].rfind("registry memory 0/", 0), 0u) << registry[0];
    EXPECT_NE(registry[0].find(" cells 0/"), std::string::npos) << registry[0];
    // The stand-by picture is closed at set-up (none was there); the player quit: no hand-over.
    EXPECT_EQ(Starting(lines, "standby"), std::vector<std::string>{"standby end 0"});
    const std::string box = [&] {
        std::ifstream f(boxes);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }();
    EXPECT_NE(box.find(U8(u8"Wynmoor２ Sarnet Corvessa Ver1.00の確認")), std::string::npos) << box;
    EXPECT_NE(box.find(U8(u8"終了しますか？")), std::string::npos) << box;
    EXPECT_EQ(Starting(Lines(boxes), "[MessageBox]").size(), 1u) << "the only box:\n" << box;
    EXPECT_TRUE(fs::exists(folder + "/config.ini")) << "the layout was saved at stage exit";
}

// The "[section]key" lines of an ini text, in file order, and whether its last line ends.
std::vector<std::string> IniKeys(const std::string& text) {
    std::vector<std::string> keys;
    std::istringstream in(text);
    std::string section;
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        if (!l.empty() && l[0] == '[')
            section = l;
        else if (l.find('=') != std::string::npos)
            keys.push_back(section + l.substr(0, l.find('=')));
    }
    if (!text.empty() && text.back() != '\n') keys.push_back("(a cut last line)");
    return keys;
}

// The game killed at each of its ini writes in turn (its settings at the stage's end, the
// engine's driver choice) leaves config.ini and krn2.ini whole: every section and key of the
// run before is still there, and no line is cut.
TEST_F(Game, AKillAtAnyIniWriteLeavesTheSettingsWhole) {
    Write("close.replay", "1000 close\n");
    std::ofstream(folder + "/config.ini")
        << "[GAME]\r\nlanguage=0\r\n[ATC]\r\nspeed=1\r\n[DISPLAY]\r\nresolution=3\r\n"
           "[VOLUME]\r\nbgm=80\r\nse=90\r\n";
    const std::string env =
        std::string(kHeadless) + " WYN_MSGBOX_ANSWERS=6 WYN_REPLAY='" + run + "/close.replay'";
    ASSERT_EQ(Run(env, "rjtt none", "whole"), 0);
    const std::vector<std::string> files{"config.ini", "krn2.ini"};
    std::vector<std::vector<std::string>> whole;
    for (const std::string& f : files) {
        whole.push_back(IniKeys(ReadText(folder + "/" + f)));
        ASSERT_GE(whole.back().size(), 5u) << f;
    }
    int killed = 0;
    for (int n = 1; n <= 100; ++n) {
        SCOPED_TRACE("killed at ini write " + std::to_string(n));
        const int rc =
            Run(env + " WYN_INI_WRITE_FAULT=" + std::to_string(n) + ":kill", "rjtt none", "kill");
        for (size_t i = 0; i < files.size(); ++i)
            EXPECT_EQ(IniKeys(ReadText(folder + "/" + files[i])), whole[i]) << files[i];
        if (rc == 0) break;  // the run made fewer writes than n: nothing was killed
        EXPECT_EQ(rc, 128 + SIGKILL);
        ++killed;
    }
    EXPECT_GE(killed, 3) << "the settings and the engine's choice are written at every run";
    EXPECT_LT(killed, 100);
}

TEST_F(Game, NoInTheCloseBoxResumesPlayWithoutAJump) {
    Write("close.replay", "2000 close\n4000 close\n");
    ASSERT_EQ(Run(std::string(kHeadless) + " WYN_MSGBOX_ANSWERS=7,6 WYN_REPLAY='" + run +
                      "/close.replay'",
                  "rjtt none", "run"),
              0);
    const auto lines = Lines(trace);
    const auto frames = Frames(lines);
    // Play went on between the two closes: about 4000 ms of frames, each one tick.
    ASSERT_GT(frames.size(), 100u);
    for (const FrameLine& f : frames) EXPECT_EQ(f.elapsed, 33) << "frame " << f.n;
    EXPECT_EQ(Starting(lines, "phase 1ff0").size(), 1u);
    const auto asked = Starting(Lines(boxes), "[MessageBox]");
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_NE(asked[0].find("-> 7"), std::string::npos) << asked[0];
    EXPECT_NE(asked[1].find("-> 6"), std::string::npos) << asked[1];
}

TEST_F(Game, FramesOf100MsCarryTheRemainder) {
    Write("close.replay", "5000 close\n");
    ASSERT_EQ(Run("WYN_HEADLESS=1 WYN_CLOCK=virtual WYN_GAME_FRAME_MS=100 WYN_MSGBOX_ANSWERS=6 "
                  "WYN_REPLAY='" +
                      run + "/close.replay'",
                  "rjtt none", "run"),
              0);
    const auto frames = Frames(Lines(trace));
    ASSERT_GE(frames.size(), 40u);
    for (const FrameLine& f : frames) {
        // 100 ms is 3 ticks and 1 ms left; every 33rd frame the carry makes a fourth tick.
        // The start banner's 30 ticks are over in frame 10; until then the world stands.
        EXPECT_EQ(f.elapsed, 100) << "frame " << f.n;
        EXPECT_EQ(f.newticks, f.n % 33 == 0 ? 4 : 3) << "frame " << f.n;
        EXPECT_EQ(f.ticks, f.n < 10 ? 0 : f.newticks) << "frame " << f.n;
        EXPECT_EQ(f.carry, f.n % 33) << "frame " << f.n;
    }
}

// A stage of the test's own that names the sample music: the start banner opens it and its
// music is heard; a close answered No keeps the stage going, one answered Yes ends it.
TEST_F(Game, TheStartBannerOpensTheStageWithItsMusic) {
    fs::remove(folder + "/port");
    fs::create_directories(folder + "/port/rjtt");
    for (const auto& e : fs::directory_iterator(binDir + "/port/rjtt"))
        if (e.path().filename() != "scenario")
            fs::create_symlink(e.path(), folder + "/port/rjtt/" + e.path().filename().string());
    // stagemake names the airport by the stage file's folder.
    fs::create_directories(run + "/stages/rjtt");
    Write("stages/rjtt/hud.stage",
          "title rjtt hud\nstart 0930\nhours 1\ntarget 100\nextarget -1\nstresslimit 10\n"
          "music STAGE01\neye 0 40 0\naim 12 200 0\ndistance 1500\nlight 255 255 250\n"
          "back 130 170 220\nlight2 180 180 170\nlight2dir -1 -2 1\n"
          "distances 8000 4000 2000\nroutes 1 1 1 1 1 1 1 1\n\ntimetable\nend\n");
    ASSERT_EQ(std::system(("'" + binDir + "/stagemake' '" + folder + "' '" + run +
                           "/stages/rjtt/hud.stage'")
                              .c_str()),
              0);
    ASSERT_TRUE(fs::exists(folder + "/port/rjtt/scenario/hud.sd3"));
    Write("close.replay", "3000 close\n5000 close\n");
    const std::string capture = run + "/heard.wav";
    ASSERT_EQ(Run(std::string(kHeadless) + " WYN_MSGBOX_ANSWERS=7,6 WYN_AUDIO_CAPTURE='" + capture +
                      "' WYN_REPLAY='" + run + "/close.replay'",
                  "rjtt hud", "run"),
              0);
    const auto lines = Lines(trace);
    // The banner's state, then play from the frame its 30 ticks are down to 1.
    EXPECT_EQ(Starting(lines, "state"), (std::vector<std::string>{"state 65", "state 0"}));
    const auto frames = Frames(lines);
    ASSERT_GT(frames.size(), 120u) << "play went on after the first close";
    int ticks = 0;
    for (const FrameLine& f : frames) {
        if (f.state != STAGE_START) break;
        ticks += f.newticks;
        EXPECT_EQ(f.ticks, 0) << "frame " << f.n;
    }
    EXPECT_EQ(ticks, 28);
    EXPECT_EQ(frames[28].state, STAGE_PLAY);
    EXPECT_EQ(frames[28].ticks, 1);
    EXPECT_EQ(frames.back().total, int(frames.size()) - 29);
    EXPECT_EQ(Starting(lines, "phase 1ff0").size(), 1u);
    const auto asked = Starting(Lines(boxes), "[MessageBox]");
    ASSERT_EQ(asked.size(), 2u) << "the two closes only: every picture and sound was there";
    EXPECT_NE(asked[0].find("-> 7"), std::string::npos) << asked[0];
    // The music plays from the start and goes on through the close box.
    std::ifstream f(capture, std::ios::binary);
    const std::vector<char> raw((std::istreambuf_iterator<char>(f)), {});
    ASSERT_GT(raw.size(), 44u + 4 * 22050 * 4) << "about five seconds captured";
    int loud = 0;
    for (size_t i = 44; i + 1 < raw.size(); i += 2)
        loud += std::abs(int16_t(uint16_t(uint8_t(raw[i]) | uint8_t(raw[i + 1]) << 8))) > 1500;
    EXPECT_GT(loud, 22050 * 2) << "the music in both channels for seconds";
}

TEST_F(Game, WaitsUntilTheScriptHostIsGone) {
    const std::string release = run + "/release";
    const std::string host = std::string(WYN_TEST_BIN_DIR) + "/game_standin";
    ASSERT_EQ(std::system(("WYN_HEADLESS=1 '" + host + "' '" + release + "' &").c_str()), 0);
    ASSERT_TRUE(WaitFor([] { return FindWindowA("Veskeran33", nullptr) != nullptr; }, kBound));
    Write("close.replay", "2000 close\n");
    Start(std::string(kHeadless) + " WYN_MSGBOX_ANSWERS=6 WYN_REPLAY='" + run + "/close.replay'",
          "rjtt none", "run");
    usleep(300000);
    EXPECT_TRUE(Starting(Lines(trace), "phase").empty()) << "no game while the host is open";
    Write("release", "");
    EXPECT_EQ(Finished(), 0);
    EXPECT_EQ(Starting(Lines(trace), "phase").size(), 5u);
}

TEST_F(Game, ASecondGameEndsAtOnce) {
    Start(std::string(kHeadless) + " WYN_MSGBOX_ANSWERS=6", "rjtt none", "first");
    const std::string firstTrace = trace;
    // The first game is running its stage.
    ASSERT_TRUE(
        WaitFor([&] { return !Starting(Lines(firstTrace), "phase 1010").empty(); }, kBound));
    EXPECT_EQ(Run(kHeadless, "rjtt none", "second"), 0);
    EXPECT_TRUE(Lines(trace).empty()) << "the second game never started";
    PostMessageA(FindWindowA("WYN2_MIRUTA2", nullptr), WM_CLOSE, 0, 0);
    EXPECT_EQ(Finished(), 0);
    EXPECT_EQ(Starting(Lines(firstTrace), "phase").size(), 5u);
}

TEST_F(Game, AnEmptyCommandLineEndsTheProgram) {
    EXPECT_EQ(Run(kHeadless, "", "run"), 0);
    EXPECT_TRUE(Lines(trace).empty());
}

TEST_F(Game, AFailedStartStillHandsOverToTheStandbyWindow) {
    // The stand-by window waits with its program; the game's engine finds no driver.
    fs::remove_all(folder);
    MakeFolder(folder, false);
    std::ofstream(folder + "/krn2.ini") << "[DRIVER]\nDRV=drv_none.dll\nLGT=lgt_none.dll\n"
                                           "ACC=acc_none.dll\n";
    char child[1024];
    ASSERT_TRUE(WynPlat_ToSystemPath(WYN_TEST_BIN_DIR "/standby_child", child, sizeof child));
    ASSERT_EQ(StandBy_Start((std::string(child) + ".exe").c_str(), "rjtt"), 1);
    EXPECT_EQ(Run("WYN_HEADLESS=1 WYN_CLOCK=virtual", "rjtt none", "run"), 0);
    const auto lines = Lines(trace);
    EXPECT_TRUE(Starting(lines, "phase").empty()) << "GameInit failed";
    EXPECT_EQ(Starting(lines, "standby send"), std::vector<std::string>{"standby send 1"});
    EXPECT_TRUE(WaitFor([&] { return fs::exists(run + "/child.txt"); }, kBound))
        << "the stand-by window launched its program";
}

// ---- real windows under a display ----

// The geometry xwininfo gives for the first window whose name begins with `title`: x, y,
// width, height; and the root window's size.
// The largest window whose title begins with `title`: the close question's box, captioned with
// the game's title too, may be up when the tree is read.
bool XGeometry(const std::string& tree, const std::string& title, int g[4]) {
    std::istringstream in(tree);
    bool found = false;
    for (std::string s; std::getline(in, s);) {
        if (s.find("\"" + title) == std::string::npos) continue;
        // ... "title": ("class" "class")  800x600+0+0  +0+0
        const size_t at = s.find(")  ");
        int w[4];
        if (at == std::string::npos ||
            std::sscanf(s.c_str() + at + 3, "%dx%d+%d+%d", &w[2], &w[3], &w[0], &w[1]) != 4)
            continue;
        if (!found || w[2] * w[3] > g[2] * g[3]) std::copy(w, w + 4, g);
        found = true;
    }
    return found;
}

class Desktop : public Game {
  protected:
    void SetUp() override {
        Game::SetUp();
        if (std::system("command -v xvfb-run >/dev/null") != 0) GTEST_SKIP() << "no xvfb-run";
        if (std::system("command -v xwininfo >/dev/null") != 0) GTEST_SKIP() << "no xwininfo";
    }
    // The game in real windows on a display of its own (`screen`, so that no other test's game
    // window is taken for this one) until the close at 1500 ms; the screenshot of `window` (a
    // part of its title; empty: the main window) and its place on the screen while the stage ran.
    void RunShown(const std::string& window, Png* shot, int g[4],
                  const std::string& screen = "1280x1024") {
        Write("close.replay", "1500 close\n");
        const std::string png = run + "/shot.png";
        Write("shown.sh", Command("WYN_BACKEND=sdl WYN_CLOCK=virtual WYN_GAME_FRAME_MS=33 "
                                  "WYN_MSGBOX_ANSWERS=6 WYN_REPLAY='" +
                                      run + "/close.replay' WYN_SCREENSHOT='" + png +
                                      "' WYN_SCREENSHOT_WINDOW='" + window + "'",
                                  "rjtt none", "desktop") +
                              " &\npid=$!\ni=0\nwhile ! grep -q '^frame' '" + trace +
                              "' 2>/dev/null && [ $i -lt 2000 ]; do sleep 0.05; i=$((i+1)); done\n"
                              "xwininfo -root -tree > '" +
                              run + "/tree.txt'\nwait $pid\n");
        EXPECT_EQ(
            std::system(
                ("xvfb-run -a -s '-screen 0 " + screen + "x24' sh '" + run + "/shown.sh'").c_str()),
            0)
            << ReadText(run + "/desktop.err");
        const std::string title = window.empty() ? "Wynmoor" : window;
        EXPECT_TRUE(XGeometry(ReadText(run + "/tree.txt"), title, g)) << "no window " << title;
        if (shot) {
            ASSERT_TRUE(ReadPng(png, shot)) << png;
        }
    }
};

TEST_F(Desktop, TheWindowedClientAreaIs800x600Centred) {
    Png shot;
    int g[4] = {};
    RunShown("", &shot, g);
    EXPECT_EQ(shot.w, 800);
    EXPECT_EQ(shot.h, 600);
    // The window at ((W - 800) / 2, (H - 600) / 2) of the 1280 x 1024 screen; its client area
    // inside the frame and below the caption.
    EXPECT_EQ(g[0], (1280 - 800) / 2 + GetSystemMetrics(SM_CXDLGFRAME)) << g[0] << "," << g[1];
    EXPECT_EQ(g[1],
              (1024 - 600) / 2 + GetSystemMetrics(SM_CYDLGFRAME) + GetSystemMetrics(SM_CYCAPTION))
        << g[0] << "," << g[1];
    EXPECT_EQ(g[2], 800);
    EXPECT_EQ(g[3], 600);
}

TEST_F(Desktop, OnAn800x600ScreenThePopUpSitsAtTheCorner) {
    // A screen exactly 800 x 600: full-screen mode.
    Png shot;
    int g[4] = {};
    RunShown("", &shot, g, "800x600");
    EXPECT_EQ(shot.w, 800);
    EXPECT_EQ(shot.h, 600);
    EXPECT_EQ(g[0], 0);
    EXPECT_EQ(g[1], 0);
    EXPECT_EQ(g[2], 800);
    EXPECT_EQ(g[3], 600);
}

TEST_F(Desktop, SeparateFloatsTheViewWithAFourToOneClientArea) {
    std::ofstream(folder + "/config.ini") << "[DISPLAY]\nseparate=1\n";
    int view[4] = {};
    // The view is a window of its own on the screen (a child window has no place there).
    RunShown(U8(u8"ビューウインドウ"), nullptr, view);
    EXPECT_EQ(view[2], 800) << view[0] << "," << view[1];
    EXPECT_EQ(view[3], 200) << view[0] << "," << view[1];
    EXPECT_EQ(view[2], 4 * view[3]);
    // Its default place on 1280 x 1024: above the main window, centred as a group.
    const int fw = 2 * GetSystemMetrics(SM_CXBORDER) + 4;
    EXPECT_EQ(view[0] - GetSystemMetrics(SM_CXFRAME), (1280 - 800 - fw) / 2);
}

// The strip board of a running stage in a real window: the wallpaper, the clock's hands, the
// wind's needle and digits and the score's digit, each in the colours of its picture.
TEST_F(Game, TheStripBoardInARealWindowShowsTheWallpaperClockWindAndScore) {
    if (std::system("command -v xvfb-run >/dev/null") != 0) GTEST_SKIP() << "no xvfb-run";
    // A display of its own, so that no other test's game window is taken for this one.
    Write("close.replay", "1500 close\n");
    const std::string png = run + "/shot.png";
    Write("board.sh", Command("WYN_BACKEND=sdl WYN_CLOCK=virtual WYN_GAME_FRAME_MS=33 "
                              "WYN_MSGBOX_ANSWERS=6 WYN_REPLAY='" +
                                  run + "/close.replay' WYN_SCREENSHOT='" + png + "'",
                              "rjtt none", "board"));
    ASSERT_EQ(
        std::system(("xvfb-run -a -s '-screen 0 1024x768x24' sh '" + run + "/board.sh'").c_str()),
        0);
    Png shot;
    ASSERT_TRUE(ReadPng(png, &shot)) << png;
    ASSERT_EQ(shot.w, 800);
    ASSERT_EQ(shot.h, 600);
    const auto shown = [&](int x, int y) {
        const uint32_t rgb = shot.At(x, y);
        return UMB_MakePixel((rgb >> 19) & 31, (rgb >> 11) & 31, (rgb >> 3) & 31);
    };
    struct Picture {
        tagCELL c{};
        explicit Picture(const std::string& path) {
            EXPECT_EQ(UMBDLL_ReadUMB(path.c_str(), &c), 1) << path;
        }
        ~Picture() { ZEM_DeleteCell(&c); }
        ZEMPIXEL at(int x, int y) const { return c.bits[size_t(y) * c.xsize + x]; }
        // The first pixel of the frame at `left` that is not the key: the colour it draws in.
        ZEMPIXEL ink(int left, int width) const {
            for (int y = 0; y < c.ysize; ++y)
                for (int x = left; x < left + width; ++x)
                    if ((at(x, y) & 0x7fff) != (c.mask & 0x7fff)) return at(x, y);
            return 0;
        }
    };
    const Picture wallpaper(binDir + "/etc/kabekabe.umz"), clock(binDir + "/etc/timerndl.umz"),
        needle(binDir + "/etc/windndl.umz"), wind(binDir + "/etc/windsp.umz"),
        digits(binDir + "/etc/scorenum.umz");
    // The strip columns hold no strip in an empty stage: the wallpaper as it is.
    int differ = 0;
    for (int y = 400; y < 600; ++y)
        for (int x : {0, 100, 200, 315, 484, 600, 799}) differ += shown(x, y) != wallpaper.at(x, y);
    EXPECT_EQ(differ, 0);
    const auto count = [&](ZEMPIXEL ink, RECT r) {
        int n = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) n += shown(x, y) == ink;
        return n;
    };
    EXPECT_GT(count(clock.ink(0, 70), RECT{330, 408, 400, 478}), 10) << "the minute hand";
    EXPECT_GT(count(clock.ink(70, 70), RECT{330, 408, 400, 478}), 10) << "the hour hand";
    EXPECT_GT(count(needle.ink(0, 68), RECT{402, 408, 470, 476}), 10) << "the wind needle";
    EXPECT_GT(count(wind.ink(0, wind.c.xpos), RECT{424, 427, 448, 443}), 10) << "the wind's 00";
    EXPECT_GT(count(digits.ink(0, digits.c.xpos), RECT{440, 488, 452, 522}), 10) << "score 0";
}

}  // namespace
