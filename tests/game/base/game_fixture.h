// A folder of its own for each game test: the game's program folder points there, so that
// config.ini, scenario files and [DISPLAYEX] writes never touch the real program folder.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/base.h"
#include "scenario_fixtures.h"
#include "wynplat.h"

class GameFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* base = std::getenv("WYN_RUNTIME_DIR");
        ASSERT_NE(base, nullptr);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = std::string(base) + "/" + info->test_suite_name() + "." + info->name();
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        char sys[MAX_PATH - 1];
        ASSERT_TRUE(WynPlat_ToSystemPath(dir.c_str(), sys, sizeof sys));
        std::snprintf(Handles().homedir, sizeof Handles().homedir, "%s\\", sys);
    }
    // Writes a file below the folder (a '/'-separated relative path), making its folders.
    void Write(const std::string& rel, const std::string& bytes) const {
        const std::filesystem::path p = dir + "/" + rel;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& rel) const {
        std::ifstream f(dir + "/" + rel, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    // The system's form of a path below the folder.
    std::string System(const std::string& rel) const { return GetProgramFolder() + rel; }
    std::string dir;
};

// A UTF-8 text (the sources' literals are compiled to Shift-JIS).
inline std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

// The text of the last message box in the system's code page (the platform logs UTF-8).
inline std::string LastBoxText(std::string* caption = nullptr) {
    char cap[512] = "", text[2048] = "";
    WynPlat_LastMessageBox(cap, sizeof cap, text, sizeof text);
    if (caption) *caption = cap;
    return text;
}
