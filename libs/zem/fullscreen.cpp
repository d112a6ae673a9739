// Full screen: the display switched to the screen's size with its window on top, and the
// desktop with every other top-level window put back afterwards.
#include <array>

#include "internal.h"

namespace {

struct SavedWindow {
    HWND hwnd;
    RECT rect;
};
bool g_fullScreen = false;
std::array<SavedWindow, 255> g_saved;
int g_savedCount = 0;
HWND g_skip = nullptr;
#ifdef ZEM_BUILD_ZEM33
// The older build gives the desktop back its refresh rate and display flags too.
DWORD g_frequency = 0, g_displayFlags = 0;
bool g_modeSaved = false;
#endif

// Records every other top-level window with its rectangle, at most 255.
BOOL CALLBACK WndEnumProc(HWND hwnd, LPARAM) {
    if (hwnd != g_skip && g_savedCount < int(g_saved.size())) {
        RECT r;
        GetWindowRect(hwnd, &r);
        g_saved[g_savedCount++] = SavedWindow{hwnd, r};
    }
    return TRUE;
}

LONG ChangeDisplay(int w, int h, DWORD flags, bool desktop = false) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmBitsPerPel = DWORD(zem::g_depth);
    mode.dmPelsWidth = DWORD(w);
    mode.dmPelsHeight = DWORD(h);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
#ifdef ZEM_BUILD_ZEM33
    if (desktop && g_frequency) {
        mode.dmDisplayFrequency = g_frequency;
        mode.dmFields |= DM_DISPLAYFREQUENCY;
    }
    if (desktop && g_displayFlags) {
        mode.dmDisplayFlags = g_displayFlags;
        mode.dmFields |= DM_DISPLAYFLAGS;
    }
#else
    (void)desktop;
#endif
    return ChangeDisplaySettingsA(&mode, flags);
}

}  // namespace

ZEMAPI int ZEM_FullScreen(HZEMSCREEN scr, int w, int h) {
    if (w < 0 && h < 0) return ChangeDisplay(-w, -h, CDS_TEST) == DISP_CHANGE_SUCCESSFUL ? 1 : 0;
    if (w < 0 || h < 0 || (w == 0) != (h == 0)) return 0;
    if (w > 0) {
        if (g_fullScreen) return 1;
        g_skip = scr->hwnd;
        g_savedCount = 0;
        EnumWindows(WndEnumProc, 0);
        scr->desktop = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        GetWindowRect(scr->hwnd, &scr->winrect);
#ifdef ZEM_BUILD_ZEM33
        if (!g_modeSaved) {
            DEVMODEA current{};
            current.dmSize = sizeof current;
            if (EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &current)) {
                g_frequency = current.dmDisplayFrequency;
                g_displayFlags = current.dmDisplayFlags;
            }
            g_modeSaved = true;
        }
#endif
        if (ChangeDisplay(w, h, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
            zem::ShowMessage(scr->hwnd, zem::Msg::FullScreen, MB_OK | MB_ICONEXCLAMATION);
            return 0;
        }
        // Put the client area's corner at the display's corner.
        POINT corner{0, 0};
        ClientToScreen(scr->hwnd, &corner);
        const LONG ox = corner.x - scr->winrect.left, oy = corner.y - scr->winrect.top;
        SetWindowPos(scr->hwnd, HWND_TOPMOST, -ox, -oy, scr->winrect.right - scr->winrect.left,
                     scr->winrect.bottom - scr->winrect.top + 30, 0);
        BringWindowToTop(scr->hwnd);
        g_fullScreen = true;
        return 1;
    }
    if (g_fullScreen) {
        ChangeDisplay(scr->desktop.right, scr->desktop.bottom, 0, true);
        const RECT& r = scr->winrect;
        SetWindowPos(scr->hwnd, HWND_NOTOPMOST, r.left, r.top, r.right - r.left, r.bottom - r.top,
                     0);
        for (int i = 0; i < g_savedCount; ++i)
            if (IsWindow(g_saved[i].hwnd)) {
                const RECT& s = g_saved[i].rect;
                SetWindowPos(g_saved[i].hwnd, nullptr, s.left, s.top, s.right - s.left,
                             s.bottom - s.top, SWP_NOZORDER | SWP_NOACTIVATE);
            }
        g_fullScreen = false;
    }
    return 1;
}
