// The set run as one, as the user starts it: wynopen, a key at its prompt, the stand-by window,
// the script host. Every program runs in a process of its own on the real clock, in a program
// folder of the test's own; each reads its replay and writes its screenshots by the %p-%n
// patterns (wynopen-1, standby-1, vsk33-1, ...). The process log tells every start and end.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "../common/png_read.h"

namespace fs = std::filesystem;

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

long MonotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000L + ts.tv_nsec / 1000000L;
}

std::string Tail(const std::string& text, int lines = 25) {
    size_t at = text.size();
    for (int n = 0; n <= lines; ++n) {
        if (at == 0) return text;
        at = text.rfind('\n', at - 1);
        if (at == std::string::npos) return text;
    }
    return text.substr(at + 1);
}

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

// The screenshots one program run left, numbered by its paints and frames, in order.
std::vector<Png> Shots(const std::string& stem) {
    std::vector<Png> out;
    for (int n = 1;; ++n) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "-%05d.png", n);
        Png p;
        if (!ReadPng(stem + suffix, &p)) break;
        out.push_back(p);
    }
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

class Flow : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* base = std::getenv("WYN_RUNTIME_DIR");
        const char* bin = std::getenv("WYN_PROGRAM_DIR");
        ASSERT_NE(base, nullptr);
        ASSERT_NE(bin, nullptr);
        run = std::string(base) + "/" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(run);
        folder = run + "/bin";
        fs::create_directories(folder);
        fs::create_directories(run + "/rt");
        fs::create_directories(run + "/replay");
        fs::create_directories(run + "/shots");
        // The engine writes its ini back at its end: a copy of the run's own.
        for (const auto& e : fs::directory_iterator(bin)) {
            const std::string name = e.path().filename().string();
            if (name == "krn2.ini")
                fs::copy_file(e.path(), folder + "/" + name);
            else
                fs::create_symlink(e.path(), folder + "/" + name);
        }
    }
    // Starts wynopen as the user does and waits, within `limit` seconds of real time, until
    // every program the set started has ended.
    void RunFlow(const std::string& env, int limit) {
        const std::string cmd =
            "cd '" + folder + "' && env -u WYN_HEADLESS WYN_PROGRAM_DIR='" + folder +
            "' WYN_RUNTIME_DIR='" + run + "/rt' WYN_PROCESS_LOG='" + run +
            "/process.log' WYN_MSGBOX_LOG='" + run + "/boxes' WYN_REPLAY='" + run +
            "/replay/%p-%n.replay' WYN_SCREENSHOT='" + run + "/shots/%p-%n.png' " + env +
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
            if (!running || MonotonicMs() - start > limit * 1000L) break;
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
    // The stand-by window closes itself at the first message after 8 s: until the script
    // host's front-end closes it (as the demos close it once their window stands), a mouse
    // move over it after 12 s brings that message.
    void StandbyLeaves() { Replay("standby-1.replay", "12000 move 20 20\n"); }
    std::string run, folder, diag;
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
    std::vector<const LogLine*> starts;
    for (const LogLine& l : log)
        if (l.kind == "start") starts.push_back(&l);
    ASSERT_GE(starts.size(), 2u) << diag;
    EXPECT_EQ(starts[0]->name, "wynopen") << diag;
    EXPECT_EQ(starts[0]->line, "standby.exe vsk33.exe ") << diag;
    EXPECT_EQ(starts[1]->name, "standby") << diag;
    EXPECT_EQ(starts[1]->line, " ") << diag;
    // Every program ended, none by a signal, and none is left.
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
    StandbyLeaves();
    RunFlow("WYN_HEADLESS=1 WYN_SCREENSHOT_EVERY=5 WYN_SCREENSHOT_PAINT=1", 120);
    EXPECT_EQ(launcherCode, 0) << diag;
    ExpectTheHandOverToTheScriptHost(log, diag, run + "/shots");
    // No window of the set is left published.
    EXPECT_TRUE(fs::is_empty(run + "/rt/win")) << diag;
}

}  // namespace
