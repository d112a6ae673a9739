// The executor: tasks and the turn on the virtual clock, the evaluator, command binding and
// the tracer channel, with scripts written by the tests and run as the host runs them.
#include <mmsystem.h>

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "vsk_host_support.h"

using namespace vsktest;

namespace {

std::string Num(const ScriptHost& h, int n) { return h.UserText(n); }

// ---- tasks and the turn ----

TEST(Tasks, EachLiveTaskRunsOneStatementInTurn) {
    ScriptHost h;
    h.Write("L.SNA", "$0 = $0 + $C; $0 = $0 + $C; $0 = $0 + $C;");
    h.Write("MAIN.SNA",
            "$0 = \"\"; TaskSuper(1); TaskStart(1, \"L\", \"A\"); TaskStart(2, \"L\", \"B\");"
            " TaskStart(3, \"L\", \"C\"); TaskSuper(0);");
    ASSERT_EQ(h.Run("MAIN"), 0);
    EXPECT_EQ(Num(h, 0), "\"ABCABCABC\"");
}

// A task left out of the round, or handed the turn out of its order, shows in the letters.
struct RoundCase {
    const char* what;
    std::string main;
    std::string expect;  // $0
};

std::string Letters(int tasks, int rounds) {
    std::string round;
    for (int t = 1; t < tasks; ++t) round += char('A' + t - 1);
    std::string all;
    for (int r = 0; r < rounds; ++r) all += round;
    return "\"" + all + "\"";
}

std::string StartLetters(int tasks) {
    std::string main = "$0 = \"\"; TaskSuper(1);";
    for (int t = 1; t < tasks; ++t)
        main += " TaskStart(" + std::to_string(t) + ", \"L\", \"" + char('A' + t - 1) + "\");";
    return main + " TaskSuper(0);";
}

TEST(Tasks, TheTurnGoesRoundEveryTaskThatCanTakeIt) {
    const RoundCase cases[] = {
        {"twenty tasks", StartLetters(20), Letters(20, 3)},
        {"a task paused by the host is passed over until it is resumed",
         "$0 = \"\"; TaskSuper(1); TaskStart(1, \"L\", \"A\"); TaskStart(2, \"L\", \"B\");"
         " VSKTEST:PAUSE(2, 1); TaskSuper(0); $0 = $0 + \"m\"; $0 = $0 + \"m\";"
         " VSKTEST:PAUSE(2, 0); $0 = $0 + \"m\";",
         "\"ABAmAmBmB\""},
    };
    for (const RoundCase& c : cases) {
        ScriptHost h;
        h.Write("L.SNA", "$0 = $0 + $C; $0 = $0 + $C; $0 = $0 + $C;");
        h.Write("MAIN.SNA", c.main);
        ASSERT_EQ(h.Run("MAIN"), 0) << c.what;
        EXPECT_EQ(Num(h, 0), c.expect) << c.what;
    }
}

// The task that goes on alone while another waits still looks at the clock for it: the waiter
// comes back in the middle of the busy task's loop, not after its end.
TEST(Tasks, ATaskWhoseWaitIsOverTakesTheTurnFromABusyOne) {
    ScriptHost h;
    h.Write("W.SNA", "Wait(5); $2 = $1;");
    h.Write("MAIN.SNA", "$1 = 0; $2 = -1; TaskStart(1, \"W\"); Loop(500) { $1 = $1 + 1; };");
    h.Run("MAIN");
    int came = std::stoi(Num(h, 2));
    EXPECT_GT(came, 0);
    EXPECT_LT(came, 500);
}

// VSKTEST:ALONE stays inside, blocked, for 1 ms: a task woken beside the turn's holder, or
// running on while it hands the turn on, would come in meanwhile.
TEST(Tasks, OnlyTheTurnsHolderRunsScriptCode) {
    ScriptHost h;
    h.Write("A.SNA", "Loop(10) { $1 = VSKTEST:ALONE(); $2 = $2 + 1; };");
    h.Write("W.SNA", "Loop(10) { Wait(3); $1 = VSKTEST:ALONE(); $2 = $2 + 1; };");
    h.Write("MAIN.SNA",
            "$1 = 0; $2 = 0; TaskSuper(1); TaskStart(1, \"A\"); TaskStart(2, \"A\");"
            " TaskStart(3, \"W\"); TaskStart(4, \"A\"); TaskSuper(0); VSKTEST:PAUSE(2, 1);"
            " Loop(10) { $1 = VSKTEST:ALONE(); $2 = $2 + 1; }; VSKTEST:PAUSE(2, 0);");
    h.Run("MAIN");
    EXPECT_EQ(Num(h, 2), "50") << "every task ran its loop";
    EXPECT_EQ(Num(h, 1), "0") << "calls that found another task inside";
}

double ProcessorSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Fifty seconds of waits on the virtual clock cost next to no processor time when the tasks
// that cannot run sleep; a task that polled instead (every reading moves the clock 0.1 ms on)
// would go round half a million times.
TEST(Tasks, WaitingPausedAndLoneTasksDoNotSpin) {
    const std::pair<const char*, const char*> cases[] = {
        {"a lone task", "Loop(5) { Wait(10000); };"},
        {"beside a paused task and a waiting one",
         "TaskStart(1, \"P\"); VSKTEST:PAUSE(1, 1); TaskStart(2, \"W\");"
         " Loop(5) { Wait(10000); }; VSKTEST:PAUSE(1, 0);"},
    };
    for (auto& [what, main] : cases) {
        ScriptHost h;
        h.Write("P.SNA", "$3 = 1; $3 = 2;");
        h.Write("W.SNA", "Loop(5) { Wait(10000); };");
        h.Write("MAIN.SNA", main);
        double cpu = ProcessorSeconds();
        uint64_t t0 = WynPlat_ClockMicros();
        h.Run("MAIN");
        EXPECT_GE(WynPlat_ClockMicros() - t0, 50000000u) << what;
        EXPECT_LT(ProcessorSeconds() - cpu, 0.25) << what;
    }
}

TEST(Tasks, AStartedTaskRunsBeforeItsStarter) {
    ScriptHost h;
    h.Write("NEW.SNA", "$1 = $1 + \"N\";");
    h.Write("MAIN.SNA", "$1 = \"\"; $2 = TaskStart(-1, \"NEW\"); $1 = $1 + \"S\";");
    h.Run("MAIN");
    EXPECT_EQ(Num(h, 1), "\"NS\"");
    EXPECT_EQ(Num(h, 2), "1") << "the lowest free task";
}

// The super task keeps the turn between its statements and while it waits: the other task's
// letters never come between its own.
TEST(Tasks, TheSuperTaskRunsAlone) {
    struct Case {
        const char* what;
        const char* alone;  // what the super task does
        const char* seen;   // its letters, all together
    };
    const Case cases[] = {
        {"between statements", "Loop(4) { $1 = $1 + \"S\"; };", "SSSS"},
        {"while it waits", "$1 = $1 + \"S\"; Wait(100); $1 = $1 + \"S\";", "SS"},
    };
    for (const Case& c : cases) {
        ScriptHost h;
        h.Write("OTHER.SNA", "Loop(-1) { $1 = $1 + \"o\"; };");
        h.Write("MAIN.SNA", std::string("$1 = \"\"; TaskStart(1, \"OTHER\"); $1 = $1 + \"m\";"
                                        " TaskSuper(1); ") +
                                c.alone + " TaskSuper(0); $1 = $1 + \"m\"; TaskEnd(1);");
        h.Run("MAIN");
        std::string s = Num(h, 1);
        EXPECT_NE(s.find(c.seen), std::string::npos) << c.what << ": " << s;
        EXPECT_EQ(std::count(s.begin(), s.end(), 'S'), std::ptrdiff_t(std::strlen(c.seen)))
            << c.what << ": " << s;
        EXPECT_EQ(VSKEXEC_TaskLive(h, 1), 0) << c.what << ": TaskEnd waited for the task's end";
    }
}

struct WaitCase {
    const char* wait;
    int virtualMs;
};
const WaitCase kWaits[] = {
    {"Wait(250)", 250},
    {"Wait(20000)", 10000},  // at most 10 s
    {"Wait(-5)", 0},
    {"WaitStart(700); WaitEnd(0)", 700},
};

TEST(Tasks, WaitsLastTheirTimeOnTheProcessClock) {
    WynPlat_SetClockReadStep(0);
    for (const WaitCase& c : kWaits) {
        ScriptHost h;
        h.Write("MAIN.SNA",
                std::string("$1 = SystemTime(0); ") + c.wait + "; $2 = SystemTime(0) - $1;");
        h.Run("MAIN");
        EXPECT_EQ(Num(h, 2), std::to_string(c.virtualMs)) << c.wait;
    }
    WynPlat_SetClockReadStep(100);
}

TEST(Tasks, WaitingTasksSleepUntilTheEarliestIsDue) {
    WynPlat_SetClockReadStep(0);
    ScriptHost h;
    h.Write("W.SNA", "Wait(300); $2 = SystemTime(0) - $9;");
    h.Write("MAIN.SNA",
            "$9 = SystemTime(0); TaskStart(1, \"W\"); Wait(500); $1 = SystemTime(0) - $9;");
    DWORD t0 = timeGetTime();
    h.Run("MAIN");
    EXPECT_EQ(Num(h, 2), "300");
    EXPECT_EQ(Num(h, 1), "500");
    EXPECT_EQ(timeGetTime() - t0, 500u) << "the clock only moved for the waits";
    WynPlat_SetClockReadStep(100);
}

struct SearchCase {
    const char* what;
    std::vector<std::pair<std::string, std::string>> files;  // path under the folder, source
    const char* expect;
};
const SearchCase kSearches[] = {
    {"a compiled file in the executor's folder wins over a source there",
     {{"X.SNA", "$1 = \"sna\";"}, {"X.SNB", "$1 = \"snb\";"}},
     "\"snb\""},
    {"a compiled file in the executor's folder wins over a source in the current folder",
     {{"CUR/X.SNA", "$1 = \"cur sna\";"}, {"X.SNB", "$1 = \"snb\";"}},
     "\"snb\""},
    {"the current folder comes first among compiled files",
     {{"CUR/X.SNB", "$1 = \"cur snb\";"}, {"X.SNB", "$1 = \"snb\";"}},
     "\"cur snb\""},
    {"a source alone is compiled", {{"X.SNA", "$1 = \"sna\";"}}, "\"sna\""},
    {"a name with its extension is taken as it stands",
     {{"X.SNA", "$1 = \"sna\";"}, {"X.SNB", "$1 = \"snb\";"}, {"CALL.SNA", "Gosub(\"x.sna\");"}},
     "\"sna\""},
};

TEST(Tasks, ScriptsAreLookedForInTheirOrder) {
    for (const SearchCase& c : kSearches) {
        ScriptHost h;
        fs::create_directories(h.dir() / "CUR");
        bool call = false;
        for (const auto& [path, source] : c.files) {
            if (path == "CALL.SNA") call = true;
            if (path.ends_with(".SNB"))
                ASSERT_TRUE(h.WriteCompiled(path, source)) << c.what;
            else
                h.Write(path, source);
        }
        h.Write("MAIN.SNA", call ? "Gosub(\"CALL\");" : "Gosub(\"x\");");
        std::string cur = (h.dir() / "CUR").string();
        char sys[MAX_PATH];
        WynPlat_ToSystemPath(cur.c_str(), sys, sizeof sys);
        SetCurrentDirectoryA(sys);
        h.Run("MAIN");
        EXPECT_EQ(Num(h, 1), c.expect) << c.what;
    }
}

TEST(Tasks, SystemVariablesOfTheRunningTask) {
    ScriptHost h;
    h.Write("T.SNA", "$3 = ValueType(\\#182);\n\n$2 = #7; #182 = 5;");
    h.Write("MAIN.SNA",
            "#182 = \"left over\"; TaskStart(2, \"T\"); Wait(10); $4 = ValueType(\\#182);");
    h.Run("MAIN");
    tagVALUE v = h.User(2);
    EXPECT_EQ(VskFaqHigh(&v), 2u) << "#7: the running task";
    EXPECT_EQ(VskFaqLow(&v), 2u) << "#7: its line as the line marker stores it";
    EXPECT_EQ(Num(h, 3), "0") << "#182 is emptied when task 2 starts";
    EXPECT_EQ(Num(h, 4), "0") << "and when it ends";
}

TEST(Tasks, ABoxHeldOnATaskThreadLeavesTheOtherTasksAlive) {
    ScriptHost h;
    h.Write("OTHER.SNA", "Loop(5) { $1 = $1 + 1; Wait(100); };");
    h.Write("MAIN.SNA",
            "$1 = 0; TaskStart(1, \"OTHER\"); $2 = $1; VSKTEST:HOLD(10000); $3 = IsTask(1);"
            " Wait(2000); $4 = $1;");
    h.Run("MAIN");
    EXPECT_EQ(Num(h, 3), "-1") << "task 1 is still there after the 10 s hold";
    EXPECT_EQ(Num(h, 4), "5") << "and finished its loop afterwards";
}

TEST(Tasks, TaskEndHandsOnTheTurnAndTaskStartWithoutAFreeTaskGivesMinusOne) {
    WynPlat_SetClockReadStep(0);
    ScriptHost h;
    h.Write("SPIN.SNA", "Loop(-1) { $2 = $2 + 1; };");
    std::string main = "$2 = 0; $1 = SystemTime(0);";
    for (int t = 1; t < 20; ++t) main += " TaskStart(" + std::to_string(t) + ", \"SPIN\");";
    main += " $5 = TaskStart(-1, \"SPIN\"); $6 = IsTask(19);";
    for (int t = 1; t < 20; ++t) main += " TaskEnd(" + std::to_string(t) + ");";
    main += " $3 = SystemTime(0) - $1; $4 = IsTask(19);";
    h.Write("MAIN.SNA", main);
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(Num(h, 5), "-1");
    EXPECT_EQ(Num(h, 6), "-1");
    EXPECT_EQ(Num(h, 4), "0");
    EXPECT_EQ(Num(h, 3), "0") << "no turn waited for its time-out";
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{U8(u8"タスクの起動数が20を超えました。")});
    WynPlat_SetClockReadStep(100);
}

