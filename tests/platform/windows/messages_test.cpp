// The message queue: order of sent, posted, quit, paint and timer messages; threads; timers
// on the virtual clock; bad handles.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "window_fixture.h"

using namespace wintest;

namespace {

constexpr UINT kPosted = WM_USER + 1;
constexpr UINT kSent = WM_USER + 2;
constexpr UINT kDone = WM_USER + 3;

HWND MakeWindow(DWORD style = WS_POPUP | WS_VISIBLE) {
    RegisterRecording("QueueTest");
    return CreateWindowExA(0, "QueueTest", "queue", style, 10, 10, 100, 80, nullptr, nullptr,
                           nullptr, nullptr);
}

TEST(Messages, CreationSendsCreateSizeAndMoveInOrder) {
    HWND h = MakeWindow(WS_POPUP);
    ASSERT_TRUE(h);
    std::vector<UINT> order;
    for (auto& s : Log()) order.push_back(s.message);
    std::vector<UINT> want{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE};
    EXPECT_EQ(order, want);
    EXPECT_EQ(Log()[2].lParam, MAKELPARAM(100, 80));
}

TEST(Messages, SentAreServedBeforePostedOnes) {
    HWND h = MakeWindow();
    PumpAll();
    Log().clear();
    PostMessageA(h, kPosted, 1, 0);
    std::thread t([h] {
        LRESULT r = SendMessageA(h, kSent, 2, 0);
        PostMessageA(h, kDone, static_cast<WPARAM>(r), 0);
    });
    // Waiting for kDone alone: the sent message is served meanwhile, the posted one waits.
    MSG m;
    ASSERT_EQ(GetMessageA(&m, h, kDone, kDone), TRUE);
    t.join();
    DispatchMessageA(&m);
    ASSERT_EQ(GetMessageA(&m, nullptr, 0, 0), TRUE);
    EXPECT_EQ(m.message, kPosted);
    DispatchMessageA(&m);
    std::vector<UINT> order;
    for (auto& s : Log()) order.push_back(s.message);
    std::vector<UINT> want{kSent, kDone, kPosted};
    EXPECT_EQ(order, want);
}

TEST(Messages, PaintIsCoalescedAndComesAfterPostedMessages) {
    HWND h = MakeWindow();
    PumpAll();
    Log().clear();
    RECT a{0, 0, 10, 10}, b{20, 20, 30, 40};
    InvalidateRect(h, &a, FALSE);
    InvalidateRect(h, &b, FALSE);
    InvalidateRect(h, nullptr, FALSE);
    PostMessageA(h, kPosted, 0, 0);
    PumpAll();
    ASSERT_EQ(Count(WM_PAINT), 1);
    EXPECT_EQ(Log().front().message, kPosted);
    // Validated by the default handling: nothing more to paint.
    Log().clear();
    PumpAll();
    EXPECT_EQ(Count(WM_PAINT), 0);
}

TEST(Messages, BeginPaintReportsTheUnionOfInvalidRectangles) {
    HWND h = MakeWindow();
    PumpAll();
    RECT a{1, 2, 10, 10}, b{20, 5, 30, 40};
    InvalidateRect(h, &a, FALSE);
    InvalidateRect(h, &b, FALSE);
    PAINTSTRUCT ps;
    ASSERT_TRUE(BeginPaint(h, &ps));
    EXPECT_EQ(ps.rcPaint.left, 1);
    EXPECT_EQ(ps.rcPaint.top, 2);
    EXPECT_EQ(ps.rcPaint.right, 30);
    EXPECT_EQ(ps.rcPaint.bottom, 40);
    EndPaint(h, &ps);
    MSG m;
    EXPECT_FALSE(PeekMessageA(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE));
}

TEST(Messages, QuitEndsTheLoopWithItsCode) {
    HWND h = MakeWindow();
    CurrentHook() = [](HWND, UINT m, WPARAM, LPARAM, LRESULT*) {
        if (m == kPosted) PostQuitMessage(7);
        return false;
    };
    PostMessageA(h, kPosted, 0, 0);
    MSG m;
    int loops = 0;
    while (GetMessageA(&m, nullptr, 0, 0)) {
        DispatchMessageA(&m);
        ASSERT_LT(++loops, 100);
    }
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.wParam, 7u);
    CurrentHook() = nullptr;
}

