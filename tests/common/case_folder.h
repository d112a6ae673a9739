// A folder of a test case's own, and that folder as the process's program folder and current
// folder, for tests whose code under test finds its files (ini files, drivers) there.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <windows.h>
#include <wynplat.h>

// A folder named after the test, in `under` (may be empty) below WYN_RUNTIME_DIR (else the
// temporary folder), made empty.
inline std::filesystem::path MakeCaseFolder(const std::string& under = "") {
    namespace fs = std::filesystem;
    const char* run = std::getenv("WYN_RUNTIME_DIR");
    const fs::path dir = fs::path(run ? run : fs::temp_directory_path().string()) / under /
                         ::testing::UnitTest::GetInstance()->current_test_info()->name();
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// Makes `dir` the program folder and the current folder. The program folder is read once per
// process: each case runs in a process of its own.
inline ::testing::AssertionResult EnterProgramFolder(const std::filesystem::path& dir) {
    setenv("WYN_PROGRAM_DIR", dir.c_str(), 1);
    char sys[1024];
    if (WynPlat_ToSystemPath(dir.c_str(), sys, sizeof sys) != 1)
        return ::testing::AssertionFailure() << "no system path for " << dir;
    if (!SetCurrentDirectoryA(sys)) return ::testing::AssertionFailure() << "cannot enter " << sys;
    return ::testing::AssertionSuccess();
}

// A runtime folder of the case alone, named after its suite and name below WYN_RUNTIME_DIR and
// made empty, set as the process's runtime folder: the programs it starts inherit it, so that
// their windows and those of this process meet there and nowhere else.
inline ::testing::AssertionResult EnterCaseRuntimeFolder(std::string* runtime) {
    const char* base = std::getenv("WYN_RUNTIME_DIR");
    if (!base) return ::testing::AssertionFailure() << "WYN_RUNTIME_DIR is not set";
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    *runtime = std::string(base) + "/" + info->test_suite_name() + "." + info->name();
    std::filesystem::remove_all(*runtime);
    std::filesystem::create_directories(*runtime);
    setenv("WYN_RUNTIME_DIR", runtime->c_str(), 1);
    return ::testing::AssertionSuccess();
}
