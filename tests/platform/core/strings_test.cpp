// wsprintfA, the lstr* family and MulDiv.
#include <windows.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

struct FormatCase {
    const char* expect;
    const char* format;
    long long a;  // passed as the letter needs it
};

const FormatCase kNumbers[] = {
    {"42", "%d", 42},
    {"-42", "%i", -42},
    {"4294967254", "%u", -42},
    {"ff", "%x", 255},
    {"FF", "%X", 255},
    {"ffffffd6", "%x", -42},
    {"-2147483648", "%d", INT_MIN},
    {"123", "%ld", 123},
    {"4000000000", "%lu", 4000000000LL},
    {"deadbeef", "%lx", 0xDEADBEEFLL},
    {"-1", "%hd", 0xFFFF},
    {"65535", "%hu", 0xFFFF},
    {"   42", "%5d", 42},
    {"42   |", "%-5d|", 42},
    {"00042", "%05d", 42},
    {"-0042", "%05d", -42},
    {"  -42", "%5d", -42},
    {"00ff", "%04x", 255},
    {"  007", "%5.3d", 7},
    {"0x1f", "%#x", 31},
    {"0X1F", "%#X", 31},
    {"0", "%d", 0},
    {"", "%.0d", 0},
    {"2001/02/03", "%04d/%02d/%02d", 2001},  // the others are given below
};

std::string Format(const char* format, ...) {
    char buf[1025];
    std::memset(buf, 'Z', sizeof buf);
    va_list args;
    va_start(args, format);
    int n = wvsprintfA(buf, format, args);
    va_end(args);
    EXPECT_EQ(n, static_cast<int>(std::strlen(buf))) << format;
    return buf;
}

}  // namespace

TEST(Wsprintf, NumberLettersFlagsAndWidths) {
    for (const auto& c : kNumbers) {
        char buf[1025];
        int n;
        if (std::strcmp(c.format, "%04d/%02d/%02d") == 0)
            n = wsprintfA(buf, c.format, 2001, 2, 3);
        else
            n = wsprintfA(buf, c.format, static_cast<int>(c.a));
        EXPECT_STREQ(buf, c.expect) << "format " << c.format;
        EXPECT_EQ(n, static_cast<int>(std::strlen(c.expect))) << "format " << c.format;
    }
}

TEST(Wsprintf, CharactersStringsAndPercent) {
    EXPECT_EQ(Format("%c%c", 'o', 'k'), "ok");
    EXPECT_EQ(Format("[%s]", "abc"), "[abc]");
    EXPECT_EQ(Format("[%5s]", "abc"), "[  abc]");
    EXPECT_EQ(Format("[%-5s]", "abc"), "[abc  ]");
    EXPECT_EQ(Format("[%.2s]", "abc"), "[ab]");
    EXPECT_EQ(Format("[%s]", static_cast<const char*>(nullptr)), "[(null)]");
    EXPECT_EQ(Format("100%%"), "100%");
    EXPECT_EQ(Format("%y"), "y") << "an unknown letter stands for itself";
    EXPECT_EQ(Format("end%"), "end");
    // Shift-JIS text passes through byte for byte ("空港" and a trail byte that is '\').
    EXPECT_EQ(Format("%s:\x8b\xf3", "\x8d\x60\x95\x5c"), "\x8d\x60\x95\x5c:\x8b\xf3");
}

TEST(Wsprintf, StopsAt1024CharactersWithoutOverflow) {
    std::string longText(3000, 'x');
    struct Case {
        const char* name;
        std::string format;
        bool useArg;
    };
    const Case cases[] = {
        {"long argument", "%s", true},
        {"long literal", std::string(2000, 'y'), false},
        {"wide field", "%2000d", false},
        {"literal then argument", std::string(1000, 'y') + "%s", true},
    };
    for (const auto& c : cases) {
        char buf[1025 + 16];
        std::memset(buf, 'G', sizeof buf);
        int n = c.useArg ? wsprintfA(buf, c.format.c_str(), longText.c_str())
                         : wsprintfA(buf, c.format.c_str(), 5);
        EXPECT_EQ(n, 1024) << c.name;
        EXPECT_EQ(buf[1024], '\0') << c.name;
        for (int i = 1025; i < 1025 + 16; ++i)
            ASSERT_EQ(buf[i], 'G') << c.name << " wrote past 1025";
    }
}

