// Command application: a clicked menu item turned into the aircraft's new status, choices,
// score, stress, strip state and ground events, a second-level menu, and the item's radio
// messages queued on one control position.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "controller/controller_internal.h"
#include "base/base.h"

namespace {

constexpr int kNoRow = -1;

AircraftRecord* Aircraft(int slot) {
    AircraftTable* t = GetAircraftTable();
    return t && slot >= 0 && slot < kAircraftSlots ? &(*t)[size_t(slot)] : nullptr;
}

bool ValidRow(int row) { return row >= 0 && row < kExchangeRows; }

bool PlanFamily(const AircraftRecord& a, int family) { return ((a.plan >> 12) & 0xff) == family; }

// The row of the SID items by the instruction; the aircraft's own otherwise (the menu offers
// them under these four only).
int SidRow(const AircraftRecord& a) {
    switch (StatusInstruction(a.status)) {
        case 0x82000:
        case 0x83000:
            return POSITION_DELIVERY;
        case 0x89000:
            return POSITION_GROUND;
        case 0x8b000:
            return POSITION_TOWER;
        default:
            return a.position;
    }
}

bool SecondLevel(int c) {
    return (c >= 0x300 && c <= 0x30f) || (c >= 0x500 && c <= 0x50b) || (c >= 0x700 && c <= 0x707) ||
           (c >= 0x800 && c <= 0x807);
}

// Where a command's messages go and which result its row takes: `setrow` when the row's
// aircraft and result are written; no messages for 0x005 and the second levels.
struct Target {
    int row;
    int result;
    bool setrow;
    bool messages;
};

Target CommandTarget(const AircraftRecord& a, int c) {
    const MenuItem& ch = a.chosen;
    if (ch.name[0] || ch.reply != -1)
        return {ch.position, ch.reply != -1 ? ch.reply + 1 : 0, true, true};
    if (c == 0x005 || SecondLevel(c)) return {kNoRow, 0, false, false};
    const int own = a.position;
    auto to = [](int row, int result) { return Target{row, result, true, true}; };
    switch (c) {
        case 0x001:
            return to(POSITION_APPROACH, 2);
        case 0x002:
        case 0x004:
        case 0x008:
        case 0x00a:
        case 0x105:
            return to(POSITION_TOWER, 0);
        case 0x003:
            return to(POSITION_DEPARTURE, 0);
        case 0x009:
            return to(POSITION_TOWER, 0x00a);
        case 0x00b:
        case 0x00c:
        case 0x00d:
        case 0x00e:
            return to(own, c + 1);
        case 0x00f:
        case 0x010:
        case 0x016:
            return to(POSITION_TOWER, c + 1);
        case 0x012:
        case 0x017:
        case 0x018:
        case 0x01a:
            return to(own, c + 1);
        case 0x013:
        case 0x014:
            return to(SidRow(a), c + 1);
        case 0x019:
            return to(PlanFamily(a, 0x40) ? POSITION_TOWER : POSITION_DEPARTURE, 0);
        case 0x01d:
        case 0x01e:
            return to(POSITION_GROUND, c + 1);
        case 0x100:
        case 0x101:
        case 0x102:
            return to(POSITION_APPROACH, c + 1);
        case 0x103:
            return to(strcasecmp(a.typename_, "CES172") == 0 ? POSITION_TOWER : POSITION_APPROACH,
                      0x104);
        case 0x104:
            return to(POSITION_APPROACH, 0);
        default:
            break;
    }
    if (c >= 0x200 && c <= 0x207) return to(POSITION_APPROACH, c + 1);
    if (c >= 0x400 && c <= 0x402) return to(own, c + 1);
    if (c >= 0x600 && c <= 0x613) return to(POSITION_DELIVERY, c + 1);
    return {POSITION_APPROACH, 0, false, true};
}

// The four messages of route-table entry (group, entry), the last two one on for an aircraft
// that taxis on its own power (object state low nibble 2). False outside the table.
bool RouteMessages(int aircraft, int group, int entry, int32_t* m) {
    if (group < 0 || group >= kRouteGroups || entry < 0 || entry >= kRouteEntries) return false;
    const RouteEntry& e = GetRouteTable().entry[group][entry];
    const ObjectTable* objects = GetObjectTable();
    const int plus = objects && ((*objects)[size_t(aircraft)].kind & 0xf) == 2 ? 1 : 0;
    for (int k = 0; k < 4; ++k) m[k] = e.value[k] + (k >= 2 ? plus : 0);
    return true;
}

void Score(int aircraft, uint32_t flags) {
    switch (flags & 0x1f) {
        case 0x01:
        case 0x02:
        case 0x03:
            AddScore(aircraft, 100 * int(flags & 0x3), 0);
            break;
        case 0x11:
        case 0x12:
        case 0x13:
            AddScore(aircraft, 100 * int(flags & 0x3), 1);
            break;
        default:
            break;
    }
}

void Effects(int aircraft, AircraftRecord& a, int c, int32_t* m) {
    const uint32_t instruction = StatusInstruction(a.status);
    switch (c) {
        case 0x002:
            a.windcheck = 1;
            TakeStatus(aircraft, 0x28030);
            return;
        case 0x003:
            TakeStatus(aircraft, 0xb5130);
            AddScore(aircraft, 200, 0);
            return;
        case 0x004:
            a.windcheck = 0;
            TakeStatus(aircraft, 0x53000);
            return;
        case 0x008:
            a.mark = 1;
            if (instruction == 0xb7000) {
                AddScore(aircraft, 200, 0);
                TakeStatus(aircraft, 0xb5130);
            } else {
                AddScore(aircraft, 100, 0);
                TakeStatus(aircraft, 0x24030);
            }
            return;
        case 0x009:
            AddScore(aircraft, 100, 1);
            GroundEvent(aircraft, 1020);
            return;
        case 0x00a:
            AddScore(aircraft, 100, 1);
            a.windcheck = 2;
            TakeStatus(aircraft, 0x28030);
            return;
        case 0x013:
            if (instruction == 0x82000 || instruction == 0x83000) {
                int g = 0, e = 0;
                FindSid(a.name2, &g, &e);
                if (g != 0 || e != 0) RouteMessages(aircraft, g, e, m);
            }
            if (instruction == 0x82000 || instruction == 0x83000 || instruction == 0x89000 ||
                instruction == 0x8b000)
                AddScore(aircraft, 100, 1);
            return;
        case 0x016:
        case 0x018:
            AddScore(aircraft, 100, 0);
            return;
        case 0x017:
            AddScore(aircraft, 100, 0);
            if (!(a.strip & kStripDeparture) && a.status < 0x40000) GroundEvent(aircraft, 1040);
            return;
        case 0x019:
            AddScore(aircraft, 300, 0);
            a.strip = 0x1602;
            TakeStatus(aircraft, 0xb6130);
            return;
        case 0x01a:
        case 0x01d:
            AddScore(aircraft, 100, 1);
            return;
        case 0x100:
        case 0x101:
        case 0x102: {
            if (c != 0x102 && ((a.plan >> 20) & 0xf) == 1) AddStress(aircraft, 10);
            a.target = -1;
            const ObjectTable* objects = GetObjectTable();
            if (objects) {
                const ObjectRecord& o = (*objects)[size_t(aircraft)];
                const tagKRN3D point = {double(a.chosen.value), 0, double(a.chosen.value2), 0};
                a.choice = BearingInt(&o.pos, &point);
                a.turn = TurnDirection(a.choice, o.angle.y);
            }
            a.approachitem = c;
            AddScore(aircraft, 100, 1);
            return;
        }
        case 0x103:
            a.target = -1;
            a.choice = a.course;
            AddScore(aircraft, 100, 1);
            return;
        case 0x104:
            a.windcheck = 1;
            TakeStatus(aircraft, 0x17000);
            return;
        case 0x105:
            a.windcheck = 1;
            TakeStatus(aircraft, 0x52000);
            return;
        default:
            break;
    }
    if (c >= 0x200 && c <= 0x207) {
        a.choice = a.runway = (c & 0xff) + 1;
        AddScore(aircraft, 100, 1);
    } else if (c >= 0x400 && c <= 0x402) {
        const int selected = GetCommandMenu().selected;
        a.choice = selected ? ((selected - 1) & 0xff) + 1 : 1;
        a.subchoice = c - 0x3ff;
        if (instruction == 0x45000) {
            m[0] += 2 * (c - 0x400);
            m[1] += 2 * (c - 0x400);
        }
        AddScore(aircraft, 100, 1);
    } else if (c >= 0x600 && c <= 0x613) {
        a.sidgroup = GetCommandMenu().selected & 0xff;
        a.sidentry = c - 0x5ff;
        if (!FindSid(a.name2, &a.sidgroup, &a.sidentry)) {
            int32_t right[4];
            if (RouteMessages(aircraft, a.sidgroup, a.sidentry, right)) {
                a.correction = right[0];
                for (int k = 1; k < 4; ++k) m[k] = right[k];
            }
        } else {
            const SidTable* sids = GetSidTable();
            if (sids && (*sids)[0].name[0]) AddScore(aircraft, 100, 0);
        }
        AddScore(aircraft, 100, 1);
    }
}

// Step 5: the messages queued on the row from place 0, the last one closing the exchange.
int QueueMessages(int aircraft, int row, const int32_t* m, uint32_t* queued) {
    int n = 0;
    for (int i = 0; i < 4; ++i) {
        if (m[i] < 0) break;
        const bool last = i == 3 || m[i + 1] == -1;
        const ExchangeMessageCode code =
            MakeExchangeMessage(m[i], last ? kExchangeLast : kExchangeMore, aircraft);
        if (ValidRow(row)) SetExchangeMessage(i, row, code);
        queued[n++] = code;
        if (last) break;
    }
    return n;
}

void TraceCommand(int aircraft, int c, int32_t from, int32_t to, const Target& t,
                  const uint32_t* queued, int n) {
    if (!GameTraceOn()) return;
    char codes[64] = "";
    size_t at = 0;
    for (int i = 0; i < n; ++i)
        at += size_t(std::snprintf(codes + at, sizeof codes - at, " %08x", queued[i]));
    GameTrace("command %d item %03x status %x -> %x row %d result %x queued%s", aircraft,
              unsigned(c), unsigned(from), unsigned(to), t.row, unsigned(t.result), codes);
}

}  // namespace

