// Fuzz target of the airport's file readers: any bytes as an airport record of both forms, as
// a route and SID file (with SID lookups by every configuration), as an exchange table and as
// a point table. Every table stays inside its bounds and every name inside its field.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "world/airportfiles.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto rec = std::make_unique<AirportRecord>();
    for (AirportForm form : {AIRPORT_AD3, AIRPORT_AD2}) {
        ReadAirportImage(data, size, form, rec.get());
        Check(rec->lights >= 0 && rec->lights <= kAirportLights);
        Check(std::strlen(rec->name) <= 32);
        for (const AirportPlace& p : rec->spots) Check(std::strlen(p.name) <= 16);
    }

    auto routes = std::make_unique<RouteTable>();
    auto sids = std::make_unique<SidTable>();
    ReadRouteFile(data, size, routes.get(), sids.get());
    for (const auto& list : routes->list)
        for (int32_t index : list) Check(index >= 0 && index < kRouteEntries);
    for (const auto& group : routes->entry)
        for (const RouteEntry& e : group) Check(std::strlen(e.name) <= 16);
    // The table's own names and a name from the input, under every configuration.
    char name[9] = {0};
    if (size > 0) std::memcpy(name, data, size < 8 ? size : 8);
    for (int config = -1; config <= 7; ++config) {
        for (int i = 0; i < 4; ++i) {
            char own[9] = {0};
            std::memcpy(own, (*sids)[size_t(i)].name, 8);
            int a = 0, b = 0;
            FindSidIn(*sids, config, own, &a, &b);
            Check(a >= 0 && a <= 255 && b >= 0 && b <= 255);
            const int again = FindSidIn(*sids, config, own, &a, &b);
            Check(again == 1 || (a == 0 && b == 0));
        }
        int a = -1, b = -1;
        FindSidIn(*sids, config, name, &a, &b);
        Check(a >= 0 && a <= 255 && b >= 0 && b <= 255);
    }

    auto exchange = std::make_unique<ExchangeTable>();
    ReadExchangeFile(data, size, exchange.get());
    Check(exchange->count >= 0 && exchange->count <= kExchangeEntries);
    Check(size_t(exchange->count) * kExchangeEntrySize <= size);

    auto points = std::make_unique<PointTable>();
    ReadPointFile(data, size, points.get());
    Check(points->count >= 0 && points->count <= kTablePoints);
    return 0;
}
