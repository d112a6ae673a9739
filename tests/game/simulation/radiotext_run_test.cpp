// The radio text window as radiotext_run shows it on the game's 2D screen with the sample
// frame picture (pieces of 16 x 16 inside borders of 8): one line of a short text, two lines of
// 64 columns for 65 bytes, three for 128 (the last one empty), a 2000-byte text cut to the lines
// that fit in the 200-row cell, x -1 centred, a y below the view measured from the strip
// board's top; the countdown of seconds x 30 ticks, then the window down and the voices back;
// a countdown of -1 kept with the window up. Headless on the virtual clock, and in a real window
// on a display of its own.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "../../common/png_read.h"
#include "../../common/run_folder.h"
#include "../../common/program_output.h"

namespace fs = std::filesystem;

namespace {

using programrun::ReadText;
using programrun::Tail;

// 16-bit colours as a 24-bit shot shows them.
constexpr uint32_t Shown(uint32_t rgb) {
    auto c = [](uint32_t v) { return ((v >> 3) << 3) | ((v >> 3) >> 2); };
    return c((rgb >> 16) & 0xff) << 16 | c((rgb >> 8) & 0xff) << 8 | c(rgb & 0xff);
}
constexpr uint32_t kBorder = Shown(0x4868a0);  // the frame's outer line, two pixels wide
constexpr uint32_t kText = 0x000084;           // the text's colour value 16
constexpr int kPiece = 16, kEdge = 8;          // the sample frame picture's piece and border

struct Placed {
    int x, y, z, w, h;
};

struct TextRun {
    int status = -1;
    std::string out, err, log;
    std::vector<std::string> lines;
    // The sprite of the log's line "window <n> ...".
    bool Window(int n, int* countdown, Placed* s, int* atc) const {
        const std::string head = "window " + std::to_string(n) + " ";
        for (const std::string& l : lines)
            if (l.rfind(head, 0) == 0) {
                int v10 = 0;
                return std::sscanf(l.c_str() + head.size(),
                                   "countdown %d sprite %d %d %d %d %d atc %d voice10 %d",
                                   countdown, &s->x, &s->y, &s->z, &s->w, &s->h, atc, &v10) == 8;
            }
        return false;
    }
    std::vector<std::string> Ticks() const {
        std::vector<std::string> t;
        for (const std::string& l : lines)
            if (l.rfind("tick ", 0) == 0) t.push_back(l);
        return t;
    }
    std::string Why() const {
        return "exit " + std::to_string(status) + "\nlog:\n" + Tail(log, 20) + "\nstderr:\n" +
               Tail(err, 20);
    }
};

class RadioTextRun : public RunFolderTest {
  protected:
    void SetUp() override {
        RunFolderTest::SetUp();
        if (HasFatalFailure()) return;
        // A program folder of its own: the engine writes its settings back at its end.
        LinkBuildFolder(binDir, folder, {"config.ini", "stage"});
    }
    TextRun Play(const std::string& tag, const std::string& wrap, const std::string& env,
                 const std::string& windows) {
        TextRun r;
        r.out = run + "/" + tag;
        fs::create_directories(r.out);
        const std::string cmd =
            "cd '" + folder + "' && " + wrap + " env -u WYN_HEADLESS WYN_PROGRAM_DIR='" + folder +
            "' WYN_RUNTIME_DIR='" + r.out + "/rt' WYN_CLOCK=virtual " + env + " WYN_SCREENSHOT='" +
            r.out + "/exit.png' timeout 200 " + RADIOTEXT_RUN_PATH + " rjtt clock '" + r.out +
            "' " + windows + " 2>'" + r.out + "/err.txt'";
        const int s = std::system(cmd.c_str());
        r.status = WIFEXITED(s) ? WEXITSTATUS(s) : -1;
        r.err = ReadText(r.out + "/err.txt");
        r.log = ReadText(r.out + "/log.txt");
        std::istringstream in(r.log);
        for (std::string l; std::getline(in, l);) r.lines.push_back(l);
        return r;
    }
};

int Count(const Png& p, uint32_t colour, int left, int top, int right, int bottom) {
    int n = 0;
    for (int y = top; y < bottom && y < p.h; ++y)
        for (int x = left; x < right && x < p.w; ++x) n += x >= 0 && y >= 0 && p.At(x, y) == colour;
    return n;
}

// The windows of both runs: x, y, seconds, bytes; where the sprite lands and its size; the
// text's lines (with text or empty).
struct Case {
    const char* args;
    int x, y, w, h;
    std::vector<bool> lines;
};
const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        // 10 bytes: one line of 5 pieces, below the view: 250 + 400 - 200.
        {"100:250:2:10", 100, 450, 5 * kPiece + 2 * kEdge, kPiece + 2 * kEdge, {true}},
        // 65 bytes: two lines of 64 columns, centred: (800 - (64 x 16 / 2 + 16)) / 2.
        {"-1:10:2:65", 136, 10, 32 * kPiece + 2 * kEdge, 2 * kPiece + 2 * kEdge, {true, true}},
        // 128 bytes: three lines, the last one empty.
        {"-1:10:2:128",
         136,
         10,
         32 * kPiece + 2 * kEdge,
         3 * kPiece + 2 * kEdge,
         {true, true, false}},
        // 2000 bytes would make 32 lines; the 11 that fit in the 200 rows are drawn.
        {"0:0:1:2000", 0, 0, 32 * kPiece + 2 * kEdge, 11 * kPiece + 2 * kEdge,
         std::vector<bool>(11, true)},
    };
    return cases;
}
std::string WindowArgs() {
    std::string s;
    for (const Case& c : Cases()) s += std::string(" ") + c.args;
    return s;
}

