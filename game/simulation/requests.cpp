// Pilot requests: the heard result of an exchange turned into the aircraft's next status, memo,
// held speed or phase; raising a request; target speeds; the runway-against-wind test.
#include <cstdio>
#include <cstdlib>

#include "controller/controller.h"
#include "simulation/simulation_internal.h"

namespace {

constexpr int kStressPerRepeat = 5;

// "RWY <name>" of entry `n` (0-based) of a runway table; no memo for an index outside it.
void RunwayMemo(int slot, const AirportPlace* table, int n) {
    if (!table || n < 0 || n >= kAirportRunways) return;
    char memo[32];
    std::snprintf(memo, sizeof memo, "RWY %s", table[n].name);
    AddStripMemo(slot, memo);
}
void SpotMemo(int slot, int n) {
    const AirportRecord* port = GetAirportRecord();
    if (!port || n < 0 || n >= kAirportSpots) return;
    AddStripMemo(slot, port->spots[n].name);
}
const AirportPlace* Arrivals() {
    const AirportRecord* p = GetAirportRecord();
    return p ? p->arrivals : nullptr;
}
const AirportPlace* Departures() {
    const AirportRecord* p = GetAirportRecord();
    return p ? p->departures : nullptr;
}

// Results whose answer is one status.
struct ResultStatus {
    int32_t result;
    int32_t status;
};
constexpr ResultStatus kResultStatus[] = {
    {14, 0x2b070}, {15, 0xa20b0},  {16, 0xa4050}, {21, 0x3a020},    {24, 0xa0000},
    {26, 0x9a080}, {27, 0x300000}, {29, 0xd2000}, {0x104, 0x17000}, {0x105, 0x52000},
};

// The menu of the selected aircraft is drawn again after a change of its choices.
void RebuildIfSelected(int slot) {
    if (GetSelectedAircraft() == slot) BuildCommandMenu(slot);
}

// Results 0x400-0x402: the spot or departure runway of a two-level choice.
void SpotOrRunwayChosen(int slot, AircraftRecord& a) {
    a.runway = a.choice * 4 + a.subchoice;
    if (a.status < 0x44060) {
        TakeStatus(slot, 0x44060);
        SpotMemo(slot, a.choice - 1);
    } else if (StatusInstruction(a.status) == 0x93000) {
        TakeStatus(slot, 0x9a080);
        RunwayMemo(slot, Departures(), a.choice - 1);
        a.spot = -1;
    } else {
        if (a.status < 0x50000)
            SpotMemo(slot, a.choice - 1);
        else
            RunwayMemo(slot, Departures(), a.choice - 1);
        TakeStatus(slot, 0x94100);
        a.spot = -1;
    }
    a.waitcount = 0;
    a.reqtimer = 0;
}

// Results 19 and 0x600-0x613: the answer to a taxi or clearance question.
void ClearanceHeard(int slot, AircraftRecord& a) {
    switch (StatusInstruction(a.status)) {
        case 0x82000:
            TakeStatus(slot, 0x740c0);
            break;
        case 0x83000:
            TakeStatus(slot, 0x750c0);
            break;
        case 0x89000:
        case 0x8b000:
            TakeStatus(slot, 0xa8040);
            break;
        default:
            break;
    }
    if (ObjectRecord* o = ObjectAt(slot)) o->step = 0;
}

}  // namespace

void TakeStatus(int slot, int32_t status, int menu) {
    AircraftRecord* a = AircraftAt(slot);
    if (!a) return;
    if (a->links) PropagateStatus(slot, status);
    a->status = status;
    if (GetSelectedAircraft() == slot) {
        if (menu) BuildCommandMenu(slot);
        DrawFlightInfo(slot);
    }
}

void StartRequestAt(int slot, int start) {
    AircraftRecord* a = AircraftAt(slot);
    if (!a) return;
    a->reqtimer = start;
    a->waitcount = 0;
    a->repeats += 1;
    if (a->repeats >= 2) AddStress(slot, (a->repeats - 1) * kStressPerRepeat);
    if (GetSelectedAircraft() == slot && GetCommandMenuCount() == 0) BuildCommandMenu(slot);
}

void StartRequest(int slot) { StartRequestAt(slot, 1); }

void SetTargetSpeed(int slot, int knots, int ticks) {
    AircraftRecord* a = AircraftAt(slot);
    const ObjectRecord* o = ObjectAt(slot);
    if (!a || !o) return;
    a->tspeed = knots * 1.852 / 108;
    // A step count below one would divide by zero; the target is then reached in one tick.
    a->sstep = (a->tspeed - o->speed) / (ticks < 1 ? 1 : ticks);
}

int IsRunwayWindOk(int heading, int minimum) {
    const StageWeather& w = GetStageWeather();
    if (w.windspeed <= minimum) return 0;
    const int d = std::abs(heading - w.winddir);
    return d <= 50 || d >= 310 ? 1 : 0;
}

void HandlePilotRequest(int slot) {
    AircraftRecord* ap = AircraftAt(slot);
    if (!ap) return;
    AircraftRecord& a = *ap;
    if (a.request == 0) return;
    const int r = a.request - 1;
    a.request = 0;
    for (const ResultStatus& e : kResultStatus)
        if (e.result == r) return TakeStatus(slot, e.status);
    switch (r) {
        case 2:
        case 10:
            a.windcheck = r == 2 ? 1 : 2;
            TakeStatus(slot, 0x28030);
            return;
        case 4:
            return;
        case 9:
            TakeStatus(slot, 0xa8040);
            a.waitcount = 0;
            a.reqtimer = 0;
            return;
        case 11:
            a.holding = 0;
            a.phase = a.basephase;
            SetTargetSpeed(slot, 25, 100);
            RebuildIfSelected(slot);
            return;
        case 12:
        case 18:
        case 20:
        case 30:
            return StartRequest(slot);
        case 13:
            a.holding = 1;
            a.basephase = a.phase;
            AddStress(slot, 10);
            SetTargetSpeed(slot, 0, 100);
            RebuildIfSelected(slot);
            return;
        case 19:
            return ClearanceHeard(slot, a);
        case 22:
            return TakeStatus(slot, a.status < 0x60000 ? 0x34020 : 0xb1130);
        case 23:
            if (!(a.strip & 0x1000) && a.status < 0x40000) return TakeStatus(slot, 0x40030);
            return TakeStatus(slot, 0x300000);
        case 0x100:
        case 0x101:
        case 0x102: {
            static const char* const kMemo[] = {"LNG", "MID", "SRT"};
            a.course = a.choice;
            a.phase = PHASE_FLY_HEADING;
            TakeStatus(slot, 0x14010);
            return AddStripMemo(slot, kMemo[r - 0x100]);
        }
        case 0x103:
            TakeStatus(slot, 0x14010);
            return AddStripMemo(slot, "RDR");
        default:
            break;
    }
    if (r >= 0x200 && r <= 0x207) {
        const uint32_t i = StatusInstruction(a.status);
        if (i == 0x18000)
            TakeStatus(slot, 0x20030);
        else if (i == 0x19000)
            TakeStatus(slot, 0x1a010);
        RunwayMemo(slot, Arrivals(), a.runway - 1);
    } else if (r >= 0x400 && r <= 0x402) {
        SpotOrRunwayChosen(slot, a);
    } else if (r >= 0x600 && r <= 0x613) {
        ClearanceHeard(slot, a);
    } else {
        // The result is itself the next status.
        TakeStatus(slot, r, (uint32_t(r) & 0x3b000) != 0x3b000);
    }
}
