// Stage set-up and stage exit: the steps of the frame (window layout, stand-by hand-over, the
// windows shown, the stage state and the frame clock); the stage's own content joins them.
#include "controller/controller.h"
#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "standby_client.h"
#include "tov42.h"
#include "world/world.h"

void StageSetup() {
    FrameHandles& f = Handles();
    GameConfig& c = GetConfig();
    f.viewsep = 0;
    f.stageoffset = 400;

    switch (c.winlayout) {
        case 0:
            View().viewrect = RECT{0, 0, 800, 200};
            if (f.viewwnd) SetWindowPos(f.viewwnd, nullptr, 0, 200, 800, 200, SWP_NOZORDER);
            GameViewPort(View().viewrect);
            SetAtcPanelWidth(0);
            break;
        case 1:
        case 2: {
            f.viewsep = 1;
            const int cx = c.layout.set[c.radarlarge ? 1 : 0].viewcx;
            View().viewrect = RECT{0, 0, cx, cx / 4};
            SetWindowLayout(c.winlayout == 1 ? 2 : 3);
            SetAtcPanelWidth(1);
            break;
        }
        default:
            break;
    }

    // From here the game's own windows show.
    StandBy_End();
    if (f.mainwnd) ShowWindow(f.mainwnd, SW_SHOW);
    if (f.viewwnd) {
        ShowWindow(f.viewwnd, SW_SHOW);
        UpdateWindow(f.viewwnd);
    }
    if (f.screen) ZEM_RefreshScreen(f.screen, nullptr, nullptr);
    CreateRadarWindow();
    TOV_Task();

    // The stage's traffic: the aircraft table emptied, the timetable's clock from the header
    // and the records due at the start.
    SetTitleStep("初期化１");
    ClearAircraftTable();
    SetTitleStep("ＧＳ初期化");
    ResetTimetable();
    RunTimetable();

    SetStageState(STAGE_PLAY);
    SetCameraModeNumber(0);
    ZeroTotalTicks();

    SetTitleStep("ゲーム開始");
    ResetFrameClock();
}

void StageExit() {
    FrameHandles& f = Handles();
    SaveDisplayLayout();
    if (f.mainwnd) ShowWindow(f.mainwnd, SW_HIDE);
    KRN_Flip(f.engine, 0);
}
