// The controller interface in the game: wyntower on the stage "ctl" with a replay that clicks
// the departure's strip, then its one menu item, then the close box. Headless on the virtual
// clock: the selection, the menu, the command with its status, strip and queued radio codes, the
// row's message starting, and the shots of the menu, the strip that slides on and the caption
// on the row's band. Under a display the same in real windows, and the radar window floated by
// the key W and docked again by D.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "../../common/png_read.h"

namespace {

namespace fs = std::filesystem;

// The main window's places of the replay: the departure's strip in its queue's last place (x
// 516 to 768, y 556 to 588), the first menu item (16 to 64, 154 to 202).
constexpr char kClicks[] =
    "6000 click 600 570\n"  // the departure's strip
    "7000 click 30 170\n";  // its item 0x019, sprite 90

struct GameRun {
    int status = -1;
    std::string dir;
    std::vector<std::string> trace;
    std::vector<Png> shots;
    Png last;  // the window at exit
    // The trace lines that begin with `word`.
    std::vector<std::string> Lines(const std::string& word) const {
        std::vector<std::string> out;
        for (const std::string& l : trace)
            if (l.rfind(word, 0) == 0) out.push_back(l);
        return out;
    }
    bool Has(const std::string& line) const {
        for (const std::string& l : trace)
            if (l == line) return true;
        return false;
    }
};

// 16-bit colours of the pictures as a 24-bit shot shows them.
constexpr uint32_t Shown(uint32_t rgb) {
    auto c = [](uint32_t v) { return ((v >> 3) << 3) | ((v >> 3) >> 2); };
    return c((rgb >> 16) & 0xff) << 16 | c((rgb >> 8) & 0xff) << 8 | c(rgb & 0xff);
}
constexpr uint32_t kEtcFace[] = {Shown(0x405870), Shown(0x66798c), Shown(0x2c3d4e)};
constexpr uint32_t kDepLabel = Shown(0x8040b0);    // the position label "DEP"
constexpr uint32_t kCaptionGreen = 0x00ff00;       // the radio caption's 0x03e0
constexpr uint32_t kLabelTile0 = Shown(0x802020);  // the radar label of strip slot 0

int Count(const Png& p, uint32_t colour, int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y < bottom && y < p.h; ++y)
        for (int x = left; x < right && x < p.w; ++x) n += p.At(x, y) == colour;
    return n;
}

// `wrap` runs the program (a display of its own for real windows, so that no other test finds
// them).
GameRun Play(const std::string& tag, const std::string& replay, const std::string& env,
             const std::string& config = "", const std::string& wrap = "") {
    GameRun r;
    r.dir = std::string(std::getenv("WYN_RUNTIME_DIR")) + "/" + tag;
    fs::remove_all(r.dir);
    const fs::path bin = std::getenv("WYN_PROGRAM_DIR"), own = r.dir + "/bin";
    fs::create_directories(own);
    for (const auto& e : fs::directory_iterator(bin)) {
        const std::string name = e.path().filename().string();
        if (name == "krn2.ini")
            fs::copy_file(e.path(), own / name);
        else if (name != "config.ini" && name != "stage")
            fs::create_symlink(e.path(), own / name);
    }
    if (!config.empty()) std::ofstream(own / "config.ini") << config;
    std::ofstream(r.dir + "/replay.txt") << replay;
    const std::string cmd = "cd '" + own.string() + "' && " + wrap + " env -u WYN_HEADLESS " + env +
                            " WYN_PROGRAM_DIR='" + own.string() + "' WYN_RUNTIME_DIR='" + r.dir +
                            "/rt' WYN_CLOCK=virtual WYN_GAME_FRAME_MS=33 WYN_MSGBOX_ANSWERS=6 "
                            "WYN_REPLAY='" +
                            r.dir + "/replay.txt' WYN_GAME_TRACE='" + r.dir +
                            "/trace.txt' WYN_SCREENSHOT='" + r.dir +
                            "/last.png' WYN_SCREENSHOT_EVERY=10 timeout 200 '" + bin.string() +
                            "/wyntower' rjtt ctl 2>'" + r.dir + "/err.txt'";
    const int s = std::system(cmd.c_str());
    r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
    std::ifstream in(r.dir + "/trace.txt");
    for (std::string line; std::getline(in, line);) r.trace.push_back(line);
    for (int n = 1;; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "/last-%05d.png", n);
        Png p;
        if (!ReadPng(r.dir + name, &p)) break;
        r.shots.push_back(p);
    }
    ReadPng(r.dir + "/last.png", &r.last);
    return r;
}

