// The message queue of each thread: posted and sent messages, WM_QUIT, coalesced WM_PAINT
// and timers on the process clock, and the default window procedure.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <unordered_map>

#include "audio/output.h"
#include "user/remote_windows.h"
#include "user/user.h"

namespace wynplat {
namespace {

// Guarded by KernelLock().
std::unordered_map<DWORD, std::weak_ptr<Queue>>& Registry() {
    static auto* r = new std::unordered_map<DWORD, std::weak_ptr<Queue>>;
    return *r;
}

struct QueueHolder {
    std::shared_ptr<Queue> q;
    ~QueueHolder() {
        if (!q) return;
        // The thread ends: senders waiting on it get 0 instead of waiting forever.
        std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
        q->alive = false;
        for (auto& m : q->sent) m->done = true;
        q->sent.clear();
        q->posted.clear();
        Registry().erase(q->threadId);
        wyn::clock::NotifyLocked();
    }
};
thread_local QueueHolder t_queue;

std::atomic<DWORD> g_displayThread{0};
std::atomic<UINT_PTR> g_nextTimerId{0x7F00};

bool InRange(UINT m, UINT first, UINT last) {
    return (first == 0 && last == 0) || (m >= first && m <= last);
}

bool HwndMatches(HWND msgHwnd, HWND filter) {
    if (!filter) return true;
    if (filter == reinterpret_cast<HWND>(static_cast<intptr_t>(-1))) return msgHwnd == nullptr;
    return msgHwnd == filter;
}

DWORD NowMs() { return static_cast<DWORD>(wyn::clock::PeekMicros() / 1000); }

void Stamp(MSG* m) {
    m->time = NowMs();
    GetCursorPos(&m->pt);
}

// Serves messages other threads sent to this one.
void ServeSent(const std::shared_ptr<Queue>& q) {
    for (;;) {
        std::shared_ptr<SentMessage> m;
        {
            std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
            if (q->sent.empty()) return;
            m = q->sent.front();
            q->sent.pop_front();
        }
        LRESULT r = CallWindow(m->hwnd, m->message, m->wParam, m->lParam);
        std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
        m->result = r;
        m->done = true;
        wyn::clock::NotifyLocked();
    }
}

// Waits (kernel lock held in `k`) until `ready` holds, serving what other threads send to this
// one meanwhile, so that two threads sending to each other go on.
void WaitServingSentLocked(std::unique_lock<std::mutex>& k, const std::function<bool()>& ready) {
    Queue* raw = CurrentQueue().get();
    for (;;) {
        wyn::clock::WaitUntil(k, wyn::clock::kNever,
                              [raw, &ready] { return ready() || !raw->sent.empty(); });
        if (ready()) return;
        auto in = raw->sent.front();
        raw->sent.pop_front();
        k.unlock();
        LRESULT r = CallWindow(in->hwnd, in->message, in->wParam, in->lParam);
        k.lock();
        in->result = r;
        in->done = true;
        wyn::clock::NotifyLocked();
    }
}

bool IsMouseButtonMessage(UINT m) { return m >= WM_MOUSEMOVE && m <= WM_MBUTTONDBLCLK; }

// One look at the queue in the system's order: sent, posted (and input), quit, paint,
// timers. Returns true with `out` filled.
bool Fetch(const std::shared_ptr<Queue>& q, MSG* out, HWND filter, UINT first, UINT last,
           bool remove) {
    // Devices post what is due by the clock before the queue is looked at (finished audio
    // buffers), so a program that dispatches its messages sees them as of now.
    wyn::audio::CatchUp();
    ServeSent(q);
    PumpDisplay();
    ServeSent(q);
    bool quit = false;
    {
        std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
        for (auto it = q->posted.begin(); it != q->posted.end(); ++it) {
            if (!HwndMatches(it->hwnd, filter) || !InRange(it->message, first, last)) continue;
            *out = *it;
            if (remove) q->posted.erase(it);
            q->lastMessageTime = out->time;
            goto got;
        }
        if (q->quit && InRange(WM_QUIT, first, last)) {
            *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(q->quitCode), 0, 0, {}};
            if (remove) q->quit = false;
            quit = true;
        }
    }
    if (quit) {
        Stamp(out);
        return true;
    }
    if (InRange(WM_PAINT, first, last)) {
        if (HWND h = FindPaintWindow(q.get(), filter)) {
            *out = MSG{h, WM_PAINT, 0, 0, 0, {}};
            Stamp(out);
            return true;
        }
    }
    if (InRange(WM_TIMER, first, last)) {
        uint64_t now = wyn::clock::PeekMicros();
        bool due = false;
        {
            std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
            for (auto& t : q->timers) {
                if (t.due > now || !HwndMatches(t.hwnd, filter)) continue;
                *out = MSG{t.hwnd, WM_TIMER, t.id, reinterpret_cast<LPARAM>(t.proc), 0, {}};
                if (remove) t.due = now + t.period;
                due = true;
                break;
            }
        }
        if (due) {
            Stamp(out);
            return true;
        }
    }
    return false;
got:
    if (remove && out->hwnd && IsMouseButtonMessage(out->message))
        CallWindow(out->hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(out->hwnd),
                   MAKELPARAM(HTCLIENT, out->message));
    return true;
}

uint64_t NextDeadline(const std::shared_ptr<Queue>& q) {
    uint64_t d = wyn::clock::kNever;
    {
        std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
        for (auto& t : q->timers) d = std::min(d, t.due);
    }
    if (IsDisplayThread()) {
        d = std::min(d, NextReplayDue());
        // Desktop input is polled in short slices.
        if (GetDisplay().NeedsPolling()) d = std::min(d, wyn::clock::PeekMicros() + 5000);
    }
    return d;
}

void WaitForWork(const std::shared_ptr<Queue>& q) {
    uint64_t deadline = NextDeadline(q);
    std::unique_lock<std::mutex> k(wyn::clock::KernelLock());
    Queue* raw = q.get();
    bool display = IsDisplayThread();
    wyn::clock::WaitUntil(
        k, deadline, [raw, display] { return raw->Ready() || (display && ScreenshotRequested()); });
}

}  // namespace

