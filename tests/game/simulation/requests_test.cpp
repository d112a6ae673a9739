// Pilot requests: every result value turned into the aircraft's status, memo, hold and phase;
// raising a request with its stress; target speeds; the runway-against-wind test.
#include <climits>

#include "orders_fixture.h"

using simtest::OrdersCase;

namespace {

constexpr int kSlot = 4;
constexpr int32_t kSame = INT32_MIN;

struct RequestCase {
    const char* what;
    int32_t result;  // the row's result: `request` - 1
    int32_t status;  // before
    int32_t to;      // after (kSame: unchanged)
    std::vector<std::string> calls;
    int32_t strip = 0x302;
    int32_t choice = 2;
    int32_t subchoice = 1;
    int32_t runway = 2;
};

// The aircraft is the selected one, so every status it takes shows in the menu and the panel.
const std::vector<std::string> kTaken = {"BuildCommandMenu 4", "DrawFlightInfo 4"};
std::vector<std::string> With(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const RequestCase kResults[] = {
    {"result 0: status 0", 0, 0x12010, 0, kTaken},
    {"2", 2, 0x26030, 0x28030, kTaken},
    {"4: nothing", 4, 0x26030, kSame, {}},
    {"9", 9, 0x89000, 0xa8040, kTaken},
    {"10", 10, 0x26030, 0x28030, kTaken},
    {"14", 14, 0x2a000, 0x2b070, kTaken},
    {"15", 15, 0xa0000, 0xa20b0, kTaken},
    {"16", 16, 0xa0000, 0xa4050, kTaken},
    {"19 after the SID question", 19, 0x82000, 0x740c0, kTaken},
    {"19 away from a spot", 19, 0x83120, 0x750c0, kTaken},
    {"19 after taxi", 19, 0x89000, 0xa8040, kTaken},
    {"19 after the runway", 19, 0x8b000, 0xa8040, kTaken},
    {"19 elsewhere", 19, 0x92000, kSame, {}},
    {"0x600 like 19", 0x600, 0x82000, 0x740c0, kTaken},
    {"0x613 like 19", 0x613, 0x83000, 0x750c0, kTaken},
    {"21", 21, 0x18000, 0x3a020, kTaken},
    {"22 below 0x60000", 22, 0x5ffff, 0x34020, kTaken},
    {"22 from 0x60000", 22, 0x60000, 0xb1130, kTaken},
    {"22 compares signed", 22, int32_t(0x80000000u), 0x34020, kTaken},
    {"23 departure", 23, 0x30000, 0x300000, kTaken, 0x1402},
    {"23 arrival in the air", 23, 0x3ffff, 0x40030, kTaken},
    {"23 arrival on the ground", 23, 0x40000, 0x300000, kTaken},
    {"24", 24, 0x9a000, 0xa0000, kTaken},
    {"26", 26, 0x9a000, 0x9a080, kTaken},
    {"27", 27, 0x9a000, 0x300000, kTaken},
    {"29", 29, 0xd1000, 0xd2000, kTaken},
    {"0x100 long", 0x100, 0x12010, 0x14010, With(kTaken, {"AddStripMemo 4 LNG"})},
    {"0x101 middle", 0x101, 0x12010, 0x14010, With(kTaken, {"AddStripMemo 4 MID"})},
    {"0x102 short", 0x102, 0x12010, 0x14010, With(kTaken, {"AddStripMemo 4 SRT"})},
    {"0x103 radar", 0x103, 0x12010, 0x14010, With(kTaken, {"AddStripMemo 4 RDR"})},
    {"0x104", 0x104, 0x15000, 0x17000, kTaken},
    {"0x105", 0x105, 0x51000, 0x52000, kTaken},
    {"0x200 on 0x18000", 0x200, 0x18000, 0x20030, With(kTaken, {"AddStripMemo 4 RWY 16R"})},
    {"0x207 on 0x19000", 0x207, 0x19010, 0x1a010, With(kTaken, {"AddStripMemo 4 RWY 16R"})},
    {"0x203 elsewhere", 0x203, 0x26030, kSame, {"AddStripMemo 4 RWY 16R"}},
    {"0x200 without a runway", 0x200, 0x18000, 0x20030, kTaken, 0x302, 2, 1, 0},
    {"0x200 with a runway past the table", 0x200, 0x18000, 0x20030, kTaken, 0x302, 2, 1, 9},
    {"0x400 spot offered", 0x400, 0x44050, 0x44060, With(kTaken, {"AddStripMemo 4 SPOT 2"})},
    {"0x401 runway of a push-back", 0x401, 0x93120, 0x9a080,
     With(kTaken, {"AddStripMemo 4 RWY 34R"})},
    {"0x402 spot later", 0x402, 0x45000, 0x94100, With(kTaken, {"AddStripMemo 4 SPOT 2"})},
    {"0x402 runway later", 0x402, 0x92000, 0x94100, With(kTaken, {"AddStripMemo 4 RWY 34R"})},
    {"0x400 without a choice", 0x400, 0x44050, 0x44060, kTaken, 0x302, 0},
    {"0x400 spot past the table", 0x400, 0x44050, 0x44060, kTaken, 0x302, 65},
    {"0x401 runway past the table", 0x401, 0x93120, 0x9a080, kTaken, 0x302, 9},
    {"0x402 runway past the table", 0x402, 0x92000, 0x94100, kTaken, 0x302, 9},
    {"other results are statuses", 0x12010, 0x10000, 0x12010, kTaken},
    {"results 1, 3, 5-8, 17, 25, 28 too", 17, 0x10000, 17, kTaken},
    {"28", 28, 0x10000, 28, kTaken},
    {"0x3b070 keeps the menu", 0x3b070, 0x3a000, 0x3b070, {"DrawFlightInfo 4"}},
    {"0x3b000 likewise", 0x3b000, 0x3a000, 0x3b000, {"DrawFlightInfo 4"}},
    {"0x3a070 rebuilds it", 0x3a070, 0x3a000, 0x3a070, kTaken},
};

class RequestTest : public OrdersCase {
  protected:
    RequestTest() {
        std::snprintf(Airport().arrivals[1].name, 17, "%s", "16R");
        std::snprintf(Airport().departures[1].name, 17, "%s", "34R");
        GetStageWeather() = StageWeather{20, 15, 1013};
    }
};

}  // namespace

TEST_F(RequestTest, EachResult) {
    for (const RequestCase& c : kResults) {
        SCOPED_TRACE(c.what);
        AircraftRecord& a = Plane(kSlot, true);
        a.status = c.status;
        a.request = c.result + 1;
        a.strip = c.strip;
        a.choice = c.choice;
        a.subchoice = c.subchoice;
        a.runway = c.runway;
        a.spot = 7;
        a.waitcount = 5;
        a.reqtimer = 6;
        a.repeats = 0;
        O(kSlot).step = 9;
        SetSelectedAircraft(kSlot);
        ClearCalls();
        HandlePilotRequest(kSlot);
        EXPECT_EQ(a.status, c.to == kSame ? c.status : c.to);
        EXPECT_EQ(a.request, 0);
        EXPECT_EQ(Effects(), c.calls);
        const bool clearance = c.result == 19 || (c.result >= 0x600 && c.result <= 0x613);
        EXPECT_EQ(O(kSlot).step, clearance ? 0 : 9);
        const bool cleared = c.result == 9 || (c.result >= 0x400 && c.result <= 0x402);
        EXPECT_EQ(a.waitcount, cleared ? 0 : 5);
        EXPECT_EQ(a.reqtimer, cleared ? 0 : 6);
        if (c.result >= 0x400 && c.result <= 0x402) {
            EXPECT_EQ(a.runway, c.choice * 4 + c.subchoice);
            EXPECT_EQ(a.spot, c.to == 0x44060 ? 7 : -1);
        }
        if (c.result >= 0x100 && c.result <= 0x102) {
            EXPECT_EQ(a.course, c.choice);
            EXPECT_EQ(a.phase, PHASE_FLY_HEADING);
        }
    }
}

TEST_F(RequestTest, WindcheckOfTheLandingAnswers) {
    for (int r : {2, 10}) {
        AircraftRecord& a = Plane(kSlot);
        a.request = r + 1;
        HandlePilotRequest(kSlot);
        EXPECT_EQ(a.windcheck, r == 2 ? 1 : 2);
    }
}

// A granted hold saves the phase and stops the aircraft over 100 ticks; its end restores the
// phase and brings it to 25 knots.
TEST_F(RequestTest, HoldAndItsEnd) {
    AircraftRecord& a = Plane(kSlot);
    a.phase = PHASE_TAXI_TO_POINT;
    a.basephase = PHASE_STILL;
    O(kSlot).speed = 0.5;
    SetSelectedAircraft(kSlot);
    a.request = 13 + 1;
    HandlePilotRequest(kSlot);
    EXPECT_EQ(a.holding, 1);
    EXPECT_EQ(a.basephase, PHASE_TAXI_TO_POINT);
    EXPECT_EQ(a.tspeed, 0.0);
    EXPECT_DOUBLE_EQ(a.sstep, -0.005);
    EXPECT_EQ(GetHud().stress, 10u);
    EXPECT_EQ(Effects(), std::vector<std::string>{"BuildCommandMenu 4"});

    a.phase = PHASE_STILL;
    O(kSlot).speed = 0.0;
    a.request = 11 + 1;
    ClearCalls();
    HandlePilotRequest(kSlot);
    EXPECT_EQ(a.holding, 0);
    EXPECT_EQ(a.phase, PHASE_TAXI_TO_POINT);
    EXPECT_DOUBLE_EQ(a.tspeed, 25 * 1.852 / 108);
    EXPECT_DOUBLE_EQ(a.sstep, 25 * 1.852 / 108 / 100);
    EXPECT_EQ(Effects(), std::vector<std::string>{"BuildCommandMenu 4"});

    // Not selected: no menu.
    SetSelectedAircraft(-1);
    ClearCalls();
    a.request = 13 + 1;
    HandlePilotRequest(kSlot);
    EXPECT_TRUE(Effects().empty());
    EXPECT_EQ(GetHud().stress, 20u);
}

// Results 12, 18, 20 and 30 make the pilot ask again: the first raise costs nothing, each
// further one five more.
TEST_F(RequestTest, AskingAgainCostsStress) {
    AircraftRecord& a = Plane(kSlot);
    const int results[] = {12, 18, 20, 30};
    const uint32_t stress[] = {0, 5, 15, 30};
    for (int i = 0; i < 4; ++i) {
        a.request = results[i] + 1;
        a.waitcount = 40;
        HandlePilotRequest(kSlot);
        EXPECT_EQ(a.repeats, i + 1);
        EXPECT_EQ(a.reqtimer, 1);
        EXPECT_EQ(a.waitcount, 0);
        EXPECT_EQ(GetHud().stress, stress[i]) << "raise " << i + 1;
    }
    StartRequestAt(kSlot, 40);
    EXPECT_EQ(a.reqtimer, 40);
    EXPECT_EQ(a.repeats, 5);
}

TEST_F(RequestTest, RequestOfTheSelectedAircraftShowsItsMenu) {
    Plane(kSlot);
    StartRequest(kSlot);
    EXPECT_TRUE(Effects().empty());
    SetSelectedAircraft(kSlot);
    StartRequest(kSlot);
    EXPECT_EQ(Effects(), std::vector<std::string>{"BuildCommandMenu 4"});
    EXPECT_EQ(GetHud().stress, 5u);
}

TEST_F(RequestTest, TakenStatusReachesTheLinkedAircraft) {
    AircraftRecord& a = Plane(kSlot);
    a.links = 2;
    a.linked[0] = 6;
    a.linked[1] = 7;
    a.request = 0x12011;
    HandlePilotRequest(kSlot);
    EXPECT_TRUE(Effects().empty());
    EXPECT_EQ(a.status, 0x12010);
    EXPECT_EQ(A(6).status, 0x12010);
    EXPECT_EQ(A(7).status, 0x12010);
}

TEST_F(RequestTest, NothingPendingNothingDone) {
    AircraftRecord& a = Plane(kSlot);
    a.status = 0x12010;
    HandlePilotRequest(kSlot);
    EXPECT_EQ(a.status, 0x12010);
    HandlePilotRequest(kAircraftSlots);
    HandlePilotRequest(-1);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(RequestTest, TargetSpeed) {
    Plane(kSlot);
    O(kSlot).speed = 1.0;
    SetTargetSpeed(kSlot, 0, 100);
    EXPECT_DOUBLE_EQ(A(kSlot).sstep, -0.01);
    EXPECT_EQ(A(kSlot).tspeed, 0.0);
    SetTargetSpeed(kSlot, 108, 10);
    EXPECT_DOUBLE_EQ(A(kSlot).tspeed, 1.852);
    EXPECT_DOUBLE_EQ(A(kSlot).sstep, 0.0852);
    // No step count divides by zero.
    SetTargetSpeed(kSlot, 0, 0);
    EXPECT_DOUBLE_EQ(A(kSlot).sstep, -1.0);
}

TEST_F(RequestTest, RunwayAgainstWind) {
    struct WindCase {
        int dir, speed, heading, minimum, ok;
    };
    const WindCase kWinds[] = {
        {20, 15, 340, 10, 1},  // d 320
        {20, 10, 340, 10, 0},  // not above the minimum
        {20, 11, 340, 10, 1},  //
        {0, 15, 50, 10, 1},    // d 50
        {0, 15, 51, 10, 0},    // d 51
        {0, 15, 310, 10, 1},   // d 310
        {0, 15, 309, 10, 0},   // d 309
        {350, 1, 10, 0, 1},    // any wind above 0
        {350, 0, 10, 0, 0},    // calm
        {10, 15, 10, 10, 1},   // d 0
    };
    for (const WindCase& c : kWinds) {
        GetStageWeather() = StageWeather{c.dir, c.speed, 1013};
        EXPECT_EQ(IsRunwayWindOk(c.heading, c.minimum), c.ok)
            << c.dir << "/" << c.speed << " on " << c.heading << " over " << c.minimum;
    }
}
