// The phrase tables and the composer: reading records inside the bytes read, every macro in
// both languages, the callsign and other-airport forms, corrections and missing texts.
#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "radio_fixture.h"

namespace {

std::string Expand(int aircraft, const std::string& in, int language) {
    char out[kAtcText];
    std::memset(out, 'x', sizeof out);
    ExpandAtcMacros(aircraft, out, in.c_str(), int(in.size()), language);
    return out;
}

// Knots as the game keeps a speed: world units per tick.
double Knots(double k) { return k * 1.852 / 108; }

// Slot 0 in a usable state: an airline flight at spot 3 of an airport with named spots and
// runways, flight number 123.
void Standard(RadioWorld& w) {
    AircraftRecord& a = w.A(0);
    SetText(a.callprefix, "ANA");
    SetText(a.airline, "ANA");
    SetText(a.airlinee, "All Nippon");
    SetText(a.airlinej, "全日空");
    SetText(a.callsign, "ANA-0123");
    SetText(a.typename_, "B767");
    SetText(a.portnamee, "Chitose");
    SetText(a.portnamej, "千歳");
    SetText(a.port, "rjcc");
    SetText(a.portword, "SAKURA");
    a.spot = 3;
    w.O(0).flight = 123;
    for (int i = 0; i < 16; ++i) {
        std::string name = "SPOT " + std::to_string(kSpotNumbers[size_t(i % 15)]);
        SetText(w.Port().spots[i].name, name.c_str());
    }
    SetText(w.Port().arrivals[0].name, "34L");
    SetText(w.Port().arrivals[1].name, "34R");
    SetText(w.Port().departures[0].name, "05");
    SetText(w.Port().departures[2].name, "16R");
}

}  // namespace

TEST(PhraseTable, ReadsOnlyInsideTheBytesRead) {
    const std::vector<uint8_t> good = PhraseTable({{0, 1, "zero"}, {2, 0, "two"}});
    const char* text = nullptr;
    int speaker = -1;
    EXPECT_EQ(FindPhrase(good.data(), int(good.size()), 0, &text, &speaker), 4);
    EXPECT_STREQ(text, "zero");
    EXPECT_EQ(speaker, 1);
    EXPECT_EQ(FindPhrase(good.data(), int(good.size()), 2, &text, &speaker), 3);
    EXPECT_EQ(speaker, 0);

    struct Case {
        const char* what;
        std::function<std::vector<uint8_t>()> table;
        int n;
    };
    const Case missing[] = {
        {"an empty text", [&] { return good; }, 1},
        {"an offset entry past the bytes", [&] { return good; }, 5000},
        {"a negative number", [&] { return good; }, -1},
        {"an offset past the bytes",
         [&] {
             auto t = good;
             t[4] = 0xff, t[5] = 0xff;
             return t;
         },
         0},
        {"a record cut in its speaker word",
         [&] {
             auto t = good;
             t.resize(size_t(t[12]) + 2);  // message 2's record, two bytes of its word
             return t;
         },
         2},
        {"a text without its NUL",
         [&] {
             auto t = good;
             t.pop_back();
             return t;
         },
         2},
        {"no bytes", [] { return std::vector<uint8_t>(); }, 0},
    };
    for (const Case& c : missing) {
        const std::vector<uint8_t> t = c.table();
        EXPECT_EQ(FindPhrase(t.data(), int(t.size()), c.n, &text, &speaker), 0) << c.what;
    }
}

