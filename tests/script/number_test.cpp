// Fixed-point numbers: arithmetic, comparison, logic, parsing and text forms, with the
// messages each refusal shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vsk_test_support.h"

using namespace vsktest;

namespace {

// An operand written as text: a number, "str" in double quotes, {x,y,w,h}, or P<offset>.
tagVALUE Operand(tagVALUAREA* ctx, const std::string& text) {
    tagVALUE v{};
    if (text.empty()) return v;
    if (text[0] == '"') return Str(ctx, text.substr(1, text.size() - 2).c_str());
    if (text[0] == '{') {
        int x, y, w, h;
        std::sscanf(text.c_str(), "{%d,%d,%d,%d}", &x, &y, &w, &h);
        VSKRAQ_Rect(ctx, &v, x, y, w, h);
        return v;
    }
    if (text[0] == 'P') {
        v.mode = VSK_MODE_POINTER;
        VskSetInt(&v, 1, std::atoi(text.c_str() + 1));
        return v;
    }
    return Num(ctx, text.c_str());
}

std::string Show(tagVALUAREA* ctx, tagVALUE v) {
    char text[64];
    VSKVAL_DisplayValue(ctx, &v, text, sizeof text);
    return text;
}

struct OpCase {
    const char* a;
    const char* op;
    const char* b;
    const char* result;  // the first operand's display form afterwards; nullptr: refused (0)
    std::vector<const char8_t*> messages;
};

const OpCase kOps[] = {
    {"999999999",
     "+",
     "1",
     nullptr,
     {u8"整数部が有効桁を超えました。", u8"加算により、数値が有効桁を超えました。"}},
    {"-999999999",
     "-",
     "1",
     nullptr,
     {u8"整数部が有効桁を超えました。", u8"減算により、数値が有効桁を超えました。"}},
    {"999999999.5",
     "+",
     "0.5",
     nullptr,
     {u8"整数部が有効桁を超えました。", u8"加算により、数値が有効桁を超えました。"}},
    {"0.5", "+", "0.5", "1", {}},
    {"-0.5", "+", "0.25", "-0.25", {}},
    {"1", "-", "1.5", "-0.5", {}},
    {"0.000000001", "*", "0.000000001", "0", {}},
    {"1.5", "*", "-2", "-3", {}},
    {"-4", "*", "-2.5", "10", {}},
    {"999999999.5", "*", "2", nullptr, {u8"乗算により、数値が有効桁を超えました。"}},
    {"999999999",
     "*",
     "2",
     nullptr,
     {u8"整数部が有効桁を超えました。", u8"乗算により、数値が有効桁を超えました。"}},
    {"1", "/", "3", "0.333333333", {}},
    {"-1", "/", "3", "-0.333333333", {}},
    {"1", "/", "0", nullptr, {u8"０で除算しています。"}},
    {"999999999", "/", "0.5", nullptr, {u8"除算により、数値が有効桁を超えました。"}},
    {"5.7", "%", "2", "1", {}},
    {"7", "%", "-3", "1", {}},
    {"-7", "%", "3", "-1", {}},
    {"5", "%", "0.5", nullptr, {u8"０で剰余しています。"}},
    {"0", "not", "", "-1", {}},
    {"5", "not", "", "-6", {}},
    {"6", "|", "3", "7", {}},
    {"6", "&", "3", "2", {}},
    {"6", "xor", "3", "5", {}},
    {"-1", "&", "5.5", "5", {}},
    {"{0,0,10,10}", "|", "{5,5,10,10}", "{0,0,15,15}", {}},
    {"{0,0,10,10}", "&", "{5,5,10,10}", "{5,5,5,5}", {}},
    {"{0,0,10,10}", "&", "{20,20,5,5}", "{0,0,0,0}", {}},
    {"\"ab\"", "+", "\"cd\"", "\"abcd\"", {}},
    {"P10", "+", "5", "{+15}", {}},
    {"P10", "-", "3", "{+7}", {}},
    {"2", "^", "10", "1024", {}},
    {"2", "^", "-1", "0.5", {}},
    {"-1", "^", "999999999", "-1", {}},
    {"0.5", "^", "2", "0.25", {}},
    {"7", "^", "0", "1", {}},
    {"4", "reverse", "", "0.25", {}},
    {"0", "reverse", "", nullptr, {u8"０で除算しています。"}},
    {"-3.7", "high", "", "-3", {}},
    {"-3.7", "low", "", "-0.7", {}},
    {"-3.7", "abs", "", "3.7", {}},
    {"0", "neg", "", "0", {}},
    {"2.5", "neg", "", "-2.5", {}},
    // Type errors.
    {"1", "*", "\"a\"", nullptr, {u8"指定された2つのFAQの型が数値型ではありません。"}},
    {"\"a\"", "*", "\"b\"", nullptr, {u8"指定されたFAQは数値ではありません。"}},
    {"{0,0,1,1}", "xor", "{0,0,1,1}", nullptr, {u8"指定されたFAQは数値ではありません。"}},
    {"1", "+", "{0,0,1,1}", nullptr, {u8"加算されている2つのFAQの型が異なっています。"}},
    {"\"a\"", "-", "\"b\"", nullptr, {u8"減算されている2つのFAQの型が異なっています。"}},
    {"1", "|", "\"b\"", nullptr, {u8"論理和された2つのFAQの型が異なっています。"}},
    {"1", "&", "\"b\"", nullptr, {u8"論理積された2つのFAQの型が異なっています。"}},
    {"\"a\"", "abs", "", nullptr, {u8"指定されたFAQは数値ではありません。"}},
};

int Apply(tagVALUAREA* ctx, const std::string& op, tagVALUE* a, const tagVALUE* b) {
    if (op == "+") return VSKFAQ_Add(ctx, a, b);
    if (op == "-") return VSKFAQ_Sub(ctx, a, b);
    if (op == "*") return VSKFAQ_Mul(ctx, a, b);
    if (op == "/") return VSKFAQ_Div(ctx, a, b);
    if (op == "%") return VSKFAQ_Mod(ctx, a, b);
    if (op == "|") return VSKFAQ_Or(ctx, a, b);
    if (op == "&") return VSKFAQ_And(ctx, a, b);
    if (op == "xor") return VSKFAQ_Xor(ctx, a, b);
    if (op == "not") return VSKFAQ_Not(ctx, a);
    if (op == "^") {
        int n = 0;
        VSKFAQ_Int(ctx, b, &n);
        return VSKFAQ_Power(ctx, a, n);
    }
    if (op == "reverse") return VSKFAQ_Reverce(ctx, a);
    if (op == "high") return VSKFAQ_High(ctx, a);
    if (op == "low") return VSKFAQ_Low(ctx, a);
    if (op == "abs") return VSKFAQ_Abs(ctx, a);
    if (op == "neg") return VSKFAQ_Neg(ctx, a);
    ADD_FAILURE() << "unknown op " << op;
    return 0;
}

TEST(VskNumbers, OperationsGiveTheirResultOrTheirMessages) {
    Context ctx;
    for (const OpCase& c : kOps) {
        std::string what = std::string(c.a) + " " + c.op + " " + c.b;
        tagVALUE a = Operand(ctx, c.a), b = Operand(ctx, c.b);
        Boxes boxes;
        int r = Apply(ctx, c.op, &a, &b);
        if (c.result) {
            EXPECT_EQ(r, 1) << what;
            EXPECT_EQ(Show(ctx, a), c.result) << what;
        } else {
            EXPECT_EQ(r, 0) << what;
        }
        std::vector<std::string> expected;
        for (const char8_t* m : c.messages) expected.push_back(U8(m));
        EXPECT_EQ(boxes.Texts(), expected) << what;
        VSKFAQ_Clear(ctx, &a);
        VSKFAQ_Clear(ctx, &b);
    }
}

TEST(VskNumbers, FailedJoinOfStringsIsMinusOne) {
    Context ctx;
    std::string long999(999, 'x');
    tagVALUE a = Str(ctx, long999.c_str()), b = Str(ctx, "y");
    Boxes boxes;
    EXPECT_EQ(VSKFAQ_Add(ctx, &a, &b), -1);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{U8(u8"文字列の連結で1000文字を超えました。")});
    VSKFAQ_Clear(ctx, &a);
    VSKFAQ_Clear(ctx, &b);
}

