// Whole stages of wyntower, headless on the virtual clock, each in a program folder of its own
// whose script host is the tests' stand-in: the sample stage, started through the stand-by
// window and played by its replay (stages/rjtt/stage01.replay), clears and hands over to the
// script host; two arrivals too close end in a near miss; a stage that runs out its hour below
// its target ends NOT_CLEAR with the time-over banner, records no clear and hands over to the
// script host although it names an exit program. The course of sample stages: each played well
// by its replay clears by its kept flow, every radio message saying every word and filling every
// macro, the five positions in five voices of their own; each left alone ends with the stress
// gauge full some game minutes in; an arrival held on the taxiway it left the runway by meets
// the next one head-on; an arrival turned onto the final on top of another is a near miss; one
// not cleared to land goes around and approach gives it a runway again. The
// sample stage played in a real window, the floating view and radar, and
// `WYN_MAIN=wyntower bash run.sh` playing the sample stage.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "../../common/png_read.h"
#include "../program_run.h"
#include "frame/frame.h"
#include "../../common/run_folder.h"
#include "standby_client.h"

namespace fs = std::filesystem;
using programrun::Count;
using programrun::ReadText;

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// 16-bit colours of the pictures as a 24-bit shot shows them.
constexpr uint32_t Shown(uint32_t rgb) {
    auto c = [](uint32_t v) { return ((v >> 3) << 3) | ((v >> 3) >> 2); };
    return c((rgb >> 16) & 0xff) << 16 | c((rgb >> 8) & 0xff) << 8 | c(rgb & 0xff);
}
// The rule along the top of each result banner (etc\*.umz, data/pictures/results.pic).
constexpr uint32_t kTimeOverRule = Shown(0xFFC080);
constexpr uint32_t kClearRule = Shown(0xA0D0FF);
constexpr uint32_t kNearMissRule = Shown(0xFF8080);
// The radar's conflict marker, a red cross (etc\radarf_2.umz, data/pictures/radio.pic).
constexpr uint32_t kConflictMark = Shown(0xFF2020);
int CountIn(const Png& p, uint32_t colour, int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y < bottom && y < p.h; ++y)
        for (int x = left; x < right && x < p.w; ++x) n += p.At(x, y) == colour;
    return n;
}

const std::vector<std::string> kMusic = {"CLEAR", "NOT_CLEAR", "GAMEOVER", "STAGE01"};

// ---- which music a capture ends with ----

// The samples of a WAV file (8-bit unsigned or 16-bit signed, any number of channels) as mono
// values of -1 to 1, and its rate.
std::vector<double> WavSamples(const std::string& path, int* rate) {
    const std::string b = ReadText(path);
    auto u16 = [&](size_t at) {
        return unsigned(uint8_t(b[at])) | unsigned(uint8_t(b[at + 1])) << 8;
    };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    std::vector<double> out;
    int channels = 0, bits = 0;
    for (size_t at = 12; at + 8 <= b.size();) {
        const std::string id = b.substr(at, 4);
        const size_t size = u32(at + 4), body = at + 8;
        if (id == "fmt " && body + 16 <= b.size()) {
            channels = int(u16(body + 2));
            *rate = int(u32(body + 4));
            bits = int(u16(body + 14));
        } else if (id == "data" && channels > 0) {
            const size_t end = std::min(b.size(), body + size);
            const size_t frame = size_t(channels) * size_t(bits / 8);
            for (size_t f = body; f + frame <= end; f += frame) {
                double v = 0;
                for (int c = 0; c < channels; ++c)
                    v += bits == 8 ? (double(uint8_t(b[f + size_t(c)])) - 128) / 128
                                   : double(int16_t(u16(f + 2 * size_t(c)))) / 32768;
                out.push_back(v / channels);
            }
            break;
        }
        at = body + size + (size & 1);
    }
    return out;
}

