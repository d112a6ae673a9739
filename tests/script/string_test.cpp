// Strings of 16-bit units: the 999-unit limit everywhere, joining, and the type checks.
#include <gtest/gtest.h>

#include <string>

#include "vsk_test_support.h"

using namespace vsktest;

namespace {

std::vector<WORD> Units(size_t n, WORD u = 'x') {
    std::vector<WORD> v(n, u);
    v.push_back(0);
    return v;
}

TEST(VskStrings, NineHundredNinetyNineUnitsAndNoMore) {
    Context ctx;
    tagVALUE v{};
    Boxes boxes;
    ASSERT_EQ(VSKSTR_SetWord(ctx, &v, Units(999).data()), 1);
    EXPECT_EQ(VskSaqLength(&v), 999);
    WORD out[VSK_WORDBUF];
    ASSERT_EQ(VSKSTR_GetWord(ctx, &v, out), 1);
    EXPECT_EQ(out[998], 'x');
    EXPECT_EQ(out[999], 0);
    // 999 double-byte units fill the byte buffer exactly: 1998 bytes and the 0.
    tagVALUE wide{};
    ASSERT_EQ(VSKSTR_SetWord(ctx, &wide, Units(999, 0x82A0).data()), 1);
    char bytes[VSK_BYTEBUF + 1];
    bytes[VSK_BYTEBUF] = 0x55;
    ASSERT_EQ(VSKSTR_GetByte(ctx, &wide, bytes), 1);
    EXPECT_EQ(std::strlen(bytes), 1998u);
    EXPECT_EQ(bytes[VSK_BYTEBUF], 0x55);
    EXPECT_EQ(boxes.Count(), 0u);

    tagVALUE refused{};
    EXPECT_EQ(VSKSTR_SetWord(ctx, &refused, Units(1000).data()), 0);
    EXPECT_EQ(VSKSTR_SetByte(ctx, &refused, std::string(1000, 'y').c_str()), 0);
    EXPECT_EQ(VSKSTR_SetByte(ctx, &refused, std::string(5000, 'y').c_str()), 0);
    EXPECT_EQ(refused.mode, 0);
    const std::string kLong = U8(u8"文字列が1000文字を超えました。");
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{kLong, kLong, kLong}));
    // The conversion alone reports a cut text and keeps the first 999 units.
    EXPECT_EQ(VSKSTR_Word(ctx, out, std::string(1200, 'z').c_str()), 0);
    EXPECT_EQ(out[998], 'z');
    EXPECT_EQ(out[999], 0);
    VSKFAQ_Clear(ctx, &v);
    VSKFAQ_Clear(ctx, &wide);
}

TEST(VskStrings, AppendJoinsUpToNineHundredNinetyNineUnits) {
    Context ctx;
    tagVALUE a = Str(ctx, std::string(998, 'a').c_str()), b = Str(ctx, "b");
    ASSERT_EQ(VSKSTR_Append(ctx, &a, &b), 1);
    EXPECT_EQ(VskSaqLength(&a), 999);
    EXPECT_EQ(Bytes(ctx, a), std::string(998, 'a') + "b");
    Boxes boxes;
    tagVALUE before = a;
    EXPECT_EQ(VSKSTR_Append(ctx, &a, &b), 0);
    EXPECT_EQ(std::memcmp(&a, &before, sizeof a), 0);
    EXPECT_EQ(Bytes(ctx, a), std::string(998, 'a') + "b");
    tagVALUE n = Num(ctx, "1");
    EXPECT_EQ(VSKSTR_Append(ctx, &a, &n), 0);
    EXPECT_EQ(VSKSTR_CheckMode(ctx, &n), 0);
    EXPECT_EQ(VSKSTR_CheckMode(ctx, &a), 1);
    EXPECT_EQ(boxes.Texts(),
              (std::vector<std::string>{U8(u8"文字列の連結で1000文字を超えました。"),
                                        U8(u8"接続される2つのSAQは文字列ではありません。"),
                                        U8(u8"指定されたSAQは文字列ではありません。")}));
    // Joining a string to itself.
    tagVALUE c = Str(ctx, "ab");
    ASSERT_EQ(VSKSTR_Append(ctx, &c, &c), 1);
    EXPECT_EQ(Bytes(ctx, c), "abab");
    for (tagVALUE* v : {&a, &b, &c}) VSKFAQ_Clear(ctx, v);
}

TEST(VskStrings, BytesAndUnitsConvertBothWays) {
    Context ctx;
    // Shift-JIS "Aあ": 0x41, 0x82 0xA0.
    const char kText[] = "A\x82\xA0";
    WORD units[VSK_WORDBUF];
    ASSERT_EQ(VSKSTR_Word(ctx, units, kText), 1);
    EXPECT_EQ(units[0], 0x41);
    EXPECT_EQ(units[1], 0x82A0);
    EXPECT_EQ(units[2], 0);
    char back[VSK_BYTEBUF];
    VSKSTR_Byte(ctx, back, units);
    EXPECT_STREQ(back, kText);
    tagVALUE s = Str(ctx, kText);
    EXPECT_EQ(VskSaqLength(&s), 2);
    EXPECT_EQ(Bytes(ctx, s), kText);
    tagVALUE empty{};
    ASSERT_EQ(VSKSTR_SetByte(ctx, &empty, nullptr), 1);
    EXPECT_EQ(VskSaqLength(&empty), 0);
    EXPECT_EQ(Bytes(ctx, empty), "");
    VSKSTR_Clear(ctx, &s);
    EXPECT_EQ(s.mode, 0);
    VSKSTR_Clear(ctx, &empty);
}

TEST(VskStrings, ArecordNamingNoStringReadsEmpty) {
    Context ctx;
    tagVALUE fake{};
    fake.mode = VSK_MODE_STRING;
    VskSetPtr(&fake, 0, ctx->hstring);
    VskSetInt(&fake, 1, 4000);  // no block begins there
    VskSetInt(&fake, 2, 5);
    WORD out[VSK_WORDBUF] = {1, 2, 3};
    EXPECT_EQ(VSKSTR_GetWord(ctx, &fake, out), 0);
    EXPECT_EQ(out[0], 0);
    VSKFAQ_Clear(ctx, &fake);  // refused by the heap, which stays whole
    tagVALUE s = Str(ctx, "still fine");
    EXPECT_EQ(Bytes(ctx, s), "still fine");
    VSKFAQ_Clear(ctx, &s);
}

}  // namespace
