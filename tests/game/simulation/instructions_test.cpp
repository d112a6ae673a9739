// Instruction execution, one tick at a time: for each instruction the status, strip state,
// request counter, timer and ground sub-state it leaves, the ground events and other calls it
// makes and the exchange it starts, with the radio rows free, busy or in their closing pause
// and the ground support free or taken.
#include <climits>

#include "orders_fixture.h"

using simtest::OrdersCase;

namespace {

constexpr int kSlot = 3;
constexpr int kOther = 5;  // the aircraft that keeps a busy row
constexpr int32_t kSame = INT32_MIN;

enum Rows { kFree, kBusy, kPause };           // every row's state before the tick
enum Support { kAllFree, kTaken, kTugHeld };  // tugs and cars: free, another's, a tug ours

struct InstrCase {
    const char* what;
    int32_t status;
    // before the tick
    int32_t strip = 0x100;
    int32_t timer = 0;
    int32_t substate = 0;
    int32_t area = 0;
    int32_t holding = 0;
    const char* type = "B767";
    Rows rows = kFree;
    Support support = kAllFree;
    // after it (kSame: unchanged)
    int32_t to = kSame;
    int32_t strip2 = kSame;
    int32_t waitcount = kSame;
    int32_t timer2 = kSame;
    int32_t substate2 = kSame;
    int row = -1;        // the row that started the aircraft's exchange, -1 none
    int32_t result = 0;  // the status that exchange hands back
    int waits = -1;      // a row whose wait list keeps the aircraft
    std::vector<std::string> calls = {};
};

const InstrCase kCases[] = {
    {.what = "status 0 is left alone", .status = 0, .rows = kFree},
    {.what = "CES172 calls the tower",
     .status = 0x10000,
     .type = "ces172",
     .strip2 = 0x202,
     .waitcount = 1,
     .row = 1,
     .result = 0x12010},
    {.what = "other types call approach",
     .status = 0x10000,
     .waitcount = 1,
     .row = 0,
     .result = 0x12010},
    {.what = "a refused call waits in line", .status = 0x10000, .rows = kBusy, .waits = 0},
    {.what = "final: tower",
     .status = 0x20000,
     .strip2 = 0x202,
     .waitcount = 0,
     .row = 1,
     .result = 0x22030,
     .calls = {"GroundEvent 3 1030"}},
    {.what = "final without a call",
     .status = 0x21000,
     .rows = kBusy,
     .to = 0x26030,
     .strip2 = 0x202,
     .waitcount = 0,
     .calls = {"GroundEvent 3 1030"}},
    {.what = "landed: tower", .status = 0x30000, .row = 1, .result = 0x32020},
    {.what = "departed: departure",
     .status = 0x34000,
     .strip2 = 0x502,
     .row = 4,
     .result = 0x36020},
    {.what = "missed approach", .status = 0x3a000, .strip2 = 0x103, .row = 0, .result = 0x19010},
    {.what = "taxi request",
     .status = 0x40000,
     .strip2 = 0x302,
     .waitcount = 1,
     .row = 2,
     .result = 0x42150},
    {.what = "taxi request refused: the counter runs anyway",
     .status = 0x40000,
     .rows = kBusy,
     .waitcount = 1,
     .waits = 2},
    {.what = "push-back with a free tug",
     .status = 0x43000,
     .rows = kPause,
     .to = 0x45000,
     .row = 2,
     .result = 0x45000,
     .calls = {"GroundEvent 3 5"}},
    {.what = "push-back with our tug",
     .status = 0x43000,
     .support = kTugHeld,
     .to = 0x45000,
     .row = 2,
     .result = 0x45000},
    {.what = "push-back without a tug", .status = 0x43000, .support = kTaken},
    {.what = "push-back with a tug, ground talking", .status = 0x43000, .rows = kBusy, .waits = 2},
    {.what = "holding 0 clears the counter", .status = 0x44000, .waitcount = 0},
    {.what = "holding 1 keeps it", .status = 0x44000, .holding = 1},
    {.what = "0x9a000 likewise", .status = 0x9a000, .waitcount = 0},
    {.what = "tug on its way", .status = 0x46000, .to = 0x48000, .calls = {"GroundEvent 3 5"}},
    {.what = "tug on its way: none free", .status = 0x46000, .support = kTaken},
    {.what = "push-back asked again",
     .status = 0x47000,
     .rows = kPause,
     .to = 0x45000,
     .waitcount = 1,
     .row = 2,
     .result = 0x45000},
    {.what = "holding point", .status = 0x50000, .waitcount = 1, .row = 1, .result = 0x51000},
    {.what = "runway change", .status = 0x56000, .row = 1, .result = 0x55000},
    {.what = "towing: tow bar",
     .status = 0x60000,
     .strip = 0x600,
     .strip2 = 0x402,
     .waitcount = 0,
     .timer2 = 90,
     .calls = {"GroundEvent 3 30"}},
    {.what = "towing: waiting for the tow bar", .status = 0x60000, .strip = 0x400, .timer = 5},
    {.what = "towing: away",
     .status = 0x60000,
     .strip = 0x400,
     .to = 0x610c0,
     .timer2 = 600,
     .calls = {"GroundEvent 3 32", "GroundEvent 3 10"}},
    {.what = "towing: away on the second apron",
     .status = 0x60000,
     .strip = 0x400,
     .area = 2,
     .to = 0x610c0,
     .timer2 = 600,
     .calls = {"GroundEvent 3 32", "GroundEvent 3 11"}},
    {.what = "towing: waiting for the tug",
     .status = 0x60000,
     .strip = 0x400,
     .support = kTaken,
     .calls = {"GroundEvent 3 32"}},
    {.what = "towing: stop",
     .status = 0x60000,
     .strip = 0x1b00,
     .strip2 = 0x1602,
     .timer2 = 600,
     .calls = {"GroundEvent 3 30"}},
    {.what = "towing: parked",
     .status = 0x60000,
     .strip = 0x1600,
     .to = 0x620c0,
     .timer2 = 0,
     .calls = {"GroundEvent 3 32"}},
    {.what = "towing: other strip states do nothing", .status = 0x60000, .strip = 0x500},
    {.what = "unloading: waits", .status = 0x61000, .timer = 1},
    {.what = "unloading: done",
     .status = 0x61000,
     .to = 0x620c0,
     .timer2 = 300,
     .calls = {"GroundEventCancel 3 10"}},
    {.what = "departure strip",
     .status = 0x62000,
     .strip = 0x1402,
     .to = 0x630c0,
     .strip2 = 0x1f02},
    {.what = "arrival strip", .status = 0x62000, .strip = 0x402, .to = 0x630c0, .strip2 = 0xf02},
    {.what = "strip still shown", .status = 0x63000, .strip = 0xf02},
    {.what = "strip gone: the orders reset",
     .status = 0x63000,
     .strip = 0,
     .to = 0x69000,
     .waitcount = 0},
    {.what = "0x68000", .status = 0x68000, .waitcount = 0},
    {.what = "service cars",
     .status = 0x70000,
     .substate = 2,
     .to = 0x720c0,
     .timer2 = 900,
     .substate2 = 0,
     .calls = {"GroundEvent 3 1000", "GroundEvent 3 5", "GroundEvent 3 20", "DrawStrip 3"}},
    {.what = "service cars, second apron",
     .status = 0x71000,
     .area = 1,
     .to = 0x730c0,
     .timer2 = 900,
     .calls = {"GroundEvent 3 1000", "GroundEvent 3 5", "GroundEvent 3 23", "DrawStrip 3"}},
    {.what = "service cars: none free", .status = 0x70000, .support = kTaken},
    {.what = "service: unloading", .status = 0x72000, .timer = 600},
    {.what = "service: loading",
     .status = 0x72000,
     .timer = 599,
     .substate2 = 1,
     .calls = {"GroundEvent 3 21"}},
    {.what = "service: loading, second apron",
     .status = 0x72000,
     .timer = 599,
     .area = 1,
     .substate2 = 1},
    {.what = "service: refuelled",
     .status = 0x72000,
     .timer = 299,
     .substate = 1,
     .substate2 = 2,
     .calls = {"GroundEvent 3 22"}},
    {.what = "service: done", .status = 0x72000, .substate = 2, .to = 0x800d0},
    {.what = "service done, first apron", .status = 0x73000, .substate = 2, .to = 0x810d0},
    {.what = "service done, second apron", .status = 0x73000, .area = 1, .to = 0xd0000},
    {.what = "push start", .status = 0x74000, .timer2 = 180},
    {.what = "push: the wave",
     .status = 0x74000,
     .timer = 179,
     .substate2 = 1,
     .calls = {"GroundEvent 3 30"}},
    {.what = "push: the move",
     .status = 0x74000,
     .timer = 89,
     .substate = 1,
     .substate2 = 2,
     .calls = {"GroundEvent 3 31", "GroundEventCancel 3 20"}},
    {.what = "push: waiting", .status = 0x74000, .timer = 90, .substate = 1},
    {.what = "push: done", .status = 0x74000, .substate = 2, .to = 0x900f0},
    {.what = "push 0x75000 done",
     .status = 0x75000,
     .substate = 1,
     .to = 0x91120,
     .calls = {"GroundEventCancel 3 5"}},
    {.what = "push 0x76000 done", .status = 0x76000, .substate = 2, .to = 0x1e0000},
    {.what = "push 0x77000 done",
     .status = 0x77000,
     .substate = 2,
     .to = 0x1e1000,
     .calls = {"GroundEventCancel 3 5"}},
    {.what = "clearance", .status = 0x80000, .waitcount = 1, .row = 3, .result = 0x820e0},
    {.what = "clearance away from a spot",
     .status = 0x81000,
     .waitcount = 1,
     .row = 3,
     .result = 0x83120},
    {.what = "clearance refused", .status = 0x80000, .rows = kBusy, .waits = 3},
    {.what = "taxi out",
     .status = 0x88000,
     .strip2 = 0x1302,
     .waitcount = 1,
     .row = 2,
     .result = 0x89000},
    {.what = "runway asked of the tower",
     .status = 0x8a000,
     .strip2 = 0x1402,
     .waitcount = 1,
     .row = 1,
     .result = 0x8b000},
    {.what = "ready to taxi",
     .status = 0x90000,
     .strip2 = 0x1302,
     .waitcount = 1,
     .row = 2,
     .result = 0x920f0,
     .calls = {"GroundEvent 3 1010"}},
    {.what = "ready to taxi with a push-back",
     .status = 0x91000,
     .strip2 = 0x1302,
     .waitcount = 1,
     .row = 2,
     .result = 0x93120,
     .calls = {"GroundEvent 3 1010"}},
    {.what = "taxi asked of the controller in charge",
     .status = 0x96000,
     .waitcount = 1,
     .row = 4,
     .result = 0x98120,
     .calls = {"GroundEventCancel 3 5"}},
    {.what = "ready for take-off",
     .status = 0xa0000,
     .strip2 = 0x1402,
     .waitcount = 1,
     .row = 1,
     .result = 0xa20b0},
    {.what = "ready for take-off, refused",
     .status = 0xa0000,
     .rows = kBusy,
     .waitcount = 1,
     .waits = 1},
    {.what = "back to the spot",
     .status = 0xa6000,
     .rows = kPause,
     .strip2 = 0x1704,
     .row = 1,
     .result = 0xa7000},
    {.what = "back to the spot, tower talking", .status = 0xa6000, .rows = kBusy, .waits = 1},
    {.what = "rejected take-off",
     .status = 0xac000,
     .rows = kPause,
     .strip2 = 0x1704,
     .row = 1,
     .result = 0xad000},
    {.what = "airborne departure",
     .status = 0xb1000,
     .strip2 = 0x1502,
     .row = 4,
     .result = 0xb3130},
    {.what = "towing to a spot", .status = 0xd0000, .waitcount = 1, .row = 2, .result = 0xd1000},
    {.what = "on block", .status = 0xd3000, .row = 2, .result = 0xd4000},
    {.what = "emergency", .status = 0xf0000, .rows = kPause, .row = 1, .result = 0x26030},
    {.what = "emergency with a busy tower", .status = 0xf0000, .rows = kBusy, .to = 0x26030},
    {.what = "emergency after take-off", .status = 0xf1000, .row = 1, .result = 0xb4130},
    {.what = "tow with a free tug",
     .status = 0x1f0000,
     .to = 0x1f1000,
     .calls = {"GroundEvent 3 5"}},
    {.what = "tow with our tug", .status = 0x1f0000, .support = kTugHeld, .to = 0x1f1000},
    {.what = "tow without a tug", .status = 0x1f0000, .support = kTaken},
    {.what = "an instruction outside the table", .status = 0x57000},
};

class InstructionTest : public OrdersCase {
  protected:
    void Arrange(const InstrCase& c) {
        A(kSlot) = AircraftRecord{};
        ResetStripBoard();
        A(kSlot).linkedto = -1;
        AircraftRecord& a = Plane(kSlot);
        a.status = c.status;
        a.strip = c.strip;
        a.timer = c.timer;
        a.area = c.area;
        a.holding = c.holding;
        a.waitcount = 7;
        a.reqtimer = 9;
        a.position = POSITION_DEPARTURE;
        a.plan = 0x55;
        std::snprintf(a.typename_, sizeof a.typename_, "%s", c.type);
        O(kSlot).state = c.substate;
        O(kSlot).speed = 0.3;
        for (int p = 0; p < kExchangeRows; ++p) {
            ExchangeRow& r = Row(p);
            if (c.rows == kBusy) {
                r.state = 1;
                r.aircraft = kOther + 1;
                r.frames = 30;
                r.scroll = 10;
            } else if (c.rows == kPause) {
                r.state = 2;
                r.timer = 40;
                r.frames = r.scroll = 30;
            }
        }
        const int owner = c.support == kTaken ? kOther + 1 : 0;
        for (int s = 30; s <= 33; ++s) O(s).state = owner;
        if (c.support == kTugHeld) O(30).state = kSlot + 1;
        // Messages named after their instruction, so that the queued code shows which was taken.
        for (int32_t i :
             {0x10000, 0x20000, 0x30000, 0x34000, 0x3a000, 0x40000, 0x43000, 0x47000, 0x50000,
              0x56000, 0x80000, 0x81000, 0x88000, 0x8a000, 0x90000, 0x91000, 0x96000, 0xa0000,
              0xa6000, 0xac000, 0xb1000, 0xd0000, 0xd3000, 0xf0000, 0xf1000})
            AddExchange(i, {i >> 12, -1});
        // The aircraft in the other rows' wait lists must not take this one's turn away.
        ClearCalls();
    }
};

}  // namespace

