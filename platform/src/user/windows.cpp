// Window classes and windows: creation and destruction, geometry, styles and parents,
// visibility and activation, and the composition of child windows into their top-level
// window's picture.
#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "user/remote_windows.h"
#include "user/icons.h"
#include "user/user.h"

namespace wynplat {

std::recursive_mutex& WindowLock() {
    static std::recursive_mutex m;
    return m;
}

namespace {

constexpr int kCaption = 19;
constexpr int kFixedFrame = 3;
constexpr int kSizeFrame = 4;
constexpr int kBorder = 1;

struct State {
    std::vector<std::shared_ptr<WindowClass>> classes;
    std::unordered_map<uintptr_t, std::shared_ptr<Window>> windows;
    std::vector<HWND> tops;  // top-level z-order, last on top
    uintptr_t nextHandle = 0x20010;
    HWND active = nullptr;
    HWND focus = nullptr;
    HWND capture = nullptr;
    bool fullScreen = false;
    int modeW = 0, modeH = 0;
};

State& S() {
    static State* s = new State;  // outlives static destructors run at exit
    return *s;
}

bool EqualNoCase(const std::string& a, const char* b) {
    size_t n = std::strlen(b);
    if (a.size() != n) return false;
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z') x -= 32;
        if (y >= 'a' && y <= 'z') y -= 32;
        if (x != y) return false;
    }
    return true;
}

std::shared_ptr<WindowClass> FindClass(const char* name) {
    if (!name) return nullptr;
    if (IS_INTRESOURCE(name)) return nullptr;
    for (auto& c : S().classes)
        if (EqualNoCase(c->name, name)) return c;
    return nullptr;
}

bool IsChild(const Window& w) { return (w.style & WS_CHILD) && w.parent; }

// Shows a top-level window to the other programs of the set (`again`: a new title for one
// they already see).
void PublishToOthers(HWND h, bool again) {
    auto w = FindWindowRecord(h);
    if (!w) return;
    remote::WindowCard card;
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        if (w->destroyed || (w->style & WS_CHILD)) return;
        card = remote::WindowCard{w->threadId, w->cls->name, w->title};
    }
    if (again)
        remote::Republish(h, card);
    else
        remote::Publish(h, card);
}

void RemoveFrom(std::vector<HWND>& v, HWND h) {
    v.erase(std::remove(v.begin(), v.end(), h), v.end());
}

// Native windows show visible, not minimised top-level windows.
void SyncNative(Window& w) {
    Display& d = GetDisplay();
    bool shown = !IsChild(w) && (w.style & WS_VISIBLE) && !(w.style & WS_MINIMIZE) && !w.destroyed;
    if (!shown) {
        d.HideNative(w.handle);
        return;
    }
    RECT c = ClientRectOf(w);
    std::string title = TextToUtf8(w.title.c_str(), -1, 932);
    d.ShowNative(w.handle, title.c_str(), c.left, c.top, c.right - c.left, c.bottom - c.top,
                 w.topmost);
    w.dirty = true;
}

void ResizeSurface(Window& w) {
    RECT c = ClientRectOf(w);
    w.surface.Resize(std::max<LONG>(0, c.right - c.left), std::max<LONG>(0, c.bottom - c.top));
}

void MarkParentDirty(Window& w) {
    if (IsChild(w)) MarkDirty(w.parent);
}

void Activate(HWND h, WPARAM how) {
    HWND old;
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        old = S().active;
        if (old == h) return;
        S().active = h;
        S().focus = h;
    }
    if (old) CallWindow(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(h));
    if (h) CallWindow(h, WM_ACTIVATE, how, reinterpret_cast<LPARAM>(old));
}

void DestroyTree(HWND h);

}  // namespace

void Surface::Resize(int nw, int nh) {
    if (nw == w && nh == h) return;
    std::vector<uint32_t> n(static_cast<size_t>(nw) * nh, 0);
    for (int y = 0; y < std::min(h, nh); ++y)
        std::copy_n(px.begin() + static_cast<size_t>(y) * w, std::min(w, nw),
                    n.begin() + static_cast<size_t>(y) * nw);
    px.swap(n);
    w = nw;
    h = nh;
}

std::shared_ptr<Window> FindWindowRecord(HWND h) {
    if (!h) return nullptr;
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    auto it = S().windows.find(reinterpret_cast<uintptr_t>(h));
    if (it == S().windows.end()) return nullptr;
    return it->second;
}

RECT FrameInsets(DWORD style, DWORD exStyle) {
    RECT r{0, 0, 0, 0};
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = kSizeFrame;
    else if ((style & WS_CAPTION) == WS_CAPTION || (style & WS_DLGFRAME) ||
             (exStyle & WS_EX_DLGMODALFRAME))
        frame = kFixedFrame;
    else if (style & WS_BORDER)
        frame = kBorder;
    r.left = r.right = r.top = r.bottom = frame;
    if ((style & WS_CAPTION) == WS_CAPTION) r.top += kCaption;
    return r;
}