TEST(VskNumbers, ComparisonTellsOrderOfNumbersAndEqualityOfOthers) {
    Context ctx;
    struct Case {
        const char *a, *b;
        int result;
    };
    const Case kCases[] = {
        {"1", "1.5", -1},
        {"1.5", "1", 1},
        {"-0.5", "0", -1},
        {"0", "0.5", -1},
        {"-2.5", "-2.25", -1},
        {"3", "3", 0},
        {"-3", "2", -1},
        {"2.5", "2.5", 0},
        {"\"AB\"", "\"ABC\"", 1},
        {"\"AB\"", "\"AC\"", -1},
        {"\"AB\"", "\"AB\"", 0},
        {"\"ABC\"", "\"AB\"", 1},
        {"{1,2,3,4}", "{1,2,3,4}", 0},
        {"{1,2,3,4}", "{1,2,3,5}", -1},
    };
    for (const Case& c : kCases) {
        tagVALUE a = Operand(ctx, c.a), b = Operand(ctx, c.b);
        int r = 99;
        EXPECT_EQ(VSKFAQ_Comp(ctx, &a, &b, &r), 1) << c.a << " ? " << c.b;
        EXPECT_EQ(r, c.result) << c.a << " ? " << c.b;
        VSKFAQ_Clear(ctx, &a);
        VSKFAQ_Clear(ctx, &b);
    }
    tagVALUE n = Num(ctx, "1"), s = Str(ctx, "1");
    Boxes boxes;
    int r = 0;
    EXPECT_EQ(VSKFAQ_Comp(ctx, &n, &s, &r), 0);
    EXPECT_EQ(boxes.Texts(),
              std::vector<std::string>{U8(u8"指定された2つのFAQの型が異なっています。")});
    VSKFAQ_Clear(ctx, &s);
}

