// The folders of a test that runs a program of the set: the program folder the build made
// (WYN_PROGRAM_DIR) and a run folder of the test's own (under WYN_RUNTIME_DIR, named after the
// test, made empty).
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

struct RunFolder {
    std::string bin;  // the build's program folder
    std::string run;  // the test's own folder
};

inline ::testing::AssertionResult MakeRunFolder(RunFolder* f) {
    const char* base = std::getenv("WYN_RUNTIME_DIR");
    const char* bin = std::getenv("WYN_PROGRAM_DIR");
    if (!base || !bin) return ::testing::AssertionFailure() << "WYN_RUNTIME_DIR, WYN_PROGRAM_DIR";
    f->bin = bin;
    f->run =
        std::string(base) + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(f->run);
    std::filesystem::create_directories(f->run);
    return ::testing::AssertionSuccess();
}