RECT ClientRectOf(const Window& w) {
    RECT in = FrameInsets(w.style, w.exStyle);
    RECT c{w.rect.left + in.left, w.rect.top + in.top, w.rect.right - in.right,
           w.rect.bottom - in.bottom};
    if (c.right < c.left) c.right = c.left;
    if (c.bottom < c.top) c.bottom = c.top;
    return c;
}

POINT ClientOriginOnScreen(HWND h) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    POINT p = ClientOffsetInTop(h);
    auto top = FindWindowRecord(TopLevelOf(h));
    if (top) {
        RECT c = ClientRectOf(*top);
        p.x += c.left;
        p.y += c.top;
    }
    return p;
}

HWND TopLevelOf(HWND h) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    for (int depth = 0; depth < 64; ++depth) {
        auto w = FindWindowRecord(h);
        if (!w) return nullptr;
        if (!IsChild(*w)) return h;
        h = w->parent;
    }
    return nullptr;
}

POINT ClientOffsetInTop(HWND h) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    POINT p{0, 0};
    for (int depth = 0; depth < 64; ++depth) {
        auto w = FindWindowRecord(h);
        if (!w || !IsChild(*w)) break;
        RECT c = ClientRectOf(*w);
        p.x += c.left;
        p.y += c.top;
        h = w->parent;
    }
    return p;
}

namespace {
thread_local HWND tScopeWindow = nullptr;
thread_local RECT tScopePart{};
}  // namespace

DirtyPartScope::DirtyPartScope(HWND h, const RECT& part) {
    tScopeWindow = h;
    tScopePart = part;
}
DirtyPartScope::~DirtyPartScope() { tScopeWindow = nullptr; }

void MarkDirty(HWND h) {
    if (h && h == tScopeWindow) {
        MarkDirtyPart(h, tScopePart);
        return;
    }
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    HWND top = TopLevelOf(h);
    if (auto w = FindWindowRecord(top)) w->dirty = true;
}

void MarkDirtyPart(HWND h, const RECT& part) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    const POINT o = ClientOffsetInTop(h);
    HWND top = TopLevelOf(h);
    auto w = FindWindowRecord(top);
    if (!w || w->dirty) return;
    RECT r = part;
    OffsetRect(&r, o.x, o.y);
    if (IsRectEmpty(&r)) return;
    RECT u;
    UnionRect(&u, &w->dirtyPart, &r);
    w->dirtyPart = u;
}

namespace {

void ComposeInto(const Window& w, uint32_t* dst, int dw, int dh, int ox, int oy, RECT clip) {
    RECT area{ox, oy, ox + w.surface.w, oy + w.surface.h};
    RECT r;
    if (IntersectRect(&r, &area, &clip)) {
        for (int y = r.top; y < r.bottom; ++y)
            std::memcpy(
                dst + static_cast<size_t>(y) * dw + r.left,
                w.surface.px.data() + static_cast<size_t>(y - oy) * w.surface.w + (r.left - ox),
                sizeof(uint32_t) * (r.right - r.left));
    }
    for (HWND ch : w.children) {
        auto c = FindWindowRecord(ch);
        if (!c || !(c->style & WS_VISIBLE) || (c->style & WS_MINIMIZE)) continue;
        RECT cc = ClientRectOf(*c);
        RECT cr{ox + cc.left, oy + cc.top, ox + cc.right, oy + cc.bottom};
        RECT sub;
        RECT inParent;
        if (!IntersectRect(&inParent, &cr, &area)) continue;
        if (!IntersectRect(&sub, &inParent, &clip)) continue;
        ComposeInto(*c, dst, dw, dh, cr.left, cr.top, sub);
    }
}

}  // namespace

bool ComposeWindow(HWND h, std::vector<uint32_t>& out, int* w, int* hgt) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    auto win = FindWindowRecord(h);
    if (!win) return false;
    *w = win->surface.w;
    *hgt = win->surface.h;
    out.assign(static_cast<size_t>(*w) * *hgt, 0);
    ComposeInto(*win, out.data(), *w, *hgt, 0, 0, RECT{0, 0, *w, *hgt});
    return true;
}

void ScreenSize(int* w, int* h) {
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        if (S().fullScreen) {
            *w = S().modeW;
            *h = S().modeH;
            return;
        }
    }
    GetDisplay().DesktopSize(w, h);
}

void SetScreenMode(bool fullScreen, int w, int h) {
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        S().fullScreen = fullScreen;
        S().modeW = w;
        S().modeH = h;
    }
    GetDisplay().SetFullScreen(fullScreen, w, h);
}

