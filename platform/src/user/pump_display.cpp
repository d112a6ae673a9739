// The present loop: input from the display backend and the replay becomes messages, and the
// windows drawn since they were last shown are composed and presented.
#include "user/user.h"

namespace wynplat {

void PumpDisplay() {
    if (!IsDisplayThread()) return;
    Display& d = GetDisplay();
    std::vector<InputEvent> events;
    d.Pump(events);
    for (auto& e : events) DeliverInput(e);
    ReplayPump();
    TakeRequestedScreenshot();
    bool headless = DisplayIsHeadless();
    // Headless, frames are composed only when a screenshot counts them.
    if (headless && !CountsFrames()) return;
    std::vector<uint32_t> px;
    for (HWND t : TopLevelWindows()) {
        bool show, all = false;
        RECT part{};
        {
            std::lock_guard<std::recursive_mutex> lk(WindowLock());
            auto w = FindWindowRecord(t);
            show = w && (w->dirty || !IsRectEmpty(&w->dirtyPart)) && (w->style & WS_VISIBLE) &&
                   !(w->style & WS_MINIMIZE);
            if (show) {
                all = w->dirty;
                part = w->dirtyPart;
                w->dirty = false;
                w->dirtyPart = RECT{};
            }
        }
        if (!show) continue;
        int w, h;
        if (!ComposeWindow(t, px, &w, &h)) continue;
        RECT whole{0, 0, w, h}, changed = whole;
        if (!all) IntersectRect(&changed, &part, &whole);
        if (!headless && !IsRectEmpty(&changed)) d.Present(t, px.data(), w, h, changed);
        OnFramePresented(t);
    }
}

}  // namespace wynplat
