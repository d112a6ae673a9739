// Command application: every item code's status, row, result, score and queued messages; the
// message lists; named and reply items; 0x005 and the second levels; the SID items.
#include <cstring>

#include "controller_fixture.h"

namespace {

using ctltest::Text;

constexpr int kSlot = 2;
constexpr int32_t kSame = -1;
constexpr int kOwn = 3;  // the aircraft's own position in these cases

// The score a command adds: kind 1 adds the response bonus of a wait of 0 ticks (100).
constexpr uint32_t Score(int points, int kind) { return uint32_t(points + (kind ? 100 : 0)); }

class Commands : public ctltest::Stage {
  protected:
    Commands() {
        AircraftRecord& a = Plane(kSlot);
        a.position = kOwn;
        a.waitcount = 7;
        a.reqtimer = 8;
        SetSelectedAircraft(kSlot);
    }
    // The aircraft's chosen item: `code`, messages 21 and 22, no name, no reply.
    void Choose(int code, std::initializer_list<int32_t> msg = {21, 22, -1, -1}) {
        MenuItem& m = A(kSlot).chosen;
        std::memset(&m, 0, sizeof m);
        m.code = code + 1;
        m.reply = -1;
        m.position = kOwn;
        int i = 0;
        for (int32_t v : msg) m.msg[i++] = v;
        for (; i < 4; ++i) m.msg[i] = -1;
    }
    static ExchangeRow& Row(int p) { return GetExchangeRows()[size_t(p)]; }
    static void Idle() {
        for (ExchangeRow& r : GetExchangeRows()) {
            r = ExchangeRow{};
            r.scroll = -1;
        }
    }
};

struct CommandCase {
    int code;
    int32_t status;  // before
    int32_t to;      // after (kSame: unchanged)
    int row;         // the row that receives the messages
    bool setrow;     // its aircraft and result written
    int result;
    uint32_t score;
    int32_t plan = 0;
};
const CommandCase kCommands[] = {
    {0x001, 0x12010, kSame, 0, true, 2, 0},
    {0x002, 0x26030, 0x28030, 1, true, 0, 0},
    {0x003, 0xb2000, 0xb5130, 4, true, 0, Score(200, 0)},
    {0x004, 0x51000, 0x53000, 1, true, 0, 0},
    {0x008, 0x22000, 0x24030, 1, true, 0, Score(100, 0)},
    {0x008, 0xb7000, 0xb5130, 1, true, 0, Score(200, 0)},
    {0x009, 0xa2000, kSame, 1, true, 0x00a, Score(100, 1)},
    {0x00a, 0x26030, 0x28030, 1, true, 0, Score(100, 1)},
    {0x00b, 0x44000, kSame, kOwn, true, 0x00c, 0},
    {0x00c, 0x42000, kSame, kOwn, true, 0x00d, 0},
    {0x00d, 0x44000, kSame, kOwn, true, 0x00e, 0},
    {0x00e, 0x2a000, kSame, kOwn, true, 0x00f, 0},
    {0x00f, 0xa2000, kSame, 1, true, 0x010, 0},
    {0x010, 0xa2000, kSame, 1, true, 0x011, 0},
    {0x012, 0x92000, kSame, kOwn, true, 0x013, 0},
    {0x013, 0x89000, kSame, 2, true, 0x014, Score(100, 1)},
    {0x013, 0x8b000, kSame, 1, true, 0x014, Score(100, 1)},
    {0x014, 0x82000, kSame, 3, true, 0x015, 0},
    {0x014, 0x89000, kSame, 2, true, 0x015, 0},
    {0x014, 0x8b000, kSame, 1, true, 0x015, 0},
    {0x016, 0x32000, kSame, 1, true, 0x017, Score(100, 0)},
    {0x017, 0x2b000, kSame, kOwn, true, 0x018, Score(100, 0)},
    {0x018, 0x9c000, kSame, kOwn, true, 0x019, Score(100, 0)},
    {0x019, 0xb4050, 0xb6130, 4, true, 0, Score(300, 0)},
    {0x019, 0xb4050, 0xb6130, 1, true, 0, Score(300, 0), 0x40000},
    {0x01a, 0x98000, kSame, kOwn, true, 0x01b, Score(100, 1)},
    {0x01d, 0xd1000, kSame, 2, true, 0x01e, Score(100, 1)},
    {0x01e, 0xd1000, kSame, 2, true, 0x01f, 0},
    {0x100, 0x12010, kSame, 0, true, 0x101, Score(100, 1)},
    {0x101, 0x12010, kSame, 0, true, 0x102, Score(100, 1)},
    {0x102, 0x12010, kSame, 0, true, 0x103, Score(100, 1)},
    {0x103, 0x12010, kSame, 0, true, 0x104, Score(100, 1)},
    {0x104, 0x15000, 0x17000, 0, true, 0, 0},
    {0x105, 0x51000, 0x52000, 1, true, 0, 0},
    {0x203, 0x18000, kSame, 0, true, 0x204, Score(100, 1)},
    {0x401, 0x42150, kSame, kOwn, true, 0x402, Score(100, 1)},
    {0x777, 0x12010, kSame, 0, false, 0, 0},  // any other: messages to row 0 only
};

TEST_F(Commands, EachCodeByTheTable) {
    for (const CommandCase& c : kCommands) {
        SCOPED_TRACE(::testing::Message() << std::hex << c.code << " " << c.status);
        Idle();
        AircraftRecord& a = A(kSlot);
        a.status = c.status;
        a.plan = c.plan;
        a.waitcount = 0;
        a.reqtimer = 8;
        a.talking = 0;
        a.strip = 0x1402;
        GetHud() = HudNumbers{};
        Choose(c.code);
        ApplyCommand(kSlot, c.code + 1);
        EXPECT_EQ(a.status, c.to == kSame ? c.status : c.to);
        EXPECT_EQ(GetHud().score, c.score);
        EXPECT_EQ(CommandRow(kSlot, c.code + 1), c.row);
        for (int p = 0; p < kExchangeRows; ++p) {
            const ExchangeRow& r = Row(p);
            if (p == c.row) {
                EXPECT_EQ(r.aircraft, c.setrow ? kSlot + 1 : 0) << "row " << p;
                EXPECT_EQ(r.result, c.setrow ? c.result : 0) << "row " << p;
                EXPECT_EQ(r.queue[0], MakeExchangeMessage(21, kExchangeMore, kSlot));
                EXPECT_EQ(r.queue[1], MakeExchangeMessage(22, kExchangeLast, kSlot));
            } else {
                EXPECT_EQ(r.queue[0], 0u) << "row " << p;
                EXPECT_EQ(r.aircraft, 0) << "row " << p;
            }
        }
        EXPECT_EQ(a.talking, 1);
        EXPECT_EQ(a.waitcount, 0);
        EXPECT_EQ(a.reqtimer, 0);
    }
}

TEST_F(Commands, TheirFieldsAndEffects) {
    AircraftRecord& a = A(kSlot);
    ObjectRecord& o = O(kSlot);
    // 0x002 and 0x104: the runway check's state; 0x008: the mark.
    a.status = 0x26030;
    Choose(0x002);
    ApplyCommand(kSlot, 0x003);
    EXPECT_EQ(a.windcheck, 1);
    Choose(0x004);
    ApplyCommand(kSlot, 0x005);
    EXPECT_EQ(a.windcheck, 0);
    Choose(0x00a);
    ApplyCommand(kSlot, 0x00b);
    EXPECT_EQ(a.windcheck, 2);
    a.mark = 0;
    Choose(0x008);
    ApplyCommand(kSlot, 0x009);
    EXPECT_EQ(a.mark, 1);
    // 0x019: the strip goes to the departure family's hand-over.
    a.status = 0xb4050;
    Choose(0x019);
    ApplyCommand(kSlot, 0x01a);
    EXPECT_EQ(a.strip, 0x1602);
    // 0x102: the bearing to the point, the turn toward it, the approach item and the pick.
    o.pos = tagKRN3D{0, 500, 0, 0};
    o.angle.y = 0;
    a.target = 3;
    Choose(0x102);
    a.chosen.value = 1000;  // east
    a.chosen.value2 = 0;
    ApplyCommand(kSlot, 0x103);
    tagKRN3D east{1000, 0, 0, 0};
    EXPECT_EQ(a.choice, BearingInt(&o.pos, &east));
    EXPECT_EQ(a.turn, TurnDirection(a.choice, 0));
    EXPECT_EQ(a.target, -1);
    EXPECT_EQ(a.approachitem, 0x102);
    // 0x100 costs stress with the plan's 0x100000.
    GetHud() = HudNumbers{};
    GetHud().stresslimit = 10;
    a.plan = 0x100000;
    Choose(0x100);
    ApplyCommand(kSlot, 0x101);
    EXPECT_EQ(GetHud().stress, 10u);
    a.plan = 0;
    // 0x103: the target heading; CES172 answers on the tower's row.
    a.course = 271;
    Choose(0x103);
    Text(a.typename_, "ces172");
    ApplyCommand(kSlot, 0x104);
    EXPECT_EQ(a.choice, 271);
    EXPECT_EQ(CommandRow(kSlot, 0x104), 1);
    // 0x200-0x207: the arrival runway.
    Choose(0x205);
    ApplyCommand(kSlot, 0x206);
    EXPECT_EQ(a.choice, 6);
    EXPECT_EQ(a.runway, 6);
}

TEST_F(Commands, MessageLists) {
    struct ListCase {
        std::vector<int32_t> msg;
        std::vector<uint32_t> queued;  // kinds
    };
    const ListCase cases[] = {
        {{12, 13, -1, -1}, {kExchangeMore, kExchangeLast}},
        {{12, -2, 14, 15}, {kExchangeMore}},
        {{-1, 12, 13, 14}, {}},
        {{1, 2, 3, 4}, {kExchangeMore, kExchangeMore, kExchangeMore, kExchangeLast}},
        {{7, -1, 8, 9}, {kExchangeLast}},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.msg[0]);
        Idle();
        AircraftRecord& a = A(kSlot);
        a.talking = 0;
        a.status = 0x12010;
        Choose(0x001, {c.msg[0], c.msg[1], c.msg[2], c.msg[3]});
        ApplyCommand(kSlot, 0x002);
        const ExchangeRow& r = Row(0);
        for (size_t i = 0; i < 4; ++i) {
            const uint32_t want =
                i < c.queued.size() ? MakeExchangeMessage(c.msg[i], c.queued[i], kSlot) : 0;
            EXPECT_EQ(r.queue[i], want) << i;
        }
        // Talking whatever was queued: the row ends an empty exchange at once.
        EXPECT_EQ(a.talking, 1);
    }
}