TEST(PhraseTable, CopiesMessagesOfTheThreeTablesAndCutsLongOnes) {
    RadioWorld w;
    w.English({{7, 1, "seven"}, {8, 0, std::string(600, 'e')}});
    w.Japanese({{7, 0, "七"}});
    w.Announcements({{20, 0, "@[a][b]"}});
    char text[kAtcText];
    int speaker = -1;
    EXPECT_EQ(GetAtcTextE(7, text, &speaker), 5);
    EXPECT_STREQ(text, "seven");
    EXPECT_EQ(speaker, 1);
    EXPECT_EQ(GetAtcTextE(8, text, &speaker), 511);
    EXPECT_EQ(std::strlen(text), 511u);
    EXPECT_EQ(GetAtcTextE(6, text, &speaker), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(GetAtcTextJ(7, text), 2);
    EXPECT_STREQ(text, "七");
    EXPECT_EQ(GetAnnounceText(20, text), 7);
    EXPECT_STREQ(text, "@[a][b]");
    // A table bigger than the block is read only up to the block's size.
    std::vector<uint8_t> big = PhraseTable({{0, 0, "x"}});
    big.resize(70000, 'y');
    SetPhraseBytes(PHRASE_ENGLISH, big.data(), int(big.size()));
    EXPECT_EQ(GetAtcTextE(0, text, &speaker), 1);
}

TEST(Composer, EveryMacroInBothLanguages) {
    struct Case {
        const char* in;
        std::function<void(RadioWorld&)> set;
        const char* japanese;
        const char* english;
    };
    const auto none = [](RadioWorld&) {};
    const Case cases[] = {
        {"$C.", none, "123.", "@[#123][123]."},
        {"$H", [](RadioWorld& w) { w.A(0).hdg = 45; }, "045", "045"},
        {"$J", none, "All_Nippon", "All_Nippon"},
        {"$K", [](RadioWorld& w) { w.A(0).area = 1; }, "小松", "小松"},
        {"[$K]", [](RadioWorld& w) { w.A(0).area = 2; }, "[]", "[]"},
        {"$P", none, "Chitose", "Chitose"},
        {"$U", none, "%123", "%123"},
        {"$V", none, "Spot12", "Spot12"},
        {"$Y", none, "12", "12"},
        {"$b-$z",
         [](RadioWorld&) {
             GetStageWeather() = {340, 15, 2992};
         },
         "340-15", "340-15"},
        {"$d", [](RadioWorld& w) { w.A(0).turn = 1; }, "右", "right"},
        {"$d", [](RadioWorld& w) { w.A(0).turn = 2; }, "左", "left"},
        {"[$d]", [](RadioWorld& w) { w.A(0).turn = 3; }, "[]", "[]"},
        {"$e", [](RadioWorld& w) { w.A(0).place = 4; }, "15", "15"},
        {"$f", [](RadioWorld& w) { w.A(0).quantity = 250; }, "250", "250"},
        {"$i", none, "A", "A"},
        {"$j$k", none, "全日空千歳", "全日空千歳"},
        {"$l", none, "B767", "B767"},
        {"$m", [](RadioWorld& w) { w.A(0).amount = 7500; }, "7500", "7500"},
        {"$n", none, "SPOT 12", "SPOT 12"},
        {"$n",
         [](RadioWorld& w) {
             w.A(0).spot = -1;
             w.A(0).choice = 2;
         },
         "SPOT 5", "SPOT 5"},
        {"$q", [](RadioWorld& w) { w.A(0).schedule = 42; }, "42", "%42"},
        {"$r", [](RadioWorld& w) { w.A(0).runway = 2; }, "34R", "34R"},
        {"$r",
         [](RadioWorld& w) {
             w.A(0).strip = 0x1302;
             w.A(0).choice = 3;
         },
         "16R", "16R"},
        {"$t",
         [](RadioWorld& w) {
             w.A(0).choice = 2;
             w.A(0).subchoice = 3;
             SetText(w.A(0).routenames[5].name2, "WEST_ROUTE");
         },
         "WEST_ROUTE", "WEST_ROUTE"},
        {"$t", [](RadioWorld& w) { SetText(w.A(0).routenames[0].name2, "FIRST"); }, "FIRST",
         "FIRST"},
        {"$u", none, "#123", "#123"},
        {"$v", none, "#12", "#12"},
        {"$w", none, "SAKURA", "SAKURA"},
        {"$$", [](RadioWorld& w) { w.A(0).correction = 9; }, "$$", "$$"},
        {"A $$ B", none, "A  B", "A  B"},
        // The Part's numbers: heights, headings, speeds, the altimeter.
        {"$a", [](RadioWorld& w) { w.O(0).pos.y = 1000.4; }, "6400", "6400"},
        {"$a", [](RadioWorld& w) { w.O(0).pos.y = 2347; }, "15400", "150"},
        {"$a", [](RadioWorld& w) { w.O(0).pos.y = 1829; }, "12000", "12000"},
        {"$h", [](RadioWorld& w) { w.A(0).choice = 180; }, "360", "360"},
        {"$h", [](RadioWorld& w) { w.A(0).choice = 90; }, "270", "270"},
        {"$h", [](RadioWorld& w) { w.A(0).choice = 200; }, "020", "020"},
        {"$s", [](RadioWorld& w) { w.O(0).speed = Knots(145.0); }, "150", "150"},
        {"$s", [](RadioWorld& w) { w.O(0).speed = Knots(144.9); }, "140", "140"},
        {"$gX", [](RadioWorld&) { GetStageWeather().pressure = 2992; }, "2992X", "%2992X"},
        {"$g", [](RadioWorld&) { GetStageWeather().pressure = 992; }, " 992", "% 992"},
        // Not macros: both bytes go.
        {"a$xb", none, "ab", "ab"},
        {"a$\x82"
         "b",
         none, "ab", "ab"},
        {"ab$", none, "ab", "ab"},
    };
    for (const Case& c : cases) {
        RadioWorld w;
        Standard(w);
        c.set(w);
        EXPECT_EQ(Expand(0, c.in, 0), c.japanese) << c.in;
        EXPECT_EQ(Expand(0, c.in, 1), c.english) << c.in;
    }
}

TEST(Composer, IndexesOutsideTheirTablesInsertNothing) {
    struct Case {
        const char* in;
        std::function<void(RadioWorld&)> set;
    };
    const Case cases[] = {
        {"$Y", [](RadioWorld& w) { w.A(0).spot = -1; }},
        {"$Y", [](RadioWorld& w) { SetText(w.Port().spots[3].name, "SPOT"); }},  // too short
        {"$Y", [](RadioWorld& w) { w.A(0).spot = 64; }},
        {"$V", [](RadioWorld& w) { w.A(0).spot = 15; }},  // the table has 15 entries
        {"$V", [](RadioWorld& w) { w.A(0).spot = -1; }},
        {"$e", [](RadioWorld& w) { w.A(0).place = -5; }},
        {"$n", [](RadioWorld& w) { w.A(0).spot = -1; }},  // and `choice` 0
        {"$v", [](RadioWorld& w) { w.A(0).spot = 70; }},
        {"$v", [](RadioWorld& w) { SetText(w.Port().spots[3].name, "SPOT12"); }},  // no blank
        {"$r", [](RadioWorld& w) { w.A(0).runway = 0; }},
        {"$r", [](RadioWorld& w) { w.A(0).runway = 9; }},
        {"$r", [](RadioWorld& w) { w.A(0).strip = 0x1000; }},  // departure, `choice` 0
        {"$t",
         [](RadioWorld& w) {
             w.A(0).choice = 17;
             w.A(0).subchoice = 1;
         }},
        {"$y", [](RadioWorld&) {}},  // an airline without a ground company
    };
    for (const Case& c : cases) {
        RadioWorld w;
        Standard(w);
        SetText(w.A(0).airline, "XYZ");
        c.set(w);
        EXPECT_EQ(Expand(0, std::string("<") + c.in + ">", 1), "<>") << c.in;
    }
    // Without tables every aircraft macro is empty; the weather ones still speak.
    SetAircraftTable(nullptr);
    EXPECT_EQ(Expand(0, "<$c$a$p$i>", 1), "<A>");
    RadioWorld w;
    EXPECT_EQ(Expand(25, "<$c$j>", 0), "<>");
}

TEST(Composer, CallsignsByTheirPrefix) {
    struct Case {
        const char* prefix;
        const char* japanese;
        const char* english;
    };
    const Case cases[] = {
        {"CAB", "航空局123G", "JA123G"},
        {"cab", "航空局123G", "XYZ %123"},  // Japanese compares without case, English exactly
        {"JA", "航空局JA-8123", "JA123"},
        {"ja", "航空局 123", "XYZ %123"},
        {"JAF", "航空局JA-8123", "JA-8123"},
        {"jaf", "航空局JA-8123", "JA-8123"},
        {"JMF", "航空局JA-8123", "JA-8123"},
        {"jmf", "航空局 123", "JA-8123"},
        {"XYZ", "航空局 123", "XYZ %123"},
    };
    for (const Case& c : cases) {
        RadioWorld w;
        SetText(w.A(0).callprefix, c.prefix);
        SetText(w.A(0).airline, "XYZ");
        SetText(w.A(0).airlinej, "航空局");
        SetText(w.A(0).callsign, "JA-8123");
        w.O(0).flight = 123;
        EXPECT_EQ(Expand(0, "$c", 0), c.japanese) << c.prefix;
        EXPECT_EQ(Expand(0, "$c", 1), c.english) << c.prefix;
    }
    RadioWorld w;
    SetText(w.A(0).callprefix, "CAB");
    w.O(0).flight = 5;
    EXPECT_EQ(Expand(0, "$c", 1), "JA005G");
}

TEST(Composer, OtherAirportsAndGroundCompanies) {
    struct Port {
        const char* prefix;
        const char* port;
        const char* japanese;
        const char* english;
    };
    const Port ports[] = {
        {"JAF", "rjoh", "美保基地", "Miho_Base"},
        {"JMF", "rjfz", "築城基地", "Tsuiki_Base"},
        {"ANA", "rjbh", "築城", "Tsuiki Airport"},
        {"ANA", "rjfz", "築城空港", "Tsuiki Airport"},
    };
    for (const Port& c : ports) {
        RadioWorld w;
        SetText(w.A(0).callprefix, c.prefix);
        SetText(w.A(0).port, c.port);
        SetText(w.A(0).portnamee, "Tsuiki");
        SetText(w.A(0).portnamej, "築城");
        EXPECT_EQ(Expand(0, "$p", 0), c.japanese) << c.prefix << " " << c.port;
        EXPECT_EQ(Expand(0, "$p", 1), c.english) << c.prefix << " " << c.port;
    }
    struct Company {
        const char* airline;
        const char* text;
    };
    const Company companies[] = {
        {"JAL", "日航整備_21"},         {"ANA", "全日空羽田_575"},
        {"SKY", "全日空羽田_575"},      {"JAS", "エアシステムタグ_14"},
        {"JCG", "エアシステムタグ_14"}, {"ANK", "エアニッポン羽田_193"},
        {"SLV", "ソルバエア羽田_55"},   {"JALX", ""},
    };
    for (const Company& c : companies) {
        RadioWorld w;
        SetText(w.A(0).airline, c.airline);
        EXPECT_EQ(Expand(0, "$y", 1), c.text) << c.airline;
    }
}

TEST(Composer, StopsAt511BytesAndAtANul) {
    RadioWorld w;
    Standard(w);
    EXPECT_EQ(Expand(0, std::string(600, 'a'), 1).size(), 511u);
    std::string many;
    for (int i = 0; i < 100; ++i) many += "$J";  // 10 bytes each
    const std::string out = Expand(0, many, 1);
    EXPECT_EQ(out.size(), 511u);
    EXPECT_EQ(out.substr(0, 10), "All_Nippon");
    // `length` and a NUL both end the input.
    char buf[kAtcText];
    ExpandAtcMacros(0, buf, "abc$J", 3, 1);
    EXPECT_STREQ(buf, "abc");
    ExpandAtcMacros(0, buf, "ab\0$J", 5, 1);
    EXPECT_STREQ(buf, "ab");
}

TEST(Composer, ComposesTheRowStateTheTextsAndTheSpeaker) {
    RadioWorld w;
    Standard(w);
    w.English({{100, 0, "$c, hello."}, {101, 1, "$c, bye."}, {102, 0, "x"}});
    // Numbers past a table's offsets would read its records as offsets: the tables cover them.
    w.Japanese({{100, 0, "$c、こんにちは。"}, {102, 0, "x"}});
    char out[2 * kAtcText];
    ExchangeRow& row = GetExchangeRows()[2];
    row = ExchangeRow{};
    EXPECT_EQ(ComposeExchangeMessage(2, MakeExchangeMessage(100, kExchangeMore, 0), out), 0);
    EXPECT_EQ(row.state, 1);
    EXPECT_EQ(row.timer, 0);
    EXPECT_EQ(w.A(0).talking, 1);
    EXPECT_STREQ(out, "全日空 123、こんにちは。");
    EXPECT_STREQ(out + kAtcText, "ANA %123, hello.");
    EXPECT_EQ(ComposeExchangeMessage(2, MakeExchangeMessage(101, kExchangeLast, 0), out), 1);
    EXPECT_EQ(row.state, 3);
    EXPECT_EQ(row.timer, 90);
    EXPECT_STREQ(out, "101番交信データがありません。");  // missing Japanese
    EXPECT_STREQ(out + kAtcText, "ANA %123, bye.");
    EXPECT_EQ(ComposeExchangeMessage(2, MakeExchangeMessage(77, kExchangeLast, 0), out), 0);
    EXPECT_STREQ(out, "77番交信データがありません。");
    EXPECT_STREQ(out + kAtcText, "No77,No ATC.");
    row = ExchangeRow{};
}

TEST(Composer, SplicesAPendingCorrection) {
    struct Case {
        const char* what;
        std::vector<Phrase> english, japanese;
        int speaker;
        const char* outj;
        const char* oute;
    };
    const Case cases[] = {
        {"the Part's example",
         {{1, 0, "A $$ B"}, {9, 1, "$c, turn left"}},
         {{1, 0, "あ$$い"}, {9, 1, "$c、左へ"}},
         1,
         "あ、訂正します左へ",
         "A  correction turn left"},
        {"a correction shorter than five bytes adds nothing after the joint",
         {{1, 0, "A $$ B"}, {9, 1, "$c,"}},
         {{1, 0, "あ$$い"}, {9, 1, "$c"}},
         1,
         "あ、訂正します",
         "A  correction "},
        {"a missing correction keeps the message's speaker",
         {{1, 0, "A $$ B"}},
         {{1, 0, "あ$$い"}},
         0,
         "あ、訂正します",
         "A  correction "},
        {"a text without $$ gets the correction at its end",
         {{1, 1, "A B"}, {9, 0, "$c, C"}},
         {{1, 1, "あい"}, {9, 0, "$c、う"}},
         0,
         "あい、訂正しますう",
         "A B correction C"},
        {"the splice stops at 511 bytes",
         {{1, 0, std::string(500, 'a') + "$$"}, {9, 0, "$c, " + std::string(100, 'b')}},
         {{1, 0, "x"}},
         0,
         "x、訂正します",
         nullptr},
    };
    for (const Case& c : cases) {
        RadioWorld w;
        Standard(w);
        w.English(c.english);
        w.Japanese(c.japanese);
        w.A(0).correction = 9;
        char out[2 * kAtcText];
        EXPECT_EQ(ComposeExchangeMessage(0, MakeExchangeMessage(1, 0, 0), out), c.speaker)
            << c.what;
        EXPECT_EQ(w.A(0).correction, 0) << c.what;
        EXPECT_STREQ(out, c.outj) << c.what;
        if (c.oute) {
            EXPECT_STREQ(out + kAtcText, c.oute) << c.what;
        } else {
            const std::string e = out + kAtcText;
            EXPECT_EQ(e.size(), 511u) << c.what;
            EXPECT_EQ(e.substr(500, 11), " correction") << c.what;
        }
    }
    GetExchangeRows()[0] = ExchangeRow{};
}