TEST(Tasks, ATaskEndingItselfStopsAtOnce) {
    ScriptHost h;
    h.Write("MAIN.SNA", "$1 = 1; TaskEnd(0); $1 = 2;");
    h.Run("MAIN");
    EXPECT_EQ(Num(h, 1), "1");
}

TEST(Tasks, ATaskSlotCanBeUsedAgainAndAgain) {
    ScriptHost h;
    h.Write("INIT.SNA", "$1 = 0;");
    h.Write("MAIN.SNA", "$A = 1; $1 = $1 + $A;");
    ASSERT_EQ(h.Run("INIT"), 0);
    for (int i = 0; i < 25; ++i) ASSERT_EQ(h.Run("MAIN"), 0) << "run " << i;
    EXPECT_EQ(Num(h, 1), "25");
}

TEST(Tasks, DeletingTheContextEndsAndJoinsRunningTasks) {
    auto h = std::make_unique<ScriptHost>();
    h->Write("SPIN.SNA", "Loop(-1) { $1 = $1 + 1; };");
    h->Write("SLEEP.SNA", "Loop(-1) { Wait(5000); };");
    h->Write("MAIN.SNA",
             "$1 = 0; TaskStart(1, \"SPIN\"); TaskStart(2, \"SLEEP\"); Loop(-1) { Wait(1); };");
    VSKVAL_CreateLocal(*h, 0, nullptr);
    ASSERT_EQ(VSKEXEC_ExecuteTask(*h, 0, "MAIN"), 0);
    for (int i = 0; i < 50; ++i) VSKEXEC_SystemTask(*h), Sleep(10);
    EXPECT_EQ(VSKEXEC_TaskLive(*h, 2), 1);
    h.reset();  // VSKVAL_Delete: end flags, wake-ups, joins
}

