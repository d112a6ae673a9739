// The phrase-table maker: the table layout the game reads, the sample tables it makes, and the
// texts it refuses because the game would read them wrong.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "wynbytes.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Record n of a table as the game reads it: speaker word and text, or false when the entry,
// the record or the text's end lies outside the bytes.
bool Record(const std::vector<uint8_t>& t, uint32_t n, int32_t* speaker, std::string* text) {
    wyn::ByteReader r(t.data(), t.size());
    r.seek(4 + 4 * size_t(n));
    const uint32_t at = r.u32();
    if (!r.ok() || !r.seek(at)) return false;
    *speaker = r.i32();
    text->clear();
    for (uint8_t c = r.u8(); r.ok() && c; c = r.u8()) text->push_back(char(c));
    return r.ok();
}

std::string Utf8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

class Folder {
  public:
    Folder() {
        const auto* t = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = fs::temp_directory_path() /
               (std::string("msmake_") + t->name() + "_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    ~Folder() { fs::remove_all(dir_); }
    fs::path Put(const std::string& name, const std::string& text) const {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return dir_ / name;
    }
    // Runs the maker on the two texts; its exit code.
    int Make(const std::string& messages, const std::string& announ) const {
        const std::string cmd = std::string(MSMAKE_PATH) + " " + Put("m.txt", messages).string() +
                                " " + Put("a.txt", announ).string() + " " +
                                (dir_ / "out").string() + " 2>/dev/null";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::vector<uint8_t> Table(const char* name) const { return ReadFile(dir_ / "out" / name); }

  private:
    fs::path dir_;
};

}  // namespace

TEST(PhraseMaker, WritesTheCountTheOffsetsAndOneSharedEmptyRecord) {
    Folder f;
    ASSERT_EQ(f.Make("# a comment\n"
                     "3 1 | $c, roger. | " +
                         Utf8(u8"$c、了解。") +
                         "\n"
                         "1 0 | wilco | " +
                         Utf8(u8"はい") + "\n",
                     "0 | @[hello][" + Utf8(u8"こんにちは") + "]\n"),
              0);
    const std::vector<uint8_t> e = f.Table("app_ee.ms");
    wyn::ByteReader r(e.data(), e.size());
    EXPECT_EQ(r.u32(), 4u);  // messages 0-3
    const uint32_t off[4] = {r.u32(), r.u32(), r.u32(), r.u32()};
    EXPECT_EQ(off[0], 20u);  // the empty record follows the offsets
    EXPECT_EQ(off[2], off[0]);
    int32_t speaker = -1;
    std::string text;
    ASSERT_TRUE(Record(e, 0, &speaker, &text));
    EXPECT_EQ(speaker, 0);
    EXPECT_EQ(text, "");
    ASSERT_TRUE(Record(e, 1, &speaker, &text));
    EXPECT_EQ(speaker, 0);
    EXPECT_EQ(text, "wilco");
    ASSERT_TRUE(Record(e, 3, &speaker, &text));
    EXPECT_EQ(speaker, 1);
    EXPECT_EQ(text, "$c, roger.");
    EXPECT_EQ(e.size(), size_t(off[3]) + 4 + text.size() + 1);

    const std::vector<uint8_t> j = f.Table("app_jj.ms");
    ASSERT_TRUE(Record(j, 3, &speaker, &text));
    EXPECT_EQ(text, "$c、了解。");  // Shift-JIS, as this file's literals are built
    const std::vector<uint8_t> a = f.Table("announ.ms");
    ASSERT_TRUE(Record(a, 0, &speaker, &text));
    EXPECT_EQ(text, "@[hello][こんにちは]");
}

TEST(PhraseMaker, RefusesWhatTheGameWouldReadWrong) {
    const std::string ok = "1 0 | roger | " + Utf8(u8"了解") + "\n";
    const std::string okA = "0 | @[a][b]\n";
    struct Case {
        const char* what;
        std::string messages, announ;
    };
    const Case cases[] = {
        {"a character Shift-JIS lacks", "1 0 | roger | " + Utf8(u8"\U0001F600") + "\n", okA},
        {"non-ASCII English", "1 0 | r" + Utf8(u8"ö") + "ger | x\n", okA},
        {"an unknown macro", "1 0 | $x roger | x\n", okA},
        {"a macro at the end", "1 0 | roger $ | x\n", okA},
        {"a number given twice", ok + ok, okA},
        {"a speaker other than 0 and 1", "1 2 | roger | x\n", okA},
        {"a number past 65535", "65536 0 | roger | x\n", okA},
        {"a missing field", "1 0 | roger\n", okA},
        {"an empty text", "1 0 |  | x\n", okA},
        {"a text past 511 bytes", "1 0 | " + std::string(512, 'a') + " | x\n", okA},
        {"an unclosed bracket word", "1 0 | @[roger][x | x\n", okA},
        {"a table past 65536 bytes",
         [] {
             std::string m;
             for (int n = 0; n < 200; ++n)
                 m += std::to_string(n) + " 0 | " + std::string(400, 'a') + " | x\n";
             return m;
         }(),
         okA},
    };
    for (const Case& c : cases) {
        Folder f;
        EXPECT_EQ(f.Make(c.messages, c.announ), 1) << c.what;
    }
    Folder f;
    EXPECT_EQ(f.Make(ok, okA), 0) << "the good texts";
}

TEST(PhraseMaker, SampleTablesHoldEveryMessageReadably) {
    // The program folder's tables, made from data/port/rjtt/atc at build time.
    const fs::path dir = fs::path("port") / "rjtt" / "atc";
    const std::vector<uint8_t> e = ReadFile(dir / "app_ee.ms"), j = ReadFile(dir / "app_jj.ms"),
                               a = ReadFile(dir / "announ.ms");
    ASSERT_FALSE(e.empty());
    wyn::ByteReader r(e.data(), e.size());
    const uint32_t count = r.u32();
    EXPECT_GT(count, 900u);
    EXPECT_LE(e.size(), 65536u);
    int present = 0;
    for (uint32_t n = 0; n < count; ++n) {
        int32_t se = 0, sj = 0;
        std::string te, tj;
        ASSERT_TRUE(Record(e, n, &se, &te)) << n;
        ASSERT_TRUE(Record(j, n, &sj, &tj)) << n;
        EXPECT_EQ(te.empty(), tj.empty()) << n;
        EXPECT_EQ(se, sj) << n;
        present += !te.empty();
    }
    EXPECT_GT(present, 100);
    int32_t speaker = 0;
    std::string text;
    ASSERT_TRUE(Record(e, 100, &speaker, &text));
    EXPECT_EQ(speaker, 0);
    EXPECT_EQ(text, "Tokyo_Approach, $c, leaving $a, information $i.");
    ASSERT_TRUE(Record(a, 20, &speaker, &text));
    EXPECT_EQ(text.rfind("@[attention_please.][", 0), 0u);
}
