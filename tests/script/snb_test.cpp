// Compiled-script files: packing and unpacking, the INFO record, the scrambled and padded
// code, damaged files refused by the code check, and the snbmake tool.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "scratch.h"
#include "vfs_writer.h"
#include "vsk_test_support.h"
#include "vskcomp_internal.h"

using namespace vsktest;
using Raw = std::vector<uint8_t>;

namespace {

Raw Compiled(const std::string& source) {
    auto* text = static_cast<BYTE*>(VSKTASK_AllocMemory(nullptr, source.size() + 1));
    std::memcpy(text, source.data(), source.size());
    tagCOMPBLOCK job{};
    job.lpoldtop = job.lpold = text;
    job.oldsize = DWORD(source.size() + 1);
    EXPECT_EQ(VSKCOMP_Comp(&job), 1) << source;
    Raw code(job.lpnewtop, job.lpnew);
    VSKTASK_FreeMemory(nullptr, job.lpnewtop);
    return code;
}

Raw Unpacked(const std::string& path) {
    BYTE* block = VSKCOMP_Unpack(nullptr, path.c_str());
    if (!block) return {};
    Raw code(block, block + VSKTASK_SizeMemory(nullptr, block));
    VSKTASK_FreeMemory(nullptr, block);
    return code;
}

Raw Padded(Raw code) {
    code.resize((code.size() + 3) & ~size_t(3), 0);
    return code;
}

TEST(VskSnb, PackThenUnpackGivesTheCodeBack) {
    Scratch s;
    Raw code = Compiled("A(1,\"text\");\nIF($A==2){B(#3[1]);}ELSE{C();};\n$B=-1.5*2;");
    Raw before = code;
    std::string path = s.Sys("round.snb");
    ASSERT_EQ(VSKCOMP_Pack(nullptr, path.c_str(), code.data(), DWORD(code.size())), 1);
    EXPECT_EQ(code, before);  // the caller's bytes are left alone
    EXPECT_EQ(Unpacked(path), Padded(code));
    // Inside an archive (the script library's 32-byte entries, one archive per folder).
    s.Put("scripts.vfs", vfsmake::Build({{"ROUND.SNB", s.Get("ROUND.SNB")}}, 32));
    EXPECT_EQ(Unpacked(s.Sys("scripts\\round.snb")), Padded(code));
}

TEST(VskSnb, TheFileLayoutWithAGivenKey) {
    Scratch s;
    Raw code = {0x01, 0x02, 0x03, 0x04, 0x00};  // five bytes of code
    std::string path = s.Sys("five.snb");
    ASSERT_EQ(vskcomp::PackWithKey(nullptr, path.c_str(), code.data(), 5, 0x5A), 1);
    Raw file = s.Get("FIVE.SNB");
    ASSERT_EQ(file.size(), 12u + 8 + 60 + 8 + 8);
    EXPECT_EQ(Raw(file.begin(), file.begin() + 4), (Raw{'R', 'I', 'F', 'F'}));
    EXPECT_EQ(file[4] | file[5] << 8, int(file.size()) - 8);
    EXPECT_EQ(Raw(file.begin() + 8, file.begin() + 16),
              (Raw{'S', 'N', 'B', ' ', 'I', 'N', 'F', 'O'}));
    EXPECT_EQ(file[16], 60);
    const uint8_t* info = &file[20];
    EXPECT_EQ(info[0], 0x5A);
    EXPECT_EQ(info[1], 0xA5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(info + 2)), "Veskeran ");
    EXPECT_EQ(info[11], 0);
    EXPECT_EQ(info[12 + 39], 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(info + 12)).size(), 39u);
    EXPECT_EQ(info[52] | info[53] << 8, 0x0304);
    for (int i = 54; i < 60; ++i) EXPECT_EQ(info[i], 0) << i;
    EXPECT_EQ(Raw(file.begin() + 80, file.begin() + 88), (Raw{'C', 'O', 'D', 'E', 8, 0, 0, 0}));
    Raw scrambled(file.begin() + 88, file.end());
    VSKFILE_UnlockCode(scrambled.data(), 8, 0x5A);
    EXPECT_EQ(scrambled, (Raw{0x01, 0x02, 0x03, 0x04, 0x00, 0, 0, 0}));
    // Every file gets its own key from the clock.
    EXPECT_EQ(VSKCOMP_Pack(nullptr, path.c_str(), code.data(), 5), 1);
    int key = s.Get("FIVE.SNB")[20];
    EXPECT_GE(key, 1);
    EXPECT_LE(key, 254);
    EXPECT_EQ(s.Get("FIVE.SNB")[21], uint8_t(~key));
}

