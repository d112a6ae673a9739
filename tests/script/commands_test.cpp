// The standard, file and string command libraries, called from scripts the way a script host
// runs them; each case a script and the display texts it leaves in user variables.
#include <mmsystem.h>

#include <set>
#include <string>
#include <vector>

#include "vsk_host_support.h"

using namespace vsktest;

namespace {

// The cases run beside two sub-scripts they may call.
void RunCases(const ScriptCase* cases, size_t count) {
    RunScriptCases(cases, count, [](ScriptHost& h) {
        h.Write("SUB.SNA", "Return($B + $C);");
        h.Write("SUB2.SNA", "For(\\$Z, 1, 10, 1) { If($Z == 3) { Return($Z * 10); }; };");
    });
}

// ---- control flow ----
const ScriptCase kControl[] = {
    {"$1 = \"\"; For(\\$A, 1, 3, 1) { $1 = $1 + String:Dec($A); }; $1 = $1 + String:Dec($A);",
     {{1, "\"1234\""}}},
    {"$1 = \"\"; For(\\$A, 3, 1, -1) { $1 = $1 + String:Dec($A); };", {{1, "\"321\""}}},
    {"$1 = \"\"; For(\\$A, 3, 1, 1) { $1 = \"ran\"; }; $2 = $A;", {{1, "\"\""}, {2, "3"}}},
    {"If(0.5) { $1 = 1; } ELSE { $1 = 2; }; If(-0.5) { $2 = 1; } ELSE { $2 = 2; };",
     {{1, "2"}, {2, "1"}}},
    {"$1 = 0; Loop(0) { $1 = 1; }; Loop(-1) { $1 = $1 + 1; If($1 == 5) { Break(0); }; };",
     {{1, "5"}}},
    {"$1 = 0; While($1 < 4) { $1 = $1 + 1; };", {{1, "4"}}},
    {"$1 = \"\"; Loop(2) { Switch(2) { Case(1) { $1 = $1 + \"a\"; };"
     " Case(2) { $1 = $1 + \"b\"; Break(0); $1 = $1 + \"x\"; }; $1 = $1 + \"y\"; };"
     " $1 = $1 + \"L\"; };",
     {{1, "\"bLbL\""}}},
    {"$1 = Gosub(\"SUB\", 2, 3); $2 = ValueType(\\#4); $3 = Gosub(\"SUB2\");",
     {{1, "5"}, {2, "0"}, {3, "30"}}},
    {"$1 = 1; Exit(7); $1 = 2;", {{1, "1"}}},
};

TEST(StandardCommands, ControlFlow) { RunCases(kControl, std::size(kControl)); }

TEST(StandardCommands, ReturnAndExitReleaseWhatTheReturnSlotHeld) {
    ScriptHost h;
    h.Write("SUB.SNA", "Return(\"a fairly long string that would stay in the heap\");");
    h.Write("MAIN.SNA", "Loop(3000) { #4 = \"held\"; $1 = Gosub(\"SUB\"); };");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(boxes.Count(), 0u) << "the heap never filled";
    h.Write("EXIT.SNA", "#4 = \"held\"; Exit(7);");
    h.Run("EXIT");
    EXPECT_EQ(Text(h, h.ctx()->vbsystem.lpvalue[4]), "7");
}

// ---- tasks, time and keys ----
const ScriptCase kTasks[] = {
    {"WaitStart(5); $1 = WaitEnd(1);", {{1, "0"}}},
    {"WaitStart(1000); $1 = WaitEnd(1); $2 = WaitEnd(0); $3 = WaitEnd(1);",
     {{1, "0"}, {2, "-1"}, {3, "0"}}},
    {"DebugWait(0); $9 = SystemTime(0); Wait(5000); $1 = SystemTime(0) - $9 < 10;"
     " WaitStart(1000); $2 = WaitEnd(1); DebugWait(1);",
     {{1, "-1"}, {2, "-1"}}},
    {"#2 = 3.000000004; #3 = 5.000000006; ClearKey(1);"
     " $1 = VSKTEST:WORDS(2) + \";\" + VSKTEST:WORDS(3); ClearKey(0); $2 = VSKTEST:WORDS(2);",
     {{1, "\"0,4,0,0;0,6,0,0\""}, {2, "\"0,0,0,0\""}}},
    {"$1 = IsTask(20); $2 = IsTask(-1); $3 = IsTask(0); $4 = GetTask(0);",
     {{1, "0"}, {2, "0"}, {3, "-1"}, {4, "0"}}},
    {"$1 = SystemTime(5); $2 = SystemTime(1) >= 0;", {{1, "5"}, {2, "-1"}}},
    {"$1 = Int(Clock(0));", {{1, "20010101"}}},
};

TEST(StandardCommands, TasksTimeAndKeys) { RunCases(kTasks, std::size(kTasks)); }

TEST(StandardCommands, TheMillisecondCountStaysANumberAfterDays) {
    ScriptHost h;
    WynPlat_AdvanceClock(uint64_t(2500000000) * 1000);  // 28.9 days
    h.Write("MAIN.SNA", "$1 = SystemTime(0); $2 = $1 >= 0 && $1 <= 999999999;");
    h.Run("MAIN");
    EXPECT_EQ(h.UserText(2), "1") << h.UserText(1);
}

TEST(StandardCommands, KeysComeThroughTheHostsMailbox) {
    ScriptHost h;
    h.keys['A'] = -128;     // held
    h.keys[VK_ESCAPE] = 1;  // pressed since the last ask
    h.Write("MAIN.SNA",
            "TableKey(100); $1 = ScanKey(65); $2 = AsyncKey(66); $3 = Key(0); $4 = Key(1);");
    h.Run("MAIN");
    EXPECT_EQ(h.UserText(165), "-1");
    EXPECT_EQ(h.UserText(164), "0");
    EXPECT_EQ(h.UserText(355), "0");
    EXPECT_EQ(h.UserText(356), "NULL") << "256 keys from $100 on";
    EXPECT_EQ(h.UserText(1), "-1");
    EXPECT_EQ(h.UserText(2), "0");
    EXPECT_EQ(h.UserText(3), "27") << "Escape pressed";
    EXPECT_EQ(h.UserText(4), "0") << "but not held";
    EXPECT_EQ(h.served[VSK_HOST_KEYBOARD], 1);
}

TEST(StandardCommands, AMessageBoxTurnsBackslashNIntoALineBreak) {
    ScriptHost h;
    h.Write("MAIN.SNA", "$1 = MessageBox(\"cap\", \"a\\nb\", 2);");
    Boxes boxes;
    h.Run("MAIN");
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.All()[0].caption, "cap");
    EXPECT_EQ(boxes.All()[0].text, "a\r\nb");
    EXPECT_EQ(h.UserText(1), "7") << "No, the safe answer of a Yes/No box";
}

