// The pass after the ticks of a frame: aircraft that left the playing area go, conflicts between
// aircraft end the stage, and the display details that depend on the camera's distance are set.
#include <algorithm>
#include <cmath>
#include <strings.h>

#include "controller/controller.h"
#include "base/base.h"
#include "simulation/movement.h"
#include "world/world.h"

namespace movement {
namespace {

constexpr double kArea = 15000;      // x and z within -15000..15000
constexpr double kLowDetail = 2000;  // beyond this distance from the eye the simple model shows

int Radius(const AircraftRecord& a) { return strcasecmp(a.airline, "JAF") == 0 ? 30 : 50; }
bool Grounded(const ObjectRecord& o, int ground) { return std::nearbyint(o.pos.y) == ground; }

bool OutsideArea(const ObjectRecord& o) {
    return o.pos.x > kArea || o.pos.x < -kArea || o.pos.z > kArea || o.pos.z < -kArea;
}

void LeaveArea(int i, AircraftRecord& a) {
    if (GetSelectedAircraft() == i) {
        HideCommandMenu();
        SetSelectedAircraft(-1);
        SetDefaultCamera(30, 0);
        HideFlightInfo();
    }
    DeleteObject(i);
    a.strip = (a.strip & 0x1000) | 0xf02;
}

// The conflict test of the pair i, j: the distance, the result it gives and the radar range it
// shows with; 0 result when the pair keeps its separation.
struct Conflict {
    double d;
    int result;
    int wide;
};
Conflict Test(const ObjectRecord& oi, const AircraftRecord& ai, const ObjectRecord& oj,
              const AircraftRecord& aj) {
    const int r = Radius(ai) == 30 && Radius(aj) == 30 ? 30 : 50;
    if (Grounded(oi, ai.ground)) {
        if (Grounded(oj, ai.ground)) {
            const double d = Distance2D(&oi.pos, &oj.pos);
            return {d, d < r ? STAGE_HEADON : 0, 0};
        }
        const double d = Distance3DInt(&oi.pos, &oj.pos);
        return {d, d < r ? STAGE_NEARMISS : 0, 0};
    }
    const double d = Distance3DInt(&oi.pos, &oj.pos);
    if (Grounded(oj, aj.ground)) return {d, d < r ? STAGE_NEARMISS : 0, 1};
    return {d, d < 10 * r && d < 200 ? STAGE_NEARMISS : 0, 1};
}

// The first conflict while the stage plays ends it: the result banner and a camera that looks
// from one aircraft to the other. Returns true when it did.
bool Conflicts(int i, AircraftRecord& ai, const ObjectRecord& oi) {
    for (int j = i + 1; j < kAircraftSlots; ++j) {
        AircraftRecord* aj = AircraftAt(j);
        const ObjectRecord* oj = ObjectAt(j);
        if (!aj || !oj || !oj->used || aj->stripslot == ai.stripslot) continue;
        const Conflict c = Test(oi, ai, *oj, *aj);
        if (!c.result) continue;
        ai.conflict = j + 1;
        aj->conflict = i + 1;
        ai.conflict2 = aj->conflict2 = Trunc(std::nearbyint(c.d));
        if (GetStageState() != STAGE_PLAY) continue;
        SetRadarRange(c.wide);
        ResetRadarView();
        ShowStageResult(c.result);
        GetCameraRecord().object2 = i;
        const tagKRN3D eye{0, 15, 0, 0}, target{0, -5, 0, 0};
        SetCamera(0x7000, j, &eye, &target, 350.0);
        return true;
    }
    return false;
}

void DisplayDetails(AircraftRecord& a, const ObjectRecord& o) {
    a.camdist = Distance3DInt(&o.pos, &GetCameraRecord().eye);
    if (a.ldlights) {
        const double s = std::clamp((a.camdist - 200) * 0.00125, 1.0, 4.0);
        const tagKRN3D scale{s, s, s, 0};
        if (o.ldlightl) KRNL_AbsMoveLayer(o.ldlightl, nullptr, nullptr, &scale);
        if (o.ldlightr) KRNL_AbsMoveLayer(o.ldlightr, nullptr, nullptr, &scale);
    }
    if (!o.simple) return;
    if (a.camdist > kLowDetail) {
        KRNL_AbsMoveLayer(o.simple, &a.dpos, &o.angle, nullptr);
        KRNL_RecallFunction(KRNLOP_SWITCH, o.simple, 0, 9, 0);
        if (o.layer) KRNL_RecallFunction(KRNLOP_SWITCH, o.layer, 0, -9, 0);
    } else {
        KRNL_RecallFunction(KRNLOP_SWITCH, o.simple, 0, -9, 0);
        if (o.layer) KRNL_RecallFunction(KRNLOP_SWITCH, o.layer, 0, 9, 0);
    }
}

}  // namespace

void SeparationPass() {
    for (int i = 0; i < kAircraftSlots; ++i) {
        AircraftRecord* a = AircraftAt(i);
        const ObjectRecord* o = ObjectAt(i);
        if (!a || !o || !o->used) continue;
        if (OutsideArea(*o)) {
            LeaveArea(i, *a);
            continue;  // gone: no conflicts, no display details
        }
        if (Conflicts(i, *a, *o)) break;
        DisplayDetails(*a, *o);
    }
    if (GetScenarioHeader().night == 1 || IsRainStage()) StepStLights();
}

}  // namespace movement
