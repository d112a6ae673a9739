// wyntower on the sample stages: the clock stage runs its hour and clears on the time-over
// bonus alone, the traffic stage warns once about the aircraft it names but never created, and
// its parked aircraft stand at their gates in the 3D view (headless, and in a real window); the
// movement stage lands, parks and sends off its two aircraft by their phases, in the order of
// the expected trace move_flow.golden.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../../common/png_read.h"
#include "../../common/run_folder.h"
#include "standby_client.h"
#include "../program_run.h"

namespace fs = std::filesystem;

namespace {

using programrun::Count;
using programrun::MonotonicMs;
using programrun::ReadText;
using programrun::Tail;

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

class StageRun : public RunFolderTest {
  protected:
    void SetUp() override {
        RunFolderTest::SetUp();
        if (HasFatalFailure()) return;
        // A program folder of the run's own (the stage ini is written there): everything of the
        // program folder linked but the stages, which are made anew, one without its parked
        // aircraft (and the plan record for one of them) beside the samples.
        // A stage that ends by itself hands over to the script host: the tests' stand-in,
        // released at the test's end.
        programrun::MakeProgramFolder(binDir, folder);
        programrun::PutScriptHostStandIn(folder, GAME_STANDIN_PATH);
        const std::string stages = WYN_STAGE_SOURCES "/rjtt";
        fs::create_directories(run + "/stages/rjtt");
        std::istringstream traffic(ReadText(stages + "/traffic.stage"));
        std::ofstream apron(run + "/stages/rjtt/apron.stage");
        for (std::string line; std::getline(traffic, line);)
            if (line.rfind("park ", 0) != 0 && line.rfind("plan ", 0) != 0) apron << line << "\n";
        apron.close();
        const std::string make = "'" + binDir + "/stagemake' '" + folder + "' '" + stages +
                                 "/clock.stage' '" + stages + "/traffic.stage' '" + stages +
                                 "/move.stage' '" + run + "/stages/rjtt/apron.stage'";
        ASSERT_EQ(std::system(make.c_str()), 0);
    }
    // The stand-in script host released, the stand-by window that launched it closed.
    void TearDown() override {
        programrun::ReleaseScriptHostStandIn(folder, "rjtt");
        setenv("WYN_RUNTIME_DIR", (run + "/rt").c_str(), 1);
        StandBy_End();
    }
    // Runs `wyntower rjtt <stage>` (after `wrap`, a command that runs the rest) with `env`,
    // for at most `seconds`; its exit code. The trace, the boxes and stderr are kept. Each run has
    // a runtime folder of its own, or a game of a test beside it would count as the one already
    // running.
    int Run(const std::string& wrap, const std::string& env, const std::string& stage,
            int seconds = 100) {
        const std::string tag = run + "/" + stage;
        const std::string cmd =
            "cd '" + folder + "' && " + wrap + " env -u WYN_HEADLESS WYN_PROGRAM_DIR='" + folder +
            "' WYN_RUNTIME_DIR='" + run +
            "/rt' WYN_CLOCK=virtual WYN_GAME_FRAME_MS=33 WYN_LOG_WINDOWS=1 "
            "WYN_GAME_TRACE='" +
            tag + ".trace' WYN_MSGBOX_LOG='" + tag + ".boxes' " + env + " timeout " +
            std::to_string(seconds) + " '" + binDir + "/wyntower' rjtt " + stage + " >'" + tag +
            ".out' 2>'" + tag + ".err'";
        const long start = MonotonicMs();
        const int status = std::system(cmd.c_str());
        const long took = MonotonicMs() - start;
        trace = ReadText(tag + ".trace");
        boxes = ReadText(tag + ".boxes");
        err = ReadText(tag + ".err");
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        // A run cut by its time limit (124) shows how far it came: its real time and the ends
        // of its trace and its messages.
        if (code != 0)
            err = "run of " + std::to_string(took) + " ms real time, exit " + std::to_string(code) +
                  "\n--- trace, last lines:\n" + Tail(trace) + "--- stderr, last lines:\n" +
                  Tail(err);
        return code;
    }
    // The 3D view (docked at (0, 200), 800 x 200) of a run that closes itself after 1.5 s.
    Png View(const std::string& wrap, const std::string& env, const std::string& stage) {
        std::ofstream(run + "/close.replay") << "1500 close\n";
        Png shot;
        const std::string png = run + "/" + stage + ".png";
        EXPECT_EQ(Run(wrap,
                      env + " WYN_MSGBOX_ANSWERS=6 WYN_REPLAY='" + run +
                          "/close.replay' WYN_SCREENSHOT='" + png + "'",
                      stage),
                  0)
            << err;
        EXPECT_TRUE(ReadPng(png, &shot)) << png << "\n" << err;
        return shot;
    }
    // The pixels of the 3D view in which two screenshots differ.
    static int ViewDifference(const Png& a, const Png& b) {
        if (a.w != 800 || b.w != 800 || a.h != 600 || b.h != 600) return -1;
        int n = 0;
        for (int y = 200; y < 400; ++y)
            for (int x = 0; x < 800; ++x) n += a.At(x, y) != b.At(x, y);
        return n;
    }
    std::string trace, boxes, err;
};

TEST_F(StageRun, TheClockStageClearsOnItsOwnAfterItsHour) {
    ASSERT_EQ(Run("", "WYN_HEADLESS=1", "clock"), 0) << err;
    // The start records ran under the timetable's title step; the end record is record 0.
    EXPECT_NE(err.find(U8(u8"<タイムテーブル-0 0>")), std::string::npos) << err;
    EXPECT_NE(trace.find("record 0 -1\n"), std::string::npos) << trace.substr(0, 400);
    // 09:59 shows 10:00 after 601 world ticks (banner frames bring none), never 09:60; the
    // stage ends in that frame, cleared (0x6f).
    const size_t clock = trace.find("clock 1000\n");
    ASSERT_NE(clock, std::string::npos);
    EXPECT_EQ(Count(trace, "clock "), 1);
    int ticks = 0;
    std::istringstream lines(trace);
    std::string last;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("frame ", 0) != 0) continue;
        std::istringstream w(line);
        std::string word;
        int value = 0;
        while (w >> word)
            if (word == "ticks" && w >> value) ticks += value;
        last = line;
        if (lines.tellg() > std::streamoff(clock)) break;
    }
    EXPECT_EQ(ticks, 601);
    EXPECT_NE(last.find("state 111"), std::string::npos) << last;
    EXPECT_NE(trace.find("phase 1ff0"), std::string::npos);
    EXPECT_NE(trace.find("phase 0fff"), std::string::npos);
    // The time-over bonus, 2000 with no stress, beats the target 0.
    const std::string ini = ReadText(folder + "/stage/rjtt/clock.ini");
    EXPECT_NE(ini.find("highscore=2000"), std::string::npos) << ini;
    EXPECT_NE(ini.find("status=1"), std::string::npos) << ini;
    // The record's score code, in the ini and the trace.
    const size_t at = trace.find("highscore 2000 ");
    ASSERT_NE(at, std::string::npos);
    const std::string code = trace.substr(at + 15, 12);
    EXPECT_NE(ini.find("password=" + code), std::string::npos) << ini;
    // The result banner stays until the result music (about four seconds) has played.
    const size_t exit = trace.find("phase 1ff0");
    ASSERT_NE(exit, std::string::npos);
    EXPECT_GT(Count(trace.substr(clock, exit - clock), "\nframe "), 90);
}

