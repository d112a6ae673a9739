// The stage timetable: records coming due on the game clock, jumps and conditions, the retry
// queue, the end by time, and the faults that stop a timetable.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "sim_fixture.h"

using simtest::Bytes;
using simtest::End;
using simtest::Flight;
using simtest::Parked;
using simtest::Ready;
using simtest::SimCase;

namespace {

Bytes Set(int32_t var, int32_t value) { return Bytes().i(TT_SET).i(var).i(value); }
Bytes If(int32_t a, int32_t op, int32_t b, int32_t target) {
    return Bytes().i(TT_IF).i(a).i(op).i(b).i(target);
}
Bytes Goto(int32_t target) { return Bytes().i(TT_GOTO).i(target); }
Bytes Routes(int first) {
    Bytes r;
    r.i(TT_ROUTES);
    for (int k = 0; k < 8; ++k) r.i(first + k);
    return r;
}
Bytes Plan(int time, int id, int plan) { return Bytes().i(TT_PLAN).i(time).i(id).i(plan); }
constexpr int32_t Var(int n) { return int32_t(0x0fff0000 | n); }

class TimetableTest : public SimCase {
  protected:
    int Variable(int n) { return GetGameVariables()[size_t(n)]; }
    int Slot(int id) { return FindAircraftSlot(id); }
    bool Exists(int id) { return Slot(id) >= 0 && A(Slot(id)).used; }
};

}  // namespace

TEST_F(TimetableTest, AnEndFirstCreatesNothing) {
    SetTimetable(End().add(Flight(0, 1, "JAL", "B767")));
    RunTimetable();
    EXPECT_EQ(GetTimetablePosition(), -1);
    Minutes(70);
    EXPECT_FALSE(Exists(1));
    EXPECT_EQ(CountCalls("LoadAircraftModel"), 0);
    // Only the time over's: a stage without a name records no high score.
    EXPECT_EQ(NewBoxes(), 1);
}

TEST_F(TimetableTest, ATimedRecordRunsWithTheUntimedOnesBehindIt) {
    const Bytes tt = Flight(930, 1, "JAL", "B767")
                         .add(Set(1, 7))
                         .add(Routes(20))
                         .add(Flight(931, 2, "ANA", "B777"))
                         .add(Set(2, 9))
                         .add(End());
    SetTimetable(tt, 925);
    RunTimetable();
    EXPECT_EQ(GetTimetablePosition(), 0);  // stopped before the timed record
    Minutes(4);
    EXPECT_EQ(GetGameClock().clock, 929);
    EXPECT_FALSE(Exists(1));
    StepTimetable(599);  // 0929 still
    EXPECT_FALSE(Exists(1));
    StepTimetable(1);  // 0930: the record and the untimed ones behind it, in one frame
    EXPECT_EQ(GetGameClock().clock, 930);
    EXPECT_TRUE(Exists(1));
    EXPECT_EQ(Variable(1), 7);
    EXPECT_EQ(GetScenarioHeader().world.routesets[7], 27);
    EXPECT_FALSE(Exists(2));
    EXPECT_EQ(Variable(2), 0);
    EXPECT_EQ(GetTimetablePosition(), 100 + 12 + 36);
    Minutes(1);
    EXPECT_TRUE(Exists(2));
    EXPECT_EQ(Variable(2), 9);
    EXPECT_EQ(GetTimetablePosition(), -1);
}

TEST_F(TimetableTest, ParkedAircraftOnlyBeforeTheFirstTimedRecord) {
    const Bytes tt = Parked(1, 0, "JAL", "B767")
                         .add(Flight(0, 2, "ANA", "B777"))  // time 0: run at the start
                         .add(Parked(3, 1, "JAS", "MD90"))
                         .add(Flight(935, 4, "JAL", "B767"))
                         .add(Parked(5, 2, "ANA", "B777"))
                         .add(End());
    SetTimetable(tt, 930);
    RunTimetable();
    EXPECT_TRUE(Exists(1));
    EXPECT_TRUE(Exists(2));
    EXPECT_TRUE(Exists(3));
    EXPECT_FALSE(Exists(4));
    Minutes(5);
    EXPECT_TRUE(Exists(4));
    EXPECT_FALSE(Exists(5));  // stepped over
    EXPECT_EQ(GetTimetablePosition(), -1);
    Minutes(30);
    EXPECT_FALSE(Exists(5));
}

