// Aircraft creation from records 5, 6 and 7, on the sample flight data and aircraft models
// (and, for what the samples lack, fixtures of a folder of the test's own).
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../../common/case_folder.h"
#include "sim_fixture.h"

using simtest::Bytes;
using simtest::MakeFlight;
using simtest::MakeParked;
using simtest::MakeReady;
using simtest::SimCase;
using simtest::Sw;

namespace {

class CreationTest : public SimCase {
  protected:
    int Create(const FlightRecord& f, int delay = 0) { return CreateAircraft(f, 1, delay); }
    int Slot(int id) { return FindAircraftSlot(id); }
    std::string S(int slot) { return std::to_string(slot); }
};

}  // namespace

TEST_F(CreationTest, AnArrivalInFlightFromTheFlightData) {
    ASSERT_EQ(Create(MakeFlight(3, "JAL", "B767", 1, 210, 1501)), 1);
    const int s = Slot(3);
    ASSERT_EQ(s, 0);
    const AircraftRecord& a = A(s);
    const ObjectRecord& o = O(s);
    EXPECT_EQ(a.used, 1);
    EXPECT_STREQ(a.callsign, "JAL-1501");
    EXPECT_STREQ(a.callprefix, "JAL");
    EXPECT_STREQ(a.airline, "JAL");
    EXPECT_STREQ(a.airlinee, "SUNRISE");
    EXPECT_STREQ(a.typename_, "B767");
    EXPECT_STREQ(a.typetext, "BOEING 767-300");
    EXPECT_EQ(o.kind, 0x10111);
    EXPECT_EQ(a.typeoffset, 250);
    EXPECT_EQ(a.tailclear, 10000);  // the file's 0
    EXPECT_EQ(a.turnspeed, 150);    // the type's minimum turn speed, knots
    EXPECT_EQ(o.flight, 1501);
    EXPECT_EQ(a.linkedto, -1);
    EXPECT_EQ(a.stripslot, 0);  // the first free strip slot
    EXPECT_EQ(GetStripSlots()[0], s);
    EXPECT_STREQ(GetRadarLabel(0), "JAL-1501");
    EXPECT_EQ(a.spot, -1);
    EXPECT_EQ(a.speaker, 3 + 29);
    EXPECT_EQ(a.strip, 0x102);
    EXPECT_EQ(a.plan, 0x200);
    EXPECT_EQ(a.scriptpos, -1);
    EXPECT_EQ(a.amount, 3000);
    EXPECT_DOUBLE_EQ(a.talt, 3000 * 0.3048);
    EXPECT_DOUBLE_EQ(a.tspeed, 210 * 1.852 / 108);
    EXPECT_DOUBLE_EQ(o.speed, a.tspeed);
    EXPECT_EQ(o.pos.x, -3000);
    EXPECT_DOUBLE_EQ(o.pos.y, 3000 * 0.3048);
    EXPECT_EQ(o.pos.z, 4000);
    EXPECT_EQ(o.angle.y, 160);
    EXPECT_GE(a.blink, 0);
    EXPECT_LE(a.blink, 600);
    // The body is the sub-layer <type><airline> under the root named by the callsign.
    ASSERT_NE(o.body, nullptr);
    EXPECT_STREQ(o.body->name, "B767JAL");
    EXPECT_STREQ(o.layer->name, "JAL-1501");
    EXPECT_EQ(o.body->shift.z, 4000);
    EXPECT_EQ(o.body->rotate.y, 160);
    EXPECT_TRUE(Called("DrawStrip 0"));
    EXPECT_TRUE(Called("DrawRadarLabel 0"));
    // In flight: gear up, flaps and reversers in, landing lights off, the collision light on.
    struct Part {
        const char* name;
        int sw;
    };
    const Part parts[] = {{"tire", 0},     {"gearup", 1},  {"flapup", 1},   {"flapdown", 0},
                          {"revoff", 1},   {"revon", 0},   {"ldlightm", 0}, {"ldlightl", 0},
                          {"ldlightr", 0}, {"atlight", 1}, {"nlight", 0},   {"frlight", 1}};
    for (const Part& p : parts) EXPECT_EQ(Sw(o, p.name), p.sw) << p.name;
    EXPECT_EQ(o.flapup, KRNL_SearchLayer(o.layer, "flapup"));
    EXPECT_EQ(o.nosegear, KRNL_SearchLayer(o.layer, "nosegear"));
}