TEST_F(StageRun, TheTrafficStageWarnsOnceAboutAnAircraftItNeverMade) {
    // Closed at 1 min 50 s, after the record 7 of 10:05; the warning is answered OK.
    std::ofstream(run + "/close.replay") << "110000 close\n";
    ASSERT_EQ(Run("", "WYN_HEADLESS=1 WYN_MSGBOX_ANSWERS=1,6 WYN_REPLAY='" + run + "/close.replay'",
                  "traffic"),
              0)
        << err;
    EXPECT_EQ(Count(boxes, U8(u8"ID(9)で指定された航空機は現在存在しません。")), 1) << boxes;
    EXPECT_EQ(Count(trace, " 6\n"), 4);  // the four parked aircraft at the start
    EXPECT_EQ(Count(trace, " 7\n"), 1);  // 10:05; the one of 10:10 comes after the close
    EXPECT_NE(trace.find("clock 1005\n"), std::string::npos);
    EXPECT_EQ(err.find("is not created"), std::string::npos) << err;
}

// A phase change of the trace, "phase <slot> <old> <new>", and the world tick it came in: the
// frame line before it gives the ticks run so far (`total`) and the ticks of the frame it is in.
struct PhaseChange {
    int slot, from, to;
    long tick;  // the first tick of its frame's update
    int ticks;  // the ticks of that update
};
std::vector<PhaseChange> PhaseChanges(const std::string& trace) {
    std::vector<PhaseChange> out;
    long total = 0;
    int ticks = 0;
    std::istringstream lines(trace);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream w(line);
        std::string word;
        w >> word;
        if (word == "frame") {
            // "frame <n> elapsed <ms> newticks <n> ticks <n> carry <ms> total <n> state <n>"
            std::string key;
            long value;
            w >> value;
            while (w >> key >> value) {
                if (key == "ticks") ticks = int(value);
                if (key == "total") total = value;
            }
        } else if (word == "phase") {
            PhaseChange c{};
            if (w >> c.slot >> c.from >> c.to) {
                c.tick = total + 1;
                c.ticks = ticks;
                out.push_back(c);
            }
        }
    }
    return out;
}
const PhaseChange* FindChange(const std::vector<PhaseChange>& changes, int from, int to) {
    for (const PhaseChange& c : changes)
        if (c.from == from && c.to == to) return &c;
    return nullptr;
}

