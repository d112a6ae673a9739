// The stage and flight-data makers: their sample outputs and fixtures read back at every field
// offset the game reads, and the descriptions they refuse.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../../common/case_folder.h"
#include "wynbytes.h"
#include "wynplat.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
}

fs::path Bin() { return WynPlat_ProgramDir(); }

// The sources' texts are UTF-8 (the tests' own literals are Shift-JIS).
std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// The Shift-JIS bytes the makers write for a UTF-8 text.
std::string Sjis(const std::string& utf8) {
    char out[256];
    WynPlat_FromUtf8(utf8.c_str(), 932, out, sizeof out);
    return out;
}

// Bytes of a file read at offsets.
struct Image {
    std::vector<uint8_t> b;
    int32_t I(size_t at) const {
        wyn::ByteReader r(b.data(), b.size());
        r.seek(at);
        return r.i32();
    }
    std::string T(size_t at, size_t field) const {
        std::string s;
        for (size_t k = 0; k < field && at + k < b.size() && b[at + k]; ++k) s += char(b[at + k]);
        return s;
    }
};

// A folder of the test's own, with a maker run on descriptions written there.
class MakerCase : public ::testing::Test {
  protected:
    MakerCase() {
        dir_ = MakeCaseFolder("makers");
        fs::create_directories(dir_ / "src" / "rjtt");
    }
    int Stagemake(const char* name, const std::string& text) {
        const fs::path desc = dir_ / "src" / "rjtt" / name;
        std::ofstream(desc) << text;
        const std::string cmd = (Bin() / "stagemake").string() + " " + (dir_ / "out").string() +
                                " " + desc.string() + " 2>" + (dir_ / "err.txt").string();
        return std::system(cmd.c_str());
    }
    int Flightmake(const std::string& airlines, const std::string& types,
                   const std::string& airports) {
        std::ofstream(dir_ / "src" / "airlines.txt") << airlines;
        std::ofstream(dir_ / "src" / "types.txt") << types;
        std::ofstream(dir_ / "src" / "airports.txt") << airports;
        const std::string cmd = (Bin() / "flightmake").string() + " " + (dir_ / "src").string() +
                                " " + (dir_ / "out").string() + " 2>" + (dir_ / "err.txt").string();
        return std::system(cmd.c_str());
    }
    std::string Errors() {
        std::ifstream in(dir_ / "err.txt");
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    Image Out(const char* path) { return Image{ReadFile(dir_ / "out" / path)}; }
    bool Made(const char* path) { return fs::exists(dir_ / "out" / path); }
    fs::path dir_;
};

}  // namespace

TEST(SampleStages, TheClockStage) {
    const Image s{ReadFile(Bin() / "port" / "rjtt" / "scenario" / "clock.sd3")};
    ASSERT_EQ(s.b.size(), 0xf0u);
    EXPECT_EQ(s.T(0x00, 32), "rjtt clock");
    EXPECT_EQ(s.I(0x20), 959);
    EXPECT_EQ(s.I(0x24), 1);
    EXPECT_EQ(s.I(0x28), 0);
    EXPECT_EQ(s.I(0x2c), -1);
    EXPECT_EQ(s.I(0x30), 10);
    EXPECT_EQ(s.T(0x34, 16), "STAGE01");
    EXPECT_EQ(s.T(0x4c, 16), "");
    EXPECT_EQ(s.I(0x74), 1500);  // the camera's distance
    EXPECT_EQ(s.I(0xcc), 1);     // the first route set
    EXPECT_EQ(s.I(0xec), -1);    // the timetable: only its end
}