TEST_F(CreationTest, KindsChooseStripAndParts) {
    struct Case {
        const char* what;
        const char* airline;
        const char* type;
        int kind;
        int strip;
        int night;
        std::vector<std::pair<const char*, int>> parts;
    };
    const Case cases[] = {
        {"kind 11: no collision light", "JAL", "B767", 11, 0x206, 0, {{"tire", 0}, {"atlight", 0}}},
        {"kind 2 on the ground",
         "JAL",
         "B767",
         2,
         0x1202,
         0,
         {{"tire", 1}, {"gearup", 0}, {"flapdown", 0}, {"atlight", 0}, {"nlight", 0}}},
        {"kind 16: no strip", "ANA", "B777", 16, 0, 0, {{"tire", 1}, {"gearup", 0}}},
        {"kind 1 at night", "JAL", "B767", 1, 0x102, 1, {{"nlight", 1}, {"frlight", 0}}},
        {"kind 2 at night: the night light off", "JAL", "B767", 2, 0x1202, 1, {{"nlight", 0}}},
        {"another kind: no strip, parts as loaded",
         "JAL",
         "B767",
         3,
         0,
         0,
         {{"tire", 1}, {"gearup", 1}, {"atlight", 1}}},
        {"model kind 4: the gear is not switched",
         "JCG",
         "SPM",
         1,
         0x102,
         0,
         {{"tire", 1}, {"brdoff", 0}, {"brdon", 1}}},
        {"propellers turning in flight",
         "HKA",
         "YS11",
         1,
         0x102,
         0,
         {{"brdoff", 0}, {"brdon", 1}, {"brd0", 1}, {"brd1", 0}, {"brd2", 0}}},
        {"propellers at rest on the ground",
         "HKA",
         "YS11",
         2,
         0x1202,
         0,
         {{"brdoff", 1}, {"brdon", 0}}},
        {"afterburner and drag chute hidden",
         "JAF",
         "XF1",
         3,
         0,
         0,
         {{"afterburner", 0}, {"dragshoot", 0}, {"hatchclose", 1}}},
    };
    int id = 1;
    for (const Case& c : cases) {
        GetScenarioHeader().night = c.night;
        ClearCalls();
        ASSERT_EQ(Create(MakeFlight(id, c.airline, c.type, c.kind)), 1) << c.what;
        const int s = Slot(id++);
        EXPECT_EQ(A(s).strip, c.strip) << c.what;
        EXPECT_EQ(Called("DrawStrip " + S(s)), c.strip != 0) << c.what;
        for (const auto& p : c.parts)
            EXPECT_EQ(Sw(O(s), p.first), p.second) << c.what << " " << p.first;
    }
}

