// Model files read into chips: DXF faces (LF and CR LF, scale, offset, axis swap), random
// colours, PH1 height maps with the colour ramp, and files that must be refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../common/case_folder.h"
#include "krn_fixture.h"
#include "vfs_writer.h"
#include "wynplat.h"

namespace {

namespace fs = std::filesystem;

// A folder of the test's own, and the system path of a file in it.
class ModelFiles : public ::testing::Test {
  protected:
    void SetUp() override { dir_ = MakeCaseFolder(); }
    std::string Write(const char* name, const std::string& bytes) {
        std::ofstream((dir_ / name), std::ios::binary)
            .write(bytes.data(), (std::streamsize)bytes.size());
        return SystemPath(name);
    }
    std::string SystemPath(const char* name) {
        char out[1024];
        EXPECT_EQ(WynPlat_ToSystemPath((dir_ / name).c_str(), out, sizeof out), 1);
        return out;
    }
    fs::path dir_;
};

std::string Face(const std::string& eol, const double (*c)[3], bool padded) {
    std::string s = "  0" + eol + "3DFACE" + eol + "  8" + eol + "0" + eol;
    const char* codes[4][3] = {
        {"10", "20", "30"}, {"11", "21", "31"}, {"12", "22", "32"}, {"13", "23", "33"}};
    for (int k = 0; k < 4; ++k)
        for (int a = 0; a < 3; ++a) {
            char v[64];
            std::snprintf(v, sizeof v, "%.10g", c[k < 3 ? k : 2][a]);
            s += (padded ? " " : "") + std::string(codes[k][a]) + eol + v + eol;
        }
    return s;
}

const double kFaceA[3][3] = {{12.5, 0, 0}, {0, 10, -3.25}, {-4, 6, 100}};
const double kFaceB[3][3] = {{-1, -2, -3}, {4, 5, 6}, {7, 8, 9}};

struct DxfCase {
    const char* name;
    const char* eol;
    bool padded;
};
const DxfCase kDxf[] = {
    {"crlf.dxf", "\r\n", true},
    {"lf.dxf", "\n", false},
    {"LF_UPPER.DXF", "\n", true},
};

TEST_F(ModelFiles, TwoDxfFacesAtSlotTenWithScaleOffsetAndAxisSwap) {
    for (const auto& c : kDxf) {
        std::string path =
            Write(c.name, Face(c.eol, kFaceA, c.padded) + Face(c.eol, kFaceB, c.padded) + "  0" +
                              c.eol + "EOF" + c.eol);
        ChipEngine e(20);
        tagKRN3D v = V(100, 20, -7, 2);  // offset x, y, z; scale 2
        EXPECT_EQ(KRN_CheckChipCount(path.c_str()), 2) << c.name;
        ASSERT_EQ(KRN_ReadChip(&e.krn, 10, path.c_str(), &v), 2) << c.name;
        EXPECT_EQ(e.chips[9].mode, 0) << c.name;
        EXPECT_EQ(e.chips[12].mode, 0) << c.name;
        const double(*faces[2])[3] = {kFaceA, kFaceB};
        for (int f = 0; f < 2; ++f) {
            const tagKRNCHIP& chip = e.chips[(size_t)(10 + f)];
            EXPECT_EQ(chip.mode, KRNCHIP_SHOW) << c.name;
            EXPECT_EQ(chip.no, 10 + f) << c.name;
            for (int k = 0; k < 3; ++k) {
                // The file's y is the engine's z and the file's z its height.
                EXPECT_DOUBLE_EQ(chip.v[k].x, 2 * faces[f][k][0] + 100)
                    << c.name << " face " << f << " corner " << k;
                EXPECT_DOUBLE_EQ(chip.v[k].z, 2 * faces[f][k][1] - 7)
                    << c.name << " face " << f << " corner " << k;
                EXPECT_DOUBLE_EQ(chip.v[k].y, 2 * faces[f][k][2] + 20)
                    << c.name << " face " << f << " corner " << k;
                EXPECT_EQ(chip.r[k], 255) << c.name;
                EXPECT_EQ(chip.b[k], 255) << c.name;
            }
            tagKRN3D n;
            KRN_FaceNormal3D(&n, &chip.v[0], &chip.v[1], &chip.v[2]);
            EXPECT_DOUBLE_EQ(chip.normal.y, n.y) << c.name;
            EXPECT_DOUBLE_EQ(chip.n[2].z, n.z) << c.name;
            EXPECT_EQ(chip.red, 0) << c.name << ": the face colour stays 0";
        }
        EXPECT_DOUBLE_EQ(e.chips[10].v[0].x, 125.0) << "12.5 with scale 2 and offset 100";
    }
}

TEST_F(ModelFiles, DxfGroupCodesAreWholeLines) {
    // The layer name "110" and the value 10 must not be taken for group codes.
    std::string text =
        "0\n3DFACE\n8\n110\n10\n1\n20\n10\n30\n3\n11\n4\n21\n5\n31\n6\n12\n7\n22\n8\n32\n9\n";
    std::string path = Write("codes.dxf", text);
    ChipEngine e(4);
    ASSERT_EQ(KRN_ReadChip(&e.krn, 0, path.c_str(), nullptr), 1);
    EXPECT_EQ(e.chips[0].v[0].x, 1);
    EXPECT_EQ(e.chips[0].v[0].z, 10) << "the value of 20";
    EXPECT_EQ(e.chips[0].v[0].y, 3);
    EXPECT_EQ(e.chips[0].v[2].y, 9);
}

TEST_F(ModelFiles, DxrFacesTakeRandomColoursAndCutFacesStop) {
    std::string path = Write("r.dxr", Face("\n", kFaceA, false) + Face("\n", kFaceB, false));
    ChipEngine e(4);
    std::srand(7);
    ASSERT_EQ(KRN_ReadChip(&e.krn, 0, path.c_str(), nullptr), 2);
    bool anyNotWhite = false;
    for (int f = 0; f < 2; ++f)
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(e.chips[(size_t)f].r[k], e.chips[(size_t)f].r[0]) << "one colour per face";
            anyNotWhite |= e.chips[(size_t)f].r[k] != 255 || e.chips[(size_t)f].g[k] != 255;
        }
    EXPECT_TRUE(anyNotWhite);