TEST_F(TimetableTest, AConditionJumpsWhenItHolds) {
    // if var1 = 1 goto L; set var2 = 2; L: set var3 = 3; end
    const int target = 20 + 12;
    const Bytes tt = If(Var(1), 0x12, 1, target).add(Set(2, 2)).add(Set(3, 3)).add(End());
    SetTimetable(tt);
    RunTimetable();
    EXPECT_EQ(Variable(2), 2);  // false: on by 20 bytes to the next record
    EXPECT_EQ(Variable(3), 3);

    GetGameVariables().fill(0);
    GetGameVariables()[1] = 1;
    SetTimetable(tt);
    RunTimetable();
    EXPECT_EQ(Variable(2), 0);  // true: to the target
    EXPECT_EQ(Variable(3), 3);

    // Operator 0x15 is outside the table: never holds, so the record falls through.
    GetGameVariables().fill(0);
    GetGameVariables()[1] = 1;
    SetTimetable(If(Var(1), 0x15, 1, target).add(Set(2, 2)).add(Set(3, 3)).add(End()));
    RunTimetable();
    EXPECT_EQ(Variable(2), 2);
}

TEST_F(TimetableTest, VariablesOutside0To100AreNotWritten) {
    GetGameVariables()[50] = 4;
    const Bytes tt = Set(101, 5)
                         .add(Set(-1, 6))
                         .add(Set(100, 7))
                         .add(Set(0, 8))
                         .add(Set(Var(50), 9))  // the index through a value: variable 4
                         .add(Set(1, Var(100)))
                         .add(End());
    SetTimetable(tt);
    RunTimetable();
    EXPECT_EQ(Variable(100), 7);
    EXPECT_EQ(Variable(0), 8);
    EXPECT_EQ(Variable(4), 9);
    EXPECT_EQ(Variable(1), 7);
    EXPECT_EQ(NewBoxes(), 0);
}

TEST_F(TimetableTest, WeatherRunwaysRoutesAndPlans) {
    const Bytes tt = Bytes()
                         .i(TT_WIND)
                         .i(0)
                         .i(340)
                         .i(12)
                         .i(1012)
                         .i(TT_RUNWAYS)
                         .i(0)
                         .t("110000000000000", 16)
                         .t("ABCDEFGHIJKLMNOP", 16)
                         .add(Routes(1))
                         .add(Parked(4, 70, "JAL", "B767"))
                         .add(Plan(0, 4, 0x100))
                         .add(Plan(931, 4, 0x200))
                         .add(Bytes().i(TT_WIND).i(932).i(10).i(3).i(1001))
                         .add(End());
    EXPECT_STREQ(GetStageRunways().runways, "000000000000000");
    SetTimetable(tt);
    RunTimetable();
    const StageWeather& c = GetStageWeather();
    EXPECT_EQ(c.winddir, 340);
    EXPECT_EQ(c.windspeed, 12);
    EXPECT_EQ(c.pressure, 1012);
    EXPECT_STREQ(GetStageRunways().runways, "110000000000000");
    EXPECT_STREQ(GetStageRunways().runways2, "ABCDEFGHIJKLMNOP");  // a full field ends at its end
    EXPECT_EQ(GetScenarioHeader().world.routesets[0], 1);
    EXPECT_EQ(A(Slot(4)).plan, 0x100);  // 4030 at time 0 runs at the start
    EXPECT_EQ(GetTimetablePosition(), 20 + 40 + 36 + 72 + 16);
    Minutes(1);
    EXPECT_EQ(A(Slot(4)).plan, 0x200);
    EXPECT_EQ(c.winddir, 340);
    Minutes(1);
    EXPECT_EQ(c.winddir, 10);
    ResetTimetable();
    EXPECT_STREQ(GetStageRunways().runways, "000000000000000");
}

TEST_F(TimetableTest, APlanForAnAircraftNotInPlayWarnsOnce) {
    A(3).id = 9;  // its slot holds the ID but no aircraft
    const Bytes tt = Plan(0, 9, 0x300).add(Plan(0, 12, 0x300)).add(End());
    SetTimetable(tt);
    A(3).id = 9;
    RunTimetable();
    EXPECT_EQ(NewBoxes(), 2);  // ID 9, then ID 12 on the first unassigned slot
    EXPECT_EQ(A(3).plan, 0);
    EXPECT_EQ(LastBox(), std::string(reinterpret_cast<const char*>(
                             u8"Wynmoor２の警告|ID(12)で指定された航空機は現在存在しません。")));
    // With every slot assigned, an ID no slot holds is passed without a box.
    for (int s = 0; s < kAircraftSlots; ++s) A(s).id = 100 + s;
    SetTimetable(Plan(0, 12, 0x300).add(End()));
    for (int s = 0; s < kAircraftSlots; ++s) A(s).id = 100 + s;
    RunTimetable();
    EXPECT_EQ(NewBoxes(), 2);
    EXPECT_EQ(GetTimetablePosition(), -1);
}

