// wyndemoa run as a user runs it: headless on the virtual clock in a program folder of its own
// (the real stand-by program, and a stand-in "vsk33" and "wyndemoc" that note their command
// lines), a scene run out or cut by a click or the close box, the hand-back after the window is
// gone, a second instance, the full view's caption and frame-rate line; and every scene in a
// real window under a display of its own. Every run is bounded; a failing run prints its exit
// code, its time and the ends of its trace and messages.
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

#include "../common/png_read.h"
#include "../common/run_folder.h"
#include "../common/run_text.h"
#include "../common/wait_for.h"
#include "scene_shots.h"

namespace fs = std::filesystem;

namespace {

class DemoRun : public RunFolderTest {
  protected:
    DemoRun() : RunFolderTest(true) {}
    void SetUp() override {
        RunFolderTest::SetUp();
        if (HasFatalFailure()) return;
        setenv("WYN_RUNTIME_DIR", run.c_str(), 1);
        LinkProgramFolder(binDir, folder,
                          {"port", "etc", "demo", "airplane", "standby", "standby.bmp"});
        for (const char* stand : {"vsk33", "wyndemoc"})
            fs::create_symlink(DEMO_TEST_CHILD, folder + "/" + stand);
    }
    void TearDown() override {
        if (HasFailure()) Diagnose();
    }
    // The engine ini file's EMULATION value; nullptr: no [MODE] section.
    void Emulation(const char* value) {
        std::ofstream f(folder + "/krn2.ini");
        f << "[DRIVER]\nDRV=drv_pasu.dll\nLGT=lgt_pasu.dll\nACC=acc_dexo.dll\n";
        if (value) f << "[MODE]\nEMULATION=" << value << "\n";
    }
    void Write(const std::string& name, const std::string& text) const {
        std::ofstream(run + "/" + name) << text;
    }
    // Replayed input for wyndemoa alone (the programs it starts inherit the setting): the file
    // is <run>/wyndemoa-<tag>.replay.
    std::string Replay(const std::string& tag, const std::string& text) const {
        Write("wyndemoa-" + tag + ".replay", text);
        return " WYN_REPLAY='" + run + "/%p-" + tag + ".replay'";
    }
    // `bound`: the seconds the run may take at most (real time).
    std::string Command(const std::string& env, const std::string& args, const std::string& tag,
                        int bound = 150) {
        trace = run + "/" + tag + ".trace";
        err = run + "/" + tag + ".err";
        log = run + "/process.log";
        return "cd '" + folder + "' && env -u WYN_HEADLESS WYN_PROGRAM_DIR='" + folder +
               "' WYN_DEMO_TRACE='" + trace + "' WYN_PROCESS_LOG='" + log + "' " + env +
               " timeout " + std::to_string(bound) + " '" + binDir + "/wyndemoa' " + args + " 2>'" +
               err + "'";
    }
    int Run(const std::string& env, const std::string& args, const std::string& tag) {
        const double t0 = Seconds();
        const int status = std::system(Command(env, args, tag).c_str());
        elapsed = Seconds() - t0;
        rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return rc;
    }
    void Start(const std::string& env, const std::string& args, const std::string& tag) {
        rcFile = run + "/" + tag + ".rc";
        const std::string cmd = "(" + Command(env, args, tag) + "; echo $? > '" + rcFile + "') &";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    int Finished() {
        if (!WaitFor([&] { return fs::exists(rcFile) && fs::file_size(rcFile) > 0; }, 150000))
            return -1;
        return std::stoi(Lines(rcFile).at(0));
    }
    // The stand-in's notes, once the stand-by window is gone (it launches before it goes).
    std::vector<std::string> Child() {
        WaitFor([] { return !FindWindowA("STANDBY", nullptr); }, 20000);
        return Lines(run + "/child.txt");
    }
    std::vector<std::string> TraceLines() const { return Lines(trace); }
    void Diagnose() const {
        std::fprintf(stderr,
                     "run: exit %d after %.1f s in %s\n  trace (end):\n%s  stderr (end):\n%s", rc,
                     elapsed, run.c_str(), Tail(trace).c_str(), Tail(err).c_str());
        std::fprintf(stderr, "  child notes:\n%s  process log:\n%s",
                     Tail(run + "/child.txt").c_str(), Tail(log).c_str());
    }
    std::string trace, err, log, rcFile;
    int rc = -2;
    double elapsed = 0;
};

// The hand-backs of a trace, without StandBy_Start's result: on the virtual clock its 3000 ms
// may pass before the stand-by program (real time) has its window; StandBy_Send then finds it.
std::vector<std::string> HandBacks(const std::vector<std::string>& trace) {
    std::vector<std::string> out;
    for (const std::string& l : Starting(trace, "handback ")) out.push_back(l.substr(l.find('[')));
    return out;
}

const std::string kHeadless = "WYN_HEADLESS=1 WYN_CLOCK=virtual";
// Numbered screenshots of the demo window every 200 frames (the sound library's hidden window
// is the program's first).
const std::string kShots = " WYN_SCREENSHOT_WINDOW=Wynmoor WYN_SCREENSHOT_EVERY=200";

TEST_F(DemoRun, DaytimeTourRunsToItsEndInTheSmallViewAndHandsBack) {
    Emulation("soft");
    ASSERT_EQ(Run(kHeadless, "0 MENU", "demo1"), 0);
    const std::vector<std::string> t = TraceLines();
    EXPECT_EQ(Starting(t, "view "), std::vector<std::string>{"view 1 80 60 320 220"});
    EXPECT_EQ(Starting(t, "engine "), std::vector<std::string>{"engine 1 5000"});
    const std::vector<std::string> segments = Starting(t, "segment ");
    ASSERT_EQ(segments.size(), 5u);
    const int lengths[] = {20000, 14000, 40000, 30000, 16000};
    for (size_t i = 0; i < 5; ++i) {
        int length = 0, at = 0, frames = 0;
        char how[16] = {};
        ASSERT_EQ(std::sscanf(segments[i].c_str(), "segment %d t %d frames %d %15s", &length, &at,
                              &frames, how),
                  4)
            << segments[i];
        EXPECT_EQ(length, lengths[i]);
        EXPECT_GE(at, length);
        EXPECT_STREQ(how, "ran") << segments[i];
        // At least 10 ms of sleep and 1 ms of clock per frame: no more frames than that allows.
        EXPECT_LE(frames, length / 11 + 1) << segments[i];
        EXPECT_GT(frames, 0);
    }
    EXPECT_EQ(Starting(t, "scene end"), std::vector<std::string>{"scene end click 0 close 0"});
    EXPECT_EQ(HandBacks(t), std::vector<std::string>{"[vsk33.exe] [MENU]"});
    EXPECT_EQ(Starting(t, "send "), std::vector<std::string>{"send 1"});
    // The script host got " MENU", and wyndemoa's window was gone when it started.
    EXPECT_EQ(Child(), std::vector<std::string>{"[ MENU] {MENU} demo 0"});
}

TEST_F(DemoRun, AClickEndsTheSceneAtOnceAndHandsBack) {
    Emulation("soft");
    ASSERT_EQ(Run(kHeadless + Replay("click", "3000 click 400 300\n"), "1 @wyndemoc", "click"), 0);
    const std::vector<std::string> t = TraceLines();
    const std::vector<std::string> segments = Starting(t, "segment ");
    ASSERT_EQ(segments.size(), 1u) << "the later segments are skipped";
    EXPECT_NE(segments[0].find("stopped"), std::string::npos) << segments[0];
    EXPECT_EQ(Starting(t, "scene end"), std::vector<std::string>{"scene end click 1 close 0"});
    EXPECT_EQ(HandBacks(t), std::vector<std::string>{"[wyndemoc] []"});
    EXPECT_EQ(Child(), std::vector<std::string>{"[ ] {} demo 0"});
}

TEST_F(DemoRun, TheCloseBoxAloneHandsBackNothingAClickBeforeItDoes) {
    Emulation("soft");
    ASSERT_EQ(Run(kHeadless + Replay("close", "3000 close\n3500 close\n"), "2 MENU", "close"), 0);
    std::vector<std::string> t = TraceLines();
    EXPECT_EQ(Starting(t, "scene end"), std::vector<std::string>{"scene end click 0 close 1"});
    EXPECT_TRUE(Starting(t, "handback").empty());
    EXPECT_TRUE(Starting(t, "send").empty());
    EXPECT_TRUE(Child().empty());

    // A click, then the close box during the scene's last second and twice more while the
    // closing waits for the stand-by window.
    ASSERT_EQ(Run(kHeadless + Replay("both",
                                     "3000 click 100 100\n3005 close\n4030 close\n"
                                     "4060 close\n"),
                  "2 MENU", "both"),
              0);
    t = TraceLines();
    EXPECT_EQ(HandBacks(t), std::vector<std::string>{"[vsk33.exe] [MENU]"})
        << "the closing runs once";
    EXPECT_EQ(Child(), std::vector<std::string>{"[ MENU] {MENU} demo 0"});
}

TEST_F(DemoRun, NoSceneForAnotherCharacterStillHandsBack) {
    for (const char* args : {"9 X", ""}) {
        fs::remove(run + "/child.txt");
        ASSERT_EQ(Run(kHeadless, args, "none"), 0) << args;
        const std::vector<std::string> t = TraceLines();
        EXPECT_TRUE(Starting(t, "engine").empty()) << args;
        EXPECT_EQ(Starting(t, "scene end"), std::vector<std::string>{"scene end click 0 close 0"});
        if (std::string(args) == "9 X")
            EXPECT_EQ(Child(), std::vector<std::string>{"[ X] {X} demo 0"});
        else
            EXPECT_TRUE(Child().empty()) << "no return line: no hand-back";
        fs::remove(trace);
    }
}

TEST_F(DemoRun, TheOlderSoundLibraryServesTheDemo) {
    // Its hidden window is the one the older generation makes, and no other sound library's.
    ASSERT_EQ(Run(kHeadless + " WYN_LOG_WINDOWS=1", "9 X", "sound"), 0);
    std::string windows;
    for (const std::string& l : Starting(Lines(err), "wyn: window ")) windows += l + "\n";
    EXPECT_NE(windows.find("(class TOV32)"), std::string::npos) << windows;
    EXPECT_EQ(windows.find("(class TOV40)"), std::string::npos) << windows;
}

TEST_F(DemoRun, WithoutDriversTheSceneEndsAtOnceAndHandsBack) {
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().extension() == ".dll") fs::remove(e.path());
    ASSERT_EQ(Run(kHeadless + " WYN_MSGBOX_ANSWERS=1,1,1", "0 MENU", "nodrivers"), 0);
    const std::vector<std::string> t = TraceLines();
    EXPECT_EQ(Starting(t, "engine "), std::vector<std::string>{"engine 0"});
    EXPECT_TRUE(Starting(t, "segment").empty());
    EXPECT_EQ(Child(), std::vector<std::string>{"[ MENU] {MENU} demo 0"});
}

TEST_F(DemoRun, ASecondProgramEndsWith255AndTheFirstRunsOn) {
    Emulation("soft");
    // The first runs on the real clock and stands until the test clicks into it, however long
    // the second takes to start on a loaded machine.
    Start("WYN_HEADLESS=1", "1", "first");
    HWND first = nullptr;
    ASSERT_TRUE(
        WaitFor([&] { return (first = FindWindowA("WYN2WYNDEMOA", nullptr)) != nullptr; }, 60000))
        << "the first program's window";
    const std::string firstTrace = trace;
    EXPECT_EQ(Run(kHeadless, "0 MENU", "second"), 255);
    EXPECT_TRUE(Lines(trace).empty()) << "the second ends before anything else";
    trace = firstTrace;
    EXPECT_TRUE(IsWindow(first)) << "the first runs on";
    PostMessageA(first, WM_LBUTTONDOWN, 0, MAKELPARAM(400, 300));
    EXPECT_EQ(Finished(), 0);
    EXPECT_EQ(Starting(TraceLines(), "scene end"),
              std::vector<std::string>{"scene end click 1 close 0"});
    EXPECT_TRUE(Child().empty());
}

TEST_F(DemoRun, FullViewShowsTheCaptionAndTheFrameRateLine) {
    Emulation("hard");
    const std::string shot = run + "/shot.png";
    ASSERT_EQ(Run(kHeadless + Replay("full", "9000 click 700 100\n") + kShots +
                      " WYN_SCREENSHOT='" + shot + "'",
                  "0", "full"),
              0);
    const std::vector<std::string> t = TraceLines();
    EXPECT_EQ(Starting(t, "view "), std::vector<std::string>{"view 0 80 60 720 540"});
    EXPECT_EQ(Starting(t, "caption "), std::vector<std::string>{"caption 1"});
    const std::vector<std::string> info = Starting(t, "info ");
    ASSERT_GT(info.size(), 2u);
    EXPECT_EQ(info[0].rfind("info 1000 ", 0), 0u) << info[0] << ": the first line shows 1000";
    // Frame 600 is at about 7 s of segment 1: the caption shows.
    const std::string numbered = run + "/shot-00003.png";
    ASSERT_TRUE(fs::exists(numbered));
    Png img;
    ASSERT_TRUE(ReadPng(numbered, &img)) << numbered;
    ASSERT_EQ(img.w, 800);
    ASSERT_EQ(img.h, 600);
    // The caption's gold frame at client (100, 440), its dark ground inside.
    const uint32_t corner = img.At(101, 441);
    EXPECT_GT((corner >> 16) & 0xFF, 0xC0u) << std::hex << corner;
    EXPECT_GT((corner >> 8) & 0xFF, 0xA0u) << std::hex << corner;
    EXPECT_LT(corner & 0xFF, 0x60u) << std::hex << corner;
    const uint32_t inside = img.At(110, 496);
    EXPECT_LT((inside >> 16) & 0xFF, 0x40u) << std::hex << inside;
    // The frame-rate line: grey text on black at (340, 560)-(800, 580).
    int grey = 0;
    for (int y = 560; y < 580; ++y)
        for (int x = 340; x < 800; ++x)
            if (img.At(x, y) == 0x808080u) ++grey;
    EXPECT_GT(grey, 100) << "the frame-rate line";
    // The airport fills the view.
    int lit = 0;
    for (int y = 60; y < 540; y += 8)
        for (int x = 80; x < 720; x += 8)
            if (img.At(x, y) != 0) ++lit;
    EXPECT_GT(lit, 3000) << "the 3D view";
}

// Every scene in a real window on a display of its own, cut by a click at a moment of the
// virtual clock; the picture checked is the window as it looked then (the screenshot at exit):
// the airport in the view, and what each scene adds.
struct RealCase {
    const char* digit;
    int clickms;
    const char* name;
};
// The fleet review's click at 36.4 s falls late in round 3 (t about 9100 of 10000), when entry 1
// in the front slot flies past the camera: for most of a round the aircraft are dots 2 to 5 km
// off, and from about t 9500 on the front one is beside the camera, out of the view.
const RealCase kReal[] = {
    {"0", 6000, "DaytimeTour"}, {"1", 6000, "Spiral"},        {"2", 6000, "TimeLapse"},
    {"3", 6000, "EveningTour"}, {"4", 6000, "EveningSpiral"}, {"5", 36400, "FleetReview"},
};

// One "segment <length> t <t> frames <n> ran|stopped" line.
struct Segment {
    int length = 0, t = 0, frames = 0;
    std::string how;
};
Segment ParseSegment(const std::string& line) {
    Segment s;
    char how[16] = {};
    if (std::sscanf(line.c_str(), "segment %d t %d frames %d %15s", &s.length, &s.t, &s.frames,
                    how) == 4)
        s.how = how;
    return s;
}

// The fleet review's aircraft: white and grey bodies, under the review's dusk lights, where the
// sky is red and the ground green.
bool AircraftColoured(uint32_t p) {
    const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
    const int hi = std::max({r, g, b}), lo = std::min({r, g, b});
    return hi > 0x70 && hi - lo < 0x30;
}

// The pixels of the 3D view, the staff tile's rectangle left out, that are aircraft-coloured in
// `now` and were not in `before`: what the scenery (the sky turns, the rest stands) does not
// explain.
int NewAircraftPixels(const Png& now, const Png& before) {
    // The view is client (80, 60)-(720, 540); the tile is 196 x 168 at view (384, 284).
    int n = 0;
    for (int y = 60; y < 540; ++y)
        for (int x = 80; x < 720; ++x) {
            if (x >= 464 && x < 660 && y >= 344 && y < 512) continue;
            n += AircraftColoured(now.At(x, y)) && !AircraftColoured(before.At(x, y));
        }
    return n;
}

class DemoRealWindow : public DemoRun, public ::testing::WithParamInterface<RealCase> {};

TEST_P(DemoRealWindow, ShowsTheAirport) {
    if (std::system("command -v xvfb-run >/dev/null") != 0) GTEST_SKIP() << "no xvfb-run";
    const RealCase& c = GetParam();
    Emulation("hard");
    const std::string tag = std::string("real") + c.digit;
    const std::string shot = run + "/" + tag + ".png";
    const bool review = std::string(c.digit) == "5";
    // In a real window the virtual clock also moves on while every thread waits outside the
    // layer (for the X server's answers), so on a loaded machine the review reaches its rounds
    // later on the clock than on an idle one. A review click that missed the front aircraft's
    // pass is aimed again once, by the scene time the first run measured.
    int clickms = c.clickms;
    std::vector<std::string> t;
    for (int attempt = 0; attempt < 2; ++attempt) {
        fs::remove(run + "/" + tag + ".trace");
        const std::string env = "WYN_CLOCK=virtual" +
                                Replay(tag, std::to_string(clickms) + " click 700 100\n") + kShots +
                                " WYN_SCREENSHOT='" + shot + "'";
        // A loaded machine runs the same virtual time more slowly: a generous bound.
        const std::string cmd = "xvfb-run -a -s '-screen 0 1280x1024x24' sh -c \"" +
                                Command(env, c.digit, tag, 300) + "\"";
        const double t0 = Seconds();
        const int status = std::system(cmd.c_str());
        elapsed = Seconds() - t0;
        rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        ASSERT_EQ(rc, 0);
        t = TraceLines();
        if (!review) break;
        // The scene time of the click: the rounds that ran and the part of the one it stopped.
        int at = 0, stopped = -1;
        const std::vector<std::string> lines = Starting(t, "segment ");
        for (size_t n = 0; n < lines.size(); ++n) {
            const Segment s = ParseSegment(lines[n]);
            at += s.t;
            if (s.how == "stopped") stopped = static_cast<int>(n);
        }
        const int aim = 3 * 10000 + 9150;
        if (stopped == 3 && std::abs(at - aim) <= 250) break;
        clickms += aim - at;
    }
    EXPECT_EQ(Starting(t, "engine 1").size(), 1u);
    EXPECT_EQ(Starting(t, "scene end"), std::vector<std::string>{"scene end click 1 close 0"});
    Png img;
    ASSERT_TRUE(ReadPng(shot, &img)) << shot;
    ASSERT_EQ(img.w, 800);
    ASSERT_EQ(img.h, 600);
    int lit = 0;
    for (int y = 60; y < 540; y += 4)
        for (int x = 80; x < 720; x += 4) lit += img.At(x, y) != 0;
    EXPECT_GT(lit, 15000) << shot << ": the airport fills the view";
    if (std::string(c.digit) == "2") {
        EXPECT_EQ(Starting(t, "clouds "), std::vector<std::string>{"clouds 1"});
    }
    if (std::string(c.digit) == "5") {
        // Where the click stopped the review, by the trace: rounds 0 to 2 ran, round 3 stopped
        // while its front aircraft was in the view and near.
        const std::vector<std::string> lines = Starting(t, "segment ");
        ASSERT_EQ(lines.size(), 4u);
        for (size_t n = 0; n < 3; ++n) EXPECT_EQ(ParseSegment(lines[n]).how, "ran") << lines[n];
        const Segment stop = ParseSegment(lines[3]);
        ASSERT_EQ(stop.how, "stopped") << lines[3];
        ASSERT_GE(stop.t, 8700) << lines[3] << ": the front aircraft is still far";
        ASSERT_LE(stop.t, 9400) << lines[3] << ": the front aircraft has passed the camera";
        EXPECT_EQ(Starting(t, "ship "),
                  (std::vector<std::string>{"ship 0 1", "ship 1 2", "ship 2 3"}));
        int name = 0;
        for (int y = 30; y < 50; ++y)
            for (int x = 80; x < 580; ++x) name += img.At(x, y) == 0xFFFFFFu;
        EXPECT_GT(name, 50) << shot << ": the front aircraft's name";
        // The staff tile's gold frame at view (384, 284), client (464, 344).
        const uint32_t tile = img.At(465, 345);
        EXPECT_GT((tile >> 16) & 0xFF, 0xC0u) << std::hex << tile << ": the staff tile";
        EXPECT_LT(tile & 0xFF, 0x60u) << std::hex << tile << ": the staff tile";
        // The aircraft in front, against the first numbered shot (frame 200, in round 0, when
        // every slot is empty): the middle and back aircraft, far off, make a few dozen pixels,
        // the front one as it nears the camera several hundred.
        ASSERT_GT(ParseSegment(lines[0]).frames, 400) << lines[0];
        const std::string empty = run + "/" + tag + "-00001.png";
        Png before;
        ASSERT_TRUE(ReadPng(empty, &before)) << empty;
        ASSERT_EQ(before.w, 800);
        ASSERT_EQ(before.h, 600);
        EXPECT_GT(NewAircraftPixels(img, before), 250) << shot << ": the aircraft in front";
    }
}

// The daytime tour's third segment (40 s eastward, looking north) in the full view, every 400
// frames (4.4 s of the scene clock): the terminal's long front stands across a quarter of the view
// at least along the horizon (client rows 285-345) all the way, and the runway or the taxiways
// pass below it, at some moment over a fifth of the ground (client rows 300-540).
TEST_F(DemoRun, TheDaytimeTourLooksAcrossTheRunwaysAtTheTerminal) {
    Emulation("hard");
    const std::string env = kHeadless + Replay("tour", "75000 close\n") +
                            " WYN_SCREENSHOT_WINDOW=Wynmoor WYN_SCREENSHOT_EVERY=400"
                            " WYN_SCREENSHOT='" +
                            run + "/tour.png'";
    // The full view over 75 s of the scene clock; a loaded machine runs it slowly.
    const double t0 = Seconds();
    const int status = std::system(Command(env, "0", "tour", 400).c_str());
    elapsed = Seconds() - t0;
    rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ASSERT_EQ(rc, 0);
    const std::vector<SceneSegment> segs = SceneSegments(TraceLines());
    ASSERT_GE(segs.size(), 3u);
    ASSERT_EQ(segs[2].t, 40007) << "the third segment ran out";
    double asphalt = 0;
    for (int ms = 5000; ms <= 35000; ms += 5000) {
        char name[32];
        std::snprintf(name, sizeof name, "/tour-%05d.png", ShotAt(segs, 2, ms, 400));
        Png shot;
        ASSERT_TRUE(ReadPng(run + name, &shot)) << name;
        ASSERT_EQ(shot.w, 800);
        int columns = 0;
        for (int x = 80; x < 720; ++x) {
            int n = 0;
            for (int y = 285; y < 345; ++y) n += DayBuilding(shot.At(x, y));
            columns += n >= 3;
        }
        EXPECT_GT(columns, 640 / 4) << name << " (" << ms << " ms): the terminal across the view";
        asphalt = std::max(asphalt, Share(shot, 80, 720, 300, 540, DayAsphalt));
    }
    EXPECT_GT(asphalt, 0.2) << "the runway and the taxiways below the terminal";
}

// The fleet review's fourth round (its front slot holds entry 2, the A320; the first three
// rounds' front slots are empty) headless on the virtual clock, every 20 frames: as the front
// aircraft passes the camera (t 9100 of 10000, 150 m off) it spans a sixth of the view's width
// at least, beside what stood there at the round's start (t 2000, the aircraft 2 km off).
TEST_F(DemoRun, TheFleetReviewsAircraftFillTheViewAsTheyPass) {
    Emulation("hard");
    const std::string env = kHeadless + Replay("fleet", "47000 close\n") +
                            " WYN_SCREENSHOT_WINDOW=Wynmoor WYN_SCREENSHOT_EVERY=20"
                            " WYN_SCREENSHOT='" +
                            run + "/fleet.png'";
    const double t0 = Seconds();
    const int status = std::system(Command(env, "5", "fleet", 400).c_str());
    elapsed = Seconds() - t0;
    rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ASSERT_EQ(rc, 0);
    const std::vector<SceneSegment> segs = SceneSegments(TraceLines());
    ASSERT_GE(segs.size(), 5u);
    ASSERT_GE(segs[4].t, 9100) << "the fourth round ran past the pass";
    Png start, pass;
    char name[32];
    std::snprintf(name, sizeof name, "/fleet-%05d.png", ShotAt(segs, 4, 2000, 20));
    ASSERT_TRUE(ReadPng(run + name, &start)) << name;
    std::snprintf(name, sizeof name, "/fleet-%05d.png", ShotAt(segs, 4, 9100, 20));
    ASSERT_TRUE(ReadPng(run + name, &pass)) << name;
    ASSERT_EQ(pass.w, 800);
    int left = 720, right = 0;
    for (int y = 60; y < 540; ++y)
        for (int x = 80; x < 720; ++x) {
            if (x >= 464 && x < 660 && y >= 344 && y < 512) continue;  // the staff tile
            if (AircraftColoured(pass.At(x, y)) && !AircraftColoured(start.At(x, y))) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    EXPECT_GT(right - left, 640 / 6)
        << name << ": the aircraft in front spans " << left << " to " << right;
}

INSTANTIATE_TEST_SUITE_P(Scenes, DemoRealWindow, ::testing::ValuesIn(kReal),
                         [](const ::testing::TestParamInfo<RealCase>& i) { return i.param.name; });

}  // namespace
