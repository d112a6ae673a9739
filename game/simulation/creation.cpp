// Aircraft creation: the three routines that bring an aircraft into the game from a timetable
// record (or a script's), fill its record from the flight data files and load its model.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "controller/controller.h"
#include "base/base.h"
#include "simulation/simulation_internal.h"

namespace {

constexpr double kKnotsToUnits = 1.852 / 108;  // knots to world units per tick
constexpr double kFeetToUnits = 0.3048;
constexpr int kParkedSpots = 64;  // spot numbers from here on are not placed
constexpr int kTailClearDefault = 10000;

// A text into a record field, cut to the field with its NUL.
template <size_t N>
void Copy(char (&field)[N], const char* text) {
    const size_t n = strnlen(text, N - 1);
    std::memcpy(field, text, n);
    field[n] = 0;
}

// Reads a flight data file into `buf` (zero-filled) when it exists; 1 when read.
int ReadDataFile(const char* path, uint8_t* buf, int size) {
    std::memset(buf, 0, size_t(size));
    int read = 0;
    return FileExists(path) && ReadWholeFile(GetMainWindow(), path, buf, size, &read);
}

void ReadPortNames(AircraftRecord& a) {
    uint8_t buf[kPortFileSize];
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "etc\\ap\\%s.dat", a.port);
    PortData d{};
    if (a.port[0] && ReadDataFile(path, buf, sizeof buf)) ParsePortData(buf, sizeof buf, &d);
    Copy(a.portnamee, d.english);
    Copy(a.portnamej, d.japanese);
    Copy(a.portname3, d.third);
}

// The fields creation takes from a record 5 or 6.
struct Spec {
    int id;
    int flight;
    const char* airline;
    const char* type;
    const char* port;
    int livery;
};

// Steps 2-6 of a creation: the airline file, the model with its parts, the type file and the
// other airport. 0 (the path logged) when the airline or the model file is missing.
int LoadAircraft(int slot, const Spec& s) {
    AircraftRecord& a = *AircraftAt(slot);
    ObjectRecord& o = *ObjectAt(slot);
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "airplane\\%s.dat", s.airline);
    uint8_t buf[kAirlineFileSize];
    if (!ReadDataFile(path, buf, sizeof buf)) {
        std::fprintf(stderr, "wyntower: aircraft %d is not created: %s is missing\n", s.id, path);
        return 0;
    }
    AirlineData airline;
    ParseAirlineData(buf, sizeof buf, &airline);
    FormatCallsign(a.callsign, airline.prefix, s.flight);
    Copy(a.callprefix, airline.prefix);

    if (s.livery != 0)
        std::snprintf(path, sizeof path, "airplane\\%s\\%s%s%d.plm", s.type, s.type, s.airline,
                      s.livery);
    else
        std::snprintf(path, sizeof path, "airplane\\%s\\%s%s.plm", s.type, s.type, s.airline);
    // A slot reused for a new aircraft still holds the old body: without this it would stay
    // in the scene as a ghost.
    if (o.layer) DeleteObject(slot);
    if (!LoadAircraftModel(slot, path, a.callsign)) {
        std::fprintf(stderr, "wyntower: aircraft %d is not created: %s cannot be loaded\n", s.id,
                     path);
        return 0;
    }
    char body[64];
    std::snprintf(body, sizeof body, "%s%s", s.type, s.airline);
    FindModelParts(slot, body);

    ResetAircraftOrders(slot, 1);
    a.stripslot = -1;
    Copy(a.airline, s.airline);
    Copy(a.airlinee, airline.english);
    Copy(a.airlinej, airline.japanese);
    a.used = 1;
    o.flight = s.flight;
    a.linkedto = -1;

    uint8_t tbuf[kTypeFileSize];
    std::snprintf(path, sizeof path, "airplane\\%s\\%s.dat", s.type, s.type);
    TypeData type{};
    if (ReadDataFile(path, tbuf, sizeof tbuf)) ParseTypeData(tbuf, sizeof tbuf, &type);
    Copy(a.typename_, type.name);
    Copy(a.typetext, type.text);
    o.kind = type.flags;
    SetModelTypeFlags(slot, s.type);
    a.typeoffset = -type.value;
    a.tailclear = type.tailclear != 0 ? type.tailclear : kTailClearDefault;
    a.turnspeed = type.turnspeed;

    Copy(a.port, s.port);
    ReadPortNames(a);
    return 1;
}