// The checks both runs share: the trace's selection, menu, command, strip and radio lines, and
// the shots.
void ExpectTheCommand(const GameRun& r) {
    ASSERT_EQ(r.status, 0);
    // The departure (aircraft slot 0, strip slot 1) selected; its menu: item 0x019 alone.
    EXPECT_TRUE(r.Has("select 0 strip 1 camindex 0"));
    EXPECT_TRUE(r.Has("menu 0 selected 0 items 1 019"));
    // The command: 0xb4050 to 0xb6130, its messages 801 and 202 queued on the departure row.
    EXPECT_TRUE(
        r.Has("command 0 item 019 status b4050 -> b6130 row 4 result 0 queued 03210100 "
              "00ca0200"));
    const std::vector<std::string> radio = r.Lines("radio 4 code 03210100 ");
    ASSERT_EQ(radio.size(), 1u) << "the row's message starts";
    // The strip: 0x1602, then sliding on to the departure family's place.
    EXPECT_TRUE(r.Has("strip 0 slot 1 state 1602 x 516 place 9"));
    EXPECT_TRUE(r.Has("strip 0 slot 1 state 1600 x 548 place 9"));
    // The order: selection, command, strip.
    size_t sel = 0, cmd = 0, strip = 0;
    for (size_t i = 0; i < r.trace.size(); ++i) {
        if (r.trace[i].rfind("select 0", 0) == 0) sel = i;
        if (r.trace[i].rfind("command 0", 0) == 0) cmd = i;
        if (r.trace[i].rfind("strip 0 slot 1 state 1602", 0) == 0) strip = i;
    }
    EXPECT_LT(sel, cmd);
    EXPECT_LT(cmd, strip);
    ASSERT_FALSE(r.shots.empty());
    // Some shot shows the menu's item (the general set's face at its left edge), a later one
    // the strip settled at x 548 with its label left of it, and the caption on row 4's band.
    int menu = -1, slid = -1, caption = -1;
    for (size_t i = 0; i < r.shots.size(); ++i) {
        const Png& p = r.shots[i];
        if (p.w < 800 || p.h < 600) continue;
        for (uint32_t face : kEtcFace)
            if (menu < 0 && Count(p, face, 18, 160, 22, 180) > 60) menu = int(i);
        // The label "DEP" of the family 0x1600 shows left of its strip once it settled at 548.
        if (slid < 0 && Count(p, kDepLabel, 517, 560, 547, 575) > 200) slid = int(i);
        if (caption < 0 && Count(p, kCaptionGreen, 218, 122, 589, 138) > 20) caption = int(i);
    }
    EXPECT_GE(menu, 0) << "the menu";
    EXPECT_GT(slid, menu) << "the strip slid on";
    EXPECT_GT(caption, menu) << "the caption on row 4";
}

TEST(ControllerRun, AStripClickAndItsItemHeadless) {
    const GameRun r =
        Play("ctl_headless", std::string(kClicks) + "11000 close\n", "WYN_HEADLESS=1");
    ExpectTheCommand(r);
    // The docked radar: its label of the arrival (strip slot 0) in some shot.
    int label = 0;
    for (const Png& p : r.shots)
        if (p.w >= 800) label = std::max(label, Count(p, kLabelTile0, 600, 0, 800, 200));
    EXPECT_GT(label, 100) << "the radar's label";
}

