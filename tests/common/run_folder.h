// The folders of a test that runs a program of the set: the program folder the build made
// (WYN_PROGRAM_DIR) and a run folder of the test's own (under WYN_RUNTIME_DIR, named after the
// test, made empty), and a program folder of the run's own linked to the build's.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>

struct RunFolder {
    std::string bin;  // the build's program folder
    std::string run;  // the test's own folder
};

// `shortName`: the run folder is named by a number made from the suite and test names, for
// programs whose message sockets live there (a socket's path has a small limit).
inline ::testing::AssertionResult MakeRunFolder(RunFolder* f, bool shortName = false) {
    const char* base = std::getenv("WYN_RUNTIME_DIR");
    const char* bin = std::getenv("WYN_PROGRAM_DIR");
    if (!base || !bin) return ::testing::AssertionFailure() << "WYN_RUNTIME_DIR, WYN_PROGRAM_DIR";
    f->bin = bin;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(info->test_suite_name()) + "." + info->name();
    f->run = std::string(base) + "/" +
             (shortName ? std::to_string(std::hash<std::string>{}(name) % 100000)
                        : std::string(info->name()));
    std::filesystem::remove_all(f->run);
    std::filesystem::create_directories(f->run);
    return ::testing::AssertionSuccess();
}

// A program folder `dir` of the run's own: krn2.ini copied (the engine writes it back), the
// entries `data` of the build's program folder `bin` and every library (.dll) linked.
inline void LinkProgramFolder(const std::string& bin, const std::string& dir,
                              std::initializer_list<const char*> data) {
    namespace fs = std::filesystem;
    fs::create_directories(dir);
    fs::copy_file(bin + "/krn2.ini", dir + "/krn2.ini");
    for (const char* d : data) fs::create_symlink(bin + "/" + d, dir + "/" + d);
    for (const auto& e : fs::directory_iterator(bin))
        if (e.path().extension() == ".dll")
            fs::create_symlink(e.path(), dir + "/" + e.path().filename().string());
}

// Everything of the build's program folder `bin` in `folder` but the names in `leave`: krn2.ini
// and config.ini copied (the engine and the game write them back, and no run may write through
// a link into the shared folder while another test reads it), the rest linked.
inline void LinkBuildFolder(const std::string& bin, const std::string& folder,
                            const std::set<std::string>& leave = {}) {
    namespace fs = std::filesystem;
    fs::create_directories(folder);
    for (const auto& e : fs::directory_iterator(bin)) {
        const std::string name = e.path().filename().string();
        if (leave.count(name)) continue;
        if (name == "krn2.ini" || name == "config.ini")
            fs::copy_file(e.path(), folder + "/" + name);
        else
            fs::create_symlink(e.path(), folder + "/" + name);
    }
}

// The fixture of a test that runs programs of the set: before each test, `binDir` is the
// build's program folder, `run` the test's own folder (made empty) and `folder` the run's
// program folder (run/bin, left for the test to make).
class RunFolderTest : public ::testing::Test {
  protected:
    // `shortName`: as MakeRunFolder's.
    explicit RunFolderTest(bool shortName = false) : shortName_(shortName) {}
    void SetUp() override {
        RunFolder f;
        ASSERT_TRUE(MakeRunFolder(&f, shortName_));
        binDir = f.bin;
        run = f.run;
        folder = run + "/bin";
    }

    std::string binDir, run, folder;

  private:
    bool shortName_;
};