int Speaker(const AircraftRecord& a, const char* type) {
    if (std::strcmp(a.airline, "JCG") == 0) {
        if (std::strcmp(type, "YS11") == 0) return 25;
        if (std::strcmp(type, "SPM") == 0) return 24;
    }
    return Wrap32(int64_t(a.id) + 29);
}

// The answer ring, the scripts' items and names, cleared for a new aircraft.
void ClearMessages(AircraftRecord& a) {
    for (MenuItem& m : a.items) m.code = 0;
    for (CandidateName& c : a.names) c.name[0] = 0;
    for (MenuItem& m : a.radio) m.code = 0;
    a.radiopos = 0;
    a.talking = 0;
}

// Moves the body to the position and heading and keeps both in the object record.
void Place(int slot, double x, double y, double z, double heading) {
    ObjectRecord& o = *ObjectAt(slot);
    KRN_Set3D(&o.pos, x, y, z, 0);
    KRN_Set3D(&o.angle, 0, heading, 0, 0);
    if (o.body) KRNL_AbsMoveLayer(o.body, &o.pos, &o.angle, nullptr);
}

void NightLights(const ObjectRecord& o) {
    if (GetScenarioHeader().night) {
        ShowPart(o.nlight, 1);
        ShowPart(o.frlight, 0);
    } else {
        ShowPart(o.nlight, 0);
    }
}

void DelayMemo(int slot, int delay) {
    if (delay == 0) return;
    char memo[24];
    std::snprintf(memo, sizeof memo, "DELAY %d", delay);
    AddStripMemo(slot, memo);
    AddStress(slot, delay * 2);
}

void StripAndLabel(int slot, int strip) {
    AircraftAt(slot)->strip = strip;
    DrawStrip(slot);
    DrawRadarLabel(slot);
}

void FlapsAndReversersIn(const ObjectRecord& o) {
    ShowPart(o.flapdown, 0);
    ShowPart(o.flapup, 1);
    ShowPart(o.revon, 0);
    ShowPart(o.revoff, 1);
}

// The parts of an aircraft arriving in flight (kinds 1 and 11); a model of kind 4 keeps its
// gear as it is.
void ArrivalParts(int slot, bool collisionLight) {
    const ObjectRecord& o = *ObjectAt(slot);
    if ((o.kind & 0xf) != 4) {
        ShowPart(o.tire, 0);
        ShowPart(o.gearup, 1);
    }
    FlapsAndReversersIn(o);
    SetPropellers(slot, 1);
    NightLights(o);
    ShowPart(o.ldlightm, 0);
    ShowPart(o.ldlightl, 0);
    ShowPart(o.ldlightr, 0);
    AircraftAt(slot)->ldlights = 0;
    ShowPart(o.atlight, collisionLight ? 1 : 0);
}

// The parts of an aircraft on the ground (kinds 2 and 16, parked aircraft).
void GroundParts(int slot) {
    const ObjectRecord& o = *ObjectAt(slot);
    ShowPart(o.tire, 1);
    ShowPart(o.gearup, 0);
    FlapsAndReversersIn(o);
    ShowPart(o.brdon, 0);
    ShowPart(o.brdoff, 1);
    ShowPart(o.nlight, 0);
    ShowPart(o.ldlightm, 0);
    ShowPart(o.ldlightl, 0);
    ShowPart(o.ldlightr, 0);
    AircraftAt(slot)->ldlights = 0;
    ShowPart(o.atlight, 0);
}

// The bridge of a spot 0-15 turned to the pose the aircraft's model asks for.
void TurnBridge(int spot, int32_t kind) {
    if (spot < 0 || spot >= kBridgeRows) return;
    const BridgeRow& row = GetBridgeTable()[size_t(spot)];
    if (!row.pose[0]) return;
    const int shown = ((kind >> 4) & 0xf) == 1 ? 1 : 2;
    ShowPart(row.pose[3 - shown], 0);
    ShowPart(row.pose[0], 0);
    ShowPart(row.pose[shown], 1);
}

// The name of the aircraft's spot as its strip memo, when it stands at one.
void SpotMemo(int slot) {
    const AircraftRecord& a = *AircraftAt(slot);
    const AirportRecord* airport = GetAirportRecord();
    if (!airport || a.spot < 0 || a.spot >= kAirportSpots) return;
    AddStripMemo(slot, airport->spots[size_t(a.spot)].name);
}

bool Busy(const AircraftRecord& a) {
    const uint32_t i = StatusInstruction(a.status);
    return a.status != 0 && i != 0x68000 && i != 0x69000;
}

