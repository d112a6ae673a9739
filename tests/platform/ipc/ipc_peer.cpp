// The other program of the IPC tests. Its command line names what it does:
//   window CLASS   a top-level window of class CLASS (title "peer") answering the test's
//                  messages (see PeerProc) until it is closed;
//   mailslot-write NAME TEXT   writes TEXT to the mailslot NAME and ends with 0 (1 on failure);
//   mailslot-read NAME         creates the mailslot, signals the event "<NAME>-ready", reads one
//                              message and ends with its length / 4 (0 when none came);
//   event-set NAME             opens the event NAME and sets it (exit 1 when it is not there);
//   event-wait NAME            waits for the event NAME, then sets "<NAME>-done".
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <windows.h>

namespace {

constexpr UINT kAdd = WM_USER + 1;       // returns wParam + lParam
constexpr UINT kPostBack = WM_USER + 2;  // posts kPosted(wParam) to the test's window
constexpr UINT kSendBack =
    WM_USER + 3;  // sends kAsked to the test's window, returns its answer + 1
constexpr UINT kAsked = WM_USER + 4;
constexpr UINT kPosted = WM_USER + 5;
constexpr UINT kDie = WM_USER + 6;           // ends the process without answering
constexpr UINT kIsForeground = WM_USER + 7;  // 1 when this window is the foreground window
// Opens a second window of the peer in front of the first; 1 when the first is no longer the
// foreground window.
constexpr UINT kSecondWindow = WM_USER + 8;

const char* g_class = "";  // the class of the peer's windows

LRESULT CALLBACK PeerProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    switch (m) {
        case kAdd:
            return static_cast<LRESULT>(w + l);
        case kPostBack:
            PostMessageA(FindWindowA("WynIpcTest", nullptr), kPosted, w, 0);
            return 0;
        case kSendBack:
            return SendMessageA(FindWindowA("WynIpcTest", nullptr), kAsked, w, 0) + 1;
        case kDie:
            std::_Exit(9);
        case kIsForeground:
            return GetForegroundWindow() == h ? 1 : 0;
        case kSecondWindow: {
            HWND second = CreateWindowExA(0, g_class, "second", WS_OVERLAPPEDWINDOW, 20, 20, 80, 80,
                                          nullptr, nullptr, nullptr, nullptr);
            if (second) ShowWindow(second, SW_SHOWNORMAL);
            return second && GetForegroundWindow() != h ? 1 : 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcA(h, m, w, l);
    }
}

int RunWindow(const char* cls) {
    g_class = cls;
    WNDCLASSA wc{};
    wc.lpfnWndProc = PeerProc;
    wc.lpszClassName = cls;
    RegisterClassA(&wc);
    HWND h = CreateWindowExA(0, cls, "peer", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             nullptr, nullptr);
    if (!h) return 2;
    ShowWindow(h, SW_SHOWNORMAL);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmdLine, int) {
    char mode[64] = {}, name[200] = {}, text[200] = {};
    std::sscanf(cmdLine, "%63s %199s %199s", mode, name, text);
    std::string m = mode;
    if (m == "window") return RunWindow(name);
    if (m == "mailslot-write") {
        HANDLE f = CreateFileA(name, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f == INVALID_HANDLE_VALUE) return 1;
        DWORD n = 0;
        BOOL ok = WriteFile(f, text, static_cast<DWORD>(std::strlen(text)), &n, nullptr);
        CloseHandle(f);
        return ok && n == std::strlen(text) ? 0 : 1;
    }
    if (m == "mailslot-read") {
        HANDLE slot = CreateMailslotA(name, 0, 20000, nullptr);
        if (slot == INVALID_HANDLE_VALUE) return 0;
        HANDLE ready = CreateEventA(nullptr, TRUE, TRUE, (std::string(name) + "-ready").c_str());
        char buf[512];
        DWORD n = 0;
        BOOL ok = ReadFile(slot, buf, sizeof buf, &n, nullptr);
        CloseHandle(ready);
        CloseHandle(slot);
        return ok ? static_cast<int>(n / 4) : 0;  // exit codes keep 8 bits
    }
    if (m == "event-set") {
        HANDLE e = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
        if (!e) return 1;
        SetEvent(e);
        CloseHandle(e);
        return 0;
    }
    if (m == "event-wait") {
        HANDLE e = OpenEventA(SYNCHRONIZE, FALSE, name);
        if (!e) return 1;
        DWORD r = WaitForSingleObject(e, 20000);
        HANDLE done = OpenEventA(EVENT_MODIFY_STATE, FALSE, (std::string(name) + "-done").c_str());
        if (done) SetEvent(done);
        return r == WAIT_OBJECT_0 ? 0 : 3;
    }
    return 100;
}