TEST(VskNumbers, ParsingStopsAfterTheNumberAndRefusesAnyTooLargeIntegerPart) {
    Context ctx;
    struct Case {
        const char* text;
        const char* value;  // nullptr: refused
        const char* rest;
    };
    const Case kCases[] = {
        {"0x1F", "31", ""},
        {"0XfF;", "255", ";"},
        {"-0b101", "-5", ""},
        {"0B11)", "3", ")"},
        {"3.14159265358", "3.141592653", ""},
        {".5", "0.5", ""},
        {"12abc", "12", "abc"},
        {"-0", "0", ""},
        {"999999999.999999999", "999999999.999999999", ""},
        {"5000000000", nullptr, ""},
        {"1000000000", nullptr, ""},
        {"4294967296", nullptr, ""},
        {"0x100000000", nullptr, ""},
        {"0xFFFFFFFFFFFFFFFFFF", nullptr, ""},
        {"0b1111111111111111111111111111111111111111", nullptr, ""},
        {"99999999999999999999999999", nullptr, ""},
    };
    for (const Case& c : kCases) {
        tagVALUE v{};
        Boxes boxes;
        LPCSTR rest = VSKFAQ_GetNumber(ctx, &v, c.text);
        if (c.value) {
            ASSERT_NE(rest, nullptr) << c.text;
            EXPECT_STREQ(rest, c.rest) << c.text;
            EXPECT_EQ(Text(ctx, v), c.value) << c.text;
            EXPECT_EQ(boxes.Count(), 0u) << c.text;
        } else {
            EXPECT_EQ(rest, nullptr) << c.text;
            EXPECT_EQ(boxes.Texts(), std::vector<std::string>{U8(u8"整数部が有効桁を超えました。")})
                << c.text;
        }
    }
}

