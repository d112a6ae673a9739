// The path resolver: separators, drives, case, Shift-JIS names, "..", limits.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include <windows.h>
#include <wynplat.h>

#include "temp_folder.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::string Resolve(const std::string& path, DWORD* error = nullptr) {
    char out[4096];
    SetLastError(0);
    int ok = WynPlat_ResolvePath(path.c_str(), out, sizeof out);
    if (error) *error = GetLastError();
    return ok ? std::string(out) : std::string("<fail>");
}

class Resolver : public ::testing::Test {
  protected:
    void SetUp() override {
        t.MakeDir("Data");
        t.Write("Data/Pic.BMP", "x");
        t.MakeDir("sub");
        t.MakeDir("Dup");
        t.MakeDir("dup");
        t.MakeDir(U8(u8"日本"));
        t.Write(U8(u8"日本/表.txt"), "y");  // 表 is 0x95 0x5C in Shift-JIS: its trail byte is '\'
        setenv("WYN_DRIVE_D", t.Linux("sub").c_str(), 1);
        unsetenv("WYN_DRIVE_E");
    }
    void TearDown() override { unsetenv("WYN_DRIVE_D"); }
    TempFolder t;
    KeepCurrentFolder keep;
};

struct ResolveCase {
    const char* path;      // inside the temp folder unless it names a drive
    const char* expected;  // relative to the temp folder (UTF-8); "/..." is absolute
};

TEST_F(Resolver, MapsSystemPathsOntoTheDisk) {
    const ResolveCase cases[] = {
        {"\\Data\\Pic.BMP", "Data/Pic.BMP"},
        {"\\data\\pic.bmp", "Data/Pic.BMP"},
        {"/DATA/PIC.BMP", "Data/Pic.BMP"},
        {"\\data/Pic.bmp", "Data/Pic.BMP"},
        {"\\Data\\new.txt", "Data/new.txt"},      // a missing name is kept as written
        {"\\NoFolder\\X.Txt", "NoFolder/X.Txt"},  // never upper- or lower-cased
        {"\\data\\..\\SUB", "sub"},
        {"\\.\\sub\\.\\", "sub"},
        {"\\Data\\Pic.BMP.", "Data/Pic.BMP"},  // trailing dots go, as on the system
        {"\\dup", "dup"},                      // an exact match wins
        {"\\Dup", "Dup"},
        {"\\DUP", "Dup"},  // else the first in byte order
        {"\\\x93\xFA\x96\x7B\\\x95\x5C.txt", "\xE6\x97\xA5\xE6\x9C\xAC/\xE8\xA1\xA8.txt"},  // UTF-8
        {"\\\x93\xFA\x96\x7B\\\x95\x5C.TXT", "\xE6\x97\xA5\xE6\x9C\xAC/\xE8\xA1\xA8.txt"},  // UTF-8
    };
    for (const auto& c : cases) {
        std::string expected = c.expected[0] == '/' ? c.expected : t.Linux(c.expected);
        EXPECT_EQ(Resolve(t.Sys() + c.path), expected) << "case " << c.path;
    }
}

TEST_F(Resolver, HandlesDrivesAndRelativePaths) {
    ASSERT_EQ(chdir(t.linux().c_str()), 0);
    const ResolveCase cases[] = {
        {"data\\pic.bmp", "Data/Pic.BMP"},
        {".\\Data\\..\\sub", "sub"},
        {"C:data\\pic.bmp", "Data/Pic.BMP"},  // drive-relative: the current folder of C:
        {"c:\\", "/"},
        {"C:/", "/"},
        {"\\", "/"},
        {"C:\\..\\..\\tmp", "/tmp"},  // ".." stops at the root
        {"D:\\x.ini", "sub/x.ini"},
        {"d:/X.ini", "sub/X.ini"},
        {"D:x.ini", "sub/x.ini"},  // drive-relative on a drive without a current folder
        {"D:\\..\\escape", "sub/escape"},
    };
    for (const auto& c : cases) {
        std::string expected = c.expected[0] == '/' ? c.expected : t.Linux(c.expected);
        EXPECT_EQ(Resolve(c.path), expected) << "case " << c.path;
    }
    // ".." may leave the program folder, as on the system.
    ASSERT_EQ(chdir(t.Linux("sub").c_str()), 0);
    EXPECT_EQ(Resolve("..\\Data\\PIC.bmp"), t.Linux("Data/Pic.BMP"));
}

