// The display backends behind the window layer: a table of backends, each with a name, an
// "available?" test and a create function; the first available one wins unless
// the user names one (WYN_BACKEND=headless|sdl, or WYN_HEADLESS=1). Code above the layer never
// asks which one runs.
#pragma once

#include <array>
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
    // The composed client area of a top-level window (32-bit XRGB rows, top-down), of which
    // only `changed` differs from what was presented last.
    virtual void Present(HWND hwnd, const uint32_t* pixels, int w, int h, const RECT& changed) = 0;
    // Returns at the display's next refresh (at once when there is no display to wait for).
    virtual void WaitForRefresh() = 0;
    // Collects pending input; called on the thread that pumps the display.
    virtual void Pump(std::vector<InputEvent>& out) = 0;
    // Whether input must be polled (the layer then waits in short slices).
    virtual bool NeedsPolling() const = 0;
    // Full screen at w x h (on), or back to the desktop.
    virtual void SetFullScreen(bool on, int w, int h) = 0;
    virtual void WarpCursor(HWND top, int x, int y) = 0;
    virtual void ShowCursorNative(bool show) = 0;
    virtual void SetCursorShape(int stockId) = 0;
    // The pointer's shape from a picture (w x h ARGB, top row first) with its hot spot.
    virtual void SetCursorImage(const uint32_t* argb, int w, int h, int hotX, int hotY) = 0;
    // A top-level window's icon from a picture (w x h ARGB, top row first).
    virtual void SetIcon(HWND hwnd, const uint32_t* argb, int w, int h) = 0;
    // Keeps the pointer inside `screen` (screen coordinates), or lets it go (null).
    virtual void ConfineCursor(const RECT* screen) = 0;
};

struct Backend {
    const char* name;  // "sdl", "headless"
    bool (*available)();
    std::unique_ptr<Display> (*create)();
};

// The backend the user names: "headless" when WYN_HEADLESS is set to anything but 0, else
// WYN_BACKEND; null when neither says. The display, the audio output and the message boxes
// all choose by it.
const char* WantedBackend();
// This process's backend: the first of the table that is wanted and available (chosen once).
const Backend& ChosenBackend();

// The display of this process, made by the chosen backend on first use.
Display& GetDisplay();
bool DisplayIsHeadless();

std::unique_ptr<Display> CreateHeadlessDisplay();
std::unique_ptr<Display> CreateSdlDisplay();
bool SdlAvailable();

// The buttons of a message box of `type` (MB_OK...), left to right, and the safe answer: the
// button that makes no choice the user did not make (Cancel where there is one, No for Yes/No,
// Abort for Abort/Retry/Ignore, else OK), which also answers a box closed without a button.
struct MessageBoxButtons {
    struct Button {
        int id;
        const char* label;
    };
    std::array<Button, 3> buttons{};
    int count = 0;
    int safe = IDOK;
    bool Has(int id) const;
};
MessageBoxButtons ButtonsOf(UINT type);

}  // namespace wynplat
