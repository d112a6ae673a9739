// The HUD's records: its numbers and pictures, the frame's refresh mark, the clock's hands, the
// pause screen and the banners that open the stage and announce its result.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/base.h"

namespace {

HudNumbers g_hud;
HudBanner g_banner;
StageCells g_cells;

// The frame's refresh mark: a few rectangles, overlapping ones merged.
constexpr int kRefreshRects = 8;
RECT g_refresh[kRefreshRects];
int g_refreshcount = 0;

// The clock picture: 70-pixel frames turned about (34, 34) within radius 32 (0 the minute
// hand, 1 the hour hand, 2 the hour mark, 3-5 their turned copies), shown at (330, 8) of the
// strip board.
constexpr int kClockFrame = 70, kClockCentre = 34, kClockRadius = 32;
constexpr int kClockX = 330, kClockY = 8;

int Offset() { return GetStageOffset(); }

bool Loaded(const tagCELL& c) { return c.xsize > 0; }

int LoadEtc(const char* name, tagCELL* cell) {
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%setc\\%s", GetProgramFolder(), name);
    return LoadPictureCell(path, cell);
}

// The banner or pause picture still shown (sprites 67-69) and its cells go.
void RemoveBanner() {
    if (HZEMSCREEN s = GetMainScreen())
        for (int n : {kSpriteBanner, kSpriteResume, kSpriteQuit}) ZEM_DeleteSprite(s, n);
    CellFree(&g_cells.buttons, "ポーズぼたん!");
    CellFree(&g_cells.banner, "ポーズ画面!");
}

const char* ResultPicture(int kind) {
    switch (kind) {
        case STAGE_CLEAR:
            return "stageclear.umz";
        case STAGE_NEARMISS:
            return "nearmiss.umz";
        case STAGE_NOTCLEAR:
            return "timeover.umz";
        case STAGE_STRESSFULL:
            return "stressfull.umz";
        default:
            return "headon.umz";
    }
}

const char* ResultMusic(int kind) {
    return kind == STAGE_CLEAR ? "CLEAR" : kind == STAGE_NOTCLEAR ? "NOT_CLEAR" : "GAMEOVER";
}

}  // namespace

HudNumbers& GetHud() { return g_hud; }
HudBanner& GetHudBanner() { return g_banner; }
StageCells& GetStageCells() { return g_cells; }
tagCELL* GetClockCell() { return Loaded(g_cells.timerndl) ? &g_cells.timerndl : nullptr; }

void AddRefreshRect(const RECT* rect) {
    if (!rect || rect->right <= rect->left || rect->bottom <= rect->top) return;
    RECT r = *rect;
    // Rectangles that overlap the new one join it, so that no pixel goes out twice.
    for (int i = 0; i < g_refreshcount;) {
        RECT common;
        if (IntersectRect(&common, &r, &g_refresh[i])) {
            UnionRect(&r, &r, &g_refresh[i]);
            g_refresh[i] = g_refresh[--g_refreshcount];
            i = 0;
        } else {
            ++i;
        }
    }
    if (g_refreshcount == kRefreshRects) {
        UnionRect(&r, &r, &g_refresh[kRefreshRects - 1]);
        --g_refreshcount;
    }
    g_refresh[g_refreshcount++] = r;
}

int TakeHudRefresh(RECT* rect) {
    if (g_refreshcount == 0) return 0;
    *rect = g_refresh[--g_refreshcount];
    return 1;
}

// ---- clock and wind ----

void SetupClock(int start, int hours) {
    tagCELL* cell = GetClockCell();
    if (!cell) return;
    HZEMSCREEN s = GetMainScreen();
    const int so = Offset();
    // The stage's hours are marked on the clock's background; the hands turn over it.
    const RECT mark{kClockFrame * 5, 0, kClockFrame * 6, kClockFrame};
    for (int h = 0; h < hours; ++h) {
        ZEM_RollCell(cell, kClockCentre + kClockFrame * 5, kClockCentre,
                     kClockCentre + kClockFrame * 2, kClockCentre, kClockRadius,
                     (start / 100 + h) * 30);
        if (s) ZEM_DisplayScreen(s, 800 + kClockX, so + kClockY, cell, &mark, cell->mask);
    }
    TurnClockHands(start);
}