void ExpectWindows(const TextRun& r, const std::string& tag) {
    ASSERT_EQ(r.status, 0) << tag << "\n" << r.Why();
    int atc0 = -1;
    for (size_t i = 0; i < Cases().size(); ++i) {
        const Case& c = Cases()[i];
        const std::string what = tag + " " + c.args;
        int countdown = 0, atc = 0;
        Placed s{};
        ASSERT_TRUE(r.Window(int(i + 1), &countdown, &s, &atc)) << what << "\n" << r.Why();
        int seconds = 0;
        std::sscanf(c.args, "%*d:%*d:%d", &seconds);
        EXPECT_EQ(countdown, seconds * 30) << what;
        EXPECT_EQ(s.x, c.x) << what;
        EXPECT_EQ(s.y, c.y) << what;
        EXPECT_EQ(s.z, 1000) << what;
        EXPECT_EQ(s.w, c.w) << what;
        EXPECT_EQ(s.h, c.h) << what;
        if (atc0 < 0) atc0 = atc;
        EXPECT_EQ(atc, atc0) << what << ": lowered once, however often";
        Png p;
        ASSERT_TRUE(ReadPng(r.out + "/window-" + std::to_string(i + 1) + ".png", &p)) << what;
        ASSERT_GE(p.w, 800) << what;
        ASSERT_GE(p.h, 600) << what;
        // The frame's outer line at the window's left corners and its right end, and not
        // beside it (the docked radar, drawn over the sprites, covers x 600 and beyond).
        EXPECT_EQ(p.At(c.x + 1, c.y + 1), kBorder) << what;
        EXPECT_EQ(p.At(c.x + 1, c.y + c.h - 2), kBorder) << what;
        EXPECT_NE(p.At(c.x + 1, c.y + c.h + 1), kBorder) << what;
        if (c.x + c.w + 1 < 600) {
            EXPECT_EQ(p.At(c.x + c.w - 2, c.y + c.h - 2), kBorder) << what;
            EXPECT_NE(p.At(c.x + c.w + 1, c.y + 1), kBorder) << what;
        }
        EXPECT_EQ(Count(p, kText, 0, c.y, 800, c.y + c.h), Count(p, kText, 0, 0, 800, 600))
            << what << ": text outside the window";
        for (size_t k = 0; k < c.lines.size(); ++k) {
            const int top = c.y + kEdge + int(k) * kPiece;
            const int n = Count(p, kText, c.x + kEdge - 1, top, c.x + c.w, top + kPiece);
            if (c.lines[k])
                EXPECT_GT(n, 10) << what << " line " << k;
            else
                EXPECT_EQ(n, 0) << what << " line " << k;
        }
    }
    // The last window's 30 ticks: the countdown runs down, then sprite 60 goes down and the
    // voices come back.
    const std::vector<std::string> ticks = r.Ticks();
    ASSERT_EQ(ticks.size(), 30u) << tag << "\n" << r.Why();
    int t = 0, countdown = -1, z = -1, atc = -1, v10 = -1;
    std::sscanf(ticks[28].c_str(), "tick %d countdown %d z %d atc %d voice10 %d", &t, &countdown,
                &z, &atc, &v10);
    EXPECT_EQ(countdown, 1) << ticks[28];
    EXPECT_EQ(z, 1000) << ticks[28];
    EXPECT_EQ(atc, atc0) << ticks[28];
    const int lowered = v10;
    std::sscanf(ticks[29].c_str(), "tick %d countdown %d z %d atc %d voice10 %d", &t, &countdown,
                &z, &atc, &v10);
    EXPECT_EQ(countdown, 0) << ticks[29];
    EXPECT_EQ(z, 0) << ticks[29];
    EXPECT_GT(atc, atc0) << ticks[29] << ": the radio's volume back";
    EXPECT_GT(v10, lowered) << ticks[29] << ": the effects' volume back";
    Png down;
    ASSERT_TRUE(ReadPng(r.out + "/down.png", &down)) << tag;
    EXPECT_EQ(Count(down, kText, 0, 0, 800, 600), 0) << tag << ": the window is down";
    Png exit;
    EXPECT_TRUE(ReadPng(r.out + "/exit.png", &exit)) << tag << ": WYN_SCREENSHOT";
}

TEST_F(RadioTextRun, WindowsHeadless) {
    ExpectWindows(Play("headless", "", "WYN_HEADLESS=1", WindowArgs()), "headless");
}

TEST_F(RadioTextRun, ACountdownOfMinusOneStays) {
    const TextRun r = Play("stays", "", "WYN_HEADLESS=1", "-1:20:-1:20");
    ASSERT_EQ(r.status, 0) << r.Why();
    int countdown = 0, atc = 0;
    Placed s{};
    ASSERT_TRUE(r.Window(1, &countdown, &s, &atc)) << r.Why();
    EXPECT_EQ(countdown, -1);
    EXPECT_TRUE(r.Ticks().empty()) << "not counted down";
    Png down;
    ASSERT_TRUE(ReadPng(r.out + "/down.png", &down));
    EXPECT_GT(Count(down, kText, 0, 0, 800, 600), 10) << "the window stays";
}

TEST_F(RadioTextRun, WindowsInARealWindow) {
    if (std::system("command -v xvfb-run >/dev/null") != 0) GTEST_SKIP() << "no xvfb-run";
    ExpectWindows(
        Play("desktop", "xvfb-run -a -s '-screen 0 1024x768x24'", "WYN_BACKEND=sdl", WindowArgs()),
        "desktop");
}

}  // namespace
