// wyndemob (the night scenes and the wallpaper show) and wyndemoc (the aircraft model viewer) run
// as a user runs them, in a program folder of the test's own beside the real stand-by program
// and a stand-in script host that notes its command line: headless on the virtual clock (what
// the screenshots, the audio capture and the Windows folder hold; replayed hovers, presses and
// drags, the pointer's confinement, the close box) and in real windows on displays of their own.
// Every run is bounded; a failing run prints its exit code, its time and the ends of its trace
// and messages.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <windows.h>

#include "../common/capture_read.h"
#include "../common/picture_match.h"
#include "../common/png_read.h"
#include "../common/run_folder.h"
#include "../common/run_text.h"
#include "scene_shots.h"

namespace fs = std::filesystem;

namespace {

std::string Text(const std::string& path) {
    std::ostringstream out;
    out << std::ifstream(path).rdbuf();
    return out.str();
}

// The audio capture's level of a tone over 100 ms windows: the first and last window that
// holds it, -1 when none.
struct Heard {
    int first = -1, last = -1;
};
Heard Listen(const std::string& capture, double hz) {
    const std::vector<int16_t> s = ReadCapture16(capture);
    Heard h;
    int i = 0;
    for (size_t at = 0; 2 * (at + 2205) <= s.size(); at += 2205, ++i)
        if (ToneLevel(s, at, 2205, hz) > 600) {
            if (h.first < 0) h.first = i;
            h.last = i;
        }
    return h;
}

class TokyoRun : public RunFolderTest {
  protected:
    TokyoRun() : RunFolderTest(true) {}
    void SetUp() override {
        RunFolderTest::SetUp();
        if (HasFatalFailure()) return;
        fs::create_directories(run + "/home");
        LinkProgramFolder(
            binDir, folder,
            {"port", "etc", "demo", "airplane", "stage", "standby", "standby.bmp", "wyndemoc.ini"});
        fs::create_symlink(DEMO_TEST_CHILD, folder + "/vsk33");
    }
    void TearDown() override {
        if (HasFailure()) {
            std::fprintf(stderr, "  exit %d after %.1f s\n  trace:\n%s  messages:\n%s", rc, elapsed,
                         Tail(trace).c_str(), Tail(err, 15).c_str());
            std::fprintf(stderr, "  process log:\n%s", Tail(run + "/process.log", 10).c_str());
        }
    }
    // The engine ini file with EMULATION = `value`: other than "hard", the small view.
    void Emulation(const char* value) {
        fs::remove(folder + "/krn2.ini");
        std::ofstream(folder + "/krn2.ini")
            << "[DRIVER]\nDRV=drv_pasu.dll\nLGT=lgt_pasu.dll\nACC=acc_dexo.dll\n[MODE]\nEMULATION="
            << value << "\n";
    }
    // Replayed input for the demo alone (the programs it starts inherit the setting).
    std::string Replay(const std::string& text) const {
        std::ofstream(run + "/" + program + "-input.replay") << text;
        return " WYN_REPLAY='" + run + "/%p-input.replay'";
    }
    // Runs the program to its end: `wrap` goes before the whole command (a display of its own),
    // `env` into its environment; `bound`: the seconds it may take at most (real time).
    int Run(const std::string& args, const std::string& env, const std::string& wrap = "",
            int bound = 150) {
        trace = run + "/trace.txt";
        err = run + "/err.txt";
        shot = run + "/" + program + ".png";
        capture = run + "/sound.wav";
        const std::string cmd =
            wrap + " env -u WYN_HEADLESS WYN_RUNTIME_DIR='" + run + "' WYN_PROGRAM_DIR='" + folder +
            "' HOME='" + run + "/home' WYN_DEMO_TRACE='" + trace + "' WYN_PROCESS_LOG='" + run +
            "/process.log' WYN_SCREENSHOT='" + run + "/%p.png" +
            "' WYN_SCREENSHOT_WINDOW=Wynmoor WYN_AUDIO_CAPTURE='" + capture + "' " + env +
            " sh -c \"cd '" + folder + "' && exec timeout -k 10 " + std::to_string(bound) + " '" +
            binDir + "/" + program + "' " + args + "\" 2>'" + err + "'";
        const double t0 = Seconds();
        const int status = std::system(cmd.c_str());
        elapsed = Seconds() - t0;
        rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return rc;
    }
    // The stand-in's notes, once the stand-by window had time to start it (bounded, real time).
    std::string HostNotes(bool expected) {
        const std::string notes = run + "/child.txt";
        for (int i = 0; expected && i < 3000 && !fs::exists(notes); ++i) usleep(10000);
        if (!expected) usleep(300000);
        return fs::exists(notes) ? Text(notes) : "";
    }
    std::vector<std::string> Shots() const {
        std::vector<std::string> out;
        for (int n = 1; fs::exists(Numbered(n)); ++n) out.push_back(Numbered(n));
        return out;
    }
    std::string Numbered(int n) const {
        char buf[32];
        std::snprintf(buf, sizeof buf, "-%05d.png", n);
        return run + "/" + program + buf;
    }
    std::string program = "wyndemoc";  // the demo the test runs
    std::string trace, err, shot, capture;
    int rc = -1;
    double elapsed = 0;
};

// ---- wyndemoc ----

const char kVirtual[] = "WYN_CLOCK=virtual WYN_HEADLESS=1";
constexpr int kButtonX[4] = {53, 118, 183, 248};
constexpr int kButtonY = 466;

// Button i shows tile row `row` in the shot: its face (the middle of the button) as in the
// button picture.
Match ButtonLook(const Png& shot, const Picture& buttons, int i, int row) {
    return Compare(shot, kButtonX[i] + 12, kButtonY + 12, 48, 20, buttons, 72 * i + 12,
                   110 * row + 12);
}

TEST_F(TokyoRun, ViewerShowsItsPicturesAndEndsThroughButtonThree) {
    const int b0x = kButtonX[0] + 36, b3x = kButtonX[3] + 36, by = kButtonY + 30;
    ASSERT_EQ(
        Run("0 MENU", std::string(kVirtual) + " WYN_SCREENSHOT_EVERY=5" +
                          Replay("600 move " + std::to_string(b0x) + " " + std::to_string(by) +
                                 "\n1400 move 700 300\n1500 down " + std::to_string(b3x) + " " +
                                 std::to_string(by) + "\n1700 up " + std::to_string(b3x) + " " +
                                 std::to_string(by) + "\n")),
        0);
    const std::vector<std::string> trace = Lines(this->trace);
    EXPECT_EQ(Starting(trace, "viewer 0 ").size(), 1u);
    EXPECT_EQ(Starting(trace, "viewer 0 [airplane\\B767\\B767JAL.plm] loaded 1").size(), 1u);
    EXPECT_EQ(Starting(trace, "press 3").size(), 1u);
    EXPECT_EQ(Starting(trace, "press ").size(), 1u);

    Picture bg("demo\\tokyo_c\\demobg.umz"), names("demo\\tokyo_c\\demoname.umz"),
        buttons("demo\\tokyo_c\\demobutton.umz");
    Png last;
    ASSERT_TRUE(ReadPng(shot, &last));
    ASSERT_EQ(last.w, 800);
    ASSERT_EQ(last.h, 600);
    Match m = Compare(last, 0, 0, 110, 440, bg, 0, 0);
    EXPECT_TRUE(m.Mostly()) << "the background left of the view " << m.Say();
    m = Compare(last, 386, 454, 414, 146, names, 0, 0);
    EXPECT_TRUE(m.Mostly()) << "name tile 0 at (386, 454) " << m.Say();
    for (int i = 0; i < 3; ++i) {
        m = ButtonLook(last, buttons, i, 0);
        EXPECT_TRUE(m.Mostly()) << "button " << i << " normal " << m.Say();
    }
    m = ButtonLook(last, buttons, 3, 2);
    EXPECT_TRUE(m.Mostly()) << "button 3 pressed " << m.Say();

    // While the pointer stood over button 0, its hover tile showed.
    bool hover = false;
    for (const std::string& path : Shots()) {
        Png p;
        if (ReadPng(path, &p) && ButtonLook(p, buttons, 0, 1).Mostly()) hover = true;
    }
    EXPECT_TRUE(hover) << Shots().size() << " shots";

    // The music, then the click of the button.
    const Heard music = Listen(capture, 494), click = Listen(capture, 1500);
    EXPECT_GE(music.first, 0);
    EXPECT_GE(click.first, 0);
    EXPECT_LT(music.first, click.first);
    EXPECT_EQ(HostNotes(true), "[ MENU] {MENU} demo 0\n");
}

TEST_F(TokyoRun, ViewerWithAnotherDigitShowsTheDefaultModelAndTheCloseBoxHandsBackNothing) {
    ASSERT_EQ(Run("7 MENU", std::string(kVirtual) + Replay("800 close\n")), 0);
    const std::vector<std::string> trace = Lines(this->trace);
    EXPECT_EQ(Starting(trace, "viewer -1 [airplane\\B777\\B777ANA.plm] loaded 1").size(), 1u);
    Picture bg("demo\\tokyo_c\\demobg.umz");
    Png last;
    ASSERT_TRUE(ReadPng(shot, &last));
    ASSERT_EQ(last.w, 800);
    ASSERT_EQ(last.h, 600);
    const Match m = Compare(last, 386, 454, 414, 146, bg, 386, 454);
    EXPECT_TRUE(m.Mostly()) << "no name tile: the background shows there " << m.Say();
    EXPECT_EQ(Starting(trace, "handback").size(), 0u);
    EXPECT_EQ(HostNotes(false), "");
}

TEST_F(TokyoRun, ViewerDragsTurnAndZoomWhileThePointerIsConfined) {
    // A plain drag 40 left and 10 up; a Ctrl drag 20 left; then a drag cut by the close box.
    ASSERT_EQ(Run("0 MENU", std::string(kVirtual) + Replay("600 down 400 200\n"
                                                           "700 move 380 195\n"
                                                           "800 move 360 190\n"
                                                           "900 up 360 190\n"
                                                           "1000 keydown CONTROL\n"
                                                           "1100 down 400 200\n"
                                                           "1200 move 380 200\n"
                                                           "1300 up 380 200\n"
                                                           "1400 keyup CONTROL\n"
                                                           "1500 down 400 200\n"
                                                           "1600 move 410 200\n"
                                                           "1800 close\n")),
              0);
    const std::vector<std::string> trace = Lines(this->trace);
    const std::vector<std::string> starts = Starting(trace, "drag start");
    const std::vector<std::string> ends = Starting(trace, "drag end");
    const std::vector<std::string> last = Starting(trace, "viewer end");
    ASSERT_EQ(starts.size(), 3u);
    ASSERT_EQ(ends.size(), 3u);
    ASSERT_EQ(last.size(), 1u);
    auto clip = [](const std::string& line) {
        RECT r{};
        std::sscanf(line.substr(line.find("clip ")).c_str(), "clip %d %d %d %d", &r.left, &r.top,
                    &r.right, &r.bottom);
        return r;
    };
    for (const std::string& s : starts) {
        const RECT r = clip(s);
        EXPECT_EQ(r.right - r.left, 800) << s;
        EXPECT_EQ(r.bottom - r.top, 600) << s;
    }
    // Released after each drag, and at the end of the one the close cut.
    for (const std::string& e : {ends[0], ends[1], ends[2], last[0]}) {
        const RECT r = clip(e);
        EXPECT_EQ(r.left, 0) << e;
        EXPECT_EQ(r.top, 0) << e;
        EXPECT_FALSE(r.right - r.left == 800 && r.bottom - r.top == 600) << e;
    }
    EXPECT_EQ(ends[0].substr(0, ends[0].find(" clip")), "drag end 0 80 0 1.00");
    EXPECT_EQ(ends[1].substr(0, ends[1].find(" clip")), "drag end 0 80 0 1.20");
    EXPECT_EQ(ends[2].substr(0, ends[2].find(" clip")), "drag end 0 70 0 1.20");
    // A press came before the close box: the viewer hands back.
    EXPECT_EQ(HostNotes(true), "[ MENU] {MENU} demo 0\n");
}

// The model's silhouette in the 3D view of a shot: the pixels brighter than its dark blue
// background.
std::vector<bool> Silhouette(const Png& shot) {
    std::vector<bool> mask;
    for (int y = 30; y < 450; ++y)
        for (int x = 124; x < 676; ++x) {
            const uint32_t p = shot.At(x, y);
            mask.push_back(((p >> 16) & 255) > 24 || ((p >> 8) & 255) > 24 || (p & 255) > 40);
        }
    return mask;
}
int Count(const std::vector<bool>& m) { return int(std::count(m.begin(), m.end(), true)); }
int Differ(const std::vector<bool>& a, const std::vector<bool>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) n += a[i] != b[i];
    return n;
}