TEST_F(InstructionTest, EachInstructionOneTick) {
    for (const InstrCase& c : kCases) {
        SCOPED_TRACE(c.what);
        ResetRadio();
        GetExchangeTable() = ExchangeTable{};
        Arrange(c);
        const AircraftRecord before = A(kSlot);
        ExecuteInstruction(kSlot);
        const AircraftRecord& a = A(kSlot);
        EXPECT_EQ(a.status, c.to == kSame ? before.status : c.to);
        EXPECT_EQ(a.strip, c.strip2 == kSame ? before.strip : c.strip2);
        EXPECT_EQ(a.waitcount, c.waitcount == kSame ? before.waitcount : c.waitcount);
        EXPECT_EQ(a.timer, c.timer2 == kSame ? before.timer : c.timer2);
        EXPECT_EQ(O(kSlot).state, c.substate2 == kSame ? c.substate : c.substate2);
        EXPECT_EQ(Effects(), GroundFirst(c.calls));
        for (int p = 0; p < kExchangeRows; ++p) {
            const ExchangeRow& r = Row(p);
            if (p == c.row) {
                EXPECT_EQ(r.aircraft, kSlot + 1) << "row " << p;
                EXPECT_EQ(r.result, c.result + 1) << "row " << p;
                const uint32_t instruction = StatusInstruction(before.status);
                EXPECT_EQ(r.queue[0], MakeExchangeMessage(int(instruction >> 12), 0x200, kSlot));
                EXPECT_EQ(r.queue[1], 0u);
            } else {
                EXPECT_NE(r.aircraft, kSlot + 1) << "row " << p;
            }
            EXPECT_EQ(Waits(p, kSlot), p == c.waits) << "wait list " << p;
        }
        EXPECT_EQ(a.talking, c.row >= 0 ? 1 : 0);
    }
}