TEST_F(CreationTest, SpeedMemosDelayAndSpeakers) {
    struct Case {
        int knots;
        const char* memo;  // null: none
    };
    const Case cases[] = {{220, "FAST"},  {250, "FAST"},  {200, "SLOW"}, {150, "SLOW"},
                          {201, nullptr}, {219, nullptr}, {210, nullptr}};
    int id = 1;
    for (const Case& c : cases) {
        ClearCalls();
        ASSERT_EQ(Create(MakeFlight(id, "ANA", "B777", 1, c.knots)), 1);
        const int s = Slot(id++);
        EXPECT_EQ(CountCalls("AddStripMemo"), c.memo ? 1 : 0) << c.knots;
        if (c.memo) {
            EXPECT_TRUE(Called("AddStripMemo " + S(s) + " " + c.memo)) << c.knots;
        }
    }
    ClearCalls();
    const uint32_t stress = GetHud().stress;
    ASSERT_EQ(CreateAircraft(MakeFlight(id, "JAL", "B767", 2, 210), 0, 4), 1);
    const int s = Slot(id);
    EXPECT_EQ(A(s).delay, 4);
    EXPECT_TRUE(Called("AddStripMemo " + S(s) + " DELAY 4"));
    EXPECT_EQ(GetHud().stress - stress, 8u);
    // The coast guard's propeller aircraft and helicopter have speakers of their own.
    ASSERT_EQ(Create(MakeFlight(30, "JCG", "YS11")), 1);
    EXPECT_EQ(A(Slot(30)).speaker, 25);
    EXPECT_EQ(A(Slot(30)).tailclear, 8000);
    ASSERT_EQ(Create(MakeFlight(31, "JCG", "SPM")), 1);
    EXPECT_EQ(A(Slot(31)).speaker, 24);
    EXPECT_EQ(A(Slot(31)).turnspeed, 0);  // the helicopter has none
    ASSERT_EQ(Create(MakeFlight(32, "HKA", "YS11", 1, 210, 7)), 1);
    EXPECT_EQ(A(Slot(32)).speaker, 32 + 29);
    EXPECT_STREQ(A(Slot(32)).callsign, "JAIR-007");
    ASSERT_EQ(Create(MakeFlight(33, "ANA", "B777", 1, 210, 7)), 1);
    EXPECT_STREQ(A(Slot(33)).callsign, "ANA-0007");
}

TEST_F(CreationTest, TypeFlagsAndRecordFlags) {
    struct Case {
        const char* airline;
        const char* type;
        int32_t flags;
        int32_t kind;
    };
    const Case cases[] = {{"JAS", "B737-400", 0, 0x221 + 0x20000},
                          {"JAS", "MD90", 0, 0x121 + 0x10000},
                          {"JCG", "YS11", 0x1000, 0x922 | 0x1000},
                          {"JAF", "XF1", 0x40, 0x43}};
    int id = 1;
    for (const Case& c : cases) {
        FlightRecord f = MakeFlight(id, c.airline, c.type);
        f.flags = c.flags;
        ASSERT_EQ(Create(f), 1) << c.type;
        EXPECT_EQ(O(Slot(id++)).kind, c.kind) << c.type;
    }
}

TEST_F(CreationTest, OtherAirportScheduleAndScript) {
    FlightRecord f = MakeFlight(4, "JAL", "B767");
    std::snprintf(f.port, sizeof f.port, "KRG");
    f.sched = 1060;  // minutes past 59 move into the next hour
    std::snprintf(f.script, sizeof f.script, "arr01");
    ASSERT_EQ(Create(f), 1);
    const AircraftRecord& a = A(Slot(4));
    EXPECT_STREQ(a.port, "KRG");
    EXPECT_STREQ(a.portnamee, "KIRIGAOKA");
    EXPECT_STREQ(a.portname3, "KIRIGAOKA AIRPORT");
    EXPECT_EQ(a.sched, 1100);
    // The move script is loaded: there is none of that name, so the loader warns and the
    // script stands empty at position 0.
    EXPECT_EQ(a.scriptpos, 0);
    EXPECT_EQ(LastBox(),
              reinterpret_cast<const char*>(u8"Wynmoor２の警告|errを出したのは[JAL-0007]") +
                  S(Slot(4)) + reinterpret_cast<const char*>(u8"だよ"));
    // An unknown airport leaves the names empty; creation goes on.
    std::snprintf(f.port, sizeof f.port, "NONE");
    f.id = 5;
    ASSERT_EQ(Create(f), 1);
    EXPECT_STREQ(A(Slot(5)).port, "NONE");
    EXPECT_STREQ(A(Slot(5)).portnamee, "");
}