TEST_F(TokyoRun, ViewerInARealWindowTurnsTheModelAndDrawsOutlinesWithAlt) {
    if (std::system("command -v xvfb-run >/dev/null") != 0) GTEST_SKIP() << "no xvfb-run";
    const std::string b3 = std::to_string(kButtonX[3] + 36) + " " + std::to_string(kButtonY + 30);
    // A drag 60 to the left (turning the model 60 degrees about y), Alt held for 1.5 s, then
    // the end button.
    ASSERT_EQ(Run("1",
                  "WYN_CLOCK=virtual WYN_BACKEND=sdl WYN_SCREENSHOT_EVERY=5" +
                      Replay("3000 down 400 240\n3300 move 370 240\n3600 move 340 240\n"
                             "3900 up 340 240\n5500 keydown ALT\n7000 keyup ALT\n8000 down " +
                             b3 + "\n8200 up " + b3 + "\n"),
                  "xvfb-run -a -s '-screen 0 1024x768x24'"),
              0);
    const std::vector<std::string> trace = Lines(this->trace);
    ASSERT_EQ(Starting(trace, "drag end 0 100 -10 1.00").size(), 1u);
    EXPECT_EQ(Starting(trace, "outline 1").size(), 1u);
    EXPECT_EQ(Starting(trace, "outline 0").size(), 1u);
    EXPECT_EQ(Starting(trace, "press 3").size(), 1u);
    EXPECT_EQ(Starting(trace, "drag start").at(0).find("clip 0 0 1024 768"), std::string::npos);

    // The last look: the model turned, drawn with surfaces.
    Png last;
    ASSERT_TRUE(ReadPng(shot, &last));
    const std::vector<bool> turned = Silhouette(last);
    const int full = Count(turned);
    ASSERT_GT(full, 20000) << "the model fills part of the view";
    int fewest = full, most = 0;
    std::string counts;
    for (const std::string& path : Shots()) {
        Png p;
        if (!ReadPng(path, &p) || p.w != 800) continue;
        const std::vector<bool> m = Silhouette(p);
        const int n = Count(m);
        counts += " " + std::to_string(n) + "/" + std::to_string(Differ(m, turned));
        fewest = std::min(fewest, n);
        // A look with surfaces (not outlines) that differs from the last: before the turn.
        if (n * 10 > full * 8) most = std::max(most, Differ(m, turned));
    }
    EXPECT_LT(fewest * 2, full) << "Alt draws outlines only:" << counts;
    EXPECT_GT(most, full / 10) << "the drag turned the model:" << counts;
}