TEST_F(Commands, NamedAndReplyItemsSpeakOnTheirPosition) {
    AircraftRecord& a = A(kSlot);
    a.status = 0x26030;
    // A name: its own position with result 0, whatever the code, and no effect of the code.
    Choose(0x002);
    Text(a.chosen.name, "in34l_3");
    a.chosen.position = 2;
    ApplyCommand(kSlot, 0x003);
    EXPECT_EQ(a.status, 0x26030);
    EXPECT_STREQ(a.label[0], "in34l_3");
    EXPECT_EQ(Row(2).aircraft, kSlot + 1);
    EXPECT_EQ(Row(2).result, 0);
    EXPECT_NE(Row(2).queue[0], 0u);
    EXPECT_EQ(Row(1).queue[0], 0u);
    // A reply: result reply + 1, no status change.
    Idle();
    Choose(0x002);
    a.chosen.reply = 0x44;
    a.chosen.position = 4;
    ApplyCommand(kSlot, 0x003);
    EXPECT_EQ(a.status, 0x26030);
    EXPECT_EQ(Row(4).result, 0x45);
    EXPECT_EQ(CommandRow(kSlot, 0x003), 4);
    // Score flags, and the second name written into the route-name entry of the choices.
    Idle();
    GetHud() = HudNumbers{};
    a.waitcount = 0;
    Choose(0x777);
    a.chosen.flags = 0x40000 | 0x12;
    Text(a.chosen.name2, "OUT1_34R");
    a.choice = 2;
    a.subchoice = 3;
    ApplyCommand(kSlot, 0x778);
    EXPECT_EQ(GetHud().score, Score(200, 1));
    EXPECT_STREQ(a.routenames[(2 - 1) * 3 + (3 - 1)].name2, "OUT1_34R");
    // A choice past the table writes nothing.
    a.choice = 40;
    Text(a.chosen.name2, "NOWHERE");
    ApplyCommand(kSlot, 0x778);
    for (const RouteName& r : a.routenames) EXPECT_STRNE(r.name2, "NOWHERE");
}

