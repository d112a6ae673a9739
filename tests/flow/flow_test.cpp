// The set run as one, as the user starts it: wynopen, a key at its prompt, the stand-by window,
// the script host's front-end, a click on its Start row, the stand-by window again, the game
// playing a stage to its end, and the front-end again. Every program runs in a process of its
// own on the real clock, in a program folder of the test's own; each reads its replay and
// writes its screenshots by the %p-%n patterns (wynopen-1, standby-1, vsk33-1, ...). The
// process log tells every start and end.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "../common/capture_read.h"
#include "../common/png_read.h"
#include "../game/program_run.h"

namespace fs = std::filesystem;

namespace {

using programrun::BoundMs;
using programrun::MonotonicMs;
using programrun::ReadText;
using programrun::Tail;

// One line of the process log: "<date> <time> start <name> <pid> -> <pid> <line>" or
// "<date> <time> end <name> <pid> exit <code>".
struct LogLine {
    std::string kind, name, line;
    int pid = 0, child = 0, code = 0;
};

std::vector<LogLine> ParseLog(const std::string& text) {
    std::vector<LogLine> out;
    std::istringstream in(text);
    for (std::string raw; std::getline(in, raw);) {
        std::istringstream w(raw);
        std::string date, time, arrow, exitWord;
        LogLine l;
        if (!(w >> date >> time >> l.kind >> l.name >> l.pid)) continue;
        if (l.kind == "start") {
            w >> arrow >> l.child;
            // The command line: everything after the new pid and its one separating blank.
            const std::string key = "-> " + std::to_string(l.child) + " ";
            const size_t at = raw.find(key);
            l.line = at == std::string::npos ? "" : raw.substr(at + key.size());
        } else {
            w >> exitWord >> l.code;
        }
        out.push_back(l);
    }
    return out;
}

bool Alive(int pid) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    if (!std::getline(f, stat)) return false;
    const size_t close = stat.rfind(')');
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

// The screenshots one program run left, numbered by its paints and frames, in order, and the
// one of its exit last.
std::vector<Png> Shots(const std::string& stem) {
    std::vector<Png> out;
    for (int n = 1;; ++n) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "-%05d.png", n);
        Png p;
        if (!ReadPng(stem + suffix, &p)) break;
        out.push_back(p);
    }
    Png last;
    if (ReadPng(stem + ".png", &last)) out.push_back(last);
    return out;
}

bool Dark(uint32_t p) { return ((p >> 16) & 0xFF) < 8 && ((p >> 8) & 0xFF) < 8 && (p & 0xFF) < 8; }

// The prompt fills the launcher's whole client area (the movies and scenes leave its border
// black).
bool IsPrompt(const Png& p) {
    if (p.w != 800 || p.h != 600) return false;
    int lit = 0;
    for (int x = 0; x < 800; x += 8) lit += !Dark(p.At(x, 10));
    return lit > 80;
}

// The stand-by picture dimmed: every pixel where x and y have the same parity is black, and
// the others are not all black.
bool IsDimmed(const Png& p) {
    if (p.w < 16 || p.h < 16) return false;
    int lit = 0;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            if ((x % 2) == (y % 2) && !Dark(p.At(x, y))) return false;
            lit += !Dark(p.At(x, y));
        }
    return lit > p.w * p.h / 8;
}

// The program starts of a process log, in order.
std::vector<const LogLine*> Starts(const std::vector<LogLine>& log) {
    std::vector<const LogLine*> starts;
    for (const LogLine& l : log)
        if (l.kind == "start") starts.push_back(&l);
    return starts;
}

// Each of `starts` ended in `log` with 0 (none by a signal) and none is left.
void ExpectEveryStartEnded(const std::vector<LogLine>& log,
                           const std::vector<const LogLine*>& starts, const std::string& diag) {
    for (const LogLine* s : starts) {
        bool ended = false;
        for (const LogLine& l : log)
            if (l.kind == "end" && l.pid == s->child) {
                ended = true;
                EXPECT_EQ(l.code, 0) << l.name << "\n" << diag;
            }
        EXPECT_TRUE(ended) << "process " << s->child << " (" << s->line << ")\n" << diag;
        EXPECT_FALSE(Alive(s->child)) << diag;
    }
}

