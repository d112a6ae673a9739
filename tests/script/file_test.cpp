// The script file library: opening through archives, the error texts, retry boxes, blocks,
// path splitting, scrambling and RIFF containers.
#include <gtest/gtest.h>

#include <vector>

#include "scratch.h"
#include "vfs_writer.h"
#include "vsk_test_support.h"
#include "vskfile_internal.h"
#include "vsktask.h"

using namespace vsktest;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<uint8_t> Block(void* block, size_t n) {
    auto* p = static_cast<uint8_t*>(block);
    return std::vector<uint8_t>(p, p + n);
}

const std::string kFileCaption = U8(u8"『Veskeran33』ファイルマネージャ(VSKFILE.DLL）");

TEST(VskFileArchives, AnArchiveWithoutTheEntryFailsThoughThePlainFileExists) {
    Scratch s;
    s.Put("data/a.txt", "plain a");
    s.Put("data/b.txt", "plain b");
    s.Put("data.vfs", vfsmake::Build({{"b.txt", Bytes("packed b")}, {"C.TXT", Bytes("c")}}, 32));
    s.Put("other/d.txt", "plain d");
    Boxes boxes;
    std::string a = s.Sys("data\\a.txt");
    EXPECT_EQ(VSKFILE_Exist(nullptr, a.c_str()), 0);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(VSKFILE_ReadOpen(nullptr, a.c_str()), 0);
    auto all = boxes.All();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].caption, kFileCaption);
    std::string upper = a;
    for (char& c : upper) c = char(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(all[0].text, "\"" + upper + "\"\n" + U8(u8"0x0002:ファイルが見つかりません。"));

    // Entries are found without regard to case; the plain file beside them is never read.
    std::string b = s.Sys("DATA\\B.TXT");
    EXPECT_EQ(VSKFILE_Exist(nullptr, b.c_str()), 1);
    EXPECT_EQ(VSKFILE_Size(nullptr, b.c_str()), 8u);
    void* block = VSKFILE_ReadBlock(nullptr, b.c_str(), 0);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, block), 8u);
    EXPECT_EQ(Block(block, 8), Bytes("packed b"));
    VSKTASK_FreeMemory(nullptr, block);
    EXPECT_EQ(VSKFILE_Size(nullptr, s.Sys("data\\c.txt").c_str()), 1u);
    // Without an archive the plain file is read.
    EXPECT_EQ(VSKFILE_Size(nullptr, s.Sys("other\\d.txt").c_str()), 7u);
    EXPECT_EQ(VSKFILE_Size(nullptr, s.Sys("other\\none.txt").c_str()), 0u);
}

TEST(VskFileOpening, RetryTriesAgainAndTheErrorTextNamesAnyCode) {
    Scratch s;
    Boxes boxes;
    WynPlat_PushMessageBoxAnswer(IDRETRY);
    EXPECT_EQ(VSKFILE_ReadOpen(nullptr, s.Sys("missing.txt").c_str()), 0);
    EXPECT_EQ(boxes.Count(), 2u);  // Retry, then the default Cancel
    boxes.Clear();
    EXPECT_EQ(VSKFILE_ReadOpen(nullptr, s.Sys("nofolder\\missing.txt").c_str()), 0);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Texts()[0].find(U8(u8"0x0003:パスが見つかりません。")), std::string::npos);

    struct Code {
        DWORD code;
        const char8_t* text;
    };
    const Code kCodes[] = {{0x0000, u8"0x0000:成功"},
                           {0x0005, u8"0x0005:アクセスが拒否されました。"},
                           {0x000E, u8"0x000E:"},
                           {0x0024, u8"0x0024:共有バッファの限界を超えました。"},
                           {0x0025, u8"0x0025:"},
                           {0x0031, u8"0x0031:"},
                           {0x0032, u8"0x0032:サポートされていません。"},
                           {0x0048, u8"0x0048:リダイレクトが一時停止しています。"},
                           {0x004F, u8"0x004F:"},
                           {0x0050, u8"0x0050:ファイルが存在します。"},
                           {0x0058, u8"0x0058:ネット書き込みに失敗しました"},
                           {0x0059, u8"0x0059:"},
                           {0x0070, u8"0x0070:"},
                           {0xABCD, u8"0xABCD:"}};
    for (const Code& c : kCodes) EXPECT_EQ(Utf8(vskfile::ErrorText(c.code).c_str()), U8(c.text));
}