// The edge cases that need more than one row of the table.
TEST_F(InstructionTest, TalkingAircraftIsFrozen) {
    AircraftRecord& a = Plane(kSlot);
    a.status = 0x21000;
    a.talking = 1;
    ExecuteInstruction(kSlot);
    EXPECT_EQ(a.status, 0x21000);
    EXPECT_TRUE(Calls().empty());
}

TEST_F(InstructionTest, PushBackWithoutATugLeavesTheLine) {
    AircraftRecord& a = Plane(kSlot);
    a.status = 0x43000;
    JoinWaitList(POSITION_GROUND, kOther);
    JoinWaitList(POSITION_GROUND, kSlot);
    for (int s = 30; s <= 31; ++s) O(s).state = kOther + 1;
    ExecuteInstruction(kSlot);
    EXPECT_FALSE(Waits(POSITION_GROUND, kSlot));
    EXPECT_TRUE(Waits(POSITION_GROUND, kOther));
    EXPECT_EQ(a.status, 0x43000);
}

TEST_F(InstructionTest, RunwayIsSetBeforeTheCall) {
    AircraftRecord& a = Plane(kSlot);
    a.status = 0x54000;
    Row(POSITION_TOWER).state = 1;
    Row(POSITION_TOWER).aircraft = kOther + 1;
    ExecuteInstruction(kSlot);
    EXPECT_EQ(a.runway, 1);
    EXPECT_EQ(a.mark, 1);
    EXPECT_EQ(a.talking, 0);
    EXPECT_TRUE(Waits(POSITION_TOWER, kSlot));
    ResetRadio();
    AddExchange(0x54000, {603, 604});
    a.runway = 0;
    ExecuteInstruction(kSlot);
    EXPECT_EQ(a.runway, 1);
    EXPECT_EQ(Row(POSITION_TOWER).result, 0x55000 + 1);
    EXPECT_EQ(Row(POSITION_TOWER).queue[0], MakeExchangeMessage(603, 0x100, kSlot));
    EXPECT_EQ(Row(POSITION_TOWER).queue[1], MakeExchangeMessage(604, 0x200, kSlot));
}

