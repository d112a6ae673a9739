// The message pump of long loops dispatches every waiting message and returns when the
// queue is empty.
#include <gtest/gtest.h>

#include "nxlib.h"
#include "test_window.h"

TEST(NxlMessagePump, DispatchesEverythingWaitingThenReturns) {
    RecordingWindow w;
    ASSERT_NE(w.hwnd(), nullptr);
    for (int i = 0; i < 5; ++i) PostMessageA(w.hwnd(), WM_USER + 1, WPARAM(i), 0);
    NXL_WIN_SystemTask();
    ASSERT_EQ(RecordingWindow::Log().size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(RecordingWindow::Log()[size_t(i)].wParam, WPARAM(i));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    NXL_WIN_SystemTask();  // an empty queue returns at once
    EXPECT_EQ(RecordingWindow::Log().size(), 5u);
}
