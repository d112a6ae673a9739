// The frame driver: runs every world and display step once per frame in fixed order, with the
// ticks that the frame's clock measured for the frame before.
#include "controller/controller.h"
#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "tov42.h"
#include "world/world.h"
#include "wynplat.h"

namespace {

ViewState g_view = {{0, 0, 800, 200}, {0, 0, 800, 200}, 0};
int (*g_viewportHook)(const RECT& rect) = nullptr;

// The flight information panel's three pieces on the 3D view.
void PutFlightInfo(tagKRN* engine) {
    const RECT& v = g_view.viewrect;
    const int vw = v.right - v.left, vh = v.bottom - v.top;
    tagCELL* cell = GetFlightInfoCell();
    if (!IsFlightInfoShown() || !cell || v.left == -1 || GetConfig().softmode || vh <= 160) return;
    RECT top{0, 0, 400, 64}, bottom{0, 152, 400, 200};
    RECT corner = GetFlightInfoCorner();
    // The engine places the cell's origin: a piece lands at (x, y) from (x - left, y - top).
    auto put = [&](int x, int y, RECT* piece) {
        KRN_PutScreen(engine, 0, x - piece->left, y - piece->top, cell, piece);
    };
    put(0, 0, &top);
    put(0, vh - 48, &bottom);
    put(vw - (corner.right - corner.left), vh - (corner.bottom - corner.top), &corner);
}

}  // namespace

ViewState& View() { return g_view; }
void SetViewPortHook(int (*hook)(const RECT& rect)) { g_viewportHook = hook; }

int GameViewPort(const RECT& rect) {
    if (g_viewportHook) return g_viewportHook(rect);
    RECT r = rect;
    return KRN_ViewPort(GetEngine(), 0, GetViewWindow(), &r);
}

void ApplyViewChange() {
    if (!g_view.viewchanged) return;
    g_view.viewchanged = 0;
    if (EqualRect(&g_view.wantrect, &g_view.viewrect)) return;
    if (GetStageState() == STAGE_PLAY) ShowPauseScreen();  // resizing pauses the game
    if (GameViewPort(g_view.wantrect)) {
        g_view.viewrect = g_view.wantrect;
        return;
    }
    if (g_view.viewrect.left == -1) {
        GetGameInput().keycode = 0x44;  // refused twice: the key D docks the view
        return;
    }
    g_view.viewrect = RECT{-1, 0, 0, 0};
    // Ask for the size again: the view window's size change sets a new wanted rectangle.
    HWND view = GetViewWindow();
    RECT wr;
    if (view && GetWindowRect(view, &wr))
        SetWindowPos(view, nullptr, 0, 0, wr.right - wr.left, wr.bottom - wr.top,
                     SWP_NOMOVE | SWP_NOZORDER);
}

void FrameMain() {
    if (FrameStepMs() > 0 && WynPlat_IsVirtualClock())
        WynPlat_AdvanceClock(static_cast<uint64_t>(FrameStepMs()) * 1000);
    FrameTiming& timing = FrameTimes();
    tagKRN* engine = GetEngine();
    HZEMSCREEN screen = GetMainScreen();

    ApplyViewChange();
    EraseSprites(screen);
    UpdateAircraft(timing.ticks);
    timing.totalticks += timing.ticks;
    TOV_Task();
    GroundSupportMain(timing.ticks);
    ExchangeMain(timing.ticks);
    AtcPanelMain(timing.ticks);
    // The camera moves on while paused or under a banner.
    CameraMain(timing.newticks);
    DrawExchangeStatus();
    RadarMain();
    RotateRadarAntennas(timing.ticks);
    MoveMarker(timing.ticks);
    TOV_Task();
    KRNL_CalcLayerEx(GetRootLayer(), 0);
    TOV_Task();
    const ScenarioWorld& w = GetScenarioHeader().world;
    const DWORD back =
        (w.backrgb[0] & 0xff) | (w.backrgb[1] & 0xff) << 8 | (w.backrgb[2] & 0xff) << 16;
    KRN_Rendering(engine, 0, 0, 0x40000000 | back);
    PutFlightInfo(engine);
    KRN_Flip(engine, 0);
    TOV_Task();
    StripBoardMain(timing.ticks);

    timing.elapsed = MeasureElapsed();
    timing.newticks = AccumulateTicks(&timing.tickacc, timing.elapsed, kTickMs);
    timing.ticks = timing.newticks;
    const int32_t state = GetStageState();
    if (state & 1) StageBannerMain(timing.newticks);
    timing.ticks = WorldTicks(timing.newticks, GetStageState());

    MouseCommand();
    KeyCommand();
    StressMain();
    DrawScoreCounter(timing.ticks);
    DrawWindIndicator();
    TOV_Task();
    StepTimetable(timing.ticks);
    TOV_Task();
    DrawSprites(screen);
    RECT hud;
    while (TakeHudRefresh(&hud))
        if (screen) ZEM_RefreshScreen(screen, nullptr, &hud);

    GameTrace("frame %d elapsed %d newticks %d ticks %d carry %d total %d state %d", CountFrame(),
              timing.elapsed, timing.newticks, timing.ticks, timing.tickacc, timing.totalticks,
              GetStageState());
}
