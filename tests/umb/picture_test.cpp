// The system's own picture file: coding, reading, writing, the 8-bit form, and every
// malformed input refused with 0.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "../nxlib/file_limit.h"
#include "../nxlib/scratch.h"
#include "../nxlib/test_window.h"
#include "picture_fixtures.h"
#include "umb_internal.h"
#include "vfs_writer.h"
#include "wynplat.h"

namespace {

using fx::Bytes;

struct CellHolder {
    tagCELL cell{};
    ~CellHolder() { UmbFree(cell.bits); }
};

TEST(UmbCell, CreateCell) {
    CellHolder h;
    h.cell.mask = 5;
    ASSERT_EQ(UMBDLL_CreateCell(&h.cell, 3, 2), 1);
    EXPECT_EQ(h.cell.mode, CELL_MODE_NORMAL);
    EXPECT_EQ(h.cell.mask, CELL_MASK_NONE);
    EXPECT_EQ(h.cell.xsize, 3);
    EXPECT_EQ(h.cell.ysize, 2);
    EXPECT_EQ(h.cell.user, 0u);
    ASSERT_NE(h.cell.bits, nullptr);
    EXPECT_GE(GlobalSize(GlobalHandle(h.cell.bits)), 12u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(h.cell.bits[i], 0);
}

TEST(UmbCell, NoMemoryAsksRetryCancelAndGivesUpOnCancel) {
    tagCELL cell{};
    cell.xsize = 77;
    int before = WynPlat_MessageBoxCount();
    WynPlat_PushMessageBoxAnswer(IDRETRY);
    WynPlat_PushMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(UMBDLL_CreateCell(&cell, 0x7FFFFFFF, 0x7FFFFFFF), 0);
    EXPECT_EQ(cell.bits, nullptr);
    EXPECT_EQ(cell.xsize, 77) << "the record is left alone but for its pixels";
    EXPECT_EQ(WynPlat_MessageBoxCount() - before, 2);
    char caption[64], text[512];
    ASSERT_EQ(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text), 1);
    EXPECT_STREQ(caption, "UMB33.DLL");
}

// Runs, steps, literals, the raw fallback and mask runs, coded by hand.
TEST(UmbCoding, HandMadeRowsDecodeToTheExpectedPixels) {
    Bytes d;
    // Row 0: literal red, a step, a run of four blue, a step, a literal; pixels 0, 5 and 7
    // half-transparent.
    d.u8(0x01).u8(0x7C).u8(0x00).u8(0xC7).u8(0xFE).u8(3).u16(0x001F).u8(0x8E).u8(0x12).u8(0x34).u8(
        0xFF);
    d.u8(0x01).u8(0x21).u8(0x10).u8(0xFF);
    // Row 1: raw pixels, all half-transparent through one mask run.
    d.u8(0x00);
    for (int x = 0; x < 8; ++x) d.u16(x == 0 ? 0x8001 : x);
    d.u8(0xFF).u8(0x01).u8(0x80 + 0x3F).u8(1).u8(0xFF);
    while (d.size() % 4) d.u8(0xFF);
    const ZEMPIXEL row0[8] = {0xFC00, 0x7840, 0x001F, 0x001F, 0x001F, 0x801F, 0x081D, 0x9234};
    ZEMPIXEL out[16] = {};
    ASSERT_EQ(UmbDecodeRows(d.data(), d.size(), out, 8, 2), 1);
    for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(out[x], row0[x]) << "row 0 pixel " << x;
        EXPECT_EQ(out[8 + x], ZEMPIXEL(0x8000 | (x == 0 ? 1 : x))) << "row 1 pixel " << x;
    }
}