TEST_F(CreationTest, MissingAirlineOrModelCreatesNothing) {
    struct Case {
        const char* airline;
        const char* type;
        int livery;
    };
    const Case cases[] = {{"ZZZ", "B767", 0},   // no airline file
                          {"JAL", "MD81", 0},   // a type file without a model for the airline
                          {"JAL", "B767", 5}};  // no such livery
    for (const Case& c : cases) {
        FlightRecord f = MakeFlight(8, c.airline, c.type);
        f.livery = c.livery;
        EXPECT_EQ(Create(f), 0) << c.airline << c.type << c.livery;
        EXPECT_EQ(FindAircraftSlot(8), -1);
        EXPECT_EQ(A(0).used, 0);
        EXPECT_EQ(GetRetryQueue().count, 0);  // not deferred
    }
    // The livery file: airplane\B767\B767JAL2.plm, body still B767JAL.
    FlightRecord f = MakeFlight(8, "JAL", "B767");
    f.livery = 2;
    ASSERT_EQ(Create(f), 1);
    EXPECT_STREQ(O(0).layer->name, "JAL-0007");
    EXPECT_STREQ(O(0).body->name, "B767JAL");
    const tagKRNL* fuselage = KRNL_SearchLayer(O(0).body, "fuselage");
    ASSERT_NE(fuselage, nullptr);
    // The second livery's picture on the fuselage.
    ASSERT_NE(fuselage->lpchip[0].htex, 0u);
    const auto* tex = reinterpret_cast<const tagKRNTEXTURE*>(fuselage->lpchip[0].htex);
    EXPECT_STREQ(tex->file, "B767JAL2.bmp");
}

TEST_F(CreationTest, ASlotReusedForAnIDDeletesItsOldBodyFirst) {
    ASSERT_EQ(Create(MakeFlight(3, "JAL", "B767", 1, 210, 1)), 1);
    ASSERT_EQ(Create(MakeFlight(3, "ANA", "B777", 1, 210, 2)), 1);
    EXPECT_EQ(Handles().root->layer, 1);  // one body in the scene, not a ghost beside it
    EXPECT_STREQ(O(0).layer->name, "ANA-0002");
    EXPECT_EQ(A(0).id, 3);
    EXPECT_EQ(A(0).used, 1);
}

TEST_F(CreationTest, ATimetableCreationWaitsWhenNoSlotIsFree) {
    GetStripQueue().fill(7);
    FlightRecord f = MakeFlight(9, "JAL", "B767", 1);
    EXPECT_EQ(CreateAircraft(f, 1, 0), 0);
    EXPECT_EQ(GetRetryQueue().count, 1);
    EXPECT_EQ(CreateAircraft(f, 0, 3), 0);  // the retry queue's own call does not defer again
    EXPECT_EQ(GetRetryQueue().count, 1);
    f.kind = 16;  // a kind that does not wait for the strip queues
    EXPECT_EQ(CreateAircraft(f, 1, 0), 1);
}