void PropagateStatus(int slot, int32_t status) {
    const AircraftRecord* a = Aircraft(slot);
    if (!a) return;
    for (int i = 0; i < a->links && i < int(std::size(a->linked)); ++i)
        if (AircraftRecord* l = Aircraft(a->linked[i])) l->status = status;
}

int CommandRow(int aircraft, int k) {
    const AircraftRecord* a = Aircraft(aircraft);
    if (!a) return kNoRow;
    const Target t = CommandTarget(*a, k - 1);
    return t.messages && ValidRow(t.row) ? t.row : kNoRow;
}

void ApplyCommand(int aircraft, int k) {
    AircraftRecord* a = Aircraft(aircraft);
    if (!a) return;
    const int c = k - 1;
    const int32_t from = a->status;
    const Target t = CommandTarget(*a, c);
    if (!t.messages) {
        if (c == 0x005)
            BuildCommandMenu(aircraft);
        else
            OpenSecondLevel(aircraft, c);
        TraceCommand(aircraft, c, from, a->status, t, nullptr, 0);
        return;
    }
    MenuItem& ch = a->chosen;
    int32_t m[4];
    std::memcpy(m, ch.msg, sizeof m);
    if (ch.name[0]) std::snprintf(a->label[0], sizeof a->label[0], "%.15s", ch.name);
    if (t.setrow && ValidRow(t.row)) {
        ExchangeRow& row = GetExchangeRows()[size_t(t.row)];
        row.aircraft = aircraft + 1;
        row.result = t.result;
    }
    if (ch.flags != 0) {
        Score(aircraft, ch.flags);
        if (ch.flags & 0x40000) {
            const int entry = a->choice == 0 || a->subchoice == 0
                                  ? 0
                                  : (a->choice - 1) * kSpotGroupLines + (a->subchoice - 1);
            if (entry >= 0 && entry < int(std::size(a->routenames)))
                std::snprintf(a->routenames[entry].name2, 16, "%.15s", ch.name2);
        }
    }
    if (!ch.name[0] && ch.reply == -1) Effects(aircraft, *a, c, m);
    a->waitcount = 0;
    a->reqtimer = 0;
    uint32_t queued[4];
    const int n = QueueMessages(aircraft, t.row, m, queued);
    // Talking until its row ends the exchange: a row that got neither its messages nor the
    // aircraft would never end it.
    if (ValidRow(t.row) && (t.setrow || n > 0)) a->talking = 1;
    TraceCommand(aircraft, c, from, a->status, t, queued, n);
}