TEST_F(Commands, BackAndSecondLevelsSendNothing) {
    AircraftRecord& a = A(kSlot);
    a.status = 0x42000;
    a.stripslot = -1;
    Text(a.names[3].name, "SPOT 12");
    a.routenames[3 * 3].spare = 0xff0f;
    Text(a.routenames[3 * 3].name, "in34l_3");
    Text(a.routenames[3 * 3].name2, "IN34L_3");
    BuildCommandMenu(kSlot);
    const CommandMenu& m = GetCommandMenu();
    ASSERT_EQ(GetMenuItemOfSprite(90)->code, 0x303 + 1);
    Choose(0x303);
    a.talking = 0;
    ApplyCommand(kSlot, 0x304);
    EXPECT_EQ(m.selected, 0x304);
    EXPECT_EQ(a.talking, 0);
    EXPECT_EQ(CommandRow(kSlot, 0x304), -1);
    for (int p = 0; p < kExchangeRows; ++p) EXPECT_EQ(Row(p).queue[0], 0u);
    // The second level: the big icon, its route items and 0x005.
    EXPECT_EQ(m.count, 2);
    EXPECT_EQ(GetMenuItemOfSprite(90)->code, 0x400 + 1);
    EXPECT_EQ(GetMenuItemOfSprite(91)->code, 0x005 + 1);
    EXPECT_EQ(GetMenuItemOfSprite(90)->x, 64);
    EXPECT_EQ(Sprite(89).pattern, 3);
    EXPECT_EQ(m.preview, 0x100);
    // A route item of it: the spot's group and line.
    Choose(0x400);
    ApplyCommand(kSlot, 0x401);
    EXPECT_EQ(a.choice, 4);
    EXPECT_EQ(a.subchoice, 1);
    EXPECT_EQ(Row(kOwn).result, 0x401);
    // 0x005 rebuilds the first level without radio traffic.
    Idle();
    ApplyCommand(kSlot, 0x304);
    a.talking = 0;
    Choose(0x005);
    ApplyCommand(kSlot, 0x006);
    EXPECT_EQ(m.selected, 0);
    EXPECT_EQ(GetMenuItemOfSprite(90)->code, 0x303 + 1);
    EXPECT_EQ(a.talking, 0);
    for (int p = 0; p < kExchangeRows; ++p) EXPECT_EQ(Row(p).queue[0], 0u);
}