TEST(Messages, PostsFromAnotherThreadArrive) {
    HWND h = MakeWindow();
    PumpAll();
    DWORD me = GetCurrentThreadId();
    std::thread t([h, me] {
        PostMessageA(h, kPosted, 42, 43);
        PostThreadMessageA(me, kDone, 44, 0);
    });
    MSG m;
    ASSERT_EQ(GetMessageA(&m, nullptr, kPosted, kPosted), TRUE);
    EXPECT_EQ(m.hwnd, h);
    EXPECT_EQ(m.wParam, 42u);
    EXPECT_EQ(m.lParam, 43);
    ASSERT_EQ(GetMessageA(&m, nullptr, kDone, kDone), TRUE);
    EXPECT_EQ(m.hwnd, nullptr);
    EXPECT_EQ(m.wParam, 44u);
    t.join();
}

TEST(Messages, SendToAnotherThreadRunsOnTheOwnerThreadAndReturnsItsResult) {
    std::atomic<HWND> h{nullptr};
    std::atomic<DWORD> owner{0};
    std::atomic<bool> stop{false};
    RegisterRecording("QueueTest");
    std::thread t([&] {
        owner = GetCurrentThreadId();
        CurrentHook() = [](HWND, UINT m, WPARAM w, LPARAM, LRESULT* r) {
            if (m != kSent) return false;
            *r = static_cast<LRESULT>(w * 2 + GetCurrentThreadId() % 2);
            return true;
        };
        h = CreateWindowExA(0, "QueueTest", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                            nullptr);
        MSG m;
        while (GetMessageA(&m, nullptr, 0, 0)) DispatchMessageA(&m);
        DestroyWindow(h);
    });
    while (!h) std::this_thread::yield();
    LRESULT r = SendMessageA(h, kSent, 20, 0);
    EXPECT_EQ(r, static_cast<LRESULT>(40 + owner % 2));
    PostThreadMessageA(owner, WM_QUIT, 0, 0);
    t.join();
    // The owner thread is gone: a send returns 0 at once instead of waiting.
    EXPECT_EQ(SendMessageA(h, kSent, 20, 0), 0);
    CurrentHook() = nullptr;
}

TEST(Messages, TimersFireOnTheVirtualClock) {
    WynPlat_SetVirtualClock(1);
    HWND h = MakeWindow();
    PumpAll();
    static std::vector<uint64_t> procTimes;
    uint64_t start = WynPlat_ClockMicros();
    ASSERT_EQ(SetTimer(h, 5, 100, nullptr), 5u);
    UINT_PTR free = SetTimer(nullptr, 0, 250, [](HWND, UINT, UINT_PTR, DWORD) {
        procTimes.push_back(WynPlat_ClockMicros());
    });
    ASSERT_NE(free, 0u);
    std::vector<uint64_t> times;
    MSG m;
    while (times.size() < 5 && GetMessageA(&m, nullptr, 0, 0)) {
        if (m.message == WM_TIMER && m.hwnd == h) {
            EXPECT_EQ(m.wParam, 5u);
            times.push_back(WynPlat_ClockMicros() - start);
        }
        DispatchMessageA(&m);
    }
    ASSERT_EQ(times.size(), 5u);
    for (size_t i = 0; i < times.size(); ++i) {
        EXPECT_GE(times[i], (i + 1) * 100000) << "timer " << i;
        EXPECT_LT(times[i], (i + 1) * 100000 + 20000) << "timer " << i;
    }
    // The free timer's procedure ran by dispatch, not before its period.
    ASSERT_GE(procTimes.size(), 1u);
    EXPECT_GE(procTimes[0] - start, 250000u);
    EXPECT_TRUE(KillTimer(h, 5));
    EXPECT_TRUE(KillTimer(nullptr, free));
    EXPECT_FALSE(KillTimer(h, 5));
    WynPlat_AdvanceClock(1000000);
    Log().clear();
    PumpAll();
    EXPECT_EQ(Count(WM_TIMER), 0);
}