class Flow : public RunFolderTest {
  protected:
    void SetUp() override {
        RunFolderTest::SetUp();
        if (HasFatalFailure()) return;
        fs::create_directories(folder);
        fs::create_directories(run + "/rt");
        fs::create_directories(run + "/replay");
        fs::create_directories(run + "/shots");
        fs::create_directories(run + "/audio");
        // The engine and the game write their ini files back, and the game its stage records:
        // the run's own copies.
        programrun::MakeProgramFolder(binDir, folder);
    }
    // Starts wynopen as the user does and waits, within `limit` seconds of real time, until
    // every program the set started has ended.
    void RunFlow(const std::string& env, int limit) {
        const std::string cmd =
            "cd '" + folder + "' && env -u WYN_HEADLESS WYN_PROGRAM_DIR='" + folder +
            "' WYN_RUNTIME_DIR='" + run + "/rt' WYN_PROCESS_LOG='" + run +
            "/process.log' WYN_MSGBOX_LOG='" + run + "/boxes' WYN_REPLAY='" + run +
            "/replay/%p-%n.replay' WYN_SCREENSHOT='" + run +
            "/shots/%p-%n.png' WYN_AUDIO_CAPTURE='" + run + "/audio/%p-%n.wav' " + env +
            " timeout " + std::to_string(limit) + " ./wynopen 2>'" + run + "/err'";
        const long start = MonotonicMs();
        const int status = std::system(cmd.c_str());
        launcherCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        // The programs wynopen started live on after it: wait for their ends in the log.
        for (;;) {
            log = ParseLog(ReadText(run + "/process.log"));
            bool running = false;
            for (const LogLine& l : log)
                if (l.kind == "start" && Alive(l.child)) running = true;
            if (!running || MonotonicMs() - start > BoundMs(limit)) break;
            usleep(100000);
        }
        const long took = MonotonicMs() - start;
        diag = "flow of " + std::to_string(took) + " ms real time, wynopen exit " +
               std::to_string(launcherCode) + "\n--- process log:\n" +
               Tail(ReadText(run + "/process.log")) + "--- boxes:\n" +
               Tail(ReadText(run + "/boxes")) + "--- stderr, last lines:\n" +
               Tail(ReadText(run + "/err"));
    }
    // Ends whatever the flow left running (a failed run), by the pids of its own log.
    void TearDown() override {
        for (const LogLine& l : log)
            if (l.kind == "start" && Alive(l.child)) kill(l.child, SIGKILL);
    }
    void Replay(const std::string& name, const std::string& lines) {
        std::ofstream(run + "/replay/" + name) << lines;
    }
    // The front-end of the run's folder starts `stage` of rjtt: its start-up script compiled
    // anew with a definition file naming that stage, and the stage made into the folder.
    void FrontEndStarts(const std::string& stage, const std::string& stageSource) {
        const std::string sources = WYN_FRONTEND_SOURCES;
        std::string def = ReadText(sources + "/vsk.def");
        const std::string sample = "'FESTAGE' '\"stage01\"'";
        ASSERT_NE(def.find(sample), std::string::npos) << def;
        def.replace(def.find(sample), sample.size(), "'FESTAGE' '\"" + stage + "\"'");
        for (const char* name : {"vsk.def", "VSK.SNB"}) fs::remove(folder + "/" + name);
        std::ofstream(folder + "/vsk.def", std::ios::binary) << def;
        // The definitions name their include relative to the sources' folder.
        const std::string make = "cd '" + sources + "' && '" + binDir + "/snbmake' -u -d '" +
                                 folder + "/vsk.def' VSK.SNA '" + folder + "/VSK.SNB' && '" +
                                 binDir + "/stagemake' '" + folder + "' '" + stageSource +
                                 "' >/dev/null";
        ASSERT_EQ(std::system(make.c_str()), 0) << make;
    }
    std::string diag;
    std::vector<LogLine> log;
    int launcherCode = -1;
};

// Keys every 300 ms of the real clock: one ends the first movie, one the logo scene (so the
// airliner scene is skipped), one the prompt.
std::string KeysEvery300Ms() {
    std::string lines;
    for (int ms = 300; ms <= 60000; ms += 300) lines += std::to_string(ms) + " key SPACE\n";
    return lines;
}

