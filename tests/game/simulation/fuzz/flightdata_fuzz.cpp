// Fuzz target of the flight data readers: any bytes as an airline, a type and an other-airport
// file. Every text must end within the record field it is copied to.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "simulation/simulation.h"

namespace {

template <size_t N>
void Ended(const char (&field)[N]) {
    if (strnlen(field, N) >= N) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AirlineData a;
    ParseAirlineData(data, size, &a);
    Ended(a.prefix);
    Ended(a.english);
    Ended(a.japanese);
    char callsign[16];
    FormatCallsign(callsign, a.prefix, size > 4 ? int(data[0] << 24 | data[1] << 16) : 7);
    Ended(callsign);
    TypeData t;
    ParseTypeData(data, size, &t);
    Ended(t.name);
    Ended(t.text);
    TypeFlagBits(t.name);
    PortData p;
    ParsePortData(data, size, &p);
    Ended(p.english);
    Ended(p.japanese);
    Ended(p.third);
    return 0;
}