TEST(VskFileOpening, DeletingAndWritingWholeFiles) {
    Scratch s;
    std::string name = s.Sys("out.bin");
    ASSERT_EQ(VSKFILE_WriteBlock(nullptr, name.c_str(), "0123456789", 10), 1);
    EXPECT_EQ(s.Get("OUT.BIN"), Bytes("0123456789"));  // names are upper-cased
    void* block = VSKFILE_ReadBlock(nullptr, name.c_str(), 1);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(VSKTASK_SizeMemory(nullptr, block), 12u);
    std::vector<uint8_t> want = Bytes("0123456789");
    want.push_back(0x1A);
    want.push_back(0);
    EXPECT_EQ(Block(block, 12), want);
    VSKTASK_FreeMemory(nullptr, block);
    EXPECT_EQ(VSKFILE_Delete(nullptr, name.c_str()), 1);
    EXPECT_EQ(VSKFILE_Exist(nullptr, name.c_str()), 0);
    Boxes boxes;
    EXPECT_EQ(VSKFILE_Delete(nullptr, name.c_str()), 0);  // one attempt, one box
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Texts()[0].find(U8(u8"0x0002:ファイルが見つかりません。")), std::string::npos);
}

TEST(VskFileOpening, AShortReadOffersRetryAndCancelClosesTheFile) {
    Scratch s;
    s.Put("short.bin", "abc");
    HFILE f = VSKFILE_ReadOpen(nullptr, s.Sys("short.bin").c_str());
    ASSERT_NE(f, 0);
    char buffer[8] = {};
    Boxes boxes;
    WynPlat_PushMessageBoxAnswer(IDRETRY);
    EXPECT_EQ(VSKFILE_Read(nullptr, f, buffer, 5), 0);
    EXPECT_EQ(boxes.Texts(), (std::vector<std::string>{U8(u8"読み込みに失敗しました。"),
                                                       U8(u8"読み込みに失敗しました。")}));
    EXPECT_EQ(VSKFILE_Close(nullptr, f), 0);  // already closed by the read
}

TEST(VskFilePaths, SplitAndJoin) {
    struct Case {
        const char *path, *folder, *name;
        bool joinsBack;
    };
    const Case kCases[] = {{"a\\b\\c.txt", "A\\B", "C.TXT", true},
                           {"c.txt", "", "C.TXT", true},
                           {"\\root.snb", "", "ROOT.SNB", false},
                           {"d\\\x95\x5C.txt", "D", "\x95\x5C.TXT", true}};  // 0x5C a trail byte
    for (const Case& c : kCases) {
        char path[MAX_PATH], folder[MAX_PATH], name[MAX_PATH], joined[MAX_PATH];
        std::strcpy(path, c.path);
        VSKFILE_Sprit(folder, name, path);
        EXPECT_STREQ(folder, c.folder) << c.path;
        EXPECT_STREQ(name, c.name) << c.path;
        VSKFILE_Merge(joined, folder, name);
        if (c.joinsBack) {
            EXPECT_STREQ(joined, path) << c.path;
        }
    }
    char out[MAX_PATH];
    VSKFILE_Merge(out, "data", "x.snb");
    EXPECT_STREQ(out, "DATA\\X.SNB");
}

TEST(VskFileScrambling, LockAndUnlockRoundTripForEveryKey) {
    BYTE golden[] = {0x61, 0x00, 0x62, 0x00, 0x00, 0x00};
    VSKFILE_LockCode(golden, 6, 6);
    EXPECT_EQ(std::vector<BYTE>(golden, golden + 6),
              (std::vector<BYTE>{0x05, 0x64, 0x62, 0x06, 0x00, 0x06}));
    std::vector<BYTE> plain(257);
    for (size_t i = 0; i < plain.size(); ++i) plain[i] = BYTE(i * 7 + 3);
    for (int key = 1; key <= 254; ++key) {
        for (size_t n : {size_t(0), size_t(1), size_t(2), size_t(5), size_t(257)}) {
            std::vector<BYTE> b(plain.begin(), plain.begin() + long(n));
            VSKFILE_LockCode(b.data(), DWORD(n), key);
            if (n == 1) {
                EXPECT_EQ(b[0], plain[0]);
            } else if (n > 1) {
                EXPECT_NE(b, std::vector<BYTE>(plain.begin(), plain.begin() + long(n)));
            }
            VSKFILE_UnlockCode(b.data(), DWORD(n), key);
            ASSERT_EQ(b, std::vector<BYTE>(plain.begin(), plain.begin() + long(n)))
                << "key " << key << " length " << n;
        }
    }
}

TEST(VskFileScrambling, KeysAreNeverZeroNor255) {
    WynPlat_SetVirtualClock(1);
    // Virtual time starts at one minute; tenths of a second 767 and 768 give 255 and 0.
    WynPlat_AdvanceClock((76700 - GetTickCount()) * 1000ull);
    EXPECT_EQ(VSKFILE_MakeCode(), 1);
    EXPECT_GE(GetTickCount(), 76900u);
    for (int i = 0; i < 50; ++i) {
        int key = VSKFILE_MakeCode();
        EXPECT_GE(key, 1);
        EXPECT_LE(key, 254);
        WynPlat_AdvanceClock(3100 * 1000);
    }
}

