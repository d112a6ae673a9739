// The airport's files at their byte offsets: the airport record in both forms, the route and
// SID file with its skipped records and cut blocks, the SID lookup, the exchange, point and
// route-preview files.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "world/airportfiles.h"

namespace {

int32_t I32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                static_cast<uint32_t>(b[at + 3]) << 24);
}
void Put32(std::vector<uint8_t>& b, int32_t v) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> 8 * i));
}
void PutText(std::vector<uint8_t>& b, const char* text, size_t field) {
    const size_t n = strnlen(text, field);
    b.insert(b.end(), text, text + n);
    b.insert(b.end(), field - n, 0);
}

// A record whose every field holds a value of its own, so that a field read from the wrong
// offset shows.
AirportRecord Distinct() {
    AirportRecord r = {};
    std::strcpy(r.name, "TOKYO TEST AIRPORT 0123456789ABC");  // 32 characters, no NUL
    r.yaw = 12.5;
    r.yaw2 = -7.25;
    auto place = [](AirportPlace& p, int k) {
        std::snprintf(p.name, sizeof p.name, "P%d", k);
        p.x = 1000 + k;
        p.z = -2000 - k;
        p.height = 3 + k;
        p.heading = 100 + k;
    };
    for (int i = 0; i < kAirportSpots; ++i) place(r.spots[i], i);
    std::strcpy(r.spots[1].name, "SPOT 5 LONGNAME!");  // 16 characters, no NUL
    for (int i = 0; i < kAirportRunways; ++i) place(r.arrivals[i], 200 + i);
    for (int i = 0; i < kAirportRunways; ++i) place(r.departures[i], 300 + i);
    r.lights = 5;
    for (int i = 0; i < kAirportLights; ++i) {
        AirportLight& g = r.light[i];
        g = {10 * i + 1, 10 * i + 2, 10 * i + 3, 200 + i, 100 + i, 50 + i, 300 + i, 9};
    }
    return r;
}

void ExpectPlace(const AirportPlace& got, const AirportPlace& want, const std::string& what) {
    EXPECT_STREQ(got.name, want.name) << what;
    EXPECT_EQ(got.x, want.x) << what;
    EXPECT_EQ(got.z, want.z) << what;
    EXPECT_EQ(got.height, want.height) << what;
    EXPECT_EQ(got.heading, want.heading) << what;
}

TEST(AirportImage, RoundTripsAtEveryOffsetInBothForms) {
    struct Form {
        AirportForm form;
        size_t size, arrivals, departures, lights, light;
        int spots;
    };
    const Form forms[] = {{AIRPORT_AD3, 2872, 0x830, 0x930, 0xa30, 0xa34, 64},
                          {AIRPORT_AD2, 1336, 0x230, 0x330, 0x430, 0x434, 16}};
    const AirportRecord rec = Distinct();
    for (const Form& f : forms) {
        std::vector<uint8_t> img(f.size + 8, 0xee);
        ASSERT_EQ(WriteAirportImage(rec, f.form, img.data()), f.size);
        EXPECT_EQ(img[f.size], 0xee) << "nothing past the image";
        EXPECT_EQ(std::memcmp(img.data(), rec.name, 32), 0);
        double yaw, yaw2;
        std::memcpy(&yaw, &img[0x20], 8);
        std::memcpy(&yaw2, &img[0x28], 8);
        EXPECT_EQ(yaw, 12.5);
        EXPECT_EQ(yaw2, -7.25);
        for (int i = 0; i < f.spots; ++i) {
            const size_t at = 0x30 + 32 * size_t(i);
            EXPECT_EQ(
                std::string(reinterpret_cast<char*>(&img[at]), strnlen(rec.spots[i].name, 16)),
                rec.spots[i].name);
            EXPECT_EQ(I32(img, at + 16), 1000 + i);
            EXPECT_EQ(I32(img, at + 20), -2000 - i);
            EXPECT_EQ(I32(img, at + 24), 3 + i);
            EXPECT_EQ(I32(img, at + 28), 100 + i);
        }
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(I32(img, f.arrivals + 32 * size_t(i) + 16), 1200 + i);
            EXPECT_EQ(I32(img, f.departures + 32 * size_t(i) + 28), 400 + i);
            EXPECT_EQ(I32(img, f.light + 32 * size_t(i)), 10 * i + 1);
            EXPECT_EQ(I32(img, f.light + 32 * size_t(i) + 24), 300 + i);
        }
        EXPECT_EQ(I32(img, f.lights), 5);

        AirportRecord back;
        ReadAirportImage(img.data(), f.size, f.form, &back);
        EXPECT_STREQ(back.name, rec.name);  // 32 bytes without a NUL end at the field's end
        EXPECT_EQ(back.yaw, rec.yaw);
        EXPECT_EQ(back.yaw2, rec.yaw2);
        for (int i = 0; i < f.spots; ++i)
            ExpectPlace(back.spots[i], rec.spots[i], "spot " + std::to_string(i));
        for (int i = f.spots; i < kAirportSpots; ++i)
            ExpectPlace(back.spots[i], AirportPlace{}, "empty spot " + std::to_string(i));
        for (int i = 0; i < 8; ++i) {
            ExpectPlace(back.arrivals[i], rec.arrivals[i], "arrival");
            ExpectPlace(back.departures[i], rec.departures[i], "departure");
            EXPECT_EQ(std::memcmp(&back.light[i], &rec.light[i], sizeof(AirportLight)), 0);
        }
        EXPECT_EQ(back.lights, 5);
    }
}