std::shared_ptr<Queue> CurrentQueue() {
    if (!t_queue.q) {
        auto q = std::make_shared<Queue>();
        q->threadId = GetCurrentThreadId();
        std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
        Registry()[q->threadId] = q;
        t_queue.q = q;
    }
    return t_queue.q;
}

std::shared_ptr<Queue> QueueOfThread(DWORD threadId) {
    if (threadId == GetCurrentThreadId()) return CurrentQueue();
    std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
    auto it = Registry().find(threadId);
    return it == Registry().end() ? nullptr : it->second.lock();
}

void NoteDisplayThread(DWORD threadId) {
    DWORD none = 0;
    g_displayThread.compare_exchange_strong(none, threadId);
}

bool IsDisplayThread() { return g_displayThread.load() == GetCurrentThreadId(); }

LRESULT CallWindow(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    auto w = FindWindowRecord(h);
    if (!w) return 0;
    WNDPROC proc;
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        proc = w->proc;
    }
    if (!proc) return DefWindowProcA(h, message, wParam, lParam);
    return proc(h, message, wParam, lParam);
}

bool PostToQueue(const std::shared_ptr<Queue>& q, const MSG& m) {
    std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
    if (!q->alive) return false;
    // Moves not yet taken fold into the newest, as the system's input queue does, so a slow
    // program is not flooded by a fast mouse.
    if (m.message == WM_MOUSEMOVE && !q->posted.empty() &&
        q->posted.back().message == WM_MOUSEMOVE && q->posted.back().hwnd == m.hwnd &&
        q->posted.back().wParam == m.wParam) {
        q->posted.back() = m;
        wyn::clock::NotifyLocked();
        return true;
    }
    q->posted.push_back(m);
    wyn::clock::NotifyLocked();
    return true;
}

bool PostToWindow(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    auto w = FindWindowRecord(h);
    if (!w) return false;
    MSG m{h, message, wParam, lParam, NowMs(), {}};
    GetCursorPos(&m.pt);
    return PostToQueue(w->queue, m);
}

}  // namespace wynplat