TEST(VskNumbers, TextForms) {
    Context ctx;
    struct Case {
        const char* number;
        const char* text;
    };
    const Case kText[] = {{"-0.5", "-0.5"}, {"0.05", "0.05"}, {"1.5", "1.5"},
                          {"-12", "-12"},   {"0", "0"},       {"0.000000001", "0.000000001"}};
    for (const Case& c : kText) EXPECT_EQ(Text(ctx, Num(ctx, c.number)), c.text);

    struct Hex {
        const char* number;
        int style;
        const char* text;
    };
    const Hex kHex[] = {{"-1", 3, "FFFFFFFF"}, {"31", 1, "0000001f"}, {"31", 2, "1F"},
                        {"31", 3, "0000001F"}, {"31", 0, "1f"},       {"-1.5", 2, "FFFFFFFF"}};
    for (const Hex& h : kHex) {
        char text[16];
        tagVALUE v = Num(ctx, h.number);
        VSKFAQ_StringHex(ctx, &v, text, h.style);
        EXPECT_STREQ(text, h.text) << h.number << " style " << h.style;
    }
    char bin[40];
    tagVALUE five = Num(ctx, "5"), zero = Num(ctx, "0");
    VSKFAQ_StringBin(ctx, &five, bin, 0);
    EXPECT_STREQ(bin, "00000000000000000000000000000101");
    VSKFAQ_StringBin(ctx, &five, bin, 1);
    EXPECT_STREQ(bin, "101");
    VSKFAQ_StringBin(ctx, &zero, bin, 1);
    EXPECT_STREQ(bin, "0");
}

TEST(VskNumbers, BuildingCheckingAndReadingNumbers) {
    Context ctx;
    tagVALUE v{};
    Boxes boxes;
    EXPECT_EQ(VSKFAQ_Number(ctx, &v, 1, -5, 250000000), 1);
    EXPECT_EQ(Text(ctx, v), "-5.25");
    EXPECT_EQ(VSKFAQ_Number(ctx, &v, 0, 7, 1), 1);
    EXPECT_EQ(Text(ctx, v), "0");
    EXPECT_EQ(VSKFAQ_Number(ctx, &v, 2, 7, 0), 0);
    EXPECT_EQ(VSKFAQ_Number(ctx, &v, 1, 1000000000, 0), 0);
    EXPECT_EQ(VSKFAQ_Number(ctx, &v, 1, 1, 1000000000), 0);
    EXPECT_EQ(VSKFAQ_CheckRange(ctx, &v), 2);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{
                  U8(u8"符号の設定が誤っています。"), U8(u8"整数部が有効桁を超えました。"),
                  U8(u8"小数部が有効桁を超えました。"), U8(u8"小数部が有効桁を超えました。")}));

    // The one negative zero: it counts as zero and shows as 0.
    ASSERT_EQ(VSKFAQ_Number(ctx, &v, -1, 0, 0), 1);
    EXPECT_EQ(VskFaqHigh(&v), 0x80000000u);
    int sign = 9, i = 9;
    VSKFAQ_Sign(ctx, &v, &sign);
    EXPECT_EQ(sign, 0);
    EXPECT_EQ(Text(ctx, v), "0");

    struct IntCase {
        const char* number;
        int integer, sign;
    };
    const IntCase kInts[] = {{"-0.5", 0, -1}, {"-3.7", -3, -1}, {"3.7", 3, 1}, {"0", 0, 0}};
    for (const IntCase& c : kInts) {
        tagVALUE n = Num(ctx, c.number);
        VSKFAQ_Int(ctx, &n, &i);
        VSKFAQ_Sign(ctx, &n, &sign);
        EXPECT_EQ(i, c.integer) << c.number;
        EXPECT_EQ(sign, c.sign) << c.number;
    }
    VSKFAQ_Bool(ctx, &v, 7);
    EXPECT_EQ(Text(ctx, v), "-1");
    VSKFAQ_Bool(ctx, &v, 0);
    EXPECT_EQ(Text(ctx, v), "0");
    // Numbers without a context show their messages without an owner.
    EXPECT_EQ(VSKFAQ_GetNumber(nullptr, &v, "1000000000"), nullptr);
}

}  // namespace
