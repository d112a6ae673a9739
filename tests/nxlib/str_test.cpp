// Shift-JIS strings, keywords and number conversion, in the build this test is linked with
// (NXL_TEST_LAYER set for the layer library's keyword rule).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "nxlib.h"

// Each build's cases carry its name, so that both builds' tests stand apart.
#if NXL_TEST_LAYER
#define NXL_SUITE(name) name##Layer
#else
#define NXL_SUITE(name) name
#endif

namespace {

TEST(NXL_SUITE(NxlSjis), LeadBytes) {
    struct Case {
        unsigned char b;
        int lead;
    };
    const Case cases[] = {{0x41, 0}, {0x80, 0}, {0x81, 1}, {0x9F, 1}, {0xA0, 0}, {0xA1, 0},
                          {0xB1, 0}, {0xDF, 0}, {0xE0, 1}, {0xFC, 1}, {0xFD, 0}, {0xFF, 0}};
    for (const Case& c : cases) {
        char text[3] = {char(c.b), 'x', 0};
        EXPECT_EQ(NXL_STR_CheckWord(text), c.lead) << "byte " << int(c.b);
    }
}

TEST(NXL_SUITE(NxlSjis), LengthOfTexts) {
    struct Case {
        const char* text;
        int length;
    };
    const Case cases[] = {
        {"ab\x88\x9f"
         "c",
         4},  // two letters, one double-byte character, one letter
        {"abc\x1A"
         "def",
         3},                  // the end-of-file mark ends the text
        {"\xB1\xB2\xB3", 3},  // half-width kana are single bytes
        {"a\x81", 1},         // a lead byte cut by the end is not a character
        {"", 0},
        {"\x81\x1A"
         "b",
         2},  // a trail byte 0x1A is still a trail byte
    };
    for (const Case& c : cases) EXPECT_EQ(NXL_STR_WordLength(c.text), c.length) << c.text;
}

TEST(NXL_SUITE(NxlSjis), GetAndSetWord) {
    WORD code = 1;
    const char text[] =
        "\x93\xfa"
        "A";
    const char* p = NXL_STR_GetWord(text, &code);
    EXPECT_EQ(code, 0x93fa);
    EXPECT_EQ(p, text + 2);
    p = NXL_STR_GetWord(p, &code);
    EXPECT_EQ(code, 'A');
    EXPECT_EQ(NXL_STR_GetWord(p, &code), nullptr);
    EXPECT_EQ(code, 0);
    const char cut[] = "\x93";
    EXPECT_EQ(NXL_STR_GetWord(cut, &code), nullptr) << "never read past a 0 trail byte";

    char out[8];
    std::memset(out, 'z', sizeof out);
    char* e = NXL_STR_SetWord(out, 0x93fa, sizeof out);
    EXPECT_EQ(e, out + 2);
    EXPECT_STREQ(out, "\x93\xfa");
    e = NXL_STR_SetWord(out, 0x93fa, 2);  // no room for the character and its 0
    EXPECT_EQ(e, out);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], 0) << "the cut write touched nothing behind its capacity";
}

TEST(NXL_SUITE(NxlSjis), CopyCutsAtCharactersAndCapacity) {
    struct Case {
        const char* text;
        int n;
        size_t cap;
        const char* out;
        int count;
    };
    const Case cases[] = {
        {"abcdef", 3, 16, "abc", 3},
        {"abcdef", -1, 16, "abcdef", 6},
        {"ab", 5, 16, "ab", 2},
        {"abcdef", -1, 4, "abc", 3},
        {"a\x93\xfa"
         "b",
         -1, 3, "a", 1},  // the double-byte character does not fit whole
        {"a\x93\xfa"
         "b",
         -1, 4, "a\x93\xfa", 2},
    };
    for (const Case& c : cases) {
        char out[17];
        std::memset(out, 'z', sizeof out);
        EXPECT_EQ(NXL_STR_Copy(out, c.text, c.n, c.cap), c.count) << c.text << " cap " << c.cap;
        EXPECT_STREQ(out, c.out) << c.text << " cap " << c.cap;
        EXPECT_EQ(out[c.cap], 'z') << c.text << " cap " << c.cap;
    }
}

