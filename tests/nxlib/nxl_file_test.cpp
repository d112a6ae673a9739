// Files, archives and paths in the build this test is linked with (NXL_TEST_WIDTH is its
// archive entry width).
#include <gtest/gtest.h>
#include <wynplat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "nxl_vfs.h"
#include "file_limit.h"
#include "scratch.h"
#include "vfs_writer.h"

// Each build's cases carry its width in their names, so that both builds' tests stand apart.
#define NXL_PASTE2(a, b) a##b
#define NXL_PASTE(a, b) NXL_PASTE2(a, b)
#define NXL_SUITE(name) NXL_PASTE(name, NXL_TEST_WIDTH)

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<uint8_t> Archive(int width, const std::vector<vfsmake::Item>& items) {
    std::vector<uint8_t> a = vfsmake::Build(items, width);
    EXPECT_FALSE(a.empty());
    return a;
}

std::string ReadAll(HANDLE h, int n) {
    std::string s(size_t(n), '\0');
    EXPECT_EQ(NXL_FILE_Read(h, s.data(), n), n);
    return s;
}

TEST(NXL_SUITE(NxlArchive), LooksUpEntriesOfThisBuildsWidthIgnoringCase) {
    Scratch s;
    s.Put("data/pic.vfs",
          Archive(NXL_TEST_WIDTH, {{"other.txt", Bytes("xx")}, {"pic.bmp", Bytes("PICTURE")}}));
    tagVFENTRY e;
    for (const char* name : {"data/pic.bmp", "data/PIC.BMP", "DATA/Pic.Bmp"}) {
        HANDLE h = VFS_OpenFile(s.Sys(name).c_str(), &e);
        ASSERT_NE(h, nullptr) << name;
        EXPECT_STREQ(e.name, "pic.bmp") << name;
        EXPECT_EQ(e.size, 7u) << name;
        EXPECT_EQ(ReadAll(h, 7), "PICTURE") << name;
        NXL_FILE_Close(h);
    }
    EXPECT_EQ(NXL_FILE_Size(s.Sys("data/pic.bmp").c_str()), 7);
    EXPECT_EQ(NXL_FILE_Exist(s.Sys("data/pic.txt").c_str()), 0) << "the entry is stem + ext";
}

TEST(NXL_SUITE(NxlArchive), ArchiveLackingTheEntryDoesNotFallBackToThePlainFile) {
    Scratch s;
    s.Put("data/pic.vfs", Archive(NXL_TEST_WIDTH, {{"pic.png", Bytes("P")}}));
    s.Put("data/pic.bmp", "plain");
    EXPECT_EQ(NXL_FILE_Exist(s.Sys("data/pic.bmp").c_str()), 0);
    EXPECT_EQ(NXL_FILE_Size(s.Sys("data/pic.bmp").c_str()), -1);
    s.Put("data/snd.wav", "plain!");
    EXPECT_EQ(NXL_FILE_Exist(s.Sys("data/snd.wav").c_str()), 1) << "no archive: the plain file";
    tagVFENTRY e;
    HANDLE h = VFS_OpenFile(s.Sys("data/snd.wav").c_str(), &e);
    ASSERT_NE(h, nullptr);
    EXPECT_STREQ(e.name, "snd.wav");
    EXPECT_EQ(e.offset, 0u);
    EXPECT_EQ(e.size, 6u);
    NXL_FILE_Close(h);
}

TEST(NXL_SUITE(NxlArchive), ArchiveOfAnotherWidthMisses) {
    Scratch s;
    int other = NXL_TEST_WIDTH == 280 ? 36 : 280;
    s.Put("data/pic.vfs", Archive(other, {{"a.txt", Bytes("A")}, {"pic.bmp", Bytes("PICTURE")}}));
    EXPECT_EQ(NXL_FILE_Exist(s.Sys("data/pic.bmp").c_str()), 0);
}

