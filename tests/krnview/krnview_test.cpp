// krnview shows the sample scene: the sky above the horizon, the shaded ground below it, and
// the camera turned by keys and a mouse drag moves the picture.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "../common/png_read.h"

namespace {

std::string RunDir() {
    const char* d = std::getenv("WYN_RUNTIME_DIR");
    std::string dir = d ? d : "/tmp/krnview_test";
    EXPECT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
    return dir;
}

// Runs the viewer with `env` before it and the replay `events`; returns its screenshot.
void RunViewer(const std::string& env, const std::string& tag, const std::string& events,
               Png* shot) {
    const std::string dir = RunDir();
    const std::string replay = dir + "/" + tag + ".replay";
    std::ofstream(replay) << events;
    const std::string png = dir + "/" + tag + ".png";
    std::remove(png.c_str());
    const std::string cmd = env + " WYN_CLOCK=virtual WYN_REPLAY='" + replay +
                            "' WYN_SCREENSHOT='" + png + "' timeout 120 ./krnview 2>'" + dir + "/" +
                            tag + ".log'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    ASSERT_TRUE(ReadPng(png, shot)) << png;
}

constexpr uint32_t kSky = 0x80B0E0;

void CheckScene(const Png& p, const std::string& tag) {
    ASSERT_EQ(p.w, 640) << tag;
    ASSERT_EQ(p.h, 480) << tag;
    EXPECT_EQ(p.At(320, 5), kSky) << tag << ": sky at the top";
    // Below the horizon: the ground, shaded (several colours, none of them the sky).
    std::set<uint32_t> colours;
    int sky = 0;
    for (int y = 300; y < 480; y += 3)
        for (int x = 0; x < 640; x += 3) {
            colours.insert(p.At(x, y));
            sky += p.At(x, y) == kSky;
        }
    EXPECT_EQ(sky, 0) << tag << ": the ground fills the bottom";
    EXPECT_GE(colours.size(), 3u) << tag << ": shaded";
}

const char* kStill = "500 close\n";
const char* kTurned =
    "100 key LEFT\n150 key LEFT\n200 key UP\n250 down 300 200 left\n"
    "300 move 340 210 left\n350 up 340 210 left\n600 close\n";

TEST(KrnView, HeadlessShowsTheSceneAndTurns) {
    Png still, turned;
    RunViewer("WYN_HEADLESS=1", "still", kStill, &still);
    CheckScene(still, "still");
    RunViewer("WYN_HEADLESS=1", "turned", kTurned, &turned);
    ASSERT_EQ(turned.w, 640);
    EXPECT_NE(still.px, turned.px) << "the camera turned";
}

TEST(KrnView, RealWindowUnderADisplay) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no display (the test script provides a virtual one)";
    Png p;
    RunViewer("env -u WYN_HEADLESS WYN_BACKEND=sdl ASAN_OPTIONS=detect_leaks=0", "desktop", kStill,
              &p);
    CheckScene(p, "desktop");
}

}  // namespace