TEST(NXL_SUITE(NxlSjis), SkipSpaceAndNextLine) {
    const char text[] =
        " \t\x81\x40"
        "x";
    EXPECT_EQ(NXL_STR_SkipSpace(text), text + 4);
    EXPECT_EQ(NXL_STR_SkipSpace("  "), nullptr);
    const char lines[] =
        "ab\x88\x0a"
        "c\nd";  // 0x0A as a trail byte is no line feed
    EXPECT_EQ(NXL_STR_NextLine(lines), lines + 6);
    EXPECT_EQ(NXL_STR_NextLine("abc"), nullptr);
}

TEST(NXL_SUITE(NxlSjis), CompareTable) {
    struct Case {
        const char* text;
        const char* pattern;
        int nocase, wildcard, result;
    };
    const Case cases[] = {
        {"ABCD", "abc", 1, 0, 1},
        {"ABCD", "abc", 0, 0, 0},
        {"AB", "ABC", 0, 0, 0},
        {"ABXY", "AB*", 0, 1, 1},
        {"AXYZ", "AB*", 0, 1, 0},
        {"", "*", 0, 1, 1},
        {"AB*", "AB*", 0, 0, 1},
        {"ABX", "AB*", 0, 0, 0},
        {"anything", "", 0, 0, 1},
        {"\x82\x60", "\x82\x81", 1, 0, 0},  // only a-z are folded, not full-width letters
        {"\x82\x60"
         "b",
         "\x82\x60"
         "B",
         1, 0, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NXL_STR_Compare(c.text, c.pattern, c.nocase, c.wildcard), c.result)
            << c.text << " / " << c.pattern;
}

TEST(NXL_SUITE(NxlSjis), Search) {
    const char text[] =
        "xx\x82\x60"
        "abc";
    EXPECT_EQ(NXL_STR_Search(text, "ABC", 1, 0), text + 4);
    EXPECT_EQ(NXL_STR_Search(text, "", 0, 0), text);
    EXPECT_EQ(NXL_STR_Search(text, "q", 0, 0), nullptr);
    const char trail[] =
        "\x82\x60"
        "`";  // the trail byte 0x60 is never matched alone
    EXPECT_EQ(NXL_STR_Search(trail, "`", 0, 0), trail + 2);
}

struct KeywordCase {
    const char* text;
    const char* keyword;
    int rest;  // offset of the result, -1 for NULL
};

#if NXL_TEST_LAYER
const KeywordCase kKeywords[] = {
    {"  abc_d", "abc_d", -1},
    {"data\\pic.bmp , 3", "data\\pic.bmp", 13},
    {"\xb1\xb2x y", "\xb1\xb2x", 4},  // half-width kana belong to keywords here
    {"a:b", "a:b", -1},
};
#else
const KeywordCase kKeywords[] = {
    {"  abc_d", "abc", 5},
    {"abc ,x", "abc", 4},
    {"  ,x", "", 2},
    {"abc   ", "abc", -1},
    {"\x88\x9f\x93\xfa"
     "1 2",
     "\x88\x9f\x93\xfa"
     "1",
     6},
    {"ab\x81\x40"
     "cd",
     "ab", 4},  // the full-width blank ends a keyword
    {"ab\xb1"
     "c",
     "ab", 2},  // half-width kana are not keyword characters here
    {"   ", "", -1},
};
#endif

TEST(NXL_SUITE(NxlKeyword), TableOfThisBuild) {
    for (const KeywordCase& c : kKeywords) {
        char out[NXL_MAX_KEYWORD];
        const char* r = NXL_STR_GetKeyword(c.text, out);
        EXPECT_STREQ(out, c.keyword) << c.text;
        EXPECT_EQ(r ? int(r - c.text) : -1, c.rest) << c.text;
    }
}

TEST(NXL_SUITE(NxlKeyword), LongKeywordIsCutAndSkipped) {
    std::string text(600, 'k');
    text += " next";
    char out[16];
    std::memset(out, 'z', sizeof out);
    const char* r = NXL_STR_GetKeyword(text.c_str(), out, 8);
    EXPECT_EQ(std::string(out), std::string(7, 'k'));
    EXPECT_EQ(out[8], 'z');
    ASSERT_NE(r, nullptr);
    EXPECT_STREQ(r, "next");
}

TEST(NXL_SUITE(NxlNumbers), IntConversions) {
    char out[NXL_MAX_NUMBER];
    EXPECT_EQ(NXL_STR_IntToStr(out, -2147483647 - 1), out + 11);
    EXPECT_STREQ(out, "-2147483648");
    struct Case {
        const char* text;
        int value;
        int rest;
    };
    const Case cases[] = {
        {"+12x", 12, 3},
        {"-", 0, 1},
        {"-45", -45, 3},
        {"abc", 0, 0},
        {"2147483647", 2147483647, 10},
        {"99999999999999999999", 2147483647, 20},
        {"-2147483648", -2147483647 - 1, 11},
        {"-99999999999", -2147483647 - 1, 12},
    };
    for (const Case& c : cases) {
        int v = 7;
        const char* r = NXL_STR_StrToInt(c.text, &v);
        EXPECT_EQ(v, c.value) << c.text;
        EXPECT_EQ(r - c.text, c.rest) << c.text;
    }
}

TEST(NXL_SUITE(NxlNumbers), FloatToText) {
    struct Case {
        float f;
        const char* text;
    };
    const Case cases[] = {{1.5f, "1.5"},
                          {100.0f, "100"},
                          {0.25f, "0.25"},
                          {-3.0f, "-3"},
                          {0.1f, "0.1"},
                          {0.0f, "0"},
                          {9999999.0f, "10000000"},
                          {1234.5678f, "1234.57"},
                          {1e-12f, "0"},
                          {0.000123f, "0.000123"}};
    for (const Case& c : cases) {
        char out[NXL_MAX_NUMBER];
        const char* e = NXL_STR_FltToString(out, c.f);
        ASSERT_NE(e, nullptr) << c.text;
        EXPECT_STREQ(out, c.text);
        EXPECT_EQ(*e, 0);
    }
    const float refused[] = {12345678.0f, std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::quiet_NaN()};
    for (float f : refused) {
        char out[NXL_MAX_NUMBER] = "untouched";
        EXPECT_EQ(NXL_STR_FltToString(out, f), nullptr) << f;
        EXPECT_STREQ(out, "untouched") << f;
    }
}

TEST(NXL_SUITE(NxlNumbers), TextToFloat) {
    struct Case {
        const char* text;
        float value;
        int rest;
    };
    const Case cases[] = {{"1.5", 1.5f, 3}, {"-2.25x", -2.25f, 5},
                          {"+7", 7.0f, 2},  {"3e5", 3.0f, 1},
                          {".5", 0.5f, 2},  {"0.0000000000000000000000000000000001", 0.0f, 36}};
    for (const Case& c : cases) {
        float f = -1;
        const char* r = NXL_STR_StrToFlt(c.text, &f);
        EXPECT_FLOAT_EQ(f, c.value) << c.text;
        EXPECT_EQ(r - c.text, c.rest) << c.text;
    }
}

TEST(NXL_SUITE(NxlMath), Functions) {
    EXPECT_EQ(NXL_MATH_Range(370, 0, 360), 10);
    EXPECT_EQ(NXL_MATH_Range(-10, 0, 360), 350);
    EXPECT_EQ(NXL_MATH_Range(-2147483647 - 1, 0, 360), 232);
    EXPECT_EQ(NXL_MATH_Range(5, 3, 3), 5) << "an empty range leaves the value";
    EXPECT_EQ(NXL_MATH_Limit(5, 10, 20), 10);
    EXPECT_EQ(NXL_MATH_Limit(25, 10, 20), 20);
    EXPECT_EQ(NXL_MATH_Abs(-4), 4);
    EXPECT_EQ(NXL_MATH_Sign(-4), -1);
    EXPECT_EQ(NXL_MATH_Sign(0), 0);
    EXPECT_EQ(NXL_MATH_SetBit(0x10, 0x03, 1), 0x13);
    EXPECT_EQ(NXL_MATH_SetBit(0x13, 0x03, 0), 0x10);
    EXPECT_EQ(NXL_MATH_GetBit(0x10, 0x30), 1);
    for (int i = 0; i < 200; ++i) {
        int r = NXL_MATH_Random(3, 5);
        EXPECT_GE(r, 3);
        EXPECT_LE(r, 5);
    }
    EXPECT_EQ(NXL_MATH_Random(5, 4), 5) << "an empty range must not divide by zero";
    EXPECT_EQ(NXL_MATH_Random(-2147483647 - 1, 2147483647) >= -2147483647 - 1, true);
}

}  // namespace
