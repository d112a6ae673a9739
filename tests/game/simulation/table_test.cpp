// The aircraft table's lookups and resets.
#include "sim_fixture.h"

using simtest::SimCase;

namespace {

class AircraftTableTest : public SimCase {
  protected:
    void Use(int slot, int id) {
        A(slot).used = 1;
        A(slot).id = id;
        A(slot).spot = -1;
    }
};

}  // namespace

TEST_F(AircraftTableTest, FreeAndAssignedSlots) {
    EXPECT_EQ(FindFreeAircraft(), 0);
    EXPECT_EQ(FindAircraftSlot(0), 0);  // ID 0 finds the first unassigned slot
    for (int s = 0; s < kAircraftSlots; ++s) Use(s, 100 + s);
    EXPECT_EQ(FindFreeAircraft(), -1);
    EXPECT_EQ(FindAircraftSlot(0), -1);
    EXPECT_EQ(FindAircraftSlot(119), 19);
    EXPECT_EQ(FindAircraftSlot(120), -1);
    A(7).used = 0;  // left the scene with its object standing: keeps its ID and slot
    EXPECT_EQ(FindFreeAircraft(), 7);
    EXPECT_EQ(FindAircraftSlot(107), 7);
    EXPECT_EQ(AcquireAircraftSlot(999, 0), -1);  // no slot is unassigned
}

TEST_F(AircraftTableTest, AcquireWaitsForRoomInTheStripQueueOfItsKind) {
    Use(0, 5);
    StripQueue& q = GetStripQueue();
    struct Case {
        const char* what;
        int arrivals, departures;  // places taken
        int id, kind, expected;
    };
    const Case cases[] = {
        {"an ID in the table, arrivals full", 5, 5, 5, 1, 0},
        {"new arrival, room", 4, 5, 6, 1, 1},
        {"new arrival, queue full", 5, 0, 6, 1, -1},
        {"new departure, queue full", 0, 5, 6, 2, -1},
        {"new departure, arrivals full", 5, 4, 6, 2, 1},
        {"other kinds ignore the queues", 5, 5, 6, 11, 1},
        {"kind 0 ignores the queues", 5, 5, 6, 0, 1},
    };
    for (const Case& c : cases) {
        q.fill(0);
        for (int p = 0; p < c.arrivals; ++p) q[size_t(p)] = p + 1;
        for (int p = 0; p < c.departures; ++p) q[size_t(5 + p)] = p + 10;
        EXPECT_EQ(AcquireAircraftSlot(c.id, c.kind), c.expected) << c.what;
        EXPECT_EQ(HasStripRoom(), c.arrivals < 5 ? 1 : 0) << c.what;
    }
}

TEST_F(AircraftTableTest, AircraftAtSpot) {
    Use(2, 12);
    A(2).spot = 4;
    Use(5, 15);
    A(5).spot = 4;  // two on one spot: the later slot is reported
    Use(6, 16);
    A(6).status = 0x1f063;  // panel status 0x060: heading for spot choice - 1
    A(6).choice = 10;
    Use(8, 18);
    A(8).status = 0x060;
    A(8).choice = 0;  // no choice: spot -1 is no entry
    Use(9, 19);
    A(9).spot = 64;  // outside the 64 entries: passed over
    Use(10, 20);
    A(10).status = 0x060;
    A(10).choice = 200;
    Use(11, 21);
    A(11).status = 0x070;  // another panel status does not count
    A(11).choice = 3;
    Use(12, 22);
    A(12).spot = 30;
    A(12).used = 0;  // not in use
    struct Case {
        int n, id;
    };
    const Case cases[] = {{4, 15}, {9, 16}, {2, 0},  {30, 0},  {63, 0},
                          {0, 0},  {-1, 0}, {64, 0}, {199, 0}, {1000, 0}};
    for (const Case& c : cases) EXPECT_EQ(GetAircraftAtSpot(c.n), c.id) << "spot " << c.n;
}

TEST_F(AircraftTableTest, ClearFreesEverySlotAndKeepsTheRest) {
    for (int s = 0; s < kAircraftSlots; ++s) {
        Use(s, 100 + s);
        std::snprintf(A(s).callsign, sizeof A(s).callsign, "JAL-%04d", s);
        A(s).status = 0x40000;
    }
    ClearAircraftTable();
    EXPECT_EQ(GetTimetablePosition(), 0);
    for (int s = 0; s < kAircraftSlots; ++s) {
        EXPECT_EQ(A(s).used, 0);
        EXPECT_EQ(A(s).id, 0);
        EXPECT_EQ(A(s).status, 0x40000);
        EXPECT_EQ(std::string(A(s).callsign).substr(0, 4), "JAL-");
    }
}

