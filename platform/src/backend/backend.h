// The display backends behind the window layer: a table of backends, each with a name, an
// "available?" test and a create function; the first available one wins unless the user
// names one (WYN_BACKEND=headless|sdl, or WYN_HEADLESS=1). Code above the layer never asks
// which one runs.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <windows.h>

namespace wynplat {

// Input as a backend (or the replay file) reports it, in client coordinates of a top-level
// window (`top` 0: the foreground window). The window layer turns it into messages.
struct InputEvent {
    enum Kind { Key, Button, Move, Wheel, Close, Char } kind = Move;
    HWND top = nullptr;
    int x = 0, y = 0;
    int vk = 0;         // Key: virtual-key code; Char: the character
    bool down = false;  // Key, Button
    int button = 0;     // Button: 0 left, 1 right, 2 middle
    int delta = 0;      // Wheel: multiples of WHEEL_DELTA, positive away from the user
};

class Display {
  public:
    virtual ~Display() = default;
    virtual const char* Name() const = 0;
    // The desktop's size when no display mode is set.
    virtual void DesktopSize(int* w, int* h) = 0;
    // A top-level window became visible or moved or changed size (client area on screen).
    virtual void ShowNative(HWND hwnd, const char* titleUtf8, int x, int y, int w, int h,
                            bool topmost) = 0;
    // A top-level window was brought to the top or made the foreground window.
    virtual void RaiseNative(HWND hwnd) = 0;
    // A top-level window was hidden, destroyed or became a child.
    virtual void HideNative(HWND hwnd) = 0;
    virtual void SetTitle(HWND hwnd, const char* titleUtf8) = 0;
    // The composed client area of a top-level window (32-bit XRGB rows, top-down).
    virtual void Present(HWND hwnd, const uint32_t* pixels, int w, int h) = 0;
    // Collects pending input; called on the thread that pumps the display.
    virtual void Pump(std::vector<InputEvent>& out) = 0;
    // Whether input must be polled (the layer then waits in short slices).
    virtual bool NeedsPolling() const = 0;
    // Full screen at w x h (on), or back to the desktop.
    virtual void SetFullScreen(bool on, int w, int h) = 0;
    virtual void WarpCursor(HWND top, int x, int y) = 0;
    virtual void ShowCursorNative(bool show) = 0;
    virtual void SetCursorShape(int stockId) = 0;
    // Shows a message box on the desktop and returns the answer, or -1 when the backend
    // has no boxes (the layer's logged box is used then).
    virtual int MessageBox(const char* textUtf8, const char* captionUtf8, UINT type) = 0;
};

struct Backend {
    const char* name;  // "sdl", "headless"
    bool (*available)();
    std::unique_ptr<Display> (*create)();
};

// The display of this process, chosen on first use.
Display& GetDisplay();
bool DisplayIsHeadless();

std::unique_ptr<Display> CreateHeadlessDisplay();
std::unique_ptr<Display> CreateSdlDisplay();
bool SdlAvailable();

}  // namespace wynplat