// Every rule of the tree, through the shared lookup.
TEST(NXL_SUITE(NxlArchive), FolderRuleOfThePictureSoundAndScriptLibraries) {
    Scratch s;
    for (int width : {32, 36, 280}) {
        s.Put("data.vfs", Archive(width, {{"a.bin", Bytes("A")}, {"pic.bmp", Bytes("BMP")}}));
        NxlVfsRule rule = {width, 1};
        tagVFENTRY e;
        HFILE f = NxlVfs_OpenHFile(s.Sys("data\\PIC.bmp").c_str(), &rule, &e);
        ASSERT_NE(f, HFILE_ERROR) << width;
        char buf[4] = {};
        EXPECT_EQ(_hread(f, buf, 3), 3);
        EXPECT_STREQ(buf, "BMP") << width;
        _lclose(f);
        HANDLE h = NxlVfs_OpenHandle(s.Sys("data\\a.bin").c_str(), &rule, 0, FALSE, &e);
        ASSERT_NE(h, nullptr) << width;
        EXPECT_EQ(e.size, 1u);
        CloseHandle(h);
        EXPECT_EQ(NxlVfs_OpenHandle(s.Sys("data\\b.bin").c_str(), &rule, 0, FALSE, &e), nullptr);
    }
}

TEST(NXL_SUITE(NxlArchive), PathWithoutFolderUsesTheCurrentFolder) {
    Scratch s;
    char old[MAX_PATH];
    GetCurrentDirectoryA(sizeof old, old);
    s.Put("pic.vfs", Archive(NXL_TEST_WIDTH, {{"pic.bmp", Bytes("inside")}}));
    ASSERT_TRUE(SetCurrentDirectoryA(s.Name().c_str()));
    EXPECT_EQ(NXL_FILE_Size("pic.bmp"), 6);
    SetCurrentDirectoryA(old);
}

// A bad directory is a miss, never a read outside what the archive holds.
TEST(NXL_SUITE(NxlArchive), MalformedDirectoriesMiss) {
    const int w = NXL_TEST_WIDTH;
    std::vector<uint8_t> good = Archive(w, {{"pic.bmp", Bytes("PICTURE")}});
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
        int bytes;
    };
    const Case cases[] = {
        {"count beyond the directory", 4, 2, 2},
        {"directory beyond the file", 8, 0x7FFFFFF0u, 4},
        {"entry offset beyond the file",
         16 + (w == 32   ? 19u
               : w == 36 ? 20u
                         : 264u),
         5000, 4},
        {"entry size beyond the file",
         16 + (w == 32   ? 23u
               : w == 36 ? 24u
                         : 268u),
         0xFFFFFFFFu, 4},
    };
    Scratch s;
    for (const Case& c : cases) {
        std::vector<uint8_t> bad = good;
        for (int i = 0; i < c.bytes; ++i) bad[c.at + i] = uint8_t(c.value >> (8 * i));
        s.Put("data/pic.vfs", bad);
        EXPECT_EQ(NXL_FILE_Exist(s.Sys("data/pic.bmp").c_str()), 0) << c.what;
    }
    // A name filling its whole field without terminator is cut to the field, not read on.
    std::vector<uint8_t> full = good;
    size_t field = w == 280 ? 256 : 13;
    std::memset(&full[16], 'a', field);
    s.Put("data/pic.vfs", full);
    EXPECT_EQ(NXL_FILE_Exist(s.Sys("data/pic.bmp").c_str()), 0);
    // Too short for a header.
    s.Put("data/pic.vfs", std::vector<uint8_t>(good.begin(), good.begin() + 10));
    EXPECT_EQ(NXL_FILE_Exist(s.Sys("data/pic.bmp").c_str()), 0);
    // A header length shorter than the entry: the missing fields read as 0.
    std::vector<uint8_t> shortEntry = good;
    shortEntry[6] = 8;
    s.Put("data/pic.vfs", shortEntry);
    EXPECT_EQ(NXL_FILE_Size(s.Sys("data/pic.bmp").c_str()), 0);
}

