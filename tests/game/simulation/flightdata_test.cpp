// Flight data files and the names made from them: texts cut to the record's fields, callsigns,
// the type flag groups.
#include "sim_fixture.h"

using simtest::Bytes;

TEST(FlightData, TextsAreCutToTheRecordsFields) {
    // Every text fills its field without a NUL.
    const Bytes airline = Bytes()
                              .t("ABCDEFGHIJKLMNOP", 16)
                              .t(std::string(64, 'E').c_str(), 64)
                              .t(std::string(32, 'J').c_str(), 32);
    AirlineData a;
    ParseAirlineData(airline.b.data(), airline.b.size(), &a);
    EXPECT_STREQ(a.prefix, "ABCDEFG");
    EXPECT_EQ(std::string(a.english), std::string(31, 'E'));
    EXPECT_EQ(std::string(a.japanese), std::string(31, 'J'));

    const Bytes type = Bytes()
                           .t("TTTTTTTTTTTTTTTT", 16)
                           .t(std::string(48, 'D').c_str(), 48)
                           .i(0x111)
                           .i(-250)
                           .i(0)
                           .i(140);
    TypeData t;
    ParseTypeData(type.b.data(), type.b.size(), &t);
    EXPECT_EQ(std::string(t.name), std::string(15, 'T'));
    EXPECT_EQ(std::string(t.text), std::string(47, 'D'));
    EXPECT_EQ(t.flags, 0x111);
    EXPECT_EQ(t.value, -250);
    EXPECT_EQ(t.tailclear, 0);
    EXPECT_EQ(t.turnspeed, 140);  // the word at 76

    const Bytes port = Bytes()
                           .t("EEEEEEEEEEEEEEEE", 16)
                           .t("JJJJJJJJJJJJJJJJ", 16)
                           .t(std::string(48, '3').c_str(), 48);
    PortData p;
    ParsePortData(port.b.data(), port.b.size(), &p);
    EXPECT_EQ(std::string(p.english), std::string(16, 'E'));  // ends at its 16-byte field
    EXPECT_EQ(std::string(p.japanese), std::string(16, 'J'));
    EXPECT_EQ(std::string(p.third), std::string(31, '3'));  // 48 bytes into 32
}

TEST(FlightData, AShortFileReadsZeroFilled) {
    const Bytes airline = Bytes().t("JAIR", 16).t("HIK", 3);  // 19 bytes
    AirlineData a;
    ParseAirlineData(airline.b.data(), airline.b.size(), &a);
    EXPECT_STREQ(a.prefix, "JAIR");
    EXPECT_STREQ(a.english, "HIK");
    EXPECT_STREQ(a.japanese, "");
    TypeData t;
    ParseTypeData(airline.b.data(), 18, &t);
    EXPECT_EQ(t.flags, 0);
    PortData p;
    ParsePortData(nullptr, 0, &p);
    EXPECT_STREQ(p.english, "");
}

TEST(FlightData, Callsigns) {
    struct Case {
        const char* prefix;
        int flight;
        const char* callsign;
    };
    const Case cases[] = {
        {"JAIR", 7, "JAIR-007"},     {"jair", 7, "jair-007"},  // any case
        {"ANA", 7, "ANA-0007"},      {"JAL", 12345, "JAL-12345"},
        {"JAIR", 1234, "JAIR-1234"}, {"ABCDEFG", 123456789, "ABCDEFG-1234567"},  // 16 with NUL
        {"JAF", -3, "JAF--0003"},
    };
    for (const Case& c : cases) {
        char out[16];
        std::memset(out, 'x', sizeof out);
        FormatCallsign(out, c.prefix, c.flight);
        EXPECT_STREQ(out, c.callsign) << c.prefix << " " << c.flight;
    }
}

TEST(FlightData, TypeFlagGroups) {
    struct Case {
        const char* type;
        int32_t bits;
    };
    const Case cases[] = {{"B737-400", 0x20000}, {"B737", 0x20000}, {"b73", 0x20000},
                          {"MD90", 0x10000},     {"md90", 0x10000}, {"MD81", 0},
                          {"MD90-30", 0},        {"B747", 0x10000}, {"B767", 0x10000},
                          {"B777", 0x10000},     {"B75", 0},        {"A300", 0x10000},
                          {"A320", 0x10000},     {"A321", 0},       {"A300-600ST", 0},
                          {"YS11", 0},           {"", 0},           {"B7", 0}};
    for (const Case& c : cases) EXPECT_EQ(TypeFlagBits(c.type), c.bits) << c.type;
}
