// Fuzz target: any bytes as the three phrase tables, every message composed for an aircraft
// whose indexes (spot, choice, runway, correction...) come from the bytes too.
#include <cstring>
#include <vector>

#include "controller/controller.h"
#include "base/base.h"
#include "simulation/simulation.h"
#include "world/world.h"
#include "wynbytes.h"

namespace {

struct World {
    AircraftTable aircraft = {};
    ObjectTable objects = {};
    AirportRecord airport = {};
    std::vector<char> blocks[kPhraseBlocks];
    World() {
        SetAircraftTable(&aircraft);
        SetObjectTable(&objects);
        SetAirportRecord(&airport);
        for (int i = 0; i < kPhraseBlocks; ++i) {
            blocks[i].assign(kPhraseBlockSize, 0);
            SetPhraseBlock(i, blocks[i].data());
        }
        for (int i = 0; i < kAirportSpots; ++i) std::strcpy(airport.spots[i].name, "SPOT 12");
        std::strcpy(airport.arrivals[0].name, "34L");
        std::strcpy(airport.departures[0].name, "16R");
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World* w = new World;
    for (int i = 0; i < kPhraseBlocks; ++i) SetPhraseBytes(i, data, int(size));
    // The aircraft's indexes from the first bytes, so that every table edge is reached.
    wyn::ByteReader r(data, size);
    AircraftRecord& a = w->aircraft[3];
    a.spot = int8_t(r.u8());
    a.choice = int8_t(r.u8());
    a.subchoice = int8_t(r.u8());
    a.runway = int8_t(r.u8());
    a.place = int8_t(r.u8());
    a.turn = r.u8() & 3;
    a.strip = r.u8() & 1 ? 0x1302 : 0x102;
    a.hdg = r.i32();
    a.amount = r.i32();
    ObjectRecord& o = w->objects[3];
    o.pos.y = double(r.i32()) / 7;
    o.speed = double(r.i32()) / 1000;
    o.flight = r.i32();
    GetStageWeather() = {r.i32(), r.i32(), r.i32()};
    // Every message the offset table can name (a table names at most this many).
    const int count = size > 4 ? int((size - 4) / 4) : 0;
    char out[2 * kAtcText];
    for (int n = 0; n < count && n < 4096; ++n) {
        a.correction = (n * 7) % (count + 1);
        ComposeExchangeMessage(n % kExchangeRows, MakeExchangeMessage(n, (n & 1) << 9, 3), out);
        if (!std::memchr(out, 0, kAtcText) || !std::memchr(out + kAtcText, 0, kAtcText))
            __builtin_trap();
        char text[kAtcText];
        GetAnnounceText(n, text);
        ExpandAtcMacros(3, out, text, kAtcText, 0);
    }
    for (ExchangeRow& row : GetExchangeRows()) row = ExchangeRow{};
    return 0;
}
