// Game values and conditions: the numbers the timetable and the aircraft scripts branch on,
// named by 32-bit value ids, and the stage's own variables.
#include <windows.h>

#include "controller/controller.h"
#include "base/base.h"
#include "simulation/simulation_internal.h"

namespace {

GameVariables g_variables = {};
int g_weekday = 0;

constexpr int kQueuePlaces = 5;
constexpr int32_t kStatusLinedUp = 0x94000;  // departures from here on count as lined up
constexpr int kSelf = 0xffff;                // classes 0x0111, 0x0112: the id itself

int CountQueue(int side) {
    const StripQueue& q = GetStripQueue();
    int n = 0;
    for (int p = 0; p < kQueuePlaces; ++p) n += q[size_t(side * kQueuePlaces + p)] != 0;
    return n;
}

bool OnGround(const AircraftRecord& a, const ObjectRecord& o) {
    return double(a.ground) == o.pos.y;
}

// Aircraft in use that are airborne arrivals (`departures` 0) or lined-up departures (1).
int CountAircraft(bool departures) {
    int n = 0;
    for (int slot = 0; slot < kAircraftSlots; ++slot) {
        const AircraftRecord* a = AircraftAt(slot);
        const ObjectRecord* o = ObjectAt(slot);
        if (!a || !o || !a->used) continue;
        const bool departure = (a->strip & 0x1000) != 0;
        if (!departures && !OnGround(*a, *o) && !departure) ++n;
        if (departures && OnGround(*a, *o) && departure && a->status >= kStatusLinedUp) ++n;
    }
    return n;
}

// The strip class of an aircraft's strip family; 0 for families outside the list.
int32_t StripClass(int32_t strip) {
    struct Family {
        int32_t family, value;
    };
    static const Family kFamilies[] = {{0x100, 0x110},  {0x200, 0x120},  {0x300, 0x130},
                                       {0x700, 0x140},  {0x1200, 0x210}, {0x1b00, 0x220},
                                       {0x1300, 0x230}, {0x1400, 0x240}, {0x1500, 0x250}};
    for (const Family& f : kFamilies)
        if ((strip & 0xfff0) == f.family) return f.value;
    return 0;
}

}  // namespace

GameVariables& GetGameVariables() { return g_variables; }

void CaptureWeekday() {
    SYSTEMTIME now;
    GetSystemTime(&now);
    g_weekday = now.wDayOfWeek;
}

int32_t GetGameValue(int32_t id) {
    const int n = id & 0xffff;
    switch (uint32_t(id) >> 16) {
        case 0x0101:
            return int32_t(GetHud().score);
        case 0x0102:
            return CountQueue(0);
        case 0x0103:
            return CountQueue(1);
        case 0x0104:
            return CountAircraft(false);
        case 0x0105:
            return CountAircraft(true);
        case 0x0106:
            return GetAircraftAtSpot(n);
        case 0x0107:
            return g_weekday;
        case 0x0108:
            return int32_t(GetHud().stress);
        case 0x0110: {
            const AircraftRecord* a = AircraftAt(FindAircraftSlot(n));
            return a && a->used ? StripClass(a->strip) : 0;
        }
        case 0x0111: {
            if (n == kSelf) return id;
            // An ID no slot holds has no object to ask: 0 rather than slot -1's record.
            const ObjectRecord* o = ObjectAt(FindAircraftSlot(n));
            return o ? o->kind : 0;
        }
        case 0x0112: {
            if (n == kSelf) return id;
            const AircraftRecord* a = AircraftAt(FindAircraftSlot(n));
            return a ? a->status : 0;
        }
        case 0x0fff:
            return n < kGameVariables ? g_variables[size_t(n)] : 0;
        default:
            return id;
    }
}

int TestCondition(const ConditionRecord& c) {
    const int32_t a = GetGameValue(c.a);
    const int32_t b = GetGameValue(c.b);
    const int32_t k = c.b;
    switch (c.op) {
        case 0x10:
            return a == b;
        case 0x11:
            return a != b;
        case 0x12:
            return a == k;
        case 0x13:
            return a != k;
        case 0x20:
            return a <= b;
        case 0x21:
            return a < b;
        case 0x30:
            return a >= b;
        case 0x31:
            return a > b;
        case 0x40:
            return (a & k) != 0;
        case 0x41:
            return (a & k) == 0;
        default:
            return 0;
    }
}
