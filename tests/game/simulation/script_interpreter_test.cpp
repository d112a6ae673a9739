// The aircraft script interpreter: its step, the wait, flow and script-change opcodes, the
// action opcodes, and the records that stand instead of reading or writing outside their place.
#include <cmath>

#include "script_fixture.h"

using scripttest::F;
using scripttest::FakeServices;
using scripttest::Made;
using scripttest::ScriptCase;

namespace {

class Script : public ScriptCase {
  protected:
    // Makes a script file the fake loader serves.
    static void File(const std::string& name, const std::string& source) {
        F().files[name] = Made(source);
    }
    static double Kn(double knots) { return knots * 1.852 / 108; }
    // The word at a byte offset of slot 0's script buffer.
    int32_t WordAt(int slot, int pos) {
        int32_t v;
        std::memcpy(&v, A(slot).script + pos, 4);
        return v;
    }
};

// ---- the step ----

TEST_F(Script, TheGeneralTimerCountsDownBeforeARecordRuns) {
    Air(0, 1);
    Run(0, "formation 1");
    A(0).timer = 5;
    Ticks(0, 5);
    EXPECT_EQ(A(0).timer, 0);
    EXPECT_EQ(A(0).formation, 0);
    EXPECT_EQ(A(0).scriptpos, 0);
    Ticks(0, 1);
    EXPECT_EQ(A(0).formation, 1);
    EXPECT_EQ(A(0).scriptpos, 8);
}

TEST_F(Script, WaitingSecondsHoldsTheNextRecordThatManyTicks) {
    Air(0, 1);
    Run(0, "wait 2\nformation 1");
    Ticks(0, 1);
    EXPECT_EQ(A(0).timer, 60);
    EXPECT_EQ(A(0).scriptpos, 8);
    Ticks(0, 60);
    EXPECT_EQ(A(0).formation, 0);
    Ticks(0, 1);
    EXPECT_EQ(A(0).formation, 1);
}

TEST_F(Script, AnIgnoredRequestCostsStressEveryTenSeconds) {
    Air(3, 1);
    Run(3, ".word -1");
    A(3).waitcount = 100;
    Ticks(3, 299);
    EXPECT_EQ(Log().size(), 0u);
    Ticks(3, 1);
    EXPECT_EQ(A(3).waitcount, 400);
    EXPECT_EQ(Log(), std::vector<std::string>{"addStress 3 2"});
    Ticks(3, 300);
    EXPECT_EQ(Log().size(), 2u);
    // The request timer starts the counter at 100 after twenty seconds.
    A(3).waitcount = 0;
    A(3).reqtimer = 1;
    Ticks(3, 599);
    EXPECT_EQ(A(3).reqtimer, 600);
    EXPECT_EQ(A(3).waitcount, 0);
    Ticks(3, 1);
    EXPECT_EQ(A(3).reqtimer, 0);
    EXPECT_EQ(A(3).waitcount, 100);
    // No script, no step.
    A(3).scriptpos = -1;
    Ticks(3, 1);
    EXPECT_EQ(A(3).waitcount, 100);
}

TEST_F(Script, UnknownOpcodesAndTheEndMarkLeaveTheScriptStanding) {
    Air(0, 1);
    for (const char* source : {".word -1", ".word 12345", ".word 0"}) {
        Run(0, source);
        Ticks(0, 10);
        EXPECT_EQ(A(0).scriptpos, 0) << source;
    }
    EXPECT_TRUE(F().faults.empty());
}

// ---- waits ----

TEST_F(Script, ComparisonOperators) {
    struct Case {
        int op;
        int knots;
        bool passes;
    };
    const Case cases[] = {{0x10, 100, true},  {0x10, 101, false}, {0x20, 100, true},
                          {0x20, 99, false},  {0x21, 100, false}, {0x21, 101, true},
                          {0x30, 100, true},  {0x30, 101, false}, {0x31, 100, false},
                          {0x31, 99, true},   {0x11, 100, false}, {0x12, 100, false},
                          {0x40, 100, false}, {0, 100, false}};
    Air(0, 1);
    O(0).speed = Kn(100);
    for (const Case& c : cases) {
        Run(0, "waitspeed " + std::to_string(c.op) + " " + std::to_string(c.knots));
        Ticks(0, 50);
        EXPECT_EQ(A(0).scriptpos, c.passes ? 12 : 0) << std::hex << c.op << " " << c.knots;
    }
}

TEST_F(Script, WaitsPassWhenTheirConditionHolds) {
    struct Case {
        const char* source;
        void (*set)(AircraftRecord& a, ObjectRecord& o, bool hold);
    };
    // Each case sets the aircraft so that the wait holds (true) or not (false).
    const Case cases[] = {
        {"waitbearing 100 0 270",  // the point lies east: the bearing to fly is 270
         [](AircraftRecord&, ObjectRecord& o, bool h) {
             o.pos = {0, 0, h ? 0.0 : 50.0, 0};
         }},
        {"waitheading 90",
         [](AircraftRecord&, ObjectRecord& o, bool h) { o.angle.y = h ? 89.6 : 89.4; }},
        {"waitheading 1001",  // the target heading
         [](AircraftRecord& a, ObjectRecord& o, bool h) {
             a.course = 359;
             o.angle.y = h ? 358.7 : 358.2;
         }},
        {"waitheading 0",
         [](AircraftRecord&, ObjectRecord& o, bool h) {
             o.angle.y = h ? 359.8 : 359.2;  // 360 is heading 0
         }},
        {"waitheading 90",  // stopped aligned on a taxi to a point
         [](AircraftRecord& a, ObjectRecord& o, bool h) {
             a.phase = PHASE_TAXI_TO_POINT;
             o.angle.y = 10;
             o.state = 1;
             o.speed = h ? 0.02 : 0.03;
         }},
        {"waitphase 800", [](AircraftRecord& a, ObjectRecord&, bool h) { a.phase = h ? 0 : 800; }},
        {"waitheight 0x30 1000",
         [](AircraftRecord&, ObjectRecord& o, bool h) { o.pos.y = h ? 304.8 : 304.7; }},
        {"waitstatus 0x10 0x45123",
         [](AircraftRecord& a, ObjectRecord&, bool h) { a.status = h ? 0x45fff : 0x46000; }},
        {"waitdistance 0x21 0 250 270",  // 270 x 1.852 / 2 = 250.02
         [](AircraftRecord&, ObjectRecord& o, bool h) {
             o.pos = {0, 0, h ? 0.0 : -0.5, 0};
         }},
    };
    Air(0, 1);
    for (const Case& c : cases)
        for (bool hold : {false, true}) {
            A(0) = AircraftRecord{A(0)};
            A(0).phase = 0;
            A(0).status = 0;
            O(0).state = 0;
            O(0).speed = 0;
            c.set(A(0), O(0), hold);
            Run(0, c.source);
            Ticks(0, 3);
            EXPECT_EQ(A(0).scriptpos != 0, hold) << c.source << (hold ? " holds" : " fails");
        }
}

TEST_F(Script, WaitsOnAnotherAircraftKeepWaitingWhileItIsMissing) {
    Air(0, 1);
    Air(5, 7);
    A(5).phase = 500;
    A(5).status = 0x62000;
    O(5).state = 0xe003;
    struct Case {
        const char* source;
        bool passes;
    };
    const Case cases[] = {
        {"waitphaseof 7 500", false},
        {"waitphaseof 7 0", true},
        {"waitphaseof 9 0", false},
        {"waitstatusof 7 0x10 0x62000", true},
        {"waitstatusof 9 0x10 0", false},
        {"waitvalue 7 0x10 1 0xe003", true},
        {"waitvalue 7 0x10 2 0xe003", false},
        {"waitvalue 9 0x10 1 0", false},
        {"waitplayer 7", false},
    };
    for (const Case& c : cases) {
        Run(0, c.source);
        Ticks(0, 3);
        EXPECT_EQ(A(0).scriptpos != 0, c.passes) << c.source;
    }
    // A slot that holds the ID but is not in play counts as missing.
    A(5).used = 0;
    Run(0, "waitstatusof 7 0x10 0x62000");
    Ticks(0, 3);
    EXPECT_EQ(A(0).scriptpos, 0);
    A(5).used = 1;
    // The player wait on an aircraft: until it is the selected one.
    Run(0, "waitplayer 7");
    Ticks(0, 1);
    EXPECT_EQ(A(0).scriptpos, 0);
    SetSelectedAircraft(5);
    Ticks(0, 1);
    EXPECT_EQ(A(0).scriptpos, 8);
    SetSelectedAircraft(-1);
}

TEST_F(Script, WaitingForAFollowerToReachItsPlace) {
    Air(0, 10);
    Air(1, 12);
    Run(0, "waitfollow 2");
    A(1).joinsteps = 40;
    const std::pair<int, bool> cases[] = {{0xe027, false}, {0xd028, false}, {0xe028, true}};
    for (const auto& c : cases) {
        O(1).state = c.first;
        Ticks(0, 1);
        EXPECT_EQ(A(0).scriptpos != 0, c.second) << std::hex << c.first;
    }
    Run(0, "waitfollow 2");
    A(1).joinsteps = 0;
    O(1).state = 0xe000;
    Ticks(0, 1);
    EXPECT_EQ(A(0).scriptpos, 0);
}

TEST_F(Script, ThePlayerWaitOnAMenuItem) {
    Air(0, 1);
    struct Case {
        int n;
        int clicked;  // item code + 0x100, 0 none
        bool passes;
    };
    // The handed-over value is the clicked item's code field (item code + 1) + 0x100, so the
    // wait's n is the item code + 0x100; in the groups 0x400, 0x500 and 0x800 any item of the
    // group passes.
    const Case cases[] = {{0x109, 0x10a, true}, {0x109, 0x109, false}, {0x109, 0, false},
                          {0x402, 0x401, true}, {0x402, 0x501, false}, {0x803, 0x8ff, true},
                          {0x500, 0x510, true}, {0x300, 0x301, true},  {0x300, 0x302, false}};
    for (const Case& c : cases) {
        ResetScriptState();
        SetMenuResult(c.clicked);
        SetRadioTextCountdown(-2);
        Run(0, "waitplayer " + std::to_string(c.n));
        Ticks(0, 1);
        EXPECT_EQ(A(0).scriptpos != 0, c.passes) << std::hex << c.n << " " << c.clicked;
        // A passed wait lets the radio text window that waits for the player go.
        EXPECT_EQ(GetRadioTextCountdown(), c.passes ? 1 : -2) << std::hex << c.n;
    }
}

TEST_F(Script, AClickInAFrameWithoutTicksIsNotLost) {
    Air(0, 1);
    Run(0, "waitplayer 0x108");
    SetMenuResult(0x109);  // the click's frame: its ticks ran the scripts before the click
    SetMenuResult(0);      // a paused frame: no world tick, no script
    SetMenuResult(0);
    EXPECT_EQ(GetMenuResult(), 0x109);
    Ticks(0, 1);  // the first frame with a tick sees it
    EXPECT_EQ(A(0).scriptpos, 8);
    SetMenuResult(0);  // then it is gone
    EXPECT_EQ(GetMenuResult(), 0);
    SetMenuResult(0x20a);  // a second click replaces an unseen one
    SetMenuResult(0x20b);
    EXPECT_EQ(GetMenuResult(), 0x20b);
}

// ---- flow ----

TEST_F(Script, AConditionOnTheOwnIdNamesThisAircraft) {
    Air(2, 7);
    O(2).kind = 0x10111;
    Run(2, "if 0x0111ffff 0x12 0x10111 @yes\nformation 1\nyes:\nformation 2", "own");
    Ticks(2, 1);
    EXPECT_EQ(WordAt(2, 4), 0x01110007);  // rewritten in the loaded copy
    EXPECT_EQ(A(2).scriptpos, 28);
    Ticks(2, 1);
    EXPECT_EQ(A(2).formation, 1);
    // Not holding: the next record.
    Run(2, "if 0x0112ffff 0x12 5 @yes\nformation 0\nyes:\nformation 0");
    A(2).status = 4;
    Ticks(2, 1);
    EXPECT_EQ(WordAt(2, 4), 0x01120007);
    EXPECT_EQ(A(2).scriptpos, 20);
}

TEST_F(Script, JumpsVariablesAndLabels) {
    Air(0, 1);
    Run(0,
        "goto @there\n.word -1\nthere:\nset 0x0d000003 77\nset 0x0e000005 4\nset 0x0c000000 9\n"
        "setlabel 0x40123 \"IN34L_3\"\nsetlabel 0x50000 \"NOT\"");
    A(0).choice = 0;
    Ticks(0, 4);
    EXPECT_EQ(A(0).vars[3], 77);
    EXPECT_EQ(A(0).runway, 4);
    EXPECT_EQ(A(0).choice, 4);
    A(0).subchoice = 2;
    Ticks(0, 2);
    EXPECT_STREQ(A(0).routenames[3 * 3 + 1].name2, "IN34L_3");
    Ticks(0, 1);
    EXPECT_STREQ(A(0).routenames[3 * 3 + 1].name2, "IN34L_3");
    EXPECT_TRUE(F().faults.empty());
}

// ---- script changes ----

TEST_F(Script, LoadingAScriptStartsItAtItsFirstRecord) {
    File("next", "formation 1\n.word -1");
    Air(0, 1);
    Run(0, "load \"next\"");
    Ticks(0, 1);
    EXPECT_STREQ(GetScriptName(0), "next");
    EXPECT_EQ(A(0).scriptpos, 0);
    EXPECT_EQ(A(0).scriptlen, 12);
    Ticks(0, 1);
    EXPECT_EQ(A(0).formation, 1);
    // A script that cannot be read: the warning, and the aircraft stands.
    Run(0, "load \"none\"");
    Ticks(0, 1);
    ASSERT_EQ(F().warnings.size(), 1u);
    EXPECT_EQ(F().warnings[0], "errを出したのは[]0だよ");  // the system's text
    EXPECT_EQ(WordAt(0, 0), -1);
    EXPECT_EQ(A(0).scriptpos, 0);
}

TEST_F(Script, ACandidateNameByRunwayOrOperand) {
    File("cand1", ".word -1");
    File("cand2", ".word -1");
    Air(0, 1);
    std::snprintf(A(0).names[1].name, 16, "cand1");
    std::snprintf(A(0).names[2].name, 16, "cand2");
    A(0).runway = 3;
    Run(0, "loadcandidate 1");
    Ticks(0, 1);
    EXPECT_STREQ(GetScriptName(0), "cand2");  // runway 3: candidate 2, whatever the operand
    for (const CandidateName& c : A(0).names) EXPECT_EQ(c.name[0], 0);
    std::snprintf(A(0).names[1].name, 16, "cand1");
    A(0).runway = 0;
    Run(0, "loadcandidate 1");
    Ticks(0, 1);
    EXPECT_STREQ(GetScriptName(0), "cand1");
}

TEST_F(Script, TheRunwayWindCheckRunsAfterTheRecordMovedOn) {
    Air(4, 1);
    Run(4, "check 0x3154 \"goaround\"\nformation 1");
    Ticks(4, 1);
    EXPECT_EQ(Log(), std::vector<std::string>{"checkRunwayWind 4 0x3154 goaround"});
    EXPECT_EQ(A(4).scriptpos, 20);
}

TEST_F(Script, TheSpotTheRunwayWordNames) {
    File("in5", ".word -1");
    Air(0, 1);
    std::snprintf(A(0).routenames[5 * 3 + 1].name, 16, "in5");
    Run(0, "loadspot");
    Ticks(0, 5);
    EXPECT_EQ(A(0).scriptpos, 0);
    EXPECT_STREQ(GetScriptName(0), "test");
    A(0).runway = 6 * 4 + 2;  // group 6 (counted from 1), line 2
    Ticks(0, 1);
    EXPECT_STREQ(GetScriptName(0), "in5");
}

TEST_F(Script, TheApproachByPickStageOrDistance) {
    for (const char* n : {"base2", "var1", "base3"}) File(n, ".word -1");
    Air(0, 1);
    GetScenarioHeader().world.routesets[4] = 2;
    AircraftRecord& a = A(0);
    std::snprintf(a.approachtab[2].name, 16, "base2");
    std::snprintf(a.approachtab[1].name, 16, "base1");
    std::snprintf(a.approachtab[1].variant[0], 8, "var0");
    std::snprintf(a.approachtab[1].variant[1], 8, "var1");
    const char* record = "approach 0x21 1000 0 100 4";  // closer than 92.6 to (1000, 0)
    // Taken from the stage: the configuration slot's value + 1.
    a.target = -1;
    Run(0, record);
    Ticks(0, 1);
    EXPECT_EQ(a.approach, 4);
    EXPECT_STREQ(GetScriptName(0), "base2");
    EXPECT_TRUE(Logged("setStripRunwayMemo 0 2"));
    // Picked by the player: entry p - 1, its variant by the last approach item.
    a.target = 2;
    a.approachitem = 0x101;
    Run(0, record);
    Ticks(0, 1);
    EXPECT_STREQ(GetScriptName(0), "var1");
    EXPECT_TRUE(Logged("setStripRunwayMemo 0 1"));
    // Neither: it waits for the distance, then takes the stage's value.
    a.target = 0;
    a.approach = 0;
    Run(0, record);
    O(0).pos = {900, 0, 100, 0};  // 141 away
    Ticks(0, 5);
    EXPECT_STREQ(GetScriptName(0), "test");
    O(0).pos = {950, 0, 0, 0};
    Ticks(0, 1);
    EXPECT_EQ(a.approach, 4);
    EXPECT_STREQ(GetScriptName(0), "base2");
}

TEST_F(Script, TheDepartureRouteNamesItsClimbOut) {
    File("sid_SAKURA1", ".word -1");
    Air(0, 1);
    std::snprintf(GetRouteTable().entry[1][1].name, 17, "SAKURA1");  // group 1, entry 1
    A(0).sidgroup = 1;
    A(0).sidentry = 1;
    Run(0, "loadroute \"sid_\"");
    Ticks(0, 1);
    EXPECT_STREQ(GetScriptName(0), "sid_SAKURA1");
}

TEST_F(Script, NamedSlots) {
    File("line0", ".word -1");
    File("line1", ".word -1");
    Air(0, 1);
    AircraftRecord& a = A(0);
    Run(0, "slot 3 \"line0\"\nloadslot 3 \"line1\"");
    Ticks(0, 2);
    EXPECT_STREQ(a.label[3], "line0");
    EXPECT_STREQ(GetScriptName(0), "line0");  // the slot wins over the operand
    Run(0, "loadslot 4 \"line1\"");
    Ticks(0, 1);
    EXPECT_STREQ(a.label[4], "line1");
    EXPECT_STREQ(GetScriptName(0), "line1");
    Run(0, "loadslot 5 \"\"\nformation 1");  // empty slot, no name: on
    Ticks(0, 2);
    EXPECT_EQ(a.formation, 1);
    // Copying within: the position stays for good.
    Run(0, "slotcopy 3 6");
    Ticks(0, 3);
    EXPECT_STREQ(a.label[6], "line0");
    EXPECT_EQ(a.scriptpos, 0);
    EXPECT_TRUE(F().faults.empty());
}

TEST_F(Script, NamedSlotsGoToLinkedAircraft) {
    Air(0, 10);
    Air(1, 11);
    Air(2, 12);
    Air(3, 13);
    AircraftRecord& a = A(0);
    std::snprintf(a.label[0], 16, "zero");
    std::snprintf(a.label[1], 16, "one");
    a.links = 2;
    a.linked[0] = 1;
    a.linked[1] = 2;
    Run(0, "copyslot 0 1");  // all linked aircraft, slot 1
    Ticks(0, 1);
    EXPECT_STREQ(A(1).label[1], "one");
    EXPECT_STREQ(A(2).label[1], "one");
    EXPECT_STREQ(A(1).label[0], "");
    Run(0, "copyslot -3 -1");  // ID 13, all slots
    Ticks(0, 1);
    EXPECT_STREQ(A(3).label[0], "zero");
    EXPECT_STREQ(A(3).label[1], "one");
    // Past its own links: the aircraft after this one in its leader's list.
    A(1) = AircraftRecord{A(1)};
    std::memset(A(2).label, 0, sizeof A(2).label);
    A(1).linkedto = 0;
    A(1).links = 0;
    std::snprintf(A(1).label[2], 16, "two");
    Run(1, "copyslot 1 2");
    Ticks(1, 1);
    EXPECT_STREQ(A(2).label[2], "two");
}

// ---- movement and phases ----

TEST_F(Script, MovementRecordsSetTargetsAndPhases) {
    struct Case {
        const char* source;
        int phase0, state0;  // before
        int phase, basephase, state, course;
        double x, z;
    };
    // Spot 2 of the fixture's airport: x 202, z -50, heading 92.
    const Case cases[] = {
        {"flyto 100 -200 \"P\"", 0, 7, 100, -1, 7, -1, 100, -200},
        {"flyto 100 -200 \"P\"", 30, 7, 30, -1, 0x10000, -1, 100, -200},
        {"land 10 20 340", 200, 7, 400, -1, 0, 340, 10, 20},
        {"landspecial 10 20 340 2", 200, 7, 410, -1, 0, 340, 10, 20},
        {"heading 90", 0, 7, 20, -1, 7, 90, 0, 0},
        {"heading 90", 30, 7, 30, -1, 0, 90, 0, 0},
        {"reversal 270", 0, 7, 30, -1, 0xd000, 270, 0, 0},
        {"turnto 45", 20, 7, 30, -1, 0, 45, 0, 0},
        {"taxi 215 -180 90", 0, 7, 200, 200, 0, 90, 215, -180},
        {"taxi 215 -180 90", 30, 7, 30, -1, 0xf000, 90, 215, -180},
        {"taxiaway 215 -180 90", 0, 7, 300, 300, 0, 270, 215, -180},
        {"taxiaway 215 -180 270", 0, 7, 300, 300, 0, 90, 215, -180},
        {"taxiaway 215 -180 90", 30, 7, 30, -1, 0x11000, 270, 215, -180},
        {"direct 1 2 1000 45", 0, 7, 900, -1, 0, 45, 1, 2},
        {"spotin 2", 0, 7, 500, 500, 0, 92, 202, -50},
        {"pushback 1 2 270", 0, 7, 600, 600, 0, 270, 1, 2},
        {"taxistop 1 2 90", 0, 7, 800, 800, 0, 90, 1, 2},
        {"steer 45", 30, 7, 20, 20, 0, 45, 0, 0},
    };
    Air(0, 1);
    for (const Case& c : cases) {
        AircraftRecord& a = A(0);
        a.phase = c.phase0;
        a.basephase = -1;
        a.course = -1;
        a.point = {0, 0, 0, 0};
        O(0).state = c.state0;
        Run(0, c.source);
        Ticks(0, 1);
        EXPECT_NE(a.scriptpos, 0) << c.source;
        EXPECT_EQ(a.phase, c.phase) << c.source;
        EXPECT_EQ(a.basephase, c.basephase) << c.source;
        EXPECT_EQ(O(0).state, c.state) << c.source;
        EXPECT_EQ(a.course, c.course) << c.source;
        EXPECT_EQ(a.point.x, c.x) << c.source;
        EXPECT_EQ(a.point.z, c.z) << c.source;
    }
    EXPECT_STREQ(A(0).portword, "P");
}

TEST_F(Script, LandingAndTakeOffSettings) {
    Air(0, 1);
    AircraftRecord& a = A(0);
    a.ground = 3;
    a.dpitch = 5;
    O(0).step = 9;
    Run(0, "landspecial 10 20 340 2");
    Ticks(0, 1);
    EXPECT_EQ(a.point.y, 3);
    EXPECT_EQ(a.talt, 3);
    EXPECT_EQ(a.subchoice, 2);
    EXPECT_EQ(a.dpitch, 0);
    EXPECT_EQ(O(0).step, 0);

    // Take-off in calm air at level 0: no memo, no score.
    GetConfig().level = 0;
    GetStageWeather() = StageWeather{340, 0, 1012};
    a.velocity = {1, 2, 3, 4};
    O(0).state = 5;
    Run(0, "takeoff 340");
    Ticks(0, 1);
    EXPECT_EQ(a.phase, 700);
    EXPECT_EQ(a.course, 340);
    EXPECT_EQ(a.velocity.x, 0);
    EXPECT_EQ(a.velocity.t, 0);
    EXPECT_EQ(O(0).state, 0);
    EXPECT_DOUBLE_EQ(a.tspeed, Kn(250));
    EXPECT_DOUBLE_EQ(a.sstep, Kn(250) / 600);
    EXPECT_DOUBLE_EQ(a.talt, (3 + 1000) * 0.3048);
    EXPECT_EQ(a.plimit, 10.0);
    EXPECT_TRUE(Log().empty());
    // Any wind along the runway heading is a tail wind.
    struct Case {
        int dir, speed, level;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {340, 1, 0, {"addStripMemo 0 TAILWIND"}},
        {30, 8, 1, {"addStripMemo 0 TAILWIND", "addStress 0 10"}},
        {160, 8, 1, {"addScore 0 100 0"}},
        {340, 0, 1, {"addScore 0 100 0"}},
    };
    for (const Case& c : cases) {
        Log().clear();
        GetStageWeather() = StageWeather{c.dir, c.speed, 1012};
        GetConfig().level = c.level;
        Run(0, "takeoff 340");
        Ticks(0, 1);
        EXPECT_EQ(Log(), c.calls) << c.dir << " " << c.speed;
    }
    GetConfig().level = 0;
    // A touch-and-go: its rotation speed.
    Run(0, "touchgo 160 130");
    Ticks(0, 1);
    EXPECT_EQ(a.phase, 1200);
    EXPECT_DOUBLE_EQ(a.vrotate, Kn(130));
}

TEST_F(Script, SpeedsHeightsAndRates) {
    Air(0, 1);
    Air(1, 2);
    Air(2, 3);
    AircraftRecord& a = A(0);
    O(0).speed = Kn(200);
    O(0).pos.y = 800;
    Run(0,
        "speed 150 100\naccel 250 3\naccel 100 3\nheight 2000 5\nheight 3000 5\nclimb 4000 6 3\n"
        "turnrates 60 12 3\nlevelbank 25\ngroundheight 7\narea 0");
    Ticks(0, 1);
    EXPECT_DOUBLE_EQ(a.tspeed, Kn(150));
    EXPECT_DOUBLE_EQ(a.sstep, (Kn(150) - Kn(200)) / 100);
    Ticks(0, 1);
    EXPECT_DOUBLE_EQ(a.tspeed, Kn(250));
    EXPECT_DOUBLE_EQ(a.sstep, Kn(3) / 30);
    Ticks(0, 1);
    EXPECT_DOUBLE_EQ(a.sstep, -Kn(3) / 30);
    Ticks(0, 1);  // 2000 ft is below 800 units
    EXPECT_DOUBLE_EQ(a.talt, 2000 * 0.3048);
    EXPECT_EQ(a.plimit, -5);
    Ticks(0, 1);  // 3000 ft is above
    EXPECT_EQ(a.plimit, 5);
    Ticks(0, 1);
    EXPECT_EQ(a.plimit, 6);
    EXPECT_DOUBLE_EQ(a.prate, 3.0 / 30);
    Ticks(0, 1);
    EXPECT_DOUBLE_EQ(a.tlimit, 2.0);
    EXPECT_EQ(a.plimit, 12);
    EXPECT_DOUBLE_EQ(a.prate, 0.1);
    Ticks(0, 1);
    EXPECT_EQ(a.levelbank, 25);
    Ticks(0, 1);
    EXPECT_EQ(a.ground, 7);
    GetViewPointTable()[0].height = 4;
    Ticks(0, 1);
    EXPECT_EQ(a.area, 0);
    EXPECT_EQ(a.ground, 4);
    // The speed of this aircraft and of each linked one.
    a.links = 2;
    a.linked[0] = 1;
    a.linked[1] = 2;
    O(1).speed = Kn(20);
    Run(0, "speedlinked 40 10");
    Ticks(0, 1);
    for (int s : {0, 1, 2}) EXPECT_DOUBLE_EQ(A(s).tspeed, Kn(40)) << s;
    EXPECT_DOUBLE_EQ(A(1).sstep, (Kn(40) - Kn(20)) / 10);
}

TEST_F(Script, ParkingWhereItStands) {
    Air(0, 1);
    O(0).pos = {12.6, 0, -3.4, 0};
    O(0).angle.y = 359.6;
    Run(0, "park");
    Ticks(0, 1);
    EXPECT_EQ(A(0).point.x, 13);
    EXPECT_EQ(A(0).point.z, -3);
    EXPECT_EQ(A(0).course, 0);
    EXPECT_EQ(A(0).phase, 500);
    EXPECT_EQ(O(0).state, 0x11);
    // With the ground-area flag the spot-in names its spot.
    A(0).area = 1;
    Run(0, "spotin 5");
    Ticks(0, 1);
    EXPECT_EQ(A(0).choice, 6);
}

TEST_F(Script, FollowingReleasingAndLinking) {
    Air(0, 10);
    Air(1, 12);
    AircraftRecord& a = A(0);
    Run(0, "follow 12 10 -20 100 1 40\ncatchup 12 300 250 2\nformation 5");
    Ticks(0, 3);
    EXPECT_EQ(a.leader, 1);
    EXPECT_EQ(a.offset.x, 10);
    EXPECT_DOUBLE_EQ(a.offset.y, 100 * 0.3048);
    EXPECT_EQ(a.offset.z, -20);
    EXPECT_EQ(a.offsetmode, 1);
    EXPECT_EQ(a.joinsteps, 40);
    EXPECT_EQ(a.phase, 30);
    EXPECT_EQ(O(0).state, 0xe000);
    EXPECT_EQ(a.catchup, 300);
    EXPECT_DOUBLE_EQ(a.joinspeed, Kn(250));
    EXPECT_DOUBLE_EQ(a.catchstep, Kn(2));
    EXPECT_EQ(a.formation, 1);
    // The leader releases its follower into a script of its own.
    File("alone", ".word -1");
    A(1).course = 123;
    A(1).tspeed = 1.5;
    O(1).speed = 1.25;
    O(1).angle = {1, 2, 3, 0};
    Run(1, "release 10 \"alone\"");
    Ticks(1, 1);
    EXPECT_EQ(a.leader, -1);
    EXPECT_EQ(a.joinsteps, 0);
    EXPECT_EQ(a.course, 123);
    EXPECT_EQ(a.tspeed, 1.5);
    EXPECT_EQ(O(0).speed, 1.25);
    EXPECT_EQ(O(0).angle.z, 3);
    EXPECT_EQ(O(0).state, 0);
    EXPECT_STREQ(GetScriptName(0), "alone");
    // An aircraft that follows another is not released; a missing one is passed over.
    A(0).leader = 5;
    Run(1, "release 10 \"other\"\nrelease 99 \"other\"");
    Ticks(1, 2);
    EXPECT_STREQ(GetScriptName(0), "alone");
    EXPECT_EQ(A(1).scriptpos, 32);
    // Links: appended to the list of the aircraft named (relative: own ID + operand).
    Run(0, "link 12\nlink 12\nunlink 12\nlink 99\nunlink 99");
    Ticks(0, 5);
    EXPECT_EQ(A(1).links, 1);
    EXPECT_EQ(A(1).linked[0], 0);
    EXPECT_EQ(A(1).linked[1], 0);
    EXPECT_EQ(A(0).scriptpos, 40);
    EXPECT_TRUE(F().faults.empty());
}

TEST_F(Script, AnAircraftThatFollowsItselfReleasesItselfIntoAScriptItNamesInItsOwnBuffer) {
    Air(0, 10);
    A(0).leader = 0;
    Run(0, "release 10 \"gone\"");  // no such script: the buffer is emptied under the name
    Ticks(0, 1);
    EXPECT_STREQ(GetScriptName(0), "gone");
    EXPECT_EQ(WordAt(0, 0), -1);
    File("back", "formation 1");
    A(0).leader = 0;
    Run(0, "release 10 \"back\"");
    Ticks(0, 2);
    EXPECT_STREQ(GetScriptName(0), "back");
    EXPECT_EQ(A(0).formation, 1);
}

TEST_F(Script, FollowingAMissingAircraftOnlyMovesOn) {
    Air(0, 10);
    Run(0, "follow 5 1 2 3 4 5\ncatchup -4 1 2 3\nformation 1");
    Ticks(0, 3);
    EXPECT_EQ(A(0).leader, -1);
    EXPECT_EQ(A(0).phase, 0);
    EXPECT_EQ(A(0).formation, 1);
}

// ---- the tables the menu and the choices are built from ----

TEST_F(Script, TablesOfTheMenuAndTheChoices) {
    Air(0, 1);
    AircraftRecord& a = A(0);
    F().menuIndex = 2;
    Run(0,
        "menuitem 0x103 1 -1 0x11 100 101 -1 -1\n"
        "ownitem 2 4 -1 7 8 9 10\n"
        "approachentry 3 1 2 3 4 5 6 20 21 22 23 \"app34l\"\n"
        "approachvariants 4 1 2 \"v0\" 3 4 \"v1\" 5 6 \"v2\" 30 31 32 33\n"
        "candidate 15 \"in7\" 999 1 2 3 4\n"
        "spotoffer 8 3 \"in3\" \"IN34L_3\" \"in3b\" \"B\" \"in3c\" \"C\" 40 41 42 43\n"
        "listentry 0x200 3 410 411 412 414 -1 0x10 \"tx0\"\n"
        "listentry2 5 0x201 3 410 411 412 414 -1 0x20 \"tx1\" \"OUT1\"\n"
        "listentry2 1 0x202 3 410 411 412 414 -1 0x20 \"tx2\" \"OUT2\"");
    Ticks(0, 9);
    EXPECT_EQ(a.scriptpos, a.scriptlen);
    EXPECT_TRUE(Logged("addMenuItem 0x103 0 0"));
    const MenuItem& m = F().menu[2];
    EXPECT_EQ(m.position, 1);
    EXPECT_EQ(m.reply, -1);
    EXPECT_EQ(m.flags, 0x11u);
    EXPECT_EQ(m.msg[0], 100);
    EXPECT_EQ(m.msg[3], -1);
    const MenuItem& own = a.items[2];
    EXPECT_EQ(own.code, 1);
    EXPECT_EQ(own.position, 4);
    EXPECT_EQ(own.reply, -1);
    EXPECT_EQ(own.flags, 0u);
    EXPECT_EQ(own.msg[0], 7);
    EXPECT_EQ(own.msg[3], 10);
    const ApproachEntry& e3 = a.approachtab[3];
    EXPECT_EQ(e3.x[2], 5);
    EXPECT_EQ(e3.z[2], 6);
    EXPECT_EQ(e3.msg[3], 23);
    EXPECT_STREQ(e3.name, "app34l");
    EXPECT_STREQ(e3.variant[0], "");
    const ApproachEntry& e4 = a.approachtab[4];
    EXPECT_STREQ(e4.name, "v0");
    EXPECT_STREQ(e4.variant[0], "v0");
    EXPECT_STREQ(e4.variant[2], "v2");
    EXPECT_EQ(e4.x[1], 3);
    EXPECT_EQ(e4.msg[0], 30);
    EXPECT_STREQ(a.names[15].name, "in7");
    EXPECT_EQ(a.names[15].words[0], 1);
    EXPECT_EQ(a.names[15].words[3], 4);
    EXPECT_EQ(a.place, 3);
    EXPECT_STREQ(a.names[3].name, "SPOT 4");
    // The spot group of spot 3: row 3 of the route names, a line an entry.
    const RouteName* g = &a.routenames[3 * 3];
    EXPECT_STREQ(g[0].name, "in3");
    EXPECT_STREQ(g[0].name2, "IN34L_3");
    EXPECT_STREQ(g[1].name, "in3b");
    EXPECT_STREQ(g[2].name2, "C");
    EXPECT_EQ(g[0].msg[3], 43);
    EXPECT_EQ(g[0].spare, 8);
    ASSERT_EQ(a.menucount[0], 2);  // list 5 counts as 0
    EXPECT_EQ(a.menulist[0][0].code, 0x200);
    EXPECT_EQ(a.menulist[0][0].msg[3], 414);
    EXPECT_EQ(a.menulist[0][0].reply, -1);
    EXPECT_EQ(a.menulist[0][0].flags, 0x10u);
    EXPECT_STREQ(a.menulist[0][0].name, "tx0");
    EXPECT_STREQ(a.menulist[0][1].name2, "OUT1");
    ASSERT_EQ(a.menucount[1], 1);
    EXPECT_STREQ(a.menulist[1][0].name, "tx2");
    // Clearing: the menu only for the selected aircraft, the lists always.
    Run(0, "clearmenu\nclearmenu");
    Ticks(0, 1);
    EXPECT_FALSE(Logged("clearCommandMenu"));
    SetSelectedAircraft(0);
    Ticks(0, 1);
    SetSelectedAircraft(-1);
    EXPECT_TRUE(Logged("clearCommandMenu"));
    EXPECT_EQ(a.menucount[0], 0);
    EXPECT_EQ(a.menucount[1], 0);
    EXPECT_TRUE(F().faults.empty());
}

// ---- status, radio and sounds ----

TEST_F(Script, ACallWaitsForRoomInTheRadioQueue) {
    Air(4, 1);
    AircraftRecord& a = A(4);
    a.status = 0x12010;
    a.links = 1;
    F().exchangeAccepts = 0;
    Run(4, "call 1 7\ncall 5 0");
    Ticks(4, 3);
    EXPECT_EQ(a.scriptpos, 0);
    EXPECT_EQ(a.status, 0x12010);
    F().exchangeAccepts = 1;
    SetSelectedAircraft(4);
    Ticks(4, 1);
    SetSelectedAircraft(-1);
    EXPECT_EQ(a.status, 0);
    EXPECT_EQ(Log(), (std::vector<std::string>{"pushExchange 1 0x70204", "pushExchange 1 0x70204",
                                               "pushExchange 1 0x70204", "pushExchange 1 0x70204",
                                               "propagateStatus 4 0", "buildCommandMenu 4",
                                               "drawFlightInfo 4"}));
    // Position 5: the cabin announcement, tried again while it is refused.
    Log().clear();
    F().groundEventResult = 0;
    Ticks(4, 2);
    EXPECT_EQ(a.scriptpos, 12);
    F().groundEventResult = 1;
    Ticks(4, 1);
    EXPECT_EQ(a.scriptpos, 24);
    EXPECT_EQ(Log().size(), 3u);
    EXPECT_EQ(Log().back(), "groundEvent 4 1050");
}

TEST_F(Script, StatusModes) {
    struct Case {
        int mode;
        int32_t status, operand;
        bool set;
    };
    const Case cases[] = {
        {0, 0x40000, 0x10000, true},  {1, 0x40000, 0x40000, false}, {1, 0x40000, 0x40001, true},
        {2, 0x40000, 0x3ffff, true},  {2, 0x40000, 0x40000, false}, {3, 0x40000, 0x40000, true},
        {3, 0x40000, 0x3ffff, false}, {4, 0x40000, 0x40000, true},  {4, 0x40000, 0x40001, false},
        {5, 0x40000, 0x10000, false}, {1, -5, 0x10000, true},
    };
    Air(0, 1);
    for (const Case& c : cases) {
        A(0).status = c.status;
        Run(0, "status " + std::to_string(c.mode) + " " + std::to_string(c.operand));
        Ticks(0, 1);
        EXPECT_EQ(A(0).scriptpos, 12) << c.mode << " " << c.operand;
        EXPECT_EQ(A(0).status, c.set ? c.operand : c.status) << c.mode << " " << c.operand;
    }
    // Set for the selected aircraft: linked aircraft, menu (not for 0x3b000) and panel, and an
    // ignored request's stress.
    Log().clear();
    A(0).links = 1;
    A(0).waitcount = 120;
    SetSelectedAircraft(0);
    Run(0, "status 0 0x3b070\nstatus 0 0x40000");
    Ticks(0, 2);
    SetSelectedAircraft(-1);
    EXPECT_EQ(Log(), (std::vector<std::string>{"propagateStatus 0 0x3b070", "drawFlightInfo 0",
                                               "addStress 0 10", "propagateStatus 0 0x40000",
                                               "buildCommandMenu 0", "drawFlightInfo 0"}));
    EXPECT_EQ(A(0).waitcount, 0);
    // Handing the status to an aircraft by a relative ID.
    Air(1, 3);
    Run(0, "givestatus -2\ngivestatus 3");
    A(1).status = 5;
    Ticks(0, 2);
    EXPECT_EQ(A(1).status, 0x40000);
}

TEST_F(Script, RadioTextsSoundsAndNames) {
    Air(0, 1);
    AircraftRecord& a = A(0);
    std::snprintf(a.typename_, 16, "B747");
    F().modelPartResult = 0;
    Run(0,
        "callsign \"JA8119\"\nradiomessage 0x103 0x12010 1 2 3 -1\n"
        "radiotext 0x104 0x12020 4 5 6 -1 9 \"CLEARED\"\nmemo \"GOAR\"\npart 0x1000\n"
        "sound \"$T\" 0\nsound \"$x\" 0\nsound \"dooropen\" 0\noneshot \"se\\\\bell\"\n"
        "emergency 0xf0000 1 2 3 4\nportword \"HANEDA\"\nname2 \"SAKURA1\"");
    Ticks(0, 6);
    EXPECT_EQ(a.scriptpos, 92);  // the model part is tried again
    F().modelPartResult = 1;
    Ticks(0, 10);
    EXPECT_STREQ(a.callsign, "JA8119");
    EXPECT_STREQ(a.portword, "HANEDA");
    EXPECT_STREQ(a.name2, "SAKURA1");
    EXPECT_EQ(Log(), (std::vector<std::string>{
                         "clearRadarLabel 0", "drawRadarLabel 0", "drawStripCallsign 0",
                         "pushRadioMessage 0 0x103 0x12010 1 2 3 -1",
                         "pushRadioText 0 0x104 0x12020 4 5 6 -1 9 CLEARED", "addStripMemo 0 GOAR",
                         "setModelPart 0 0x1000", "setModelPart 0 0x1000", "setModelPart 0 0x1000",
                         "playEffectWave SE\\TB747.wav", "playEffectWave SE\\dooropen.wav",
                         "playOneShotWave se\\bell.wav", "declareEmergency 0 0xf0000 1 2 3 4"}));
}

TEST_F(Script, TheCallBlockByGameLevel) {
    Air(0, 1);
    AircraftRecord& a = A(0);
    struct Case {
        int level;
        uint32_t flags;
        bool stored;
    };
    const Case cases[] = {{0, 0x100000, false},
                          {1, 0x100000, true},
                          {0, 0x200000, true},
                          {2, 0x200000, false},
                          {0, 0x10, true}};
    for (const Case& c : cases) {
        GetConfig().level = c.level;
        a.call = CallBlock{};
        Run(0, "callblock 3 0x820e0 " + std::to_string(c.flags) + " 400 401 -1 -1");
        Ticks(0, 1);
        EXPECT_EQ(a.call.position, c.stored ? 3 : 0) << c.level << " " << c.flags;
        EXPECT_EQ(a.call.result, c.stored ? 0x820e0 : 0) << c.level;
        EXPECT_EQ(a.call.msg[1], c.stored ? 401 : 0) << c.level;
    }
    GetConfig().level = 0;
}

TEST_F(Script, TheSettingWordByKind) {
    Air(0, 1);
    AircraftRecord& a = A(0);
    std::snprintf(GetStageRunways().runways, 17, "101");
    GetScenarioHeader().world.routesets[2] = 1;
    a.approach = 2;
    struct Case {
        const char* source;
        int runway;
        int setting;
    };
    const Case cases[] = {
        {"setting 0 5", 0, 5},     {"setting 0x130 6", 2, 6}, {"setting 0x130 7", 1, 0},
        {"setting 0x101 8", 0, 8}, {"setting 0x102 9", 0, 0},
    };
    for (const Case& c : cases) {
        a.setting = 0;
        a.runway = c.runway;
        Run(0, c.source);
        Ticks(0, 1);
        EXPECT_EQ(a.setting, c.setting) << c.source;
        EXPECT_EQ(a.scriptpos, 12) << c.source;
    }
}

TEST_F(Script, TheRadioTextWindowWaitsForItsVoice) {
    Air(0, 1);
    AircraftRecord& a = A(0);
    struct Case {
        int seconds;
        int exists, bytes;
        int timer;
    };
    const Case cases[] = {
        {3, 1, 22050, 90},        // the window's own time
        {-1, 1, 22050, 60 + 30},  // the voice's length + a second
        {-1, 0, 22050, 0},        // no voice: no delay
        {-2, 1, 22050, 0},        // until the player acts
    };
    for (const Case& c : cases) {
        Log().clear();
        a.timer = 0;
        F().voiceExists = c.exists;
        F().voiceBytes = c.bytes;
        Run(0, scripttest::U8(u8"textwindow -1 400 \"ようこそ\" \"w01\" ") +
                   std::to_string(c.seconds));
        Ticks(0, 1);
        EXPECT_EQ(a.timer, c.timer) << c.seconds << " " << c.exists;
        EXPECT_EQ(Log()[1], "fileExists VOICE\\w01.wav");
        EXPECT_EQ(Logged("playVoice VOICE\\w01.wav"), c.exists == 1) << c.seconds;
    }
}

TEST_F(Script, CreatingAndReadyingAircraft) {
    Air(0, 1);
    GetGameClock().clock = 1012;
    Run(0,
        "create 21 -6000 9000 4000 230 160 1501 \"JAL\" \"B767\" \"KRG\" 2 5 1005 1 0x40 "
        "\"arr34l\"\nready 22 909 3 2 \"dep34r\"\nhold 1 1\nhold 99 1\nendstage");
    Ticks(0, 5);
    EXPECT_EQ(Log(), (std::vector<std::string>{
                         "createAircraft 1012 21 -6000 9000 4000 230 160 1501 JAL B767 KRG 2 5 "
                         "1005 1 64 0 arr34l 1 0",
                         "createAircraftById 1012 22 909 3 2 0 [] 0 dep34r 1 0"}));
    EXPECT_EQ(O(0).hold, 1);
    EXPECT_EQ(GetGameClock().end, 1012);
}

TEST_F(Script, ADeferredCreationKeepsItsOwnRecord) {
    // The game's creation: with every slot assigned, the aircraft waits in the retry queue.
    ScriptServices calls = FakeServices();
    calls.createAircraft = GameScriptServices().createAircraft;
    calls.createAircraftById = GameScriptServices().createAircraftById;
    SetScriptServices(&calls);
    for (int s = 0; s < kAircraftSlots; ++s) Air(s, 100 + s);
    GetGameClock().clock = 1012;
    Run(0,
        "create 21 -6000 9000 4000 230 160 1501 \"JAL\" \"B767\" \"KRG\" 0 5 1005 1 0 "
        "\"arr34l\"\nready 22 909 3 2 \"dep0_34r\"\nformation 1");
    Ticks(0, 3);
    std::memset(A(0).script, 0, kScriptBufferSize);  // the script's record is gone
    ASSERT_EQ(GetRetryQueue().count, 2);
    const RetryEntry& first = GetRetryQueue().entries[0];
    EXPECT_EQ(first.opcode, TT_CREATE);
    EXPECT_EQ(first.due, 1013);
    EXPECT_EQ(first.flight.id, 21);
    EXPECT_EQ(first.flight.time, 1012);
    EXPECT_STREQ(first.flight.airline, "JAL");
    EXPECT_STREQ(first.flight.script, "arr34l");
    const RetryEntry& second = GetRetryQueue().entries[1];
    EXPECT_EQ(second.opcode, TT_READY);
    EXPECT_EQ(second.ready.id, 22);
    EXPECT_STREQ(second.ready.script, "dep0_34r");
}

// ---- records that would read or write outside their place stand ----

TEST_F(Script, AJumpOutsideTheScriptStands) {
    Air(0, 1);
    for (const char* source : {"goto 4096", "goto 2", "goto -4", "goto 12\n.word -1"}) {
        F().faults.clear();
        Run(0, source, source);
        Ticks(0, 3);
        EXPECT_EQ(A(0).scriptpos, 0) << source;
        ASSERT_EQ(F().faults.size(), 1u) << source;  // once per place
        EXPECT_EQ(F().faults[0], std::string("aircraft script fault: aircraft 0, script \"") +
                                     source +
                                     "\", position 0, opcode 5010: jump outside the "
                                     "script; the record stands");
    }
    // A target inside the script and on a word.
    Run(0, "goto 4\n.word -1");
    Ticks(0, 1);
    EXPECT_EQ(A(0).scriptpos, 4);
}

TEST_F(Script, ATextWithoutItsNulBeforeTheBufferEndsStands) {
    Air(0, 1);
    std::vector<uint8_t> bytes(kScriptBufferSize, 'A');
    const std::vector<uint8_t> memo = Made("portword \"X\"");
    std::memcpy(bytes.data() + kScriptBufferSize - 8, memo.data(), 4);  // its text runs to the end
    ASSERT_EQ(PlaceScript(0, bytes.data(), bytes.size(), "full"), 1);
    A(0).scriptpos = kScriptBufferSize - 8;
    Ticks(0, 2);
    EXPECT_EQ(A(0).scriptpos, kScriptBufferSize - 8);
    EXPECT_STREQ(A(0).portword, "");
}

TEST_F(Script, AShortScriptLeavesNothingOfTheLongOneBeforeIt) {
    Air(0, 1);
    Run(0, "formation 1\nportword \"OLD\"\nformation 0");
    Run(0, "formation 1");  // 8 bytes: position 8 is past its end
    Ticks(0, 3);
    EXPECT_EQ(A(0).scriptpos, 8);
    EXPECT_STREQ(A(0).portword, "");
    // Loaded from a file as well.
    File("short", "formation 0");
    Run(0, "formation 1\nportword \"OLD\"\nload \"short\"");
    Ticks(0, 3);
    EXPECT_EQ(A(0).scriptlen, 8);
    Ticks(0, 3);
    EXPECT_EQ(A(0).scriptpos, 8);
    EXPECT_EQ(WordAt(0, 8), -1);
}

TEST_F(Script, IndexesOutsideTheirTablesStand) {
    Air(0, 1);
    AircraftRecord& a = A(0);
    struct Case {
        const char* source;
        void (*set)(AircraftRecord& a);
    };
    const Case cases[] = {
        {"ownitem 3 0 0 0 0 0 0", nullptr},
        {"approachentry 8 0 0 0 0 0 0 0 0 0 0 \"x\"", nullptr},
        {"approachvariants -1 0 0 \"\" 0 0 \"\" 0 0 \"\" 0 0 0 0", nullptr},
        {"candidate 16 \"x\" 0 0 0 0 0", nullptr},
        {"spotoffer 0 16 \"\" \"\" \"\" \"\" \"\" \"\" 0 0 0 0", nullptr},
        {"slot 8 \"x\"", nullptr},
        {"loadslot -1 \"x\"", nullptr},
        {"copyslot 0 8", nullptr},
        {"slotcopy 0 8", nullptr},
        {"set 0x0d00000a 1", nullptr},
        {"call 6 1", nullptr},
        {"callblock 5 0 0 0 0 0 0", nullptr},
        {"spotin 64", nullptr},
        {"area 80", nullptr},
        {"listentry2 -1 0 0 0 0 0 0 0 0 \"\" \"\"", nullptr},
        {"loadcandidate 16", nullptr},
        {"loadcandidate 0", [](AircraftRecord& a) { a.runway = 17; }},
        {"loadspot", [](AircraftRecord& a) { a.runway = 4; }},   // line 0
        {"loadspot", [](AircraftRecord& a) { a.runway = 68; }},  // group 17
        {"setlabel 0x40000 \"x\"", [](AircraftRecord& a) { a.choice = 17; }},
        {"setlabel 0x40000 \"x\"",
         [](AircraftRecord& a) {
             a.choice = 1;
             a.subchoice = 4;
         }},
        {"setting 0x130 1", [](AircraftRecord& a) { a.runway = 16; }},
        {"setting 0x105 1", [](AircraftRecord& a) { a.approach = 8; }},
        {"approach 0x10 0 0 0 8", [](AircraftRecord& a) { a.target = -1; }},
        {"approach 0x10 0 0 0 0", [](AircraftRecord& a) { a.target = 9; }},
        {"approach 0x10 0 0 0 0",
         [](AircraftRecord& a) {
             a.target = 1;
             a.approachtab[0].variant[0][0] = 'v';
             a.approachitem = 0x103;
         }},
        {"loadroute \"x\"", [](AircraftRecord& a) { a.sidgroup = 16; }},
        {"loadroute \"x\"", [](AircraftRecord& a) { a.sidentry = -1; }},
    };
    int n = 0;
    for (const Case& c : cases) {
        a.runway = a.choice = a.subchoice = a.target = a.approach = a.approachitem = 0;
        a.sidgroup = a.sidentry = 1;
        a.approachtab[0].variant[0][0] = 0;
        if (c.set) c.set(a);
        F().faults.clear();
        Run(0, c.source, ("index" + std::to_string(n++)).c_str());  // a place of its own
        Ticks(0, 3);
        EXPECT_EQ(a.scriptpos, 0) << c.source;
        EXPECT_EQ(F().faults.size(), 1u) << c.source;
    }
    EXPECT_TRUE(F().warnings.empty());
    EXPECT_EQ(Log().size(), 0u);
}

TEST_F(Script, ANinthMenuEntryStands) {
    Air(0, 1);
    std::string source;
    for (int k = 0; k < 9; ++k)
        source += "listentry 1 2 3 4 5 6 7 8 \"e" + std::to_string(k) + "\"\n";
    Run(0, source);
    Ticks(0, 12);
    EXPECT_EQ(A(0).menucount[0], 8);
    EXPECT_STREQ(A(0).menulist[0][7].name, "e7");
    EXPECT_EQ(A(0).scriptpos, 8 * 40);
    EXPECT_EQ(F().faults.size(), 1u);
}

TEST_F(Script, ASeventeenthLinkStands) {
    for (int s = 0; s < 18; ++s) Air(s, 100 + s);
    for (int s = 1; s < 18; ++s) {
        Run(s, "link -" + std::to_string(s));  // all to ID 100
        Ticks(s, 1);
    }
    EXPECT_EQ(A(0).links, 16);
    for (int s = 1; s < 17; ++s) EXPECT_EQ(A(s).scriptpos, 8) << s;
    EXPECT_EQ(A(17).scriptpos, 0);
    EXPECT_EQ(F().faults.size(), 1u);
    // Unlinking an empty list stands too.
    A(0).links = 0;
    Run(1, "unlink -1", "unlink");
    Ticks(1, 1);
    EXPECT_EQ(A(1).scriptpos, 0);
    EXPECT_EQ(F().faults.size(), 2u);
}

TEST_F(Script, TextsLongerThanTheirFieldAreCut) {
    Air(0, 1);
    AircraftRecord& a = A(0);
    // Made word by word: the maker refuses them.
    auto record = [](int32_t opcode, const std::string& text) {
        std::vector<uint8_t> b = Made(".word " + std::to_string(opcode));
        b.insert(b.end(), text.begin(), text.end());
        b.insert(b.end(), ScriptTextSize(text.size()) - text.size(), 0);
        return b;
    };
    const std::string twenty = "ABCDEFGHIJKLMNOPQRST";
    for (int32_t opcode : {610, 620, 12}) {
        const std::vector<uint8_t> b = record(opcode, twenty);
        PlaceScript(0, b.data(), b.size(), "long");
        Ticks(0, 1);
        EXPECT_EQ(a.scriptpos, int(b.size())) << opcode;
    }
    EXPECT_STREQ(a.portword, "ABCDEFGHIJKLMNO");
    EXPECT_STREQ(a.name2, "ABCDEFGHIJKLMNO");
    EXPECT_STREQ(a.callsign, "ABCDEFGHIJKLMNO");
    // A creation code of the record of opcode 830 (8 bytes).
    std::vector<uint8_t> c = Made(".word 830 1 2 3 4 5 6 7");
    for (const std::string& t :
         {std::string("JALJALJAL"), std::string("B767"), std::string(""), twenty}) {
        c.insert(c.end(), t.begin(), t.end());
        c.insert(c.end(), ScriptTextSize(t.size()) - t.size(), 0);
        if (t == "") {
            const std::vector<uint8_t> w = Made(".word 0 0 0 0 0");
            c.insert(c.end(), w.begin(), w.end());
        }
    }
    PlaceScript(0, c.data(), c.size(), "create");
    Ticks(0, 1);
    ASSERT_EQ(Log().size(), 4u);
    EXPECT_NE(Log()[3].find(" JALJALJ B767  0 0 0 0 0 0 ABCDEFGHIJKLMNO 1 0"), std::string::npos)
        << Log()[3];
}

TEST_F(Script, IdsOfAircraftNotInPlay) {
    Air(0, 10);
    Air(1, 11);
    A(1).used = 0;  // assigned, not in play
    Run(0, "hold 11 1\ngivestatus -1\nlink 1\nunlink 1\nrelease 11 \"x\"\nformation 1");
    A(0).status = 0x40000;
    Ticks(0, 6);
    EXPECT_EQ(O(1).hold, 0);
    EXPECT_EQ(A(1).status, 0);
    EXPECT_EQ(A(1).links, 0);
    EXPECT_EQ(A(0).formation, 1);
    EXPECT_TRUE(F().faults.empty());
}

TEST_F(Script, OperandsAtTheEndsOfTheirRange) {
    Air(0, 1);
    AircraftRecord& a = A(0);
    Run(0, "wait 0x7fffffff\n.word -1");
    Ticks(0, 1);
    EXPECT_EQ(a.timer, INT32_MAX);
    a.timer = 0;
    Run(0, "taxiaway 0 0 0x7fffffff\nheight 1000 0x80000000\nsetting 0x80000000 1");
    O(0).pos.y = 1000;
    a.approach = 0;
    Ticks(0, 3);
    EXPECT_EQ(a.course, (2147483647LL + 180) % 360);
    EXPECT_EQ(a.plimit, 2147483648.0);
    EXPECT_EQ(a.setting, 0);
    // The runway word at its lowest names no candidate and no spot line.
    for (const char* source : {"loadcandidate 0", "loadspot"}) {
        a.runway = INT32_MIN;
        F().faults.clear();
        Run(0, source, source);
        Ticks(0, 1);
        EXPECT_EQ(F().faults.size(), 1u) << source;
    }
    // Parking where it stands, far out or nowhere.
    for (double x : {1e12, -1e12, std::nan("")}) {
        O(0).pos = {x, 0, x, 0};
        O(0).angle.y = x;
        Run(0, "park");
        Ticks(0, 1);
        EXPECT_GE(a.course, 0) << x;
        EXPECT_LT(a.course, 360) << x;
    }
}

// ---- loading with the game's own services ----

TEST_F(Script, LoadingAMissingScriptWarnsAndTheQuietFormChangesNothing) {
    SetScriptServices(nullptr);
    Air(6, 1);
    std::snprintf(A(6).callsign, 16, "ANA-0515");
    Run(6, "formation 1\nformation 0");
    A(6).scriptpos = 8;
    EXPECT_EQ(GetMoveScript(6, "nosuchscript"), 0);
    EXPECT_EQ(A(6).scriptpos, 8);
    EXPECT_EQ(WordAt(6, 0), 92);
    EXPECT_EQ(NewBoxes(), 0);
    EXPECT_EQ(LoadScript(6, "nosuchscript"), 0);
    EXPECT_EQ(A(6).scriptpos, 0);
    EXPECT_EQ(WordAt(6, 0), -1);
    EXPECT_EQ(WordAt(6, 8), -1);
    EXPECT_EQ(LastBox(),
              reinterpret_cast<const char*>(u8"Wynmoor２の警告|errを出したのは[ANA-0515]6だよ"));
    Ticks(6, 3);
    EXPECT_EQ(A(6).scriptpos, 0);
}

}  // namespace