// ---- the evaluator ----

struct CalcCase {
    const char* source;
    const char* expect;  // display text of $1
};
const CalcCase kCalcs[] = {
    {"$1 = $2 = 3; $1 = $1 + $2;", "6"},
    {"$1 = 1 + 2 * 3;", "7"},
    {"$1 = 2 ^ 3 ^ 2;", "64"},
    // Levels against each other: ^ above *; % below * and / and above +.
    {"$1 = 2 * 3 ^ 2;", "18"},
    {"$1 = 7 % 4 * 2;", "7"},
    {"$1 = 10 % 8 / 2;", "2"},
    {"$1 = 2 * 7 % 4;", "2"},
    {"$1 = 1 + 7 % 4;", "4"},
    {"$1 = 7 % 4 + 1;", "4"},
    {"$1 = 7 ? 2;", "3"},
    {"$1 = -7 ? 2;", "-3"},
    {"$1 = 7 % 2;", "1"},
    {"$1 = 1 + 2 == 3;", "-1"},
    {"$1 = 3 == 1 + 2;", "-1"},
    {"$1 = (1 == 1) && (2 == 2);", "1"},
    {"$1 = (1 == 1) || 0;", "1"},
    {"$1 = 3 < 2 || 0;", "0"},
    {"$1 = 6 & 3 | 8;", "10"},
    {"$1 = 5 ~ 1;", "4"},
    {"$1 = 1 / 3;", "0.333333333"},
    {"$1 = -(2 + 3) * 2;", "-10"},
    {"$1 = !0;", "-1"},
    {"$2 = 5; $1 = $2++; $1 = $1 * 10 + $2;", "56"},
    {"$2 = 5; $1 = $2--; $1 = $1 * 10 + $2;", "54"},
    {"#5 = 9; $1 = #3[2];", "9"},
    {"$7 = 4; $1 = $(3 + 4) + $5[2];", "8"},
    {"$A = 4; $Z = 1; $1 = $A * 2 + $Z;", "9"},
    {"$2 = \"ab\"; $1 = -$2;", "\"ab\""},
    {"$2 = \"ab\"; $1 = !$2;", "\"ab\""},
    {"$1 = \"ab\" + \"cd\";", "\"abcd\""},
    {"$1 = \"ab\" == \"ab\";", "-1"},
};

