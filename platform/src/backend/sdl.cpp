// The desktop display: each visible top-level window is an SDL window showing the layer's
// framebuffer, through a streaming texture of a renderer where a graphics driver draws it, else
// straight into the window's own surface (no 3D driver, no rasterizer threads); only the part
// that changed is copied. SDL's events become the layer's input. SDL is driven from the thread
// that opened it; calls from other threads are queued for its pump.
#include <SDL.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include <glob.h>

#include "backend/backend.h"
#include "user/user.h"

namespace wynplat {
namespace {

struct Native {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;  // null: the window surface is drawn into
    SDL_Texture* texture = nullptr;
    int w = 0, h = 0;  // texture size
    int x = 0, y = 0;  // client origin on the screen
    bool fullScreen = false;
};

// Whether the machine has a graphics driver that renders in hardware: a DRM render node. Without
// one, a renderer would draw through a software rasterizer of its own, which costs more than
// the game's frame; the window surface needs none.
bool HardwareRendering() {
    static const bool yes = [] {
        glob_t g;
        const bool found = glob("/dev/dri/renderD*", 0, nullptr, &g) == 0 && g.gl_pathc > 0;
        globfree(&g);
        return found;
    }();
    return yes;
}

SDL_Renderer* CreateHardwareRenderer(SDL_Window* window) {
    if (!HardwareRendering()) return nullptr;
    SDL_Renderer* r = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    SDL_RendererInfo info;
    if (r && (SDL_GetRendererInfo(r, &info) != 0 || (info.flags & SDL_RENDERER_SOFTWARE))) {
        SDL_DestroyRenderer(r);
        r = nullptr;
    }
    return r;
}

// `pixels` into the window's surface: the changed part where the sizes agree, else the whole
// picture scaled to fit with its aspect kept (a full-screen mode the desktop does not have).
void PresentToSurface(SDL_Window* window, const uint32_t* px, int w, int h, const RECT& changed) {
    SDL_Surface* dst = SDL_GetWindowSurface(window);
    if (!dst) return;
    SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(px), w, h, 32,
                                                          w * 4, SDL_PIXELFORMAT_RGB888);
    if (!src) return;
    if (dst->w == w && dst->h == h) {
        SDL_Rect r{changed.left, changed.top, changed.right - changed.left,
                   changed.bottom - changed.top};
        SDL_Rect to = r;
        SDL_BlitSurface(src, &r, dst, &to);
        SDL_UpdateWindowSurfaceRects(window, &r, 1);
    } else {
        SDL_Rect fit{0, 0, dst->w, dst->h};
        if (static_cast<int64_t>(dst->w) * h > static_cast<int64_t>(dst->h) * w) {
            fit.w = static_cast<int>(static_cast<int64_t>(dst->h) * w / h);
            fit.x = (dst->w - fit.w) / 2;
        } else {
            fit.h = static_cast<int>(static_cast<int64_t>(dst->w) * h / w);
            fit.y = (dst->h - fit.h) / 2;
        }
        SDL_FillRect(dst, nullptr, SDL_MapRGB(dst->format, 0, 0, 0));
        SDL_BlitScaled(src, nullptr, dst, &fit);
        SDL_UpdateWindowSurface(window);
    }
    SDL_FreeSurface(src);
}

int VkFromSdl(const SDL_Keysym& k) {
    SDL_Keycode c = k.sym;
    if (c >= 'a' && c <= 'z') return static_cast<int>(c - 32);
    if (c >= '0' && c <= '9') return static_cast<int>(c);
    if (c >= SDLK_F1 && c <= SDLK_F12) return VK_F1 + (c - SDLK_F1);
    if (c >= SDLK_KP_1 && c <= SDLK_KP_9) return VK_NUMPAD1 + (c - SDLK_KP_1);
    switch (c) {
        case SDLK_KP_0:
            return VK_NUMPAD0;
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return VK_RETURN;
        case SDLK_ESCAPE:
            return VK_ESCAPE;
        case SDLK_BACKSPACE:
            return VK_BACK;
        case SDLK_TAB:
            return VK_TAB;
        case SDLK_SPACE:
            return VK_SPACE;
        case SDLK_LEFT:
            return VK_LEFT;
        case SDLK_RIGHT:
            return VK_RIGHT;
        case SDLK_UP:
            return VK_UP;
        case SDLK_DOWN:
            return VK_DOWN;
        case SDLK_INSERT:
            return VK_INSERT;
        case SDLK_DELETE:
            return VK_DELETE;
        case SDLK_HOME:
            return VK_HOME;
        case SDLK_END:
            return VK_END;
        case SDLK_PAGEUP:
            return VK_PRIOR;
        case SDLK_PAGEDOWN:
            return VK_NEXT;
        case SDLK_LSHIFT:
            return VK_LSHIFT;
        case SDLK_RSHIFT:
            return VK_RSHIFT;
        case SDLK_LCTRL:
            return VK_LCONTROL;
        case SDLK_RCTRL:
            return VK_RCONTROL;
        case SDLK_LALT:
            return VK_LMENU;
        case SDLK_RALT:
            return VK_RMENU;
        case SDLK_PAUSE:
            return VK_PAUSE;
        case SDLK_CAPSLOCK:
            return VK_CAPITAL;
        case SDLK_KP_MULTIPLY:
            return VK_MULTIPLY;
        case SDLK_KP_PLUS:
            return VK_ADD;
        case SDLK_KP_MINUS:
            return VK_SUBTRACT;
        case SDLK_KP_PERIOD:
            return VK_DECIMAL;
        case SDLK_KP_DIVIDE:
            return VK_DIVIDE;
        case SDLK_SEMICOLON:
            return VK_OEM_1;
        case SDLK_EQUALS:
            return VK_OEM_PLUS;
        case SDLK_COMMA:
            return VK_OEM_COMMA;
        case SDLK_MINUS:
            return VK_OEM_MINUS;
        case SDLK_PERIOD:
            return VK_OEM_PERIOD;
        case SDLK_SLASH:
            return VK_OEM_2;
        case SDLK_BACKQUOTE:
            return VK_OEM_3;
        case SDLK_LEFTBRACKET:
            return VK_OEM_4;
        case SDLK_BACKSLASH:
            return VK_OEM_5;
        case SDLK_RIGHTBRACKET:
            return VK_OEM_6;
        case SDLK_QUOTE:
            return VK_OEM_7;
        default:
            return 0;
    }
}

class SdlDisplay final : public Display {
  public:
    SdlDisplay() : thread_(std::this_thread::get_id()) {}
    ~SdlDisplay() override = default;  // SDL is left to the process exit

