// The window demo program run as its users run it, fed a replay file and photographed at
// exit: headless always, and on the desktop backend when a display is there (the test
// script wraps the suite in a virtual X display).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../../common/png_read.h"

namespace {

std::string RunDir() {
    const char* d = std::getenv("WYN_RUNTIME_DIR");
    std::string dir = d ? d : "/tmp/windemo_test";
    std::string mk = "mkdir -p '" + dir + "'";
    EXPECT_EQ(std::system(mk.c_str()), 0);
    return dir;
}

// Runs the demo with `env` before it, on the virtual clock so that the replay keeps its order
// against painting; returns its screenshot and what it logged.
void RunDemo(const std::string& env, const std::string& tag, Png* shot, std::string* log) {
    std::string dir = RunDir();
    std::string replay = dir + "/" + tag + ".replay";
    std::ofstream(replay)
        << "# ms event\n0 click 100 100\n50 key A\n100 click 250 180\n200 close\n";
    std::string png = dir + "/" + tag + ".png";
    std::string err = dir + "/" + tag + ".log";
    std::remove(png.c_str());
    std::string cmd = env + " WYN_CLOCK=virtual WYN_REPLAY='" + replay + "' WYN_SCREENSHOT='" +
                      png + "' WYN_LOG_WINDOWS=1 timeout 60 ./windemo 2>'" + err + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    ASSERT_TRUE(ReadPng(png, shot)) << png;
    std::ifstream f(err);
    std::stringstream ss;
    ss << f.rdbuf();
    *log = ss.str();
}

void CheckPicture(const Png& p, const std::string& tag) {
    ASSERT_EQ(p.w, 320) << tag;
    ASSERT_EQ(p.h, 240) << tag;
    EXPECT_EQ(p.At(5, 5), 0x102040u) << tag << ": background";
    // The picture, blitted and doubled: green frame, then the gradient's first pixel.
    EXPECT_EQ(p.At(16, 16), 0x00FF00u) << tag;
    EXPECT_EQ(p.At(18, 18), 0xFF0400u) << tag;
    EXPECT_EQ(p.At(96 + 3, 16 + 3), 0x00FF00u) << tag;
    EXPECT_EQ(p.At(96 + 4, 16 + 4), 0xFF0400u) << tag;
    // The marker sits where the replay clicked last, in client coordinates.
    EXPECT_EQ(p.At(250, 180), 0xFF0000u) << tag;
    EXPECT_EQ(p.At(246, 180), 0x102040u) << tag;
    EXPECT_NE(p.At(100, 100), 0xFF0000u) << tag << ": the first click's marker moved on";
    // The Japanese title in yellow, centred in its band; the status line in white.
    int minX = 1 << 30, maxX = -1, white = 0;
    for (int y = 128; y < 160; ++y)
        for (int x = 0; x < 320; ++x)
            if (p.At(x, y) == 0xFFFF00u) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
            }
    for (int y = 200; y < 232; ++y)
        for (int x = 0; x < 320; ++x) white += p.At(x, y) == 0xFFFFFFu;
    EXPECT_GE(minX, 50) << tag;
    EXPECT_LE(maxX, 270) << tag;
    EXPECT_GT(maxX - minX, 150) << tag;
    EXPECT_GT(white, 50) << tag;
}

TEST(WindowDemo, HeadlessRunShowsPictureTextAndClicks) {
    Png p;
    std::string log;
    RunDemo("WYN_HEADLESS=1", "headless", &p, &log);
    CheckPicture(p, "headless");
    EXPECT_NE(log.find("display backend headless"), std::string::npos) << log;
    EXPECT_NE(log.find("\xE7\xAA\x93\xE3\x81\xAE\xE3\x83\x87\xE3\x83\xA2"), std::string::npos)
        << log;
}

TEST(WindowDemo, ScreenshotAfterEachPaint) {
    std::string dir = RunDir() + "/paints";
    std::string mk = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
    ASSERT_EQ(std::system(mk.c_str()), 0);
    Png p;
    std::string log;
    RunDemo("WYN_HEADLESS=1 WYN_SCREENSHOT_PAINT=1", "paints/run", &p, &log);
    // The first paint, then one after the click, the key and the second click; the close
    // paints nothing more.
    Png first, last;
    ASSERT_TRUE(ReadPng(dir + "/run-00001.png", &first));
    ASSERT_TRUE(ReadPng(dir + "/run-00004.png", &last));
    EXPECT_NE(first.At(100, 100), 0xFF0000u);
    EXPECT_EQ(last.At(250, 180), 0xFF0000u);
    Png none;
    EXPECT_FALSE(ReadPng(dir + "/run-00005.png", &none));
}

TEST(WindowDemo, DesktopRunUnderADisplay) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no display (the test script provides a virtual one)";
    Png p;
    std::string log;
    // The desktop libraries keep a few allocations to the end (the session bus): in sanitizer
    // builds the child is not failed for them.
    RunDemo("env -u WYN_HEADLESS WYN_BACKEND=sdl ASAN_OPTIONS=detect_leaks=0", "desktop", &p, &log);
    CheckPicture(p, "desktop");
    EXPECT_NE(log.find("display backend sdl"), std::string::npos) << log;
}

}  // namespace