HWND ActiveWindowHandle() {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    return S().active;
}
HWND FocusWindowHandle() {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    if (S().focus && FindWindowRecord(S().focus)) return S().focus;
    return S().active;
}
HWND CaptureWindowHandle() {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    return S().capture;
}

// The deepest visible window under a point given in client coordinates of `top`; the
// point is turned into that window's client coordinates.
HWND HitTest(HWND top, POINT* p) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    auto w = FindWindowRecord(top);
    if (!w) return nullptr;
    HWND found = top;
    for (int depth = 0; depth < 64; ++depth) {
        HWND next = nullptr;
        for (auto it = w->children.rbegin(); it != w->children.rend(); ++it) {
            auto c = FindWindowRecord(*it);
            if (!c || !(c->style & WS_VISIBLE) || (c->style & WS_MINIMIZE)) continue;
            RECT cc = ClientRectOf(*c);
            if (p->x >= cc.left && p->x < cc.right && p->y >= cc.top && p->y < cc.bottom) {
                p->x -= cc.left;
                p->y -= cc.top;
                next = *it;
                w = c;
                break;
            }
        }
        if (!next) break;
        found = next;
    }
    return found;
}

// The visible top-level window on top, for input with no window named.
HWND ForegroundTop() {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    // A hidden window that was made the active one (another program of the set brought this
    // one's first published window to the front, say the sound library's hidden window) takes
    // no input: the user's, or the replay's, goes to the window on the screen.
    if (S().active && FindWindowRecord(S().active)) {
        HWND top = TopLevelOf(S().active);
        auto w = FindWindowRecord(top);
        if (w && (w->style & WS_VISIBLE)) return top;
    }
    for (auto it = S().tops.rbegin(); it != S().tops.rend(); ++it) {
        auto w = FindWindowRecord(*it);
        if (w && (w->style & WS_VISIBLE)) return *it;
    }
    return nullptr;
}

std::vector<HWND> TopLevelWindows() {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    return S().tops;
}

namespace {
HWND PaintIn(HWND h, const Queue* q, HWND filter) {
    auto w = FindWindowRecord(h);
    if (!w) return nullptr;
    if (w->needsPaint && w->queue.get() == q && (!filter || filter == h)) return h;
    for (HWND c : w->children)
        if (HWND f = PaintIn(c, q, filter)) return f;
    return nullptr;
}
}  // namespace

HWND FindPaintWindow(const Queue* q, HWND filter) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    for (HWND t : S().tops)
        if (HWND f = PaintIn(t, q, filter)) return f;
    return nullptr;
}

void ActivateFromInput(HWND top) {
    if (top && top != ActiveWindowHandle()) Activate(top, WA_CLICKACTIVE);
}

void MarkNeedsPaint(Window& w, const RECT* r, bool erase) {
    RECT full{0, 0, w.surface.w, w.surface.h};
    RECT add = full;
    if (r && !IntersectRect(&add, r, &full)) return;
    if (IsRectEmpty(&add)) return;
    if (w.needsPaint)
        UnionRect(&w.update, &w.update, &add);
    else
        w.update = add;
    if (erase) w.needsErase = true;
    if (!w.needsPaint && w.queue) {
        w.needsPaint = true;
        std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
        ++w.queue->paintCount;
        wyn::clock::NotifyLocked();
    }
    w.needsPaint = true;
}

void ClearNeedsPaint(Window& w) {
    if (w.needsPaint && w.queue) {
        std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
        --w.queue->paintCount;
    }
    w.needsPaint = false;
    w.needsErase = false;
    SetRectEmpty(&w.update);
}

}  // namespace wynplat

using namespace wynplat;

