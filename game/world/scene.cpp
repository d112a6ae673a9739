// Small animations of the 3D scene: the marker over the selected aircraft, the two radar
// antennas of the scenery and the three runs of sequenced flashing lights.
#include <cstdio>
#include <cstring>

#include "base/base.h"
#include "simulation/simulation.h"
#include "world/world.h"

namespace {

tagKRNL* g_marker = nullptr;
int g_markerchips = 0;

constexpr int kMarkerChips = 4;

// The marker's chips: a pyramid standing on its apex, lit from above.
tagKRNCHIP MarkerChip(const tagKRN3D& a, const tagKRN3D& b, const tagKRN3D& c, int red, int green,
                      int blue, bool bottom) {
    tagKRNCHIP chip;
    std::memset(&chip, 0, sizeof chip);
    chip.mode = KRNCHIP_SHOW;
    chip.flags = 0x26;
    chip.red = 0x80;
    chip.green = 0x80;
    chip.blue = 0xff;
    chip.normal = tagKRN3D{0, 1, 0, 0};
    const tagKRN3D* v[3] = {&a, &b, &c};
    for (int k = 0; k < 3; ++k) {
        chip.v[k] = *v[k];
        chip.n[k] = tagKRN3D{0, 1, 0, 0};
        // The apex of a side is red; the top corners are paler.
        const bool apex = bottom && k == 0;
        chip.r[k] = red;
        chip.g[k] = apex ? 0 : green;
        chip.b[k] = apex ? 0 : blue;
    }
    return chip;
}

// Where each light run stands at step k of 30: x, y, z.
struct LightRun {
    int x0, dx;
    double z0;
    int dz;  // 0: z stays at z0
};
constexpr LightRun kRuns[3] = {
    {965, -422, -262.0, 0},
    {1106, -431, 552.3, 0},
    {-827, 218, 492, -376},
};

}  // namespace

void CreateMarker() {
    tagKRN* engine = GetEngine();
    tagKRNL* root = GetRootLayer();
    if (!engine || !root) return;
    const tagKRN3D a = {0, 0, 0, 0}, p = {-2.6, 10, -1.5, 0}, q = {2.6, 10, -1.5, 0},
                   r = {0, 10, 3.0, 0};
    tagKRNCHIP chips[kMarkerChips] = {
        MarkerChip(a, p, q, 255, 128, 128, true),
        MarkerChip(a, q, r, 255, 128, 128, true),
        MarkerChip(a, r, p, 255, 128, 128, true),
        MarkerChip(q, p, r, 255, 156, 156, false),
    };
    const int first = engine->chipmax - 10;
    for (int i = 0; i < kMarkerChips; ++i) KRN_SetChip(engine, first + i, &chips[i]);
    char name[KRNL_NAMEMAX] = "ExMark1";
    if (!KRNL_CheckSameName(root, name)) return;
    g_marker = KRNL_CreateLayer(root, name);
    if (!g_marker) return;
    KRNL_CaptureLayer(g_marker, first, kMarkerChips);
    g_markerchips = kMarkerChips;
    const tagKRN3D at = {0, 100, 0, 0};
    KRNL_AbsMoveLayer(g_marker, &at, nullptr, nullptr);
    KRNL_RecallFunction(KRNLOP_SWITCH, g_marker, 0, 0, 0);
}

void DeleteMarker() {
    if (g_marker) KRNL_DeleteLayer(g_marker, 1);
    g_marker = nullptr;
    g_markerchips = 0;
}

tagKRNL* GetMarker() { return g_marker; }

void ShowMarker(int flag) {
    if (g_marker) KRNL_RecallFunction(KRNLOP_SWITCH, g_marker, 0, flag, 0);
}

void MoveMarker(int ticks) {
    const int selected = GetSelectedAircraft();
    const ObjectTable* objects = GetObjectTable();
    if (!g_marker || !objects || selected < 0 || selected >= kAircraftSlots) return;
    const ObjectRecord& o = (*objects)[size_t(selected)];
    const tagKRN3D at = {o.pos.x, o.pos.y + 15.0, o.pos.z, 0};
    const double d = Distance3DInt(&o.pos, &GetCameraRecord().eye);
    if (d > 300.0) {
        const double s = 1 + (d - 300) * 0.004;
        const tagKRN3D scale = {s, s, s, 0};
        KRNL_AbsMoveLayer(g_marker, &at, nullptr, &scale);
    } else {
        KRNL_AbsMoveLayer(g_marker, &at, nullptr, nullptr);
    }
    const tagKRN3D turn = {0, double(ticks), 0, 0};
    KRNL_RelMoveLayer(g_marker, nullptr, &turn, nullptr);
}

void RotateRadarAntennas(int ticks) {
    AirportLayers& l = GetAirportLayers();
    for (int i = 0; i < 2; ++i) {
        if (!l.radar[i]) continue;
        int& angle = l.radarangle[i];
        angle += 3 * ticks;
        if (angle > 359) angle -= 360;
        if (angle < 0) angle += 360;
        const tagKRN3D rotate = {0, double(angle), 0, 0};
        KRNL_AbsMoveLayer(l.radar[i], nullptr, &rotate, nullptr);
    }
}

void StepStLights() {
    const int k = GetGameClock().ticks % 30;
    AirportLayers& l = GetAirportLayers();
    const tagKRN3D none = {0, 0, 0, 0}, one = {1, 1, 1, 0};
    for (int i = 0; i < 3; ++i) {
        if (!l.stlight[i]) continue;
        const LightRun& r = kRuns[i];
        const double z = r.dz ? double(int(r.z0) + (r.dz * k) / 30) : r.z0;
        const tagKRN3D at = {double(r.x0 + (r.dx * k) / 30), 4.0, z, 0};
        KRNL_AbsMoveLayer(l.stlight[i], &at, &none, &one);
        KRNL_RecallFunction(KRNLOP_SWITCH, l.stlight[i], 0, 1, 0);
    }
}