// ---- wyndemob ----

// The six wallpapers by their UTF-8 file names, and their pictures' paths (Shift-JIS).
const char8_t* const kWallFiles[6] = {u8"羽田スポット1024.bmp", u8"羽田スポット800.bmp",
                                      u8"羽田上空1024.bmp",     u8"羽田上空800.bmp",
                                      u8"東京管制部1024.bmp",   u8"東京管制部800.bmp"};
const char* const kWallPictures[6] = {
    "demo\\tokyo_b\\羽田スポット1024.umz", "demo\\tokyo_b\\羽田スポット800.umz",
    "demo\\tokyo_b\\羽田上空1024.umz",     "demo\\tokyo_b\\羽田上空800.umz",
    "demo\\tokyo_b\\東京管制部1024.umz",   "demo\\tokyo_b\\東京管制部800.umz"};

int Index(const std::vector<std::string>& lines, const std::string& with) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].rfind(with, 0) == 0) return int(i);
    return -1;
}

// Every file under `dir`, as paths relative to it.
std::vector<std::string> Files(const std::string& dir) {
    std::vector<std::string> out;
    if (!fs::exists(dir)) return out;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (!e.is_directory()) out.push_back(fs::relative(e.path(), dir).string());
    return out;
}

TEST_F(TokyoRun, WallpaperShowSavesSixPicturesThenPlaysUntilAClickAndFades) {
    program = "wyndemob";
    const std::string windows = run + "/windows";
    ASSERT_EQ(Run("5 MENU", std::string(kVirtual) + " WYN_WINDOWS_DIR='" + windows + "'" +
                                Replay("0 click 400 300\n3000 click 400 300\n")),
              0);
    const std::vector<std::string> trace = Lines(this->trace);
    // The six files, each before the show's picture.
    const int paper = Index(trace, "paper");
    ASSERT_GE(paper, 0);
    for (int i = 0; i < 6; ++i) {
        const int at = Index(trace, "wallpaper " + std::to_string(i) + " read 1 written 1");
        EXPECT_GE(at, 0) << i;
        EXPECT_LT(at, paper) << i;
    }
    // The click that came while they were written was forgotten; the later one ended the show.
    EXPECT_EQ(Index(trace, "show click 1"), paper + 1);
    EXPECT_GE(Index(trace, "show end click 1 close 0"), 0);

    std::vector<std::string> expected;
    for (const char8_t* f : kWallFiles) expected.push_back(fs::path(f).string());
    std::vector<std::string> files = Files(windows);
    std::sort(files.begin(), files.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected);
    EXPECT_TRUE(Files(run + "/home").empty()) << "nothing written under the user's folder";
    for (const auto& e : fs::directory_iterator(folder))
        EXPECT_TRUE(e.is_symlink() || e.path().extension() != ".bmp") << e.path();

    for (int i = 0; i < 6; ++i) {
        const std::string bmp = (fs::path(windows) / kWallFiles[i]).string();
        const std::string bytes = Text(bmp);
        ASSERT_GT(bytes.size(), 54u) << i;
        EXPECT_EQ(bytes.substr(0, 2), "BM") << i;
        EXPECT_EQ(uint8_t(bytes[28]), 24) << i << ": 24 bits a pixel";
        Picture picture(kWallPictures[i]);
        tagCELL saved{};
        ASSERT_EQ(UMBDLL_ReadBMP(bmp.c_str(), &saved), 1) << i;
        EXPECT_EQ(saved.xsize, picture.cell.xsize) << i;
        EXPECT_EQ(saved.ysize, picture.cell.ysize) << i;
        int differ = 0;
        for (int y = 0; y < saved.ysize && saved.xsize == picture.cell.xsize; ++y)
            for (int x = 0; x < saved.xsize; ++x)
                if ((saved.bits[y * saved.xsize + x] ^ picture.At(x, y)) & 0x7FFF) ++differ;
        EXPECT_EQ(differ, 0) << i;
        ZEM_DeleteCell(&saved);
    }

    // Black after the fade.
    Png last;
    ASSERT_TRUE(ReadPng(shot, &last));
    int lit = 0;
    for (uint32_t p : last.px) lit += p != 0;
    EXPECT_EQ(lit, 0);
    // The music from the show's start until the click (3 s), then no more than the older sound
    // library's two output buffers already queued (16384 bytes, 0.37 s each).
    const Heard music = Listen(capture, 587);
    EXPECT_GE(music.first, 0);
    EXPECT_LE(music.first, 10);
    EXPECT_GE(music.last, 25);
    EXPECT_LE(music.last, 38);
    EXPECT_EQ(HostNotes(true), "[ MENU] {MENU} demo 0\n");
}