// A compiled file of `code` (not checked), with chunks adjustable for damage.
Raw SnbFile(const Raw& code, size_t infoSize = 60, bool withCode = true, int key = 7) {
    Raw body;
    auto chunk = [&](const char* tag, Raw data) {
        body.insert(body.end(), tag, tag + 4);
        for (int i = 0; i < 4; ++i) body.push_back(uint8_t(data.size() >> (8 * i)));
        body.insert(body.end(), data.begin(), data.end());
    };
    Raw info(infoSize, 0);
    if (!info.empty()) info[0] = uint8_t(key);
    chunk("INFO", info);
    if (withCode) {
        Raw padded = Padded(code);
        VSKFILE_LockCode(padded.data(), DWORD(padded.size()), key);
        chunk("CODE", padded);
    }
    Raw file = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'S', 'N', 'B', ' '};
    file.insert(file.end(), body.begin(), body.end());
    uint32_t size = uint32_t(file.size() - 8);
    for (int i = 0; i < 4; ++i) file[4 + i] = uint8_t(size >> (8 * i));
    return file;
}

TEST(VskSnb, DamagedFilesAreRefusedWithTheirMessage) {
    Scratch s;
    Raw good = Compiled("WAIT(1);");
    auto patched = [&](size_t at, std::initializer_list<uint8_t> bytes) {
        Raw b = good;
        for (uint8_t x : bytes) b[at++] = x;
        return b;
    };
    Raw unterminated = good;
    unterminated[29 + 8] = 'X';           // "STANDARD" runs on into "WAIT"
    Raw longString = {0x08, 0xE9, 0x03};  // 1001 units: past what the compiler writes
    longString.resize(3 + 2002 + 2, 'a');
    longString.push_back(0x00);
    // Without the block's 0, and 4-byte aligned so that no padding supplies one.
    Raw open(good.begin(), good.end() - 1);
    open.push_back(0x0A);
    open.push_back(0x01);
    Raw deep(201, 0x28);
    deep.push_back(0x01);
    deep.insert(deep.end(), 201, 0x00);
    deep.push_back(0x00);
    struct Case {
        const char* what;
        Raw file;
    };
    const Case kCases[] = {
        {"INFO of 59 bytes", SnbFile(good, 59)},
        {"INFO of 61 bytes", SnbFile(good, 61)},
        {"no CODE", SnbFile(good, 60, false)},
        {"empty code", SnbFile({})},
        {"no end of the block", SnbFile(open)},
        {"library offset not 29", SnbFile(patched(1, {30}))},
        {"command offset out of order", SnbFile(patched(5, {37}))},
        {"argument offset past the call", SnbFile(patched(9, {200}))},
        {"end offset wrong", SnbFile(patched(25, {45}))},
        {"count of 27", SnbFile(patched(13, {27}))},
        {"count of -1", SnbFile(patched(13, {0xFF, 0xFF, 0xFF, 0xFF}))},
        {"a brace block where none is", SnbFile(patched(17, {46}))},
        {"unterminated name", SnbFile(unterminated)},
        {"lower-case name", SnbFile(patched(38, {'w'}))},
        {"string of 1001 units", SnbFile(longString)},
        {"string without its 0 unit", SnbFile({0x08, 1, 0, 'a', 0, 'b', 0, 0x00})},
        {"unknown operand", SnbFile({0x07, 0x00})},
        {"operator without an operand", SnbFile({0x01, 0xA5, 0x00})},
        {"local letter out of range", SnbFile({0x0E, '[', 0x00})},
        {"number out of range", SnbFile({0x05, 0x00, 0xCA, 0x9A, 0x3B, 0, 0, 0, 0, 0x00})},
        {"nested too deep", SnbFile(deep)},
    };
    for (const Case& c : kCases) {
        s.Put("bad.snb", c.file);
        std::string path = s.Sys("bad.snb");
        Boxes boxes;
        EXPECT_EQ(VSKCOMP_Unpack(nullptr, path.c_str()), nullptr) << c.what;
        auto all = boxes.All();
        ASSERT_EQ(all.size(), 1u) << c.what;
        EXPECT_EQ(all[0].caption, U8(u8"『Veskeran33』コンパイルマネージャ(VSKCOMP.dll)"));
        EXPECT_EQ(all[0].text,
                  "\"" + path + "\"\n" + U8(u8"コンパイル済みスクリプトが壊れています。"))
            << c.what;
    }
    // The same file undamaged passes, and so does code the compiler never writes but the
    // bytecode allows (a lone omitted argument, a deep but allowed nesting).
    s.Put("good.snb", SnbFile(good));
    EXPECT_EQ(Unpacked(s.Sys("good.snb")), Padded(good));
    // A file that is no RIFF is the file library's to report.
    s.Put("text.snb", "not a compiled script");
    Boxes boxes;
    EXPECT_EQ(VSKCOMP_Unpack(nullptr, s.Sys("text.snb").c_str()), nullptr);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Texts()[0].find(U8(u8"RIFF 形式ファイルではありません。")), std::string::npos);
}

