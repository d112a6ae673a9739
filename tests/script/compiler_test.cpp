// The compiler: golden bytecode, number and variable codes, calls and their blocks, line
// markers, every error code with its error line, and the definition file.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scratch.h"
#include "vsk_test_support.h"
#include "vskcomp_internal.h"

using namespace vsktest;
using Raw = std::vector<uint8_t>;

namespace {

struct Result {
    bool ok;
    Raw code;
    int error, line;
    std::string message;  // the error line in UTF-8
};

Result Compile(const std::string& source, int line = 0) {
    auto* text = static_cast<BYTE*>(VSKTASK_AllocMemory(nullptr, source.size() + 1));
    std::memcpy(text, source.data(), source.size());
    tagCOMPBLOCK job{};
    std::strcpy(job.name, "TEST.SNA");
    job.line = line;
    job.lpoldtop = job.lpold = text;
    job.oldsize = DWORD(source.size() + 1);
    Result r{};
    r.ok = VSKCOMP_Comp(&job) == 1;
    if (r.ok) {
        r.code.assign(job.lpnewtop, job.lpnew);
        EXPECT_EQ(job.lpoldtop, nullptr);
        EXPECT_TRUE(vskcomp::CheckCode(job.lpnewtop, size_t(job.lpnew - job.lpnewtop)))
            << "the compiler wrote code its own check refuses: " << source;
        VSKTASK_FreeMemory(nullptr, job.lpnewtop);
    } else {
        EXPECT_EQ(job.lpnewtop, nullptr);
        VSKTASK_FreeMemory(nullptr, job.lpoldtop);
        char message[400];
        VSKCOMP_MakeErrorMessage(&job, message);
        r.message = Utf8(message);
    }
    r.error = VSKCOMP_GetError();
    r.line = VSKCOMP_GetLine();
    return r;
}

Raw Code(const std::string& source) {
    Result r = Compile(source);
    EXPECT_TRUE(r.ok) << source << ": " << r.message;
    return r.code;
}

// The argument codes of a one-call statement "A(...);" (between the record's arg and end).
Raw Arguments(const std::string& args) {
    Raw b = Code("A(" + args + ");");
    tagFUNC f = VskReadFunc(b.data());
    return Raw(b.begin() + f.arg, b.begin() + f.end);
}

class Definitions : public ::testing::Test {
  protected:
    void SetUp() override { vskcomp::ResetDefinitions(); }
    void TearDown() override { vskcomp::ResetDefinitions(); }
    int Define(const std::string& text) {
        return vskcomp::DefineText(nullptr, reinterpret_cast<const BYTE*>(text.data()),
                                   text.size());
    }
};

TEST(VskCompiler, WaitOneIsFortySevenBytes) {
    Raw want = {0x0F, 29,  0,   0,   0,   38, 0,   0,   0,   43,  0, 0,    0,    1,    0,   0,
                0,    0,   0,   0,   0,   0,  0,   0,   0,   46,  0, 0,    0,    'S',  'T', 'A',
                'N',  'D', 'A', 'R', 'D', 0,  'W', 'A', 'I', 'T', 0, 0x02, 0x01, 0x00, 0x00};
    EXPECT_EQ(Code("WAIT(1);"), want);
    EXPECT_EQ(want.size(), 47u);
    EXPECT_EQ(Code("print ( 1 ) ;"), Code("PRINT(1);"));
    EXPECT_EQ(Code("wait\t(1)\r;"), want);
    // Library names; a string keeps its blanks and letters as written.
    Raw lib = Code("screen:Create(\"a B\");");
    tagFUNC f = VskReadFunc(lib.data());
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&lib[f.lib])), "SCREEN");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&lib[f.func])), "CREATE");
    EXPECT_EQ(Raw(lib.begin() + f.arg, lib.begin() + f.end),
              (Raw{0x08, 3, 0, 'a', 0, ' ', 0, 'B', 0, 0, 0, 0x00}));
}

