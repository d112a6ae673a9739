// The airport's file formats through the one byte reader and writer.
#include "world/airportfiles.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "wynbytes.h"

namespace {

struct Layout {
    int spots;
    size_t arrivals, departures, lights, light, size;
};
const Layout kLayouts[] = {
    {kAirportSpots, 0x830, 0x930, 0xa30, 0xa34, kAd3Size},
    {16, 0x230, 0x330, 0x430, 0x434, kAd2Size},
};

double F64(wyn::ByteReader& r) {
    const uint64_t lo = r.u32(), hi = r.u32();
    const uint64_t bits = lo | hi << 32;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}
void F64(wyn::ByteWriter& w, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    w.u32(static_cast<uint32_t>(bits));
    w.u32(static_cast<uint32_t>(bits >> 32));
}
// A text field of `field` bytes written whole: the text, then zeros.
void Text(wyn::ByteWriter& w, const char* text, size_t field) {
    const size_t n = strnlen(text, field);
    w.bytes(text, n);
    w.fill(0, field - n);
}

void ReadPlace(wyn::ByteReader& r, AirportPlace* p) {
    r.text(p->name, sizeof p->name, 16);
    p->x = r.i32();
    p->z = r.i32();
    p->height = r.i32();
    p->heading = r.i32();
}
void WritePlace(wyn::ByteWriter& w, const AirportPlace& p) {
    Text(w, p.name, 16);
    w.u32(static_cast<uint32_t>(p.x));
    w.u32(static_cast<uint32_t>(p.z));
    w.u32(static_cast<uint32_t>(p.height));
    w.u32(static_cast<uint32_t>(p.heading));
}

bool SameName(const char* field, size_t fieldsize, const char* name) {
    const size_t n = strnlen(field, fieldsize);
    if (std::strlen(name) != n) return false;
    for (size_t i = 0; i < n; ++i) {
        char a = field[i], b = name[i];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 32);
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 32);
        if (a != b) return false;
    }
    return true;
}

}  // namespace

void ReadAirportImage(const uint8_t* bytes, size_t size, AirportForm form, AirportRecord* out) {
    const Layout& l = kLayouts[form == AIRPORT_AD2 ? 1 : 0];
    // The image is read whole: a short file reads zeros where its bytes end.
    std::vector<uint8_t> image(l.size, 0);
    if (bytes) std::memcpy(image.data(), bytes, std::min(size, l.size));
    wyn::ByteReader r(image.data(), image.size());
    *out = AirportRecord{};
    r.text(out->name, sizeof out->name, 32);
    out->yaw = F64(r);
    out->yaw2 = F64(r);
    for (int i = 0; i < l.spots; ++i) ReadPlace(r, &out->spots[i]);
    r.seek(l.arrivals);
    for (AirportPlace& p : out->arrivals) ReadPlace(r, &p);
    r.seek(l.departures);
    for (AirportPlace& p : out->departures) ReadPlace(r, &p);
    r.seek(l.lights);
    out->lights = std::clamp(r.i32(), 0, kAirportLights);
    r.seek(l.light);
    for (AirportLight& g : out->light) {
        g.x = r.i32();
        g.z = r.i32();
        g.y = r.i32();
        g.red = r.i32();
        g.green = r.i32();
        g.blue = r.i32();
        g.range = r.i32();
        g.spare = r.i32();
    }
}

size_t WriteAirportImage(const AirportRecord& rec, AirportForm form, uint8_t* out) {
    const Layout& l = kLayouts[form == AIRPORT_AD2 ? 1 : 0];
    std::memset(out, 0, l.size);
    wyn::ByteWriter w(out, l.size);
    Text(w, rec.name, 32);
    F64(w, rec.yaw);
    F64(w, rec.yaw2);
    for (int i = 0; i < l.spots; ++i) WritePlace(w, rec.spots[i]);
    w.seek(l.arrivals);
    for (const AirportPlace& p : rec.arrivals) WritePlace(w, p);
    w.seek(l.departures);
    for (const AirportPlace& p : rec.departures) WritePlace(w, p);
    w.seek(l.lights);
    w.u32(static_cast<uint32_t>(rec.lights));
    w.seek(l.light);
    for (const AirportLight& g : rec.light)
        for (int32_t v : {g.x, g.z, g.y, g.red, g.green, g.blue, g.range, g.spare})
            w.u32(static_cast<uint32_t>(v));
    return w.ok() ? l.size : 0;
}

void ReadRouteFile(const uint8_t* bytes, size_t size, RouteTable* routes, SidTable* sids) {
    std::memset(routes, 0, sizeof *routes);
    std::memset(sids->data(), 0, sizeof *sids);
    wyn::ByteReader r(bytes, std::min(size, kRouteFileMax));
    while (r.has(4)) {
        const int32_t group = r.i32();
        if (group == -1) {
            r.skip(std::min(r.left(), kRouteRecordSize - 4));
            // The SID block: the entries after the end record, as many as the table holds.
            for (SidEntry& e : *sids) {
                if (!r.has(kSidEntrySize)) break;
                r.bytes(e.name, sizeof e.name);
                r.bytes(e.a, sizeof e.a);
                r.bytes(e.b, sizeof e.b);
            }
            return;
        }
        if (!r.has(kRouteRecordSize - 4)) break;  // a last record cut short
        const int32_t index = r.i32();
        int32_t value[5];
        for (int32_t& v : value) v = r.i32();
        char name[16 + 1];
        r.text(name, sizeof name, 16);
        // A record outside the table would write past it: skipped.
        if (group < 0 || group >= kRouteGroups || index < 0 || index >= kRouteEntries) continue;
        RouteEntry& e = routes->entry[group][index];
        for (int k = 0; k < 5; ++k) e.value[k] = static_cast<int16_t>(value[k]);
        std::memcpy(e.name, name, sizeof e.name);
        // The index goes to the first free place of the group's list; an index 0 reads as the
        // end there and is never listed, and a full list keeps its eight.
        int32_t* list = routes->list[group];
        for (int k = 0; k < kRouteListed; ++k)
            if (list[k] == 0) {
                list[k] = index;
                break;
            }
    }
}