TEST_F(StageRun, TheMovementStageLandsParksAndSendsOffItsDeparture) {
    // Twenty minutes of game time, 12,000 frames.
    ASSERT_EQ(Run("", "WYN_HEADLESS=1", "move", 280), 0) << err;
    const std::vector<PhaseChange> changes = PhaseChanges(trace);
    std::string listed;
    for (const PhaseChange& c : changes)
        listed += std::to_string(c.slot) + ": " + std::to_string(c.from) + " -> " +
                  std::to_string(c.to) + " at " + std::to_string(c.tick) + "\n";
    // The departure's roll from a standstill: 20 on the 403rd tick in 700.
    const PhaseChange* roll = FindChange(changes, 0, 700);
    const PhaseChange* lift = FindChange(changes, 700, 20);
    ASSERT_TRUE(roll && lift) << listed;
    EXPECT_EQ(roll->slot, lift->slot);
    EXPECT_NEAR(double(lift->tick - roll->tick + 1), 403.0, lift->ticks - 1 + roll->ticks - 1 + 0.5)
        << listed;
    // The arrival: landing, roll-out (200), and parked (500 -> 0) after the departure pushed
    // back.
    const PhaseChange* rollout = FindChange(changes, 400, 200);
    const PhaseChange* parked = FindChange(changes, 500, 0);
    ASSERT_TRUE(rollout && parked) << listed;
    EXPECT_EQ(rollout->slot, parked->slot);
    EXPECT_NE(rollout->slot, roll->slot);
    EXPECT_LT(rollout->tick, parked->tick);
    // No conflict ended the stage: it ran its hour and cleared on the spot bonus (100) and the
    // time-over bonus (2000); no request was raised.
    EXPECT_EQ(trace.find("state 79"), std::string::npos);
    EXPECT_EQ(trace.find("state a1"), std::string::npos);
    EXPECT_NE(trace.find("state 6f"), std::string::npos);
    const std::string ini = ReadText(folder + "/stage/rjtt/move.ini");
    EXPECT_NE(ini.find("highscore=2100"), std::string::npos) << ini << listed;
    // The whole flow, in order: the scripts loaded, every phase change of the two aircraft and
    // every change of their status words, against the expected trace (move_flow.golden). To
    // make it anew after a deliberate change, run the stage as above with WYN_GAME_TRACE=t.txt
    // and keep those lines: grep -E '^(phase [0-9]+ |status |script )' t.txt >
    // tests/game/simulation/move_flow.golden
    EXPECT_EQ(programrun::FlowLines(trace), ReadText(WYN_FLOW_GOLDEN))
        << "the flow differs from " WYN_FLOW_GOLDEN;
}