    const char* Name() const override { return "sdl"; }

    void DesktopSize(int* w, int* h) override {
        std::lock_guard<std::recursive_mutex> lk(m_);
        if (!desktopW_) {
            SDL_DisplayMode mode;
            if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
                desktopW_ = mode.w;
                desktopH_ = mode.h;
            } else {
                desktopW_ = 1024;
                desktopH_ = 768;
            }
        }
        *w = desktopW_;
        *h = desktopH_;
    }

    void ShowNative(HWND hwnd, const char* title, int x, int y, int w, int h,
                    bool topmost) override {
        std::string t = title;
        Run([=, this] { DoShow(hwnd, t, x, y, std::max(1, w), std::max(1, h), topmost); });
    }

    void RaiseNative(HWND hwnd) override {
        Run([=, this] {
            auto it = natives_.find(hwnd);
            if (it != natives_.end()) SDL_RaiseWindow(it->second.window);
        });
    }

    void HideNative(HWND hwnd) override {
        Run([=, this] { DoHide(hwnd); });
    }

    void SetTitle(HWND hwnd, const char* title) override {
        std::string t = title;
        Run([=, this] {
            auto it = natives_.find(hwnd);
            if (it != natives_.end()) SDL_SetWindowTitle(it->second.window, t.c_str());
        });
    }