TEST_F(InstructionTest, SecondInLineWaitsForTheFirst) {
    Plane(kOther).status = 0x30000;
    AircraftRecord& a = Plane(kSlot);
    a.status = 0x30000;
    AddExchange(0x30000, {0});
    JoinWaitList(POSITION_TOWER, kOther);
    ExecuteInstruction(kSlot);
    EXPECT_EQ(a.talking, 0);
    EXPECT_EQ(GetWaitLists()[POSITION_TOWER][1], kSlot + 1);
    ExecuteInstruction(kOther);
    EXPECT_EQ(Row(POSITION_TOWER).aircraft, kOther + 1);
}

TEST_F(InstructionTest, ParkedAircraftIsDeselectedOnlyAtRest) {
    AircraftRecord& a = Plane(kSlot);
    a.status = 0x69000;
    a.waitcount = 3;
    a.reqtimer = 4;
    SetSelectedAircraft(kSlot);
    BuildCommandMenu(kSlot);
    DrawFlightInfo(kSlot);
    O(kSlot).speed = 0.001;
    ExecuteInstruction(kSlot);
    EXPECT_EQ(a.waitcount, 0);
    EXPECT_EQ(a.reqtimer, 0);
    EXPECT_EQ(GetSelectedAircraft(), kSlot);
    EXPECT_TRUE(IsCommandMenuShown());
    EXPECT_TRUE(IsFlightInfoShown());
    O(kSlot).speed = 0.0;
    ExecuteInstruction(kSlot);
    EXPECT_EQ(GetSelectedAircraft(), -1);
    EXPECT_FALSE(IsCommandMenuShown());
    EXPECT_FALSE(IsFlightInfoShown());
    // The panoramic view comes back.
    EXPECT_STREQ(GetCameraCaption(), "PANORAMIC CAM");
}

