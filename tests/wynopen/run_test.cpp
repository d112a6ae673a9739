// wynopen run as a process, in a program folder of the test's own: headless on the virtual
// clock (a whole round untouched, keys during the movies, a close during the airliner scene,
// a second launcher), and on the real clock the hand-over through the stand-by window to a
// stand-in script host, headless and in a real window on a display of its own. What was seen
// and heard comes from the numbered screenshots and the audio capture; the hand-over from the
// process log.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <time.h>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "../common/capture_read.h"
#include "../common/picture_match.h"
#include "../common/png_read.h"
#include "../common/program_output.h"
#include "../common/run_folder.h"

namespace fs = std::filesystem;

namespace {

using programrun::Count;
using programrun::MonotonicMs;
using programrun::ReadText;
using programrun::Tail;

// ---- what was heard ----

constexpr size_t kWindow = 2205;  // 100 ms of frames
// The tones of the sample data: the two movies, the logo scene's krn.wav, the airliner
// scene's open.wav.
enum Tone { kMovie1, kMovie2, kLogo, kScene, kTones };
const double kHz[kTones] = {440.0, 660.0, 1000.0, 392.0};
const char* const kToneName[kTones] = {"movie 1", "movie 2", "logo", "scene"};

// Per 100 ms window of the capture: which tones sound.
struct Heard {
    std::vector<std::array<bool, kTones>> windows;
    // The first window at or after `from` in which `tone` sounds, or -1.
    int First(Tone tone, int from = 0) const {
        for (size_t i = size_t(std::max(from, 0)); i < windows.size(); ++i)
            if (windows[i][tone]) return int(i);
        return -1;
    }
    int Last(Tone tone) const {
        for (size_t i = windows.size(); i-- > 0;)
            if (windows[i][tone]) return int(i);
        return -1;
    }
    std::string Describe() const {
        std::string out = std::to_string(windows.size()) + " windows of 100 ms;";
        for (int t = 0; t < kTones; ++t)
            out += std::string(" ") + kToneName[t] + " " + std::to_string(First(Tone(t))) + ".." +
                   std::to_string(Last(Tone(t)));
        return out;
    }
};

Heard Listen(const std::string& capture) {
    const std::vector<int16_t> s = ReadCapture16(capture);
    Heard h;
    for (size_t at = 0; 2 * (at + kWindow) <= s.size(); at += kWindow) {
        // The loudest of the tones, when it is loud.
        std::array<bool, kTones> w{};
        double best = 1500.0;
        int loudest = -1;
        for (int t = 0; t < kTones; ++t)
            if (const double l = ToneLevel(s, at, kWindow, kHz[t]); l > best) {
                best = l;
                loudest = t;
            }
        if (loudest >= 0) w[size_t(loudest)] = true;
        h.windows.push_back(w);
    }
    return h;
}

// ---- what was seen ----

enum class Look { kBlack, kMovie, kLogo, kScene, kPrompt };
const char* LookName(Look l) {
    switch (l) {
        case Look::kBlack:
            return "black";
        case Look::kMovie:
            return "movie";
        case Look::kLogo:
            return "logo";
        case Look::kScene:
            return "scene";
        default:
            return "prompt";
    }
}

void PrintTo(Look l, std::ostream* os) { *os << LookName(l); }

bool Dark(uint32_t p) { return ((p >> 16) & 0xFF) < 8 && ((p >> 8) & 0xFF) < 8 && (p & 0xFF) < 8; }

// Classifies a screenshot of the launcher's 800 x 600 client area: the prompt fills the whole
// area; a 3D scene draws the grey frame-rate line under the view and the airliner scene its
// sky; a movie fills the view only.
Look Classify(const Png& p) {
    if (p.w != 800 || p.h != 600) return Look::kBlack;
    int lit = 0, grey = 0;
    for (int y = 0; y < 40; y += 4)
        for (int x = 0; x < 800; x += 8) lit += !Dark(p.At(x, y));
    if (lit > 100) return Look::kPrompt;
    for (int y = 560; y < 580; ++y)
        for (int x = 340; x < 800; ++x) grey += p.At(x, y) == 0x808080;
    int view = 0;
    for (int y = 60; y < 540; y += 8)
        for (int x = 80; x < 720; x += 8) view += !Dark(p.At(x, y));
    // The logo scene turns on black; the airliner scene fills the view with ground and sky.
    if (grey > 20) return view > 3000 ? Look::kScene : Look::kLogo;
    if (view > 1000) return Look::kMovie;
    return Look::kBlack;
}

// Calls each(n, shot) for the numbered screenshots <stem>-00001.png... in order.
template <class Each>
void EachShot(const std::string& stem, Each each) {
    for (int n = 1;; ++n) {
        char path[64];
        std::snprintf(path, sizeof path, "-%05d.png", n);
        Png p;
        if (!ReadPng(stem + path, &p)) break;
        each(n, p);
    }
}

// The looks of the numbered screenshots in order, repeats folded.
std::vector<Look> LookSequence(const std::string& stem, std::string* names) {
    std::vector<Look> out;
    EachShot(stem, [&](int n, const Png& p) {
        const Look l = Classify(p);
        if (l == Look::kBlack || (!out.empty() && out.back() == l)) return;
        out.push_back(l);
        *names += std::string(LookName(l)) + "@" + std::to_string(n) + " ";
    });
    return out;
}

// The staff-roll strips the numbered screenshots of the airliner scene show, each where the
// launcher's table puts it on the view (client (80, 60)), in order, repeats folded. A strip is
// seen when nine in ten of its drawn pixels (the key, black, left out) show at its place.
std::vector<int> StaffStripsSeen(const std::string& stem, std::string* names) {
    constexpr int kStrips = 14, kWidth = 256, kRows = 164;
    const int place[kStrips][2] = {{344, 304}, {0, 304},  {0, 16},    {344, 14}, {344, 296},
                                   {4, 300},   {4, 16},   {344, 304}, {340, 14}, {0, 304},
                                   {340, 284}, {16, 288}, {16, 292},  {316, 284}};
    const Picture staff("demo\\staff.umz");
    std::vector<int> out;
    EachShot(stem, [&](int n, const Png& p) {
        if (Classify(p) != Look::kScene) return;
        for (int k = 0; k < kStrips; ++k) {
            const Match m = Compare(p, 80 + place[k][0], 60 + place[k][1], kWidth, kRows, staff, 0,
                                    kRows * k, 0);
            if (!m.Mostly() || (!out.empty() && out.back() == k)) continue;
            out.push_back(k);
            *names += std::to_string(k) + "@" + std::to_string(n) + " ";
        }
    });
    return out;
}

class LauncherRun : public RunFolderTest {
  protected:
    void SetUp() override {
        RunFolderTest::SetUp();
        if (HasFatalFailure()) return;
        // A program folder of the run's own: the engine writes its ini there, and the script
        // host is the stand-in (a copy, so that it runs under its own name).
        fs::create_directories(run + "/rt");
        LinkBuildFolder(binDir, folder, {"vsk33"});
        fs::copy_file(WYN_STANDIN, folder + "/vsk33");
    }
    // Runs wynopen (after `wrap`, a command that runs the rest) with `env`, bounded by
    // `limit` seconds; its exit code. The process log, the boxes and stderr are kept; a run
    // that fails says how far it came.
    int Run(const std::string& wrap, const std::string& env, int limit,
            const std::string& program = "wynopen") {
        const std::string cmd =
            "cd '" + folder + "' && " + wrap + " env -u WYN_HEADLESS WYN_PROGRAM_DIR='" + folder +
            "' WYN_RUNTIME_DIR='" + run + "/rt' WYN_PROCESS_LOG='" + run +
            "/process.log' WYN_MSGBOX_LOG='" + run + "/boxes' WYN_LOG_WINDOWS=1 " + env +
            " timeout " + std::to_string(limit) + " '" + folder + "/" + program + "' 2>>'" + run +
            "/err'";
        const long start = MonotonicMs();
        const int status = std::system(cmd.c_str());
        const long took = MonotonicMs() - start;
        log = ReadText(run + "/process.log");
        boxes = ReadText(run + "/boxes");
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        diag = "run of " + std::to_string(took) + " ms real time, exit " + std::to_string(code) +
               "\n--- process log:\n" + Tail(log) + "--- boxes:\n" + Tail(boxes) +
               "--- stderr, last lines:\n" + Tail(ReadText(run + "/err"));
        return code;
    }
    void Replay(const std::string& name, const std::string& lines) {
        std::ofstream(run + "/" + name) << lines;
    }
    std::string Headless() const { return "WYN_HEADLESS=1 WYN_CLOCK=virtual"; }
    std::string log, boxes, diag;
};

TEST_F(LauncherRun, AWholeRoundUntouchedWithTheWholeStaffRollThenTheFirstMovieAgain) {
    // One round lasts about 113.7 s of the virtual clock (the scenes' frame clocks run a little
    // fast); the close comes in the next first movie.
    Replay("close.replay", "115500 close\n");
    ASSERT_EQ(Run("",
                  Headless() + " WYN_REPLAY='" + run + "/close.replay' WYN_AUDIO_CAPTURE='" + run +
                      "/sound.wav' WYN_SCREENSHOT='" + run + "/shot.png' WYN_SCREENSHOT_EVERY=20",
                  500),
              0)
        << diag;
    const Heard h = Listen(run + "/sound.wav");
    const int m1 = h.First(kMovie1), m2 = h.First(kMovie2), logo = h.First(kLogo),
              scene = h.First(kScene), again = h.First(kMovie1, std::max(scene, 0));
    ASSERT_GE(m1, 0) << h.Describe();
    EXPECT_LT(m1, m2) << h.Describe();
    EXPECT_LT(m2, logo) << h.Describe();
    EXPECT_LT(logo, scene) << h.Describe();
    EXPECT_LT(scene, again) << h.Describe();
    // Each movie plays its 3 s; krn.wav comes once the second movie has given the output back.
    EXPECT_GE(h.Last(kMovie1) - m1, 25) << h.Describe();
    EXPECT_LE(logo - m2, 40) << h.Describe();
    // The airliner scene's 88.5 s of frame clock (each frame counts 1 ms more than it took),
    // then 2 s, the prompt's 10 s and 1 s.
    EXPECT_GE(again - scene, 900) << h.Describe();
    std::string names;
    const std::vector<Look> seen = LookSequence(run + "/shot", &names);
    // The second round's first movie is heard above; it may be too short for a shot.
    std::vector<Look> want = {Look::kMovie, Look::kLogo, Look::kScene, Look::kPrompt};
    if (seen.size() == want.size() + 1) want.push_back(Look::kMovie);
    EXPECT_EQ(seen, want) << names;
    // Every strip of the staff roll showed, at its table place, in the table's order.
    std::string strips;
    EXPECT_EQ(StaffStripsSeen(run + "/shot", &strips),
              (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13}))
        << strips;
    EXPECT_EQ(log.find("start wynopen"), std::string::npos) << log;
    EXPECT_NE(log.find("end wynopen"), std::string::npos) << log;
}