void TurnClockHands(int clock) {
    tagCELL* cell = GetClockCell();
    if (!cell) return;
    const int minutes = clock % 100, hours = clock / 100;
    ZEM_RollCell(cell, kClockCentre + kClockFrame * 3, kClockCentre, kClockCentre, kClockCentre,
                 kClockRadius, minutes * 6);
    ZEM_RollCell(cell, kClockCentre + kClockFrame * 4, kClockCentre, kClockCentre + kClockFrame,
                 kClockCentre, kClockRadius, (hours % 24) * 30 + minutes / 2);
    if (HZEMSCREEN s = GetMainScreen()) {
        ZEM_SetSprite(s, kSpriteMinuteHand, -1, -1, -1, 3, -1);
        ZEM_SetSprite(s, kSpriteHourHand, -1, -1, -1, 4, -1);
    }
}

// ---- banners and the pause screen ----

void ShowStageResult(int kind) {
    PauseAllSounds(1);
    TOV_WaveStop(13);
    TOV_WaveSetLocalVol(13, 15);
    if (kind == STAGE_START) {
        g_banner.startcount = kTicksPerSec;
        PlayBgm(GetScenarioHeader().music, -1, GetConfig().bgmvolume);
        SetStageState(kind);
        return;
    }
    const bool clear = kind == STAGE_CLEAR;
    if (tagTOVWAVE* jingle = GetInterfaceWave(clear ? SE_PRINT : SE_FEED))
        TOV_WavePlay(9, jingle, 1, 0);
    PlayBgm(ResultMusic(kind), 1, 15);
    g_banner.speed = clear ? 16 : 48;
    // A pause or banner picture still up makes way for the result.
    RemoveBanner();
    if (LoadEtc(ResultPicture(kind), &g_cells.banner)) {
        if (clear || kind == STAGE_NOTCLEAR) DrawScorePanel();
        g_banner.x = -800;
        g_banner.y = 0;
        if (HZEMSCREEN s = GetMainScreen()) {
            ZEM_CreateSprite(s, kSpriteBanner, &g_cells.banner, g_cells.banner.xsize,
                             g_cells.banner.ysize);
            ZEM_SetSprite(s, kSpriteBanner, g_banner.x, Offset(), 100, 0, -1);
        }
    }
    SetStageState(kind);
}

void DrawScorePanel() {
    tagCELL large = {}, small = {};
    LoadEtc("score_l.umz", &large);
    LoadEtc("score_s.umz", &small);
    char text[16];
    if (Loaded(g_cells.banner)) {
        // The strips begin at the blank, so that "%6u" draws its leading blanks.
        std::snprintf(text, sizeof text, "%6u", g_hud.score);
        if (Loaded(small)) DrawNumberCell(&g_cells.banner, &small, 652, 40, text, 0);
        std::snprintf(text, sizeof text, "%6u", g_hud.bonus);
        if (Loaded(small)) DrawNumberCell(&g_cells.banner, &small, 652, 88, text, 0);
        std::snprintf(text, sizeof text, "%6u", g_hud.score + g_hud.bonus);
        if (Loaded(large)) DrawNumberCell(&g_cells.banner, &large, 604, 136, text, 0);
    }
    CellFree(&large, "大スコア");
    CellFree(&small, "小スコア");
}

void ShowPauseScreen() {
    RemoveBanner();
    LoadEtc("pause2.umz", &g_cells.banner);
    LoadEtc("pausebtn2.umz", &g_cells.buttons);
    if (HZEMSCREEN s = GetMainScreen()) {
        const int so = Offset();
        ZEM_CreateSprite(s, kSpriteBanner, &g_cells.banner, g_cells.banner.xsize,
                         g_cells.banner.ysize);
        ZEM_SetSprite(s, kSpriteBanner, 0, so, 100, 0, -1);
        ZEM_CreateSprite(s, kSpriteResume, &g_cells.buttons, 0, 0);
        ZEM_SetSprite(s, kSpriteResume, 332, so + 100, 150, 0, -1);
        ZEM_CreateSprite(s, kSpriteQuit, &g_cells.buttons, 0, 0);
        ZEM_SetSprite(s, kSpriteQuit, 332, so + 100, 150, 1, -1);
    }
    PauseAllSounds(1);
    SetStageState(STAGE_PAUSED);
}

void ResumeGame() {
    HZEMSCREEN s = GetMainScreen();
    const int32_t state = GetStageState();
    if (state == STAGE_PAUSED) {
        if (s) {
            ZEM_DeleteSprite(s, kSpriteResume);
            ZEM_DeleteSprite(s, kSpriteQuit);
        }
        CellFree(&g_cells.buttons, "ポーズぼたん!");
    }
    // The start banner has no picture.
    if (state != STAGE_START) {
        if (s) ZEM_DeleteSprite(s, kSpriteBanner);
        CellFree(&g_cells.banner, "ポーズ画面!");
    }
    SetStageState(STAGE_PLAY);
    PauseAllSounds(0);
    // The time the game stood still is no game time.
    ResetFrameClock();
}