using namespace wynplat;

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove) {
    if (!msg) return FALSE;
    auto q = CurrentQueue();
    return Fetch(q, msg, hwnd, first, last, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last) {
    if (!msg) return -1;
    if (hwnd && hwnd != reinterpret_cast<HWND>(static_cast<intptr_t>(-1)) && !IsWindow(hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    auto q = CurrentQueue();
    for (;;) {
        if (Fetch(q, msg, hwnd, first, last, true)) return msg->message == WM_QUIT ? FALSE : TRUE;
        WaitForWork(q);
    }
}

BOOL WINAPI WaitMessage(void) {
    auto q = CurrentQueue();
    ServeSent(q);
    PumpDisplay();
    {
        uint64_t now = wyn::clock::PeekMicros();
        std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
        if (q->Ready()) return TRUE;
        for (auto& t : q->timers)
            if (t.due <= now) return TRUE;
    }
    WaitForWork(q);
    return TRUE;
}

DWORD WINAPI GetMessageTime(void) { return CurrentQueue()->lastMessageTime; }

BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (!msg || msg->message != WM_KEYDOWN) return FALSE;
    int vk = static_cast<int>(msg->wParam);
    bool shift = GetKeyState(VK_SHIFT) < 0;
    int ch = 0;
    if (vk >= 'A' && vk <= 'Z')
        ch = shift ? vk : vk + 32;
    else if (vk >= '0' && vk <= '9' && !shift)
        ch = vk;
    else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        ch = '0' + vk - VK_NUMPAD0;
    else if (vk == VK_SPACE || vk == VK_RETURN || vk == VK_BACK || vk == VK_TAB || vk == VK_ESCAPE)
        ch = vk;
    if (!ch) return FALSE;
    // The character comes next, before the key's release or anything queued after it.
    auto w = FindWindowRecord(msg->hwnd);
    if (!w) return FALSE;
    MSG m{msg->hwnd, WM_CHAR, static_cast<WPARAM>(ch), msg->lParam, msg->time, msg->pt};
    std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
    if (!w->queue->alive) return FALSE;
    w->queue->posted.push_front(m);
    wyn::clock::NotifyLocked();
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        reinterpret_cast<TIMERPROC>(msg->lParam)(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd) return 0;
    return CallWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) return PostThreadMessageA(GetCurrentThreadId(), message, wParam, lParam);
    if (hwnd == HWND_BROADCAST) {
        for (HWND t : TopLevelWindows()) PostToWindow(t, message, wParam, lParam);
        return TRUE;
    }
    if (!PostToWindow(hwnd, message, wParam, lParam)) {
        if (remote::IsRemote(hwnd)) return remote::Post(hwnd, message, wParam, lParam);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

void remote::WaitServingSentMessages(const std::function<bool()>& ready) {
    // The queue is made before the lock is taken: making it takes the same lock (a thread that
    // had no queue yet, such as one that has made no window, would wait on itself).
    CurrentQueue();
    std::unique_lock<std::mutex> k(wyn::clock::KernelLock());
    WaitServingSentLocked(k, ready);
}

BOOL WINAPI PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
    auto q = QueueOfThread(threadId);
    if (!q) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    MSG m{nullptr, message, wParam, lParam, NowMs(), {}};
    GetCursorPos(&m.pt);
    return PostToQueue(q, m) ? TRUE : FALSE;
}

LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hwnd == HWND_BROADCAST) {
        for (HWND t : TopLevelWindows()) SendMessageA(t, message, wParam, lParam);
        return 0;
    }
    auto w = FindWindowRecord(hwnd);
    if (!w) {
        if (remote::IsRemote(hwnd)) return remote::Send(hwnd, message, wParam, lParam);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    auto mine = CurrentQueue();
    if (w->queue == mine) return CallWindow(hwnd, message, wParam, lParam);
    auto m = std::make_shared<SentMessage>(SentMessage{hwnd, message, wParam, lParam});
    std::unique_lock<std::mutex> k(wyn::clock::KernelLock());
    if (!w->queue->alive) return 0;
    w->queue->sent.push_back(m);
    wyn::clock::NotifyLocked();
    SentMessage* sm = m.get();
    WaitServingSentLocked(k, [sm] { return sm->done; });
    return m->result;
}

void WINAPI PostQuitMessage(int code) {
    auto q = CurrentQueue();
    std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
    q->quit = true;
    q->quitCode = code;
    wyn::clock::NotifyLocked();
}

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT ms, TIMERPROC proc) {
    std::shared_ptr<Queue> q;
    if (hwnd) {
        auto w = FindWindowRecord(hwnd);
        if (!w) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        q = w->queue;
    } else {
        q = CurrentQueue();
        id = ++g_nextTimerId;
    }
    uint64_t period = static_cast<uint64_t>(std::max<UINT>(ms, 10)) * 1000;
    uint64_t due = wyn::clock::PeekMicros() + period;
    std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
    for (auto& t : q->timers)
        if (t.hwnd == hwnd && t.id == id) {
            t.period = period;
            t.due = due;
            t.proc = proc;
            wyn::clock::NotifyLocked();
            return hwnd ? (id ? id : 1) : id;
        }
    q->timers.push_back(Timer{hwnd, id, period, due, proc});
    wyn::clock::NotifyLocked();
    return hwnd ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
    std::shared_ptr<Queue> q;
    if (hwnd) {
        auto w = FindWindowRecord(hwnd);
        if (!w) return FALSE;
        q = w->queue;
    } else {
        q = CurrentQueue();
    }
    std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
    auto& t = q->timers;
    auto it = std::find_if(t.begin(), t.end(),
                           [&](const Timer& x) { return x.hwnd == hwnd && x.id == id; });
    if (it == t.end()) return FALSE;
    t.erase(it);
    // A WM_TIMER already posted for it is not delivered any more.
    return TRUE;
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hwnd, UINT message, WPARAM wParam,
                               LPARAM lParam) {
    if (!proc) return 0;
    return proc(hwnd, message, wParam, lParam);
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT ps) {
    auto w = FindWindowRecord(hwnd);
    if (!w || !ps) return nullptr;
    std::memset(ps, 0, sizeof(*ps));
    bool erase;
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        ps->rcPaint = w->needsPaint ? w->update : RECT{0, 0, 0, 0};
        erase = w->needsErase;
        ClearNeedsPaint(*w);
    }
    HDC dc = GetDC(hwnd);
    ps->hdc = dc;
    if (erase)
        ps->fErase =
            CallWindow(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0) ? FALSE : TRUE;
    return dc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    if (!ps) return FALSE;
    ReleaseDC(hwnd, ps->hdc);
    if (IsWindow(hwnd)) OnPainted(hwnd);
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto w = FindWindowRecord(hwnd);
    if (!w) return 0;
    switch (message) {
        case WM_NCCREATE:
            return TRUE;
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND: {
            HBRUSH b;
            {
                std::lock_guard<std::recursive_mutex> lk(WindowLock());
                b = w->cls ? w->cls->background : nullptr;
            }
            if (!b) return 0;
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, b);
            return 1;
        }
        case WM_WINDOWPOSCHANGED: {
            auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
            RECT c;
            {
                std::lock_guard<std::recursive_mutex> lk(WindowLock());
                c = ClientRectOf(*w);
            }
            if (!wp || !(wp->flags & SWP_NOMOVE))
                CallWindow(hwnd, WM_MOVE, 0, MAKELPARAM(c.left, c.top));
            if (!wp || !(wp->flags & SWP_NOSIZE))
                CallWindow(hwnd, WM_SIZE, IsIconic(hwnd) ? SIZE_MINIMIZED : SIZE_RESTORED,
                           MAKELPARAM(c.right - c.left, c.bottom - c.top));
            return 0;
        }
        case WM_SETCURSOR: {
            HWND parent = (w->style & WS_CHILD) ? w->parent : nullptr;
            if (parent && CallWindow(parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
            if (LOWORD(lParam) == HTCLIENT) {
                HCURSOR c;
                {
                    std::lock_guard<std::recursive_mutex> lk(WindowLock());
                    c = w->cls ? w->cls->cursor : nullptr;
                }
                if (c) SetCursor(c);
                return c ? TRUE : FALSE;
            }
            return FALSE;
        }
        case WM_MOUSEWHEEL: {
            HWND parent = (w->style & WS_CHILD) ? w->parent : nullptr;
            return parent ? CallWindow(parent, message, wParam, lParam) : 0;
        }
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) CallWindow(hwnd, WM_CLOSE, 0, 0);
            if ((wParam & 0xFFF0) == SC_MINIMIZE) ShowWindow(hwnd, SW_MINIMIZE);
            if ((wParam & 0xFFF0) == SC_RESTORE) ShowWindow(hwnd, SW_RESTORE);
            return 0;
        case WM_SETTEXT:
            return SetWindowTextA(hwnd, reinterpret_cast<LPCSTR>(lParam));
        case WM_GETTEXT:
            return GetWindowTextA(hwnd, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
        case WM_GETTEXTLENGTH:
            return GetWindowTextLengthA(hwnd);
        case WM_MOUSEACTIVATE:
            return 1;
        case WM_NCHITTEST:
            return HTCLIENT;
        default:
            return 0;
    }
}