TEST_F(LauncherRun, SpaceInTheFirstMovieSkipsTheSecondShiftDoesNothing) {
    Replay("keys.replay", "1000 key SHIFT\n2000 key SPACE\n6000 close\n");
    ASSERT_EQ(Run("",
                  Headless() + " WYN_REPLAY='" + run + "/keys.replay' WYN_AUDIO_CAPTURE='" + run +
                      "/sound.wav'",
                  120),
              0)
        << diag;
    const Heard h = Listen(run + "/sound.wav");
    const int m1 = h.First(kMovie1);
    ASSERT_GE(m1, 0) << h.Describe();
    // Shift at 1 s left the movie playing; Space at 2 s ended it.
    EXPECT_GE(h.Last(kMovie1) - m1, 15) << h.Describe();
    EXPECT_LE(h.Last(kMovie1) - m1, 25) << h.Describe();
    EXPECT_EQ(h.First(kMovie2), -1) << h.Describe();
    EXPECT_GT(h.First(kLogo), h.Last(kMovie1)) << h.Describe();
    EXPECT_EQ(log.find("start wynopen"), std::string::npos) << log;
}

TEST_F(LauncherRun, ACloseInTheAirlinerSceneEndsItWithoutHandOver) {
    // Space ends the first movie at 1 s; the logo scene runs its 13 s; the close comes 6 s
    // into the airliner scene.
    Replay("keys.replay", "1000 key SPACE\n21000 close\n");
    ASSERT_EQ(Run("",
                  Headless() + " WYN_REPLAY='" + run + "/keys.replay' WYN_AUDIO_CAPTURE='" + run +
                      "/sound.wav'",
                  180),
              0)
        << diag;
    const Heard h = Listen(run + "/sound.wav");
    ASSERT_GE(h.First(kScene), 0) << h.Describe();
    // Ended at the next frame: no 2 s wait, no prompt.
    EXPECT_LE(h.windows.size(), 222u) << h.Describe();
    EXPECT_EQ(log.find("start wynopen"), std::string::npos) << log;
    EXPECT_EQ(Count(log, "end wynopen"), 1) << log;
}