TEST(AirportImage, AnAd2OnlyAirportLandsAtTheAd3Offsets) {
    const AirportRecord rec = Distinct();
    std::vector<uint8_t> ad2(kAd2Size), ad3(kAd3Size), expect(kAd3Size);
    WriteAirportImage(rec, AIRPORT_AD2, ad2.data());
    AirportRecord converted;
    ConvertAirportRecord(&converted, ad2.data(), ad2.size());
    WriteAirportImage(converted, AIRPORT_AD3, ad3.data());
    // The same record written as .ad3 with spots 16-63 emptied.
    AirportRecord sixteen = rec;
    for (int i = 16; i < kAirportSpots; ++i) sixteen.spots[i] = AirportPlace{};
    WriteAirportImage(sixteen, AIRPORT_AD3, expect.data());
    EXPECT_EQ(ad3, expect);
    EXPECT_EQ(I32(ad3, 0x830 + 16), 1200);  // the first arrival's x
    EXPECT_EQ(I32(ad3, 0xa30), 5);
    EXPECT_EQ(I32(ad3, 0xa34 + 8), 3);  // the first light's y
}

TEST(AirportImage, ShortFilesReadZerosAndTheLightCountIsHeld) {
    AirportRecord rec = Distinct();
    std::vector<uint8_t> img(kAd3Size);
    struct Case {
        int32_t lights, expected;
    };
    for (const Case& c : {Case{12, 8}, Case{-3, 0}, Case{8, 8}, Case{0, 0}}) {
        rec.lights = c.lights;
        WriteAirportImage(rec, AIRPORT_AD3, img.data());
        AirportRecord back;
        ReadAirportImage(img.data(), img.size(), AIRPORT_AD3, &back);
        EXPECT_EQ(back.lights, c.expected) << c.lights;
    }
    AirportRecord back;
    ReadAirportImage(img.data(), 0x40, AIRPORT_AD3, &back);  // name, angles, half a spot
    EXPECT_STREQ(back.name, rec.name);
    EXPECT_STREQ(back.spots[0].name, "P0");
    EXPECT_EQ(back.spots[0].x, 0);
    EXPECT_EQ(back.arrivals[0].x, 0);
    ReadAirportImage(nullptr, 0, AIRPORT_AD2, &back);
    EXPECT_EQ(back.name[0], 0);
}

// A route record's bytes.
void Route(std::vector<uint8_t>& b, int32_t group, int32_t index, int32_t first, const char* name) {
    Put32(b, group);
    Put32(b, index);
    for (int k = 0; k < 5; ++k) Put32(b, first + k);
    PutText(b, name, 16);
}
void Sid(std::vector<uint8_t>& b, const char* name, std::array<uint8_t, 4> a,
         std::array<uint8_t, 4> bb) {
    PutText(b, name, 8);
    b.insert(b.end(), a.begin(), a.end());
    b.insert(b.end(), bb.begin(), bb.end());
}