TEST_F(TokyoRun, WallpaperShowWritesNothingWhenTheWindowsFolderDoesNotFit) {
    program = "wyndemob";
    const std::string windows = run + "/" + std::string(130, 'w') + "/" + std::string(130, 'w');
    ASSERT_EQ(Run("5", std::string(kVirtual) + " WYN_WINDOWS_DIR='" + windows + "'" +
                           Replay("2000 click 400 300\n")),
              0);
    const std::vector<std::string> trace = Lines(this->trace);
    EXPECT_GE(Index(trace, "wallpapers no folder"), 0);
    EXPECT_LT(Index(trace, "wallpaper 0"), 0);
    EXPECT_TRUE(Files(windows).empty());
    EXPECT_TRUE(Files(run + "/home").empty());
    EXPECT_GE(Index(trace, "paper"), 0) << "the show goes on";
}

// Pixels of the view (80, 60)-(720, 540) brighter than `level` in every channel.
int Bright(const Png& shot, uint32_t level, int x1 = 720, int y1 = 540) {
    int n = 0;
    for (int y = 60; y < y1; ++y)
        for (int x = 80; x < x1; ++x) {
            const uint32_t p = shot.At(x, y);
            n += ((p >> 16) & 255) > level && ((p >> 8) & 255) > level && (p & 255) > level;
        }
    return n;
}

