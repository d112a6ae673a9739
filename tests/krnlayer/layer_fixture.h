// An engine record with a chip array and a texture loader that needs no pictures, and a master
// layer on it: the layer library needs nothing else of the engine.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "krnlayer.h"
#include "wynplat.h"

namespace krnltest {

inline int LoadTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }
inline int DropTexture(tagKRN*, tagKRNTEXTURE*) { return 1; }

inline tagKRN3D V(double x, double y, double z) { return tagKRN3D{x, y, z, 0}; }

inline tagKRNCHIP Triangle(tagKRN3D a, tagKRN3D b, tagKRN3D c) {
    tagKRNCHIP chip;
    std::memset(&chip, 0, sizeof chip);
    chip.mode = KRNCHIP_SHOW;
    chip.v[0] = a;
    chip.v[1] = b;
    chip.v[2] = c;
    KRN_FaceNormal3D(&chip.normal, &a, &b, &c);
    for (auto& n : chip.n) n = chip.normal;
    chip.red = chip.green = chip.blue = 255;
    for (int k = 0; k < 3; ++k) chip.r[k] = chip.g[k] = chip.b[k] = 255;
    return chip;
}

class LayerCase : public ::testing::Test {
  protected:
    explicit LayerCase(int chipmax = 4000) : krnp_(new tagKRN), chips_(size_t(chipmax)) {
        std::memset(krnp_.get(), 0, sizeof(tagKRN));
        krn = krnp_.get();
        krn->chipmax = chipmax;
        krn->lpchip = chips_.data();
        krn->ACC_LOADTEXTURE = LoadTexture;
        krn->ACC_DELETETEXTURE = DropTexture;
        char old[4];
        KRN_DefineRotate3D("ZXY", old);
        master = KRNL_Start(krn);
    }
    ~LayerCase() override {
        if (master) KRNL_End(master);
    }

    // A layer under `parent` holding `n` chips stored from slot `at`.
    tagKRNL* WithChips(tagKRNL* parent, const char* name, int at, int n,
                       tagKRN3D base = V(0, 0, 0)) {
        tagKRNL* l = KRNL_CreateLayer(parent, name);
        EXPECT_NE(l, nullptr) << name;
        if (!l) return nullptr;
        for (int i = 0; i < n; ++i) {
            tagKRNCHIP c =
                Triangle(V(base.x + i, base.y, base.z), V(base.x + i, base.y + 1, base.z),
                         V(base.x + i + 1, base.y, base.z));
            KRN_SetChip(krn, at + i, &c);
        }
        if (n > 0) KRNL_CaptureLayer(l, at, n);
        return l;
    }
    tagKRNCHIP& Chip(int slot) { return chips_[size_t(slot)]; }

    // A file of the case's own folder, as a system path.
    std::string Path(const char* name) {
        const char* run = std::getenv("WYN_RUNTIME_DIR");
        std::filesystem::path dir = std::filesystem::path(run ? run : "/tmp") /
                                    ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::create_directories(dir);
        char sys[1024];
        WynPlat_ToSystemPath((dir / name).c_str(), sys, sizeof sys);
        return sys;
    }
    static std::string ReadText(const std::string& sysPath) {
        char real[1024];
        WynPlat_ResolvePath(sysPath.c_str(), real, sizeof real);
        std::ifstream in(real, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static void WriteText(const std::string& sysPath, const std::string& text) {
        char real[1024];
        WynPlat_ResolvePath(sysPath.c_str(), real, sizeof real);
        std::ofstream(real, std::ios::binary) << text;
    }

    std::unique_ptr<tagKRN> krnp_;
    std::vector<tagKRNCHIP> chips_;
    tagKRN* krn = nullptr;
    tagKRNL* master = nullptr;
};

}  // namespace krnltest