// One coded row each. A fill run's colour word carries bit 15 as the writer leaves it, but
// the decoder keeps bits 0-14: half transparency comes from the row's mask alone.
TEST(UmbCoding, RowCodesDecodeOneRow) {
    struct Case {
        const char* what;
        std::vector<uint8_t> code;
        std::vector<ZEMPIXEL> row;
    };
    const Case cases[] = {
        {"fill run with bit 15 set in its colour",
         {0x01, 0xFE, 2, 0x1F, 0x80, 0xFF, 0x00, 0xFF},
         {0x001F, 0x001F, 0x001F}},
        {"the same colour without bit 15",
         {0x01, 0xFE, 1, 0x1F, 0x00, 0xFF, 0x00, 0xFF},
         {0x001F, 0x001F}},
        {"the mask alone makes pixels half-transparent",
         {0x01, 0xFE, 1, 0x1F, 0x80, 0xFF, 0x01, 0x20, 0xFF},
         {0x801F, 0x001F}},
    };
    for (const Case& c : cases) {
        std::vector<ZEMPIXEL> out(c.row.size(), 0x5A5A);
        ASSERT_EQ(UmbDecodeRows(c.code.data(), c.code.size(), out.data(), int(out.size()), 1), 1)
            << c.what;
        EXPECT_EQ(out, c.row) << c.what;
    }
}

std::vector<uint8_t> EncodeRow(const std::vector<ZEMPIXEL>& row) {
    std::vector<uint8_t> out(UmbEncodeBound(int(row.size()), 1));
    size_t n =
        UmbEncodeRows(row.data(), int(row.size()), 1, out.data(), out.size(), nullptr, nullptr);
    out.resize(n);
    return out;
}