TEST_F(CreationTest, ParkedAtASpot) {
    ParkedRecord p = MakeParked(6, 2, "JAL", "B767");
    ASSERT_EQ(CreateParkedAircraft(p), 1);
    const int s = Slot(6);
    const AircraftRecord& a = A(s);
    const ObjectRecord& o = O(s);
    EXPECT_EQ(a.spot, 2);
    EXPECT_EQ(o.pos.x, 202);  // 20250 / 100 in integers
    EXPECT_EQ(o.pos.y, 3);
    EXPECT_EQ(o.pos.z, -50);  // -5099 / 100 toward zero
    EXPECT_EQ(o.angle.y, 92);
    EXPECT_EQ(a.ground, 3);
    EXPECT_EQ(a.talt, 3);
    EXPECT_EQ(o.speed, 0);
    EXPECT_EQ(a.strip, 0);
    EXPECT_EQ(a.scriptpos, -1);
    EXPECT_EQ(a.sched, 1030);
    EXPECT_EQ(a.plan, 0);
    EXPECT_EQ(GetAircraftAtSpot(2), 6);
    const std::pair<const char*, int> parts[] = {{"tire", 1},     {"gearup", 0},   {"flapup", 1},
                                                 {"flapdown", 0}, {"revon", 0},    {"revoff", 1},
                                                 {"nlight", 0},   {"ldlightm", 0}, {"atlight", 0}};
    for (const auto& p2 : parts) EXPECT_EQ(Sw(o, p2.first), p2.second) << p2.first;

    // Spot 64 or more: created where it is, not placed.
    ParkedRecord q = MakeParked(7, 64, "ANA", "B777");
    ASSERT_EQ(CreateParkedAircraft(q), 1);
    EXPECT_EQ(A(Slot(7)).spot, -1);
    EXPECT_EQ(O(Slot(7)).pos.x, 0);
    // A script and a flag word other than -1: a departure strip at once.
    ParkedRecord r = MakeParked(8, 5, "ANA", "B777");
    std::snprintf(r.script, sizeof r.script, "dep01");
    ASSERT_EQ(CreateParkedAircraft(r), 1);
    EXPECT_EQ(A(Slot(8)).strip, 0x1202);
    EXPECT_EQ(A(Slot(8)).scriptpos, 0);
    r.id = 9;
    r.flags = -1;
    ASSERT_EQ(CreateParkedAircraft(r), 1);
    EXPECT_EQ(A(Slot(9)).strip, 0);
    // No deferral: with every slot assigned a parked aircraft is refused at once.
    for (int i = 0; i < kAircraftSlots; ++i)
        if (A(i).id == 0) A(i).id = 500 + i;
    EXPECT_EQ(CreateParkedAircraft(MakeParked(10, 3, "JAL", "B767")), 0);
    EXPECT_EQ(GetRetryQueue().count, 0);
}