static ATOM RegisterRecord(const WindowClass& c) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    if (FindClass(c.name.c_str())) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    S().classes.push_back(std::make_shared<WindowClass>(c));
    return static_cast<ATOM>(0xC000 + S().classes.size());
}

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) || !wc->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WindowClass c;
    c.name = wc->lpszClassName;
    c.style = wc->style;
    c.proc = wc->lpfnWndProc;
    c.wndExtra = std::max(0, wc->cbWndExtra);
    c.instance = wc->hInstance;
    c.cursor = wc->hCursor;
    c.icon = wc->hIcon;
    c.background = wc->hbrBackground;
    return RegisterRecord(c);
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* wc) {
    if (!wc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WNDCLASSA a{wc->style, wc->lpfnWndProc, wc->cbClsExtra,    wc->cbWndExtra,   wc->hInstance,
                wc->hIcon, wc->hCursor,     wc->hbrBackground, wc->lpszMenuName, wc->lpszClassName};
    return RegisterClassA(&a);
}

BOOL WINAPI UnregisterClassA(LPCSTR name, HINSTANCE) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    auto c = FindClass(name);
    if (!c) return FALSE;
    for (auto& [k, w] : S().windows)
        if (w->cls == c) return FALSE;  // still in use
    S().classes.erase(std::remove(S().classes.begin(), S().classes.end(), c), S().classes.end());
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    auto q = CurrentQueue();
    NoteDisplayThread(q->threadId);
    std::shared_ptr<Window> w;
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        auto cls = FindClass(className);
        if (!cls) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        std::shared_ptr<Window> parentRec;
        if (parent) {
            parentRec = FindWindowRecord(parent);
            if (!parentRec) {
                SetLastError(ERROR_INVALID_WINDOW_HANDLE);
                return nullptr;
            }
        }
        if ((style & WS_CHILD) && !parentRec) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        // Overlapped top-level windows always have a caption.
        if (!(style & (WS_CHILD | WS_POPUP))) style |= WS_CAPTION | WS_CLIPSIBLINGS;
        w = std::make_shared<Window>();
        w->handle = reinterpret_cast<HWND>(S().nextHandle);
        S().nextHandle += 0x10;
        w->cls = cls;
        w->proc = cls->proc;
        w->instance = instance;
        w->title = title ? title : "";
        w->style = style & ~WS_VISIBLE;
        w->exStyle = exStyle;
        w->topmost = (exStyle & WS_EX_TOPMOST) != 0;
        w->extra.assign((cls->wndExtra + sizeof(LONG_PTR) - 1) / sizeof(LONG_PTR) + 1, 0);
        w->threadId = q->threadId;
        w->queue = q;
        if (style & WS_CHILD) {
            w->parent = parent;
            w->id = reinterpret_cast<LONG_PTR>(menu);
        } else if (parentRec) {
            w->owner = TopLevelOf(parent);
        }
        if (x == CW_USEDEFAULT) x = y = 0;
        if (width == CW_USEDEFAULT) {
            width = 640;
            height = 480;
        }
        w->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
        ResizeSurface(*w);
        S().windows[reinterpret_cast<uintptr_t>(w->handle)] = w;
        if (w->parent)
            parentRec->children.push_back(w->handle);
        else
            S().tops.push_back(w->handle);
    }
    HWND h = w->handle;
    CREATESTRUCTA cs{
        param, instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
        title, className, exStyle};
    if (!CallWindow(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs)) ||
        CallWindow(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(h);
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (!IsWindow(h)) return nullptr;  // destroyed by its own handler
    w->created = true;
    RECT c = ClientRectOf(*w);
    CallWindow(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.right - c.left, c.bottom - c.top));
    CallWindow(h, WM_MOVE, 0, MAKELPARAM(c.left, c.top));
    OnWindowCreated(h);
    PublishToOthers(h, false);
    if (style & WS_VISIBLE) ShowWindow(h, (style & WS_MINIMIZE) ? SW_SHOWMINNOACTIVE : SW_SHOW);
    return IsWindow(h) ? h : nullptr;
}

namespace wynplat {
namespace {

void DestroyTree(HWND h) {
    auto w = FindWindowRecord(h);
    if (!w) return;
    std::vector<HWND> owned, kids;
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        if (w->destroyed) return;
        w->destroyed = true;
        for (auto& [k, o] : S().windows)
            if (o->owner == h && !o->destroyed) owned.push_back(o->handle);
        kids = w->children;
    }
    OnWindowDestroying(h);
    remote::Withdraw(h);
    for (HWND o : owned) DestroyWindow(o);
    GetDisplay().HideNative(h);
    CallWindow(h, WM_DESTROY, 0, 0);
    for (HWND k : kids) DestroyTree(k);
    CallWindow(h, WM_NCDESTROY, 0, 0);
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        ClearNeedsPaint(*w);
        if (w->parent) {
            if (auto p = FindWindowRecord(w->parent)) {
                RemoveFrom(p->children, h);
                p->dirty = true;
            }
            MarkDirty(w->parent);
        }
        RemoveFrom(S().tops, h);
        if (S().active == h) S().active = nullptr;
        if (S().focus == h) S().focus = nullptr;
        if (S().capture == h) S().capture = nullptr;
        S().windows.erase(reinterpret_cast<uintptr_t>(h));
    }
    {
        std::lock_guard<std::mutex> k(wyn::clock::KernelLock());
        auto& t = w->queue->timers;
        t.erase(std::remove_if(t.begin(), t.end(), [h](const Timer& x) { return x.hwnd == h; }),
                t.end());
    }
}

}  // namespace
}  // namespace wynplat

BOOL WINAPI DestroyWindow(HWND h) {
    auto w = FindWindowRecord(h);
    if (!w || w->destroyed) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    bool wasActive = ActiveWindowHandle() == h;
    DestroyTree(h);
    if (wasActive) {
        // Activation passes to the next visible top-level window.
        HWND next = ForegroundTop();
        if (next) Activate(next, WA_ACTIVE);
    }
    return TRUE;
}

