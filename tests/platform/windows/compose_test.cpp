// Child windows are regions of their parent's picture: composed at their offsets, docked and
// floating (the style change and new parent the game's layouts make).
#include <gtest/gtest.h>

#include "window_fixture.h"

using namespace wintest;

namespace {

const COLORREF kRed = RGB(200, 0, 0), kBlue = RGB(0, 0, 220), kGreen = RGB(0, 180, 0);

TEST(Compose, ChildIsComposedAtItsOffsetDockedAndFloating) {
    RegisterRecording("ComposeTest");
    HWND parent = Popup("ComposeTest", 200, 150);
    HWND child = CreateWindowExA(0, "ComposeTest", "", WS_CHILD | WS_VISIBLE, 50, 40, 60, 30,
                                 parent, nullptr, nullptr, nullptr);
    ASSERT_TRUE(child);
    PumpAll();
    Fill(parent, RECT{0, 0, 200, 150}, kRed);
    Fill(child, RECT{0, 0, 60, 30}, kBlue);
    Picture p = Capture(parent);
    ASSERT_EQ(p.w, 200);
    ASSERT_EQ(p.h, 150);
    struct Probe {
        int x, y;
        COLORREF c;
    };
    const Probe docked[] = {
        {49, 39, kRed}, {50, 40, kBlue}, {109, 69, kBlue}, {110, 69, kRed}, {109, 70, kRed}};
    for (auto& pr : docked)
        EXPECT_EQ(p.At(pr.x, pr.y), Xrgb(pr.c)) << "docked at " << pr.x << "," << pr.y;

    // Float: captioned, no parent; the parent shows its own pixels again.
    SetWindowLongA(child, GWL_STYLE, WS_VISIBLE | WS_CAPTION);
    SetParent(child, nullptr);
    MoveWindow(child, 300, 200, 40 + 6, 20 + 25, TRUE);
    EXPECT_EQ(GetParent(child), nullptr);
    p = Capture(parent);
    EXPECT_EQ(p.At(50, 40), Xrgb(kRed));
    Picture own = Capture(child);
    EXPECT_EQ(own.w, 40);
    EXPECT_EQ(own.h, 20);
    EXPECT_EQ(own.At(0, 0), Xrgb(kBlue)) << "the floating window keeps its picture";
    RECT cr;
    GetClientRect(child, &cr);
    EXPECT_EQ(cr.right, 40);
    POINT o{0, 0};
    ClientToScreen(child, &o);
    EXPECT_EQ(o.x, 303);
    EXPECT_EQ(o.y, 222);

    // Dock again elsewhere.
    SetWindowLongA(child, GWL_STYLE, WS_CHILD | WS_VISIBLE);
    SetParent(child, parent);
    MoveWindow(child, 10, 100, 30, 20, TRUE);
    Fill(child, RECT{0, 0, 30, 20}, kGreen);
    p = Capture(parent);
    EXPECT_EQ(p.At(10, 100), Xrgb(kGreen));
    EXPECT_EQ(p.At(39, 119), Xrgb(kGreen));
    EXPECT_EQ(p.At(40, 119), Xrgb(kRed));
    EXPECT_EQ(p.At(50, 40), Xrgb(kRed));

    // Hidden children and children cut by the parent's edge.
    MoveWindow(child, 190, 140, 30, 20, TRUE);
    Fill(child, RECT{0, 0, 30, 20}, kGreen);
    p = Capture(parent);
    EXPECT_EQ(p.At(199, 149), Xrgb(kGreen));
    ShowWindow(child, SW_HIDE);
    p = Capture(parent);
    EXPECT_EQ(p.At(199, 149), Xrgb(kRed));
    DestroyWindow(parent);
    EXPECT_FALSE(IsWindow(child)) << "children go with their parent";
}

TEST(Compose, ScreenshotAsPng) {
    RegisterRecording("ComposeTest");
    HWND h = Popup("ComposeTest", 8, 4);
    Fill(h, RECT{0, 0, 8, 4}, kBlue);
    std::string path =
        std::string(getenv("WYN_RUNTIME_DIR") ? getenv("WYN_RUNTIME_DIR") : "/tmp") + "/shot.png";
    std::string mk = "mkdir -p \"$(dirname '" + path + "')\"";
    ASSERT_EQ(system(mk.c_str()), 0);
    ASSERT_EQ(WynPlat_SaveWindowPng(h, path.c_str()), 1);
    FILE* f = fopen(path.c_str(), "rb");
    ASSERT_TRUE(f);
    unsigned char sig[8] = {};
    ASSERT_EQ(fread(sig, 1, 8, f), 8u);
    fclose(f);
    EXPECT_EQ(sig[1], 'P');
    EXPECT_EQ(WynPlat_SaveWindowPng(reinterpret_cast<HWND>(static_cast<uintptr_t>(0x999999)),
                                    path.c_str()),
              0);
}

TEST(Compose, EnumeratesTheProcessWindows) {
    RegisterRecording("ComposeTest");
    HWND a = Popup("ComposeTest", 8, 4);
    HWND b = CreateWindowExA(0, "ComposeTest", "hidden", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr,
                             nullptr, nullptr);
    static std::vector<HWND> seen;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND h, LPARAM) {
            seen.push_back(h);
            return TRUE;
        },
        0);
    EXPECT_NE(std::find(seen.begin(), seen.end(), a), seen.end());
    EXPECT_NE(std::find(seen.begin(), seen.end(), b), seen.end());
    seen.clear();
    EnumWindows(
        [](HWND h, LPARAM) {
            seen.push_back(h);
            return FALSE;
        },
        0);
    EXPECT_EQ(seen.size(), 1u) << "stops when the callback says so";
}

TEST(Compose, TopmostIconicAndRestore) {
    RegisterRecording("ComposeTest");
    HWND h =
        CreateWindowExA(0, "ComposeTest", "stand-by", WS_MINIMIZE | WS_CLIPCHILDREN | WS_SYSMENU,
                        10, 10, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(h);
    EXPECT_TRUE(IsIconic(h));
    EXPECT_TRUE(SetWindowPos(h, HWND_TOPMOST, 0, 0, 100, 100, SWP_NOMOVE));
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r.left, 10);
    ShowWindow(h, SW_SHOWNORMAL);
    EXPECT_FALSE(IsIconic(h));
    ShowWindow(h, SW_MINIMIZE);
    EXPECT_TRUE(OpenIcon(h));
    EXPECT_FALSE(IsIconic(h));
    // An overlapped window always has a caption: client = outer - frame - caption.
    GetClientRect(h, &r);
    EXPECT_EQ(r.right, 100 - 2 * GetSystemMetrics(SM_CXFIXEDFRAME));
    EXPECT_EQ(r.bottom,
              100 - 2 * GetSystemMetrics(SM_CYFIXEDFRAME) - GetSystemMetrics(SM_CYCAPTION));
    RECT a{0, 0, 400, 400};
    AdjustWindowRect(&a, WS_CAPTION, FALSE);
    EXPECT_EQ(a.right - a.left, 400 + 2 * GetSystemMetrics(SM_CXBORDER) + 4);
    EXPECT_EQ(a.bottom - a.top,
              400 + 2 * GetSystemMetrics(SM_CYBORDER) + 4 + GetSystemMetrics(SM_CYCAPTION));
}

}  // namespace