TEST_F(Resolver, RefusesWhatCannotBeAPath) {
    struct Bad {
        std::string path;
        DWORD error;
    };
    const Bad cases[] = {
        {"E:\\x", ERROR_PATH_NOT_FOUND},  // no such drive
        {"", ERROR_PATH_NOT_FOUND},
        {"\\\\server\\share\\x", ERROR_BAD_NETPATH},
        {"\\\\.\\mailslot\\vsk\\message", ERROR_FILE_NOT_FOUND},
        {t.Sys("a*b.txt"), ERROR_INVALID_NAME},
        {t.Sys("a?b"), ERROR_INVALID_NAME},
        {t.Sys("a|b"), ERROR_INVALID_NAME},
        {"C:\\" + std::string(300, 'a'), ERROR_FILENAME_EXCED_RANGE},
        {t.Sys() + "\\" + std::string(250, 'b'), ERROR_FILENAME_EXCED_RANGE},
    };
    for (const auto& c : cases) {
        DWORD error = 0;
        EXPECT_EQ(Resolve(c.path, &error), "<fail>") << "case " << c.path.substr(0, 40);
        EXPECT_EQ(error, c.error) << "case " << c.path.substr(0, 40);
    }
    // A short relative name in a deep current folder is too long as a whole.
    std::string deep =
        std::string(60, 'd') + "/" + std::string(60, 'e') + "/" + std::string(60, 'f');
    t.MakeDir(deep);
    ASSERT_EQ(chdir(t.Linux(deep).c_str()), 0);
    DWORD error = 0;
    EXPECT_EQ(Resolve(std::string(100, 'g'), &error), "<fail>");
    EXPECT_EQ(error, (DWORD)ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(Resolve(std::string(10, 'g')), t.Linux(deep + "/" + std::string(10, 'g')));
    char small[8];
    SetLastError(0);
    EXPECT_EQ(WynPlat_ResolvePath("C:\\a\\long\\enough\\name", small, sizeof small), 0);
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_FILENAME_EXCED_RANGE);
    EXPECT_EQ(WynPlat_ResolvePath(nullptr, small, sizeof small), 0);
}

TEST_F(Resolver, GivesLinuxPathsTheSystemForm) {
    char out[1024];
    ASSERT_TRUE(WynPlat_ToSystemPath("/", out, sizeof out));
    EXPECT_STREQ(out, "C:\\");
    ASSERT_TRUE(WynPlat_ToSystemPath("/usr/./lib/../bin", out, sizeof out));
    EXPECT_STREQ(out, "C:\\usr\\bin");
    ASSERT_TRUE(WynPlat_ToSystemPath(t.Linux(U8(u8"日本/表.txt")).c_str(), out, sizeof out));
    EXPECT_EQ(std::string(out), t.Sys("\x93\xFA\x96\x7B\\\x95\x5C.txt"));
    // And back: the system form resolves to the same file.
    EXPECT_EQ(Resolve(out), t.Linux(U8(u8"日本/表.txt")));
    // A UTF-8 path handed through (not valid Shift-JIS) is taken as it is.
    EXPECT_EQ(Resolve(t.Linux(U8(u8"日本/表.txt"))), t.Linux(U8(u8"日本/表.txt")));
    char tiny[4];
    EXPECT_EQ(WynPlat_ToSystemPath("/usr/bin", tiny, sizeof tiny), 0);
}

TEST(Text, ConvertsCodePages) {
    struct Case {
        int codePage;
        std::string bytes;
        std::string utf8;
    };
    const Case cases[] = {
        {932, "\x93\xFA\x96\x7B\x8C\xEA", U8(u8"日本語")},
        {932, "\x95\x5C", U8(u8"表")},
        {932, "abc\\", "abc\\"},
        {950, "\xA4\xA4\xA4\xE5", U8(u8"中文")},
    };
    char out[64];
    for (const auto& c : cases) {
        EXPECT_EQ(WynPlat_ToUtf8(c.bytes.c_str(), c.codePage, out, sizeof out), c.utf8.size())
            << c.utf8;
        EXPECT_EQ(std::string(out), c.utf8);
        EXPECT_EQ(WynPlat_FromUtf8(c.utf8.c_str(), c.codePage, out, sizeof out), c.bytes.size())
            << c.utf8;
        EXPECT_EQ(std::string(out), c.bytes);
    }
    // Undecodable bytes become U+FFFD; characters a code page lacks become '?'.
    WynPlat_ToUtf8("a\x80z", 932, out, sizeof out);
    EXPECT_EQ(std::string(out), U8(u8"a\uFFFDz"));
    WynPlat_FromUtf8(U8(u8"a\U0001F600z").c_str(), 932, out, sizeof out);
    EXPECT_STREQ(out, "a?z");
    // Cut to the buffer, never inside a character.
    EXPECT_EQ(WynPlat_ToUtf8("\x93\xFA\x96\x7B", 932, out, 5), 3u);
    EXPECT_EQ(WynPlat_FromUtf8(U8(u8"日本").c_str(), 932, out, 4), 2u);
    EXPECT_EQ(WynPlat_ToUtf8("abc", 932, out, 0), 0u);
}

}  // namespace