// The power at `hz` over the samples (Goertzel).
double PowerAt(const std::vector<double>& x, size_t from, size_t to, int rate, double hz) {
    const double k = 2 * std::cos(2 * M_PI * hz / rate);
    double s1 = 0, s2 = 0;
    for (size_t i = from; i < to; ++i) {
        const double s0 = x[i] + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return s1 * s1 + s2 * s2 - k * s1 * s2;
}

// The notes of the result music, as unit vectors of their powers.
std::vector<double> NoteProfile(const std::vector<double>& x, size_t from, size_t to, int rate) {
    static const double kNotes[] = {110.0, 123.5, 130.8, 174.6, 196.0, 220.0, 261.6, 311.1, 329.6,
                                    349.2, 370.0, 392.0, 523.3, 554.4, 587.3, 622.3, 659.3, 784.0};
    std::vector<double> p;
    double sum = 0;
    for (double hz : kNotes) {
        p.push_back(std::sqrt(PowerAt(x, from, to, rate, hz)));
        sum += p.back() * p.back();
    }
    for (double& v : p) v = sum > 0 ? v / std::sqrt(sum) : 0;
    return p;
}

// Of music\<name>.wav for each name, the one whose notes the capture's last sounding seconds
// hold most nearly ("" when the capture is silent or missing).
std::string LastMusic(const std::string& capture, const std::string& folder,
                      const std::vector<std::string>& names) {
    int rate = 0;
    const std::vector<double> x = WavSamples(capture, &rate);
    size_t end = x.size();
    while (end > 0 && std::fabs(x[end - 1]) < 0.01) --end;
    if (rate <= 0 || end < size_t(rate)) return "";
    const size_t from = end > size_t(rate) * 3 ? end - size_t(rate) * 3 : 0;
    const std::vector<double> heard = NoteProfile(x, from, end, rate);
    std::string best;
    double bestScore = -1;
    for (const std::string& name : names) {
        int r = 0;
        const std::vector<double> m = WavSamples(folder + "/music/" + name + ".wav", &r);
        if (m.empty() || r != rate) continue;
        const std::vector<double> p = NoteProfile(m, 0, m.size(), r);
        double score = 0;
        for (size_t i = 0; i < p.size(); ++i) score += p[i] * heard[i];
        if (score > bestScore) bestScore = score, best = name;
    }
    return best;
}

class WholeStage : public RunFolderTest {
  protected:
    void SetUp() override {
        RunFolderTest::SetUp();
        if (HasFatalFailure()) return;
        programrun::MakeProgramFolder(binDir, folder);
        programrun::PutScriptHostStandIn(folder, GAME_STANDIN_PATH);
        // The programs of a run, and this test, find each other's windows here only.
        setenv("WYN_RUNTIME_DIR", (run + "/rt").c_str(), 1);
        const std::string tests = WYN_TEST_STAGES "/rjtt/";
        const std::string sample = WYN_SAMPLE_STAGES "/rjtt/";
        const std::string make = "'" + binDir + "/stagemake' '" + folder + "' '" + sample +
                                 "stage01.stage' '" + sample + "stage02.stage' '" + sample +
                                 "stage03.stage' '" + sample + "stage04.stage' '" + tests +
                                 "notclear.stage' '" + tests + "nearmiss.stage' >/dev/null";
        ASSERT_EQ(std::system(make.c_str()), 0);
    }
    void TearDown() override { programrun::EndHandOver(folder, "rjtt"); }

    // English radio captions in the trace.
    void English() {
        fs::remove(folder + "/config.ini");
        std::ofstream(folder + "/config.ini") << "[ATC]\nlanguage=2\n";
    }

    // wyntower rjtt <stage> headless on the virtual clock (a frame of `ms`), with the replay
    // `replay` (may be empty) and screenshots every `every` frames as <tag>-NNNNN.png.
    programrun::Result Play(const std::string& stage, const std::string& replay, int ms = 99,
                            int limit = 120, int every = 10) {
        tag = run + "/" + stage;
        std::string env =
            "WYN_HEADLESS=1 WYN_CLOCK=virtual WYN_GAME_FRAME_MS=" + std::to_string(ms) +
            " WYN_RUNTIME_DIR='" + run + "/rt' " + "WYN_SCREENSHOT='" + tag +
            ".png' WYN_SCREENSHOT_EVERY=" + std::to_string(every) + " WYN_AUDIO_CAPTURE='" + tag +
            ".wav'";
        if (!replay.empty()) {
            std::ofstream(tag + ".replay") << replay;
            env += " WYN_REPLAY='" + tag + ".replay'";
        }
        return programrun::Run(folder, tag, "", env, binDir + "/wyntower", "rjtt " + stage, limit);
    }
    // wyntower as the front-end starts it: the stand-by window with "wyntower rjtt <stage>",
    // then STANDBY_RUN from here; returns when the game has ended (at most `limit` s real time,
    // `wrap` (may be empty) runs the stand-by window and the game, a display of their own). The
    // replay is the game's alone (its file named after the program).
    programrun::Result PlayThroughStandBy(const std::string& stage, const std::string& replay,
                                          const std::string& env, const std::string& wrap,
                                          int limit) {
        tag = run + "/" + stage;
        const std::string log = tag + ".process", rc = tag + ".rc";
        for (const char* ext : {".trace", ".boxes", ".process", ".rc", ".wav"})
            fs::remove(tag + ext);
        std::ofstream(tag + ".wyntower.replay") << replay;
        // The shell waits for the game's end, so that a display of its own outlives the
        // stand-by window.
        const std::string inner = "./standby wyntower rjtt " + stage +
                                  " & until grep -q ' end wyntower ' '" + log +
                                  "' 2>/dev/null; do sleep 0.2; done";
        const std::string cmd = "(cd '" + folder + "' && timeout " + std::to_string(limit) + " " +
                                wrap + " env -u WYN_HEADLESS WYN_PROGRAM_DIR='" + folder +
                                "' WYN_RUNTIME_DIR='" + run + "/rt' WYN_PROCESS_LOG='" + log +
                                "' WYN_GAME_TRACE='" + tag + ".trace' WYN_MSGBOX_LOG='" + tag +
                                ".boxes' WYN_REPLAY='" + tag + ".%p.replay' WYN_AUDIO_CAPTURE='" +
                                tag + ".wav' " + env + " sh -c \"" + inner + "\" 2>'" + tag +
                                ".err'; echo $? >'" + rc + "') &";
        const long start = programrun::MonotonicMs();
        programrun::Result r;
        if (std::system(cmd.c_str()) != 0) return r;
        bool sent = false;
        while (programrun::MonotonicMs() - start < programrun::BoundMs(limit) && !fs::exists(rc)) {
            if (!sent && FindWindowA("STANDBY", nullptr)) sent = StandBy_Send() == 1;
            usleep(20000);
        }
        while (programrun::MonotonicMs() - start < programrun::BoundMs(limit + 10) &&
               (!fs::exists(rc) || fs::file_size(rc) == 0))
            usleep(20000);
        const long took = programrun::MonotonicMs() - start;
        r.trace = ReadText(tag + ".trace");
        r.boxes = ReadText(tag + ".boxes");
        r.err = ReadText(tag + ".err");
        const std::string process = ReadText(log);
        const size_t end = process.find(" end wyntower ");
        if (end != std::string::npos) {
            const size_t exit = process.find(" exit ", end);
            r.code = exit == std::string::npos ? -1 : std::atoi(process.c_str() + exit + 6);
        }
        r.explain = "run of " + std::to_string(took) + " ms real time, game exit " +
                    std::to_string(r.code) + ", STANDBY_RUN " + (sent ? "sent" : "never sent") +
                    ", shell exit " + ReadText(rc) + " (124: cut by its " + std::to_string(limit) +
                    " s limit)\n--- processes:\n" + process + "--- trace, last lines:\n" +
                    programrun::Tail(r.trace) + "--- message boxes:\n" +
                    programrun::Tail(r.boxes, 10) + "--- stderr, last lines:\n" +
                    programrun::Tail(r.err);
        return r;
    }
    // A run that ended by itself, without a message box, its stage state going from the start
    // banner through play to the result `state` (hexadecimal) and back to 0 at the exit, with
    // shots of it.
    ::testing::AssertionResult EndedWith(const programrun::Result& r, const std::string& state) {
        const std::string states = programrun::Lines(r.trace, "state ");
        if (r.code != 0 || !r.boxes.empty() ||
            states != "state 65\nstate 0\nstate " + state + "\nstate 0\n" || Shots().empty())
            return ::testing::AssertionFailure() << "not ended with state " << state << ":\n"
                                                 << states << r.explain;
        return ::testing::AssertionSuccess();
    }
    // The numbered shots of the last Play.
    std::vector<Png> Shots() const {
        std::vector<Png> shots;
        for (int n = 1;; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "-%05d.png", n);
            Png p;
            if (!ReadPng(tag + name, &p)) break;
            shots.push_back(p);
        }
        return shots;
    }
    // The first shot whose strip board holds a row with more than `least` pixels of `colour`;
    // -1 when none.
    static int FirstShotWithRule(const std::vector<Png>& shots, uint32_t colour, int least) {
        for (size_t i = 0; i < shots.size(); ++i) {
            const Png& p = shots[i];
            if (p.w != 800 || p.h != 600) continue;
            for (int y = 400; y < 600; ++y) {
                int n = 0;
                for (int x = 0; x < 800; ++x) n += p.At(x, y) == colour;
                if (n > least) return int(i);
            }
        }
        return -1;
    }
    std::string tag;
};

