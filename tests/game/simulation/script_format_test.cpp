// The aircraft script's record format: the opcode table against the records' lengths, text
// storage, decoding at the edge of the loaded bytes, the source form and its listing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "simulation/script_ops.h"

namespace {

// Sources are UTF-8 (this file's literals are made Shift-JIS unless u8).
std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::vector<uint8_t> Make(const std::string& source) {
    std::vector<uint8_t> bytes;
    std::vector<ScriptError> errors;
    EXPECT_EQ(MakeScript(source, &bytes, &errors), 1) << source;
    for (const ScriptError& e : errors) ADD_FAILURE() << source << ":" << e.line << ": " << e.text;
    return bytes;
}

std::vector<uint8_t> Words(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> b;
    for (uint32_t w : words)
        for (int k = 0; k < 4; ++k) b.push_back(uint8_t(w >> (8 * k)));
    return b;
}

// The length of each record without its texts, and the number of its texts, as the records
// are laid down; every opcode of the table is here and no other.
struct Length {
    int32_t opcode;
    size_t fixed;
    size_t texts;
};
const Length kLengths[] = {
    {200, 16, 0}, {210, 8, 0},   {220, 8, 0},  {221, 12, 0},  {230, 8, 0},  {240, 12, 0},
    {250, 12, 0}, {260, 12, 0},  {261, 16, 0}, {270, 20, 0},  {280, 8, 0},  {820, 8, 0},
    {860, 20, 0}, {5000, 20, 0}, {5010, 8, 0}, {5020, 12, 0}, {5030, 8, 1}, {500, 4, 1},
    {510, 8, 0},  {520, 8, 1},   {530, 4, 0},  {540, 24, 0},  {550, 4, 1},  {570, 8, 1},
    {572, 8, 1},  {574, 12, 0},  {576, 12, 0}, {20, 12, 1},   {24, 20, 0},  {25, 16, 0},
    {27, 8, 0},   {28, 12, 0},   {30, 8, 0},   {31, 16, 0},   {32, 8, 0},   {33, 8, 0},
    {34, 8, 0},   {35, 16, 0},   {37, 16, 0},  {39, 20, 0},   {40, 12, 0},  {41, 12, 0},
    {42, 20, 0},  {43, 12, 0},   {50, 12, 0},  {51, 16, 0},   {60, 8, 0},   {61, 8, 0},
    {70, 16, 0},  {80, 16, 0},   {82, 8, 0},   {90, 28, 0},   {91, 8, 1},   {92, 8, 0},
    {93, 8, 0},   {94, 8, 0},    {135, 8, 0},  {136, 8, 0},   {100, 36, 0}, {110, 4, 0},
    {120, 32, 0}, {121, 48, 1},  {122, 48, 3}, {130, 28, 1},  {140, 28, 6}, {170, 36, 1},
    {171, 40, 2}, {10, 12, 0},   {12, 4, 1},   {101, 28, 0},  {102, 32, 1}, {300, 12, 0},
    {302, 8, 0},  {310, 4, 1},   {400, 8, 0},  {410, 8, 1},   {420, 4, 1},  {600, 24, 0},
    {602, 32, 0}, {610, 4, 1},   {620, 4, 1},  {630, 12, 0},  {710, 16, 2}, {800, 20, 1},
    {810, 12, 0}, {830, 52, 4},  {850, 4, 0},
};

TEST(ScriptFormat, EveryOpcodeHasTheLengthOfItsRecord) {
    size_t count = 0;
    const ScriptOpInfo* table = ScriptOpTable(&count);
    EXPECT_EQ(count, std::size(kLengths));
    for (const Length& l : kLengths) {
        const ScriptOpInfo* info = FindScriptOp(l.opcode);
        ASSERT_NE(info, nullptr) << l.opcode;
        EXPECT_EQ(ScriptFixedSize(*info), l.fixed) << l.opcode;
        size_t texts = 0;
        for (const char* k = info->operands; *k; ++k) texts += ScriptTextField(*k) || *k == 't';
        EXPECT_EQ(texts, l.texts) << l.opcode;
        EXPECT_EQ(FindScriptMnemonic(info->mnemonic), info) << info->mnemonic;
    }
    for (size_t i = 0; i < count; ++i)
        for (size_t j = i + 1; j < count; ++j) {
            EXPECT_NE(table[i].opcode, table[j].opcode);
            EXPECT_STRNE(table[i].mnemonic, table[j].mnemonic);
        }
    EXPECT_EQ(FindScriptOp(-1), nullptr);
    EXPECT_EQ(FindScriptOp(0), nullptr);
}

TEST(ScriptFormat, TextsTakeWholeWordsWithTheirNul) {
    struct Case {
        const char* text;
        size_t stored;
    };
    const Case cases[] = {{"", 4}, {"ABC", 4}, {"ABCD", 8}, {"ABCDEFG", 8}, {"ABCDEFGH", 12}};
    for (const Case& c : cases) {
        EXPECT_EQ(ScriptTextSize(std::strlen(c.text)), c.stored) << c.text;
        // portword: the opcode word and the text.
        const std::vector<uint8_t> b = Make(std::string("portword \"") + c.text + "\"");
        ASSERT_EQ(b.size(), 4 + c.stored) << c.text;
        EXPECT_EQ(std::memcmp(b.data() + 4, c.text, std::strlen(c.text)), 0) << c.text;
        for (size_t k = 4 + std::strlen(c.text); k < b.size(); ++k) EXPECT_EQ(b[k], 0) << c.text;
        ScriptOp op;
        ASSERT_EQ(DecodeScriptOp(b.data(), b.size(), 0, &op), 1) << c.text;
        EXPECT_EQ(op.size, b.size()) << c.text;
        EXPECT_STREQ(op.text[0], c.text);
    }
    // Texts between words: the words after them stay on word boundaries.
    const std::vector<uint8_t> s = Make("sound \"ABCD\" 7");
    ASSERT_EQ(s.size(), 16u);
    ScriptOp op;
    ASSERT_EQ(DecodeScriptOp(s.data(), s.size(), 0, &op), 1);
    EXPECT_EQ(op.word[0], 7);
}

TEST(ScriptFormat, ARecordDecodesOnlyWhenItLiesWholeInsideTheBytes) {
    const std::vector<uint8_t> taxi = Make("taxi 215 -180 90");
    const std::vector<uint8_t> memo = Make("portword \"ABCDE\"");  // 4 + 8 bytes
    ScriptOp op;
    struct Case {
        const char* what;
        const std::vector<uint8_t>& bytes;
        size_t size;
        size_t pos;
        int ok;
    };
    const Case cases[] = {
        {"whole", taxi, 16, 0, 1},
        {"last word missing", taxi, 12, 0, 0},
        {"position at the end", taxi, 16, 16, 0},
        {"position past the end", taxi, 16, 400, 0},
        {"text with its padding", memo, 12, 0, 1},
        {"padding missing", memo, 10, 0, 0},
        {"no NUL inside the bytes", memo, 9, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeScriptOp(c.bytes.data(), c.size, c.pos, &op), c.ok) << c.what;
    const std::vector<uint8_t> unknown = Words({12345, 0, 0});
    EXPECT_EQ(DecodeScriptOp(unknown.data(), unknown.size(), 0, &op), 0);
    const std::vector<uint8_t> end = Words({0xffffffff});
    EXPECT_EQ(DecodeScriptOp(end.data(), end.size(), 0, &op), 0);
}

TEST(ScriptFormat, SourceLinesMakeTheirWords) {
    const std::vector<uint8_t> b = Make(
        "# a comment\n"
        "top:\n"
        "    taxi 0x10 -1 90   # a comment after a record\n"
        "    25 1 2 3\n"
        "    park\n"
        "    if 0x0111ffff 0x12 3 @top\n"
        "    goto @next\n"
        "next:\n"
        "    .word -1 4294967295 @next\n"
        "    .byte 1 2\n");
    EXPECT_EQ(b, [] {
        std::vector<uint8_t> w =
            Words({35,   16,         0xffffffff, 90, 25, 1,    2,  3,          61,         0,
                   5000, 0x0111ffff, 0x12,       3,  0,  5010, 68, 0xffffffff, 0xffffffff, 68});
        w.push_back(1);
        w.push_back(2);
        return w;
    }());
    // Texts: Shift-JIS from UTF-8, escapes for quotes, backslashes and single bytes.
    const std::vector<uint8_t> t = Make(U8(u8"memo \"ＪＡＬ\\\"\\\\\\x01\""));
    const std::vector<uint8_t> want = {0x36, 0x01, 0,   0,    0x82, 0x69, 0x82, 0x60,
                                       0x82, 0x6b, '"', '\\', 1,    0,    0,    0};
    EXPECT_EQ(t, want);
}

TEST(ScriptFormat, ErrorsNameTheirLineAndMakeNothing) {
    struct Case {
        const char* source;
        int line;
        const char* error;
    };
    const Case cases[] = {
        {"taxi 1 2 3\nfly 1 2\n", 2, "unknown opcode \"fly\""},
        {"taxi 1 2\n", 1, "too few operands: taxi (35) takes 3"},
        {"taxi 1 2 3 4\n", 1, "too many operands: taxi (35) takes 3"},
        {"\n\nportword \"ABCDEFGHIJKLMNOPQRST\"\n", 3,
         "text \"ABCDEFGHIJKLMNOPQRST\" is 20 bytes; its field holds 15"},
        {"approachvariants 0 1 2 \"ABCDEFGH\" 3 4 \"\" 5 6 \"\" 7 8 9 10\n", 1,
         "text \"ABCDEFGH\" is 8 bytes; its field holds 7"},
        {"goto @missing\n", 1, "undefined label \"missing\""},
        {"a:\na:\n", 2, "label \"a\" is defined twice"},
        {"taxi 1 \"2\" 3\n", 1, "a number is needed, not the text \"2\""},
        {"portword ABC\n", 1, "operand 1 of portword is a text: \"ABC\" needs quotes"},
        {"taxi 1 2 0x100000000\n", 1, "\"0x100000000\" is not a number of 32 bits"},
        {"memo \"ABC\n", 1, "text without its closing quote"},
        {"memo \"\\x00\"\n", 1, "a text cannot hold \\x00"},
        {"memo \"\\q\"\n", 1, "unknown escape in a text (\\\" \\\\ \\xHH)"},
        {".byte 256\n", 1, "\"256\" is not a byte (0 to 255)"},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = {1};
        std::vector<ScriptError> errors;
        EXPECT_EQ(MakeScript(c.source, &bytes, &errors), 0) << c.source;
        EXPECT_TRUE(bytes.empty()) << c.source;
        ASSERT_EQ(errors.size(), 1u) << c.source;
        EXPECT_EQ(errors[0].line, c.line) << c.source;
        EXPECT_EQ(errors[0].text, c.error) << c.source;
    }
    // One record past the limit of the script buffer.
    std::string big;
    for (int k = 0; k < kScriptMaxBytes / 8; ++k) big += "formation 0\n";
    std::vector<uint8_t> bytes;
    std::vector<ScriptError> errors;
    EXPECT_EQ(MakeScript(big, &bytes, &errors), 1);
    EXPECT_EQ(bytes.size(), size_t(kScriptMaxBytes));
    EXPECT_EQ(MakeScript(big + "clearmenu\n", &bytes, &errors), 0);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].line, kScriptMaxBytes / 8 + 1);
    EXPECT_EQ(errors[0].text, "the script passes 16384 bytes");
}

