// The cameras: the game's camera record, its thirteen modes for the selected aircraft and the
// panoramic view, the transitions that glide from one view to the next tick by tick, the
// caption, and the per-frame step that sets the engine's camera, switches the scenery by the
// eye and moves the weather.
#include <cstdio>
#include <cstring>

#include "controller/controller.h"
#include "base/base.h"
#include "simulation/simulation.h"
#include "world/world.h"

namespace {

CameraRecord g_camera = {};
int g_mode = 0;
char g_caption[kCameraCaptionMax + 1] = "";
int g_woods = -1;   // 1 shown, 0 hidden, -1 not switched yet
int g_preview = 0;  // 1 while the route preview's view is set

constexpr uint32_t kPhaseJump = 0x10, kPhaseGlide = 0x20, kPhaseTurnAway = 0x30, kPhaseMove = 0x31,
                   kPhaseTurnTo = 0x32, kPhaseFixed = 0x40, kPhaseFixedTurn = 0x42;

// The tower-side start of a change that comes from the panoramic view.
constexpr tagKRN3D kPanoramicStart = {-225, 272, -225, 0};

// The route preview's view: 35 degrees down across the airport, its glide one second long; its
// eye stays within three quarters of the fog's start, so that the ground it looks at, out to 30
// degrees down (the view's lower half is 5 degrees high), stands before the fog.
constexpr double kPreviewPitch = 35.0;
constexpr double kPreviewFogShare = 0.75;
constexpr int kPreviewTicks = 30;

enum Scenery { SCENERY_KEEP, SCENERY_NEAR, SCENERY_FAR };
enum Eye { EYE_TABLE, EYE_TOWER };
struct ModeRow {
    uint32_t mode;
    const char* caption;  // "%s" the callsign
    Eye eye;
    tagKRN3D offset;
    tagKRN3D target;
    double distance;
    double zoom;  // 0 keeps the zoom
    Scenery scenery;
    uint32_t phase;  // 0 jumps; else a change of 30 ticks
};
// clang-format off
constexpr ModeRow kModes[kCameraModes] = {
    {0x5000, "%s CAM",              EYE_TABLE, {0, 20, 0, 0},       {20, 0, 0, 0},  350.0, 50.0, SCENERY_KEEP, kPhaseTurnAway},
    {0x6000, "%s HANEDA TOWER CAM", EYE_TOWER, {},                  {0, 10, 0, 0},  -30.0, 50.0, SCENERY_KEEP, kPhaseFixed},
    {0x6000, "%s RWY34L CAM",       EYE_TABLE, {-23, 4, -615, 0},   {0, 10, 0, 0},  -30.0, 35.0, SCENERY_NEAR, 0},
    {0x6000, "%s RWY34R CAM",       EYE_TABLE, {787, 4, -461, 0},   {0, 10, 0, 0},  -30.0, 35.0, SCENERY_NEAR, 0},
    {0x6000, "%s RWY16L CAM",       EYE_TABLE, {426, 4, 555, 0},    {0, 10, 0, 0},  -30.0, 35.0, SCENERY_FAR,  0},
    {0x6000, "%s RWY16R CAM",       EYE_TABLE, {-471, 4, 441, 0},   {0, 10, 0, 0},  -30.0, 35.0, SCENERY_FAR,  0},
    {0x6000, "%s RWY22 CAM",        EYE_TABLE, {-40, 4, 625, 0},    {0, 10, 0, 0},  -30.0, 35.0, SCENERY_FAR,  0},
    {0x6000, "%s RWY04 CAM",        EYE_TABLE, {-700, 4, -34, 0},   {0, 10, 0, 0},  -30.0, 35.0, SCENERY_FAR,  0},
    {0x6000, "%s OUTSIDE CAM",      EYE_TABLE, {-475, 10, -625, 0}, {0, 10, 0, 0},  -30.0, 50.0, SCENERY_NEAR, 0},
    {0x6000, "%s BIRDEYE CAM",      EYE_TABLE, {125, 70, -132, 0},  {0, 10, 0, 0},  -30.0, 35.0, SCENERY_FAR,  0},
    {0x4000, "PILOT CAM",           EYE_TABLE, {0, 10, 0, 0},       {5, 180, 0, 0}, -20.0, 0,    SCENERY_KEEP, 0},
    {0x1000, "UPPER CAM",           EYE_TABLE, {0, 1000, 0, 0},     {90, 0, 0, 0},  1500.0, 0,   SCENERY_KEEP, 0},
    {0x1000, "UPPER ZOOM CAM",      EYE_TABLE, {0, 500, 0, 0},      {90, 0, 0, 0},  50.0, 0,     SCENERY_KEEP, 0},
};
// clang-format on

uint32_t ModeOf(uint32_t state) { return state & kCameraModeMask; }
uint32_t PhaseOf(uint32_t state) { return (state & kCameraPhaseMask) >> kCameraPhaseShift; }
void SetPhase(CameraRecord& c, uint32_t phase) {
    c.state = (c.state & ~kCameraPhaseMask) | CameraPhase(phase);
}
bool Mode(uint32_t mode) { return mode >= 0x1000 && mode <= 0x7000 && !(mode & 0xfff); }

const ObjectRecord* UsedObject(int slot) {
    const ObjectTable* t = GetObjectTable();
    if (!t || slot < 0 || slot >= kObjectSlots) return nullptr;
    const ObjectRecord& o = (*t)[size_t(slot)];
    return o.used ? &o : nullptr;
}
const AircraftRecord* Aircraft(int slot) {
    const AircraftTable* t = GetAircraftTable();
    if (!t || slot < 0 || slot >= kAircraftSlots) return nullptr;
    return &(*t)[size_t(slot)];
}
// The view point of the area the object stands in (aircraft carry their area; others are at
// the airport).
const ViewPoint& AreaViewPoint(int slot) {
    const AircraftRecord* a = Aircraft(slot);
    return GetViewPoint(kViewPointFirst + (a ? a->area : 0));
}

// value += (goal - value) x 1.0 / n on x, y and z; n below 1 reaches the goal.
void Share(tagKRN3D* value, const tagKRN3D& goal, int n) {
    const double f = 1.0 / (n < 1 ? 1 : n);
    value->x += (goal.x - value->x) * f;
    value->y += (goal.y - value->y) * f;
    value->z += (goal.z - value->z) * f;
}
void Share(double* value, double goal, int n) {
    *value += (goal - *value) * (1.0 / (n < 1 ? 1 : n));
}

void SetEngineCamera(CameraRecord& c) {
    if (tagKRN* engine = GetEngine())
        KRN_Camera(engine, 0, &c.eye, &c.rotate, &c.scale, c.zoom, 0.0);
}

// Where the mode's steady view stands now: its eye and angles.
void PlaceView(const CameraRecord& c, tagKRN3D* eye, tagKRN3D* angles) {
    switch (ModeOf(c.state)) {
        case 0x1000:
        case 0x2000:
        case 0x3000:
            if (CameraOffsetFromObject(&c.target, c.object, eye)) *angles = c.target;
            break;
        case 0x4000:
            CameraOffsetFromAngles(&c.target, c.object, eye, angles);
            break;
        case 0x5000: {
            const tagKRN3D point = AreaViewPoint(c.object).point;
            CameraOffsetToward(&c.offset, &point, c.object, kObjectAirport, eye, angles);
            break;
        }
        case 0x6000:
            CameraOffsetToward(&c.offset, &c.target, kObjectAirport, c.object, eye, angles);
            break;
        case 0x7000:
            CameraOffsetToward(&c.offset, &c.target, c.object, c.object2, eye, angles);
            break;
        default:
            break;
    }
}

// A tick at rest: the turning modes turn, then the view is placed anew.
void PlaceByMode(CameraRecord& c) {
    const uint32_t mode = ModeOf(c.state);
    if (mode == 0x2000 || mode == 0x3000) {
        c.target.y += mode == 0x2000 ? 0.005 : 0.5;
        if (c.target.y >= 360) c.target.y -= 360;
        if (c.target.y < 0) c.target.y += 360;
    }
    PlaceView(c, &c.eye, &c.rotate);
}

// The goal of a transition: the mode's view (for 0x7000 its steady view too, so that the view
// does not turn round after the change), its angles taken the short way round.
void ComputeGoal(CameraRecord& c) {
    const uint32_t mode = ModeOf(c.state);
    if (!Mode(mode)) return;
    PlaceView(c, &c.goaleye, &c.goalrot);
    UnwrapAngles(&c.goalrot, &c.goalrot, &c.rotate);
    // The pilot's view moves with the aircraft's attitude: its goal is taken anew every tick.
    c.ready = mode == 0x4000 ? 0 : 1;
}

void EndPhase(CameraRecord& c, uint32_t next) {
    SetPhase(c, next);
    c.ready = 0;
}

// One tick of a transition.
void StepPhase(CameraRecord& c) {
    if (GetConfig().cameramove == 0) SetPhase(c, kPhaseJump);
    UpdateEffectVolumes();
    const int n = c.count;
    switch (PhaseOf(c.state)) {
        case kPhaseJump:
            c.distance = c.goaldist;
            ComputeGoal(c);
            c.rotate = c.goalrot;
            c.eye = c.goaleye;
            SetEngineCamera(c);
            SetPhase(c, 0);
            return;
        case kPhaseGlide:
            if (!c.ready) {
                c.distance = c.goaldist;
                ComputeGoal(c);
            }
            Share(&c.eye, c.goaleye, n);
            Share(&c.rotate, c.goalrot, n);
            Share(&c.distance, c.goaldist, n);
            SetEngineCamera(c);
            if (--c.count < 1) EndPhase(c, 0);
            return;
        case kPhaseTurnAway: {
            // First turn at the old aircraft toward the new one, the eye kept above ground.
            if (!c.ready) {
                const tagKRN3D start = c.object2 >= kObjectAirport ? kPanoramicStart : c.offset;
                CameraOffsetToward(&start, &c.target, c.object2, c.object, &c.goaleye, &c.goalrot);
                UnwrapAngles(&c.goalrot, &c.goalrot, &c.rotate);
                c.count0 = c.count;
                c.count /= 3;
                c.ready = 1;
            }
            const int m = c.count;
            Share(&c.rotate, c.goalrot, m);
            Share(&c.distance, c.goaldist, m);
            CameraOffsetFromObject(&c.rotate, c.object2, &c.goaleye);
            const double floor = GetViewPoint(kObjectAirport).height + 5;
            if (c.goaleye.y < floor) c.goaleye.y = floor;
            c.eye = c.goaleye;
            SetEngineCamera(c);
            if (--c.count < 1) EndPhase(c, kPhaseMove);
            return;
        }
        case kPhaseMove:
            // Then the eye travels to the new aircraft, still looking the same way.
            if (!c.ready) {
                c.count = c.count0 / 3;
                c.ready = 1;
            }
            CameraOffsetFromObject(&c.rotate, c.object, &c.goaleye);
            c.goalrot = c.rotate;
            Share(&c.eye, c.goaleye, c.count);
            Share(&c.rotate, c.goalrot, c.count);
            SetEngineCamera(c);
            if (--c.count < 1) {
                EndPhase(c, kPhaseTurnTo);
                c.count = c.count0 / 3;
            }
            return;
        case kPhaseTurnTo:
            // Last it turns to the mode's own view of the new aircraft.
            if (!c.ready) ComputeGoal(c);
            Share(&c.rotate, c.goalrot, n);
            CameraOffsetFromObject(&c.rotate, c.object, &c.goaleye);
            c.eye = c.goaleye;
            SetEngineCamera(c);
            if (--c.count < 1) EndPhase(c, 0);
            return;
        case kPhaseFixed:
            c.distance = c.goaldist;
            SetPhase(c, kPhaseFixedTurn);
            [[fallthrough]];
        case kPhaseFixedTurn: {
            // A fixed eye turning toward the aircraft, which goes on moving.
            if (!c.ready) ComputeGoal(c);
            Share(&c.rotate, c.goalrot, n);
            const tagKRN3D back = {0, 0, c.distance, 0};
            tagKRN3D turned;
            RotateVector3(&turned, &back, &c.rotate);
            const ObjectRecord* airport = UsedObject(kObjectAirport);
            const tagKRN3D base = airport ? airport->pos : tagKRN3D{};
            c.goaleye = tagKRN3D{base.x - turned.x + c.offset.x, base.y - turned.y + c.offset.y,
                                 base.z - turned.z + c.offset.z, 0};
            c.eye = c.goaleye;
            SetEngineCamera(c);
            c.ready = 0;
            if (--c.count < 1) EndPhase(c, 0);
            return;
        }
        default:
            EndPhase(c, 0);
            return;
    }
}

void SwitchLayer(tagKRNL* layer, int on) {
    if (layer) KRNL_RecallFunction(KRNLOP_SWITCH, layer, 0, on, 0);
}

// The near airport (1) or the far one (0), switched only when it changes.
void ShowNearScenery(int nearview) {
    AirportLayers& l = GetAirportLayers();
    if (l.nearshown == nearview) return;
    SwitchLayer(nearview ? l.airportoff : l.airporton, 0);
    SwitchLayer(nearview ? l.airporton : l.airportoff, 1);
    l.nearshown = nearview;
}

void SceneryByEye(const CameraRecord& c) {
    const int selected = GetSelectedAircraft();
    const AircraftRecord* a = Aircraft(selected);
    if (a && a->area == 0) {
        const int64_t x = int64_t(c.eye.x), z = int64_t(c.eye.z);
        ShowNearScenery(x * x + z * z < 100000000 ? 1 : 0);
    }
    const int woods = c.eye.y <= 100.0 ? 1 : 0;
    if (woods == g_woods) return;
    const AirportLayers& l = GetAirportLayers();
    for (tagKRNL* w : l.woods) SwitchLayer(w, woods);
    g_woods = woods;
}

// The rain rides with the eye; otherwise the smoke trail emits and its particles move.
void WeatherStep(const CameraRecord& c) {
    const WeatherLayers& w = GetWeatherLayers();
    if (IsRainStage()) {
        const StageWeather& s = GetStageWeather();
        MoveAutoRain(w.rain, &c.eye, s.winddir - 180, s.windspeed * 2);
        return;
    }
    if (!w.smoke) return;
    const SmokeSource& s = GetSmokeSource();
    if (s.on) {
        if (const ObjectRecord* o = UsedObject(s.slot); o && s.slot < kAircraftSlots) {
            tagKRN3D tail;
            RotateVector3(&tail, &s.offset, &o->angle);
            const tagKRN3D at = {o->pos.x + tail.x, o->pos.y + tail.y, o->pos.z + tail.z, 0};
            EmitParticle(w.smoke, 0, &at);
        }
    }
    AnimateParticles(w.smoke);
}

void SetCaption(const char* format, const char* callsign) {
    std::snprintf(g_caption, sizeof g_caption, format, callsign);
    GameTrace("camera %d %s", g_mode, g_caption);
}

// The box of the airport's named spots and runways (world units): its centre on the ground
// and its extents along x and z; a box of 1000 round the origin when the record names none.
void AirportBox(tagKRN3D* centre, double* xspan, double* zspan) {
    double x0 = 0, x1 = 0, z0 = 0, z1 = 0;
    bool any = false;
    auto take = [&](const AirportPlace& p) {
        if (!p.name[0]) return;
        const double x = p.x / 100.0, z = p.z / 100.0;
        if (!any || x < x0) x0 = x;
        if (!any || x > x1) x1 = x;
        if (!any || z < z0) z0 = z;
        if (!any || z > z1) z1 = z;
        any = true;
    };
    if (const AirportRecord* rec = GetAirportRecord()) {
        for (const AirportPlace& p : rec->spots) take(p);
        for (const AirportPlace& p : rec->arrivals) take(p);
        for (const AirportPlace& p : rec->departures) take(p);
    }
    if (!any) x0 = z0 = -500, x1 = z1 = 500;
    *centre = tagKRN3D{(x0 + x1) / 2, 0, (z0 + z1) / 2, 0};
    *xspan = x1 - x0;
    *zspan = z1 - z0;
}

}  // namespace