TEST(Evaluator, OperatorsBindByTheirLevels) {
    for (const CalcCase& c : kCalcs) {
        ScriptHost h;
        h.Write("MAIN.SNA", c.source);
        Boxes boxes;
        h.Run("MAIN");
        EXPECT_EQ(Num(h, 1), c.expect) << c.source;
        EXPECT_EQ(boxes.Count(), 0u) << c.source;
    }
}

struct FailCase {
    std::string source;
    const char8_t* message;
};
const FailCase kFails[] = {
    {"$1 = 2 ^ 0.5; $1 = 1;", u8"べき乗数は整数しか設定できません。"},
    {"$1 = #3[\"x\"]; $1 = 1;", u8"配列番号に数値以外の値が指定されています。"},
    {"$1 = 1 / 0; $1 = 1;", u8"０で除算しています。"},
    {"$1 = \"a\" * 2; $1 = 1;", u8"指定された2つのFAQの型が数値型ではありません。"},
    // The compiler takes a literal of 1000 units; the value library holds 999 at most.
    {"$1 = \"" + std::string(1000, 'x') + "\"; $1 = 1;", u8"文字列が1000文字を超えました。"},
};

TEST(Evaluator, AFailingStatementStopsTheTask) {
    for (const FailCase& c : kFails) {
        ScriptHost h;
        h.Write("MAIN.SNA", c.source);
        Boxes boxes;
        h.Run("MAIN");
        EXPECT_EQ(Num(h, 1), "NULL") << c.source;
        auto texts = boxes.Texts();
        ASSERT_FALSE(texts.empty()) << c.source;
        EXPECT_EQ(texts[0], U8(c.message)) << c.source;
    }
}