    std::string cut = Face("\n", kFaceA, false);
    path = Write("cut.dxf", cut + cut.substr(0, cut.size() / 2));
    ChipEngine c(4);
    EXPECT_EQ(KRN_ReadChip(&c.krn, 0, path.c_str(), nullptr), 1)
        << "a face without its corners is not stored";
    EXPECT_EQ(KRN_CheckChipCount(path.c_str()), 2);

    // Faces beyond the chip array are not stored.
    path = Write("two.dxf", Face("\n", kFaceA, false) + Face("\n", kFaceB, false));
    ChipEngine small(3);
    EXPECT_EQ(KRN_ReadChip(&small.krn, 2, path.c_str(), nullptr), 1);
    EXPECT_EQ(KRN_ReadChip(&small.krn, -1, path.c_str(), nullptr), 0);
}

TEST_F(ModelFiles, FlatHeightMapGivesTheRampColour) {
    std::string path = Write("flat.ph1", std::string(80 * 40 * 2, '\0'));
    ChipEngine e(3042 + 2);
    tagKRN3D v = V(5, 30, -5, 3);
    EXPECT_EQ(KRN_CheckChipCount(path.c_str()), 3042);
    ASSERT_EQ(KRN_ReadChip(&e.krn, 1, path.c_str(), &v), 3042);
    EXPECT_EQ(e.chips[0].mode, 0);
    EXPECT_EQ(e.chips[3043].mode, 0);
    for (int i = 1; i <= 3042; ++i) {
        const tagKRNCHIP& c = e.chips[(size_t)i];
        ASSERT_EQ(c.mode, KRNCHIP_SHOW) << i;
        for (int k = 0; k < 3; ++k) {
            ASSERT_EQ(c.v[k].y, 30.0) << "chip " << i;
            ASSERT_EQ(c.r[k], 2) << "chip " << i;
            ASSERT_EQ(c.g[k], 46) << "chip " << i;
            ASSERT_EQ(c.b[k], 193) << "chip " << i;
        }
        ASSERT_EQ(c.red, 2) << i;
        ASSERT_EQ(c.blue, 193) << i;
    }
    // The first cell: corners (c-20)*2000 + ox and (20-r)*2000 + oz.
    EXPECT_EQ(e.chips[1].v[0].x, -40000 + 5);
    EXPECT_EQ(e.chips[1].v[0].z, 40000 - 5);
    EXPECT_EQ(e.chips[1].v[2].x, -38000 + 5);
    EXPECT_EQ(e.chips[1].v[2].z, 38000 - 5);
    EXPECT_EQ(e.chips[2].v[1].x, -40000 + 5);
    EXPECT_NEAR(e.chips[1].normal.y, 1.0, 1e-12) << "the ground faces up";
}

TEST_F(ModelFiles, HeightMapHeightsAndRampIndex) {
    std::string bytes(80 * 40 * 2, '\0');
    auto set = [&](int r, int c, int h) { bytes[(size_t)(r * 80 + c) * 2] = (char)h; };
    // A cell of three samples of 255 (heights 256) has a mean past the table: the last entry.
    set(0, 0, 255), set(0, 1, 255), set(1, 1, 255);
    // A height of 1 (stored 2) beside sea level steps down to 1; the high byte is not read.
    set(5, 5, 1);
    bytes[(size_t)(5 * 80 + 6) * 2 + 1] = 9;
    std::string path = Write("hills.ph1", bytes);
    ChipEngine e(3042);
    tagKRN3D v = V(0, 0, 0, 0.5);
    ASSERT_EQ(KRN_ReadChip(&e.krn, 0, path.c_str(), &v), 3042);
    EXPECT_EQ(e.chips[0].v[0].y, 16 * 0.5 * 256);
    EXPECT_EQ(e.chips[0].red, 255) << "entry 255 is white";
    EXPECT_EQ(e.chips[0].blue, 255);
    const tagKRNCHIP& c = e.chips[(size_t)(5 * 39 + 5) * 2];
    EXPECT_EQ(c.v[0].y, 16 * 0.5 * 1) << "2 next to 0 becomes 1";
    EXPECT_EQ(e.chips[(size_t)(5 * 39 + 6) * 2].v[0].y, 0.0);
}