// Every script lists as a source that makes the same bytes again.
TEST(ScriptFormat, TheListingMakesTheSameBytes) {
    std::vector<std::vector<uint8_t>> scripts;
    scripts.push_back(Make(
        U8(u8"start:\n flyto 100 -200 \"ＪＡＬ 123\"\n waitdistance 0x21 100 -200 5\n"
           u8" if 0x0111ffff 0x12 3 @start\n park\n textwindow -1 400 \"管制塔\\x01\" \"v1\" 3\n"
           u8" status 0 0x10000\n goto @start\n .word -1\n")));
    // Records that would not make the same bytes: an unknown opcode, a pad word that is not 0,
    // padding that is not 0, an overlong name, a text without its NUL, a jump into a record,
    // a record cut short, and a tail of single bytes.
    std::vector<uint8_t> raw = Words({9999, 61, 5, 610});
    raw.insert(raw.end(), {'A', 0, 'x', 'y'});
    const std::vector<uint8_t> longname = Make(
        ".word 610\n.byte 65 66 67 68 69 70 71 72 73 74 75"
        " 76 77 78 79 80 81 82 83 84 0 0 0 0");
    raw.insert(raw.end(), longname.begin(), longname.end());
    const std::vector<uint8_t> jump = Words({5010, 6, 35, 1, 2, 3});
    raw.insert(raw.end(), jump.begin(), jump.end());
    raw.insert(raw.end(), {12, 0, 0, 0, 'A', 'B'});
    scripts.push_back(raw);
    scripts.push_back({});
    scripts.push_back({1, 2, 3});
    for (const std::vector<uint8_t>& s : scripts) {
        const std::string listing = ListScript(s.data(), s.size());
        std::vector<uint8_t> again;
        std::vector<ScriptError> errors;
        ASSERT_EQ(MakeScript(listing, &again, &errors), 1) << listing;
        EXPECT_EQ(again, s) << listing;
    }
    const std::string first = ListScript(scripts[0].data(), scripts[0].size());
    EXPECT_NE(first.find(U8(u8"L0:\n    flyto 100 -200 \"ＪＡＬ 123\"\n")), std::string::npos)
        << first;
    EXPECT_NE(first.find(U8(u8"textwindow -1 400 \"管制塔\\x01\" \"v1\" 3")), std::string::npos);
    EXPECT_NE(first.find("goto @L0\n    .word -1\n"), std::string::npos) << first;
    const std::string second = ListScript(scripts[1].data(), scripts[1].size());
    EXPECT_EQ(second.rfind("    .word 9999\n    .word 61\n    .word 5\n", 0), 0u) << second;
    EXPECT_NE(second.find("    goto 6\n"), std::string::npos) << second;
    EXPECT_NE(second.find("    .word 12\n    .byte 65 66\n"), std::string::npos) << second;
}

}  // namespace
