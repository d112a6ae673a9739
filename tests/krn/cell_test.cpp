// Cells through the 2D display and picture-file libraries: creation, reading by extension, and
// the bitmap form the raster driver draws from.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "krn.h"
#include "umb33.h"
#include "wynplat.h"

namespace {

namespace fs = std::filesystem;

// A bottom-up 24-bit BMP of 2 x 2 pixels: red, green on the top row, blue, white below.
std::string TinyBmp() {
    auto u32 = [](std::string& s, uint32_t v) {
        for (int i = 0; i < 4; ++i) s += (char)(v >> (8 * i) & 0xFF);
    };
    auto u16 = [](std::string& s, uint16_t v) {
        s += (char)(v & 0xFF);
        s += (char)(v >> 8);
    };
    std::string rows;
    const unsigned char bottom[] = {255, 0, 0, 255, 255, 255, 0, 0};  // blue, white (BGR), pad
    const unsigned char top[] = {0, 0, 255, 0, 255, 0, 0, 0};         // red, green, pad
    rows.append(reinterpret_cast<const char*>(bottom), 8);
    rows.append(reinterpret_cast<const char*>(top), 8);
    std::string s = "BM";
    u32(s, 14 + 40 + (uint32_t)rows.size());
    u32(s, 0);
    u32(s, 14 + 40);
    u32(s, 40);
    u32(s, 2);
    u32(s, 2);
    u16(s, 1);
    u16(s, 24);
    u32(s, 0);
    u32(s, (uint32_t)rows.size());
    u32(s, 2835);
    u32(s, 2835);
    u32(s, 0);
    u32(s, 0);
    return s + rows;
}

std::string Place(const char* name, const std::string& bytes) {
    const char* run = std::getenv("WYN_RUNTIME_DIR");
    fs::path dir = fs::path(run ? run : fs::temp_directory_path().string()) / "cells";
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary).write(bytes.data(), (std::streamsize)bytes.size());
    char sys[1024];
    WynPlat_ToSystemPath((dir / name).c_str(), sys, sizeof sys);
    return sys;
}

TEST(KrnCells, CreateAndDelete) {
    tagCELL cell;
    std::memset(&cell, 0x55, sizeof cell);
    ASSERT_EQ(KRN_CreateCell(&cell, 3, 2), 1);
    EXPECT_EQ(cell.mode, CELL_MODE_NORMAL);
    EXPECT_EQ(cell.xsize, 3);
    EXPECT_EQ(cell.mask, CELL_MASK_NONE);
    EXPECT_EQ(cell.bits[5], 0);
    KRN_DeleteCell(&cell);
    EXPECT_EQ(cell.bits, nullptr);
}

struct ReadCase {
    const char* name;
    bool ok;
};
const ReadCase kReads[] = {
    {"pic.bmp", true},
    {"PIC2.BMP", true},
    {"pic.png", false},
    {"pic", false},
};

TEST(KrnCells, ReadCellByExtension) {
    for (const auto& c : kReads) {
        std::string path = Place(c.name, TinyBmp());
        tagCELL cell;
        std::memset(&cell, 0, sizeof cell);
        EXPECT_EQ(KRN_ReadCell(&cell, path.c_str()) != 0, c.ok) << c.name;
        if (c.ok) {
            EXPECT_EQ(cell.xsize, 2) << c.name;
            EXPECT_EQ(cell.bits[0], UMB_MakePixel(31, 0, 0))
                << c.name << ": the top row comes first";
            EXPECT_EQ(cell.bits[3], UMB_MakePixel(31, 31, 31)) << c.name;
            KRN_DeleteCell(&cell);
        }
    }
    tagCELL cell;
    std::memset(&cell, 0, sizeof cell);
    EXPECT_EQ(KRN_ReadCell(&cell, Place("bad.umb", "not a picture").c_str()), 0);
    EXPECT_EQ(KRN_ReadCell(&cell, "C:\\no\\such\\file.bmp"), 0);
}

TEST(KrnCells, RemakeCellKeepsPixelsAndPlacement) {
    tagCELL cell;
    ASSERT_EQ(KRN_CreateCell(&cell, 3, 2), 1);
    for (int i = 0; i < 6; ++i) cell.bits[i] = (ZEMPIXEL)(0x1000 + i);
    cell.mask = 0x1F;
    cell.xpos = 7;
    cell.ypos = 8;
    cell.xoffset = -1;
    cell.yoffset = -2;
    ASSERT_EQ(KRN_RemakeCell(&cell), 1);
    EXPECT_EQ(cell.mode, CELL_MODE_BITMAP);
    EXPECT_NE(cell.user, 0u);
    EXPECT_EQ(cell.ysize, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(cell.bits[y * cell.xsize + x], (ZEMPIXEL)(0x1000 + y * 3 + x))
                << x << "," << y;
    EXPECT_EQ(cell.mask, 0x1F);
    EXPECT_EQ(cell.xpos, 7);
    EXPECT_EQ(cell.yoffset, -2);
    EXPECT_EQ(KRN_RemakeCell(&cell), 0) << "already a bitmap cell";
    KRN_DeleteCell(&cell);
}

}  // namespace
