// The HUD's work once a frame: the stress gauge, the score counter, the wind indicator, and the
// banner that counts down or slides in.
#include <algorithm>

#include "frame/frame_internal.h"
#include "simulation/simulation.h"
#include "world/world.h"

namespace {

constexpr uint32_t kCameraPhaseBits = 0x0ff00000;  // the camera's transition phase

int Offset() { return GetStageOffset(); }

bool Loaded(const tagCELL& c) { return c.xsize > 0; }

void MarkRefresh(LONG left, LONG top, LONG right, LONG bottom) {
    const RECT r{left, top, right, bottom};
    AddRefreshRect(&r);
}

}  // namespace

void StressMain() {
    HudNumbers& h = GetHud();
    const StageCells& cells = GetStageCells();
    const uint32_t limit = h.stresslimit ? h.stresslimit : 10;
    const int so = Offset();
    if (h.shownstress < h.stress) {
        ++h.shownstress;
        MarkRefresh(332, so + 136, 468, so + 148);
    }
    // The picture's left half is the full gauge, its right half the empty one: a window of
    // half its width slides left as the shown stress climbs. Held at the limit, it never
    // slides past the picture.
    const tagCELL& c = cells.stress;
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
    HudNumbers& h = GetHud();
    const StageCells& cells = GetStageCells();
    HZEMSCREEN s = GetMainScreen();
    const int so = Offset();
    if (s) {
        const RECT background{1140, 488, 1260, 522};
        ZEM_MoveScreen(s, 340, so + 88, &background);
    }
    if (h.shownscore < h.score) {
        const uint64_t next = uint64_t(h.shownscore) + 4 * uint64_t(std::max(ticks, 0));
        h.shownscore = uint32_t(std::min<uint64_t>(next, h.score));
        MarkRefresh(340, so + 88, 460, so + 122);
    }
    const tagCELL& digits = cells.scorenum;
    const int gw = digits.xpos, gh = digits.ypos;
    if (!s || !Loaded(digits) || gw <= 0 || gh <= 0) return;
    uint32_t v = h.shownscore;
    int x = 440;
    do {
        const int d = int(v % 10);
        const RECT glyph{gw * d, 0, gw * (d + 1), gh};
        ZEM_DisplayScreen(s, x, so + 88, &digits, &glyph, digits.mask);
        x -= gw;
        v /= 10;
    } while (v != 0);
}

void DrawWindIndicator() {
    StageCells& cells = GetStageCells();
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
    if (Loaded(cells.windndl)) {
        ZEM_RollCell(&cells.windndl, 102, 34, 34, 34, 32, w.winddir);
        ZEM_SetSprite(s, kSpriteWindNeedle, -1, -1, -1, 1, -1);
    }
}

void StageBannerMain(int ticks) {
    HudBanner& banner = GetHudBanner();
    if (GetStageState() == STAGE_START) {
        banner.startcount -= ticks;
        if (banner.startcount > 1) return;
        ResumeGame();
        // The opening camera move starts afresh, whatever glide was under way.
        CameraRecord& c = GetCameraRecord();
        c.state &= ~kCameraPhaseBits;
        c.ready = 0;
        SetDefaultCamera(kTicksPerSec, 0);
        return;
    }
    banner.x = std::min(0, banner.x + banner.speed * ticks);
    if (HZEMSCREEN s = GetMainScreen())
        ZEM_SetSprite(s, kSpriteBanner, banner.x, banner.y + Offset(), -1, -1, -1);
    // The result stays until its music has played out, however long the slide took.
    if (TOV_WaveStatus(13) == 0) SetGamePhase(GAMEPHASE_EXIT);
}
