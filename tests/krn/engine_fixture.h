// A folder per test case holding copies of the spy drivers; it is the current folder and the
// program folder (where krn2.ini lies) of the case, and the processor is faked.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../common/case_folder.h"
#include "krn.h"
#include "spylog.h"
#include "wynplat.h"

namespace krntest {

namespace fs = std::filesystem;

struct Cpu {
    const char* name;
    int sse;
    int amd3dnow;
};

inline Cpu& FakeCpu() {
    static Cpu cpu{"no SSE", 0, 0};
    return cpu;
}

inline void Probe(WynCpuInfo* info) {
    std::snprintf(info->vendor, sizeof info->vendor, "%s", "SpyVendor");
    info->sse = FakeCpu().sse;
    info->amd3dnow = FakeCpu().amd3dnow;
}

class EngineCase : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = MakeCaseFolder();
        for (auto& e : fs::directory_iterator(KRN_SPY_DIR)) {
            std::string n = e.path().filename().string();
            if (n.size() > 4 && n.compare(n.size() - 4, 4, ".dll") == 0)
                fs::copy_file(e.path(), dir_ / n);
        }
        ASSERT_TRUE(EnterProgramFolder(dir_));
        KRN_GetProFileName(ini_);
        DeleteFileA(ini_);
        FakeCpu() = Cpu{"no SSE", 0, 0};
        WynPlat_SetCpuProbe(Probe);
        Spy_Clear();
        boxes_ = WynPlat_MessageBoxCount();
    }
    void TearDown() override {
        if (krn_) KRN_End(krn_);
        WynPlat_SetCpuProbe(nullptr);
    }

    void Ini(const char* section, const char* key, const char* value) {
        WritePrivateProfileStringA(section, key, value, ini_);
    }
    std::string IniValue(const char* section, const char* key) {
        char v[64];
        GetPrivateProfileStringA(section, key, "(none)", v, sizeof v, ini_);
        return v;
    }
    tagKRN* Start(int chipmax = 100) {
        krn_ = KRN_Start(reinterpret_cast<HWND>(0), chipmax);
        return krn_;
    }
    void End() {
        KRN_End(krn_);
        krn_ = nullptr;
    }
    // The log lines since the last Spy_Clear that contain `part`.
    static std::vector<std::string> Lines(const char* part = "") {
        std::vector<std::string> out;
        std::istringstream in(Spy_Text());
        for (std::string line; std::getline(in, line);)
            if (line.find(part) != std::string::npos) out.push_back(line);
        return out;
    }
    int NewBoxes() const { return WynPlat_MessageBoxCount() - boxes_; }
    void Touch(const char* name) { std::ofstream(dir_ / name) << "x"; }
    std::string System(const char* name) {
        char sys[1024];
        WynPlat_ToSystemPath((dir_ / name).c_str(), sys, sizeof sys);
        return sys;
    }

    fs::path dir_;
    char ini_[MAX_PATH] = {};
    tagKRN* krn_ = nullptr;
    int boxes_ = 0;
};

}  // namespace krntest