    void Present(HWND hwnd, const uint32_t* px, int w, int h, const RECT& changed) override {
        if (!OnThread()) return;  // presented by the pump of the display thread
        auto it = natives_.find(hwnd);
        if (it == natives_.end() || w <= 0 || h <= 0) return;
        Native& n = it->second;
        if (!n.renderer) {
            PresentToSurface(n.window, px, w, h, changed);
            return;
        }
        SDL_Rect part{changed.left, changed.top, changed.right - changed.left,
                      changed.bottom - changed.top};
        if (!n.texture || n.w != w || n.h != h) {
            part = SDL_Rect{0, 0, w, h};
            if (n.texture) SDL_DestroyTexture(n.texture);
            n.texture = SDL_CreateTexture(n.renderer, SDL_PIXELFORMAT_RGB888,
                                          SDL_TEXTUREACCESS_STREAMING, w, h);
            n.w = w;
            n.h = h;
            if (n.fullScreen) SDL_RenderSetLogicalSize(n.renderer, w, h);
        }
        if (!n.texture) return;
        SDL_UpdateTexture(n.texture, &part, px + static_cast<size_t>(part.y) * w + part.x, w * 4);
        SDL_SetRenderDrawColor(n.renderer, 0, 0, 0, 255);
        SDL_RenderClear(n.renderer);
        SDL_RenderCopy(n.renderer, n.texture, nullptr, nullptr);
        SDL_RenderPresent(n.renderer);
    }