TEST_F(InstructionTest, TakenStatusReachesLinksMenuAndPanel) {
    AircraftRecord& a = Plane(kSlot);
    a.status = 0x21000;
    a.links = 1;
    a.linked[0] = kOther;
    SetSelectedAircraft(kSlot);
    ExecuteInstruction(kSlot);
    EXPECT_EQ(A(kOther).status, 0x26030);
    EXPECT_EQ(Effects(), (std::vector<std::string>{"GroundEvent 3 1030", "BuildCommandMenu 3",
                                                   "DrawFlightInfo 3"}));
}

TEST_F(InstructionTest, StripGoneResetsTheOrders) {
    AircraftRecord& a = Plane(kSlot);
    a.status = 0x63000;
    a.plan = 0x10203;
    a.runway = 2;
    ExecuteInstruction(kSlot);
    EXPECT_EQ(a.status, 0x69000);
    EXPECT_EQ(a.plan, 0);
    EXPECT_EQ(a.runway, 0);
}

TEST_F(InstructionTest, ModelPartsOfTowingAndTaxi) {
    AircraftRecord& a = Plane(kSlot);
    ObjectRecord& o = O(kSlot);
    o.brdon = Part("brdon");
    o.brdoff = Part("brdoff");
    o.frlight = Part("frlight");
    KRNL_RecallFunction(KRNLOP_SWITCH, o.brdoff, 0, 0, 0);
    KRNL_RecallFunction(KRNLOP_SWITCH, o.frlight, 0, 0, 0);
    a.status = 0x60000;
    a.strip = 0x400;
    ExecuteInstruction(kSlot);
    EXPECT_EQ(o.brdon->sw, 0);
    EXPECT_EQ(o.brdoff->sw, 1);

    // The taxi lights come on only at night.
    a.status = 0x96000;
    a.position = POSITION_GROUND;
    AddExchange(0x96000, {503, 4});
    ExecuteInstruction(kSlot);
    EXPECT_EQ(a.talking, 1);
    EXPECT_EQ(o.frlight->sw, 0);
    ResetRadio();
    a.talking = 0;
    GetScenarioHeader().night = 1;
    ExecuteInstruction(kSlot);
    EXPECT_EQ(o.frlight->sw, 1);
}

