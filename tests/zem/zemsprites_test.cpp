// The sprite tool run as its users run it and photographed at exit: sprites over the picture,
// each whole and in its lane, and every other pixel the picture's own (no trace of where the
// sprites were). Headless always; on the desktop backend when a display is there (the test
// script wraps the suite in a virtual X display).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../common/png_read.h"

namespace {

constexpr int kW = 400, kH = 300, kSize = 24, kSprites = 6, kFrames = 45;

// A window pixel as 5-bit channels, whichever way the 16-bit screen was widened.
struct Rgb5 {
    int r, g, b;
};
Rgb5 Five(uint32_t rgb) {
    return Rgb5{int(rgb >> 19) & 31, int(rgb >> 11) & 31, int(rgb >> 3) & 31};
}

// What the tool draws: the picture, the lanes and the frames' shape.
Rgb5 PictureAt(int x, int y) { return Rgb5{x * 31 / (kW - 1), y * 31 / (kH - 1), 8}; }
int LaneX(int i, int n) {
    const int span = kW - kSize, p = (i * 37 + n * (3 + i)) % (2 * span);
    return p < span ? p : 2 * span - p;
}
int LaneY(int i) { return 10 + i * 48; }
bool InDisc(int x, int y) {
    const int dx = 2 * x + 1 - kSize, dy = 2 * y + 1 - kSize;
    return dx * dx + dy * dy < kSize * kSize;
}

void RunTool(const std::string& env, const std::string& tag, Png* shot) {
    const char* d = std::getenv("WYN_RUNTIME_DIR");
    const std::string dir = std::string(d ? d : "/tmp/zemsprites_test") + "/" + tag;
    ASSERT_EQ(std::system(("mkdir -p '" + dir + "'").c_str()), 0);
    const std::string png = dir + "/shot.png";
    std::remove(png.c_str());
    const std::string cmd =
        env + " WYN_RUNTIME_DIR='" + dir + "' WYN_CLOCK=virtual WYN_SCREENSHOT='" + png +
        "' timeout 60 ./zemsprites " + std::to_string(kFrames) + " 2>'" + dir + "/log'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    ASSERT_TRUE(ReadPng(png, shot)) << png;
}

void CheckShot(const Png& p, const std::string& tag) {
    ASSERT_EQ(p.w, kW) << tag;
    ASSERT_EQ(p.h, kH) << tag;
    int stray = 0;
    std::vector<int> count(kSprites, 0);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            const Rgb5 c = Five(p.At(x, y));
            // Which sprite's disc covers this pixel in the last frame, if any.
            int lane = -1;
            for (int i = 0; i < kSprites; ++i) {
                const int lx = x - LaneX(i, kFrames), ly = y - LaneY(i);
                if (lx >= 0 && lx < kSize && ly >= 0 && ly < kSize && InDisc(lx, ly)) lane = i;
            }
            if (lane >= 0) {
                count[lane] += c.b == 31;
            } else {
                const Rgb5 want = PictureAt(x, y);
                if (c.r != want.r || c.g != want.g || c.b != want.b) {
                    if (++stray <= 5)
                        ADD_FAILURE()
                            << tag << ": pixel " << x << "," << y << " is not the picture's";
                }
            }
        }
    EXPECT_EQ(stray, 0) << tag << ": pixels that are neither a sprite nor the picture";
    int disc = 0;
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) disc += InDisc(x, y);
    for (int i = 0; i < kSprites; ++i)
        EXPECT_EQ(count[i], disc) << tag << ": sprite " << i << " whole where it stands";
}

TEST(ZemSpritesTool, HeadlessRunShowsTheSpritesOverThePicture) {
    Png p;
    RunTool("WYN_HEADLESS=1", "headless", &p);
    CheckShot(p, "headless");
}

TEST(ZemSpritesTool, DesktopRunUnderADisplay) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display)
        GTEST_SKIP() << "no display (the test script provides a virtual one)";
    Png p;
    // The desktop libraries keep a few allocations to the end: in sanitizer builds the child
    // is not failed for them.
    RunTool("env -u WYN_HEADLESS WYN_BACKEND=sdl ASAN_OPTIONS=detect_leaks=0", "desktop", &p);
    CheckShot(p, "desktop");
}

}  // namespace