// A key and a close that come together in the first movie: the key is taken first, yet only a
// key at the prompt hands over, so the launcher ends without starting the stand-by window.
TEST_F(LauncherRun, AKeyAndACloseTogetherInTheFirstMovieEndWithoutHandOver) {
    Replay("keys.replay", "1000 key SPACE\n1000 close\n");
    ASSERT_EQ(Run("", Headless() + " WYN_REPLAY='" + run + "/keys.replay'", 120), 0) << diag;
    EXPECT_EQ(log.find("start wynopen"), std::string::npos) << log;
    EXPECT_EQ(log.find("standby"), std::string::npos) << log;
    EXPECT_EQ(Count(log, "end wynopen"), 1) << log;
}

TEST_F(LauncherRun, ASecondLauncherEndsAndLeavesTheFirst) {
    Replay("close.replay", "20000 close\n");
    // The first runs in the background, on the real clock, so that it still stands when the
    // second starts however fast virtual time would run on a loaded machine; the second starts
    // once its window stands.
    const std::string first = "(cd '" + folder + "' && env -u WYN_HEADLESS WYN_PROGRAM_DIR='" +
                              folder + "' WYN_RUNTIME_DIR='" + run +
                              "/rt' WYN_HEADLESS=1 WYN_LOG_WINDOWS=1 WYN_REPLAY='" + run +
                              "/close.replay' timeout 120 '" + folder + "/wynopen' 2>'" + run +
                              "/first.err'; echo $? >'" + run + "/first.code') &";
    ASSERT_EQ(std::system(first.c_str()), 0);
    bool up = false;
    for (int i = 0; i < 600 && !up; ++i) {
        up = ReadText(run + "/first.err").find("window \"Wynmoor") != std::string::npos;
        usleep(100000);
    }
    ASSERT_TRUE(up) << "the first launcher's window did not appear\n"
                    << ReadText(run + "/first.err");
    EXPECT_EQ(Run("", Headless(), 60), 255) << diag;
    for (int i = 0; i < 1200 && !fs::exists(run + "/first.code"); ++i) usleep(100000);
    EXPECT_EQ(ReadText(run + "/first.code"), "0\n") << ReadText(run + "/first.err");
}

