// Exchange start: message lists queued with their "more" and "last" marks, the exchange block
// before the airport's table, the first matching table entry, a busy row, and a list without
// messages, which the row machine ends at once.
#include "orders_fixture.h"

using simtest::OrdersCase;

namespace {

constexpr int kSlot = 6;

class ExchangeStartTest : public OrdersCase {
  protected:
    static std::vector<ExchangeMessageCode> Queue(int position) {
        std::vector<ExchangeMessageCode> q;
        for (ExchangeMessageCode c : Row(position).queue)
            if (c) q.push_back(c);
        return q;
    }
    static ExchangeMessageCode More(int m) { return MakeExchangeMessage(m, 0x100, kSlot); }
    static ExchangeMessageCode Last(int m) { return MakeExchangeMessage(m, 0x200, kSlot); }
};

}  // namespace

TEST_F(ExchangeStartTest, MessageListsFromTheCallBlock) {
    struct ListCase {
        std::vector<int32_t> msg;
        std::vector<ExchangeMessageCode> queued;
    };
    const ListCase kLists[] = {
        {{10, 11, 12, 13}, {More(10), More(11), More(12), Last(13)}},
        {{7, -1, 9, 9}, {Last(7)}},
        {{12, 13, -1, -1}, {More(12), Last(13)}},
        {{12, -2, 14, 15}, {More(12)}},  // only -1 marks the last message
        {{0, 1, 2, -1}, {More(0), More(1), Last(2)}},
        {{-1, 5, 6, 7}, {}},
    };
    for (const ListCase& c : kLists) {
        SCOPED_TRACE(testing::PrintToString(c.msg));
        ResetRadio();
        AircraftRecord& a = Plane(kSlot);
        a.talking = 0;
        for (int i = 0; i < 4; ++i) a.call.msg[i] = c.msg[size_t(i)];
        Row(POSITION_GROUND).state = 2;
        Row(POSITION_GROUND).timer = 30;
        EXPECT_EQ(StartExchange(kSlot, POSITION_GROUND, 0x45000), 1);
        EXPECT_EQ(Queue(POSITION_GROUND), c.queued);
        EXPECT_EQ(Row(POSITION_GROUND).result, 0x45001);
        EXPECT_EQ(Row(POSITION_GROUND).aircraft, kSlot + 1);
        EXPECT_EQ(a.talking, 1);
        // The row starts over, also without messages, so that its pause cannot swallow them.
        EXPECT_EQ(Row(POSITION_GROUND).state, 0);
        EXPECT_EQ(Row(POSITION_GROUND).timer, 0);
    }
}

TEST_F(ExchangeStartTest, BusyRowRefusesWithoutChange) {
    AircraftRecord& a = Plane(kSlot);
    a.call.msg[0] = 3;
    a.call.msg[1] = -1;
    a.status = 0x30000;
    AddExchange(0x30000, {4});
    for (int p = 0; p < kExchangeRows; ++p) {
        Row(p).aircraft = 2;
        Row(p).result = 9;
    }
    for (int p = 0; p < kExchangeRows; ++p) {
        EXPECT_EQ(StartExchange(kSlot, p, 0x100), 0);
        EXPECT_EQ(StartStatusExchange(kSlot, p, 0x100), 0);
        EXPECT_EQ(Row(p).aircraft, 2);
        EXPECT_EQ(Row(p).result, 9);
        EXPECT_TRUE(Queue(p).empty());
    }
    EXPECT_EQ(a.talking, 0);
    // Positions and slots outside their tables are refused the same way.
    ResetRadio();
    EXPECT_EQ(StartExchange(kSlot, 5, 0x100), 0);
    EXPECT_EQ(StartStatusExchange(kSlot, -1, 0x100), 0);
    EXPECT_EQ(StartExchange(kAircraftSlots, 1, 0x100), 0);
    EXPECT_EQ(StartStatusExchange(-1, 1, 0x100), 0);
}