// Record 7 with a flight number <= 0: the aircraft follows the one whose ID is its own plus
// that number. A leader no slot holds, or one with a full link list, takes no link.
void Link(int slot, int offset) {
    AircraftRecord& a = *AircraftAt(slot);
    a.linkedto = -1;
    const int leader = FindAircraftSlot(Wrap32(int64_t(a.id) + offset));
    AircraftRecord* l = AircraftAt(leader);
    if (!l || l->links < 0 || l->links >= int(sizeof l->linked / sizeof l->linked[0])) return;
    l->linked[l->links++] = slot;
    a.linkedto = leader;
    a.stripslot = l->stripslot;
}

}  // namespace

AircraftRecord* AircraftAt(int slot) {
    AircraftTable* t = GetAircraftTable();
    return t && slot >= 0 && slot < kAircraftSlots ? &(*t)[size_t(slot)] : nullptr;
}

ObjectRecord* ObjectAt(int slot) {
    ObjectTable* t = GetObjectTable();
    return t && slot >= 0 && slot < kObjectSlots ? &(*t)[size_t(slot)] : nullptr;
}

void WarnNoAircraft(int id) {
    char text[128];
    std::snprintf(text, sizeof text, "ID(%d)で指定された航空機は現在存在しません。", id);
    MessageBoxA(GetMainWindow(), text, "Wynmoor２の警告", MB_SETFOREGROUND);
}

void SetModelTypeFlags(int slot, const char* type) {
    if (ObjectRecord* o = ObjectAt(slot)) o->kind += TypeFlagBits(type);
}

int CreateAircraft(const FlightRecord& r, int fromTimetable, int delay) {
    const int slot = AcquireAircraftSlot(r.id, r.kind);
    if (slot < 0) {
        if (fromTimetable) DeferCreation(&r, nullptr, 1);
        return 0;
    }
    if (!ObjectAt(slot)) return 0;
    if (!LoadAircraft(slot, Spec{r.id, r.flight, r.airline, r.type, r.port, r.livery})) return 0;
    AircraftRecord& a = *AircraftAt(slot);
    ObjectRecord& o = *ObjectAt(slot);
    o.kind |= r.flags;
    a.sched = AddMinutes(r.sched, 0);
    a.delay = delay;
    a.strip = a.phase = a.status = 0;
    a.tspeed = r.knots * kKnotsToUnits;
    o.speed = a.tspeed;
    a.sstep = 0;
    a.schedule = r.schedule;
    a.timer = a.mark = a.windcheck = a.waitcount = a.reqtimer = a.area = 0;
    KRN_Zero3D(&a.velocity);
    a.velocity.t = 0;
    a.ground = 0;
    a.spot = -1;
    a.holding = 0;
    a.id = r.id;
    a.speaker = Speaker(a, r.type);

    switch (r.kind) {
        case 1:
        case 11:
            StripAndLabel(slot, r.kind == 1 ? 0x102 : 0x206);
            ArrivalParts(slot, r.kind == 1);
            break;
        case 2:
        case 16:
            if (r.kind == 2) StripAndLabel(slot, 0x1202);
            GroundParts(slot);
            break;
        default:
            break;
    }
    ShowPart(o.afterburner, 0);
    ShowPart(o.dragshoot, 0);

    DelayMemo(slot, delay);
    if (r.knots >= 220) AddStripMemo(slot, "FAST");
    if (r.knots <= 200) AddStripMemo(slot, "SLOW");

    ClearMessages(a);
    if (r.script[0])
        LoadScript(slot, r.script);
    else
        a.scriptpos = -1;
    a.plan = r.plan;

    a.amount = r.feet;
    a.talt = r.feet * kFeetToUnits;
    a.plimit = 0;
    Place(slot, r.x, r.feet * kFeetToUnits, r.z, r.heading);
    a.blink = ZEM_Random(0, 600);
    return 1;
}

