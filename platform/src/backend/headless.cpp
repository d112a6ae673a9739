// The headless display: windows exist only as the layer's in-memory framebuffers; there is
// no input but what the replay file and the tests feed in.
#include "backend/backend.h"

namespace wynplat {
namespace {

class HeadlessDisplay final : public Display {
  public:
    const char* Name() const override { return "headless"; }
    void DesktopSize(int* w, int* h) override {
        *w = 1024;
        *h = 768;
    }
    void ShowNative(HWND, const char*, int, int, int, int, bool) override {}
    void RaiseNative(HWND) override {}
    void HideNative(HWND) override {}
    void SetTitle(HWND, const char*) override {}
    void Present(HWND, const uint32_t*, int, int, const RECT&) override {}
    // Nothing to wait for: headless runs keep the virtual clock where the program put it.
    void WaitForRefresh() override {}
    void Pump(std::vector<InputEvent>&) override {}
    bool NeedsPolling() const override { return false; }
    void SetFullScreen(bool, int, int) override {}
    void WarpCursor(HWND, int, int) override {}
    void ShowCursorNative(bool) override {}
    void SetCursorShape(int) override {}
    void SetCursorImage(const uint32_t*, int, int, int, int) override {}
    void SetIcon(HWND, const uint32_t*, int, int) override {}
    void ConfineCursor(const RECT*) override {}
};

}  // namespace

std::unique_ptr<Display> CreateHeadlessDisplay() { return std::make_unique<HeadlessDisplay>(); }

}  // namespace wynplat
