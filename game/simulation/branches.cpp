// Services of the aircraft scripts: the conditional branch of the move script (runway against
// wind, an answered request, the spot, a stage value, the aircraft's kind or plan), the
// emergency record and the answer ring of scripted answers.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "controller/controller.h"
#include "simulation/simulation_internal.h"

namespace {

constexpr int kRunwayText = 15;  // characters of the timetable's runway text

// Loads the move script with the warning box; then a hold that was asked for is over.
void LoadAndHold(int slot, AircraftRecord& a, const char* name) {
    if (!LoadScript(slot, name)) return;
    a.windcheck = 0;
    AddStripMemo(slot, "HOLD");
}

// Rule 5: the go-around after a refused landing costs stress by the reason (`windcheck`).
void GoAround(int slot, AircraftRecord& a, const ObjectRecord& o, const char* name) {
    const int heading = int(o.angle.y);
    switch (a.windcheck) {
        case 0:
        case 1:
            AddStress(slot, a.windcheck == 0 ? 20 : 10);
            if (!LoadScript(slot, name)) return;
            a.windcheck = 0;
            a.runway = 0;
            AddStripMemo(slot, "GOAR");
            break;
        case 2:
            if (a.runway == 0 || IsRunwayWindOk(heading, 10) != 1) return;
            AddStress(slot, 15);
            if (!LoadScript(slot, name)) return;
            a.windcheck = 0;
            a.runway = 0;
            if (IsRunwayWindOk(heading, 10) == 1) AddStripMemo(slot, "TAILWIND");
            break;
        default:
            break;
    }
}

// Rules 9-11: the script of the plan's family, numbered by the plan, loaded quietly.
void PlanScript(int slot, AircraftRecord& a, const char* name, int32_t family, bool room,
                bool clear) {
    if ((a.plan & 0xff000) != family || (room && !HasStripRoom())) return;
    char script[MAX_PATH];
    std::snprintf(script, sizeof script, "%s%d", name, a.plan & 0xff);
    if (GetMoveScript(slot, script) && clear) ClearAircraftRoute(slot);
}

MenuItem* NextRingEntry(AircraftRecord& a) {
    // A ring position written outside 0-7 starts the ring again.
    if (a.radiopos < 0 || a.radiopos >= kRadioRingSize) a.radiopos = 0;
    MenuItem* e = &a.radio[a.radiopos];
    a.radiopos = (a.radiopos + 1) % kRadioRingSize;
    return e;
}

}  // namespace

void CheckRunwayWind(int slot, int code, const char* name) {
    AircraftRecord* ap = AircraftAt(slot);
    const ObjectRecord* op = ObjectAt(slot);
    if (!ap || !op || !name) return;
    AircraftRecord& a = *ap;
    const uint32_t c = uint32_t(code);
    const StageWeather& w = GetStageWeather();
    if ((c & 0xf000) == 0x3000) {
        const bool any = (c & 0x200) != 0;
        const int heading = int(any ? c & 0x1ff : c & 0xfff);
        if (!any && w.windspeed < 10) return;
        const int diff = std::abs(w.winddir - heading);
        if (diff > 50 && diff < 310) return;
        LoadScript(slot, name);
        return;
    }
    switch (c) {
        case 0x80000000:
        case 0x10000000:
        case 0x20000000:
        case 0x40000000:
            if (c & uint32_t(op->kind)) LoadScript(slot, name);
            return;
        case 1:
            LoadAndHold(slot, a, name);
            return;
        case 0x50:
            GoAround(slot, a, *op, name);
            return;
        case 0x60:
            if (a.windcheck != 0) LoadAndHold(slot, a, name);
            return;
        case 0x130: {
            const int n = a.runway - 1;
            if (n >= 0 && n < kRunwayText && GetStageRunways().runways[n] == '0')
                LoadScript(slot, name);
            return;
        }
        case 0x1000:
            PlanScript(slot, a, name, 0x10000, true, true);
            return;
        case 0x1100:
            PlanScript(slot, a, name, 0x20000, true, false);
            return;
        case 0x1200:
            PlanScript(slot, a, name, 0x30000, false, false);
            return;
        default:
            break;
    }
    if (c >= 0x10 && c <= 0x22) {
        if (int(c - 0x10) == a.spot) LoadScript(slot, name);
    } else if (c >= 0x100 && c <= 0x108) {
        const int32_t* values = GetScenarioHeader().world.routesets;
        if (a.approach >= 0 && a.approach < 8 && values[a.approach] == int32_t(c - 0x100))
            LoadScript(slot, name);
    }
}

void DeclareEmergency(int slot, int code, int p1, int p2, int p3, int p4) {
    AircraftRecord* a = AircraftAt(slot);
    if (!a) return;
    auto record = [&](int32_t value) {
        a->emcode = value;
        a->emparam[0] = p1;
        a->emparam[1] = p2;
        a->emparam[2] = p3;
        a->emparam[3] = p4;
    };
    if (code == int(kStatusEmergency) || code == int(kStatusEmergency2)) {
        if (a->mark == 1) {
            record(code);
            TakeStatus(slot, code);
        } else {
            TakeStatus(slot, code == int(kStatusEmergency) ? 0x26030 : 0xb6130);
        }
    } else if (code < 0x100000) {
        record(code);
    } else if ((a->plan & 0xff) == code >> 20) {
        record(code & 0xfffff);
        AddStripMemo(slot, "EMERGENCY");
    }
}

void PushRadioMessage(int slot, int item, int status, int m1, int m2, int m3, int m4) {
    PushRadioText(slot, item, status, m1, m2, m3, m4, 0, "");
}

void PushRadioText(int slot, int item, int status, int m1, int m2, int m3, int m4, int extra,
                   const char* text) {
    AircraftRecord* a = AircraftAt(slot);
    if (!a) return;
    MenuItem& e = *NextRingEntry(*a);
    e.code = item;
    e.position = status;
    e.reply = 0;
    e.flags = uint32_t(extra);
    e.msg[0] = m1;
    e.msg[1] = m2;
    e.msg[2] = m3;
    e.msg[3] = m4;
    std::memset(e.name, 0, sizeof e.name);
    // Scripts pass texts of any length: the field keeps 31 bytes and its terminator.
    std::memset(e.name2, 0, sizeof e.name2);
    if (text) std::strncpy(e.name2, text, sizeof e.name2 - 1);
}