bool wynplat::remote::IsLocalWindow(HWND h) { return FindWindowRecord(h) != nullptr; }

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR title) {
    // Class atoms are not registered across processes; the system looks windows up by name.
    if (className && IS_INTRESOURCE(className)) return nullptr;
    auto tops = TopLevelWindows();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        auto w = FindWindowRecord(*it);
        if (!w) continue;
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        if (!w->destroyed && (!className || lstrcmpiA(w->cls->name.c_str(), className) == 0) &&
            (!title || w->title == title))
            return *it;
    }
    return remote::Find(className, title);
}

BOOL WINAPI IsWindow(HWND h) {
    if (FindWindowRecord(h)) return TRUE;
    return remote::Alive(h) ? TRUE : FALSE;
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
    if (!FindWindowRecord(hwnd)) return FALSE;
    LONG style = GetWindowLongA(hwnd, GWL_STYLE);
    bool wasDisabled = (style & WS_DISABLED) != 0;
    LONG next = enable ? (style & ~WS_DISABLED) : (style | WS_DISABLED);
    if (next != style) {
        SetWindowLongA(hwnd, GWL_STYLE, next);
        if (!enable && GetFocus() == hwnd) SetFocus(nullptr);
        SendMessageA(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    }
    return wasDisabled ? TRUE : FALSE;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd) {
    if (!FindWindowRecord(hwnd)) return FALSE;
    return (GetWindowLongA(hwnd, GWL_STYLE) & WS_DISABLED) ? FALSE : TRUE;
}

BOOL WINAPI IsWindowVisible(HWND h) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    for (int depth = 0; depth < 64; ++depth) {
        auto w = FindWindowRecord(h);
        if (!w || !(w->style & WS_VISIBLE)) return FALSE;
        if (!IsChild(*w)) return TRUE;
        h = w->parent;
    }
    return FALSE;
}

