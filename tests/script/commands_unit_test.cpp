// Pieces of the command libraries that need a set state: the standard library's generator
// and the string library's score code at a set local time; and the version every library
// reports.
#include <gtest/gtest.h>

#include <string>

#include "standard.h"
#include "string_commands.h"
#include "vsk_test_support.h"

using namespace vsktest;

namespace {

TEST(RandomCommand, ADrawWhoseRestIsZeroGivesTheUpperBound) {
    Context ctx;
    tagVALUE lo = Num(ctx, "1"), hi = Num(ctx, "2.5"), out{};
    Boxes boxes;
    for (uint32_t r : {1000000000u, 2000000000u, 3000000000u}) {
        ASSERT_EQ(vskstd::RandomBetween(ctx, &lo, &hi, r, &out), 1) << r;
        EXPECT_EQ(Text(ctx, out), "2.5") << r;
    }
    ASSERT_EQ(vskstd::RandomBetween(ctx, &lo, &hi, 999999999u, &out), 1);
    EXPECT_EQ(Text(ctx, out), "1.000000001") << "f = 1: just above lo";
    ASSERT_EQ(vskstd::RandomBetween(ctx, &lo, &hi, 500000000u, &out), 1);
    EXPECT_EQ(Text(ctx, out), "1.75");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(RandomCommand, TheGeneratorStepsFromItsState) {
    uint32_t s = 0x00010002u;
    EXPECT_EQ(vskstd::RandomStep(s, 1000), 1000u * 2 + 1);
    EXPECT_EQ(s, 2001u);
    s = 0x12345678u;
    EXPECT_EQ(vskstd::RandomStep(s, 7), 7u * 0x5678u + 0x1234u);
    // A state of 0 is seeded before the next step, so a draw never stays at 0.
    s = 0;
    EXPECT_NE(vskstd::RandomDraw(s), 0u);
}

struct CodeCase {
    int a, b;
    SYSTEMTIME when;
    const char* code;
};
const CodeCase kCodes[] = {
    {0, 0, {1998, 1, 4, 1, 0, 0, 0, 0}, "B001000O00"},
    {0, 0, {1990, 6, 0, 15, 12, 30, 0, 0}, "B001000O00"},  // before 1998: 1998-01-01 00:00
    {37, 0, {1998, 1, 4, 1, 0, 0, 0, 0}, "A001000O10"},    // a is taken mod 36
    {1, 0, {1998, 1, 4, 1, 0, 0, 0, 0}, "A001000O10"},
};

TEST(PasswordCommand, ScoreCodesAtSetLocalTimes) {
    for (const CodeCase& c : kCodes) {
        char code[11];
        vskstr::ScoreCode(c.a, c.b, c.when, code);
        EXPECT_STREQ(code, c.code) << c.a << " " << c.when.wYear;
        int sum = 0;
        for (int i = 0; i < 10; ++i) sum += code[i] <= '9' ? code[i] - '0' : code[i] - 'A' + 10;
        EXPECT_EQ(sum % 36, 0) << code;
    }
}

TEST(CommandLibraries, EachReportsItsVersion) {
    for (const char* lib : {"STANDARD.DLL", "FILE.DLL", "STRING.DLL"}) {
        HMODULE h = LoadLibraryA((std::string(VSK_TEST_BIN_SYSTEM) + lib).c_str());
        ASSERT_NE(h, nullptr) << lib;
        auto version = reinterpret_cast<int(WINAPI*)(tagVALUAREA*, tagVALUEBLOCK*)>(
            reinterpret_cast<void*>(GetProcAddress(h, "VSK_Version")));
        ASSERT_NE(version, nullptr) << lib;
        Context ctx;
        tagVALUE slots[27] = {};
        tagVALUEBLOCK frame{slots, 27, 0};
        EXPECT_EQ(version(ctx, &frame), 1);
        EXPECT_EQ(Text(ctx, slots[0]), "3.319980601") << lib;
        FreeLibrary(h);
    }
}

}  // namespace