TEST(Evaluator, AJoinPast999UnitsKeepsTheLeftStringAndGoesOn) {
    ScriptHost h;
    const std::string a(600, 'a');
    // The refused join leaves the left side; the next join and the next statement still run.
    h.Write("MAIN.SNA", "$2 = \"" + a + "\"; $1 = $2 + $2 + \"b\"; $3 = 1;");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(Num(h, 1), "\"" + a + "b\"");
    EXPECT_EQ(Num(h, 3), "1");
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{U8(u8"文字列の連結で1000文字を超えました。")});
}

TEST(Evaluator, AssignmentsReleaseWhatTheVariableHeld) {
    ScriptHost h;
    // Without the release the heap would fill with the old strings and refuse new ones.
    h.Write("MAIN.SNA", "Loop(20000) { $1 = \"0123456789012345678901234567890123456789\"; };");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(Num(h, 1), "\"0123456789012345678901234567890123456789\"");
}

// Statements on whole numbers leave the very record the value library makes: the first
// operand's variable record with its number changed (its other words and its count of stores
// kept, the count moved on by the store), a fresh number after a constant or a comparison, a
// negative zero kept where the library keeps it, and the library's message where a result
// leaves the range. $5 is set up before the run as a whole number whose spare words hold
// marks, $6 as a negative zero.
struct WholeCase {
    const char* source;
    // What the value library makes of $5 (b: its second operand), or of a fresh number.
    void (*expect)(tagVALUAREA* ctx, tagVALUE* v);
    const char8_t* message;  // the last message, nullptr: none
};
tagVALUE Number(tagVALUAREA* ctx, int sign, int integer) {
    tagVALUE v{};
    VSKFAQ_Number(ctx, &v, sign, integer, 0);
    return v;
}
const WholeCase kWholes[] = {
    {"$1 = $5 + 1;",
     [](tagVALUAREA* c, tagVALUE* v) {
         tagVALUE b = Number(c, 1, 1);
         VSKFAQ_Add(c, v, &b);
     }},
    {"$1 = $5 * 3 % 7;",
     [](tagVALUAREA* c, tagVALUE* v) {
         tagVALUE b = Number(c, 1, 3), m = Number(c, 1, 7);
         VSKFAQ_Mul(c, v, &b);
         VSKFAQ_Mod(c, v, &m);
     }},
    {"$1 = $5 - 50 * 2;",
     [](tagVALUAREA* c, tagVALUE* v) {
         tagVALUE b = Number(c, 1, 100);
         VSKFAQ_Sub(c, v, &b);
     }},
    {"$1 = -$5 % 5;",
     [](tagVALUAREA* c, tagVALUE* v) {
         tagVALUE b = Number(c, 1, 5);
         VSKFAQ_Neg(c, v);
         VSKFAQ_Mod(c, v, &b);
     }},
    {"$1 = ($5);", [](tagVALUAREA*, tagVALUE*) {}},
    {"$1 = 3 + $5;",
     [](tagVALUAREA* c, tagVALUE* v) {
         tagVALUE b = *v;
         *v = Number(c, 1, 3);
         VSKFAQ_Add(c, v, &b);
     }},
    {"$1 = $5 > 3;", [](tagVALUAREA* c, tagVALUE* v) { VSKFAQ_Bool(c, v, 1); }},
    {"$1 = $6;", [](tagVALUAREA* c, tagVALUE* v) { *v = c->vbuser.lpvalue[6]; }},
    {"$1 = -$6;",
     [](tagVALUAREA* c, tagVALUE* v) {
         *v = c->vbuser.lpvalue[6];
         VSKFAQ_Neg(c, v);
     }},
    {"$1 = $6 * 1;",
     [](tagVALUAREA* c, tagVALUE* v) {
         tagVALUE b = Number(c, 1, 1);
         *v = c->vbuser.lpvalue[6];
         VSKFAQ_Mul(c, v, &b);
     }},
    {"$1 = 999999999 + 1; $1 = 1;", nullptr, u8"加算により、数値が有効桁を超えました。"},
    {"$1 = -999999999 - 1; $1 = 1;", nullptr, u8"減算により、数値が有効桁を超えました。"},
    {"$1 = 99999 * 99999; $1 = 1;", nullptr, u8"乗算により、数値が有効桁を超えました。"},
    {"$1 = $5 % 0; $1 = 1;", nullptr, u8"０で剰余しています。"},
};