BOOL WINAPI ShowWindow(HWND h, int cmd) {
    auto w = FindWindowRecord(h);
    if (!w) return FALSE;
    bool wasVisible, activate = false;
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        wasVisible = (w->style & WS_VISIBLE) != 0;
        switch (cmd) {
            case SW_HIDE:
                w->style &= ~WS_VISIBLE;
                break;
            case SW_MINIMIZE:
            case SW_SHOWMINIMIZED:
            case SW_SHOWMINNOACTIVE:
                w->style |= WS_VISIBLE | WS_MINIMIZE;
                break;
            case SW_SHOWNORMAL:
            case SW_RESTORE:
            case SW_SHOWDEFAULT:
            case SW_SHOWMAXIMIZED:
                w->style = (w->style | WS_VISIBLE) & ~WS_MINIMIZE;
                activate = !IsChild(*w);
                break;
            default:  // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE
                w->style |= WS_VISIBLE;
                activate = cmd == SW_SHOW && !IsChild(*w) && !(w->style & WS_MINIMIZE);
                break;
        }
        bool nowVisible = (w->style & WS_VISIBLE) != 0;
        if (nowVisible && !wasVisible) MarkNeedsPaint(*w, nullptr, true);
        SyncNative(*w);
        MarkParentDirty(*w);
    }
    if (!wasVisible) OnWindowShown(h);
    if (activate) Activate(h, WA_ACTIVE);
    return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI IsIconic(HWND h) {
    auto w = FindWindowRecord(h);
    return w && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI IsZoomed(HWND h) {
    auto w = FindWindowRecord(h);
    return w && (w->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

BOOL WINAPI OpenIcon(HWND h) {
    if (!IsWindow(h)) return FALSE;
    ShowWindow(h, SW_RESTORE);
    return TRUE;
}

BOOL WINAPI UpdateWindow(HWND h) {
    auto w = FindWindowRecord(h);
    if (!w) return FALSE;
    bool paint;
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        paint = w->needsPaint;
    }
    if (paint) SendMessageA(h, WM_PAINT, 0, 0);
    return TRUE;
}

BOOL WINAPI InvalidateRect(HWND h, const RECT* r, BOOL erase) {
    if (!h) return FALSE;
    auto w = FindWindowRecord(h);
    if (!w) return FALSE;
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    MarkNeedsPaint(*w, r, erase != 0);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND h, const RECT*) {
    auto w = FindWindowRecord(h);
    if (!w) return FALSE;
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    ClearNeedsPaint(*w);
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND h, LPRECT r, BOOL) {
    auto w = FindWindowRecord(h);
    if (!w) return FALSE;
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    if (r) *r = w->needsPaint ? w->update : RECT{0, 0, 0, 0};
    return w->needsPaint ? TRUE : FALSE;
}

BOOL WINAPI SetWindowPos(HWND h, HWND after, int x, int y, int cx, int cy, UINT flags) {
    auto w = FindWindowRecord(h);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    WINDOWPOS wp{h, after, x, y, cx, cy, flags};
    RECT old;
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        old = w->rect;
    }
    if (flags & SWP_NOMOVE) {
        wp.x = old.left;
        wp.y = old.top;
    }
    if (flags & SWP_NOSIZE) {
        wp.cx = old.right - old.left;
        wp.cy = old.bottom - old.top;
    }
    if (!(flags & SWP_NOSENDCHANGING))
        CallWindow(h, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
    if (!IsWindow(h)) return FALSE;
    bool activate = false;
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        RECT oldClient = ClientRectOf(*w);
        w->rect = RECT{wp.x, wp.y, wp.x + std::max(0, wp.cx), wp.y + std::max(0, wp.cy)};
        if (!(wp.flags & SWP_NOZORDER)) {
            std::vector<HWND>* list = &S().tops;
            if (IsChild(*w)) {
                auto p = FindWindowRecord(w->parent);
                list = p ? &p->children : nullptr;
            }
            if (after == HWND_TOPMOST) w->topmost = true;
            if (after == HWND_NOTOPMOST) w->topmost = false;
            if (list && (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST)) {
                RemoveFrom(*list, h);
                list->push_back(h);
                if (list == &S().tops && after != HWND_NOTOPMOST) GetDisplay().RaiseNative(h);
            } else if (list && after == HWND_BOTTOM) {
                RemoveFrom(*list, h);
                list->insert(list->begin(), h);
            }
        }
        if (wp.flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
        if (wp.flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
        ResizeSurface(*w);
        RECT nc = ClientRectOf(*w);
        bool sized = (nc.right - nc.left) != (oldClient.right - oldClient.left) ||
                     (nc.bottom - nc.top) != (oldClient.bottom - oldClient.top);
        if ((sized || (wp.flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED))) &&
            !(wp.flags & SWP_NOREDRAW))
            MarkNeedsPaint(*w, nullptr, true);
        SyncNative(*w);
        MarkParentDirty(*w);
        activate = (wp.flags & SWP_SHOWWINDOW) && !(wp.flags & SWP_NOACTIVATE) && !IsChild(*w);
    }
    CallWindow(h, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
    if (wp.flags & SWP_SHOWWINDOW) OnWindowShown(h);
    if (activate) Activate(h, WA_ACTIVE);
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND h, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(h, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI BringWindowToTop(HWND h) {
    // Another program's top-level window comes to the front as that program's active window.
    if (remote::IsRemote(h)) return remote::Foreground(h);
    return SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL WINAPI SetForegroundWindow(HWND h) {
    if (remote::IsRemote(h)) return remote::Foreground(h);
    h = TopLevelOf(h);
    if (!h) return FALSE;
    BringWindowToTop(h);
    Activate(h, WA_ACTIVE);
    return TRUE;
}

HWND WINAPI GetForegroundWindow(void) { return ActiveWindowHandle(); }
HWND WINAPI GetActiveWindow(void) { return ActiveWindowHandle(); }

HWND WINAPI SetActiveWindow(HWND h) {
    HWND old = ActiveWindowHandle();
    if (!IsWindow(h)) return nullptr;
    Activate(TopLevelOf(h), WA_ACTIVE);
    return old;
}

HWND WINAPI SetFocus(HWND h) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    HWND old = S().focus;
    if (h && !FindWindowRecord(h)) return nullptr;
    S().focus = h;
    return old;
}

HWND WINAPI GetFocus(void) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    return S().focus;
}

HWND WINAPI SetCapture(HWND h) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    HWND old = S().capture;
    if (FindWindowRecord(h)) S().capture = h;
    return old;
}

BOOL WINAPI ReleaseCapture(void) {
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    S().capture = nullptr;
    return TRUE;
}

HWND WINAPI GetCapture(void) { return CaptureWindowHandle(); }

HWND WINAPI GetDesktopWindow(void) {
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10010));
}

BOOL WINAPI GetWindowRect(HWND h, LPRECT r) {
    auto w = FindWindowRecord(h);
    if (!w || !r) return FALSE;
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    *r = w->rect;
    if (IsChild(*w)) {
        POINT o = ClientOffsetInTop(w->parent);
        auto top = FindWindowRecord(TopLevelOf(h));
        RECT tc = top ? ClientRectOf(*top) : RECT{};
        OffsetRect(r, o.x + tc.left, o.y + tc.top);
    }
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND h, LPRECT r) {
    auto w = FindWindowRecord(h);
    if (!w || !r) return FALSE;
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    RECT c = ClientRectOf(*w);
    *r = RECT{0, 0, c.right - c.left, c.bottom - c.top};
    return TRUE;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT r, DWORD style, BOOL, DWORD exStyle) {
    if (!r) return FALSE;
    RECT in = FrameInsets(style, exStyle);
    r->left -= in.left;
    r->top -= in.top;
    r->right += in.right;
    r->bottom += in.bottom;
    return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT r, DWORD style, BOOL menu) {
    return AdjustWindowRectEx(r, style, menu, 0);
}

BOOL WINAPI SetWindowTextA(HWND h, LPCSTR text) {
    auto w = FindWindowRecord(h);
    if (!w) return FALSE;
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        w->title = text ? text : "";
        std::string t = TextToUtf8(w->title.c_str(), -1, 932);
        if (!IsChild(*w)) GetDisplay().SetTitle(h, t.c_str());
    }
    OnTitleChanged(h);
    PublishToOthers(h, true);
    return TRUE;
}

