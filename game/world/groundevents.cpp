// Ground events: the apron's answer to an aircraft's doings. An event claims, places and
// starts the ground-support objects (smoke and spray at touchdown, tugs, service cars, the
// boarding bridge, the marshaller) or speaks a cabin announcement; what it does depends on the
// aircraft's service pattern.
#include <cstdio>

#include "controller/controller.h"
#include "base/base.h"
#include "simulation/simulation.h"
#include "tov42.h"
#include "world/ground_internal.h"

namespace {

// The service pattern groups: each value of a group behaves alike in every vehicle event.
enum Group { GROUP_NONE, GROUP_P1, GROUP_P2, GROUP_P3, GROUP_P4, GROUP_P5 };
Group GroupOf(int pattern) {
    switch (pattern) {
        case 0x111:
        case 0x411:
            return GROUP_P1;
        case 0x211:
        case 0x811:
            return GROUP_P2;
        case 0x121:
        case 0x421:
            return GROUP_P3;
        case 0x221:
        case 0x821:
            return GROUP_P4;
        case 0x122:
        case 0x422:
            return GROUP_P5;
        default:
            return GROUP_NONE;
    }
}

constexpr uint32_t kLight = Part(CAR_LIGHT);
constexpr uint32_t kLoaders = Part(CAR_TOING) | Part(CAR_BLT) | Part(CAR_MC) | Part(CAR_RMP);
constexpr uint32_t kBelt = Part(CAR_B1) | Part(CAR_B2) | Part(CAR_B3);
constexpr uint32_t kHigh = Part(CAR_H4) | Part(CAR_H5) | Part(CAR_H6);
// What the service-car events do to the car by group: event 10 (the car shown whole, then these
// parts hidden, then an unloading run), event 21 (shown, hidden, a loading run) and event 22.
struct CarWork {
    uint32_t hide10;
    int run10;
    uint32_t show21, hide21;
    int run21;
    uint32_t show22;
};
// clang-format off
constexpr CarWork kCarWork[6] = {
    {},
    // P1: high-lift loader, boarding bridge; "fudobox" while loading
    {Part(CAR_CS) | Part(CAR_BUS) | Part(CAR_FUEL) | Part(CAR_FUDOBOX) | kCarBoxes | kLight, 3300,
     Part(CAR_FUDOBOX) | kLoaders | Part(CAR_HL), kLight | kBelt | kHigh, 3100, 0},
    // P2: high-lift loader; "cs" stays; bus and "cs" come with the refuelling end
    {Part(CAR_FUEL) | Part(CAR_FUDOBOX) | Part(CAR_BUS) | kCarBoxes | kLight, 3300,
     kLoaders | Part(CAR_HL), kLight | kBelt | kHigh, 3100, Part(CAR_BUS) | Part(CAR_CS)},
    // P3: belt loader, boarding bridge
    {Part(CAR_CS) | Part(CAR_BUS) | Part(CAR_FUEL) | Part(CAR_FUDOBOX) | Part(CAR_HL) | kCarBoxes |
         kLight, 3200,
     kLoaders, kLight | kBelt, 3000, 0},
    // P4: belt loader; "cs" stays
    {Part(CAR_FUEL) | Part(CAR_FUDOBOX) | Part(CAR_HL) | Part(CAR_BUS) | kCarBoxes | kLight, 3200,
     kLoaders, kLight | kBelt, 3000, 0},
    // P5: belt loader; the bus stays and comes with the refuelling end
    {Part(CAR_CS) | Part(CAR_FUEL) | Part(CAR_FUDOBOX) | Part(CAR_HL) | kCarBoxes | kLight, 3200,
     kLoaders, kLight | kBelt, 3000, Part(CAR_BUS)},
};
// clang-format on

struct Event {
    int slot;
    ObjectRecord* body;
    AircraftRecord* plane;
    int pattern;
    Group group;
};

int Night() { return GetScenarioHeader().night; }

// The tractor's light burns at night: by day it is hidden with the parts that go.
uint32_t ByDay(uint32_t mask) { return Night() ? mask & ~kLight : mask; }

// The first of a pair that is free or already this aircraft's, or -1.
int ChoosePair(int first, int slot) {
    for (int s = first; s <= first + 1; ++s) {
        const ObjectRecord* o = GroundObject(s);
        if (o && (o->state == 0 || o->state == slot + 1)) return s;
    }
    return -1;
}

// A vehicle at the aircraft: its position `offset` ahead along the aircraft's heading, its
// angles the aircraft's; the layer is moved there, and with `keep` the record remembers it.
void PlaceAt(const Event& e, int vehicle, const tagKRN3D& offset, bool keep) {
    ObjectRecord* v = GroundObject(vehicle);
    if (!v) return;
    tagKRN3D ahead;
    RotateY(&ahead, &offset, e.body->angle.y);
    tagKRN3D at = {e.body->pos.x + ahead.x, e.body->pos.y + ahead.y, e.body->pos.z + ahead.z, 0};
    tagKRN3D angles = e.body->angle;
    if (keep) {
        v->pos = at;
        v->angle = angles;
    }
    if (v->layer) KRNL_AbsMoveLayer(v->layer, &at, &angles, nullptr);
}
tagKRN3D TugOffset(const Event& e) { return tagKRN3D{0, 0, e.plane->typeoffset / 10 - 12.0, 0}; }

void ShowTug(const Event& e, int tug, int owner) {
    ObjectRecord* t = GroundObject(tug);
    SwitchGround(t->layer, 1);
    for (tagKRNL* light : GetGroundParts().tuglight[tug - kSlotTug1]) SwitchGround(light, 0);
    t->state = owner ? e.slot + 1 : 0;
}

// Events 1-3: smoke or spray at the aircraft, turned to its heading.
void StartSmoke(const Event& e, int slot, int kind) {
    ObjectRecord* s = GroundObject(slot);
    const tagKRN3D angles = {0, e.body->angle.y, 0, 0};
    if (kind == 2) {
        const tagKRN3D behind = {0, 0, 20, 0};
        RotateVector3(&s->angle, &behind, &angles);
    }
    if (s->layer) KRNL_AbsMoveLayer(s->layer, &e.body->pos, &angles, nullptr);
    SwitchGround(GetGroundParts().smoke[slot - kSlotSmoke1][0], 1);
    s->state = 1;
    s->kind = kind;
    if (kind != 1) s->flight = e.slot;
}

int PushBackTug(const Event& e) {
    const int tug = ChoosePair(kSlotTug1, e.slot);
    if (tug < 0) return 0;
    PlaceAt(e, tug, TugOffset(e), true);
    const bool serves = (e.group >= GROUP_P1 && e.group <= GROUP_P4) || e.pattern == 0x922 ||
                        (e.group == GROUP_P5 && e.plane->status == 0x46000);
    if (serves) {
        ShowTug(e, tug, 1);
    } else {
        SwitchGround(GroundObject(tug)->layer, 0);
        GroundObject(tug)->state = 0;
    }
    return 1;
}

int TowingTug(const Event& e) {
    const int tug = ChoosePair(kSlotTug1, e.slot);
    if (tug < 0) return 0;
    PlaceAt(e, tug, TugOffset(e), false);
    ShowTug(e, tug, 1);
    return 1;
}

// Claims a car of the pair from `first` for the aircraft: the car's owner and the aircraft's
// `link`.
int ClaimCar(const Event& e, int first) {
    const int car = ChoosePair(first, e.slot);
    if (car < 0) return -1;
    GroundObject(car)->state = e.slot + 1;
    e.body->link = car;
    return car;
}

int UnloadingCar(const Event& e) {
    const int car = ClaimCar(e, kSlotCar1);
    if (car < 0) return 0;
    ObjectRecord* c = GroundObject(car);
    PlaceAt(e, car, tagKRN3D{}, false);
    if (e.group == GROUP_NONE) {
        SwitchGround(c->layer, 0);
        return 1;
    }
    SwitchGround(c->layer, 1);
    const CarWork& w = kCarWork[e.group];
    SwitchCarParts(car - kSlotCar1, ByDay(w.hide10), 0);
    c->kind = w.run10;
    c->count = 1;
    return 1;
}

int FuelTruck(const Event& e) {
    const int car = ClaimCar(e, kSlotCar1);
    if (car < 0) return 0;
    PlaceAt(e, car, tagKRN3D{}, false);
    SwitchGround(GroundObject(car)->layer, 0);
    if (e.group != GROUP_NONE) {
        SwitchCarParts(car - kSlotCar1, Part(CAR_FUEL), 1);
        if (!Night()) SwitchCarParts(car - kSlotCar1, Part(CAR_FUELLIGHT), 0);
    }
    return 1;
}

// The car the aircraft holds (32 or 33), or -1.
int HeldCar(const Event& e) {
    return e.body->link == kSlotCar1 || e.body->link == kSlotCar2 ? e.body->link - kSlotCar1 : -1;
}

void Loading(const Event& e) {
    const int car = HeldCar(e);
    if (car < 0 || e.group == GROUP_NONE) return;
    const CarWork& w = kCarWork[e.group];
    // "toing" switched on brings its light and the cart boxes with it.
    SwitchCarParts(car, w.show21, 1);
    SwitchCarParts(car, ByDay(w.hide21), 0);
    SwitchCarParts(car, Part(CAR_MC) | Part(CAR_RMP), 1);
    ObjectRecord* c = GroundObject(kSlotCar1 + car);
    c->kind = w.run21;
    c->count = 1;
}

void RefuellingEnd(const Event& e) {
    const int car = HeldCar(e);
    if (car < 0) return;
    if (e.group == GROUP_NONE) {
        SwitchGround(GroundObject(kSlotCar1 + car)->layer, 0);
        return;
    }
    SwitchCarParts(car, Part(CAR_FUEL), 0);
    SwitchCarParts(car, kCarWork[e.group].show22, 1);
}

// Events 31 and 32: the boarding bridge of the aircraft's spot takes a pose.
void BridgePose(const Event& e, int code) {
    const int spot = e.plane->spot;
    if (spot < 0 || spot >= kBridgeRows) return;
    tagKRNL* const* pose = GetBridgeTable()[size_t(spot)].pose;
    if (!pose[0]) return;
    int shown = -1;
    if (e.group == GROUP_P1) shown = code == 31 ? 0 : 1;
    if (e.group == GROUP_P3) shown = code == 31 ? 0 : 2;
    if (shown < 0) return;
    for (int p = 2; p >= 0; --p)
        if (p != shown) SwitchGround(pose[p], 0);
    SwitchGround(pose[shown], 1);
}

int GroundRecord(const Event& e) {
    for (int slot = kSlotGroundFirst; slot <= kSlotGroundLast; ++slot) {
        ObjectRecord* g = GroundObject(slot);
        if (g->state != 0) continue;
        g->pos = e.body->pos;
        g->angle = tagKRN3D{double(ZEM_Random(0, 9) + 41), e.body->angle.y, 0, 0};
        g->count = GetUpdateTickStep();
        g->state = 1;
        g->kind = 40;
        return 1;
    }
    return 0;
}

// Events 1000-1050: cabin announcements by the pattern's announcement bits.
int Announce(const Event& e, int code) {
    const int bits = (e.pattern >> 8) & 0xff;
    if (code == 1050) return bits == 0x10 ? SpeakAnnouncement(e.slot, 26, 20, 0) : 1;
    if (bits != 0x01 && bits != 0x04) return 1;
    const bool snj = lstrcmpiA(e.plane->airline, "snj") == 0;
    if (code == 1000) return SpeakAnnouncement(e.slot, snj ? 23 : 18 + ZEM_Random(0, 3), 0, 1);
    if (e.slot != GetSelectedAircraft()) return 1;
    const int crew = e.slot % 10 + 8;
    if (code == 1010) {
        if (snj) return SpeakAnnouncement(e.slot, 22, 1, 1);
        return SpeakAnnouncement(e.slot, crew, lstrcmpiA(e.plane->port, "RJBH") == 0 ? 5 : 1, 0);
    }
    return SpeakAnnouncement(e.slot, snj ? 22 : crew, (code - 1000) / 10, 0);
}

void Marshal(const Event& e) {
    const AirportRecord* airport = GetAirportRecord();
    const int choice = e.plane->choice;
    if (!airport || choice < 1 || choice > kAirportSpots) return;
    const int figure = GroundObject(kSlotMarshal1)->state == 0 ? kSlotMarshal1 : kSlotMarshal2;
    ObjectRecord* m = GroundObject(figure);
    const AirportPlace& spot = airport->spots[choice - 1];
    double g = spot.heading + 180;
    if (g >= 360) g -= 360;
    if (g < 0) g += 360;
    tagKRN3D ahead;
    const tagKRN3D thirty = {0, 0, 30.0, 0};
    RotateY(&ahead, &thirty, g);
    m->pos = tagKRN3D{spot.x / 100 + ahead.x, e.body->pos.y + ahead.y, spot.z / 100 + ahead.z, 0};
    m->angle = tagKRN3D{0, g, 0, 0};
    if (m->layer) KRNL_AbsMoveLayer(m->layer, &m->pos, &m->angle, nullptr);
    SwitchGround(m->layer, 1);
    tagKRNL* const* sign = GetGroundParts().marshal[figure - kSlotMarshal1];
    for (int i = 1; i < 4; ++i) SwitchGround(sign[i], 0);
    SwitchGround(sign[0], 1);
    m->state = e.slot + 1;
    m->kind = 2000;
}

// The marshaller the aircraft holds (the later when both are), its sign started.
void Sign(const Event& e, int kind) {
    for (int figure = kSlotMarshal2; figure >= kSlotMarshal1; --figure) {
        ObjectRecord* m = GroundObject(figure);
        if (m->state != e.slot + 1) continue;
        m->kind = kind;
        m->count = 1;
        return;
    }
}

int Dispatch(const Event& e, int code) {
    switch (code) {
        case 1:
            StartSmoke(e, kSlotSmoke1, 1);
            return 1;
        case 2:
            StartSmoke(e, kSlotSmoke1, 2);
            return 1;
        case 3:
            StartSmoke(e, kSlotSmoke3, 3);
            return 1;
        case 5:
            return PushBackTug(e);
        case 6:
            return TowingTug(e);
        case 10:
            return UnloadingCar(e);
        case 11:
        case 23:
            return ClaimCar(e, kSlotCar3) < 0 ? 0 : 1;
        case 20:
            return FuelTruck(e);
        case 21:
            Loading(e);
            return 1;
        case 22:
            RefuellingEnd(e);
            return 1;
        case 30:
            if (e.group == GROUP_P1 || e.group == GROUP_P3)
                if (tagTOVWAVE* wave = GetInterfaceWave(SE_BORDING)) TOV_WavePlay(10, wave, 1, 0);
            return 1;
        case 31:
        case 32:
            BridgePose(e, code);
            return 1;
        case 40:
            return GroundRecord(e);
        case 1000:
        case 1010:
        case 1020:
        case 1030:
        case 1040:
        case 1050:
            return Announce(e, code);
        case 2000:
            Marshal(e);
            return 1;
        case 2010:
            Sign(e, 2010);
            return 1;
        case 2020:
            Sign(e, 2020);
            return 1;
        default:
            return 1;
    }
}

bool Open(int slot, Event* e) {
    AircraftTable* planes = GetAircraftTable();
    ObjectRecord* body = GroundObject(slot);
    if (!planes || !body || slot < 0 || slot >= kAircraftSlots) return false;
    *e = Event{slot, body, &(*planes)[size_t(slot)], body->kind & 0xffff, GROUP_NONE};
    e->group = GroupOf(e->pattern);
    return true;
}

}  // namespace

int GroundEvent(int slot, int code) {
    Event e;
    if (!Open(slot, &e)) return 0;
    const int result = Dispatch(e, code);
    GameTrace("ground %d %d %d", slot, code, result);
    return result;
}

void GroundEventCancel(int slot, int code) {
    Event e;
    if (!Open(slot, &e)) return;
    if (code == 5) {
        for (int tug = kSlotTug1; tug <= kSlotTug2; ++tug) {
            ObjectRecord* t = GroundObject(tug);
            if (t->state != slot + 1) continue;
            SwitchGround(t->layer, 0);
            t->state = 0;
            break;
        }
    } else if (code == 10 || code == 20) {
        ObjectRecord* car = GroundObject(e.body->link);
        if (!e.body->link || !car) return;
        SwitchGround(car->layer, 0);
        car->state = 0;
        e.body->link = 0;
    } else {
        return;
    }
    GameTrace("ground cancel %d %d", slot, code);
}