TEST(Evaluator, WholeNumbersLeaveTheRecordsOfTheValueLibrary) {
    for (const WholeCase& c : kWholes) {
        ScriptHost h;
        tagVALUE five = Number(h, 1, 42);
        five.flag = 7;
        VskSetDword(&five, 2, 0x1234);
        VskSetDword(&five, 3, 0x5678);
        h.ctx()->vbuser.lpvalue[5] = five;
        h.ctx()->vbuser.lpvalue[6] = Number(h, -1, 0);
        h.Write("MAIN.SNA", c.source);
        Boxes boxes;
        h.Run("MAIN");
        if (c.message) {
            EXPECT_EQ(Num(h, 1), "NULL") << c.source;
            // The range check's own message comes first where the library gives one.
            auto texts = boxes.Texts();
            ASSERT_FALSE(texts.empty()) << c.source;
            EXPECT_EQ(texts.back(), U8(c.message)) << c.source;
            continue;
        }
        EXPECT_EQ(boxes.Count(), 0u) << c.source;
        tagVALUE want = five;
        c.expect(h, &want);
        want.flag = WORD(want.flag + 1);
        tagVALUE got = h.User(1);
        EXPECT_EQ(got.mode, want.mode) << c.source;
        EXPECT_EQ(got.flag, want.flag) << c.source;
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(got.word[k], want.word[k]) << c.source << " word " << k;
        EXPECT_EQ(got.reserved, want.reserved) << c.source;
    }
}