TEST(VskCompiler, NumbersTakeTheShortestCode) {
    struct Case {
        const char* source;
        Raw code;  // the argument's expression
    };
    const Case kCases[] = {
        {"0", {0x01}},
        {"127", {0x02, 0x7F}},
        {"-127", {0x94, 0x02, 0x7F}},
        {"128", {0x03, 0x80, 0x00}},
        {"-128", {0x94, 0x03, 0x80, 0x00}},
        {"32767", {0x03, 0xFF, 0x7F}},
        {"32768", {0x04, 0x00, 0x80, 0x00, 0x00}},
        {"-32768", {0x94, 0x04, 0x00, 0x80, 0x00, 0x00}},
        {"999999999", {0x04, 0xFF, 0xC9, 0x9A, 0x3B}},
        {"1.5", {0x05, 1, 0, 0, 0, 0x00, 0x65, 0xCD, 0x1D}},
        {".25", {0x05, 0, 0, 0, 0, 0x80, 0xB2, 0xE6, 0x0E}},
        {"0x7c00", {0x03, 0x00, 0x7C}},
        {"0b101", {0x02, 0x05}},
        {"!-1", {0x92, 0x94, 0x02, 0x01}},
        {"+5", {0x02, 0x05}},
        {"\"\"", {0x08, 0, 0, 0, 0}},
        {"\"\x82\xA0z\"", {0x08, 2, 0, 0xA0, 0x82, 'z', 0, 0, 0}},
    };
    for (const Case& c : kCases) {
        Raw want = c.code;
        want.push_back(0x00);  // the argument's end
        EXPECT_EQ(Arguments(c.source), want) << c.source;
    }
}

TEST(VskCompiler, VariablesIndexesAndOperators) {
    struct Case {
        const char* source;
        Raw code;  // the whole statement, before the block's end
    };
    const Case kCases[] = {
        {"$@;", {0x0E, '@'}},
        {"$z;", {0x0E, 'Z'}},
        {"#3[2];", {0x0C, 0x02, 0x03, 0x5B, 0x02, 0x02, 0x00}},
        {"$12;", {0x0D, 0x02, 0x0C}},
        {"$A[$B];", {0x0E, 'A', 0x5B, 0x0E, 'B', 0x00}},
        {"#$A;", {0x0C, 0x0E, 'A'}},
        {"$A=1+2*3;", {0x0E, 'A', 0x81, 0x02, 1, 0xA5, 0x02, 2, 0xA2, 0x02, 3}},
        {"$A++;", {0x0E, 'A', 0xD1}},
        {"$A--;", {0x0E, 'A', 0xD2}},
        {"(1==1)&&(2!=3);",
         {0x28, 0x02, 1, 0xB1, 0x02, 1, 0x00, 0xB7, 0x28, 0x02, 2, 0xB2, 0x02, 3, 0x00}},
        {"1>=2<=3>4<5;", {0x02, 1, 0xB5, 0x02, 2, 0xB6, 0x02, 3, 0xB3, 0x02, 4, 0xB4, 0x02, 5}},
        {"1^2%3?4/5-6|7&8~9||1;",
         {0x02, 1, 0xA1, 0x02, 2, 0xA4, 0x02, 3, 0xA7, 0x02, 4, 0xA3, 0x02, 5, 0xA6,
          0x02, 6, 0xC2, 0x02, 7, 0xC1, 0x02, 8, 0xC3, 0x02, 9, 0xB8, 0x02, 1}},
        {"1!2;", {0x02, 1, 0x92, 0x02, 2}},
        // A statement that begins with a prefix joins the one before it on its line: its
        // first byte reads as an operator byte.
        {"1;-2;", {0x02, 1, 0x94, 0x02, 2}},
    };
    for (const Case& c : kCases) {
        Raw want = c.code;
        want.push_back(0x00);
        EXPECT_EQ(Code(c.source), want) << c.source;
    }
    // A reference argument.
    EXPECT_EQ(Arguments("\\$B,\\#1"), (Raw{0x91, 0x0E, 'B', 0x00, 0x91, 0x0C, 0x02, 1, 0x00}));
}