TEST_F(TokyoRun, SnowSceneRunsOutWithItsFlakes) {
    program = "wyndemob";
    // The small view keeps the whole scene (117 s of the scene clock) quick.
    Emulation("soft");
    ASSERT_EQ(Run("4 MENU", std::string(kVirtual) + " WYN_SCREENSHOT_EVERY=400"), 0);
    const std::vector<std::string> trace = Lines(this->trace);
    EXPECT_EQ(Starting(trace, "engine 1 5000").size(), 1u);
    EXPECT_EQ(Starting(trace, "snow "), std::vector<std::string>{"snow 4800 200"});
    EXPECT_EQ(Starting(trace, "segment ").size(), 3u);
    EXPECT_EQ(Starting(trace, "segment 102000 t ").size(), 1u);
    EXPECT_EQ(Starting(trace, "scene end"), std::vector<std::string>{"scene end click 0 close 0"});
    // Flakes: small white spots in the night sky of the view (240 x 160 at (80, 60)).
    int most = 0;
    for (const std::string& path : Shots()) {
        Png p;
        if (ReadPng(path, &p) && p.w == 800) most = std::max(most, Bright(p, 200, 320, 220));
    }
    EXPECT_GT(most, 10) << Shots().size() << " shots";
    EXPECT_EQ(HostNotes(true), "[ MENU] {MENU} demo 0\n");
}