// The slot of the aircraft whose script `name` was loaded first (-1: none).
int SlotOfScript(const std::string& trace, const std::string& name) {
    std::istringstream in(trace);
    for (std::string line; std::getline(in, line);) {
        int slot = -1;
        char seen[32] = "";
        if (std::sscanf(line.c_str(), "script %d %31s", &slot, seen) == 2 && name == seen)
            return slot;
    }
    return -1;
}

// The lines of a flow by aircraft slot, each aircraft's in their order: where a replayed command
// falls between two aircraft's updates in one frame, their lines may interleave either way.
std::map<std::string, std::string> BySlot(const std::string& text) {
    std::map<std::string, std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream w(line);
        std::string word, slot;
        w >> word >> slot;
        out[slot] += line + "\n";
    }
    return out;
}

// Whether the lines `first`, `then`... stand in this order in the trace (each a whole line).
::testing::AssertionResult InOrder(const std::string& trace,
                                   const std::vector<std::string>& lines) {
    size_t at = 0;
    for (const std::string& l : lines) {
        const size_t found = ("\n" + trace).find("\n" + l + "\n", at);
        if (found == std::string::npos)
            return ::testing::AssertionFailure() << "no \"" << l << "\" after the lines before it";
        at = found + l.size();
    }
    return ::testing::AssertionSuccess();
}

