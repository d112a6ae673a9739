// A 2D screen of the game's shape for one test (a window, the shown left half and the clean
// background right of it, the game's own sprite layer), small cells made in the test, and a
// reference screen on which a test draws what the game should have shown.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "../../zem/cell_fixture.h"
#include "base/base.h"
#include "wynplat.h"

// A screen `w` x `h` shown in a window, its background half filled with BackgroundAt and copied
// to the shown half, the game's sprite layer over the shown half; it is the game's main screen
// while the test runs.
class GameScreen {
  public:
    GameScreen(int w, int h) : w_(w), h_(h) {
        hwnd_ = MakeTestWindow(w, h);
        scr_ = ZEM_Start(ZEM_START_DEPTH16, hwnd_, w, h, 2 * w, h);
        if (!scr_) return;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) Px(x, y) = Px(w + x, y) = BackgroundAt(x, y);
        const RECT area{0, 0, w, h}, background{w, 0, 2 * w, h};
        SpriteInit(scr_, &area, &background);
        ZEM_MaskFlag(scr_, 0);
        ZEM_RefreshScreen(scr_, nullptr, nullptr);
        Handles().screen = scr_;
        Handles().mainwnd = hwnd_;
    }
    ~GameScreen() {
        Handles().screen = nullptr;
        Handles().mainwnd = nullptr;
        if (scr_) ZEM_End(scr_);
        DestroyWindow(hwnd_);
    }
    GameScreen(const GameScreen&) = delete;
    GameScreen& operator=(const GameScreen&) = delete;

    HZEMSCREEN screen() const { return scr_; }
    HWND window() const { return hwnd_; }
    ZEMPIXEL& Px(int x, int y) {
        return static_cast<ZEMPIXEL*>(scr_->bits)[size_t(y) * scr_->width + x];
    }
    // What the window shows, as 16-bit pixels, row by row.
    std::vector<ZEMPIXEL> Shown() const {
        int w = 0, h = 0;
        WynPlat_CaptureWindow(hwnd_, nullptr, 0, &w, &h);
        std::vector<uint32_t> px(size_t(w) * h);
        WynPlat_CaptureWindow(hwnd_, px.data(), int(px.size()), &w, &h);
        std::vector<ZEMPIXEL> out(px.size());
        for (size_t i = 0; i < px.size(); ++i) out[i] = FromWindow(px[i]);
        return out;
    }
    int w() const { return w_; }
    int h() const { return h_; }

  private:
    int w_, h_;
    HWND hwnd_ = nullptr;
    HZEMSCREEN scr_ = nullptr;
};

// A screen without a window on which the test draws what it expects: the shown half starts as
// the background.
class ReferenceScreen {
  public:
    ReferenceScreen(int w, int h) : w_(w) {
        scr_ = ZEM_Start(ZEM_START_DEPTH16, nullptr, w, h, w, h);
        ZEM_MaskFlag(scr_, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) Px(x, y) = BackgroundAt(x, y);
    }
    ~ReferenceScreen() { ZEM_End(scr_); }
    ReferenceScreen(const ReferenceScreen&) = delete;
    ReferenceScreen& operator=(const ReferenceScreen&) = delete;
    HZEMSCREEN screen() const { return scr_; }
    ZEMPIXEL& Px(int x, int y) {
        return static_cast<ZEMPIXEL*>(scr_->bits)[size_t(y) * scr_->width + x];
    }

  private:
    int w_;
    HZEMSCREEN scr_ = nullptr;
};

// The pixels in which the shown half of `a` differs from `b` inside `r`; the first one in
// `where`.
template <class A, class B>
int Differences(A& a, B& b, const RECT& r, std::string* where = nullptr) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (a.Px(x, y) != b.Px(x, y) && n++ == 0 && where)
                *where = std::to_string(x) + "," + std::to_string(y);
    return n;
}
