// Stage set-up and stage exit: the steps of the frame (window layout, stand-by hand-over, the
// windows shown, the stage state and the frame clock); the stage's own content joins them.
#include <cstdio>
#include <cstdlib>

#include "controller/controller.h"
#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "standby_client.h"
#include "tov42.h"
#include "world/world.h"

namespace {

// The depths of the HUD's sprites: the wind digits over the needle, the minute hand over the
// hour hand.
constexpr int kWindNeedleZ = 8, kWindDigitZ = 11, kMinuteHandZ = 10, kHourHandZ = 9;
constexpr int kStripSprites = 20;   // 0-19 the strips, 20-39 their labels
constexpr int kStripTextRows = 20;  // one strip picture per sprite

// The HUD's pictures in the order stage exit frees them, with their captions.
struct HudCell {
    tagCELL StageCells::*cell;
    const char* caption;
};
constexpr HudCell kHudCells[] = {
    {&StageCells::textwindow, "グラフィック"},  {&StageCells::wind01, "テキスト"},
    {&StageCells::stress, "ストレスアイコン"},  {&StageCells::gamicon, "システムアイコン"},
    {&StageCells::scorenum, "スコア数字"},      {&StageCells::windsp, "風速"},
    {&StageCells::windndl, "風向き"},           {&StageCells::timerndl, "時計針"},
    {&StageCells::stripmj, "ストリップ用文字"}, {&StageCells::stripsub, "ストリップサブ"},
    {&StageCells::strip, "ストリップ素材"},     {&StageCells::striptext, "ストリップ"},
};

// Set-up steps 2-5: the wallpaper, one of the loading pictures copied onto the view's place,
// both shown on the two halves of the 2D screen. The loading picture is returned (it stands in
// the 3D view until the stage is built).
void ShowWallpaper(tagCELL* loading) {
    StageCells& c = GetStageCells();
    char path[MAX_PATH + 32], name[MAX_PATH];
    std::snprintf(path, sizeof path, "%setc\\kabekabe.umz", GetProgramFolder());
    LoadPictureCell(path, &c.wallpaper);
    std::snprintf(path, sizeof path, "%setc\\load\\*.umz", GetProgramFolder());
    const int count = CountFiles(path);
    SetTitleStep("設定開始");
    if (count > 0 && FindNthFile(path, std::rand() % count, name) > 0) {
        std::snprintf(path, sizeof path, "%setc\\load\\%s", GetProgramFolder(), name);
        if (LoadPictureCell(path, loading)) {
            const RECT band{0, 0, 800, 200};
            CopyCellRect(&c.wallpaper, 0, 200, loading, &band);
        }
    }
    if (HZEMSCREEN screen = GetMainScreen()) {
        if (c.wallpaper.xsize) {
            ZEM_DisplayScreen(screen, 0, 0, &c.wallpaper, nullptr, ZEM_NOKEY);
            ZEM_DisplayScreen(screen, 800, 0, &c.wallpaper, nullptr, ZEM_NOKEY);
        }
        ZEM_RefreshScreen(screen, nullptr, nullptr);
    }
}

// The loading picture in the 3D view while the stage is built: at the corner of the docked
// view, centred in the floating one.
void ShowLoadingInView(tagCELL* loading, int x, int y) {
    if (!loading->xsize) return;
    RECT all{0, 0, loading->xsize, loading->ysize};
    KRN_PutScreen(GetEngine(), 0, x, y, loading, &all);
    KRN_Refresh(GetEngine(), 0, nullptr);
}

// Set-up step 20: the scenario's light-pattern choice puts all the airport's light patterns
// out (0), or lights the first three (1) or the first six (2); the patterns it does not light
// keep the state the scenery file gives them. Any other choice switches nothing.
void SwitchLightPatterns(int choice) {
    const int lit = choice == 1 ? 3 : choice == 2 ? 6 : 0;
    if (choice < 0 || choice > 2) return;
    for (int i = 0; i < kLightPatternLayers; ++i) {
        tagKRNL* layer = GetAirportLayers().lightpat[i];
        if (!layer) continue;
        if (choice == 0)
            KRNL_RecallFunction(KRNLOP_SWITCH, layer, 0, 0, 0);
        else if (i < lit)
            KRNL_RecallFunction(KRNLOP_SWITCH, layer, 0, 1, 0);
    }
}

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
    // The background colour goes with every rendering (FrameMain reads it from the header).
    SwitchLightPatterns(w.daytime);

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

void LoadHudPictures() {
    StageCells& c = GetStageCells();
    auto load = [](const char* name, tagCELL* cell) {
        char path[MAX_PATH];
        std::snprintf(path, sizeof path, "%setc\\%s", GetProgramFolder(), name);
        LoadPictureCell(path, cell);
    };
    load("strip.umz", &c.strip);
    TOV_Task();
    CellAlloc(&c.striptext, 2 * c.strip.xpos, kStripTextRows * c.strip.ypos, "ストリップ");
    TOV_Task();
    load("stripmj.umz", &c.stripmj);
    TOV_Task();
    load("stripsub.umz", &c.stripsub);
    TOV_Task();
    load("timerndl.umz", &c.timerndl);
    TOV_Task();
    load("windndl.umz", &c.windndl);
    TOV_Task();
    load("windsp.umz", &c.windsp);
    load("scorenum.umz", &c.scorenum);
    load("stress.umz", &c.stress);
    load("gam_icon.umz", &c.gamicon);
    CellAllocBmp(&c.textwindow, 800, 200, "もじういんどー");
    load("wind01.umz", &c.wind01);

    HZEMSCREEN s = GetMainScreen();
    if (!s) return;
    for (int n = 0; n < kStripSprites; ++n) {
        ZEM_CreateSprite(s, kSpriteStrip + n, &c.striptext, c.strip.xpos, c.strip.ypos);
        ZEM_CreateSprite(s, kSpriteStripLabel + n, &c.stripsub, 0, 0);
    }
    ZEM_CreateSprite(s, kSpriteHighlight, &c.strip, 0, 0);
    for (int n = 0; n < 4; ++n) ZEM_CreateSprite(s, kSpriteButton + n, &c.gamicon, 0, 0);
    ZEM_CreateSprite(s, kSpriteTextWindow, &c.textwindow, 20, 20);
    ZEM_SetSprite(s, kSpriteTextWindow, 0, 0, 0, 0, -1);
}

void PlaceHudSprites() {
    HZEMSCREEN s = GetMainScreen();
    if (!s) return;
    StageCells& c = GetStageCells();
    const int so = GetStageOffset();
    for (const StageButton& b : kStageButtons)
        ZEM_SetSprite(s, b.sprite, b.x, b.y + so, b.z, b.pattern, -1);
    ZEM_CreateSprite(s, kSpriteWindNeedle, &c.windndl, 68, 68);
    ZEM_SetSprite(s, kSpriteWindNeedle, 402, so + 8, kWindNeedleZ, 1, -1);
    ZEM_CreateSprite(s, kSpriteWindTens, &c.windsp, 0, 0);
    ZEM_SetSprite(s, kSpriteWindTens, 424, so + 27, kWindDigitZ, 0, -1);
    ZEM_CreateSprite(s, kSpriteWindUnits, &c.windsp, 0, 0);
    ZEM_SetSprite(s, kSpriteWindUnits, 436, so + 27, kWindDigitZ, 0, -1);
    ZEM_CreateSprite(s, kSpriteMinuteHand, &c.timerndl, 70, 70);
    ZEM_SetSprite(s, kSpriteMinuteHand, 330, so + 8, kMinuteHandZ, 3, -1);
    ZEM_CreateSprite(s, kSpriteHourHand, &c.timerndl, 70, 70);
    ZEM_SetSprite(s, kSpriteHourHand, 330, so + 8, kHourHandZ, 4, -1);
}

void FreeHudPictures() {
    StageCells& c = GetStageCells();
    if (HZEMSCREEN s = GetMainScreen()) {
        ZEM_DeleteSprite(s, kSpriteTextWindow);
        // The HUD's own sprites go with their cells, so that none points at a freed picture.
        for (int n = kSpriteWindNeedle; n <= kSpriteHourHand; ++n) ZEM_DeleteSprite(s, n);
    }
    for (const HudCell& h : kHudCells) CellFree(&(c.*h.cell), h.caption);
    if (HZEMSCREEN s = GetMainScreen()) {
        ZEM_DeleteSprite(s, kSpriteHighlight);
        for (int n = 0; n < 4; ++n) ZEM_DeleteSprite(s, kSpriteButton + n);
        for (int n = 0; n < 2 * kStripSprites; ++n) ZEM_DeleteSprite(s, kSpriteStrip + n);
    }
    CellFree(&c.wallpaper, "ゲーム壁紙");
}

void StageSetup() {
    FrameHandles& f = Handles();
    GameConfig& c = GetConfig();
    f.viewsep = 0;
    f.stageoffset = 400;
    tagCELL loading = {};
    ShowWallpaper(&loading);

    switch (c.winlayout) {
        case 0:
            View().viewrect = RECT{0, 0, 800, 200};
            if (f.viewwnd) SetWindowPos(f.viewwnd, nullptr, 0, 200, 800, 200, SWP_NOZORDER);
            GameViewPort(View().viewrect);
            ShowLoadingInView(&loading, 0, 0);
            SetAtcPanelWidth(0);
            break;
        case 1:
        case 2: {
            f.viewsep = 1;
            const int cx = c.layout.set[c.radarlarge ? 1 : 0].viewcx;
            View().viewrect = RECT{0, 0, cx, cx / 4};
            SetWindowLayout(c.winlayout == 1 ? 2 : 3);
            ShowLoadingInView(&loading, (cx - 800) / 2, (cx / 4 - 200) / 2);
            SetAtcPanelWidth(1);
            break;
        }
        default:
            break;
    }

    // From here the game's own windows show.
    GameTrace("standby end %d", StandBy_End());
    if (f.mainwnd) ShowWindow(f.mainwnd, SW_SHOW);
    if (f.viewwnd) {
        ShowWindow(f.viewwnd, SW_SHOW);
        UpdateWindow(f.viewwnd);
    }
    if (f.screen) ZEM_RefreshScreen(f.screen, nullptr, nullptr);
    CreateRadarWindow();
    TOV_Task();

    SetTitleStep("各種画像読み込み");
    if (f.screen) ZEM_RefreshScreen(f.screen, nullptr, nullptr);
    CellFree(&loading, "ろーど");
    LoadHudPictures();

    // The stage's traffic and airport: the aircraft table emptied, the airport loaded, the
    // timetable's clock from the header and the records due at the start.
    SetTitleStep("初期化１");
    ClearAircraftTable();
    ResetStripBoard();
    AtcInit();
    LoadAirport();
    SetTitleStep("初期化２");
    MakeCommandCells();
    SetTitleStep("ＧＳ初期化");
    SetupGroundSupport();
    ResetTimetable();
    RunTimetable();
    SetupWeather();
    SetupScenery();
    PlaceHudSprites();

    ResetInput();
    SetTitleStep("時計設定");
    const ScenarioHeader& h = GetScenarioHeader();
    SetupClock(h.starttime, h.hours ? h.hours : 10);

    SetStageState(STAGE_PLAY);
    SetCameraModeNumber(0);
    ZeroTotalTicks();

    SetTitleStep("得点表示");
    DrawScoreCounter(1);

    SetTitleStep("ゲーム開始");
    ResetFrameClock();
    ShowStageResult(STAGE_START);
    CreateMarker();

    char title[160];
    if (h.target)
        std::snprintf(title, sizeof title, "%s (目標得点：%d)", kGameTitle, h.target);
    else
        std::snprintf(title, sizeof title, "%s ", kGameTitle);
    if (f.mainwnd) SetWindowTextA(f.mainwnd, title);
    if (f.screen) ZEM_RefreshScreen(f.screen, nullptr, nullptr);
}

int ExitProgramCommand(char* program, char* arguments) {
    program[0] = arguments[0] = 0;
    if (GetQuitByUser()) return 0;
    const ScenarioHeader& h = GetScenarioHeader();
    char folder[32 + 1], stage[32 + 1];
    GetWord(h.title, 0, folder, 32);
    std::snprintf(program, MAX_PATH + 16, "%sVSK33.EXE ", GetProgramFolder());
    std::snprintf(arguments, 64, "%s", folder);
    if (!GetStageCleared()) return 1;
    GetWord(h.title, 1, stage, 32);
    int spno = 0;
    if (IsBareName(folder) && IsBareName(stage)) {
        char ini[MAX_PATH + 80];
        std::snprintf(ini, sizeof ini, "%sstage\\%s\\%s.ini", GetProgramFolder(), folder, stage);
        spno = int(GetPrivateProfileIntA("Icon", "spno", 0, ini));
    }
    // Only a program of the program folder may follow: a path would start anything anywhere.
    if (IsBareName(h.exitprog)) {
        std::snprintf(program, MAX_PATH + 16, "%s%s", GetProgramFolder(), h.exitprog);
        std::snprintf(arguments, 64, "%d %s", spno / 100, folder);
    }
    return 1;
}

void LaunchExitProgram() {
    char program[MAX_PATH + 16], arguments[64];
    if (!ExitProgramCommand(program, arguments)) return;
    const int started = StandBy_Start(program, arguments);
    GameTrace("standby start \"%s\" \"%s\" %d", program, arguments, started);
}

// At the stage's end, the exchange rows still speaking, pausing or holding queued messages and
// the aircraft still talking on one: "exit busy rows <n> aircraft <n>".
static void TraceBusyAtExit() {
    if (!GameTraceOn()) return;
    int rows = 0, aircraft = 0;
    for (const ExchangeRow& r : GetExchangeRows())
        rows += (r.state & 0xf) != 0 || r.aircraft != 0 || r.queue[0] != 0;
    if (const AircraftTable* t = GetAircraftTable())
        for (const AircraftRecord& a : *t) aircraft += a.used && a.talking != 0;
    GameTrace("exit busy rows %d aircraft %d", rows, aircraft);
}

void StageExit() {
    FrameHandles& f = Handles();
    TraceBusyAtExit();
    for (int v = 0; v <= 18; ++v)
        if (v != 13) TOV_WaveStop(v);  // the music stops with the stage's other content
    if (GetStageState() != STAGE_PLAY) ResumeGame();
    DeleteMarker();
    SaveDisplayLayout();
    LaunchExitProgram();
    if (f.mainwnd) ShowWindow(f.mainwnd, SW_HIDE);
    const tagCELL& wallpaper = GetStageCells().wallpaper;
    if (f.screen && wallpaper.xsize)
        ZEM_DisplayScreen(f.screen, 0, 0, &wallpaper, nullptr, ZEM_NOKEY);
    KRN_Flip(f.engine, 0);
    StopBgm();
    FreeCommandCells();
    AtcEnd();
    DestroyRadarWindow();
    if (HasResourceFlag(RESOURCE_AIRPORT)) {
        for (int slot = 0; slot < kAircraftSlots; ++slot) DeleteObject(slot);
        ReleaseGroundSupport();
        DeleteObject(kObjectAirport);
        SetResourceFlag(RESOURCE_AIRPORT, 0);
        DeleteWeather();
    }
    FreeHudPictures();
}
