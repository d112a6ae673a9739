// The one interface between the window layer and the windows of the other programs of the set.
// The module that talks between processes implements the first half (the other processes'
// windows), the window layer the second (what serving their requests needs of this process);
// neither reaches into the other by any other way.
#pragma once

#include <functional>
#include <string>

#include <windows.h>

namespace wynplat::remote {

// ---- the other processes' windows (implemented by the IPC module) ----

// What the other programs see of a top-level window of this process.
struct WindowCard {
    DWORD threadId = 0;
    std::string cls, title;  // Shift-JIS
};
// A top-level window was created (Publish), retitled (Republish: only a window that is
// published) or is being destroyed (Withdraw).
void Publish(HWND h, const WindowCard& card);
void Republish(HWND h, const WindowCard& card);
void Withdraw(HWND h);

// Whether `h` is a handle of another process's window (its own range of handles).
bool IsRemote(HWND h);
// Whether that window is still there.
bool Alive(HWND h);
LRESULT Send(HWND h, UINT message, WPARAM wParam, LPARAM lParam);
BOOL Post(HWND h, UINT message, WPARAM wParam, LPARAM lParam);
BOOL Foreground(HWND h);
DWORD ThreadProcess(HWND h, LPDWORD processId);
// Windows of thread `threadId` in other processes; false when there are none.
bool EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM param, bool* stopped);
// The first window of another process with that class (case ignored) and title (either may
// be null: any), or null.
HWND Find(LPCSTR className, LPCSTR title);

// ---- this process's windows (implemented by the window layer) ----

// Whether `h` is a live window of this process, so a request from another may name it.
bool IsLocalWindow(HWND h);
// Waits until `ready` holds (asked with the clock's kernel lock held), serving meanwhile the
// messages other threads send to the calling thread's windows, so that two programs sending to
// each other both go on.
void WaitServingSentMessages(const std::function<bool()>& ready);

}  // namespace wynplat::remote