TEST_F(ExchangeStartTest, BlockBeatsTableAndFirstEntryWins) {
    AddExchange(0x12345, {1});          // another instruction
    AddExchange(0x30000 | 0xfff, {2});  // the instruction, whatever the low bits
    AddExchange(0x30000, {3});
    AircraftRecord& a = Plane(kSlot);
    a.status = 0x30020;
    EXPECT_EQ(StartStatusExchange(kSlot, POSITION_TOWER, 0x32020), 1);
    EXPECT_EQ(Queue(POSITION_TOWER), std::vector<ExchangeMessageCode>{Last(2)});
    EXPECT_EQ(Row(POSITION_TOWER).result, 0x32021);

    ResetRadio();
    a.talking = 0;
    a.emcode = 0x30fff;
    a.emparam[0] = 40;
    a.emparam[1] = 41;
    a.emparam[2] = -1;
    EXPECT_EQ(StartStatusExchange(kSlot, POSITION_TOWER, 0x32020), 1);
    EXPECT_EQ(Queue(POSITION_TOWER), (std::vector<ExchangeMessageCode>{More(40), Last(41)}));

    // Neither block nor table: nothing starts and nothing changes.
    ResetRadio();
    a.talking = 0;
    a.status = 0x31000;
    EXPECT_EQ(StartStatusExchange(kSlot, POSITION_TOWER, 0x32020), 0);
    EXPECT_EQ(Row(POSITION_TOWER).aircraft, 0);
    EXPECT_EQ(Row(POSITION_TOWER).result, 0);
    EXPECT_EQ(a.talking, 0);

    // A count beyond the table's entries reads only the table.
    GetExchangeTable().count = 100000;
    EXPECT_EQ(StartStatusExchange(kSlot, POSITION_TOWER, 0x32020), 0);
}

// A list without messages would leave the row taken with an empty queue for good; the row
// machine ends such an exchange in its next step, and the row serves the next caller.
TEST_F(ExchangeStartTest, EmptyListEndsAtOnce) {
    // On an idle row, and on one in its closing pause that the call cuts short.
    for (uint32_t flags : {0u, 0x10000u}) {
        SCOPED_TRACE(flags);
        ResetRadio();
        AircraftRecord& a = Plane(kSlot);
        a.status = 0x300000;
        a.talking = 0;
        a.call = CallBlock{POSITION_TOWER, 0x26030, flags, {-1, 4, 5, 6}};
        if (flags) {
            Row(POSITION_TOWER).state = 2;
            Row(POSITION_TOWER).timer = 60;
            Row(POSITION_TOWER).frames = Row(POSITION_TOWER).scroll = 20;
        }
        ExecuteInstruction(kSlot);
        EXPECT_EQ(Row(POSITION_TOWER).aircraft, kSlot + 1);
        EXPECT_EQ(a.talking, 1);
        ExchangeMain(1);
        EXPECT_EQ(a.talking, 0);
        EXPECT_EQ(a.request, 0x26030 + 1);
        EXPECT_EQ(Row(POSITION_TOWER).aircraft, 0);
        EXPECT_EQ(Row(POSITION_TOWER).result, 0);
        EXPECT_EQ(Row(POSITION_TOWER).state, 0);
        EXPECT_FALSE(Waits(POSITION_TOWER, kSlot));
        HandlePilotRequest(kSlot);
        EXPECT_EQ(a.status, 0x26030);
        EXPECT_EQ(a.request, 0);

        // The row serves the next caller.
        AircraftRecord& b = Plane(kSlot + 1);
        b.status = 0x30000;
        b.talking = 0;
        GetExchangeTable() = ExchangeTable{};
        AddExchange(0x30000, {0});
        ExecuteInstruction(kSlot + 1);
        EXPECT_EQ(Row(POSITION_TOWER).aircraft, kSlot + 2);
    }
}