// ---- numbers, rectangles and values ----
const ScriptCase kNumbers[] = {
    {"$1 = Abs(-2.5); $2 = Flag(-3); $3 = Int(-2.5); $4 = Decimal(-2.5);",
     {{1, "2.5"}, {2, "-1"}, {3, "-2"}, {4, "-0.5"}}},
    {"$1 = Root(2); $2 = Root(0.25);", {{1, "1.414213562"}, {2, "0.5"}}},
    {"$1 = Range(5, 1, 3); $2 = Range(0, 1, 3); $3 = Range(2, 1, 3);",
     {{1, "3"}, {2, "1"}, {3, "2"}}},
    {"$1 = Isin(30); $2 = Icos(120); $3 = Isin(-90); $4 = Icos(405); $5 = Isin(225);",
     {{1, "5000"}, {2, "-5000"}, {3, "-10000"}, {4, "7071"}, {5, "-7071"}}},
    {"$1 = InRect(SetRect(0,0,10,10), SetRect(5,5,0,0)); $2 = InRect(SetRect(10,10,0,0),"
     " SetRect(10,10,0,0)); $3 = InRect(SetRect(0,0,10,10), SetRect(10,0,5,5));",
     {{1, "-1"}, {2, "-1"}, {3, "0"}}},
    {"$1 = SetRect(1,2,3,4); SetRectXsize(\\$1, 30); $2 = GetRectXsize($1);",
     {{1, "{1,2,30,4}"}, {2, "30"}}},
    {"$1 = Pixel(40, -3, 16);", {{1, "31760"}}},
    {"$1 = SetBit(5, 0, 0); $2 = GetBit(4, 60); $3 = SetBit(0, 28, 1); $4 = GetBit(-4, 2);",
     {{1, "4"}, {2, "1"}, {3, "0.000000001"}, {4, "1"}}},
    {"$1 = SetColumn(1234, 1, 9); $2 = GetColumn(0.5, 17); $3 = SetColumn(-1234, 1, 9);",
     {{1, "1294"}, {2, "5"}, {3, "-1294"}}},
    {"$1 = SetColumnHex(0, 2, 10); $2 = GetColumnHex(2560, 2); $3 = SetColumnHex2(0, 6, 255);"
     " $4 = GetColumnHex2(0x12345, 1);",
     {{1, "2560"}, {2, "10"}, {3, "251658240"}, {4, "52"}}},
    {"$1 = Calc(\"1 + 2 * 3\"); $2 = ValueType(\\$1); $3 = \"x\"; $4 = ValueType(\\$3);",
     {{1, "7"}, {2, "78"}, {4, "83"}}},
    {"$1 = 1; $2 = \"two\"; Swap(\\$1, \\$2); Clear(\\$2);", {{1, "\"two\""}, {2, "NULL"}}},
    {"$A = \"A\"; $B = \"B\"; $C = \"B\"; $1 = SearchValue(\"B\", \\$A, 3, 1);"
     " $2 = SearchValue(7, \\$A, 3, 1);",
     {{1, "1"}, {2, "-1"}}},
    {"$2 = Alloc(\\$1, 16); Free(\\$1); $3 = ValueType(\\$1);", {{2, "{16(+0)}"}, {3, "0"}}},
    {"SetIniFile(#11 + \"\\T.INI\", \"S\", \"K\", \"v\");"
     " $1 = GetIniFile(#11 + \"\\T.INI\", \"S\", \"K\", \"d\");"
     " $2 = GetIniFile(#11 + \"\\T.INI\", \"S\", \"NONE\", \"d\");",
     {{1, "\"v\""}, {2, "\"d\""}}},
    {"$1 = Random(1, 2); $2 = $1 > 1 && $1 <= 2;", {{2, "1"}}},
};