TEST_F(ModelFiles, RefusedFiles) {
    std::string shortMap = Write("short.ph1", std::string(80 * 40 * 2 - 1, '\0'));
    ChipEngine e(3042);
    EXPECT_EQ(KRN_ReadChip(&e.krn, 0, shortMap.c_str(), nullptr), 0);
    EXPECT_EQ(e.chips[0].mode, 0) << "nothing stored from a short map";
    EXPECT_EQ(KRN_CheckChipCount(shortMap.c_str()), 0);
    std::string other = Write("model.plm", "3DFACE");
    EXPECT_EQ(KRN_ReadChip(&e.krn, 0, other.c_str(), nullptr), -1);
    EXPECT_EQ(KRN_CheckChipCount(other.c_str()), -1);
    std::string missing = SystemPath("missing.dxf");
    EXPECT_EQ(KRN_ReadChip(&e.krn, 0, missing.c_str(), nullptr), 0);
    EXPECT_EQ(KRN_CheckChipCount(missing.c_str()), 0);
}

TEST_F(ModelFiles, ModelsComeFromTheirArchive) {
    // The engine's build looks for stem + extension in the archive stem + ".vfs" (long names).
    std::string dxf = Face("\r\n", kFaceA, true);
    std::vector<uint8_t> bytes =
        vfsmake::Build({{"terrain.dxf", std::vector<uint8_t>(dxf.begin(), dxf.end())}}, 280);
    ASSERT_FALSE(bytes.empty());
    Write("terrain.vfs", std::string(bytes.begin(), bytes.end()));
    std::string path = SystemPath("terrain.dxf");  // no plain file
    ChipEngine e(4);
    EXPECT_EQ(KRN_CheckChipCount(path.c_str()), 1);
    ASSERT_EQ(KRN_ReadChip(&e.krn, 0, path.c_str(), nullptr), 1);
    EXPECT_EQ(e.chips[0].v[0].x, 12.5);
}

TEST(KrnModels, DefaultRamp) {
    ChipEngine e(1);
    struct Entry {
        int index;
        DWORD colour;
    };
    const Entry kRamp[] = {
        {0, 0xC12E02},   // (2, 46, 193)
        {1, 0x795E26},   // halfway from key 0 to key 1: 2 + 72/2, 46 + 96/2, 193 - 144/2
        {2, 0x318E4A},   // (74, 142, 49)
        {19, 0x45C08F},  // (143, 192, 69)
        {69, 0x2884BB},  // (187, 132, 40)
        {254, 0xFEFEFE - 0x000000 + 0},
        {255, 0xFFFFFF},
    };
    for (const auto& r : kRamp) {
        if (r.index == 254) {
            // 69..254 blends key 6 toward white over 186 entries: entry 254 is i = 185.
            int red = 187 + (255 - 187) * 185 / 186, green = 132 + (255 - 132) * 185 / 186,
                blue = 40 + (255 - 40) * 185 / 186;
            EXPECT_EQ(e.krn.ph1color[254], (DWORD)(red | green << 8 | blue << 16));
            continue;
        }
        EXPECT_EQ(e.krn.ph1color[r.index], r.colour) << "entry " << r.index;
    }
    DWORD mine[256];
    for (int i = 0; i < 256; ++i) mine[i] = (DWORD)i;
    KRN_SetPH1ColorTable(&e.krn, mine);
    EXPECT_EQ(e.krn.ph1color[77], 77u);
    KRN_SetPH1ColorTable(&e.krn, nullptr);
    EXPECT_EQ(e.krn.ph1color[0], 0xC12E02u);
}

TEST(KrnNumbers, TextConversions) {
    char text[32];
    EXPECT_EQ(KRN_NumberToString(text, 1.5), 1);
    EXPECT_STREQ(text, "1.5");
    EXPECT_EQ(KRN_NumberToString(text, -3.0), 1);
    EXPECT_STREQ(text, "-3");
    EXPECT_EQ(KRN_NumberToString(text, 12345678.0), 0);
    EXPECT_STREQ(text, "999999999");
    double v = 0;
    char in[] = "-12.25,7";
    char* behind = KRN_StringToNumber(&v, in);
    EXPECT_EQ(v, -12.25);
    EXPECT_EQ(*behind, ',');

    void* block = KRN_AllocMemory(64);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(block)[63], 0);
    KRN_FreeMemory(block);
    KRN_FreeMemory(nullptr);
}

}  // namespace