TEST_F(WholeStage, TheSampleStagePlayedWellClearsAndHandsOverToTheScriptHost) {
    // The player's clicks, commented with the strip or item each one hits.
    const std::string replay = ReadText(WYN_TEST_STAGES "/rjtt/stage01.replay");
    ASSERT_FALSE(replay.empty());
    const programrun::Result r = PlayThroughStandBy(
        "stage01", replay, "WYN_HEADLESS=1 WYN_CLOCK=virtual WYN_GAME_FRAME_MS=99", "", 200);
    ASSERT_EQ(r.code, 0) << r.explain;
    EXPECT_EQ(r.boxes, "") << r.explain;
    const std::string& t = r.trace;
    EXPECT_NE(t.find("standby end 1\n"), std::string::npos) << "the stand-by picture closed";
    const int arr = SlotOfScript(t, "arr34l"), dep = SlotOfScript(t, "dep0_34r");
    ASSERT_GE(arr, 0) << r.explain;
    ASSERT_GE(dep, 0) << r.explain;
    const std::string a = std::to_string(arr) + " ", d = std::to_string(dep) + " ";
    // The arrival: radar vectors, cleared to land, lands and rolls out, is given spot 3 and
    // parks there (its taxi-in script ends parked, block in).
    EXPECT_TRUE(InOrder(
        t, {"status " + a + "10000 12010", "phase " + a + "400 200", "status " + a + "40000 42150",
            "status " + a + "42150 44060", "script " + a + "in34l_3 1", "phase " + a + "500 0",
            "status " + a + "44060 600c0"}))
        << r.explain;
    // The departure: cleared on SAKURA1 by delivery, pushed back and sent to 34R by ground,
    // taxies to the holding point, is cleared for take-off, rolls, lifts off, and leaves the
    // playing area, which takes its strip off the board (0x1f02).
    EXPECT_TRUE(InOrder(
        t, {"status " + d + "820e0 740c0", "status " + d + "920f0 94100", "phase " + d + "0 600",
            "script " + d + "out0_34r 1", "status " + d + "a20b0 a8040", "phase " + d + "0 700",
            "phase " + d + "700 20", "script " + d + "sid_SAKURA1 1"}))
        << r.explain;
    EXPECT_NE(t.find("strip " + d + "slot 1 state 1f02 "), std::string::npos) << r.explain;
    // Ground's menus preview the routes, the camera over the airport (its caption line comes as
    // the status changes, before the status line): the departure's runways, then its lines (the
    // second level clears the menu, whose camera goes back on the departure, and previews
    // again), until the line given is heard and the camera is back on the departure; the
    // arrival's gates, then its lines, once it is selected off the runway.
    EXPECT_TRUE(
        InOrder(t, {"status " + d + "740c0 900f0", "camera 0 PREVIEW CAM",
                    "status " + d + "900f0 920f0", "camera 0 ANA-0202 CAM", "camera 0 PREVIEW CAM",
                    "camera 0 ANA-0202 CAM", "status " + d + "920f0 94100"}))
        << programrun::Lines(t, "camera");
    EXPECT_TRUE(
        InOrder(t, {"status " + a + "40000 42150", "camera 0 PREVIEW CAM", "camera 0 JAL-1501 CAM",
                    "camera 0 PREVIEW CAM", "status " + a + "42150 44060"}))
        << programrun::Lines(t, "camera");
    // The whole flow, in order: the scripts loaded, every phase change of the two aircraft and
    // every change of their status words, against the expected trace (stages/rjtt/stage01.flow). To
    // make it anew after a deliberate change, play the stage as above with WYN_GAME_TRACE=t.txt
    // and keep those lines: grep -E '^(phase [0-9]+ |status |script )' t.txt >
    // tests/game/frame/stages/rjtt/stage01.flow
    const std::string flow = programrun::FlowLines(t);
    const std::string golden = ReadText(WYN_FLOW_GOLDEN);
    EXPECT_EQ(BySlot(flow), BySlot(golden)) << "the flow differs from " WYN_FLOW_GOLDEN << "\n"
                                            << flow;
    // At the stage's end no exchange row speaks or holds a message and no aircraft talks.
    EXPECT_EQ(programrun::Lines(t, "exit busy "), "exit busy rows 0 aircraft 0\n") << r.explain;
    // Each command the replay gives, once.
    for (const std::string& c :
         {a + "item 103", d + "item 500", d + "item 600", d + "item 700", d + "item 400",
          a + "item 008", d + "item 009", a + "item 303", a + "item 400"})
        EXPECT_EQ(Count(t, "command " + c + " "), 1) << c << "\n"
                                                     << programrun::Lines(t, "command");
    // The hour is full with the score above the target: CLEAR, its banner's music.
    EXPECT_EQ(programrun::Lines(t, "state "), "state 65\nstate 0\nstate 6f\nstate 0\n")
        << r.explain;
    EXPECT_EQ(LastMusic(tag + ".wav", binDir, kMusic), "CLEAR");
    // The record: the traced total and its score code, made at the virtual clock's date
    // (2001-01-01, the first hour), and the clear mark.
    unsigned total = 0;
    char code[16] = "";
    const size_t hs = t.find("highscore ");
    ASSERT_NE(hs, std::string::npos) << r.explain;
    ASSERT_EQ(std::sscanf(t.c_str() + hs, "highscore %u %15s", &total, code), 2);
    EXPECT_GE(total, 1900u) << "the target";
    bool dated = false;
    for (int minute = 0; minute < 60; ++minute) {
        char made[13];
        MakeScoreCode(made, 2001, 1, 1, 0, minute, 0, total);
        dated = dated || std::string(made) == code;
    }
    EXPECT_TRUE(dated) << code;
    std::string ini = ReadText(folder + "/stage/rjtt/stage01.ini");
    ini.erase(std::remove(ini.begin(), ini.end(), '\r'), ini.end());
    EXPECT_NE(ini.find("highscore=" + std::to_string(total) + "\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("password=" + std::string(code) + "\n"), std::string::npos) << ini;
    EXPECT_NE(ini.find("status=1\n"), std::string::npos) << ini;
    // Stage exit: the stand-by window is told the script host with the stage folder (no exit
    // program named), everything freed, the stand-by window sent on; it starts the host once the
    // game is gone.
    const size_t exit = t.find("phase 1ff0\n"), start = t.find("VSK33.EXE \" \"rjtt\" 1\n");
    EXPECT_NE(start, std::string::npos) << programrun::Tail(t);
    EXPECT_LT(exit, start);
    EXPECT_GT(t.find("phase 0fff\n"), start);
    EXPECT_NE(t.find("registry memory 0/"), std::string::npos) << programrun::Tail(t);
    EXPECT_NE(t.find(" cells 0/"), std::string::npos) << programrun::Tail(t);
    EXPECT_NE(t.find("standby send 1\n"), std::string::npos) << programrun::Tail(t);
    std::string host;
    for (int i = 0; i < 200 && host.empty(); ++i) {
        host = ReadText(run + "/rt/standin.txt");
        if (host.empty()) usleep(50000);
    }
    EXPECT_EQ(host, "[rjtt]\n") << "the script host got the stage folder\n" << r.explain;
}

TEST_F(WholeStage, TwoArrivalsTooCloseOnOneFinalEndTheStageWithANearMiss) {
    const programrun::Result r = Play("nearmiss", "");
    ASSERT_TRUE(EndedWith(r, "79"));
    // The near-miss banner slides in; the radar marks the aircraft the camera looks from.
    const std::vector<Png> shots = Shots();
    const int banner = FirstShotWithRule(shots, kNearMissRule, 400);
    EXPECT_GE(banner, 0) << "the near-miss banner";
    int slot = -1, x = 0, y = 0;
    const size_t at = r.trace.find("radar conflict ");
    ASSERT_NE(at, std::string::npos) << r.explain;
    ASSERT_EQ(std::sscanf(r.trace.c_str() + at, "radar conflict %d at %d %d", &slot, &x, &y), 3);
    EXPECT_GE(slot, 0);
    // The docked radar stands at (600, 0) of the main window; the cross is 8 x 8 about (x, y).
    int marked = 0;
    for (const Png& p : shots)
        marked =
            std::max(marked, CountIn(p, kConflictMark, 600 + x - 4, y - 4, 600 + x + 4, y + 4));
    EXPECT_GE(marked, 12) << "the conflict marker at " << x << " " << y;
    EXPECT_EQ(LastMusic(tag + ".wav", binDir, kMusic), "GAMEOVER");
    // A near miss is no clear.
    const std::string ini = ReadText(folder + "/stage/rjtt/nearmiss.ini");
    EXPECT_EQ(ini.find("status"), std::string::npos) << ini;
}

TEST_F(WholeStage, AStageBelowItsTargetEndsNotClearAndHandsBackToTheScriptHost) {
    // The stage's icon number would give the exit program its first argument.
    fs::create_directories(folder + "/stage/rjtt");
    std::ofstream(folder + "/stage/rjtt/notclear.ini") << "[Icon]\nspno=300\n";
    const programrun::Result r = Play("notclear", "");
    // The hour runs out (09:59 to 10:00) below the target: NOT_CLEAR, never CLEAR; the exit
    // takes the banner away.
    ASSERT_TRUE(EndedWith(r, "8d"));
    // The time-over banner slides in over the strip board.
    const std::vector<Png> shots = Shots();
    EXPECT_GE(FirstShotWithRule(shots, kTimeOverRule, 400), 0) << "the time-over banner";
    EXPECT_LT(FirstShotWithRule(shots, kClearRule, 400), 0) << "no clear banner";
    EXPECT_EQ(LastMusic(tag + ".wav", binDir, kMusic), "NOT_CLEAR");
    // The record: the time-over bonus as the best total, no clear.
    const std::string ini = ReadText(folder + "/stage/rjtt/notclear.ini");
    EXPECT_NE(ini.find("highscore=2000"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("status"), std::string::npos) << ini;
    // Stage exit hands over to the script host with the stage folder, not to the exit program;
    // the stand-by window launches it once the game's window is gone.
    const std::string exits = programrun::Lines(r.trace, "phase 1ff0") +
                              programrun::Lines(r.trace, "standby ") +
                              programrun::Lines(r.trace, "phase 0fff");
    EXPECT_NE(r.trace.find("phase 1ff0\n"), std::string::npos) << r.explain;
    const size_t start = r.trace.find("VSK33.EXE \" \"rjtt\" 1\n");
    EXPECT_NE(start, std::string::npos) << exits;
    EXPECT_LT(r.trace.find("phase 1ff0\n"), start) << exits;
    EXPECT_GT(r.trace.find("phase 0fff\n"), start) << exits;
    EXPECT_EQ(Count(r.trace, "wyndemoa"), 0) << exits;
    EXPECT_NE(r.trace.find("standby send 1\n"), std::string::npos) << exits;
    EXPECT_NE(r.trace.find("registry memory 0/"), std::string::npos) << r.explain;
    EXPECT_NE(r.trace.find(" cells 0/"), std::string::npos) << r.explain;
    EXPECT_EQ(ReadText(run + "/rt/standin.txt"), "[rjtt]\n")
        << "the script host got the stage folder";
}

// ---- the course of sample stages (data/stages/README.md) ----

// The radio messages of a trace (English captions) that name a word the voice lacks or leave a
// macro empty (a blank before a comma or a stop, two blanks, a blank at the end), one a line.
std::string RadioFaults(const std::string& trace) {
    std::string faults;
    std::istringstream in(trace);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("radio ", 0) != 0) continue;
        const size_t at = line.find(" caption ");
        const std::string caption = at == std::string::npos ? "" : line.substr(at + 9);
        if (line.find(" missing 0 ") == std::string::npos || caption.empty() ||
            caption.find(" ,") != std::string::npos || caption.find(" .") != std::string::npos ||
            caption.find("  ") != std::string::npos || caption.back() == ' ')
            faults += line + "\n";
    }
    return faults;
}

// The voices the radio lines of a trace spoke with, by speaker.
std::map<int, std::set<std::string>> VoicesBySpeaker(const std::string& trace) {
    std::map<int, std::set<std::string>> voices;
    std::istringstream in(trace);
    for (std::string line; std::getline(in, line);) {
        int speaker = -1;
        char voice[16] = "";
        const size_t at = line.find(" speaker ");
        if (line.rfind("radio ", 0) == 0 && at != std::string::npos &&
            std::sscanf(line.c_str() + at, " speaker %d voice %15s", &speaker, voice) == 2)
            voices[speaker].insert(voice);
    }
    return voices;
}

// The game clock (hhmm) of the last "clock" line before the first line `state` of a trace.
int ClockAt(const std::string& trace, const std::string& state) {
    const size_t end = ("\n" + trace).find("\n" + state + "\n");
    int clock = 0;
    std::istringstream in(trace.substr(0, end == std::string::npos ? trace.size() : end));
    for (std::string line; std::getline(in, line);)
        if (line.rfind("clock ", 0) == 0) clock = std::atoi(line.c_str() + 6);
    return clock;
}
int Minutes(int hhmm) { return hhmm / 100 * 60 + hhmm % 100; }

struct CourseStage {
    const char* name;
    int start;  // hhmm of the stage clock at the start
};
void PrintTo(const CourseStage& c, std::ostream* os) { *os << c.name; }
const CourseStage kCourse[] = {
    {"stage01", 1037}, {"stage02", 1037}, {"stage03", 1937}, {"stage04", 1439}};

class Course : public WholeStage, public ::testing::WithParamInterface<CourseStage> {};

TEST_P(Course, PlayedWellItClearsByItsFlow) {
    const std::string name = GetParam().name;
    // The player's clicks, commented with the strip or item each one hits.
    const std::string replay = ReadText(WYN_TEST_STAGES "/rjtt/" + name + ".replay");
    ASSERT_FALSE(replay.empty());
    English();
    const programrun::Result r = Play(name, replay, 99, 280, 500);
    ASSERT_TRUE(EndedWith(r, "6f"));
    EXPECT_EQ(LastMusic(tag + ".wav", binDir, kMusic), "CLEAR");
    // The flow: the scripts loaded, every phase change and every change of a status word, by
    // aircraft. To make it anew after a deliberate change, play the stage so with
    // WYN_GAME_TRACE=t.txt and keep grep -E '^(phase [0-9]+ |status |script )' t.txt as
    // tests/game/frame/stages/rjtt/<stage>.flow.
    const std::string golden = ReadText(WYN_TEST_STAGES "/rjtt/" + name + ".flow");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(BySlot(programrun::FlowLines(r.trace)), BySlot(golden))
        << programrun::FlowLines(r.trace);
    // Every message said every word and filled every macro.
    EXPECT_EQ(RadioFaults(r.trace), "");
    // The five positions spoke with five voices, none of them a pilot's.
    const auto voices = VoicesBySpeaker(r.trace);
    std::set<std::string> controllers;
    for (const auto& [speaker, said] : voices) {
        if (speaker <= 4) {
            EXPECT_EQ(said.size(), 1u) << "speaker " << speaker;
            controllers.insert(said.begin(), said.end());
        }
    }
    size_t positions = 0;
    for (const auto& [speaker, said] : voices) positions += speaker <= 4;
    EXPECT_EQ(controllers.size(), positions) << "two positions shared a voice";
    for (const auto& [speaker, said] : voices)
        if (speaker > 4)
            for (const std::string& v : said)
                EXPECT_EQ(controllers.count(v), 0u)
                    << "speaker " << speaker << " spoke as a position";
}

TEST_P(Course, LeftAloneItEndsWithTheStressGaugeFullAfterSomeMinutes) {
    const programrun::Result r = Play(GetParam().name, "", 99, 280, 500);
    ASSERT_TRUE(EndedWith(r, "97"));
    EXPECT_EQ(LastMusic(tag + ".wav", binDir, kMusic), "GAMEOVER");
    // Not within seconds: the pilots wait, call again and only then does the gauge fill.
    const int minutes = Minutes(ClockAt(r.trace, "state 97")) - Minutes(GetParam().start);
    EXPECT_GE(minutes, 3) << r.explain;
    EXPECT_LE(minutes, 15) << r.explain;
}

INSTANTIATE_TEST_SUITE_P(SampleStages, Course, ::testing::ValuesIn(kCourse),
                         [](const ::testing::TestParamInfo<CourseStage>& i) {
                             return std::string(i.param.name);
                         });

TEST_F(WholeStage, AnArrivalHeldOnTheTaxiwayItLeftTheRunwayByMeetsTheNextOneHeadOn) {
    // Stage 3: the emergency arrival, off the runway on taxiway B, told to hold position (0x00C)
    // in place of a gate; the second arrival lands behind it and turns off onto B.
    const std::string replay = ReadText(WYN_TEST_STAGES "/rjtt/stage03_headon.replay");
    ASSERT_FALSE(replay.empty());
    const programrun::Result r = Play("stage03", replay, 99, 280, 500);
    ASSERT_TRUE(EndedWith(r, "a1"));
    const int first = SlotOfScript(r.trace, "emr34l"), second = SlotOfScript(r.trace, "arr34l");
    ASSERT_GE(first, 0) << r.explain;
    ASSERT_GE(second, 0) << r.explain;
    EXPECT_EQ(Count(r.trace, "command " + std::to_string(first) + " item 00c "), 1) << r.explain;
    // The conflict is theirs, both on the ground.
    int slot = -1;
    const size_t at = r.trace.find("radar conflict ");
    ASSERT_NE(at, std::string::npos) << r.explain;
    ASSERT_EQ(std::sscanf(r.trace.c_str() + at, "radar conflict %d", &slot), 1);
    EXPECT_TRUE(slot == first || slot == second) << r.explain;
    EXPECT_EQ(LastMusic(tag + ".wav", binDir, kMusic), "GAMEOVER");
}

TEST_F(WholeStage, AnArrivalTurnedInShortOnTopOfAnotherOnTheFinalIsANearMiss) {
    // Stage 4: the first arrival turned onto the final by the long point, the second, from the
    // east, by the short point, where the first is on its way down the final.
    const std::string replay = ReadText(WYN_TEST_STAGES "/rjtt/stage04_nearmiss.replay");
    ASSERT_FALSE(replay.empty());
    const programrun::Result r = Play("stage04", replay, 99, 280, 500);
    ASSERT_TRUE(EndedWith(r, "79"));
    const int first = SlotOfScript(r.trace, "app34l"), second = SlotOfScript(r.trace, "app34le");
    ASSERT_GE(first, 0) << r.explain;
    ASSERT_GE(second, 0) << r.explain;
    EXPECT_EQ(Count(r.trace, "command " + std::to_string(first) + " item 100 "), 1) << r.explain;
    EXPECT_EQ(Count(r.trace, "command " + std::to_string(second) + " item 102 "), 1) << r.explain;
    EXPECT_TRUE(InOrder(r.trace, {"script " + std::to_string(first) + " app_lng 1",
                                  "script " + std::to_string(second) + " app_srt 1"}))
        << programrun::FlowLines(r.trace);
    // The conflict is theirs, in the air: neither has begun its landing.
    int slot = -1;
    const size_t at = r.trace.find("radar conflict ");
    ASSERT_NE(at, std::string::npos) << r.explain;
    ASSERT_EQ(std::sscanf(r.trace.c_str() + at, "radar conflict %d", &slot), 1);
    EXPECT_TRUE(slot == first || slot == second) << r.explain;
    EXPECT_EQ(Count(r.trace.substr(0, at), " 100 400\n"), 0) << programrun::FlowLines(r.trace);
    EXPECT_EQ(LastMusic(tag + ".wav", binDir, kMusic), "GAMEOVER");
}

TEST_F(WholeStage, AnArrivalNotClearedToLandGoesAroundAndApproachGivesItARunway) {
    // Stage 4 played well but for the second arrival's landing clearance: 800 m before the
    // threshold it goes around, tells the tower, calls approach, is given runway 34L and is
    // brought round for another approach; the stage still clears.
    const std::string replay = ReadText(WYN_TEST_STAGES "/rjtt/stage04_goaround.replay");
    ASSERT_FALSE(replay.empty());
    English();
    const programrun::Result r = Play("stage04", replay, 99, 280, 500);
    ASSERT_TRUE(EndedWith(r, "6f"));
    const int second = SlotOfScript(r.trace, "app34le");
    ASSERT_GE(second, 0) << r.explain;
    const std::string s = std::to_string(second) + " ";
    EXPECT_TRUE(InOrder(
        r.trace, {"status " + s + "20000 22030", "script " + s + "ga34l 1",
                  "status " + s + "22030 0", "phase " + s + "400 100", "status " + s + "0 3a000",
                  "status " + s + "3a000 19010", "status " + s + "19010 1a010"}))
        << programrun::FlowLines(r.trace);
    EXPECT_EQ(Count(r.trace, "command " + s + "item 200 "), 1)
        << programrun::Lines(r.trace, "command");
    EXPECT_EQ(Count(r.trace, "phase " + s + "400 200\n"), 0) << "it never touched down";
    EXPECT_NE(r.trace.find(" caption going around, JAL 1509.\n"), std::string::npos)
        << programrun::Lines(r.trace, "radio");
    EXPECT_NE(r.trace.find(" caption JAL 1509, expect ILS approach runway 34L.\n"),
              std::string::npos)
        << programrun::Lines(r.trace, "radio");
    EXPECT_EQ(RadioFaults(r.trace), "");
}

// A stage in real windows on a display of its own: wyntower in the background with `replay`
// and frames of `ms`, the window tree taken once it has run 100 frames, a screenshot every
// `every` presentations.
std::string RunShown(const std::string& run, const std::string& folder, const std::string& bin,
                     const std::string& stage, const std::string& tag, std::string* tree,
                     const std::string& replay, int ms, int every) {
    const std::string t = run + "/" + tag;
    std::ofstream(t + ".replay") << replay;
    std::ofstream(t + ".sh") << "cd '" << folder
                             << "' && env -u WYN_HEADLESS WYN_BACKEND=sdl WYN_PROGRAM_DIR='"
                             << folder << "' WYN_RUNTIME_DIR='" << run
                             << "/rt' WYN_CLOCK=virtual WYN_GAME_FRAME_MS=" << ms
                             << " WYN_MSGBOX_ANSWERS=6 WYN_REPLAY='" << t
                             << ".replay' WYN_GAME_TRACE='" << t << ".trace' WYN_SCREENSHOT='" << t
                             << ".png' WYN_SCREENSHOT_EVERY=" << every << " timeout 200 '" << bin
                             << "/wyntower' rjtt " << stage << " >'" << t << ".out' 2>'" << t
                             << ".err' &\npid=$!\ni=0\n"
                             << "while ! grep -q '^frame 100 ' '" << t
                             << ".trace' 2>/dev/null && [ $i -lt 1200 ]; do "
                             << "sleep 0.05; i=$((i+1)); done\nxwininfo -root -tree > '" << t
                             << ".tree'\nwait $pid\n";
    const int status = std::system(
        ("xvfb-run -a -s '-screen 0 1280x1024x24' sh '" + t + ".sh' >/dev/null 2>&1").c_str());
    *tree = ReadText(t + ".tree");
    return "shell exit " + std::to_string(status) + "\n--- trace, last lines:\n" +
           programrun::Tail(ReadText(t + ".trace")) + "--- stderr, last lines:\n" +
           programrun::Tail(ReadText(t + ".err"));
}

// The size xwininfo gives for the first window whose name begins with `title` (0 x 0: none).
std::pair<int, int> WindowSize(const std::string& tree, const std::string& title) {
    std::istringstream in(tree);
    for (std::string s; std::getline(in, s);) {
        if (s.find("\"" + title) == std::string::npos) continue;
        const size_t at = s.find(")  ");
        int w = 0, h = 0;
        if (at != std::string::npos && std::sscanf(s.c_str() + at + 3, "%dx%d", &w, &h) == 2)
            return {w, h};
    }
    return {0, 0};
}

int Colours(const Png& p, int left, int top, int right, int bottom) {
    std::set<uint32_t> seen;
    for (int y = top; y < bottom && y < p.h; ++y)
        for (int x = left; x < right && x < p.w; ++x) seen.insert(p.At(x, y));
    return int(seen.size());
}

TEST_F(WholeStage, TheSampleStagePlayedInARealWindow) {
    if (std::system("command -v xvfb-run >/dev/null") != 0 ||
        std::system("command -v xwininfo >/dev/null") != 0)
        GTEST_SKIP() << "no xvfb-run or xwininfo";
    std::string tree;
    // Docked, the sample stage played through by its replay to its CLEAR end.
    const std::string docked = RunShown(run, folder, binDir, "stage01", "docked", &tree,
                                        ReadText(WYN_TEST_STAGES "/rjtt/stage01.replay"), 300, 10);
    tag = run + "/docked";
    const std::string trace = ReadText(tag + ".trace");
    EXPECT_NE(trace.find("\nstate 6f\n"), std::string::npos) << docked;
    const std::vector<Png> shots = Shots();
    ASSERT_GT(shots.size(), 10u) << docked;
    // After the start banner: the 3D view of the scenery, the radar's map at the top right;
    // and the arrival's strip in its queue (its paper, unlit or lit while the pilot waits for an
    // answer, and its approach colour bar) in some shot.
    const Png& p = shots[10];
    ASSERT_EQ(p.w, 800) << docked;
    ASSERT_EQ(p.h, 600) << docked;
    EXPECT_GT(Colours(p, 0, 200, 800, 400), 15) << "the scenery";
    EXPECT_GT(Colours(p, 600, 0, 800, 200), 3) << "the radar's map";
    bool strip = false;
    for (const Png& q : shots)
        strip = strip || (q.w == 800 &&
                          CountIn(q, Shown(0xE8EEF8), 0, 428, 252, 588) +
                                  CountIn(q, Shown(0xFFF0A0), 0, 428, 252, 588) >
                              3000 &&
                          CountIn(q, Shown(0x3060C0), 0, 428, 5, 588) > 50);
    EXPECT_TRUE(strip) << "the arrival's strip";
    // After a strip click the menu's first item over the view (the general commands' face, the
    // landing and take-off clearances); at the end the CLEAR banner over the strip board.
    int menu = -1;
    for (size_t i = 0; i < shots.size() && menu < 0; ++i)
        for (uint32_t face : {Shown(0x405870), Shown(0x66798c), Shown(0x2c3d4e)})
            if (shots[i].w == 800 && CountIn(shots[i], face, 18, 160, 22, 180) > 60) menu = int(i);
    EXPECT_GE(menu, 0) << "the command menu\n" << docked;
    EXPECT_GT(FirstShotWithRule(shots, kClearRule, 400), menu) << "the CLEAR banner\n" << docked;
    EXPECT_EQ(WindowSize(tree, "Wynmoor"), std::make_pair(800, 600)) << tree;
}

TEST_F(WholeStage, TheViewAndTheRadarFloatInWindowsOfTheirOwn) {
    if (std::system("command -v xvfb-run >/dev/null") != 0 ||
        std::system("command -v xwininfo >/dev/null") != 0)
        GTEST_SKIP() << "no xvfb-run or xwininfo";
    std::string tree;
    // On the short stage, which ends by itself: the view in a window of its own, four times as
    // wide as high, and the radar in its own 400 x 400 window.
    fs::remove(folder + "/config.ini");
    std::ofstream(folder + "/config.ini") << "[DISPLAY]\nseparate=1\nradarL=1\n";
    const std::string floating =
        RunShown(run, folder, binDir, "notclear", "floating", &tree, "8000 close\n", 33, 10);
    const auto view = WindowSize(tree, U8(u8"ビューウインドウ"));
    EXPECT_GT(view.first, 0) << floating << tree;
    EXPECT_EQ(view.first, 4 * view.second) << tree;
    EXPECT_EQ(WindowSize(tree, U8(u8"レーダーウインドウ")), std::make_pair(400, 400)) << tree;
}

TEST_F(WholeStage, RunShPlaysTheSampleStageWithTheGameOnItsOwn) {
    // run.sh as a user runs it, after its build: a copy beside a set-up that has nothing left to
    // do and a build folder whose program folder is the test's.
    const std::string repo = run + "/repo";
    fs::create_directories(repo + "/scripts");
    fs::copy_file(WYN_SOURCE_DIR "/run.sh", repo + "/run.sh");
    std::ofstream(repo + "/scripts/setup.sh") << "exit 0\n";
    std::ofstream(repo + "/.last-build-dir") << run << "\n";
    // The sample stage, closed after three seconds and answered Yes.
    std::ofstream(run + "/close.replay") << "3000 close\n";
    const programrun::Result r = programrun::Run(
        folder, run + "/main", "",
        "WYN_MAIN=wyntower WYN_HEADLESS=1 WYN_CLOCK=virtual WYN_GAME_FRAME_MS=33 WYN_LOG_WINDOWS=1 "
        "WYN_MSGBOX_ANSWERS=6 "
        "WYN_RUNTIME_DIR='" +
            run + "/rt' WYN_REPLAY='" + run + "/close.replay'",
        "bash", "'" + repo + "/run.sh'", 60);
    ASSERT_EQ(r.code, 0) << r.explain;
    EXPECT_NE(r.trace.find(" arr34l 1\n"), std::string::npos) << "the arrival's script\n"
                                                              << r.explain;
    EXPECT_NE(r.err.find(U8(u8"目標得点")), std::string::npos) << "the stage's target in the title";
    EXPECT_EQ(Count(r.trace, "standby start"), 0) << "closed: no program follows";
}

}  // namespace