int WINAPI GetWindowTextA(HWND h, LPSTR buf, int cap) {
    auto w = FindWindowRecord(h);
    if (!w || !buf || cap <= 0) return 0;
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    int n = std::min<int>(cap - 1, static_cast<int>(w->title.size()));
    std::memcpy(buf, w->title.data(), n);
    buf[n] = 0;
    return n;
}

int WINAPI GetWindowTextLengthA(HWND h) {
    auto w = FindWindowRecord(h);
    return w ? static_cast<int>(w->title.size()) : 0;
}

ULONG_PTR WINAPI GetClassLongPtrA(HWND h, int index) {
    auto w = FindWindowRecord(h);
    if (!w || !w->cls) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    if (index == GCLP_HICON) return reinterpret_cast<ULONG_PTR>(w->cls->icon);
    if (index == GCLP_HCURSOR) return reinterpret_cast<ULONG_PTR>(w->cls->cursor);
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

// The class's icon becomes the icon of its top-level windows on the display (a file icon; any
// other keeps the display's own).
ULONG_PTR WINAPI SetClassLongPtrA(HWND h, int index, LONG_PTR value) {
    auto w = FindWindowRecord(h);
    if (!w || !w->cls) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    ULONG_PTR old = 0;
    std::vector<HWND> shown;
    {
        std::lock_guard<std::recursive_mutex> lk(WindowLock());
        if (index == GCLP_HICON) {
            old = reinterpret_cast<ULONG_PTR>(w->cls->icon);
            w->cls->icon = reinterpret_cast<HICON>(value);
            for (auto& [key, other] : S().windows)
                if (other->cls == w->cls && !(other->style & WS_CHILD))
                    shown.push_back(other->handle);
        } else if (index == GCLP_HCURSOR) {
            old = reinterpret_cast<ULONG_PTR>(w->cls->cursor);
            w->cls->cursor = reinterpret_cast<HCURSOR>(value);
        } else {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
    }
    if (auto icon = FindIconFile(reinterpret_cast<HICON>(value)))
        for (HWND top : shown) GetDisplay().SetIcon(top, icon->argb.data(), icon->w, icon->h);
    return old;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND h, int index) {
    auto w = FindWindowRecord(h);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    switch (index) {
        case GWL_STYLE:
            return static_cast<LONG>(w->style);
        case GWL_EXSTYLE:
            return static_cast<LONG>(w->exStyle);
        case GWL_WNDPROC:
            return reinterpret_cast<LONG_PTR>(w->proc);
        case GWL_HINSTANCE:
            return reinterpret_cast<LONG_PTR>(w->instance);
        case GWL_HWNDPARENT:
            return reinterpret_cast<LONG_PTR>(w->parent ? w->parent : w->owner);
        case GWL_USERDATA:
            return w->userData;
        case GWL_ID:
            return w->id;
        default:
            if (index >= 0 && static_cast<size_t>(index) / sizeof(LONG_PTR) < w->extra.size())
                return w->extra[index / sizeof(LONG_PTR)];
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
    }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND h, int index, LONG_PTR value) {
    auto w = FindWindowRecord(h);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    LONG_PTR old = 0;
    switch (index) {
        case GWL_STYLE: {
            old = static_cast<LONG>(w->style);
            w->style = static_cast<DWORD>(value);
            // The frame follows the style at once; the window rectangle stays. Any style bit
            // may change what the screen shows (visible, minimized, caption).
            ResizeSurface(*w);
            MarkNeedsPaint(*w, nullptr, true);
            SyncNative(*w);
            MarkParentDirty(*w);
            break;
        }
        case GWL_EXSTYLE:
            old = static_cast<LONG>(w->exStyle);
            w->exStyle = static_cast<DWORD>(value);
            break;
        case GWL_WNDPROC:
            old = reinterpret_cast<LONG_PTR>(w->proc);
            if (value) w->proc = reinterpret_cast<WNDPROC>(value);
            break;
        case GWL_USERDATA:
            old = w->userData;
            w->userData = value;
            break;
        case GWL_ID:
            old = w->id;
            w->id = value;
            break;
        case GWL_HWNDPARENT:
            old = reinterpret_cast<LONG_PTR>(w->owner);
            w->owner = reinterpret_cast<HWND>(value);
            break;
        default:
            if (index >= 0 && static_cast<size_t>(index) / sizeof(LONG_PTR) < w->extra.size()) {
                old = w->extra[index / sizeof(LONG_PTR)];
                w->extra[index / sizeof(LONG_PTR)] = value;
                break;
            }
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
    }
    return old;
}

LONG WINAPI GetWindowLongA(HWND h, int index) {
    return static_cast<LONG>(GetWindowLongPtrA(h, index));
}
LONG WINAPI SetWindowLongA(HWND h, int index, LONG value) {
    // The window procedure is a full pointer on this platform; a 32-bit value cannot hold it.
    if (index == GWL_WNDPROC) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return static_cast<LONG>(SetWindowLongPtrA(h, index, value));
}

HWND WINAPI SetParent(HWND h, HWND parent) {
    auto w = FindWindowRecord(h);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    std::shared_ptr<Window> p;
    if (parent) {
        p = FindWindowRecord(parent);
        if (!p || parent == h) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        // A window cannot become a child of its own descendant.
        for (HWND a = parent; a;) {
            if (a == h) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return nullptr;
            }
            auto r = FindWindowRecord(a);
            a = r && IsChild(*r) ? r->parent : nullptr;
        }
    }
    HWND old = w->parent;
    if (old) {
        if (auto op = FindWindowRecord(old)) RemoveFrom(op->children, h);
        MarkDirty(old);
    } else {
        RemoveFrom(S().tops, h);
    }
    w->parent = parent;
    if (p) {
        p->children.push_back(h);
        w->owner = nullptr;
    } else {
        S().tops.push_back(h);
    }
    // A window that leaves its parent keeps its coordinates, now on the screen.
    ResizeSurface(*w);
    MarkNeedsPaint(*w, nullptr, true);
    SyncNative(*w);
    if (parent) MarkDirty(parent);
    return old ? old : GetDesktopWindow();
}

HWND WINAPI GetParent(HWND h) {
    auto w = FindWindowRecord(h);
    if (!w) return nullptr;
    if (w->style & WS_CHILD) return w->parent;
    return w->owner;
}

int WINAPI GetSystemMetrics(int index) {
    int sw, sh;
    switch (index) {
        case SM_CXSCREEN:
        case SM_CXFULLSCREEN:
        case SM_CXMAXIMIZED:
            ScreenSize(&sw, &sh);
            return sw;
        case SM_CYSCREEN:
        case SM_CYMAXIMIZED:
            ScreenSize(&sw, &sh);
            return sh;
        case SM_CYFULLSCREEN:
            ScreenSize(&sw, &sh);
            return sh - kCaption;
        case SM_CYCAPTION:
            return kCaption;
        case SM_CXBORDER:
        case SM_CYBORDER:
            return kBorder;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME:
            return kFixedFrame;
        case SM_CXFRAME:
        case SM_CYFRAME:
            return kSizeFrame;
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
            return 16;
        case SM_CXICON:
        case SM_CYICON:
        case SM_CXCURSOR:
        case SM_CYCURSOR:
            return 32;
        case SM_CYMENU:
            return 19;
        case SM_MOUSEPRESENT:
        case SM_MOUSEWHEELPRESENT:
            return 1;
        case SM_CXMIN:
            return 112;
        case SM_CYMIN:
            return 27;
        case SM_CXDOUBLECLK:
        case SM_CYDOUBLECLK:
            return 4;
        case SM_CMOUSEBUTTONS:
            return 3;
        default:
            return 0;
    }
}

BOOL WINAPI EnumWindows(WNDENUMPROC proc, LPARAM param) {
    if (!proc) return FALSE;
    std::vector<HWND> tops = TopLevelWindows();
    for (auto it = tops.rbegin(); it != tops.rend(); ++it)
        if (IsWindow(*it) && !proc(*it, param)) return FALSE;
    return TRUE;
}

BOOL WINAPI EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM param) {
    if (!proc) return FALSE;
    std::vector<HWND> tops = TopLevelWindows();
    bool any = false;
    for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
        auto w = FindWindowRecord(*it);
        if (!w || w->destroyed || w->threadId != threadId) continue;
        any = true;
        if (!proc(*it, param)) return FALSE;
    }
    if (!any) {
        // A thread of another program of the set (one started with CreateProcessA).
        bool stopped = false;
        any = remote::EnumThreadWindows(threadId, proc, param, &stopped);
        if (stopped) return FALSE;
    }
    return any ? TRUE : FALSE;
}

DWORD WINAPI GetWindowThreadProcessId(HWND h, LPDWORD processId) {
    auto w = FindWindowRecord(h);
    if (!w) return remote::ThreadProcess(h, processId);
    if (processId) *processId = GetCurrentProcessId();
    return w->threadId;
}