TEST(VskCompiler, ArgumentsOmittedAndNone) {
    Raw three = Code("A(1,,3);");
    tagFUNC f = VskReadFunc(three.data());
    EXPECT_EQ(f.count, 3);
    EXPECT_EQ(Raw(three.begin() + f.arg, three.begin() + f.end),
              (Raw{0x02, 1, 0x00, 0x00, 0x02, 3, 0x00}));
    Raw none = Code("A();");
    f = VskReadFunc(none.data());
    EXPECT_EQ(f.count, 0);
    EXPECT_EQ(f.end, f.arg + 1);
    EXPECT_EQ(none[f.arg], 0x00);
    EXPECT_EQ(VskReadFunc(Code("A(,);").data()).count, 2);
    EXPECT_EQ(VskReadFunc(Code("A(\n1\n,\n2\n);").data()).count, 2);
}

TEST(VskCompiler, BraceBlocksAndElse) {
    Raw b = Code("IF(1){A();}ELSE{B();};");
    tagFUNC f = VskReadFunc(b.data());
    EXPECT_EQ(f.count, 1);
    EXPECT_EQ(f.true_, f.arg + 3);
    tagFUNC a = VskReadFunc(&b[f.true_]);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[f.true_ + a.func])), "A");
    EXPECT_EQ(b[f.true_ + a.end], 0x00);  // the brace block's end
    EXPECT_EQ(f.false_, f.true_ + a.end + 1);
    tagFUNC e = VskReadFunc(&b[f.false_]);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(&b[f.false_ + e.func])), "B");
    EXPECT_EQ(f.end, f.false_ + e.end + 1);
    EXPECT_EQ(b.size(), f.end + 1u);  // then the script's end
    // Without ELSE; and the final ";" is still needed after the last "}".
    tagFUNC only = VskReadFunc(Code("IF(1){\n};").data());
    EXPECT_NE(only.true_, 0u);
    EXPECT_EQ(only.false_, 0u);
    EXPECT_EQ(Compile("IF(1){A();}ELSE{B();}").error, VSKCOMP_ERR_SEMICOLON);
    EXPECT_EQ(Compile("IF(1){}\nELSE\n{};").ok, true);
}

TEST(VskCompiler, ALineMarkerWhereTheSourceBreaksBeforeAStatement) {
    Raw b = Code("\n\nA();\nB();C();\n");
    tagFUNC a = VskReadFunc(&b[3]);
    ASSERT_EQ(Raw(b.begin(), b.begin() + 3), (Raw{0x0A, 2, 0}));
    size_t at = 3 + a.end;
    EXPECT_EQ(Raw(b.begin() + long(at), b.begin() + long(at) + 3), (Raw{0x0A, 3, 0}));
    tagFUNC bb = VskReadFunc(&b[at + 3]);
    size_t c = at + 3 + bb.end;
    EXPECT_EQ(b[c], 0x0F);  // same line: no marker
    tagFUNC cc = VskReadFunc(&b[c]);
    EXPECT_EQ(Raw(b.begin() + long(c + cc.end), b.end()), (Raw{0x0A, 4, 0, 0x00}));
    // Lines count from the job's line; comments keep their line feeds.
    Raw from10 = Compile("// note\nA();", 10).code;
    EXPECT_EQ(Raw(from10.begin(), from10.begin() + 3), (Raw{0x0A, 11, 0}));
    // Inside a brace block.
    Raw inner = Code("IF(1){\nA();\n};");
    tagFUNC f = VskReadFunc(inner.data());
    EXPECT_EQ(Raw(inner.begin() + f.true_, inner.begin() + f.true_ + 3), (Raw{0x0A, 1, 0}));
}

