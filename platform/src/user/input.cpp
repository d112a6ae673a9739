// The input state (keys, buttons, the cursor) and the turning of backend and replay input
// into window messages.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "resources/resources.h"
#include "user/icons.h"
#include "user/user.h"

namespace wynplat {
namespace {

struct InputState {
    std::mutex m;
    BYTE keys[256] = {};     // 0x80 held, 0x01 toggled
    bool pressed[256] = {};  // pressed since the last GetAsyncKeyState
    POINT cursor{0, 0};
    bool clipped = false;
    RECT clip{};
    int showCount = 0;
    HCURSOR current = nullptr;
    // The last button press, for double clicks.
    HWND lastHwnd = nullptr;
    int lastButton = -1;
    uint64_t lastTime = 0;
    POINT lastPoint{};
};

InputState& In() {
    static auto* s = new InputState;
    return *s;
}

constexpr uint64_t kDoubleClickMicros = 500000;

void SetKey(int vk, bool down) {
    InputState& s = In();
    vk &= 0xFF;
    bool was = s.keys[vk] & 0x80;
    if (down) {
        if (!was) s.keys[vk] ^= 0x01;
        s.keys[vk] |= 0x80;
        s.pressed[vk] = true;
    } else {
        s.keys[vk] &= ~0x80;
    }
}

WPARAM MouseKeys() {
    InputState& s = In();
    WPARAM k = 0;
    if (s.keys[VK_LBUTTON] & 0x80) k |= MK_LBUTTON;
    if (s.keys[VK_RBUTTON] & 0x80) k |= MK_RBUTTON;
    if (s.keys[VK_MBUTTON] & 0x80) k |= MK_MBUTTON;
    if (s.keys[VK_SHIFT] & 0x80) k |= MK_SHIFT;
    if (s.keys[VK_CONTROL] & 0x80) k |= MK_CONTROL;
    return k;
}

POINT Clamp(POINT p) {
    InputState& s = In();
    if (s.clipped) {
        p.x = std::clamp<LONG>(p.x, s.clip.left, std::max(s.clip.left, s.clip.right - 1));
        p.y = std::clamp<LONG>(p.y, s.clip.top, std::max(s.clip.top, s.clip.bottom - 1));
    }
    return p;
}

UINT ButtonMessage(int button, bool down, bool dbl) {
    static const UINT kDown[3] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    static const UINT kUp[3] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP};
    static const UINT kDbl[3] = {WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK};
    button = std::clamp(button, 0, 2);
    return down ? (dbl ? kDbl[button] : kDown[button]) : kUp[button];
}

// The window a mouse event at (x, y) of `top`'s client area goes to, and the point in its
// client coordinates.
HWND MouseTarget(HWND top, POINT* p) {
    if (HWND cap = CaptureWindowHandle()) {
        POINT screen = ClientOriginOnScreen(top);
        POINT o = ClientOriginOnScreen(cap);
        p->x += screen.x - o.x;
        p->y += screen.y - o.y;
        return cap;
    }
    return HitTest(top, p);
}

bool ClassHasDoubleClicks(HWND h) {
    auto w = FindWindowRecord(h);
    std::lock_guard<std::recursive_mutex> lk(WindowLock());
    return w && w->cls && (w->cls->style & CS_DBLCLKS);
}

}  // namespace

bool HasInputTarget(const InputEvent& ev) {
    if (ev.top) return true;  // meant for that window: it goes, or goes with the window
    if ((ev.kind == InputEvent::Key || ev.kind == InputEvent::Char ||
         ev.kind == InputEvent::Wheel) &&
        FocusWindowHandle())
        return true;
    return ForegroundTop() != nullptr;
}