CameraRecord& GetCameraRecord() { return g_camera; }
const char* GetCameraCaption() { return g_caption; }

void CameraReset() {
    CameraRecord& c = g_camera;
    c.state = 0x100;
    c.object = 0;
    c.eye = tagKRN3D{};
    c.rotate = tagKRN3D{};
    c.scale = tagKRN3D{1, 1, 1, 0};
    c.zoom = 50.0;
    c.distance = 0;
    g_woods = -1;
    g_preview = 0;
}

int SetCamera(uint32_t code, int slot, const tagKRN3D* offset, const tagKRN3D* target,
              double distance) {
    CameraRecord& c = g_camera;
    if (code == 0) code = c.state;
    if (!(code & kCameraPhaseMask)) code |= CameraPhase(kPhaseJump);
    const uint32_t mode = ModeOf(code);
    if (!Mode(mode)) return 0;
    if (slot == -1 || (slot == -2 && mode >= 0x5000)) slot = c.object;
    if (!UsedObject(slot)) return 0;
    c.state = code;
    c.object = slot;
    g_preview = 0;  // any other view ends the route preview's
    if (mode <= 0x4000 && (code & kCameraPhaseMask)) c.ready = 0;
    if (distance != 0.0) c.goaldist = distance;
    if (offset) c.offset = *offset;
    if (target) c.target = *target;
    return 1;
}

