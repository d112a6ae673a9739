// Ini files: reading, lists, numbers, writing with other lines kept, the Windows folder, bad input.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include <windows.h>
#include <wynplat.h>

#include "temp_folder.h"

namespace {

const char kIni[] =
    "; settings\r\n"
    "[Game]\r\n"
    "Speed = 3 \r\n"
    "Name=\"Tower One\"\r\n"
    "quoted='x'\r\n"
    "Half=\"abc\r\n"
    "empty=\r\n"
    "neg=-32768\r\n"
    "hex=0x1F\r\n"
    "junk=12abc\r\n"
    "=orphan\r\n"  // an empty name: no key, neither read nor listed
    " \t= spaced\r\n"
    "\r\n"
    "[ DISPLAY ]\n"
    "Width=640\n"
    "[game]\n"
    "Speed=9\n";

class Profiles : public ::testing::Test {
  protected:
    void SetUp() override {
        t.Write("test.ini", std::string(kIni, sizeof kIni - 1));
        t.MakeDir("win");
        setenv("WYN_WINDOWS_DIR", t.Linux("win").c_str(), 1);
        file = t.Sys("TEST.INI");
    }
    void TearDown() override { unsetenv("WYN_WINDOWS_DIR"); }
    TempFolder t;
    std::string file;
};

TEST_F(Profiles, ReadsValuesAsTheSystemDoes) {
    struct Case {
        const char* section;
        const char* key;
        const char* def;
        DWORD cap;
        const char* value;
        DWORD result;
    };
    const Case cases[] = {
        {"Game", "Speed", "d", 64, "3", 1},
        {"GAME", "speed", "d", 64, "3", 1},         // case-insensitive; the first [game] wins
        {"game", "Name", "d", 64, "Tower One", 9},  // quotes dropped
        {"game", "quoted", "d", 64, "x", 1},
        {"game", "Half", "d", 64, "\"abc", 4},       // an unmatched quote stays
        {"game", "empty", "d", 64, "", 0},           // present but empty: not the default
        {"game", "missing", "def  ", 64, "def", 3},  // the default without trailing blanks
        {"game", "missing", nullptr, 64, "", 0},
        {"nosuch", "Speed", "d", 64, "d", 1},
        {"display", "WIDTH", "d", 64, "640", 3},  // blanks around the section name ignored
        {"game", "Name", "d", 4, "Tow", 3},       // cut to the buffer
        {"game", "missing", "default", 4, "def", 3},
        {"game", "Name", "d", 1, "", 0},
        {"game", "", "d", 64, "d", 1},  // a line that begins with '=' is no key
    };
    for (const auto& c : cases) {
        char buf[64];
        memset(buf, 'Z', sizeof buf);
        DWORD n = GetPrivateProfileStringA(c.section, c.key, c.def, buf, c.cap, file.c_str());
        EXPECT_EQ(n, c.result) << c.section << "/" << c.key << " cap " << c.cap;
        EXPECT_STREQ(buf, c.value) << c.section << "/" << c.key << " cap " << c.cap;
    }
    char buf[8];
    EXPECT_EQ(GetPrivateProfileStringA("game", "Speed", "d", nullptr, 8, file.c_str()), 0u);
    EXPECT_EQ(GetPrivateProfileStringA("game", "Speed", "d", buf, 0, file.c_str()), 0u);
    // A missing file reads as an empty one.
    EXPECT_EQ(GetPrivateProfileStringA("game", "Speed", "d", buf, 8, t.Sys("none.ini").c_str()),
              1u);
    EXPECT_STREQ(buf, "d");
}

TEST_F(Profiles, ReadsNumbers) {
    struct Case {
        const char* key;
        INT def;
        UINT value;
    };
    const Case cases[] = {
        {"Speed", 0, 3},           {"neg", 0, (UINT)-32768}, {"hex", 0, 31},
        {"junk", 0, 12},           {"Name", 5, 0},  // not a number
        {"empty", 7, 7},                            // empty: the default
        {"missing", -5, (UINT)-5},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetPrivateProfileIntA("GAME", c.key, c.def, file.c_str()), c.value) << c.key;
}

TEST_F(Profiles, ListsSectionsAndKeys) {
    struct Case {
        const char* section;
        DWORD cap;
        std::string list;
        DWORD result;
    };
    const Case cases[] = {
        {nullptr, 64, std::string("Game\0DISPLAY\0game\0\0", 19), 18},
        {nullptr, 8, std::string("Game\0D\0\0", 8), 6},  // cut: two zeros at the end
        {"display", 64, std::string("Width\0\0", 7), 6},
        {"game", 64, std::string("Speed\0Name\0quoted\0Half\0empty\0neg\0hex\0junk\0\0", 43), 42},
        {"nosuch", 64, std::string("\0\0", 2), 0},
    };
    for (const auto& c : cases) {
        char buf[64];
        memset(buf, 'Z', sizeof buf);
        DWORD n = GetPrivateProfileStringA(c.section, nullptr, "d", buf, c.cap, file.c_str());
        EXPECT_EQ(n, c.result) << (c.section ? c.section : "(sections)") << " cap " << c.cap;
        EXPECT_EQ(std::string(buf, c.list.size()), c.list)
            << (c.section ? c.section : "(sections)");
    }
}

TEST_F(Profiles, WritesAndKeepsOtherLines) {
    std::string before(kIni, sizeof kIni - 1);
    ASSERT_TRUE(WritePrivateProfileStringA("DISPLAY", "width", "800", file.c_str()));
    std::string after = t.Read("test.ini");
    std::string expected = before;
    expected.replace(expected.find("Width=640\n"), 10, "Width=800\n");  // the file's own line ends
    EXPECT_EQ(after, expected);

    ASSERT_TRUE(WritePrivateProfileStringA("game", "New", "n v", file.c_str()));
    expected.replace(expected.find("\r\n\r\n[ DISPLAY") + 2, 0,
                     "New=n v\r\n");  // after the section's last line, before the blank one
    EXPECT_EQ(t.Read("test.ini"), expected);
    char buf[32];
    GetPrivateProfileStringA("GAME", "new", "", buf, sizeof buf, file.c_str());
    EXPECT_STREQ(buf, "n v");

    ASSERT_TRUE(
        WritePrivateProfileStringA("Game", "NEW", nullptr, file.c_str()));  // deletes the key
    ASSERT_TRUE(WritePrivateProfileStringA("Game", "absent", nullptr, file.c_str()));
    EXPECT_EQ(t.Read("test.ini"),
              before.substr(0, 0) + expected.replace(expected.find("New=n v\r\n"), 9, ""));

    ASSERT_TRUE(
        WritePrivateProfileStringA("Display", nullptr, nullptr, file.c_str()));  // the section
    EXPECT_EQ(GetPrivateProfileIntA("display", "width", -1, file.c_str()), (UINT)-1);
    EXPECT_NE(t.Read("test.ini").find("[game]\nSpeed=9\n"), std::string::npos);

    ASSERT_TRUE(WritePrivateProfileStringA("Added", "k", "v", file.c_str()));
    EXPECT_EQ(GetPrivateProfileIntA("added", "K", 0, file.c_str()), 0u);
    GetPrivateProfileStringA("added", "K", "", buf, sizeof buf, file.c_str());
    EXPECT_STREQ(buf, "v");
}

TEST_F(Profiles, WritesWithTheFilesOwnLineEnds) {
    struct Case {
        const char* before;
        const char* section;
        const char* key;
        const char* value;
        const char* after;
    };
    const Case cases[] = {
        {"[a]\r\nk=1", "a", "k", "2", "[a]\r\nk=2"},  // an unended last line stays so
        {"[a]\r\nk=1", "a", "j", "3", "[a]\r\nk=1\r\nj=3\r\n"},
        {"[a]\r\nk=1", "b", "x", "1", "[a]\r\nk=1\r\n\r\n[b]\r\nx=1\r\n"},
        {"[a]\nk=1\n", "A", "j", "3", "[a]\nk=1\nj=3\n"},
        {"[a]\nk=1\n", "b", "x", "1", "[a]\nk=1\n\n[b]\nx=1\n"},
        {"[a]\nk=1\n  \n[b]\n", "a", "j", "3", "[a]\nk=1\nj=3\n  \n[b]\n"},
        {"[a]\n\n", "c", "x", "1", "[a]\n\n[c]\nx=1\n"},
        {"", "a", "k", "v", "[a]\r\nk=v\r\n"},
        {"x=1\r\n[a]\r\n", "a", "x", "2",
         "x=1\r\n[a]\r\nx=2\r\n"},  // a key before any section is no key of [a]
    };
    for (const auto& c : cases) {
        t.Write("ends.ini", c.before);
        ASSERT_TRUE(
            WritePrivateProfileStringA(c.section, c.key, c.value, t.Sys("ends.ini").c_str()))
            << c.before;
        EXPECT_EQ(t.Read("ends.ini"), c.after) << c.before;
    }
}

TEST_F(Profiles, CreatesFilesAndUsesTheWindowsFolder) {
    std::string fresh = t.Sys("Fresh.ini");
    ASSERT_TRUE(WritePrivateProfileStringA("S", nullptr, nullptr, fresh.c_str()));
    EXPECT_FALSE(t.Exists("Fresh.ini"));  // nothing to write: nothing created
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", fresh.c_str()));
    EXPECT_EQ(t.Read("Fresh.ini"), "[S]\r\nk=v\r\n");
    ASSERT_TRUE(WritePrivateProfileStringA("T", "a", "1", fresh.c_str()));
    EXPECT_EQ(t.Read("Fresh.ini"), "[S]\r\nk=v\r\n\r\n[T]\r\na=1\r\n");

    ASSERT_TRUE(WritePrivateProfileStringA("X", "y", "z", "bare.ini"));
    EXPECT_EQ(t.Read("win/bare.ini"), "[X]\r\ny=z\r\n");
    char buf[16];
    EXPECT_EQ(GetPrivateProfileStringA("x", "Y", "", buf, sizeof buf, "BARE.INI"), 1u);

    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", t.Sys("NoFolder\\x.ini").c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", fresh.c_str()));
    EXPECT_FALSE(
        WritePrivateProfileStringA("S", "k", "v", ("C:\\" + std::string(300, 'q')).c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILENAME_EXCED_RANGE);
}

