// FindFirstFileA/FindNextFileA: patterns, order, attributes, errors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

#include "temp_folder.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

std::vector<std::string> Find(const std::string& pattern, DWORD* error = nullptr) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    SetLastError(0);
    HANDLE h = FindFirstFileA(pattern.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) {
        if (error) *error = GetLastError();
        return names;
    }
    do {
        std::string name = data.cFileName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) name += "/";
        names.push_back(name);
    } while (FindNextFileA(h, &data));
    if (error) *error = GetLastError();
    FindClose(h);
    return names;
}

std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += x + " ";
    return s;
}

TEST(Find, MatchesPatternsInNameOrder) {
    TempFolder t;
    t.Write("b.txt", "bb");
    t.Write("A.TXT", "a");
    t.Write("c.dat", "");
    t.Write("noext", "");
    t.Write("ab.txt.bak", "");
    t.MakeDir("Sub");
    t.Write("Sub/deep.txt", "");
    t.Write(U8(u8"表.txt"), "");
    struct Case {
        const char* pattern;
        const char* names;
    };
    const Case cases[] = {
        {"*.txt", "A.TXT b.txt \x95\x5C.txt "},
        {"*.TXT", "A.TXT b.txt \x95\x5C.txt "},
        {"?.txt", "A.TXT b.txt \x95\x5C.txt "},  // '?' is one character, not one byte
        {"*", "./ ../ A.TXT ab.txt.bak b.txt c.dat noext Sub/ \x95\x5C.txt "},
        {"*.*", "./ ../ A.TXT ab.txt.bak b.txt c.dat noext Sub/ \x95\x5C.txt "},
        {"*.", "./ ../ noext Sub/ "},
        {"NOEXT", "noext "},
        {"noext.*", "noext "},
        {"sub", "Sub/ "},
        {"a*", "A.TXT ab.txt.bak "},
        {"*.bak", "ab.txt.bak "},
        {"Sub\\*.txt", "deep.txt "},
        {"sub/D??P.*", "deep.txt "},
        {"\x95\x5C.*", "\x95\x5C.txt "},
    };
    for (const auto& c : cases) {
        DWORD error = 0;
        EXPECT_EQ(Join(Find(t.Sys(c.pattern), &error)), c.names) << "pattern " << c.pattern;
        EXPECT_EQ(error, (DWORD)ERROR_NO_MORE_FILES) << "pattern " << c.pattern;
    }
}

TEST(Find, ReportsSizesAndErrors) {
    TempFolder t;
    t.Write("ten.bin", "0123456789");
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(t.Sys("TEN.BIN").c_str(), &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.nFileSizeLow, 10u);
    EXPECT_EQ(data.nFileSizeHigh, 0u);
    EXPECT_EQ(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(data.ftLastWriteTime.dwHighDateTime, 0u);
    EXPECT_FALSE(FindNextFileA(h, &data));
    EXPECT_EQ(GetLastError(), (DWORD)ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(h));

    struct Case {
        std::string pattern;
        DWORD error;
    };
    const Case cases[] = {
        {t.Sys("missing*"), ERROR_FILE_NOT_FOUND},
        {t.Sys("NoFolder\\*"), ERROR_PATH_NOT_FOUND},
        {t.Sys("ten.bin\\*"), ERROR_PATH_NOT_FOUND},
        {t.Sys("Folder\\"), ERROR_FILE_NOT_FOUND},
        {"C:\\" + std::string(300, 'x') + "\\*", ERROR_FILENAME_EXCED_RANGE},
        {"Z:\\*", ERROR_PATH_NOT_FOUND},
    };
    for (const auto& c : cases) {
        DWORD error = 0;
        EXPECT_TRUE(Find(c.pattern, &error).empty()) << c.pattern.substr(0, 50);
        EXPECT_EQ(error, c.error) << c.pattern.substr(0, 50);
    }
    EXPECT_EQ(FindFirstFileA(nullptr, &data), INVALID_HANDLE_VALUE);
    // The root of a drive has no "." and "..".
    std::vector<std::string> root = Find("C:\\*");
    ASSERT_FALSE(root.empty());
    EXPECT_NE(root[0], "./");
}

}  // namespace