// An entry may end exactly where the archive ends; an empty entry may even start there (an
// empty file stored last). Anything reaching further is a miss.
TEST(NXL_SUITE(NxlArchive), EntriesEndingAtTheArchivesEnd) {
    const int w = NXL_TEST_WIDTH;
    const size_t offsetAt = 16 + (w == 32 ? 19u : w == 36 ? 20u : 264u), sizeAt = offsetAt + 4;
    const std::vector<uint8_t> good = Archive(w, {{"pic.bmp", Bytes("PICTURE")}});
    const uint32_t end = uint32_t(good.size());
    struct Case {
        const char* what;
        uint32_t offset, size;
        int size_or_miss;  // the size found, or -1 for a miss
    };
    const Case cases[] = {
        {"empty entry at the archive's end", end, 0, 0},
        {"last byte of the archive", end - 1, 1, 1},
        {"one byte past the end", end, 1, -1},
        {"empty entry past the end", end + 1, 0, -1},
    };
    Scratch s;
    for (const Case& c : cases) {
        std::vector<uint8_t> a = good;
        for (int i = 0; i < 4; ++i) {
            a[offsetAt + size_t(i)] = uint8_t(c.offset >> (8 * i));
            a[sizeAt + size_t(i)] = uint8_t(c.size >> (8 * i));
        }
        s.Put("data/pic.vfs", a);
        EXPECT_EQ(NXL_FILE_Exist(s.Sys("data/pic.bmp").c_str()), c.size_or_miss >= 0 ? 1 : 0)
            << c.what;
        if (c.size_or_miss >= 0)
            EXPECT_EQ(NXL_FILE_Size(s.Sys("data/pic.bmp").c_str()), c.size_or_miss) << c.what;
    }
}

TEST(NXL_SUITE(NxlArchive), DirectoryParserStaysInsideItsBytes) {
    tagVFHEAD head = {0, 0, 3, NXL_TEST_WIDTH, 0, 0};
    std::vector<BYTE> dir(size_t(NXL_TEST_WIDTH) * 2);
    tagVFENTRY e;
    head.skip = DWORD(dir.size());
    EXPECT_EQ(NxlVfs_FindEntry(&head, dir.data(), dir.size(), NXL_TEST_WIDTH, "", 1000, &e), 0);
    head.count = 2;
    head.length = 0xFFFF;  // more than an entry: only the entry's own bytes are read
    EXPECT_EQ(NxlVfs_FindEntry(&head, dir.data(), dir.size(), NXL_TEST_WIDTH, "", 1000, &e), 1);
    EXPECT_EQ(NxlVfs_FindEntry(&head, dir.data(), dir.size(), 33, "", 1000, &e), 0);
}

struct SplitCase {
    const char* path;
    const char* drive;
    const char* dir;
    const char* stem;
    const char* ext;
};
const SplitCase kSplit[] = {
    {"C:pic.bmp", "C:", "", "pic", ".bmp"},
    {"\\data\\x", "", "\\data\\", "x", ""},
    {"C:\\a\\b\\c.d.e", "C:", "\\a\\b\\", "c", ".d.e"},
    {"pic.bmp", "", "", "pic", ".bmp"},
    {"data\\.hidden", "", "data\\", "", ".hidden"},
    {"\x95\x5c\\\x95\x5c.txt", "", "\x95\x5c\\", "\x95\x5c", ".txt"},  // trail byte 0x5C
    {"\x95\x5c"
     "abc",
     "", "",
     "\x95\x5c"
     "abc",
     ""},
    {"\x81:x", "", "", "\x81:x", ""},  // a lead byte is no drive letter
    {"", "", "", "", ""},
};