TEST(Messages, WindowPosChangingCanChangeTheSizeBeforeItTakesEffect) {
    HWND h = MakeWindow(WS_POPUP | WS_VISIBLE | WS_CAPTION);
    CurrentHook() = [](HWND, UINT m, WPARAM, LPARAM l, LRESULT* r) {
        if (m != WM_WINDOWPOSCHANGING) return false;
        auto* wp = reinterpret_cast<WINDOWPOS*>(l);
        if (wp->cx > 150) wp->cx = 150;
        *r = 0;
        return true;
    };
    Log().clear();
    ASSERT_TRUE(MoveWindow(h, 5, 6, 400, 300, TRUE));
    RECT r;
    GetWindowRect(h, &r);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.right - r.left, 150);
    EXPECT_EQ(r.bottom - r.top, 300);
    // WM_SIZE carries the client size: the frame of a captioned window is 3 on each side
    // and the caption 19 high.
    auto it = std::find_if(Log().begin(), Log().end(),
                           [](const Seen& s) { return s.message == WM_SIZE; });
    ASSERT_NE(it, Log().end());
    EXPECT_EQ(LOWORD(it->lParam), 150 - 6);
    EXPECT_EQ(HIWORD(it->lParam), 300 - 6 - 19);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
    EXPECT_EQ(2 * GetSystemMetrics(SM_CXBORDER) + 4, 2 * GetSystemMetrics(SM_CXFIXEDFRAME));
    CurrentHook() = nullptr;
}

TEST(Messages, BadHandlesGiveZeroResults) {
    HWND bogus = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x7654321));
    MSG m;
    EXPECT_EQ(SendMessageA(bogus, kSent, 0, 0), 0);
    EXPECT_FALSE(PostMessageA(bogus, kPosted, 0, 0));
    EXPECT_FALSE(IsWindow(bogus));
    EXPECT_FALSE(DestroyWindow(bogus));
    EXPECT_FALSE(ShowWindow(bogus, SW_SHOW));
    EXPECT_FALSE(SetWindowTextA(bogus, "x"));
    EXPECT_EQ(SetWindowLongA(bogus, GWL_STYLE, 0), 0);
    EXPECT_EQ(SetParent(bogus, nullptr), nullptr);
    EXPECT_EQ(GetMessageA(&m, bogus, 0, 0), -1);
    EXPECT_EQ(SetTimer(bogus, 1, 10, nullptr), 0u);
    EXPECT_EQ(GetDC(bogus), nullptr);
    EXPECT_EQ(
        CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
        nullptr);
    EXPECT_EQ(
        CreateWindowExA(0, "QueueTest", "", WS_CHILD, 0, 0, 1, 1, bogus, nullptr, nullptr, nullptr),
        nullptr);
    EXPECT_FALSE(PostThreadMessageA(0x7fffffff, kPosted, 0, 0));
}

TEST(Messages, MessagesToADestroyedWindowAreDropped) {
    HWND h = MakeWindow();
    PumpAll();
    PostMessageA(h, kPosted, 0, 0);
    ASSERT_TRUE(DestroyWindow(h));
    Log().clear();
    PumpAll();
    EXPECT_EQ(Count(kPosted), 0);
    EXPECT_EQ(SendMessageA(h, kSent, 0, 0), 0);
    EXPECT_FALSE(DestroyWindow(h));
}

TEST(Messages, AWindowDestroyedInsideItsOwnHandlerIsGoneAfterwards) {
    HWND h = MakeWindow();
    PumpAll();
    static bool afterwards[3];
    CurrentHook() = [](HWND w, UINT m, WPARAM, LPARAM, LRESULT* r) {
        if (m != kSent) return false;
        DestroyWindow(w);
        DestroyWindow(w);  // a second time from the same handler
        RECT rc;
        afterwards[0] = IsWindow(w);
        afterwards[1] = GetClientRect(w, &rc);
        afterwards[2] = SetWindowTextA(w, "gone");
        *r = 5;
        return true;
    };
    EXPECT_EQ(SendMessageA(h, kSent, 0, 0), 5);
    EXPECT_FALSE(afterwards[0] || afterwards[1] || afterwards[2]);
    EXPECT_EQ(Count(WM_DESTROY, h), 1);
    EXPECT_EQ(SendMessageA(h, kSent, 0, 0), 0);
    CurrentHook() = nullptr;
}

TEST(Messages, CloseDestroysThroughTheDefaultHandlerAndCreateCanRefuse) {
    HWND h = MakeWindow();
    PumpAll();
    PostMessageA(h, WM_CLOSE, 0, 0);
    PumpAll();
    EXPECT_FALSE(IsWindow(h));
    CurrentHook() = [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
        if (m != WM_CREATE) return false;
        *r = -1;
        return true;
    };
    EXPECT_EQ(MakeWindow(), nullptr);
    CurrentHook() = nullptr;
}

}  // namespace
