// The frame driver: measures the time of each frame, turns it into world ticks of 33 ms with
// the remainder carried, and runs every world and display step once per frame in fixed order.
#include <climits>

#include "controller/controller.h"
#include "frame/frame_internal.h"
#include "mmsystem.h"
#include "simulation/simulation.h"
#include "tov42.h"
#include "world/world.h"
#include "wynplat.h"

namespace {

struct FrameClock {
    int32_t useqpc = 0;
    int64_t qpcfreq = 0;
    int64_t clockbase = 0;
};
FrameClock g_clock;
FrameTiming g_timing;
ViewState g_view = {{0, 0, 800, 200}, {0, 0, 800, 200}, 0};
int (*g_viewportHook)(const RECT& rect) = nullptr;
int g_framems = 0;
int g_frames = 0;

int64_t ReadClock() {
    if (g_clock.useqpc) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return now.QuadPart;
    }
    return static_cast<int64_t>(timeGetTime());
}

int32_t MeasureElapsed() {
    const int64_t now = ReadClock();
    int32_t elapsed;
    if (g_clock.useqpc)
        elapsed = CounterElapsedMs(now, g_clock.clockbase, g_clock.qpcfreq);
    else
        elapsed = static_cast<int32_t>(static_cast<uint32_t>(now) -
                                       static_cast<uint32_t>(g_clock.clockbase));
    // A second reading: the moment between the two is not counted.
    g_clock.clockbase = ReadClock();
    return elapsed;
}

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
const FrameTiming& GetFrameTiming() { return g_timing; }
int FrameStepMs() { return g_framems; }
void SetFrameStepMs(int ms) { g_framems = ms; }
void SetViewPortHook(int (*hook)(const RECT& rect)) { g_viewportHook = hook; }

int GameViewPort(const RECT& rect) {
    if (g_viewportHook) return g_viewportHook(rect);
    RECT r = rect;
    return KRN_ViewPort(GetEngine(), 0, GetViewWindow(), &r);
}

int32_t AccumulateTicks(int32_t* tickacc, int32_t elapsed, int32_t ticklen) {
    *tickacc += elapsed;
    const int32_t newticks = *tickacc / ticklen;
    *tickacc %= ticklen;
    return newticks;
}

int32_t WorldTicks(int32_t newticks, int32_t stagestate) { return stagestate > 99 ? 0 : newticks; }

int32_t CounterElapsedMs(int64_t now, int64_t base, int64_t frequency) {
    if (frequency <= 0) return 0;
    const __int128 ms = static_cast<__int128>(now - base) * 1000 / frequency;
    if (ms > INT32_MAX) return INT32_MAX;
    if (ms < INT32_MIN) return INT32_MIN;
    return static_cast<int32_t>(ms);
}

void ChooseFrameClock() {
    LARGE_INTEGER f;
    g_clock.useqpc = QueryPerformanceFrequency(&f) ? 1 : 0;
    g_clock.qpcfreq = g_clock.useqpc ? f.QuadPart : 0;
    g_timing = FrameTiming{};
    g_frames = 0;
}

void ResetFrameClock() { g_clock.clockbase = ReadClock(); }

void ZeroTotalTicks() { g_timing.totalticks = 0; }

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
    if (g_framems > 0 && WynPlat_IsVirtualClock())
        WynPlat_AdvanceClock(static_cast<uint64_t>(g_framems) * 1000);
    tagKRN* engine = GetEngine();
    HZEMSCREEN screen = GetMainScreen();

    ApplyViewChange();
    EraseSprites(screen);
    UpdateAircraft(g_timing.ticks);
    g_timing.totalticks += g_timing.ticks;
    TOV_Task();
    GroundSupportMain(g_timing.ticks);
    ExchangeMain(g_timing.ticks);
    AtcPanelMain(g_timing.ticks);
    // The camera moves on while paused or under a banner.
    CameraMain(g_timing.newticks);
    DrawExchangeStatus();
    RadarMain();
    RotateRadarAntennas(g_timing.ticks);
    MoveMarker(g_timing.ticks);
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
    StripBoardMain(g_timing.ticks);

    g_timing.elapsed = MeasureElapsed();
    g_timing.newticks = AccumulateTicks(&g_timing.tickacc, g_timing.elapsed, kTickMs);
    g_timing.ticks = g_timing.newticks;
    const int32_t state = GetStageState();
    if (state & 1) StageBannerMain(g_timing.newticks);
    g_timing.ticks = WorldTicks(g_timing.newticks, GetStageState());

    MouseCommand();
    KeyCommand();
    StressMain();
    DrawScoreCounter(g_timing.ticks);
    DrawWindIndicator();
    TOV_Task();
    StepTimetable(g_timing.ticks);
    TOV_Task();
    DrawSprites(screen);
    RECT hud;
    while (TakeHudRefresh(&hud))
        if (screen) ZEM_RefreshScreen(screen, nullptr, &hud);

    ++g_frames;
    GameTrace("frame %d elapsed %d newticks %d ticks %d carry %d total %d state %d", g_frames,
              g_timing.elapsed, g_timing.newticks, g_timing.ticks, g_timing.tickacc,
              g_timing.totalticks, GetStageState());
}