TEST(StandardCommands, NumbersRectanglesAndValues) { RunCases(kNumbers, std::size(kNumbers)); }

TEST(StandardCommands, CalcTakesTheLongestString) {
    ScriptHost h;
    std::string expr = "1";
    for (int i = 0; i < 499; ++i) expr += "+1";  // 999 bytes
    ASSERT_EQ(expr.size(), 999u);
    h.Write("MAIN.SNA", "$1 = Calc(\"" + expr + "\");");
    h.Run("MAIN");
    EXPECT_EQ(h.UserText(1), "500");
}

TEST(StandardCommands, RootOfANegativeNumberStopsTheTask) {
    ScriptHost h;
    h.Write("MAIN.SNA", "$1 = 1; $1 = Root(-4); $1 = 2;");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(h.UserText(1), "1");
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{U8(u8"負の数の平方根は求められません。")});
}

TEST(StandardCommands, ArgumentChecksNameTheCommand) {
    ScriptHost h;
    h.Write("MAIN.SNA", "$1 = 1; TaskSuper(\"x\"); $1 = 2;");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(h.UserText(1), "1");
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{
                  U8(u8"関数(TaskSuper)において、第1引数は数値型でなければなりません。")});
}

// ---- files ----
const ScriptCase kFiles[] = {
    {"$1 = File:Size(\"MISSING.DAT\"); $2 = File:Size(\"EMPTY.DAT\"); $3 = "
     "File:Exist(\"EMPTY.DAT\");"
     " $4 = File:Exist(\"MISSING.DAT\");",
     {{1, "-1"}, {2, "0"}, {3, "-1"}, {4, "0"}}},
    {"$A = 1.5; $B = \"ab\"; $1 = File:Write(\"S.DAT\", 0, \\$A, 2);"
     " $2 = File:Read(\"S.DAT\", 1, \\$C, 5); $3 = $C;",
     {{1, "2"}, {2, "1"}, {3, "\"ab\""}}},
    {"$1 = File:Entry(\"X:\\NOFILE\");", {{1, "\"\""}}},
    {"$1 = File:Rename(\"EMPTY.DAT\", \"MOVED.DAT\"); $2 = File:Exist(\"MOVED.DAT\");"
     " $3 = File:Delete(\"MOVED.DAT\"); $4 = File:Exist(\"MOVED.DAT\");",
     {{1, "-1"}, {2, "-1"}, {3, "-1"}, {4, "0"}}},
    {"$1 = File:ReadBlock(\"TEN.BIN\", \\$2);", {{1, "10"}, {2, "{10(+0)}"}}},
    {"$A = 9; $1 = File:Search(\\$A, \"*.NONE\");", {{1, "0"}}},
};