TEST_F(TimetableTest, ThreeDeferredAtOneMinuteComeOnePerFrame) {
    StripQueue& q = GetStripQueue();
    for (int p = 0; p < 5; ++p) q[size_t(p)] = 20;  // the arrival queue is full
    const Bytes tt = Flight(0, 1, "JAL", "B767")
                         .add(Flight(0, 2, "ANA", "B777"))
                         .add(Flight(0, 3, "JAS", "MD90"))
                         .add(End());
    SetTimetable(tt, 930);
    RunTimetable();
    const RetryQueue& r = GetRetryQueue();
    ASSERT_EQ(r.count, 3);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.entries[size_t(i)].due, 931);
        EXPECT_EQ(r.entries[size_t(i)].delay, 1);
        EXPECT_EQ(r.entries[size_t(i)].flight.id, i + 1);
    }
    // Still full at 0931: each waits another minute and counts it.
    Minutes(1);
    ASSERT_EQ(r.count, 3);
    EXPECT_EQ(r.entries[0].due, 932);
    EXPECT_EQ(r.entries[0].delay, 2);
    q.fill(0);
    StepTimetable(0);  // 0931, not yet due
    EXPECT_EQ(r.count, 3);
    Minutes(1);  // 0932: the first is created; the two behind move up a minute
    EXPECT_TRUE(Exists(1));
    EXPECT_FALSE(Exists(2));
    ASSERT_EQ(r.count, 2);
    EXPECT_EQ(r.entries[0].flight.id, 2);
    EXPECT_EQ(r.entries[0].due, 933);
    EXPECT_EQ(r.entries[0].delay, 3);
    StepTimetable(1);  // another frame of 0932: nothing is due
    EXPECT_FALSE(Exists(2));
    Minutes(1);
    EXPECT_TRUE(Exists(2));
    Minutes(1);
    EXPECT_TRUE(Exists(3));
    EXPECT_EQ(r.count, 0);
    EXPECT_EQ(A(Slot(1)).delay, 2);
    EXPECT_EQ(A(Slot(2)).delay, 3);
    EXPECT_EQ(A(Slot(3)).delay, 4);
    EXPECT_TRUE(Called("AddStripMemo " + std::to_string(Slot(3)) + " DELAY 4"));
    EXPECT_EQ(GetHud().stress, 18u);  // twice each delay: 2, 3 and 4 minutes
}

TEST_F(TimetableTest, TheRetryQueueHolds32AndKeepsItsOwnRecords) {
    SetTimetable(End(), 1958);
    for (int i = 0; i < kRetryEntries; ++i) {
        FlightRecord f{};
        f.id = 100 + i;
        std::snprintf(f.airline, sizeof f.airline, "JAL");
        EXPECT_EQ(DeferCreation(&f, nullptr, 1), 1) << i;
        f.id = -1;  // the caller's record changes or goes; the queue's copy stays
    }
    FlightRecord extra{};
    extra.id = 999;
    EXPECT_EQ(DeferCreation(&extra, nullptr, 1), 0);  // the 33rd is refused
    const RetryQueue& r = GetRetryQueue();
    EXPECT_EQ(r.count, kRetryEntries);
    EXPECT_EQ(r.entries[31].flight.id, 131);
    EXPECT_EQ(r.entries[0].due, 1959);
    EXPECT_STREQ(r.entries[0].flight.airline, "JAL");
    ReadyRecord y{};
    y.id = 5;
    SetTimetable(End(), 959);
    EXPECT_EQ(DeferCreation(nullptr, &y, 0), 1);
    EXPECT_EQ(r.entries[0].due, 960);  // clock + 1 without a carry: due at 1000
    EXPECT_EQ(r.entries[0].opcode, TT_READY);
    Minutes(1);
    // The ID is free: the aircraft is not in play, the warning shows, and it waits on.
    EXPECT_EQ(r.entries[0].due, 1001);
    EXPECT_EQ(r.entries[0].delay, 0);  // a delay of 0 stays 0
}