TEST(SampleStages, TheTrafficStageHoldsEveryRecordKind) {
    const Image s{ReadFile(Bin() / "port" / "rjtt" / "scenario" / "traffic.sd3")};
    ASSERT_GT(s.b.size(), 0xecu);
    EXPECT_EQ(s.T(0, 32), "rjtt traffic");
    // Walk the timetable by the record sizes.
    const std::vector<std::pair<int32_t, size_t>> sizes = {
        {5, 100},   {6, 72},    {7, 56},   {8, 20},    {9, 40}, {4020, 36},
        {4030, 16}, {5000, 20}, {5010, 8}, {5020, 12}, {-1, 4}};
    std::vector<int32_t> seen;
    std::vector<int> parkedSpots;
    size_t at = 0xec;
    while (at < s.b.size()) {
        const int32_t op = s.I(at);
        size_t size = 0;
        for (const auto& k : sizes)
            if (k.first == op) size = k.second;
        ASSERT_NE(size, 0u) << "opcode " << op << " at " << at;
        seen.push_back(op);
        if (op == 6) parkedSpots.push_back(s.I(at + 8));
        if (op == 7 && s.I(at + 8) == 9) {
            EXPECT_EQ(s.I(at + 20), 2);  // the missing ID
        }
        at += size;
        if (op == -1) break;
    }
    EXPECT_EQ(at, s.b.size());
    for (const auto& k : sizes)
        EXPECT_NE(std::find(seen.begin(), seen.end(), k.first), seen.end()) << k.first;
    EXPECT_EQ(parkedSpots, (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(MakerCase, EveryFieldAtItsOffset) {
    const char* records =
        "timetable\n"
        "label top\n"
        "create time=0931 id=2 x=-3 z=4 feet=5 knots=6 heading=7 flight=8 airline=JAL "
        "type=B737-400 port=KRG livery=9 schedule=10 sched=1005 kind=11 flags=0x12 plan=0x13 "
        "script=arr01\n"
        "park id=21 spot=22 flight=23 airline=ANA type=B777 port=HSZ livery=24 schedule=25 "
        "sched=0930 flags=-1 script=dep01\n"
        "ready time=1001 id=0x1003 flight=-1 quantity=31 kind=32 status=0x43000 port=KRG "
        "plan=0x33 script=tow\n"
        "wind time=1002 dir=340 speed=12 number=1012\n"
        "runways time=1003 text=110000000000000 text2=ABCDEFGHIJKLMNOP\n"
        "routes sets=1,2,3,4,5,6,7,8\n"
        "plan time=1004 id=21 plan=0x100\n"
        "if a=status:21 op=any b=0x1000 goto=done\n"
        "if a=spot:3 op=0x15 b=var:7 goto=top\n"
        "set var=4 value=score\n"
        "goto done\n"
        "word 0x1234 7\n"
        "label done\n"
        "end\n";
    const std::string header =
        U8(u8"title rjtt fixture 試験\n") +
        "start 0930\nhours 2\ntarget 3000\nextarget 4000\n"
        "stresslimit 12\nmusic STAGE01\neye 1 2 3\naim 4 5 6\ndistance 7\nlight 8 9 10\n"
        "back 11 12 13\ndaytime 2\ncloud 30\nweather N\nlight2 14 15 16\nlight2dir 17 18 19\n"
        "distances 20 21 22\nroutes 23 24 25 26 27 28 29 30\n";
    struct Form {
        const char* format;
        const char* file;
        size_t world, table;
    };
    const Form forms[] = {{"sd3", "port/rjtt/scenario/f.sd3", 0x5c, 0xec},
                          {"sd2", "port/rjtt/scenario/f.sd2", 0x5c, 0xec},
                          {"sd", "port/rjtt/scenario/f.sd", 0x44, 0xd4}};
    for (const Form& f : forms) {
        const bool old = std::string(f.format) == "sd";
        std::string text = "format " + std::string(f.format) + "\n" + header;
        if (!old) text += "runways 3\nflags 5\nexit wyndemoa.exe\n";
        ASSERT_EQ(Stagemake("f.stage", text + records), 0) << f.format << Errors();
        const Image s = Out(f.file);
        ASSERT_FALSE(s.b.empty()) << f.file;
        EXPECT_EQ(s.T(0x00, 32), Sjis(U8(u8"rjtt fixture 試験"))) << f.format;
        EXPECT_EQ(s.I(0x20), 930);
        EXPECT_EQ(s.I(0x24), 2);
        EXPECT_EQ(s.I(0x28), 3000);
        EXPECT_EQ(s.I(0x2c), 4000);
        EXPECT_EQ(s.I(0x30), 12);
        EXPECT_EQ(s.T(0x34, 16), "STAGE01");
        if (!old) {
            EXPECT_EQ(s.I(0x44), 3);
            EXPECT_EQ(s.I(0x48), 5);
            EXPECT_EQ(s.T(0x4c, 16), "wyndemoa.exe");
        }
        // The world block: eye, aim, distance, (0x1c unread), light, back, daytime, cloud,
        // weather, (0x44 unread), light2, its direction, distances, (0x6c unread), routes.
        const size_t w = f.world;
        const std::vector<std::pair<size_t, int32_t>> world = {
            {0x00, 1},  {0x04, 2},  {0x08, 3},  {0x0c, 4},  {0x10, 5},  {0x14, 6},
            {0x18, 7},  {0x1c, 0},  {0x20, 8},  {0x24, 9},  {0x28, 10}, {0x2c, 11},
            {0x30, 12}, {0x34, 13}, {0x38, 2},  {0x3c, 30}, {0x44, 0},  {0x48, 14},
            {0x4c, 15}, {0x50, 16}, {0x54, 17}, {0x58, 18}, {0x5c, 19}, {0x60, 20},
            {0x64, 21}, {0x68, 22}, {0x6c, 0},  {0x70, 23}, {0x8c, 30}};
        for (const auto& x : world)
            EXPECT_EQ(s.I(w + x.first), x.second) << f.format << " +" << x.first;
        EXPECT_EQ(s.T(w + 0x40, 4), "N");

        size_t t = f.table;
        // 5
        EXPECT_EQ(s.I(t + 0), 5);
        const std::vector<std::pair<size_t, int32_t>> r5 = {
            {4, 931}, {8, 2},  {12, -3}, {16, 4},    {20, 5},  {24, 6},    {28, 7},
            {32, 8},  {60, 9}, {64, 10}, {68, 1005}, {72, 11}, {76, 0x12}, {80, 0x13}};
        for (const auto& x : r5) EXPECT_EQ(s.I(t + x.first), x.second) << "record 5 +" << x.first;
        EXPECT_EQ(s.T(t + 36, 8), "JAL");
        EXPECT_EQ(s.T(t + 44, 8), "B737-400");  // fills its field: no NUL
        EXPECT_EQ(s.b[t + 52], 'K');
        EXPECT_EQ(s.T(t + 52, 8), "KRG");
        EXPECT_EQ(s.T(t + 84, 16), "arr01");
        t += 100;
        // 6
        const std::vector<std::pair<size_t, int32_t>> r6 = {
            {0, 6}, {4, 21}, {8, 22}, {12, 23}, {40, 24}, {44, 25}, {48, 930}, {52, -1}};
        for (const auto& x : r6) EXPECT_EQ(s.I(t + x.first), x.second) << "record 6 +" << x.first;
        EXPECT_EQ(s.T(t + 16, 8), "ANA");
        EXPECT_EQ(s.T(t + 24, 8), "B777");
        EXPECT_EQ(s.T(t + 32, 8), "HSZ");
        EXPECT_EQ(s.T(t + 56, 16), "dep01");
        t += 72;
        // 7
        const std::vector<std::pair<size_t, int32_t>> r7 = {{0, 7},        {4, 1001}, {8, 0x1003},
                                                            {12, -1},      {16, 31},  {20, 32},
                                                            {24, 0x43000}, {36, 0x33}};
        for (const auto& x : r7) EXPECT_EQ(s.I(t + x.first), x.second) << "record 7 +" << x.first;
        EXPECT_EQ(s.T(t + 28, 8), "KRG");
        EXPECT_EQ(s.T(t + 40, 16), "tow");
        t += 56;
        // 8, 9, 4020, 4030
        EXPECT_EQ(s.I(t), 8);
        EXPECT_EQ(s.I(t + 4), 1002);
        EXPECT_EQ(s.I(t + 8), 340);
        EXPECT_EQ(s.I(t + 12), 12);
        EXPECT_EQ(s.I(t + 16), 1012);
        t += 20;
        EXPECT_EQ(s.I(t), 9);
        EXPECT_EQ(s.I(t + 4), 1003);
        EXPECT_EQ(s.T(t + 8, 16), "110000000000000");
        EXPECT_EQ(s.T(t + 24, 16), "ABCDEFGHIJKLMNOP");
        t += 40;
        EXPECT_EQ(s.I(t), 4020);
        for (int k = 0; k < 8; ++k) EXPECT_EQ(s.I(t + 4 + 4 * size_t(k)), k + 1);
        t += 36;
        EXPECT_EQ(s.I(t), 4030);
        EXPECT_EQ(s.I(t + 4), 1004);
        EXPECT_EQ(s.I(t + 8), 21);
        EXPECT_EQ(s.I(t + 12), 0x100);
        t += 16;
        // 5000 twice, 5020, 5010, raw words, -1
        const size_t done = 100 + 72 + 56 + 20 + 40 + 36 + 16 + 20 + 20 + 12 + 8 + 8;
        EXPECT_EQ(s.I(t), 5000);
        EXPECT_EQ(s.I(t + 4), 0x01120015);
        EXPECT_EQ(s.I(t + 8), 0x40);
        EXPECT_EQ(s.I(t + 12), 0x1000);
        EXPECT_EQ(s.I(t + 16), int32_t(done));
        t += 20;
        EXPECT_EQ(s.I(t + 4), 0x01060003);
        EXPECT_EQ(s.I(t + 8), 0x15);
        EXPECT_EQ(s.I(t + 12), 0x0fff0007);
        EXPECT_EQ(s.I(t + 16), 0);  // label top: the timetable's first record
        t += 20;
        EXPECT_EQ(s.I(t), 5020);
        EXPECT_EQ(s.I(t + 4), 4);
        EXPECT_EQ(s.I(t + 8), 0x01010000);
        t += 12;
        EXPECT_EQ(s.I(t), 5010);
        EXPECT_EQ(s.I(t + 4), int32_t(done));
        t += 8;
        EXPECT_EQ(s.I(t), 0x1234);
        EXPECT_EQ(s.I(t + 4), 7);
        t += 8;
        EXPECT_EQ(t - f.table, done);
        EXPECT_EQ(s.I(t), -1);
        EXPECT_EQ(s.b.size(), t + 4);
    }
}

TEST_F(MakerCase, StagesItRefuses) {
    struct Case {
        const char* what;
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"a start with 60 minutes", "start 0960\ntimetable\nend\n", "59 minutes"},
        {"a record time with 60 minutes", "timetable\nwind time=1060\nend\n", "59 minutes"},
        {"a jump to no label", "timetable\ngoto nowhere\nend\n", "unknown label"},
        {"a label twice", "timetable\nlabel a\nlabel a\nend\n", "twice"},
        {"a text longer than its field", "timetable\ncreate airline=ABCDEFGHI\nend\n", "bytes"},
        {"a title longer than 32 bytes", "title " + std::string(33, 'x') + "\ntimetable\nend\n",
         "bytes"},
        {"an unknown field", "timetable\npark gate=3\nend\n", "no field"},
        {"an unknown record", "timetable\nfly id=3\nend\n", "unknown record"},
        {"a runway configuration in the old form", "format sd\nrunways 2\ntimetable\nend\n",
         "old form"},
        {"a value of no class", "timetable\nset var=1 value=speed\nend\n", "value"},
        {"more than the game reads",
         "timetable\n" +
             [] {
                 std::string s;
                 for (int k = 0; k < 150; ++k) s += "create id=1\n";
                 return s;
             }() +
             "end\n",
         "the game reads"},
    };
    for (const Case& c : cases) {
        EXPECT_NE(Stagemake("bad.stage", c.text), 0) << c.what;
        EXPECT_NE(Errors().find(c.message), std::string::npos) << c.what << ": " << Errors();
        EXPECT_FALSE(Made("port/rjtt/scenario/bad.sd3")) << c.what;
    }
}

TEST(SampleFlightData, EveryFileKindAtItsOffsets) {
    const Image jal{ReadFile(Bin() / "airplane" / "JAL.dat")};
    ASSERT_EQ(jal.b.size(), 112u);
    EXPECT_EQ(jal.T(0, 16), "JAL");
    EXPECT_EQ(jal.T(16, 64), "SUNRISE");
    EXPECT_EQ(jal.T(80, 32), Sjis(U8(u8"日の出航空")));
    const Image hka{ReadFile(Bin() / "airplane" / "HKA.dat")};
    EXPECT_EQ(hka.T(0, 16), "JAIR");
    for (const char* code : {"JAL", "ANA", "JAS", "JAF", "JCG"})
        EXPECT_TRUE(fs::exists(Bin() / "airplane" / (std::string(code) + ".dat"))) << code;

    const Image b767{ReadFile(Bin() / "airplane" / "B767" / "B767.dat")};
    ASSERT_EQ(b767.b.size(), 80u);
    EXPECT_EQ(b767.T(0, 16), "B767");
    EXPECT_EQ(b767.T(16, 48), "BOEING 767-300");
    EXPECT_EQ(b767.I(64), 0x111);
    EXPECT_EQ(b767.I(68), -250);
    EXPECT_EQ(b767.I(72), 0);
    EXPECT_EQ(b767.I(76), 150);  // the minimum turn speed, knots
    const Image ys11{ReadFile(Bin() / "airplane" / "YS11" / "YS11.dat")};
    EXPECT_EQ(ys11.I(72), 8000);
    const Image spm{ReadFile(Bin() / "airplane" / "SPM" / "SPM.dat")};
    EXPECT_EQ(spm.I(64) & 0xf, 4);

    const Image krg{ReadFile(Bin() / "etc" / "ap" / "KRG.dat")};
    ASSERT_EQ(krg.b.size(), 80u);
    EXPECT_EQ(krg.T(0, 16), "KIRIGAOKA");
    EXPECT_EQ(krg.T(16, 16), Sjis(U8(u8"霧ヶ丘")));
    EXPECT_EQ(krg.T(32, 48), "KIRIGAOKA AIRPORT");
    EXPECT_TRUE(fs::exists(Bin() / "etc" / "ap" / "HSZ.dat"));
}

TEST_F(MakerCase, FlightDataItRefuses) {
    const std::string airline = U8(u8"ANA | ANA | WHITE CRANE | 白鶴航空\n");
    const std::string type = "B777 | BOEING 777-200 | 0x411 | 320 | 0 | 150\n";
    const std::string airport = U8(u8"KRG | KIRIGAOKA | 霧ヶ丘 | KIRIGAOKA AIRPORT\n");
    ASSERT_EQ(Flightmake(airline, type, airport), 0) << Errors();
    EXPECT_TRUE(Made("airplane/ANA.dat"));
    EXPECT_TRUE(Made("airplane/B777/B777.dat"));
    EXPECT_TRUE(Made("etc/ap/KRG.dat"));
    struct Case {
        const char* what;
        std::string airlines, types, airports;
        const char* message;
    };
    const Case cases[] = {
        {"a prefix of 8", "XYZ | ABCDEFGH | X | Y\n", type, airport, "at most 7"},
        {"an English name of 32", "XYZ | X | " + std::string(32, 'E') + " | Y\n", type, airport,
         "at most 31"},
        {"a type name of 9", airline, "B737-4000 | X | 0 | 0 | 0 | 0\n", airport, "1-8 letters"},
        {"flags that are no number", airline, "B777 | X | lots | 0 | 0 | 0\n", airport, "number"},
        {"a turn speed that is no number", airline, "B777 | X | 0 | 0 | 0 | fast\n", airport,
         "number"},
        {"a type without its turn speed", airline, "B777 | X | 0 | 0 | 0\n", airport, "6 fields"},
        {"a missing field", airline, type, "KRG | A | B\n", "4 fields"},
        {"a third name of 32", airline, type, "KRG | A | B | " + std::string(32, '3') + "\n",
         "at most 31"},
        {"a code that is no name", "X/Y | A | B | C\n", type, airport, "not a name"},
    };
    for (const Case& c : cases) {
        fs::remove_all(dir_ / "out");
        EXPECT_NE(Flightmake(c.airlines, c.types, c.airports), 0) << c.what;
        EXPECT_NE(Errors().find(c.message), std::string::npos) << c.what << ": " << Errors();
        EXPECT_FALSE(fs::exists(dir_ / "out")) << c.what;  // nothing is written
    }
}