// A RIFF file of form `form` with the chunks given.
std::vector<uint8_t> Riff(const char* form,
                          const std::vector<std::pair<std::string, std::string>>& chunks) {
    std::vector<uint8_t> out = Bytes("RIFF....");
    out.insert(out.end(), form, form + 4);
    for (auto& [tag, data] : chunks) {
        out.insert(out.end(), tag.begin(), tag.end());
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(data.size() >> (8 * i)));
        out.insert(out.end(), data.begin(), data.end());
    }
    uint32_t size = uint32_t(out.size() - 8);
    for (int i = 0; i < 4; ++i) out[4 + i] = uint8_t(size >> (8 * i));
    return out;
}

TEST(VskFileRiff, HeadersChunksAndSearchAlsoInsideAnArchive) {
    Scratch s;
    std::string name = s.Sys("made.riff");
    HFILE f = VSKFILE_WriteOpen(nullptr, name.c_str());
    ASSERT_NE(f, 0);
    char zeros[12] = {};
    VSKFILE_Write(nullptr, f, zeros, 12);
    VSKFILE_SetChunk(nullptr, f, "ONE ", 3);
    VSKFILE_Write(nullptr, f, "abc", 3);
    VSKFILE_SetChunk(nullptr, f, "TWO ", 2);
    VSKFILE_Write(nullptr, f, "de", 2);
    ASSERT_EQ(VSKFILE_MakeRIFF(nullptr, f, "TEST"), 1);
    VSKFILE_Close(nullptr, f);
    EXPECT_EQ(s.Get("MADE.RIFF"), Riff("TEST", {{"ONE ", "abc"}, {"TWO ", "de"}}));

    s.Put("pack/inner.riff", "not packed");
    s.Put("pack.vfs",
          vfsmake::Build({{"junk", Bytes("0123456789")},
                          {"inner.riff", Riff("TEST", {{"ONE ", "abc"}, {"TWO ", "de"}})}},
                         32));
    for (const std::string& path : {name, s.Sys("pack\\inner.riff")}) {
        f = VSKFILE_OpenRIFF(nullptr, path.c_str(), "TEST");
        ASSERT_NE(f, 0) << path;
        char tag[5];
        DWORD size = 0;
        ASSERT_EQ(VSKFILE_GetChunk(nullptr, f, tag, &size), 1);
        EXPECT_STREQ(tag, "ONE ");
        EXPECT_EQ(size, 3u);
        ASSERT_EQ(VSKFILE_SearchChunk(nullptr, f, "TWO ", &size), 1) << path;
        EXPECT_EQ(size, 2u);
        char data[3] = {};
        VSKFILE_Read(nullptr, f, data, 2);
        EXPECT_STREQ(data, "de");
        EXPECT_EQ(VSKFILE_SearchChunk(nullptr, f, "ONE ", &size), 1);
        EXPECT_EQ(VSKFILE_SearchChunk(nullptr, f, "NONE", &size), 0);
        VSKFILE_Close(nullptr, f);
    }
}

TEST(VskFileRiff, WrongFilesAreRefusedWithTheirMessage) {
    Scratch s;
    s.Put("text.txt", "plain text, no RIFF");
    s.Put("tiny.bin", "RIF");
    s.Put("other.riff", Riff("WAVE", {}));
    s.Put("long.riff", Riff("TEST", {{"ONE ", "abc"}}));
    // The declared size of the last chunk runs past the end.
    std::vector<uint8_t> cut = Riff("TEST", {{"ONE ", "abc"}, {"TWO ", "de"}});
    cut[12 + 11 + 4] = 9;
    s.Put("cut.riff", cut);
    Boxes boxes;
    EXPECT_EQ(VSKFILE_OpenRIFF(nullptr, s.Sys("text.txt").c_str(), "TEST"), 0);
    EXPECT_EQ(VSKFILE_OpenRIFF(nullptr, s.Sys("tiny.bin").c_str(), "TEST"), 0);
    EXPECT_EQ(VSKFILE_OpenRIFF(nullptr, s.Sys("other.riff").c_str(), "TEST"), 0);
    auto texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 3u);
    const std::string kNotRiff = U8(u8"指定されたファイルは RIFF 形式ファイルではありません。");
    EXPECT_NE(texts[0].find("TEXT.TXT\"\n" + kNotRiff), std::string::npos);
    EXPECT_NE(texts[1].find(kNotRiff), std::string::npos);
    EXPECT_NE(texts[2].find(U8(u8"指定されたファイルは種類が一致しません。")), std::string::npos);
    HFILE f = VSKFILE_OpenRIFF(nullptr, s.Sys("cut.riff").c_str(), "TEST");
    ASSERT_NE(f, 0);
    DWORD size;
    EXPECT_EQ(VSKFILE_SearchChunk(nullptr, f, "ONE ", &size), 1);
    EXPECT_EQ(VSKFILE_SearchChunk(nullptr, f, "TWO ", &size), 0);
    VSKFILE_Close(nullptr, f);
}

}  // namespace
