// A hidden top-level window for one test that records the messages it is sent or dispatched.
#pragma once

#include <windows.h>

#include <vector>

struct RecordedMessage {
    UINT message;
    WPARAM wParam;
};

class RecordingWindow {
  public:
    RecordingWindow() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.lpszClassName = "NxlTestRecorder";
        RegisterClassA(&wc);
        hwnd_ = CreateWindowExA(0, "NxlTestRecorder", "recorder", 0, 0, 0, 10, 10, nullptr, nullptr,
                                nullptr, nullptr);
        Log().clear();
    }
    ~RecordingWindow() {
        DestroyWindow(hwnd_);
        UnregisterClassA("NxlTestRecorder", nullptr);
    }
    HWND hwnd() const { return hwnd_; }
    static std::vector<RecordedMessage>& Log() {
        static std::vector<RecordedMessage> log;
        return log;
    }

  private:
    static LRESULT CALLBACK Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
        if (m >= WM_USER) Log().push_back({m, w});
        return DefWindowProcA(h, m, w, l);
    }
    HWND hwnd_;
};