TEST(VskCompiler, EveryErrorWithItsPassAndLine) {
    struct Case {
        std::string source;
        int error;
        const char8_t* message;
    };
    std::string name33(33, 'N'), args27 = "A(1";
    for (int i = 1; i < 27; ++i) args27 += ",1";
    args27 += ");";
    const Case kCases[] = {
        {"A(1);\nA(\x82\xA0);", 1,
         u8"TEST.SNA:PASS(1):LINE(2):コード中に全角コードが混在しています。(1)"},
        {"A(\x01);", 2, u8"TEST.SNA:PASS(1):LINE(1):コード中に制御コードが混在しています。(2)"},
        {"A(\"a\x01\");", 2,
         u8"TEST.SNA:PASS(1):LINE(1):コード中に制御コードが混在しています。(2)"},
        {"// \x01\nA();", 2,
         u8"TEST.SNA:PASS(1):LINE(1):コード中に制御コードが混在しています。(2)"},
        {"A(\"open);", 2, u8"TEST.SNA:PASS(1):LINE(1):コード中に制御コードが混在しています。(2)"},
        {"A((1);", 4, u8"TEST.SNA:PASS(2):LINE(1):括弧の階層が誤っています。(4)"},
        {"\nA(1));", 4, u8"TEST.SNA:PASS(2):LINE(2):括弧の階層が誤っています。(4)"},
        {"A(1]);", 4, u8"TEST.SNA:PASS(2):LINE(1):括弧の階層が誤っています。(4)"},
        {"$A[1,2];", 4, u8"TEST.SNA:PASS(3):LINE(1):括弧の階層が誤っています。(4)"},
        {"A(\"" + std::string(1001, 'x') + "\");", 6,
         u8"TEST.SNA:PASS(1):LINE(1):文字列が1000ワードを越えています。(6)"},
        {"A()\n\nB();", 7,
         u8"TEST.SNA:PASS(3):LINE(1):関数あるいは式の終端記号「;」がありません。(7)"},
        {"\nA() B();", 7,
         u8"TEST.SNA:PASS(3):LINE(2):関数あるいは式の終端記号「;」がありません。(7)"},
        {"A;", 8, u8"TEST.SNA:PASS(3):LINE(1):関数に引数括弧「(」がありません。(8)"},
        {"A(1;2);", 9, u8"TEST.SNA:PASS(3):LINE(1):関数の引数に不正記号が含まれています。(9)"},
        {"A((1;2));", 10, u8"TEST.SNA:PASS(3):LINE(1):式の構文に誤りがあります。(10)"},
        {";", 11, u8"TEST.SNA:PASS(3):LINE(1):関数名が不正です。(11)"},
        {"LIB:();", 11, u8"TEST.SNA:PASS(3):LINE(1):関数名が不正です。(11)"},
        {args27, 12, u8"TEST.SNA:PASS(3):LINE(1):関数の引数が26を越えています。(12)"},
        {name33 + "();", 13, u8"TEST.SNA:PASS(3):LINE(1):関数名は32文字までです。(13)"},
        {"A(\\1);", 14, u8"TEST.SNA:PASS(3):LINE(1):変数の型が不正です。(14)"},
        {"IF(1){}ELSE A();", 15, u8"TEST.SNA:PASS(3):LINE(1):関数の構文に誤りがあります。(15)"},
        {"A(#);", 16, u8"TEST.SNA:PASS(3):LINE(1):変数名が不正です。(16)"},
    };
    for (const Case& c : kCases) {
        Result r = Compile(c.source);
        EXPECT_FALSE(r.ok) << c.source;
        EXPECT_EQ(r.error, c.error) << c.source;
        EXPECT_EQ(r.message, U8(c.message)) << c.source;
    }
    // Just inside the limits.
    EXPECT_TRUE(Compile(std::string(32, 'N') + "();").ok);
    EXPECT_TRUE(Compile("A(\"" + std::string(1000, 'x') + "\");").ok);
    std::string args26 = "A(1";
    for (int i = 1; i < 26; ++i) args26 += ",1";
    EXPECT_TRUE(Compile(args26 + ");").ok);
    // A number past the range is refused (after the number's own message).
    Boxes boxes;
    Result big = Compile("A(5000000000);");
    EXPECT_EQ(big.error, VSKCOMP_ERR_SYNTAX);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{U8(u8"整数部が有効桁を超えました。")});
}