TEST(UmbCoding, WriterChoices) {
    struct Case {
        const char* what;
        std::vector<ZEMPIXEL> row;
        std::vector<uint8_t> code;
    };
    const ZEMPIXEL far1 = 0x4210, far2 = 0x6318;  // channels 16 and 24: no step between
    const Case cases[] = {
        {"three equal pixels are a run, two are not",
         {far1, far1, far1, 0x0C63, 0x0C63},
         {0x01, 0xFE, 2, 0x10, 0x42, 0x0C, 0x63, 0xBE, 0xFF, 0x00, 0xFF}},
        {"the first pixel steps from 0",
         {0x0842, 0x0842, far2, far1, far2},
         {0x01, 0xFC, 0xBE, 0x63, 0x18, 0x42, 0x10, 0x63, 0x18, 0xFF, 0x00, 0xFF}},
        {"a row that codes no shorter is raw",
         {far1, far2},
         {0x00, 0x10, 0x42, 0x18, 0x63, 0xFF, 0x00, 0xFF}},
        {"six half-transparent pixels",
         {0x8000, 0x8000, 0x8000, 0x8000, 0x8000, 0x8000, 0, 0},
         {0x01, 0xFE, 7, 0, 0, 0xFF, 0x01, 0x3F, 0x00, 0xFF}},
        {"x = 6 alone",
         {0, 0, 0, 0, 0, 0, 0x8000, 0},
         {0x01, 0xFE, 7, 0, 0, 0xFF, 0x01, 0x00, 0x20, 0xFF}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> want = c.code;
        while (want.size() % 4) want.push_back(0xFF);
        EXPECT_EQ(EncodeRow(c.row), want) << c.what;
    }
    // 300 equal mask bytes: a run of 256 and a run of 44.
    std::vector<ZEMPIXEL> wide(1800, 0x8000);
    std::vector<uint8_t> code = EncodeRow(wide);
    const uint8_t tail[] = {0x01, 0x80 + 0x3F, 255, 0x80 + 0x3F, 43, 0xFF};
    ASSERT_GE(code.size(), sizeof tail + 1);
    size_t end = code.size();
    while (code[end - 1] == 0xFF && code[end - 2] == 0xFF) --end;  // padding
    EXPECT_EQ(
        std::vector<uint8_t>(code.end() - (code.size() - end) - sizeof tail, code.begin() + end),
        std::vector<uint8_t>(tail, tail + sizeof tail));
}

ZEMPIXEL RandomPixel(std::mt19937& rng, ZEMPIXEL prev) {
    switch (rng() % 4) {
        case 0:
            return prev;
        case 1:
            return ZEMPIXEL(rng());
        case 2:
            return ZEMPIXEL((prev & 0x7FFF) ^ (rng() & 0x0421));  // small steps
        default:
            return ZEMPIXEL(prev | 0x8000);
    }
}

TEST(UmbPicture, RandomPicturesSurviveWriteAndReadInBothForms) {
    Scratch s;
    std::mt19937 rng(7);
    for (int round = 0; round < 40; ++round) {
        int w = 1 + int(rng() % 70), h = 1 + int(rng() % 9);
        tagCELL src{};
        ASSERT_EQ(UMBDLL_CreateCell(&src, w, h), 1);
        ZEMPIXEL prev = 0;
        for (int i = 0; i < w * h; ++i) src.bits[i] = prev = RandomPixel(rng, prev);
        src.xpos = round;
        src.ypos = 2;
        src.xoffset = 3;
        src.yoffset = 65535;
        src.mask = round % 2 ? CELL_MASK_NONE : 0x1234;
        for (int coded = 0; coded < 2; ++coded) {
            std::string path = s.Sys("p" + std::to_string(round) + ".umb");
            ASSERT_NE(UMBDLL_WriteUMB16(path.c_str(), &src, "TEST", coded, nullptr), 0);
            CellHolder back;
            ASSERT_EQ(UMBDLL_ReadUMB(path.c_str(), &back.cell), 1) << round << " coded " << coded;
            EXPECT_EQ(back.cell.xsize, w);
            EXPECT_EQ(back.cell.ysize, h);
            EXPECT_EQ(back.cell.xpos, round);
            EXPECT_EQ(back.cell.yoffset, 65535);
            EXPECT_EQ(back.cell.mask, src.mask);
            EXPECT_EQ(back.cell.mode, CELL_MODE_NORMAL);
            EXPECT_EQ(std::memcmp(back.cell.bits, src.bits, size_t(w * h) * 2), 0)
                << "round " << round << " coded " << coded;
            std::vector<uint8_t> file = s.Get("p" + std::to_string(round) + ".umb");
            ASSERT_GE(file.size(), 88u);
            EXPECT_EQ(std::memcmp(file.data(), "RIFF\x38\0\0\0TEST", 12), 0);
            EXPECT_EQ(file.size() % 4, coded ? 0u : file.size() % 4);
        }
        UmbFree(src.bits);
    }
}

TEST(UmbPicture, ReadsThroughTheFoldersArchive) {
    Scratch s;
    tagCELL src{};
    ASSERT_EQ(UMBDLL_CreateCell(&src, 4, 4), 1);
    for (int i = 0; i < 16; ++i) src.bits[i] = ZEMPIXEL(i * 99);
    std::string plain = s.Sys("plain.umb");
    ASSERT_NE(UMBDLL_WriteUMB16(plain.c_str(), &src, "TEST", 1, nullptr), 0);
    s.Put("data.vfs", vfsmake::Build({{"PIC.UMB", s.Get("plain.umb")}}, 32));
    CellHolder back;
    ASSERT_EQ(UMBDLL_ReadUMB(s.Sys("data\\pic.umb").c_str(), &back.cell), 1);
    EXPECT_EQ(std::memcmp(back.cell.bits, src.bits, 32), 0);
    UmbFree(src.bits);
}

TEST(UmbPicture, MissingFileIsReportedByName) {
    CellHolder h;
    h.cell.bits = nullptr;
    EXPECT_EQ(UMBDLL_ReadUMB("no_such_folder\\missing.umb", &h.cell), 0);
    char caption[64], text[512];
    ASSERT_EQ(WynPlat_LastMessageBox(caption, sizeof caption, text, sizeof text), 1);
    EXPECT_STREQ(caption, "UMB33.DLL");
    EXPECT_NE(std::strstr(text, "no_such_folder\\missing.umb"), nullptr) << text;
    EXPECT_EQ(h.cell.bits, nullptr);
}

TEST(UmbPicture, EightBitPaletteForm) {
    for (int packed = 0; packed < 2; ++packed) {
        Bytes f = fx::Head(0x00020001, 1, 1);
        Bytes pal;
        pal.tag("pal ").u32(36 + 9).u32(0);
        Bytes map;
        map.u8(0x80 | 0x40 | 0x04);  // entries 0, 1 and 5
        for (int i = 1; i < 32; ++i) map.u8(0);
        pal.add(map).u8(0).u8(0).u8(0).u8(255).u8(0).u8(0).u8(8).u8(16).u8(255);
        f.add(pal);
        const uint8_t indices[6] = {0, 1, 5, 5, 5, 1};
        Bytes data;
        if (packed) {
            data.u8(0x00).u8(0).u8(0);  // run of one 0
            data.u8(0x00).u8(0).u8(1);  // run of one 1
            data.u8(0x00).u8(2).u8(5);  // run of three 5
            data.u8(0x10).u8(3).u8(0);  // copy one byte from four back
            data.u8(0x0F);
        } else {
            data.insert(data.end(), indices, indices + 6);
        }
        f.tag("bmp ").u32(uint32_t(data.size() + 24)).u16(3).u16(2).u32(0);
        f.u16(1).u16(2).u16(3).u16(4).u16(8).u16(packed).u16(5).u16(0).add(data);
        CellHolder h;
        ASSERT_EQ(UmbParsePicture(f.data(), f.size(), &h.cell), 1) << "packed " << packed;
        const ZEMPIXEL colours[6] = {0, 0x7C00, 0x0000, 0, 0, 0x7C00};
        const ZEMPIXEL c5 = UMB_MakePixel(1, 2, 31);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(h.cell.bits[i], indices[i] == 5 ? c5 : colours[i]) << "pixel " << i;
        EXPECT_EQ(h.cell.mask, LONG(c5)) << "the key is the colour of the key index";
        EXPECT_EQ(h.cell.xpos, 1);
        EXPECT_EQ(h.cell.yoffset, 4);
        EXPECT_EQ(h.cell.mode, CELL_MODE_NORMAL);
    }
}

// The exported readers of the 8-bit form work on an open file at its position.
TEST(UmbPicture, EightBitReadersOnAnOpenFile) {
    Scratch s;
    Bytes f = fx::Head(0x00020001, 1, 1);
    f.tag("pal ").u32(36 + 3).u32(0).u8(0x40);  // entry 1 only
    for (int i = 1; i < 32; ++i) f.u8(0);
    f.u8(0).u8(255).u8(0);
    f.tag("bmp ").u32(24 + 4).u16(2).u16(2).u32(0).u16(0).u16(0).u16(0).u16(0).u16(8).u16(0);
    f.u16(0xFFFF).u16(0).u8(1).u8(0).u8(0).u8(1);
    s.Put("p8.umb", f);
    OFSTRUCT of = {};
    HFILE file = OpenFile(s.Sys("p8.umb").c_str(), &of, OF_READ);
    ASSERT_NE(file, HFILE_ERROR);
    ASSERT_EQ(_llseek(file, 56, FILE_BEGIN), 56);
    ZEMPIXEL palette[256];
    std::memset(palette, 0xFF, sizeof palette);
    ASSERT_EQ(UMBDLL8_ReadPal(file, palette), 1);
    EXPECT_EQ(palette[0], 0);
    EXPECT_EQ(palette[1], 0x03E0);
    EXPECT_EQ(UMBDLL8_ReadBmp(file, nullptr), 1);
    tagCELL cell{};
    ASSERT_EQ(UMBDLL8_ReadBmp(file, &cell), 1);
    EXPECT_EQ(cell.xsize, 2);
    EXPECT_EQ(cell.mask, 0xFFFF) << "the key index as it stands";
    const BYTE* idx = reinterpret_cast<const BYTE*>(cell.bits);
    EXPECT_EQ(idx[0], 1);
    EXPECT_EQ(idx[3], 1);
    UmbFree(cell.bits);
    ASSERT_EQ(_llseek(file, 56, FILE_BEGIN), 56);
    EXPECT_EQ(UMBDLL8_ReadBmp(file, &cell), 0) << "a palette chunk is no picture block";
    _lclose(file);
}

TEST(UmbPicture, UnpackTable) {
    struct Case {
        const char* what;
        std::vector<uint8_t> src;
        size_t dst;
        int ok;
        std::vector<uint8_t> out;
    };
    const Case cases[] = {
        {"literal bytes and the escape", {0x20, 0xFF, 0x0E, 0x0F}, 3, 1, {0x10, 0xEF, 0x0E}},
        {"a long run", {0x01, 0x00, 7, 0x0F}, 257, 1, std::vector<uint8_t>(257, 7)},
        {"an overlapping copy", {0x21, 0x10, 0x00, 3, 0x0F}, 5, 1, {0x11, 0x11, 0x11, 0x11, 0x11}},
        {"a copy from before the start", {0x21, 0x10, 0x01, 0, 0x0F}, 5, 0, {}},
        {"a run past the destination", {0x00, 9, 1, 0x0F}, 5, 0, {}},
        {"no end code", {0x21, 0x22}, 5, 0, {}},
        {"a code cut short", {0x00, 9}, 50, 0, {}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> dst(c.dst, 0xAA);
        EXPECT_EQ(Umb8Unpack(c.src.data(), c.src.size(), dst.data(), dst.size()), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(dst, c.out) << c.what;
        }
    }
}

// Every malformed picture file reads as 0 with the cell left empty.
TEST(UmbPicture, MalformedFilesAreRefused) {
    auto coded = [](std::initializer_list<int> bytes) {
        Bytes d;
        for (int b : bytes) d.u8(b);
        return d;
    };
    Bytes goodRow = coded({0x01, 0xFE, 1, 0x1F, 0x00, 0xFF, 0x00, 0xFF});
    ASSERT_TRUE([&] {
        Bytes f = fx::Picture16(2, 1, true, goodRow);
        CellHolder h;
        return UmbParsePicture(f.data(), f.size(), &h.cell) == 1;
    }());
    struct Case {
        const char* what;
        Bytes file;
    };
    Bytes huge = fx::Picture16(65535, 65535, false, {1, 2, 3, 4});
    Bytes longer = fx::Picture16(2, 1, true, goodRow);
    longer.put32(60, 5000);
    Bytes shortLen = fx::Picture16(2, 1, true, goodRow);
    shortLen.put32(60, 8);
    Bytes eight = fx::Head(0x00020001, 1, 1);
    eight.tag("pal ").u32(36).u32(0).u8(0xFF);  // presence map cut short
    Bytes eightKeyless = fx::Head(0x00020001, 0, 0);
    Bytes eightHuge = fx::Head(0x00020001, 0, 1);
    eightHuge.tag("bmp ")
        .u32(24 + 4)
        .u16(65535)
        .u16(65535)
        .u32(0)
        .u32(0)
        .u32(0)
        .u16(8)
        .u16(1)
        .u16(0)
        .u16(0);
    eightHuge.u8(0x00).u8(0xFF).u8(0).u8(0x0F);
    const Case cases[] = {
        {"shorter than the header", Bytes(fx::Head(0x00030003)).add({1, 2})},
        {"raw pixels beyond the data", huge},
        {"zero width", fx::Picture16(0, 1, false, {})},
        {"coded length beyond the file", longer},
        {"coded length below the block", shortLen},
        {"coded data too small for its rows", fx::Picture16(4000, 4000, true, goodRow)},
        {"unknown row code 0xFD", fx::Picture16(2, 1, true, coded({0x01, 0xFD, 0xFF, 0x00, 0xFF}))},
        {"unknown row flag",
         fx::Picture16(2, 1, true, coded({0x02, 0xFF, 0x00, 0xFF, 0, 0, 0, 0}))},
        {"run past the row",
         fx::Picture16(2, 1, true, coded({0x01, 0xFE, 2, 0, 0, 0xFF, 0x00, 0xFF}))},
        {"literal past the row",
         fx::Picture16(1, 1, true, coded({0x01, 0x80, 0x01, 0x02, 0xFF, 0x00, 0xFF, 0xFF}))},
        {"row shorter than its width",
         fx::Picture16(2, 1, true, coded({0x01, 0x80, 0xFF, 0x00, 0xFF, 0xFF}))},
        {"literal cut by the data", fx::Picture16(2, 1, true, coded({0x01, 0x80, 0x01}))},
        {"mask past the row",
         fx::Picture16(2, 1, true, coded({0x01, 0xFE, 1, 0, 0, 0xFF, 0x01, 0x81, 1, 0xFF}))},
        {"unknown mask flag",
         fx::Picture16(2, 1, true, coded({0x01, 0xFE, 1, 0, 0, 0xFF, 0x05, 0xFF}))},
        {"raw row without its end",
         fx::Picture16(2, 1, true, coded({0x00, 1, 2, 3, 4, 0x00, 0x00, 0xFF}))},
        {"8-bit palette cut", eight},
        {"8-bit without picture", eightKeyless},
        {"8-bit far larger than its packed data", eightHuge},
    };
    for (const Case& c : cases) {
        tagCELL cell;
        std::memset(&cell, 0x5A, sizeof cell);
        EXPECT_EQ(UmbParsePicture(c.file.data(), c.file.size(), &cell), 0) << c.what;
        EXPECT_EQ(cell.bits, nullptr) << c.what;
        EXPECT_EQ(cell.xsize, 0) << c.what;
    }
}

TEST(UmbPicture, WriterReportsFailures) {
    Scratch s;
    tagCELL cell{};
    ASSERT_EQ(UMBDLL_CreateCell(&cell, 64, 64), 1);
    EXPECT_EQ(UMBDLL_WriteUMB16(s.Sys("no\\folder\\x.umb").c_str(), &cell, "TEST", 1, nullptr), 0);
    {
        FileSizeLimit full(100);
        EXPECT_EQ(UMBDLL_WriteUMB16(s.Sys("full.umb").c_str(), &cell, "TEST", 0, nullptr), 0);
        EXPECT_EQ(UMBDLL_WriteUMB16(s.Sys("full2.umb").c_str(), &cell, "TEST", 1, nullptr), 0);
        EXPECT_EQ(UMBDLL_WriteBMP24(s.Sys("full.bmp").c_str(), &cell), 0);
    }
    tagCELL empty{};
    EXPECT_EQ(UMBDLL_WriteUMB16(s.Sys("e.umb").c_str(), &empty, "TEST", 1, nullptr), 0);
    UmbFree(cell.bits);
}

}  // namespace

namespace {

TEST(UmbPicture, WriterSendsRowProgressToItsWindow) {
    Scratch s;
    RecordingWindow w;
    tagCELL cell{};
    ASSERT_EQ(UMBDLL_CreateCell(&cell, 5, 3), 1);
    ASSERT_NE(UMBDLL_WriteUMB16(s.Sys("p.umb").c_str(), &cell, "TEST", 1, w.hwnd()), 0);
    const std::vector<RecordedMessage>& log = RecordingWindow::Log();
    ASSERT_EQ(log.size(), 3u);
    const WPARAM percent[3] = {0, 33, 66};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(log[i].message, UMB_WM_PROGRESS);
        EXPECT_EQ(log[i].wParam, percent[i]) << "row " << i;
    }
    UmbFree(cell.bits);
}

}  // namespace