// ---- binding ----

TEST(Binding, CaseDoesNotMatterInLibraryAndCommandNames) {
    ScriptHost h;
    h.Link(fs::path(VSK_TEST_PROGRAMS_DIR) / "VSKTEST.DLL", "SCREEN.DLL");
    h.Write("MAIN.SNA", "$1 = Screen:Create(); $2 = SCREEN:CREATE(); $3 = $2 - $1;");
    h.Run("MAIN");
    EXPECT_EQ(Num(h, 3), "1") << "both calls reached the one export VSK_CREATE";
    EXPECT_EQ(h.ctx()->libname[0], std::string("SCREEN"));
}

TEST(Binding, TheFrameOfACall) {
    ScriptHost h;
    h.Write("MAIN.SNA",
            "$1 = VSKTEST:FRAME(1,,3); $2 = VSKTEST:FRAME(); $3 = VSKTEST:FRAME(\\$5, \"s\");");
    h.Run("MAIN");
    EXPECT_EQ(Num(h, 1), "\"4|N1|Z|N3|Z|\"");
    EXPECT_EQ(Num(h, 2), "\"1|Z|\"");
    EXPECT_EQ(Num(h, 3), "\"3|V|S|Z|\"");
}

TEST(Binding, TwentyLibrariesAndAHundredCommandsAtMost) {
    ScriptHost h;
    std::string script;
    for (int i = 1; i <= 21; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "L%02d", i);
        h.Link(fs::path(VSK_TEST_PROGRAMS_DIR) / "VSKTEST.DLL", std::string(name) + ".DLL");
        script += std::string("$") + std::to_string(i) + " = " + name + ":NOP();";
    }
    h.Write("LIBS.SNA", script);
    script.clear();
    for (int c = 10; c <= 110; ++c)
        script += "$" + std::to_string(c) + " = VSKTEST:C" + std::to_string(c) + "();";
    h.Write("CMDS.SNA", script);
    {
        Boxes boxes;
        h.Run("LIBS");
        EXPECT_EQ(Num(h, 20), "0");
        EXPECT_EQ(Num(h, 21), "NULL");
        EXPECT_EQ(boxes.Texts(), std::vector<std::string>{
                                     U8(u8"拡張コマンド・ライブラリが20個以上使用されています。")});
    }
    for (int i = 0; i < VSK_LIBRARIES; ++i) {  // a fresh table for the next script
        if (h.ctx()->libname[i][0]) FreeLibrary(h.ctx()->hlib[i]);
        h.ctx()->libname[i][0] = 0;
    }
    {
        Boxes boxes;
        h.Run("CMDS");
        EXPECT_EQ(Num(h, 109), "109");
        EXPECT_EQ(Num(h, 110), "NULL");
        EXPECT_EQ(boxes.Texts(),
                  std::vector<std::string>{U8(u8"拡張コマンドが100個以上使用されています。")});
    }
}

struct MissingCase {
    const char* call;
    const char8_t* message;  // after the executor's folder where it names the file
    bool path;
};
const MissingCase kMissing[] = {
    {"NOLIB:X()", u8"\\NOLIB.DLL\" が見つかりません。", true},
    {"LONGNAMES:X()", u8"\\LONGNAMES.DLL\" が見つかりません。", true},
    {"VSKTEST:NOSUCH()", u8"拡張コマンド \"VSKTEST:NOSUCH\" が見つかりません。", false},
    {"VSKTEST:A234567890123456789012345678()",
     u8"拡張コマンド \"VSKTEST:A234567890123456789012345678\" が見つかりません。", false},
};

TEST(Binding, MissingLibrariesAndCommandsAreReported) {
    for (const MissingCase& c : kMissing) {
        ScriptHost h;
        h.Write("MAIN.SNA", std::string("$1 = 1; ") + c.call + "; $1 = 2;");
        Boxes boxes;
        h.Run("MAIN");
        EXPECT_EQ(Num(h, 1), "1") << c.call;
        auto texts = boxes.Texts();
        ASSERT_EQ(texts.size(), 1u) << c.call;
        if (c.path)
            EXPECT_TRUE(texts[0].ends_with(U8(c.message))) << texts[0];
        else
            EXPECT_EQ(texts[0], U8(c.message));
    }
}