TEST(NXL_SUITE(NxlPaths), SplitsLikeTheSystem) {
    for (const SplitCase& c : kSplit) {
        char drive[NXL_MAX_DRIVE], dir[NXL_MAX_DIR], stem[NXL_MAX_FNAME], ext[NXL_MAX_EXT];
        char* last = NXL_FILE_SeparatePath(c.path, drive, dir, stem, ext);
        EXPECT_STREQ(drive, c.drive) << c.path;
        EXPECT_STREQ(dir, c.dir) << c.path;
        EXPECT_STREQ(stem, c.stem) << c.path;
        EXPECT_STREQ(ext, c.ext) << c.path;
        EXPECT_EQ(last, ext) << c.path;
        char joined[NXL_MAX_PATH];
        EXPECT_EQ(NXL_FILE_MakePath(joined, drive, dir, stem, ext), joined);
        EXPECT_STREQ(joined, c.path) << "joined again: " << c.path;
    }
    char stem[NXL_MAX_FNAME];
    EXPECT_EQ(NXL_FILE_SeparatePath("a\\b.c", nullptr, nullptr, stem, nullptr), stem);
    EXPECT_STREQ(stem, "b");
}

TEST(NXL_SUITE(NxlPaths), LongPartsAreCutToTheirCapacity) {
    std::string path =
        "C:\\" + std::string(400, 'd') + "\\" + std::string(300, 's') + "." + std::string(300, 'e');
    char drive[8], dir[16], stem[16], ext[16];
    std::memset(dir, 'z', sizeof dir);
    NXL_FILE_SeparatePath(path.c_str(), drive, dir, stem, ext, 3, 10, 10, 10);
    EXPECT_STREQ(drive, "C:");
    EXPECT_EQ(std::strlen(dir), 9u);
    EXPECT_EQ(dir[10], 'z');
    EXPECT_STREQ(stem, "sssssssss");
    EXPECT_STREQ(ext, ".eeeeeeee");
    char out[12];
    std::memset(out, 'z', sizeof out);
    NXL_FILE_MakePath(out, "C:", "\\folder\\", "name", ".ext", 10);
    EXPECT_STREQ(out, "C:\\folder");
    EXPECT_EQ(out[10], 'z');
    // An over-long path has no archive name rather than a cut, wrong one.
    NxlVfsRule rule = {NXL_TEST_WIDTH, 0};
    char archive[MAX_PATH], entry[NXL_MAX_PATH];
    EXPECT_EQ(NxlVfs_Names(path.c_str(), &rule, archive, sizeof archive, entry, sizeof entry), 0);
}

#if NXL_TEST_WIDTH == 280
TEST(NXL_SUITE(NxlPaths), SeparateFileOfTheLongNameBuild) {
    char folder[NXL_MAX_PATH], file[NXL_MAX_PATH];
    NXL_FILE_SeparateFile("C:\\data\\pic.bmp", folder, file);
    EXPECT_STREQ(folder, "C:\\data\\");
    EXPECT_STREQ(file, "pic.bmp");
}
#endif

TEST(NXL_SUITE(NxlFiles), BlocksAndText) {
    Scratch s;
    s.Put("empty.txt", "");
    s.Put("eof.txt", std::string("ab\x1A", 3));
    s.Put("bin.dat", std::string("\x1A\x00\x1A", 3));
    char* text = static_cast<char*>(NXL_FILE_ReadBlock(s.Sys("empty.txt").c_str(), 1));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(NXL_MEM_Size(text), 1);
    EXPECT_EQ(text[0], 0);
    NXL_MEM_Free(text);
    text = static_cast<char*>(NXL_FILE_ReadBlock(s.Sys("eof.txt").c_str(), 1));
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "ab");
    NXL_MEM_Free(text);
    BYTE* bin = static_cast<BYTE*>(NXL_FILE_ReadBlock(s.Sys("bin.dat").c_str(), 0));
    ASSERT_NE(bin, nullptr);
    EXPECT_EQ(NXL_MEM_Size(bin), 3);
    EXPECT_EQ(bin[2], 0x1A) << "binary blocks are kept as they are";
    NXL_MEM_Free(bin);
    EXPECT_EQ(NXL_FILE_ReadBlock(s.Sys("none.txt").c_str(), 1), nullptr);

    EXPECT_EQ(NXL_FILE_WriteBlock(s.Sys("out.dat").c_str(), "12345", 5), 1);
    EXPECT_EQ(NXL_FILE_WriteBlock(s.Sys("out.dat").c_str(), "67", 2), 1) << "replaced";
    EXPECT_EQ(s.Get("out.dat"), Bytes("67"));
    EXPECT_EQ(NXL_FILE_WriteBlock(s.Sys("no\\such\\folder\\x").c_str(), "1", 1), 0);
}

