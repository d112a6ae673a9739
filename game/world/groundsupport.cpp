// The ground-support objects: loaded at stage set-up into their reserved object slots, freed at
// exit, and animated once per frame (smoke puffs and sprays, tugs at their aircraft, the
// propeller frames, the marshallers' signs and the service cars' cargo runs).
#include <cstdio>

#include "base/base.h"
#include "simulation/simulation.h"
#include "world/ground_internal.h"

namespace {

GroundParts g_parts = {};

// A speed of 1 knot (0.5144... units a tick) and 2.667 knots: below the first a following
// smoke stops, below the second the water smoke sinks toward the ground.
constexpr double kSmokeStopSpeed = 0.5144444444444445;
constexpr double kWaterFullSpeed = 1.3718518518518519;

tagKRNL* Find(tagKRNL* layer, const char* name) {
    return layer ? KRNL_SearchLayer(layer, name) : nullptr;
}
tagKRNL* LayerOf(int slot) {
    const ObjectRecord* o = GroundObject(slot);
    return o ? o->layer : nullptr;
}

// Loads the pair of an object into its two slots, switched off. 0 when a file failed (the
// loader has told the user and asked for the stage's end).
int LoadPair(int slot, const char* file, const char* name1, const char* name2) {
    if (!LoadLayerObject(slot, file, name1) || !LoadLayerObject(slot + 1, file, name2)) return 0;
    SwitchGround(LayerOf(slot), 0);
    SwitchGround(LayerOf(slot + 1), 0);
    return 1;
}

void FindPatterns(int slot, const char* format, int count) {
    tagKRNL* layer = LayerOf(slot);
    for (int i = 0; i < count && i < kSmokePatterns; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, format, i);
        g_parts.smoke[slot - kSlotSmoke1][i] = Find(layer, name);
    }
}

void FindCarParts(int car) {
    tagKRNL* layer = LayerOf(kSlotCar1 + car);
    tagKRNL** p = g_parts.car[car];
    p[CAR_TOING] = Find(layer, "toing");
    p[CAR_LIGHT] = Find(p[CAR_TOING], "light");
    p[CAR_B7] = Find(p[CAR_TOING], "bbox7");
    p[CAR_B8] = Find(p[CAR_TOING], "bbox8");
    p[CAR_B9] = Find(p[CAR_TOING], "bbox9");
    p[CAR_BLT] = Find(layer, "blt");
    p[CAR_B1] = Find(p[CAR_BLT], "bbox1");
    p[CAR_B2] = Find(p[CAR_BLT], "bbox2");
    p[CAR_B3] = Find(p[CAR_BLT], "bbox3");
    p[CAR_FUDOBOX] = Find(layer, "fudobox");
    p[CAR_HL] = Find(layer, "hl");
    p[CAR_H4] = Find(p[CAR_HL], "hbox4");
    p[CAR_H5] = Find(p[CAR_HL], "hbox5");
    p[CAR_H6] = Find(p[CAR_HL], "hbox6");
    p[CAR_FUEL] = Find(layer, "fuel");
    p[CAR_FUELLIGHT] = Find(p[CAR_FUEL], "light");
    p[CAR_CS] = Find(layer, "cs");
    p[CAR_BUS] = Find(layer, "bus");
    p[CAR_MC] = Find(layer, "mc");
    p[CAR_RMP] = Find(layer, "rmp");
}

// The water smoke's chips go to the fixed slots after the runway lights', so that the layers
// loaded later keep theirs.
void FixWaterSmoke(int slot) {
    tagKRNL* layer = LayerOf(slot);
    tagKRN* engine = GetEngine();
    if (!layer || !engine) return;
    AirportLayers& l = GetAirportLayers();
    KRNL_RecallFunction(KRNLOP_RENUMBER, layer, engine->chipmax - 1000 + l.reserved, 0, 0);
    int chips = 0;
    KRNL_CountLayer(layer, nullptr, &chips, nullptr);
    l.reserved += chips;
}

const ObjectRecord* Body(int aircraft) {
    const ObjectRecord* o = GroundObject(aircraft);
    return aircraft >= 0 && aircraft < kAircraftSlots ? o : nullptr;
}
const AircraftRecord* Plane(int aircraft) {
    const AircraftTable* t = GetAircraftTable();
    if (!t || aircraft < 0 || aircraft >= kAircraftSlots) return nullptr;
    return &(*t)[size_t(aircraft)];
}

