// The heads-up display on the strip board (score counter, stress gauge, clock, wind), the
// pause screen and the banners that open the stage and announce its result; score and stress
// as the traffic raises them.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "world/world.h"

namespace {

HudNumbers g_hud;
HudBanner g_banner;
StageCells g_cells;

// The frame's refresh mark: a few rectangles, overlapping ones merged.
constexpr int kRefreshRects = 8;
RECT g_refresh[kRefreshRects];
int g_refreshcount = 0;

constexpr uint32_t kCameraPhaseBits = 0x0ff00000;  // the camera's transition phase

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

void MarkRefresh(LONG left, LONG top, LONG right, LONG bottom) {
    const RECT r{left, top, right, bottom};
    AddRefreshRect(&r);
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

// ---- score and stress ----

void AddScore(int slot, int points, int kind) {
    uint32_t bonus = 0;
    const AircraftTable* t = GetAircraftTable();
    if (kind == 1 && t && slot >= 0 && slot < kAircraftSlots) {
        const int fps = kTicksPerSec;
        const int w = std::max((*t)[size_t(slot)].waitcount, fps + 100);
        if (w < 10 * fps + fps + 100)
            bonus =
                uint32_t(10 * std::min(10, std::max(0, (10 * fps - (w - fps - 100)) / fps + 1)));
    }
    g_hud.shownscore = g_hud.score;
    g_hud.score += uint32_t(points) + bonus;
}

void AddStress(int slot, int amount) {
    g_hud.shownstress = g_hud.stress;
    if (!(GetScenarioHeader().flags & 1))
        if (tagTOVWAVE* warning = GetInterfaceWave(SE_FUMAN)) TOV_WavePlay(10, warning, 1, 0);
    const AircraftTable* t = GetAircraftTable();
    if (t && slot >= 0 && slot < kAircraftSlots) {
        const int m = ((*t)[size_t(slot)].plan >> 8) & 0xf;
        if (m != 0) amount *= m + 1;
    }
    g_hud.stress += uint32_t(amount);
}

void StressMain() {
    HudNumbers& h = g_hud;
    const uint32_t limit = h.stresslimit ? h.stresslimit : 10;
    const int so = Offset();
    if (h.shownstress < h.stress) {
        ++h.shownstress;
        MarkRefresh(332, so + 136, 468, so + 148);
    }
    // The picture's left half is the full gauge, its right half the empty one: a window of
    // half its width slides left as the shown stress climbs. Held at the limit, it never
    // slides past the picture.
    const tagCELL& c = g_cells.stress;
    if (HZEMSCREEN s = GetMainScreen(); s && Loaded(c)) {
        const uint32_t half = uint32_t(c.xsize) / 2;
        const uint32_t shown = std::min(h.shownstress, limit);
        const uint32_t x0 = half - uint32_t(uint64_t(shown) * half / limit);
        const RECT src{LONG(x0), 0, LONG(x0 + half), c.ysize};
        ZEM_DisplayScreen(s, 332, so + 136, &c, &src, c.mask);
    }
    if (h.shownstress >= limit && GetStageState() == STAGE_PLAY) ShowStageResult(STAGE_STRESSFULL);
}

void DrawScoreCounter(int ticks) {
    HZEMSCREEN s = GetMainScreen();
    const int so = Offset();
    if (s) {
        const RECT background{1140, 488, 1260, 522};
        ZEM_MoveScreen(s, 340, so + 88, &background);
    }
    if (g_hud.shownscore < g_hud.score) {
        const uint64_t next = uint64_t(g_hud.shownscore) + 4 * uint64_t(std::max(ticks, 0));
        g_hud.shownscore = uint32_t(std::min<uint64_t>(next, g_hud.score));
        MarkRefresh(340, so + 88, 460, so + 122);
    }
    const tagCELL& digits = g_cells.scorenum;
    const int gw = digits.xpos, gh = digits.ypos;
    if (!s || !Loaded(digits) || gw <= 0 || gh <= 0) return;
    uint32_t v = g_hud.shownscore;
    int x = 440;
    do {
        const int d = int(v % 10);
        const RECT glyph{gw * d, 0, gw * (d + 1), gh};
        ZEM_DisplayScreen(s, x, so + 88, &digits, &glyph, digits.mask);
        x -= gw;
        v /= 10;
    } while (v != 0);
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

void DrawWindIndicator() {
    const StageWeather& w = GetStageWeather();
    int speed = w.windspeed;
    // A gust jitter of at most one unit while the world runs.
    if (GetFrameTiming().ticks != 0) speed = w.windspeed + (ZEM_Random(0, 1000) - 500) / 450;
    // Two digits: sprite 63 has no frame for a hundreds digit.
    speed = std::clamp(speed, 0, 99);
    HZEMSCREEN s = GetMainScreen();
    if (!s) return;
    ZEM_SetSprite(s, kSpriteWindTens, -1, -1, -1, speed / 10, -1);
    ZEM_SetSprite(s, kSpriteWindUnits, -1, -1, -1, speed % 10, -1);
    if (Loaded(g_cells.windndl)) {
        ZEM_RollCell(&g_cells.windndl, 102, 34, 34, 34, 32, w.winddir);
        ZEM_SetSprite(s, kSpriteWindNeedle, -1, -1, -1, 1, -1);
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

void StageBannerMain(int ticks) {
    if (GetStageState() == STAGE_START) {
        g_banner.startcount -= ticks;
        if (g_banner.startcount > 1) return;
        ResumeGame();
        // The opening camera move starts afresh, whatever glide was under way.
        CameraRecord& c = GetCameraRecord();
        c.state &= ~kCameraPhaseBits;
        c.ready = 0;
        SetDefaultCamera(kTicksPerSec, 0);
        return;
    }
    g_banner.x = std::min(0, g_banner.x + g_banner.speed * ticks);
    if (HZEMSCREEN s = GetMainScreen())
        ZEM_SetSprite(s, kSpriteBanner, g_banner.x, g_banner.y + Offset(), -1, -1, -1);
    // The result stays until its music has played out, however long the slide took.
    if (TOV_WaveStatus(13) == 0) SetGamePhase(GAMEPHASE_EXIT);
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