TEST(NXL_SUITE(NxlFiles), ShortWriteIsAFailure) {
    Scratch s;
    FileSizeLimit full(3);
    EXPECT_EQ(NXL_FILE_WriteBlock(s.Sys("out.dat").c_str(), "12345", 5), 0);
}

TEST(NXL_SUITE(NxlFileDialogRecord), Filters) {
    tagNXLFILESELECT sel;
    std::memset(&sel, 0x55, sizeof sel);
    ASSERT_EQ(NXL_FILE_InitFilter(&sel, nullptr, "title", ".bmp"), 1);
    EXPECT_EQ(sel.filtercount, 1);
    EXPECT_STREQ(sel.filter[0].ext, ".*");
    EXPECT_STREQ(sel.filter[0].title, "すべてのファイル");
    EXPECT_STREQ(sel.ext, ".bmp");
    EXPECT_NE(sel.dir[0], 0);
    EXPECT_EQ(NXL_FILE_AddFilter(&sel, "BMP", ".bmp"), 1);
    EXPECT_EQ(NXL_FILE_AddFilter(&sel, "PNG", ".png"), 1);
    EXPECT_EQ(sel.index, 3) << "the filter added last is shown first";
    for (int i = 3; i < 10; ++i) EXPECT_EQ(NXL_FILE_AddFilter(&sel, "x", ".x"), 1);
    tagNXLFILESELECT before = sel;
    EXPECT_EQ(NXL_FILE_AddFilter(&sel, "y", ".y"), 0);
    EXPECT_EQ(std::memcmp(&before, &sel, sizeof sel), 0);
    EXPECT_EQ(NXL_FILE_AddFilter(&sel, nullptr, nullptr), 0);
    tagNXLFILESELECT longer;
    NXL_FILE_InitFilter(&longer, nullptr, std::string(200, 't').c_str(), ".jpeg1234");
    EXPECT_EQ(std::strlen(longer.title), 63u);
    EXPECT_STREQ(longer.ext, ".jpe");
}

TEST(NXL_SUITE(NxlFileDialogRecord), SelectFileFillsTheRecordFromTheChoice) {
    Scratch s;
    s.Put("pic.bmp", "BM");
    tagNXLFILESELECT sel;
    ASSERT_EQ(NXL_FILE_InitFilter(&sel, nullptr, "choose", ".bmp"), 1);
    NXL_FILE_AddFilter(&sel, "BMP", ".BMP");
    NXL_FILE_AddFilter(&sel, "PNG", ".png");

    WynPlat_SetFileDialogAnswers("cancel");
    tagNXLFILESELECT before = sel;
    EXPECT_EQ(NXL_FILE_SelectFile(&sel, 0), 0);
    EXPECT_STREQ(sel.path, "*.bmp") << "the open dialog proposes the default extension";
    EXPECT_STREQ(sel.dir, before.dir);
    EXPECT_EQ(sel.index, 3);

    struct Case {
        int save;
        const char* answer;
        const char* file;
        const char* ext;
        int index;
    };
    const Case cases[] = {
        {0, "pic.bmp", "pic.bmp", ".bmp", 2},  // an existing file, its filter found ignoring case
        {1, "new.png", "new.png", ".png", 3},  // a new name for saving
        {1, "notes.txt", "notes.txt", ".txt", 3},  // no filter of that extension: index kept
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        // Absolute: after a choice the dialog starts in the chosen file's folder.
        char cwd[MAX_PATH];
        GetCurrentDirectoryA(sizeof cwd, cwd);
        std::string answer = std::string(cwd) + "\\" + s.Sys(c.answer);
        WynPlat_SetFileDialogAnswers(answer.c_str());
        ASSERT_EQ(NXL_FILE_SelectFile(&sel, c.save), 1);
        std::string path = sel.path;
        EXPECT_EQ(path.substr(path.size() - std::strlen(c.file)), c.file);
        EXPECT_STREQ(sel.filetitle, c.file);
        EXPECT_STREQ(sel.ext, c.ext);
        EXPECT_EQ(sel.index, c.index);
        std::string dir = sel.dir;
        EXPECT_EQ(dir.substr(dir.size() - s.Name().size() - 1), s.Name() + "\\");
    }
    EXPECT_EQ(NXL_FILE_SelectFile(nullptr, 0), 0);
    WynPlat_SetFileDialogAnswers("");
}