TEST_F(CreationTest, ABridgeTakesThePoseOfTheModel) {
    tagKRNL* root = Handles().root;
    BridgeTable& bridges = GetBridgeTable();
    for (int spot : {1, 2}) {
        for (int pose = 0; pose < 3; ++pose) {
            char name[16];
            std::snprintf(name, sizeof name, "bdg%dmv%d", spot, pose);
            bridges[size_t(spot)].pose[pose] = KRNL_CreateLayer(root, name);
        }
    }
    // B767 (model flags 0x111: bits 4-7 = 1) shows pose 1; B737-400 (0x221) pose 2.
    ASSERT_EQ(CreateParkedAircraft(MakeParked(1, 1, "JAL", "B767")), 1);
    ASSERT_EQ(CreateParkedAircraft(MakeParked(2, 2, "JAS", "B737-400")), 1);
    const int expected[3][3] = {{0, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int spot : {1, 2})
        for (int pose = 0; pose < 3; ++pose)
            EXPECT_EQ(bridges[size_t(spot)].pose[pose]->sw, expected[spot][pose])
                << "spot " << spot << " pose " << pose;
    // A spot without a bridge row (16 and above) or without a pose 0 is left alone.
    ASSERT_EQ(CreateParkedAircraft(MakeParked(3, 20, "JAL", "B767")), 1);
    ASSERT_EQ(CreateParkedAircraft(MakeParked(4, 0, "JAL", "B767")), 1);
}

TEST_F(CreationTest, ReadyAnAircraftInTheTable) {
    ASSERT_EQ(CreateParkedAircraft(MakeParked(6, 2, "JAL", "B767")), 1);
    const int s = Slot(6);
    ReadyRecord y = MakeReady(6, 2, 0x40000, 808);
    std::snprintf(y.port, sizeof y.port, "HSZ");
    y.time = 958;
    ASSERT_EQ(CreateAircraftById(y, 1, 0), 1);
    const AircraftRecord& a = A(s);
    EXPECT_EQ(a.status, 0x40000);
    EXPECT_EQ(a.strip, 0x1202);
    EXPECT_STREQ(a.callsign, "JAL-0808");
    EXPECT_EQ(O(s).flight, 808);
    EXPECT_EQ(a.quantity, 3);
    EXPECT_EQ(a.sched, 1003);  // 0958 + 5 minutes
    EXPECT_EQ(a.plan, 0x300);
    EXPECT_STREQ(a.portnamee, "HOSHIZORA");
    EXPECT_EQ(a.speaker, 6 + 29);
    EXPECT_EQ(Sw(O(s), "atlight"), 1);
    EXPECT_TRUE(Called("AddStripMemo " + S(s) + " SPOT 3"));  // the name of spot 2

    struct Case {
        int kind, strip, speaker;
        bool memo;
    };
    const Case cases[] = {{3, 0x1802, 35, true},  {4, 0x1406, 35, true}, {6, 0x1306, 35, true},
                          {7, 0x1b02, 35, true},  {5, 0x1306, 7, false}, {9, 0x1306, 27, false},
                          {32, 0x1306, 35, false}};  // 32 keeps the strip it had
    for (const Case& c : cases) {
        ClearCalls();
        ReadyRecord k = MakeReady(6, c.kind);
        ASSERT_EQ(CreateAircraftById(k, 1, 0), 1) << c.kind;
        EXPECT_EQ(A(s).strip, c.strip) << c.kind;
        EXPECT_EQ(A(s).speaker, c.speaker) << c.kind;
        EXPECT_EQ(Called("AddStripMemo " + S(s) + " SPOT 3"), c.memo) << c.kind;
    }
    // An aircraft at no spot gets no spot memo.
    ASSERT_EQ(Create(MakeFlight(7, "ANA", "B777")), 1);
    ClearCalls();
    ReadyRecord k = MakeReady(7, 2);
    ASSERT_EQ(CreateAircraftById(k, 1, 2), 1);
    EXPECT_EQ(CountCalls("AddStripMemo"), 1);  // only the delay
    EXPECT_TRUE(Called("AddStripMemo " + S(Slot(7)) + " DELAY 2"));
}

TEST_F(CreationTest, ReadyingAnAircraftThatIsNotThereWarns) {
    ReadyRecord y = MakeReady(9, 2);
    EXPECT_EQ(CreateAircraftById(y, 1, 0), 0);
    EXPECT_EQ(NewBoxes(), 1);
    EXPECT_EQ(LastBox(), std::string(reinterpret_cast<const char*>(
                             u8"Wynmoor２の警告|ID(9)で指定された航空機は現在存在しません。")));
    EXPECT_EQ(GetRetryQueue().count, 0);
    // A spot that nobody holds names no aircraft: nothing, no box.
    ReadyRecord z = MakeReady(0x1000 | 5, 2);
    EXPECT_EQ(CreateAircraftById(z, 1, 0), 0);
    EXPECT_EQ(z.id, 0);
    EXPECT_EQ(NewBoxes(), 1);
}

TEST_F(CreationTest, BusyAircraftWaitForTheirNextOrder) {
    ASSERT_EQ(CreateParkedAircraft(MakeParked(6, 2, "JAL", "B767")), 1);
    const int s = Slot(6);
    struct Case {
        const char* what;
        int32_t current;  // the aircraft's status
        int32_t order;    // the record's
        int applied;
        int32_t status;  // after
        int deferred;    // entries added
        int32_t delay;   // of the entry
    };
    const Case cases[] = {
        {"idle takes any order", 0, 0x43000, 1, 0x43000, 0, 0},
        {"busy: 0x43000 applied and a copy waits", 0x40000, 0x43000, 1, 0x43000, 1, 0},
        {"busy: 0x46000 likewise", 0x40000, 0x46000, 1, 0x46000, 1, 0},
        {"busy: towing waits, not applied", 0x40000, 0x70000, 0, 0x40000, 1, 1},
        {"busy: 0x71000 likewise", 0x40000, 0x71000, 0, 0x40000, 1, 1},
        {"0x68000 is not busy", 0x68000, 0x70000, 1, 0x68000, 0, 0},
        {"0x69000 is not busy", 0x69123, 0x43000, 1, 0x43000, 0, 0},
        {"idle: towing applied, the status kept", 0, 0x70000, 1, 0, 0, 0},
    };
    for (const Case& c : cases) {
        GetRetryQueue().count = 0;
        A(s).status = c.current;
        ReadyRecord y = MakeReady(6, 2, c.order);
        EXPECT_EQ(CreateAircraftById(y, 1, 0), c.applied) << c.what;
        EXPECT_EQ(A(s).status, c.status) << c.what;
        ASSERT_EQ(GetRetryQueue().count, c.deferred) << c.what;
        if (c.deferred) {
            EXPECT_EQ(GetRetryQueue().entries[0].delay, c.delay) << c.what;
            EXPECT_EQ(GetRetryQueue().entries[0].ready.status, c.order) << c.what;
        }
        // From the retry queue nothing is deferred again.
        GetRetryQueue().count = 0;
        A(s).status = c.current;
        CreateAircraftById(y, 0, 0);
        EXPECT_EQ(GetRetryQueue().count, 0) << c.what;
    }
}

TEST_F(CreationTest, LinksToALeader) {
    ASSERT_EQ(CreateParkedAircraft(MakeParked(10, 1, "JAL", "B767")), 1);
    ASSERT_EQ(CreateParkedAircraft(MakeParked(11, 2, "ANA", "B777")), 1);
    const int leader = Slot(10), follower = Slot(11);
    A(leader).stripslot = 4;
    ReadyRecord y = MakeReady(11, 32, 0, -1);  // ID 11 - 1; a kind without a strip of its own
    ASSERT_EQ(CreateAircraftById(y, 1, 0), 1);
    EXPECT_EQ(A(follower).linkedto, leader);
    EXPECT_EQ(A(follower).stripslot, 4);
    EXPECT_EQ(A(leader).links, 1);
    EXPECT_EQ(A(leader).linked[0], follower);
    // A leader no slot holds: no link.
    ReadyRecord none = MakeReady(11, 32, 0, -5);
    ASSERT_EQ(CreateAircraftById(none, 1, 0), 1);
    EXPECT_EQ(A(follower).linkedto, -1);
    // A leader with 16 links already: no seventeenth.
    A(leader).links = 16;
    ReadyRecord full = MakeReady(11, 32, 0, -1);
    ASSERT_EQ(CreateAircraftById(full, 1, 0), 1);
    EXPECT_EQ(A(follower).linkedto, -1);
    EXPECT_EQ(A(leader).links, 16);
    // Flight number 0 links the aircraft to itself.
    ReadyRecord self = MakeReady(10, 32, 0, 0);
    A(leader).links = 0;
    ASSERT_EQ(CreateAircraftById(self, 1, 0), 1);
    EXPECT_EQ(A(leader).linkedto, leader);
}

// Fixtures the samples do not have: texts that fill their fields, and a fire-fighting vehicle
// with its pipes and water jets, in a program folder of the test's own.
class CreationFixtureTest : public CreationTest {
  protected:
    void SetUp() override {
        dir_ = MakeCaseFolder();
        Write("airplane/CUT.dat", Bytes()
                                      .t("ABCDEFGHIJKLMNOP", 16)
                                      .t(std::string(64, 'E').c_str(), 64)
                                      .t(std::string(32, 'J').c_str(), 32));
        Write("airplane/VEH/VEH.dat", Bytes()
                                          .t("VVVVVVVVVVVVVVVV", 16)
                                          .t(std::string(48, 'D').c_str(), 48)
                                          .i(0x3002)
                                          .i(-40)
                                          .i(0));
        Write("etc/ap/LONG.dat", Bytes()
                                     .t("EEEEEEEEEEEEEEEE", 16)
                                     .t("JJJJJJJJJJJJJJJJ", 16)
                                     .t(std::string(48, '3').c_str(), 48));
        std::ofstream(dir_ / "veh.desc") << "file VEH/VEHCUT.plm\n"
                                            "layer VEHCUT\n"
                                            "  layer body\n    box -1 0 -2 1 2 2\n  end\n"
                                            "  layer paipu1\n    box 0 2 0 1 3 1\n  end\n"
                                            "  layer paipu2\n    box 0 2 0 1 4 1\n  end\n"
                                            "  layer water1\n    box 0 4 0 1 5 1\n  end\n"
                                            "  layer water2\n    box 0 4 0 1 5 1\n  end\n"
                                            "  layer water3\n    box 0 4 0 1 5 1\n  end\n"
                                            "  layer water4\n    box 0 4 0 1 5 1\n  end\n"
                                            "end\n";
        const std::string make = std::string(WynPlat_ProgramDir()) + "/modelmake -strict " +
                                 (dir_ / "airplane").string() + " " + (dir_ / "veh.desc").string();
        ASSERT_EQ(std::system(make.c_str()), 0);
        char sys[MAX_PATH - 1];
        WynPlat_ToSystemPath(dir_.c_str(), sys, sizeof sys);
        std::snprintf(Handles().homedir, sizeof Handles().homedir, "%s\\", sys);
    }
    void Write(const char* name, const Bytes& bytes) {
        const std::filesystem::path p = dir_ / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.b.data()), std::streamsize(bytes.b.size()));
    }
    std::filesystem::path dir_;
};