TEST(FileCommands, FilesAndValueFiles) {
    for (const ScriptCase& c : kFiles) {
        ScriptHost h;
        h.Write("EMPTY.DAT", "");
        h.Write("TEN.BIN", "0123456789");
        h.Write("MAIN.SNA", c.source);
        h.Run("MAIN");
        for (auto& [n, text] : c.expect) EXPECT_EQ(h.UserText(n), text) << c.source << " $" << n;
    }
}

TEST(FileCommands, SearchStoresEveryMatchingName) {
    ScriptHost h;
    for (const char* f : {"A.DAT", "B.DAT", "C.DAT", "D.TXT"}) h.Write(f, "x");
    h.Write("MAIN.SNA", "$1 = File:Search(\\$A, \"*.DAT\");");
    h.Run("MAIN");
    EXPECT_EQ(h.UserText(1), "3");
    std::set<std::string> names;
    // The task's local frame is gone once it ended: the names again, into user variables.
    h.Write("KEEP.SNA", "$1 = File:Search(\\$100, \"*.DAT\");");
    h.Run("KEEP");
    for (int n = 100; n < 103; ++n) names.insert(h.UserText(n));
    EXPECT_EQ(names, (std::set<std::string>{"\"A.DAT\"", "\"B.DAT\"", "\"C.DAT\""}));
    EXPECT_EQ(h.UserText(103), "NULL");
}

TEST(FileCommands, ReadBlockOfAFileThatCannotBeReadGivesMinusOne) {
    ScriptHost h;
    h.Write("MAIN.SNA", "$2 = 5; $1 = File:ReadBlock(\"NOPE.BIN\", \\$2);");
    Boxes boxes;
    h.Run("MAIN");
    EXPECT_EQ(h.UserText(1), "-1");
    EXPECT_EQ(h.UserText(2), "5") << "the variable is left as it was";
}

// ---- strings ----
const ScriptCase kStrings[] = {
    {"$1 = String:Get(\"ABCDE\", -1, 2); $2 = String:Get(\"ABCDE\", 3, 10);"
     " $3 = String:Get(\"ABCDE\", 1, 0); $4 = String:Get(\"ABCDE\", 9, 2);",
     {{1, "\"DE\""}, {2, "\"DE\""}, {3, "\"\""}, {4, "\"\""}}},
    {"$1 = String:Set(\"ABCDE\", 3, \"XYZ\"); $2 = String:Set(\"ABC\", 5, \"X\");"
     " $3 = String:Set(\"ABC\", -2, \"X\");",
     {{1, "\"ABCXY\""}, {2, "\"\""}, {3, "\"XBC\""}}},
    {"$1 = String:Search(\"abc\", 0, \"cd\"); $2 = String:Search(\"abc\", 5, \"a\");"
     " $3 = String:Search(\"abc\", -3, \"a\"); $4 = String:Search(\"abcb\", 2, \"b\");",
     {{1, "2"}, {2, "-1"}, {3, "0"}, {4, "3"}}},
    {"$1 = String:Token(\"a,b,c\", \",\", 1); $2 = String:Token(\"a,b\", \",\", 5);"
     " $3 = String:Token(\"a::b::c\", \"::\", 2); $4 = String:Token(\"a,b\", \",\", -1);",
     {{1, "\"b\""}, {2, "\"\""}, {3, "\"c\""}, {4, "\"a\""}}},
    {"$1 = String:Date(20040517); $2 = String:Time(20241208.000103045);",
     {{1, "\"2004/05/17\""}, {2, "\"10:30:45\""}}},
    {"$1 = String:Number(\"x12.5y\", 1); $2 = String:Number(\"12\", 2);"
     " $3 = String:Number(\"7\", -2);",
     {{1, "12.5"}, {2, "0"}, {3, "7"}}},
    {"$1 = String:Length(\"abc\"); $2 = String:Ascii(\"A\"); $3 = String:Ascii(\"\");"
     " $4 = String:Length(String:Chr(0x82A0)); $5 = String:Ascii(String:Chr(0x82A0));",
     {{1, "3"}, {2, "65"}, {3, "0"}, {4, "1"}, {5, "33440"}}},
    {"$1 = String:Hex(255, 3); $2 = String:Bin(5, 1); $3 = String:Dec(1.5);"
     " $4 = String:Hex(-1, 3);",
     {{1, "\"000000FF\""}, {2, "\"101\""}, {3, "\"1.5\""}, {4, "\"FFFFFFFF\""}}},
};

TEST(StringCommands, SubstringsSearchesTokensAndTexts) { RunCases(kStrings, std::size(kStrings)); }

}  // namespace