int CreateParkedAircraft(const ParkedRecord& r) {
    const int slot = AcquireAircraftSlot(r.id, 0);
    if (slot < 0 || !ObjectAt(slot)) return 0;
    if (!LoadAircraft(slot, Spec{r.id, r.flight, r.airline, r.type, r.port, r.livery})) return 0;
    AircraftRecord& a = *AircraftAt(slot);
    ObjectRecord& o = *ObjectAt(slot);
    o.kind |= r.flags;
    a.sched = AddMinutes(r.sched, 0);
    a.strip = a.status = a.phase = 0;
    o.speed = a.tspeed = 0;
    a.schedule = r.schedule;
    a.timer = a.mark = a.windcheck = 0;
    a.id = r.id;
    a.waitcount = a.reqtimer = a.holding = a.blink = a.area = 0;
    a.ground = 0;
    a.speaker = Speaker(a, r.type);
    ClearMessages(a);
    ResetAircraftOrders(slot, 1);
    if (r.script[0]) {
        LoadScript(slot, r.script);
        if (r.flags != -1) StripAndLabel(slot, 0x1202);
    } else {
        a.scriptpos = -1;
    }
    // Spot numbers from 64 on (and below 0) leave the aircraft where it is, at no spot: a spot
    // left from the slot's earlier aircraft would answer for it at that spot.
    a.spot = -1;
    const AirportRecord* airport = GetAirportRecord();
    if (r.spot < 0 || r.spot >= kParkedSpots || !airport) return 1;
    const AirportPlace& spot = airport->spots[size_t(r.spot)];
    a.talt = a.plimit = spot.height;
    a.ground = spot.height;
    a.spot = r.spot;
    Place(slot, spot.x / 100, spot.height, spot.z / 100, spot.heading);
    o.speed = 0;

    GroundParts(slot);
    ShowPart(o.dragshoot, 0);
    TurnBridge(r.spot, o.kind);
    if (((o.kind >> 8) & 0xff) == 0x30) {
        FindVehicleParts(slot);
        ShowPart(o.flapdown, 0);
        ShowPart(o.flapup, 1);
        ShowPart(o.brdon, 0);
        for (tagKRNL* b : o.blades) ShowPart(b, 0);
    }
    return 1;
}

int CreateAircraftById(ReadyRecord& r, int fromTimetable, int delay) {
    if (r.id & 0x1000) {
        r.id = GetAircraftAtSpot(r.id & 0xff);
        if (r.id == 0) return 0;
    }
    const int slot = AcquireAircraftSlot(r.id, r.kind);
    if (slot < 0) {
        if (fromTimetable) DeferCreation(nullptr, &r, 1);
        return 0;
    }
    AircraftRecord& a = *AircraftAt(slot);
    if (!a.used || !ObjectAt(slot)) {
        WarnNoAircraft(r.id);
        return 0;
    }
    const uint32_t instruction = StatusInstruction(r.status);
    const bool busy = Busy(a);
    if (busy && (instruction == 0x43000 || instruction == 0x46000)) {
        if (fromTimetable) DeferCreation(nullptr, &r, 0);
    }
    const bool towing = instruction == 0x70000 || instruction == 0x71000;
    if (busy && towing) {
        if (fromTimetable) DeferCreation(nullptr, &r, 1);
        return 0;
    }
    ObjectRecord& o = *ObjectAt(slot);
    if (r.port[0]) {
        Copy(a.port, r.port);
        ReadPortNames(a);
    }
    if (r.script[0])
        LoadScript(slot, r.script);
    else
        a.scriptpos = -1;
    if (r.flight >= 1) {
        o.flight = r.flight;
        FormatCallsign(a.callsign, a.callprefix, r.flight);
        a.linkedto = -1;
    } else {
        Link(slot, r.flight);
    }
    a.quantity = r.quantity;
    if (!towing) a.status = r.status;
    a.sched = AddMinutes(r.time, 5);
    a.delay = delay;
    if (std::strcmp(a.airline, "JCG") != 0) a.speaker = Wrap32(int64_t(a.id) + 29);

    struct KindStrip {
        int kind, strip;
    };
    static const KindStrip kStrips[] = {
        {2, 0x1202}, {3, 0x1802}, {4, 0x1406}, {6, 0x1306}, {7, 0x1b02}};
    for (const KindStrip& k : kStrips) {
        if (r.kind != k.kind) continue;
        ResetAircraftOrders(slot, 1);
        StripAndLabel(slot, k.strip);
        DelayMemo(slot, delay);
        ShowPart(o.atlight, 1);
        a.blink = ZEM_Random(0, 600);
        SpotMemo(slot);
        NightLights(o);
    }
    switch (r.kind) {
        case 5:
        case 9:
            ResetAircraftOrders(slot, 1);
            StripAndLabel(slot, 0x1306);
            if (r.kind == 5) {
                a.speaker = 7;
                DelayMemo(slot, delay);
            } else {
                a.speaker = 27;
            }
            break;
        case 32:
            ResetAircraftOrders(slot, 1);
            ShowPart(o.atlight, 1);
            a.blink = ZEM_Random(0, 600);
            NightLights(o);
            break;
        default:
            break;
    }
    a.plan = r.plan;
    return 1;
}