TEST_F(TimetableTest, TheStageEndsAtItsEndTime) {
    // The result is recorded in the stage's ini below a program folder of the test's own (the
    // banners' pictures and music linked from the real one).
    const std::string base = std::getenv("WYN_RUNTIME_DIR");
    const std::string dir = base + "/stage_end";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    for (const char* data : {"etc", "music"})
        std::filesystem::create_symlink(std::string(WynPlat_ProgramDir()) + "/" + data,
                                        dir + "/" + data);
    char sys[MAX_PATH - 1];
    ASSERT_TRUE(WynPlat_ToSystemPath(dir.c_str(), sys, sizeof sys));
    std::snprintf(Handles().homedir, sizeof Handles().homedir, "%s\\", sys);
    const auto ini = [&](int n) { return dir + "/stage/rjtt/end" + std::to_string(n) + ".ini"; };
    const auto text = [](const std::string& path) {
        std::ifstream f(path);
        return std::string(std::istreambuf_iterator<char>(f), {});
    };
    struct Case {
        uint32_t shownstress, shownscore, target;
        uint32_t bonus;
        int32_t state;
    };
    const Case cases[] = {
        {0, 0, 1000, 2000, STAGE_CLEAR},
        {5, 0, 1000, 500, STAGE_NOTCLEAR},
        {5, 500, 1000, 500, STAGE_CLEAR},
        {12, 900, 1000, 0, STAGE_NOTCLEAR},  // no wrap into a huge bonus and a false CLEAR
        {10, 0, 0, 0, STAGE_CLEAR},
    };
    int n = 0;
    for (const Case& c : cases) {
        SetTimetable(End(), 959, 1);
        std::snprintf(GetScenarioHeader().title, sizeof GetScenarioHeader().title, "rjtt end%d",
                      ++n);
        SetStageState(STAGE_PLAY);
        SetStageCleared(0);
        HudNumbers& hud = GetHud();
        hud = HudNumbers{};
        hud.stresslimit = 10;
        hud.shownstress = c.shownstress;
        hud.score = hud.shownscore = c.shownscore;
        hud.target = c.target;
        RunTimetable();
        StepTimetable(600);
        EXPECT_EQ(GetStageState(), STAGE_PLAY) << c.shownstress;
        StepTimetable(1);
        EXPECT_EQ(GetGameClock().clock, 1000);
        EXPECT_EQ(hud.bonus, c.bonus) << c.shownstress;
        EXPECT_EQ(GetStageState(), c.state) << c.shownstress;
        const bool clear = c.state == STAGE_CLEAR;
        const std::string saved = text(ini(n));
        const uint32_t total = c.shownscore + c.bonus;
        EXPECT_EQ(saved.find("highscore=" + std::to_string(total)) != std::string::npos, total > 0)
            << saved;
        EXPECT_EQ(saved.find("status=1") != std::string::npos, clear) << saved;
        EXPECT_EQ(GetStageCleared(), clear ? 1 : 0);
        // Ended once: the result is not recorded or shown again.
        std::filesystem::remove(ini(n));
        StepTimetable(600);
        EXPECT_FALSE(std::filesystem::exists(ini(n))) << c.shownstress;
        EXPECT_EQ(GetStageState(), c.state);
        ResumeGame();
        StopBgm();
    }
    // Paused (or under a banner) at the end time: nothing ends until play resumes.
    SetTimetable(End(), 959, 1);
    SetStageState(STAGE_PAUSED);
    StepTimetable(601);
    EXPECT_EQ(GetStageState(), STAGE_PAUSED);
    EXPECT_FALSE(std::filesystem::exists(ini(n)));
    SetStageState(STAGE_PLAY);
    StepTimetable(0);
    EXPECT_EQ(GetStageState(), STAGE_CLEAR);
    EXPECT_TRUE(std::filesystem::exists(ini(n)));
    ResumeGame();
    StopBgm();
}