TEST(Wsprintf, NullArgumentsAreHarmless) {
    EXPECT_EQ(wsprintfA(nullptr, "%d", 1), 0);
    char buf[8] = "zzz";
    EXPECT_EQ(wsprintfA(buf, nullptr), 0);
    EXPECT_STREQ(buf, "");
}

TEST(Lstr, LengthCopyConcatenateNullSafe) {
    EXPECT_EQ(lstrlenA("abc"), 3);
    EXPECT_EQ(lstrlenA(""), 0);
    EXPECT_EQ(lstrlenA(nullptr), 0);
    char buf[16] = "";
    EXPECT_EQ(lstrcpyA(buf, "tower"), buf);
    EXPECT_STREQ(buf, "tower");
    EXPECT_EQ(lstrcatA(buf, "97"), buf);
    EXPECT_STREQ(buf, "tower97");
    EXPECT_EQ(lstrcpyA(nullptr, "x"), nullptr);
    EXPECT_EQ(lstrcpyA(buf, nullptr), nullptr);
    EXPECT_EQ(lstrcatA(nullptr, "x"), nullptr);
    EXPECT_EQ(lstrcatA(buf, nullptr), nullptr);
    EXPECT_STREQ(buf, "tower97");

    struct Cpyn {
        const char* src;
        int cap;
        const char* expect;
    };
    const Cpyn cpyn[] = {{"runway", 16, "runway"},
                         {"runway", 4, "run"},
                         {"runway", 1, ""},
                         {"runway", 7, "runway"},
                         {"", 5, ""}};
    for (const auto& c : cpyn) {
        char out[16];
        std::memset(out, 'Q', sizeof out);
        EXPECT_EQ(lstrcpynA(out, c.src, c.cap), out) << c.src << "/" << c.cap;
        EXPECT_STREQ(out, c.expect) << c.src << "/" << c.cap;
    }
    char untouched[4] = "abc";
    EXPECT_EQ(lstrcpynA(untouched, "xyz", 0), untouched);
    EXPECT_STREQ(untouched, "abc");
    EXPECT_EQ(lstrcpynA(nullptr, "x", 3), nullptr);
}

TEST(Lstr, CompareLikeTheSystem) {
    struct Cmp {
        const char* a;
        const char* b;
        int cs;
        int ci;
    };
    const Cmp cases[] = {
        {"abc", "abc", 0, 0},
        {"abc", "ABC", -1, 0},  // lower case first when only the case differs
        {"ABC", "abc", 1, 0},
        {"a", "B", -1, -1},  // letters compare alphabetically, not by code
        {"B", "a", 1, 1},
        {"abc", "abcd", -1, -1},
        {"Stage1", "stage2", -1, -1},
        {"", "", 0, 0},
        {nullptr, nullptr, 0, 0},
        {nullptr, "", -1, -1},
        {"", nullptr, 1, 1},
        // The trail byte 0x61 of a Shift-JIS character is not a letter 'a'.
        {"\x83\x61", "\x83\x41", 1, 1},
    };
    for (const auto& c : cases) {
        auto sign = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
        EXPECT_EQ(sign(lstrcmpA(c.a, c.b)), c.cs)
            << "lstrcmpA(" << (c.a ? c.a : "NULL") << ", " << (c.b ? c.b : "NULL") << ")";
        EXPECT_EQ(sign(lstrcmpiA(c.a, c.b)), c.ci)
            << "lstrcmpiA(" << (c.a ? c.a : "NULL") << ", " << (c.b ? c.b : "NULL") << ")";
    }
}

TEST(MulDiv, RoundsHalfAwayFromZeroAndFailsCleanly) {
    struct Case {
        int n, num, den, expect;
    };
    const Case cases[] = {
        {10, 3, 4, 8},   // 7.5 -> 8
        {5, 1, 2, 3},    // 2.5 -> 3
        {-5, 1, 2, -3},  // -2.5 -> -3
        {5, -1, 2, -3},
        {5, 1, -2, -3},
        {-5, -1, -2, -3},
        {-5, -1, 2, 3},
        {7, 1, 3, 2},                      // 2.33 -> 2
        {8, 1, 3, 3},                      // 2.67 -> 3
        {100000, 100000, 100000, 100000},  // the product needs 64 bits
        {INT_MAX, 2, 2, INT_MAX},
        {INT_MAX, 2, 1, -1},  // does not fit
        {1, 1, 0, -1},        // division by 0
        {0, 5, 7, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.n, c.num, c.den), c.expect)
            << "MulDiv(" << c.n << ", " << c.num << ", " << c.den << ")";
}