TEST(VskSnb, TheToolCompilesWithItsDefinitions) {
    Scratch s;
    s.Put("defs.def", "#define 'GREETING' '\"hello\"'\n");
    s.Put("front.sna", "// front\nPRINT(GREETING);\nWAIT(VSKRED);\n");
    s.Put("broken.sna", "\nPRINT(1)\n");
    std::string tool = std::string(WynPlat_ProgramDir()) + "/snbmake";
    std::string dir = s.Name() + "/";
    std::string run = tool + " -d " + dir + "defs.def " + dir + "front.sna " + dir + "out.snb";
    ASSERT_EQ(std::system(run.c_str()), 0) << run;
    vskcomp::ResetDefinitions();
    EXPECT_EQ(Unpacked(s.Sys("out.snb")), Padded(Compiled("\nPRINT(\"hello\");\nWAIT(0x7c00);\n")));
    std::string broken = tool + " " + dir + "broken.sna " + dir + "broken.snb 2>" + dir + "err.txt";
    EXPECT_NE(std::system(broken.c_str()), 0);
    std::vector<uint8_t> err = s.Get("err.txt");
    EXPECT_NE(
        std::string(err.begin(), err.end())
            .find(
                U8(u8"broken.sna:PASS(3):LINE(2):関数あるいは式の終端記号「;」がありません。(7)")),
        std::string::npos);
    EXPECT_EQ(VSKFILE_Exist(nullptr, s.Sys("broken.snb").c_str()), 0);
    EXPECT_NE(std::system((tool + " only-one-argument").c_str()), 0);
    // -u: a UTF-8 source compiles as its Shift-JIS text does.
    s.Put("utf8.sna", U8(u8"PRINT(\"ゲーム開始\");\n"));
    std::string utf8 = tool + " -u " + dir + "utf8.sna " + dir + "utf8.snb";
    ASSERT_EQ(std::system(utf8.c_str()), 0) << utf8;
    EXPECT_EQ(Unpacked(s.Sys("utf8.snb")), Padded(Compiled("PRINT(\"ゲーム開始\");\n")));
}

}  // namespace
