// The engine with the real transform and lighting drivers, found in the program folder through
// krn2.ini, and a spy raster driver: each case copies the drivers into a folder of its own that
// is its program folder and current folder.
#include <cfloat>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "../common/case_folder.h"
#include "driver_rig.h"

using namespace drvtest;

namespace {

namespace fs = std::filesystem;

class EngineWithDrivers : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = MakeCaseFolder();
        for (const char* f : {"drv_pasu.dll", "drv_quil.dll", "drv_nodo.dll", "lgt_pasu.dll",
                              "lgt_quil.dll", "lgt_nodo.dll"})
            fs::copy_file(fs::path(DRV_BIN_DIR) / f, dir_ / f);
        fs::copy_file(fs::path(DRV_SPY_DIR) / "acc_dexo.dll", dir_ / "acc_dexo.dll");
        fs::copy_file(DRV_KRN2_INI, dir_ / "krn2.ini");
        ASSERT_TRUE(EnterProgramFolder(dir_));
        KRN_GetProFileName(ini_);
        WynPlat_SetCpuProbe(FakeProbe);
        // A processor that every build accepts, so that any entry can be chosen.
        FakeCpu() = Cpu{"GenuineIntel", 1, 1};
    }
    void TearDown() override {
        if (krn_) KRN_End(krn_);
        WynPlat_SetCpuProbe(nullptr);
    }
    tagKRN* Start() {
        krn_ = KRN_Start(nullptr, 16);
        return krn_;
    }
    // A view, a camera looking down +z, one white ambient light, and one front-facing chip at
    // depth 35 (10 pixels a unit) coloured (100, 150, 200).
    void Stage() {
        RECT r{0, 0, 700, 500};
        ASSERT_EQ(KRN_ViewPort(krn_, 0, nullptr, &r), 1);
        tagKRN3D at = V(0, 0, 0), turn = V(0, 0, 0), scale = V(1, 1, 1);
        ASSERT_EQ(KRN_Camera(krn_, 0, &at, &turn, &scale, 35.0, 1.0), 1);
        ASSERT_EQ(KRN_Light(krn_, 0, 1, nullptr, nullptr, 0xFFFFFF, 0.0), 1);
        tagKRNCHIP c = Chip(V(0, 0, 35), V(0, 10.04, 35), V(10.04, 0, 35));
        c.red = 100;
        c.green = 150;
        c.blue = 200;
        ASSERT_EQ(KRN_SetChip(krn_, 3, &c), 1);
    }

    fs::path dir_;
    char ini_[MAX_PATH] = {};
    tagKRN* krn_ = nullptr;
};

}  // namespace

TEST_F(EngineWithDrivers, LoadsThePortableDriversNamedByKrn2Ini) {
    ASSERT_NE(Start(), nullptr);
    char corp[32], name[32];
    DWORD c1, c2;
    KRN_CheckDRV(krn_, corp, name, &c1, &c2);
    EXPECT_STREQ(corp, "Halvorstine");
    EXPECT_STREQ(name, "KORRIN 3D Transform（標準）");
    KRN_CheckLGT(krn_, corp, name, &c1, &c2);
    EXPECT_STREQ(name, "KORRIN 3D Light（標準）");
    EXPECT_EQ(krn_->drvcount, 3);
    EXPECT_EQ(krn_->lgtcount, 3);

    Stage();
    ASSERT_EQ(KRN_Rendering(krn_, 0, 0, 0x000000), 1);
    ASSERT_EQ(KRN_GetRenderCount(krn_), 1);
    const tagKRNCHIP& c = krn_->lpcalc[0];
    EXPECT_EQ(c.no, 3);
    EXPECT_NE(c.flags & KRNCHIP_FRONT, 0u);
    EXPECT_DOUBLE_EQ(c.v[0].z, 340.0);
    EXPECT_EQ(c.crect.left, 350);
    EXPECT_EQ(c.crect.bottom, 251);
    EXPECT_EQ(c.red, 100);
    EXPECT_EQ(c.green, 150);
    EXPECT_EQ(c.blue, 200);
    EXPECT_DOUBLE_EQ(krn_->zbufmin, 340.0);
    EXPECT_DOUBLE_EQ(krn_->zbufmax, 340.0);
    EXPECT_EQ(krn_->task, 0u);
}