TEST_F(AircraftTableTest, OrdersAndRoutesReset) {
    AircraftRecord& a = A(3);
    auto fill = [&] {
        a.items[1].code = 5;
        a.items[1].x = 77;
        std::snprintf(a.names[2].name, 16, "N");
        std::snprintf(a.routenames[40].name, 16, "R");
        std::snprintf(a.approachtab[7].name, 16, "AP");
        std::snprintf(a.label[3], 16, "L");
        a.vars[9] = 4;
        a.menucount[0] = a.menucount[1] = 2;
        a.plan = a.runway = a.mark = a.windcheck = a.timer = a.waitcount = a.reqtimer = 1;
        a.repeats = a.sidgroup = a.sidentry = a.target = a.approach = a.leadstop = 1;
        a.links = a.levelbank = 1;
        a.bstep = 9;
        a.maxbank = 9;
        a.tlimit = 9;
        a.dpitch = 9;
        a.routeflags[0] = a.routeflags[1] = 1;
        a.status = 0x40000;
        a.talking = 1;
    };
    // The aircraft holds a strip, so that its radar label row shows its callsign.
    a.used = 1;
    std::snprintf(a.callsign, sizeof a.callsign, "JAL-0003");
    DrawStrip(3);
    DrawRadarLabel(3);
    ClearCalls();
    fill();
    ResetAircraftOrders(3, 0);
    EXPECT_EQ(a.items[1].code, 0);
    EXPECT_EQ(a.items[1].x, 77);  // only the first word
    EXPECT_EQ(a.names[2].name[0], 0);
    EXPECT_EQ(a.routenames[40].name[0], 0);
    EXPECT_EQ(a.approachtab[7].name[0], 0);
    EXPECT_EQ(a.label[3][0], 0);
    EXPECT_EQ(a.vars[9], 0);
    EXPECT_EQ(a.menucount[0] + a.menucount[1], 0);
    for (int v :
         {a.plan, a.runway, a.mark, a.windcheck, a.timer, a.waitcount, a.reqtimer, a.repeats,
          a.sidgroup, a.sidentry, a.target, a.approach, a.leadstop, a.links, a.levelbank})
        EXPECT_EQ(v, 0);
    EXPECT_EQ(a.bstep, 0.5);
    EXPECT_EQ(a.maxbank, 30);
    EXPECT_EQ(a.tlimit, 0.2);
    EXPECT_EQ(a.dpitch, 9);  // kept without `full`
    EXPECT_EQ(a.routeflags[0], 1);
    EXPECT_EQ(a.status, 0x40000);  // status and talk stay
    EXPECT_EQ(a.talking, 1);
    EXPECT_FALSE(Called("ClearRadarLabel 3"));

    ResetAircraftOrders(3, 1);
    EXPECT_EQ(a.dpitch, 0);
    EXPECT_EQ(a.routeflags[0] + a.routeflags[1], 0);
    EXPECT_TRUE(Called("ClearRadarLabel 3"));

    fill();
    ClearAircraftRoute(3);
    EXPECT_EQ(a.items[1].code, 0);
    EXPECT_EQ(a.names[2].name[0] + a.routenames[40].name[0] + a.approachtab[7].name[0], 0);
    EXPECT_EQ(a.runway + a.mark + a.windcheck + a.sidgroup + a.sidentry, 0);
    EXPECT_EQ(a.routeflags[0] + a.routeflags[1], 0);
    // Requests, stress and messages stay.
    EXPECT_EQ(a.reqtimer, 1);
    EXPECT_EQ(a.repeats, 1);
    EXPECT_EQ(a.plan, 1);
    EXPECT_EQ(a.label[3][0], 'L');
    EXPECT_EQ(a.vars[9], 4);

    // Slots outside the table are left alone.
    ResetAircraftOrders(-1, 1);
    ResetAircraftOrders(kAircraftSlots, 1);
    ClearAircraftRoute(kAircraftSlots);
}

TEST(AircraftTableWithout, LookupsAnswerNoneWithoutATable) {
    AircraftTable* saved = GetAircraftTable();
    SetAircraftTable(nullptr);
    EXPECT_EQ(FindFreeAircraft(), -1);
    EXPECT_EQ(FindAircraftSlot(0), -1);
    EXPECT_EQ(AcquireAircraftSlot(1, 0), -1);
    EXPECT_EQ(GetAircraftAtSpot(0), 0);
    ClearAircraftTable();
    SetAircraftTable(saved);
}