tagKRN3D Plus(const tagKRN3D& a, const tagKRN3D& b) {
    return tagKRN3D{a.x + b.x, a.y + b.y, a.z + b.z, 0};
}
tagKRN3D Turned(const tagKRN3D& v, double heading) {
    tagKRN3D out;
    RotateY(&out, &v, heading);
    return out;
}

// Step 1: a smoke object's frame; its layer hidden, then one pattern shown.
void AnimateSmoke(int slot, int ticks) {
    ObjectRecord* o = GroundObject(slot);
    if (!o || o->kind < 1 || o->kind > 3 || o->state <= 0) return;
    o->state += ticks;
    const int frame = o->state / 8;
    tagKRNL* const* pattern = g_parts.smoke[slot - kSlotSmoke1];
    SwitchGround(o->layer, 0);
    const auto stop = [o] { o->state = o->kind = 0; };
    if (o->kind == 1) {
        if (frame < kSmokePatterns)
            SwitchGround(pattern[frame], 1);
        else
            stop();
        return;
    }
    const ObjectRecord* a = Body(o->flight);
    if (!a) return stop();
    tagKRN3D at = a->pos;
    if (o->kind == 2) {
        // The spray trails the aircraft by its stored offset and sinks as it thins.
        at = Plus(at, o->angle);
        at.y -= frame * 0.5;
        if (o->layer) KRNL_AbsMoveLayer(o->layer, &at, nullptr, nullptr);
        if (a->speed > kSmokeStopSpeed)
            SwitchGround(pattern[frame % 3], 1);
        else
            stop();
        return;
    }
    const double s = a->speed;
    if (s <= kSmokeStopSpeed) return stop();
    if (s <= kWaterFullSpeed) at.y -= (kWaterFullSpeed - s) * 12.0;
    SwitchGround(pattern[frame % 3], 1);
    if (o->layer) KRNL_AbsMoveLayer(o->layer, &at, nullptr, nullptr);
}

// Step 2: a tug stays at the nose of its aircraft, or pushes it back.
void FollowWithTug(int tug) {
    ObjectRecord* t = GroundObject(kSlotTug1 + tug);
    if (!t || t->state <= 0) return;
    const int owner = t->state - 1;
    const ObjectRecord* a = Body(owner);
    const AircraftRecord* p = Plane(owner);
    if (!a || !p) return;
    const int night = GetScenarioHeader().night;
    tagKRNL* const* light = g_parts.tuglight[tug];
    const double nose = p->typeoffset / 10;
    if (p->phase == PHASE_PUSHBACK) {
        const tagKRN3D at = Plus(a->pos, Turned(tagKRN3D{0, 0, nose, 0}, a->angle.y));
        const double h = Bearing(&at, &t->pos);
        t->pos = Plus(at, Turned(tagKRN3D{0, 0, -12, 0}, h));
        t->angle = a->angle;
        t->angle.y = h;
        if (night && light[0] && light[1]) {
            SwitchGround(light[1], 1);
            SwitchGround(light[0], 0);
        }
    } else {
        t->pos = Plus(a->pos, Turned(tagKRN3D{0, 0, (p->typeoffset / 10) - 12.0, 0}, a->angle.y));
        t->angle = a->angle;
        if (night && light[0] && light[1]) {
            SwitchGround(light[0], 1);
            SwitchGround(light[1], 0);
        }
    }
    if (t->layer) KRNL_AbsMoveLayer(t->layer, &t->pos, &t->angle, nullptr);
}

// Step 3: the selected aircraft's propeller frames, 4 ticks each.
void TurnPropellers() {
    const int selected = GetSelectedAircraft();
    const ObjectRecord* o = Body(selected);
    if (!g_parts.propeller || !o) return;
    tagKRNL* frames[4] = {o->brdon, o->blades[0], o->blades[1], o->blades[2]};
    for (tagKRNL* f : frames) SwitchGround(f, 0);
    SwitchGround(frames[(GetGameClock().ticks / 4) % 4], 1);
}

