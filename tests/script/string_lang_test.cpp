// The lead-byte test follows the country code: 81 (Japanese) knows the Shift-JIS lead ranges,
// any other country takes every byte from 0x81 up as a lead byte. Built once per language.
#include <gtest/gtest.h>

#include "vsk_test_support.h"

using namespace vsktest;

namespace {

#if VSK_TEST_JAPANESE
#define LANGUAGE_SUITE VskLeadBytesJapanese
#else
#define LANGUAGE_SUITE VskLeadBytesEnglish
#endif

struct WordCase {
    const char* bytes;
    std::vector<WORD> japanese, other;
};

const WordCase kCases[] = {
    {"\x82\xA0", {0x82A0}, {0x82A0}},
    {"\xA0", {0xA0}, {0xA0}},
    {"\xA0\x41", {0xA0, 0x41}, {0xA041}},
    {"\xE0\x40", {0xE040}, {0xE040}},
    {"\xFD\x41", {0xFD, 0x41}, {0xFD41}},
    {"A\x82", {0x41, 0x82}, {0x41, 0x82}},  // a lead byte last is a unit of its own
    {"\x82", {0x82}, {0x82}},
};

TEST(LANGUAGE_SUITE, UnitsFollowTheCountry) {
    Context ctx;
    for (const WordCase& c : kCases) {
        WORD out[VSK_WORDBUF];
        out[5] = 0x5555;
        VSKSTR_Word(ctx, out, c.bytes);
        const std::vector<WORD>& want = VSK_TEST_JAPANESE ? c.japanese : c.other;
        std::vector<WORD> got;
        for (int i = 0; out[i]; ++i) got.push_back(out[i]);
        EXPECT_EQ(got, want) << "case " << (&c - kCases);
        EXPECT_EQ(out[5], 0x5555) << "written past the text";
    }
}

}  // namespace