TEST_F(InstructionTest, RejectedTakeOffClearsTheRoute) {
    AircraftRecord& a = Plane(kSlot);
    a.status = 0xac000;
    a.runway = 3;
    a.sidgroup = 2;
    AddExchange(0xac000, {612, 613});
    ExecuteInstruction(kSlot);
    EXPECT_EQ(a.runway, 0);
    EXPECT_EQ(a.sidgroup, 0);
}

// Without an exchange for the clearance the aircraft reads its route's first message into its
// exchange block; the next call speaks it.
TEST_F(InstructionTest, ClearanceFillsTheExchangeBlock) {
    AircraftRecord& a = Plane(kSlot);
    std::snprintf(a.name2, sizeof a.name2, "%s", "sakura1");
    SidEntry& e = (*GetSidTable())[0];
    std::snprintf(e.name, sizeof e.name, "%s", "SAKURA1");
    e.a[0] = 2;
    e.b[0] = 5;
    GetRouteTable().entry[2][5].value[0] = 411;
    a.status = 0x81000;
    a.emcode = 0x33;
    ExecuteInstruction(kSlot);
    EXPECT_EQ(a.talking, 0);
    EXPECT_EQ(a.waitcount, 1);
    EXPECT_EQ(a.emcode, 0x81000);
    EXPECT_EQ(a.emparam[0], 411);
    EXPECT_EQ(a.emparam[1], -1);
    EXPECT_EQ(Row(POSITION_DELIVERY).aircraft, 0);
    ExecuteInstruction(kSlot);
    EXPECT_EQ(Row(POSITION_DELIVERY).aircraft, kSlot + 1);
    EXPECT_EQ(Row(POSITION_DELIVERY).result, 0x83120 + 1);
    EXPECT_EQ(Row(POSITION_DELIVERY).queue[0], MakeExchangeMessage(411, 0x200, kSlot));
}

