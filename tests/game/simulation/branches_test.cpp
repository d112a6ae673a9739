// The move script's branch checks (every rule, with the wind, the answered request, the spot,
// the stage's values, the aircraft's kind and plan), the emergency record and the answer ring.
#include <climits>
#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "orders_fixture.h"

using simtest::OrdersCase;

namespace {

constexpr int kSlot = 4;

struct BranchCase {
    const char* what;
    int code;
    // the stage and the aircraft before the check
    int winddir = 20, windspeed = 15;
    int windcheck = 0, runway = 0, spot = -1, approach = 0;
    int32_t plan = 0;
    int32_t kind = 0;
    double heading = 0.0;
    bool stripsfull = false;
    // after it
    bool loads = false;
    uint32_t stress = 0;
    std::vector<std::string> memos = {};
    int windcheck2 = INT_MIN;  // INT_MIN: as before
    int runway2 = INT_MIN;
    const char* loaded = nullptr;  // the quiet loads: the script read
};

const BranchCase kBranches[] = {
    // Rule 1: runway against wind.
    {.what = "runway 340 in wind 20/15", .code = 0x3000 | 340, .loads = true},
    {.what = "wind 9 fails", .code = 0x3000 | 20, .windspeed = 9},
    {.what = "wind 10 passes", .code = 0x3000 | 20, .windspeed = 10, .loads = true},
    {.what = "flag 0x200 at any speed", .code = 0x3200 | 10, .windspeed = 0, .loads = true},
    {.what = "flag 0x200 keeps 9 bits",
     .code = 0x3200 | 0x1ff,
     .winddir = 511,
     .windspeed = 0,
     .loads = true},
    {.what = "flag 0x200 still needs the direction", .code = 0x3200 | 100, .windspeed = 0},
    {.what = "350 against 10: diff 340", .code = 0x3000 | 10, .winddir = 350, .loads = true},
    {.what = "350 against 60: diff 290", .code = 0x3000 | 60, .winddir = 350},
    {.what = "diff 50", .code = 0x3000 | 70, .loads = true},
    {.what = "diff 51", .code = 0x3000 | 71},
    // Rule 2: the aircraft's kind.
    {.what = "kind bit", .code = 0x10000000, .kind = 0x10000003, .loads = true},
    {.what = "kind bit 31", .code = int(0x80000000u), .kind = int(0x80000000u), .loads = true},
    {.what = "other kind", .code = 0x20000000, .kind = 0x10000003},
    // Rule 3: a hold asked for.
    {.what = "hold", .code = 1, .windcheck = 2, .loads = true, .memos = {"HOLD"}, .windcheck2 = 0},
    // Rule 4: the spot.
    {.what = "spot 3", .code = 0x13, .spot = 3, .loads = true},
    {.what = "spot 18 (0x22)", .code = 0x22, .spot = 18, .loads = true},
    {.what = "another spot", .code = 0x14, .spot = 3},
    {.what = "no spot", .code = 0x10, .spot = -1},
    // Rule 5: go-around by the reason.
    {.what = "go-around, refused",
     .code = 0x50,
     .windcheck = 0,
     .runway = 2,
     .loads = true,
     .stress = 20,
     .memos = {"GOAR"},
     .windcheck2 = 0,
     .runway2 = 0},
    {.what = "go-around, asked",
     .code = 0x50,
     .windcheck = 1,
     .runway = 2,
     .loads = true,
     .stress = 10,
     .memos = {"GOAR"},
     .windcheck2 = 0,
     .runway2 = 0},
    {.what = "go-around in a tailwind",
     .code = 0x50,
     .windcheck = 2,
     .runway = 2,
     .heading = 40.9,
     .loads = true,
     .stress = 15,
     .memos = {"TAILWIND"},
     .windcheck2 = 0,
     .runway2 = 0},
    {.what = "windcheck 2 without a runway", .code = 0x50, .windcheck = 2, .heading = 40.0},
    {.what = "windcheck 2, heading away from the wind",
     .code = 0x50,
     .windcheck = 2,
     .runway = 2,
     .heading = 200.0},
    {.what = "windcheck 2, wind of 10", .code = 0x50, .windspeed = 10, .windcheck = 2, .runway = 2},
    {.what = "windcheck 3", .code = 0x50, .windcheck = 3, .runway = 2},
    // Rule 6.
    {.what = "hold after a check",
     .code = 0x60,
     .windcheck = 1,
     .loads = true,
     .memos = {"HOLD"},
     .windcheck2 = 0},
    {.what = "no check, no hold", .code = 0x60},
    // Rule 7: the stage's route set of the aircraft's approach (value 5 at index 2).
    {.what = "route set", .code = 0x105, .approach = 2, .loads = true},
    {.what = "another route set", .code = 0x104, .approach = 2},
    {.what = "approach past the values", .code = 0x105, .approach = 8},
    {.what = "approach below them", .code = 0x100, .approach = -1},
    // Rule 8: the runway's character in the timetable's text "010111...".
    {.what = "runway closed", .code = 0x130, .runway = 3, .loads = true},
    {.what = "runway open", .code = 0x130, .runway = 2},
    {.what = "no runway", .code = 0x130, .runway = 0},
    {.what = "runway past the text", .code = 0x130, .runway = 16},
    // Rules 9-11: the plan's family, loaded quietly.
    {.what = "family 1",
     .code = 0x1000,
     .runway = 2,
     .plan = 0x10007,
     .runway2 = 0,
     .loaded = "next7"},
    {.what = "family 1, strip queue full", .code = 0x1000, .plan = 0x10007, .stripsfull = true},
    {.what = "family 1, other family", .code = 0x1000, .plan = 0x20007},
    {.what = "family 2 keeps the route",
     .code = 0x1100,
     .runway = 2,
     .plan = 0x20109,
     .loaded = "next9"},
    {.what = "family 2, strip queue full", .code = 0x1100, .plan = 0x20109, .stripsfull = true},
    {.what = "family 3 ignores the queue",
     .code = 0x1200,
     .plan = 0x30007,
     .stripsfull = true,
     .loaded = "next7"},
    {.what = "family 3, no such script", .code = 0x1200, .runway = 2, .plan = 0x30008},
    // Rule 12.
    {.what = "any other code", .code = 0x70},
    {.what = "another code in the runway range's neighbour", .code = 0x2000 | 20},
};

class BranchTest : public OrdersCase {
  protected:
    BranchTest() : buffer_(kScriptBufferSize, 0) {
        const char* run = std::getenv("WYN_RUNTIME_DIR");
        dir_ = std::filesystem::path(run ? run : "/tmp") /
               ("branches_" + std::to_string(getpid()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_ / "port" / "xtst" / "mov");
        for (const char* name : {"next7", "next9", "next"})
            std::ofstream(dir_ / "port" / "xtst" / "mov" / (std::string(name) + ".sce"),
                          std::ios::binary)
                << name;
        char sys[MAX_PATH - 1];
        WynPlat_ToSystemPath(dir_.c_str(), sys, sizeof sys);
        std::snprintf(Handles().homedir, sizeof Handles().homedir, "%s\\", sys);
        std::snprintf(Handles().airport, sizeof Handles().airport, "xtst");
        GetScenarioHeader().world.routesets[2] = 5;
        std::snprintf(GetStageRunways().runways, sizeof GetStageRunways().runways, "%s",
                      "010111111111111");
    }
    ~BranchTest() override { std::filesystem::remove_all(dir_); }
    AircraftRecord& Ready(const BranchCase& c) {
        A(kSlot) = AircraftRecord{};
        ResetStripBoard();
        AircraftRecord& a = Plane(kSlot, true);
        a.script = buffer_.data();
        std::memset(buffer_.data(), 0, buffer_.size());
        a.scriptpos = -1;
        a.windcheck = c.windcheck;
        a.runway = c.runway;
        a.spot = c.spot;
        a.approach = c.approach;
        a.plan = c.plan;
        a.sidgroup = 3;
        O(kSlot).kind = c.kind;
        O(kSlot).angle.y = c.heading;
        GetStageWeather() = StageWeather{c.winddir, c.windspeed, 1013};
        for (int p = 0; p < 5; ++p) GetStripQueue()[size_t(p)] = c.stripsfull ? 9 : 0;
        GetHud() = HudNumbers{};
        ClearCalls();
        return a;
    }
    std::vector<std::string> Memos() const {
        std::vector<std::string> m;
        for (const std::string& c : Calls())
            if (c.rfind("AddStripMemo 4 ", 0) == 0) m.push_back(c.substr(15));
        return m;
    }
    std::filesystem::path dir_;
    std::vector<uint8_t> buffer_;
};

}  // namespace

TEST_F(BranchTest, EachRule) {
    for (const BranchCase& c : kBranches) {
        SCOPED_TRACE(c.what);
        AircraftRecord& a = Ready(c);
        CheckRunwayWind(kSlot, c.code, "next");
        EXPECT_EQ(a.scriptpos, c.loads || c.loaded ? 0 : -1);
        if (c.loaded) {
            const std::string read(reinterpret_cast<const char*>(buffer_.data()), 5);
            EXPECT_EQ(read, c.loaded);
            EXPECT_EQ(a.sidgroup, c.code == 0x1000 ? 0 : 3) << "route cleared";
        }
        EXPECT_EQ(GetHud().stress, c.stress);
        EXPECT_EQ(Memos(), c.memos);
        EXPECT_EQ(a.windcheck, c.windcheck2 == INT_MIN ? c.windcheck : c.windcheck2);
        EXPECT_EQ(a.runway, c.runway2 == INT_MIN ? c.runway : c.runway2);
        EXPECT_EQ(NewBoxes(), 0);
    }
}

TEST_F(BranchTest, EmergencyCodes) {
    struct EmergencyCase {
        const char* what;
        int code;
        int mark;
        int32_t plan;
        int32_t status;  // after
        int32_t emcode;  // after (the record starts with 0x77)
        bool params;     // the four parameters recorded
        std::vector<std::string> calls;
    };
    const std::vector<std::string> shown = {"BuildCommandMenu 4", "DrawFlightInfo 4"};
    const EmergencyCase kCodes[] = {
        {"emergency with the runway marked", 0xf0000, 1, 0, 0xf0000, 0xf0000, true, shown},
        {"emergency without", 0xf0000, 0, 0, 0x26030, 0x77, false, shown},
        {"after take-off, marked", 0xf1000, 1, 0, 0xf1000, 0xf1000, true, shown},
        {"after take-off, unmarked", 0xf1000, 0, 0, 0xb6130, 0x77, false, shown},
        {"mark 2 is not 1", 0xf0000, 2, 0, 0x26030, 0x77, false, shown},
        {"a code below 0x100000", 0x12345, 0, 0, 0x12010, 0x12345, true, {}},
        {"a negative code", -5, 0, 0, 0x12010, -5, true, {}},
        {"a code for this plan",
         0x300042,
         0,
         0x10203,
         0x12010,
         0x42,
         true,
         {"AddStripMemo 4 EMERGENCY"}},
        {"a code for another plan", 0x300042, 0, 0x10202, 0x12010, 0x77, false, {}},
    };
    for (const EmergencyCase& c : kCodes) {
        SCOPED_TRACE(c.what);
        AircraftRecord& a = Plane(kSlot, true);
        a.status = 0x12010;
        a.mark = c.mark;
        a.plan = c.plan;
        a.emcode = 0x77;
        for (int32_t& p : a.emparam) p = 0;
        SetSelectedAircraft(kSlot);
        ClearCalls();
        DeclareEmergency(kSlot, c.code, 801, 802, -1, 9);
        EXPECT_EQ(a.status, c.status);
        EXPECT_EQ(a.emcode, c.emcode);
        EXPECT_EQ(a.emparam[0], c.params ? 801 : 0);
        EXPECT_EQ(a.emparam[3], c.params ? 9 : 0);
        EXPECT_EQ(Effects(), c.calls);
    }
    // The status reaches the linked aircraft first.
    AircraftRecord& a = Plane(kSlot);
    a.links = 1;
    a.linked[0] = 6;
    a.mark = 1;
    SetSelectedAircraft(-1);
    ClearCalls();
    DeclareEmergency(kSlot, 0xf0000, 1, 2, 3, 4);
    EXPECT_EQ(A(6).status, 0xf0000);
    EXPECT_TRUE(Effects().empty());
}

// The emergency's parameters are the messages the tower exchange of its instruction speaks.
TEST_F(BranchTest, EmergencySpeaksItsParameters) {
    AircraftRecord& a = Plane(kSlot);
    a.mark = 1;
    AddExchange(0xf0000, {800, 801});
    DeclareEmergency(kSlot, 0xf0000, 830, 831, 832, -1);
    ExecuteInstruction(kSlot);
    const ExchangeRow& r = Row(POSITION_TOWER);
    EXPECT_EQ(r.queue[0], MakeExchangeMessage(830, 0x100, kSlot));
    EXPECT_EQ(r.queue[1], MakeExchangeMessage(831, 0x100, kSlot));
    EXPECT_EQ(r.queue[2], MakeExchangeMessage(832, 0x200, kSlot));
    EXPECT_EQ(r.result, 0x26031);
}

namespace {
int32_t Word(const MenuItem& m, size_t at) {
    uint8_t b[sizeof(MenuItem)];
    std::memcpy(b, &m, sizeof b);
    return int32_t(uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
                   uint32_t(b[at + 3]) << 24);
}
std::string Text(const MenuItem& m, size_t at, size_t size) {
    uint8_t b[sizeof(MenuItem)];
    std::memcpy(b, &m, sizeof b);
    return std::string(reinterpret_cast<const char*>(b + at), size);
}
}  // namespace

// An entry as the menu reads it: item, 16 untouched bytes, status, 0, extra, four messages, an
// empty name of 16 bytes and a text of 32.
TEST_F(BranchTest, AnswerRingLayoutAndWrap) {
    AircraftRecord& a = Plane(kSlot);
    for (MenuItem& m : a.radio) std::memset(&m, 0x5a, sizeof m);
    a.radiopos = 0;
    PushRadioText(kSlot, 0x305, 0x44060, 20, 21, -1, -1, 77, std::string(40, 'T').c_str());
    const MenuItem& e = a.radio[0];
    EXPECT_EQ(Word(e, 0), 0x305);
    for (size_t at = 4; at < 20; at += 4) EXPECT_EQ(Word(e, at), 0x5a5a5a5a) << at;
    EXPECT_EQ(Word(e, 20), 0x44060);
    EXPECT_EQ(Word(e, 24), 0);
    EXPECT_EQ(Word(e, 28), 77);
    EXPECT_EQ(Word(e, 32), 20);
    EXPECT_EQ(Word(e, 36), 21);
    EXPECT_EQ(Word(e, 40), -1);
    EXPECT_EQ(Word(e, 44), -1);
    EXPECT_EQ(Text(e, 48, 16), std::string(16, '\0'));
    EXPECT_EQ(Text(e, 64, 32), std::string(31, 'T') + '\0');  // a 40-byte text is cut
    EXPECT_EQ(a.radiopos, 1);

    PushRadioMessage(kSlot, 0x012, 0x92000, 504, 505, -1, -1);
    EXPECT_EQ(Word(a.radio[1], 28), 0);
    EXPECT_EQ(Text(a.radio[1], 64, 32), std::string(32, '\0'));
    EXPECT_EQ(Word(a.radio[1], 32), 504);

    // Eight answers later the ninth overwrites the first.
    for (int i = 2; i < 9; ++i) PushRadioMessage(kSlot, 0x100 + i, i, i, -1, -1, -1);
    EXPECT_EQ(a.radiopos, 1);
    EXPECT_EQ(Word(a.radio[0], 0), 0x108);
    EXPECT_EQ(Word(a.radio[0], 28), 0);
    EXPECT_EQ(Text(a.radio[0], 64, 32), std::string(32, '\0'));
    EXPECT_EQ(Word(a.radio[1], 0), 0x012);
    EXPECT_EQ(Word(a.radio[7], 0), 0x107);

    // A ring position outside 0-7 starts the ring again, and a missing text is empty.
    a.radiopos = 8;
    PushRadioText(kSlot, 0x201, 1, 2, 3, 4, 5, 6, nullptr);
    EXPECT_EQ(Word(a.radio[0], 0), 0x201);
    EXPECT_EQ(a.radiopos, 1);
}

// The window's countdown without a screen to show it on: seconds x 30 ticks, 0 and below kept
// as given; the aircraft update's step counts it down (not while paused) and at 0 restores the
// voices it lowered.
TEST_F(BranchTest, TheRadioTextCountdown) {
    GetConfig().atcvolume = 90;
    DrawRadioText(-1, 10, "ATC", 3);
    EXPECT_EQ(GetRadioTextCountdown(), 90);
    EXPECT_EQ(GetAtcVolume(), 30) << "lowered";
    CountDownRadioText(0);
    EXPECT_EQ(GetRadioTextCountdown(), 90) << "paused";
    CountDownRadioText(45);
    EXPECT_EQ(GetRadioTextCountdown(), 45);
    EXPECT_EQ(GetAtcVolume(), 30);
    CountDownRadioText(100);
    EXPECT_EQ(GetRadioTextCountdown(), 0);
    EXPECT_EQ(GetAtcVolume(), 90) << "back";
    for (int seconds : {0, -1}) {
        DrawRadioText(0, 0, "", seconds);
        EXPECT_EQ(GetRadioTextCountdown(), seconds);
        CountDownRadioText(10);
        EXPECT_EQ(GetRadioTextCountdown(), seconds) << "stays";
        EXPECT_EQ(GetAtcVolume(), 30);
    }
    SetRadioTextCountdown(0);
    CountDownRadioText(1);
    EXPECT_EQ(GetAtcVolume(), 30) << "nothing to take down";
    SetRadioTextCountdown(1);
    CountDownRadioText(1);
    EXPECT_EQ(GetAtcVolume(), 90);
}