struct NightCase {
    const char* digit;
    const char* what;
};
const NightCase kNight[] = {{"0", "NightTour"},      {"1", "NightSpiral"}, {"2", "Approach"},
                            {"3", "SecondApproach"}, {"4", "Snow"},        {"5", "Wallpapers"}};

class NightRealWindow : public TokyoRun, public ::testing::WithParamInterface<NightCase> {};

TEST_P(NightRealWindow, ShowsTheSceneUntilAClick) {
    if (std::system("command -v xvfb-run >/dev/null") != 0) GTEST_SKIP() << "no xvfb-run";
    program = "wyndemob";
    const NightCase& c = GetParam();
    ASSERT_EQ(Run(c.digit,
                  "WYN_CLOCK=virtual WYN_BACKEND=sdl WYN_WINDOWS_DIR='" + run + "/windows'" +
                      Replay("6000 down 700 100\n6100 up 700 100\n"),
                  "xvfb-run -a -s '-screen 0 1280x1024x24'"),
              0);
    const std::vector<std::string> trace = Lines(this->trace);
    EXPECT_EQ(Starting(trace, "scene end"), std::vector<std::string>{"scene end click 1 close 0"});
    Png last;
    ASSERT_TRUE(ReadPng(shot, &last));
    ASSERT_EQ(last.w, 800);
    if (std::string(c.digit) == "5") {
        EXPECT_EQ(Bright(last, 0), 0) << "black after the fade";
        EXPECT_EQ(Starting(trace, "paper").size(), 1u);
    } else {
        // The night airport fills the view: its sky and ground above black, its lights.
        EXPECT_GT(Bright(last, 8), 100000);
        if (std::string(c.digit) == "4") {
            EXPECT_GT(Bright(last, 200), 10) << "snow flakes";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, NightRealWindow, ::testing::ValuesIn(kNight),
                         [](const auto& info) { return std::string(info.param.what); });

// The two cockpit approaches seen from the cockpit, every 100 frames (1.1 s of the scene clock):
// 5.5 s before touch-down, 50 m up, the runway lies ahead in the middle of the view below the
// horizon (client rows from 280); at touch-down and 3.4 s into the roll it lies under the
// view's bottom middle. The second approach (the airport turned and moved) lands on runway
// 34L's centre line, so the runway fills the bottom rows on both sides alike; the first lands
// on runway 22, right of its centre line and 8 degrees across it.
struct ApproachCase {
    const char* digit;
    const char* what;
    bool centred;
};
const ApproachCase kApproach[] = {{"2", "FirstLandsOnRunway22", false},
                                  {"3", "SecondLandsOnTheCentreLineOf34L", true}};

class CockpitApproach : public TokyoRun, public ::testing::WithParamInterface<ApproachCase> {};

TEST_P(CockpitApproach, TheRunwayLiesAheadThenUnderTheWheels) {
    program = "wyndemob";
    const ApproachCase& c = GetParam();
    Emulation("hard");
    // The full view over 105 s of the scene clock; a loaded machine runs it slowly.
    ASSERT_EQ(
        Run(c.digit, std::string(kVirtual) + " WYN_SCREENSHOT_EVERY=100" + Replay("96000 close\n"),
            "", 400),
        0);
    const std::vector<SceneSegment> segs = SceneSegments(Lines(trace));
    ASSERT_EQ(segs.size(), 2u) << "the run ends in the roll";
    ASSERT_GE(segs[1].t, 3400);
    Png shot;
    const std::string ahead = Numbered(ShotAt(segs, 0, 94500, 100));
    ASSERT_TRUE(ReadPng(ahead, &shot)) << ahead;
    ASSERT_EQ(shot.w, 800);
    EXPECT_GT(Share(shot, 360, 440, 280, 540, NightRunway), 0.15) << ahead << ": the runway ahead";
    for (int ms : {1200, 3400}) {
        const std::string path = Numbered(ShotAt(segs, 1, ms, 100));
        ASSERT_TRUE(ReadPng(path, &shot)) << path;
        EXPECT_GT(Share(shot, 240, 560, 440, 540, NightRunway), 0.6)
            << path << ": the runway under the wheels, " << ms << " ms after touch-down";
        if (!c.centred) continue;
        const double left = Share(shot, 80, 240, 440, 540, NightRunway);
        const double right = Share(shot, 560, 720, 440, 540, NightRunway);
        EXPECT_GT(left, 0.45) << path << ": on the centre line, " << ms << " ms";
        EXPECT_GT(right, 0.45) << path << ": on the centre line, " << ms << " ms";
        EXPECT_NEAR(left, right, 0.1) << path << ": on the centre line, " << ms << " ms";
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, CockpitApproach, ::testing::ValuesIn(kApproach),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
