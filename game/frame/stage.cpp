// Stage set-up and stage exit: the steps of the frame (window layout, stand-by hand-over, the
// windows shown, the stage state and the frame clock); the stage's own content joins them.
#include <cstdio>

#include "controller/controller.h"
#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "standby_client.h"
#include "tov42.h"
#include "world/world.h"

namespace {

// Set-up steps 18-22: the airport's view point and the panoramic view, the scenario's lights,
// the sky and the view distances.
void SetupScenery() {
    const ScenarioHeader& h = GetScenarioHeader();
    const ScenarioWorld& w = h.world;
    ViewPoint& airport = GetViewPointTable()[0];
    airport = ViewPoint{};
    airport.eye = tagKRN3D{121.7, 119.0, 90.3, 0};
    airport.aim2 = tagKRN3D{30.0, 230.0, 0, 0};
    airport.range = 3000;
    SetDefaultCamera(0, 0);
    CameraMain(1);

    SetTitleStep("光源設定");
    tagKRN* engine = GetEngine();
    auto colour = [](const int32_t* rgb) {
        return DWORD(rgb[0] & 0xff) | DWORD(rgb[1] & 0xff) << 8 | DWORD(rgb[2] & 0xff) << 16;
    };
    KRN_Light(engine, 0, 1, nullptr, nullptr, colour(w.lightrgb), 0.0);
    tagKRN3D dir = {double(w.light2dir[0]), double(w.light2dir[1]), double(w.light2dir[2]), 0};
    KRN_Light(engine, 1, 2, nullptr, &dir, colour(w.light2rgb), 0.0);

    char sky[MAX_PATH];
    if (h.night)
        std::snprintf(sky, sizeof sky, "port\\%s\\skyN.plm", GetAirportCode());
    else
        std::snprintf(sky, sizeof sky, "port\\%s\\sky%s.plm", GetAirportCode(), w.weather);
    if (LoadLayerObject(kObjectSky, sky, "SKYLAYER")) {
        const AirportRecord* rec = GetAirportRecord();
        const tagKRN3D zero = {0, 0, 0, 0}, turn = {0, rec ? rec->yaw : 0, 0, 0};
        KRNL_AbsMoveLayer((*GetObjectTable())[kObjectSky].layer, &zero, &turn, nullptr);
    }
    KRN_SetDistance(engine, w.distances[0], w.distances[1], w.distances[2]);
}

}  // namespace

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

    // The stage's traffic and airport: the aircraft table emptied, the airport loaded, the
    // timetable's clock from the header and the records due at the start.
    SetTitleStep("初期化１");
    ClearAircraftTable();
    LoadAirport();
    SetTitleStep("ＧＳ初期化");
    ResetTimetable();
    RunTimetable();
    SetupWeather();
    SetupScenery();

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
    if (HasResourceFlag(RESOURCE_AIRPORT)) {
        for (int slot = 0; slot < kAircraftSlots; ++slot) DeleteObject(slot);
        DeleteObject(kObjectAirport);
        SetResourceFlag(RESOURCE_AIRPORT, 0);
        DeleteWeather();
    }
}