TEST(RouteFile, RecordsListsAndTheSidBlock) {
    std::vector<uint8_t> b;
    Route(b, 1, 0, 100, "ZERO");       // index 0: stored, never listed
    Route(b, 1, 3, 0x12345, "THREE");  // values cut to 16 bits
    Route(b, 1, 5, 200, "SIXTEENCHARSLONG");
    Route(b, 16, 1, 300, "BADGROUP");  // skipped
    Route(b, 2, 32, 300, "BADINDEX");  // skipped
    Route(b, -2, 1, 300, "NEGATIVE");  // skipped
    for (int i = 1; i <= 9; ++i) Route(b, 4, 20 + i, i, ("N" + std::to_string(i)).c_str());
    Route(b, -1, 0, 0, "");
    Sid(b, "ALPHA", {1, 2, 3, 4}, {5, 6, 7, 8});

    RouteTable routes;
    std::unique_ptr<SidTable> sids(new SidTable);
    ReadRouteFile(b.data(), b.size(), &routes, sids.get());
    EXPECT_STREQ(routes.entry[1][0].name, "ZERO");
    EXPECT_EQ(routes.entry[1][0].value[0], 100);
    EXPECT_EQ(routes.entry[1][3].value[0], 0x2345);
    EXPECT_EQ(routes.entry[1][3].value[4], 0x2349);
    EXPECT_STREQ(routes.entry[1][5].name, "SIXTEENCHARSLONG");
    EXPECT_EQ(routes.list[1][0], 3);
    EXPECT_EQ(routes.list[1][1], 5);
    EXPECT_EQ(routes.list[1][2], 0);
    EXPECT_EQ(routes.list[2][0], 0);
    EXPECT_EQ(routes.entry[0][1].name[0], 0);
    // The ninth entry of group 4 is stored, the list keeps the first eight.
    EXPECT_STREQ(routes.entry[4][29].name, "N9");
    for (int k = 0; k < kRouteListed; ++k) EXPECT_EQ(routes.list[4][k], 21 + k);
    EXPECT_STREQ(std::string((*sids)[0].name, 5).c_str(), "ALPHA");
    EXPECT_EQ((*sids)[0].a[2], 3);
    EXPECT_EQ((*sids)[0].b[3], 8);
    EXPECT_EQ((*sids)[1].name[0], 0);
}

TEST(RouteFile, RunsWithoutAnEndAndOverlongSidBlocks) {
    RouteTable routes;
    std::unique_ptr<SidTable> sids(new SidTable);
    // No -1 record: the run ends at the bytes read, half a record is dropped, no SID table.
    std::vector<uint8_t> b;
    Route(b, 3, 2, 7, "TWO");
    Route(b, 3, 4, 8, "FOUR");
    b.resize(b.size() - 10);
    std::memset(sids.get(), 0x41, sizeof(SidTable));
    ReadRouteFile(b.data(), b.size(), &routes, sids.get());
    EXPECT_EQ(routes.list[3][0], 2);
    EXPECT_EQ(routes.list[3][1], 0);
    EXPECT_EQ((*sids)[0].name[0], 0);

    // A SID block of 5000 bytes: only 4096 are taken (256 entries, all named).
    b.clear();
    Route(b, -1, 0, 0, "");
    for (int i = 0; i < 312; ++i)
        Sid(b, ("S" + std::to_string(i)).c_str(), {1, 0, 0, 0}, {2, 0, 0, 0});
    b.resize(b.size() + 8, 0x5a);
    ASSERT_EQ(b.size() - 44, 5000u);
    ReadRouteFile(b.data(), b.size(), &routes, sids.get());
    EXPECT_STREQ(std::string((*sids)[255].name, 4).c_str(), "S255");
    int a = 0, g = 0;
    EXPECT_EQ(FindSidIn(*sids, 0, "S255", &a, &g), 0);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(g, 2);
    a = g = 9;
    EXPECT_EQ(FindSidIn(*sids, 0, "S256", &a, &g), 0);  // beyond entry 255: unknown
    EXPECT_EQ(a, 0);
    EXPECT_EQ(g, 0);

    // The file's -1 word with nothing after it.
    b.clear();
    Route(b, 5, 1, 1, "ONE");
    Put32(b, -1);
    ReadRouteFile(b.data(), b.size(), &routes, sids.get());
    EXPECT_EQ(routes.list[5][0], 1);
    EXPECT_EQ((*sids)[0].name[0], 0);
}

TEST(RouteFile, FindSidByRunwayConfiguration) {
    std::unique_ptr<SidTable> sids(new SidTable{});
    auto set = [&](int i, const char* name, std::array<uint8_t, 4> a, std::array<uint8_t, 4> b) {
        std::memcpy((*sids)[size_t(i)].name, name, strnlen(name, 8));
        std::memcpy((*sids)[size_t(i)].a, a.data(), 4);
        std::memcpy((*sids)[size_t(i)].b, b.data(), 4);
    };
    set(0, "ALPHA", {1, 2, 0, 4}, {3, 4, 0, 6});
    set(1, "BRAVOLNG", {5, 0, 0, 0}, {6, 0, 0, 0});  // 8 characters, no NUL
    set(2, "ALPHA", {9, 9, 9, 9}, {9, 9, 9, 9});     // a later entry of the name is never used
    struct Case {
        int config;
        const char* name;
        int a0, b0;  // *a, *b before the call
        int result, a, b;
    };
    const Case cases[] = {
        {1, "ALPHA", 0, 0, 0, 2, 4},
        {1, "alpha", 2, 4, 1, 2, 4},  // the second call finds what it holds; case ignored
        {2, "ALPHA", 0, 0, 0, 1, 3},  // bytes 0, 0 read configuration 0
        {7, "ALPHA", 0, 0, 0, 1, 3},  // outside 0-3: configuration 0
        {-1, "ALPHA", 1, 3, 1, 1, 3},
        {3, "BRAVOLNG", 0, 0, 0, 5, 6},   // name field without a NUL
        {0, "BRAVOLNGX", 7, 7, 0, 0, 0},  // longer than the field: unknown
        {0, "CHARLIE", 7, 7, 0, 0, 0},    // unknown
        {0, "", 7, 7, 0, 0, 0},
    };
    for (const Case& c : cases) {
        int a = c.a0, b = c.b0;
        EXPECT_EQ(FindSidIn(*sids, c.config, c.name, &a, &b), c.result) << c.name << c.config;
        EXPECT_EQ(a, c.a) << c.name << " config " << c.config;
        EXPECT_EQ(b, c.b) << c.name << " config " << c.config;
    }
}

