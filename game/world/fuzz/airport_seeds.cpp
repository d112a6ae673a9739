// Writes the edge fixtures of the airport fuzz target's seed corpus into a folder: the files
// the readers must take apart without reading or writing outside their tables.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "world/airportfiles.h"

namespace {

void Save(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}
void Put32(std::vector<uint8_t>& b, int32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(uint32_t(v) >> (8 * i)));
}
void Route(std::vector<uint8_t>& b, int32_t group, int32_t index, const char* name) {
    Put32(b, group);
    Put32(b, index);
    for (int k = 0; k < 5; ++k) Put32(b, 0x12345 * (k + 1));
    for (size_t k = 0; k < 16; ++k) b.push_back(k < std::strlen(name) ? uint8_t(name[k]) : 0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: airport_seeds <folder>\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::filesystem::create_directories(dir);

    // A route file with records outside the table, a ninth entry, names without a NUL and a
    // SID block longer than the table; and one without its end record.
    std::vector<uint8_t> si2;
    Route(si2, 16, 1, "GROUP16");
    Route(si2, 2, 32, "INDEX32");
    Route(si2, 1, 0, "ZERO");
    for (int i = 1; i <= 9; ++i) Route(si2, 3, i, "SIXTEENCHARACTER");
    std::vector<uint8_t> open = si2;
    Route(si2, -1, 0, "");
    for (int i = 0; i < 320; ++i) {
        const char name[8] = {'S', 'I', 'D', char('A' + i % 26), 'L', 'O', 'N', 'G'};
        si2.insert(si2.end(), name, name + 8);
        for (int k = 0; k < 8; ++k) si2.push_back(uint8_t(i + k));
    }
    Save(dir / "edge.si2", si2);
    Save(dir / "open.si2", open);

    // An airport record with an overlong light count and names that fill their fields.
    AirportRecord rec = {};
    std::memset(rec.name, 'N', 32);
    for (AirportPlace& p : rec.spots) std::memset(p.name, 'S', 16);
    rec.lights = 12;
    std::vector<uint8_t> ad3(kAd3Size), ad2(kAd2Size);
    WriteAirportImage(rec, AIRPORT_AD3, ad3.data());
    WriteAirportImage(rec, AIRPORT_AD2, ad2.data());
    Save(dir / "edge.ad3", ad3);
    Save(dir / "edge.ad2", ad2);
    ad3.resize(100);
    Save(dir / "short.ad3", ad3);

    // An exchange table of 100 bytes (four entries and a part) and a point table of an odd
    // number of values.
    std::vector<uint8_t> dfa(100, 0xff), ptd(20, 0x7f);
    Save(dir / "edge.dfa", dfa);
    Save(dir / "edge.ptd", ptd);
    Save(dir / "empty.bin", {});
    return 0;
}