TEST(NXL_SUITE(NxlMemory), Blocks) {
    BYTE* p = static_cast<BYTE*>(NXL_MEM_Alloc(16));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(NXL_MEM_Size(p), 16);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(p[i], 0);
    const char pat[] = "ab";
    EXPECT_EQ(NXL_MEM_Clear(p, pat, 2, 3), 3);
    EXPECT_EQ(std::memcmp(p, "ababab\0", 7), 0);
    BYTE* q = static_cast<BYTE*>(NXL_MEM_Resize(p, 4));
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(NXL_MEM_Size(q), 4);
    EXPECT_EQ(std::memcmp(q, "abab", 4), 0);
    char a[] = "1234", b[] = "abcd";
    EXPECT_EQ(NXL_MEM_Exchange(a, b, 2), 2);
    EXPECT_STREQ(a, "ab34");
    EXPECT_STREQ(b, "12cd");
    NXL_MEM_Copy(a, "zz", 2);
    EXPECT_STREQ(a, "zz34");
    int notABlock = 0;
    EXPECT_EQ(NXL_MEM_Size(&notABlock), -1);
    EXPECT_EQ(NXL_MEM_Resize(&notABlock, 8), nullptr);
    NXL_MEM_Free(&notABlock);  // ignored
    NXL_MEM_Free(q);
    EXPECT_EQ(NXL_MEM_Alloc(-1), nullptr);
}

// The archive maker's two naming rules, read back by this build's and the folder rule's
// lookups.
TEST(NXL_SUITE(NxlArchiveMaker), BothNamingRules) {
    Scratch s;
    s.Put("src/pic.bmp", "P1");
    s.Put("src/pic.txt", "T22");
    s.Put("src/\xe5\xad\x97.wav", "W333");  // a Japanese name, stored in Shift-JIS
    std::string tool = VFSMAKE_PATH;
    std::string w = std::to_string(NXL_TEST_WIDTH);
    ASSERT_EQ(
        std::system((tool + " -stem " + w + " " + s.Name() + "/src " + s.Name() + "/stem").c_str()),
        0);
    EXPECT_EQ(NXL_FILE_Size(s.Sys("stem/PIC.TXT").c_str()), 3);
    EXPECT_EQ(NXL_FILE_Size(s.Sys("stem/pic.bmp").c_str()), 2);
    EXPECT_EQ(NXL_FILE_Size(s.Sys("stem/\x8e\x9a.wav").c_str()), 4);
    ASSERT_EQ(std::system((tool + " 32 " + s.Name() + "/src " + s.Name() + "/src.vfs").c_str()), 0);
    NxlVfsRule rule = {32, 1};
    tagVFENTRY e;
    HANDLE h = NxlVfs_OpenHandle(s.Sys("src\\\x8e\x9a.WAV").c_str(), &rule, 0, FALSE, &e);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(e.size, 4u);
    CloseHandle(h);
    std::filesystem::remove_all(s.Name() + "/src");
    EXPECT_EQ(NXL_FILE_Exist(s.Sys("stem/pic.bmp").c_str()), 1) << "read from the archive";
}

}  // namespace