TEST_F(TimetableTest, FaultsStopTheTimetableWithOneWarning) {
    struct Case {
        const char* what;
        Bytes records;
        int cut;       // bytes of the records the image holds (-1 all)
        int offset;    // the record named
        bool atStart;  // the fault shows in RunTimetable
    };
    const Case cases[] = {
        {"an opcode outside the table", Set(1, 1).i(0x1234).add(End()), -1, 12, true},
        {"a record past the loaded bytes", Set(1, 1).add(Flight(0, 1, "JAL", "B767")), 60, 12,
         true},
        {"no end record", Set(1, 1), -1, 12, true},
        {"a jump outside the timetable", Goto(0x10000).add(End()), -1, 0, true},
        {"a jump to the timetable's end", Goto(12).add(End()), -1, 0, true},
        {"a jump off a word", Goto(6).add(End()), -1, 0, true},
        {"a negative jump", If(5, 0x12, 5, -4).add(End()), -1, 0, true},
        {"a loop at the start", Set(1, 1).add(Goto(12)), -1, 12, true},
        {"a loop in a frame", Flight(931, 1, "JAL", "B767").add(Goto(100)), -1, 100, false},
    };
    for (const Case& c : cases) {
        Bytes records = c.records;
        if (c.cut >= 0) records.b.resize(size_t(c.cut));
        SetTimetable(records, 930);
        const int before = WynPlat_MessageBoxCount();
        RunTimetable();
        EXPECT_EQ(WynPlat_MessageBoxCount() - before, c.atStart ? 1 : 0) << c.what;
        for (int m = 0; m < 3; ++m) Minutes(1);
        EXPECT_EQ(WynPlat_MessageBoxCount() - before, 1) << c.what;
        EXPECT_EQ(GetTimetablePosition(), -1) << c.what;
        char offset[16];
        std::snprintf(offset, sizeof offset, "(%X", c.offset);
        EXPECT_NE(LastBox().find(offset), std::string::npos) << c.what << ": " << LastBox();
        EXPECT_EQ(LastBox().rfind(reinterpret_cast<const char*>(u8"Wynmoor２の警告|"), 0), 0u);
    }
}

// Every kind of record is stepped over by its own size: the record after it is found where it
// begins (a set record that writes variable 1), and the size table gives the same.
TEST_F(TimetableTest, EachRecordIsSteppedOverByItsSize) {
    struct Case {
        const char* what;
        int32_t opcode;
        int size;
        Bytes before;  // records the kind needs before it (an aircraft to name)
        Bytes record;
    };
    const Case cases[] = {
        {"5 create", TT_CREATE, 100, Bytes(), Flight(0, 1, "JAL", "B767")},
        {"6 park", TT_PARK, 72, Bytes(), Parked(2, 0, "ANA", "B777")},
        {"7 ready", TT_READY, 56, Parked(3, 1, "JAL", "B767"), Ready(0, 3, 2)},
        {"8 wind", TT_WIND, 20, Bytes(), Bytes().i(TT_WIND).i(0).i(10).i(3).i(1001)},
        {"9 runways", TT_RUNWAYS, 40, Bytes(),
         Bytes().i(TT_RUNWAYS).i(0).t("100000000000000", 16).t("", 16)},
        {"4020 route sets", TT_ROUTES, 36, Bytes(), Routes(1)},
        {"4030 plan", TT_PLAN, 16, Parked(4, 2, "JAS", "MD90"), Plan(0, 4, 0x100)},
        {"5000 condition that does not hold", TT_IF, 20, Bytes(), If(Var(9), 0x12, 1, 0)},
        {"5010 jump", TT_GOTO, 8, Bytes(), Goto(8)},
        {"5020 set", TT_SET, 12, Bytes(), Set(2, 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TimetableRecordSize(c.opcode), c.size) << c.what;
        ASSERT_EQ(c.record.b.size(), size_t(c.size)) << c.what << ": the test's record";
        GetGameVariables().fill(0);
        SetTimetable(Bytes(c.before).add(c.record).add(Set(1, 5)).add(End()));
        RunTimetable();
        EXPECT_EQ(Variable(1), 5) << c.what;
        EXPECT_EQ(GetTimetablePosition(), -1) << c.what;
    }
    EXPECT_EQ(TimetableRecordSize(TT_END), 4);
    for (const int32_t unknown : {0, 1, 4, 10, 4021, 5001, 5030, -2})
        EXPECT_EQ(TimetableRecordSize(unknown), 0) << unknown;
}

TEST_F(TimetableTest, ARecord7NamingASpotKeepsTheAircraftItFound) {
    const Bytes tt = Parked(6, 3, "JAL", "B767").add(Ready(0, 0x1003, 2)).add(End());
    SetTimetable(tt);
    RunTimetable();
    EXPECT_EQ(A(Slot(6)).strip, 0x1202);
    wyn::ByteReader r(GetScenarioImage()->bytes + kTimetable + 72 + 8, 4);
    EXPECT_EQ(r.i32(), 6);
}
