// The game's file box and its file operations.
#include <gtest/gtest.h>

#include <set>

#include "game_fixture.h"

namespace {
class Files : public GameFolder {};
}  // namespace

TEST_F(Files, TheBoxTextFollowsTheErrorCode) {
    struct Case {
        DWORD code;
        const char8_t* text;
    };
    const Case cases[] = {
        {2, u8"ファイル【 C:\\x\\a.sd3 】が見つかりません。\n  再インストールしてください。"},
        {4,
         u8"オープンしているファイルが多すぎます。\n　幾つかのアプリケーションを終了してください"
         u8"。"},
        {8, u8"メモリ不足です。\n　他のアプリケーションを終了してください。"},
        {5, u8"プログラムバグっ。　\n Error Code[ 5 ]\n Filename[ C:\\x\\a.sd3 ]"},
        {1234, u8"プログラムバグっ。　\n Error Code[ 1234 ]\n Filename[ C:\\x\\a.sd3 ]"},
    };
    for (const Case& c : cases) {
        // Headless, the box's safe answer is Cancel.
        EXPECT_EQ(ShowFileError(nullptr, "C:\\x\\a.sd3", c.code), 0) << c.code;
        std::string caption;
        EXPECT_EQ(LastBoxText(&caption), U8(c.text)) << c.code;
        EXPECT_EQ(caption, U8(u8"Wynmoor２の警告")) << c.code;
    }
}

TEST_F(Files, ReadWholeFileReadsUpToTheSizeAsked) {
    Write("etc/data.bin", "0123456789");
    char buffer[16] = {};
    int read = -1;
    EXPECT_EQ(ReadWholeFile(nullptr, "etc\\data.bin", buffer, 4, &read), 1);
    EXPECT_EQ(read, 4);
    EXPECT_EQ(std::string(buffer), "0123");
    EXPECT_EQ(ReadWholeFile(nullptr, "ETC\\DATA.BIN", buffer, sizeof buffer, nullptr), 1);
    EXPECT_EQ(std::string(buffer), "0123456789");
    EXPECT_EQ(FileExists("etc\\data.bin"), 1);
    EXPECT_EQ(FileExists("etc"), 0) << "a folder is no file";
    EXPECT_EQ(FileExists("etc\\none.bin"), 0);

    // Missing: the box names the whole path; Cancel gives 0 and nothing read.
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(ReadWholeFile(nullptr, "etc\\none.bin", buffer, sizeof buffer, &read), 0);
    EXPECT_EQ(read, 0);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1);
    EXPECT_NE(LastBoxText().find("etc\\none.bin"), std::string::npos) << LastBoxText();
}

TEST_F(Files, AFolderThatCannotBeReadIsNoFile) {
    Write("etc/sub/x", "x");
    char buffer[8];
    int read = -1;
    EXPECT_EQ(ReadWholeFile(nullptr, "etc\\sub", buffer, sizeof buffer, &read), 0);
    EXPECT_EQ(read, 0);
    EXPECT_EQ(LastBoxText().rfind(U8(u8"プログラムバグっ"), 0), 0u) << LastBoxText();
}

TEST_F(Files, CountAndFindSkipFolders) {
    Write("etc/load/a.umz", "a");
    Write("etc/load/b.umz", "b");
    Write("etc/load/c.txt", "c");
    Write("etc/load/d.umz/inner", "folder named like a picture");
    const std::string pattern = System("etc\\load\\*.umz");
    EXPECT_EQ(CountFiles(pattern.c_str()), 2);
    char first[MAX_PATH] = "", second[MAX_PATH] = "", none[MAX_PATH] = "none";
    EXPECT_EQ(FindNthFile(pattern.c_str(), 0, first), 2);
    EXPECT_EQ(FindNthFile(pattern.c_str(), 1, second), 2);
    EXPECT_EQ(FindNthFile(pattern.c_str(), 2, none), 2);
    EXPECT_STREQ(none, "none");
    std::set<std::string> names{first, second};
    EXPECT_EQ(names, (std::set<std::string>{"a.umz", "b.umz"}));
    EXPECT_EQ(CountFiles(System("etc\\empty\\*.umz").c_str()), 0);
}