TEST_F(StageRun, TheMovementStageInARealWindow) {
    // A display of its own, so that the window is no other test's to find.
    if (std::system("command -v xvfb-run >/dev/null") != 0) GTEST_SKIP() << "no xvfb-run";
    const std::string wrap = "xvfb-run -a -s '-screen 0 1024x768x24'";
    // The camera follows the arrival (its strip clicked) down the final and along the taxiways,
    // the departure through its roll and lift-off, and the arrival again into its spot; closed
    // at 4 min 10 s. WYN_SCREENSHOT_EVERY=300 counts what the window and its child windows (the
    // view, the radar) present: about one shot every 100 game frames, some 75 in all. Drawing
    // 7,500 frames takes one to two minutes on an idle machine and several on a loaded one: the
    // run is bounded at nine.
    std::ofstream(run + "/close.replay") << "45000 click 130 575\n170000 click 560 575\n"
                                            "215000 click 130 575\n250000 close\n";
    ASSERT_EQ(
        Run(wrap,
            "WYN_BACKEND=sdl WYN_MSGBOX_ANSWERS=6 WYN_REPLAY='" + run +
                "/close.replay' WYN_SCREENSHOT='" + run + "/move.png' WYN_SCREENSHOT_EVERY=300",
            "move", 540),
        0)
        << err;
    const std::vector<PhaseChange> changes = PhaseChanges(trace);
    EXPECT_TRUE(FindChange(changes, 700, 20)) << Tail(trace);
    EXPECT_TRUE(FindChange(changes, 500, 0)) << Tail(trace);
    EXPECT_NE(trace.find("select 1 strip"), std::string::npos) << "the arrival followed";
    EXPECT_NE(trace.find("select 0 strip"), std::string::npos) << "the departure followed";
    std::vector<Png> shots;
    for (int n = 1;; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "/move-%05d.png", n);
        Png p;
        if (!ReadPng(run + name, &p)) break;
        shots.push_back(p);
    }
    ASSERT_GE(shots.size(), 20u) << err;
    // The view changes from shot to shot while the two aircraft move.
    int changed = 0;
    for (size_t i = 0; i + 1 < shots.size(); ++i)
        changed += ViewDifference(shots[i], shots[i + 1]) > 0;
    EXPECT_GT(changed, int(shots.size()) / 2);
}

TEST_F(StageRun, ParkedAircraftStandAtTheirGates) {
    const Png parked = View("", "WYN_HEADLESS=1", "traffic");
    const Png empty = View("", "WYN_HEADLESS=1", "apron");
    EXPECT_GT(ViewDifference(parked, empty), 3000);
}

TEST_F(StageRun, ParkedAircraftStandAtTheirGatesInARealWindow) {
    // A display of its own, so that the window is no other test's to find.
    if (std::system("command -v xvfb-run >/dev/null") != 0) GTEST_SKIP() << "no xvfb-run";
    const std::string wrap = "xvfb-run -a -s '-screen 0 1024x768x24'";
    const Png parked = View(wrap, "WYN_BACKEND=sdl", "traffic");
    const Png empty = View(wrap, "WYN_BACKEND=sdl", "apron");
    EXPECT_GT(ViewDifference(parked, empty), 3000);
}

}  // namespace