TEST_F(CreationFixtureTest, TextsThatFillTheirFieldsAreCut) {
    FlightRecord f = MakeFlight(1, "CUT", "VEH", 16, 210, 123456789);
    std::snprintf(f.port, sizeof f.port, "LONG");
    ASSERT_EQ(Create(f), 1);
    const AircraftRecord& a = A(0);
    EXPECT_STREQ(a.callprefix, "ABCDEFG");
    EXPECT_STREQ(a.callsign, "ABCDEFG-1234567");
    EXPECT_EQ(std::string(a.airlinee), std::string(31, 'E'));
    EXPECT_EQ(std::string(a.airlinej), std::string(31, 'J'));
    EXPECT_EQ(std::string(a.typename_), std::string(15, 'V'));
    EXPECT_EQ(std::string(a.typetext), std::string(47, 'D'));
    EXPECT_EQ(std::string(a.portnamee), std::string(16, 'E'));
    EXPECT_EQ(std::string(a.portnamej), std::string(16, 'J'));
    EXPECT_EQ(std::string(a.portname3), std::string(31, '3'));
    EXPECT_EQ(a.typeoffset, 40);
}

TEST_F(CreationFixtureTest, AParkedVehicleKeepsItsPipeInAndWaterOff) {
    ASSERT_EQ(CreateParkedAircraft(MakeParked(1, 4, "CUT", "VEH")), 1);
    const ObjectRecord& o = O(0);
    EXPECT_EQ(o.flapup, KRNL_SearchLayer(o.layer, "paipu1"));
    EXPECT_EQ(o.flapdown, KRNL_SearchLayer(o.layer, "paipu2"));
    EXPECT_EQ(Sw(o, "paipu1"), 1);
    EXPECT_EQ(Sw(o, "paipu2"), 0);
    for (const char* w : {"water1", "water2", "water3", "water4"}) EXPECT_EQ(Sw(o, w), 0) << w;
    // The pipe out and in again: the water of the vehicle that put it out goes off.
    for (const char* w : {"water1", "water2", "water3", "water4"})
        KRNL_SearchLayer(o.layer, w)->sw = 1;
    EXPECT_EQ(SetModelPart(0, 0x8001), 1);  // no vehicle remembered: no water is touched
    EXPECT_EQ(Sw(o, "water1"), 1);
    EXPECT_EQ(SetModelPart(0, 0x8000), 1);
    EXPECT_EQ(GetSprayingVehicle(), 1);
    EXPECT_EQ(Sw(o, "paipu1"), 0);
    EXPECT_EQ(Sw(o, "paipu2"), 1);
    EXPECT_EQ(SetModelPart(0, 0x8001), 1);
    EXPECT_EQ(GetSprayingVehicle(), 0);
    EXPECT_EQ(Sw(o, "paipu1"), 1);
    EXPECT_EQ(Sw(o, "paipu2"), 0);
    for (const char* w : {"water1", "water2", "water3", "water4"}) EXPECT_EQ(Sw(o, w), 0) << w;
}
