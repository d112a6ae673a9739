// Helpers shared by the window layer's tests: a recording window class, a message pump
// that stops when the queue is empty, and pixel captures.
#pragma once

#include <windows.h>
#include <wynplat.h>

#include <cstdint>
#include <string>
#include <vector>

namespace wintest {

struct Seen {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Every message a recording window receives, in order.
inline std::vector<Seen>& Log() {
    static std::vector<Seen> log;
    return log;
}

// What a recording window does beside logging; return true when handled (result in *r).
using Hook = bool (*)(HWND, UINT, WPARAM, LPARAM, LRESULT* r);
inline Hook& CurrentHook() {
    static Hook hook = nullptr;
    return hook;
}

inline LRESULT CALLBACK RecordingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    Log().push_back({h, m, w, l});
    LRESULT r = 0;
    if (CurrentHook() && CurrentHook()(h, m, w, l, &r)) return r;
    return DefWindowProcA(h, m, w, l);
}

inline void RegisterRecording(const char* name, UINT style = 0, HBRUSH background = nullptr) {
    WNDCLASSA wc{};
    wc.style = style;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = name;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    RegisterClassA(&wc);
}

// Dispatches what the queue holds now (sent, posted, paint, due timers).
inline int PumpAll(int limit = 1000) {
    MSG m;
    int n = 0;
    while (n < limit && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
        ++n;
    }
    return n;
}

inline int Count(UINT message, HWND h = nullptr) {
    int n = 0;
    for (auto& s : Log())
        if (s.message == message && (!h || s.hwnd == h)) ++n;
    return n;
}

struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    uint32_t At(int x, int y) const { return px[static_cast<size_t>(y) * w + x] & 0xFFFFFF; }
};

inline Picture Capture(HWND h) {
    Picture p;
    WynPlat_CaptureWindow(h, nullptr, 0, &p.w, &p.h);
    p.px.resize(static_cast<size_t>(p.w) * p.h);
    WynPlat_CaptureWindow(h, p.px.data(), static_cast<int>(p.px.size()), &p.w, &p.h);
    return p;
}

// A visible frameless top-level window with the given client size.
inline HWND Popup(const char* cls, int w, int h, int x = 0, int y = 0) {
    return CreateWindowExA(0, cls, "test", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                           nullptr, nullptr);
}

inline void Fill(HWND h, RECT r, COLORREF c) {
    HDC dc = GetDC(h);
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
    ReleaseDC(h, dc);
}

inline uint32_t Xrgb(COLORREF c) {
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

}  // namespace wintest
