// The three window layouts: the 3D view docked in the main window, or floating beside it (with
// the radar docked or in its own window); saved in [DISPLAYEX] at stage exit.
#include <string>

#include "controller/controller.h"
#include "frame/frame_internal.h"

namespace {

constexpr DWORD kFloatingViewStyle = WS_VISIBLE | WS_CAPTION | WS_THICKFRAME;  // 0x10C40000

int SetIndex() { return GetConfig().radarlarge ? 1 : 0; }

POINT TopLeft(HWND hwnd) {
    RECT r{0, 0, 0, 0};
    if (hwnd) GetWindowRect(hwnd, &r);
    return POINT{r.left, r.top};
}

// Places a window at x, y (its outer top-left) with a client area of cw x ch.
void PlaceWithClient(HWND hwnd, int x, int y, int cw, int ch) {
    if (!hwnd) return;
    RECT r{0, 0, cw, ch};
    AdjustWindowRect(&r, static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)), FALSE);
    SetWindowPos(hwnd, nullptr, x, y, r.right - r.left, r.bottom - r.top, SWP_NOZORDER);
}

// The strip board moved by `dy`: its part of the 2D screen, the strips' clips, the text window
// and the buttons follow.
void MoveStripBoard(int dy) {
    HZEMSCREEN screen = GetMainScreen();
    FrameHandles& f = Handles();
    f.stageoffset += dy;
    if (!screen) return;
    const RECT from = dy > 0 ? RECT{800, 200, 1600, 400} : RECT{800, 400, 1600, 600};
    ZEM_MoveScreen(screen, 0, f.stageoffset, &from);
    ZEM_MoveScreen(screen, 800, f.stageoffset, &from);
    for (int n = 0; n < 20; ++n) OffsetSpriteClip(screen, n, 0, dy);
    const tagZEMSPRITE& text = screen->sprite[60];
    if (text.cell && text.z != 0 && text.y >= 200)
        ZEM_SetSprite(screen, 60, -1, text.y - text.cell->yoffset + dy, -1, -1, -1);
    for (const StageButton& b : kStageButtons)
        ZEM_SetSprite(screen, b.sprite, b.x, b.y + f.stageoffset, -1, -1, -1);
}

void SetViewRect(const RECT& rect) {
    if (GameViewPort(rect)) View().viewrect = rect;
}

}  // namespace

SIZE ViewFrameSize() {
    RECT r{0, 0, 0, 0};
    HWND view = GetViewWindow();
    AdjustWindowRect(
        &r, view ? static_cast<DWORD>(GetWindowLongA(view, GWL_STYLE)) : kFloatingViewStyle, FALSE);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

int FitViewWindow(int cx, int cy, int framecx, int framecy, SIZE* outer, RECT* client) {
    const int w = cx - framecx, h = cy - framecy;
    int height;
    if (w < 4 * h)
        height = w / 4;
    else if (h < w)
        height = h;
    else
        return 0;
    if (height < 100) height = 100;
    *outer = SIZE{framecx + 4 * height, framecy + height};
    *client = RECT{0, 0, 4 * height, height};
    return 1;
}

int SetWindowLayout(int layout) {
    FrameHandles& f = Handles();
    GameConfig& c = GetConfig();
    HWND view = f.viewwnd;
    LayoutSet& set = c.layout.set[SetIndex()];
    if (layout == 1) {
        if (f.viewsep) {
            set.main = TopLeft(f.mainwnd);
            set.view = TopLeft(view);
            if (View().viewrect.right > 0) set.viewcx = View().viewrect.right;
        }
        f.viewsep = 0;
        if (view) {
            SetWindowLongA(view, GWL_STYLE, static_cast<LONG>(WS_CHILD | WS_VISIBLE));
            SetParent(view, f.mainwnd);
            SetWindowPos(view, nullptr, 0, 200, 800, 200, SWP_NOZORDER);
        }
        PlaceWithClient(f.mainwnd, c.layout.w1.x, c.layout.w1.y, 800, 600);
        if (f.stageoffset != 400) MoveStripBoard(400 - f.stageoffset);
        PumpMessages();
        SetViewRect(RECT{0, 0, 800, 200});
    } else if (layout == 2 || layout == 3) {
        if (!f.viewsep) c.layout.w1 = TopLeft(f.mainwnd);
        f.viewsep = 1;
        if (view) {
            const DWORD style = static_cast<DWORD>(GetWindowLongA(view, GWL_STYLE));
            if (style != kFloatingViewStyle) f.viewstyle = style;
            SetWindowLongA(view, GWL_STYLE, static_cast<LONG>(kFloatingViewStyle));
            SetParent(view, nullptr);
        }
        PlaceWithClient(f.mainwnd, set.main.x, set.main.y, 800, 400);
        PlaceWithClient(view, set.view.x, set.view.y, set.viewcx, set.viewcx / 4);
        if (f.stageoffset != 200) MoveStripBoard(200 - f.stageoffset);
        PumpMessages();
        SetViewRect(RECT{0, 0, set.viewcx, set.viewcx / 4});
    }
    return 1;
}

void SaveDisplayLayout() {
    FrameHandles& f = Handles();
    GameConfig& c = GetConfig();
    LayoutSet& set = c.layout.set[SetIndex()];
    if (!f.viewsep) {
        c.layout.w1 = TopLeft(f.mainwnd);
    } else {
        // The view's place is taken only while it floats: docked, it is a child of the main
        // window and its place says nothing about the floating layout.
        set.main = TopLeft(f.mainwnd);
        set.view = TopLeft(f.viewwnd);
        if (c.winlayout != 2 && View().viewrect.right > 0) set.viewcx = View().viewrect.right;
        if (SetIndex() == 1) {
            RECT r;
            if (GetRadarWindowRect(&r)) set.radar = POINT{r.left, r.top};
        }
    }
    if (c.winlayout == 2 && f.viewwnd && f.viewsep) {
        SetWindowLongA(f.viewwnd, GWL_STYLE, static_cast<LONG>(f.viewstyle & ~WS_VISIBLE));
        SetParent(f.viewwnd, f.mainwnd);
    }
    const ScreenInfo& s = GetScreenInfo();
    const std::string ini = std::string(GetProgramFolder()) + "config.ini";
    WriteDisplayLayout(ini.c_str(), c.layout, s.width, s.height, s.framecx, s.framecy, c.winlayout);
}