    // The refresh is not observable from here (presenting happens on the display thread's
    // pump), so the wait sleeps on the process clock to the next multiple of the display's
    // refresh period.
    void WaitForRefresh() override {
        int hz;
        {
            std::lock_guard<std::recursive_mutex> lk(m_);
            if (!refreshHz_) {
                SDL_DisplayMode mode;
                refreshHz_ = SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0
                                 ? mode.refresh_rate
                                 : 60;
            }
            hz = refreshHz_;
        }
        LARGE_INTEGER now, freq;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&freq);
        const double ms =
            1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(freq.QuadPart);
        const double period = 1000.0 / hz;
        const double next = (static_cast<int64_t>(ms / period) + 1) * period;
        Sleep(static_cast<DWORD>(next - ms + 0.999));
    }

    void Pump(std::vector<InputEvent>& out) override {
        if (!OnThread()) return;
        std::vector<std::function<void()>> ops;
        {
            std::lock_guard<std::recursive_mutex> lk(m_);
            ops.swap(pending_);
        }
        for (auto& op : ops) op();
        SDL_Event e;
        while (SDL_PollEvent(&e)) Translate(e, out);
    }

    bool NeedsPolling() const override { return true; }

    void SetFullScreen(bool on, int w, int h) override {
        Run([=, this] {
            fullOn_ = on;
            fullW_ = w;
            fullH_ = h;
            for (auto& [hwnd, n] : natives_) ApplyFullScreen(n);
        });
    }

    void WarpCursor(HWND, int x, int y) override {
        Run([=] { SDL_WarpMouseGlobal(x, y); });
    }

    void ShowCursorNative(bool show) override {
        Run([=] { SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE); });
    }

    void SetCursorShape(int id) override {
        Run([=, this] {
            SDL_SystemCursor kind = SDL_SYSTEM_CURSOR_ARROW;
            if (id == 32649) kind = SDL_SYSTEM_CURSOR_HAND;
            if (id == 32514) kind = SDL_SYSTEM_CURSOR_WAIT;
            if (id == 32513) kind = SDL_SYSTEM_CURSOR_IBEAM;
            if (id == 32515) kind = SDL_SYSTEM_CURSOR_CROSSHAIR;
            if (id == 32650) kind = SDL_SYSTEM_CURSOR_WAITARROW;
            if (!cursors_[kind]) cursors_[kind] = SDL_CreateSystemCursor(kind);
            if (cursors_[kind]) SDL_SetCursor(cursors_[kind]);
            if (picture_) SDL_FreeCursor(picture_);
            picture_ = nullptr;
        });
    }

    void SetCursorImage(const uint32_t* argb, int w, int h, int hotX, int hotY) override {
        std::vector<uint32_t> px(argb, argb + size_t(w) * size_t(h));
        Run([=, this]() mutable {
            SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), w, h, 32, w * 4,
                                                                SDL_PIXELFORMAT_ARGB8888);
            SDL_Cursor* c = s ? SDL_CreateColorCursor(s, hotX, hotY) : nullptr;
            if (s) SDL_FreeSurface(s);
            if (!c) return;
            SDL_SetCursor(c);
            if (picture_) SDL_FreeCursor(picture_);
            picture_ = c;
        });
    }

    void SetIcon(HWND hwnd, const uint32_t* argb, int w, int h) override {
        std::vector<uint32_t> px(argb, argb + size_t(w) * size_t(h));
        Run([=, this]() mutable {
            auto it = natives_.find(hwnd);
            if (it == natives_.end()) return;
            SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(px.data(), w, h, 32, w * 4,
                                                                SDL_PIXELFORMAT_ARGB8888);
            if (!s) return;
            SDL_SetWindowIcon(it->second.window, s);
            SDL_FreeSurface(s);
        });
    }

    void ConfineCursor(const RECT* screen) override {
        bool on = screen != nullptr;
        RECT r = on ? *screen : RECT{};
        Run([=, this] {
            confined_ = on;
            confine_ = r;
            for (auto& [hwnd, n] : natives_) ApplyConfine(n);
        });
    }

  private:
    bool OnThread() const { return std::this_thread::get_id() == thread_; }

    // SDL's windows are touched only on the display thread; the lock guards the queue of
    // requests from other threads alone, so no window lock is ever taken under it.
    void Run(std::function<void()> op) {
        if (OnThread()) {
            op();
            return;
        }
        std::lock_guard<std::recursive_mutex> lk(m_);
        pending_.push_back(std::move(op));
    }

    // SDL confines the pointer per window: each window gets the part of the rectangle that
    // lies on its client area (none: that window does not confine it).
    void ApplyConfine(Native& n) {
        SDL_Rect part{};
        if (confined_) {
            int left = std::max<int>(confine_.left, n.x), top = std::max<int>(confine_.top, n.y);
            int right = std::min<int>(confine_.right, n.x + n.w);
            int bottom = std::min<int>(confine_.bottom, n.y + n.h);
            part = SDL_Rect{left - n.x, top - n.y, right - left, bottom - top};
        }
        SDL_SetWindowMouseRect(n.window, part.w > 0 && part.h > 0 ? &part : nullptr);
    }

    void ApplyFullScreen(Native& n) {
        bool cover = fullOn_ && n.x == 0 && n.y == 0 && n.w == fullW_ && n.h == fullH_;
        if (cover == n.fullScreen) return;
        n.fullScreen = cover;
        SDL_SetWindowFullscreen(n.window, cover ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
        if (n.renderer) SDL_RenderSetLogicalSize(n.renderer, cover ? n.w : 0, cover ? n.h : 0);
    }

    void DoShow(HWND hwnd, const std::string& title, int x, int y, int w, int h, bool topmost) {
        Native& n = natives_[hwnd];
        if (!n.window) {
            Uint32 flags = SDL_WINDOW_SHOWN | (topmost ? SDL_WINDOW_ALWAYS_ON_TOP : 0);
            n.window = SDL_CreateWindow(title.c_str(), x, y, w, h, flags);
            if (!n.window) {
                natives_.erase(hwnd);
                return;
            }
            n.renderer = CreateHardwareRenderer(n.window);
            ids_[SDL_GetWindowID(n.window)] = hwnd;
        } else {
            SDL_SetWindowTitle(n.window, title.c_str());
            SDL_SetWindowAlwaysOnTop(n.window, topmost ? SDL_TRUE : SDL_FALSE);
            if (!n.fullScreen) {
                SDL_SetWindowPosition(n.window, x, y);
                SDL_SetWindowSize(n.window, w, h);
            }
        }
        n.x = x;
        n.y = y;
        if (n.w != w || n.h != h) {
            if (n.texture) SDL_DestroyTexture(n.texture);
            n.texture = nullptr;
            n.w = w;
            n.h = h;
        }
        ApplyFullScreen(n);
        ApplyConfine(n);
        MarkDirty(hwnd);
    }

    void DoHide(HWND hwnd) {
        auto it = natives_.find(hwnd);
        if (it == natives_.end()) return;
        Native& n = it->second;
        ids_.erase(SDL_GetWindowID(n.window));
        if (n.texture) SDL_DestroyTexture(n.texture);
        if (n.renderer) SDL_DestroyRenderer(n.renderer);
        SDL_DestroyWindow(n.window);
        natives_.erase(it);
    }

    HWND HwndOf(Uint32 id) {
        auto it = ids_.find(id);
        return it == ids_.end() ? nullptr : it->second;
    }

    void Translate(const SDL_Event& e, std::vector<InputEvent>& out) {
        InputEvent ev;
        switch (e.type) {
            case SDL_WINDOWEVENT:
                if (!(ev.top = HwndOf(e.window.windowID))) return;
                if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                    ev.kind = InputEvent::Close;
                    out.push_back(ev);
                } else if (e.window.event == SDL_WINDOWEVENT_EXPOSED) {
                    MarkDirty(ev.top);
                }
                return;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                ev.kind = InputEvent::Key;
                ev.top = HwndOf(e.key.windowID);
                ev.vk = VkFromSdl(e.key.keysym);
                ev.down = e.type == SDL_KEYDOWN;
                if (ev.vk) out.push_back(ev);
                return;
            case SDL_MOUSEMOTION:
                if (!(ev.top = HwndOf(e.motion.windowID))) return;
                ev.kind = InputEvent::Move;
                ev.x = e.motion.x;
                ev.y = e.motion.y;
                out.push_back(ev);
                return;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                if (!(ev.top = HwndOf(e.button.windowID))) return;
                ev.kind = InputEvent::Button;
                ev.x = e.button.x;
                ev.y = e.button.y;
                ev.down = e.type == SDL_MOUSEBUTTONDOWN;
                ev.button = e.button.button == SDL_BUTTON_RIGHT    ? 1
                            : e.button.button == SDL_BUTTON_MIDDLE ? 2
                                                                   : 0;
                if (e.button.button == SDL_BUTTON_LEFT || e.button.button == SDL_BUTTON_RIGHT ||
                    e.button.button == SDL_BUTTON_MIDDLE)
                    out.push_back(ev);
                return;
            case SDL_MOUSEWHEEL: {
                if (!(ev.top = HwndOf(e.wheel.windowID))) return;
                int dy = e.wheel.y;
                if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) dy = -dy;
                if (!dy) return;
                ev.kind = InputEvent::Wheel;
                SDL_GetMouseState(&ev.x, &ev.y);
                ev.delta = dy * WHEEL_DELTA;
                out.push_back(ev);
                return;
            }
            default:
                return;
        }
    }

    std::thread::id thread_;
    std::recursive_mutex m_;
    std::vector<std::function<void()>> pending_;
    std::map<HWND, Native> natives_;
    std::map<Uint32, HWND> ids_;
    std::map<int, SDL_Cursor*> cursors_;
    SDL_Cursor* picture_ = nullptr;  // the pointer's shape from a cursor file, while shown
    int desktopW_ = 0, desktopH_ = 0;
    int refreshHz_ = 0;
    bool fullOn_ = false;
    int fullW_ = 0, fullH_ = 0;
    bool confined_ = false;
    RECT confine_{};
};

bool HasDisplayEnv() {
    const char* x = std::getenv("DISPLAY");
    const char* w = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (w && *w);
}

}  // namespace

bool SdlAvailable() {
    if (!HasDisplayEnv()) return false;
    return SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) == 0;
}

std::unique_ptr<Display> CreateSdlDisplay() {
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    auto d = std::make_unique<SdlDisplay>();
    NoteDisplayThread(GetCurrentThreadId());
    return d;
}

}  // namespace wynplat
