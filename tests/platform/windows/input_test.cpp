// Input: key state across calls, replayed clicks, moves, wheel, keys and close arriving as
// the right messages at the right client coordinates; cursor and coordinate conversions.
#include <gtest/gtest.h>

#include <algorithm>

#include "window_fixture.h"

using namespace wintest;

namespace {

HWND Parent() {
    RegisterRecording("InputTest", CS_DBLCLKS);
    // A captioned window at (50, 60): its client area starts 3 + 19 below and 3 right.
    HWND h = CreateWindowExA(0, "InputTest", "input", WS_POPUP | WS_CAPTION | WS_VISIBLE, 50, 60,
                             306, 225, nullptr, nullptr, nullptr, nullptr);
    PumpAll();
    return h;
}

std::vector<Seen> Only(std::initializer_list<UINT> kinds) {
    std::vector<Seen> out;
    for (auto& s : Log())
        if (std::find(kinds.begin(), kinds.end(), s.message) != kinds.end()) out.push_back(s);
    return out;
}

TEST(Input, AsyncKeyStateReportsHeldAndPressedSinceTheLastCall) {
    WynPlat_SetVirtualClock(1);
    Parent();
    ASSERT_EQ(WynPlat_ReplayScript("10 keydown A\n20 keyup A\n30 key B\n"), 4);
    PumpAll();
    EXPECT_EQ(GetAsyncKeyState('A'), 0) << "before its time";
    WynPlat_AdvanceClock(10000);
    PumpAll();
    EXPECT_EQ(static_cast<unsigned short>(GetAsyncKeyState('A')), 0x8001u)
        << "held and newly pressed";
    EXPECT_EQ(static_cast<unsigned short>(GetAsyncKeyState('A')), 0x8000u)
        << "held, pressed bit read";
    EXPECT_LT(GetKeyState('A'), 0);
    BYTE keys[256];
    ASSERT_TRUE(GetKeyboardState(keys));
    EXPECT_EQ(keys['A'] & 0x80, 0x80);
    WynPlat_AdvanceClock(10000);
    PumpAll();
    EXPECT_EQ(GetAsyncKeyState('A'), 0) << "released";
    WynPlat_AdvanceClock(10000);
    PumpAll();
    // Pressed and released between two calls: only bit 0.
    EXPECT_EQ(GetAsyncKeyState('B'), 1);
    EXPECT_EQ(GetAsyncKeyState('B'), 0);
    EXPECT_EQ(WynPlat_PendingReplay(), 0);
}

TEST(Input, ReplayedClickArrivesAtTheChildUnderItInClientCoordinates) {
    HWND parent = Parent();
    HWND child = CreateWindowExA(0, "InputTest", "", WS_CHILD | WS_VISIBLE, 20, 30, 100, 50, parent,
                                 nullptr, nullptr, nullptr);
    ASSERT_TRUE(child);
    PumpAll();
    Log().clear();
    ASSERT_EQ(WynPlat_ReplayScript("0 click 40 50\n0 click 200 150 right\n"), 6);
    PumpAll();
    auto mouse = Only({WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP});
    ASSERT_EQ(mouse.size(), 6u);
    struct Want {
        HWND h;
        UINT m;
        WPARAM w;
        int x, y;
    };
    const Want want[] = {
        {child, WM_MOUSEMOVE, 0, 20, 20},
        {child, WM_LBUTTONDOWN, MK_LBUTTON, 20, 20},
        {child, WM_LBUTTONUP, 0, 20, 20},
        {parent, WM_MOUSEMOVE, 0, 200, 150},
        {parent, WM_RBUTTONDOWN, MK_RBUTTON, 200, 150},
        {parent, WM_RBUTTONUP, 0, 200, 150},
    };
    for (size_t i = 0; i < mouse.size(); ++i) {
        EXPECT_EQ(mouse[i].hwnd, want[i].h) << "event " << i;
        EXPECT_EQ(mouse[i].message, want[i].m) << "event " << i;
        EXPECT_EQ(mouse[i].wParam, want[i].w) << "event " << i;
        EXPECT_EQ(GET_X_LPARAM(mouse[i].lParam), want[i].x) << "event " << i;
        EXPECT_EQ(GET_Y_LPARAM(mouse[i].lParam), want[i].y) << "event " << i;
    }
    // The set-cursor message comes before each mouse message, naming the client area.
    auto sc = Only({WM_SETCURSOR});
    ASSERT_FALSE(sc.empty());
    EXPECT_EQ(LOWORD(sc[0].lParam), HTCLIENT);
    EXPECT_EQ(HIWORD(sc[0].lParam), WM_MOUSEMOVE);
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 50 + 3 + 200);
    EXPECT_EQ(p.y, 60 + 3 + 19 + 150);
    ScreenToClient(child, &p);
    EXPECT_EQ(p.x, 180);
    EXPECT_EQ(p.y, 120);
    ClientToScreen(child, &p);
    EXPECT_EQ(p.x, 253);
}