void ExpectTheHandOverToTheScriptHost(const std::vector<LogLine>& log, const std::string& diag,
                                      const std::string& shots) {
    // The starts in order: the stand-by window with the script host, then the script host
    // with its blank argument line.
    const std::vector<const LogLine*> starts = Starts(log);
    ASSERT_GE(starts.size(), 2u) << diag;
    EXPECT_EQ(starts[0]->name, "wynopen") << diag;
    EXPECT_EQ(starts[0]->line, "standby.exe vsk33.exe ") << diag;
    EXPECT_EQ(starts[1]->name, "standby") << diag;
    EXPECT_EQ(starts[1]->line, "vsk33.exe  ") << diag;
    // Every program ended, none by a signal, and none is left.
    ExpectEveryStartEnded(log, starts, diag);
    // The launcher showed its prompt; the stand-by window its dimmed picture.
    bool prompt = false;
    for (const Png& p : Shots(shots + "/wynopen-1")) prompt = prompt || IsPrompt(p);
    EXPECT_TRUE(prompt) << "no screenshot of wynopen-1 shows the prompt";
    bool dimmed = false;
    for (const Png& p : Shots(shots + "/standby-1")) dimmed = dimmed || IsDimmed(p);
    EXPECT_TRUE(dimmed) << "no screenshot of standby-1 shows the dimmed picture";
}

TEST_F(Flow, TheLauncherHandsOverToTheScriptHost) {
    Replay("wynopen-1.replay", KeysEvery300Ms());
    // The script host's front-end, when it stands, is closed after a while; so is each later
    // start of it (a stand-by window still open when the host exits takes the host's
    // STANDBY_RUN and starts it again).
    for (int n = 1; n <= 6; ++n) Replay("vsk33-" + std::to_string(n) + ".replay", "3000 close\n");
    RunFlow("WYN_HEADLESS=1 WYN_SCREENSHOT_EVERY=5 WYN_SCREENSHOT_PAINT=1", 120);
    EXPECT_EQ(launcherCode, 0) << diag;
    ExpectTheHandOverToTheScriptHost(log, diag, run + "/shots");
    // No window of the set is left published.
    EXPECT_TRUE(fs::is_empty(run + "/rt/win")) << diag;
}

// Whether a screenshot shows the front-end's title menu: its three rows' texts white where
// the script draws them.
bool IsTitleMenu(const Png& p) {
    if (p.w != 800 || p.h != 600) return false;
    for (int row : {354, 404, 454}) {
        int white = 0;
        for (int y = row; y < row + 18; ++y)
            for (int x = 310; x < 400; ++x) white += p.At(x, y) == 0xFFFFFF;
        if (white < 20) return false;
    }
    return true;
}

// Whether a screenshot of the game shows its 3D view: the band between the radio panel and the
// strip board lit, in many colours.
bool IsGameView(const Png& p) {
    if (p.w != 800 || p.h != 600) return false;
    std::vector<uint32_t> seen;
    int lit = 0, all = 0;
    for (int y = 204; y < 396; y += 2)
        for (int x = 0; x < 800; x += 2, ++all) {
            lit += !Dark(p.At(x, y)) && ((p.At(x, y) >> 16) & 0xFF) > 64;
            if (seen.size() < 16 && std::find(seen.begin(), seen.end(), p.At(x, y)) == seen.end())
                seen.push_back(p.At(x, y));
        }
    return seen.size() >= 16 && lit > all / 2;
}

// Clicks on the front-end's Start row from 3 s on, every 1.5 s: the first one the menu takes
// (it may come up late on a loaded machine) starts the game and ends the host.
std::string ClicksOnStart() {
    std::string lines;
    for (int ms = 3000; ms <= 60000; ms += 1500)
        lines +=
            std::to_string(ms) + " down 400 363\n" + std::to_string(ms + 100) + " up 400 363\n";
    return lines;
}

