// The launcher's fixed tables and rules: the staff roll's strips by scene time, the easing,
// the keys and buttons that count as a click, the frame-rate figure, the shot schedule.
#include <gtest/gtest.h>

#include <cmath>

#include <windows.h>
#include <wynplat.h>

#include "wynopen.h"

namespace {

struct StripCase {
    int ms;
    int strip;  // -1: none
    int x, y;
};
const StripCase kStrips[] = {
    {0, -1, 0, 0},        {26999, -1, 0, 0},     {27000, 0, 344, 304},  {31499, 0, 344, 304},
    {31500, 1, 0, 304},   {36000, 2, 0, 16},     {40000, 3, 344, 14},   {45500, 4, 344, 296},
    {50000, 5, 4, 300},   {54500, 6, 4, 16},     {59000, 7, 344, 304},  {63000, 8, 340, 14},
    {66500, 9, 0, 304},   {70500, 10, 340, 284}, {74500, 11, 16, 288},  {78500, 12, 16, 292},
    {79899, 12, 16, 292}, {79900, 13, 316, 284}, {89999, 13, 316, 284}, {90000, -1, 0, 0},
    {120000, -1, 0, 0},
};

TEST(LauncherStaffRoll, StripBySceneTime) {
    for (const StripCase& c : kStrips) {
        const int k = wynopen::StaffStripAt(c.ms);
        EXPECT_EQ(k, c.strip) << "at " << c.ms << " ms";
        if (k < 0 || k != c.strip) continue;
        EXPECT_EQ(wynopen::iSTAFF[k].x, c.x) << "at " << c.ms << " ms";
        EXPECT_EQ(wynopen::iSTAFF[k].y, c.y) << "at " << c.ms << " ms";
    }
}

TEST(LauncherStaffRoll, TheRollBeginsWithTheFifthShotOfTheSchedule) {
    // The staff roll's clock starts at the nominal start of the fifth shot: 27000 ms.
    int start = 0;
    for (int s = 0; s < wynopen::kStaffShot; ++s) start += wynopen::kShotLength[s];
    EXPECT_EQ(start, wynopen::iSTAFF[0].from);
    int total = 0;
    for (int len : wynopen::kShotLength) total += len;
    EXPECT_EQ(total, 88500);
    // Every strip lies inside the 640 x 480 view.
    for (int k = 0; k < wynopen::kStaffStrips; ++k) {
        EXPECT_LE(wynopen::iSTAFF[k].x + wynopen::kStaffWidth, 640) << "strip " << k;
        EXPECT_LE(wynopen::iSTAFF[k].y + wynopen::kStaffRows, 480) << "strip " << k;
    }
}

TEST(LauncherSmooth, EasesWithTheFixedConstant) {
    EXPECT_EQ(wynopen::Smooth(0.0), 0.0);
    EXPECT_DOUBLE_EQ(wynopen::Smooth(0.5), (1.0 - std::cos(3.1415 * 0.5)) * 0.5);
    EXPECT_DOUBLE_EQ(wynopen::Smooth(1.0), (1.0 - std::cos(3.1415)) * 0.5);
    // 3.1415 is not pi: the ends fall a hair short of the exact easing's.
    EXPECT_LT(wynopen::Smooth(1.0), 1.0);
    EXPECT_GT(wynopen::Smooth(1.0), 0.99999999);
    EXPECT_GT(wynopen::Smooth(0.5), 0.4999);
    EXPECT_LT(wynopen::Smooth(0.5), 0.5);
}

struct InputCase {
    const char* what;
    UINT message;
    WPARAM wParam;
    int click;
};
const InputCase kInputs[] = {
    {"Tab", WM_KEYDOWN, VK_TAB, 0},
    {"Shift", WM_KEYDOWN, VK_SHIFT, 0},
    {"Ctrl", WM_KEYDOWN, VK_CONTROL, 0},
    {"Space", WM_KEYDOWN, VK_SPACE, 1},
    {"A", WM_KEYDOWN, 'A', 1},
    {"Return", WM_KEYDOWN, VK_RETURN, 1},
    {"Escape", WM_KEYDOWN, VK_ESCAPE, 1},
    {"left button", WM_LBUTTONDOWN, MK_LBUTTON, 1},
    {"right button", WM_RBUTTONDOWN, MK_RBUTTON, 1},
    {"key up", WM_KEYUP, VK_SPACE, 0},
    {"mouse move", WM_MOUSEMOVE, 0, 0},
};

TEST(LauncherInput, KeysAndButtonsThatCountAsAClick) {
    for (const InputCase& c : kInputs) {
        wynopen::ResetState();
        wynopen::WndProc(nullptr, c.message, c.wParam, 0);
        EXPECT_EQ(wynopen::bCLICK, c.click) << c.what;
        EXPECT_EQ(wynopen::bCLOSE, 0) << c.what;
    }
}

TEST(LauncherInput, CloseBeforeTheEndOnlyRaisesTheFlag) {
    wynopen::ResetState();
    // Not ending yet: the window stays and nothing is handed over.
    EXPECT_EQ(wynopen::WndProc(nullptr, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(wynopen::bCLOSE, 1);
    EXPECT_EQ(wynopen::bCLICK, 0);
}

TEST(LauncherTimer, FrameRateFigure) {
    EXPECT_EQ(wynopen::FrameRate(0), 1000);  // a 0 ms frame counts as 1 ms
    EXPECT_EQ(wynopen::FrameRate(1), 1000);
    EXPECT_EQ(wynopen::FrameRate(11), 90);
    EXPECT_EQ(wynopen::FrameRate(33), 30);
    EXPECT_EQ(wynopen::FrameRate(1500), 0);
}

TEST(LauncherTimer, MeasuresLongFramesWithoutOverflow) {
    WynPlat_SetVirtualClock(1);
    wynopen::ResetState();
    wynopen::TimerInit();
    wynopen::TimerStart();
    // An hour: the counter difference times 1000 no longer fits 32 bits.
    WynPlat_AdvanceClock(3600ull * 1000 * 1000);
    const int ms = wynopen::TimerEnd(0);
    EXPECT_GE(ms, 3600 * 1000);
    EXPECT_LT(ms, 3600 * 1000 + 50);
    EXPECT_EQ(wynopen::iCOUNT, ms);
    WynPlat_SetVirtualClock(0);
}

}  // namespace