// Step 4: a marshaller waves the aircraft in, then shows the stop sign and leaves.
void Signal(int figure, int ticks) {
    ObjectRecord* m = GroundObject(kSlotMarshal1 + figure);
    if (!m || m->count <= 0) return;
    tagKRNL* const* sign = g_parts.marshal[figure];  // up1, up2, up3, stop
    if (m->kind == 2010) {
        m->count += ticks;
        const int frame = m->count / 8;
        if (frame == 3) {
            m->count = 1;
        } else if (frame < 3) {
            for (int i = 0; i < 4; ++i)
                if (i != frame) SwitchGround(sign[i], 0);
            SwitchGround(sign[frame], 1);
        }
    } else if (m->kind == 2020) {
        m->count += ticks;
        if (m->count <= 60) {
            for (int i = 0; i < 3; ++i) SwitchGround(sign[i], 0);
            SwitchGround(sign[3], 1);
        } else {
            m->count = m->kind = m->state = 0;
            SwitchGround(m->layer, 0);
        }
    }
}

// Step 5: the cargo runs, a box a step of 60 ticks.
struct RunStep {
    uint32_t hide, show;
    int end;  // the last step's limit: the car goes idle once its counter passes it
};
constexpr uint32_t B1 = Part(CAR_B1), B2 = Part(CAR_B2), B3 = Part(CAR_B3), H4 = Part(CAR_H4),
                   H5 = Part(CAR_H5), H6 = Part(CAR_H6), B7 = Part(CAR_B7), B8 = Part(CAR_B8),
                   B9 = Part(CAR_B9);
// clang-format off
constexpr RunStep kRuns[4][10] = {
    // 3000: loading over the belt loader: boxes leave the carts and climb B3, B2, B1
    {{B7, B3, 0}, {B3, B2, 0}, {B2, B1, 0}, {B1 | B8, B3, 0}, {B3, B2, 0}, {B2, B1, 0},
     {B1 | B9, B3, 0}, {B3, B2, 0}, {B2, B1, 0}, {B1, 0, 60}},
    // 3100: loading over the high-lift loader: H6, H5, H4
    {{B7, H6, 0}, {H6, H5, 0}, {H5, H4, 0}, {H4 | B8, H6, 0}, {H6, H5, 0}, {H5, H4, 0},
     {H4 | B9, H6, 0}, {H6, H5, 0}, {H5, H4, 0}, {H4, 0, 60}},
    // 3200: unloading over the belt loader onto the carts
    {{0, B1, 0}, {B1, B2, 0}, {B2, B3, 0}, {B3, B7 | B1, 0}, {B1, B2, 0}, {B2, B3, 0},
     {B3, B8 | B1, 0}, {B1, B2, 0}, {B2, B3, 0}, {B3, B9, 55}},
    // 3300: unloading over the high-lift loader onto the carts
    {{0, H4, 0}, {H4, H5, 0}, {H5, H6, 0}, {H6, B7 | H4, 0}, {H4, H5, 0}, {H5, H6, 0},
     {H6, B8 | H4, 0}, {H4, H5, 0}, {H5, H6, 0}, {H6, B9, 55}},
};
// clang-format on
const RunStep* StepOf(int state) {
    if (state < 3000 || state > 3390 || state % 10) return nullptr;
    return &kRuns[(state - 3000) / 100][(state % 100) / 10];
}

void RunCargo(int car, int ticks) {
    ObjectRecord* c = GroundObject(kSlotCar1 + car);
    if (!c) return;
    c->count += ticks;
    const RunStep* step = StepOf(c->kind);
    if (!step) return;
    SwitchCarParts(car, step->hide, 0);
    SwitchCarParts(car, step->show, 1);
    if (step->end) {
        if (c->count > step->end) c->kind = c->count = 0;
    } else if (c->count > 60) {
        c->kind += 10;
        c->count -= 60;
    }
}

}  // namespace

GroundParts& GetGroundParts() { return g_parts; }

ObjectRecord* GroundObject(int slot) {
    ObjectTable* t = GetObjectTable();
    if (!t || slot < 0 || slot >= kObjectSlots) return nullptr;
    return &(*t)[size_t(slot)];
}

void SwitchGround(tagKRNL* layer, int on) {
    if (layer) KRNL_RecallFunction(KRNLOP_SWITCH, layer, 0, on, 0);
}

void SwitchCarParts(int car, uint32_t mask, int on) {
    if (car < 0 || car > 1) return;
    for (int p = 0; p < kCarParts; ++p)
        if (mask & Part(CarPart(p))) SwitchGround(g_parts.car[car][p], on);
}