void DeliverInput(const InputEvent& ev) {
    HWND top = ev.top;
    if (top && !IsWindow(top)) return;
    if (!top) top = ForegroundTop();
    switch (ev.kind) {
        case InputEvent::Key: {
            int vk = ev.vk & 0xFF;
            int generic = vk;
            if (vk == VK_LSHIFT || vk == VK_RSHIFT) generic = VK_SHIFT;
            if (vk == VK_LCONTROL || vk == VK_RCONTROL) generic = VK_CONTROL;
            if (vk == VK_LMENU || vk == VK_RMENU) generic = VK_MENU;
            bool was;
            {
                std::lock_guard<std::mutex> lk(In().m);
                was = In().keys[generic] & 0x80;
                SetKey(generic, ev.down);
                if (generic != vk) SetKey(vk, ev.down);
            }
            HWND target = FocusWindowHandle();
            if (!target) target = top;
            if (!target) return;
            bool alt = GetKeyState(VK_MENU) < 0;
            LPARAM lp = 1 | (static_cast<LPARAM>(MapVirtualKeyScan(generic)) << 16);
            if (ev.down) {
                if (was) lp |= 1L << 30;
            } else {
                lp |= (1L << 30) | (1L << 31);
            }
            UINT msg = ev.down ? (alt && generic != VK_MENU ? WM_SYSKEYDOWN : WM_KEYDOWN)
                               : (alt && generic != VK_MENU ? WM_SYSKEYUP : WM_KEYUP);
            if (generic == VK_F10) msg = ev.down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
            PostToWindow(target, msg, generic, lp);
            return;
        }
        case InputEvent::Char: {
            HWND target = FocusWindowHandle();
            if (!target) target = top;
            if (target) PostToWindow(target, WM_CHAR, ev.vk, 1);
            return;
        }
        case InputEvent::Close:
            if (top) PostToWindow(top, WM_CLOSE, 0, 0);
            return;
        default:
            break;
    }
    if (!top) return;
    POINT origin = ClientOriginOnScreen(top);
    POINT screen = Clamp(POINT{origin.x + ev.x, origin.y + ev.y});
    POINT p{screen.x - origin.x, screen.y - origin.y};
    {
        std::lock_guard<std::mutex> lk(In().m);
        In().cursor = screen;
        if (ev.kind == InputEvent::Button) {
            static const int kVk[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
            SetKey(kVk[std::clamp(ev.button, 0, 2)], ev.down);
        }
    }
    if (ev.kind == InputEvent::Wheel) {
        HWND target = FocusWindowHandle();
        if (!target) target = top;
        WPARAM wp = MAKEWPARAM(MouseKeys(), static_cast<WORD>(static_cast<short>(ev.delta)));
        PostToWindow(target, WM_MOUSEWHEEL, wp, MAKELPARAM(screen.x, screen.y));
        return;
    }
    HWND target = MouseTarget(top, &p);
    if (!target) return;
    if (ev.kind == InputEvent::Move) {
        PostToWindow(target, WM_MOUSEMOVE, MouseKeys(), MAKELPARAM(p.x, p.y));
        return;
    }
    bool dbl = false;
    if (ev.down) {
        ActivateFromInput(top);
        uint64_t now = wyn::clock::PeekMicros();
        std::lock_guard<std::mutex> lk(In().m);
        InputState& s = In();
        if (s.lastHwnd == target && s.lastButton == ev.button &&
            now - s.lastTime <= kDoubleClickMicros && std::abs(s.lastPoint.x - screen.x) <= 2 &&
            std::abs(s.lastPoint.y - screen.y) <= 2) {
            dbl = true;
            s.lastHwnd = nullptr;
        } else {
            s.lastHwnd = target;
            s.lastButton = ev.button;
            s.lastTime = now;
            s.lastPoint = screen;
        }
    }
    if (dbl && !ClassHasDoubleClicks(target)) dbl = false;
    WPARAM keys;
    {
        std::lock_guard<std::mutex> lk(In().m);
        keys = MouseKeys();
    }
    PostToWindow(target, ButtonMessage(ev.button, ev.down, dbl), keys, MAKELPARAM(p.x, p.y));
}

// A plausible keyboard scan code for the lParam of key messages.
int MapVirtualKeyScan(int vk) {
    static const struct {
        int vk, scan;
    } kScan[] = {
        {VK_ESCAPE, 0x01},  {VK_BACK, 0x0E},  {VK_TAB, 0x0F},    {VK_RETURN, 0x1C},
        {VK_CONTROL, 0x1D}, {VK_SHIFT, 0x2A}, {VK_MENU, 0x38},   {VK_SPACE, 0x39},
        {VK_F1, 0x3B},      {VK_F2, 0x3C},    {VK_F3, 0x3D},     {VK_F4, 0x3E},
        {VK_F5, 0x3F},      {VK_F6, 0x40},    {VK_F7, 0x41},     {VK_F8, 0x42},
        {VK_F9, 0x43},      {VK_F10, 0x44},   {VK_HOME, 0x47},   {VK_UP, 0x48},
        {VK_PRIOR, 0x49},   {VK_LEFT, 0x4B},  {VK_RIGHT, 0x4D},  {VK_END, 0x4F},
        {VK_DOWN, 0x50},    {VK_NEXT, 0x51},  {VK_INSERT, 0x52}, {VK_DELETE, 0x53},
        {VK_F11, 0x57},     {VK_F12, 0x58},
    };
    for (auto& k : kScan)
        if (k.vk == vk) return k.scan;
    static const char kRow[] = "1234567890";
    if (const char* c = std::strchr(kRow, vk); c && vk) return 0x02 + static_cast<int>(c - kRow);
    static const char kLetters[] = "QWERTYUIOPASDFGHJKLZXCVBNM";
    static const int kLetterScan[] = {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18,
                                      0x19, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25,
                                      0x26, 0x2C, 0x2D, 0x2E, 0x2F, 0x30, 0x31, 0x32};
    if (const char* c = std::strchr(kLetters, vk); c && vk) return kLetterScan[c - kLetters];
    return 0;
}

}  // namespace wynplat