// A stand-in for the outside tracer: its window, its two events and its mailslot, read on a
// thread of its own that answers each record.
class StandInTracer {
  public:
    explicit StandInTracer(bool window) {
        on_ = CreateEventA(nullptr, FALSE, FALSE, "VskMsgOn");
        off_ = CreateEventA(nullptr, TRUE, FALSE, "VskMsgOff");
        slot_ = CreateMailslotA("\\\\.\\mailslot\\vsk\\message", 0, 0, nullptr);
        if (window) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = DefWindowProcA;
            wc.lpszClassName = VSK_TRACER_CLASS;
            RegisterClassA(&wc);
            hwnd_ = CreateWindowExA(0, VSK_TRACER_CLASS, "tracer", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                    100, nullptr, nullptr, nullptr, nullptr);
        }
        // A thread of CreateThread counts for the virtual clock from its creation: time does not
        // run past the channel's answer wait before the reader has started.
        reader_ = CreateThread(nullptr, 0, &StandInTracer::Read, this, 0, nullptr);
    }
    ~StandInTracer() {
        stop_ = true;
        WaitForSingleObject(reader_, INFINITE);
        CloseHandle(reader_);
        if (hwnd_) DestroyWindow(hwnd_);
        CloseHandle(slot_);
        CloseHandle(on_);
        CloseHandle(off_);
    }
    std::vector<std::string> Lines() {
        std::lock_guard<std::mutex> g(m_);
        return lines_;
    }

  private:
    static DWORD WINAPI Read(LPVOID self) {
        auto* t = static_cast<StandInTracer*>(self);
        while (!t->stop_) {
            if (WaitForSingleObject(t->on_, 50) != WAIT_OBJECT_0) continue;
            char record[256] = {};
            DWORD got = 0;
            if (ReadFile(t->slot_, record, sizeof record, &got, nullptr)) {
                std::lock_guard<std::mutex> g(t->m_);
                t->lines_.push_back(record);
            }
            SetEvent(t->off_);
        }
        return 0;
    }

    HANDLE on_, off_, slot_;
    HWND hwnd_ = nullptr;
    std::atomic<bool> stop_{false};
    HANDLE reader_;
    std::mutex m_;
    std::vector<std::string> lines_;
};

TEST(Tracer, TraceLinesAndScriptNamesReachATracer) {
    ScriptHost h;
    h.ctx()->debug = VSK_DEBUG_TRACE;
    h.Write("MAIN.SNA", "Wait(1);\nVSKTEST:NOP(\"x\", 2);");
    {
        StandInTracer tracer(true);
        h.Run("MAIN");
        auto lines = tracer.Lines();
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_TRUE(lines[0].starts_with("0 @N ")) << lines[0];
        EXPECT_TRUE(lines[0].ends_with("MAIN.SNA")) << lines[0];
        EXPECT_EQ(lines[1], "0 TASK00    1 WAIT");
        EXPECT_EQ(lines[2], "0 TASK00    2 VSKTEST:NOP");
        EXPECT_EQ(lines[3], "0 @N MAIN");
    }
    h.ctx()->debug = VSK_DEBUG_TRACE | VSK_DEBUG_VALUES;
    {
        StandInTracer tracer(true);
        h.Run("MAIN");
        auto lines = tracer.Lines();
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[1], "0 TASK00    1 WAIT( 1 )");
        EXPECT_EQ(lines[2], "0 TASK00    2 VSKTEST:NOP( \"x\", 2 )");
    }
    {
        StandInTracer tracer(false);  // events and mailslot, but no tracer window
        h.Run("MAIN");
        EXPECT_TRUE(tracer.Lines().empty());
    }
}

TEST(Tracer, ATracerThatStopsAnsweringHoldsATaskFiveSecondsAtMost) {
    WynPlat_SetClockReadStep(0);
    ScriptHost h;
    HANDLE on = CreateEventA(nullptr, FALSE, FALSE, "VskMsgOn");
    HANDLE off = CreateEventA(nullptr, TRUE, FALSE, "VskMsgOff");
    DWORD t0 = timeGetTime();
    EXPECT_EQ(VSKEXEC_SendTracer(h, "hello"), 0);
    EXPECT_EQ(timeGetTime() - t0, 5000u);
    CloseHandle(on);
    CloseHandle(off);
    EXPECT_EQ(VSKEXEC_SendTracer(h, "hello"), 0) << "no tracer at all";
    WynPlat_SetClockReadStep(100);
}

}  // namespace