// Keys every 300 ms of the real clock: one ends the first movie, one the logo scene (so the
// airliner scene is skipped), one the prompt.
std::string KeysEvery300Ms() {
    std::string lines;
    for (int ms = 300; ms <= 60000; ms += 300) lines += std::to_string(ms) + " key SPACE\n";
    return lines;
}

void ExpectHandOver(const std::string& log, const std::string& notes) {
    // wynopen started the stand-by window with the script host, the stand-by window started
    // the stand-in with a blank, after the launcher's window was gone; then wynopen ended.
    const size_t standby = log.find("standby.exe vsk33.exe \n");
    ASSERT_NE(standby, std::string::npos) << log;
    EXPECT_NE(log.rfind("start wynopen", standby), std::string::npos) << log;
    const size_t host = log.find(" start standby ", standby);
    ASSERT_NE(host, std::string::npos) << log;
    EXPECT_EQ(log.substr(log.find('\n', host) - 2, 3), "  \n") << log;
    EXPECT_NE(log.find("end wynopen", host), std::string::npos) << log;
    EXPECT_EQ(notes, "[ ] launcher 0\n");
}

TEST_F(LauncherRun, AKeyAtThePromptHandsOverToTheScriptHost) {
    Replay("keys.replay", KeysEvery300Ms());
    ASSERT_EQ(Run("", "WYN_HEADLESS=1 WYN_REPLAY='" + run + "/keys.replay'", 120), 0) << diag;
    ExpectHandOver(log, ReadText(run + "/rt/vsk33.txt"));
}

TEST_F(LauncherRun, AKeyAtThePromptHandsOverInARealWindow) {
    if (std::system("command -v xvfb-run >/dev/null") != 0) GTEST_SKIP() << "no xvfb-run";
    Replay("keys.replay", KeysEvery300Ms());
    ASSERT_EQ(Run("xvfb-run -a -s '-screen 0 1024x768x24'",
                  "WYN_BACKEND=sdl WYN_REPLAY='" + run + "/keys.replay' WYN_SCREENSHOT='" + run +
                      "/%p.png' WYN_SCREENSHOT_EVERY=5",
                  120),
              0)
        << diag;
    ExpectHandOver(log, ReadText(run + "/rt/vsk33.txt"));
    std::string names;
    const std::vector<Look> seen = LookSequence(run + "/wynopen", &names);
    EXPECT_NE(std::find(seen.begin(), seen.end(), Look::kPrompt), seen.end()) << names;
}

}  // namespace