void SetDefaultCamera(int ticks, int far) {
    const ScenarioWorld& w = GetScenarioHeader().world;
    const tagKRN3D offset = {double(w.eye[0]), double(w.eye[1]), double(w.eye[2]), 0};
    const tagKRN3D target = {double(w.aim[0]), double(w.aim[1]), double(w.aim[2]), 0};
    const uint32_t mode = far ? 0x2000 : 0x1000;
    int set = 0;
    if (ticks <= 0) {
        set = SetCamera(mode, kObjectAirport, &offset, &target, w.distance);
    } else {
        if (GetSelectedAircraft() >= 0) ShowMarker(1);
        set = SetCamera(mode | CameraPhase(kPhaseGlide), kObjectAirport, &offset, &target,
                        w.distance);
        if (set) g_camera.count = ticks;
    }
    // A scenario distance of 0 is the view from the eye itself, not the distance of the view
    // before (which SetCamera keeps for 0).
    if (set) g_camera.goaldist = w.distance;
    SetCaption("%s", "PANORAMIC CAM");
    DrawInfoLine();
}

void SetPreviewCamera() {
    tagKRN3D centre;
    double xspan = 0, zspan = 0;
    AirportBox(&centre, &xspan, &zspan);
    // The longer side lies across the view: looking north (heading 0) it is x, looking east
    // (90) it is z. At zoom z the view's half width is 17.5 / z of the distance.
    const bool north = xspan >= zspan;
    const double across = north ? xspan : zspan;
    const double zoom = g_camera.zoom > 0 ? g_camera.zoom : 50.0;
    double distance = (across / 2 + 100) * zoom / 17.5;
    const tagKRN* engine = GetEngine();
    if (engine && engine->distance != -1.0 && engine->top > 0 &&
        distance > engine->top * kPreviewFogShare)
        distance = engine->top * kPreviewFogShare;
    const tagKRN3D target = {kPreviewPitch, north ? 0.0 : 90.0, 0, 0};
    if (SetCamera(0x1000 | CameraPhase(kPhaseGlide), kObjectAirport, &centre, &target, distance)) {
        g_camera.count = kPreviewTicks;
        g_preview = 1;
    }
    SetCaption("%s", "PREVIEW CAM");
    DrawInfoLine();
}

