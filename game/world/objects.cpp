// The object table and its view points, the airport's side tables, and the release of an
// object slot. The tables are owned here; every subsystem reaches them through the accessors.
#include <cstring>

#include "simulation/simulation.h"
#include "world/world.h"

namespace {
ObjectTable* g_objects = nullptr;
ViewPointTable g_viewpoints = {};
AirportRecord* g_airport = nullptr;
SidTable* g_sid = nullptr;
RouteTable g_routes = {};
PointTable g_points = {};
ExchangeTable g_exchange = {};
AirportLayers g_layers = {};
BridgeTable g_bridges = {};
const ViewPoint kNoViewPoint = {};
}  // namespace

ObjectTable* GetObjectTable() { return g_objects; }
void SetObjectTable(ObjectTable* table) { g_objects = table; }
ViewPointTable& GetViewPointTable() { return g_viewpoints; }
const ViewPoint& GetViewPoint(int slot) {
    if (slot < kViewPointFirst || slot >= kObjectSlots) return kNoViewPoint;
    return g_viewpoints[static_cast<size_t>(slot - kViewPointFirst)];
}
AirportRecord* GetAirportRecord() { return g_airport; }
void SetAirportRecord(AirportRecord* airport) { g_airport = airport; }
SidTable* GetSidTable() { return g_sid; }
void SetSidTable(SidTable* table) { g_sid = table; }
RouteTable& GetRouteTable() { return g_routes; }
PointTable& GetPointTable() { return g_points; }
ExchangeTable& GetExchangeTable() { return g_exchange; }
AirportLayers& GetAirportLayers() { return g_layers; }
BridgeTable& GetBridgeTable() { return g_bridges; }

int BridgeOfSpot(int spot) { return spot >= 0 && spot <= 6 ? spot : -1; }

void DeleteObject(int slot) {
    if (!g_objects || slot < 0 || slot >= kObjectSlots) return;
    ObjectRecord& o = (*g_objects)[static_cast<size_t>(slot)];
    if (!o.layer) return;
    KRNL_DeleteLayer(o.layer, 1);
    // The part layers and "simple" went with the root layer: only their handles are cleared.
    o.used = 0;
    o.layer = nullptr;
    std::memset(&o.body, 0, reinterpret_cast<char*>(&o.pos) - reinterpret_cast<char*>(&o.body));
    o.speed = 0;
    AircraftTable* aircraft = GetAircraftTable();
    if (slot < kAircraftSlots && aircraft) {
        (*aircraft)[static_cast<size_t>(slot)].used = 0;
        (*aircraft)[static_cast<size_t>(slot)].id = 0;
    }
}