using namespace wynplat;

SHORT WINAPI GetKeyState(int vk) {
    std::lock_guard<std::mutex> lk(In().m);
    BYTE k = In().keys[vk & 0xFF];
    return static_cast<SHORT>(((k & 0x80) ? 0xFF80 : 0) | (k & 0x01));
}

SHORT WINAPI GetAsyncKeyState(int vk) {
    std::lock_guard<std::mutex> lk(In().m);
    vk &= 0xFF;
    int r = ((In().keys[vk] & 0x80) ? 0x8000 : 0) | (In().pressed[vk] ? 1 : 0);
    In().pressed[vk] = false;
    return static_cast<SHORT>(r);
}

BOOL WINAPI GetKeyboardState(PBYTE state) {
    if (!state) return FALSE;
    std::lock_guard<std::mutex> lk(In().m);
    std::memcpy(state, In().keys, 256);
    return TRUE;
}

BOOL WINAPI GetCursorPos(LPPOINT p) {
    if (!p) return FALSE;
    std::lock_guard<std::mutex> lk(In().m);
    *p = In().cursor;
    return TRUE;
}

BOOL WINAPI SetCursorPos(int x, int y) {
    POINT p;
    {
        std::lock_guard<std::mutex> lk(In().m);
        p = In().cursor = Clamp(POINT{x, y});
    }
    GetDisplay().WarpCursor(nullptr, p.x, p.y);
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND h, LPPOINT p) {
    if (!p || !IsWindow(h)) return FALSE;
    POINT o = ClientOriginOnScreen(h);
    p->x -= o.x;
    p->y -= o.y;
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND h, LPPOINT p) {
    if (!p || !IsWindow(h)) return FALSE;
    POINT o = ClientOriginOnScreen(h);
    p->x += o.x;
    p->y += o.y;
    return TRUE;
}

BOOL WINAPI ClipCursor(const RECT* r) {
    RECT clip{};
    {
        std::lock_guard<std::mutex> lk(In().m);
        In().clipped = r != nullptr;
        if (r) {
            In().clip = clip = *r;
            In().cursor = Clamp(In().cursor);
        }
    }
    GetDisplay().ConfineCursor(r ? &clip : nullptr);
    return TRUE;
}

BOOL WINAPI GetClipCursor(LPRECT r) {
    if (!r) return FALSE;
    std::lock_guard<std::mutex> lk(In().m);
    if (In().clipped) {
        *r = In().clip;
    } else {
        int w, h;
        ScreenSize(&w, &h);
        *r = RECT{0, 0, w, h};
    }
    return TRUE;
}

int WINAPI ShowCursor(BOOL show) {
    int count;
    {
        std::lock_guard<std::mutex> lk(In().m);
        count = In().showCount += show ? 1 : -1;
    }
    GetDisplay().ShowCursorNative(count >= 0);
    return count;
}

// Stock cursors are their resource number as a handle; there are no other cursor resources.
HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (instance || !IS_INTRESOURCE(name)) return wyn::res::LoadCursorResource(instance, name);
    uintptr_t id = IS_INTRESOURCE(name) ? reinterpret_cast<uintptr_t>(name) : 32512;
    if (id == 0) return nullptr;
    return reinterpret_cast<HCURSOR>(id);
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (instance || !IS_INTRESOURCE(name)) return wyn::res::LoadIconResource(instance, name);
    uintptr_t id = IS_INTRESOURCE(name) ? reinterpret_cast<uintptr_t>(name) : 32512;
    return reinterpret_cast<HICON>(id + 0x10000);
}

HCURSOR WINAPI SetCursor(HCURSOR c) {
    HCURSOR old;
    {
        std::lock_guard<std::mutex> lk(In().m);
        old = In().current;
        In().current = c;
    }
    if (c == old) return old;
    if (auto image = FindIconFile(c))
        GetDisplay().SetCursorImage(image->argb.data(), image->w, image->h, image->hotX,
                                    image->hotY);
    else
        GetDisplay().SetCursorShape(static_cast<int>(reinterpret_cast<uintptr_t>(c)));
    return old;
}

HCURSOR WINAPI GetCursor(void) {
    std::lock_guard<std::mutex> lk(In().m);
    return In().current;
}