TEST(VskCompiler, NestingIsBoundedSoNothingRunsOutOfStack) {
    EXPECT_TRUE(Compile("A(" + std::string(150, '(') + "1" + std::string(150, ')') + ");").ok);
    Result deep = Compile("A(" + std::string(300, '(') + "1" + std::string(300, ')') + ");");
    EXPECT_EQ(deep.error, VSKCOMP_ERR_BRACKETS);
    std::string chain;
    for (int i = 0; i < 300; ++i) chain += "#";
    EXPECT_FALSE(Compile(chain + "1;").ok);
}

TEST(VskCompiler, StateAndLineFeedsThroughTheExports) {
    VSKCOMP_SetError(5);
    EXPECT_EQ(VSKCOMP_GetError(), 5);
    VSKCOMP_SetLine(7);
    BYTE text[] = "\n\n\nX";
    tagCOMPBLOCK job{};
    job.lpoldtop = job.lpold = text;
    job.oldsize = sizeof text;
    EXPECT_EQ(VSKCOMP_CheckLineFeed(&job), 3);
    EXPECT_EQ(*job.lpold, 'X');
    EXPECT_EQ(VSKCOMP_GetLine(), 10);
}

TEST_F(Definitions, MacrosExpandRunByRunAndLongerNamesFirst) {
    ASSERT_EQ(Define("#define 'RED2' 'VSKRED+1'\n#define |RED| |2|\n#define |GONE| ||\n"), 1);
    auto run = [](const std::string& text, std::string* out) {
        auto* block = static_cast<BYTE*>(VSKTASK_AllocMemory(nullptr, text.size() + 1));
        std::memcpy(block, text.data(), text.size());
        tagCOMPBLOCK job{};
        job.lpoldtop = job.lpold = block;
        job.oldsize = DWORD(text.size() + 1);
        int n = VSKCOMP_Pass1(&job);
        *out = reinterpret_cast<char*>(job.lpnewtop);
        VSKTASK_FreeMemory(nullptr, job.lpnewtop);
        return n;
    };
    std::string out;
    EXPECT_EQ(run("A(RED2);", &out), 1);
    EXPECT_EQ(out, "A(VSKRED+1);");
    EXPECT_EQ(run(out, &out), 1);
    EXPECT_EQ(out, "A(0x7c00+1);");  // inserted as written, folded in the next run
    EXPECT_EQ(run(out, &out), 0);
    EXPECT_EQ(out, "A(0X7C00+1);");
    // "true" in lower case is not expanded in a run in which nothing else expands.
    EXPECT_EQ(run("A(true);", &out), 0);
    EXPECT_EQ(out, "A(TRUE);");
    EXPECT_EQ(run("A(true,RED);", &out), 1);
    EXPECT_EQ(out, "A(TRUE,2);");
    EXPECT_EQ(Arguments("true,RED"), (Raw{0x94, 0x02, 1, 0x00, 0x02, 2, 0x00}));
    // Macros match at any position, case-sensitive.
    EXPECT_EQ(run("XRED;red;", &out), 1);
    EXPECT_EQ(out, "X2;RED;");
    // A macro may stand for nothing.
    EXPECT_EQ(run("A(GONE1);", &out), 1);
    EXPECT_EQ(out, "A(1);");
}

TEST_F(Definitions, IncludesInsertTheirFilesWithoutLineFeeds) {
    // An include's file name has at most 63 characters: one in the program folder.
    std::string file = "part" + std::to_string(getpid()) + ".inc";
    {
        std::ofstream out(file, std::ios::binary);
        out << "B();\r\nC();\x1A";
    }
    ASSERT_EQ(Define("#include \"PART\" \"" + file + "\"\n"), 1);
    EXPECT_EQ(Code("A();\nPART\nD();"), Code("A();\nB();C();\nD();"));
    std::remove(file.c_str());
}

