// Score and stress as the traffic raises them, into the HUD's numbers: the response bonus of an
// aircraft's wait and the stress multiplier of its flight plan.
#include <algorithm>

#include "simulation/simulation_internal.h"

void AddScore(int slot, int points, int kind) {
    HudNumbers& hud = GetHud();
    uint32_t bonus = 0;
    const AircraftTable* t = GetAircraftTable();
    if (kind == 1 && t && slot >= 0 && slot < kAircraftSlots) {
        const int fps = kTicksPerSec;
        const int w = std::max((*t)[size_t(slot)].waitcount, fps + 100);
        if (w < 10 * fps + fps + 100)
            bonus =
                uint32_t(10 * std::min(10, std::max(0, (10 * fps - (w - fps - 100)) / fps + 1)));
    }
    hud.shownscore = hud.score;
    hud.score += uint32_t(points) + bonus;
}

void AddStress(int slot, int amount) {
    HudNumbers& hud = GetHud();
    hud.shownstress = hud.stress;
    if (!(GetScenarioHeader().flags & 1))
        if (tagTOVWAVE* warning = GetInterfaceWave(SE_FUMAN)) TOV_WavePlay(10, warning, 1, 0);
    const AircraftTable* t = GetAircraftTable();
    if (t && slot >= 0 && slot < kAircraftSlots) {
        const int m = ((*t)[size_t(slot)].plan >> 8) & 0xf;
        if (m != 0) amount *= m + 1;
    }
    hud.stress += uint32_t(amount);
}