// A SID whose group or entry lies outside the route table gives no block.
TEST_F(InstructionTest, ClearanceOutsideTheRouteTable) {
    struct {
        int group, entry;
    } const kOutside[] = {{16, 0}, {0, 32}, {255, 255}};
    for (const auto& c : kOutside) {
        AircraftRecord& a = Plane(kSlot);
        std::snprintf(a.name2, sizeof a.name2, "%s", "X1");
        SidEntry& e = (*GetSidTable())[0];
        std::snprintf(e.name, sizeof e.name, "%s", "X1");
        e.a[0] = uint8_t(c.group);
        e.b[0] = uint8_t(c.entry);
        a.status = 0x80000;
        a.emcode = 0x33;
        a.emparam[0] = 7;
        ExecuteInstruction(kSlot);
        EXPECT_EQ(a.emcode, 0x33) << c.group << "/" << c.entry;
        EXPECT_EQ(a.emparam[0], 7);
        EXPECT_EQ(a.waitcount, 1);
    }
}

TEST_F(InstructionTest, ScriptedCall) {
    struct CallCase {
        const char* what;
        int32_t linkedto;
        uint32_t flags;
        Rows rows;
        int started;
        int32_t strip, waitcount;
        bool waits;  // still in the row's wait list (the row takes it out when it speaks)
    };
    const CallCase kCalls[] = {
        {"free row, no flags", -1, 0, kFree, 1, 0x100, 7, false},
        {"free row, counter and strip", -1, 0x4810, kFree, 1, 0x1302, 1, false},
        {"strip flags outside the list", -1, 0x4900, kFree, 1, 0x100, 7, false},
        {"each strip value", -1, 0x2c00, kFree, 1, 0x702, 7, false},
        {"under a leader", 0, 0x10, kFree, 0, 0x100, 7, false},
        {"closing pause without the flag", -1, 0x10, kPause, 0, 0x100, 7, true},
        {"closing pause cut short", -1, 0x10010, kPause, 1, 0x100, 1, true},
        {"busy row", -1, 0x10010, kBusy, 0, 0x100, 7, true},
    };
    for (const CallCase& c : kCalls) {
        SCOPED_TRACE(c.what);
        ResetRadio();
        AircraftRecord& a = Plane(kSlot);
        a.status = 0x300000;
        a.talking = 0;
        a.linkedto = c.linkedto;
        a.strip = 0x100;
        a.waitcount = 7;
        a.call = CallBlock{POSITION_GROUND, 0x45000, c.flags, {12, 13, -1, -1}};
        ExchangeRow& r = Row(POSITION_GROUND);
        if (c.rows == kPause) {
            r.state = 2;
            r.timer = 40;
            r.frames = r.scroll = 30;
        } else if (c.rows == kBusy) {
            r.state = 1;
            r.aircraft = kOther + 1;
        }
        ExecuteInstruction(kSlot);
        EXPECT_EQ(r.aircraft == kSlot + 1, c.started == 1);
        EXPECT_EQ(a.strip, c.strip);
        EXPECT_EQ(a.waitcount, c.waitcount);
        if (c.started) {
            EXPECT_EQ(r.result, 0x45000 + 1);
            EXPECT_EQ(r.queue[0], MakeExchangeMessage(12, 0x100, kSlot));
            EXPECT_EQ(r.queue[1], MakeExchangeMessage(13, 0x200, kSlot));
            EXPECT_EQ(r.timer, 0);
        }
        EXPECT_EQ(Waits(POSITION_GROUND, kSlot), c.waits);
    }
}
