// The stage's record: the score code's vectors and the stage ini as SaveHighScore leaves it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "game_fixture.h"

namespace {

struct CodeCase {
    int year, month, day, hour, minute, stage;
    uint32_t total;
    const char* code;
};

TEST(ScoreCode, Vectors) {
    const CodeCase cases[] = {
        {2001, 1, 1, 0, 0, 1, 0, "K10C0H030N00"},
        {2001, 1, 1, 0, 5, 3, 12345, "UFXKIH930N00"},
        {1999, 12, 31, 23, 59, 0, 100, "SCSA2D0E0L00"},           // years before 2000 count as 2000
        {2015, 12, 31, 23, 59, 99, 0x80000005u, "N3PPZ20EKJI6"},  // after 2010 as 2010
        {2000, 12, 31, 23, 59, 0, 100, "SCSA2D0E0L00"},
        {2010, 12, 31, 23, 59, 99, 0x80000005u, "N3PPZ20EKJI6"},
    };
    for (const CodeCase& c : cases) {
        char out[16];
        std::memset(out, 'x', sizeof out);
        MakeScoreCode(out, c.year, c.month, c.day, c.hour, c.minute, c.stage, c.total);
        EXPECT_STREQ(out, c.code) << c.year << "-" << c.month << "-" << c.day << " " << c.total;
    }
    // A total of 0: the score digits are all "0" and the check digit sums the time's.
    char out[13];
    MakeScoreCode(out, 2005, 6, 7, 8, 9, 10, 0);
    int sum = 0;
    for (int i = 1; i < 12; ++i) {
        if (i % 2 == 0 && i < 11) {
            EXPECT_EQ(out[i], '0') << i;
        }
        sum += out[i] <= '9' ? out[i] - '0' : out[i] - 'A' + 10;
    }
    EXPECT_EQ("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[sum % 36], out[0]);
}

class HighScore : public GameFolder {
  protected:
    void SetUp() override {
        GameFolder::SetUp();
        GetConfig() = GameConfig{};
        GetHud() = HudNumbers{};
        GetScenarioHeader() = ScenarioHeader{};
    }
    void Title(const char* title) {
        std::snprintf(GetScenarioHeader().title, sizeof GetScenarioHeader().title, "%s", title);
    }
    // The codes of this minute and the next: the save happens between them.
    static bool CodeOfNow(const std::string& code, int stage, uint32_t total,
                          const SYSTEMTIME& before, const SYSTEMTIME& after) {
        for (const SYSTEMTIME& t : {before, after}) {
            char want[13];
            MakeScoreCode(want, t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, stage, total);
            if (code == want) return true;
        }
        return false;
    }
    std::string Key(const std::string& ini, const char* section, const char* key) {
        char v[64];
        GetPrivateProfileStringA(section, key, "-", v, sizeof v, System(ini).c_str());
        return v;
    }
};

TEST_F(HighScore, TheStageIniAfterASave) {
    struct Case {
        const char* what;
        const char* before;  // the ini's text, or null for none
        uint32_t score, bonus;
        int cleared, level;
        const char* highscore;  // "-": not there
        bool newcode;
        const char* status;
        const char* exstatus;
    };
    const Case cases[] = {
        {"new record", nullptr, 1500, 500, 0, 0, "2000", true, "-", "-"},
        {"beats the record", "[Display]\nhighscore=1999\npassword=OLD\n[Icon]\nspno=300\n", 1500,
         500, 1, 0, "2000", true, "1", "-"},
        {"equal total", "[Display]\nhighscore=2000\npassword=OLD\n", 2000, 0, 0, 0, "2000", false,
         "-", "-"},
        {"lower total, cleared at level 0", "[Display]\nhighscore=5000\npassword=OLD\n", 10, 0, 1,
         0, "5000", false, "1", "-"},
        {"cleared at level 1", "[Display]\nhighscore=5000\npassword=OLD\nstatus=0\n", 10, 0, 1, 1,
         "5000", false, "0", "1"},
        {"a record without a clear", "[Display]\nhighscore=10\n", 11, 0, 0, 1, "11", true, "-",
         "-"},
        {"totals past 2^31 compare unsigned", "[Display]\nhighscore=2000\n", 0x80000000u, 5, 0, 0,
         "-2147483643", true, "-", "-"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string stage = "s" + std::to_string(++n);
        const std::string ini = "stage\\rjtt\\" + stage + ".ini";
        if (c.before) Write("stage/rjtt/" + stage + ".ini", c.before);
        Title(("rjtt " + stage).c_str());
        GetHud().score = c.score;
        GetHud().bonus = c.bonus;
        GetConfig().level = c.level;
        SYSTEMTIME before, after;
        GetSystemTime(&before);
        SaveHighScore(c.cleared);
        GetSystemTime(&after);
        EXPECT_EQ(Key(ini, "Display", "highscore"), c.highscore) << c.what;
        const std::string code = Key(ini, "Display", "password");
        const int spno = GetPrivateProfileIntA("Icon", "spno", 0, System(ini).c_str());
        if (c.newcode) {
            EXPECT_TRUE(CodeOfNow(code, spno / 100, c.score + c.bonus, before, after))
                << c.what << ": " << code;
        } else {
            EXPECT_EQ(code, "OLD") << c.what;
        }
        EXPECT_EQ(Key(ini, "Display", "status"), c.status) << c.what;
        EXPECT_EQ(Key(ini, "Display", "exstatus"), c.exstatus) << c.what;
    }
}

TEST_F(HighScore, StageWordsThatAreNoBareNamesWriteNothing) {
    const char* titles[] = {"", "rjtt ..", "rjtt a\\b", "rjtt a/b", "c:x s1", ".. s1", " s1"};
    for (const char* t : titles) {
        Title(t);
        GetHud().score = 100;
        const int boxes = WynPlat_MessageBoxCount();
        EXPECT_EQ(SaveHighScore(1), 0) << t;
        EXPECT_EQ(WynPlat_MessageBoxCount(), boxes + 1) << t;
        std::string caption;
        LastBoxText(&caption);
        EXPECT_EQ(caption, U8(u8"Wynmoor２の警告")) << t;
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/stage")) << "nothing written anywhere";
}

// A record that cannot be written is not lost without a word: one warning box names the
// file, and the writes that could be made are still made. The folder or the file is made
// unwritable by putting something else in its place, which holds for any user.
TEST_F(HighScore, ARecordThatCannotBeWrittenShowsOneBox) {
    struct Case {
        const char* what;
        const char* blocker;  // a folder or file put where the write must go
        bool folder;
        int cleared;
    };
    const Case cases[] = {
        {"the stage ini is a folder, new record", "stage/rjtt/s1.ini/x", true, 0},
        {"the stage ini is a folder, cleared", "stage/rjtt/s2.ini/x", true, 1},
        {"the stage folder is a file", "stage/kix", false, 1},
    };
    int n = 0;
    for (const Case& c : cases) {
        ++n;
        if (c.folder)
            std::filesystem::create_directories(dir + "/" + c.blocker);
        else
            Write(c.blocker, "not a folder");
        Title(c.folder ? ("rjtt s" + std::to_string(n)).c_str() : "kix s1");
        GetHud().score = 500;
        GetConfig().level = 0;
        const int boxes = WynPlat_MessageBoxCount();
        EXPECT_EQ(SaveHighScore(c.cleared), 0) << c.what;
        ASSERT_EQ(WynPlat_MessageBoxCount(), boxes + 1) << c.what;
        std::string caption;
        const std::string text = LastBoxText(&caption);
        EXPECT_EQ(caption, U8(u8"Wynmoor２の警告")) << c.what;
        EXPECT_NE(text.find(U8(u8"ステージの記録を")), std::string::npos) << c.what << ": " << text;
        EXPECT_NE(text.find(c.folder ? "s" + std::to_string(n) + ".ini" : "s1.ini"),
                  std::string::npos)
            << c.what << ": " << text;
    }
    // Written as it should be, the record shows no box.
    Title("rjtt fine");
    const int boxes = WynPlat_MessageBoxCount();
    EXPECT_EQ(SaveHighScore(1), 1);
    EXPECT_EQ(WynPlat_MessageBoxCount(), boxes);
}

}  // namespace