TEST(Input, DoubleClicksWheelKeysAndClose) {
    HWND h = Parent();
    Log().clear();
    ASSERT_GT(
        WynPlat_ReplayScript("0 dblclick 5 6\n0 wheel 5 6 -120\n0 key RETURN\n0 key a\n0 close\n"),
        0);
    PumpAll();
    EXPECT_EQ(Count(WM_LBUTTONDBLCLK, h), 1);
    auto wheel = Only({WM_MOUSEWHEEL});
    ASSERT_EQ(wheel.size(), 1u);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheel[0].wParam), -120);
    EXPECT_EQ(GET_X_LPARAM(wheel[0].lParam), 50 + 3 + 5) << "wheel positions are on the screen";
    auto keys = Only({WM_KEYDOWN, WM_KEYUP, WM_CHAR});
    ASSERT_EQ(keys.size(), 6u);
    EXPECT_EQ(keys[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(keys[0].wParam, static_cast<WPARAM>(VK_RETURN));
    EXPECT_EQ(keys[1].message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(keys[1].wParam, static_cast<WPARAM>('\r'));
    EXPECT_EQ(keys[2].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_NE(keys[2].lParam & (1L << 31), 0);
    EXPECT_EQ(keys[3].wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(keys[4].wParam, static_cast<WPARAM>('a'));
    EXPECT_EQ(Count(WM_CLOSE, h), 1);
    EXPECT_FALSE(IsWindow(h)) << "closed through the default handling";
}

// Events due while the program's only window is still hidden (a program loading its data)
// wait for it instead of being lost: a lost close would leave the program running on.
TEST(Input, ReplayedEventsDueBeforeAnyWindowShowsWaitForOne) {
    WynPlat_SetVirtualClock(1);
    WynPlat_SetClockReadStep(0);
    RegisterRecording("InputTest", CS_DBLCLKS);
    HWND h = CreateWindowExA(0, "InputTest", "loading", WS_POPUP | WS_CAPTION, 50, 60, 306, 225,
                             nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(h);
    PumpAll();
    Log().clear();
    ASSERT_EQ(WynPlat_ReplayScript("0 key A\n10 close\n"), 3);
    WynPlat_AdvanceClock(50000);
    PumpAll();
    EXPECT_EQ(WynPlat_PendingReplay(), 3) << "nothing there to take them";
    EXPECT_EQ(Count(WM_KEYDOWN) + Count(WM_CLOSE), 0);
    // Nor do they keep a wait for messages from sleeping until its timer.
    ASSERT_TRUE(SetTimer(h, 1, 100, nullptr));
    const uint64_t t0 = WynPlat_ClockMicros();
    MSG m;
    ASSERT_GT(GetMessageA(&m, nullptr, 0, 0), 0);
    EXPECT_EQ(m.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(WynPlat_ClockMicros() - t0, 100000u);
    KillTimer(h, 1);
    ShowWindow(h, SW_SHOW);
    PumpAll();
    EXPECT_EQ(WynPlat_PendingReplay(), 0);
    auto got = Only({WM_KEYDOWN, WM_KEYUP, WM_CLOSE});
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_KEYDOWN)) << "in the order they were due";
    EXPECT_EQ(got[1].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(got[2].message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(got[2].hwnd, h);
    EXPECT_FALSE(IsWindow(h)) << "closed through the default handling";
}

// A hidden window made the active one (another program brought this one's first published
// window, the sound library's hidden one, to the front) takes no replayed input: the close goes
// to the window on the screen, as a user's would.
TEST(Input, AHiddenActiveWindowTakesNoReplayedInput) {
    HWND shown = Parent();
    HWND hidden = CreateWindowExA(0, "InputTest", "hidden", WS_POPUP, 0, 0, 100, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_TRUE(hidden);
    SetForegroundWindow(hidden);
    PumpAll();
    Log().clear();
    ASSERT_EQ(WynPlat_ReplayScript("0 close\n"), 1);
    PumpAll();
    EXPECT_EQ(Count(WM_CLOSE, shown), 1);
    EXPECT_EQ(Count(WM_CLOSE, hidden), 0);
    EXPECT_TRUE(IsWindow(hidden));
    DestroyWindow(hidden);
}

TEST(Input, MovesNotYetTakenFoldIntoTheNewest) {
    HWND h = Parent();
    Log().clear();
    ASSERT_EQ(WynPlat_ReplayScript("0 move 1 1\n0 move 2 2\n0 move 3 4\n0 down 3 4\n0 move 5 5\n"),
              6);
    PumpAll();
    auto moves = Only({WM_MOUSEMOVE, WM_LBUTTONDOWN});
    ASSERT_EQ(moves.size(), 3u);
    EXPECT_EQ(moves[0].message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(moves[0].lParam, MAKELPARAM(3, 4));
    EXPECT_EQ(moves[1].message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(moves[2].wParam, static_cast<WPARAM>(MK_LBUTTON)) << "a move with the button held";
    EXPECT_EQ(moves[2].hwnd, h);
}

TEST(Input, BadReplayLinesQueueNothing) {
    Parent();
    EXPECT_EQ(WynPlat_ReplayScript("0 click 1 2\n5 jump 3\n"), -1);
    EXPECT_EQ(WynPlat_ReplayScript("0 key NOSUCHKEY\n"), -1);
    EXPECT_EQ(WynPlat_PendingReplay(), 0);
    EXPECT_EQ(WynPlat_LoadReplay("/nonexistent/replay.txt"), -1);
}

TEST(Input, ClipCursorKeepsTheCursorInside) {
    RECT r{10, 10, 20, 20}, got{};
    ClipCursor(&r);
    ASSERT_TRUE(GetClipCursor(&got));
    EXPECT_TRUE(EqualRect(&got, &r)) << "recorded as given";
    EXPECT_FALSE(GetClipCursor(nullptr));
    SetCursorPos(100, 5);
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 19);
    EXPECT_EQ(p.y, 10);
    ClipCursor(nullptr);
    ASSERT_TRUE(GetClipCursor(&got));
    EXPECT_EQ(got.left, 0);
    EXPECT_EQ(got.top, 0);
    EXPECT_EQ(got.right, GetSystemMetrics(SM_CXSCREEN)) << "released: the whole screen";
    EXPECT_EQ(got.bottom, GetSystemMetrics(SM_CYSCREEN));
    SetCursorPos(100, 5);
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 100);
    EXPECT_NE(LoadCursorA(nullptr, IDC_HAND), LoadCursorA(nullptr, IDC_ARROW));
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    EXPECT_EQ(GetCursor(), arrow);
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(TRUE), 0);
}

}  // namespace