// The camera keys through the game's own input: after the strip click each key's mode follows
// the departure (one caption line each), a key of the mode already set changes nothing, and a
// click on the empty strip board deselects it and brings back the panoramic view.
TEST(ControllerRun, CameraKeysFollowTheSelectedAircraft) {
    const GameRun r = Play("ctl_camera",
                           "6000 click 600 570\n"
                           "6500 key 1\n7000 key 8\n7500 key O\n8000 key P\n8500 key P\n"
                           "9000 click 440 590\n10000 close\n",
                           "WYN_HEADLESS=1");
    ASSERT_EQ(r.status, 0) << r.dir;
    size_t sel = r.trace.size();
    for (size_t i = 0; i < r.trace.size() && sel == r.trace.size(); ++i)
        if (r.trace[i] == "select 0 strip 1 camindex 0") sel = i;
    ASSERT_LT(sel, r.trace.size()) << "the strip click";
    // The selection's own caption comes just before its line.
    std::vector<std::string> cameras;
    for (size_t i = sel > 0 ? sel - 1 : 0; i < r.trace.size(); ++i)
        if (r.trace[i].rfind("camera ", 0) == 0) cameras.push_back(r.trace[i]);
    // The selection follows the departure in the mode the stage started with.
    const std::vector<std::string> expected = {"camera 0 ANA-0202 CAM",
                                               "camera 2 ANA-0202 RWY34L CAM",
                                               "camera 9 ANA-0202 BIRDEYE CAM",
                                               "camera 0 ANA-0202 CAM",
                                               "camera 1 ANA-0202 HANEDA TOWER CAM",
                                               "camera 1 PANORAMIC CAM"};
    EXPECT_EQ(cameras, expected);
    EXPECT_TRUE(r.Has("select -1 strip -1 camindex 0")) << "deselected by the empty board";
}

TEST(ControllerRun, InRealWindowsWithTheRadarFloatedAndDocked) {
    if (std::system("command -v xvfb-run >/dev/null") != 0) GTEST_SKIP() << "no xvfb-run";
    const std::string display = "xvfb-run -a -s '-screen 0 1280x1024x24'";
    // radarL 1: the radar may float.
    const std::string config = "[DISPLAY]\nradarL=1\n";
    const GameRun r =
        Play("ctl_desktop", std::string(kClicks) + "8000 key W\n10000 key D\n12000 close\n",
             "WYN_BACKEND=sdl", config, display);
    ExpectTheCommand(r);
    int label = 0;
    for (const Png& p : r.shots)
        if (p.w >= 800 && p.h >= 600)
            label = std::max(label, Count(p, kLabelTile0, 600, 0, 800, 200));
    EXPECT_GT(label, 100) << "the docked radar's label";
    // W floated it (400 x 400), D docked it again.
    const std::vector<std::string> dock = r.Lines("radar dock ");
    ASSERT_GE(dock.size(), 3u);
    EXPECT_EQ(dock[dock.size() - 2], "radar dock 2 size 2");
    EXPECT_EQ(dock.back(), "radar dock 1 size 1");
    // The floating window photographed: "レーダーウインドウ" at 400 x 400.
    const GameRun f = Play("ctl_float", std::string(kClicks) + "8000 key W\n10500 close\n",
                           std::string("WYN_BACKEND=sdl WYN_SCREENSHOT_WINDOW='") +
                               reinterpret_cast<const char*>(u8"レーダーウインドウ") + "'",
                           config, display);
    ASSERT_EQ(f.status, 0);
    EXPECT_EQ(f.last.w, 400);
    EXPECT_EQ(f.last.h, 400);
    EXPECT_GT(Count(f.last, kLabelTile0, 0, 0, 400, 400), 100) << "the large radar's label";
}

}  // namespace
