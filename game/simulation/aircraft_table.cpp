// The aircraft table and the small lookups over it. The slot number is the aircraft's key;
// a slot is free while `used` is 0 and unassigned while `id` is 0.
#include <cstring>

#include "controller/controller.h"
#include "simulation/simulation_internal.h"

namespace {

AircraftTable* g_aircraft = nullptr;

constexpr int kSpotEntries = 64;
constexpr int kQueuePlaces = 5;  // places per strip queue

// Aircraft in the arrival (0) or departure (1) strip queue.
int QueueCount(int side) {
    const StripQueue& q = GetStripQueue();
    int n = 0;
    for (int p = 0; p < kQueuePlaces; ++p) n += q[size_t(side * kQueuePlaces + p)] != 0;
    return n;
}

AircraftRecord* Record(int slot) {
    return g_aircraft && slot >= 0 && slot < kAircraftSlots ? &(*g_aircraft)[size_t(slot)]
                                                            : nullptr;
}

// The order state both resets clear: the scripts' item, candidate-name, route-name and
// approach-row entries and the choices of a route.
void ClearRoute(AircraftRecord& a) {
    for (MenuItem& m : a.items) m.code = 0;
    for (CandidateName& c : a.names) c.name[0] = 0;
    for (RouteName& r : a.routenames) r.name[0] = 0;
    for (ApproachEntry& e : a.approachtab) e.name[0] = 0;
    a.runway = 0;
    a.mark = 0;
    a.windcheck = 0;
    a.sidgroup = 0;
    a.sidentry = 0;
}

}  // namespace

AircraftTable* GetAircraftTable() { return g_aircraft; }
void SetAircraftTable(AircraftTable* table) { g_aircraft = table; }

int FindFreeAircraft() {
    for (int i = 0; g_aircraft && i < kAircraftSlots; ++i)
        if ((*g_aircraft)[size_t(i)].used == 0) return i;
    return -1;
}

int FindAircraftSlot(int id) {
    for (int i = 0; g_aircraft && i < kAircraftSlots; ++i)
        if ((*g_aircraft)[size_t(i)].id == id) return i;
    return -1;
}

int AcquireAircraftSlot(int id, int kind) {
    if (!g_aircraft) return -1;
    int unassigned = -1;
    for (int i = 0; i < kAircraftSlots; ++i) {
        const AircraftRecord& a = (*g_aircraft)[size_t(i)];
        if (a.id == id) return i;
        if (a.id == 0 && unassigned < 0) unassigned = i;
    }
    if (unassigned < 0) return -1;
    if ((kind == 1 && QueueCount(0) >= kQueuePlaces) ||
        (kind == 2 && QueueCount(1) >= kQueuePlaces))
        return -1;
    return unassigned;
}

int HasStripRoom() { return QueueCount(0) < kQueuePlaces; }

int GetAircraftAtSpot(int n) {
    if (!g_aircraft || n < 0 || n >= kSpotEntries) return 0;
    int entry[kSpotEntries] = {};
    for (const AircraftRecord& a : *g_aircraft) {
        if (!a.used) continue;
        // A spot mark outside the 64 entries (a script's own spot, a stray choice) marks none.
        const int spot = a.spot != -1 ? a.spot : StatusPanel(a.status) == 0x060 ? a.choice - 1 : -1;
        if (spot >= 0 && spot < kSpotEntries) entry[spot] = a.id;
    }
    return entry[n];
}

void ClearAircraftTable() {
    ResetTimetablePosition();
    if (!g_aircraft) return;
    for (AircraftRecord& a : *g_aircraft) {
        a.used = 0;
        a.id = 0;
    }
}

void ResetAircraftOrders(int slot, int full) {
    AircraftRecord* a = Record(slot);
    if (!a) return;
    ClearRoute(*a);
    for (auto& l : a->label) l[0] = 0;
    std::memset(a->vars, 0, sizeof a->vars);
    a->menucount[0] = a->menucount[1] = 0;
    a->plan = 0;
    a->timer = 0;
    a->waitcount = 0;
    a->reqtimer = 0;
    a->repeats = 0;
    a->target = 0;
    a->approach = 0;
    a->leadstop = 0;
    a->links = 0;
    a->levelbank = 0;
    a->bstep = 0.5;
    a->maxbank = 30;
    a->tlimit = 0.2;
    if (full) {
        a->dpitch = 0;
        a->routeflags[0] = a->routeflags[1] = 0;
        ClearRadarLabel(slot);
    }
}

void ClearAircraftRoute(int slot) {
    AircraftRecord* a = Record(slot);
    if (!a) return;
    ClearRoute(*a);
    a->routeflags[0] = a->routeflags[1] = 0;
}
