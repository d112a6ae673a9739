// The timetable's aircraft and condition records and the flight data files, read field by field
// through the one byte reader; texts are cut to their record field and always terminated.
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "simulation/simulation.h"
#include "wynbytes.h"

namespace {

// A whole record is there when the reader did not run out.
int Done(const wyn::ByteReader& r) { return r.ok() ? 1 : 0; }

// A flight data file reads as its fixed size, zero-filled past the bytes there.
template <size_t N>
struct Padded {
    uint8_t bytes[N] = {};
    Padded(const uint8_t* data, size_t size) {
        if (data) std::memcpy(bytes, data, size < N ? size : N);
    }
};

}  // namespace

int ReadFlightRecord(const uint8_t* bytes, size_t size, FlightRecord* f) {
    *f = FlightRecord{};
    wyn::ByteReader r(bytes, size);
    r.skip(4);
    f->time = r.i32();
    f->id = r.i32();
    f->x = r.i32();
    f->z = r.i32();
    f->feet = r.i32();
    f->knots = r.i32();
    f->heading = r.i32();
    f->flight = r.i32();
    r.text(f->airline, sizeof f->airline, 8);
    r.text(f->type, sizeof f->type, 8);
    r.text(f->port, sizeof f->port, 8);
    f->livery = r.i32();
    f->schedule = r.i32();
    f->sched = r.i32();
    f->kind = r.i32();
    f->flags = r.i32();
    f->plan = r.i32();
    r.text(f->script, sizeof f->script, 16);
    return Done(r);
}

int ReadParkedRecord(const uint8_t* bytes, size_t size, ParkedRecord* p) {
    *p = ParkedRecord{};
    wyn::ByteReader r(bytes, size);
    r.skip(4);
    p->id = r.i32();
    p->spot = r.i32();
    p->flight = r.i32();
    r.text(p->airline, sizeof p->airline, 8);
    r.text(p->type, sizeof p->type, 8);
    r.text(p->port, sizeof p->port, 8);
    p->livery = r.i32();
    p->schedule = r.i32();
    p->sched = r.i32();
    p->flags = r.i32();
    r.text(p->script, sizeof p->script, 16);
    return Done(r);
}

int ReadReadyRecord(const uint8_t* bytes, size_t size, ReadyRecord* y) {
    *y = ReadyRecord{};
    wyn::ByteReader r(bytes, size);
    r.skip(4);
    y->time = r.i32();
    y->id = r.i32();
    y->flight = r.i32();
    y->quantity = r.i32();
    y->kind = r.i32();
    y->status = r.i32();
    r.text(y->port, sizeof y->port, 8);
    y->plan = r.i32();
    r.text(y->script, sizeof y->script, 16);
    return Done(r);
}

int ReadConditionRecord(const uint8_t* bytes, size_t size, ConditionRecord* c) {
    *c = ConditionRecord{};
    wyn::ByteReader r(bytes, size);
    r.skip(4);
    c->a = r.i32();
    c->op = r.i32();
    c->b = r.i32();
    c->target = r.i32();
    return Done(r);
}

void ParseAirlineData(const uint8_t* bytes, size_t size, AirlineData* d) {
    *d = AirlineData{};
    const Padded<kAirlineFileSize> file(bytes, size);
    wyn::ByteReader r(file.bytes, sizeof file.bytes);
    r.text(d->prefix, sizeof d->prefix, 16);
    r.text(d->english, sizeof d->english, 64);
    r.text(d->japanese, sizeof d->japanese, 32);
}

void ParseTypeData(const uint8_t* bytes, size_t size, TypeData* d) {
    *d = TypeData{};
    const Padded<kTypeFileSize> file(bytes, size);
    wyn::ByteReader r(file.bytes, sizeof file.bytes);
    r.text(d->name, sizeof d->name, 16);
    r.text(d->text, sizeof d->text, 48);
    d->flags = r.i32();
    d->value = r.i32();
    d->tailclear = r.i32();
    d->turnspeed = r.i32();
}

void ParsePortData(const uint8_t* bytes, size_t size, PortData* d) {
    *d = PortData{};
    const Padded<kPortFileSize> file(bytes, size);
    wyn::ByteReader r(file.bytes, sizeof file.bytes);
    r.text(d->english, sizeof d->english, 16);
    r.text(d->japanese, sizeof d->japanese, 16);
    r.text(d->third, sizeof d->third, 48);
}

void FormatCallsign(char out[16], const char* prefix, int flight) {
    std::snprintf(out, 16, strcasecmp(prefix, "JAIR") == 0 ? "%s-%3.3d" : "%s-%4.4d", prefix,
                  flight);
}

int32_t TypeFlagBits(const char* type) {
    static const char* const kPrefixes[] = {"B74", "B77", "B76"};
    static const char* const kNames[] = {"MD90", "A300", "A320"};
    for (const char* p : kPrefixes)
        if (strncasecmp(type, p, 3) == 0) return 0x10000;
    for (const char* n : kNames)
        if (strcasecmp(type, n) == 0) return 0x10000;
    if (strncasecmp(type, "B73", 3) == 0) return 0x20000;
    return 0;
}