// The 3DNow! rows name the portable builds as their load files: choosing them loads those.
TEST_F(EngineWithDrivers, The3DNowRowsLoadThePortableBuilds) {
    WritePrivateProfileStringA("DRIVER", "DRV", "drv_nodo.dll", ini_);
    WritePrivateProfileStringA("DRIVER", "LGT", "lgt_nodo.dll", ini_);
    ASSERT_NE(Start(), nullptr);
    EXPECT_STREQ(krn_->drvname, "drv_nodo.dll");  // the chosen row stays the 3DNow! one
    EXPECT_STREQ(krn_->lgtname, "lgt_nodo.dll");
    struct Loaded {
        const char* file;
        bool loaded;
    };
    const Loaded files[] = {{"drv_pasu.dll", true},
                            {"lgt_pasu.dll", true},
                            {"drv_nodo.dll", false},
                            {"lgt_nodo.dll", false}};
    for (const auto& f : files) EXPECT_EQ(GetModuleHandleA(f.file) != nullptr, f.loaded) << f.file;
    char corp[32], name[32];
    DWORD c1, c2;
    KRN_CheckDRV(krn_, corp, name, &c1, &c2);
    EXPECT_STREQ(name, "KORRIN 3D Transform(3DNow!");  // the row chosen, as the dialog lists it
    Stage();
    ASSERT_EQ(KRN_Rendering(krn_, 0, 0, 0x000000), 1);
    ASSERT_EQ(KRN_GetRenderCount(krn_), 1);
    // The plain transform takes off the near distance (the 3DNow! build's own would not).
    EXPECT_DOUBLE_EQ(krn_->lpcalc[0].v[0].z, 340.0);
    EXPECT_EQ(krn_->lpcalc[0].red, 100);
}

TEST_F(EngineWithDrivers, SwitchesBetweenTheBuilds) {
    ASSERT_NE(Start(), nullptr);
    Stage();
    // Entries are enumerated in the folder's order: find each build by its file.
    auto index = [](const tagKRNENUMDRV* e, int n, const char* file) {
        for (int i = 0; i < n; ++i)
            if (std::strcmp(e[i].file, file) == 0) return i;
        return -1;
    };
    const int quil = index(krn_->edDRV, krn_->drvcount, "drv_quil.dll");
    const int nodo = index(krn_->edDRV, krn_->drvcount, "drv_nodo.dll");
    const int lquil = index(krn_->edLGT, krn_->lgtcount, "lgt_quil.dll");
    const int acc = index(krn_->edACC, krn_->acccount, "acc_dexo.dll");
    ASSERT_GE(quil, 0);
    ASSERT_GE(nodo, 0);
    ASSERT_GE(lquil, 0);
    ASSERT_EQ(KRN_SetDriver(krn_, nodo, lquil, acc), 1);
    ASSERT_EQ(KRN_Rendering(krn_, 0, 0, 0x000000), 1);
    EXPECT_DOUBLE_EQ(krn_->lpcalc[0].v[0].z, 340.0);  // the 3DNow! row loads the plain build
    EXPECT_NE(GetModuleHandleA("drv_pasu.dll"), nullptr);
    EXPECT_EQ(GetModuleHandleA("drv_nodo.dll"), nullptr);
    ASSERT_EQ(KRN_SetDriver(krn_, quil, lquil, acc), 1);
    ASSERT_EQ(KRN_Rendering(krn_, 0, 0, 0x000000), 1);
    EXPECT_DOUBLE_EQ(krn_->lpcalc[0].v[0].z, 340.0);
    EXPECT_EQ(krn_->lpcalc[0].red, 100);
}