TEST(ExchangeFile, CountsWholeEntriesUpToTheTable) {
    std::vector<ExchangeTableEntry> in;
    for (int i = 0; i < 140; ++i)
        in.push_back({0x10000 * i, 0x12010 + i, {i, i + 1, -1, 0x7fffffff}});
    std::vector<uint8_t> b(140 * 24);
    ASSERT_EQ(WriteExchangeFile(in.data(), 140, b.data(), b.size()), 140 * 24u);
    EXPECT_EQ(I32(b, 24 * 3 + 4), 0x12013);
    EXPECT_EQ(I32(b, 24 * 3 + 16), -1);
    struct Case {
        size_t bytes;
        int count;
    };
    for (const Case& c : {Case{100, 4}, Case{24, 1}, Case{23, 0}, Case{0, 0}, Case{3072, 128},
                          Case{140 * 24, 128}}) {
        ExchangeTable t;
        ReadExchangeFile(b.data(), c.bytes, &t);
        EXPECT_EQ(t.count, c.count) << c.bytes;
        for (int i = 0; i < c.count; ++i) {
            EXPECT_EQ(t.entry[i].code, in[size_t(i)].code);
            EXPECT_EQ(t.entry[i].next, in[size_t(i)].next);
            EXPECT_EQ(t.entry[i].msg[1], i + 1);
            EXPECT_EQ(t.entry[i].msg[3], 0x7fffffff);
        }
        if (c.count < kExchangeEntries) {
            EXPECT_EQ(t.entry[c.count].code, 0) << c.bytes;
        }
    }
    EXPECT_EQ(WriteExchangeFile(in.data(), 140, b.data(), 100), 0u);  // does not fit
}

TEST(PointFile, PairsAsTheyStandUpTo1024Bytes) {
    std::vector<TablePoint> in;
    for (int i = 0; i < 130; ++i) in.push_back({i * 10 - 600, 500 - i * 7});
    std::vector<uint8_t> b(130 * 8);
    ASSERT_EQ(WritePointFile(in.data(), 130, b.data(), b.size()), 1040u);
    PointTable t;
    ReadPointFile(b.data(), b.size(), &t);
    EXPECT_EQ(t.count, 128);
    EXPECT_EQ(t.point[127].x, 127 * 10 - 600);
    EXPECT_EQ(t.point[127].z, 500 - 127 * 7);
    ReadPointFile(b.data(), 20, &t);  // two points and a lone x
    EXPECT_EQ(t.count, 2);
    EXPECT_EQ(t.point[2].x, -580);
    EXPECT_EQ(t.point[2].z, 0);
}

TEST(RoutePreview, FortyEightWordsEndedByTheEndWord) {
    const uint32_t words[] = {PreviewWord(1, 3), PreviewWord(1, 4), PreviewWord(2, 0xffff)};
    std::vector<uint8_t> b(kPreviewSize, 0xcc);
    ASSERT_EQ(WriteRoutePreview(words, 3, b.data()), 192u);
    EXPECT_EQ(static_cast<uint32_t>(I32(b, 0)), 0x00010003u);
    EXPECT_EQ(static_cast<uint32_t>(I32(b, 8)), 0x0002ffffu);
    EXPECT_EQ(static_cast<uint32_t>(I32(b, 12)), kPreviewEnd);
    EXPECT_EQ(I32(b, 188), 0);
    std::vector<uint32_t> many(48, 1);
    EXPECT_EQ(WriteRoutePreview(many.data(), 48, b.data()), 0u);  // no room for the end word
    EXPECT_EQ(WriteRoutePreview(many.data(), 47, b.data()), 192u);
}

}  // namespace