void SetPropellerSelector(int value) { g_parts.propeller = value; }
int GetPropellerSelector() { return g_parts.propeller; }

void SetupGroundSupport() {
    g_parts = GroundParts{};
    const int night = GetScenarioHeader().night;
    if (!LoadPair(kSlotTug1, "gs\\tag2\\tag.plm", "tag1", "tag2")) return;
    for (int t = 0; t < 2; ++t) {
        g_parts.tuglight[t][0] = Find(LayerOf(kSlotTug1 + t), "f_light");
        g_parts.tuglight[t][1] = Find(LayerOf(kSlotTug1 + t), "b_light");
    }
    if (!LoadPair(kSlotCar1, "gs\\gs_car\\gs_car.plm", "gs_car1", "gs_car2")) return;
    FindCarParts(0);
    FindCarParts(1);
    if (!LoadPair(kSlotPc1, "gs\\pc\\pc.plm", "pc1", "pc2")) return;
    if (!LoadPair(kSlotMarshal1, night ? "gs\\ms\\ms_n.plm" : "gs\\ms\\ms.plm", "ms1", "ms2"))
        return;
    static const char* const kSigns[4] = {"up1", "up2", "up3", "stop"};
    for (int m = 0; m < 2; ++m)
        for (int i = 0; i < 4; ++i)
            g_parts.marshal[m][i] = Find(LayerOf(kSlotMarshal1 + m), kSigns[i]);
    if (!IsRainStage()) {
        if (!LoadPair(kSlotSmoke1, "etc\\smoke.plm", "smk1", "smk2")) return;
        FindPatterns(kSlotSmoke1, "smake%d", 6);
        FindPatterns(kSlotSmoke2, "smake%d", 6);
        return;
    }
    if (!LoadPair(kSlotSmoke1, "etc\\ldgwater.plm", "smk1", "smk2")) return;
    FindPatterns(kSlotSmoke1, "ldgwpat%d", 3);
    FindPatterns(kSlotSmoke2, "ldgwpat%d", 3);
    if (!LoadPair(kSlotSmoke3, "etc\\watersmoke.plm", "smk3", "smk4")) return;
    FindPatterns(kSlotSmoke3, "wsmkpat%d", 3);
    FindPatterns(kSlotSmoke4, "wsmkpat%d", 3);
    FixWaterSmoke(kSlotSmoke3);
    FixWaterSmoke(kSlotSmoke4);
}

void ReleaseGroundSupport() {
    for (int slot = kSlotGroundFirst; slot <= kSlotGroundLast; ++slot) DeleteObject(slot);
    if (IsRainStage()) {
        DeleteObject(kSlotSmoke4);
        DeleteObject(kSlotSmoke3);
    }
    for (int slot :
         {int(kSlotSmoke2), int(kSlotSmoke1), int(kSlotMarshal2), int(kSlotMarshal1), int(kSlotPc2),
          int(kSlotPc1), int(kSlotCar1), int(kSlotCar2), int(kSlotTug2), int(kSlotTug1)})
        DeleteObject(slot);
    g_parts = GroundParts{};
}

int IsGroundSupportFree() {
    const auto owner = [](int slot) {
        const ObjectRecord* o = GroundObject(slot);
        return o ? o->state : 0;
    };
    return (owner(kSlotTug1) == 0 && owner(kSlotCar1) == 0) ||
                   (owner(kSlotTug2) == 0 && owner(kSlotCar2) == 0)
               ? 1
               : 0;
}

int CheckTugForAircraft(int slot) {
    const ObjectRecord* t1 = GroundObject(kSlotTug1);
    const ObjectRecord* t2 = GroundObject(kSlotTug2);
    if (!t1 || !t2) return 0;
    if (t1->state == slot + 1 || t2->state == slot + 1) return 2;
    return t1->state == 0 || t2->state == 0 ? 1 : 0;
}

void GroundSupportMain(int ticks) {
    if (!GetObjectTable() || ticks < 0) return;
    for (int slot = kSlotSmoke1; slot <= kSlotSmoke4; ++slot) AnimateSmoke(slot, ticks);
    FollowWithTug(0);
    FollowWithTug(1);
    TurnPropellers();
    Signal(0, ticks);
    Signal(1, ticks);
    RunCargo(0, ticks);
    RunCargo(1, ticks);
}
