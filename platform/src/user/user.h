// The window layer's own records: window classes, windows, the message queue of each thread
// and the input state. Window records are guarded by WindowLock(); queue state by the
// clock's KernelLock() so that GetMessageA can wait through the process clock. Window
// procedures are never called with either lock held.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <windows.h>

#include "backend/backend.h"
#include "kernel/clock.h"

namespace wynplat {

struct Queue;

struct WindowClass {
    std::string name;  // as registered (Shift-JIS)
    UINT style = 0;
    WNDPROC proc = nullptr;
    int wndExtra = 0;
    HINSTANCE instance = nullptr;
    HCURSOR cursor = nullptr;
    HICON icon = nullptr;
    HBRUSH background = nullptr;
};

// A window's client area: its own 32-bit XRGB pixels (top-down). Children are composed over
// their parent's pixels when the window is shown or captured.
struct Surface {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    void Resize(int nw, int nh);
};

struct Window {
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> cls;
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    std::string title;  // Shift-JIS
    DWORD style = 0, exStyle = 0;
    LONG_PTR id = 0, userData = 0;
    std::vector<LONG_PTR> extra;
    HWND parent = nullptr;       // WS_CHILD windows
    HWND owner = nullptr;        // owned popups
    std::vector<HWND> children;  // z-order, last on top
    RECT rect{};  // window rectangle: screen for top-level, parent client for children
    bool topmost = false;
    bool created = false;  // WM_CREATE done
    bool destroyed = false;
    DWORD threadId = 0;
    std::shared_ptr<Queue> queue;
    // The update region, kept as one rectangle (paints are coalesced).
    bool needsPaint = false;
    bool needsErase = false;
    RECT update{};
    Surface surface;
    bool dirty = false;  // drawn since last shown, all of it
    RECT dirtyPart{};    // else the part drawn since last shown (client coordinates)
};

// A message sent from another thread, waiting to be served by the owner thread.
struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
};

struct Timer {
    HWND hwnd;
    UINT_PTR id;
    uint64_t period;  // micros
    uint64_t due;
    TIMERPROC proc;
};

struct Queue {
    DWORD threadId = 0;
    bool alive = true;
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    bool quit = false;
    int quitCode = 0;
    int paintCount = 0;  // windows of this thread with an update region
    std::vector<Timer> timers;
    DWORD lastMessageTime = 0;
    bool Ready() const {
        return !alive || !sent.empty() || !posted.empty() || quit || paintCount > 0;
    }
};

std::recursive_mutex& WindowLock();

// The window behind `h`, or null (destroyed windows are gone from the table).
std::shared_ptr<Window> FindWindowRecord(HWND h);
// The calling thread's queue, made on first use.
std::shared_ptr<Queue> CurrentQueue();
std::shared_ptr<Queue> QueueOfThread(DWORD threadId);

// Calls the window procedure (no lock held). 0 for unknown windows.
LRESULT CallWindow(HWND h, UINT message, WPARAM wParam, LPARAM lParam);
// Posts into the queue of the window's thread. False for unknown windows or dead threads.
bool PostToWindow(HWND h, UINT message, WPARAM wParam, LPARAM lParam);

// Non-client insets of a window with `style`: left, top, right, bottom.
RECT FrameInsets(DWORD style, DWORD exStyle);
// The client rectangle of `w` in its own window coordinates' origin (screen for top-level,
// parent client for children).
RECT ClientRectOf(const Window& w);
// The top-level window that shows `h` on screen (itself when top-level).
HWND TopLevelOf(HWND h);
// Offset of `h`'s client origin within the client area of its top-level window.
POINT ClientOffsetInTop(HWND h);
POINT ClientOriginOnScreen(HWND h);
// The update region changed state (with WindowLock held).
void MarkNeedsPaint(Window& w, const RECT* r, bool erase);
void ClearNeedsPaint(Window& w);
// Something was drawn into `h`: its top-level window is shown anew at the next pump.
void MarkDirty(HWND h);
// Only `part` of `h`'s client area was drawn: only that part reaches the display, unless more
// is drawn before the next pump.
void MarkDirtyPart(HWND h, const RECT& part);
// While one lives, what this thread draws into `h` is known to stay inside `part` (client
// coordinates of `h`): MarkDirty(h) marks only that part.
class DirtyPartScope {
  public:
    DirtyPartScope(HWND h, const RECT& part);
    ~DirtyPartScope();
    DirtyPartScope(const DirtyPartScope&) = delete;
    DirtyPartScope& operator=(const DirtyPartScope&) = delete;
};
// Composes the client area of `h` with its visible children. Returns false for unknown
// windows.
bool ComposeWindow(HWND h, std::vector<uint32_t>& out, int* w, int* hgt);

// The display size (the desktop, or the mode set by ChangeDisplaySettingsA).
void ScreenSize(int* w, int* h);
void SetScreenMode(bool fullScreen, int w, int h);

HWND ActiveWindowHandle();
HWND FocusWindowHandle();
HWND CaptureWindowHandle();
// The deepest visible window under `p` (client coordinates of `top`); `p` becomes client
// coordinates of that window.
HWND HitTest(HWND top, POINT* p);
HWND ForegroundTop();
std::vector<HWND> TopLevelWindows();
void ActivateFromInput(HWND top);
// A window of `q`'s thread that waits for WM_PAINT (parents before children).
HWND FindPaintWindow(const Queue* q, HWND filter);
// The thread that pumps the display (the first to create a window).
void NoteDisplayThread(DWORD threadId);
bool IsDisplayThread();

// Input: turns a backend or replay event into state and messages.
void DeliverInput(const InputEvent& ev);
// Whether a window is there to take the event now (DeliverInput drops what none takes).
bool HasInputTarget(const InputEvent& ev);
int MapVirtualKeyScan(int vk);
// Pumps the display and the replay (on the display thread) and shows dirty windows.
void PumpDisplay();
// The next time the replay has an event for, or UINT64_MAX.
uint64_t NextReplayDue();
// A screenshot was asked for by signal (the waiting display thread wakes up for it).
bool ScreenshotRequested();
// Affordances (screenshots, replay, window log) hooked into the layer.
void OnWindowCreated(HWND h);
// A top-level window became visible.
void OnWindowShown(HWND h);
void OnWindowDestroying(HWND h);
void OnTitleChanged(HWND h);
void OnPainted(HWND h);
void OnFramePresented(HWND top);
void ReplayPump();
// Whether a screenshot is taken every N frames (then even a headless display composes them).
bool CountsFrames();
// Takes the screenshot asked for by signal, if one was.
void TakeRequestedScreenshot();
void LogWindow(const char* fmt, ...);

// The text's code page from a font's charset (Big5 for CHINESEBIG5_CHARSET).
std::string TextToUtf8(const char* text, int length, int codePage);
std::string ToUtf8Text(const char* text, int codePage);

}  // namespace wynplat