TEST_F(Profiles, TheCountryFollowsTheLanguage) {
    UINT expected = WynPlat_IsJapanese() ? 81 : 1;
    EXPECT_EQ(GetProfileIntA("intl", "iCountry", 0), expected);
    // The one language setting wins over whatever win.ini says.
    t.Write("win/win.ini", "[intl]\r\niCountry=44\r\nsLanguage=xx\r\n");
    EXPECT_EQ(GetProfileIntA("INTL", "icountry", 0), expected);
    char buf[16];
    GetProfileStringA("intl", "sLanguage", "", buf, sizeof buf);
    EXPECT_STREQ(buf, "xx");
    EXPECT_EQ(GetProfileIntA("intl", "missing", 3), 3u);
}

TEST_F(Profiles, SurvivesBinaryGarbage) {
    std::string garbage;
    uint32_t seed = 12345;
    const char alphabet[] = "[]=\r\n \"'ab\0\x81\x5C\xFF";
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage +=
            (seed >> 16) % 3 ? alphabet[(seed >> 8) % (sizeof alphabet - 1)] : char(seed >> 24);
    }
    garbage += "\n[end]\nk=v";  // and no line end at the very end
    t.Write("garbage.ini", garbage);
    std::string g = t.Sys("garbage.ini");
    char buf[64];
    for (DWORD cap : {1u, 2u, 3u, 64u}) {
        DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", buf, cap, g.c_str());
        EXPECT_LE(n, cap) << cap;
        n = GetPrivateProfileStringA("a", nullptr, "", buf, cap, g.c_str());
        EXPECT_LE(n, cap) << cap;
        n = GetPrivateProfileStringA("a", "b", "dflt", buf, cap, g.c_str());
        EXPECT_LT(n, cap) << cap;
    }
    EXPECT_EQ(GetPrivateProfileIntA("end", "k", 0, g.c_str()), 0u);
    GetPrivateProfileStringA("end", "k", "", buf, sizeof buf, g.c_str());
    EXPECT_STREQ(buf, "v");
    ASSERT_TRUE(WritePrivateProfileStringA("end", "k", "w", g.c_str()));
    std::string after = t.Read("garbage.ini");
    EXPECT_EQ(after.substr(0, garbage.size() - 3), garbage.substr(0, garbage.size() - 3));  // kept
    GetPrivateProfileStringA("end", "k", "", buf, sizeof buf, g.c_str());
    EXPECT_STREQ(buf, "w");
}

}  // namespace