int IsPreviewCamera() { return g_preview; }

void SetCameraModeNumber(int mode) {
    if (mode >= 0 && mode < kCameraModes) g_mode = mode;
}
int GetCameraModeNumber() { return g_mode; }

void SetCameraMode(int select, int slot) {
    if (slot < 0) return;
    if (select) {
        // The mode is applied below: the menu's clearing need not set the camera back first.
        g_preview = 0;
        DrawFlightInfo(slot);
        BuildCommandMenu(slot);
        // A menu that previews routes keeps the camera over the airport; the mode is applied
        // when the menu is cleared.
        if (g_preview) return;
    }
    CameraRecord& c = g_camera;
    const ModeRow& row = kModes[g_mode];
    tagKRN3D offset = row.offset;
    if (row.eye == EYE_TOWER) offset = AreaViewPoint(slot).eye;
    const uint32_t phase = PhaseOf(c.state);
    const int followed = c.object;
    if (!SetCamera(row.mode, slot, &offset, &row.target, row.distance)) return;
    // A change that starts from rest (or from the last part of a change) starts from the view
    // of the object followed so far.
    if (phase == 0 || phase == kPhaseTurnTo) c.object2 = followed;
    if (row.zoom > 0) c.zoom = row.zoom;
    c.ready = 0;
    if (row.phase) {
        SetPhase(c, row.phase);
        c.count = 30;
    }
    if (row.scenery != SCENERY_KEEP) ShowNearScenery(row.scenery == SCENERY_NEAR ? 1 : 0);
    const AircraftRecord* a = Aircraft(slot);
    const char* callsign = a ? a->callsign : "";
    if (row.eye == EYE_TOWER && !select)
        SetCaption("%s", "TOWER CAM");
    else
        SetCaption(row.caption, callsign);
    DrawInfoLine();
}

void CameraMain(int ticks) {
    if (ticks <= 0) return;
    CameraRecord& c = g_camera;
    bool moved = false;
    for (int k = 0; k < ticks; ++k) {
        if (PhaseOf(c.state) == 0) {
            PlaceByMode(c);
            SetEngineCamera(c);
        } else {
            StepPhase(c);
            moved = true;
        }
    }
    SceneryByEye(c);
    if (moved || GetStageState() == STAGE_PLAY) WeatherStep(c);
}