// The whole flow: launcher, stand-by window, front-end, Start, stand-by window with the game's
// command line, the game playing a stage of one game minute to its end, stand-by window with
// the script host's, the front-end again, closed by its close box.
TEST_F(Flow, TheFrontEndStartsTheGameWhichHandsBackToTheFrontEnd) {
    FrontEndStarts("notclear", WYN_FLOW_STAGE);
    Replay("wynopen-1.replay", KeysEvery300Ms());
    Replay("vsk33-1.replay", ClicksOnStart());
    // The front-end shown again is closed once it has stood a while; so is any later start.
    for (int n = 2; n <= 6; ++n) Replay("vsk33-" + std::to_string(n) + ".replay", "6000 close\n");
    RunFlow("WYN_HEADLESS=1 WYN_SCREENSHOT_EVERY=5 WYN_SCREENSHOT_PAINT=1", 240);
    EXPECT_EQ(launcherCode, 0) << diag;
    const std::vector<const LogLine*> starts = Starts(log);
    std::string order;
    for (const LogLine* s : starts) order += s->name + ": [" + s->line + "]\n";
    ASSERT_EQ(starts.size(), 6u) << order << diag;
    // Who started whom, in order: the launcher the stand-by window with the script host; that
    // the host; the front-end the stand-by window with the game and its stage; that the game;
    // the game at its end the stand-by window with the script host and the stage's folder;
    // that the host again.
    EXPECT_EQ(starts[0]->name, "wynopen") << order;
    EXPECT_EQ(starts[0]->line, "standby.exe vsk33.exe ") << order;
    // The stand-by window names the program it starts before its arguments.
    EXPECT_EQ(starts[1]->name, "standby") << order;
    EXPECT_EQ(starts[1]->line, "vsk33.exe  ") << order;
    EXPECT_EQ(starts[2]->name, "vsk33") << order;
    EXPECT_NE(starts[2]->line.find("standby.exe wyntower rjtt notclear"), std::string::npos)
        << order;
    EXPECT_EQ(starts[3]->name, "standby") << order;
    EXPECT_EQ(starts[3]->line, "wyntower.exe  rjtt notclear") << order;
    EXPECT_EQ(starts[4]->name, "wyntower") << order;
    EXPECT_NE(starts[4]->line.find("VSK33.EXE  rjtt"), std::string::npos) << order;
    EXPECT_EQ(starts[5]->name, "standby") << order;
    EXPECT_NE(starts[5]->line.find("rjtt"), std::string::npos) << order;
    // Each started program ended with 0 (none by a signal), none is left, and no window of the
    // set stays published.
    ExpectEveryStartEnded(log, starts, diag);
    EXPECT_TRUE(fs::is_empty(run + "/rt/win")) << diag;
    // What was seen: the prompt, the dimmed stand-by picture, the front-end's menu, the game's
    // 3D view, the front-end's menu again.
    const std::string shots = run + "/shots";
    bool prompt = false;
    for (const Png& p : Shots(shots + "/wynopen-1")) prompt = prompt || IsPrompt(p);
    EXPECT_TRUE(prompt) << "no screenshot of wynopen-1 shows the prompt";
    bool dimmed = false;
    for (const Png& p : Shots(shots + "/standby-2")) dimmed = dimmed || IsDimmed(p);
    EXPECT_TRUE(dimmed) << "no screenshot of standby-2 shows the dimmed picture";
    for (const char* host : {"vsk33-1", "vsk33-2"}) {
        bool menu = false;
        for (const Png& p : Shots(shots + "/" + host)) menu = menu || IsTitleMenu(p);
        EXPECT_TRUE(menu) << "no screenshot of " << host << " shows the front-end's menu";
    }
    bool view = false;
    for (const Png& p : Shots(shots + "/wyntower-1")) view = view || IsGameView(p);
    EXPECT_TRUE(view) << "no screenshot of wyntower-1 shows the 3D view";
    // Each program recorded its own sound: the game's is heard, and no later program of the
    // chain wrote over it.
    for (const char* program : {"wynopen-1", "vsk33-1", "wyntower-1"})
        EXPECT_TRUE(fs::exists(run + "/audio/" + program + ".wav")) << program;
    int loud = 0;
    for (int16_t v : ReadCapture16(run + "/audio/wyntower-1.wav")) loud += std::abs(v) > 1000;
    EXPECT_GT(loud, 2205) << "the game's recording holds its sound";
}

}  // namespace
