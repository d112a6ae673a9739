// Ini files: reading, lists, numbers, writing with other lines kept, the Windows folder, bad
// input; writes that fail or are cut short leave the old file whole, programs writing one file
// at once lose no key, reads parse a file once while it is unchanged, oversized files refused.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <windows.h>
#include <wynplat.h>

#include "../common/child_process.h"
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

// ---- writes that never leave a part of the file ----

// The names in a folder, hidden ones included.
std::set<std::string> Listing(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        names.insert(e.path().filename().string());
    return names;
}

TEST_F(Profiles, AWriteThatFailsPartWayLeavesTheOldFileWhole) {
    const std::string before = t.Read("test.ini");
    const std::set<std::string> names = Listing(t.linux());
    struct Case {
        const char* what;
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"a value changed", "Game", "Speed", "5"},
        {"a section added", "Added", "k", "v"},
        {"a key removed", "game", "Name", nullptr},
        {"a section removed", "DISPLAY", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        WynPlat_SetIniWriteFault(1, 0);
        SetLastError(0);
        EXPECT_FALSE(WritePrivateProfileStringA(c.section, c.key, c.value, file.c_str())) << c.what;
        EXPECT_EQ(GetLastError(), (DWORD)ERROR_DISK_FULL) << c.what;
        EXPECT_EQ(t.Read("test.ini"), before) << c.what;
        EXPECT_EQ(Listing(t.linux()), names) << c.what << ": nothing left beside the file";
        EXPECT_EQ(GetPrivateProfileIntA("game", "speed", 0, file.c_str()), 3u) << c.what;
    }
    // The fault names one write: the one after it goes through, and so do those before it.
    WynPlat_SetIniWriteFault(2, 0);
    ASSERT_TRUE(WritePrivateProfileStringA("Game", "Speed", "5", file.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("Game", "Speed", "6", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Game", "Speed", "7", file.c_str()));
    EXPECT_EQ(GetPrivateProfileIntA("game", "speed", 0, file.c_str()), 7u);
    EXPECT_EQ(Listing(t.linux()), names);
}

TEST_F(Profiles, ReplacingKeepsTheFilesPermissionsAndLinks) {
    ASSERT_EQ(chmod(t.Linux("test.ini").c_str(), 0640), 0);
    ASSERT_TRUE(WritePrivateProfileStringA("Game", "Speed", "5", file.c_str()));
    struct stat st;
    ASSERT_EQ(stat(t.Linux("test.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // Through a link the file it names is replaced, and the link stays a link.
    t.MakeDir("real");
    t.Write("real/target.ini", "[a]\r\nk=1\r\n");
    std::filesystem::create_symlink(t.Linux("real/target.ini"), t.Linux("link.ini"));
    ASSERT_TRUE(WritePrivateProfileStringA("a", "k", "2", t.Sys("link.ini").c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(t.Linux("link.ini")));
    EXPECT_EQ(t.Read("real/target.ini"), "[a]\r\nk=2\r\n");
    EXPECT_EQ(Listing(t.Linux("real")), std::set<std::string>{"target.ini"});
    // A folder where the file should be: refused, nothing written.
    t.MakeDir("folder.ini");
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringA("a", "k", "v", t.Sys("folder.ini").c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
    EXPECT_TRUE(Listing(t.Linux("folder.ini")).empty());
}

TEST_F(Profiles, AProgramKilledWhileWritingLeavesTheOldFile) {
    const std::string before = t.Read("test.ini");
    ChildProcesses programs;
    const pid_t pid = programs.Start({INI_WRITER, file, "Game", "Speed", "1"},
                                     {{"WYN_INI_WRITE_FAULT", "1:kill"}}, t.linux());
    ASSERT_NE(pid, 0);
    EXPECT_EQ(programs.Wait(pid), -1000) << "killed at its write";
    EXPECT_EQ(t.Read("test.ini"), before);
    EXPECT_EQ(GetPrivateProfileIntA("game", "speed", 0, file.c_str()), 3u);
    // The next write takes the place of what the killed one left beside the file.
    ASSERT_TRUE(WritePrivateProfileStringA("Game", "Speed", "4", file.c_str()));
    EXPECT_EQ(GetPrivateProfileIntA("game", "speed", 0, file.c_str()), 4u);
    EXPECT_EQ(Listing(t.linux()), (std::set<std::string>{"test.ini", "win"}));
}

TEST_F(Profiles, TwoProgramsWritingOneFileLoseNeithersKeys) {
    constexpr int kKeys = 60;
    ChildProcesses programs;
    const std::string n = std::to_string(kKeys);
    const pid_t a = programs.Start({INI_WRITER, file, "Both", "a", n}, {}, t.linux());
    const pid_t b = programs.Start({INI_WRITER, file, "Both", "b", n}, {}, t.linux());
    ASSERT_NE(a, 0);
    ASSERT_NE(b, 0);
    EXPECT_EQ(programs.Wait(a), 0);
    EXPECT_EQ(programs.Wait(b), 0);
    for (int i = 0; i < kKeys; ++i)
        for (const char* prefix : {"a", "b"}) {
            const std::string key = prefix + std::to_string(i);
            EXPECT_EQ(GetPrivateProfileIntA("Both", key.c_str(), -1, file.c_str()), UINT(i)) << key;
        }
    EXPECT_EQ(GetPrivateProfileIntA("game", "speed", 0, file.c_str()), 3u);
    EXPECT_EQ(GetPrivateProfileIntA("display", "width", 0, file.c_str()), 640u);
}

// ---- one parse per file while it is unchanged ----

// Rewrites a file in place (the same file, not a new one) and sets its modification time.
void Rewrite(const std::string& path, const std::string& bytes, time_t sec, long nsec) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    const timespec times[2] = {{sec, nsec}, {sec, nsec}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST_F(Profiles, ReadsParseAFileOnceUntilItChanges) {
    const std::string path = t.Linux("test.ini");
    const std::string text = t.Read("test.ini");
    Rewrite(path, text, 1000000000, 0);
    const long parses = WynPlat_IniParseCount();
    char buf[64];
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(GetPrivateProfileIntA("game", "speed", 0, file.c_str()), 3u);
        GetPrivateProfileStringA("display", "width", "", buf, sizeof buf, file.c_str());
        GetPrivateProfileStringA(nullptr, nullptr, "", buf, sizeof buf, file.c_str());
    }
    EXPECT_EQ(WynPlat_IniParseCount() - parses, 1);

    struct Change {
        const char* what;
        std::string bytes;
        time_t sec;
        long nsec;
        UINT speed;
    };
    std::string same = text;
    same.replace(same.find("Speed = 3"), 9, "Speed = 4");
    std::string longer = text + "[more]\r\nx=1\r\n";
    longer.replace(longer.find("Speed = 3"), 9, "Speed = 5");
    const Change changes[] = {
        {"the same size, a nanosecond later", same, 1000000000, 1, 4},
        {"another size, the same time", longer, 1000000000, 1, 5},
    };
    for (const auto& c : changes) {
        Rewrite(path, c.bytes, c.sec, c.nsec);
        const long before = WynPlat_IniParseCount();
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(GetPrivateProfileIntA("game", "speed", 0, file.c_str()), c.speed) << c.what;
        EXPECT_EQ(WynPlat_IniParseCount() - before, 1) << c.what;
    }
    // A write of this process drops the parsed copy: the next read parses the new file.
    ASSERT_TRUE(WritePrivateProfileStringA("game", "speed", "6", file.c_str()));
    const long before = WynPlat_IniParseCount();
    EXPECT_EQ(GetPrivateProfileIntA("game", "speed", 0, file.c_str()), 6u);
    EXPECT_EQ(GetPrivateProfileIntA("game", "speed", 0, file.c_str()), 6u);
    EXPECT_EQ(WynPlat_IniParseCount() - before, 1);
}

TEST_F(Profiles, AFileOverOneMegabyteIsRefusedOnceAndReadsGiveTheDefaults) {
    const std::string head = "[a]\r\nk=1\r\n;";
    t.Write("exact.ini", head + std::string((1 << 20) - head.size(), 'x'));
    t.Write("big.ini", head + std::string((1 << 20) - head.size() + 1, 'x'));
    const std::string exact = t.Sys("exact.ini"), big = t.Sys("big.ini");
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(GetPrivateProfileIntA("a", "k", 7, exact.c_str()), 1u) << "1 MB is still read";
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes);
    char buf[64];
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(GetPrivateProfileIntA("a", "k", 7, big.c_str()), 7u);
        EXPECT_EQ(GetPrivateProfileStringA("a", "k", "dflt", buf, sizeof buf, big.c_str()), 4u);
        EXPECT_EQ(GetPrivateProfileStringA(nullptr, nullptr, "", buf, sizeof buf, big.c_str()), 0u);
    }
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1) << "one message for many reads";
    char caption[256] = {}, text[1024] = {};
    ASSERT_TRUE(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text));
    EXPECT_STREQ(caption, "platform_files_test");
    EXPECT_NE(std::string(text).find(t.Linux("big.ini")), std::string::npos) << text;
    // A write is refused as well, and the file stays as it is.
    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringA("a", "k", "2", big.c_str()));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(std::filesystem::file_size(t.Linux("big.ini")), (1u << 20) + 1);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    // Brought back to a sane size, it is read again.
    t.Write("big.ini", "[a]\r\nk=3\r\n");
    EXPECT_EQ(GetPrivateProfileIntA("a", "k", 7, big.c_str()), 3u);
}

}  // namespace