TEST_F(Definitions, BadDefinitionsAreRefusedWithTheirMessage) {
    struct Case {
        std::string text;
        const char8_t* message;
    };
    const Case kCases[] = {
        {"#define 'A' '1'\n#define 'a' '2'", u8"マクロ名 \"A\" はすでに定義されています。"},
        {"#define 'TRUE' '1'", u8"マクロ名 \"TRUE\" はすでに定義されています。"},
        {"#include 'X' 'nowhere\\none.inc'",
         u8"インクルードファイル \"nowhere\\none.inc\" が存在しません。"},
        {"// fine\n\n#undef 'A'", u8"定義ファイルに不正なコマンドがあります。(line3)"},
        {"#define 'A' '1' / 'x'", u8"定義ファイルに不正なコマンドが記述されています。(line1)"},
        {"#define '" + std::string(32, 'L') + "' '1'",
         u8"項目の文字列長が制限を越えています。(line1)"},
        {"#define 'A' '" + std::string(100, 't') + "'",
         u8"項目の文字列長が制限を越えています。(line1)"},
        {"#define '' '1'", u8"項目の文字列長が制限を越えています。(line1)"},
        {"#define 'A' '1\n'", u8"項目の文字列長が制限を越えています。(line1)"},
    };
    for (const Case& c : kCases) {
        vskcomp::ResetDefinitions();
        Boxes boxes;
        EXPECT_EQ(Define(c.text), 0) << c.text;
        auto all = boxes.All();
        ASSERT_EQ(all.size(), 1u) << c.text;
        EXPECT_EQ(all[0].caption, U8(u8"『Veskeran33』コンパイルマネージャ(VSKCOMP.dll)"));
        EXPECT_EQ(all[0].text, U8(c.message)) << c.text;
    }
    // Limits that hold: 31 and 99 characters, any delimiter, "#DEFINE" in any case.
    vskcomp::ResetDefinitions();
    EXPECT_EQ(Define("#DEFINE \"" + std::string(31, 'L') + "\" x" + std::string(99, 't') + "x"), 1);
    // 15 built-ins and 185 more fill the table; the 201st is refused.
    vskcomp::ResetDefinitions();
    std::string many;
    for (int i = 0; i < 185; ++i)
        many += "#define 'M" + std::to_string(i) + "' '" + std::to_string(i) + "'\n";
    EXPECT_EQ(Define(many), 1);
    EXPECT_EQ(vskcomp::Macros().size(), 200u);
    Boxes boxes;
    EXPECT_EQ(Define("\n#define 'ONEMORE' '1'"), 0);
    EXPECT_EQ(boxes.Texts(), std::vector<std::string>{U8(u8"定義数が200を超えました。(line2)")});
}

TEST_F(Definitions, AMacroThatContainsItsOwnNameGivesUp) {
    ASSERT_EQ(Define("#define 'LOOP' '(LOOP+1)'\n#define 'DOUBLE' 'DOUBLEDOUBLE'"), 1);
    Result r = Compile("A();\nA(LOOP);");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, VSKCOMP_ERR_EXPANSION);
    EXPECT_EQ(r.message, U8(u8"TEST.SNA:PASS(1):LINE(2):マクロの展開が終わりません。"));
    // One that doubles each run stops at the text's limit long before 64 runs.
    r = Compile("A(DOUBLE);");
    EXPECT_EQ(r.error, VSKCOMP_ERR_EXPANSION);
}

TEST_F(Definitions, AMissingDefinitionFileIsNoError) {
    EXPECT_EQ(VSKCOMP_DefineFile(nullptr, "nowhere\\vsk.def"), 1);
    Scratch s;
    s.Put("vsk.def", "#define 'X' '1'\n");
    EXPECT_EQ(VSKCOMP_DefineFile(nullptr, s.Sys("vsk.def").c_str()), 1);
    EXPECT_EQ(Arguments("X"), (Raw{0x02, 1, 0x00}));
}

}  // namespace