TEST_F(Commands, ApproachSecondLevelAndItsRow) {
    AircraftRecord& a = A(kSlot);
    a.status = 0x12010;
    // Row 4: the first value valid offers 0x102, the third 0x100; each item takes its own
    // column's point.
    const int x[3] = {100, -20000, 300};
    for (int k = 0; k < 3; ++k) a.approachtab[4].x[k] = x[k];
    Choose(0x804);
    ApplyCommand(kSlot, 0x805);
    const CommandMenu& m = GetCommandMenu();
    EXPECT_EQ(m.selected, 0x805);
    ASSERT_EQ(m.count, 3);
    EXPECT_EQ(GetMenuItemOfSprite(90)->code, 0x102 + 1);
    EXPECT_EQ(GetMenuItemOfSprite(90)->value, 300);
    EXPECT_EQ(GetMenuItemOfSprite(91)->code, 0x100 + 1);
    EXPECT_EQ(GetMenuItemOfSprite(91)->value, 100);
    EXPECT_EQ(GetMenuItemOfSprite(92)->code, 0x005 + 1);
    EXPECT_EQ(GetMenuItemOfSprite(90)->x, 64);
}

TEST_F(Commands, SidItemsTakeTheRightEntryOrItsCorrection) {
    AircraftRecord& a = A(kSlot);
    Text(a.name2, "SAKURA1");
    // SID SAKURA1: group 1, entry 2 in configuration 0.
    std::snprintf(Sids()[0].name, sizeof Sids()[0].name, "SAKURA1");
    Sids()[0].a[0] = 1;
    Sids()[0].b[0] = 2;
    RouteTable& t = GetRouteTable();
    for (int e = 1; e <= 2; ++e)
        for (int k = 0; k < 5; ++k) t.entry[1][e].value[k] = int16_t(400 + 10 * e + k);
    t.list[1][0] = 1;
    t.list[1][1] = 2;
    // 0x013 under 0x82000: the messages of the SID's entry.
    a.status = 0x82000;
    Choose(0x013);
    ApplyCommand(kSlot, 0x014);
    EXPECT_EQ(Row(3).queue[0], MakeExchangeMessage(420, kExchangeMore, kSlot));
    EXPECT_EQ(Row(3).queue[3], MakeExchangeMessage(423, kExchangeLast, kSlot));
    // The group's second level: its entries' items.
    Idle();
    Choose(0x500);
    ApplyCommand(kSlot, 0x501);
    const CommandMenu& m = GetCommandMenu();
    ASSERT_EQ(m.count, 3);
    EXPECT_EQ(GetMenuItemOfSprite(90)->code, 0x600 + 1);
    EXPECT_EQ(GetMenuItemOfSprite(91)->code, 0x601 + 1);
    EXPECT_EQ(GetMenuItemOfSprite(90)->msg[0], 410) << "entry 1's messages";
    // The right entry: scores, no correction.
    GetHud() = HudNumbers{};
    a.waitcount = 0;
    a.correction = 0;
    a.chosen = *GetMenuItemOfSprite(91);
    ApplyCommand(kSlot, 0x602);
    EXPECT_EQ(a.sidgroup, 1);
    EXPECT_EQ(a.sidentry, 2);
    EXPECT_EQ(a.correction, 0);
    EXPECT_EQ(GetHud().score, Score(100, 0) + Score(100, 1));
    // The wrong one: the right entry is kept and corrects the read-back.
    Idle();
    ApplyCommand(kSlot, 0x501);
    GetHud() = HudNumbers{};
    a.chosen = *GetMenuItemOfSprite(90);
    ApplyCommand(kSlot, 0x601);
    EXPECT_EQ(a.sidentry, 2);
    EXPECT_EQ(a.correction, 420);
    EXPECT_EQ(Row(3).queue[0], MakeExchangeMessage(410, kExchangeMore, kSlot));
    EXPECT_EQ(Row(3).queue[1], MakeExchangeMessage(421, kExchangeMore, kSlot));
    EXPECT_EQ(GetHud().score, Score(100, 1));
}

TEST_F(Commands, PropagateStatusReachesEveryLinkedAircraft) {
    AircraftRecord& a = A(kSlot);
    a.links = 2;
    a.linked[0] = 5;
    a.linked[1] = 6;
    A(7).status = 0x123;
    PropagateStatus(kSlot, 0x28030);
    EXPECT_EQ(A(5).status, 0x28030);
    EXPECT_EQ(A(6).status, 0x28030);
    EXPECT_EQ(A(7).status, 0x123);
    // A command's status reaches them too.
    a.status = 0x26030;
    Choose(0x002);
    ApplyCommand(kSlot, 0x003);
    EXPECT_EQ(A(5).status, 0x28030);
}

}  // namespace