size_t WriteRouteFile(const RouteRecord* records, int count, const SidEntry* sids, int sidcount,
                      uint8_t* out, size_t cap) {
    wyn::ByteWriter w(out, cap);
    for (int i = 0; i < count; ++i) {
        const RouteRecord& rr = records[i];
        w.u32(static_cast<uint32_t>(rr.group));
        w.u32(static_cast<uint32_t>(rr.index));
        for (int32_t v : rr.value) w.u32(static_cast<uint32_t>(v));
        Text(w, rr.name, 16);
    }
    w.u32(0xffffffffu);
    w.fill(0, kRouteRecordSize - 4);
    for (int i = 0; i < sidcount; ++i) {
        w.bytes(sids[i].name, sizeof sids[i].name);
        w.bytes(sids[i].a, sizeof sids[i].a);
        w.bytes(sids[i].b, sizeof sids[i].b);
    }
    return w.ok() ? w.pos() : 0;
}

int FindSidIn(const SidTable& sids, int config, const char* name, int* a, int* b) {
    if (config < 0 || config > 3) config = 0;
    for (const SidEntry& e : sids) {
        if (!e.name[0]) break;
        if (!SameName(e.name, sizeof e.name, name)) continue;
        int ga = e.a[config], gb = e.b[config];
        if (ga == 0 && gb == 0) {
            ga = e.a[0];
            gb = e.b[0];
        }
        if (ga == *a && gb == *b) return 1;
        *a = ga;
        *b = gb;
        return 0;
    }
    *a = 0;
    *b = 0;
    return 0;
}

void ReadExchangeFile(const uint8_t* bytes, size_t size, ExchangeTable* out) {
    std::memset(out, 0, sizeof *out);
    const size_t n = std::min(size, kExchangeFileMax);
    wyn::ByteReader r(bytes, n);
    out->count = static_cast<int32_t>(n / kExchangeEntrySize);
    for (int i = 0; i < out->count; ++i) {
        ExchangeTableEntry& e = out->entry[i];
        e.code = r.i32();
        e.next = r.i32();
        for (int32_t& m : e.msg) m = r.i32();
    }
}

size_t WriteExchangeFile(const ExchangeTableEntry* entries, int count, uint8_t* out, size_t cap) {
    wyn::ByteWriter w(out, cap);
    for (int i = 0; i < count; ++i) {
        w.u32(static_cast<uint32_t>(entries[i].code));
        w.u32(static_cast<uint32_t>(entries[i].next));
        for (int32_t m : entries[i].msg) w.u32(static_cast<uint32_t>(m));
    }
    return w.ok() ? w.pos() : 0;
}

void ReadPointFile(const uint8_t* bytes, size_t size, PointTable* out) {
    std::memset(out, 0, sizeof *out);
    const size_t n = std::min(size, static_cast<size_t>(kPointTableBytes));
    wyn::ByteReader r(bytes, n);
    // The values stand as they are: a last lone x is kept with a zero z.
    for (size_t i = 0; i < n / 4; ++i) {
        TablePoint& p = out->point[i / 2];
        (i % 2 == 0 ? p.x : p.z) = r.i32();
    }
    out->count = static_cast<int32_t>(n / 8);
}

size_t WritePointFile(const TablePoint* points, int count, uint8_t* out, size_t cap) {
    wyn::ByteWriter w(out, cap);
    for (int i = 0; i < count; ++i) {
        w.u32(static_cast<uint32_t>(points[i].x));
        w.u32(static_cast<uint32_t>(points[i].z));
    }
    return w.ok() ? w.pos() : 0;
}

int ReadRoutePreview(const uint8_t* bytes, size_t size, uint32_t* words) {
    wyn::ByteReader r(bytes, std::min(size, kPreviewSize));
    int read = 0;
    for (int i = 0; i < kPreviewWords; ++i) {
        const bool there = r.has(4);
        words[i] = there ? r.u32() : kPreviewEnd;
        read += there ? 1 : 0;
    }
    return read;
}

size_t WriteRoutePreview(const uint32_t* words, int count, uint8_t* out) {
    if (count < 0 || count >= kPreviewWords) return 0;
    wyn::ByteWriter w(out, kPreviewSize);
    for (int i = 0; i < count; ++i) w.u32(words[i]);
    w.u32(kPreviewEnd);
    w.fill(0, kPreviewSize - w.pos());
    return w.ok() ? kPreviewSize : 0;
}

void ConvertAirportRecord(AirportRecord* destination, const uint8_t* source, size_t size) {
    ReadAirportImage(source, size, AIRPORT_AD2, destination);
}
